// The trace every INF zoneinf writes leaves on a machine, under
// HKLM\SOFTWARE\zonechange\Definitions (its key and value names are in
// registry_vocabulary.h): which definitions it carries, for the detection
// rules of deployment tools (Intune, Configuration Manager) and for
// --check. All REG_SZ, and no timestamp, so the same inputs keep giving
// the same INF.
#pragma once

#include "formats/registry_snapshot.h"

#include <optional>
#include <string>

namespace zoneinf {

// What the key says. Example: tzdata "2025b", cldr "48" ("none" when the
// Windows key was named on zoneinf's command line), program "1.0.0", zones
// "America/Asuncion Europe/Dublin" (the IANA zones written, blank-separated
// as in CLDR's lists: all 139 of CLDR's keys fit in SetupAPI's 4096
// characters). A value that is missing, or not a string, is empty.
struct DefinitionsTrace {
    std::string tzdata;
    std::string cldr;
    std::string program;
    std::string zones;
};

// The trace a snapshot holds; nullopt when it holds no Definitions key.
std::optional<DefinitionsTrace> DefinitionsTraceOf(const RegistrySnapshot& snapshot);

// One line for the report, made safe for a terminal. Example:
// "tzdata 2025b, CLDR 48, zoneinf 1.0.0; zones America/Asuncion".
std::string DescribeTrace(const DefinitionsTrace& trace);

}  // namespace zoneinf
