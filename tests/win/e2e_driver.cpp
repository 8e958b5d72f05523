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

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "model/map_tables.h"
#include "tests/support/ui_driver.h"

namespace {

using Bytes = std::vector<unsigned char>;

constexpr int kPassed = 0;
constexpr int kFailed = 1;
constexpr int kSkipped = 77;  // ctest's SKIP_RETURN_CODE

constexpr const char* kVendorKey = "SOFTWARE\\Kestro";
constexpr const char* kDriverKey = "SOFTWARE\\Kestro\\AudioDriver";
constexpr const char* kMainCaption = "Kestro Ostrel Synthesis Engine";
constexpr DWORD kWindowTimeoutMs = 30000;
constexpr DWORD kExitTimeoutMs = 10000;

// ---- Registry, below HKEY_LOCAL_MACHINE ---------------------------------

// Deletes a key with everything below it; true when it is gone.
bool DeleteTree(const std::string& path) {
  HKEY key;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
    return true;  // nothing there
  }
  std::vector<std::string> children;
  char name[256];
  for (DWORD i = 0; RegEnumKeyA(key, i, name, sizeof name) == ERROR_SUCCESS; ++i) children.push_back(name);
  RegCloseKey(key);
  for (const std::string& child : children) DeleteTree(path + "\\" + child);
  return RegDeleteKeyA(HKEY_LOCAL_MACHINE, path.c_str()) == ERROR_SUCCESS;
}

bool CreateKey(const std::string& path) {
  HKEY key;
  if (RegCreateKeyA(HKEY_LOCAL_MACHINE, path.c_str(), &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

bool KeyExists(const std::string& path) {
  HKEY key;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

std::vector<std::string> SubkeyNames(const std::string& path) {
  std::vector<std::string> names;
  HKEY key;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return names;
  char name[256];
  for (DWORD i = 0; RegEnumKeyA(key, i, name, sizeof name) == ERROR_SUCCESS; ++i) names.push_back(name);
  RegCloseKey(key);
  return names;
}

std::vector<std::string> ValueNames(const std::string& path) {
  std::vector<std::string> names;
  HKEY key;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return names;
  for (DWORD i = 0;; ++i) {
    char name[256];
    DWORD size = sizeof name;
    if (RegEnumValueA(key, i, name, &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    names.push_back(name);
  }
  RegCloseKey(key);
  std::sort(names.begin(), names.end());
  return names;
}

struct Value {
  DWORD type;
  Bytes data;
};

std::optional<Value> ReadValue(const std::string& path, const char* name) {
  HKEY key;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  Value value{0, Bytes(1024)};
  DWORD size = DWORD(value.data.size());
  LONG status = RegQueryValueExA(key, name, nullptr, &value.type, value.data.data(), &size);
  RegCloseKey(key);
  if (status != ERROR_SUCCESS) return std::nullopt;
  value.data.resize(size);
  return value;
}

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
    std::optional<Value> value = ReadValue(kVendorKey, instrument.c_str());
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
  s.Check(!KeyExists(kDriverKey), "the driver key was created; it is only ever opened");
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

struct Scenario {
  const char* name;
  int (*run)(Session&);
};

const Scenario kScenarios[] = {
    {"escape-fresh", EscapeOnFreshMachine},
    {"escape-driver-key", EscapeWithDriverKey},
    {"startup-time", StartupTime},
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
