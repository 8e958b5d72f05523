// The scheme commands and OK on the real main dialog: choosing, saving,
// deleting and resetting schemes through the real modal dialogs, and what OK
// leaves in the store. Stores are seeded and faults injected per key.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "devices/device_naming.h"
#include "model/gm_names.h"
#include "store/registry_layout.h"
#include "store/scheme_transfer.h"
#include "store/win/system_host.h"
#include "tests/win/main_dialog_fixture.h"

namespace klangrid::test {
namespace {

using Op = MemoryStore::Op;

constexpr int kViolin = 40;

// Counts the CBN_SELENDOK notifications the scheme list sends, so a test
// knows its input reached the handler it means to test.
class SelEndOkCounter {
 public:
  SelEndOkCounter() {
    count_ = 0;
    hook_ = SetWindowsHookExA(WH_CALLWNDPROC, Proc, nullptr, GetCurrentThreadId());
  }
  ~SelEndOkCounter() { UnhookWindowsHookEx(hook_); }
  int Count() const { return count_; }

 private:
  static LRESULT CALLBACK Proc(int code, WPARAM wParam, LPARAM lParam) {
    const auto* sent = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && sent->message == WM_COMMAND && LOWORD(sent->wParam) == IDC_SCHEME_COMBO &&
        HIWORD(sent->wParam) == CBN_SELENDOK) {
      ++count_;
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
  }
  static int count_;
  HHOOK hook_;
};
int SelEndOkCounter::count_ = 0;

class SchemeCommandsTest : public MainDialogFixture {
 protected:
  void PutScheme(const std::string& name, const MapTables& maps) { PutMaps(store, SchemePath(name), maps); }

  std::vector<std::string> Entries() const { return ComboEntries(Item(IDC_SCHEME_COMBO)); }
  int Selected() const { return SchemeList().GetCurSel(); }
  std::string ComboText() const { return WindowText(Item(IDC_SCHEME_COMBO)); }
  std::string DeviceShown(int program) const { return CellText(IDC_INSTRUMENT_LIST, program, 2); }

  // Real mouse: drops the scheme list with its button and clicks the entry,
  // so the combo box itself sends CBN_SELENDOK.
  bool ChooseScheme(int index) {
    HWND combo = Item(IDC_SCHEME_COMBO);
    COMBOBOXINFO info{};
    info.cbSize = sizeof info;
    if (!GetComboBoxInfo(combo, &info)) return false;
    POINT button{(info.rcButton.left + info.rcButton.right) / 2,
                 (info.rcButton.top + info.rcButton.bottom) / 2};
    ClientToScreen(combo, &button);
    if (!ClickAt(button)) return false;
    if (!WaitFor([&] { return SendMessageA(combo, CB_GETDROPPEDSTATE, 0, 0) != 0; })) return false;
    RECT entry{};
    if (SendMessageA(info.hwndList, LB_GETITEMRECT, WPARAM(index), LPARAM(&entry)) == LB_ERR) return false;
    POINT point{(entry.left + entry.right) / 2, (entry.top + entry.bottom) / 2};
    ClientToScreen(info.hwndList, &point);
    if (!ClickAt(point)) return false;
    return WaitFor([&] { return SendMessageA(combo, CB_GETDROPPEDSTATE, 0, 0) == 0; });
  }

