// The scheme commands of the main dialog and OK: moving the maps between the
// tables and the store's scheme keys, the active key and the factory key.
#include <cstring>

#include "model/text.h"
#include "res/resource.h"
#include "ui/map_lists.h"
#include "ui/mapper_dialog.h"
#include "ui/secondary_dialogs.h"

namespace klangrid::ui {

namespace {

constexpr long kKeyNotFound = 2;  // ERROR_FILE_NOT_FOUND

constexpr const char* kSaveFailedText = "The scheme could not be saved.";
constexpr const char* kDeleteFailedText = "The scheme could not be deleted.";
constexpr const char* kApplyFailedText = "The configuration could not be applied.";

// A name that can be a scheme key of its own: not empty (that path would be
// the active key), no backslash (that would reach some other key).
bool UsableSchemeName(const char* name) { return name[0] != '\0' && !std::strchr(name, '\\'); }

}  // namespace

void MapperDialog::OnSchemeSelEndOk(Message&) { LoadSelectedScheme(); }

void MapperDialog::LoadSelectedScheme() {
  if (LoadDefaultsPending == 0) {
    // The list also ends "accepted" after text was typed into its edit
    // field; then no entry is selected and there is nothing to load.
    const int index = schemeList_.GetCurSel();
    if (index < 0) return;
    char name[kSchemeNameSize];
    if (!schemeList_.GetLBText(index, name, sizeof name)) return;
    if (!SchemeKeyPath(name, ActiveKeyPath)) return;
  } else {
    LoadDefaultsPending = 0;
    schemeList_.SetCurSel(-1);
    CopyBounded(ActiveKeyPath, sizeof ActiveKeyPath, kFactoryKeyPathUpper);
  }

  {
    ScopedKey key(store_);
    if (key.Open(ActiveKeyPath) == kStoreOk) ReadMapValues(store_, key.Get(), tables_);
  }
  RefillLists();
}

void MapperDialog::RefillLists() {
  RefillMapList(instrumentList_, RowKind::Instrument, tables_);
  RefillMapList(drumList_, RowKind::Percussion, tables_);
}

void MapperDialog::OnDefaultScheme(Message&) {
  LoadDefaultsPending = 1;
  LoadSelectedScheme();
}

void MapperDialog::OnSaveAs(Message&) {
  SaveSchemeDialog ask;
  if (ask.DoModal() != IDOK) return;

  char name[kSchemeNameSize];
  if (!CopyBounded(name, sizeof name, ask.SchemeName)) return;
  AsciiLower(name);
  if (!UsableSchemeName(name)) return;

  // The registry compares key names without regard to case, so a scheme
  // made elsewhere as "Jazz" is the key "jazz" names; its own spelling is
  // kept for the path and the list entry.
  char existing[kSchemeNameSize] = {};
  EnumerateSchemes(store_, [&](const char* stored) {
    if (!EqualsIgnoreAsciiCase(stored, name)) return true;
    CopyBounded(existing, sizeof existing, stored);
    return false;
  });
  const bool exists = existing[0] != '\0';
  const char* keyName = exists ? existing : name;
  if (!SchemeKeyPath(keyName, ActiveKeyPath)) return;

  if (exists) {
    OverwriteConfirmDialog confirm;
    if (confirm.DoModal() != 1) return;
  }

  ScopedKey key(store_);
  if (key.Create(ActiveKeyPath) != kStoreOk) {
    ReportFailure(kSaveFailedText);
    return;
  }

  // One entry per key: an existing scheme missing from the list (made
  // since start-up) is added once, never a second time.
  int index = FindActiveScheme(keyName);
  if (index < 0) {
    Window(Item(IDC_DELETE)).Enable(true);
    schemeList_.Enable(true);
    index = schemeList_.AddString(keyName);
  }
  schemeList_.SetCurSel(index);

  if (WriteMapValues(store_, key.Get(), tables_) != kStoreOk) ReportFailure(kSaveFailedText);
}

void MapperDialog::OnDeleteScheme(Message&) {
  const int index = schemeList_.GetCurSel();
  if (index < 0) return;

  DeleteConfirmDialog confirm;
  if (confirm.DoModal() != IDOK) return;

  char name[kSchemeNameSize];
  bool deleted = false;
  if (schemeList_.GetLBText(index, name, sizeof name)) {
    // A key already gone (deleted elsewhere) is what the user asked for.
    const long status = DeleteSchemeKey(store_, name);
    deleted = status == kStoreOk || status == kKeyNotFound;
  }
  if (!deleted) {
    ReportFailure(kDeleteFailedText);
    return;
  }

  schemeList_.DeleteString(index);
  if (schemeList_.GetCount() == 0) {
    // Leave no focus on a control about to be disabled: the keyboard would
    // have nowhere to go.
    const HWND deleteButton = Item(IDC_DELETE);
    const HWND focus = GetFocus();
    if (focus == deleteButton || focus == schemeList_.Handle() ||
        IsChild(schemeList_.Handle(), focus)) {
      Send(WM_NEXTDLGCTL, WPARAM(Item(IDC_SAVE_AS)), TRUE);
    }
    Window(deleteButton).Enable(false);
    schemeList_.Enable(false);
  }

  Message none{WM_COMMAND, 0, 0};
  OnDefaultScheme(none);
}

void MapperDialog::OnOK() {
  CopyBounded(ActiveKeyPath, sizeof ActiveKeyPath, kActiveKeyPath);
  ScopedKey active(store_);
  const long opened = active.Open(ActiveKeyPath);
  // Without the active key no driver is installed to read it: nothing to
  // write. Any other failure would drop the user's edits unseen.
  if (opened == kKeyNotFound) {
    Dialog::OnOK();
    return;
  }
  if (opened != kStoreOk) {
    ReportFailure(kApplyFailedText);
    return;
  }

  // Only a chosen entry names the active scheme; text typed into the edit
  // field is not a scheme.
  char name[kSchemeNameSize] = {};
  const int index = schemeList_.GetCurSel();
  if (index >= 0 && !schemeList_.GetLBText(index, name, sizeof name)) name[0] = '\0';

  long status = WriteMapValues(store_, active.Get(), tables_);
  const long nameStatus = WriteActiveSchemeName(store_, active.Get(), name);
  if (status == kStoreOk) status = nameStatus;
  active.Close();
  if (status != kStoreOk) {
    ReportFailure(kApplyFailedText);
    return;
  }

  if (UsableSchemeName(name) && SchemeKeyPath(name, ActiveKeyPath)) {
    ScopedKey scheme(store_);
    // A scheme key deleted elsewhere is not recreated: the active key
    // already holds the maps.
    if (scheme.Open(ActiveKeyPath) == kStoreOk &&
        WriteMapValues(store_, scheme.Get(), tables_) != kStoreOk) {
      ReportFailure(kSaveFailedText);
      return;
    }
  }

  Dialog::OnOK();
}

void MapperDialog::ReportFailure(const char* text) {
  char caption[128] = {};
  GetWindowTextA(hwnd_, caption, sizeof caption);
  MessageBoxA(hwnd_, text, caption, MB_OK | MB_ICONEXCLAMATION);
}

}  // namespace klangrid::ui
