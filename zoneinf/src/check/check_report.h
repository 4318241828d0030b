// --check's report, as text for people and as JSON for programs: one
// file's verdicts, or several files' each after its name with the fleet's
// summary last.
#pragma once

#include "check/fleet_check.h"
#include "check/verdicts.h"

#include <nlohmann/json.hpp>

#include <string>

namespace zoneinf {

// One file's report as text: a line for each key that differs, is as close
// as Windows allows or is malformed (with `verbose`, each left unchecked),
// the trace, the current zone, and the counts.
std::string FormatReport(const CheckReport& report, bool verbose);

// One file's report as a JSON document, with what it was checked against.
std::string FormatJson(const CheckBasis& basis, const CheckReport& report);

// The output of a run, built file by file in the inputs' order: a single
// file's report alone; several files' each prefixed with its name (as grep
// prints lines), or in JSON what they were checked against once and then
// each file's document in "files"; the fleet's summary last.
class RunReport {
public:
    RunReport(const CheckBasis& basis, bool severalFiles, bool json, bool verbose);
    void Add(const CheckReport& report);
    void AddUnreadable(const std::string& file, const std::string& failure);
    std::string Finish(const FleetSummary& summary);

private:
    const CheckBasis& basis_;
    bool severalFiles_;
    bool json_;
    bool verbose_;
    std::string text_;
    nlohmann::ordered_json files_ = nlohmann::ordered_json::array();
};

}  // namespace zoneinf
