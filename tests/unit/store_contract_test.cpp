// One suite, every store: what the program relies on from the registry is
// checked on the in-memory stand-in and, in the Windows build, on the real
// registry, so the two cannot drift apart.
#ifdef _WIN32
#include "store/win/registry_store.h"
#endif

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "store/registry_layout.h"
#include "store/scheme_operations.h"
#include "tests/support/memory_store.h"

namespace klangrid {
namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr std::uint8_t kGuard = 0xAA;
constexpr std::size_t kGuardBytes = 4;
constexpr unsigned long kOddType = 0x1234;  // no registry type; stored all the same

struct MemoryBackend {
  static constexpr const char* kName = "Memory";
  SettingsStore& Store() { return store; }
  void PutKeyWithoutAnsiName(const std::string& parent) { store.PutKeyWithoutAnsiName(parent); }
  MemoryStore store;
};

#ifdef _WIN32
// A scratch key below HKEY_CURRENT_USER, private to this process, removed
// before and after each test.
struct RegistryBackend {
  static constexpr const char* kName = "Registry";
  RegistryBackend() : path("Software\\KlangridTest-" + std::to_string(GetCurrentProcessId())) {
    RegDeleteTreeA(HKEY_CURRENT_USER, path.c_str());
    if (RegCreateKeyA(HKEY_CURRENT_USER, path.c_str(), &root) != ERROR_SUCCESS) root = nullptr;
    store = std::make_unique<RegistryStore>(root);
  }
  ~RegistryBackend() {
    store.reset();
    if (root) RegCloseKey(root);
    RegDeleteTreeA(HKEY_CURRENT_USER, path.c_str());
  }
  SettingsStore& Store() { return *store; }
  // A key named, as another program may, by a letter outside the code page
  // (A with macron; "Aria" is its best fit in Windows-1252). ASCII parent.
  void PutKeyWithoutAnsiName(const std::string& parent) {
    const std::wstring wide = std::wstring(parent.begin(), parent.end()) + L"\\\u0100ria";
    HKEY key = nullptr;
    if (RegCreateKeyExW(root, wide.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) ==
        ERROR_SUCCESS)
      RegCloseKey(key);
  }
  std::string path;
  HKEY root = nullptr;
  std::unique_ptr<RegistryStore> store;
};

// The same scratch key through the calls that name the other registry view.
// HKEY_CURRENT_USER\Software is one key in both views, so nothing differs.
struct RegistryOtherViewBackend : RegistryBackend {
  static constexpr const char* kName = "RegistryOtherView";
  RegistryOtherViewBackend() {
    const REGSAM other = sizeof(void*) == 8 ? KEY_WOW64_32KEY : KEY_WOW64_64KEY;
    store = std::make_unique<RegistryStore>(root, other);
  }
};
#endif

template <typename Backend>
class StoreContract : public ::testing::Test {
 protected:
  Backend backend;  // before store, which refers into it
  SettingsStore& store = backend.Store();

