// The code-page rules of scheme names, table by table (the tables are
// shared with the Windows test of the real registry).
#include "store/key_names.h"

#include <gtest/gtest.h>

#include <string>

#include "store/scheme_operations.h"
#include "tests/support/key_name_cases.h"
#include "tests/support/memory_store.h"

namespace klangrid::test {
namespace {

TEST(KeyNames, NamesJoinOrStayApartByTheirCodePage) {
  for (const SameKeyCase& c : kSameKeyCases) {
    SCOPED_TRACE(std::to_string(c.codePage) + ": " + c.a + " / " + c.b);
    EXPECT_EQ(EqualsAsKeyName(c.codePage, c.a, c.b), c.join);
    EXPECT_EQ(EqualsAsKeyName(c.codePage, c.b, c.a), c.join);
    MemoryStore store(c.codePage);
    EXPECT_EQ(store.SameKeyName(c.a, c.b), c.join) << "the in-memory store keeps the rule";
  }
}

TEST(KeyNames, LeadBytesOfEachCodePage) {
  for (const LeadByteCase& c : kLeadByteCases) {
    EXPECT_EQ(IsLeadByteOfCodePage(c.codePage, c.byte), c.lead) << c.codePage << " " << int(c.byte);
  }
}

TEST(KeyNames, SaveAsLowersOnlyAtoZAndNeverATrailByte) {
  for (const SaveAsNameCase& c : kSaveAsNameCases) {
    SCOPED_TRACE(std::to_string(c.codePage) + ": " + c.typed);
    MemoryStore store(c.codePage);
    SaveAsTarget target;
    ASSERT_TRUE(PrepareSaveAs(store, c.typed, &target));
    EXPECT_EQ(std::string(target.name), c.saved);
  }
  // A name cut within its last character keeps that lead byte.
  MemoryStore japanese(932);
  char cut[] = "AB\x83";
  LowerAsciiLetters(japanese, cut);
  EXPECT_STREQ(cut, "ab\x83");
}

}  // namespace
}  // namespace klangrid::test
