// --check FILE...: each file's definitions (a registry export or an INF),
// or on Windows the machine's own registry, read as Windows reads them and
// compared with the database (check/checker.h); the report
// (check/run_report.h), and for several files the fleet's summary
// (check/fleet_check.h).
#pragma once

#include "commands/options.h"

namespace zoneinf {

// Prints the report on standard output and the shared keys' notes on
// standard error. An input that cannot be read is named on standard error
// and, when there are several, the others are checked. The exit status is
// the worst: 3 over 1 over 0.
int RunCheck(const Options& options);

}  // namespace zoneinf
