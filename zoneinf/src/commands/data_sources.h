// What a command reads besides its operands, as the options choose it:
// the compiled time zone database, CLDR's Windows zone mapping, and the
// clock (for --check's first year).
#pragma once

#include "mapping/windows_zone_map.h"
#include "commands/options.h"
#include "tzdb/tz_database.h"

#include <string>

namespace zoneinf {

// The UTC year now, or the year ZONEINF_TEST_YEAR names in the environment
// (1800 to 2500; anything else is ignored): the tests' runs keep a year of
// their own whatever the clock says.
int CurrentYear();

// --zoneinfo, or --tzdata-source's release compiled, or the release built
// into the program, or the system's.
TzDatabase OpenDatabase(const Options& options);

// --windows-zones, or CLDR's mapping built into the program.
WindowsZoneMap LoadMapping(const Options& options);

// --version's text: the program's version, and the database's and the
// mapping's releases with where each comes from.
std::string DescribeVersions(const Options& options);

}  // namespace zoneinf
