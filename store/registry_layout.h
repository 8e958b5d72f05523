#pragma once
// Where and how the maps, device names and schemes are stored. The driver
// reads the active key, so names, sizes and orders here are fixed.
#include <cstddef>
#include <type_traits>

#include "model/map_tables.h"
#include "store/settings_store.h"

namespace klangrid {

constexpr const char* kFactoryKeyPath = "Software\\Kestro";
constexpr const char* kFactoryKeyPathUpper = "SOFTWARE\\Kestro";  // as the Default command writes it
constexpr const char* kActiveKeyPath = "SOFTWARE\\Kestro\\AudioDriver";
constexpr const char* kSoftSynNameValue = "SoftSynDeviceName";
constexpr const char* kMpuNameValue = "MPUDeviceName";
constexpr const char* kSchemeValue = "Scheme";

constexpr std::size_t kSchemeNameSize = 80;    // an enumerated or typed scheme name
constexpr std::size_t kKeyPathSize = 120;      // a key path
constexpr std::size_t kSchemeValueSize = 20;   // the "Scheme" value, always written whole

// Six writes: Instrument0, Percussion0, Instrument1, ... Returns the first
// failing status, kStoreOk when all six succeeded; it always tries all six.
long WriteMapValues(SettingsStore& store, SettingsStore::Key key, const MapTables& tables);
// Reads the masks in slot order; stops at the first missing "Instrument<n>".
// True when all six values were read.
bool ReadMapValues(SettingsStore& store, SettingsStore::Key key, MapTables& tables);
// Create-or-open the factory key and write the current masks there.
long WriteFactoryDefaults(SettingsStore& store, const MapTables& tables);
// Device names of slots 0 and 1, the masks, and the active scheme name.
// activeName is always zero-filled first and NUL-terminated within its 20 bytes.
void ReadActiveConfiguration(SettingsStore& store, MapTables& tables,
                             char (&activeName)[kSchemeValueSize]);
// "SOFTWARE\Kestro\AudioDriver\" + name into path; false when cut to fit.
bool SchemeKeyPath(const char* name, char (&path)[kKeyPathSize]);
// Hands each subkey name of the active key to visit in enumeration order
// while visit returns true; ends at the first failing index, but passes over
// a key whose name the code page cannot spell (kStoreNoAnsiName).
// (A function pointer and its context rather than std::function, whose call
// operator would bring the C++ runtime's exception machinery into the
// program; the template below takes any callable.)
using SchemeVisitor = bool (*)(const char* name, void* context);
void EnumerateSchemes(SettingsStore& store, SchemeVisitor visit, void* context);
template <class Visit>
void EnumerateSchemes(SettingsStore& store, Visit&& visit) {
  using Callable = std::remove_reference_t<Visit>;
  EnumerateSchemes(
      store, [](const char* name, void* context) { return bool((*static_cast<Callable*>(context))(name)); },
      const_cast<void*>(static_cast<const void*>(&visit)));
}
// A name that can be a scheme key of its own: not empty (that path would be
// the active key itself) and without a backslash (that would reach some
// other key). A trail byte is part of its character, never a backslash.
bool IsSchemeName(SettingsStore& store, const char* name);
// Whether the key at path is there. Only "not found" says it is not: a key
// that cannot be opened for another reason (no access, say) may well exist,
// and nothing that may exist is taken for absent.
bool KeyExists(SettingsStore& store, const char* path);
// Deletes the scheme's key. An empty name (the active key itself), a name
// holding a backslash (a key that is no scheme) and a name whose path would
// not fit kKeyPathSize (the cut path names another key) are refused with a
// non-zero status and nothing is deleted.
long DeleteSchemeKey(SettingsStore& store, const char* name);
// "Scheme" as REG_SZ of exactly 20 bytes: the name cut to 19 characters, then
// zeros.
long WriteActiveSchemeName(SettingsStore& store, SettingsStore::Key key, const char* name);

}  // namespace klangrid
