// --check's input: the Time Zones key as a machine exports it
// ("reg export", UTF-16 LE, or the older REGEDIT4 ANSI form) or as an INF's
// AddReg lines write it. Decided by content, not by file name; each format
// has its reader (registry_export_reader.h, inf_reader.h), which fills a
// RegistrySnapshot, read here as zones.
#pragma once

#include "formats/definitions_trace.h"
#include "formats/registry_snapshot.h"
#include "records/windows_record.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace zoneinf {

// One key under Time Zones, as found, before any check of its values.
// Example: "Paraguay Standard Time" with a 44-byte TZI, FirstEntry 2006,
// LastEntry 2025 and the Dynamic DST values "2006" to "2025".
struct ExportedZone {
    std::string windowsKey;
    std::optional<std::vector<std::uint8_t>> tzi;
    std::optional<std::uint32_t> firstEntry;
    std::optional<std::uint32_t> lastEntry;
    std::map<long, std::vector<std::uint8_t>> years;
    std::vector<std::string> badValues;  // values whose type or data cannot be read
};

struct ExportedDefinitions {
    std::string format;  // "reg export (UTF-16)", "REGEDIT4 export", "INF", "INF (UTF-16)"
    std::vector<ExportedZone> zones;  // in order of key, without regard to case
    // TimeZoneInformation's TimeZoneKeyName, the machine's current zone,
    // when the input holds it. Example: "Paraguay Standard Time".
    std::optional<std::string> currentZoneKey;
    // What SOFTWARE\zonechange\Definitions says, when the input holds it.
    std::optional<DefinitionsTraces> trace;
    // Whether the input is the machine's whole Time Zones key (an export, the
    // live registry), where a key the mapping lists is missing from the
    // machine, or an INF, which holds only the zones it installs.
    bool wholeTimeZonesKey = true;
};

// Throws Failure (kExitUnreadableInput) with one line for a file that is
// no export and no INF, is truncated or has the wrong encoding.
ExportedDefinitions ReadDefinitions(const std::string& bytes, const std::string& name);

// The snapshot of a registry export or an INF, as ReadDefinitions reads it;
// throws as it does.
RegistrySnapshot ReadSnapshot(const std::string& bytes, const std::string& name);

// The zones of a snapshot, whichever reader filled it. `name` names the
// input in the Failure (kExitUnreadableInput) for a snapshot without zones.
ExportedDefinitions DefinitionsOf(const RegistrySnapshot& snapshot, const std::string& name);

// The zone's records, or what is malformed about them.
std::variant<ZoneRecords, std::string> RecordsOf(const ExportedZone& zone);

}  // namespace zoneinf
