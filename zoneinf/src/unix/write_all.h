// Writing a whole buffer to a descriptor, shared by the writers of unix/.
#pragma once

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

}  // namespace zoneinf
