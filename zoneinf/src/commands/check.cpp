#include "commands/check.h"

#include "base/messages.h"
#include "base/whole_file.h"
#include "check/checker.h"
#include "check/fleet_check.h"
#include "check/run_report.h"
#include "check/trace_since.h"
#include "commands/command_files.h"
#include "commands/data_sources.h"
#include "registry/live_registry.h"

namespace zoneinf {

namespace {

// --check's inputs: the files named, or the machine's own registry.
// Several files share what they read of their zones through `cache`.
std::vector<CheckInput> CheckInputs(const Options& options, ZoneCache& cache)
{
    std::vector<CheckInput> inputs;
    ZoneCache* shared = options.checkFiles.size() > 1 ? &cache : nullptr;
    for (const std::string& path : options.checkFiles) {
        inputs.push_back({path, [path, shared] {
                              return ReadDefinitions(ReadInputFile(path, EmptyInput::kRefused), path, shared);
                          }});
    }
    if (!inputs.empty()) {
        return inputs;
    }
    const std::optional<RegistrySnapshot> live = ReadLiveRegistry();
    if (!live) {
        throw Failure(kExitUsage, _("--check needs a FILE: a registry export or an INF"));
    }
    return {{"registry", [live] { return DefinitionsOf(*live, "registry"); }, false}};
}

}  // namespace

int RunCheck(const Options& options)
{
    const YearRange years = YearsOf(options, CurrentYear());
    ZoneCache cache;
    const std::vector<CheckInput> inputs = CheckInputs(options, cache);
    // The mapping first, then the database, as --check has always opened them.
    const WindowsZoneMap map = LoadMapping(options);
    const TzDatabase database = OpenDatabase(options);
    Checker checker(database, map, years, {options.checkCurrentZone, options.checkKeys}, CurrentYear());
    // --compliance gives one value and nothing else to read.
    if (!options.compliance) {
        WriteSharedKeyNotes(checker.Basis().sharedKeys);
    }

    RunReport report(checker.Basis(), inputs.size() > 1, options.json, options.verbose);
    FleetSummary summary;
    int status = kExitSuccess;
    CheckEach(
        inputs, checker,
        [&](const CheckInput&, CheckReport&& checked) {
            if (options.since) {
                RequireTraceSince(checked, *options.since);
            }
            summary.Add(checked);
            if (!checked.Compliant() && status == kExitSuccess) {
                status = kExitZonesDiffer;
            }
            report.Add(checked);
        },
        [&](const CheckInput& input, const Failure& failure) {
            WriteMessage(failure.what());
            report.AddUnreadable(input.name, failure.what());
            summary.AddUnreadable();
            status = kExitUnreadableInput;
        });
    if (!options.compliance) {
        WriteResult(options, report.Finish(summary));
        return status;
    }
    // Configuration Manager's discovery scripts read a value, and take any
    // status but 0 for a failed script: an unreadable input stays one.
    if (status == kExitUnreadableInput) {
        return status;
    }
    WriteStandardOutput(status == kExitSuccess ? "Compliant\n" : "NonCompliant\n");
    return kExitSuccess;
}

}  // namespace zoneinf
