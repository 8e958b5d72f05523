#pragma once
// Schemes to and from a registry file: what Export and Import do to the
// store, and the command line that runs them (and OK's work) without a
// window. Each is a sequence of store calls returning a small result; the
// dialog and the entry point only ask, show and report.
#include <cstddef>

#include "store/scheme_file.h"
#include "store/settings_store.h"

namespace klangrid {

// The schemes the store lists, in list order, each with the maps the
// dialog would load for it; with names given, only those (compared as key
// names). kStoreOk; kStoreNotFound when a given name is not listed; another
// failure when a listed scheme's key cannot be opened.
long CollectSchemes(SettingsStore& store, const char* const* names, int nameCount,
                    SchemeRecords& out);

// What a file's schemes must pass that only the store can tell: the first
// record naming the same key as an earlier one, compared as the store
// compares key names, gives kDuplicate and its section's line.
FileReadResult CheckSchemeNames(SettingsStore& store, const SchemeRecords& schemes);

// Marks each record whose key is there already, as Save As decides it, and
// returns how many are.
std::size_t MarkExisting(SettingsStore& store, SchemeRecords& schemes);

struct ImportResult {
  std::size_t written;  // the first `written` records hold their maps
  bool complete;        // all did; otherwise record [written] failed: a key
                        // this made is removed again, an existing one may be
                        // half-written; the ones after it are untouched
};
// Writes each record as Save As writes it (exists as MarkExisting left
// it), in order, and stops at the first failure.
ImportResult ImportSchemes(SettingsStore& store, const SchemeRecords& schemes);

// Exit codes of the command line: the Win32 error codes a script knows.
constexpr int kExitOk = 0;
constexpr int kExitNotFound = 2;         // ERROR_FILE_NOT_FOUND: a scheme or the file
constexpr int kExitNotWritten = 5;       // ERROR_ACCESS_DENIED: the driver's key
constexpr int kExitInvalidFile = 13;     // ERROR_INVALID_DATA
constexpr int kExitBadSyntax = 87;       // ERROR_INVALID_PARAMETER
constexpr int kExitDialogOpen = 170;     // ERROR_BUSY
constexpr int kExitWouldOverwrite = 183; // ERROR_ALREADY_EXISTS

enum class CommandAction { kDialog, kApply, kDefault, kList, kExport, kImport, kUsage };
struct Command {
  CommandAction action = CommandAction::kDialog;
  const char* argument = nullptr;      // the scheme (apply) or the file (export, import)
  const char* const* names = nullptr;  // export's schemes, none for all of them
  int nameCount = 0;
  bool overwrite = false;              // import's /y
};
// Switches begin with "/" and are matched without regard to case; args
// excludes the program's own name. kExitOk, or kExitBadSyntax for an
// unknown switch, a missing or extra argument, or two actions.
int ParseCommandLine(int argc, const char* const* args, Command* command);
// Whether the command writes the driver's key, so that it must not run
// while a dialog that will write it on OK is open.
bool CommandWrites(const Command& command);

// What the command line needs besides the store: the files, the standard
// output and the code page.
class CommandHost : public AnsiCodePage {
 public:
  // Win32 error codes: 0, or why the file could not be read or written.
  virtual long ReadWholeFile(const char* path, ByteArray& data) = 0;
  virtual long WriteWholeFile(const char* path, const ByteArray& data) = 0;
  virtual void WriteOutput(const char* text, std::size_t length) = 0;
};
// Runs a parsed command other than kDialog and kUsage; returns its exit
// code. Nothing is written after a failure found before the first write.
int RunCommand(const Command& command, SettingsStore& store, CommandHost& host);

}  // namespace klangrid
