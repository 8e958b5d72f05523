// The real registry store in the process's ANSI code page: the name tables
// of the rows for that code page, and, in code page 932 (a prefix whose Wine
// runs under a Japanese locale), two names that differ only in trail bytes.
//
// With --code-page=N the program checks that Wine gave it code page N and
// otherwise exits 77 (skipped), naming the reason: the Unix locale that
// yields it may not be generated on this host.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>

#include "store/scheme_operations.h"
#include "store/win/registry_store.h"
#include "tests/support/key_name_cases.h"
#include "tests/support/store_seeding.h"

namespace klangrid::test {
namespace {

constexpr int kViolin = 40;

// A scratch key below HKEY_CURRENT_USER as the store's root, removed before
// and after.
class CodePage : public ::testing::Test {
 protected:
  CodePage() : path_("Software\\KlangridCodePage-" + std::to_string(GetCurrentProcessId())) {
    RegDeleteTreeA(HKEY_CURRENT_USER, path_.c_str());
    RegCreateKeyA(HKEY_CURRENT_USER, path_.c_str(), &root_);
  }
  ~CodePage() override {
    if (root_) RegCloseKey(root_);
    RegDeleteTreeA(HKEY_CURRENT_USER, path_.c_str());
  }
  void SetUp() override { ASSERT_NE(root_, nullptr); }

  std::string path_;
  HKEY root_ = nullptr;
};

TEST_F(CodePage, TheStoreFollowsTheTablesOfItsCodePage) {
  RegistryStore store(root_);
  const unsigned codePage = GetACP();
  int rows = 0;
  for (const SameKeyCase& c : kSameKeyCases) {
    if (c.codePage != codePage) continue;
    ++rows;
    SCOPED_TRACE(std::string(c.a) + " / " + c.b);
    EXPECT_EQ(store.SameKeyName(c.a, c.b), c.join);
    // And the registry itself agrees.
    ScopedKey made(store);
    ASSERT_EQ(made.Create((std::string("names\\") + c.a).c_str()), kStoreOk);
    EXPECT_EQ(KeyExists(store, (std::string("names\\") + c.b).c_str()), c.join);
    made.Close();
    store.DeleteKey((std::string("names\\") + c.a).c_str());
  }
  for (const LeadByteCase& c : kLeadByteCases) {
    if (c.codePage != codePage) continue;
    ++rows;
    EXPECT_EQ(store.IsLeadByte(c.byte), c.lead) << int(c.byte);
  }
  for (const SaveAsNameCase& c : kSaveAsNameCases) {
    if (c.codePage != codePage) continue;
    ++rows;
    SaveAsTarget target;
    ASSERT_TRUE(PrepareSaveAs(store, c.typed, &target)) << c.typed;
    EXPECT_STREQ(target.name, c.saved);
  }
  EXPECT_GT(rows, 0) << "no rows for code page " << codePage;
}

TEST_F(CodePage, JapaneseNamesStayTwoKeysAndAreSavedUnchanged) {
  if (GetACP() != 932) GTEST_SKIP() << "needs code page 932, the process has " << GetACP();
  RegistryStore store(root_);
  const char* const jazz = "\x83\x57\x83\x83\x83\x59";  // typed, and its trail bytes W and Y
  const char* const other = "\x83\x77\x83\x83\x83\x79";  // the same with w and y

  SaveAsTarget target;
  ASSERT_TRUE(PrepareSaveAs(store, jazz, &target));
  EXPECT_STREQ(target.name, jazz);
  EXPECT_FALSE(target.exists);
  EXPECT_TRUE(SaveSchemeAs(store, target, MapsWith(kViolin, 1)).saved);
  ASSERT_TRUE(PrepareSaveAs(store, other, &target));
  EXPECT_FALSE(target.exists) << "another key";
  EXPECT_TRUE(SaveSchemeAs(store, target, MapsWith(kViolin, 2)).saved);

  std::set<std::string> listed;
  char select[kSchemeNameSize];
  ListSchemes(store, jazz, [&](const char* name) { listed.insert(name); }, select);
  EXPECT_EQ(listed, (std::set<std::string>{jazz, other}));
  EXPECT_STREQ(select, jazz);
  MapTables tables;
  ASSERT_TRUE(LoadScheme(store, jazz, tables));
  EXPECT_EQ(tables.SlotOf(RowKind::Instrument, kViolin), 1);

  // The keys carry the Japanese names themselves.
  HKEY driver = nullptr;
  ASSERT_EQ(RegOpenKeyExA(root_, kActiveKeyPath, 0, KEY_READ, &driver), ERROR_SUCCESS);
  std::set<std::wstring> names;
  WCHAR name[256];
  for (DWORD i = 0;; ++i) {
    DWORD length = 256;
    if (RegEnumKeyExW(driver, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    names.insert(name);
  }
  RegCloseKey(driver);
  EXPECT_EQ(names, (std::set<std::wstring>{L"\u30B8\u30E3\u30BA", L"\u30D8\u30E3\u30DA"}));
}

}  // namespace
}  // namespace klangrid::test

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  for (int i = 1; i < argc; ++i) {
    if (std::strncmp(argv[i], "--code-page=", 12) != 0) continue;
    const unsigned wanted = static_cast<unsigned>(std::strtoul(argv[i] + 12, nullptr, 10));
    if (GetACP() != wanted) {
      std::printf("skipped: Wine gave code page %u, not %u (is the Unix locale generated?)\n",
                  GetACP(), wanted);
      return 77;
    }
  }
  return RUN_ALL_TESTS();
}
