#pragma once
// The routing state: which device slot plays each General MIDI program and
// percussion note. The bit layout is also the stored format, so it is fixed.
#include <cstddef>
#include <cstdint>

namespace klangrid {

using DeviceSlot = int;  // 0, 1 or 2
constexpr int kSlotCount = 3;
constexpr DeviceSlot kNoSlot = 3;  // SlotOf: no slot holds the row

enum class RowKind { Instrument, Percussion };

constexpr std::size_t kInstrumentMaskSize = 16;  // 128 programs
constexpr std::size_t kPercussionMaskSize = 6;   // 47 notes, bit 47 unused
constexpr std::size_t kDeviceNameSize = 32;
constexpr int kInstrumentRows = 128;
constexpr int kPercussionRows = 47;

using InstrumentMask = std::uint8_t[kInstrumentMaskSize];
using PercussionMask = std::uint8_t[kPercussionMaskSize];

struct MapTables {
  InstrumentMask instrument[kSlotCount];
  PercussionMask percussion[kSlotCount];
  char deviceNames[kSlotCount][kDeviceNameSize];  // NUL-terminated; empty at start

  // Factory defaults in the masks, empty device names.
  MapTables();

  // First slot (0, 1, 2) whose mask holds the row, or kNoSlot.
  DeviceSlot SlotOf(RowKind kind, int row) const;
  // Routes the row to exactly this slot (0..2).
  void AssignRow(RowKind kind, int row, DeviceSlot slot);
  // The slot every row first..last reports, or kNoSlot when they differ or
  // the range holds no row.
  DeviceSlot SharedSlot(RowKind kind, int first, int last) const;
  // For a row held by no slot: gives it to slot 0.
  void RepairUnassigned(RowKind kind, int row);
  // The slot's NUL-terminated name (slot 0..2).
  const char* DeviceName(DeviceSlot slot) const;

  // Raw mask bytes of one slot, as stored.
  std::uint8_t* Mask(RowKind kind, DeviceSlot slot);
  const std::uint8_t* Mask(RowKind kind, DeviceSlot slot) const;
  static std::size_t MaskSize(RowKind kind);
};

// Storage-order bytes of the factory defaults.
extern const std::uint8_t kFactoryInstrument[kSlotCount][kInstrumentMaskSize];
extern const std::uint8_t kFactoryPercussion[kSlotCount][kPercussionMaskSize];

}  // namespace klangrid
