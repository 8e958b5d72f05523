// The dialog layer and the test driver on real templates: what the dialog
// manager does not give by itself (centring, focus through the dialog
// manager, bounded text exchange, message tables) and the driver's own
// safety nets.
#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "res/resource.h"
#include "tests/support/ui_driver.h"
#include "toolkit/application.h"
#include "toolkit/combo_box.h"
#include "toolkit/dialog.h"
#include "toolkit/dpi.h"
#include "toolkit/list_ctrl.h"

namespace klangrid::toolkit {
namespace {

using test::DialogScript;
using test::FocusedControlId;
using test::PostChars;
using test::PostKey;

class ToolkitTest : public ::testing::Test {
 protected:
  ~ToolkitTest() override { Dialog::SetMainWindow(nullptr); }

  INT_PTR Run(Dialog& dialog, DialogScript::Action action) {
    script_.Then(dialog.TemplateId(), std::move(action));
    return dialog.DoModal();
  }

  test::Watchdog watchdog_{10};
  DialogScript script_;
};

// A plain visible top-level window to own the dialogs, as the main dialog does.
class OwnerWindow {
 public:
  OwnerWindow(int x, int y, int width, int height) {
    hwnd_ = CreateWindowExA(0, "Static", "owner", WS_POPUP | WS_CAPTION | WS_VISIBLE, x, y, width,
                            height, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    test::PumpFor(50);
  }
  ~OwnerWindow() { DestroyWindow(hwnd_); }
  HWND Handle() const { return hwnd_; }

 private:
  HWND hwnd_;
};

// --- Modal run, position, owner -------------------------------------------------

TEST_F(ToolkitTest, DoModalGivesMinusOneForAMissingTemplate) {
  Dialog missing(4242);
  EXPECT_EQ(missing.DoModal(), -1);
}

TEST_F(ToolkitTest, DialogOpensCentredOverTheMainWindowWhichItDisables) {
  OwnerWindow owner(60, 50, 700, 500);
  Dialog::SetMainWindow(owner.Handle());
  Dialog about(IDD_ABOUTBOX);  // no owner given: the main window owns it
  POINT centre{};
  HWND ownerSeen = nullptr;
  bool ownerEnabled = true;
  Run(about, [&](Dialog& d) {
    centre = test::CentreOf(d.Handle());
    ownerSeen = GetWindow(d.Handle(), GW_OWNER);
    ownerEnabled = IsWindowEnabled(owner.Handle()) != FALSE;
    PostKey(VK_ESCAPE);
  });
  POINT expected = test::CentreOf(owner.Handle());
  EXPECT_NEAR(centre.x, expected.x, 1);
  EXPECT_NEAR(centre.y, expected.y, 1);
  EXPECT_EQ(ownerSeen, owner.Handle());
  EXPECT_FALSE(ownerEnabled);
  EXPECT_TRUE(IsWindowEnabled(owner.Handle()));
}

TEST_F(ToolkitTest, DialogWithoutOwnerOpensCentredOnTheScreen) {
  Dialog about(IDD_ABOUTBOX);
  POINT centre{};
  Run(about, [&](Dialog& d) {
    centre = test::CentreOf(d.Handle());
    PostKey(VK_ESCAPE);
  });
  RECT work{};
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  EXPECT_NEAR(centre.x, (work.left + work.right) / 2, 1);
  EXPECT_NEAR(centre.y, (work.top + work.bottom) / 2, 1);
}

TEST_F(ToolkitTest, DialogOverAnOwnerAtTheScreenEdgeStaysOnTheScreen) {
  RECT work{};
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  OwnerWindow owner(work.right - 60, work.bottom - 40, 100, 80);
  Dialog about(IDD_ABOUTBOX, owner.Handle());
  RECT rect{};
  Run(about, [&](Dialog& d) {
    rect = test::ScreenRect(d.Handle());
    PostKey(VK_ESCAPE);
  });
  EXPECT_LE(rect.right, work.right);
  EXPECT_LE(rect.bottom, work.bottom);
  EXPECT_GE(rect.left, work.left);
  EXPECT_GE(rect.top, work.top);
}

// --- Focus --------------------------------------------------------------------

// Returns FALSE from initialisation after putting the focus on OK itself.
class FocusOnOkDialog : public Dialog {
 public:
  FocusOnOkDialog() : Dialog(IDD_DELETE_CONFIRM) {}

