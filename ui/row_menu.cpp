#include "ui/row_menu.h"

#include <windowsx.h>

#include "model/gm_names.h"
#include "model/text.h"
#include "res/resource.h"
#include "ui/map_lists.h"
#include "ui/mapper_dialog.h"
#include "toolkit/menu.h"

namespace klangrid::ui {
namespace {

// Command ids of the menu's items; TrackPopupMenu returns 0 for none.
constexpr UINT kChooseDevice = 1;
constexpr UINT kRowSlot0 = 0x10;    // + slot: the row to that device
constexpr UINT kGroupSlot0 = 0x20;  // + slot: the row's group to that device
// A device name with every character an '&', doubled.
constexpr int kMenuTextSize = 2 * int(kDeviceNameSize);

struct RowRange {
  int first;
  int last;
};

RowRange GroupOf(RowKind kind, int row) {
  if (kind == RowKind::Instrument) {
    const int family = FamilyOf(row);
    return {FamilyFirstProgram(family), FamilyLastProgram(family)};
  }
  return {0, RowCount(kind) - 1};
}

// "Strings (40-47)", "All percussion (35-81)": the wording comes from the
// string table, the numbers from the rows' own number texts.
void GroupLabel(RowKind kind, int row, RowRange range, char* text, DWORD size) {
  HMODULE module = GetModuleHandleA(nullptr);
  char name[kMenuTextSize] = {};
  if (kind == RowKind::Instrument) {
    CopyBounded(name, sizeof name, FamilyName(FamilyOf(row)));
  } else {
    LoadStringA(module, IDS_ALL_PERCUSSION, name, sizeof name);
  }
  char pattern[kMenuTextSize] = {};
  LoadStringA(module, IDS_ROW_GROUP, pattern, sizeof pattern);
  DWORD_PTR inserts[] = {DWORD_PTR(name), DWORD_PTR(NumberText(kind, range.first)),
                         DWORD_PTR(NumberText(kind, range.last))};
  // FormatMessage fails rather than write past size; the name alone then.
  if (!FormatMessageA(FORMAT_MESSAGE_FROM_STRING | FORMAT_MESSAGE_ARGUMENT_ARRAY, pattern, 0, 0, text, size,
                      reinterpret_cast<va_list*>(inserts))) {
    CopyBounded(text, size, name);
  }
}

// The three device names in slot order, with a bullet on current.
void AppendDevices(const toolkit::Menu& menu, const MapTables& tables, UINT firstId, DeviceSlot current) {
  for (DeviceSlot slot = 0; slot < kSlotCount; ++slot) {
    char text[kMenuTextSize];
    CopyMenuText(text, sizeof text, tables.DeviceName(slot));
    menu.AppendItem(firstId + UINT(slot), text);
  }
  if (current >= 0 && current < kSlotCount)
    menu.CheckRadioItem(firstId, firstId + kSlotCount - 1, firstId + UINT(current));
}

}  // namespace

void OpenRowMenu(const toolkit::ListCtrl& list, RowKind kind, MapTables& tables, MenuPlace place) {
  const int row = list.GetNextItem(-1, LVNI_SELECTED);
  if (row < 0 || row >= RowCount(kind)) return;

  POINT at{};
  RECT rowRect{};
  const bool besideRow = place == MenuPlace::AtSelectedRow;
  if (besideRow) {
    list.EnsureVisible(row);
    RECT client{};
    if (!list.GetItemRect(row, rowRect, LVIR_LABEL) || !GetClientRect(list.Handle(), &client)) return;
    // Scrolled sideways, the first column may lie partly or wholly outside
    // the list; the menu stays at the visible part of the row.
    if (rowRect.left < client.left || rowRect.left >= client.right) rowRect.left = client.left;
    if (rowRect.right > client.right || rowRect.right <= rowRect.left) rowRect.right = client.right;
    MapWindowPoints(list.Handle(), nullptr, reinterpret_cast<POINT*>(&rowRect), 2);
    at = POINT{rowRect.left, rowRect.bottom};
  } else if (!GetCursorPos(&at)) {
    return;
  }

  toolkit::PopupMenu menu;
  toolkit::Menu group = toolkit::Menu::CreatePopup();
  if (!menu.Handle() || !group.Handle()) {
    if (group.Handle()) group.Destroy();
    return;
  }
  char text[kMenuTextSize] = {};
  LoadStringA(GetModuleHandleA(nullptr), IDS_CHOOSE_DEVICE, text, sizeof text);
  menu.AppendItem(kChooseDevice, text);
  menu.SetDefaultItem(kChooseDevice);
  menu.AppendSeparator();
  AppendDevices(menu, tables, kRowSlot0, tables.SlotOf(kind, row));
  menu.AppendSeparator();
  const RowRange range = GroupOf(kind, row);
  AppendDevices(group, tables, kGroupSlot0, tables.SharedSlot(kind, range.first, range.last));
  GroupLabel(kind, row, range, text, sizeof text);
  if (!menu.AppendPopup(group, text)) group.Destroy();

  // Opened from the keyboard, the menu keeps the row it acts on in sight.
  const UINT flags = TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON | (besideRow ? TPM_VERTICAL : 0);
  const UINT chosen = menu.Track(flags, at, GetParent(list.Handle()), besideRow ? &rowRect : nullptr);
  if (chosen == kChooseDevice) {
    AssignSelectionFromDeviceDialog(list, kind, tables);
  } else if (chosen >= kRowSlot0 && chosen < kRowSlot0 + kSlotCount) {
    RouteRow(list, kind, tables, row, DeviceSlot(chosen - kRowSlot0));
  } else if (chosen >= kGroupSlot0 && chosen < kGroupSlot0 + kSlotCount) {
    for (int member = range.first; member <= range.last; ++member)
      RouteRow(list, kind, tables, member, DeviceSlot(chosen - kGroupSlot0));
  }
}

void MapperDialog::OnInstrumentRClick(toolkit::Message& message) {
  SelectRowOnClick(instrumentList_);
  OpenRowMenu(instrumentList_, RowKind::Instrument, tables_, MenuPlace::AtCursor);
  message.result = 1;  // handled: the list sends no WM_CONTEXTMENU after it
}

void MapperDialog::OnDrumRClick(toolkit::Message& message) {
  SelectRowOnClick(drumList_);
  OpenRowMenu(drumList_, RowKind::Percussion, tables_, MenuPlace::AtCursor);
  message.result = 1;
}

void MapperDialog::OnContextMenu(toolkit::Message& message) {
  // Shift+F10 and the menu key arrive with the position -1, -1; a mouse
  // click on a list has been handled as NM_RCLICK.
  const bool fromKeyboard = GET_X_LPARAM(message.lParam) == -1 && GET_Y_LPARAM(message.lParam) == -1;
  const HWND from = HWND(message.wParam);
  if (fromKeyboard && from == instrumentList_.Handle()) {
    OpenRowMenu(instrumentList_, RowKind::Instrument, tables_, MenuPlace::AtSelectedRow);
  } else if (fromKeyboard && from == drumList_.Handle()) {
    OpenRowMenu(drumList_, RowKind::Percussion, tables_, MenuPlace::AtSelectedRow);
  } else {
    message.handled = false;
  }
}

}  // namespace klangrid::ui
