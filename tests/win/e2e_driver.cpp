// End-to-end driver: launches the built program as a user would, gives it
// real keyboard and mouse input, waits for it to end and checks what it left
// in the registry.
//
//   e2e_driver SCENARIO PROGRAM      exit 0: passed, 1: failed, 77: skipped
//
// Scenarios live in the table at the end of this file; each starts from a
// registry state of its own making. The program writes below
// HKEY_LOCAL_MACHINE\SOFTWARE\Kestro, so scenarios must not run in parallel.
#include <windows.h>
// clang-format off
#include <commctrl.h>  // after windows.h
// clang-format on

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "model/map_tables.h"
#include "tests/support/bytes.h"
#include "tests/support/real_registry.h"
#include "tests/support/ui_driver.h"

namespace {

using klangrid::test::Bytes;
using klangrid::test::CreateKey;
using klangrid::test::DeleteTree;
using klangrid::test::HasKey;
using klangrid::test::ReadValue;
using klangrid::test::RegValue;
using klangrid::test::SubkeyNames;
using klangrid::test::ValueNames;

constexpr int kPassed = 0;
constexpr int kFailed = 1;
constexpr int kSkipped = 77;  // ctest's SKIP_RETURN_CODE

constexpr const char* kVendorKey = "SOFTWARE\\Kestro";
constexpr const char* kDriverKey = "SOFTWARE\\Kestro\\AudioDriver";
constexpr const char* kMainCaption = "Kestro Ostrel Synthesis Engine";
constexpr DWORD kWindowTimeoutMs = 30000;
constexpr DWORD kExitTimeoutMs = 10000;

// ---- The program under test ---------------------------------------------

// A path as Wine's emulator hands it over (a Unix one) becomes one of the
// drive that maps the Unix root; a Windows path stays as it is.
std::string WindowsPath(std::string path) {
  if (!path.empty() && path[0] == '/') path = "Z:" + path;
  std::replace(path.begin(), path.end(), '/', '\\');
  return path;
}

struct FindWindowOf {
  DWORD processId;
  HWND found;
};

BOOL CALLBACK MatchMainWindow(HWND hwnd, LPARAM lParam) {
  auto* search = reinterpret_cast<FindWindowOf*>(lParam);
  DWORD owner = 0;
  GetWindowThreadProcessId(hwnd, &owner);
  char caption[64] = {};
  GetWindowTextA(hwnd, caption, sizeof caption);
  if (owner == search->processId && IsWindowVisible(hwnd) && std::strcmp(caption, kMainCaption) == 0) {
    search->found = hwnd;
    return FALSE;
  }
  return TRUE;
}

class Session {
 public:
  explicit Session(std::string program) : program_(WindowsPath(std::move(program))) {}
  ~Session() { Stop(); }
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  // Starts the program; false when it cannot be started.
  bool Launch() {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    std::string commandLine = "\"" + program_ + "\"";
    started_ = GetTickCount();
    if (!CreateProcessA(program_.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &process_)) {
      Fail("cannot start " + program_ + " (error " + std::to_string(GetLastError()) + ")");
      return false;
    }
    return true;
  }

  // Waits until the main dialog is visible; its handle, or null on timeout.
  HWND WaitForWindow() {
    for (;;) {
      FindWindowOf search{process_.dwProcessId, nullptr};
      EnumWindows(MatchMainWindow, LPARAM(&search));
      if (search.found) {
        shownAfterMs_ = GetTickCount() - started_;
        return window_ = search.found;
      }
      if (WaitForSingleObject(process_.hProcess, 5) == WAIT_OBJECT_0) {
        Fail("the program ended before its window was shown");
        return nullptr;
      }
      if (GetTickCount() - started_ > kWindowTimeoutMs) {
        Fail("no window within " + std::to_string(kWindowTimeoutMs) + " ms");
        return nullptr;
      }
    }
  }
  const std::string& Program() const { return program_; }
  DWORD ShownAfterMs() const { return shownAfterMs_; }
  HWND Window() const { return window_; }

  // Real keyboard input goes to the foreground window only.
  bool BringToFront() {
    return klangrid::test::MakeForeground(window_, 3000);
  }

  // Waits for the program to end; false (and the process ended) on timeout.
  bool WaitForExit(DWORD* exitCode = nullptr) {
    if (WaitForSingleObject(process_.hProcess, kExitTimeoutMs) != WAIT_OBJECT_0) {
      Fail("the program did not end within " + std::to_string(kExitTimeoutMs) + " ms");
      Stop();
      return false;
    }
    if (exitCode) GetExitCodeProcess(process_.hProcess, exitCode);
    Close();
    return true;
  }

