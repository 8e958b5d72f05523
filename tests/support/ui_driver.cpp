#include "tests/support/ui_driver.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <utility>

namespace klangrid::test {
namespace {

// Distinct from any timer id the program's dialogs might use.
constexpr UINT_PTR kStepTimer = 0x4B47;
constexpr UINT kStepPollMs = 10;

bool IsDialogWindow(HWND hwnd) {
  char name[16] = {};
  GetClassNameA(hwnd, name, sizeof name);
  return std::strcmp(name, "#32770") == 0;  // the dialog manager's class
}

// --- Watchdog -------------------------------------------------------------

UINT_PTR gWatchdogTimer = 0;
bool gWatchdogFired = false;

BOOL CALLBACK EndOneDialog(HWND hwnd, LPARAM) {
  if (IsDialogWindow(hwnd)) ::EndDialog(hwnd, kAbandonedResult);
  return TRUE;
}

void CALLBACK WatchdogTick(HWND, UINT, UINT_PTR, DWORD) {
  if (!gWatchdogFired) {
    gWatchdogFired = true;
    ADD_FAILURE() << "watchdog: a dialog was still open; ending every dialog of the thread";
    // From now on tick often, so dialogs the test opens afterwards end too.
    KillTimer(nullptr, gWatchdogTimer);
    gWatchdogTimer = SetTimer(nullptr, 0, 100, WatchdogTick);
  }
  // Ending an outer dialog while an inner one runs is fine: each modal loop
  // returns once the loop nested in it has.
  EnumThreadWindows(GetCurrentThreadId(), EndOneDialog, 0);
}

// --- DialogScript -----------------------------------------------------------

struct Step {
  int templateId;
  DialogScript::Action action;
  bool taken = false;  // a dialog has claimed it
  bool done = false;   // its action has run
};

// Steps live in a list of their own so that actions may add steps.
std::vector<Step>* gSteps = nullptr;

struct Armed {
  HWND hwnd;
  toolkit::Dialog* dialog;
  std::size_t step;
};
std::vector<Armed> gArmed;

void CALLBACK StepTick(HWND hwnd, UINT, UINT_PTR id, DWORD) {
  // The modal loop shows the dialog only once its queue runs empty; the
  // step waits for that, so input meets a visible, focused dialog.
  if (!IsWindowVisible(hwnd)) return;
  KillTimer(hwnd, id);
  for (std::size_t i = 0; i < gArmed.size(); ++i) {
    if (gArmed[i].hwnd != hwnd) continue;
    Armed armed = gArmed[i];
    gArmed.erase(gArmed.begin() + std::ptrdiff_t(i));
    if (!gSteps) return;
    DialogScript::Action action = (*gSteps)[armed.step].action;
    (*gSteps)[armed.step].done = true;
    action(*armed.dialog);
    return;
  }
}

void OnDialogShown(toolkit::Dialog& dialog) {
  if (!gSteps) return;
  for (std::size_t i = 0; i < gSteps->size(); ++i) {
    Step& step = (*gSteps)[i];
    if (step.taken || step.templateId != dialog.TemplateId()) continue;
    step.taken = true;
    gArmed.push_back({dialog.Handle(), &dialog, i});
    SetTimer(dialog.Handle(), kStepTimer, kStepPollMs, StepTick);
    return;
  }
  ADD_FAILURE() << "dialog " << dialog.TemplateId() << " opened with no step waiting for it";
  dialog.EndDialog(kAbandonedResult);
}

}  // namespace

Watchdog::Watchdog(unsigned seconds) {
  gWatchdogFired = false;
  gWatchdogTimer = SetTimer(nullptr, 0, seconds * 1000, WatchdogTick);
}

Watchdog::~Watchdog() {
  KillTimer(nullptr, gWatchdogTimer);
  gWatchdogTimer = 0;
  // A tick already queued would still end the next test's dialogs.
  MSG msg;
  while (PeekMessageA(&msg, nullptr, WM_TIMER, WM_TIMER, PM_REMOVE)) {
  }
}

bool Watchdog::Fired() const { return gWatchdogFired; }

DialogScript::DialogScript() {
  EXPECT_EQ(gSteps, nullptr) << "only one DialogScript at a time";
  gSteps = new std::vector<Step>;
  gArmed.clear();
  toolkit::Dialog::SetShownHook(OnDialogShown);
}

DialogScript::~DialogScript() {
  toolkit::Dialog::SetShownHook(nullptr);
  for (const Step& step : *gSteps) {
    if (!step.done) ADD_FAILURE() << "dialog " << step.templateId << " was expected but never answered";
  }
  delete gSteps;
  gSteps = nullptr;
  gArmed.clear();
}

DialogScript& DialogScript::Then(int templateId, Action action) {
  gSteps->push_back({templateId, std::move(action)});
  return *this;
}

int DialogScript::Pending() const {
  int pending = 0;
  for (const Step& step : *gSteps) pending += step.done ? 0 : 1;
  return pending;
}

bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs) {
  DWORD start = GetTickCount();
  while (!done()) {
    if (GetTickCount() - start >= timeoutMs) return false;
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) {
        PostQuitMessage(int(msg.wParam));  // for the loop that owns it
        return done();
      }
      HWND root = msg.hwnd ? GetAncestor(msg.hwnd, GA_ROOT) : nullptr;
      if (root && IsDialogWindow(root) && IsDialogMessageA(root, &msg)) continue;
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    if (done()) break;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
  return true;
}