  void MakeKey(const std::string& path) {
    SettingsStore::Key key;
    ASSERT_EQ(store.CreateKey(path.c_str(), &key), kStoreOk) << path;
    store.CloseKey(key);
  }
  void Put(const std::string& path, const char* name, unsigned long type, const Bytes& data) {
    SettingsStore::Key key;
    ASSERT_EQ(store.CreateKey(path.c_str(), &key), kStoreOk) << path;
    EXPECT_EQ(store.SetValue(key, name, type, data.data(), static_cast<unsigned long>(data.size())),
              kStoreOk);
    store.CloseKey(key);
  }
  // Reads into a buffer of size bytes followed by guard bytes, everything
  // set to kGuard first; returns the whole buffer, guard included.
  Bytes Read(const std::string& path, const char* name, unsigned long size, long* status) {
    Bytes buffer(size + kGuardBytes, kGuard);
    SettingsStore::Key key;
    *status = store.OpenKey(path.c_str(), &key);
    if (*status != kStoreOk) return buffer;
    *status = store.QueryValue(key, name, buffer.data(), size);
    store.CloseKey(key);
    return buffer;
  }
  bool CanOpen(const std::string& path) {
    SettingsStore::Key key;
    if (store.OpenKey(path.c_str(), &key) != kStoreOk) return false;
    store.CloseKey(key);
    return true;
  }
  std::vector<std::string> Subkeys(const std::string& path) {
    std::vector<std::string> names;
    SettingsStore::Key key;
    if (store.OpenKey(path.c_str(), &key) != kStoreOk) return names;
    char name[kSchemeNameSize];
    for (unsigned long i = 0; store.EnumKey(key, i, name, sizeof name) == kStoreOk; ++i) {
      names.push_back(name);
    }
    store.CloseKey(key);
    return names;
  }
};

#ifdef _WIN32
using Backends = ::testing::Types<MemoryBackend, RegistryBackend, RegistryOtherViewBackend>;
#else
using Backends = ::testing::Types<MemoryBackend>;
#endif

struct BackendName {
  template <typename T>
  static std::string GetName(int) {
    return T::kName;
  }
};
TYPED_TEST_SUITE(StoreContract, Backends, BackendName);

Bytes WithGuard(Bytes leading, std::size_t size) {
  leading.resize(size + kGuardBytes, kGuard);
  return leading;
}

TYPED_TEST(StoreContract, CreateMakesMissingParentsAndReopensExisting) {
  this->Put("A\\B\\C", "v", kTypeBinary, {1, 2});
  EXPECT_TRUE(this->CanOpen("A"));
  EXPECT_TRUE(this->CanOpen("A\\B"));
  this->MakeKey("A\\B\\C");
  long status;
  EXPECT_EQ(this->Read("A\\B\\C", "v", 2, &status), WithGuard({1, 2}, 2));
  EXPECT_EQ(status, kStoreOk);
}

TYPED_TEST(StoreContract, OpenOfMissingKeyFailsAndLeavesTheHandle) {
  this->MakeKey("A");
  int marker = 0;
  SettingsStore::Key key = &marker;
  EXPECT_EQ(this->store.OpenKey("Missing", &key), MemoryStore::kFileNotFound);
  EXPECT_EQ(this->store.OpenKey("A\\Missing", &key), MemoryStore::kFileNotFound);
  EXPECT_EQ(key, &marker);
}

TYPED_TEST(StoreContract, KeyAndValueNamesIgnoreCase) {
  this->Put("Software\\Kestro", "Instrument0", kTypeBinary, {7});
  this->MakeKey("SOFTWARE\\KESTRO\\AudioDriver");
  long status;
  EXPECT_EQ(this->Read("software\\kestro", "INSTRUMENT0", 1, &status)[0], 7);
  EXPECT_EQ(status, kStoreOk);
  EXPECT_EQ(this->Subkeys("SOFTWARE"), (std::vector<std::string>{"Kestro"}))
      << "one key, named as first created";
  this->Put("SOFTWARE\\Kestro", "instrument0", kTypeBinary, {8});
  EXPECT_EQ(this->Read("Software\\Kestro", "Instrument0", 1, &status)[0], 8);
}

TYPED_TEST(StoreContract, KeyNamesFoldEveryLetterOfTheCodePage) {
  // Windows-1252 pairs beyond A..Z name one key; the signs that look like a
  // pair (multiplication and division) do not.
  const std::pair<const char*, const char*> same[] = {
      {"\xC9t\xE9", "\xE9T\xC9"}, {"BL\xC4SER", "bl\xE4ser"}, {"\xDE\xD8", "\xFE\xF8"},
      {"\x8A\x8C\x8E", "\x9A\x9C\x9E"}, {"\x9F", "\xFF"}};
  for (const auto& pair : same) {
    this->MakeKey(std::string("S\\") + pair.first);
    EXPECT_TRUE(this->CanOpen(std::string("S\\") + pair.second)) << pair.second;
  }
  this->MakeKey("S\\\xD7");
  EXPECT_FALSE(this->CanOpen("S\\\xF7"));
  EXPECT_EQ(this->Subkeys("S").size(), 6u);
}

TYPED_TEST(StoreContract, AKeyTheCodePageCannotNameIsNeitherListedNorTouched) {
  const std::string driver = kActiveKeyPath;
  this->MakeKey(driver + "\\aria");
  this->MakeKey(driver + "\\zither");
  this->backend.PutKeyWithoutAnsiName(driver);
  std::vector<std::string> listed;
  EnumerateSchemes(this->store, [&](const char* name) {
    listed.push_back(name);
    return true;
  });
  EXPECT_EQ(listed, (std::vector<std::string>{"aria", "zither"}));
  // Deleting what the list shows, or the name a best fit would show, leaves
  // that key as it was.
  EXPECT_TRUE(DeleteScheme(this->store, "aria"));
  DeleteScheme(this->store, "Aria");
  ScopedKey key(this->store);
  ASSERT_EQ(key.Open(kActiveKeyPath), kStoreOk);
  char name[kSchemeNameSize];
  int unnamed = 0;
  for (unsigned long i = 0; i < 3; ++i)
    unnamed += this->store.EnumKey(key.Get(), i, name, sizeof name) == kStoreNoAnsiName;
  EXPECT_EQ(unnamed, 1);
}

TYPED_TEST(StoreContract, TrailingBackslashNamesTheSameKey) {
  // OK with no active scheme opens the active key's path plus "\".
  this->Put("A\\B", "v", kTypeBinary, {5});
  long status;
  EXPECT_EQ(this->Read("A\\B\\", "v", 1, &status)[0], 5);
  EXPECT_EQ(status, kStoreOk);
}

TYPED_TEST(StoreContract, RootItselfAndLeadingBackslashAreRefused) {
  this->MakeKey("A");
  SettingsStore::Key key;
  EXPECT_NE(this->store.OpenKey("", &key), kStoreOk);
  EXPECT_NE(this->store.CreateKey("", &key), kStoreOk);
  EXPECT_NE(this->store.OpenKey("\\A", &key), kStoreOk);
  EXPECT_NE(this->store.DeleteKey(""), kStoreOk);
  EXPECT_TRUE(this->CanOpen("A")) << "the root and its keys survive";
}

TYPED_TEST(StoreContract, ShorterValueFillsOnlyItsLeadingBytes) {
  this->Put("K", "bin", kTypeBinary, {1, 2, 3});
  this->Put("K", "text", kTypeSz, {'a', 'b', 'c'});  // no NUL
  this->Put("K", "textnul", kTypeSz, {'a', 'b', '\0'});
  long status;
  EXPECT_EQ(this->Read("K", "bin", 8, &status), WithGuard({1, 2, 3}, 8));
  EXPECT_EQ(status, kStoreOk);
  // The registry would append a NUL after text that has none.
  EXPECT_EQ(this->Read("K", "text", 8, &status), WithGuard({'a', 'b', 'c'}, 8));
  EXPECT_EQ(status, kStoreOk);
  EXPECT_EQ(this->Read("K", "textnul", 8, &status), WithGuard({'a', 'b', '\0'}, 8));
  EXPECT_EQ(status, kStoreOk);
}

TYPED_TEST(StoreContract, ValueOfExactlyTheBufferSizeIsRead) {
  Bytes mask(16);
  for (std::size_t i = 0; i < mask.size(); ++i) mask[i] = static_cast<std::uint8_t>(0xf0 + i);
  this->Put("K", "Instrument0", kTypeBinary, mask);
  long status;
  EXPECT_EQ(this->Read("K", "Instrument0", 16, &status), WithGuard(mask, 16));
  EXPECT_EQ(status, kStoreOk);
}

TYPED_TEST(StoreContract, LongerValueFailsAndLeavesTheBufferAlone) {
  this->Put("K", "bin", kTypeBinary, Bytes(17, 0x11));
  this->Put("K", "text", kTypeSz, Bytes(21, 't'));
  long status;
  EXPECT_EQ(this->Read("K", "bin", 16, &status), Bytes(16 + kGuardBytes, kGuard));
  EXPECT_EQ(status, MemoryStore::kMoreData);
  EXPECT_EQ(this->Read("K", "text", 20, &status), Bytes(20 + kGuardBytes, kGuard));
  EXPECT_EQ(status, MemoryStore::kMoreData);
}

TYPED_TEST(StoreContract, MissingValueFailsAndLeavesTheBufferAlone) {
  this->MakeKey("K");
  long status;
  EXPECT_EQ(this->Read("K", "Instrument1", 16, &status), Bytes(16 + kGuardBytes, kGuard));
  EXPECT_EQ(status, MemoryStore::kFileNotFound);
}

TYPED_TEST(StoreContract, TypeIsNotExaminedOnRead) {
  this->Put("K", "odd", kOddType, {9, 8, 7});
  this->Put("K", "dword", 4 /* REG_DWORD */, {1, 0, 0, 0});
  long status;
  EXPECT_EQ(this->Read("K", "odd", 6, &status), WithGuard({9, 8, 7}, 6));
  EXPECT_EQ(status, kStoreOk);
  EXPECT_EQ(this->Read("K", "dword", 16, &status), WithGuard({1, 0, 0, 0}, 16));
  EXPECT_EQ(status, kStoreOk);
}

TYPED_TEST(StoreContract, SchemeValueKeepsItsTwentyBytes) {
  SettingsStore::Key key;
  ASSERT_EQ(this->store.CreateKey("K", &key), kStoreOk);
  EXPECT_EQ(WriteActiveSchemeName(this->store, key, "jazz"), kStoreOk);
  this->store.CloseKey(key);
  Bytes expected(20, 0);
  std::memcpy(expected.data(), "jazz", 4);
  long status;
  EXPECT_EQ(this->Read("K", "Scheme", 20, &status), WithGuard(expected, 20));
  EXPECT_EQ(status, kStoreOk);
  this->Read("K", "Scheme", 19, &status);
  EXPECT_EQ(status, MemoryStore::kMoreData) << "not one byte less was stored";
}

TYPED_TEST(StoreContract, EnumerationNeedsRoomForTheNameAndItsNul) {
  const std::string fits(79, 'm');
  const std::string tooLong(80, 'n');
  this->MakeKey("E\\" + fits);
  this->MakeKey("E\\" + tooLong);
  SettingsStore::Key key;
  ASSERT_EQ(this->store.OpenKey("E", &key), kStoreOk);
  char buffer[80 + kGuardBytes];
  std::memset(buffer, kGuard, sizeof buffer);
  EXPECT_EQ(this->store.EnumKey(key, 0, buffer, 80), kStoreOk);
  EXPECT_EQ(std::string(buffer), fits);
  EXPECT_EQ(static_cast<std::uint8_t>(buffer[80]), kGuard);
  std::memset(buffer, kGuard, sizeof buffer);
  EXPECT_EQ(this->store.EnumKey(key, 1, buffer, 80), MemoryStore::kMoreData);
  for (char c : buffer) EXPECT_EQ(static_cast<std::uint8_t>(c), kGuard);
  EXPECT_EQ(this->store.EnumKey(key, 2, buffer, 80), MemoryStore::kNoMoreItems);
  this->store.CloseKey(key);
}

TYPED_TEST(StoreContract, EnumerationIsAlphabeticalWithoutRegardToCase) {
  for (const char* name : {"gamma", "Beta", "alpha", "Delta9", "delta10"}) this->MakeKey(std::string("E\\") + name);
  EXPECT_EQ(this->Subkeys("E"),
            (std::vector<std::string>{"alpha", "Beta", "delta10", "Delta9", "gamma"}));
}

TYPED_TEST(StoreContract, DeleteRefusesKeysWithSubkeysAndMissingKeys) {
  this->MakeKey("D\\Parent\\Child");
  EXPECT_EQ(this->store.DeleteKey("D\\Parent"), MemoryStore::kAccessDenied);
  EXPECT_TRUE(this->CanOpen("D\\Parent\\Child"));
  EXPECT_EQ(this->store.DeleteKey("D\\Missing"), MemoryStore::kFileNotFound);
  EXPECT_EQ(this->store.DeleteKey("D\\PARENT\\child"), kStoreOk);
  EXPECT_FALSE(this->CanOpen("D\\Parent\\Child"));
  EXPECT_EQ(this->store.DeleteKey("D\\Parent"), kStoreOk);
  EXPECT_EQ(this->Subkeys("D"), std::vector<std::string>{});
}

TYPED_TEST(StoreContract, HandleOfADeletedKeyFails) {
  this->Put("D\\Gone", "v", kTypeBinary, {1});
  SettingsStore::Key key;
  ASSERT_EQ(this->store.OpenKey("D\\Gone", &key), kStoreOk);
  ASSERT_EQ(this->store.DeleteKey("D\\Gone"), kStoreOk);
  std::uint8_t byte = kGuard;
  EXPECT_EQ(this->store.QueryValue(key, "v", &byte, 1), MemoryStore::kKeyDeleted);
  EXPECT_EQ(byte, kGuard);
  EXPECT_EQ(this->store.SetValue(key, "v", kTypeBinary, &byte, 1), MemoryStore::kKeyDeleted);
  this->store.CloseKey(key);
  EXPECT_FALSE(this->CanOpen("D\\Gone"));
}

TYPED_TEST(StoreContract, StartUpAndSchemeOperationsRoundTrip) {
  // Driver configuration as another program version left it.
  MapTables stored;
  stored.AssignRow(RowKind::Instrument, 40, 2);
  stored.AssignRow(RowKind::Percussion, 0, 1);
  {
    ScopedKey active(this->store);
    ASSERT_EQ(active.Create(kActiveKeyPath), kStoreOk);
    EXPECT_EQ(WriteMapValues(this->store, active.Get(), stored), kStoreOk);
    EXPECT_EQ(WriteActiveSchemeName(this->store, active.Get(), "jazz"), kStoreOk);
    const char name[] = "FM Synth";
    this->store.SetValue(active.Get(), kMpuNameValue, kTypeSz, name, sizeof name);
  }
  this->MakeKey(std::string(kActiveKeyPath) + "\\jazz");
  this->MakeKey(std::string(kActiveKeyPath) + "\\Blues");

  MapTables tables;
  char activeName[kSchemeValueSize];
  EXPECT_EQ(WriteFactoryDefaults(this->store, tables), kStoreOk);
  ReadActiveConfiguration(this->store, tables, activeName);
  EXPECT_STREQ(activeName, "jazz");
  EXPECT_STREQ(tables.DeviceName(1), "FM Synth");
  EXPECT_STREQ(tables.DeviceName(0), "");
  EXPECT_EQ(0, std::memcmp(tables.instrument, stored.instrument, sizeof stored.instrument));
  EXPECT_EQ(0, std::memcmp(tables.percussion, stored.percussion, sizeof stored.percussion));

  // Loading the defaults reads the factory copy, written in capitals.
  {
    ScopedKey factory(this->store);
    ASSERT_EQ(factory.Open(kFactoryKeyPathUpper), kStoreOk);
    ReadMapValues(this->store, factory.Get(), tables);
  }
  EXPECT_EQ(0, std::memcmp(tables.instrument, kFactoryInstrument, sizeof tables.instrument));

  std::vector<std::string> schemes;
  EnumerateSchemes(this->store, [&](const char* n) { return schemes.push_back(n), true; });
  EXPECT_EQ(schemes, (std::vector<std::string>{"Blues", "jazz"}));
  EXPECT_EQ(DeleteSchemeKey(this->store, "JAZZ"), kStoreOk);
  EXPECT_NE(DeleteSchemeKey(this->store, ""), kStoreOk);
  EXPECT_TRUE(this->CanOpen(kActiveKeyPath));
  EXPECT_EQ(this->Subkeys(kActiveKeyPath), std::vector<std::string>{"Blues"});
}

// The stand-in's own test conveniences, which other tests depend on.
TEST(MemoryStoreFaults, MatchPathWithoutCaseAndOptionallyOneValue) {
  MemoryStore store;
  store.PutText("A\\B", "x", "1");
  store.PutText("A\\B", "y", "2");
  store.FailOnValue(MemoryStore::Op::QueryValue, "a\\b", "X", 31);
  store.FailOn(MemoryStore::Op::DeleteKey, "A\\b");
  SettingsStore::Key key;
  ASSERT_EQ(store.OpenKey("A\\B", &key), kStoreOk);
  char buf[4];
  EXPECT_EQ(store.QueryValue(key, "x", buf, sizeof buf), 31);
  EXPECT_EQ(store.QueryValue(key, "y", buf, sizeof buf), kStoreOk);
  store.CloseKey(key);
  EXPECT_EQ(store.DeleteKey("A\\B"), MemoryStore::kAccessDenied);
  EXPECT_TRUE(store.HasKey("A\\B"));
  store.ClearFaults();
  EXPECT_EQ(store.DeleteKey("A\\B"), kStoreOk);
}

TEST(MemoryStoreFaults, CreateFailureCreatesNothing) {
  MemoryStore store;
  store.FailOn(MemoryStore::Op::CreateKey, "P\\Q");
  SettingsStore::Key key;
  EXPECT_EQ(store.CreateKey("p\\q", &key), MemoryStore::kAccessDenied);
  EXPECT_FALSE(store.HasKey("P"));
  EXPECT_EQ(store.OpenKeyCount(), 0u);
}

TEST(MemoryStoreLog, RecordsEveryCallWithItsKeyPathAndStatus) {
  MemoryStore store;
  SettingsStore::Key key;
  ASSERT_EQ(store.CreateKey("K", &key), kStoreOk);
  EXPECT_EQ(store.OpenKeyCount(), 1u);
  const std::uint8_t data[3] = {1, 2, 3};
  store.SetValue(key, "v", kTypeBinary, data, 3);
  store.CloseKey(key);
  EXPECT_EQ(store.CloseKey(key), MemoryStore::kInvalidHandle) << "closed twice";
  EXPECT_EQ(store.OpenKeyCount(), 0u);
  const auto writes = store.SetValueCalls();
  ASSERT_EQ(writes.size(), 1u);
  EXPECT_EQ(writes[0].path, "K");
  EXPECT_EQ(writes[0].name, "v");
  EXPECT_EQ(writes[0].size, 3u);
  EXPECT_EQ(writes[0].data, (Bytes{1, 2, 3}));
  EXPECT_EQ(store.Calls().size(), 4u);
  EXPECT_EQ(store.Calls().back().status, MemoryStore::kInvalidHandle);
}

}  // namespace
}  // namespace klangrid