  void Check(bool condition, const std::string& what) {
    if (!condition) Fail(what);
  }
  void Fail(const std::string& what) {
    std::printf("FAILED: %s\n", what.c_str());
    ++failures_;
  }
  int Result() const { return failures_ == 0 ? kPassed : kFailed; }

  // Ends the program if it still runs.
  void Stop() {
    if (!process_.hProcess) return;
    if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT) {
      TerminateProcess(process_.hProcess, 1);
      WaitForSingleObject(process_.hProcess, kExitTimeoutMs);
    }
    Close();
  }

 private:
  void Close() {
    if (process_.hProcess) CloseHandle(process_.hProcess);
    if (process_.hThread) CloseHandle(process_.hThread);
    process_ = PROCESS_INFORMATION{};
  }

  std::string program_;
  PROCESS_INFORMATION process_{};
  DWORD started_ = 0;
  DWORD shownAfterMs_ = 0;
  HWND window_ = nullptr;
  int failures_ = 0;
};

// ---- Checks shared by scenarios -----------------------------------------

std::string SlotValueName(const char* base, int slot) { return base + std::to_string(slot); }

// The vendor key holds exactly the six factory maps.
void CheckFactoryKey(Session& s) {
  std::vector<std::string> expected;
  for (int slot = 0; slot < klangrid::kSlotCount; ++slot) {
    const std::string instrument = SlotValueName("Instrument", slot);
    const std::string percussion = SlotValueName("Percussion", slot);
    expected.push_back(instrument);
    expected.push_back(percussion);
    std::optional<RegValue> value = ReadValue(kVendorKey, instrument.c_str());
    s.Check(value && value->type == REG_BINARY &&
                value->data == Bytes(klangrid::kFactoryInstrument[slot],
                                     klangrid::kFactoryInstrument[slot] + klangrid::kInstrumentMaskSize),
            instrument + " in the factory key is not the factory map");
    value = ReadValue(kVendorKey, percussion.c_str());
    s.Check(value && value->type == REG_BINARY &&
                value->data == Bytes(klangrid::kFactoryPercussion[slot],
                                     klangrid::kFactoryPercussion[slot] + klangrid::kPercussionMaskSize),
            percussion + " in the factory key is not the factory map");
  }
  std::sort(expected.begin(), expected.end());
  s.Check(ValueNames(kVendorKey) == expected, "the factory key holds values besides the six maps");
}

// Launches, waits for the window and presses Esc with the real keyboard.
// kPassed when the program ended after it; otherwise the scenario's result.
int LaunchAndEscape(Session& s) {
  if (!s.Launch() || !s.WaitForWindow()) return kFailed;
  if (!s.BringToFront()) {
    std::printf("skipped: the system keeps another window in the foreground, so real keys "
                "would not reach the program\n");
    return kSkipped;
  }
  if (!klangrid::test::SendKey(VK_ESCAPE)) {
    s.Fail("keyboard input was not taken");
    return kFailed;
  }
  DWORD exitCode = 1;
  if (!s.WaitForExit(&exitCode)) return kFailed;
  s.Check(exitCode == 0, "exit code " + std::to_string(exitCode));
  return kPassed;
}

// ---- Scenarios ----------------------------------------------------------

// First start on a machine without any of our keys: Esc leaves exactly the
// factory key, and no driver key is made up.
int EscapeOnFreshMachine(Session& s) {
  if (!DeleteTree(kVendorKey)) {
    s.Fail("cannot clear the vendor key");
    return kFailed;
  }
  int result = LaunchAndEscape(s);
  if (result != kPassed) return result;
  CheckFactoryKey(s);
  s.Check(!HasKey(kDriverKey), "the driver key was created; it is only ever opened");
  s.Check(SubkeyNames(kVendorKey).empty(), "a key was created below the vendor key");
  return s.Result();
}

// With the driver's empty key in place, as its installer leaves it: Esc
// writes nothing to it.
int EscapeWithDriverKey(Session& s) {
  if (!DeleteTree(kVendorKey) || !CreateKey(kDriverKey)) {
    s.Fail("cannot prepare the driver key");
    return kFailed;
  }
  int result = LaunchAndEscape(s);
  if (result != kPassed) return result;
  CheckFactoryKey(s);
  s.Check(ValueNames(kDriverKey).empty(), "Esc wrote to the driver key");
  s.Check(SubkeyNames(kDriverKey).empty(), "Esc created a scheme");
  s.Check(SubkeyNames(kVendorKey) == std::vector<std::string>{"AudioDriver"},
          "unexpected keys below the vendor key");
  return s.Result();
}

