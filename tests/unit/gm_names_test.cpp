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

}  // namespace
}  // namespace klangrid
