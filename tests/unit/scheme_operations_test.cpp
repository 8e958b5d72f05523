#include "store/scheme_operations.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/store_seeding.h"

namespace klangrid::test {
namespace {

using Op = MemoryStore::Op;

constexpr int kViolin = 40;

class SchemeOperations : public ::testing::Test {
 protected:
  void TearDown() override { EXPECT_EQ(store.OpenKeyCount(), 0u) << "a key was left open"; }

  // What start-up lists, and the entry it selects ("" for none).
  std::string SelectedAtStartUp(const char* active) {
    char select[kSchemeNameSize];
    listed.clear();
    ListSchemes(store, active, [&](const char* name) { listed.push_back(name); }, select);
    return select;
  }

  MemoryStore store;
  MapTables tables;
  std::vector<std::string> listed;
};

TEST_F(SchemeOperations, StartUpSelectsTheSchemeTheStoredNameNamesAsTheRegistryWould) {
  store.PutKey(SchemePath("\xC9t\xE9"));  // "Été"
  store.PutKey(SchemePath("jazz2"));
  EXPECT_EQ(SelectedAtStartUp("\xE9T\xC9"), "\xC9t\xE9");
  EXPECT_EQ(listed.size(), 2u);
  EXPECT_EQ(SelectedAtStartUp("jazz"), "") << "a prefix names nothing";
  EXPECT_EQ(SelectedAtStartUp(""), "");
}

// Two Arabic words whose bytes differ where Windows-1252 has a case pair:
// two keys in code page 1256, so neither stands for the other.
TEST(SchemeOperationsInACodePage, NamesTheRegistryKeepsApartStayTwoSchemes) {
  const char* const lahn = "\xE1\xCD\xE4";
  const char* const layyin = "\xE1\xED\xE4";
  MemoryStore store(1256);
  PutMaps(store, SchemePath(lahn), MapsWith(kViolin, 1));
  PutMaps(store, SchemePath(layyin), MapsWith(kViolin, 2));
  std::vector<std::string> listed;
  char select[kSchemeNameSize];
  ListSchemes(store, lahn, [&](const char* name) { listed.push_back(name); }, select);
  EXPECT_STREQ(select, lahn);
  EXPECT_EQ(listed.size(), 2u);

  SaveAsTarget target;
  ASSERT_TRUE(PrepareSaveAs(store, "\xE1\xE3\xE4", &target));  // a third word
  EXPECT_FALSE(target.exists);
  EXPECT_TRUE(SaveSchemeAs(store, target, MapsWith(kViolin, 0)).saved);
  EXPECT_TRUE(HoldsMaps(store, SchemePath(lahn), MapsWith(kViolin, 1)));
  EXPECT_TRUE(HoldsMaps(store, SchemePath(layyin), MapsWith(kViolin, 2)));
  EXPECT_EQ(store.SubkeyNames(kActiveKeyPath).size(), 3u);
}

TEST_F(SchemeOperations, AFullStoredNameThatMayBeALongerSchemeCutToFitSelectsNothing) {
  // "Scheme" holds 19 characters: OK with the longer one selected stores
  // its first 19, which must not select the shorter one at the next start.
  store.PutKey(SchemePath("abcdefghijklmnopqrs"));
  EXPECT_EQ(SelectedAtStartUp("abcdefghijklmnopqrs"), "abcdefghijklmnopqrs");
  store.PutKey(SchemePath("ABCDEFGHIJKLMNOPQRSTUV"));
  EXPECT_EQ(SelectedAtStartUp("abcdefghijklmnopqrs"), "");
}

TEST_F(SchemeOperations, DefaultFallsBackToTheBuiltInMapsWhenTheFactoryKeyCannotBeRead) {
  const MapTables edited = MapsWith(kViolin, 2);
  tables = edited;
  store.FailOn(Op::OpenKey, kFactoryKeyPath);
  EXPECT_FALSE(LoadFactoryMaps(store, tables));
  EXPECT_TRUE(SameMaps(tables, MapTables()));

  // A factory key missing a value is no source of defaults either.
  store.ClearFaults();
  PutMaps(store, kFactoryKeyPath, edited);
  store.RemoveValue(kFactoryKeyPath, "Percussion2");
  tables = edited;
  EXPECT_FALSE(LoadFactoryMaps(store, tables));
  EXPECT_TRUE(SameMaps(tables, MapTables()));

  PutMaps(store, kFactoryKeyPath, edited);
  tables = MapTables();
  EXPECT_TRUE(LoadFactoryMaps(store, tables));
  EXPECT_TRUE(SameMaps(tables, edited)) << "the factory key is read when it can be";
}

TEST_F(SchemeOperations, SaveAsFindsAnExistingSchemeByTheStoresOwnNameRules) {
  SaveAsTarget target;
  // Capitals beyond A..Z: "été" is the key "Été".
  store.PutKey(SchemePath("\xC9t\xE9"));
  ASSERT_TRUE(PrepareSaveAs(store, "\xE9t\xE9", &target));
  EXPECT_TRUE(target.exists);
  // A scheme the list never reached, past a name too long to enumerate.
  store.PutKey(SchemePath("a" + std::string(85, 'x')));
  store.PutKey(SchemePath("zz"));
  ASSERT_TRUE(PrepareSaveAs(store, "ZZ", &target));
  EXPECT_TRUE(target.exists);
  EXPECT_STREQ(target.name, "zz");
  ASSERT_TRUE(PrepareSaveAs(store, "New", &target));
  EXPECT_FALSE(target.exists);
  EXPECT_STREQ(target.name, "new");
  // A key that cannot be opened may be there: never taken for new.
  store.FailOn(Op::OpenKey, SchemePath("locked"));
  ASSERT_TRUE(PrepareSaveAs(store, "locked", &target));
  EXPECT_TRUE(target.exists);
}

TEST_F(SchemeOperations, SaveAsRefusesNamesThatCannotBeASchemeKey) {
  SaveAsTarget target;
  for (const std::string& name : {std::string(), std::string("a\\b"), std::string(100, 'n')}) {
    EXPECT_FALSE(PrepareSaveAs(store, name.c_str(), &target)) << name;
  }
  EXPECT_TRUE(store.Calls().empty());
}

TEST_F(SchemeOperations, SaveAsOfANewSchemeThatFailsLeavesNoKeyBehind) {
  tables = MapsWith(kViolin, 2);
  SaveAsTarget target;
  ASSERT_TRUE(PrepareSaveAs(store, "Jazz", &target));
  store.FailOnValue(Op::SetValue, SchemePath("jazz"), "Percussion2");
  SaveAsResult result = SaveSchemeAs(store, target, tables);
  EXPECT_FALSE(result.saved);
  EXPECT_FALSE(result.listed);
  EXPECT_FALSE(store.HasKey(SchemePath("jazz")));
  EXPECT_FALSE(store.HasKey(kActiveKeyPath)) << "the driver's key was made by the failed save";

  store.ClearFaults();
  result = SaveSchemeAs(store, target, tables);
  EXPECT_TRUE(result.saved && result.listed);
  EXPECT_TRUE(HoldsMaps(store, SchemePath("jazz"), tables));
}

}  // namespace
}  // namespace klangrid::test
