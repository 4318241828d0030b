// --check of many files at once (a fleet's exports): each file read and
// parsed ahead on other threads, checked in the order given by the one
// checker of the run, and counted for the fleet's summary.
#pragma once

#include "check/checker.h"
#include "base/errors.h"
#include "registry/exported_definitions.h"

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace zoneinf {

// Each input checked: a file, or the machine's own registry (where the
// system has one). `read` gives its definitions or throws Failure.
struct CheckInput {
    std::string name;
    std::function<ExportedDefinitions()> read;
    bool isFile = true;  // `name` is a file's, whose size tells what reading it costs
};

// Checks each input in its order with `checker` and hands its report to
// `checked`. With several inputs they are read ahead, several at once (the
// checker itself is not shared between threads), and an input that cannot
// be read goes to `unreadable` while the others are checked; a single
// input's failure is thrown, as the run's own.
void CheckEach(const std::vector<CheckInput>& inputs, Checker& checker,
               const std::function<void(const CheckInput&, CheckReport&&)>& checked,
               const std::function<void(const CheckInput&, const Failure&)>& unreadable);

// What the fleet summary counts. Example: 1,000 files, 998 checked, 2
// unreadable, 41 with zones that differ, 3 whose own zone is stale;
// "Paraguay Standard Time" stale in 40 files.
struct FleetSummary {
    int files = 0;
    int unreadable = 0;
    int differing = 0;     // files with a zone that differs
    int currentStale = 0;  // files whose own zone is stale
    std::map<std::string, int> staleKeys;  // key -> files that flag it (0 included)

    void Add(const CheckReport& report);
    void AddUnreadable();
};

}  // namespace zoneinf
