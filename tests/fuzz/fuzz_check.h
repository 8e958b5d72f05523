#pragma once
// A fuzz target's assertion: a fact that must hold for every input. It
// aborts, which libFuzzer reports as a crash with the input that broke it,
// and stays in optimised builds, unlike assert.
#include <cstdio>
#include <cstdlib>

#define CHECK(cond)                                                          \
  do {                                                                       \
    if (!(cond)) {                                                           \
      std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, \
                   #cond);                                                   \
      std::abort();                                                          \
    }                                                                        \
  } while (0)
