// The trace every INF zoneinf writes leaves on a machine: for each key it
// writes, HKLM\SOFTWARE\zonechange\Definitions\<key> (names in
// registry_vocabulary.h), which definitions the key now carries, for the
// detection rules of deployment tools (Intune, Configuration Manager) and
// for --check. Strings and, for the years, REG_DWORDs; no timestamp, so the
// same inputs keep giving the same INF. INFs of zoneinf 1.0 left one key
// for all, values on Definitions itself: still read, no longer written.
#pragma once

#include "registry/registry_snapshot.h"

#include <optional>
#include <string>
#include <vector>

namespace zoneinf {

// What one trace says. Example, per key: key "Paraguay Standard Time",
// tzdata "2026f", cldr "48" ("none" when the Windows key was named on
// zoneinf's command line), program "1.0.0", zones "America/Asuncion",
// years 1970 to 2037. In the old global form the key and years are
// empty/0 and zones lists every IANA zone written, blank-separated. A value
// that is missing, or not of its type, is empty (0).
struct DefinitionsTrace {
    std::string windowsKey;
    std::string tzdata;
    std::string cldr;
    std::string program;
    std::string zones;
    std::uint32_t firstYear = 0;
    std::uint32_t lastYear = 0;

    bool operator==(const DefinitionsTrace&) const = default;
};

// Every trace a snapshot holds.
struct DefinitionsTraces {
    std::optional<DefinitionsTrace> global;  // the old form
    std::vector<DefinitionsTrace> keys;      // in the snapshot's order

    // The trace that covers a key: its own, else the old global one when
    // it names the key's IANA zone; nullptr for none.
    const DefinitionsTrace* For(const std::string& windowsKey, const std::string& zone) const;

    bool operator==(const DefinitionsTraces&) const = default;
};

// The traces a snapshot holds; nullopt when it holds no Definitions key.
std::optional<DefinitionsTraces> DefinitionsTraceOf(const RegistrySnapshot& snapshot);

// Lines for the report, made safe for a terminal: one per release, zoneinf
// and mapping the traces record, with the zones they cover. Example:
// "tzdata 2025b, CLDR 48, zoneinf 1.0.0; zones America/Asuncion Europe/Dublin".
std::vector<std::string> DescribeTraces(const DefinitionsTraces& traces);

}  // namespace zoneinf
