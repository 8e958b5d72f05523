#include "ui/map_lists.h"

#include "model/gm_names.h"
#include "ui/secondary_dialogs.h"
#include "toolkit/dpi.h"

namespace klangrid::ui {
namespace {

struct MapColumn {
  int format;
  int width;  // pixels at kDesignDpi
  const char* instrumentHeading;
  const char* drumHeading;
};

// The list view shows column 0 left-aligned whatever its format says.
constexpr MapColumn kMapColumns[] = {
    {LVCFMT_CENTER, 45, "Prog#", "Note#"},
    {LVCFMT_LEFT, 150, "Instrument Name", "Drum Sound"},
    {LVCFMT_LEFT, 210, "MIDI Device", "MIDI Device"},
};

// MulDiv rounds, so 45 pixels become 68 at 144 DPI rather than 67.
int ScaledWidth(const MapColumn& column, UINT dpi) {
  return MulDiv(column.width, int(dpi), int(toolkit::kDesignDpi));
}

constexpr int kNameColumn = 1;
constexpr int kDeviceColumn = 2;

// Row under a client point in any column, or -1. Unlike LVM_HITTEST this
// also answers for the name and device columns, and it follows horizontal
// scrolling, where a fixed x inside the first column would miss the row.
int RowAtAnyColumn(const toolkit::ListCtrl& list, POINT point) {
  LVHITTESTINFO info{};
  info.pt = point;
  int row = int(list.Send(LVM_SUBITEMHITTEST, 0, LPARAM(&info)));
  if (info.flags & LVHT_ONITEM) return row;
  // Right of the last column (once the user has narrowed the columns) no
  // sub-item is hit; the same line inside column 0 still names the row.
  const int top = int(list.Send(LVM_GETTOPINDEX, 0, 0));
  RECT label{};
  label.left = LVIR_LABEL;
  if (top < 0 || !list.Send(LVM_GETITEMRECT, WPARAM(top), LPARAM(&label))) return -1;
  info = LVHITTESTINFO{};
  info.pt = POINT{(label.left + label.right) / 2, point.y};
  row = int(list.Send(LVM_SUBITEMHITTEST, 0, LPARAM(&info)));
  return (info.flags & LVHT_ONITEM) ? row : -1;
}

}  // namespace

void InsertMapColumns(const toolkit::ListCtrl& instrumentList, const toolkit::ListCtrl& drumList, UINT dpi) {
  int index = 0;
  for (const MapColumn& column : kMapColumns) {
    const int width = ScaledWidth(column, dpi);
    instrumentList.InsertColumn(index, column.format, width, column.instrumentHeading, index);
    drumList.InsertColumn(index, column.format, width, column.drumHeading, index);
    ++index;
  }
}

void ScaleMapColumns(const toolkit::ListCtrl& instrumentList, const toolkit::ListCtrl& drumList, UINT dpi) {
  int index = 0;
  for (const MapColumn& column : kMapColumns) {
    instrumentList.SetColumnWidth(index, ScaledWidth(column, dpi));
    drumList.SetColumnWidth(index, ScaledWidth(column, dpi));
    ++index;
  }
}

void FillMapList(const toolkit::ListCtrl& list, RowKind kind, MapTables& tables) {
  // With redraw on, every insert repaints the list: seconds for a refill
  // under a slow display instead of milliseconds.
  list.SetRedraw(false);
  const int rows = RowCount(kind);
  for (int row = 0; row < rows; ++row) {
    LVITEMA item{};
    item.mask = LVIF_TEXT | LVIF_STATE;
    item.iItem = row;
    item.pszText = const_cast<char*>(NumberText(kind, row));
    item.stateMask = 0xFFFF;
    DeviceSlot slot = tables.SlotOf(kind, row);
    if (slot == kNoSlot) {
      // Stored data may route a row nowhere; the driver needs a device for
      // every row, so it goes to slot 0 and a later save stores that. First,
      // so a row the list fails to take is repaired all the same.
      tables.RepairUnassigned(kind, row);
      slot = 0;
    }
    if (list.InsertItem(item) != row) continue;
    list.SetItemText(row, kNameColumn, Name(kind, row));
    list.SetItemText(row, kDeviceColumn, tables.DeviceName(slot));
  }
  list.SetRedraw(true);
  InvalidateRect(list.Handle(), nullptr, TRUE);
}

void RefillMapList(const toolkit::ListCtrl& list, RowKind kind, MapTables& tables) {
  list.SetRedraw(false);
  list.DeleteAllItems();
  FillMapList(list, kind, tables);
}

void SelectRowOnClick(const toolkit::ListCtrl& list) {
  // The notification carries no position of its own; the cursor has not
  // moved since the click in any way that matters to a person.
  POINT point{};
  if (!GetCursorPos(&point) || !ScreenToClient(list.Handle(), &point)) return;
  // On the first column the list has already selected the row itself.
  if (list.HitTest(point) >= 0) return;
  int row = RowAtAnyColumn(list, point);
  if (row < 0) return;  // below the last row: the list cleared the selection

  LVITEMA item{};
  item.mask = LVIF_STATE;
  item.iItem = row;
  item.stateMask = 0xFFFF;
  if (!list.GetItem(item)) return;
  // Sub-items share their row's state, so setting it on the row is enough;
  // in a single-selection list this also deselects the previous row.
  item.state |= LVIS_SELECTED | LVIS_FOCUSED;
  item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  list.SetItem(item);
}

void AssignFromDeviceDialog(const toolkit::ListCtrl& list, RowKind kind, MapTables& tables) {
  SelectRowOnClick(list);
  AssignSelectionFromDeviceDialog(list, kind, tables);
}

void AssignSelectionFromDeviceDialog(const toolkit::ListCtrl& list, RowKind kind, MapTables& tables) {
  if (list.GetSelectedCount() == 0) return;

  DeviceSelectDialog dialog(tables, GetParent(list.Handle()));
  if (dialog.DoModal() != IDOK) return;
  const DeviceSlot slot = dialog.GetSelectedSlot();
  if (slot < 0 || slot >= kSlotCount) return;  // never write a mask that does not exist

  const int rows = RowCount(kind);
  for (int row = list.GetNextItem(-1, LVNI_SELECTED); row >= 0 && row < rows;
       row = list.GetNextItem(row, LVNI_SELECTED)) {
    RouteRow(list, kind, tables, row, slot);
  }
}

void RouteRow(const toolkit::ListCtrl& list, RowKind kind, MapTables& tables, int row, DeviceSlot slot) {
  if (slot < 0 || slot >= kSlotCount || row < 0 || row >= RowCount(kind)) return;
  list.SetItemText(row, kDeviceColumn, tables.DeviceName(slot));
  tables.AssignRow(kind, row, slot);
}

}  // namespace klangrid::ui
