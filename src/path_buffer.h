// Fixed-size storage for every path and command line the tool builds.
#pragma once

#include <cstddef>

// MAX_PATH bytes: a NUL-terminated byte string of at most 259 characters,
// in the system's ANSI code page.
constexpr std::size_t kPathBufferSize = 260;
constexpr std::size_t kPathMaxLength = kPathBufferSize - 1;

struct PathBuffer {
    char text[kPathBufferSize];
};
