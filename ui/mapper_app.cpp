#include "ui/mapper_app.h"

#include "bench/step_timer.h"
#include "ui/mapper_dialog.h"

namespace klangrid::ui {

MapperApp::MapperApp(MapTables& tables, SettingsStore& store, MidiOutputEnumerator& outputs)
    : tables_(tables), store_(store), outputs_(outputs) {}

bool MapperApp::InitInstance() {
  bench::MarkStep("app-ready");
  // The dialog makes itself the main window once it has one, so the small
  // dialogs it opens are owned by it; the result of the run is not needed:
  // OK has written what it must before the dialog ends.
  MapperDialog dialog(tables_, store_, outputs_);
  dialog.DoModal();
  return false;
}

}  // namespace klangrid::ui
