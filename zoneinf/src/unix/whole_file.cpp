// Files on POSIX systems.
#include "base/whole_file.h"

#include "base/errors.h"
#include "base/messages.h"
#include "unix/interruption_guard.h"
#include "unix/descriptor_io.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace zoneinf {

namespace {

[[noreturn]] void Fail(const std::string& path, int error)
{
    throw Failure(kExitWriteFailed, path + ": " + std::strerror(error));
}

// The open descriptor a name stands for: /dev/stdout, /dev/stderr,
// /dev/stdin, /dev/fd/N, /proc/self/fd/N; -1 for any other name. Such a
// name is written through the descriptor itself: following its link would
// replace the file behind it, or fail on a pipe or a socket.
int DescriptorNamed(const std::string& path)
{
    static const std::pair<const char*, int> kStandard[] = {
        {"/dev/stdin", STDIN_FILENO}, {"/dev/stdout", STDOUT_FILENO}, {"/dev/stderr", STDERR_FILENO}};
    for (const auto& [name, descriptor] : kStandard) {
        if (path == name) {
            return descriptor;
        }
    }
    for (const char* folder : {"/dev/fd/", "/proc/self/fd/"}) {
        const size_t length = std::strlen(folder);
        if (path.compare(0, length, folder) != 0 || path.size() == length || path.size() > length + 9) {
            continue;
        }
        int descriptor = 0;
        for (size_t i = length; i < path.size(); ++i) {
            if (path[i] < '0' || path[i] > '9') {
                return -1;
            }
            descriptor = descriptor * 10 + (path[i] - '0');
        }
        return descriptor;
    }
    return -1;
}

// Through an open descriptor, from where it stands: appended where it was
// opened for append, at its position otherwise (as "cat > /dev/stdout"
// would), into a pipe or a socket as they are. The text is whole in memory
// already, so "whole or not at all" is one write loop.
void WriteToDescriptor(const std::string& path, int descriptor, const std::string& text)
{
    const int flags = ::fcntl(descriptor, F_GETFL);
    if (flags < 0) {
        Fail(path, errno);
    }
    if ((flags & O_ACCMODE) == O_RDONLY) {
        Fail(path, EBADF);
    }
    if (!WriteAll(descriptor, text)) {
        Fail(path, errno);
    }
}

// The file a name finally designates: symbolic links followed, each
// relative target taken from its link's folder. A missing last target is
// the name to create. Stops at a descriptor's name (see DescriptorNamed).
std::string FollowLinks(std::string path)
{
    for (int depth = 0; depth < 40; ++depth) {
        if (DescriptorNamed(path) >= 0) {
            return path;
        }
        std::array<char, PATH_MAX> target;
        const ssize_t length = ::readlink(path.c_str(), target.data(), target.size());
        if (length < 0 || size_t(length) >= target.size()) {
            return path;
        }
        const std::string next(target.data(), size_t(length));
        const size_t slash = path.rfind('/');
        path = next.front() == '/' || slash == std::string::npos ? next : path.substr(0, slash + 1) + next;
    }
    Fail(path, ELOOP);
}

// A socket is written to as a client of it, as to a device.
int ConnectTo(const std::string& path)
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path) {
        errno = ENAMETOOLONG;
        return -1;
    }
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    for (const int type : {SOCK_STREAM, SOCK_SEQPACKET, SOCK_DGRAM}) {
        const int descriptor = ::socket(AF_UNIX, type | SOCK_CLOEXEC, 0);
        if (descriptor >= 0 && ::connect(descriptor, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
            return descriptor;
        }
        const int error = errno;
        if (descriptor >= 0) {
            ::close(descriptor);
        }
        errno = error;
        if (error != EPROTOTYPE) {
            return -1;
        }
    }
    return -1;
}