 protected:
  BOOL OnInitDialog() override {
    Dialog::OnInitDialog();
    GotoDlgCtrl(Item(IDOK));
    return FALSE;
  }
};

TEST_F(ToolkitTest, FocusSetByTheDialogItselfIsKeptAndEnterPressesIt) {
  FocusOnOkDialog dialog;
  int focused = 0;
  EXPECT_EQ(Run(dialog,
                [&focused](Dialog& d) {
                  focused = FocusedControlId(d.Handle());
                  PostKey(VK_RETURN);
                }),
            IDOK);
  EXPECT_EQ(focused, IDOK);
}

TEST_F(ToolkitTest, OnlyTheFocusedButtonLooksLikeTheDefault) {
  // Two buttons drawn as the default would leave the user guessing.
  Dialog dialog(IDD_DELETE_CONFIRM);
  LONG okStyle = 0, cancelStyle = 0;
  Run(dialog, [&](Dialog& d) {
    okStyle = GetWindowLongA(d.Item(IDOK), GWL_STYLE) & 0x0F;
    cancelStyle = GetWindowLongA(d.Item(IDCANCEL), GWL_STYLE) & 0x0F;
    PostKey(VK_ESCAPE);
  });
  EXPECT_EQ(cancelStyle, BS_DEFPUSHBUTTON);
  EXPECT_EQ(okStyle, BS_PUSHBUTTON);
}

// --- Data exchange --------------------------------------------------------------

// Exchanges a buffer of maxChars + 1 bytes followed by guard bytes, which
// no exchange may touch.
class TextDialog : public Dialog {
 public:
  static constexpr int kRoomy = 300;
  explicit TextDialog(int maxChars) : Dialog(IDD_SAVE_SCHEME), size_(std::size_t(maxChars) + 1) {
    std::memset(buffer_, kGuard, sizeof buffer_);
    buffer_[0] = '\0';
  }
  void SetText(const char* text) { std::snprintf(buffer_, size_, "%s", text); }
  std::string Text() const { return buffer_; }
  bool GuardIntact() const {
    for (std::size_t i = size_; i < sizeof buffer_; ++i)
      if (buffer_[i] != kGuard) return false;
    return true;
  }

 protected:
  void DoDataExchange(DataExchange& dx) override { DDX_Text(dx, IDC_SCHEME_NAME, buffer_, size_); }

 private:
  static constexpr char kGuard = '\x5A';
  char buffer_[kRoomy + 1 + 8];
  std::size_t size_;
};

TEST_F(ToolkitTest, TextGoesIntoTheFieldAtOpeningAndBackOnOkOnly) {
  TextDialog dialog(TextDialog::kRoomy);
  dialog.SetText("Preset");
  std::string shown;
  EXPECT_EQ(Run(dialog,
                [&shown](Dialog& d) {
                  shown = Window(d.Item(IDC_SCHEME_NAME)).GetText();
                  PostKey(VK_END);
                  PostChars("!");
                  PostKey(VK_RETURN);
                }),
            IDOK);
  EXPECT_EQ(shown, "Preset");
  EXPECT_EQ(dialog.Text(), "Preset!");

  TextDialog cancelled(TextDialog::kRoomy);
  cancelled.SetText("Kept");
  EXPECT_EQ(Run(cancelled,
                [](Dialog&) {
                  PostChars("typed");
                  PostKey(VK_ESCAPE);
                }),
            IDCANCEL);
  EXPECT_EQ(cancelled.Text(), "Kept");
}

TEST_F(ToolkitTest, TextLimitHoldsForTypingAndForSetText) {
  TextDialog typed(5);
  Run(typed, [](Dialog&) {
    PostChars("1234567");
    PostKey(VK_RETURN);
  });
  EXPECT_EQ(typed.Text(), "12345");

  TextDialog set(5);
  Run(set, [](Dialog& d) {
    // WM_SETTEXT is not bound by the edit's limit; the exchange still is.
    SetWindowTextA(d.Item(IDC_SCHEME_NAME), "abcdefgh");
    PostKey(VK_RETURN);
  });
  EXPECT_EQ(set.Text(), "abcde");
  EXPECT_TRUE(typed.GuardIntact());
  EXPECT_TRUE(set.GuardIntact());

  TextDialog roomy(TextDialog::kRoomy);
  std::string longText(TextDialog::kRoomy, 'x');
  Run(roomy, [&](Dialog&) {
    PostChars(longText);
    PostKey(VK_RETURN);
  });
  EXPECT_EQ(roomy.Text(), longText);
  EXPECT_TRUE(roomy.GuardIntact());
}

// --- Message tables ---------------------------------------------------------------

class RoutedDialog : public Dialog {
 public:
  RoutedDialog() : Dialog(IDD_SAVE_SCHEME) {}
  int changes = 0;
  int notifies = 0;

