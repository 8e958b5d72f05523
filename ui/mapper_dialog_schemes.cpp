// The scheme commands of the main dialog and OK: the store work is done by
// the scheme operations; these handlers ask, update the lists and report.
#include "model/text.h"
#include "res/resource.h"
#include "store/scheme_operations.h"
#include "ui/map_lists.h"
#include "ui/mapper_dialog.h"
#include "ui/secondary_dialogs.h"

namespace klangrid::ui {

namespace {

constexpr const char* kSaveFailedText = "The scheme could not be saved.";
constexpr const char* kDeleteFailedText = "The scheme could not be deleted.";
constexpr const char* kApplyFailedText = "The configuration could not be applied.";
constexpr const char* kMapsNotShownText = "Not every row of the maps could be shown.";

}  // namespace

void MapperDialog::OnSchemeSelEndOk(toolkit::Message&) { LoadSelectedScheme(); }

void MapperDialog::LoadSelectedScheme() {
  // The list also ends "accepted" after text was typed into its edit
  // field; then no entry is selected and there is nothing to load.
  const int index = schemeList_.GetCurSel();
  char name[kSchemeNameSize];
  if (index < 0 || !schemeList_.GetLBText(index, name, sizeof name)) return;
  LoadScheme(store_, name, tables_);
  RefillLists();
}

void MapperDialog::LoadDefaults() {
  schemeList_.SetCurSel(-1);
  LoadFactoryMaps(store_, tables_);
  RefillLists();
}

void MapperDialog::RefillLists() {
  const bool instruments = RefillMapList(instrumentList_, RowKind::Instrument, tables_);
  const bool drums = RefillMapList(drumList_, RowKind::Percussion, tables_);
  if (!instruments || !drums) ReportMapsNotShown();
}

void MapperDialog::ReportMapsNotShown() { ReportFailure(kMapsNotShownText); }

void MapperDialog::OnDefaultScheme(toolkit::Message&) { LoadDefaults(); }

void MapperDialog::OnSaveAs(toolkit::Message&) {
  SaveSchemeDialog ask;
  if (ask.DoModal() != IDOK) return;

  SaveAsTarget target;
  if (!PrepareSaveAs(store_, ask.SchemeName, &target)) return;
  if (target.exists) {
    OverwriteConfirmDialog confirm;
    if (confirm.DoModal() != 1) return;
  }

  const SaveAsResult result = SaveSchemeAs(store_, target, tables_);
  if (result.listed) {
    // One entry per key: a scheme missing from the list (made since
    // start-up, or past an entry the list could not hold) is added once.
    schemeList_.SetCurSel(AddScheme(target.name));
  }
  if (!result.saved) ReportFailure(kSaveFailedText);
}

int MapperDialog::AddScheme(const char* name) {
  int index = FindScheme(name);
  if (index < 0) {
    SetSchemeControlsEnabled(true);
    index = schemeList_.AddString(name);
  }
  return index;
}

void MapperDialog::OnDeleteScheme(toolkit::Message&) {
  const int index = schemeList_.GetCurSel();
  if (index < 0) return;

  DeleteConfirmDialog confirm;
  if (confirm.DoModal() != IDOK) return;

  char name[kSchemeNameSize];
  if (!schemeList_.GetLBText(index, name, sizeof name) || !DeleteScheme(store_, name)) {
    ReportFailure(kDeleteFailedText);
    return;
  }

  schemeList_.DeleteString(index);
  if (schemeList_.GetCount() == 0) SetSchemeControlsEnabled(false);
  LoadDefaults();
}

void MapperDialog::OnOK() {
  // Only a chosen entry names the active scheme; text typed into the edit
  // field is not a scheme.
  char name[kSchemeNameSize] = {};
  const int index = schemeList_.GetCurSel();
  if (index >= 0 && !schemeList_.GetLBText(index, name, sizeof name)) name[0] = '\0';

  switch (ApplyConfiguration(store_, tables_, name)) {
    case ApplyResult::kApplied:
    case ApplyResult::kNoDriverKey:
      toolkit::Dialog::OnOK();
      return;
    // The dialog stays open: closing would drop the user's edits unseen.
    case ApplyResult::kActiveNotWritten:
      ReportFailure(kApplyFailedText);
      return;
    case ApplyResult::kSchemeNotWritten:
      ReportFailure(kSaveFailedText);
      return;
  }
}

void MapperDialog::SetSchemeControlsEnabled(bool enable) {
  const HWND deleteButton = Item(IDC_DELETE);
  if (!enable) {
    // Leave no focus on a control about to be disabled: the keyboard would
    // have nowhere to go.
    const HWND focus = GetFocus();
    if (focus == deleteButton || focus == schemeList_.Handle() || IsChild(schemeList_.Handle(), focus))
      GotoDlgCtrl(Item(IDC_SAVE_AS));
  }
  toolkit::Window(deleteButton).Enable(enable);
  schemeList_.Enable(enable);
}

void MapperDialog::ReportFailure(const char* text) {
  char caption[128] = {};
  GetWindowTextA(hwnd_, caption, sizeof caption);
  MessageBoxA(hwnd_, text, caption, MB_OK | MB_ICONEXCLAMATION);
}

}  // namespace klangrid::ui
