#include "unix/private_folder.h"

#include "base/errors.h"
#include "base/messages.h"
#include "unix/interruption_guard.h"
#include "unix/descriptor_io.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

namespace zoneinf {

namespace {

// Removes `name` in the folder `parent`, and everything in it when it is a
// folder, never following a link. System calls only, on fixed buffers, so
// that the signal handler below can use it too.
void RemoveTreeAt(int parent, const char* name, int depth)
{
    if (::unlinkat(parent, name, 0) == 0 || errno != EISDIR || depth > 16) {
        return;
    }
    const int folder = ::openat(parent, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (folder >= 0) {
        // Entries removed while the folder is read may make it skip
        // others: read it again until a pass finds nothing left.
        for (bool removed = true; removed;) {
            removed = false;
            alignas(dirent64) char entries[4096];
            for (ssize_t count; (count = ::getdents64(folder, entries, sizeof entries)) > 0;) {
                for (ssize_t at = 0; at < count;) {
                    const auto* entry = reinterpret_cast<const dirent64*>(entries + at);
                    at += entry->d_reclen;
                    const char* entryName = entry->d_name;
                    if (std::strcmp(entryName, ".") != 0 && std::strcmp(entryName, "..") != 0) {
                        RemoveTreeAt(folder, entryName, depth + 1);
                        removed = true;
                    }
                }
            }
            if (::lseek(folder, 0, SEEK_SET) != 0) {
                break;
            }
        }
        ::close(folder);
    }
    ::unlinkat(parent, name, AT_REMOVEDIR);
}

// The folder of the run, and the program running in it, for the handler.
char folderName[PATH_MAX + 1];
volatile sig_atomic_t runningChild = 0;
bool folderInUse = false;

extern "C" void RemoveFolderAndDie(int signal)
{
    if (runningChild > 0) {
        ::kill(runningChild, SIGKILL);
        ::waitpid(runningChild, nullptr, 0);
    }
    if (folderName[0] != '\0') {
        RemoveTreeAt(AT_FDCWD, folderName, 0);
    }
    ::signal(signal, SIG_DFL);
    ::raise(signal);
}

[[noreturn]] void FailIn(const std::string& path, int error)
{
    throw UnreadableInput(path, std::strerror(error));
}

// Blocks every signal for its lifetime: what the handler reads is made
// whole before it can run.
class SignalsHeld {
public:
    SignalsHeld()
    {
        sigset_t all;
        sigfillset(&all);
        ::sigprocmask(SIG_BLOCK, &all, &before_);
    }
    ~SignalsHeld() { ::sigprocmask(SIG_SETMASK, &before_, nullptr); }

private:
    sigset_t before_;
};

}  // namespace

PrivateFolder::PrivateFolder()
{
    if (folderInUse) {
        throw std::logic_error("one private folder at a time");
    }
    const char* temporary = std::getenv("TMPDIR");
    const std::string pattern =
        std::string(temporary && temporary[0] == '/' ? temporary : "/tmp") + "/zoneinf-XXXXXX";
    if (pattern.size() > PATH_MAX) {
        FailIn(pattern, ENAMETOOLONG);
    }
    guard_ = std::make_unique<InterruptionGuard>(RemoveFolderAndDie);
    int error = 0;
    {
        const SignalsHeld held;
        std::memcpy(folderName, pattern.c_str(), pattern.size() + 1);
        if (::mkdtemp(folderName) == nullptr) {
            error = errno;
            folderName[0] = '\0';
        }
    }
    if (error != 0) {
        guard_.reset();
        throw UnreadableInput(pattern.substr(0, pattern.rfind('/')),
                              Fill(_("cannot make a private folder here: %1"), {std::strerror(error)}));
    }
    folderInUse = true;
    path_ = folderName;
}

PrivateFolder::~PrivateFolder()
{
    {
        const SignalsHeld held;
        RemoveTreeAt(AT_FDCWD, folderName, 0);
        folderName[0] = '\0';
    }
    guard_.reset();
    folderInUse = false;
}

void PrivateFolder::MakeFolder(const std::string& relative) const
{
    const std::string path = path_ + "/" + relative;
    if (::mkdir(path.c_str(), 0700) != 0) {
        FailIn(path, errno);
    }
}

void PrivateFolder::WriteFile(const std::string& relative, const std::string& bytes) const
{
    const std::string path = path_ + "/" + relative;
    const int descriptor = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (descriptor < 0) {
        FailIn(path, errno);
    }
    const bool written = WriteAll(descriptor, bytes);
    const int error = errno;
    if (::close(descriptor) != 0 || !written) {
        FailIn(path, written ? errno : error);
    }
}

PrivateFolder::Outcome PrivateFolder::Run(const std::string& program, const std::vector<std::string>& arguments,
                                          std::chrono::seconds limit, std::size_t keep) const
{
    int channel[2];
    if (::pipe2(channel, O_CLOEXEC) != 0) {
        FailIn(program, errno);
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, channel[1], STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, channel[1], STDERR_FILENO);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t none, all;
    sigemptyset(&none);
    sigfillset(&all);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setsigdefault(&attributes, &all);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const std::string& argument : arguments) {
        argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);
    char locale[] = "LC_ALL=C";
    char* environment[] = {locale, nullptr};
    // The child is waited for here: a SIGCHLD the program was started
    // with ignored would have the system reap it unseen.
    struct sigaction defaultAction {}, previousChildAction;
    defaultAction.sa_handler = SIG_DFL;
    ::sigaction(SIGCHLD, &defaultAction, &previousChildAction);
    pid_t child = 0;
    int error;
    {
        const SignalsHeld held;
        error = ::posix_spawn(&child, program.c_str(), &actions, &attributes, argv.data(), environment);
        runningChild = error == 0 ? child : 0;
    }
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    ::close(channel[1]);
    if (error != 0) {
        ::close(channel[0]);
        ::sigaction(SIGCHLD, &previousChildAction, nullptr);
        throw UnreadableInput(program, Fill(_("cannot run it: %1"), {std::strerror(error)}));
    }

    using Clock = std::chrono::steady_clock;
    const Clock::time_point deadline = Clock::now() + limit;
    const auto left = [&] {
        return std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    };
    Outcome outcome;
    for (bool open = true; open;) {
        if (left() <= 0) {
            outcome.timedOut = true;
            break;
        }
        pollfd ready{channel[0], POLLIN, 0};
        const int polled = ::poll(&ready, 1, int(std::min<long long>(left(), 1000)));
        if (polled <= 0) {
            continue;
        }
        char block[4096];
        const ssize_t count = ::read(channel[0], block, sizeof block);
        if (count < 0 && errno == EINTR) {
            continue;
        }
        open = count > 0;
        if (open && outcome.output.size() < keep) {
            outcome.output.append(block, std::min(size_t(count), keep - outcome.output.size()));
        }
    }
    ::close(channel[0]);
    while (!outcome.timedOut) {
        int status = 0;
        const pid_t ended = ::waitpid(child, &status, WNOHANG);
        if (ended == child) {
            outcome.waitStatus = status;
            break;
        }
        if (ended < 0 && errno != EINTR) {
            break;
        }
        outcome.timedOut = left() <= 0;
        const timespec pause{0, 10'000'000};
        ::nanosleep(&pause, nullptr);
    }
    if (outcome.timedOut) {
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);
    }
    runningChild = 0;
    ::sigaction(SIGCHLD, &previousChildAction, nullptr);
    return outcome;
}

}  // namespace zoneinf