  // Leaves the dialog with Cancel once the test is done looking.
  void Leave() { PostButtonClick(MainDialog(), IDCANCEL); }
};

// ---- Choosing a scheme -----------------------------------------------------

TEST_F(SchemeCommandsTest, ChoosingASchemeLoadsItsMapsAndRefillsBothLists) {
  const MapTables blues = MapsWith(kViolin, 0);
  const MapTables jazz = MapsWith(kViolin, 2);
  PutScheme("blues", blues);
  PutScheme("jazz", jazz);
  RunMainDialog([&](ui::MapperDialog&) {
    ASSERT_EQ(Entries(), (std::vector<std::string>{"blues", "jazz"}));
    ASSERT_TRUE(ChooseScheme(1));
    EXPECT_TRUE(WaitFor([&] { return DeviceShown(kViolin) == kDefaultDeviceNames[2]; }));
    EXPECT_TRUE(SameMaps(tables, jazz));
    EXPECT_EQ(ComboText(), "jazz");

    ASSERT_TRUE(ChooseScheme(0));
    EXPECT_TRUE(WaitFor([&] { return DeviceShown(kViolin) == kDefaultDeviceNames[0]; }));
    EXPECT_TRUE(SameMaps(tables, blues));
    Leave();
  });
  EXPECT_EQ(store.OpenKeyCount(), 0u);
}

TEST_F(SchemeCommandsTest, ChoosingTheSelectedSchemeAgainReloadsItAndDropsEdits) {
  const MapTables jazz = MapsWith(kViolin, 2);
  PutScheme("jazz", jazz);
  store.PutText(kActiveKeyPath, kSchemeValue, "jazz");
  RunMainDialog([&](ui::MapperDialog&) {
    ASSERT_EQ(Selected(), 0);
    tables.AssignRow(RowKind::Instrument, kViolin, 1);  // an edit since
    ASSERT_TRUE(ChooseScheme(0));
    EXPECT_TRUE(WaitFor([&] { return SameMaps(tables, jazz); }));
    EXPECT_EQ(DeviceShown(kViolin), kDefaultDeviceNames[2]);
    Leave();
  });
}

TEST_F(SchemeCommandsTest, SchemeWithoutInstrument0KeepsTheMapsAndOnlyRefillsTheLists) {
  // Its percussion map is never reached: reading stops at Instrument0.
  store.Put(SchemePath("broken"), "Percussion0", kTypeBinary, Bytes(kPercussionMaskSize, 0));
  MapTables before;
  RunMainDialog([&](ui::MapperDialog&) {
    tables.AssignRow(RowKind::Instrument, kViolin, 2);
    Unroute(tables, RowKind::Instrument, 7);
    before = tables;
    ASSERT_TRUE(ChooseScheme(0));
    // The refill repairs the row routed nowhere to slot 0.
    EXPECT_TRUE(WaitFor([&] { return tables.SlotOf(RowKind::Instrument, 7) == 0; }));
    EXPECT_EQ(DeviceShown(7), kDefaultDeviceNames[0]);
    EXPECT_EQ(DeviceShown(kViolin), kDefaultDeviceNames[2]);
    Leave();
  });
  before.AssignRow(RowKind::Instrument, 7, 0);
  EXPECT_TRUE(SameMaps(tables, before));
}

TEST_F(SchemeCommandsTest, ListClosedAfterTypingLoadsNothingAndOkIgnoresTheTypedText) {
  store.PutKey(kActiveKeyPath);
  PutScheme("jazz", MapsWith(kViolin, 2));
  SelEndOkCounter selEndOk;
  const INT_PTR result = RunMainDialog([&](ui::MapperDialog&) {
    Unroute(tables, RowKind::Instrument, 7);  // a refill would repair it
    ASSERT_EQ(FocusedControlId(MainDialog()), IDC_SCHEME_COMBO);
    PostChars("zz");
    ASSERT_TRUE(WaitFor([&] { return ComboText() == "zz"; }));
    store.ClearCalls();
    // Open the list and accept it with Enter: no entry matches the text.
    PostKey(VK_F4);
    ASSERT_TRUE(WaitFor([&] { return SendMessageA(Item(IDC_SCHEME_COMBO), CB_GETDROPPEDSTATE, 0, 0) != 0; }));
    PostKey(VK_RETURN);
    ASSERT_TRUE(WaitFor([&] { return selEndOk.Count() == 1; }));
    EXPECT_EQ(Selected(), -1);
    EXPECT_TRUE(store.Calls().empty()) << "a key was read";
    EXPECT_EQ(tables.SlotOf(RowKind::Instrument, 7), kNoSlot) << "the lists were refilled";
    PostButtonClick(MainDialog(), IDOK);
  });
  EXPECT_EQ(result, IDOK);
  EXPECT_EQ(store.Get(kActiveKeyPath, kSchemeValue), SchemeValue(""));
  EXPECT_EQ(WrittenKeys(store), std::set<std::string>{kActiveKeyPath});
}

// ---- Save As ----------------------------------------------------------------

TEST_F(SchemeCommandsTest, SaveAsOfANewNameStoresItLowerCasedAndSelectsIt) {
  store.PutKey(kActiveKeyPath);
  Script().Then(IDD_SAVE_SCHEME, TypeAndPress("Jazz", IDOK));
  RunMainDialog([&](ui::MapperDialog&) {
    ASSERT_FALSE(IsWindowEnabled(Item(IDC_DELETE)));
    tables.AssignRow(RowKind::Instrument, kViolin, 2);
    PressAndSettle(IDC_SAVE_AS, [&] { return SchemeList().GetCount() == 1; });
    EXPECT_EQ(Entries(), std::vector<std::string>{"jazz"});
    EXPECT_EQ(Selected(), 0);
    EXPECT_EQ(ComboText(), "jazz");
    EXPECT_TRUE(IsWindowEnabled(Item(IDC_SCHEME_COMBO)));
    EXPECT_TRUE(IsWindowEnabled(Item(IDC_DELETE)));
    Leave();
  });
  EXPECT_EQ(store.SubkeyNames(kActiveKeyPath), std::vector<std::string>{"jazz"});
  EXPECT_TRUE(HoldsMaps(store, SchemePath("jazz"), MapsWith(kViolin, 2)));
}

TEST_F(SchemeCommandsTest, SaveAsCancelledWritesNothing) {
  store.PutKey(kActiveKeyPath);
  Script().Then(IDD_SAVE_SCHEME, TypeAndPress("jazz", IDCANCEL));
  RunMainDialog([&](ui::MapperDialog&) {
    store.ClearCalls();
    PressAndSettle(IDC_SAVE_AS, [&] { return Script().Pending() == 0; });
    EXPECT_EQ(SchemeList().GetCount(), 0);
    Leave();
  });
  EXPECT_TRUE(store.SubkeyNames(kActiveKeyPath).empty());
  EXPECT_TRUE(store.SetValueCalls().empty());
}

TEST_F(SchemeCommandsTest, SaveAsOfAnExistingNameCancelledAtTheWarningChangesNothing) {
  PutScheme("blues", MapTables());
  PutScheme("jazz", MapsWith(kViolin, 2));
  store.PutText(kActiveKeyPath, kSchemeValue, "blues");
  Script().Then(IDD_SAVE_SCHEME, TypeAndPress("JAZZ", IDOK)).Then(IDD_OVERWRITE_CONFIRM, Press(IDCANCEL));
  RunMainDialog([&](ui::MapperDialog&) {
    store.ClearCalls();
    PressAndSettle(IDC_SAVE_AS, [&] { return Script().Pending() == 0; });
    EXPECT_EQ(Entries(), (std::vector<std::string>{"blues", "jazz"}));
    EXPECT_EQ(Selected(), 0);
    Leave();
  });
  EXPECT_TRUE(store.SetValueCalls().empty());
  EXPECT_TRUE(HoldsMaps(store, SchemePath("jazz"), MapsWith(kViolin, 2)));
}

TEST_F(SchemeCommandsTest, SaveAsOfAnExistingNameConfirmedRewritesItAndSelectsIt) {
  PutScheme("blues", MapTables());
  PutScheme("jazz", MapTables());
  store.PutText(kActiveKeyPath, kSchemeValue, "blues");
  Script().Then(IDD_SAVE_SCHEME, TypeAndPress("JAZZ", IDOK)).Then(IDD_OVERWRITE_CONFIRM, Press(IDOK));
  RunMainDialog([&](ui::MapperDialog&) {
    tables.AssignRow(RowKind::Instrument, kViolin, 2);
    store.ClearCalls();
    PressAndSettle(IDC_SAVE_AS, [&] { return Selected() == 1; });
    EXPECT_EQ(Entries(), (std::vector<std::string>{"blues", "jazz"}));
    Leave();
  });
  EXPECT_EQ(WrittenKeys(store), std::set<std::string>{SchemePath("jazz")});
  EXPECT_EQ(store.SetValueCalls().size(), 6u);
  EXPECT_TRUE(HoldsMaps(store, SchemePath("jazz"), MapsWith(kViolin, 2)));
}

TEST_F(SchemeCommandsTest, SaveAsFindsASchemeStoredUnderOtherCapitalsAndNeverListsItTwice) {
  PutScheme("Jazz", MapTables());  // made outside the program
  Script().Then(IDD_SAVE_SCHEME, TypeAndPress("jazz", IDOK)).Then(IDD_OVERWRITE_CONFIRM, Press(IDOK));
  RunMainDialog([&](ui::MapperDialog&) {
    tables.AssignRow(RowKind::Instrument, kViolin, 2);
    PressAndSettle(IDC_SAVE_AS, [&] { return Selected() == 0; });
    EXPECT_EQ(Entries(), std::vector<std::string>{"Jazz"});
    Leave();
  });
  EXPECT_EQ(store.SubkeyNames(kActiveKeyPath), std::vector<std::string>{"Jazz"});
  EXPECT_TRUE(HoldsMaps(store, SchemePath("Jazz"), MapsWith(kViolin, 2)));
}

TEST_F(SchemeCommandsTest, SaveAsWhoseKeyCannotBeCreatedSaysSoAndLeavesTheListAsItWas) {
  store.PutKey(kActiveKeyPath);
  store.FailOn(Op::CreateKey, SchemePath("jazz"));
  MessageBoxAnswerer boxes;
  HWND mainDialog = nullptr;
  Script().Then(IDD_SAVE_SCHEME, TypeAndPress("Jazz", IDOK));
  RunMainDialog([&](ui::MapperDialog&) {
    mainDialog = MainDialog();
    PressAndSettle(IDC_SAVE_AS, [&] { return boxes.All().size() == 1; });
    EXPECT_EQ(SchemeList().GetCount(), 0);
    EXPECT_FALSE(IsWindowEnabled(Item(IDC_SCHEME_COMBO)));
    EXPECT_FALSE(IsWindowEnabled(Item(IDC_DELETE)));
    Leave();
  });
  EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"The scheme could not be saved."});
  ASSERT_EQ(boxes.All().size(), 1u);
  EXPECT_EQ(boxes.All()[0].owner, mainDialog);
  EXPECT_FALSE(store.HasKey(SchemePath("jazz")));
}

