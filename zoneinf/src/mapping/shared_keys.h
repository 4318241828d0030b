// Windows keys that several IANA zones share. Only the key's main zone
// (CLDR territory 001) defines it; any other zone that uses the key gets
// the main zone's local time, right only in the years the two agree.
#pragma once

#include "base/errors.h"
#include "mapping/windows_zone_map.h"
#include "model/time_model.h"
#include "tzdb/tz_database.h"

#include <optional>
#include <string>
#include <vector>

namespace zoneinf {

// A Windows key whose main zone gives a zone's local time from some
// instant to the end of the years: where the machines of a zone that left
// its own key may go. Example: for America/Vancouver (tzdata 2026f,
// 1970-2037), "Yukon Standard Time", America/Whitehorse, from
// 2026-03-08T10:00:00Z; `sameTerritory`, as CLDR also maps Whitehorse to
// Canada; `apart`, how long the two differ before, since 1970 at least
// (the past timestamps a machine moved to the key would show otherwise).
struct AgreeingKey {
    std::string windowsKey;
    std::string mainZone;
    Instant from{};
    bool sameTerritory = false;
    Seconds apart{0};
};

// Where a zone's local time parts from its key's main zone in some years.
// Example: Asia/Almaty against Asia/Tashkent, 1970-2037: from
// 1970-01-01T00:00:00Z Almaty gives UTC+06:00, Tashkent UTC+05:00; they
// differ in 1970-2024 and agree from 2025 on.
struct ZoneDisagreement {
    std::string zone;      // current names
    std::string mainZone;
    Instant firstDifference{};
    Seconds zoneOffset{0};
    Seconds mainOffset{0};
    int firstYear = 0;  // the first and last years in which they differ
    int lastYear = 0;
    // When they still differ at the end of the years, the first year of
    // the unbroken run of differing years that reaches it (America/Vancouver
    // against America/Los_Angeles on 2026f: 2026), else 0.
    int lastingFrom = 0;
    // When they still differ at the end: the keys whose main zone agrees
    // with `zone` from some instant on, earliest first (see KeysThatAgree).
    std::vector<AgreeingKey> keysThatAgree;
};

// nullopt when the two give the same local time at every instant of the years.
std::optional<ZoneDisagreement> CompareZones(const TzDatabase& database, const std::string& zone,
                                             const std::string& mainZone, YearRange years);

// The keys of the mapping, other than `ownKey`, whose main zone gives the
// same local time as `zone` from some instant to the end of the years, the
// whole last year at least, with that instant: the end of their last
// difference, or the years' start when they never differ. Earliest first;
// at an equal instant, keys CLDR also maps to the zone's own territory
// first, then those that differ for the shortest time before, then by name.
std::vector<AgreeingKey> KeysThatAgree(const WindowsZoneMap& map, const TzDatabase& database,
                                       const std::string& zone, const std::string& ownKey, YearRange years);

// "'Yukon Standard Time' from 2026-03-08T10:00:00Z, 'US Mountain Standard
// Time' from 2026-03-08T10:00:00Z and 1 other": at most `shown` keys.
std::string FormatAgreeingKeys(const std::vector<AgreeingKey>& keys, size_t shown);
// Enough to choose from, short enough for one line.
inline constexpr size_t kAgreeingKeysShown = 3;

// A shared key whose other zones disagree with its main zone.
// Example: "Central Asia Standard Time", Asia/Bishkek; Asia/Almaty 2024-2037.
struct SharedKeyNote {
    std::string windowsKey;
    std::string mainZone;
    std::vector<ZoneDisagreement> differing;
};

// Every key of the mapping whose zones disagree with its main zone in the
// years. With `requireZones` (--all), a mapped zone the database lacks is
// an unreadable mapping (Failure, kExitUnreadableInput); otherwise it is
// passed over, as --check leaves such a key unchecked.
std::vector<SharedKeyNote> SurveySharedKeys(const WindowsZoneMap& map, const TzDatabase& database,
                                            YearRange years, bool requireZones);

// The failure for a mapping that names a zone the database lacks: the
// mapping is unreadable with this database.
Failure MappedZoneMissing(const TzDatabase& database, const std::string& zone, const std::string& windowsKey);

// On standard error, one message a key: "zoneinf: shared key 'Central
// Asia Standard Time' follows Asia/Bishkek; these of its zones differ:
// Asia/Almaty in 2024-2037", with the keys that agree with a zone that
// differs to the end.
void WriteSharedKeyNotes(const std::vector<SharedKeyNote>& notes);

// "1970-2024", "2037": the years in which a zone differs.
std::string DifferingYears(const ZoneDisagreement& disagreement);

}  // namespace zoneinf
