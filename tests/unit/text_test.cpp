#include "model/text.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstring>
#include <string>

namespace klangrid {
namespace {

TEST(CopyBounded, FitsUpToSizeMinusOne) {
  char buf[6];
  std::memset(buf, 'X', sizeof buf);
  EXPECT_TRUE(CopyBounded(buf, 5, "abcd"));
  EXPECT_STREQ(buf, "abcd");
  EXPECT_EQ(buf[5], 'X');
}

TEST(CopyBounded, CutsAndTerminatesWithoutPassingTheBuffer) {
  char buf[6];
  std::memset(buf, 'X', sizeof buf);
  EXPECT_FALSE(CopyBounded(buf, 5, "abcdef"));
  EXPECT_STREQ(buf, "abcd");
  EXPECT_EQ(buf[5], 'X');
  char one[1] = {'X'};
  EXPECT_FALSE(CopyBounded(one, 1, "a"));
  EXPECT_EQ(one[0], '\0');
  EXPECT_TRUE(CopyBounded(one, 1, ""));
}

TEST(CopyField, FieldWithoutNulIsCutToFit) {
  char field[32];
  std::memset(field, 'n', sizeof field);
  char out[33];
  std::memset(out, 'X', sizeof out);
  EXPECT_FALSE(CopyField(out, 32, field, sizeof field));
  EXPECT_EQ(std::strlen(out), 31u);
  EXPECT_EQ(out[32], 'X');
}

TEST(CopyField, StopsAtNulOrFieldEnd) {
  const char field[8] = {'a', 'b', '\0', 'c', 'd', 'e', 'f', 'g'};
  char out[16];
  EXPECT_TRUE(CopyField(out, sizeof out, field, sizeof field));
  EXPECT_STREQ(out, "ab");
  const char full[3] = {'x', 'y', 'z'};
  EXPECT_TRUE(CopyField(out, sizeof out, full, sizeof full));
  EXPECT_STREQ(out, "xyz");
}

TEST(AppendBounded, AppendsAndCuts) {
  char buf[8] = "abc";
  EXPECT_TRUE(AppendBounded(buf, sizeof buf, "\\de"));
  EXPECT_STREQ(buf, "abc\\de");
  EXPECT_FALSE(AppendBounded(buf, sizeof buf, "fgh"));
  EXPECT_STREQ(buf, "abc\\def");
}

TEST(AppendBounded, UnterminatedDestinationIsTerminatedNotOverrun) {
  char buf[5];
  std::memset(buf, 'z', sizeof buf);
  EXPECT_FALSE(AppendBounded(buf, 4, "q"));
  EXPECT_STREQ(buf, "zzz");
  EXPECT_EQ(buf[4], 'z');
}

TEST(CopyMenuText, DoublesAmpersandsAndNeverSplitsAPair) {
  char buf[9];
  std::memset(buf, 'X', sizeof buf);
  EXPECT_FALSE(CopyMenuText(buf, 8, "R&B & Co"));
  EXPECT_STREQ(buf, "R&&B &&");  // cut: "R&&B && Co" needs 11 bytes
  EXPECT_TRUE(CopyMenuText(buf, 8, "A&B"));
  EXPECT_STREQ(buf, "A&&B");
  // "ab&&" and its NUL need 5 bytes: cut before the pair, not inside it.
  EXPECT_FALSE(CopyMenuText(buf, 4, "ab&c"));
  EXPECT_STREQ(buf, "ab");
  EXPECT_FALSE(CopyMenuText(buf, 8, "abcdefgh"));
  EXPECT_STREQ(buf, "abcdefg");
  EXPECT_EQ(buf[8], 'X');
  EXPECT_TRUE(CopyMenuText(buf, 1, ""));
  EXPECT_EQ(buf[0], '\0');
}

TEST(AsciiCase, OnlyLettersChange) {
  char text[] = "Jazz-Mix_09 @[`{ \xC4\xE4\xD6";
  AsciiLower(text);
  EXPECT_STREQ(text, "jazz-mix_09 @[`{ \xC4\xE4\xD6");
  AsciiUpper(text);
  EXPECT_STREQ(text, "JAZZ-MIX_09 @[`{ \xC4\xE4\xD6");
}

TEST(AsciiCase, ProcessLocaleHasNoEffect) {
  // A Latin-1 locale would make tolower() map 0xC4 to 0xE4.
  const std::string saved = std::setlocale(LC_ALL, nullptr);
  const char* set = nullptr;
  for (const char* name : {"de_DE.ISO-8859-1", "de_DE", "en_US.ISO-8859-1", "C.UTF-8", ""}) {
    if ((set = std::setlocale(LC_ALL, name)) != nullptr) break;
  }
  char text[] = "\xC4\xD6\xDC ABC";
  AsciiLower(text);
  std::setlocale(LC_ALL, saved.c_str());
  EXPECT_STREQ(text, "\xC4\xD6\xDC abc") << "locale " << (set ? set : "(none)");
}

TEST(EqualsIgnoreAsciiCase, LettersMatchAcrossCaseOnly) {
  EXPECT_TRUE(EqualsIgnoreAsciiCase("Jazz", "jAZZ"));
  EXPECT_TRUE(EqualsIgnoreAsciiCase("", ""));
  EXPECT_FALSE(EqualsIgnoreAsciiCase("jazz", "jazz2"));
  EXPECT_FALSE(EqualsIgnoreAsciiCase("jazz2", "jazz"));
  // These pairs differ by 0x20 too, but are not letters.
  EXPECT_FALSE(EqualsIgnoreAsciiCase("@", "`"));
  EXPECT_FALSE(EqualsIgnoreAsciiCase("[", "{"));
  EXPECT_FALSE(EqualsIgnoreAsciiCase("\xC4", "\xE4"));
}

}  // namespace
}  // namespace klangrid