TEST_F(SchemeCommandsTest, SaveAsWhoseValuesCannotBeWrittenSaysSoAndLeavesNoHalfMadeScheme) {
  store.PutKey(kActiveKeyPath);
  store.FailOnValue(Op::SetValue, SchemePath("jazz"), "Percussion2");
  MessageBoxAnswerer boxes;
  Script().Then(IDD_SAVE_SCHEME, TypeAndPress("jazz", IDOK));
  RunMainDialog([&](ui::MapperDialog&) {
    PressAndSettle(IDC_SAVE_AS, [&] { return boxes.All().size() == 1; });
    EXPECT_TRUE(Entries().empty());
    EXPECT_FALSE(IsWindowEnabled(Item(IDC_SCHEME_COMBO)));
    Leave();
  });
  EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"The scheme could not be saved."});
  EXPECT_FALSE(store.HasKey(SchemePath("jazz")));
}

// ---- Delete -------------------------------------------------------------------

TEST_F(SchemeCommandsTest, DeleteWithNoSchemeSelectedShowsNoWarningAndDeletesNothing) {
  PutScheme("blues", MapTables());
  PutScheme("jazz", MapTables());
  // No step waits for the warning: were it shown, the script would fail.
  RunMainDialog([&](ui::MapperDialog&) {
    ASSERT_EQ(Selected(), -1);
    PostButtonClick(MainDialog(), IDC_DELETE);
    PumpFor(300);
    EXPECT_EQ(SchemeList().GetCount(), 2);
    Leave();
  });
  EXPECT_EQ(store.SubkeyNames(kActiveKeyPath), (std::vector<std::string>{"blues", "jazz"}));
}

