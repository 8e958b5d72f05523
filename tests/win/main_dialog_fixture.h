#pragma once
// Runs the real main dialog modally against a seeded in-memory store and a
// fixed device list, and lets a test act on it once it is shown.
//
//   store.PutText(...);                                   // seed first
//   Script().Then(IDD_DEVICE_SELECT, [](ui::Dialog& d) {  // nested dialogs
//     PostButtonClick(d.Handle(), IDOK);
//   });
//   INT_PTR result = RunMainDialog([&](ui::MapperDialog&) {
//     ClickCell(IDC_INSTRUMENT_LIST, 3, 1);
//     EXPECT_TRUE(WaitFor([&] { return SelectedRow(IDC_INSTRUMENT_LIST) == 3; }));
//     PostKey(VK_ESCAPE);
//   });
//
// The action runs inside the dialog's modal loop, once the dialog is visible
// with its initial focus set; it waits with WaitFor (which keeps the loop
// going) and must end the dialog, or the watchdog does and the test fails.
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "model/map_tables.h"
#include "res/resource.h"
#include "tests/support/fixed_device_list.h"
#include "tests/support/memory_store.h"
#include "tests/support/store_seeding.h"
#include "tests/support/ui_driver.h"
#include "ui/mapper_dialog.h"
#include "toolkit/combo_box.h"
#include "toolkit/list_ctrl.h"

namespace klangrid::test {

class MainDialogFixture : public ::testing::Test {
 protected:
  using Action = std::function<void(ui::MapperDialog&)>;

  MemoryStore store;
  FixedDeviceList devices;
  MapTables tables;
  unsigned watchdogSeconds = 20;

  void TearDown() override { script_.reset(); }

  // The script of the next run: add steps for the dialogs the main dialog
  // will open, in the order they open.
  DialogScript& Script() {
    if (!script_) script_ = std::make_unique<DialogScript>();
    return *script_;
  }

  // Runs MapperDialog on the fixture's tables, store and devices until it
  // ends; returns DoModal's result (kAbandonedResult when the watchdog or an
  // unexpected dialog ended it). Every step of the script must have run.
  INT_PTR RunMainDialog(Action act) {
    Watchdog watchdog(watchdogSeconds);
    Script().Then(IDD_MAPPER_DIALOG, [this, act](toolkit::Dialog& shown) {
      dialog_ = shown.Handle();
      act(static_cast<ui::MapperDialog&>(shown));
    });
    ui::MapperDialog mapper(tables, store, devices);
    INT_PTR result = mapper.DoModal();
    dialog_ = nullptr;
    script_.reset();  // fails the test for steps left waiting
    return result;
  }

  // RunMainDialog for an action that types with the real keyboard, which
  // reaches the foreground window only. False, with the dialog left by Esc
  // and act not run, when the system keeps another window in front: the
  // caller skips the test then.
  bool RunWithRealKeys(Action act) {
    bool foreground = true;
    RunMainDialog([&](ui::MapperDialog& dialog) {
      foreground = MakeForeground(dialog.Handle());
      if (foreground) {
        act(dialog);
      } else {
        PostKey(VK_ESCAPE);
      }
    });
    return foreground;
  }

  // Opens the row menu with a real right-click on a cell and picks the
  // item at path (positions, separators counted) with the real keyboard;
  // returns the menu's items level by level as MenuPick shows them.
  std::vector<std::vector<std::string>> RightClickAndPick(int listId, int row, int column,
                                                          std::vector<int> path) const {
    MenuPick pick(path);
    RightClickAt(CellCentre(listId, row, column));
    EXPECT_TRUE(PumpUntil([&] { return pick.Done(); }, 5000)) << "no menu, or its item never reached";
    std::vector<std::vector<std::string>> items;
    for (std::size_t level = 0; level < path.size(); ++level) items.push_back(pick.Items(level));
    return items;
  }

  // Keeps the modal loop going until done holds; false on timeout.
  static bool WaitFor(const std::function<bool()>& done, DWORD timeoutMs = 3000) {
    return PumpUntil(done, timeoutMs);
  }

  // The running main dialog and its controls.
  HWND MainDialog() const { return dialog_; }
  HWND Item(int id) const { return GetDlgItem(dialog_, id); }
  static toolkit::ListCtrl ListOf(HWND window) {
    toolkit::ListCtrl list;
    list.Attach(window);
    return list;
  }
  toolkit::ListCtrl List(int id) const { return ListOf(Item(id)); }
  toolkit::ComboBox SchemeList() const {
    toolkit::ComboBox combo;
    combo.Attach(Item(IDC_SCHEME_COMBO));
    return combo;
  }
  static std::string TextOf(HWND window) {
    char text[256] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
  }

  static std::string CellText(HWND list, int row, int column) {
    char text[256] = {};
    ListOf(list).GetItemText(row, column, text, sizeof text);
    return text;
  }
  std::string CellText(int listId, int row, int column) const {
    return CellText(Item(listId), row, column);
  }
  // Widths of a list's three columns, left to right.
  std::vector<int> ColumnWidths(int listId) const {
    std::vector<int> widths;
    for (int column = 0; column < 3; ++column) {
      widths.push_back(List(listId).GetColumnWidth(column));
    }
    return widths;
  }
  // The display's DPI; under Wine the prefix's LogPixels setting.
  static int DisplayDpi() {
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi;
  }

  // The first selected row, or -1.
  int SelectedRow(int listId) const { return List(listId).GetNextItem(-1, LVNI_SELECTED); }

  // Screen point at the middle of a cell, scrolled into view first unless
  // the test has placed the list itself.
  POINT CellCentre(int listId, int row, int column, bool scrollIntoView = true) const {
    HWND list = Item(listId);
    if (scrollIntoView) SendMessageA(list, LVM_ENSUREVISIBLE, WPARAM(row), FALSE);
    RECT cell{};
    if (column == 0) {
      cell.left = LVIR_LABEL;
      SendMessageA(list, LVM_GETITEMRECT, WPARAM(row), LPARAM(&cell));
    } else {
      cell.top = column;
      cell.left = LVIR_BOUNDS;
      SendMessageA(list, LVM_GETSUBITEMRECT, WPARAM(row), LPARAM(&cell));
    }
    POINT point{(cell.left + cell.right) / 2, (cell.top + cell.bottom) / 2};
    ClientToScreen(list, &point);
    return point;
  }
  // Real mouse input on a cell: the list reads the cursor position when it
  // handles the click, so posted messages would not do.
  bool ClickCell(int listId, int row, int column, bool doubleClick = false) const {
    return ClickAt(CellCentre(listId, row, column), doubleClick);
  }

 private:
  std::unique_ptr<DialogScript> script_;
  HWND dialog_ = nullptr;
};

}  // namespace klangrid::test
