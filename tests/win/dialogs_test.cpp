// The five small dialogs on their real templates, answered from inside their
// modal loops with posted messages and real input.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "devices/device_naming.h"
#include "model/map_tables.h"
#include "model/text.h"
#include "res/resource.h"
#include "tests/support/ui_driver.h"
#include "ui/secondary_dialogs.h"

namespace klangrid::ui {
namespace {

using test::DialogScript;
using test::FocusedControlId;
using test::PostButtonClick;
using test::PostChars;
using test::PostClose;
using test::PostKey;
using test::PumpUntil;
using test::TypeChars;
using toolkit::Dialog;
using toolkit::Window;

class DialogsTest : public ::testing::Test {
 protected:
  // Opens the dialog and answers it with action once it is up.
  INT_PTR Run(Dialog& dialog, DialogScript::Action action) {
    script_.Then(dialog.TemplateId(), std::move(action));
    return dialog.DoModal();
  }

  test::Watchdog watchdog_{10};
  DialogScript script_;
};

MapTables TablesWithDefaultNames() {
  MapTables tables;
  for (DeviceSlot slot = 0; slot < kSlotCount; ++slot)
    CopyBounded(tables.deviceNames[slot], kDeviceNameSize, kDefaultDeviceNames[slot]);
  return tables;
}

HWND Combo(Dialog& d) { return d.Item(IDC_DEVICE_COMBO); }
HWND NameEdit(Dialog& d) { return d.Item(IDC_SCHEME_NAME); }

// The four ways of leaving a dialog without typing anything of its own.
enum class Way { OkButton, CancelButton, EscKey, CloseBox };
const char* Name(Way way) {
  switch (way) {
    case Way::OkButton: return "OK button";
    case Way::CancelButton: return "Cancel button";
    case Way::EscKey: return "Esc";
    case Way::CloseBox: return "close box";
  }
  return "";
}

void Leave(Dialog& d, Way way) {
  switch (way) {
    case Way::OkButton: EXPECT_TRUE(PostButtonClick(d.Handle(), IDOK)); break;
    case Way::CancelButton: EXPECT_TRUE(PostButtonClick(d.Handle(), IDCANCEL)); break;
    case Way::EscKey: EXPECT_TRUE(PostKey(VK_ESCAPE)); break;
    case Way::CloseBox: EXPECT_TRUE(PostClose(d.Handle())); break;
  }
}

// --- Results of DoModal -----------------------------------------------------

TEST_F(DialogsTest, AboutEndsWithOneForOkAndTwoForEscAndCloseBox) {
  for (auto [way, expected] : {std::pair{Way::OkButton, 1}, {Way::EscKey, 2}, {Way::CloseBox, 2}}) {
    SCOPED_TRACE(Name(way));
    AboutDialog about;
    EXPECT_EQ(Run(about, [way = way](Dialog& d) { Leave(d, way); }), expected);
  }
}

TEST_F(DialogsTest, DeviceSelectEndsWithOneForOkAndTwoForEveryCancel) {
  MapTables tables = TablesWithDefaultNames();
  for (auto [way, expected] : {std::pair{Way::OkButton, 1}, {Way::CancelButton, 2},
                               {Way::EscKey, 2}, {Way::CloseBox, 2}}) {
    SCOPED_TRACE(Name(way));
    DeviceSelectDialog dialog(tables);
    EXPECT_EQ(Run(dialog, [way = way](Dialog& d) { Leave(d, way); }), expected);
  }
}

TEST_F(DialogsTest, SaveSchemeEndsWithOneForOkAndTwoForEveryCancel) {
  for (auto [way, expected] : {std::pair{Way::OkButton, 1}, {Way::CancelButton, 2},
                               {Way::EscKey, 2}, {Way::CloseBox, 2}}) {
    SCOPED_TRACE(Name(way));
    SaveSchemeDialog dialog;
    EXPECT_EQ(Run(dialog, [way = way](Dialog& d) {
                PostChars("Rock");
                Leave(d, way);
              }),
              expected);
    // Cancelling copies nothing back.
    EXPECT_STREQ(dialog.SchemeName, expected == IDOK ? "Rock" : "");
  }
}

TEST_F(DialogsTest, OverwriteWarningEndsWithOneForOkAndZeroForEveryCancel) {
  for (auto [way, expected] : {std::pair{Way::OkButton, 1}, {Way::CancelButton, 0},
                               {Way::EscKey, 0}, {Way::CloseBox, 0}}) {
    SCOPED_TRACE(Name(way));
    OverwriteConfirmDialog dialog;
    EXPECT_EQ(Run(dialog, [way = way](Dialog& d) { Leave(d, way); }), expected);
  }
}

TEST_F(DialogsTest, DeleteWarningEndsWithOneForOkAndTwoForEveryCancel) {
  for (auto [way, expected] : {std::pair{Way::OkButton, 1}, {Way::CancelButton, 2},
                               {Way::EscKey, 2}, {Way::CloseBox, 2}}) {
    SCOPED_TRACE(Name(way));
    DeleteConfirmDialog dialog;
    EXPECT_EQ(Run(dialog, [way = way](Dialog& d) { Leave(d, way); }), expected);
  }
}

// --- Position, initial focus and Enter ------------------------------------------

TEST_F(DialogsTest, EachDialogOpensCentredOverTheMainWindow) {
  HWND owner = CreateWindowExA(0, "Static", "main", WS_POPUP | WS_CAPTION | WS_VISIBLE, 40, 30, 600,
                               520, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  Dialog::SetMainWindow(owner);
  MapTables tables = TablesWithDefaultNames();
  AboutDialog about;
  DeviceSelectDialog device(tables);
  SaveSchemeDialog save;
  OverwriteConfirmDialog overwrite;
  DeleteConfirmDialog remove;
  POINT expected = test::CentreOf(owner);
  for (Dialog* dialog : {static_cast<Dialog*>(&about), static_cast<Dialog*>(&device),
                         static_cast<Dialog*>(&save), static_cast<Dialog*>(&overwrite),
                         static_cast<Dialog*>(&remove)}) {
    SCOPED_TRACE(dialog->TemplateId());
    POINT centre{};
    Run(*dialog, [&centre](Dialog& d) {
      centre = test::CentreOf(d.Handle());
      PostKey(VK_ESCAPE);
    });
    EXPECT_NEAR(centre.x, expected.x, 1);
    EXPECT_NEAR(centre.y, expected.y, 1);
  }
  Dialog::SetMainWindow(nullptr);
  DestroyWindow(owner);
}

TEST_F(DialogsTest, FocusStartsOnTheFirstTabStop) {
  MapTables tables = TablesWithDefaultNames();
  AboutDialog about;
  DeviceSelectDialog device(tables);
  SaveSchemeDialog save;
  OverwriteConfirmDialog overwrite;
  DeleteConfirmDialog remove;
  struct {
    Dialog& dialog;
    int focused;
  } cases[] = {{about, IDOK},
               {device, IDOK},
               {save, IDC_SCHEME_NAME},
               {overwrite, IDCANCEL},
               {remove, IDCANCEL}};
  for (auto& c : cases) {
    SCOPED_TRACE(c.dialog.TemplateId());
    int focused = -1;
    Run(c.dialog, [&focused](Dialog& d) {
      focused = FocusedControlId(d.Handle());
      PostKey(VK_ESCAPE);
    });
    EXPECT_EQ(focused, c.focused);
  }
}

TEST_F(DialogsTest, PostedEnterPressesTheFocusedButtonNotTheTemplateDefault) {
  // The delete warning's template makes OK the default although Cancel has
  // the focus: Enter must not delete.
  DeleteConfirmDialog remove;
  EXPECT_EQ(Run(remove, [](Dialog&) { PostKey(VK_RETURN); }), IDCANCEL);
  OverwriteConfirmDialog overwrite;
  EXPECT_EQ(Run(overwrite, [](Dialog&) { PostKey(VK_RETURN); }), 0);
  AboutDialog about;
  EXPECT_EQ(Run(about, [](Dialog&) { PostKey(VK_RETURN); }), IDOK);
}

TEST_F(DialogsTest, EnterFollowsTheFocusWhenTabMovesIt) {
  // Tab from Cancel reaches OK, which then becomes the button Enter presses.
  DeleteConfirmDialog remove;
  int focused = -1;
  EXPECT_EQ(Run(remove,
                [&focused](Dialog& d) {
                  PostKey(VK_TAB);
                  PumpUntil([&] { return FocusedControlId(d.Handle()) == IDOK; });
                  focused = FocusedControlId(d.Handle());
                  PostKey(VK_RETURN);
                }),
            IDOK);
  EXPECT_EQ(focused, IDOK);
}

TEST_F(DialogsTest, SpacePressesTheFocusedButton) {
  DeleteConfirmDialog remove;
  EXPECT_EQ(Run(remove, [](Dialog&) { PostKey(VK_SPACE); }), IDCANCEL);
}

TEST_F(DialogsTest, EnterInAnEditOrComboPressesTheDefaultButton) {
  SaveSchemeDialog save;
  EXPECT_EQ(Run(save,
                [](Dialog&) {
                  PostChars("Jazz");
                  PostKey(VK_RETURN);
                }),
            IDOK);
  EXPECT_STREQ(save.SchemeName, "Jazz");

  MapTables tables = TablesWithDefaultNames();
  DeviceSelectDialog device(tables);
  EXPECT_EQ(Run(device,
                [](Dialog& d) {
                  d.GotoDlgCtrl(Combo(d));
                  PostKey(VK_RETURN);
                }),
            IDOK);
  EXPECT_EQ(device.GetSelectedSlot(), 0);
}

TEST_F(DialogsTest, RealEnterKeyInTheDeleteWarningCancels) {
  DeleteConfirmDialog remove;
  bool foreground = true;
  INT_PTR result = Run(remove, [&foreground](Dialog& d) {
    foreground = test::MakeForeground(d.Handle());
    if (!foreground || !test::SendKey(VK_RETURN)) {
      foreground = false;
      d.EndDialog(test::kAbandonedResult);
    }
  });
  if (!foreground) GTEST_SKIP() << "the warning could not be made the foreground window";
  EXPECT_EQ(result, IDCANCEL);
}

// --- Device selection -------------------------------------------------------

TEST_F(DialogsTest, DeviceListShowsTheNamesInSlotOrderAndSelectsSlotZero) {
  MapTables tables = TablesWithDefaultNames();
  DeviceSelectDialog dialog(tables);
  std::vector<std::string> entries;
  int selected = -1;
  std::string shown;
  Run(dialog, [&](Dialog& d) {
    entries = test::ComboEntries(Combo(d));
    selected = int(SendMessageA(Combo(d), CB_GETCURSEL, 0, 0));
    shown = Window(Combo(d)).GetText();
    PostKey(VK_ESCAPE);
  });
  // Not alphabetical: the combo sorts, the entries must not be.
  EXPECT_EQ(entries, (std::vector<std::string>{"Software Wave Table Synthesis", "Roland MPU-401",
                                                 "Yamaha OPL2/OPL3 Synthesis"}));
  EXPECT_EQ(selected, 0);
  EXPECT_EQ(shown, "Software Wave Table Synthesis");
}

TEST_F(DialogsTest, DeviceListIsReadFromTheTablesAtEachOpening) {
  MapTables tables = TablesWithDefaultNames();
  for (const char* second : {"First MPU", "Second MPU"}) {
    CopyBounded(tables.deviceNames[1], kDeviceNameSize, second);
    DeviceSelectDialog dialog(tables);
    std::vector<std::string> entries;
    Run(dialog, [&](Dialog& d) {
      entries = test::ComboEntries(Combo(d));
      PostKey(VK_ESCAPE);
    });
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[1], second);
  }
}

TEST_F(DialogsTest, DeviceOkUntouchedGivesSlotZero) {
  MapTables tables = TablesWithDefaultNames();
  // Rows routed elsewhere do not matter: the dialog always opens on slot 0.
  tables.AssignRow(RowKind::Instrument, 40, 2);
  DeviceSelectDialog dialog(tables);
  EXPECT_EQ(Run(dialog, [](Dialog& d) { PostButtonClick(d.Handle(), IDOK); }), IDOK);
  EXPECT_EQ(dialog.GetSelectedSlot(), 0);
}

TEST_F(DialogsTest, DeviceChoosingTheThirdEntryByKeyGivesSlotTwo) {
  MapTables tables = TablesWithDefaultNames();
  DeviceSelectDialog dialog(tables);
  EXPECT_EQ(Run(dialog,
                [](Dialog& d) {
                  d.GotoDlgCtrl(Combo(d));
                  PostKey(VK_DOWN);
                  PostKey(VK_DOWN);
                  PostKey(VK_RETURN);
                }),
            IDOK);
  EXPECT_EQ(dialog.GetSelectedSlot(), 2);
}

TEST_F(DialogsTest, DeviceChoosingTheThirdEntryWithTheMouseGivesSlotTwo) {
  MapTables tables = TablesWithDefaultNames();
  DeviceSelectDialog dialog(tables);
  int selected = -1;
  EXPECT_EQ(Run(dialog,
                [&selected](Dialog& d) {
                  COMBOBOXINFO info{};
                  info.cbSize = sizeof info;
                  ASSERT_TRUE(GetComboBoxInfo(Combo(d), &info));
                  POINT arrow{(info.rcButton.left + info.rcButton.right) / 2,
                              (info.rcButton.top + info.rcButton.bottom) / 2};
                  ClientToScreen(Combo(d), &arrow);
                  ASSERT_TRUE(test::ClickAt(arrow));
                  ASSERT_TRUE(PumpUntil([&] { return IsWindowVisible(info.hwndList) != FALSE; }));
                  RECT item{};
                  SendMessageA(info.hwndList, LB_GETITEMRECT, 2, LPARAM(&item));
                  POINT third{(item.left + item.right) / 2, (item.top + item.bottom) / 2};
                  ClientToScreen(info.hwndList, &third);
                  ASSERT_TRUE(test::ClickAt(third));
                  PumpUntil([&] { return !IsWindowVisible(info.hwndList); });
                  selected = int(SendMessageA(Combo(d), CB_GETCURSEL, 0, 0));
                  PostButtonClick(d.Handle(), IDOK);
                }),
            IDOK);
  EXPECT_EQ(selected, 2);
  EXPECT_EQ(dialog.GetSelectedSlot(), 2);
}

TEST_F(DialogsTest, DeviceThirdEntryThenCancellingGivesCancel) {
  MapTables tables = TablesWithDefaultNames();
  for (Way way : {Way::CancelButton, Way::EscKey, Way::CloseBox}) {
    SCOPED_TRACE(Name(way));
    DeviceSelectDialog dialog(tables);
    EXPECT_EQ(Run(dialog,
                  [way](Dialog& d) {
                    SendMessageA(Combo(d), CB_SETCURSEL, 2, 0);
                    Leave(d, way);
                  }),
              IDCANCEL);
  }
}

TEST_F(DialogsTest, DeviceTypedNameTakesThatSlotIgnoringCase) {
  MapTables tables = TablesWithDefaultNames();
  // The field's edit does not scroll, so it refuses what does not fit its
  // width: these fit at any of the fonts a Windows or Wine system picks.
  for (auto [typed, slot] : {std::pair{"roland mpu-401", 1}, {"yamaha opl2/opl3 synthesis", 2},
                             {"Software Wave Table Synthesis", 0}}) {
    SCOPED_TRACE(typed);
    DeviceSelectDialog dialog(tables);
    int selectionAfterTyping = 0;
    std::string took;
    EXPECT_EQ(Run(dialog,
                  [&](Dialog& d) {
                    d.GotoDlgCtrl(Combo(d));
                    PostKey(VK_DELETE);  // the whole text is selected
                    TypeChars(typed);
                    took = Window(Combo(d)).GetText();
                    selectionAfterTyping = int(SendMessageA(Combo(d), CB_GETCURSEL, 0, 0));
                    PostButtonClick(d.Handle(), IDOK);
                  }),
              IDOK);
    ASSERT_EQ(took, typed) << "the field refused characters";
    EXPECT_EQ(selectionAfterTyping, -1) << "typing should have cleared the selection";
    EXPECT_EQ(dialog.GetSelectedSlot(), slot);
  }
}

TEST_F(DialogsTest, DeviceTypedTextNamingNoEntryKeepsTheDialogOpen) {
  MapTables tables = TablesWithDefaultNames();
  // A name of the full 31 characters, text one longer would match it once
  // cut to the name's size. Narrow letters, so that the field takes all 32.
  const std::string fullName(kDeviceNameSize - 1, 'I');
  CopyBounded(tables.deviceNames[1], kDeviceNameSize, fullName.c_str());
  const std::string tooLong = fullName + "I";
  // A trailing blank is enough to name no entry.
  for (const char* typed : {"Roland MPU-401 ", "Some other synth", "", tooLong.c_str()}) {
    SCOPED_TRACE(typed);
    DeviceSelectDialog dialog(tables);
    bool stillOpen = false;
    int focused = 0;
    std::string took;
    EXPECT_EQ(Run(dialog,
                  [&](Dialog& d) {
                    d.GotoDlgCtrl(Combo(d));
                    PostKey(VK_DELETE);  // the whole text is selected
                    TypeChars(typed);
                    took = Window(Combo(d)).GetText();
                    PostButtonClick(d.Handle(), IDOK);
                    PumpUntil([] { return false; }, 300);
                    stillOpen = IsWindowVisible(d.Handle()) != FALSE;
                    focused = FocusedControlId(d.Handle());
                    PostKey(VK_ESCAPE);
                  }),
              IDCANCEL);
    ASSERT_EQ(took, typed) << "the field refused characters";
    EXPECT_TRUE(stillOpen);
    EXPECT_EQ(focused, IDC_DEVICE_COMBO);
  }
}

// --- Save as ----------------------------------------------------------------

TEST_F(DialogsTest, SaveSchemeFieldIsEmptyAtEveryOpening) {
  for (int opening = 0; opening < 2; ++opening) {
    SaveSchemeDialog dialog;
    std::string shown = "?";
    EXPECT_EQ(Run(dialog,
                  [&shown](Dialog& d) {
                    shown = Window(NameEdit(d)).GetText();
                    PostChars("Saved");
                    PostKey(VK_RETURN);
                  }),
              IDOK);
    EXPECT_EQ(shown, "");
    EXPECT_STREQ(dialog.SchemeName, "Saved");
  }
}

TEST_F(DialogsTest, SaveSchemeKeepsBlanksAndCapitals) {
  SaveSchemeDialog dialog;
  EXPECT_EQ(Run(dialog,
                [](Dialog&) {
                  PostChars("  My ROCK Mix  ");
                  PostKey(VK_RETURN);
                }),
            IDOK);
  EXPECT_STREQ(dialog.SchemeName, "  My ROCK Mix  ");
}

TEST_F(DialogsTest, SaveSchemeTakesAtMostNineteenCharacters) {
  SaveSchemeDialog dialog;
  EXPECT_EQ(Run(dialog,
                [](Dialog&) {
                  PostChars("abcdefghijklmnopqrstuvwxyz");
                  PostKey(VK_RETURN);
                }),
            IDOK);
  EXPECT_STREQ(dialog.SchemeName, "abcdefghijklmnopqrs");
}

// What the field looked like after a refused OK.
struct Refusal {
  bool stillOpen = false;
  int focused = 0;
  DWORD selStart = 1, selEnd = 0;
  std::size_t length = 0;
};

// Each bad name is typed (or put in by WM_SETTEXT, past the typing limit)
// and refused with the dialog kept open, the focus and a whole-text
// selection in the field; a good name typed over it is then taken.
TEST_F(DialogsTest, SaveSchemeRefusesEmptyBackslashAndOverlongNames) {
  struct Case {
    const char* text;
    bool setText;
  } cases[] = {{"", false}, {"Rock\\Pop", false}, {"\\", false}, {"abcdefghijklmnopqrstuvwxyz", true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    SaveSchemeDialog dialog;
    Refusal seen;
    EXPECT_EQ(Run(dialog,
                  [&](Dialog& d) {
                    HWND edit = NameEdit(d);
                    if (c.setText) {
                      SetWindowTextA(edit, c.text);
                    } else {
                      PostChars(c.text);
                    }
                    PostButtonClick(d.Handle(), IDOK);
                    PumpUntil([] { return false; }, 300);
                    seen.stillOpen = IsWindowVisible(d.Handle()) != FALSE;
                    seen.focused = FocusedControlId(d.Handle());
                    SendMessageA(edit, EM_GETSEL, WPARAM(&seen.selStart), LPARAM(&seen.selEnd));
                    seen.length = Window(edit).GetText().size();
                    // The selection covers the text, so typing replaces it.
                    PostChars("Good");
                    PostKey(VK_RETURN);
                  }),
              IDOK);
    EXPECT_TRUE(seen.stillOpen);
    EXPECT_EQ(seen.focused, IDC_SCHEME_NAME);
    EXPECT_EQ(seen.selStart, 0u);
    EXPECT_EQ(seen.selEnd, seen.length);
    EXPECT_STREQ(dialog.SchemeName, "Good");
  }
}

TEST_F(DialogsTest, SaveSchemeTakesANameOfBlanksOnly) {
  SaveSchemeDialog dialog;
  EXPECT_EQ(Run(dialog,
                [](Dialog&) {
                  PostChars("   ");
                  PostKey(VK_RETURN);
                }),
            IDOK);
  EXPECT_STREQ(dialog.SchemeName, "   ");
}

// --- Screenshots --------------------------------------------------------------

// Writes each dialog as shown into screenshots/ below the working directory
// (the test build folder); scripts/screenshots.sh turns them into PNGs.
TEST_F(DialogsTest, Screenshots) {
  CreateDirectoryA("screenshots", nullptr);
  MapTables tables = TablesWithDefaultNames();
  AboutDialog about;
  DeviceSelectDialog device(tables);
  SaveSchemeDialog save;
  OverwriteConfirmDialog overwrite;
  DeleteConfirmDialog remove;
  struct {
    Dialog& dialog;
    const char* file;
  } shots[] = {{about, "screenshots/about.bmp"},
               {device, "screenshots/device_select.bmp"},
               {save, "screenshots/save_scheme.bmp"},
               {overwrite, "screenshots/overwrite_warning.bmp"},
               {remove, "screenshots/delete_warning.bmp"}};
  for (auto& shot : shots) {
    SCOPED_TRACE(shot.file);
    bool saved = false;
    Run(shot.dialog, [&](Dialog& d) {
      saved = test::SaveWindowBitmap(d.Handle(), shot.file);
      PostKey(VK_ESCAPE);
    });
    EXPECT_TRUE(saved);
  }
}

}  // namespace
}  // namespace klangrid::ui