TEST_F(SchemeCommandsTest, DeleteAfterTheWarningRemovesTheSchemeAndLoadsTheDefaults) {
  PutScheme("blues", MapTables());
  PutScheme("jazz", MapsWith(kViolin, 2));
  PutMaps(store, kActiveKeyPath, MapsWith(kViolin, 2));
  store.PutText(kActiveKeyPath, kSchemeValue, "jazz");
  Script().Then(IDD_DELETE_CONFIRM, Press(IDCANCEL)).Then(IDD_DELETE_CONFIRM, Press(IDOK));
  RunMainDialog([&](ui::MapperDialog&) {
    PressAndSettle(IDC_DELETE, [&] { return Script().Pending() == 1; });
    EXPECT_EQ(Entries(), (std::vector<std::string>{"blues", "jazz"}));
    EXPECT_TRUE(store.HasKey(SchemePath("jazz"))) << "Cancel at the warning";

    PressAndSettle(IDC_DELETE, [&] { return SchemeList().GetCount() == 1; });
    EXPECT_EQ(Entries(), std::vector<std::string>{"blues"});
    EXPECT_EQ(Selected(), -1);
    EXPECT_TRUE(SameMaps(tables, MapTables()));
    EXPECT_EQ(DeviceShown(kViolin), kDefaultDeviceNames[1]);
    EXPECT_TRUE(IsWindowEnabled(Item(IDC_DELETE)));
    Leave();
  });
  EXPECT_EQ(store.SubkeyNames(kActiveKeyPath), std::vector<std::string>{"blues"});
}