void PumpFor(DWORD ms) {
  PumpUntil([] { return false; }, ms);
}

bool PostKey(UINT vk) {
  HWND focus = GetFocus();
  if (!focus) return false;
  // Repeat count 1 and the scan code; a key-up also carries the previous
  // state and transition bits.
  LPARAM down = LPARAM(MapVirtualKeyA(vk, MAPVK_VK_TO_VSC) << 16) | 1;
  LPARAM up = down | LPARAM(0xC0000000u);
  return PostMessageA(focus, WM_KEYDOWN, vk, down) && PostMessageA(focus, WM_KEYUP, vk, up);
}

bool PostChars(const std::string& text) {
  HWND focus = GetFocus();
  if (!focus) return false;
  for (char c : text) {
    if (!PostMessageA(focus, WM_CHAR, WPARAM(static_cast<unsigned char>(c)), 1)) return false;
  }
  return true;
}

bool TypeChars(const std::string& text) {
  if (!PostChars(text)) return false;
  // One pass of the pump takes every message queued so far.
  int passes = 0;
  PumpUntil([&passes] { return passes++ > 0; });
  return true;
}

bool PostButtonClick(HWND dialog, int id) {
  HWND button = GetDlgItem(dialog, id);
  return button && PostMessageA(button, BM_CLICK, 0, 0);
}

bool PostClose(HWND window) { return PostMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0) != FALSE; }

int FocusedControlId(HWND dialog) {
  HWND child = GetFocus();
  while (child && child != dialog) {
    HWND parent = GetAncestor(child, GA_PARENT);
    if (parent == dialog) return GetDlgCtrlID(child);
    if (!parent || parent == GetDesktopWindow()) break;
    child = parent;
  }
  return 0;
}

