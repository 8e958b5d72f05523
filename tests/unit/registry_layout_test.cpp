#include "store/registry_layout.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "model/text.h"
#include "tests/support/bytes.h"
#include "tests/support/memory_store.h"

namespace klangrid {
namespace {

using test::Bytes;
using Op = MemoryStore::Op;

const char* const kActive = "SOFTWARE\\Kestro\\AudioDriver";

Bytes Filled(std::size_t size, std::uint8_t value) { return Bytes(size, value); }
Bytes Of(const std::uint8_t* bytes, std::size_t size) { return Bytes(bytes, bytes + size); }
Bytes Text(const std::string& text) { return Bytes(text.begin(), text.end()); }

// A store whose active key holds a complete configuration, every mask byte
// distinct from the factory defaults.
void SeedActive(MemoryStore& store) {
  for (int n = 0; n < 3; ++n) {
    store.Put(kActive, "Instrument" + std::to_string(n), kTypeBinary, Filled(16, 0x10 + n));
    store.Put(kActive, "Percussion" + std::to_string(n), kTypeBinary, Filled(6, 0x20 + n));
  }
  store.PutText(kActive, "SoftSynDeviceName", "My Wavetable");
  store.PutText(kActive, "MPUDeviceName", "My MPU");
  Bytes scheme(20, 0);
  std::memcpy(scheme.data(), "jazz", 4);
  store.Put(kActive, "Scheme", kTypeSz, scheme);
}

class RegistryLayout : public ::testing::Test {
 protected:
  void TearDown() override { EXPECT_EQ(store.OpenKeyCount(), 0u) << "a key was left open"; }
  MemoryStore store;
  MapTables tables;
  char activeName[kSchemeValueSize];
};

TEST_F(RegistryLayout, WriteMapValuesWritesSixValuesInterleavedBySlot) {
  store.PutKey("k");
  ScopedKey key(store);
  ASSERT_EQ(key.Open("k"), kStoreOk);
  tables.AssignRow(RowKind::Instrument, 3, 2);
  EXPECT_EQ(WriteMapValues(store, key.Get(), tables), kStoreOk);
  key.Close();

  const auto calls = store.SetValueCalls();
  ASSERT_EQ(calls.size(), 6u);
  const char* names[] = {"Instrument0", "Percussion0", "Instrument1",
                         "Percussion1", "Instrument2", "Percussion2"};
  for (int i = 0; i < 6; ++i) {
    EXPECT_EQ(calls[i].name, names[i]);
    EXPECT_EQ(calls[i].type, kTypeBinary);
    EXPECT_EQ(calls[i].size, i % 2 == 0 ? 16u : 6u);
    const RowKind kind = i % 2 == 0 ? RowKind::Instrument : RowKind::Percussion;
    EXPECT_EQ(calls[i].data, Of(tables.Mask(kind, i / 2), MapTables::MaskSize(kind))) << names[i];
  }
}

TEST_F(RegistryLayout, WriteMapValuesTriesAllSixAndReportsTheFirstFailure) {
  store.PutKey("k");
  store.FailOnValue(Op::SetValue, "K", "percussion0", 5);
  store.FailOnValue(Op::SetValue, "k", "Instrument2", 6);
  ScopedKey key(store);
  ASSERT_EQ(key.Open("k"), kStoreOk);
  EXPECT_EQ(WriteMapValues(store, key.Get(), tables), 5);
  EXPECT_EQ(store.SetValueCalls().size(), 6u);
  EXPECT_TRUE(store.Get("k", "Percussion2").has_value());
  EXPECT_FALSE(store.Get("k", "Percussion0").has_value());
}

TEST_F(RegistryLayout, FactoryDefaultsOverwriteWhateverTheKeyHeld) {
  store.Put("SOFTWARE\\KESTRO", "Instrument0", kTypeBinary, Filled(16, 0xee));
  EXPECT_EQ(WriteFactoryDefaults(store, tables), kStoreOk);
  for (int n = 0; n < 3; ++n) {
    EXPECT_EQ(store.Get("Software\\Kestro", "Instrument" + std::to_string(n)),
              Of(kFactoryInstrument[n], 16));
    EXPECT_EQ(store.Get("Software\\Kestro", "Percussion" + std::to_string(n)),
              Of(kFactoryPercussion[n], 6));
  }
  EXPECT_EQ(store.SubkeyNames("Software").size(), 1u) << "one key, whatever the case";
}

TEST_F(RegistryLayout, FactoryDefaultsReportAKeyThatCannotBeCreated) {
  store.FailOn(Op::CreateKey, "software\\kestro", 5);
  EXPECT_EQ(WriteFactoryDefaults(store, tables), 5);
  EXPECT_TRUE(store.SetValueCalls().empty());
}

TEST_F(RegistryLayout, StartUpReadsTheWholeActiveConfiguration) {
  SeedActive(store);
  std::memset(activeName, 'X', sizeof activeName);
  ReadActiveConfiguration(store, tables, activeName);
  for (int n = 0; n < 3; ++n) {
    EXPECT_EQ(Of(tables.instrument[n], 16), Filled(16, 0x10 + n));
    EXPECT_EQ(Of(tables.percussion[n], 6), Filled(6, 0x20 + n));
  }
  EXPECT_STREQ(tables.DeviceName(0), "My Wavetable");
  EXPECT_STREQ(tables.DeviceName(1), "My MPU");
  EXPECT_STREQ(tables.DeviceName(2), "");
  EXPECT_EQ(Of(reinterpret_cast<std::uint8_t*>(activeName), 20), Of(store.Get(kActive, "Scheme")->data(), 20));
  EXPECT_TRUE(store.SetValueCalls().empty()) << "start-up only reads the active key";
}

TEST_F(RegistryLayout, StartUpWritesFactoryCopyEvenWhenActiveDiffers) {
  SeedActive(store);
  WriteFactoryDefaults(store, tables);
  ReadActiveConfiguration(store, tables, activeName);
  EXPECT_EQ(store.Get("Software\\Kestro", "Instrument0"), Of(kFactoryInstrument[0], 16));
  EXPECT_EQ(Of(tables.instrument[0], 16), Filled(16, 0x10));
}

TEST_F(RegistryLayout, NoActiveKeyLeavesEverythingButClearsTheName) {
  CopyBounded(tables.deviceNames[0], kDeviceNameSize, "kept");
  tables.AssignRow(RowKind::Instrument, 5, 2);
  const MapTables before = tables;
  std::memset(activeName, 'X', sizeof activeName);
  ReadActiveConfiguration(store, tables, activeName);
  EXPECT_EQ(0, std::memcmp(&tables, &before, sizeof tables));
  EXPECT_EQ(Of(reinterpret_cast<std::uint8_t*>(activeName), 20), Filled(20, 0));
  EXPECT_FALSE(store.HasKey(kActive)) << "the active key is only opened";
}

TEST_F(RegistryLayout, MissingInstrumentValueEndsTheMapRead) {
  SeedActive(store);
  store.RemoveValue(kActive, "Instrument1");
  ReadActiveConfiguration(store, tables, activeName);
  EXPECT_EQ(Of(tables.instrument[0], 16), Filled(16, 0x10));
  EXPECT_EQ(Of(tables.percussion[0], 6), Filled(6, 0x20));
  for (int n = 1; n < 3; ++n) {
    EXPECT_EQ(Of(tables.instrument[n], 16), Of(kFactoryInstrument[n], 16));
    EXPECT_EQ(Of(tables.percussion[n], 6), Of(kFactoryPercussion[n], 6)) << "Percussion" << n;
  }
  EXPECT_STREQ(activeName, "jazz") << "the scheme is read after the maps all the same";
}

TEST_F(RegistryLayout, MissingPercussionValueKeepsItsMaskAndGoesOn) {
  SeedActive(store);
  store.RemoveValue(kActive, "Percussion0");
  ReadActiveConfiguration(store, tables, activeName);
  EXPECT_EQ(Of(tables.instrument[0], 16), Filled(16, 0x10));
  EXPECT_EQ(Of(tables.percussion[0], 6), Of(kFactoryPercussion[0], 6));
  EXPECT_EQ(Of(tables.instrument[2], 16), Filled(16, 0x12));
}

TEST_F(RegistryLayout, ShortValueReplacesOnlyLeadingBytesAndTypeIsNotChecked) {
  SeedActive(store);
  store.Put(kActive, "Instrument1", kTypeSz, Bytes{0xaa, 0xbb});
  ReadActiveConfiguration(store, tables, activeName);
  Bytes expected = Of(kFactoryInstrument[1], 16);
  expected[0] = 0xaa;
  expected[1] = 0xbb;
  EXPECT_EQ(Of(tables.instrument[1], 16), expected);
  EXPECT_EQ(Of(tables.instrument[2], 16), Filled(16, 0x12));
}

TEST_F(RegistryLayout, OversizedInstrumentValueFailsLikeAMissingOne) {
  SeedActive(store);
  store.Put(kActive, "Instrument0", kTypeBinary, Filled(17, 0x77));
  ReadActiveConfiguration(store, tables, activeName);
  EXPECT_EQ(Of(tables.instrument[0], 16), Of(kFactoryInstrument[0], 16));
  EXPECT_EQ(Of(tables.percussion[0], 6), Of(kFactoryPercussion[0], 6));
  EXPECT_EQ(Of(tables.instrument[1], 16), Of(kFactoryInstrument[1], 16));
}

TEST_F(RegistryLayout, FailedMaskReadLeavesTheMaskWhole) {
  // Even a read failure injected on an existing value must not leave part
  // of a mask changed.
  SeedActive(store);
  store.FailOnValue(Op::QueryValue, kActive, "Percussion1", 31);
  ReadActiveConfiguration(store, tables, activeName);
  EXPECT_EQ(Of(tables.percussion[1], 6), Of(kFactoryPercussion[1], 6));
  EXPECT_EQ(Of(tables.instrument[2], 16), Filled(16, 0x12));
}

TEST_F(RegistryLayout, DeviceNameFillingItsBufferIsCutTo31) {
  SeedActive(store);
  store.Put(kActive, "SoftSynDeviceName", kTypeSz, Text(std::string(32, 'w')));
  ReadActiveConfiguration(store, tables, activeName);
  EXPECT_EQ(std::string(tables.DeviceName(0)), std::string(31, 'w'));
}

TEST_F(RegistryLayout, FailedDeviceNameReadKeepsTheOldName) {
  SeedActive(store);
  store.Put(kActive, "SoftSynDeviceName", kTypeSz, Text(std::string(33, 'w')));
  store.RemoveValue(kActive, "MPUDeviceName");
  CopyBounded(tables.deviceNames[0], kDeviceNameSize, "old zero");
  CopyBounded(tables.deviceNames[1], kDeviceNameSize, "old one");
  ReadActiveConfiguration(store, tables, activeName);
  EXPECT_STREQ(tables.DeviceName(0), "old zero");
  EXPECT_STREQ(tables.DeviceName(1), "old one");
}

TEST_F(RegistryLayout, ShortDeviceNameWithoutNulLeavesNoOldTail) {
  SeedActive(store);
  store.Put(kActive, "MPUDeviceName", kTypeBinary, Text("MPU"));
  CopyBounded(tables.deviceNames[1], kDeviceNameSize, "a much longer old name");
  ReadActiveConfiguration(store, tables, activeName);
  EXPECT_STREQ(tables.DeviceName(1), "MPU");
}

TEST_F(RegistryLayout, SchemeValueIsAlwaysTerminatedWithinTwentyBytes) {
  struct Case {
    Bytes stored;
    std::string expected;
  } cases[] = {
      {Text(std::string(20, 's')), std::string(19, 's')},  // no NUL: cut
      {Text(std::string(21, 's')), ""},                    // too long: read fails
      {Text("rock"), "rock"},                              // short, no NUL
      {Bytes{}, ""},                                       // empty value
  };
  for (const Case& c : cases) {
    MemoryStore s;
    SeedActive(s);
    s.Put(kActive, "Scheme", kTypeSz, c.stored);
    std::memset(activeName, 'X', sizeof activeName);
    ReadActiveConfiguration(s, tables, activeName);
    EXPECT_EQ(activeName[19], '\0');
    EXPECT_EQ(std::string(activeName), c.expected);
  }
}

TEST_F(RegistryLayout, SchemeKeyPathJoinsWithOneBackslash) {
  char path[kKeyPathSize];
  EXPECT_TRUE(SchemeKeyPath("jazz", path));
  EXPECT_STREQ(path, "SOFTWARE\\Kestro\\AudioDriver\\jazz");
  EXPECT_TRUE(SchemeKeyPath("", path));
  EXPECT_STREQ(path, "SOFTWARE\\Kestro\\AudioDriver\\");
  const std::string longest(79, 'n');
  EXPECT_TRUE(SchemeKeyPath(longest.c_str(), path));
  EXPECT_EQ(std::string(path), std::string(kActive) + "\\" + longest);
}

TEST_F(RegistryLayout, SchemeKeyPathCutsAnOverlongNameWithinTheBuffer) {
  char path[kKeyPathSize + 1];
  path[kKeyPathSize] = 'G';
  const std::string name(200, 'n');
  EXPECT_FALSE(SchemeKeyPath(name.c_str(), reinterpret_cast<char(&)[kKeyPathSize]>(path)));
  EXPECT_EQ(std::strlen(path), kKeyPathSize - 1);
  EXPECT_EQ(path[kKeyPathSize], 'G');
}

TEST_F(RegistryLayout, SchemesAreListedInStoreOrderUntilAnOverlongName) {
  store.PutKey(std::string(kActive) + "\\rock");
  store.PutKey(std::string(kActive) + "\\jazz");
  store.PutKey(std::string(kActive) + "\\" + std::string(79, 'm'));
  store.PutKey(std::string(kActive) + "\\" + std::string(80, 'n'));
  store.PutKey(std::string(kActive) + "\\pop");
  std::vector<std::string> seen;
  EnumerateSchemes(store, [&](const char* name) {
    seen.push_back(name);
    return true;
  });
  EXPECT_EQ(seen, (std::vector<std::string>{"jazz", std::string(79, 'm')}));
}

TEST_F(RegistryLayout, SchemeListingStopsWhenTheVisitorSaysSo) {
  for (const char* n : {"a", "b", "c"}) store.PutKey(std::string(kActive) + "\\" + n);
  std::vector<std::string> seen;
  EnumerateSchemes(store, [&](const char* name) {
    seen.push_back(name);
    return seen.size() < 2;
  });
  EXPECT_EQ(seen, (std::vector<std::string>{"a", "b"}));
}

TEST_F(RegistryLayout, NoActiveKeyListsNoSchemes) {
  int visits = 0;
  EnumerateSchemes(store, [&](const char*) { return ++visits, true; });
  EXPECT_EQ(visits, 0);
}

TEST_F(RegistryLayout, DeleteSchemeKeyDeletesOnlyThatScheme) {
  store.PutKey(std::string(kActive) + "\\jazz");
  store.PutKey(std::string(kActive) + "\\rock");
  EXPECT_EQ(DeleteSchemeKey(store, "JAZZ"), kStoreOk);
  EXPECT_EQ(store.SubkeyNames(kActive), (std::vector<std::string>{"rock"}));
  EXPECT_EQ(DeleteSchemeKey(store, "jazz"), kStoreNotFound);
}

TEST_F(RegistryLayout, DeleteSchemeKeyRefusesNamesThatReachOtherKeys) {
  SeedActive(store);
  store.PutKey(std::string(kActive) + "\\jazz\\inner");
  for (const char* bad : {"", "\\", "jazz\\inner", "\\jazz"}) {
    EXPECT_NE(DeleteSchemeKey(store, bad), kStoreOk) << "'" << bad << "'";
  }
  EXPECT_NE(DeleteSchemeKey(store, nullptr), kStoreOk);
  // A name so long that its path would be cut must not delete the cut path.
  store.PutKey(std::string(kActive) + "\\" + std::string(92, 'x'));
  EXPECT_NE(DeleteSchemeKey(store, std::string(100, 'x').c_str()), kStoreOk);
  EXPECT_TRUE(store.HasKey(std::string(kActive) + "\\" + std::string(92, 'x')));
  EXPECT_TRUE(store.HasKey(std::string(kActive) + "\\jazz\\inner"));
  EXPECT_TRUE(store.Get(kActive, "Instrument0").has_value());
  for (const auto& call : store.Calls()) EXPECT_NE(call.op, Op::DeleteKey) << call.path;
}

// The one name rule of Save As, as typed: length is the field's own. In the
// double-byte case 0x81 leads and its trail byte 0x5C is no backslash.
TEST(SaveAsName, TakesOneToNineteenCharactersWithoutABackslash) {
  bool (*const singleByte)(unsigned char) = [](unsigned char) { return false; };
  bool (*const doubleByte)(unsigned char) = [](unsigned char c) { return c == 0x81; };
  const struct {
    const char* typed;
    int length;
    bool (*isLead)(unsigned char);
    bool taken;
  } cases[] = {
      {"jazz", 4, singleByte, true},
      {"   ", 3, singleByte, true},                    // blanks are a name
      {"abcdefghijklmnopqrs", 19, singleByte, true},   // "Scheme" holds it whole
      {"", 0, singleByte, false},                      // would name the active key itself
      {"abcdefghijklmnopqrs", 20, singleByte, false},  // cut by the copy: still refused
      {"a\\b", 3, singleByte, false},                  // would reach a nested key
      {"\\", 1, singleByte, false},
      {nullptr, 0, singleByte, false},
      {"\x81\\", 2, doubleByte, true},                  // a trail byte, no backslash
      {"\x81\\", 2, singleByte, false},
      {"\x81\\\\", 3, doubleByte, false},               // the character, then a backslash
  };
  for (const auto& c : cases) {
    EXPECT_EQ(IsSaveAsName(c.typed, c.length, c.isLead), c.taken)
        << (c.typed ? c.typed : "(null)") << " " << c.length;
  }
}

TEST_F(RegistryLayout, DeleteSchemeKeyReportsAKeyWithSubkeys) {
  store.PutKey(std::string(kActive) + "\\jazz\\inner");
  EXPECT_EQ(DeleteSchemeKey(store, "jazz"), kStoreAccessDenied);
  EXPECT_TRUE(store.HasKey(std::string(kActive) + "\\jazz"));
}

TEST_F(RegistryLayout, ActiveSchemeNameIsAlwaysTwentyBytes) {
  store.PutKey(kActive);
  ScopedKey key(store);
  ASSERT_EQ(key.Open(kActive), kStoreOk);
  struct Case {
    const char* name;
    std::string stored;  // before the zero filler
  } cases[] = {{"jazz", "jazz"}, {"", ""}, {nullptr, ""},
               {"abcdefghijklmnopqrstuvwxyz", "abcdefghijklmnopqrs"}};
  for (const Case& c : cases) {
    EXPECT_EQ(WriteActiveSchemeName(store, key.Get(), c.name), kStoreOk);
    const auto value = store.GetValue(kActive, "Scheme");
    ASSERT_TRUE(value.has_value());
    EXPECT_EQ(value->type, kTypeSz);
    Bytes expected(20, 0);
    std::memcpy(expected.data(), c.stored.data(), c.stored.size());
    EXPECT_EQ(value->data, expected) << (c.name ? c.name : "(null)");
  }
}

TEST_F(RegistryLayout, ActiveSchemeNameReportsAFailedWrite) {
  store.PutKey(kActive);
  store.FailOnValue(Op::SetValue, kActive, "SCHEME", 5);
  ScopedKey key(store);
  ASSERT_EQ(key.Open(kActive), kStoreOk);
  EXPECT_EQ(WriteActiveSchemeName(store, key.Get(), "jazz"), 5);
}

TEST_F(RegistryLayout, WrittenMapsReadBackUnchanged) {
  MapTables edited;
  edited.AssignRow(RowKind::Instrument, 40, 2);
  edited.AssignRow(RowKind::Percussion, 46, 1);
  ScopedKey key(store);
  ASSERT_EQ(key.Create(std::string(std::string(kActive) + "\\jazz").c_str()), kStoreOk);
  WriteMapValues(store, key.Get(), edited);
  ReadMapValues(store, key.Get(), tables);
  EXPECT_EQ(0, std::memcmp(tables.instrument, edited.instrument, sizeof tables.instrument));
  EXPECT_EQ(0, std::memcmp(tables.percussion, edited.percussion, sizeof tables.percussion));
  EXPECT_EQ(tables.SlotOf(RowKind::Instrument, 40), 2);
}

}  // namespace
}  // namespace klangrid
