#pragma once
// The context menu of a map-list row: route the row, or the whole group it
// belongs to (its General MIDI family; in the drum list every note), to one
// of the three devices, or choose one in the device dialog.
#include "model/map_tables.h"
#include "toolkit/list_ctrl.h"

namespace klangrid::ui {

enum class MenuPlace {
  AtCursor,       // a right-click: at the mouse pointer
  AtSelectedRow,  // the keyboard: below the selected row, scrolled into view
};

// Opens the menu for the list's selected row and carries out the choice;
// opens nothing when no row is selected.
void OpenRowMenu(const toolkit::ListCtrl& list, RowKind kind, MapTables& tables, MenuPlace place);

}  // namespace klangrid::ui
