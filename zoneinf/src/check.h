// --check: each exported zone's records read as Windows reads them and
// compared with the database, change by change.
#pragma once

#include "exported_definitions.h"
#include "options.h"
#include "shared_keys.h"
#include "time_model.h"
#include "tz_database.h"
#include "windows_zone.h"
#include "windows_zone_map.h"

#include <optional>
#include <string>
#include <vector>

namespace zoneinf {

// One key's verdict. Example: "Paraguay Standard Time", America/Asuncion,
// differs from 2026-10-04T03:00:00Z (Windows UTC-02:00, database
// UTC-03:00), 24 changes of offset disagree.
// kAsClose: the records differ only in years no record describes (Morocco's
// 2029 and 2033, with two Ramadans), and there no longer than the record
// zoneinf writes for them; no machine can do better, so it is no fault.
struct ZoneCheck {
    enum Status { kAgrees, kDiffers, kMalformed, kUnchecked, kAsClose } status = kUnchecked;
    std::string windowsKey;
    std::string zone;     // the database's current name of the zone CLDR maps the key to, if any
    std::string problem;  // what is malformed, or why it was not checked
    Instant firstDifference{};
    Seconds windowsOffset{0};
    Seconds databaseOffset{0};
    int disagreeingChanges = 0;
    std::vector<int> closestYears;  // kAsClose: the years no record describes, 2029 and 2033
};

struct CheckReport {
    std::string file;
    std::string format;
    std::string databaseVersion;
    std::string mappingRelease;  // CLDR's, "48"
    YearRange years;
    std::vector<ZoneCheck> zones;
    // Keys whose other zones disagree with their main zone in the years.
    std::vector<SharedKeyNote> sharedKeys;
    int absent = 0;  // keys the mapping lists (territory 001) that the file lacks

    int Count(ZoneCheck::Status status) const;
    int Checked() const { return int(zones.size()) - Count(ZoneCheck::kUnchecked); }
    // Malformed definitions are wrong ones: they count among those that differ.
    int Differing() const { return Count(ZoneCheck::kDiffers) + Count(ZoneCheck::kMalformed); }
};

CheckReport CheckDefinitions(const ExportedDefinitions& definitions, const TzDatabase& database,
                             const WindowsZoneMap& map, YearRange years);
ZoneCheck CompareWithDatabase(const ZoneRecords& records, const ZoneTimeline& timeline, YearRange years);

std::string FormatReport(const CheckReport& report, bool verbose);
std::string FormatJson(const CheckReport& report);

// Reads the file, checks it and prints the report; the exit status.
int RunCheck(const Options& options, YearRange years);

}  // namespace zoneinf
