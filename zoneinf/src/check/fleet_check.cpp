#include "check/fleet_check.h"

#include "base/messages.h"
#include "base/whole_file.h"

#include <algorithm>
#include <deque>
#include <filesystem>
#include <future>
#include <new>
#include <system_error>
#include <thread>

namespace zoneinf {

namespace {

// What may be in flight at once, whatever the number of cores: input bytes
// (a file's decoded text takes about its size again, and an INF's lines
// several times it, some 45 times for one of line ends alone, so 16 MiB of
// input stays under 1 GB), and a number of files, for the parsed
// definitions they leave.
constexpr std::uintmax_t kBytesInFlight = 16 << 20;
constexpr size_t kMostFilesInFlight = 32;

// An input's share of the budget: its size, or the most any input may
// have when that is not known in advance (a device, a pipe, the registry).
std::uintmax_t BytesOf(const CheckInput& input)
{
    std::error_code error;
    const std::filesystem::path path = PathFromUtf8(input.name);
    if (!input.isFile || !std::filesystem::is_regular_file(path, error)) {
        return kBytesInFlight;
    }
    const std::uintmax_t size = std::filesystem::file_size(path, error);
    return error ? kBytesInFlight : std::min<std::uintmax_t>(size, kBytesInFlight);
}

// The reads under way, in the inputs' order: the one place that decides
// what is in flight. With several inputs, files are read and parsed on
// every core, ahead of the check, within the budget above; a single input
// is read when it is asked for.
class ReadsInFlight {
public:
    explicit ReadsInFlight(const std::vector<CheckInput>& inputs)
        : inputs_(inputs),
          most_(std::min<size_t>(std::max(2u, std::thread::hardware_concurrency()) * 4, kMostFilesInFlight))
    {
    }

    // The next input's definitions, once read; throws what its read threw.
    ExportedDefinitions Next()
    {
        // One read at least, however large; more while they fit the budget.
        while (next_ < inputs_.size() && reads_.size() < most_) {
            const std::uintmax_t bytes = BytesOf(inputs_[next_]);
            if (!reads_.empty() && bytesInFlight_ + bytes > kBytesInFlight) {
                break;
            }
            bytesInFlight_ += bytes;
            reads_.push_back({Launch(inputs_[next_++].read), bytes});
        }
        Read read = std::move(reads_.front());
        reads_.pop_front();
        bytesInFlight_ -= read.bytes;
        return read.definitions.get();
    }

private:
    // On a thread of its own; when none can be had (a memory limit), read
    // when asked for, as a single input is.
    std::future<ExportedDefinitions> Launch(const std::function<ExportedDefinitions()>& read) const
    {
        if (inputs_.size() > 1) {
            try {
                return std::async(std::launch::async, read);
            } catch (const std::system_error&) {
            }
        }
        return std::async(std::launch::deferred, read);
    }

    struct Read {
        std::future<ExportedDefinitions> definitions;
        std::uintmax_t bytes;
    };
    const std::vector<CheckInput>& inputs_;
    const size_t most_;  // reads in flight at once
    size_t next_ = 0;
    std::uintmax_t bytesInFlight_ = 0;
    std::deque<Read> reads_;
};

}  // namespace

void CheckEach(const std::vector<CheckInput>& inputs, Checker& checker,
               const std::function<void(const CheckInput&, CheckReport&&)>& checked,
               const std::function<void(const CheckInput&, const Failure&)>& unreadable)
{
    ReadsInFlight reads(inputs);
    for (const CheckInput& input : inputs) {
        CheckReport report;
        try {
            try {
                report = checker.Check(reads.Next());
            } catch (const std::bad_alloc&) {
                // The file that needed it is named; the memory is back for the next.
                throw UnreadableInput(input.name, _("not enough memory to check it"));
            }
        } catch (const Failure& failure) {
            if (inputs.size() == 1) {
                throw;
            }
            unreadable(input, failure);
            continue;
        }
        report.file = input.name;
        checked(input, std::move(report));
    }
}

void FleetSummary::Add(const CheckReport& report)
{
    ++files;
    differing += report.Differing() > 0;
    currentStale += report.Current() && report.Current()->Stale();
    for (const ZoneCheck& zone : report.zones) {
        staleKeys[zone.windowsKey] += zone.Stale();
    }
}

void FleetSummary::AddUnreadable()
{
    ++files;
    ++unreadable;
}

}  // namespace zoneinf