// Not a test: start-up time from process start to the window shown, over
// several runs, and the median. Each run is closed through its close box.
int StartupTime(Session& s) {
  constexpr int kRuns = 7;
  std::vector<DWORD> times;
  for (int run = 0; run < kRuns; ++run) {
    Session one(s.Program());
    if (!one.Launch() || !one.WaitForWindow()) return kFailed;
    times.push_back(one.ShownAfterMs());
    PostMessageA(one.Window(), WM_SYSCOMMAND, SC_CLOSE, 0);
    if (!one.WaitForExit()) return kFailed;
    std::printf("run %d: window shown after %lu ms\n", run + 1, static_cast<unsigned long>(times.back()));
  }
  std::sort(times.begin(), times.end());
  std::printf("median: %lu ms\n", static_cast<unsigned long>(times[kRuns / 2]));
  return kPassed;
}

// ---- Editing through the dialogs -----------------------------------------

constexpr int kInstrumentList = 1002;  // ids of the program's templates
constexpr int kSchemeCombo = 1005;
constexpr int kSaveAsButton = 1007;
constexpr int kDeviceCombo = 1004;
constexpr int kViolin = 40;

struct FindCaption {
  DWORD processId;
  const char* caption;
  HWND found;
};

BOOL CALLBACK MatchCaption(HWND hwnd, LPARAM lParam) {
  auto* search = reinterpret_cast<FindCaption*>(lParam);
  DWORD owner = 0;
  GetWindowThreadProcessId(hwnd, &owner);
  char caption[64] = {};
  GetWindowTextA(hwnd, caption, sizeof caption);
  if (owner == search->processId && IsWindowVisible(hwnd) && std::strcmp(caption, search->caption) == 0) {
    search->found = hwnd;
    return FALSE;
  }
  return TRUE;
}

// A visible top-level window of the program with that caption, or null
// once the wait is over.
HWND WaitForDialog(HWND mainWindow, const char* caption) {
  FindCaption search{0, caption, nullptr};
  GetWindowThreadProcessId(mainWindow, &search.processId);
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < kWindowTimeoutMs) {
    EnumWindows(MatchCaption, LPARAM(&search));
    if (search.found) return search.found;
    Sleep(10);
  }
  return nullptr;
}

bool WaitUntil(const std::function<bool()>& done, DWORD timeoutMs = 5000) {
  const DWORD start = GetTickCount();
  while (!done()) {
    if (GetTickCount() - start >= timeoutMs) return false;
    Sleep(10);
  }
  return true;
}

// The rectangle of a row's first column in screen coordinates. The list
// belongs to another process, and LVM_GETITEMRECT is not carried across
// processes, so the rectangle travels through memory allocated there.
bool RowRect(HWND list, int row, RECT* screen) {
  DWORD processId = 0;
  GetWindowThreadProcessId(list, &processId);
  HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, processId);
  if (!process) return false;
  void* remote = VirtualAllocEx(process, nullptr, sizeof(RECT), MEM_COMMIT, PAGE_READWRITE);
  RECT rect{};
  rect.left = LVIR_LABEL;
  const bool ok = remote && WriteProcessMemory(process, remote, &rect, sizeof rect, nullptr) &&
                  SendMessageA(list, LVM_GETITEMRECT, WPARAM(row), LPARAM(remote)) &&
                  ReadProcessMemory(process, remote, &rect, sizeof rect, nullptr);
  if (remote) VirtualFreeEx(process, remote, 0, MEM_RELEASE);
  CloseHandle(process);
  if (!ok) return false;
  MapWindowPoints(list, nullptr, reinterpret_cast<POINT*>(&rect), 2);
  *screen = rect;
  return true;
}

// Types text with the real keyboard, Shift included where a character
// needs it.
bool TypeText(const std::string& text) {
  for (char c : text) {
    const SHORT scan = VkKeyScanA(c);
    if (scan == -1) return false;
    const bool shift = (scan & 0x0100) != 0;
    INPUT inputs[4] = {};
    UINT count = 0;
    auto key = [&](WORD vk, DWORD flags) {
      inputs[count].type = INPUT_KEYBOARD;
      inputs[count].ki.wVk = vk;
      inputs[count].ki.wScan = WORD(MapVirtualKeyA(vk, MAPVK_VK_TO_VSC));
      inputs[count].ki.dwFlags = flags;
      ++count;
    };
    if (shift) key(VK_SHIFT, 0);
    key(WORD(scan & 0xFF), 0);
    key(WORD(scan & 0xFF), KEYEVENTF_KEYUP);
    if (shift) key(VK_SHIFT, KEYEVENTF_KEYUP);
    if (SendInput(count, inputs, sizeof(INPUT)) != count) return false;
  }
  return true;
}

