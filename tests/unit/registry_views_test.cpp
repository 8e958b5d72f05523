// The registry view rule, on an in-memory registry with two views: what
// start-up reads and what OK writes where.
#include "store/registry_views.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "store/registry_layout.h"
#include "tests/support/memory_store.h"

namespace klangrid {
namespace {

using View = RegistryView;
using Bytes = std::vector<std::uint8_t>;

const char* const kWrittenValues[] = {"Instrument0", "Percussion0", "Instrument1", "Percussion1",
                                      "Instrument2", "Percussion2", "Scheme"};

TEST(RegistryViewRule, ReadsThe64BitViewWhereTheKeyIsThereThenThe32BitViewThenItsOwn) {
  for (View own : {View::k32Bit, View::k64Bit}) {
    EXPECT_EQ(ChooseReadView(own, false, true), View::k64Bit);
    EXPECT_EQ(ChooseReadView(own, true, true), View::k64Bit);
    EXPECT_EQ(ChooseReadView(own, true, false), View::k32Bit);
    EXPECT_EQ(ChooseReadView(own, false, false), own);
  }
}

TEST(RegistryViewRule, TheDriversKeyIsNamedAsTheRegistryReadsPaths) {
  EXPECT_TRUE(NamesActiveKey("software\\KESTRO\\audiodriver"));
  EXPECT_TRUE(NamesActiveKey("SOFTWARE\\\\Kestro\\AudioDriver\\"));
  for (const char* other : {"SOFTWARE\\Kestro\\AudioDriver\\jazz", "SOFTWARE\\Kestro\\AudioDrive",
                            "SOFTWARE\\Kestro\\AudioDriverX", "SOFTWARE\\Kestro", ""}) {
    EXPECT_FALSE(NamesActiveKey(other)) << other;
  }
  EXPECT_FALSE(NamesActiveKey(nullptr));
}

// A 32-bit program under WOW64, the two views seeded per test.
class TwoViews : public ::testing::Test {
 protected:
  MemoryStore view32;
  MemoryStore view64;
  RegistryViewsStore store{view32, &view64, View::k32Bit};

  void TearDown() override {
    EXPECT_EQ(view32.OpenKeyCount(), 0u);
    EXPECT_EQ(view64.OpenKeyCount(), 0u);
  }

  // The driver's key routing every row to slot, its "Scheme" naming scheme,
  // and that scheme's key.
  static void SeedDriver(MemoryStore& view, DeviceSlot slot, const std::string& scheme) {
    for (DeviceSlot s = 0; s < kSlotCount; ++s) {
      const std::uint8_t fill = s == slot ? 0xFF : 0x00;
      const std::string digit(1, static_cast<char>('0' + s));
      view.Put(kActiveKeyPath, "Instrument" + digit, kTypeBinary, Bytes(kInstrumentMaskSize, fill));
      view.Put(kActiveKeyPath, "Percussion" + digit, kTypeBinary, Bytes(kPercussionMaskSize, fill));
    }
    view.PutText(kActiveKeyPath, kSchemeValue, scheme);
    view.PutKey(std::string(kActiveKeyPath) + "\\" + scheme);
  }

