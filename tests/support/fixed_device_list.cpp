#include "tests/support/fixed_device_list.h"

#include <algorithm>
#include <cstring>

namespace klangrid {

FixedDeviceList::FixedDeviceList(std::initializer_list<std::string> names) {
  for (const std::string& n : names) Add(n);
}

void FixedDeviceList::Add(const std::string& name) {
  Field field{};
  std::memcpy(field.data(), name.data(), std::min(name.size(), field.size() - 1));
  fields_.push_back(field);
}

void FixedDeviceList::AddRaw(const Field& field) { fields_.push_back(field); }

void FixedDeviceList::SetFailing(unsigned id, bool failing) {
  if (failing) {
    failing_.insert(id);
  } else {
    failing_.erase(id);
  }
}

unsigned FixedDeviceList::DeviceCount() { return static_cast<unsigned>(fields_.size()); }

bool FixedDeviceList::DeviceProductName(unsigned id, char (&name)[kProductNameSize]) {
  ++nameRequests_;
  if (id >= fields_.size() || failing_.count(id)) return false;
  std::memcpy(name, fields_[id].data(), kProductNameSize);
  return true;
}

}  // namespace klangrid
