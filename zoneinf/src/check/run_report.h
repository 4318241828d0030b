// The output of a --check run, built file by file in the inputs' order: a
// single file's report alone; several files' each prefixed with its name
// (as grep prints lines), or in JSON what they were checked against once
// and then each file's document in "files"; the fleet's summary last.
#pragma once

#include "check/checker.h"
#include "check/fleet_check.h"

#include <nlohmann/json.hpp>

#include <string>

namespace zoneinf {

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
    std::string text_;  // the text so far, or a single file's JSON
    nlohmann::ordered_json files_ = nlohmann::ordered_json::array();
};

}  // namespace zoneinf