  struct Shown {
    DeviceSlot slot;  // of instrument row 0
    std::string active;
    std::vector<std::string> schemes;
  };
  // The store calls of the dialog's start-up.
  Shown StartUp() {
    MapTables tables;
    WriteFactoryDefaults(store, tables);
    char active[kSchemeValueSize];
    ReadActiveConfiguration(store, tables, active);
    Shown shown{tables.SlotOf(RowKind::Instrument, 0), active, {}};
    EnumerateSchemes(store, [&](const char* name) {
      shown.schemes.push_back(name);
      return true;
    });
    return shown;
  }
  // The store calls of OK on the active key: the maps, then the name.
  long Ok(DeviceSlot slot, const char* scheme) {
    MapTables tables;
    for (int row = 0; row < kInstrumentRows; ++row)
      tables.AssignRow(RowKind::Instrument, row, slot);
    ScopedKey active(store);
    long status = active.Open(kActiveKeyPath);
    if (status == kStoreOk) status = WriteMapValues(store, active.Get(), tables);
    if (status == kStoreOk) status = WriteActiveSchemeName(store, active.Get(), scheme);
    return status;
  }
  static void ExpectWritten(const MemoryStore& view, DeviceSlot slot, const char* scheme) {
    EXPECT_EQ(view.Get(kActiveKeyPath, "Instrument0"),
              Bytes(kInstrumentMaskSize, slot == 0 ? 0xFF : 0));
    EXPECT_EQ(view.Get(kActiveKeyPath, "Instrument2"),
              Bytes(kInstrumentMaskSize, slot == 2 ? 0xFF : 0));
    const auto name = view.Get(kActiveKeyPath, kSchemeValue);
    ASSERT_TRUE(name);
    EXPECT_STREQ(reinterpret_cast<const char*>(name->data()), scheme);
  }
};

TEST_F(TwoViews, KeyIn64BitViewOnly_ReadAndWrittenThereAndThe32BitViewGetsNothing) {
  SeedDriver(view64, 2, "native");
  const Shown shown = StartUp();
  EXPECT_EQ(shown.slot, 2);
  EXPECT_EQ(shown.active, "native");
  EXPECT_EQ(shown.schemes, std::vector<std::string>{"native"});
  EXPECT_TRUE(view64.HasKey(kFactoryKeyPath));

  EXPECT_EQ(Ok(1, "native"), kStoreOk);
  ExpectWritten(view64, 1, "native");
  EXPECT_FALSE(view32.HasKey("SOFTWARE")) << "no key made in the view that lacks the driver's";
}

TEST_F(TwoViews, KeyInBothViews_The64BitViewIsReadAndOkWritesTheActiveValuesToBoth) {
  SeedDriver(view64, 2, "native");
  SeedDriver(view32, 1, "wow");
  const Shown shown = StartUp();
  EXPECT_EQ(shown.slot, 2);
  EXPECT_EQ(shown.active, "native");
  EXPECT_EQ(shown.schemes, std::vector<std::string>{"native"});

  EXPECT_EQ(Ok(0, "native"), kStoreOk);
  for (const char* name : kWrittenValues) {
    EXPECT_EQ(view32.Get(kActiveKeyPath, name), view64.Get(kActiveKeyPath, name)) << name;
  }
  ExpectWritten(view32, 0, "native");

  // Scheme keys, the factory key and deletions stay in the view read.
  MapTables tables;
  ScopedKey scheme(store);
  ASSERT_EQ(scheme.Create("SOFTWARE\\Kestro\\AudioDriver\\native"), kStoreOk);
  EXPECT_EQ(WriteMapValues(store, scheme.Get(), tables), kStoreOk);
  scheme.Close();
  EXPECT_EQ(DeleteSchemeKey(store, "wow"), MemoryStore::kFileNotFound);
  EXPECT_EQ(view32.SubkeyNames(kActiveKeyPath), std::vector<std::string>{"wow"});
  EXPECT_TRUE(view32.ValueNames(std::string(kActiveKeyPath) + "\\wow").empty());
  EXPECT_TRUE(view32.ValueNames(kFactoryKeyPath).empty());
}

TEST_F(TwoViews, KeyIn32BitViewOnly_ReadAndWrittenThereAsBefore) {
  SeedDriver(view32, 1, "wow");
  const Shown shown = StartUp();
  EXPECT_EQ(shown.slot, 1);
  EXPECT_EQ(shown.active, "wow");
  EXPECT_EQ(shown.schemes, std::vector<std::string>{"wow"});

  EXPECT_EQ(Ok(2, "wow"), kStoreOk);
  ExpectWritten(view32, 2, "wow");
  EXPECT_FALSE(view64.HasKey("SOFTWARE"));
}

TEST_F(TwoViews, TheViewIsChosenOnceAndTheSecondWriteFollowsTheKeyAsItIsAtOk) {
  SeedDriver(view64, 2, "native");
  SeedDriver(view32, 1, "wow");
  StartUp();
  view64.FailOn(MemoryStore::Op::OpenKey, kActiveKeyPath, MemoryStore::kFileNotFound);
  EXPECT_EQ(store.ReadView(), View::k64Bit) << "kept for the session";
  view64.ClearFaults();

  view32.FailOnValue(MemoryStore::Op::SetValue, kActiveKeyPath, "Instrument1");
  EXPECT_EQ(Ok(0, "native"), MemoryStore::kAccessDenied) << "a missed view is a failure";
  ExpectWritten(view64, 0, "native");
  view32.ClearFaults();

  view32.FailOn(MemoryStore::Op::OpenKey, kActiveKeyPath);
  EXPECT_EQ(Ok(0, "native"), MemoryStore::kAccessDenied);
  view32.ClearFaults();

  ASSERT_EQ(view32.DeleteKey("SOFTWARE\\Kestro\\AudioDriver\\wow"), kStoreOk);
  ASSERT_EQ(view32.DeleteKey(kActiveKeyPath), kStoreOk);
  EXPECT_EQ(Ok(1, "native"), kStoreOk);
  EXPECT_FALSE(view32.HasKey(kActiveKeyPath)) << "a key gone since start-up is not made again";
}

TEST_F(TwoViews, OpeningTheDriversKeyBeyondTheTrackedHandlesFailsAndLeavesNothingOpen) {
  SeedDriver(view64, 2, "native");
  std::vector<SettingsStore::Key> keys(RegistryViewsStore::kMaxActiveKeys);
  for (auto& key : keys) ASSERT_EQ(store.OpenKey(kActiveKeyPath, &key), kStoreOk);
  SettingsStore::Key extra = nullptr;
  EXPECT_EQ(store.CreateKey(kActiveKeyPath, &extra), RegistryViewsStore::kTooManyOpenKeys);
  EXPECT_EQ(view64.OpenKeyCount(), keys.size());
  for (auto key : keys) store.CloseKey(key);
  EXPECT_EQ(store.OpenKey(kActiveKeyPath, &extra), kStoreOk);
  store.CloseKey(extra);
}

TEST(RegistryViewsStoreWithOneView, MakesExactlyTheCallsOfThePlainStore) {
  MemoryStore only;
  MemoryStore plain;
  for (MemoryStore* view : {&only, &plain}) view->PutKey(kActiveKeyPath);
  RegistryViewsStore store(only, nullptr, View::k32Bit);
  MapTables tables;
  char active[kSchemeValueSize];
  ReadActiveConfiguration(store, tables, active);
  ReadActiveConfiguration(plain, tables, active);
  ASSERT_EQ(only.Calls().size(), plain.Calls().size());
  for (std::size_t i = 0; i < plain.Calls().size(); ++i) {
    EXPECT_EQ(only.Calls()[i].op, plain.Calls()[i].op) << i;
    EXPECT_EQ(only.Calls()[i].name, plain.Calls()[i].name) << i;
  }
}

}  // namespace
}  // namespace klangrid