TEST_F(SchemeCommandsTest, DeletingTheLastSchemeDisablesTheListAndDelete) {
  PutScheme("jazz", MapsWith(kViolin, 2));
  PutMaps(store, kActiveKeyPath, MapsWith(kViolin, 2));
  store.PutText(kActiveKeyPath, kSchemeValue, "jazz");
  Script().Then(IDD_DELETE_CONFIRM, Press(IDOK));
  RunMainDialog([&](ui::MapperDialog&) {
    PressAndSettle(IDC_DELETE, [&] { return SchemeList().GetCount() == 0; });
    EXPECT_FALSE(IsWindowEnabled(Item(IDC_SCHEME_COMBO)));
    EXPECT_FALSE(IsWindowEnabled(Item(IDC_DELETE)));
    EXPECT_EQ(ComboText(), "");
    EXPECT_TRUE(SameMaps(tables, MapTables()));
    EXPECT_EQ(DeviceShown(kViolin), kDefaultDeviceNames[1]);
    // The focus left the disabled button, so the keyboard still works.
    EXPECT_TRUE(IsWindowEnabled(GetFocus()));
    Leave();
  });
  EXPECT_FALSE(store.HasKey(SchemePath("jazz")));
  EXPECT_TRUE(store.HasKey(kActiveKeyPath));
}

TEST_F(SchemeCommandsTest, DeleteWhoseKeyCannotBeDeletedSaysSoAndKeepsEntryAndMaps) {
  PutScheme("jazz", MapsWith(kViolin, 2));
  PutMaps(store, kActiveKeyPath, MapsWith(kViolin, 2));
  store.PutText(kActiveKeyPath, kSchemeValue, "jazz");
  store.FailOn(Op::DeleteKey, SchemePath("jazz"));
  MessageBoxAnswerer boxes;
  Script().Then(IDD_DELETE_CONFIRM, Press(IDOK));
  RunMainDialog([&](ui::MapperDialog&) {
    PressAndSettle(IDC_DELETE, [&] { return boxes.All().size() == 1; });
    EXPECT_EQ(Entries(), std::vector<std::string>{"jazz"});
    EXPECT_EQ(Selected(), 0);
    EXPECT_TRUE(SameMaps(tables, MapsWith(kViolin, 2)));
    EXPECT_EQ(DeviceShown(kViolin), kDefaultDeviceNames[2]);
    Leave();
  });
  EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"The scheme could not be deleted."});
  EXPECT_TRUE(store.HasKey(SchemePath("jazz")));
}

TEST_F(SchemeCommandsTest, DeleteOfASchemeAlreadyGoneRemovesTheEntry) {
  PutScheme("jazz", MapTables());
  store.PutText(kActiveKeyPath, kSchemeValue, "jazz");
  MessageBoxAnswerer boxes;
  Script().Then(IDD_DELETE_CONFIRM, Press(IDOK));
  RunMainDialog([&](ui::MapperDialog&) {
    store.DeleteKey(SchemePath("jazz").c_str());  // deleted by someone else meanwhile
    PressAndSettle(IDC_DELETE, [&] { return SchemeList().GetCount() == 0; });
    Leave();
  });
  EXPECT_TRUE(boxes.All().empty());
}

