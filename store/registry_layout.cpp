#include "store/registry_layout.h"

#include <cstring>

#include "model/text.h"

namespace klangrid {

namespace {

constexpr long kInvalidParameter = 87;  // ERROR_INVALID_PARAMETER
constexpr std::size_t kSlotDigitIndex = 10;

// "Instrument0" / "Percussion0" with the last character replaced by the slot.
struct SlotValueName {
  SlotValueName(const char* base, DeviceSlot slot) {
    CopyBounded(text, sizeof text, base);
    text[kSlotDigitIndex] = static_cast<char>('0' + slot);
  }
  char text[12];
};

long FirstFailure(long sofar, long status) { return sofar != kStoreOk ? sofar : status; }

// Reads into a copy first, so a store that touches the buffer on a failed
// read still leaves the destination as it was.
bool ReadInPlace(SettingsStore& store, SettingsStore::Key key, const char* name,
                 std::uint8_t* dst, std::size_t size) {
  std::uint8_t scratch[kInstrumentMaskSize];
  if (size > sizeof scratch) return false;
  std::memcpy(scratch, dst, size);
  if (store.QueryValue(key, name, scratch, static_cast<unsigned long>(size)) != kStoreOk) return false;
  std::memcpy(dst, scratch, size);
  return true;
}

// A stored text may have no NUL within the bytes read, so the buffer starts
// zeroed and its last byte is forced to NUL. A failed read keeps the old text.
void ReadText(SettingsStore& store, SettingsStore::Key key, const char* name, char* dst,
              std::size_t size) {
  char scratch[kDeviceNameSize];
  if (size == 0 || size > sizeof scratch) return;
  std::memset(scratch, 0, sizeof scratch);
  if (store.QueryValue(key, name, scratch, static_cast<unsigned long>(size)) == kStoreOk) {
    std::memcpy(dst, scratch, size);
  }
  dst[size - 1] = '\0';
}

}  // namespace

long WriteMapValues(SettingsStore& store, SettingsStore::Key key, const MapTables& tables) {
  long result = kStoreOk;
  for (DeviceSlot slot = 0; slot < kSlotCount; ++slot) {
    result = FirstFailure(result, store.SetValue(key, SlotValueName("Instrument0", slot).text,
                                                 kTypeBinary, tables.instrument[slot],
                                                 kInstrumentMaskSize));
    result = FirstFailure(result, store.SetValue(key, SlotValueName("Percussion0", slot).text,
                                                 kTypeBinary, tables.percussion[slot],
                                                 kPercussionMaskSize));
  }
  return result;
}

bool ReadMapValues(SettingsStore& store, SettingsStore::Key key, MapTables& tables) {
  bool all = true;
  for (DeviceSlot slot = 0; slot < kSlotCount; ++slot) {
    if (!ReadInPlace(store, key, SlotValueName("Instrument0", slot).text, tables.instrument[slot],
                     kInstrumentMaskSize)) {
      return false;
    }
    all = ReadInPlace(store, key, SlotValueName("Percussion0", slot).text,
                      tables.percussion[slot], kPercussionMaskSize) && all;
  }
  return all;
}

long WriteFactoryDefaults(SettingsStore& store, const MapTables& tables) {
  ScopedKey key(store);
  const long status = key.Create(kFactoryKeyPath);
  if (status != kStoreOk) return status;
  return WriteMapValues(store, key.Get(), tables);
}

void ReadActiveConfiguration(SettingsStore& store, MapTables& tables,
                             char (&activeName)[kSchemeValueSize]) {
  std::memset(activeName, 0, sizeof activeName);
  ScopedKey key(store);
  if (key.Open(kActiveKeyPath) != kStoreOk) return;
  ReadText(store, key.Get(), kSoftSynNameValue, tables.deviceNames[0], kDeviceNameSize);
  ReadText(store, key.Get(), kMpuNameValue, tables.deviceNames[1], kDeviceNameSize);
  ReadMapValues(store, key.Get(), tables);
  ReadText(store, key.Get(), kSchemeValue, activeName, kSchemeValueSize);
}

bool SchemeKeyPath(const char* name, char (&path)[kKeyPathSize]) {
  bool whole = CopyBounded(path, sizeof path, kActiveKeyPath);
  whole = AppendBounded(path, sizeof path, "\\") && whole;
  whole = AppendBounded(path, sizeof path, name ? name : "") && whole;
  return whole;
}

void EnumerateSchemes(SettingsStore& store, SchemeVisitor visit, void* context) {
  ScopedKey key(store);
  if (key.Open(kActiveKeyPath) != kStoreOk) return;
  for (unsigned long index = 0;; ++index) {
    char name[kSchemeNameSize];
    std::memset(name, 0, sizeof name);
    const long status = store.EnumKey(key.Get(), index, name, sizeof name);
    // A key no name of ours reaches is left alone, and the list goes on.
    if (status == kStoreNoAnsiName) continue;
    if (status != kStoreOk) return;
    name[sizeof name - 1] = '\0';
    if (!visit(name, context)) return;
  }
}

bool IsSchemeName(SettingsStore& store, const char* name) {
  if (!name || name[0] == '\0') return false;
  // Walked by characters: in a double-byte code page a trail byte may be
  // 0x5C, which is part of the character and no backslash.
  for (; *name; ++name) {
    if (*name == '\\') return false;
    if (store.IsLeadByte(static_cast<unsigned char>(*name)) && name[1] != '\0') ++name;
  }
  return true;
}

bool KeyExists(SettingsStore& store, const char* path) {
  ScopedKey key(store);
  return key.Open(path) != kStoreNotFound;
}

long DeleteSchemeKey(SettingsStore& store, const char* name) {
  // A cut path would name some other key.
  if (!IsSchemeName(store, name)) return kInvalidParameter;
  char path[kKeyPathSize];
  if (!SchemeKeyPath(name, path)) return kInvalidParameter;
  return store.DeleteKey(path);
}

long WriteActiveSchemeName(SettingsStore& store, SettingsStore::Key key, const char* name) {
  // Always the whole field: readers take 20 bytes, so the tail is zeroed.
  char data[kSchemeValueSize];
  std::memset(data, 0, sizeof data);
  CopyBounded(data, sizeof data, name ? name : "");
  return store.SetValue(key, kSchemeValue, kTypeSz, data, sizeof data);
}

}  // namespace klangrid
