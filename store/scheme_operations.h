#pragma once
// What the main dialog's commands do to the store: start-up, loading a
// scheme or the factory maps, Save As, Delete and OK. Each is one sequence of
// store calls that returns a small result; the dialog only asks, shows and
// reports.
#include <type_traits>

#include "model/map_tables.h"
#include "store/registry_layout.h"
#include "store/settings_store.h"

namespace klangrid {

// Writes the factory key from the built-in maps (the tables must still hold
// them), then reads the active configuration. activeName as in
// ReadActiveConfiguration.
void StartUp(SettingsStore& store, MapTables& tables, char (&activeName)[kSchemeValueSize]);

// Hands every scheme name to add, in enumeration order, and puts into select
// the listed name that activeName (the stored "Scheme") stands for, or ""
// when there is none. "Scheme" holds 19 characters: when it is full and a
// listed name longer than that begins with it, it may stand for either, and
// nothing is selected rather than the wrong scheme. Returns the count.
using SchemeAdder = void (*)(const char* name, void* context);
int ListSchemes(SettingsStore& store, const char* activeName, SchemeAdder add, void* context,
                char (&select)[kSchemeNameSize]);
template <class Add>
int ListSchemes(SettingsStore& store, const char* activeName, Add&& add,
                char (&select)[kSchemeNameSize]) {
  using Callable = std::remove_reference_t<Add>;
  return ListSchemes(
      store, activeName, [](const char* name, void* context) { (*static_cast<Callable*>(context))(name); },
      const_cast<void*>(static_cast<const void*>(&add)), select);
}

// Reads the scheme's maps. False when its key could not be opened; then the
// maps are as they were. A key missing values keeps the masks those leave.
bool LoadScheme(SettingsStore& store, const char* name, MapTables& tables);

// Reads the factory key. Where it, or any of its six values, cannot be read,
// the tables get the built-in factory maps instead, so Default never shows
// other maps as defaults. False when the built-in maps were used.
bool LoadFactoryMaps(SettingsStore& store, MapTables& tables);

// Save As in two steps, around the overwrite question.
struct SaveAsTarget {
  char name[kSchemeNameSize];  // the key's name: the typed one in lower case
  bool exists;                 // its key is there (only "not found" means it is not)
};
// False when the typed name cannot name a scheme key: empty, with a
// backslash, or too long for the key path.
bool PrepareSaveAs(SettingsStore& store, const char* typed, SaveAsTarget* target);
struct SaveAsResult {
  bool saved;   // the key holds the six maps
  bool listed;  // the key exists afterwards, so the list shows it
};
// Creates the key and writes the maps. When that fails on a key this call
// made, the key is deleted again (and the driver's key too, if this call made
// it), so no half-made scheme stays behind; an existing key stays.
SaveAsResult SaveSchemeAs(SettingsStore& store, const SaveAsTarget& target, const MapTables& tables);

// Deletes the scheme's key. A key already gone counts as deleted; false
// while the key is still there.
bool DeleteScheme(SettingsStore& store, const char* name);

enum class ApplyResult {
  kApplied,            // the active key, and the selected scheme's key if any, hold the maps
  kNoDriverKey,        // no driver's key: nothing written, nothing to write to
  kActiveNotWritten,   // the active configuration could not be written (wholly)
  kSchemeNotWritten,   // the active key was written, the selected scheme's key not
};
// OK: the maps and "Scheme" into the driver's key, then the maps into the
// selected scheme's key (selected: a list entry's full name, or "" for none).
// A scheme key that is gone is not made again.
ApplyResult ApplyConfiguration(SettingsStore& store, const MapTables& tables, const char* selected);

}  // namespace klangrid
