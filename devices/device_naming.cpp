#include "devices/device_naming.h"

#include <cstring>

#include "model/text.h"

namespace klangrid {

const char* const kDefaultDeviceNames[kSlotCount] = {
    "Software Wave Table Synthesis",
    "Roland MPU-401",
    "Yamaha OPL2/OPL3 Synthesis",
};

namespace {

constexpr DeviceSlot kOplSlot = 2;
constexpr const char* kOplSearchText = "OPL";

}  // namespace

void ResolveDeviceNames(MidiOutputEnumerator& outputs, MapTables& tables) {
  const unsigned count = outputs.DeviceCount();
  for (unsigned id = 0; id < count; ++id) {
    char reported[kProductNameSize];
    std::memset(reported, 0, sizeof reported);
    // A device we cannot ask about is skipped rather than matched on stale text.
    if (!outputs.DeviceProductName(id, reported)) continue;
    char name[kDeviceNameSize];
    CopyField(name, sizeof name, reported, sizeof reported);
    char upper[kDeviceNameSize];
    CopyBounded(upper, sizeof upper, name);
    AsciiUpper(upper);
    if (std::strstr(upper, kOplSearchText)) {
      CopyBounded(tables.deviceNames[kOplSlot], kDeviceNameSize, name);
      break;
    }
  }
  for (DeviceSlot slot = 0; slot < kSlotCount; ++slot) {
    tables.deviceNames[slot][kDeviceNameSize - 1] = '\0';
    if (tables.deviceNames[slot][0] == '\0') {
      CopyBounded(tables.deviceNames[slot], kDeviceNameSize, kDefaultDeviceNames[slot]);
    }
  }
}

}  // namespace klangrid
