#pragma once
// Drives the program's modal dialogs from GoogleTest tests under Wine.
//
// Everything runs on the test's own thread, inside the dialogs' modal loops:
// a test arms a DialogScript, calls DoModal, and each step of the script runs
// once its dialog is visible, answering it with posted or real input. A
// Watchdog ends whatever a broken test leaves open, so it fails instead of
// hanging.
//
//   Watchdog watchdog;
//   DialogScript script;
//   script.Then(IDD_DELETE_CONFIRM, [](Dialog& d) { PostKey(VK_RETURN); });
//   EXPECT_EQ(DeleteConfirmDialog().DoModal(), IDCANCEL);
//
// Posted keys and chars reach the focused control through the modal loop's
// IsDialogMessage, as typed keys do; real input (ClickAt, SendKey) goes
// through the system's input queue and needs the window on top, or in the
// foreground for keys (MakeForeground tells; skip the test when it fails).
//
// Build it into the test program with the dialog layer (klangrid_toolkit)
// and GoogleTest.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "toolkit/dialog.h"

namespace klangrid::test {

// The result of a dialog that the watchdog or an unexpected-dialog check ended.
constexpr INT_PTR kAbandonedResult = -2;

// While alive: once `seconds` have passed, ends every dialog of this thread
// (also those that open afterwards) with kAbandonedResult and records one
// test failure. One per test; destroy it before the next.
class Watchdog {
 public:
  explicit Watchdog(unsigned seconds = 10);
  ~Watchdog();
  Watchdog(const Watchdog&) = delete;
  Watchdog& operator=(const Watchdog&) = delete;
  bool Fired() const;
};

// While alive, answers dialogs as they come up. Then(id, action) adds a step:
// the next dialog with that template id that is not yet answered runs action
// once it is visible with its initial focus set. Steps for different ids may
// nest (main dialog, then the device dialog it opens). A dialog with no step
// waiting for its id is ended at once with kAbandonedResult and fails the
// test; a step still waiting when the script is destroyed fails it too.
// Only one script at a time.
class DialogScript {
 public:
  using Action = std::function<void(toolkit::Dialog&)>;
  DialogScript();
  ~DialogScript();
  DialogScript(const DialogScript&) = delete;
  DialogScript& operator=(const DialogScript&) = delete;

  DialogScript& Then(int templateId, Action action);
  // Steps not yet run.
  int Pending() const;
};

// Processes this thread's messages as a modal loop does (keys for a dialog
// through IsDialogMessage) until done() holds or timeoutMs pass. Returns
// done(). Safe inside a script step.
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 2000);
// Processes messages for ms milliseconds.
void PumpFor(DWORD ms);

// Posts WM_KEYDOWN then WM_KEYUP for vk to the focused window (false: no
// focus). No WM_CHAR: use PostChars for text.
bool PostKey(UINT vk);
// Posts one WM_CHAR per byte of text to the focused window.
bool PostChars(const std::string& text);
// PostChars, then processes them. A control may refuse some (an edit that
// does not scroll stops at its width): read back what it took.
bool TypeChars(const std::string& text);
// Posts BM_CLICK to control id of the dialog: the button clicks itself.
bool PostButtonClick(HWND dialog, int id);
// Posts WM_SYSCOMMAND SC_CLOSE, as a click on the close box does.
bool PostClose(HWND window);

// Id of the dialog's control that holds the focus, also when the focus is
// inside it (a combo box's edit field); 0 when none of its controls has it.
int FocusedControlId(HWND dialog);
// The entries of a combo box, top to bottom.
std::vector<std::string> ComboEntries(HWND combo);
// Window rectangle in screen coordinates, and its centre.
RECT ScreenRect(HWND window);
POINT CentreOf(HWND window);

// Real mouse: puts the cursor at the screen point and clicks the left button
// once or twice, through SendInput. False when the input was not taken.
bool ClickAt(POINT screen, bool doubleClick = false);
// The same with the right button, once.
bool RightClickAt(POINT screen);
// Makes window the foreground window and waits for it; false when the
// system keeps another one there (then real keys would go elsewhere).
bool MakeForeground(HWND window, DWORD timeoutMs = 2000);
// Real keyboard: presses and releases vk through SendInput, with modifier
// (VK_SHIFT, VK_CONTROL, VK_MENU) held down around it when given.
bool SendKey(WORD vk, WORD modifier = 0);

// While alive, answers the next popup menu this thread opens (TrackPopupMenu
// runs a modal loop of its own, so a test cannot act on the menu directly)
// with the real keyboard: Down until the item at path[0] is highlighted,
// Right into its submenu, and so on; Enter on the last. An empty path
// dismisses the menu, or a keyboard menu mode without one, with Esc. The
// pointer is moved off the menu first, so it highlights nothing. A menu
// left open after timeoutMs is closed and the test fails. Only one at a
// time.
//
//   MenuPick pick({2});              // the third item
//   RightClickAt(point);
//   EXPECT_TRUE(PumpUntil([&] { return pick.Done(); }));
// The popup menu windows of this thread that are shown, bottom first.
std::vector<HWND> OpenMenuWindows();

class MenuPick {
 public:
  // onLast, when given, runs once the last item is highlighted, before its
  // key is pressed (to take a picture of the open menu).
  explicit MenuPick(std::vector<int> path, DWORD timeoutMs = 5000, std::function<void()> onLast = nullptr);
  ~MenuPick();
  MenuPick(const MenuPick&) = delete;
  MenuPick& operator=(const MenuPick&) = delete;

  bool Seen() const;  // a menu opened
  bool Done() const;  // the last key is pressed
  // The items of the menu at each level of the path as it opened: the
  // text, "*" before a checked item, "!" before the default one, " >" after
  // a submenu, "-" for a separator.
  std::vector<std::string> Items(std::size_t level) const;
  // Its window, in screen coordinates.
  RECT Where(std::size_t level) const;

  struct State;

 private:
  State* state_;
};

// Repaints the window and writes it as shown, frame included, to a 24-bit
// BMP file. False when it could not be captured or written.
bool SaveWindowBitmap(HWND window, const std::string& path);
// The same for several windows, bottom first, each drawn where it stands
// on the screen (a dialog and the menus open over it).
bool SaveWindowsBitmap(const std::vector<HWND>& windows, const std::string& path);

}  // namespace klangrid::test
