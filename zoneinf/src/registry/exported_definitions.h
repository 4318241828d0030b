// --check's input: the Time Zones key as a machine holds it (exported, or
// its live registry) or as an INF's AddReg lines write it, each filling a
// RegistrySnapshot (registry_export_reader.h, inf/inf_reader.h,
// live_registry.h), read here as zones.
#pragma once

#include "base/text_decoder.h"
#include "registry/definitions_trace.h"
#include "registry/registry_snapshot.h"
#include "records/windows_record.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
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

    bool operator==(const ExportedZone&) const = default;
};

// What TimeZoneInformation holds of the record in force: the values
// Windows copies from the selected key's record for the year when the zone
// is selected (Bias, StandardBias, DaylightBias, StandardStart,
// DaylightStart), and whether automatic daylight time is off. Wine's own
// registry and an export of Time Zones alone hold none of them.
// Example: Paraguay Standard Time, bias 240, daylight bias -60,
// StandardStart {0,3,0,4,0,0,0,0}, DaylightStart {0,10,0,1,0,0,0,0}.
struct ClockInForce {
    std::optional<TziRecord> record;  // all five values present and readable
    bool dynamicDaylightTimeDisabled = false;
    bool dstOffKeyName = false;  // TimeZoneKeyName ended in "_dstoff"
    std::string problem;         // why a value present cannot be read; empty when none

    bool operator==(const ClockInForce&) const = default;
};

struct ExportedDefinitions {
    std::string format;  // "reg export (UTF-16)", "REGEDIT4 export", "INF", "INF (UTF-16)"
    std::vector<ExportedZone> zones;  // in order of key, without regard to case
    // TimeZoneInformation's TimeZoneKeyName, the machine's current zone,
    // when the input holds it. Example: "Paraguay Standard Time".
    // A "_dstoff" suffix (automatic daylight time off) is not part of it.
    std::optional<std::string> currentZoneKey;
    ClockInForce inForce;
    // What SOFTWARE\zonechange\Definitions says, when the input holds it.
    std::optional<DefinitionsTraces> trace;
    // Whether the input is the machine's whole Time Zones key (an export, the
    // live registry), where a key the mapping lists is missing from the
    // machine, or an INF, which holds only the zones it installs.
    bool wholeTimeZonesKey = true;

    bool operator==(const ExportedDefinitions&) const = default;
};

// What the reads of a fleet's exports share, from any thread: each zone
// read, by the text of its lines (ZoneLinesOf). Machines of one Windows
// build export their zones in the same bytes, so most of a fleet's files
// are read without parsing a zone again. Bounded: past kMostBytes of
// text and zones kept, zones not yet known are read each time.
class ZoneCache {
public:
    static constexpr std::size_t kMostBytes = 32 << 20;

    std::shared_ptr<const ExportedZone> Find(std::string_view lines) const;
    void Add(std::string_view lines, const ExportedZone& zone);

private:
    struct Hash {
        using is_transparent = void;
        std::size_t operator()(std::string_view text) const { return std::hash<std::string_view>{}(text); }
    };
    mutable std::mutex mutex_;
    std::unordered_map<std::string, std::shared_ptr<const ExportedZone>, Hash, std::equal_to<>> zones_;
    std::size_t bytes_ = 0;
};

// A registry export read with the zones `cache` knows taken from it, the
// others read and added to it: the same definitions as DefinitionsOf its
// snapshot. nullopt for text to read whole instead (no export, a layout
// too irregular to split by zone, a fault anywhere), so that any refusal
// is the whole read's.
std::optional<ExportedDefinitions> ReadRegistryExportWithZonesKnown(const DecodedText& text, const std::string& name,
                                                                    ZoneCache& cache);

// The zones of a snapshot, whichever reader filled it. `name` names the
// input in the Failure (kExitUnreadableInput) for a snapshot without zones.
ExportedDefinitions DefinitionsOf(RegistrySnapshot snapshot, const std::string& name);

// The zone's records, or what is malformed about them.
std::variant<ZoneRecords, std::string> RecordsOf(const ExportedZone& zone);

}  // namespace zoneinf
