// A folder of the run's own, and a program run in it: where zoneinf
// unpacks and compiles a release's source. Nothing of it outlives the run.
#pragma once

#include <chrono>
#include <cstddef>
#include <memory>
#include <string>
#include <vector>

namespace zoneinf {

class InterruptionGuard;

class PrivateFolder {
public:
    // mkdtemp under TMPDIR (/tmp when unset), mode 0700. Removed with all
    // it holds when the object goes, or by a signal that ends the run
    // (which also kills the program running in it). One at a time.
    // Throws Failure (kExitUnreadableInput) when it cannot be made.
    PrivateFolder();
    ~PrivateFolder();
    PrivateFolder(const PrivateFolder&) = delete;
    PrivateFolder& operator=(const PrivateFolder&) = delete;

    // Example: "/tmp/zoneinf-q3ZxQa".
    const std::string& Path() const { return path_; }

    // A new folder and a new file inside it, never through a link.
    void MakeFolder(const std::string& relative) const;
    void WriteFile(const std::string& relative, const std::string& bytes) const;

    // What a program run said and how it ended.
    struct Outcome {
        bool timedOut = false;
        int waitStatus = -1;  // waitpid's, -1 when none was had
        std::string output;   // standard output and error, the first `keep` bytes
    };
    // `program` (an absolute path) with `arguments`, through posix_spawn:
    // no shell, standard input /dev/null, the environment LC_ALL=C alone,
    // default signal actions. Killed after `limit`. Throws Failure
    // (kExitUnreadableInput) when it cannot be started.
    Outcome Run(const std::string& program, const std::vector<std::string>& arguments, std::chrono::seconds limit,
                std::size_t keep) const;

private:
    std::unique_ptr<InterruptionGuard> guard_;
    std::string path_;
};

}  // namespace zoneinf
