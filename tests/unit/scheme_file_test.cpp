#include "store/scheme_file.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/text.h"
#include "tests/support/windows_1252.h"

namespace klangrid::test {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Utf16File(const std::u16string& text) {
  Bytes bytes = {0xFF, 0xFE};
  for (char16_t unit : text) {
    bytes.push_back(std::uint8_t(unit & 0xFF));
    bytes.push_back(std::uint8_t(unit >> 8));
  }
  return bytes;
}

Bytes AnsiFile(const std::string& text) { return Bytes(text.begin(), text.end()); }

const std::u16string kHeader = u"Windows Registry Editor Version 5.00\r\n\r\n";
const std::u16string kSection = u"[HKEY_LOCAL_MACHINE\\SOFTWARE\\Kestro\\AudioDriver\\jazz]\r\n";
const std::u16string kValues =
    u"\"Instrument0\"=hex:00,01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f\r\n"
    u"\"Percussion0\"=hex:10,11,12,13,14,15\r\n"
    u"\"Instrument1\"=hex:20,21,22,23,24,25,26,27,28,29,2a,2b,2c,2d,2e,2f\r\n"
    u"\"Percussion1\"=hex:30,31,32,33,34,35\r\n"
    u"\"Instrument2\"=hex:40,41,42,43,44,45,46,47,48,49,4a,4b,4c,4d,4e,ff\r\n"
    u"\"Percussion2\"=hex:50,51,52,53,54,55\r\n"
    u"\r\n";

SchemeRecord Record(const char* name) {
  SchemeRecord record{};
  CopyBounded(record.name, sizeof record.name, name);
  for (int slot = 0; slot < kSlotCount; ++slot) {
    for (std::size_t i = 0; i < kInstrumentMaskSize; ++i)
      record.instrument[slot][i] = std::uint8_t(0x20 * slot + i);
    for (std::size_t i = 0; i < kPercussionMaskSize; ++i)
      record.percussion[slot][i] = std::uint8_t(0x20 * slot + 0x10 + i);
  }
  record.instrument[2][15] = 0xFF;
  return record;
}

bool SameValues(const SchemeRecord& a, const SchemeRecord& b) {
  return std::memcmp(a.instrument, b.instrument, sizeof a.instrument) == 0 &&
         std::memcmp(a.percussion, b.percussion, sizeof a.percussion) == 0;
}

class SchemeFile : public ::testing::Test {
 protected:
  FileReadResult Read(const Bytes& file) {
    return ReadSchemeFile(file.data(), file.size(), codePage, schemes);
  }
  Windows1252 codePage;
  SchemeRecords schemes;
};

TEST_F(SchemeFile, ExportIsTheRegistryEditorsTextInUtf16WithNamesFromTheCodePage) {
  SchemeRecords out;
  out.Push(Record("jazz"));
  out.Push(Record("\xC9t\xE9 \x80"));  // "Été €"
  ByteArray file;
  ASSERT_TRUE(WriteSchemeFile(out, codePage, file));
  EXPECT_EQ(Bytes(file.Data(), file.Data() + file.Size()),
            Utf16File(kHeader + kSection + kValues +
                      u"[HKEY_LOCAL_MACHINE\\SOFTWARE\\Kestro\\AudioDriver\\\u00C9t\u00E9 \u20AC]\r\n" +
                      kValues));

  // A name that would end its line is not written as one that reads back
  // as something else.
  SchemeRecords bad;
  bad.Push(Record("two\nlines"));
  ByteArray none;
  EXPECT_FALSE(WriteSchemeFile(bad, codePage, none));
}

TEST_F(SchemeFile, EveryFormTheRegistryEditorWritesOrReadsIsAccepted) {
  const char16_t* kForms[] = {
      // Values in another order and case, blanks, comments, a continued line.
      u"Windows Registry Editor Version 5.00\n"
      u"; saved\n\n"
      u"[hkey_local_machine\\software\\kestro\\audiodriver\\jazz]\n"
      u"\"PERCUSSION0\" = hex:10,11,12,13,14,15\n"
      u"\"Instrument0\"=hex:00,01,02,03,04,05,06,07,\\\n"
      u"    08,09,0A,0B,0C,0D,0E,0F\n"
      u"  ;and more\n"
      u" \\\n\\\n\n"  // continuation marks alone make a blank line
      u"\"Instrument1\"=HEX:20,21,22,23,24,25,26,27,28,29,2a,2b,2c,2d,2e,2f\r"
      u"\"Percussion1\"=hex: 30, 31, 32, 33, 34, 35\r\n"
      u"\"Instrument2\"=hex:40,41,42,43,44,45,46,47,48,49,4a,4b,4c,4d,4e,ff\r\n"
      u"\"Percussion2\"=hex:50,51,52,53,54,55",
      // A 64-bit system's export of the 32-bit view.
      u"Windows Registry Editor Version 5.00\r\n\r\n"
      u"[HKEY_LOCAL_MACHINE\\SOFTWARE\\WOW6432Node\\Kestro\\AudioDriver\\jazz]\r\n",
  };
  ASSERT_EQ(Read(Utf16File(kForms[0])).error, FileError::kNone);
  ASSERT_EQ(schemes.Size(), 1u);
  EXPECT_STREQ(schemes[0].name, "jazz");
  EXPECT_TRUE(SameValues(schemes[0], Record("jazz")));
  EXPECT_EQ(schemes[0].line, 4u);

  ASSERT_EQ(Read(Utf16File(kForms[1] + kValues)).error, FileError::kNone);
  EXPECT_TRUE(SameValues(schemes[0], Record("jazz")));

  // REGEDIT4: the code page's bytes, names as they are.
  std::string ansi = "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Kestro\\AudioDriver\\\xC9t\xE9]\r\n";
  for (char16_t unit : kValues) ansi += char(unit);
  ASSERT_EQ(Read(AnsiFile(ansi)).error, FileError::kNone);
  EXPECT_STREQ(schemes[0].name, "\xC9t\xE9");
  EXPECT_TRUE(SameValues(schemes[0], Record("")));

  // No schemes at all is a file too.
  EXPECT_EQ(Read(Utf16File(kHeader)).error, FileError::kNone);
  EXPECT_EQ(schemes.Size(), 0u);
}

TEST_F(SchemeFile, AnythingElseRefusesTheWholeFileNamingTheLine) {
  struct Case {
    std::u16string body;  // after the header and one good scheme (lines 1-10)
    FileError error;
    unsigned line;
  };
  const std::u16string root = u"[HKEY_LOCAL_MACHINE\\SOFTWARE\\";
  const Case kCases[] = {
      {root + u"Kestro]\r\n", FileError::kOtherKey, 11},
      {root + u"Kestro\\AudioDriver]\r\n", FileError::kOtherKey, 11},
      {root + u"Kestro\\AudioDriver\\]\r\n", FileError::kOtherKey, 11},
      {root + u"Kestro\\AudioDriver\\a\\b]\r\n", FileError::kOtherKey, 11},
      {u"[HKEY_CURRENT_USER\\SOFTWARE\\Kestro\\AudioDriver\\a]\r\n", FileError::kOtherKey, 11},
      {u"[-" + root.substr(1) + u"Kestro\\AudioDriver\\a]\r\n", FileError::kDeletion, 11},
      {root + u"Kestro\\AudioDriver\\a\r\n", FileError::kSyntax, 11},
      {root + u"Kestro\\AudioDriver\\" + std::u16string(80, u'x') + u"]\r\n", FileError::kBadName, 11},
      {root + u"Kestro\\AudioDriver\\\u4E2D]\r\n", FileError::kNoAnsiForm, 11},
      {root + u"Kestro\\AudioDriver\\a]\r\n\"Instrument0\"=hex:00\r\n", FileError::kWrongLength, 12},
      {root + u"Kestro\\AudioDriver\\a]\r\n\"Percussion2\"=hex:00,00,00,00,00,00,00\r\n",
       FileError::kWrongLength, 12},
      {root + u"Kestro\\AudioDriver\\a]\r\n\"Percussion2\"=hex(0):00\r\n", FileError::kOtherType, 12},
      {root + u"Kestro\\AudioDriver\\a]\r\n\"Percussion2\"=dword:00000000\r\n", FileError::kOtherType, 12},
      {root + u"Kestro\\AudioDriver\\a]\r\n\"Scheme\"=\"jazz\"\r\n", FileError::kOtherValue, 12},
      {root + u"Kestro\\AudioDriver\\a]\r\n@=hex:00\r\n", FileError::kOtherValue, 12},
      {root + u"Kestro\\AudioDriver\\a]\r\n\"Percussion2\"=-\r\n", FileError::kDeletion, 12},
      {root + u"Kestro\\AudioDriver\\a]\r\n\"Percussion2\"=hex:00,,00\r\n", FileError::kSyntax, 12},
      {root + u"Kestro\\AudioDriver\\a]\r\n\"Percussion2\"=hex:00,\r\n", FileError::kSyntax, 12},
      {root + u"Kestro\\AudioDriver\\a]\r\n\"Percussion2\"=hex:0g\r\n", FileError::kSyntax, 12},
      // Six values, but one of them twice.
      {root + u"Kestro\\AudioDriver\\a]\r\n" + kValues.substr(0, kValues.size() - 2) +
           u"\"percussion2\"=hex:50,51,52,53,54,55\r\n",
       FileError::kOtherValue, 18},
      // A section that lacks a value is named when the next one begins, or at the end.
      {root + u"Kestro\\AudioDriver\\a]\r\n\r\n" + root + u"Kestro\\AudioDriver\\b]\r\n",
       FileError::kMissingValue, 11},
      {root + u"Kestro\\AudioDriver\\a]\r\n", FileError::kMissingValue, 11},
      {u"\"Percussion2\"=hex:00\r\n", FileError::kOtherValue, 11},
      {u"Percussion2=hex:00\r\n", FileError::kSyntax, 11},
      {root + u"Kestro\\AudioDriver\\a]\r\n\"Instrument0\"=hex:00,\\\r\n", FileError::kTruncated, 12},
      {std::u16string(u"\0\r\n", 3), FileError::kUnreadable, 11},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(std::string(c.body.begin(), c.body.end()));
    const FileReadResult result = Read(Utf16File(kHeader + kSection + kValues + c.body));
    EXPECT_EQ(result.error, c.error);
    EXPECT_EQ(result.line, c.line);
  }
}

TEST_F(SchemeFile, AFileInNoFormOfItsOwnIsRefusedAtItsStart) {
  Bytes odd = Utf16File(kHeader + kSection + kValues);
  odd.pop_back();
  EXPECT_EQ(Read(odd).error, FileError::kTruncated);
  EXPECT_EQ(Read(Bytes{}).error, FileError::kHeader);
  EXPECT_EQ(Read(Utf16File(u"REGEDIT4\r\n")).error, FileError::kHeader) << "REGEDIT4 is ANSI";
  EXPECT_EQ(Read(AnsiFile("Windows Registry Editor Version 5.00\r\n")).error, FileError::kHeader);
  EXPECT_EQ(Read(AnsiFile("\xEF\xBB\xBFWindows Registry Editor Version 5.00\r\n")).error,
            FileError::kUnreadable);
  const FileReadResult late = Read(Utf16File(u"\r\n" + kHeader));
  EXPECT_EQ(late.error, FileError::kHeader);
  EXPECT_EQ(late.line, 1u);
}

}  // namespace
}  // namespace klangrid::test
