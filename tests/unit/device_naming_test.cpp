#include "devices/device_naming.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "model/text.h"
#include "tests/support/fixed_device_list.h"

namespace klangrid {
namespace {

TEST(DeviceNaming, NoDevicesAndNoStoredNamesGiveTheDefaults) {
  FixedDeviceList none;
  MapTables t;
  ResolveDeviceNames(none, t);
  EXPECT_STREQ(t.DeviceName(0), "Software Wave Table Synthesis");
  EXPECT_STREQ(t.DeviceName(1), "Roland MPU-401");
  EXPECT_STREQ(t.DeviceName(2), "Yamaha OPL2/OPL3 Synthesis");
}

TEST(DeviceNaming, StoredNamesStayAndEmptyOnesGetDefaults) {
  FixedDeviceList none;
  MapTables t;
  CopyBounded(t.deviceNames[0], kDeviceNameSize, "Stored Synth");
  ResolveDeviceNames(none, t);
  EXPECT_STREQ(t.DeviceName(0), "Stored Synth");
  EXPECT_STREQ(t.DeviceName(1), "Roland MPU-401");
}

TEST(DeviceNaming, OplMatchIgnoresCaseButNameIsTakenAsReported) {
  FixedDeviceList devices{"MPU-401 Port", "Card Opl3 FM", "Another OPL"};
  MapTables t;
  ResolveDeviceNames(devices, t);
  EXPECT_STREQ(t.DeviceName(2), "Card Opl3 FM");
  EXPECT_EQ(devices.NameRequests(), 2u) << "the search stops at the first match";
  EXPECT_STREQ(t.DeviceName(0), "Software Wave Table Synthesis");
}

TEST(DeviceNaming, LettersMustBeAdjacent) {
  FixedDeviceList devices{"O P L", "Optical Link", "xopl"};
  MapTables t;
  ResolveDeviceNames(devices, t);
  EXPECT_STREQ(t.DeviceName(2), "xopl");
}

TEST(DeviceNaming, DeviceWhoseCapsFailContributesNothing) {
  FixedDeviceList devices{"OPL3 Broken", "OPL2 Working"};
  devices.SetFailing(0);
  MapTables t;
  ResolveDeviceNames(devices, t);
  EXPECT_STREQ(t.DeviceName(2), "OPL2 Working");

  FixedDeviceList onlyBroken{"OPL3 Broken"};
  onlyBroken.SetFailing(0);
  MapTables u;
  ResolveDeviceNames(onlyBroken, u);
  EXPECT_STREQ(u.DeviceName(2), "Yamaha OPL2/OPL3 Synthesis");
}

TEST(DeviceNaming, ProductNameFillingItsFieldIsCutTo31) {
  FixedDeviceList::Field field;
  std::memset(field.data(), 'Z', field.size());
  std::memcpy(field.data(), "OPL", 3);
  FixedDeviceList devices;
  devices.AddRaw(field);
  MapTables t;
  ResolveDeviceNames(devices, t);
  EXPECT_EQ(std::string(t.DeviceName(2)), "OPL" + std::string(28, 'Z'));
}

TEST(DeviceNaming, UnterminatedStoredNameIsTerminatedNotOverrun) {
  FixedDeviceList none;
  MapTables t;
  std::memset(t.deviceNames[1], 'q', kDeviceNameSize);
  ResolveDeviceNames(none, t);
  EXPECT_EQ(std::string(t.DeviceName(1)), std::string(31, 'q'));
  EXPECT_STREQ(t.DeviceName(2), "Yamaha OPL2/OPL3 Synthesis");
}

}  // namespace
}  // namespace klangrid