// A scheme made in this session is listed once and goes again with Delete.
TEST_F(SchemeCommandsTest, SchemeSavedThenDeletedInOneSessionLeavesNoKeyAndNoEntry) {
  Script().Then(IDD_SAVE_SCHEME, TypeAndPress("Jazz", IDOK)).Then(IDD_DELETE_CONFIRM, Press(IDOK));
  RunMainDialog([&](ui::MapperDialog&) {
    PressAndSettle(IDC_SAVE_AS, [&] { return Entries() == std::vector<std::string>{"jazz"}; });
    EXPECT_EQ(Selected(), 0);
    PressAndSettle(IDC_DELETE, [&] { return Entries().empty(); });
    EXPECT_EQ(Selected(), -1);
    EXPECT_FALSE(IsWindowEnabled(Item(IDC_DELETE)));
    PostKey(VK_ESCAPE);
  });
  EXPECT_FALSE(store.HasKey(SchemePath("jazz")));
}

// ---- Default and OK -----------------------------------------------------------

TEST_F(SchemeCommandsTest, DefaultLoadsTheFactoryMapsAndOkWritesThemWithAnEmptyScheme) {
  PutScheme("jazz", MapsWith(kViolin, 2));
  PutMaps(store, kActiveKeyPath, MapsWith(kViolin, 2));
  store.PutText(kActiveKeyPath, kSchemeValue, "jazz");
  const INT_PTR result = RunMainDialog([&](ui::MapperDialog&) {
    ASSERT_EQ(Selected(), 0);
    store.ClearCalls();
    PressAndSettle(IDC_DEFAULT, [&] { return DeviceShown(kViolin) == kDefaultDeviceNames[1]; });
    EXPECT_EQ(Selected(), -1);
    EXPECT_EQ(ComboText(), "");
    EXPECT_TRUE(SameMaps(tables, MapTables()));
    ASSERT_FALSE(store.Calls().empty());
    EXPECT_EQ(store.Calls()[0].op, Op::OpenKey);
    EXPECT_EQ(store.Calls()[0].path, kFactoryKeyPathUpper);
    store.ClearCalls();
    PostButtonClick(MainDialog(), IDOK);
  });
  EXPECT_EQ(result, IDOK);
  EXPECT_TRUE(HoldsMaps(store, kActiveKeyPath, MapTables()));
  EXPECT_EQ(store.Get(kActiveKeyPath, kSchemeValue), SchemeValue(""));
  EXPECT_EQ(WrittenKeys(store), std::set<std::string>{kActiveKeyPath});
  EXPECT_TRUE(HoldsMaps(store, SchemePath("jazz"), MapsWith(kViolin, 2)));
}

TEST_F(SchemeCommandsTest, ADrumRowTheListRefusesOnRefillIsReportedOnce) {
  MessageBoxAnswerer boxes;
  RunMainDialog([&](ui::MapperDialog&) {
    RefusedInsert refused(Item(IDC_DRUM_LIST), 10);
    PressAndSettle(IDC_DEFAULT, [&] { return boxes.All().size() == 1; });
    EXPECT_EQ(List(IDC_INSTRUMENT_LIST).GetItemCount(), kInstrumentRows);
    EXPECT_EQ(List(IDC_DRUM_LIST).GetItemCount(), 10);
    EXPECT_EQ(CellText(IDC_DRUM_LIST, 9, 0), NumberText(RowKind::Percussion, 9));
    Leave();
  });
  EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"Not every row of the maps could be shown."});
}

TEST_F(SchemeCommandsTest, OkWithASchemeSelectedAfterAnEditWritesBothKeysAndTheName) {
  PutScheme("jazz", MapTables());
  PutMaps(store, kActiveKeyPath, MapTables());
  store.PutText(kActiveKeyPath, kSchemeValue, "jazz");
  Script().Then(IDD_DEVICE_SELECT, [](toolkit::Dialog& d) {
    SendDlgItemMessageA(d.Handle(), IDC_DEVICE_COMBO, CB_SETCURSEL, 2, 0);
    PostButtonClick(d.Handle(), IDOK);
  });
  const INT_PTR result = RunMainDialog([&](ui::MapperDialog&) {
    ClickCell(IDC_INSTRUMENT_LIST, kViolin, 1, true);
    ASSERT_TRUE(WaitFor([&] { return DeviceShown(kViolin) == kDefaultDeviceNames[2]; }));
    store.ClearCalls();
    PostButtonClick(MainDialog(), IDOK);
  });
  EXPECT_EQ(result, IDOK);
  const MapTables edited = MapsWith(kViolin, 2);
  EXPECT_TRUE(HoldsMaps(store, kActiveKeyPath, edited));
  EXPECT_TRUE(HoldsMaps(store, SchemePath("jazz"), edited));
  const std::optional<MemoryStore::Value> scheme = store.GetValue(kActiveKeyPath, kSchemeValue);
  ASSERT_TRUE(scheme.has_value());
  EXPECT_EQ(scheme->type, kTypeSz);
  EXPECT_EQ(scheme->data, SchemeValue("jazz"));
  // The active key first, with the name after its maps; then the scheme.
  std::vector<std::string> order;
  for (const MemoryStore::Call& call : store.SetValueCalls()) order.push_back(call.path + "|" + call.name);
  ASSERT_EQ(order.size(), 13u);
  EXPECT_EQ(order[6], std::string(kActiveKeyPath) + "|Scheme");
  EXPECT_EQ(order[7], SchemePath("jazz") + "|Instrument0");
  EXPECT_EQ(store.OpenKeyCount(), 0u);
}

