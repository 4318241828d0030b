#include "whole_file.h"

#include "errors.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zoneinf {

namespace {

bool WriteAll(int descriptor, const std::string& text)
{
    size_t written = 0;
    while (written < text.size()) {
        const ssize_t count = ::write(descriptor, text.data() + written, text.size() - written);
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

[[noreturn]] void Fail(const std::string& path, int error)
{
    throw Failure(kExitWriteFailed, path + ": " + std::strerror(error));
}

}  // namespace

std::optional<std::string> ReadFileWhole(const std::filesystem::path& path)
{
    std::ifstream file(path, std::ios::binary);
    std::ostringstream bytes;
    if (!file || !(bytes << file.rdbuf())) {
        return std::nullopt;
    }
    return bytes.str();
}

void WriteFileWhole(const std::string& path, const std::string& text)
{
    std::string temporary = path + ".XXXXXX";
    const int descriptor = ::mkstemp(temporary.data());
    if (descriptor < 0) {
        Fail(path, errno);
    }
    // mkstemp makes the file 0600; the finished one gets the usual 0666 less umask.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    const bool written = ::fchmod(descriptor, 0666 & ~mask) == 0 && WriteAll(descriptor, text) &&
                         ::fsync(descriptor) == 0;
    const int error = errno;
    if (::close(descriptor) != 0 || !written) {
        const int closeError = written ? errno : error;
        ::unlink(temporary.c_str());
        Fail(path, closeError);
    }
    struct stat existing;
    if (::stat(path.c_str(), &existing) == 0 && S_ISDIR(existing.st_mode)) {
        ::unlink(temporary.c_str());
        Fail(path, EISDIR);
    }
    if (::rename(temporary.c_str(), path.c_str()) != 0) {
        const int renameError = errno;
        ::unlink(temporary.c_str());
        Fail(path, renameError);
    }
}

void WriteStandardOutput(const std::string& text)
{
    if (!WriteAll(STDOUT_FILENO, text)) {
        Fail("standard output", errno);
    }
}

}  // namespace zoneinf
