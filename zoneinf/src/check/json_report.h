// --check's report as JSON for programs: one file's document, or several
// files' in one with what they were checked against given once and the
// fleet's summary last. Names are kept exactly, with U+FFFD for bytes
// that are not UTF-8.
#pragma once

#include "check/checker.h"
#include "check/fleet_check.h"

#include <nlohmann/json.hpp>

#include <string>

namespace zoneinf {

// One file's report as a JSON document, with what it was checked against.
std::string FormatJson(const CheckBasis& basis, const CheckReport& report);

// A file's entry in several files' document: its report without what it
// was checked against, or the failure that left it unread.
nlohmann::ordered_json FileJson(const CheckReport& report);
nlohmann::ordered_json UnreadableFileJson(const std::string& file, const std::string& failure);

// Several files' document: what they were checked against, each file's
// entry, and the fleet's summary.
std::string FormatFleetJson(const CheckBasis& basis, nlohmann::ordered_json files, const FleetSummary& summary);

}  // namespace zoneinf
