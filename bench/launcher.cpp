// Start-up timer: starts each program in turn, measures from CreateProcess
// until its main window is visible and the program is idle, closes it the
// way the close box does (nothing is written), and prints the figures.
//
// Usage: launcher RUNS BASELINE... PROGRAM
// One unmeasured round comes first, so that no program pays for the files
// still being cold; then RUNS rounds, each running every BASELINE in turn,
// then PROGRAM. Prints the ratio of PROGRAM's median to each baseline's,
// the last baseline's as the headline.
// Exit status 0 when every run worked, 1 otherwise; the figures themselves
// never fail it.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr DWORD kIdleTimeoutMs = 30000;
constexpr DWORD kWindowTimeoutMs = 30000;
constexpr DWORD kExitTimeoutMs = 10000;

// Wine hands a Unix path over as it was typed; CreateProcess wants one of
// the drive that maps the Unix root.
std::string WindowsPath(std::string path) {
  if (!path.empty() && path[0] == '/') path = "Z:" + path;
  std::replace(path.begin(), path.end(), '/', '\\');
  return path;
}

std::string BaseName(const std::string& path) {
  std::size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

struct WindowSearch {
  DWORD processId;
  HWND found;
};

BOOL CALLBACK MatchVisibleTopLevel(HWND hwnd, LPARAM lParam) {
  auto* search = reinterpret_cast<WindowSearch*>(lParam);
  DWORD owner = 0;
  GetWindowThreadProcessId(hwnd, &owner);
  if (owner == search->processId && IsWindowVisible(hwnd)) {
    search->found = hwnd;
    return FALSE;
  }
  return TRUE;
}

double Milliseconds(LARGE_INTEGER from, LARGE_INTEGER to) {
  static LARGE_INTEGER frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return f;
  }();
  return double(to.QuadPart - from.QuadPart) * 1000.0 / double(frequency.QuadPart);
}

// One start of program; the milliseconds until its window was up, or a
// negative value (and a message) when something went wrong.
double TimeOneStart(const std::string& program) {
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  std::string commandLine = "\"" + program + "\"";

  LARGE_INTEGER start;
  QueryPerformanceCounter(&start);
  if (!CreateProcessA(program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &process)) {
    std::fprintf(stderr, "cannot start %s (error %lu)\n", program.c_str(), GetLastError());
    return -1;
  }

  double elapsed = -1;
  HWND window = nullptr;
  if (WaitForInputIdle(process.hProcess, kIdleTimeoutMs) != 0) {
    std::fprintf(stderr, "%s did not become idle\n", program.c_str());
  } else {
    // A dialog made visible by its template is shown before the modal loop
    // idles, so this normally finds it at the first look.
    for (;;) {
      WindowSearch search{process.dwProcessId, nullptr};
      EnumWindows(MatchVisibleTopLevel, LPARAM(&search));
      LARGE_INTEGER now;
      QueryPerformanceCounter(&now);
      if (search.found) {
        window = search.found;
        elapsed = Milliseconds(start, now);
        break;
      }
      if (WaitForSingleObject(process.hProcess, 1) == WAIT_OBJECT_0) {
        std::fprintf(stderr, "%s ended before showing a window\n", program.c_str());
        break;
      }
      if (Milliseconds(start, now) > kWindowTimeoutMs) {
        std::fprintf(stderr, "%s showed no window\n", program.c_str());
        break;
      }
    }
  }

  // The close box's way out: the dialog cancels and writes nothing.
  if (window) PostMessageA(window, WM_CLOSE, 0, 0);
  if (WaitForSingleObject(process.hProcess, window ? kExitTimeoutMs : 0) != WAIT_OBJECT_0) {
    if (window) std::fprintf(stderr, "%s did not end after WM_CLOSE\n", program.c_str());
    TerminateProcess(process.hProcess, 1);
    WaitForSingleObject(process.hProcess, kExitTimeoutMs);
    elapsed = -1;
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return elapsed;
}

// Median of a sorted range [first, last).
double Median(const double* first, const double* last) {
  std::size_t n = std::size_t(last - first);
  return n % 2 ? first[n / 2] : (first[n / 2 - 1] + first[n / 2]) / 2;
}

struct Summary {
  double median, min, q1, q3, max;
};

// Quartiles as the medians of the lower and the upper half (the middle
// value of an odd count belongs to neither).
Summary Summarise(std::vector<double> times) {
  std::sort(times.begin(), times.end());
  const double* begin = times.data();
  const double* end = begin + times.size();
  std::size_t half = times.size() / 2;
  return {Median(begin, end), times.front(), Median(begin, begin + half),
          Median(end - half, end), times.back()};
}

}  // namespace

int main(int argc, char** argv) {
  int runs = argc >= 4 ? std::atoi(argv[1]) : 0;
  if (runs < 2) {
    std::fprintf(stderr, "usage: launcher RUNS BASELINE... PROGRAM (RUNS >= 2)\n");
    return 2;
  }
  std::vector<std::string> programs;
  for (int i = 2; i < argc; ++i) programs.push_back(WindowsPath(argv[i]));
  const std::size_t count = programs.size();
  std::vector<std::vector<double>> times(count);

  for (const std::string& program : programs) {
    if (TimeOneStart(program) < 0) return 1;
  }
  for (int round = 1; round <= runs; ++round) {
    for (std::size_t which = 0; which < count; ++which) {
      double ms = TimeOneStart(programs[which]);
      if (ms < 0) return 1;
      times[which].push_back(ms);
      std::printf("run %2d  %-20s %8.1f ms\n", round, BaseName(programs[which]).c_str(), ms);
      std::fflush(stdout);
    }
  }

  std::vector<Summary> summary;
  for (const std::vector<double>& t : times) summary.push_back(Summarise(t));
  std::printf("\n%-20s %5s %8s %8s %8s %8s %8s  (ms)\n", "program", "runs", "median", "min", "q1", "q3",
              "max");
  for (std::size_t which = 0; which < count; ++which) {
    const Summary& s = summary[which];
    std::printf("%-20s %5d %8.1f %8.1f %8.1f %8.1f %8.1f\n", BaseName(programs[which]).c_str(), runs,
                s.median, s.min, s.q1, s.q3, s.max);
  }
  const std::string program = BaseName(programs[count - 1]);
  for (std::size_t which = 0; which + 1 < count; ++which) {
    std::printf("ratio of medians %s / %s: %.2f\n", program.c_str(), BaseName(programs[which]).c_str(),
                summary[count - 1].median / summary[which].median);
  }
  std::printf("headline: %s takes %.2f times as long as %s\n", program.c_str(),
              summary[count - 1].median / summary[count - 2].median, BaseName(programs[count - 2]).c_str());
  return 0;
}
