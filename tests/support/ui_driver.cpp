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
  ui::Dialog* dialog;
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

void OnDialogShown(ui::Dialog& dialog) {
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
  ui::Dialog::SetShownHook(OnDialogShown);
}

DialogScript::~DialogScript() {
  ui::Dialog::SetShownHook(nullptr);
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

bool ClickAt(POINT screen, bool doubleClick) {
  // Every event carries its position: a program in another process may
  // still see the pointer where it was before (at its start, the middle of
  // the screen), and a click that took its place from there would land
  // elsewhere.
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
  INPUT clicks[4] = {event(MOUSEEVENTF_LEFTDOWN), event(MOUSEEVENTF_LEFTUP),
                     event(MOUSEEVENTF_LEFTDOWN), event(MOUSEEVENTF_LEFTUP)};
  const UINT count = doubleClick ? 4 : 2;
  return SendInput(count, clicks, sizeof(INPUT)) == count;
}

bool MakeForeground(HWND window, DWORD timeoutMs) {
  SetForegroundWindow(window);
  return PumpUntil([window] { return GetForegroundWindow() == window; }, timeoutMs);
}

bool SendKey(WORD vk) {
  INPUT inputs[2] = {};
  for (INPUT& input : inputs) {
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = vk;
    input.ki.wScan = WORD(MapVirtualKeyA(vk, MAPVK_VK_TO_VSC));
  }
  inputs[1].ki.dwFlags = KEYEVENTF_KEYUP;
  return SendInput(2, inputs, sizeof(INPUT)) == 2;
}

bool SaveWindowBitmap(HWND window, const std::string& path) {
  RedrawWindow(window, nullptr, nullptr,
               RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
  RECT rect = ScreenRect(window);
  int width = rect.right - rect.left;
  int height = rect.bottom - rect.top;
  if (width <= 0 || height <= 0) return false;

  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = height;  // bottom-up, as the file stores it
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HDC source = GetWindowDC(window);
  HDC memory = CreateCompatibleDC(source);
  HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  bool captured = false;
  if (bitmap && bits) {
    HGDIOBJ previous = SelectObject(memory, bitmap);
    captured = BitBlt(memory, 0, 0, width, height, source, 0, 0, SRCCOPY) != FALSE;
    GdiFlush();
    SelectObject(memory, previous);
  }
  DeleteDC(memory);
  ReleaseDC(window, source);

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

}  // namespace klangrid::test
