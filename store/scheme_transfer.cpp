#include "store/scheme_transfer.h"

#include "model/text.h"
#include "store/registry_layout.h"
#include "store/scheme_operations.h"

namespace klangrid {

namespace {

bool IsSwitch(const char* arg, const char* name) {
  return arg[0] == '/' && EqualsIgnoreAsciiCase(arg + 1, name);
}

// What OK's outcome means for a script.
int ExitCodeOf(ApplyResult result) {
  if (result == ApplyResult::kApplied) return kExitOk;
  return result == ApplyResult::kNoDriverKey ? kExitNotFound : kExitNotWritten;
}

int Apply(SettingsStore& store, const char* name) {
  // The entry the list would show for the name, so "Scheme" is written as
  // choosing that entry would write it.
  char listed[kSchemeNameSize] = "";
  EnumerateSchemes(store, [&](const char* entry) {
    if (!store.SameKeyName(entry, name)) return true;
    CopyBounded(listed, sizeof listed, entry);
    return false;
  });
  if (!listed[0]) return kExitNotFound;
  MapTables tables;
  if (!LoadScheme(store, listed, tables)) return kExitNotWritten;
  return ExitCodeOf(ApplyConfiguration(store, tables, listed));
}

int ApplyDefault(SettingsStore& store) {
  MapTables tables;
  LoadFactoryMaps(store, tables);
  return ExitCodeOf(ApplyConfiguration(store, tables, ""));
}

int List(SettingsStore& store, CommandHost& host) {
  EnumerateSchemes(store, [&](const char* name) {
    host.WriteOutput(name, std::strlen(name));
    host.WriteOutput("\r\n", 2);
    return true;
  });
  return kExitOk;
}

int Export(const Command& command, SettingsStore& store, CommandHost& host) {
  SchemeRecords schemes;
  const long collected = CollectSchemes(store, command.names, command.nameCount, schemes);
  if (collected == kStoreNotFound) return kExitNotFound;
  if (collected != kStoreOk) return kExitNotWritten;
  ByteArray file;
  if (!WriteSchemeFile(schemes, host, file)) return kExitInvalidFile;
  return static_cast<int>(host.WriteWholeFile(command.argument, file));
}

int Import(const Command& command, SettingsStore& store, CommandHost& host) {
  SchemeRecords schemes;
  {
    ByteArray file;
    const long read = host.ReadWholeFile(command.argument, file);
    if (read != 0) return static_cast<int>(read);
    if (ReadSchemeFile(file.Data(), file.Size(), host, schemes).error != FileError::kNone ||
        CheckSchemeNames(store, schemes).error != FileError::kNone)
      return kExitInvalidFile;
  }
  if (MarkExisting(store, schemes) && !command.overwrite) return kExitWouldOverwrite;
  return ImportSchemes(store, schemes).complete ? kExitOk : kExitNotWritten;
}

}  // namespace

long CollectSchemes(SettingsStore& store, const char* const* names, int nameCount,
                    SchemeRecords& out) {
  out.Clear();
  PodArray<bool> found;
  for (int i = 0; i < nameCount; ++i) {
    if (!found.Push(false)) return kStoreAccessDenied;
  }
  bool ok = true;
  EnumerateSchemes(store, [&](const char* name) {
    bool wanted = nameCount == 0;
    for (int i = 0; i < nameCount; ++i) {
      if (store.SameKeyName(name, names[i])) wanted = found[i] = true;
    }
    if (!wanted) return true;
    SchemeRecord* record = out.Grow(1);
    ok = record != nullptr;
    if (ok) {
      std::memset(record, 0, sizeof *record);
      CopyBounded(record->name, sizeof record->name, name);
    }
    return ok;
  });
  if (!ok) return kStoreAccessDenied;
  for (int i = 0; i < nameCount; ++i) {
    if (!found[i]) return kStoreNotFound;
  }
  for (std::size_t i = 0; i < out.Size(); ++i) {
    MapTables tables;
    if (!LoadScheme(store, out[i].name, tables)) return kStoreAccessDenied;
    MapsToRecord(tables, out[i]);
  }
  return kStoreOk;
}

FileReadResult CheckSchemeNames(SettingsStore& store, const SchemeRecords& schemes) {
  for (std::size_t i = 0; i < schemes.Size(); ++i) {
    for (std::size_t j = 0; j < i; ++j) {
      if (store.SameKeyName(schemes[j].name, schemes[i].name))
        return {FileError::kDuplicate, schemes[i].line};
    }
  }
  return {FileError::kNone, 0};
}

std::size_t MarkExisting(SettingsStore& store, SchemeRecords& schemes) {
  std::size_t count = 0;
  for (std::size_t i = 0; i < schemes.Size(); ++i) {
    SaveAsTarget target;
    schemes[i].exists = PrepareSaveAs(store, schemes[i].name, &target) && target.exists;
    count += schemes[i].exists;
  }
  return count;
}

ImportResult ImportSchemes(SettingsStore& store, const SchemeRecords& schemes) {
  for (std::size_t i = 0; i < schemes.Size(); ++i) {
    // The name as the file spells it: Save As lowers a typed name, but an
    // exported one is the key's own and comes back as it was.
    SaveAsTarget target;
    CopyBounded(target.name, sizeof target.name, schemes[i].name);
    target.exists = schemes[i].exists;
    MapTables tables;
    RecordToMaps(schemes[i], tables);
    if (!SaveSchemeAs(store, target, tables).saved) return {i, false};
  }
  return {schemes.Size(), true};
}

int ParseCommandLine(int argc, const char* const* args, Command* command) {
  static const struct {
    const char* name;
    CommandAction action;
  } kSwitches[] = {{"apply", CommandAction::kApply},   {"default", CommandAction::kDefault},
                   {"list", CommandAction::kList},     {"export", CommandAction::kExport},
                   {"import", CommandAction::kImport}, {"?", CommandAction::kUsage}};
  *command = Command();
  bool yes = false;
  for (int i = 0; i < argc; ++i) {
    const char* arg = args[i];
    if (IsSwitch(arg, "y")) {
      if (yes) return kExitBadSyntax;
      yes = true;
      continue;
    }
    constexpr int kSwitchCount = int(sizeof kSwitches / sizeof kSwitches[0]);
    int known = 0;
    while (known < kSwitchCount && !IsSwitch(arg, kSwitches[known].name)) ++known;
    // An unknown switch, a word no switch takes, or a second action.
    if (known == kSwitchCount || command->action != CommandAction::kDialog) return kExitBadSyntax;
    const CommandAction action = command->action = kSwitches[known].action;
    const bool takesArgument = action == CommandAction::kApply ||
                               action == CommandAction::kExport || action == CommandAction::kImport;
    if (!takesArgument) continue;
    if (i + 1 >= argc || args[i + 1][0] == '/' || args[i + 1][0] == '\0') return kExitBadSyntax;
    command->argument = args[++i];
    if (action != CommandAction::kExport) continue;
    command->names = args + i + 1;
    while (i + 1 < argc && args[i + 1][0] != '/') {
      if (!args[++i][0]) return kExitBadSyntax;
      ++command->nameCount;
    }
  }
  if (yes && command->action != CommandAction::kImport) return kExitBadSyntax;
  command->overwrite = yes;
  return kExitOk;
}

bool CommandWrites(const Command& command) {
  return command.action == CommandAction::kApply || command.action == CommandAction::kDefault ||
         command.action == CommandAction::kImport;
}

int RunCommand(const Command& command, SettingsStore& store, CommandHost& host) {
  switch (command.action) {
    case CommandAction::kApply: return Apply(store, command.argument);
    case CommandAction::kDefault: return ApplyDefault(store);
    case CommandAction::kList: return List(store, host);
    case CommandAction::kExport: return Export(command, store, host);
    case CommandAction::kImport: return Import(command, store, host);
    default: return kExitBadSyntax;
  }
}

}  // namespace klangrid
