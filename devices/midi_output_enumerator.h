#pragma once
// The system's MIDI output list, as far as device naming needs it.
#include <cstddef>

namespace klangrid {

constexpr std::size_t kProductNameSize = 32;  // MIDIOUTCAPSA.szPname

class MidiOutputEnumerator {
 public:
  virtual ~MidiOutputEnumerator() = default;
  virtual unsigned DeviceCount() = 0;
  // Product name of device id into name, always NUL-terminated within its 32
  // bytes. False when the device's capabilities cannot be fetched.
  virtual bool DeviceProductName(unsigned id, char (&name)[kProductNameSize]) = 0;
};

}  // namespace klangrid
