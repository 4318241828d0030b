// The trace every INF zoneinf writes leaves on a machine, under
// HKLM\SOFTWARE\zonechange\Definitions: which definitions it carries, for
// the detection rules of deployment tools (Intune, Configuration Manager)
// and for --check. All REG_SZ, and no timestamp, so the same inputs keep
// giving the same INF.
#pragma once

#include "registry_snapshot.h"

#include <optional>
#include <string>

namespace zoneinf {

inline constexpr const char* kDefinitionsKey = "SOFTWARE\\zonechange\\Definitions";
// The same key as "reg export" may name it on 64-bit Windows, where
// zonechange.exe, a 32-bit program, writes it.
inline constexpr const char* kDefinitionsKey32 = "SOFTWARE\\WOW6432Node\\zonechange\\Definitions";

// Whether a path below HKLM is the trace key, by either name.
bool IsDefinitionsKey(const std::string& pathBelowHklm);

// The value names.
inline constexpr const char* kTraceTzdata = "TzdataRelease";
inline constexpr const char* kTraceCldr = "CldrRelease";
inline constexpr const char* kTraceProgram = "ZoneinfVersion";
inline constexpr const char* kTraceZones = "Zones";

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
