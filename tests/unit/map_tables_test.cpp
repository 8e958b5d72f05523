#include "model/map_tables.h"

#include <gtest/gtest.h>

#include <cstring>
#include <set>

namespace klangrid {
namespace {

MapTables Cleared() {
  MapTables t;
  std::memset(t.instrument, 0, sizeof t.instrument);
  std::memset(t.percussion, 0, sizeof t.percussion);
  return t;
}

TEST(FactoryDefaults, ProgramsOnSoftwareSynthAreTheDocumentedOnes) {
  // Decoded independently of the byte table, so a wrong byte shows up here.
  const std::set<int> slot0 = {0,  1,  2,  3,  4,  5,  6,  7,  11, 16, 18, 21, 22, 24,
                               25, 26, 27, 28, 30, 33, 35, 36, 37, 41, 48, 49, 50, 51,
                               52, 53, 54, 55, 58, 60, 61, 70, 71, 76, 80, 81, 82, 83,
                               84, 85, 86, 87, 88, 89, 91, 92, 93, 94, 95, 97, 105};
  ASSERT_EQ(slot0.size(), 55u);
  MapTables t;
  for (int row = 0; row < kInstrumentRows; ++row) {
    EXPECT_EQ(t.SlotOf(RowKind::Instrument, row), slot0.count(row) ? 0 : 1) << "program " << row;
  }
}

TEST(FactoryDefaults, SlotsZeroAndOneAreComplementsAndSlotTwoIsEmpty) {
  MapTables t;
  for (std::size_t i = 0; i < kInstrumentMaskSize; ++i) {
    EXPECT_EQ(t.instrument[0][i] ^ t.instrument[1][i], 0xff) << i;
    EXPECT_EQ(t.instrument[2][i], 0) << i;
  }
}

TEST(FactoryDefaults, AllPercussionOnSlotZeroAndUnusedBitClear) {
  MapTables t;
  for (int row = 0; row < kPercussionRows; ++row) EXPECT_EQ(t.SlotOf(RowKind::Percussion, row), 0);
  EXPECT_EQ(t.percussion[0][0], 0x7f);
  EXPECT_EQ(t.SlotOf(RowKind::Instrument, 0), 0);
  EXPECT_EQ(t.SlotOf(RowKind::Instrument, 8), 1);
  EXPECT_EQ(t.SlotOf(RowKind::Percussion, 46), 0);
}

TEST(FactoryDefaults, DeviceNamesStartEmpty) {
  MapTables t;
  for (DeviceSlot s = 0; s < kSlotCount; ++s) EXPECT_STREQ(t.DeviceName(s), "");
}

TEST(BitLayout, RowsCountFromTheLastByteUpwards) {
  MapTables t = Cleared();
  t.AssignRow(RowKind::Instrument, 0, 1);
  t.AssignRow(RowKind::Instrument, 127, 1);
  t.AssignRow(RowKind::Instrument, 9, 1);
  t.AssignRow(RowKind::Percussion, 46, 2);
  t.AssignRow(RowKind::Percussion, 0, 2);
  const std::uint8_t instrument[kInstrumentMaskSize] = {0x80, 0, 0, 0, 0, 0, 0, 0,
                                                        0,    0, 0, 0, 0, 0, 0x02, 0x01};
  EXPECT_EQ(0, std::memcmp(t.instrument[1], instrument, kInstrumentMaskSize));
  const std::uint8_t percussion[kPercussionMaskSize] = {0x40, 0, 0, 0, 0, 0x01};
  EXPECT_EQ(0, std::memcmp(t.percussion[2], percussion, kPercussionMaskSize));
}

TEST(BitLayout, MaskAccessorsReachTheStoredBytes) {
  MapTables t;
  EXPECT_EQ(t.Mask(RowKind::Instrument, 2), t.instrument[2]);
  EXPECT_EQ(t.Mask(RowKind::Percussion, 1), t.percussion[1]);
  EXPECT_EQ(MapTables::MaskSize(RowKind::Instrument), 16u);
  EXPECT_EQ(MapTables::MaskSize(RowKind::Percussion), 6u);
}

TEST(SlotOf, LowestSlotWinsWhenSeveralHoldTheRow) {
  MapTables t = Cleared();
  t.instrument[1][15] = 0x10;  // program 4
  t.instrument[2][15] = 0x10;
  EXPECT_EQ(t.SlotOf(RowKind::Instrument, 4), 1);
  t.AssignRow(RowKind::Instrument, 4, 2);
  EXPECT_EQ(t.SlotOf(RowKind::Instrument, 4), 2);
  EXPECT_EQ(t.instrument[1][15], 0);
}

TEST(SlotOf, RowHeldNowhereIsRepairedToSlotZeroOnly) {
  MapTables t = Cleared();
  EXPECT_EQ(t.SlotOf(RowKind::Percussion, 20), kNoSlot);
  t.RepairUnassigned(RowKind::Percussion, 20);
  EXPECT_EQ(t.SlotOf(RowKind::Percussion, 20), 0);
  EXPECT_EQ(t.percussion[0][3], 0x10);  // row 20: byte 5 - 2, bit 4
  EXPECT_EQ(t.percussion[1][3], 0);
  EXPECT_EQ(t.percussion[2][3], 0);
}

TEST(SharedSlot, OneSlotForAWholeRangeOrNone) {
  MapTables t;  // programs 0..7 default to slot 0, program 8 to slot 1
  EXPECT_EQ(t.SharedSlot(RowKind::Instrument, 0, 7), 0);
  EXPECT_EQ(t.SharedSlot(RowKind::Instrument, 0, 8), kNoSlot) << "the range's last row differs";
  EXPECT_EQ(t.SharedSlot(RowKind::Instrument, 8, 10), 1);
  t.AssignRow(RowKind::Instrument, 8, 2);
  EXPECT_EQ(t.SharedSlot(RowKind::Instrument, 8, 10), kNoSlot) << "the range's first row differs";
  EXPECT_EQ(t.SharedSlot(RowKind::Percussion, 0, kPercussionRows - 1), 0);
  // A row held nowhere is not a slot the others share.
  MapTables cleared = Cleared();
  EXPECT_EQ(cleared.SharedSlot(RowKind::Percussion, 0, kPercussionRows - 1), kNoSlot);
  EXPECT_EQ(t.SharedSlot(RowKind::Instrument, 9, 8), kNoSlot);
  EXPECT_EQ(t.SharedSlot(RowKind::Percussion, 40, kPercussionRows), kNoSlot);
}

TEST(AssignRow, EveryRowChangesOnlyItsOwnBitInEachSlot) {
  for (RowKind kind : {RowKind::Instrument, RowKind::Percussion}) {
    const int rows = kind == RowKind::Instrument ? kInstrumentRows : kPercussionRows;
    for (int row = 0; row < rows; ++row) {
      for (DeviceSlot slot = 0; slot < kSlotCount; ++slot) {
        MapTables t;
        MapTables before = t;
        t.AssignRow(kind, row, slot);
        EXPECT_EQ(t.SlotOf(kind, row), slot);
        for (DeviceSlot s = 0; s < kSlotCount; ++s) {
          for (std::size_t i = 0; i < MapTables::MaskSize(kind); ++i) {
            const std::uint8_t diff = t.Mask(kind, s)[i] ^ before.Mask(kind, s)[i];
            const bool ownByte = i == MapTables::MaskSize(kind) - 1 - row / 8;
            EXPECT_EQ(diff & ~(ownByte ? (1 << (row % 8)) : 0), 0)
                << "row " << row << " slot " << slot << " mask " << s << " byte " << i;
          }
        }
        // The other kind's masks are not touched at all.
        const RowKind other = kind == RowKind::Instrument ? RowKind::Percussion : RowKind::Instrument;
        for (DeviceSlot s = 0; s < kSlotCount; ++s) {
          EXPECT_EQ(0, std::memcmp(t.Mask(other, s), before.Mask(other, s), MapTables::MaskSize(other)));
        }
      }
    }
  }
}

TEST(AssignRow, UnusedPercussionBitKeepsWhateverTheStoreHeld) {
  for (std::uint8_t top : {std::uint8_t{0x00}, std::uint8_t{0x80}}) {
    MapTables t = Cleared();
    for (DeviceSlot s = 0; s < kSlotCount; ++s) t.percussion[s][0] = top;
    for (int row = 0; row < kPercussionRows; ++row) {
      t.AssignRow(RowKind::Percussion, row, row % 3);
      t.AssignRow(RowKind::Percussion, row, 0);
      t.AssignRow(RowKind::Percussion, row, 2);
      t.RepairUnassigned(RowKind::Percussion, row);
    }
    for (DeviceSlot s = 0; s < kSlotCount; ++s) EXPECT_EQ(t.percussion[s][0] & 0x80, top) << s;
  }
}

TEST(BadInput, RowsAndSlotsOutOfRangeChangeNothing) {
  MapTables t;
  const MapTables before = t;
  t.AssignRow(RowKind::Instrument, 128, 0);
  t.AssignRow(RowKind::Percussion, 47, 0);  // would be the unused bit
  t.AssignRow(RowKind::Percussion, -1, 0);
  t.AssignRow(RowKind::Instrument, 0, 3);
  t.AssignRow(RowKind::Instrument, 0, -1);
  t.RepairUnassigned(RowKind::Percussion, 47);
  EXPECT_EQ(0, std::memcmp(&t, &before, sizeof t));
  EXPECT_EQ(t.SlotOf(RowKind::Percussion, 47), kNoSlot);
  EXPECT_EQ(t.SlotOf(RowKind::Instrument, -1), kNoSlot);
  EXPECT_STREQ(t.DeviceName(kNoSlot), "");
}

}  // namespace
}  // namespace klangrid
