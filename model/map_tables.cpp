#include "model/map_tables.h"

#include <cstring>

namespace klangrid {

const std::uint8_t kFactoryInstrument[kSlotCount][kInstrumentMaskSize] = {
    {0x00, 0x00, 0x02, 0x02, 0xfb, 0xff, 0x10, 0xc0, 0x34, 0xff, 0x02, 0x3a, 0x5f, 0x65, 0x08, 0xff},
    {0xff, 0xff, 0xfd, 0xfd, 0x04, 0x00, 0xef, 0x3f, 0xcb, 0x00, 0xfd, 0xc5, 0xa0, 0x9a, 0xf7, 0x00},
    {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00},
};

const std::uint8_t kFactoryPercussion[kSlotCount][kPercussionMaskSize] = {
    {0x7f, 0xff, 0xff, 0xff, 0xff, 0xff},
    {0x00, 0x00, 0x00, 0x00, 0x00, 0x00},
    {0x00, 0x00, 0x00, 0x00, 0x00, 0x00},
};

namespace {

bool ValidRow(RowKind kind, int row) {
  return row >= 0 && row < (kind == RowKind::Instrument ? kInstrumentRows : kPercussionRows);
}

bool ValidSlot(DeviceSlot slot) { return slot >= 0 && slot < kSlotCount; }

// Row r is bit r of the mask read as one big-endian number: the last byte
// holds rows 0..7.
std::size_t ByteOf(RowKind kind, int row) {
  return MapTables::MaskSize(kind) - 1 - static_cast<std::size_t>(row / 8);
}

std::uint8_t BitOf(int row) { return static_cast<std::uint8_t>(1u << (row % 8)); }

}  // namespace

MapTables::MapTables() {
  std::memcpy(instrument, kFactoryInstrument, sizeof instrument);
  std::memcpy(percussion, kFactoryPercussion, sizeof percussion);
  std::memset(deviceNames, 0, sizeof deviceNames);
}

std::size_t MapTables::MaskSize(RowKind kind) {
  return kind == RowKind::Instrument ? kInstrumentMaskSize : kPercussionMaskSize;
}

std::uint8_t* MapTables::Mask(RowKind kind, DeviceSlot slot) {
  return kind == RowKind::Instrument ? instrument[slot] : percussion[slot];
}

const std::uint8_t* MapTables::Mask(RowKind kind, DeviceSlot slot) const {
  return kind == RowKind::Instrument ? instrument[slot] : percussion[slot];
}

DeviceSlot MapTables::SlotOf(RowKind kind, int row) const {
  if (!ValidRow(kind, row)) return kNoSlot;
  const std::size_t byte = ByteOf(kind, row);
  const std::uint8_t bit = BitOf(row);
  for (DeviceSlot slot = 0; slot < kSlotCount; ++slot) {
    if (Mask(kind, slot)[byte] & bit) return slot;
  }
  return kNoSlot;
}

void MapTables::AssignRow(RowKind kind, int row, DeviceSlot slot) {
  if (!ValidRow(kind, row) || !ValidSlot(slot)) return;
  const std::size_t byte = ByteOf(kind, row);
  const std::uint8_t bit = BitOf(row);
  for (DeviceSlot s = 0; s < kSlotCount; ++s) {
    if (s == slot) {
      Mask(kind, s)[byte] = static_cast<std::uint8_t>(Mask(kind, s)[byte] | bit);
    } else {
      Mask(kind, s)[byte] = static_cast<std::uint8_t>(Mask(kind, s)[byte] & ~bit);
    }
  }
}

DeviceSlot MapTables::SharedSlot(RowKind kind, int first, int last) const {
  if (!ValidRow(kind, first) || !ValidRow(kind, last) || first > last) return kNoSlot;
  const DeviceSlot shared = SlotOf(kind, first);
  for (int row = first + 1; row <= last; ++row) {
    if (SlotOf(kind, row) != shared) return kNoSlot;
  }
  return shared;
}

void MapTables::RepairUnassigned(RowKind kind, int row) {
  if (!ValidRow(kind, row)) return;
  const std::size_t byte = ByteOf(kind, row);
  Mask(kind, 0)[byte] = static_cast<std::uint8_t>(Mask(kind, 0)[byte] | BitOf(row));
}

const char* MapTables::DeviceName(DeviceSlot slot) const {
  return ValidSlot(slot) ? deviceNames[slot] : "";
}

}  // namespace klangrid