std::vector<std::string> ComboEntries(HWND combo) {
  std::vector<std::string> entries;
  int count = int(SendMessageA(combo, CB_GETCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    int length = int(SendMessageA(combo, CB_GETLBTEXTLEN, WPARAM(i), 0));
    if (length < 0) length = 0;
    std::vector<char> text(std::size_t(length) + 1, '\0');
    SendMessageA(combo, CB_GETLBTEXT, WPARAM(i), LPARAM(text.data()));
    entries.emplace_back(text.data());
  }
  return entries;
}

RECT ScreenRect(HWND window) {
  RECT rect{};
  GetWindowRect(window, &rect);
  return rect;
}

POINT CentreOf(HWND window) {
  RECT rect = ScreenRect(window);
  return POINT{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}

namespace {

// Every event carries its position: a program in another process may
// still see the pointer where it was before (at its start, the middle of
// the screen), and a click that took its place from there would land
// elsewhere.
bool Click(POINT screen, DWORD down, DWORD up, bool twice) {
  if (!SetCursorPos(screen.x, screen.y)) return false;
  const int width = GetSystemMetrics(SM_CXSCREEN);
  const int height = GetSystemMetrics(SM_CYSCREEN);
  auto event = [&](DWORD flags) {
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dx = LONG((screen.x * 65536LL + width / 2) / width);
    input.mi.dy = LONG((screen.y * 65536LL + height / 2) / height);
    input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | flags;
    return input;
  };
  INPUT move = event(0);
  if (SendInput(1, &move, sizeof(INPUT)) != 1) return false;
  Sleep(50);  // let another process take the move before the buttons
  INPUT clicks[4] = {event(down), event(up), event(down), event(up)};
  const UINT count = twice ? 4 : 2;
  return SendInput(count, clicks, sizeof(INPUT)) == count;
}

}  // namespace

bool ClickAt(POINT screen, bool doubleClick) {
  return Click(screen, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP, doubleClick);
}

bool RightClickAt(POINT screen) { return Click(screen, MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP, false); }

bool MakeForeground(HWND window, DWORD timeoutMs) {
  SetForegroundWindow(window);
  return PumpUntil([window] { return GetForegroundWindow() == window; }, timeoutMs);
}

bool SendKey(WORD vk, WORD modifier) {
  INPUT inputs[4] = {};
  UINT count = 0;
  auto key = [&](WORD code, DWORD flags) {
    INPUT& input = inputs[count++];
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = code;
    input.ki.wScan = WORD(MapVirtualKeyA(code, MAPVK_VK_TO_VSC));
    input.ki.dwFlags = flags;
  };
  if (modifier) key(modifier, 0);
  key(vk, 0);
  key(vk, KEYEVENTF_KEYUP);
  if (modifier) key(modifier, KEYEVENTF_KEYUP);
  return SendInput(count, inputs, sizeof(INPUT)) == count;
}

// --- MenuPick ----------------------------------------------------------------

struct MenuPick::State {
  std::vector<int> path;
  DWORD timeoutMs;
  std::function<void()> onLast;
  UINT_PTR timer = 0;
  DWORD firstSeen = 0;  // tick count; 0: not yet
  std::size_t level = 0;
  std::vector<HMENU> menus;  // by level, as reached
  std::vector<std::vector<std::string>> items;
  std::vector<RECT> rects;
  bool done = false;
  // The highlight when the last key went out; the next waits for a change.
  int sentAtLevel = -1;
  int sentAtItem = -1;
  DWORD sentAt = 0;
};

namespace {

constexpr UINT kMenuPollMs = 15;
constexpr DWORD kKeyWaitMs = 500;        // a key not taken by then is sent again
constexpr UINT kGetMenuHandle = 0x01E1;  // MN_GETHMENU: a menu window's menu
MenuPick::State* gMenuPick = nullptr;

BOOL CALLBACK AddMenuWindow(HWND hwnd, LPARAM list) {
  char name[16] = {};
  GetClassNameA(hwnd, name, sizeof name);
  if (std::strcmp(name, "#32768") == 0 && IsWindowVisible(hwnd))
    reinterpret_cast<std::vector<HWND>*>(list)->push_back(hwnd);
  return TRUE;
}

HWND MenuWindowOf(HMENU menu) {
  for (HWND window : OpenMenuWindows()) {
    if (menu == nullptr || HMENU(SendMessageA(window, kGetMenuHandle, 0, 0)) == menu) return window;
  }
  return nullptr;
}

std::string Utf8(const wchar_t* text) {
  char buffer[256] = {};
  WideCharToMultiByte(CP_UTF8, 0, text, -1, buffer, sizeof buffer - 1, nullptr, nullptr);
  return buffer;
}

std::vector<std::string> DescribeItems(HMENU menu) {
  std::vector<std::string> items;
  const int count = GetMenuItemCount(menu);
  for (int i = 0; i < count; ++i) {
    wchar_t text[128] = {};
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_SUBMENU | MIIM_STRING;
    info.dwTypeData = text;
    info.cch = sizeof text / sizeof text[0];
    GetMenuItemInfoW(menu, UINT(i), TRUE, &info);
    if (info.fType & MFT_SEPARATOR) {
      items.push_back("-");
      continue;
    }
    std::string item = (info.fState & MFS_DEFAULT) ? "!" : "";
    if (info.fState & MFS_CHECKED) item += "*";
    item += Utf8(text);
    if (info.hSubMenu) item += " >";
    items.push_back(item);
  }
  return items;
}

int HighlightedItem(HMENU menu) {
  const int count = GetMenuItemCount(menu);
  for (int i = 0; i < count; ++i) {
    if (GetMenuState(menu, UINT(i), MF_BYPOSITION) & MF_HILITE) return i;
  }
  return -1;
}

void CALLBACK MenuPickTick(HWND, UINT, UINT_PTR, DWORD) {
  MenuPick::State* pick = gMenuPick;
  if (!pick || pick->done) return;
  const std::size_t level = pick->level;
  HMENU expected = level == 0 ? nullptr : GetSubMenu(pick->menus[level - 1], pick->path[level - 1]);
  HWND window = MenuWindowOf(expected);
  if (pick->firstSeen != 0 && GetTickCount() - pick->firstSeen > pick->timeoutMs) {
    ADD_FAILURE() << "the menu was still open after " << pick->timeoutMs << " ms; closing it";
    pick->done = true;
    EndMenu();
    return;
  }
  if (!window) {
    // Keyboard menu mode without a popup: F10 on the caption's system menu,
    // which Wine also enters when Shift+F10 is let go and no menu opened.
    // Only a pick that expects no menu ends it.
    GUITHREADINFO thread{};
    thread.cbSize = sizeof thread;
    if (pick->path.empty() && GetGUIThreadInfo(GetCurrentThreadId(), &thread) &&
        (thread.flags & GUI_INMENUMODE) && GetTickCount() - pick->sentAt >= kKeyWaitMs) {
      pick->sentAt = GetTickCount();
      SendKey(VK_ESCAPE);
    }
    return;  // no popup up yet
  }
  if (pick->menus.size() == level) {
    HMENU menu = HMENU(SendMessageA(window, kGetMenuHandle, 0, 0));
    pick->menus.push_back(menu);
    pick->items.push_back(DescribeItems(menu));
    RECT rect{};
    GetWindowRect(window, &rect);
    pick->rects.push_back(rect);
    if (level == 0) {
      pick->firstSeen = GetTickCount();
      // A pointer resting over the menu, or its submenus later, would
      // highlight the item under it: off to the screen's far corner.
      const int width = GetSystemMetrics(SM_CXSCREEN);
      const int height = GetSystemMetrics(SM_CYSCREEN);
      SetCursorPos(rect.left > width / 2 ? 0 : width - 1, rect.top > height / 2 ? 0 : height - 1);
      return;  // let the move be taken first
    }
  }
  if (pick->path.empty()) {
    SendKey(VK_ESCAPE);
    pick->done = true;
    return;
  }
  const int highlighted = HighlightedItem(pick->menus[level]);
  const bool unchanged = pick->sentAtLevel == int(level) && pick->sentAtItem == highlighted;
  if (unchanged && GetTickCount() - pick->sentAt < kKeyWaitMs) return;  // the last key is on its way

  WORD key = VK_DOWN;
  if (highlighted == pick->path[level]) {
    const bool last = level + 1 == pick->path.size();
    key = last ? VK_RETURN : VK_RIGHT;
    if (last) {
      if (pick->onLast) pick->onLast();
      pick->done = true;
    } else {
      ++pick->level;
    }
  }
  pick->sentAtLevel = int(level);
  pick->sentAtItem = highlighted;
  pick->sentAt = GetTickCount();
  SendKey(key);
}

}  // namespace

MenuPick::MenuPick(std::vector<int> path, DWORD timeoutMs, std::function<void()> onLast)
    : state_(new State) {
  EXPECT_EQ(gMenuPick, nullptr) << "only one MenuPick at a time";
  state_->path = std::move(path);
  state_->timeoutMs = timeoutMs;
  state_->onLast = std::move(onLast);
  gMenuPick = state_;
  // A thread timer: TrackPopupMenu's loop dispatches it like any other.
  state_->timer = SetTimer(nullptr, 0, kMenuPollMs, MenuPickTick);
}

MenuPick::~MenuPick() {
  KillTimer(nullptr, state_->timer);
  gMenuPick = nullptr;
  delete state_;
}

bool MenuPick::Seen() const { return state_->firstSeen != 0; }
bool MenuPick::Done() const { return state_->done; }

std::vector<std::string> MenuPick::Items(std::size_t level) const {
  return level < state_->items.size() ? state_->items[level] : std::vector<std::string>{};
}

RECT MenuPick::Where(std::size_t level) const {
  return level < state_->rects.size() ? state_->rects[level] : RECT{};
}

bool SaveWindowBitmap(HWND window, const std::string& path) {
  return SaveWindowsBitmap({window}, path);
}

bool SaveWindowsBitmap(const std::vector<HWND>& windows, const std::string& path) {
  RECT area{};
  for (HWND window : windows) {
    RedrawWindow(window, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    const RECT rect = ScreenRect(window);
    UnionRect(&area, &area, &rect);
  }
  const int width = area.right - area.left;
  const int height = area.bottom - area.top;
  if (width <= 0 || height <= 0) return false;

  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = height;  // bottom-up, as the file stores it
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HDC memory = CreateCompatibleDC(nullptr);
  HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  bool captured = bitmap && bits;
  if (captured) {
    HGDIOBJ previous = SelectObject(memory, bitmap);
    PatBlt(memory, 0, 0, width, height, WHITENESS);
    // Each window from its own DC: the screen's would not show them all.
    for (HWND window : windows) {
      const RECT rect = ScreenRect(window);
      HDC source = GetWindowDC(window);
      captured = BitBlt(memory, rect.left - area.left, rect.top - area.top, rect.right - rect.left,
                        rect.bottom - rect.top, source, 0, 0, SRCCOPY) &&
                 captured;
      ReleaseDC(window, source);
    }
    GdiFlush();
    SelectObject(memory, previous);
  }
  DeleteDC(memory);

  bool written = false;
  if (captured) {
    DWORD stride = (DWORD(width) * 3 + 3) & ~3u;  // rows are padded to 4 bytes
    DWORD imageSize = stride * DWORD(height);
    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;  // "BM"
    file.bfOffBits = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
    file.bfSize = file.bfOffBits + imageSize;
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(&file), sizeof file);
    out.write(reinterpret_cast<const char*>(&info.bmiHeader), sizeof info.bmiHeader);
    out.write(static_cast<const char*>(bits), std::streamsize(imageSize));
    written = bool(out);
  }
  if (bitmap) DeleteObject(bitmap);
  return written;
}

std::vector<HWND> OpenMenuWindows() {
  std::vector<HWND> windows;
  EnumThreadWindows(GetCurrentThreadId(), AddMenuWindow, LPARAM(&windows));
  return std::vector<HWND>(windows.rbegin(), windows.rend());
}

}  // namespace klangrid::test
