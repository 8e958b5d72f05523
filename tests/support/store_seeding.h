#pragma once
// Seeding a store with maps and schemes, and checking what it holds, in the
// words the tests of the scheme commands use: native and under Wine alike.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "model/map_tables.h"
#include "store/registry_layout.h"
#include "tests/support/bytes.h"
#include "tests/support/memory_store.h"

namespace klangrid::test {

inline std::string SchemePath(const std::string& name) { return std::string(kActiveKeyPath) + "\\" + name; }
inline std::string SlotValue(const char* base, int slot) { return base + std::to_string(slot); }

// The factory maps with one program moved to another slot.
inline MapTables MapsWith(int program, DeviceSlot slot) {
  MapTables maps;
  maps.AssignRow(RowKind::Instrument, program, slot);
  return maps;
}

inline bool SameMaps(const MapTables& a, const MapTables& b) {
  return std::memcmp(a.instrument, b.instrument, sizeof a.instrument) == 0 &&
         std::memcmp(a.percussion, b.percussion, sizeof a.percussion) == 0;
}

// A row no slot holds, as a store edited elsewhere can leave it.
inline void Unroute(MapTables& maps, RowKind kind, int row) {
  for (DeviceSlot slot = 0; slot < kSlotCount; ++slot) {
    std::uint8_t* mask = maps.Mask(kind, slot);
    mask[MapTables::MaskSize(kind) - 1 - std::size_t(row / 8)] &= std::uint8_t(~(1u << (row % 8)));
  }
}

// The six map values of maps at path, as the program writes them.
inline void PutMaps(MemoryStore& store, const std::string& path, const MapTables& maps) {
  for (int slot = 0; slot < kSlotCount; ++slot) {
    store.Put(path, SlotValue("Instrument", slot), kTypeBinary,
              Bytes(maps.instrument[slot], maps.instrument[slot] + kInstrumentMaskSize));
    store.Put(path, SlotValue("Percussion", slot), kTypeBinary,
              Bytes(maps.percussion[slot], maps.percussion[slot] + kPercussionMaskSize));
  }
}

inline ::testing::AssertionResult HoldsMaps(const MemoryStore& store, const std::string& path,
                                            const MapTables& maps) {
  for (int slot = 0; slot < kSlotCount; ++slot) {
    const Bytes instrument(maps.instrument[slot], maps.instrument[slot] + kInstrumentMaskSize);
    const Bytes percussion(maps.percussion[slot], maps.percussion[slot] + kPercussionMaskSize);
    if (store.Get(path, SlotValue("Instrument", slot)) != instrument)
      return ::testing::AssertionFailure() << path << " Instrument" << slot << " differs";
    if (store.Get(path, SlotValue("Percussion", slot)) != percussion)
      return ::testing::AssertionFailure() << path << " Percussion" << slot << " differs";
  }
  return ::testing::AssertionSuccess();
}

// The "Scheme" value as the driver reads it: REG_SZ, exactly 20 bytes.
inline Bytes SchemeValue(const std::string& name) {
  Bytes value(kSchemeValueSize, 0);
  std::memcpy(value.data(), name.data(), name.size() < value.size() ? name.size() : value.size());
  return value;
}

// Paths of the keys written since the store's log was last cleared.
inline std::set<std::string> WrittenKeys(const MemoryStore& store) {
  std::set<std::string> keys;
  for (const MemoryStore::Call& call : store.SetValueCalls()) keys.insert(call.path);
  return keys;
}

}  // namespace klangrid::test
