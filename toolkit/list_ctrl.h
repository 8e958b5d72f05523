#pragma once
// Report-view list: each method sends one LVM_ message; -1 means "none".
// clang-format off
#include "toolkit/window.h"  // windows.h must come before commctrl.h
#include <commctrl.h>
// clang-format on

namespace klangrid::toolkit {

class ListCtrl : public Window {
 public:
  int InsertColumn(int index, int format, int width, const char* text, int subItem) const {
    LVCOLUMNA column{};
    column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
    column.fmt = format;
    column.cx = width;
    column.pszText = const_cast<char*>(text);
    column.iSubItem = subItem;
    return int(Send(LVM_INSERTCOLUMNA, WPARAM(index), LPARAM(&column)));
  }
  BOOL SetColumnWidth(int index, int width) const {
    return BOOL(Send(LVM_SETCOLUMNWIDTH, WPARAM(index), MAKELPARAM(width, 0)));
  }
  int GetColumnWidth(int index) const { return int(Send(LVM_GETCOLUMNWIDTH, WPARAM(index))); }
  int InsertItem(const LVITEMA& item) const { return int(Send(LVM_INSERTITEMA, 0, LPARAM(&item))); }
  BOOL SetItem(const LVITEMA& item) const { return BOOL(Send(LVM_SETITEMA, 0, LPARAM(&item))); }
  BOOL GetItem(LVITEMA& item) const { return BOOL(Send(LVM_GETITEMA, 0, LPARAM(&item))); }
  BOOL SetItemText(int row, int subItem, const char* text) const {
    LVITEMA item{};
    item.iSubItem = subItem;
    item.pszText = const_cast<char*>(text);
    return BOOL(Send(LVM_SETITEMTEXTA, WPARAM(row), LPARAM(&item)));
  }
  int GetItemText(int row, int subItem, char* buffer, int size) const {
    LVITEMA item{};
    item.iSubItem = subItem;
    item.pszText = buffer;
    item.cchTextMax = size;
    return int(Send(LVM_GETITEMTEXTA, WPARAM(row), LPARAM(&item)));
  }
  BOOL DeleteAllItems() const { return BOOL(Send(LVM_DELETEALLITEMS)); }
  int GetItemCount() const { return int(Send(LVM_GETITEMCOUNT)); }
  int GetSelectedCount() const { return int(Send(LVM_GETSELECTEDCOUNT)); }
  int GetNextItem(int start, UINT flags) const {
    return int(Send(LVM_GETNEXTITEM, WPARAM(start), MAKELPARAM(flags, 0)));
  }
  UINT GetItemState(int row, UINT mask) const {
    return UINT(Send(LVM_GETITEMSTATE, WPARAM(row), LPARAM(mask)));
  }
  // Row under a point in client coordinates, or -1.
  int HitTest(POINT point) const {
    LVHITTESTINFO info{};
    info.pt = point;
    return int(Send(LVM_HITTEST, 0, LPARAM(&info)));
  }
  BOOL GetItemRect(int row, RECT& rect, int code) const {
    rect.left = code;
    return BOOL(Send(LVM_GETITEMRECT, WPARAM(row), LPARAM(&rect)));
  }
  // Scrolls the list until row is fully shown.
  BOOL EnsureVisible(int row) const { return BOOL(Send(LVM_ENSUREVISIBLE, WPARAM(row), FALSE)); }
  // Suspends or resumes painting, so a refill does not redraw row by row.
  void SetRedraw(bool redraw) const { Send(WM_SETREDRAW, redraw ? TRUE : FALSE); }
};

}  // namespace klangrid::toolkit
