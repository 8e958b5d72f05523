// Start-up and OK of the main dialog on the program's own store over the real
// registry of 64-bit Windows, the driver's key seeded per view. Built for
// i686 this is the program users get, running through WOW64; built for
// x86-64 it is a 64-bit program, for which the view rule gives the same
// outcomes. The checks read the registry with their own calls, naming each
// view, so a store that ignored views could not pass them.
//
//   registry_views_tests      exit 77 (skipped) where Windows has one view
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "res/resource.h"
#include "store/registry_layout.h"
#include "store/win/registry_store.h"
#include "tests/support/fixed_device_list.h"
#include "tests/support/ui_driver.h"
#include "ui/mapper_dialog.h"
#include "toolkit/combo_box.h"
#include "toolkit/list_ctrl.h"

namespace klangrid::test {
namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr REGSAM k32 = KEY_WOW64_32KEY;
constexpr REGSAM k64 = KEY_WOW64_64KEY;
constexpr int kSkipped = 77;

std::string SchemePath(const char* scheme) { return std::string(kActiveKeyPath) + "\\" + scheme; }

// ---- The registry, one view named in every call ----------------------------

void DeleteTree(REGSAM view, const std::string& path) {
  HKEY key;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ | view, &key) != ERROR_SUCCESS)
    return;
  std::vector<std::string> children;
  char name[256];
  for (DWORD i = 0; RegEnumKeyA(key, i, name, sizeof name) == ERROR_SUCCESS; ++i)
    children.push_back(name);
  RegCloseKey(key);
  for (const std::string& child : children) DeleteTree(view, path + "\\" + child);
  RegDeleteKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), view, 0);
}

bool HasKey(REGSAM view, const std::string& path) {
  HKEY key;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ | view, &key) != ERROR_SUCCESS)
    return false;
  RegCloseKey(key);
  return true;
}

void Put(REGSAM view, const std::string& path, const std::string& name, DWORD type,
         const Bytes& data) {
  HKEY key;
  ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | view,
                            nullptr, &key, nullptr),
            ERROR_SUCCESS);
  if (!name.empty()) RegSetValueExA(key, name.c_str(), 0, type, data.data(), DWORD(data.size()));
  RegCloseKey(key);
}

std::optional<Bytes> Get(REGSAM view, const std::string& path, const char* name) {
  HKEY key;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ | view, &key) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  Bytes data(256);
  DWORD size = DWORD(data.size());
  const LONG status = RegQueryValueExA(key, name, nullptr, nullptr, data.data(), &size);
  RegCloseKey(key);
  if (status != ERROR_SUCCESS) return std::nullopt;
  data.resize(size);
  return data;
}

// The driver's key routing every row to slot, with a "Scheme" naming scheme
// (as the driver's installer would write it: the text and its NUL) and that
// scheme's key, empty.
void SeedDriver(REGSAM view, int slot, const char* scheme) {
  for (int s = 0; s < kSlotCount; ++s) {
    const std::uint8_t fill = s == slot ? 0xFF : 0x00;
    Put(view, kActiveKeyPath, "Instrument" + std::to_string(s), REG_BINARY,
        Bytes(kInstrumentMaskSize, fill));
    Put(view, kActiveKeyPath, "Percussion" + std::to_string(s), REG_BINARY,
        Bytes(kPercussionMaskSize, fill));
  }
  const std::string text(scheme);
  Put(view, kActiveKeyPath, kSchemeValue, REG_SZ,
      Bytes(text.c_str(), text.c_str() + text.size() + 1));
  Put(view, SchemePath(scheme), "", REG_BINARY, {});
}

// What OK left in a view's driver's key: it writes the "Scheme" value whole,
// 20 bytes, so a seeded value it did not reach keeps its shorter length.
void ExpectOkWrote(REGSAM view, int slot, const char* scheme) {
  SCOPED_TRACE(view == k32 ? "32-bit view" : "64-bit view");
  for (int s = 0; s < kSlotCount; ++s) {
    EXPECT_EQ(Get(view, kActiveKeyPath, ("Instrument" + std::to_string(s)).c_str()),
              Bytes(kInstrumentMaskSize, s == slot ? 0xFF : 0x00));
  }
  Bytes name(kSchemeValueSize, 0);
  std::copy(scheme, scheme + std::strlen(scheme), name.begin());
  EXPECT_EQ(Get(view, kActiveKeyPath, kSchemeValue), name);
}

// ---- Start-up and OK --------------------------------------------------------

