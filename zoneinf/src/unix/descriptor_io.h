// Whole buffers to and from a descriptor, shared by unix/'s readers and
// writers.
#pragma once

#include <algorithm>
#include <cerrno>
#include <string>
#include <unistd.h>

namespace zoneinf {

// write() until every byte is out, again after an interrupted call; false
// on any other failure (errno tells which) or a write of nothing.
inline bool WriteAll(int descriptor, const std::string& bytes)
{
    for (size_t written = 0; written < bytes.size();) {
        const ssize_t count = ::write(descriptor, bytes.data() + written, bytes.size() - written);
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count <= 0) {
            return false;
        }
        written += size_t(count);
    }
    return true;
}

// read() to the end into `bytes`, again after an interrupted call, at most
// `limit` bytes and one more (so a caller sees a file over its bound);
// false on a failure of read() (errno tells which).
inline bool ReadAll(int descriptor, std::string& bytes, size_t limit)
{
    char block[65536];
    while (bytes.size() <= limit) {
        const ssize_t count = ::read(descriptor, block, std::min(sizeof block, limit + 1 - bytes.size()));
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count <= 0) {
            return count == 0;
        }
        bytes.append(block, size_t(count));
    }
    return true;
}

}  // namespace zoneinf
