// Fills an in-memory store and a device list from the input, runs the
// start-up reads, the scheme listing and the device naming, and checks what
// must hold for any stored data: buffers stay terminated and in bounds,
// nothing outside the masks and names changes, and the results are the ones
// the stored bytes call for.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "devices/device_naming.h"
#include "model/text.h"
#include "store/registry_layout.h"
#include "tests/fuzz/fuzz_check.h"
#include "tests/support/bytes.h"
#include "tests/support/fixed_device_list.h"
#include "tests/support/memory_store.h"

using namespace klangrid;

namespace {

using klangrid::test::Bytes;

// Takes the input from the front; an exhausted input reads as zeros, so
// every input is a valid one.
class Reader {
 public:
  Reader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
  std::uint8_t Byte() { return pos_ < size_ ? data_[pos_++] : 0; }
  unsigned Below(unsigned n) { return Byte() % n; }
  bool Flag() { return Byte() & 1; }
  std::uint32_t Word() {
    std::uint32_t w = 0;
    for (int i = 0; i < 4; ++i) w = (w << 8) | Byte();
    return w;
  }
  Bytes Take(std::size_t n) {
    Bytes out;
    while (out.size() < n) out.push_back(Byte());
    return out;
  }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t pos_ = 0;
};

constexpr std::uint8_t kGuardFill = 0x5A;
constexpr std::size_t kGuardSize = 32;

struct GuardedTables {
  std::uint8_t before[kGuardSize];
  MapTables tables;
  std::uint8_t after[kGuardSize];
};

struct GuardedName {
  char before[kGuardSize];
  char name[kSchemeValueSize];
  char after[kGuardSize];
};

// memcpy from an empty vector's data() would pass a null pointer.
void CopyBytes(void* dst, const Bytes& src) {
  if (!src.empty()) std::memcpy(dst, src.data(), src.size());
}

bool GuardIntact(const void* guard) {
  const auto* bytes = static_cast<const std::uint8_t*>(guard);
  for (std::size_t i = 0; i < kGuardSize; ++i) {
    if (bytes[i] != kGuardFill) return false;
  }
  return true;
}

const char* const kActive = "SOFTWARE\\Kestro\\AudioDriver";
const char* const kKeys[] = {"SOFTWARE\\Kestro\\AudioDriver", "software\\kestro\\audiodriver",
                             "Software\\Kestro", "SOFTWARE\\Kestro\\AudioDriver\\jazz"};
const char* const kValueNames[] = {
    "Instrument0", "Instrument1", "Instrument2", "Percussion0", "Percussion1",
    "Percussion2", "SoftSynDeviceName", "MPUDeviceName", "Scheme", "instrument1",
    "PERCUSSION2", "scheme", "Instrument3", "Instrument",
};

std::string SubkeyName(Reader& in) {
  static const std::size_t kLengths[] = {1, 5, 78, 79, 80, 81, 120};
  std::size_t length = kLengths[in.Below(7)];
  std::string name;
  for (std::size_t i = 0; i < length; ++i) {
    char c = static_cast<char>(in.Byte());
    // Key names hold no backslash and no NUL; empty-looking input still
    // gives a name.
    if (c == '\\' || c == '\0') c = static_cast<char>('a' + i % 26);
    name += c;
  }
  return name;
}

void FillStore(Reader& in, MemoryStore& store) {
  if (in.Flag()) store.PutKey(kActive);
  const unsigned values = in.Below(16);
  for (unsigned i = 0; i < values; ++i) {
    const char* key = kKeys[in.Below(4)];
    const char* name = kValueNames[in.Below(14)];
    const unsigned long type = in.Flag() ? in.Word() : in.Below(5);
    std::size_t length = in.Below(40);
    if (in.Flag()) length = std::size_t{16} + in.Below(2) * 4 + in.Below(2);  // near 16, 20, 21
    store.Put(key, name, type, in.Take(length));
  }
  const unsigned subkeys = in.Below(6);
  for (unsigned i = 0; i < subkeys; ++i) store.PutKey(std::string(kActive) + "\\" + SubkeyName(in));
}

void FillDevices(Reader& in, FixedDeviceList& devices) {
  const unsigned count = in.Below(6);
  for (unsigned id = 0; id < count; ++id) {
    FixedDeviceList::Field field{};
    const Bytes raw = in.Take(in.Below(33));
    CopyBytes(field.data(), raw);
    if (in.Flag()) {
      static const char* const kMarks[] = {"OPL", "opl", "Opl", "oPL"};
      const unsigned at = in.Below(30);
      std::memcpy(field.data() + at, kMarks[in.Below(4)], 3);
    }
    devices.AddRaw(field);
    if (in.Flag()) devices.SetFailing(id);
  }
}

// What a text read into a zeroed buffer of size bytes gives, or the old
// text (cut to fit) when the stored value is missing or too long.
std::string ExpectedText(const MemoryStore& store, const char* name, std::size_t size,
                         const char* old, std::size_t oldSize) {
  const std::optional<Bytes> value = store.Get(kActive, name);
  char buffer[kDeviceNameSize] = {};
  if (value && value->size() <= size) {
    CopyBytes(buffer, *value);
    buffer[size - 1] = '\0';
    return buffer;
  }
  std::memcpy(buffer, old, oldSize);
  buffer[oldSize - 1] = '\0';
  return buffer;
}

void ExpectedMasks(const MemoryStore& store, bool activeExists, MapTables& t) {
  if (!activeExists) return;
  for (int n = 0; n < kSlotCount; ++n) {
    const std::optional<Bytes> instrument = store.Get(kActive, "Instrument" + std::to_string(n));
    if (!instrument || instrument->size() > kInstrumentMaskSize) return;
    CopyBytes(t.instrument[n], *instrument);
    const std::optional<Bytes> percussion = store.Get(kActive, "Percussion" + std::to_string(n));
    if (percussion && percussion->size() <= kPercussionMaskSize) {
      CopyBytes(t.percussion[n], *percussion);
    }
  }
}

std::string ExpectedOplName(FixedDeviceList& devices, const std::vector<bool>& failing) {
  for (unsigned id = 0; id < devices.DeviceCount(); ++id) {
    if (failing[id]) continue;
    char field[kProductNameSize];
    devices.DeviceProductName(id, field);
    std::string name(field, strnlen(field, sizeof field));
    if (name.size() > kDeviceNameSize - 1) name.resize(kDeviceNameSize - 1);
    std::string upper = name;
    for (char& c : upper) {
      if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    if (upper.find("OPL") != std::string::npos) return name;
  }
  return "";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Reader in(data, size);
  MemoryStore store;
  FillStore(in, store);
  FixedDeviceList devices;
  FillDevices(in, devices);
  std::vector<bool> failing;
  for (unsigned id = 0; id < devices.DeviceCount(); ++id) {
    char probe[kProductNameSize];
    failing.push_back(!devices.DeviceProductName(id, probe));
  }

  GuardedTables g;
  std::memset(g.before, kGuardFill, sizeof g.before);
  std::memset(g.after, kGuardFill, sizeof g.after);
  // Masks as any earlier load may have left them, and names that may even
  // lack their NUL.
  if (in.Flag()) {
    const Bytes masks = in.Take(sizeof g.tables.instrument + sizeof g.tables.percussion);
    std::memcpy(g.tables.instrument, masks.data(), sizeof g.tables.instrument);
    std::memcpy(g.tables.percussion, masks.data() + sizeof g.tables.instrument,
                sizeof g.tables.percussion);
  }
  if (in.Flag()) {
    const Bytes names = in.Take(sizeof g.tables.deviceNames);
    CopyBytes(g.tables.deviceNames, names);
  }
  const MapTables start = g.tables;
  const bool activeExists = store.HasKey(kActive);

  // Start-up: the factory copy gets the masks as they are now.
  CHECK(WriteFactoryDefaults(store, g.tables) == kStoreOk);
  for (int n = 0; n < kSlotCount; ++n) {
    CHECK(store.Get("Software\\Kestro", "Instrument" + std::to_string(n)) ==
          Bytes(start.instrument[n], start.instrument[n] + kInstrumentMaskSize));
    CHECK(store.Get("Software\\Kestro", "Percussion" + std::to_string(n)) ==
          Bytes(start.percussion[n], start.percussion[n] + kPercussionMaskSize));
  }

  GuardedName active;
  std::memset(&active, kGuardFill, sizeof active);
  ReadActiveConfiguration(store, g.tables, active.name);
  CHECK(GuardIntact(g.before) && GuardIntact(g.after));
  CHECK(GuardIntact(active.before) && GuardIntact(active.after));
  CHECK(std::memchr(active.name, '\0', kSchemeValueSize) != nullptr);

  MapTables expected = start;
  ExpectedMasks(store, activeExists, expected);
  CHECK(std::memcmp(g.tables.instrument, expected.instrument, sizeof expected.instrument) == 0);
  CHECK(std::memcmp(g.tables.percussion, expected.percussion, sizeof expected.percussion) == 0);
  std::string expectedNames[kSlotCount];
  for (int slot = 0; slot < kSlotCount; ++slot) {
    expectedNames[slot] = std::string(start.deviceNames[slot],
                                      strnlen(start.deviceNames[slot], kDeviceNameSize - 1));
  }
  if (activeExists) {
    expectedNames[0] = ExpectedText(store, kSoftSynNameValue, kDeviceNameSize,
                                    start.deviceNames[0], kDeviceNameSize);
    expectedNames[1] = ExpectedText(store, kMpuNameValue, kDeviceNameSize,
                                    start.deviceNames[1], kDeviceNameSize);
    const char none[1] = {'\0'};
    CHECK(active.name == ExpectedText(store, kSchemeValue, kSchemeValueSize, none, 1));
  } else {
    CHECK(active.name[0] == '\0');
  }

  std::vector<std::string> schemes;
  const unsigned stopAfter = 1 + in.Below(8);
  EnumerateSchemes(store, [&](const char* name) {
    CHECK(std::memchr(name, '\0', kSchemeNameSize) != nullptr);
    schemes.push_back(name);
    return schemes.size() != stopAfter;
  });
  std::vector<std::string> expectedSchemes;
  for (const std::string& name : store.SubkeyNames(kActive)) {
    if (name.size() >= kSchemeNameSize) break;
    expectedSchemes.push_back(name);
    if (expectedSchemes.size() == stopAfter) break;
  }
  CHECK(schemes == expectedSchemes);

  ResolveDeviceNames(devices, g.tables);
  CHECK(GuardIntact(g.before) && GuardIntact(g.after));
  const std::string opl = ExpectedOplName(devices, failing);
  if (!opl.empty()) expectedNames[2] = opl;
  for (int slot = 0; slot < kSlotCount; ++slot) {
    CHECK(std::memchr(g.tables.deviceNames[slot], '\0', kDeviceNameSize) != nullptr);
    if (expectedNames[slot].empty()) expectedNames[slot] = kDefaultDeviceNames[slot];
    CHECK(expectedNames[slot] == g.tables.DeviceName(slot));
  }

  // Routing edits never touch the bit no percussion row owns.
  std::uint8_t unused[kSlotCount];
  for (int s = 0; s < kSlotCount; ++s) unused[s] = g.tables.percussion[s][0] & 0x80;
  const unsigned edits = in.Below(32);
  for (unsigned i = 0; i < edits; ++i) {
    const RowKind kind = in.Flag() ? RowKind::Percussion : RowKind::Instrument;
    const int row = in.Byte();  // also rows past the table
    const unsigned what = in.Below(4);
    if (what == 3) {
      if (g.tables.SlotOf(kind, row) == kNoSlot) g.tables.RepairUnassigned(kind, row);
    } else {
      g.tables.AssignRow(kind, row, static_cast<DeviceSlot>(what));
      const int rows = kind == RowKind::Instrument ? kInstrumentRows : kPercussionRows;
      if (row < rows) CHECK(g.tables.SlotOf(kind, row) == static_cast<DeviceSlot>(what));
    }
  }
  for (int s = 0; s < kSlotCount; ++s) CHECK((g.tables.percussion[s][0] & 0x80) == unused[s]);
  CHECK(GuardIntact(g.before) && GuardIntact(g.after));
  CHECK(store.OpenKeyCount() == 0);
  return 0;
}