TEST_F(SchemeCommandsTest, OkWithALongSchemeNameStoresItsFirst19CharactersAndWritesTheFullKey) {
  const std::string name = "a-scheme-made-elsewhere-27";
  PutScheme(name, MapTables());
  store.PutKey(kActiveKeyPath);
  const INT_PTR result = RunMainDialog([&](ui::MapperDialog&) {
    ASSERT_TRUE(ChooseScheme(0));
    ASSERT_TRUE(WaitFor([&] { return Selected() == 0; }));
    tables.AssignRow(RowKind::Instrument, kViolin, 2);
    PostButtonClick(MainDialog(), IDOK);
  });
  EXPECT_EQ(result, IDOK);
  EXPECT_EQ(store.Get(kActiveKeyPath, kSchemeValue), SchemeValue(name.substr(0, 19)));
  EXPECT_TRUE(HoldsMaps(store, SchemePath(name), MapsWith(kViolin, 2)));
}

TEST_F(SchemeCommandsTest, OkWithoutTheActiveKeyWritesNothingAndCloses) {
  MessageBoxAnswerer boxes;
  const INT_PTR result = RunMainDialog([&](ui::MapperDialog&) {
    store.ClearCalls();
    PostButtonClick(MainDialog(), IDOK);
  });
  EXPECT_EQ(result, IDOK);
  EXPECT_TRUE(store.SetValueCalls().empty());
  EXPECT_FALSE(store.HasKey(kActiveKeyPath));
  EXPECT_TRUE(boxes.All().empty());
}

