#include "devices/win/winmm_enumerator.h"

#include <gtest/gtest.h>

#include <cstring>

namespace klangrid {
namespace {

// The machine's device list is not ours to choose; what must hold for any
// list is that names come back terminated and ids past the end fail.
TEST(WinmmEnumerator, NamesAreTerminatedAndIdsPastTheEndFail) {
  WinmmEnumerator outputs;
  const unsigned count = outputs.DeviceCount();
  for (unsigned id = 0; id < count; ++id) {
    char name[kProductNameSize];
    std::memset(name, 'X', sizeof name);
    if (outputs.DeviceProductName(id, name)) {
      EXPECT_NE(std::memchr(name, '\0', sizeof name), nullptr) << "device " << id;
    }
  }
  char name[kProductNameSize];
  EXPECT_FALSE(outputs.DeviceProductName(count + 7, name));
}

}  // namespace
}  // namespace klangrid
