#pragma once
// The system's MIDI output devices through the multimedia API.
#include "devices/midi_output_enumerator.h"

namespace klangrid {

class WinmmEnumerator : public MidiOutputEnumerator {
 public:
  unsigned DeviceCount() override;
  bool DeviceProductName(unsigned id, char (&name)[kProductNameSize]) override;
};

}  // namespace klangrid
