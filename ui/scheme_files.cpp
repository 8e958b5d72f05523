// Export and Import in the system menu: the common file dialogs ask, the
// scheme transfer does the store work, these report.
#include <windows.h>
// clang-format off
#include <commdlg.h>  // after windows.h
// clang-format on

#include "model/text.h"
#include "res/resource.h"
#include "store/scheme_transfer.h"
#include "store/win/system_host.h"
#include "ui/mapper_dialog.h"

namespace klangrid::ui {

namespace {

constexpr int kMessageSize = 1024;  // wsprintf's own limit
constexpr int kFormatSize = 512;
constexpr std::size_t kNameListSize = 600;

void LoadText(UINT id, char* text, int size) {
  text[0] = '\0';
  LoadStringA(GetModuleHandleA(nullptr), id, text, size);
}

// The common file dialog for a .reg file; false when cancelled.
bool AskForFile(HWND owner, bool save, char (&path)[MAX_PATH]) {
  char filter[128];
  LoadText(IDS_REG_FILTER, filter, sizeof filter);
  for (char* c = filter; *c; ++c) {
    if (*c == '|') *c = '\0';
  }
  path[0] = '\0';
  OPENFILENAMEA ask = {};
  ask.lStructSize = sizeof ask;
  ask.hwndOwner = owner;
  ask.lpstrFilter = filter;
  ask.lpstrFile = path;
  ask.nMaxFile = MAX_PATH;
  ask.lpstrDefExt = "reg";
  ask.Flags = OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR |
              (save ? OFN_OVERWRITEPROMPT : OFN_FILEMUSTEXIST);
  // Loaded only when asked for, and kept: importing the common dialogs'
  // library would load it and the shell behind it at every start.
  using AskFunction = BOOL(WINAPI*)(OPENFILENAMEA*);
  HMODULE dialogs = LoadLibraryA("comdlg32.dll");
  const auto askFor = reinterpret_cast<AskFunction>(reinterpret_cast<void*>(
      dialogs ? GetProcAddress(dialogs, save ? "GetSaveFileNameA" : "GetOpenFileNameA") : nullptr));
  return askFor && askFor(&ask) != FALSE;
}

}  // namespace

void MapperDialog::OnExportSchemes() {
  char path[MAX_PATH];
  if (!AskForFile(hwnd_, true, path)) return;
  SystemHost host;
  SchemeRecords schemes;
  ByteArray file;
  if (CollectSchemes(store_, nullptr, 0, schemes) != kStoreOk ||
      !WriteSchemeFile(schemes, host, file) || host.WriteWholeFile(path, file) != 0) {
    char text[kFormatSize];
    LoadText(IDS_EXPORT_FAILED, text, sizeof text);
    ReportFailure(text);
  }
}

void MapperDialog::OnImportSchemes() {
  char path[MAX_PATH];
  if (!AskForFile(hwnd_, false, path)) return;
  SystemHost host;
  SchemeRecords schemes;
  char format[kFormatSize];
  char text[kMessageSize];
  {
    ByteArray file;
    if (host.ReadWholeFile(path, file) != 0) {
      LoadText(IDS_READ_FAILED, text, sizeof text);
      ReportFailure(text);
      return;
    }
    FileReadResult read = ReadSchemeFile(file.Data(), file.Size(), host, schemes);
    if (read.error == FileError::kNone) read = CheckSchemeNames(store_, schemes);
    if (read.error != FileError::kNone) {
      LoadText(IDS_FILE_ERROR + UINT(read.error), format, sizeof format);
      wsprintfA(text, format, read.line);
      LoadText(IDS_NOTHING_IMPORTED, format, sizeof format);
      AppendBounded(text, sizeof text, format);
      ReportFailure(text);
      return;
    }
  }

  if (MarkExisting(store_, schemes) > 0) {
    char names[kNameListSize] = "";
    for (std::size_t i = 0; i < schemes.Size(); ++i) {
      if (!schemes[i].exists) continue;
      if (!AppendBounded(names, sizeof names - 4, schemes[i].name) ||
          !AppendBounded(names, sizeof names - 4, "\n")) {
        AppendBounded(names, sizeof names, "...\n");
        break;
      }
    }
    LoadText(IDS_IMPORT_OVERWRITE, format, sizeof format);
    wsprintfA(text, format, names);
    char caption[128] = {};
    GetWindowTextA(hwnd_, caption, sizeof caption);
    // No is the default: a stray Enter must not overwrite.
    if (MessageBoxA(hwnd_, text, caption, MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) != IDYES)
      return;
  }

  const ImportResult result = ImportSchemes(store_, schemes);
  // The selected scheme, imported over, is shown as imported: OK would
  // otherwise write the maps it had back over the import.
  char selected[kSchemeNameSize];
  const int index = schemeList_.GetCurSel();
  if (index < 0 || !schemeList_.GetLBText(index, selected, sizeof selected)) selected[0] = '\0';
  bool reload = false;
  for (std::size_t i = 0; i < result.written; ++i) {
    AddScheme(schemes[i].name);
    reload = reload || (selected[0] && store_.SameKeyName(schemes[i].name, selected));
  }
  if (reload) LoadSelectedScheme();
  if (result.complete) return;
  const SchemeRecord& failed = schemes[result.written];
  char key[kKeyPathSize];
  if (SchemeKeyPath(failed.name, key) && KeyExists(store_, key)) AddScheme(failed.name);
  LoadText(IDS_IMPORT_STOPPED, format, sizeof format);
  wsprintfA(text, format, failed.name, unsigned(result.written), unsigned(schemes.Size()));
  ReportFailure(text);
}

}  // namespace klangrid::ui
