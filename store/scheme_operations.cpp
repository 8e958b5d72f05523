#include "store/scheme_operations.h"

#include <cstring>

#include "model/text.h"
#include "store/key_names.h"

namespace klangrid {

namespace {

// Opens only: a key that is missing is never made by a read.
bool ReadMapsFrom(SettingsStore& store, const char* path, MapTables& tables, bool* allRead) {
  ScopedKey key(store);
  if (key.Open(path) != kStoreOk) return false;
  *allRead = ReadMapValues(store, key.Get(), tables);
  return true;
}

// Whether name's first strlen(prefix) bytes name the key prefix names.
bool StartsAsKeyName(SettingsStore& store, const char* name, const char* prefix) {
  char head[kSchemeNameSize];
  const std::size_t length = std::strlen(prefix);
  if (length >= sizeof head || std::strlen(name) <= length) return false;
  std::memcpy(head, name, length);
  head[length] = '\0';
  return store.SameKeyName(head, prefix);
}

}  // namespace

void StartUp(SettingsStore& store, MapTables& tables, char (&activeName)[kSchemeValueSize]) {
  WriteFactoryDefaults(store, tables);
  ReadActiveConfiguration(store, tables, activeName);
}

int ListSchemes(SettingsStore& store, const char* activeName, SchemeAdder add, void* context,
                char (&select)[kSchemeNameSize]) {
  select[0] = '\0';
  const bool activeIsFull = std::strlen(activeName) >= kSchemeValueSize - 1;
  bool ambiguous = false;
  int count = 0;
  EnumerateSchemes(store, [&](const char* name) {
    add(name, context);
    ++count;
    if (activeName[0] == '\0') return true;
    // The store compares: only it knows the code page's letters.
    if (store.SameKeyName(name, activeName)) {
      CopyBounded(select, sizeof select, name);
    } else if (activeIsFull && StartsAsKeyName(store, name, activeName)) {
      ambiguous = true;  // the stored name may be this one, cut to fit
    }
    return true;
  });
  if (ambiguous) select[0] = '\0';
  return count;
}

bool LoadScheme(SettingsStore& store, const char* name, MapTables& tables) {
  char path[kKeyPathSize];
  if (!IsSchemeName(store, name) || !SchemeKeyPath(name, path)) return false;
  bool allRead = false;
  return ReadMapsFrom(store, path, tables, &allRead);
}

bool LoadFactoryMaps(SettingsStore& store, MapTables& tables) {
  bool allRead = false;
  if (ReadMapsFrom(store, kFactoryKeyPathUpper, tables, &allRead) && allRead) return true;
  const MapTables builtIn;
  std::memcpy(tables.instrument, builtIn.instrument, sizeof tables.instrument);
  std::memcpy(tables.percussion, builtIn.percussion, sizeof tables.percussion);
  return false;
}

bool PrepareSaveAs(SettingsStore& store, const char* typed, SaveAsTarget* target) {
  target->name[0] = '\0';
  target->exists = false;
  if (!typed || !CopyBounded(target->name, sizeof target->name, typed)) return false;
  LowerAsciiLetters(store, target->name);
  char path[kKeyPathSize];
  if (!IsSchemeName(store, target->name) || !SchemeKeyPath(target->name, path)) return false;
  // The store decides what "the same name" is: whatever key it opens for
  // this name is the one a save would overwrite, whatever its spelling and
  // whether or not the list shows it.
  target->exists = KeyExists(store, path);
  return true;
}

SaveAsResult SaveSchemeAs(SettingsStore& store, const SaveAsTarget& target, const MapTables& tables) {
  char path[kKeyPathSize];
  if (!IsSchemeName(store, target.name) || !SchemeKeyPath(target.name, path))
    return {false, target.exists};
  // Creating the scheme creates the driver's key too when it is missing;
  // a save that fails must not leave that behind either.
  const bool driverKeyWasThere = target.exists || KeyExists(store, kActiveKeyPath);

  long status;
  {
    ScopedKey key(store);
    status = key.Create(path);
    if (status != kStoreOk) return {false, target.exists};
    status = WriteMapValues(store, key.Get(), tables);
  }
  if (status == kStoreOk) return {true, true};
  if (target.exists) return {false, true};  // the old key stays, perhaps half-written

  const long deleted = store.DeleteKey(path);
  const bool gone = deleted == kStoreOk || deleted == kStoreNotFound;
  if (gone && !driverKeyWasThere) store.DeleteKey(kActiveKeyPath);
  return {false, !gone};
}

bool DeleteScheme(SettingsStore& store, const char* name) {
  const long status = DeleteSchemeKey(store, name);
  if (status == kStoreOk) return true;
  // A key already gone (deleted elsewhere) is what the user asked for; the
  // store is asked again rather than trusted, so the entry goes only with
  // its key.
  char path[kKeyPathSize];
  return status == kStoreNotFound && SchemeKeyPath(name, path) && !KeyExists(store, path);
}

ApplyResult ApplyConfiguration(SettingsStore& store, const MapTables& tables, const char* selected) {
  {
    ScopedKey active(store);
    const long opened = active.Open(kActiveKeyPath);
    // Without the driver's key no driver is installed to read it.
    if (opened == kStoreNotFound) return ApplyResult::kNoDriverKey;
    if (opened != kStoreOk) return ApplyResult::kActiveNotWritten;
    const long maps = WriteMapValues(store, active.Get(), tables);
    const long name = WriteActiveSchemeName(store, active.Get(), selected);
    if (maps != kStoreOk || name != kStoreOk) return ApplyResult::kActiveNotWritten;
  }

  char path[kKeyPathSize];
  if (!IsSchemeName(store, selected) || !SchemeKeyPath(selected, path)) return ApplyResult::kApplied;
  ScopedKey scheme(store);
  const long opened = scheme.Open(path);
  // A scheme deleted elsewhere is not made again: the active key holds the
  // maps already.
  if (opened == kStoreNotFound) return ApplyResult::kApplied;
  if (opened != kStoreOk || WriteMapValues(store, scheme.Get(), tables) != kStoreOk)
    return ApplyResult::kSchemeNotWritten;
  return ApplyResult::kApplied;
}

}  // namespace klangrid
