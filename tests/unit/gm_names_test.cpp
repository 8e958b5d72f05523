#include "model/gm_names.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace klangrid {
namespace {

TEST(GmNames, TablesHaveOneRowPerMaskBit) {
  EXPECT_EQ(RowCount(RowKind::Instrument), kInstrumentRows);
  EXPECT_EQ(RowCount(RowKind::Percussion), kPercussionRows);
}

TEST(GmNames, FirstAndLastRows) {
  EXPECT_STREQ(NumberText(RowKind::Instrument, 0), "0");
  EXPECT_STREQ(Name(RowKind::Instrument, 0), "Acoustic Grand Piano");
  EXPECT_STREQ(NumberText(RowKind::Instrument, 127), "127");
  EXPECT_STREQ(Name(RowKind::Instrument, 127), "Gunshot");
  EXPECT_STREQ(NumberText(RowKind::Percussion, 0), "35");
  EXPECT_STREQ(Name(RowKind::Percussion, 0), "Acoustic Bass Drum");
  EXPECT_STREQ(NumberText(RowKind::Percussion, 46), "81");
  EXPECT_STREQ(Name(RowKind::Percussion, 46), "Open Triangle");
}

TEST(GmNames, UnusualSpellingsAreKept) {
  EXPECT_STREQ(Name(RowKind::Percussion, 38), "short Guiro");
  EXPECT_STREQ(Name(RowKind::Percussion, 66 - 35), "Low Timbate");
  EXPECT_STREQ(Name(RowKind::Percussion, 63 - 35), "Open Hi Congo");
  EXPECT_STREQ(Name(RowKind::Percussion, 71 - 35), "Shot Whistle");
  EXPECT_STREQ(Name(RowKind::Instrument, 82), "Lead 3 (caliope lead)");
  EXPECT_STREQ(Name(RowKind::Instrument, 10), "Music box");
  EXPECT_STREQ(Name(RowKind::Instrument, 40), "Violin");
}

TEST(GmNames, NumbersArePlainDecimalInRowOrder) {
  for (int row = 0; row < kInstrumentRows; ++row) {
    EXPECT_EQ(NumberText(RowKind::Instrument, row), std::to_string(row));
  }
  for (int row = 0; row < kPercussionRows; ++row) {
    EXPECT_EQ(NumberText(RowKind::Percussion, row), std::to_string(35 + row));
  }
}

TEST(GmNames, NamesAreDistinctAndFitAListColumn) {
  for (RowKind kind : {RowKind::Instrument, RowKind::Percussion}) {
    std::set<std::string> seen;
    for (int row = 0; row < RowCount(kind); ++row) {
      const std::string name = Name(kind, row);
      EXPECT_FALSE(name.empty()) << row;
      EXPECT_LT(name.size(), 32u) << row;
      EXPECT_TRUE(seen.insert(name).second) << "duplicate " << name;
    }
  }
}

TEST(GmNames, RowsOutsideTheTableGiveEmptyText) {
  EXPECT_STREQ(Name(RowKind::Instrument, 128), "");
  EXPECT_STREQ(NumberText(RowKind::Percussion, 47), "");
  EXPECT_STREQ(Name(RowKind::Percussion, -1), "");
}

// Each family against the name of the program that opens it, so a family
// shifted by a row or two shows up.
TEST(GmFamilies, EachStartsAtItsFirstProgramAndEndsBeforeTheNext) {
  const struct {
    const char* family;
    const char* firstProgram;
  } expected[kFamilyCount] = {
      {"Piano", "Acoustic Grand Piano"}, {"Chromatic Percussion", "Celesta"},
      {"Organ", "Hammond Organ"},        {"Guitar", "Acoustic Guitar (nylon)"},
      {"Bass", "Acoustic Bass"},         {"Strings", "Violin"},
      {"Ensemble", "String Ensemble 1"}, {"Brass", "Trumpet"},
      {"Reed", "Soprano Sax"},           {"Pipe", "Piccolo"},
      {"Synth Lead", "Lead 1 (square)"}, {"Synth Pad", "Pad 1 (new age)"},
      {"Synth Effects", "FX 1 (rain)"},  {"Ethnic", "Sitar"},
      {"Percussive", "Tinkle Bell"},     {"Sound Effects", "Guitar Fret Noise"},
  };
  int next = 0;  // the families tile the programs without gap or overlap
  for (int family = 0; family < kFamilyCount; ++family) {
    SCOPED_TRACE(family);
    EXPECT_STREQ(FamilyName(family), expected[family].family);
    const int first = FamilyFirstProgram(family);
    const int last = FamilyLastProgram(family);
    EXPECT_EQ(first, next);
    EXPECT_EQ(last - first + 1, kProgramsPerFamily);
    EXPECT_STREQ(Name(RowKind::Instrument, first), expected[family].firstProgram);
    EXPECT_EQ(FamilyOf(first), family);
    EXPECT_EQ(FamilyOf(last), family);
    next = last + 1;
  }
  EXPECT_EQ(next, kInstrumentRows);
  EXPECT_EQ(FamilyOf(47), FamilyOf(40)) << "Timpani is a string";
  EXPECT_STREQ(Name(RowKind::Instrument, FamilyLastProgram(kFamilyCount - 1)), "Gunshot");
}

TEST(GmFamilies, OutsideTheTableThereIsNoFamily) {
  EXPECT_EQ(FamilyOf(-1), -1);
  EXPECT_EQ(FamilyOf(kInstrumentRows), -1);
  EXPECT_STREQ(FamilyName(-1), "");
  EXPECT_STREQ(FamilyName(kFamilyCount), "");
  EXPECT_EQ(FamilyFirstProgram(kFamilyCount), -1);
  EXPECT_EQ(FamilyLastProgram(-1), -1);
}

}  // namespace
}  // namespace klangrid
