// A zone's whole Windows definition, built year by year from the database
// and proven record by record.
#pragma once

#include "records/windows_record.h"
#include "tzdb/zone_timeline.h"

#include <optional>
#include <string>
#include <vector>

namespace zoneinf {

// Example: America/Asuncion as "Paraguay Standard Time", display
// "(UTC-03:00) Asuncion", one record per year 1970-2037, TZI = 2037's.
struct WindowsZone {
    std::string zoneName;
    std::string windowsKey;
    std::string display;
    std::string standardName;
    std::string daylightName;
    ZoneRecords records;
    // Years no record describes, written as the closest record (--approximate).
    std::vector<YearOffsets> approximated;
    // Whether TZI, which Windows uses after LastEntry, keeps giving the
    // database's offsets in the 28 years after it (a whole calendar cycle).
    bool futureExact = true;
};

// Throws Failure (kExitIndescribable) for the first year no record
// describes, unless `approximate`.
WindowsZone BuildWindowsZone(const ZoneTimeline& timeline, const std::string& zoneName,
                             const std::string& windowsKey, YearRange years, bool approximate);

// The label Windows shows for a zone (the INF's Display): its standard
// offset in the record, then place names. The names are Windows' own when
// `windowsDisplay` (the key's Display on a machine, --label=EXPORT) is
// given, after its "(UTC..) " prefix, else the zone's city (the key's name
// for Etc/ zones). Zero is "(UTC)" where Windows' label spells it so, or
// for the key UTC, as Windows has it, else "(UTC+00:00)". Examples:
// "(UTC-03:00) Asunción", "(UTC+05:45) Kathmandu", "(UTC-02:00) UTC-02",
// "(UTC) Coordinated Universal Time".
std::string DisplayLabel(const TziRecord& record, const std::string& zoneName, const std::string& windowsKey,
                         const std::optional<std::string>& windowsDisplay);

// A year's changes: "2011: 2011-12-30T10:00:00Z -10:00 -> +14:00, ...", or
// "1971: offset UTC-00:44:30 all year", in English for an INF's comments
// and in the user's language for a message.
enum class Wording { kInf, kMessage };
std::string DescribeChanges(const YearOffsets& year, Wording wording);

}  // namespace zoneinf