bool ClickButton(HWND dialog, int id) {
  HWND button = GetDlgItem(dialog, id);
  return button && klangrid::test::ClickAt(klangrid::test::CentreOf(button));
}

// The typical edit: double-click row 40 ("Violin") of the instruments
// list, pick the third device in the device dialog, press its OK. kPassed
// when the row shows the third device afterwards.
int RouteViolinToThirdDevice(Session& s) {
  HWND list = GetDlgItem(s.Window(), kInstrumentList);
  SendMessageA(list, LVM_ENSUREVISIBLE, kViolin, FALSE);  // as the user scrolls to it
  RECT row{};
  if (!RowRect(list, kViolin, &row)) {
    s.Fail("cannot find row 40 on the screen");
    return kFailed;
  }
  const POINT centre{(row.left + row.right) / 2, (row.top + row.bottom) / 2};
  if (!klangrid::test::ClickAt(centre, true)) {
    s.Fail("mouse input was not taken");
    return kFailed;
  }
  HWND devices = WaitForDialog(s.Window(), "MIDI Device Selection");
  if (!devices) {
    s.Fail("the double-click opened no device dialog");
    return kFailed;
  }
  if (SendMessageA(list, LVM_GETNEXTITEM, WPARAM(-1), LVNI_SELECTED) != kViolin) {
    s.Fail("the double-click did not select row 40");
    return kFailed;
  }
  // The dialog opens on OK; Tab twice reaches the device list, whose
  // entries stand in slot order.
  HWND combo = GetDlgItem(devices, kDeviceCombo);
  if (!klangrid::test::MakeForeground(devices, 3000)) {
    std::printf("skipped: the device dialog cannot be brought to the foreground\n");
    return kSkipped;
  }
  for (WORD vk : {WORD(VK_TAB), WORD(VK_TAB), WORD(VK_DOWN), WORD(VK_DOWN)}) klangrid::test::SendKey(vk);
  if (!WaitUntil([&] { return SendMessageA(combo, CB_GETCURSEL, 0, 0) == 2; })) {
    s.Fail("the third device could not be chosen");
    return kFailed;
  }
  ClickButton(devices, IDOK);
  if (!WaitUntil([&] { return !IsWindow(devices) || !IsWindowVisible(devices); })) {
    s.Fail("the device dialog stayed open");
    return kFailed;
  }
  return kPassed;
}

// The active key (and with saved, the jazz scheme) holds the factory maps
// with program 40 on slot 2: bit 40 is bit 0 of byte 16-1-5 = 10.
void CheckViolinOnThirdDevice(Session& s, const std::string& key) {
  klangrid::MapTables expected;
  expected.AssignRow(klangrid::RowKind::Instrument, kViolin, 2);
  for (int slot = 0; slot < klangrid::kSlotCount; ++slot) {
    const std::string instrument = SlotValueName("Instrument", slot);
    std::optional<RegValue> value = ReadValue(key, instrument.c_str());
    if (!value || value->data.size() != klangrid::kInstrumentMaskSize) {
      s.Fail(key + ": " + instrument + " missing or of the wrong size");
      continue;
    }
    s.Check(((value->data[10] & 0x01) != 0) == (slot == 2),
            key + ": bit 40 of " + instrument + " is " + ((value->data[10] & 0x01) ? "set" : "clear"));
    s.Check(value->type == REG_BINARY &&
                value->data == Bytes(expected.instrument[slot], expected.instrument[slot] + klangrid::kInstrumentMaskSize),
            key + ": " + instrument + " differs from the edited map elsewhere too");
    const std::string percussion = SlotValueName("Percussion", slot);
    value = ReadValue(key, percussion.c_str());
    s.Check(value && value->data == Bytes(expected.percussion[slot],
                                          expected.percussion[slot] + klangrid::kPercussionMaskSize),
            key + ": " + percussion + " is not the factory map");
  }
}

