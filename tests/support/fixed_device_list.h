#pragma once
// A MIDI output list given by the test: names in id order, any id able to
// fail as a device whose capabilities cannot be fetched.
#include <array>
#include <initializer_list>
#include <set>
#include <string>
#include <vector>

#include "devices/midi_output_enumerator.h"

namespace klangrid {

class FixedDeviceList : public MidiOutputEnumerator {
 public:
  using Field = std::array<char, kProductNameSize>;

  FixedDeviceList() = default;
  // Each name NUL-terminated in its field, cut to 31 characters.
  FixedDeviceList(std::initializer_list<std::string> names);

  void Add(const std::string& name);
  // The field exactly as given, NUL or not, as a driver may report it.
  void AddRaw(const Field& field);
  void SetFailing(unsigned id, bool failing = true);
  // How often DeviceProductName was asked, for tests of the search's end.
  unsigned NameRequests() const { return nameRequests_; }

  unsigned DeviceCount() override;
  bool DeviceProductName(unsigned id, char (&name)[kProductNameSize]) override;

 private:
  std::vector<Field> fields_;
  std::set<unsigned> failing_;
  unsigned nameRequests_ = 0;
};

}  // namespace klangrid
