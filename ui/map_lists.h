#pragma once
// The two report lists that show and edit the routing tables.
#include "model/map_tables.h"
#include "toolkit/list_ctrl.h"

namespace klangrid::ui {

// Three columns in each list: number, name, device; their widths are the
// design's, scaled from 96 DPI to dpi, the DPI the lists are shown at.
void InsertMapColumns(const toolkit::ListCtrl& instrumentList, const toolkit::ListCtrl& drumList, UINT dpi);
// Gives the columns their widths at dpi again, after a change of display scale.
void ScaleMapColumns(const toolkit::ListCtrl& instrumentList, const toolkit::ListCtrl& drumList, UINT dpi);
// Rows from the tables of kind; a row routed nowhere is shown on slot 0's
// device and repaired to slot 0 in the tables. Redraw is suspended meanwhile.
void FillMapList(const toolkit::ListCtrl& list, RowKind kind, MapTables& tables);
// Empties the list and fills it again.
void RefillMapList(const toolkit::ListCtrl& list, RowKind kind, MapTables& tables);
// Makes a click on any column of a row select that row.
void SelectRowOnClick(const toolkit::ListCtrl& list);
// Double-click: select the row under the cursor, ask for a device, route
// every selected row to it.
void AssignFromDeviceDialog(const toolkit::ListCtrl& list, RowKind kind, MapTables& tables);
// Asks for a device and routes every selected row to it; nothing without a
// selected row or when the dialog is not ended with OK.
void AssignSelectionFromDeviceDialog(const toolkit::ListCtrl& list, RowKind kind, MapTables& tables);
// Routes one row to slot 0..2 in the tables and shows the slot's device in
// its row: every edit of a routing goes through here.
void RouteRow(const toolkit::ListCtrl& list, RowKind kind, MapTables& tables, int row, DeviceSlot slot);

}  // namespace klangrid::ui