TEST_F(SchemeCommandsTest, OkThatCannotStoreTheMapsSaysSoAndKeepsTheDialogOpen) {
  struct Case {
    const char* label;
    std::function<void(MemoryStore&)> inject;
    const char* message;
  };
  const Case cases[] = {
      {"active key cannot be opened",
       [](MemoryStore& s) { s.FailOn(Op::OpenKey, kActiveKeyPath); },
       "The configuration could not be applied."},
      {"active value cannot be written",
       [](MemoryStore& s) { s.FailOnValue(Op::SetValue, kActiveKeyPath, kSchemeValue); },
       "The configuration could not be applied."},
      {"scheme value cannot be written",
       [](MemoryStore& s) { s.FailOnValue(Op::SetValue, SchemePath("jazz"), "Instrument0"); },
       "The scheme could not be saved."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    PutScheme("jazz", MapTables());
    PutMaps(store, kActiveKeyPath, MapTables());
    store.PutText(kActiveKeyPath, kSchemeValue, "jazz");
    MessageBoxAnswerer boxes;
    HWND mainDialog = nullptr;
    const INT_PTR result = RunMainDialog([&](ui::MapperDialog&) {
      mainDialog = MainDialog();
      tables.AssignRow(RowKind::Instrument, kViolin, 2);
      c.inject(store);
      PressAndSettle(IDOK, [&] { return boxes.All().size() == 1; });
      EXPECT_TRUE(IsWindowVisible(MainDialog()));
      EXPECT_EQ(tables.SlotOf(RowKind::Instrument, kViolin), 2) << "the edit is still there";
      // Once the store takes the writes again, OK goes through.
      store.ClearFaults();
      PostButtonClick(MainDialog(), IDOK);
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{c.message});
    ASSERT_EQ(boxes.All().size(), 1u);
    EXPECT_EQ(boxes.All()[0].owner, mainDialog);
    EXPECT_TRUE(HoldsMaps(store, kActiveKeyPath, MapsWith(kViolin, 2)));
    EXPECT_TRUE(HoldsMaps(store, SchemePath("jazz"), MapsWith(kViolin, 2)));
  }
}

TEST_F(SchemeCommandsTest, OkWithTheSelectedSchemeKeyGoneWritesTheActiveKeyOnly) {
  PutScheme("jazz", MapTables());
  store.PutText(kActiveKeyPath, kSchemeValue, "jazz");
  const INT_PTR result = RunMainDialog([&](ui::MapperDialog&) {
    store.DeleteKey(SchemePath("jazz").c_str());
    PostButtonClick(MainDialog(), IDOK);
  });
  EXPECT_EQ(result, IDOK);
  EXPECT_FALSE(store.HasKey(SchemePath("jazz"))) << "OK only opens the scheme's key";
  EXPECT_EQ(store.Get(kActiveKeyPath, kSchemeValue), SchemeValue("jazz"));
  EXPECT_TRUE(HoldsMaps(store, kActiveKeyPath, MapTables()));
}

// ---- Export and Import from the system menu --------------------------------

TEST_F(SchemeCommandsTest, ExportThenImportFromTheSystemMenuRestoresTheSchemesAndAsksBeforeOverwriting) {
  PutScheme("blues", MapsWith(kViolin, 0));
  PutScheme("jazz", MapsWith(kViolin, 2));
  store.PutText(kActiveKeyPath, kSchemeValue, "jazz");  // selected, factory maps shown
  char path[MAX_PATH];
  GetFullPathNameA("menu_export.reg", MAX_PATH, path, nullptr);
  DeleteFileA(path);
  SystemHost host;
  SchemeRecords schemes;
  ByteArray expected;
  ASSERT_EQ(CollectSchemes(store, nullptr, 0, schemes), kStoreOk);
  ASSERT_TRUE(WriteSchemeFile(schemes, host, expected));

  MessageBoxAnswerer answer(IDNO, path);
  RunMainDialog([&](ui::MapperDialog&) {
    PostMessageA(MainDialog(), WM_SYSCOMMAND, 0x0020, 0);
    ASSERT_TRUE(WaitFor([&] { return answer.FileDialogs() == 1 && IsWindowEnabled(MainDialog()); }));
    ByteArray file;
    ASSERT_EQ(host.ReadWholeFile(path, file), 0);
    EXPECT_EQ(std::string(file.Data(), file.Data() + file.Size()),
              std::string(expected.Data(), expected.Data() + expected.Size()));

    // Both are there: the warning names them, and No writes nothing.
    store.ClearCalls();
    PostMessageA(MainDialog(), WM_SYSCOMMAND, 0x0030, 0);
    ASSERT_TRUE(WaitFor([&] { return answer.Texts().size() == 1 && IsWindowEnabled(MainDialog()); }));
    EXPECT_NE(answer.Texts()[0].find("blues\njazz\n"), std::string::npos) << answer.Texts()[0];
    EXPECT_TRUE(store.SetValueCalls().empty());

    store.DeleteKey(SchemePath("blues").c_str());
    store.DeleteKey(SchemePath("jazz").c_str());
    PostMessageA(MainDialog(), WM_SYSCOMMAND, 0x0030, 0);
    ASSERT_TRUE(WaitFor([&] { return answer.FileDialogs() == 3 && IsWindowEnabled(MainDialog()); }));
    EXPECT_TRUE(WaitFor([&] { return store.HasKey(SchemePath("jazz")); }));
    EXPECT_TRUE(SameMaps(tables, MapsWith(kViolin, 2))) << "OK must not write the old maps back";
    EXPECT_EQ(DeviceShown(kViolin), kDefaultDeviceNames[2]);
    Leave();
  });
  EXPECT_EQ(answer.Texts().size(), 1u) << "no warning once the schemes are gone";
  EXPECT_TRUE(HoldsMaps(store, SchemePath("blues"), MapsWith(kViolin, 0)));
  EXPECT_TRUE(HoldsMaps(store, SchemePath("jazz"), MapsWith(kViolin, 2)));
  DeleteFileA(path);
}

}  // namespace
}  // namespace klangrid::test
