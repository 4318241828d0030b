// Windows keys that several IANA zones share. Only the key's main zone
// (CLDR territory 001) defines it; any other zone that uses the key gets
// the main zone's local time, right only in the years the two agree.
#pragma once

#include "errors.h"
#include "mapping/windows_zone_map.h"
#include "model/time_model.h"
#include "tzdb/tz_database.h"

#include <optional>
#include <string>
#include <vector>

namespace zoneinf {

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
};

// nullopt when the two give the same local time at every instant of the years.
std::optional<ZoneDisagreement> CompareZones(const TzDatabase& database, const std::string& zone,
                                             const std::string& mainZone, YearRange years);

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

// "zoneinf: shared key 'Central Asia Standard Time' follows Asia/Bishkek;
// these of its zones differ: Asia/Almaty in 2024-2037\n", one line a key.
std::string FormatSharedKeyNotes(const std::vector<SharedKeyNote>& notes);

// "1970-2024", "2037": the years in which a zone differs.
std::string DifferingYears(const ZoneDisagreement& disagreement);

}  // namespace zoneinf
