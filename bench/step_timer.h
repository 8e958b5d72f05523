#pragma once
// Start-up steps, timed only in a build configured with KLANGRID_STEP_TIMING
// (the start-up benchmark's step table); in every other build MarkStep and
// WriteSteps are empty and nothing of this reaches the program.
//
// MarkStep records the milliseconds since the process was created, once per
// step name (a repeated name, such as a paint, keeps its first time).
// WriteSteps appends one line, "PROGRAM step=ms step=ms ...", to the file
// named by KLANGRID_STEP_LOG, and does nothing without it. The file is
// written only at the end, so the steps never wait on it.
#ifdef KLANGRID_STEP_TIMING
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#endif

namespace bench {

#ifdef KLANGRID_STEP_TIMING

struct Step {
  const char* name;
  LARGE_INTEGER at;
};

constexpr int kMaxSteps = 32;

struct StepLog {
  double originMs = -1;  // the first mark, in milliseconds after process creation
  LARGE_INTEGER first{};
  int count = 0;
  Step steps[kMaxSteps];
};

inline StepLog gStepLog;

inline void MarkStep(const char* name) {
  StepLog& log = gStepLog;
  for (int i = 0; i < log.count; ++i) {
    if (std::strcmp(log.steps[i].name, name) == 0) return;
  }
  if (log.count == kMaxSteps) return;
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  if (log.count == 0) {
    // Creation time and the precise clock are both system time in 100 ns.
    FILETIME created, exited, kernel, user, clock;
    GetSystemTimePreciseAsFileTime(&clock);
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    const auto ticks = [](FILETIME t) { return (ULONGLONG(t.dwHighDateTime) << 32) | t.dwLowDateTime; };
    log.originMs = double(LONGLONG(ticks(clock) - ticks(created))) / 10000.0;
    log.first = now;
  }
  log.steps[log.count++] = Step{name, now};
}

inline void WriteSteps() {
  const char* path = std::getenv("KLANGRID_STEP_LOG");
  if (!path || !*path) return;
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  char program[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, program, MAX_PATH - 1);
  const char* base = std::strrchr(program, '\\');
  std::FILE* file = std::fopen(path, "a");
  if (!file) return;
  std::fprintf(file, "%s", base ? base + 1 : program);
  const StepLog& log = gStepLog;
  for (int i = 0; i < log.count; ++i) {
    const double ms = log.originMs + double(log.steps[i].at.QuadPart - log.first.QuadPart) * 1000.0 /
                                         double(frequency.QuadPart);
    std::fprintf(file, " %s=%.2f", log.steps[i].name, ms);
  }
  std::fprintf(file, "\n");
  std::fclose(file);
}

#else

inline void MarkStep(const char*) {}
inline void WriteSteps() {}

#endif

}  // namespace bench
