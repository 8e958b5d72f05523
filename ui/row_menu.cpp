#include "ui/row_menu.h"

#include "model/gm_names.h"
#include "model/text.h"
#include "res/resource.h"
#include "ui/map_lists.h"
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

// Where the menu opens: at the pointer, or below the selected row, which
// it then keeps in sight (keepClear, in screen coordinates).
struct MenuAnchor {
  POINT at;
  RECT keepClear;
  bool besideRow;
};

bool PlaceRowMenu(const toolkit::ListCtrl& list, int row, MenuPlace place, MenuAnchor* anchor) {
  *anchor = MenuAnchor{};
  anchor->besideRow = place == MenuPlace::AtSelectedRow;
  if (!anchor->besideRow) return GetCursorPos(&anchor->at) != FALSE;

  RECT& rowRect = anchor->keepClear;
  list.EnsureVisible(row);
  RECT client{};
  if (!list.GetItemRect(row, rowRect, LVIR_LABEL) || !GetClientRect(list.Handle(), &client)) return false;
  // Scrolled sideways, the first column may lie partly or wholly outside
  // the list; the menu stays at the visible part of the row.
  if (rowRect.left < client.left || rowRect.left >= client.right) rowRect.left = client.left;
  if (rowRect.right > client.right || rowRect.right <= rowRect.left) rowRect.right = client.right;
  MapWindowPoints(list.Handle(), nullptr, reinterpret_cast<POINT*>(&rowRect), 2);
  anchor->at = POINT{rowRect.left, rowRect.bottom};
  return true;
}

// What the menu holds: the device dialog (the default item), the row's
// three devices, and its group's three devices in a submenu. False, with
// nothing to show, when the menus cannot be made.
bool FillRowMenu(const toolkit::Menu& menu, RowKind kind, int row, const MapTables& tables) {
  toolkit::Menu group = toolkit::Menu::CreatePopup();
  if (!menu.Handle() || !group.Handle()) {
    if (group.Handle()) group.Destroy();
    return false;
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
  return true;
}

// What the chosen item does; 0 (the menu dismissed) does nothing.
void CarryOutRowChoice(const toolkit::ListCtrl& list, RowKind kind, MapTables& tables, int row, UINT chosen) {
  if (chosen == kChooseDevice) {
    AssignSelectionFromDeviceDialog(list, kind, tables);
  } else if (chosen >= kRowSlot0 && chosen < kRowSlot0 + kSlotCount) {
    RouteRow(list, kind, tables, row, DeviceSlot(chosen - kRowSlot0));
  } else if (chosen >= kGroupSlot0 && chosen < kGroupSlot0 + kSlotCount) {
    const RowRange range = GroupOf(kind, row);
    for (int member = range.first; member <= range.last; ++member)
      RouteRow(list, kind, tables, member, DeviceSlot(chosen - kGroupSlot0));
  }
}

}  // namespace

void OpenRowMenu(const toolkit::ListCtrl& list, RowKind kind, MapTables& tables, MenuPlace place) {
  const int row = list.GetNextItem(-1, LVNI_SELECTED);
  if (row < 0 || row >= RowCount(kind)) return;
  MenuAnchor anchor;
  if (!PlaceRowMenu(list, row, place, &anchor)) return;
  toolkit::PopupMenu menu;
  if (!FillRowMenu(menu, kind, row, tables)) return;
  // Opened from the keyboard, the menu keeps the row it acts on in sight.
  const UINT flags =
      TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON | (anchor.besideRow ? TPM_VERTICAL : 0);
  const UINT chosen = menu.Track(flags, anchor.at, GetParent(list.Handle()),
                                 anchor.besideRow ? &anchor.keepClear : nullptr);
  CarryOutRowChoice(list, kind, tables, row, chosen);
}

}  // namespace klangrid::ui
