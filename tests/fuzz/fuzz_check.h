// A check inside a libFuzzer target: a failed one aborts, so libFuzzer
// saves the input that broke it.
#pragma once

#include <cstdio>
#include <cstdlib>

#define FUZZ_CHECK(condition)                                                  \
    do {                                                                       \
        if (!(condition)) {                                                    \
            std::fprintf(stderr, "check failed: %s (line %d)\n", #condition, __LINE__); \
            std::abort();                                                      \
        }                                                                      \
    } while (0)
