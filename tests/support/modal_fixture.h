#pragma once
// The one fixture for tests that run a modal dialog and answer it from
// inside its loop, and the answers those tests share.
//
//   TEST_F(SomeDialogTest, OkTakesTheName) {
//     SaveSchemeDialog dialog;
//     EXPECT_EQ(Run(dialog, TypeAndPress("jazz", IDOK)), IDOK);
//   }
//
// Nested dialogs get steps of their own: Script().Then(IDD_..., Press(IDOK)).
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "res/resource.h"
#include "tests/support/ui_driver.h"
#include "toolkit/dialog.h"

namespace klangrid::test {

// The caption of the main dialog, which its message boxes carry too.
constexpr const char* kMainCaption = "Kestro Ostrel Synthesis Engine";

class ModalFixture : public ::testing::Test {
 protected:
  ~ModalFixture() override { toolkit::Dialog::SetMainWindow(nullptr); }
  void TearDown() override { script_.reset(); }

  // The script of the next run: add steps for the dialogs the dialog will
  // open, in the order they open.
  DialogScript& Script() {
    if (!script_) script_ = std::make_unique<DialogScript>();
    return *script_;
  }

  // Runs the dialog until it ends, answering it with action once it is up;
  // returns DoModal's result (kAbandonedResult when the watchdog or an
  // unexpected dialog ended it). Every step of the script must have run.
  INT_PTR Run(toolkit::Dialog& dialog, DialogScript::Action action) {
    Watchdog watchdog(watchdogSeconds);
    Script().Then(dialog.TemplateId(), std::move(action));
    const INT_PTR result = dialog.DoModal();
    script_.reset();  // fails the test for steps left waiting
    return result;
  }

  unsigned watchdogSeconds = 10;

 private:
  std::unique_ptr<DialogScript> script_;
};

// --- Answers for a dialog that is up ---------------------------------------

// Presses push button id.
inline DialogScript::Action Press(int button) {
  return [button](toolkit::Dialog& d) { PostButtonClick(d.Handle(), button); };
}
// Types text into the focused field, then presses button.
inline DialogScript::Action TypeAndPress(std::string text, int button) {
  return [text, button](toolkit::Dialog& d) {
    PostChars(text);
    PostButtonClick(d.Handle(), button);
  };
}
// The device dialog: selects slot's entry, then presses button.
inline DialogScript::Action ChooseDevice(int slot, int button) {
  return [slot, button](toolkit::Dialog& d) {
    SendDlgItemMessageA(d.Handle(), IDC_DEVICE_COMBO, CB_SETCURSEL, WPARAM(slot), 0);
    PostButtonClick(d.Handle(), button);
  };
}

// While alive, answers the program's message boxes: each one the main
// dialog owns is recorded and closed with button (OK unless told). Given a
// path, it also answers the common file dialogs with that file name. The
// timer is the thread's, so it fires inside their own modal loops.
class MessageBoxAnswerer {
 public:
  struct Shown {
    std::string text;
    HWND owner;
  };

  explicit MessageBoxAnswerer(int button = IDOK, std::string path = "")
      : button_(button), path_(std::move(path)) {
    current_ = this;
    timer_ = SetTimer(nullptr, 0, 20, Tick);
  }
  ~MessageBoxAnswerer() {
    KillTimer(nullptr, timer_);
    current_ = nullptr;
  }
  MessageBoxAnswerer(const MessageBoxAnswerer&) = delete;
  MessageBoxAnswerer& operator=(const MessageBoxAnswerer&) = delete;

  int FileDialogs() const { return fileDialogs_; }
  std::vector<std::string> Texts() const {
    std::vector<std::string> texts;
    for (const Shown& shown : shown_) texts.push_back(shown.text);
    return texts;
  }
  const std::vector<Shown>& All() const { return shown_; }

 private:
  static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
    EnumThreadWindows(GetCurrentThreadId(), Visit, 0);
  }
  static BOOL CALLBACK Visit(HWND hwnd, LPARAM) {
    char name[16] = {};
    char caption[64] = {};
    GetClassNameA(hwnd, name, sizeof name);
    GetWindowTextA(hwnd, caption, sizeof caption);
    HWND owner = GetWindow(hwnd, GW_OWNER);
    // The main dialog has no owner.
    if (!current_ || std::strcmp(name, "#32770") != 0 || !owner || !IsWindowVisible(hwnd) ||
        current_->answered_.count(hwnd)) {
      return TRUE;
    }
    // The small dialogs have captions of their own. What is left with the
    // main caption is a message box.
    if (std::strcmp(caption, kMainCaption) == 0) {
      char text[512] = {};
      GetDlgItemTextA(hwnd, 0xFFFF, text, sizeof text);  // the message's static
      current_->answered_.insert(hwnd);
      current_->shown_.push_back({text, owner});
      PostButtonClick(hwnd, current_->button_);
      return TRUE;
    }
    // A common file dialog's name field: a combo box (cmb13) in the newer
    // dialogs, an edit (edt1) in others.
    HWND field = GetDlgItem(hwnd, 0x47C);
    if (!field) field = GetDlgItem(hwnd, 0x480);
    if (current_->path_.empty() || !field) return TRUE;
    current_->answered_.insert(hwnd);
    SetWindowTextA(field, current_->path_.c_str());
    ++current_->fileDialogs_;
    PostMessageA(hwnd, WM_COMMAND, IDOK, 0);
    return TRUE;
  }

  static inline MessageBoxAnswerer* current_ = nullptr;
  int button_;
  std::string path_;
  int fileDialogs_ = 0;
  UINT_PTR timer_ = 0;
  std::set<HWND> answered_;
  std::vector<Shown> shown_;
};

}  // namespace klangrid::test
