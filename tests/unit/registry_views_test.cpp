// The registry view rule, on an in-memory registry with two views: what
// start-up reads and what OK writes where.
#include "store/registry_views.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "store/registry_layout.h"
#include "store/scheme_operations.h"
#include "tests/support/memory_store.h"
#include "tests/support/store_seeding.h"

namespace klangrid {
namespace {

using View = RegistryView;
using Bytes = std::vector<std::uint8_t>;

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

// A 32-bit program's registry under WOW64: two views and its store over them.
struct TwoViews {
  MemoryStore views[2];
  RegistryViewsStore store{views[0], &views[1], View::k32Bit};

  MemoryStore& Of(View view) { return views[static_cast<int>(view)]; }
  // The driver's key routing every row to slot, with "Scheme" naming scheme
  // and that scheme's key.
  void SeedDriver(View view, DeviceSlot slot, const std::string& scheme) {
    for (DeviceSlot s = 0; s < kSlotCount; ++s) {
      const std::uint8_t fill = s == slot ? 0xFF : 0x00;
      const std::string digit(1, static_cast<char>('0' + s));
      Of(view).Put(kActiveKeyPath, "Instrument" + digit, kTypeBinary,
                   Bytes(kInstrumentMaskSize, fill));
      Of(view).Put(kActiveKeyPath, "Percussion" + digit, kTypeBinary,
                   Bytes(kPercussionMaskSize, fill));
    }
    Of(view).PutText(kActiveKeyPath, kSchemeValue, scheme);
    Of(view).PutKey(std::string(kActiveKeyPath) + "\\" + scheme);
  }
  // OK's writes to the driver's key: every row on slot 0, then the name.
  long Ok(const char* scheme) {
    MapTables tables;
    for (int row = 0; row < kInstrumentRows; ++row) tables.AssignRow(RowKind::Instrument, row, 0);
    ScopedKey active(store);
    long status = active.Open(kActiveKeyPath);
    if (status == kStoreOk) status = WriteMapValues(store, active.Get(), tables);
    if (status == kStoreOk) status = WriteActiveSchemeName(store, active.Get(), scheme);
    return status;
  }
};

TEST(RegistryViewsStore, StartUpReadsTheViewOfTheRuleAndOkWritesEveryViewWithTheKey) {
  struct Case {
    bool in32;
    bool in64;
  };
  for (const Case c : {Case{false, true}, Case{true, true}, Case{true, false}}) {
    SCOPED_TRACE(std::string(c.in32 ? "32" : "") + (c.in64 ? " 64" : ""));
    TwoViews registry;
    if (c.in64) registry.SeedDriver(View::k64Bit, 2, "native");
    if (c.in32) registry.SeedDriver(View::k32Bit, 1, "wow");
    const View read = c.in64 ? View::k64Bit : View::k32Bit;
    const std::string active = c.in64 ? "native" : "wow";

    // Start-up: the factory key, the active configuration, the schemes.
    MapTables tables;
    WriteFactoryDefaults(registry.store, tables);
    char name[kSchemeValueSize];
    ReadActiveConfiguration(registry.store, tables, name);
    std::vector<std::string> schemes;
    EnumerateSchemes(registry.store, [&](const char* scheme) {
      schemes.push_back(scheme);
      return true;
    });
    EXPECT_EQ(tables.SlotOf(RowKind::Instrument, 0), c.in64 ? 2 : 1);
    EXPECT_EQ(name, active);
    // With the key in both views, the other view's schemes follow.
    const std::vector<std::string> both = {"native", "wow"};
    EXPECT_EQ(schemes, c.in32 && c.in64 ? both : std::vector<std::string>{active});

    EXPECT_EQ(registry.Ok(name), kStoreOk);
    Bytes written(kSchemeValueSize, 0);
    std::copy(active.begin(), active.end(), written.begin());
    for (View view : {View::k32Bit, View::k64Bit}) {
      const MemoryStore& store = registry.Of(view);
      const bool hasKey = view == View::k64Bit ? c.in64 : c.in32;
      EXPECT_EQ(store.Get(kActiveKeyPath, "Instrument0"),
                hasKey ? std::optional<Bytes>(Bytes(kInstrumentMaskSize, 0xFF)) : std::nullopt);
      EXPECT_EQ(store.Get(kActiveKeyPath, kSchemeValue),
                hasKey ? std::optional<Bytes>(written) : std::nullopt);
      EXPECT_EQ(store.Get(kFactoryKeyPath, "Instrument0").has_value(), view == read)
          << "the factory key beside the key read";
      EXPECT_EQ(store.HasKey("SOFTWARE"), hasKey) << "no key made in a view without one";
      EXPECT_EQ(store.OpenKeyCount(), 0u);
    }
  }
}

TEST(RegistryViewsStore, KeepsItsViewAndReportsAMissedSecondWrite) {
  TwoViews registry;
  registry.SeedDriver(View::k64Bit, 2, "native");
  registry.SeedDriver(View::k32Bit, 1, "wow");
  EXPECT_EQ(registry.store.ReadView(), View::k64Bit);
  registry.views[1].FailOn(MemoryStore::Op::OpenKey, kActiveKeyPath, MemoryStore::kFileNotFound);
  EXPECT_EQ(registry.store.ReadView(), View::k64Bit) << "kept for the session";
  registry.views[1].ClearFaults();

  // A scheme of the other view is deleted where it lives.
  EXPECT_EQ(DeleteSchemeKey(registry.store, "wow"), kStoreOk);
  EXPECT_FALSE(registry.views[0].HasKey("SOFTWARE\\Kestro\\AudioDriver\\wow"));

  registry.views[0].FailOnValue(MemoryStore::Op::SetValue, kActiveKeyPath, "Instrument1");
  EXPECT_EQ(registry.Ok("native"), MemoryStore::kAccessDenied);
  EXPECT_EQ(registry.views[1].Get(kActiveKeyPath, "Instrument1"), Bytes(kInstrumentMaskSize, 0));
  registry.views[0].ClearFaults();
  registry.views[0].FailOn(MemoryStore::Op::OpenKey, kActiveKeyPath);
  EXPECT_EQ(registry.Ok("native"), MemoryStore::kAccessDenied);
  registry.views[0].ClearFaults();

  // A key gone from the other view since start-up is not made again.
  ASSERT_EQ(registry.views[0].DeleteKey(kActiveKeyPath), kStoreOk);
  EXPECT_EQ(registry.Ok("native"), kStoreOk);
  EXPECT_FALSE(registry.views[0].HasKey(kActiveKeyPath));
}

TEST(RegistryViewsStore, SchemesOfBothViewsAreListedAndEachIsUsedWhereItLives) {
  using test::HoldsMaps;
  using test::MapsWith;
  using test::SchemePath;
  constexpr int kViolin = 40;
  TwoViews registry;
  registry.SeedDriver(View::k64Bit, 2, "native");
  registry.SeedDriver(View::k32Bit, 1, "old");
  MemoryStore& view32 = registry.Of(View::k32Bit);
  MemoryStore& view64 = registry.Of(View::k64Bit);
  test::PutMaps(view32, SchemePath("old"), MapsWith(kViolin, 1));
  test::PutMaps(view32, SchemePath("SHARED"), MapsWith(kViolin, 1));
  test::PutMaps(view64, SchemePath("shared"), MapsWith(kViolin, 0));

  // Listed after the read view's, a name both hold once; nothing is copied.
  std::vector<std::string> listed;
  char select[kSchemeNameSize];
  ListSchemes(registry.store, "old", [&](const char* name) { listed.push_back(name); }, select);
  EXPECT_EQ(listed, (std::vector<std::string>{"native", "shared", "old"}));
  EXPECT_STREQ(select, "old");
  EXPECT_FALSE(view64.HasKey(SchemePath("old")));

  MapTables tables;
  ASSERT_TRUE(LoadScheme(registry.store, "old", tables));
  EXPECT_EQ(tables.SlotOf(RowKind::Instrument, kViolin), 1);
  ASSERT_TRUE(LoadScheme(registry.store, "SHARED", tables));
  EXPECT_EQ(tables.SlotOf(RowKind::Instrument, kViolin), 0) << "the read view's of the two";

  // OK and Save As write the scheme where it is, and make it nowhere else.
  EXPECT_EQ(ApplyConfiguration(registry.store, MapsWith(kViolin, 2), "old"), ApplyResult::kApplied);
  EXPECT_TRUE(HoldsMaps(view32, SchemePath("old"), MapsWith(kViolin, 2)));
  SaveAsTarget target;
  ASSERT_TRUE(PrepareSaveAs(registry.store, "Old", &target));
  EXPECT_TRUE(target.exists);
  EXPECT_TRUE(SaveSchemeAs(registry.store, target, MapsWith(kViolin, 0)).saved);
  EXPECT_TRUE(HoldsMaps(view32, SchemePath("old"), MapsWith(kViolin, 0)));
  EXPECT_FALSE(view64.HasKey(SchemePath("old")));

  // Delete takes the name from both views; a copy that stays is a failure.
  view32.FailOn(MemoryStore::Op::DeleteKey, SchemePath("shared"));
  EXPECT_FALSE(DeleteScheme(registry.store, "shared"));
  view32.ClearFaults();
  EXPECT_TRUE(DeleteScheme(registry.store, "shared"));
  EXPECT_TRUE(DeleteScheme(registry.store, "old"));
  EXPECT_FALSE(view32.HasKey(SchemePath("SHARED")));
  EXPECT_FALSE(view32.HasKey(SchemePath("old")));
  listed.clear();
  ListSchemes(registry.store, "", [&](const char* name) { listed.push_back(name); }, select);
  EXPECT_EQ(listed, std::vector<std::string>{"native"});
  EXPECT_EQ(view32.OpenKeyCount() + view64.OpenKeyCount(), 0u);
}

TEST(RegistryViewsStore, OpeningTheDriversKeyBeyondTheTrackedHandlesFailsAndLeavesNothingOpen) {
  TwoViews registry;
  registry.SeedDriver(View::k64Bit, 2, "native");
  std::vector<SettingsStore::Key> keys(RegistryViewsStore::kMaxActiveKeys);
  for (auto& key : keys) ASSERT_EQ(registry.store.OpenKey(kActiveKeyPath, &key), kStoreOk);
  SettingsStore::Key extra = nullptr;
  EXPECT_EQ(registry.store.CreateKey(kActiveKeyPath, &extra), RegistryViewsStore::kTooManyOpenKeys);
  EXPECT_EQ(registry.views[1].OpenKeyCount(), keys.size());
  for (auto key : keys) registry.store.CloseKey(key);
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
