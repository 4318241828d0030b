// --check's report as text for people: one file's verdicts, the lines of
// several files each after its file's name, and the fleet's summary.
#pragma once

#include "check/checker.h"
#include "check/fleet_check.h"

#include <string>

namespace zoneinf {

// One file's report: a line for each key that differs, is as close as
// Windows allows or is malformed (with `verbose`, each left unchecked),
// the trace, the current zone, and the counts.
std::string FormatReport(const CheckReport& report, bool verbose);

// Several files: each line of a file's report after its name, as grep
// prints lines; the name escaped, so no name can make a line of its own.
std::string PrefixedWithFile(const std::string& file, const std::string& report);

// The fleet's summary: the counts, then each key stale somewhere.
std::string FormatFleetSummary(const FleetSummary& summary);

}  // namespace zoneinf
