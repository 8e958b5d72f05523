// The main dialog on its real template and controls: start-up against seeded
// stores, the two map lists, clicks with real mouse input, the device dialog
// round trip, the window chores and the ways of leaving without writing.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "model/gm_names.h"
#include "store/registry_layout.h"
#include "tests/win/main_dialog_fixture.h"
#include "ui/map_lists.h"
#include "ui/mapper_app.h"

namespace klangrid::test {
namespace {

constexpr const char* kSoftSynDefault = "Software Wave Table Synthesis";
constexpr const char* kMpuDefault = "Roland MPU-401";
constexpr const char* kOplDefault = "Yamaha OPL2/OPL3 Synthesis";

Bytes FactoryInstrument(int slot) {
  return Bytes(kFactoryInstrument[slot], kFactoryInstrument[slot] + kInstrumentMaskSize);
}
Bytes FactoryPercussion(int slot) {
  return Bytes(kFactoryPercussion[slot], kFactoryPercussion[slot] + kPercussionMaskSize);
}

// Bit of row r in a stored mask, in the stored layout.
void SetRowBit(Bytes& mask, int row, bool on) {
  std::uint8_t& byte = mask[mask.size() - 1 - std::size_t(row / 8)];
  const std::uint8_t bit = std::uint8_t(1u << (row % 8));
  byte = on ? std::uint8_t(byte | bit) : std::uint8_t(byte & ~bit);
}

// Every write the run made, as "path|value".
std::vector<std::string> Writes(const MemoryStore& store) {
  std::vector<std::string> writes;
  for (const MemoryStore::Call& call : store.SetValueCalls()) writes.push_back(call.path + "|" + call.name);
  return writes;
}

std::vector<std::string> FactoryWrites() {
  std::vector<std::string> writes;
  for (int slot = 0; slot < kSlotCount; ++slot) {
    writes.push_back(std::string(kFactoryKeyPath) + "|" + SlotValue("Instrument", slot));
    writes.push_back(std::string(kFactoryKeyPath) + "|" + SlotValue("Percussion", slot));
  }
  return writes;
}

// What the display scale changes, at the two scales these tests run at
// (100 % and 150 %, the latter in a Wine prefix of its own): the column
// widths, 45 pixels becoming 68 as MulDiv rounds 67.5, and the icon sizes
// the system asks for.
struct AtScale {
  int dpi;
  std::vector<int> columnWidths;
  int bigIcon;
  int smallIcon;
};
const AtScale kAt96Dpi{96, {45, 150, 210}, 32, 16};
const AtScale kAt144Dpi{144, {68, 225, 315}, 48, 24};

// Width of an icon's image; 0 for no icon (or one destroyed).
int IconWidth(HICON icon) {
  ICONINFO info{};
  if (!icon || !GetIconInfo(icon, &info)) return 0;
  BITMAP bitmap{};
  GetObjectA(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof bitmap, &bitmap);
  if (info.hbmColor) DeleteObject(info.hbmColor);
  if (info.hbmMask) DeleteObject(info.hbmMask);
  return bitmap.bmWidth;
}

class MainDialogTest : public MainDialogFixture {
 protected:
  // Expectations for the display's DPI, or null (the test skips).
  static const AtScale* AtDisplayScale() {
    const int dpi = DisplayDpi();
    return dpi == 96 ? &kAt96Dpi : dpi == 144 ? &kAt144Dpi : nullptr;
  }
  // The dialog's icon, ICON_BIG or ICON_SMALL.
  HICON Icon(WPARAM which) const { return HICON(SendMessageA(MainDialog(), WM_GETICON, which, 0)); }
  // The whole of one list, row by row, as "number|name|device".
  std::vector<std::string> Rows(int listId) const {
    std::vector<std::string> rows;
    const int count = List(listId).GetItemCount();
    for (int row = 0; row < count; ++row) {
      rows.push_back(CellText(listId, row, 0) + "|" + CellText(listId, row, 1) + "|" +
                     CellText(listId, row, 2));
    }
    return rows;
  }
  std::vector<std::string> ExpectedRows(RowKind kind) const {
    std::vector<std::string> rows;
    for (int row = 0; row < RowCount(kind); ++row) {
      rows.push_back(std::string(NumberText(kind, row)) + "|" + Name(kind, row) + "|" +
                     tables.DeviceName(tables.SlotOf(kind, row)));
    }
    return rows;
  }
  std::string ComboEditText() const { return WindowText(Item(IDC_SCHEME_COMBO)); }
  std::vector<std::string> SchemeEntries() const {
    return ComboEntries(Item(IDC_SCHEME_COMBO));
  }
  // Inspects the dialog once it is up, then leaves with Esc.
  INT_PTR Inspect(const std::function<void()>& look) {
    return RunMainDialog([look](ui::MapperDialog&) {
      look();
      PostKey(VK_ESCAPE);
    });
  }
};

// ---- Start-up against seeded stores ---------------------------------------

TEST_F(MainDialogTest, FirstStartWithNoKeysShowsDefaultsAndWritesOnlyTheFactoryKey) {
  INT_PTR result = Inspect([&] {
    EXPECT_EQ(Rows(IDC_INSTRUMENT_LIST), ExpectedRows(RowKind::Instrument));
    EXPECT_EQ(Rows(IDC_DRUM_LIST), ExpectedRows(RowKind::Percussion));
    EXPECT_EQ(CellText(IDC_INSTRUMENT_LIST, 0, 2), kSoftSynDefault);
    EXPECT_EQ(CellText(IDC_INSTRUMENT_LIST, 8, 2), kMpuDefault);
    EXPECT_EQ(SchemeList().GetCount(), 0);
    EXPECT_FALSE(IsWindowEnabled(Item(IDC_SCHEME_COMBO)));
    EXPECT_FALSE(IsWindowEnabled(Item(IDC_DELETE)));
    EXPECT_TRUE(IsWindowEnabled(Item(IDC_SAVE_AS)));
    EXPECT_TRUE(IsWindowEnabled(Item(IDC_DEFAULT)));
    // The disabled scheme list is skipped: OK is the first enabled tab stop.
    EXPECT_EQ(FocusedControlId(MainDialog()), IDOK);
  });
  EXPECT_EQ(result, IDCANCEL);
  EXPECT_EQ(Writes(store), FactoryWrites());
  for (int slot = 0; slot < kSlotCount; ++slot) {
    EXPECT_EQ(store.Get(kFactoryKeyPath, SlotValue("Instrument", slot)), FactoryInstrument(slot));
    EXPECT_EQ(store.Get(kFactoryKeyPath, SlotValue("Percussion", slot)), FactoryPercussion(slot));
  }
  EXPECT_FALSE(store.HasKey(kActiveKeyPath)) << "the active key is only ever opened";
  EXPECT_EQ(store.OpenKeyCount(), 0u);
}

TEST_F(MainDialogTest, FactoryKeyIsRewrittenWithDefaultsEvenWhenTheActiveMapDiffers) {
  store.Put(kFactoryKeyPath, "Instrument0", kTypeBinary, Bytes(16, 0xAA));
  store.Put(kFactoryKeyPath, "Stale", kTypeBinary, Bytes{1});
  Bytes active = FactoryInstrument(0);
  SetRowBit(active, 8, true);  // program 8 now also on slot 0
  store.Put(kActiveKeyPath, "Instrument0", kTypeBinary, active);

  Inspect([&] { EXPECT_EQ(CellText(IDC_INSTRUMENT_LIST, 8, 2), kSoftSynDefault); });
  EXPECT_EQ(store.Get(kFactoryKeyPath, "Instrument0"), FactoryInstrument(0));
  EXPECT_EQ(store.Get(kFactoryKeyPath, "Stale"), Bytes{1}) << "other values are left alone";
  EXPECT_EQ(tables.SlotOf(RowKind::Instrument, 8), 0);
  EXPECT_EQ(Writes(store), FactoryWrites());
}

TEST_F(MainDialogTest, ActiveKeyWithoutValuesKeepsTheDefaults) {
  store.PutKey(kActiveKeyPath);
  Inspect([&] {
    EXPECT_EQ(Rows(IDC_INSTRUMENT_LIST), ExpectedRows(RowKind::Instrument));
    EXPECT_EQ(SchemeList().GetCount(), 0);
    EXPECT_FALSE(IsWindowEnabled(Item(IDC_SCHEME_COMBO)));
  });
  const MapTables defaults;
  EXPECT_EQ(std::memcmp(tables.instrument, defaults.instrument, sizeof tables.instrument), 0);
  EXPECT_EQ(std::memcmp(tables.percussion, defaults.percussion, sizeof tables.percussion), 0);
  EXPECT_EQ(store.ValueNames(kActiveKeyPath).size(), 0u);
}

TEST_F(MainDialogTest, DeviceColumnShowsStoredNamesTheOplDeviceAndDefaultsForEmptyOnes) {
  store.PutText(kActiveKeyPath, kSoftSynNameValue, "My Wavetable");
  store.PutText(kActiveKeyPath, kMpuNameValue, "");  // empty counts as missing
  Bytes slot2(16, 0);
  SetRowBit(slot2, 127, true);
  Bytes slot1 = FactoryInstrument(1);
  SetRowBit(slot1, 127, false);
  store.Put(kActiveKeyPath, "Instrument0", kTypeBinary, FactoryInstrument(0));
  store.Put(kActiveKeyPath, "Instrument1", kTypeBinary, slot1);
  store.Put(kActiveKeyPath, "Instrument2", kTypeBinary, slot2);
  devices.Add("Speaker Synth");
  devices.Add("Opl3 FM Synth");

  Inspect([&] {
    EXPECT_EQ(CellText(IDC_INSTRUMENT_LIST, 0, 2), "My Wavetable");
    EXPECT_EQ(CellText(IDC_INSTRUMENT_LIST, 8, 2), kMpuDefault);
    EXPECT_EQ(CellText(IDC_INSTRUMENT_LIST, 127, 2), "Opl3 FM Synth");
    EXPECT_EQ(CellText(IDC_DRUM_LIST, 0, 2), "My Wavetable");
  });
}

TEST_F(MainDialogTest, ActiveSchemeIsSelectedWholeTextIgnoringCaseWithoutLoadingIt) {
  Bytes jazzMap(16, 0xFF);  // would route every program to slot 0 if loaded
  store.Put(std::string(kActiveKeyPath) + "\\Jazz", "Instrument0", kTypeBinary, jazzMap);
  store.PutKey(std::string(kActiveKeyPath) + "\\jazz2");
  store.PutKey(std::string(kActiveKeyPath) + "\\Blues");
  store.PutText(kActiveKeyPath, kSchemeValue, "JAZZ");

  Inspect([&] {
    EXPECT_EQ(SchemeEntries(), (std::vector<std::string>{"Blues", "Jazz", "jazz2"}));
    EXPECT_EQ(SchemeList().GetCurSel(), 1);
    EXPECT_EQ(ComboEditText(), "Jazz");
    EXPECT_EQ(CellText(IDC_INSTRUMENT_LIST, 8, 2), kMpuDefault) << "the scheme was loaded";
    EXPECT_TRUE(IsWindowEnabled(Item(IDC_SCHEME_COMBO)));
    EXPECT_TRUE(IsWindowEnabled(Item(IDC_DELETE)));
    // The scheme list is the first tab stop; the focus is in its edit field.
    EXPECT_EQ(FocusedControlId(MainDialog()), IDC_SCHEME_COMBO);
  });
  EXPECT_EQ(tables.SlotOf(RowKind::Instrument, 8), 1);
  for (const MemoryStore::Call& call : store.Calls()) {
    EXPECT_FALSE(call.op == MemoryStore::Op::OpenKey && call.path.find("Jazz") != std::string::npos)
        << "start-up opened the scheme's key";
  }
}

TEST_F(MainDialogTest, NoEntryIsSelectedForAnActiveNameThatMatchesNoneOrOnlyAPrefix) {
  struct Case {
    const char* label;
    std::vector<std::string> schemes;
    const char* active;  // nullptr: no "Scheme" value at all
  };
  const Case cases[] = {
      {"unknown name", {"blues", "rock"}, "jazz"},
      {"empty name", {"blues", "rock"}, ""},
      {"missing value", {"blues", "rock"}, nullptr},
      {"prefix of an entry", {"jazz2"}, "jazz"},
      {"entry is a prefix", {"jazz"}, "jazz2"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    for (const std::string& name : store.SubkeyNames(kActiveKeyPath))
      store.DeleteKey((std::string(kActiveKeyPath) + "\\" + name).c_str());
    store.RemoveValue(kActiveKeyPath, kSchemeValue);
    for (const std::string& name : c.schemes) store.PutKey(std::string(kActiveKeyPath) + "\\" + name);
    if (c.active) store.PutText(kActiveKeyPath, kSchemeValue, c.active);
    Inspect([&] {
      EXPECT_EQ(SchemeList().GetCount(), int(c.schemes.size()));
      EXPECT_EQ(SchemeList().GetCurSel(), -1);
      EXPECT_EQ(ComboEditText(), "");
      EXPECT_TRUE(IsWindowEnabled(Item(IDC_SCHEME_COMBO)));
    });
  }
}

TEST_F(MainDialogTest, OversizedOrUnterminatedSchemeValueSelectsSafely) {
  store.PutKey(std::string(kActiveKeyPath) + "\\abcdefghijklmnopqrs");
  store.PutKey(std::string(kActiveKeyPath) + "\\long");
  // 20 bytes without a NUL: read as its first 19 characters.
  const std::string full = "abcdefghijklmnopqrst";
  store.Put(kActiveKeyPath, kSchemeValue, kTypeSz, Bytes(full.begin(), full.end()));
  Inspect([&] { EXPECT_EQ(ComboEditText(), "abcdefghijklmnopqrs"); });
  // A full value may be a longer name cut to fit: then it names neither.
  store.PutKey(std::string(kActiveKeyPath) + "\\abcdefghijklmnopqrstuv");
  Inspect([&] { EXPECT_EQ(SchemeList().GetCurSel(), -1); });

  // Longer than the field: the read fails and nothing is selected.
  store.PutText(kActiveKeyPath, kSchemeValue, std::string(40, 'l'));
  Inspect([&] { EXPECT_EQ(SchemeList().GetCurSel(), -1); });
}

TEST_F(MainDialogTest, RowsRoutedNowhereAreShownOnSlotZeroAndRepairedOnlyInMemory) {
  Bytes slot0 = FactoryInstrument(0);
  SetRowBit(slot0, 5, false);  // program 5 defaults to slot 0: now on no slot
  Bytes drums0 = FactoryPercussion(0);
  SetRowBit(drums0, 46, false);
  store.Put(kActiveKeyPath, "Instrument0", kTypeBinary, slot0);
  store.Put(kActiveKeyPath, "Percussion0", kTypeBinary, drums0);
  store.Put(kActiveKeyPath, "Instrument1", kTypeBinary, FactoryInstrument(1));
  store.Put(kActiveKeyPath, "Instrument2", kTypeBinary, FactoryInstrument(2));

  Inspect([&] {
    EXPECT_EQ(CellText(IDC_INSTRUMENT_LIST, 5, 2), kSoftSynDefault);
    EXPECT_EQ(CellText(IDC_DRUM_LIST, 46, 2), kSoftSynDefault);
  });
  EXPECT_EQ(tables.SlotOf(RowKind::Instrument, 5), 0);
  EXPECT_EQ(tables.SlotOf(RowKind::Percussion, 46), 0);
  EXPECT_EQ(std::memcmp(tables.instrument[0], FactoryInstrument(0).data(), kInstrumentMaskSize), 0);
  EXPECT_EQ(store.Get(kActiveKeyPath, "Instrument0"), slot0) << "Cancel stores no repair";
}

TEST_F(MainDialogTest, MissingInstrument1KeepsDefaultsForLaterSlots) {
  Bytes slot0(16, 0);
  SetRowBit(slot0, 8, true);  // program 8 defaults to slot 1
  store.Put(kActiveKeyPath, "Instrument0", kTypeBinary, slot0);
  store.Put(kActiveKeyPath, "Instrument2", kTypeBinary, Bytes(16, 0xFF));  // never reached

  Inspect([&] {
    EXPECT_EQ(CellText(IDC_INSTRUMENT_LIST, 8, 2), kSoftSynDefault);  // lowest slot wins
    EXPECT_EQ(CellText(IDC_INSTRUMENT_LIST, 9, 2), kMpuDefault);      // slot 1 default kept
    // Program 0 defaults to slot 0, which the store cleared: repaired.
    EXPECT_EQ(CellText(IDC_INSTRUMENT_LIST, 0, 2), kSoftSynDefault);
    EXPECT_NE(CellText(IDC_INSTRUMENT_LIST, 9, 2), kOplDefault);
  });
  EXPECT_EQ(tables.SlotOf(RowKind::Instrument, 0), 0);
  EXPECT_EQ(std::memcmp(tables.instrument[2], FactoryInstrument(2).data(), kInstrumentMaskSize), 0);
}

TEST_F(MainDialogTest, StoreFailuresStopNothing) {
  store.PutText(kActiveKeyPath, kSchemeValue, "rock");
  store.PutKey(std::string(kActiveKeyPath) + "\\rock");
  store.FailOn(MemoryStore::Op::CreateKey, kFactoryKeyPath);
  store.FailOn(MemoryStore::Op::OpenKey, kActiveKeyPath);

  INT_PTR result = Inspect([&] {
    EXPECT_EQ(Rows(IDC_INSTRUMENT_LIST), ExpectedRows(RowKind::Instrument));
    EXPECT_EQ(SchemeList().GetCount(), 0);
    EXPECT_FALSE(IsWindowEnabled(Item(IDC_DELETE)));
  });
  EXPECT_EQ(result, IDCANCEL);
  EXPECT_TRUE(Writes(store).empty());
}

// ---- The lists -------------------------------------------------------------

TEST_F(MainDialogTest, ColumnsHaveTheirHeadingsAndAlignment) {
  Inspect([&] {
    struct Expected {
      int listId;
      const char* headings[3];
    };
    for (const Expected& e : {Expected{IDC_INSTRUMENT_LIST, {"Prog#", "Instrument Name", "MIDI Device"}},
                              Expected{IDC_DRUM_LIST, {"Note#", "Drum Sound", "MIDI Device"}}}) {
      for (int column = 0; column < 3; ++column) {
        char text[64] = {};
        LVCOLUMNA info{};
        info.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT | LVCF_SUBITEM;
        info.pszText = text;
        info.cchTextMax = sizeof text;
        ASSERT_TRUE(SendMessageA(Item(e.listId), LVM_GETCOLUMNA, WPARAM(column), LPARAM(&info)));
        EXPECT_STREQ(text, e.headings[column]);
        EXPECT_EQ(info.iSubItem, column);
        if (column > 0) {
          EXPECT_EQ(info.fmt & LVCFMT_JUSTIFYMASK, LVCFMT_LEFT);
        }
      }
      LVCOLUMNA beyond{};
      beyond.mask = LVCF_WIDTH;
      EXPECT_FALSE(SendMessageA(Item(e.listId), LVM_GETCOLUMNA, 3, LPARAM(&beyond)));
    }
    EXPECT_EQ(List(IDC_INSTRUMENT_LIST).GetItemCount(), 128);
    EXPECT_EQ(List(IDC_DRUM_LIST).GetItemCount(), 47);
    EXPECT_EQ(CellText(IDC_INSTRUMENT_LIST, 127, 0), "127");
    EXPECT_EQ(CellText(IDC_INSTRUMENT_LIST, 127, 1), "Gunshot");
    EXPECT_EQ(CellText(IDC_DRUM_LIST, 0, 0), "35");
    EXPECT_EQ(CellText(IDC_DRUM_LIST, 46, 1), "Open Triangle");
    EXPECT_EQ(SelectedRow(IDC_INSTRUMENT_LIST), -1);
    EXPECT_EQ(SelectedRow(IDC_DRUM_LIST), -1);
  });
}

TEST_F(MainDialogTest, RefillShowsTheTablesAndLeavesTheListsDrawing) {
  // How long filling takes is the start-up benchmark's to say
  // (scripts/bench_startup.sh); this pins what a refill leaves.
  Inspect([&] {
    ui::RefillMapList(List(IDC_INSTRUMENT_LIST), RowKind::Instrument, tables);
    ui::RefillMapList(List(IDC_DRUM_LIST), RowKind::Percussion, tables);
    UpdateWindow(MainDialog());
    EXPECT_EQ(Rows(IDC_INSTRUMENT_LIST), ExpectedRows(RowKind::Instrument));
    EXPECT_EQ(Rows(IDC_DRUM_LIST), ExpectedRows(RowKind::Percussion));
    // Redraw must be back on: a changed cell is queued for painting again.
    for (int listId : {IDC_INSTRUMENT_LIST, IDC_DRUM_LIST}) {
      HWND list = Item(listId);
      EXPECT_TRUE(IsWindowVisible(list));
      UpdateWindow(list);
      const std::string text = CellText(listId, 0, 1);
      List(listId).SetItemText(0, 1, "changed");
      EXPECT_TRUE(GetUpdateRect(list, nullptr, FALSE)) << "list " << listId << " does not repaint";
      List(listId).SetItemText(0, 1, text.c_str());
    }
  });
}

// Counts the moves of the lists' headers once the main dialog is on the
// screen. A list view lays out its header again whenever it works out its
// row metrics and scroll bars, each time with its scroll bars redrawn.
class HeaderMovesOnScreen {
 public:
  HeaderMovesOnScreen() {
    count_ = 0;
    hook_ = SetWindowsHookExA(WH_CALLWNDPROC, Proc, nullptr, GetCurrentThreadId());
  }
  ~HeaderMovesOnScreen() { UnhookWindowsHookEx(hook_); }
  int Count() const { return count_; }

 private:
  static LRESULT CALLBACK Proc(int code, WPARAM wParam, LPARAM lParam) {
    const auto* sent = reinterpret_cast<const CWPSTRUCT*>(lParam);
    char name[32] = {};
    if (code == HC_ACTION && sent->message == WM_WINDOWPOSCHANGING &&
        GetClassNameA(sent->hwnd, name, sizeof name) && std::strcmp(name, WC_HEADERA) == 0 &&
        IsWindowVisible(GetAncestor(sent->hwnd, GA_ROOT))) {
      ++count_;
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
  }
  static int count_;
  HHOOK hook_;
};
int HeaderMovesOnScreen::count_ = 0;

// Done at the first paint on screen, that layout cost over a third of the
// start-up after the first paint under Wine; the start-up does it while the
// dialog is hidden.
TEST_F(MainDialogTest, StartUpListsAreLaidOutBeforeTheDialogIsShown) {
  HeaderMovesOnScreen moves;
  Inspect([&] {
    for (int listId : {IDC_INSTRUMENT_LIST, IDC_DRUM_LIST}) UpdateWindow(Item(listId));
    EXPECT_EQ(moves.Count(), 0);
  });
}

TEST_F(MainDialogTest, ARowTheListRefusesEndsTheFillSoNoRowShowsAnotherOnesNumber) {
  Inspect([&] {
    std::vector<std::string> expected = ExpectedRows(RowKind::Instrument);
    expected.resize(5);
    for (DeviceSlot slot = 0; slot < kSlotCount; ++slot) {  // program 100 on no slot
      tables.Mask(RowKind::Instrument, slot)[kInstrumentMaskSize - 1 - 100 / 8] &= ~(1u << (100 % 8));
    }
    {
      RefusedInsert refused(Item(IDC_INSTRUMENT_LIST), 5);
      EXPECT_FALSE(ui::RefillMapList(List(IDC_INSTRUMENT_LIST), RowKind::Instrument, tables));
    }
    EXPECT_EQ(Rows(IDC_INSTRUMENT_LIST), expected);
    EXPECT_EQ(tables.SlotOf(RowKind::Instrument, 100), 0) << "a row left out is repaired all the same";
    EXPECT_TRUE(ui::RefillMapList(List(IDC_INSTRUMENT_LIST), RowKind::Instrument, tables));
    EXPECT_EQ(Rows(IDC_INSTRUMENT_LIST), ExpectedRows(RowKind::Instrument));
  });
}

// ---- Clicks with real mouse input -----------------------------------------

TEST_F(MainDialogTest, ClickOnTheNameOrDeviceColumnSelectsTheRow) {
  RunMainDialog([&](ui::MapperDialog&) {
    ClickCell(IDC_INSTRUMENT_LIST, 3, 1);
    EXPECT_TRUE(WaitFor([&] { return SelectedRow(IDC_INSTRUMENT_LIST) == 3; }));
    ClickCell(IDC_DRUM_LIST, 10, 2);
    EXPECT_TRUE(WaitFor([&] { return SelectedRow(IDC_DRUM_LIST) == 10; }));
    ClickCell(IDC_DRUM_LIST, 12, 1);
    EXPECT_TRUE(WaitFor([&] { return SelectedRow(IDC_DRUM_LIST) == 12; }));
    EXPECT_EQ(List(IDC_DRUM_LIST).GetSelectedCount(), 1);
    EXPECT_EQ(List(IDC_DRUM_LIST).GetNextItem(-1, LVNI_FOCUSED), 12);
    EXPECT_EQ(SelectedRow(IDC_INSTRUMENT_LIST), 3) << "the other list keeps its selection";
    // Columns narrowed by the user: a click right of the last one still
    // names its row.
    HWND drums = Item(IDC_DRUM_LIST);
    for (int column = 0; column < 3; ++column) SendMessageA(drums, LVM_SETCOLUMNWIDTH, column, 40);
    POINT right = CellCentre(IDC_DRUM_LIST, 5, 2);
    right.x += 60;
    ClickAt(right);
    EXPECT_TRUE(WaitFor([&] { return SelectedRow(IDC_DRUM_LIST) == 5; }));
    PostKey(VK_ESCAPE);
  });
}

TEST_F(MainDialogTest, ClickOnTheDeviceColumnSelectsTheRowWhenScrolledSideways) {
  RunMainDialog([&](ui::MapperDialog&) {
    // Column 0 ends up left of the visible area: a hit test inside it at a
    // fixed x would miss every row.
    SendMessageA(Item(IDC_INSTRUMENT_LIST), LVM_ENSUREVISIBLE, 20, FALSE);
    SendMessageA(Item(IDC_INSTRUMENT_LIST), LVM_SCROLL, 200, 0);
    ClickAt(CellCentre(IDC_INSTRUMENT_LIST, 20, 2, false));
    EXPECT_TRUE(WaitFor([&] { return SelectedRow(IDC_INSTRUMENT_LIST) == 20; }));
    PostKey(VK_ESCAPE);
  });
}

TEST_F(MainDialogTest, ClickBelowTheLastRowSelectsNothingAndItsDoubleClickOpensNoDialog) {
  // No step waits for the device dialog: were it opened, the script would
  // end it and fail the test.
  RunMainDialog([&](ui::MapperDialog&) {
    // Leave three rows, so there is room below the last one.
    toolkit::ListCtrl drums = List(IDC_DRUM_LIST);
    while (drums.GetItemCount() > 3) SendMessageA(drums.Handle(), LVM_DELETEITEM, 3, 0);
    ClickCell(IDC_DRUM_LIST, 1, 1);
    EXPECT_TRUE(WaitFor([&] { return SelectedRow(IDC_DRUM_LIST) == 1; }));

    RECT last{};
    last.left = LVIR_BOUNDS;
    SendMessageA(drums.Handle(), LVM_GETITEMRECT, 2, LPARAM(&last));
    RECT client{};
    GetClientRect(drums.Handle(), &client);
    ASSERT_GT(client.bottom - last.bottom, 4) << "no room below the last row";
    POINT below{last.left + 60, (last.bottom + client.bottom) / 2};
    ClientToScreen(drums.Handle(), &below);
    ClickAt(below);
    EXPECT_TRUE(WaitFor([&] { return SelectedRow(IDC_DRUM_LIST) == -1; }));
    ClickAt(below, true);
    PumpFor(300);
    EXPECT_EQ(SelectedRow(IDC_DRUM_LIST), -1);
    EXPECT_TRUE(IsWindowEnabled(MainDialog())) << "a modal dialog is open";
    PostKey(VK_ESCAPE);
  });
}

// ---- Routing a row through the device dialog ------------------------------

// Answers the device dialog by choosing slot and pressing button.
TEST_F(MainDialogTest, DoubleClickAndDeviceChosenRoutesTheRowToThatSlot) {
  devices.Add("OPL FM");
  Script().Then(IDD_DEVICE_SELECT, ChooseDevice(2, IDOK));
  MapTables before;
  RunMainDialog([&](ui::MapperDialog&) {
    before = tables;
    ClickCell(IDC_INSTRUMENT_LIST, 40, 2, true);
    EXPECT_TRUE(WaitFor([&] { return CellText(IDC_INSTRUMENT_LIST, 40, 2) == "OPL FM"; }));
    EXPECT_EQ(SelectedRow(IDC_INSTRUMENT_LIST), 40);
    PostKey(VK_ESCAPE);
  });
  EXPECT_EQ(tables.SlotOf(RowKind::Instrument, 40), 2);
  // Program 40 sat on slot 1 (byte 10, bit 0); only its bits moved.
  MapTables expected = before;
  expected.instrument[1][10] &= std::uint8_t(~0x01);
  expected.instrument[2][10] |= 0x01;
  EXPECT_EQ(std::memcmp(tables.instrument, expected.instrument, sizeof tables.instrument), 0);
  EXPECT_EQ(std::memcmp(tables.percussion, expected.percussion, sizeof tables.percussion), 0);
  EXPECT_EQ(Writes(store), FactoryWrites()) << "the change lives in memory until OK";
}

TEST_F(MainDialogTest, DrumRowMovesBetweenSlotsAndEveryOtherRowKeepsItsText) {
  Script().Then(IDD_DEVICE_SELECT, ChooseDevice(1, IDOK));
  RunMainDialog([&](ui::MapperDialog&) {
    const std::vector<std::string> drumsBefore = Rows(IDC_DRUM_LIST);
    const std::vector<std::string> instrumentsBefore = Rows(IDC_INSTRUMENT_LIST);
    ClickCell(IDC_DRUM_LIST, 46, 0, true);
    EXPECT_TRUE(WaitFor([&] { return CellText(IDC_DRUM_LIST, 46, 2) == kMpuDefault; }));
    std::vector<std::string> expected = drumsBefore;
    expected[46] = "81|Open Triangle|" + std::string(kMpuDefault);
    EXPECT_EQ(Rows(IDC_DRUM_LIST), expected);
    EXPECT_EQ(Rows(IDC_INSTRUMENT_LIST), instrumentsBefore);
    PostKey(VK_ESCAPE);
  });
  EXPECT_EQ(tables.SlotOf(RowKind::Percussion, 46), 1);
  EXPECT_EQ(tables.percussion[0][0], 0x3F) << "bit 0x80 of byte 0 belongs to no row";
  EXPECT_EQ(tables.percussion[1][0], 0x40);
}

TEST_F(MainDialogTest, CancelInTheDeviceDialogChangesNothing) {
  bool answered = false;
  Script().Then(IDD_DEVICE_SELECT, [&](toolkit::Dialog& d) {
    answered = true;
    ChooseDevice(2, IDCANCEL)(d);
  });
  MapTables before;
  RunMainDialog([&](ui::MapperDialog&) {
    before = tables;
    const std::vector<std::string> rowsBefore = Rows(IDC_INSTRUMENT_LIST);
    ClickCell(IDC_INSTRUMENT_LIST, 0, 1, true);
    // The main dialog is disabled while the device dialog is open.
    EXPECT_TRUE(Settled([&] { return answered; }));
    EXPECT_EQ(Rows(IDC_INSTRUMENT_LIST), rowsBefore);
    EXPECT_EQ(SelectedRow(IDC_INSTRUMENT_LIST), 0);
    PostKey(VK_ESCAPE);
  });
  EXPECT_EQ(std::memcmp(&tables, &before, sizeof tables), 0);
}

// ---- Display scale -------------------------------------------------------

// Also run in a Wine prefix with the display at 144 DPI.
class MainDialogScaleTest : public MainDialogTest {};

TEST_F(MainDialogScaleTest, ColumnsAndIconsHaveTheirSizesAtTheDisplayDpi) {
  const AtScale* expected = AtDisplayScale();
  if (!expected) GTEST_SKIP() << "nothing expected at " << DisplayDpi() << " DPI";
  Inspect([&] {
    EXPECT_EQ(ColumnWidths(IDC_INSTRUMENT_LIST), expected->columnWidths);
    EXPECT_EQ(ColumnWidths(IDC_DRUM_LIST), expected->columnWidths);
    EXPECT_EQ(IconWidth(Icon(ICON_BIG)), expected->bigIcon);
    EXPECT_EQ(IconWidth(Icon(ICON_SMALL)), expected->smallIcon);
    EXPECT_EQ(HICON(SendMessageA(MainDialog(), WM_QUERYDRAGICON, 0, 0)), Icon(ICON_BIG));
  });
}

// As when the dialog is dragged to a monitor of the other scale.
TEST_F(MainDialogScaleTest, DpiChangeMovesTheDialogWhereSuggestedAndScalesColumnsAndIcons) {
  const AtScale* before = AtDisplayScale();
  if (!before) GTEST_SKIP() << "nothing expected at " << DisplayDpi() << " DPI";
  const AtScale& after = before == &kAt96Dpi ? kAt144Dpi : kAt96Dpi;
  Inspect([&] {
    const HICON oldBig = Icon(ICON_BIG);
    const RECT old = ScreenRect(MainDialog());
    RECT suggested = old;
    OffsetRect(&suggested, 40, 30);
    suggested.right = suggested.left + MulDiv(old.right - old.left, after.dpi, before->dpi);
    suggested.bottom = suggested.top + MulDiv(old.bottom - old.top, after.dpi, before->dpi);
    SendMessageA(MainDialog(), WM_DPICHANGED, MAKEWPARAM(after.dpi, after.dpi), LPARAM(&suggested));

    const RECT now = ScreenRect(MainDialog());
    EXPECT_TRUE(EqualRect(&now, &suggested));
    EXPECT_EQ(ColumnWidths(IDC_INSTRUMENT_LIST), after.columnWidths);
    EXPECT_EQ(ColumnWidths(IDC_DRUM_LIST), after.columnWidths);
    EXPECT_EQ(IconWidth(Icon(ICON_BIG)), after.bigIcon);
    EXPECT_EQ(IconWidth(Icon(ICON_SMALL)), after.smallIcon);
    EXPECT_EQ(IconWidth(oldBig), 0) << "the icons of the old scale were not destroyed";
  });
}

// ---- The row menu, with real input ------------------------------------------
// Each path routes through the menu, checks the rows at once and that
// nothing is stored before OK, then presses OK and checks what it stored.

constexpr const char* kNoForeground =
    "the dialog cannot be brought to the foreground; real keys would go elsewhere";
// Positions in the menu: the default item, a separator, the three devices,
// a separator, the group's submenu.
constexpr int kChooseItem = 0;
constexpr int kDeviceItem0 = 2;
constexpr int kGroupItem = 6;

TEST_F(MainDialogTest, RightClickOnARowOffersItsDevicesAndRoutesIt) {
  store.PutKey(kActiveKeyPath);
  MapTables expected;
  expected.AssignRow(RowKind::Instrument, 8, 2);
  if (!RunWithRealKeys([&](ui::MapperDialog&) {
        // Below the last row nothing opens.
        toolkit::ListCtrl drums = List(IDC_DRUM_LIST);
        while (drums.GetItemCount() > 3) SendMessageA(drums.Handle(), LVM_DELETEITEM, 3, 0);
        RECT last{};
        drums.GetItemRect(2, last, LVIR_BOUNDS);
        POINT below{last.left + 60, last.bottom + 10};
        ClientToScreen(drums.Handle(), &below);
        ClickCell(IDC_DRUM_LIST, 1, 1);  // a row selected before does not count
        EXPECT_TRUE(WaitFor([&] { return SelectedRow(IDC_DRUM_LIST) == 1; }));
        {
          MenuPick none({});
          RightClickAt(below);
          PumpFor(300);
          EXPECT_FALSE(none.Seen());
        }

        std::vector<std::string> rows = Rows(IDC_INSTRUMENT_LIST);
        const auto menu = RightClickAndPick(IDC_INSTRUMENT_LIST, 8, 1, {kDeviceItem0 + 2});
        EXPECT_EQ(menu[0], (std::vector<std::string>{u8"!&Choose device\u2026", "-", kSoftSynDefault,
                                                     std::string("*") + kMpuDefault, kOplDefault, "-",
                                                     u8"Chromatic Percussion (8\u201315) >"}));
        EXPECT_EQ(SelectedRow(IDC_INSTRUMENT_LIST), 8);
        rows[8] = std::string("8|Celesta|") + kOplDefault;
        EXPECT_EQ(Rows(IDC_INSTRUMENT_LIST), rows);
        EXPECT_EQ(Writes(store), FactoryWrites()) << "the change lives in memory until OK";
        PostButtonClick(MainDialog(), IDOK);
      })) {
    GTEST_SKIP() << kNoForeground;
  }
  EXPECT_TRUE(HoldsMaps(store, kActiveKeyPath, expected));
}

TEST_F(MainDialogTest, ShiftF10OpensTheMenuAtTheSelectedRowAndNothingWithoutOne) {
  store.PutKey(kActiveKeyPath);
  MapTables expected;
  expected.AssignRow(RowKind::Percussion, 10, 1);
  RECT row{};
  RECT menu{};
  std::vector<std::string> items;
  if (!RunWithRealKeys([&](ui::MapperDialog&) {
        HWND drums = Item(IDC_DRUM_LIST);
        SendMessageA(MainDialog(), WM_NEXTDLGCTL, WPARAM(drums), TRUE);
        {
          MenuPick none({});
          SendKey(VK_F10, VK_SHIFT);
          PumpFor(300);
          EXPECT_FALSE(none.Seen()) << "a menu opened with no row selected";
        }
        ClickCell(IDC_DRUM_LIST, 10, 1);
        EXPECT_TRUE(WaitFor([&] { return SelectedRow(IDC_DRUM_LIST) == 10; }));
        // The row scrolled out of sight and the pointer far from it: the
        // menu must bring the row back and open beside it.
        SendMessageA(drums, LVM_ENSUREVISIBLE, 46, FALSE);
        SetCursorPos(0, 0);
        MenuPick pick({kDeviceItem0 + 1});
        SendKey(VK_F10, VK_SHIFT);
        EXPECT_TRUE(WaitFor([&] { return pick.Done(); }, 5000));
        EXPECT_TRUE(WaitFor([&] { return CellText(IDC_DRUM_LIST, 10, 2) == kMpuDefault; }));
        items = pick.Items(0);
        menu = pick.Where(0);
        List(IDC_DRUM_LIST).GetItemRect(10, row, LVIR_LABEL);
        MapWindowPoints(drums, nullptr, reinterpret_cast<POINT*>(&row), 2);
        EXPECT_EQ(Writes(store), FactoryWrites());
        PostButtonClick(MainDialog(), IDOK);
      })) {
    GTEST_SKIP() << kNoForeground;
  }
  ASSERT_EQ(items.size(), 7u);
  EXPECT_EQ(items[kDeviceItem0], std::string("*") + kSoftSynDefault);
  EXPECT_EQ(items[kGroupItem], u8"All percussion (35\u201381) >");
  EXPECT_EQ(menu.left, row.left);
  EXPECT_TRUE(menu.top == row.bottom || menu.bottom == row.top) << "the menu does not open beside the row";
  EXPECT_TRUE(HoldsMaps(store, kActiveKeyPath, expected));
}

TEST_F(MainDialogTest, FamilySubmenuRoutesTheRowsWholeFamily) {
  store.PutKey(kActiveKeyPath);
  MapTables expected;
  for (int program = 40; program <= 47; ++program) expected.AssignRow(RowKind::Instrument, program, 2);
  if (!RunWithRealKeys([&](ui::MapperDialog&) {
        std::vector<std::string> rows = Rows(IDC_INSTRUMENT_LIST);
        const auto menu = RightClickAndPick(IDC_INSTRUMENT_LIST, 42, 2, {kGroupItem, 2});
        EXPECT_EQ(menu[0][kGroupItem], u8"Strings (40\u201347) >");
        // Viola sits on another device than the rest: no family-wide bullet.
        EXPECT_EQ(menu[1], (std::vector<std::string>{kSoftSynDefault, kMpuDefault, kOplDefault}));
        for (int program = 40; program <= 47; ++program) {
          rows[std::size_t(program)] = std::string(NumberText(RowKind::Instrument, program)) + "|" +
                                       Name(RowKind::Instrument, program) + "|" + kOplDefault;
        }
        EXPECT_EQ(Rows(IDC_INSTRUMENT_LIST), rows) << "programs 39 and 48 must keep their device";
        EXPECT_EQ(SelectedRow(IDC_INSTRUMENT_LIST), 42);
        EXPECT_EQ(Writes(store), FactoryWrites());
        PostButtonClick(MainDialog(), IDOK);
      })) {
    GTEST_SKIP() << kNoForeground;
  }
  EXPECT_TRUE(HoldsMaps(store, kActiveKeyPath, expected));
}

TEST_F(MainDialogTest, AllPercussionSubmenuRoutesEveryNote) {
  store.PutKey(kActiveKeyPath);
  MapTables expected;
  for (int note = 0; note < kPercussionRows; ++note) expected.AssignRow(RowKind::Percussion, note, 1);
  if (!RunWithRealKeys([&](ui::MapperDialog&) {
        const std::vector<std::string> instruments = Rows(IDC_INSTRUMENT_LIST);
        std::vector<std::string> drums;
        for (int note = 0; note < kPercussionRows; ++note) {
          drums.push_back(std::string(NumberText(RowKind::Percussion, note)) + "|" +
                          Name(RowKind::Percussion, note) + "|" + kMpuDefault);
        }
        const auto menu = RightClickAndPick(IDC_DRUM_LIST, 5, 1, {kGroupItem, 1});
        // Every note on the same device: that one has the bullet.
        EXPECT_EQ(menu[1],
                  (std::vector<std::string>{std::string("*") + kSoftSynDefault, kMpuDefault, kOplDefault}));
        EXPECT_EQ(Rows(IDC_DRUM_LIST), drums);
        EXPECT_EQ(Rows(IDC_INSTRUMENT_LIST), instruments);
        EXPECT_EQ(Writes(store), FactoryWrites());
        PostButtonClick(MainDialog(), IDOK);
      })) {
    GTEST_SKIP() << kNoForeground;
  }
  EXPECT_TRUE(HoldsMaps(store, kActiveKeyPath, expected));
}

TEST_F(MainDialogTest, ChooseDeviceInTheMenuOpensTheDeviceDialog) {
  store.PutKey(kActiveKeyPath);
  Script().Then(IDD_DEVICE_SELECT, ChooseDevice(2, IDOK));
  MapTables expected;
  expected.AssignRow(RowKind::Instrument, 0, 2);
  if (!RunWithRealKeys([&](ui::MapperDialog&) {
        RightClickAndPick(IDC_INSTRUMENT_LIST, 0, 2, {kChooseItem});
        EXPECT_TRUE(WaitFor([&] { return CellText(IDC_INSTRUMENT_LIST, 0, 2) == kOplDefault; }));
        EXPECT_EQ(Writes(store), FactoryWrites());
        PostButtonClick(MainDialog(), IDOK);
      })) {
    GTEST_SKIP() << kNoForeground;
  }
  EXPECT_TRUE(HoldsMaps(store, kActiveKeyPath, expected));
}

// ---- Window chores and leaving -------------------------------------------

TEST_F(MainDialogTest, SystemMenuOffersAboutExportAndImportAfterASeparatorAndIdsUpTo0x1FOpenAbout) {
  int aboutShown = 0;
  for (int i = 0; i < 2; ++i) {
    Script().Then(IDD_ABOUTBOX, [&](toolkit::Dialog& d) {
      ++aboutShown;
      PostButtonClick(d.Handle(), IDOK);
    });
  }
  RunMainDialog([&](ui::MapperDialog&) {
    HMENU menu = GetSystemMenu(MainDialog(), FALSE);
    const int count = GetMenuItemCount(menu);
    ASSERT_GE(count, 4);
    const struct {
      UINT id;
      const wchar_t* text;
    } kItems[] = {{0x0010, L"&About Klangrid"},
                  {0x0020, L"&Export schemes\u2026"},
                  {0x0030, L"&Import schemes\u2026"}};
    for (int i = 0; i < 3; ++i) {
      EXPECT_EQ(GetMenuItemID(menu, count - 3 + i), kItems[i].id);
      wchar_t text[64] = {};
      GetMenuStringW(menu, UINT(count - 3 + i), text, 64, MF_BYPOSITION);
      EXPECT_STREQ(text, kItems[i].text);
    }
    MENUITEMINFOA separator{};
    separator.cbSize = sizeof separator;
    separator.fMask = MIIM_FTYPE;
    GetMenuItemInfoA(menu, UINT(count - 4), TRUE, &separator);
    EXPECT_TRUE(separator.fType & MFT_SEPARATOR);

    PostMessageA(MainDialog(), WM_SYSCOMMAND, 0x0010, 0);
    EXPECT_TRUE(Settled([&] { return aboutShown == 1; }));
    PostMessageA(MainDialog(), WM_SYSCOMMAND, 0x001F, 0);
    EXPECT_TRUE(Settled([&] { return aboutShown == 2; }));
    PostKey(VK_ESCAPE);
  });
}

TEST_F(MainDialogTest, EscCancelAndTheCloseBoxEndWithoutWriting) {
  store.PutKey(kActiveKeyPath);
  struct Way {
    const char* label;
    std::function<void(HWND)> leave;
  };
  const Way ways[] = {
      {"Esc", [](HWND) { PostKey(VK_ESCAPE); }},
      {"Cancel", [](HWND dialog) { PostButtonClick(dialog, IDCANCEL); }},
      {"close box", [](HWND dialog) { PostClose(dialog); }},
  };
  for (const Way& way : ways) {
    SCOPED_TRACE(way.label);
    store.ClearCalls();
    INT_PTR result = RunMainDialog([&](ui::MapperDialog&) { way.leave(MainDialog()); });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(Writes(store), FactoryWrites());
    EXPECT_TRUE(store.ValueNames(kActiveKeyPath).empty());
  }
}

TEST_F(MainDialogTest, ApplicationRunsTheDialogAsMainWindowAndEndsAfterIt) {
  HWND mainWhileRunning = nullptr;
  ui::MapperApp app(tables, store, devices);
  {
    Watchdog watchdog;
    DialogScript script;
    script.Then(IDD_MAPPER_DIALOG, [&](toolkit::Dialog& d) {
      mainWhileRunning = toolkit::Dialog::MainWindow();
      EXPECT_EQ(mainWhileRunning, d.Handle());
      PostKey(VK_ESCAPE);
    });
    EXPECT_FALSE(app.InitInstance());
  }
  EXPECT_NE(mainWhileRunning, nullptr);
  EXPECT_EQ(toolkit::Dialog::MainWindow(), nullptr) << "a closed dialog would own later ones";
  EXPECT_EQ(Writes(store), FactoryWrites());
}


// ---- Picture -----------------------------------------------------------------

// Writes the dialog as shown, with a scheme active and a row selected, to
// screenshots/ below the working directory (the test build folder), for the
// README: main-dialog.bmp at 96 DPI, main-dialog-144dpi.bmp at 144.
TEST_F(MainDialogTest, Screenshot) {
  const int dpi = DisplayDpi();
  const std::string suffix = dpi == 96 ? "" : "-" + std::to_string(dpi) + "dpi";
  const std::string file = "screenshots/main-dialog" + suffix + ".bmp";
  CreateDirectoryA("screenshots", nullptr);
  store.PutKey(std::string(kActiveKeyPath) + "\\jazz");
  store.PutKey(std::string(kActiveKeyPath) + "\\classical");
  store.PutText(kActiveKeyPath, kSchemeValue, "jazz");
  bool saved = false;
  RunMainDialog([&](ui::MapperDialog&) {
    // Rows 8 to 12 show both default devices.
    RECT row{};
    row.left = LVIR_BOUNDS;
    SendMessageA(Item(IDC_INSTRUMENT_LIST), LVM_GETITEMRECT, 0, LPARAM(&row));
    SendMessageA(Item(IDC_INSTRUMENT_LIST), LVM_SCROLL, 0, 8 * (row.bottom - row.top));
    ClickAt(CellCentre(IDC_INSTRUMENT_LIST, 11, 1, false));
    WaitFor([&] { return SelectedRow(IDC_INSTRUMENT_LIST) == 11; });
    saved = SaveWindowBitmap(MainDialog(), file);
    PostKey(VK_ESCAPE);
  });
  EXPECT_TRUE(saved);
}

// The row menu of Viola with its family's submenu open, the same way.
TEST_F(MainDialogTest, RowMenuScreenshot) {
  CreateDirectoryA("screenshots", nullptr);
  bool saved = false;
  if (!RunWithRealKeys([&](ui::MapperDialog&) {
        MenuPick pick({kGroupItem, 2}, 5000, [&] {
          std::vector<HWND> windows = OpenMenuWindows();
          windows.insert(windows.begin(), MainDialog());
          saved = SaveWindowsBitmap(windows, "screenshots/row-menu.bmp");
        });
        RightClickAt(CellCentre(IDC_INSTRUMENT_LIST, 41, 1));
        EXPECT_TRUE(WaitFor([&] { return pick.Done(); }, 5000));
        PostKey(VK_ESCAPE);
      })) {
    GTEST_SKIP() << kNoForeground;
  }
  EXPECT_TRUE(saved);
}

}  // namespace
}  // namespace klangrid::test
