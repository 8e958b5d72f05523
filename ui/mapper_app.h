#pragma once
// The application object: runs the main dialog once, then the process ends.
#include "devices/midi_output_enumerator.h"
#include "model/map_tables.h"
#include "store/settings_store.h"
#include "toolkit/application.h"

namespace klangrid::ui {

class MapperApp : public toolkit::Application {
 public:
  // The program hands in the process-wide tables, the registry and the
  // system's MIDI outputs; a test may hand in stand-ins.
  MapperApp(MapTables& tables, SettingsStore& store, MidiOutputEnumerator& outputs);

  // Runs the main dialog modally; false, since no message loop follows.
  // One dialog at a time: while another process shows it, that one is
  // brought to the front instead.
  bool InitInstance() override;

  // Whether a process shows the main dialog now.
  static bool DialogIsOpen();

 private:
  MapTables& tables_;
  SettingsStore& store_;
  MidiOutputEnumerator& outputs_;
};

}  // namespace klangrid::ui
