#include "ui/secondary_dialogs.h"

#include <cstring>

#include "model/text.h"
#include "res/resource.h"

namespace klangrid::ui {

AboutDialog::AboutDialog() : toolkit::Dialog(IDD_ABOUTBOX) {}

DeviceSelectDialog::DeviceSelectDialog(const MapTables& tables, HWND owner)
    : toolkit::Dialog(IDD_DEVICE_SELECT, owner), tables_(tables) {}

void DeviceSelectDialog::DoDataExchange(toolkit::DataExchange& dx) {
  DDX_Control(dx, IDC_DEVICE_COMBO, DeviceCombo);
}

BOOL DeviceSelectDialog::OnInitDialog() {
  toolkit::Dialog::OnInitDialog();
  SelectedSlot = 0;
  // Explicit positions keep the entries in slot order although the combo
  // sorts what it is given by CB_ADDSTRING: an entry's index is its slot.
  for (DeviceSlot slot = 0; slot < kSlotCount; ++slot)
    DeviceCombo.InsertString(slot, tables_.DeviceName(slot));
  DeviceCombo.SetCurSel(0);
  return TRUE;
}

void DeviceSelectDialog::OnOK() {
  int slot = DeviceCombo.GetCurSel();
  if (slot < 0 || slot >= kSlotCount) {
    // Text typed into the edit field clears the selection; take it only
    // when it is one of the names, whole: text longer than a name could
    // only match once cut, so it matches nothing.
    char typed[kDeviceNameSize + 1];
    const int length = DeviceCombo.GetText(typed, int(sizeof typed));
    slot = -1;
    for (DeviceSlot candidate = 0; length < int(kDeviceNameSize) && candidate < kSlotCount; ++candidate) {
      if (EqualsIgnoreAsciiCase(typed, tables_.DeviceName(candidate))) {
        slot = candidate;
        break;
      }
    }
  }
  if (slot < 0 || slot >= kSlotCount) {
    MessageBeep(MB_OK);
    GotoDlgCtrl(DeviceCombo.Handle());
    return;
  }
  SelectedSlot = slot;
  toolkit::Dialog::OnOK();
}

SaveSchemeDialog::SaveSchemeDialog(HWND owner) : toolkit::Dialog(IDD_SAVE_SCHEME, owner) {}

void SaveSchemeDialog::DoDataExchange(toolkit::DataExchange& dx) {
  DDX_Text(dx, IDC_SCHEME_NAME, SchemeName);
}

void SaveSchemeDialog::OnOK() {
  // The name becomes a registry key: an empty one would name the parent
  // key itself and a backslash would make nested keys. A name longer than
  // the limit can only come from WM_SETTEXT; it is refused, not cut.
  HWND edit = Item(IDC_SCHEME_NAME);
  // The length comes from the field itself: a copy into a buffer would
  // stop short of a double-byte character that does not fit, and a name
  // cut so would pass as short enough.
  const int length = GetWindowTextLengthA(edit);
  char typed[kMaxSchemeNameChars + 1] = {};
  toolkit::Window(edit).GetText(typed, int(sizeof typed));
  if (length == 0 || length > kMaxSchemeNameChars || std::strchr(typed, '\\')) {
    MessageBeep(MB_OK);
    GotoDlgCtrl(edit);
    return;
  }
  toolkit::Dialog::OnOK();
}

OverwriteConfirmDialog::OverwriteConfirmDialog(HWND owner) : toolkit::Dialog(IDD_OVERWRITE_CONFIRM, owner) {}

void OverwriteConfirmDialog::OnOK() { toolkit::Dialog::OnOK(); }

// Callers test for 1 only; every way of cancelling gives 0.
void OverwriteConfirmDialog::OnCancel() { EndDialog(0); }

DeleteConfirmDialog::DeleteConfirmDialog(HWND owner) : toolkit::Dialog(IDD_DELETE_CONFIRM, owner) {}

}  // namespace klangrid::ui
