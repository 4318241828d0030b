#include "commands/fleet_check.h"

#include <algorithm>
#include <deque>
#include <future>
#include <thread>

namespace zoneinf {

namespace {

// The reads under way, in the inputs' order: the one place that decides
// what is in flight. With several inputs, files are read and parsed on
// every core, a batch ahead of the check; a single input is read when it
// is asked for.
class ReadsInFlight {
public:
    explicit ReadsInFlight(const std::vector<CheckInput>& inputs)
        : inputs_(inputs), most_(std::max(2u, std::thread::hardware_concurrency()) * 4)
    {
    }

    // The next input's definitions, once read; throws what its read threw.
    ExportedDefinitions Next()
    {
        while (next_ < inputs_.size() && reads_.size() < most_) {
            reads_.push_back(std::async(inputs_.size() > 1 ? std::launch::async : std::launch::deferred,
                                        inputs_[next_++].read));
        }
        std::future<ExportedDefinitions> read = std::move(reads_.front());
        reads_.pop_front();
        return read.get();
    }

private:
    const std::vector<CheckInput>& inputs_;
    const size_t most_;  // reads in flight at once
    size_t next_ = 0;
    std::deque<std::future<ExportedDefinitions>> reads_;
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
            report = checker.Check(reads.Next());
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