void CheckSchemeValue(Session& s, const std::string& name) {
  Bytes expected(20, 0);
  std::memcpy(expected.data(), name.data(), name.size());
  std::optional<RegValue> value = ReadValue(kDriverKey, "Scheme");
  s.Check(value && value->type == REG_SZ && value->data == expected,
          "\"Scheme\" is not \"" + name + "\" in exactly 20 bytes");
}

// Presses the main dialog's OK with the mouse and waits for the end.
int PressOkAndWait(Session& s) {
  if (!ClickButton(s.Window(), IDOK)) {
    s.Fail("mouse input was not taken");
    return kFailed;
  }
  DWORD exitCode = 1;
  if (!s.WaitForExit(&exitCode)) return kFailed;
  s.Check(exitCode == 0, "exit code " + std::to_string(exitCode));
  return kPassed;
}

int LaunchWithDriverKey(Session& s) {
  if (!DeleteTree(kVendorKey) || !CreateKey(kDriverKey)) {
    s.Fail("cannot prepare the driver key");
    return kFailed;
  }
  if (!s.Launch() || !s.WaitForWindow()) return kFailed;
  if (!s.BringToFront()) {
    std::printf("skipped: the system keeps another window in the foreground, so real input "
                "would not reach the program\n");
    return kSkipped;
  }
  return kPassed;
}

// Double-click Violin, choose the third device, OK, OK: the driver finds
// program 40 on slot 2 and no active scheme.
int TypicalEdit(Session& s) {
  int result = LaunchWithDriverKey(s);
  if (result == kPassed) result = RouteViolinToThirdDevice(s);
  if (result == kPassed) result = PressOkAndWait(s);
  if (result != kPassed) return result;
  CheckViolinOnThirdDevice(s, kDriverKey);
  CheckSchemeValue(s, "");
  s.Check(SubkeyNames(kDriverKey).empty(), "OK created a scheme");
  return s.Result();
}

// The same edit saved as "Jazz", then OK: the scheme jazz and the active
// key both hold it, and jazz is the active scheme.
int SaveAsThenOk(Session& s) {
  int result = LaunchWithDriverKey(s);
  if (result == kPassed) result = RouteViolinToThirdDevice(s);
  if (result != kPassed) return result;
  if (!ClickButton(s.Window(), kSaveAsButton)) {
    s.Fail("mouse input was not taken");
    return kFailed;
  }
  HWND saveAs = WaitForDialog(s.Window(), "SaveAs");
  if (!saveAs || !klangrid::test::MakeForeground(saveAs, 3000)) {
    s.Fail("no SaveAs dialog in the foreground");
    return kFailed;
  }
  TypeText("Jazz");
  klangrid::test::SendKey(VK_RETURN);
  HWND combo = GetDlgItem(s.Window(), kSchemeCombo);
  // GetWindowText would not ask a window of another process for its text.
  if (!WaitUntil([&] {
        char text[32] = {};
        SendMessageA(combo, WM_GETTEXT, sizeof text, LPARAM(text));
        return std::strcmp(text, "jazz") == 0;
      })) {
    s.Fail("the saved scheme is not shown as selected");
    return kFailed;
  }
  result = PressOkAndWait(s);
  if (result != kPassed) return result;
  s.Check(SubkeyNames(kDriverKey) == std::vector<std::string>{"jazz"}, "the scheme key is not jazz alone");
  CheckViolinOnThirdDevice(s, std::string(kDriverKey) + "\\jazz");
  CheckViolinOnThirdDevice(s, kDriverKey);
  CheckSchemeValue(s, "jazz");
  return s.Result();
}

struct Scenario {
  const char* name;
  int (*run)(Session&);
};

const Scenario kScenarios[] = {
    {"escape-fresh", EscapeOnFreshMachine},
    {"escape-driver-key", EscapeWithDriverKey},
    {"startup-time", StartupTime},
    {"typical-edit", TypicalEdit},
    {"saveas-then-ok", SaveAsThenOk},
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::printf("usage: e2e_driver SCENARIO PROGRAM\nscenarios:");
    for (const Scenario& scenario : kScenarios) std::printf(" %s", scenario.name);
    std::printf("\n");
    return kFailed;
  }
  for (const Scenario& scenario : kScenarios) {
    if (std::strcmp(scenario.name, argv[1]) != 0) continue;
    Session session(argv[2]);
    int result = scenario.run(session);
    if (result == kPassed) result = session.Result();
    std::printf("%s: %s\n", scenario.name,
                result == kPassed ? "passed" : result == kSkipped ? "skipped" : "failed");
    return result;
  }
  std::printf("unknown scenario %s\n", argv[1]);
  return kFailed;
}