struct Seeding {
  const char* name;
  bool in32;  // the driver's key in the 32-bit view
  bool in64;
};

class RegistryViewsTest : public ::testing::TestWithParam<Seeding> {
 protected:
  void SetUp() override { Clean(); }
  void TearDown() override { Clean(); }
  static void Clean() {
    DeleteTree(k32, "SOFTWARE\\Kestro");
    DeleteTree(k64, "SOFTWARE\\Kestro");
  }

  struct Shown {
    std::string scheme;  // selected in the scheme list
    std::vector<std::string> schemes;
    std::string firstRowDevice;  // instrument row 0
    std::string deviceNames[kSlotCount];
  };
  // Runs the main dialog on the program's store, notes what start-up shows,
  // and presses OK.
  static Shown StartUpThenOk() {
    MachineRegistry registry;
    MapTables tables;
    FixedDeviceList devices;
    Shown shown;
    Watchdog watchdog(20);
    DialogScript script;
    script.Then(IDD_MAPPER_DIALOG, [&](toolkit::Dialog& dialog) {
      toolkit::ComboBox schemes;
      schemes.Attach(GetDlgItem(dialog.Handle(), IDC_SCHEME_COMBO));
      char text[256] = {};
      for (int i = 0; i < schemes.GetCount(); ++i) {
        if (schemes.GetLBText(i, text, sizeof text)) shown.schemes.push_back(text);
        if (i == schemes.GetCurSel()) shown.scheme = text;
      }
      toolkit::ListCtrl list;
      list.Attach(GetDlgItem(dialog.Handle(), IDC_INSTRUMENT_LIST));
      list.GetItemText(0, 2, text, sizeof text);
      shown.firstRowDevice = text;
      PostButtonClick(dialog.Handle(), IDOK);
    });
    ui::MapperDialog mapper(tables, registry.Store(), devices);
    EXPECT_EQ(mapper.DoModal(), IDOK);
    for (int slot = 0; slot < kSlotCount; ++slot) shown.deviceNames[slot] = tables.DeviceName(slot);
    return shown;
  }
};

TEST_P(RegistryViewsTest, StartUpShowsTheViewOfTheRuleAndOkWritesEveryViewWithTheKey) {
  const Seeding seeding = GetParam();
  if (seeding.in64) SeedDriver(k64, 2, "native");
  if (seeding.in32) SeedDriver(k32, 1, "wow");
  const REGSAM read = seeding.in64 ? k64 : k32;
  const char* active = seeding.in64 ? "native" : "wow";
  const int slot = seeding.in64 ? 2 : 1;

  const Shown shown = StartUpThenOk();
  EXPECT_EQ(shown.scheme, active);
  // The other view's schemes follow where both views have the key.
  const std::vector<std::string> both = {"native", "wow"};
  EXPECT_EQ(shown.schemes, seeding.in32 && seeding.in64 ? both : std::vector<std::string>{active});
  EXPECT_EQ(shown.firstRowDevice, shown.deviceNames[slot]);

  for (REGSAM view : {k32, k64}) {
    if (view == k64 ? seeding.in64 : seeding.in32) {
      ExpectOkWrote(view, slot, active);
    } else {
      EXPECT_FALSE(HasKey(view, "SOFTWARE\\Kestro")) << "nothing made in a view without the key";
    }
  }
  EXPECT_TRUE(Get(read, SchemePath(active), "Instrument0")) << "the selected scheme, saved too";
  EXPECT_TRUE(Get(read, kFactoryKeyPath, "Instrument0")) << "the factory key beside";
}

INSTANTIATE_TEST_SUITE_P(Seedings, RegistryViewsTest,
                         ::testing::Values(Seeding{"KeyIn64BitViewOnly", false, true},
                                           Seeding{"KeyInBothViews", true, true},
                                           Seeding{"KeyIn32BitViewOnly", true, false}),
                         [](const ::testing::TestParamInfo<Seeding>& info) {
                           return std::string(info.param.name);
                         });

// Two views exist for a 64-bit program and for a 32-bit one under WOW64.
bool HasTwoRegistryViews() {
  BOOL wow64 = FALSE;
  return sizeof(void*) == 8 || (IsWow64Process(GetCurrentProcess(), &wow64) && wow64);
}

}  // namespace
}  // namespace klangrid::test

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  if (!klangrid::test::HasTwoRegistryViews()) {
    std::printf("Skipped: this Windows has one registry view (32-bit Windows without WOW64).\n");
    return klangrid::test::kSkipped;
  }
  return RUN_ALL_TESTS();
}