 protected:
  bool OnMessage(Message& message) override;

 private:
  void OnNameChange(Message&) { ++changes; }
  void OnCustomNotify(Message& message) {
    ++notifies;
    message.result = 42;
  }
  void OnCancelCommand(Message& message) { message.handled = false; }
  static const MessageEntry<RoutedDialog> kTable[];
};

const MessageEntry<RoutedDialog> RoutedDialog::kTable[] = {
    {WM_COMMAND, IDC_SCHEME_NAME, EN_CHANGE, &RoutedDialog::OnNameChange},
    {WM_NOTIFY, IDC_SCHEME_NAME, 0x4242, &RoutedDialog::OnCustomNotify},
    {WM_COMMAND, IDCANCEL, BN_CLICKED, &RoutedDialog::OnCancelCommand},
};

bool RoutedDialog::OnMessage(Message& message) { return Route(*this, kTable, message); }

TEST_F(ToolkitTest, TableRoutesCommandsAndNotificationsToTheirHandlers) {
  RoutedDialog dialog;
  LRESULT answer = 0;
  LRESULT unrouted = -1;
  EXPECT_EQ(Run(dialog,
                [&](Dialog& d) {
                  PostChars("ab");
                  NMHDR header{d.Item(IDC_SCHEME_NAME), UINT_PTR(IDC_SCHEME_NAME), 0x4242};
                  answer = SendMessageA(d.Handle(), WM_NOTIFY, IDC_SCHEME_NAME, LPARAM(&header));
                  NMHDR other{d.Item(IDC_SCHEME_NAME), UINT_PTR(IDC_SCHEME_NAME), 0x4343};
                  unrouted = SendMessageA(d.Handle(), WM_NOTIFY, IDC_SCHEME_NAME, LPARAM(&other));
                  // Handled = false leaves the command to the layer: Cancel still ends it.
                  PostKey(VK_ESCAPE);
                }),
            IDCANCEL);
  EXPECT_EQ(dialog.changes, 2);
  EXPECT_EQ(dialog.notifies, 1);
  EXPECT_EQ(answer, 42);  // the handler's result reaches the sender
  EXPECT_EQ(unrouted, 0);
}

// --- Controls ---------------------------------------------------------------------

TEST_F(ToolkitTest, SortedComboSortsAddedEntriesButNotInsertedOnes) {
  Dialog dialog(IDD_DEVICE_SELECT);  // its combo has CBS_SORT
  std::vector<std::string> added, inserted;
  int found = -2, missing = -2;
  bool shortBuffer = true;
  std::string cut = "?";
  Run(dialog, [&](Dialog& d) {
    ComboBox combo;
    combo.Attach(d.Item(IDC_DEVICE_COMBO));
    for (const char* name : {"delta", "Alpha", "charlie"}) combo.AddString(name);
    added = test::ComboEntries(combo.Handle());
    while (combo.GetCount() > 0) combo.DeleteString(0);
    const char* names[] = {"delta", "Alpha", "charlie"};
    for (int i = 0; i < 3; ++i) combo.InsertString(i, names[i]);
    inserted = test::ComboEntries(combo.Handle());
    found = combo.FindStringExact("ALPHA");
    missing = combo.FindStringExact("alph");
    char small[5];
    shortBuffer = combo.GetLBText(0, small, sizeof small);  // "delta" needs 6 bytes
    cut = small;
    PostKey(VK_ESCAPE);
  });
  EXPECT_EQ(added, (std::vector<std::string>{"Alpha", "charlie", "delta"}));
  EXPECT_EQ(inserted, (std::vector<std::string>{"delta", "Alpha", "charlie"}));
  EXPECT_EQ(found, 1);
  EXPECT_EQ(missing, -1);
  EXPECT_FALSE(shortBuffer);
  EXPECT_EQ(cut, "");
}

// --- Application ------------------------------------------------------------------

class ProbeApp : public Application {
 public:
  bool InitInstance() override {
    // The list views of the main dialog need their class registered by now.
    HWND list = CreateWindowExA(0, WC_LISTVIEWA, "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
    listCreated = list != nullptr;
    if (list) DestroyWindow(list);
    ++calls;
    return false;
  }
  int calls = 0;
  bool listCreated = false;
};

TEST(ApplicationTest, RunRegistersTheListViewAndCallsInitInstanceOnce) {
  ProbeApp app;
  EXPECT_EQ(Application::Current(), &app);
  EXPECT_EQ(app.Run(), 0);
  EXPECT_EQ(app.calls, 1);
  EXPECT_TRUE(app.listCreated);
}

// --- Display scale --------------------------------------------------------------

// Stand-ins for the process's awareness functions; they log their calls.
std::string gAwarenessCalls;
bool gAware = false;
bool gV2Accepted = false;
BOOL WINAPI FakeIsAware() {
  gAwarenessCalls += "aware? ";
  return gAware;
}
BOOL WINAPI FakeSetContext(DPI_AWARENESS_CONTEXT context) {
  gAwarenessCalls += context == DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2 ? "v2 " : "other ";
  return gV2Accepted;
}
BOOL WINAPI FakeSetSystemWide() {
  gAwarenessCalls += "system ";
  return TRUE;
}

TEST(DpiAwarenessTest, TheManifestComesFirstThenPerMonitorV2ThenSystemWide) {
  struct Case {
    const char* label;
    bool aware;
    bool hasContextCall;
    bool v2Accepted;
    const char* calls;
  };
  const Case cases[] = {
      {"aware by the manifest", true, true, true, "aware? "},
      {"Windows 10 1703 and later", false, true, true, "aware? v2 "},
      {"per-monitor v2 refused", false, true, false, "aware? v2 system "},
      {"Vista to Windows 10 1607", false, false, false, "aware? system "},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    gAwarenessCalls.clear();
    gAware = c.aware;
    gV2Accepted = c.v2Accepted;
    const DpiAwarenessApi api{FakeIsAware, c.hasContextCall ? FakeSetContext : nullptr,
                              FakeSetSystemWide};
    EXPECT_TRUE(DeclareDpiAwareness(api));
    EXPECT_EQ(gAwarenessCalls, c.calls);
  }
  // Before Vista there is nothing to call.
  EXPECT_FALSE(DeclareDpiAwareness(DpiAwarenessApi{}));
}

TEST(DpiAwarenessTest, TheSystemsFunctionsAreFoundAndTheProcessIsAware) {
  // Wine 8 has all three; a misspelt name would leave Windows stretching
  // the program without a word.
  const DpiAwarenessApi api = SystemDpiAwarenessApi();
  EXPECT_NE(api.isProcessDpiAware, nullptr);
  EXPECT_NE(api.setProcessDpiAwarenessContext, nullptr);
  EXPECT_NE(api.setProcessDpiAware, nullptr);
  EXPECT_TRUE(DeclareDpiAwareness());
  EXPECT_TRUE(IsProcessDPIAware());
}

// --- The driver's safety nets -----------------------------------------------------

INT_PTR gAbandoned = 0;

TEST(UiDriverTest, WatchdogEndsADialogLeftOpenAndFailsTheTest) {
  EXPECT_NONFATAL_FAILURE(
      {
        test::Watchdog watchdog(1);
        DialogScript script;
        script.Then(IDD_ABOUTBOX, [](Dialog&) {});  // answers nothing
        Dialog about(IDD_ABOUTBOX);
        gAbandoned = about.DoModal();
      },
      "watchdog");
  EXPECT_EQ(gAbandoned, test::kAbandonedResult);
}

TEST(UiDriverTest, UnexpectedDialogIsEndedAndFailsTheTest) {
  EXPECT_NONFATAL_FAILURE(
      {
        test::Watchdog watchdog(5);
        DialogScript script;
        Dialog about(IDD_ABOUTBOX);
        gAbandoned = about.DoModal();
      },
      "no step waiting");
  EXPECT_EQ(gAbandoned, test::kAbandonedResult);
}

TEST(UiDriverTest, StepsAnswerNestedDialogsInTurn) {
  test::Watchdog watchdog(10);
  DialogScript script;
  INT_PTR inner = 0;
  script
      .Then(IDD_ABOUTBOX,
            [&inner](Dialog& outer) {
              Dialog warning(IDD_DELETE_CONFIRM, outer.Handle());
              inner = warning.DoModal();
              PostKey(VK_RETURN);
            })
      .Then(IDD_DELETE_CONFIRM, [](Dialog& d) { test::PostButtonClick(d.Handle(), IDOK); });
  Dialog about(IDD_ABOUTBOX);
  EXPECT_EQ(about.DoModal(), IDOK);
  EXPECT_EQ(inner, IDOK);
  EXPECT_EQ(script.Pending(), 0);
}

}  // namespace
}  // namespace klangrid::toolkit