void WriteDirectly(const std::string& path, const struct stat& target, const std::string& text)
{
    // Opened without waiting: a FIFO nobody reads is refused (ENXIO) rather
    // than waited on for ever; the transfer itself then blocks as usual.
    const int descriptor = S_ISSOCK(target.st_mode)
                               ? ConnectTo(path)
                               : ::open(path.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
    if (descriptor < 0 && errno == ENXIO && S_ISFIFO(target.st_mode)) {
        throw Failure(kExitWriteFailed, path + ": " + _("a FIFO nobody reads from"));
    }
    if (descriptor < 0 || (!S_ISSOCK(target.st_mode) && ::fcntl(descriptor, F_SETFL, 0) != 0)) {
        Fail(path, errno);
    }
    const bool written = WriteAll(descriptor, text);
    const int error = errno;
    if (::close(descriptor) != 0 || !written) {
        Fail(path, written ? errno : error);
    }
}

// The temporary file of the write under way, removed by the handler
// below if a signal interrupts the run. Async-signal-safe: a fixed
// buffer, filled before the file exists.
char temporaryName[PATH_MAX + 1];
extern "C" void RemoveTemporaryAndDie(int signal)
{
    ::unlink(temporaryName);
    ::signal(signal, SIG_DFL);
    ::raise(signal);
}

// The temporary name is emptied once the guard has restored the handlers.
struct ForgetTemporaryName {
    ~ForgetTemporaryName() { temporaryName[0] = '\0'; }
};

void ReplaceRegularFile(const std::string& path, const struct stat* existing, const std::string& text)
{
    // A short temporary name in the target's folder: the rename stays on
    // one file system, and a name that fits the folder leaves room for it.
    const size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "" : path.substr(0, slash + 1);
    const std::string pattern = folder + ".zoneinf-XXXXXX";
    if (pattern.size() > PATH_MAX) {
        Fail(path, ENAMETOOLONG);
    }
    const ForgetTemporaryName forget;
    const InterruptionGuard guard(RemoveTemporaryAndDie);
    std::memcpy(temporaryName, pattern.c_str(), pattern.size() + 1);
    sigset_t all, before;
    sigfillset(&all);
    ::sigprocmask(SIG_BLOCK, &all, &before);  // the name is complete before a handler can see it
    const int descriptor = ::mkstemp(temporaryName);
    const int openError = errno;
    ::sigprocmask(SIG_SETMASK, &before, nullptr);
    if (descriptor < 0) {
        temporaryName[0] = '\0';
        Fail(path, openError);
    }
    mode_t mode;
    if (existing) {
        mode = existing->st_mode & 07777;
        // As root, the replaced file keeps its owner too; otherwise it cannot.
        [[maybe_unused]] const int ignored = ::fchown(descriptor, existing->st_uid, existing->st_gid);
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    const bool written = ::fchmod(descriptor, mode) == 0 && WriteAll(descriptor, text) && ::fsync(descriptor) == 0;
    int error = errno;
    if (::close(descriptor) != 0 && written) {
        error = errno;
    } else if (written && ::rename(temporaryName, path.c_str()) == 0) {
        return;
    } else if (written) {
        error = errno;
    }
    ::unlink(temporaryName);
    Fail(path, error);
}

// The first byte of a FIFO (or pipe) opened without waiting: "" when its
// writer has written nothing yet, nullopt when nobody holds the other end
// (its end reached at once: nobody writes to a FIFO without a reader).
std::optional<std::string> FirstByte(int descriptor)
{
    char byte;
    ssize_t count;
    do {
        count = ::read(descriptor, &byte, 1);
    } while (count < 0 && errno == EINTR);
    if (count == 0) {
        return std::nullopt;
    }
    return count == 1 ? std::string(1, byte) : std::string();
}

}  // namespace

std::optional<std::string> ReadFileWhole(const std::filesystem::path& path)
{
    const int descriptor = ::open(path.c_str(), O_RDONLY | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
    if (descriptor < 0) {
        return std::nullopt;
    }
    struct stat status;
    const bool known = ::fstat(descriptor, &status) == 0;
    std::optional<std::string> first("");
    if (known && S_ISFIFO(status.st_mode)) {
        first = FirstByte(descriptor);
        if (!first) {
            ::close(descriptor);
            throw UnreadableInput(Utf8FromPath(path), _("a FIFO nobody writes to"));
        }
    }
    // Blocking reads again, where O_NONBLOCK counts: a regular file (every
    // zone of the database, read by the hundred) reads alike either way.
    if (!(known && S_ISREG(status.st_mode)) && ::fcntl(descriptor, F_SETFL, 0) != 0) {
        ::close(descriptor);
        return std::nullopt;
    }
    // Room for the size the file says it has (none for a device or a pipe).
    std::string bytes = std::move(*first);
    if (known && S_ISREG(status.st_mode)) {
        bytes.reserve(std::min<size_t>(size_t(status.st_size), kMaxInputBytes) + 1);
    }
    const bool read = ReadAll(descriptor, bytes, kMaxInputBytes);
    ::close(descriptor);
    if (!read) {
        return std::nullopt;
    }
    if (bytes.size() > kMaxInputBytes) {
        throw UnreadableInput(path.string(), Fill(_("over %1 MiB, larger than any input of zoneinf"),
                                                  {std::to_string(kMaxInputBytes >> 20)}));
    }
    return bytes;
}

void WriteFileWhole(const std::string& path, const std::string& text)
{
    const std::string target = FollowLinks(path);
    if (const int descriptor = DescriptorNamed(target); descriptor >= 0) {
        WriteToDescriptor(path, descriptor, text);
        return;
    }
    struct stat existing;
    if (::stat(target.c_str(), &existing) != 0) {
        if (errno != ENOENT) {
            Fail(path, errno);
        }
        ReplaceRegularFile(target, nullptr, text);
    } else if (S_ISDIR(existing.st_mode)) {
        Fail(path, EISDIR);
    } else if (S_ISREG(existing.st_mode)) {
        ReplaceRegularFile(target, &existing, text);
    } else {
        WriteDirectly(target, existing, text);
    }
}

void UseUtf8Output(bool)
{
    // Everything zoneinf writes here is UTF-8 already.
}

void WriteStandardOutput(const std::string& text)
{
    if (!WriteAll(STDOUT_FILENO, text)) {
        Fail(_("standard output"), errno);
    }
}

void WriteStandardError(const std::string& text)
{
    WriteAll(STDERR_FILENO, text);
}

std::vector<std::string> ProgramArguments(int argc, char** argv)
{
    return std::vector<std::string>(argv, argv + argc);
}

}  // namespace zoneinf
