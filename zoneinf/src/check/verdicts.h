// --check's comparison: each exported zone's records read as Windows reads
// them and compared with the database, change by change, into a verdict
// per key. One Checker serves a whole run, however many files it checks.
#pragma once

#include "registry/exported_definitions.h"
#include "mapping/shared_keys.h"
#include "mapping/windows_zone_map.h"
#include "model/time_model.h"
#include "tzdb/tz_database.h"
#include "tzdb/zone_timeline.h"

#include <map>
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
// kTraceOlder, kTraceMissing (--since): records that agree (or are as
// close as Windows allows) but whose trace records an older release, or
// no trace covers the key: definitions not known to be the ones required.
struct ZoneCheck {
    enum Status { kAgrees, kDiffers, kMalformed, kUnchecked, kAsClose, kTraceOlder, kTraceMissing } status = kUnchecked;
    std::string windowsKey;
    std::string zone;     // the database's current name of the zone CLDR maps the key to, if any
    std::string problem;  // what is malformed, or why it was not checked
    Instant firstDifference{};
    Seconds windowsOffset{0};
    Seconds databaseOffset{0};
    int disagreeingChanges = 0;
    std::vector<int> closestYears;  // kAsClose: the years no record describes, 2029 and 2033
    std::string traceRelease;       // kTraceOlder: the release the trace records, "2025b"

    // Malformed definitions are wrong ones: stale like those that differ,
    // and so are definitions older than --since requires.
    bool Stale() const
    {
        return status == kDiffers || status == kMalformed || status == kTraceOlder || status == kTraceMissing;
    }
};

// What every file of a run is checked against. Example: tzdata "2026f",
// CLDR "48", 2026 to 2037, and the shared keys whose other zones disagree
// with their main zone in those years ("Central Asia Standard Time":
// Antarctica/Vostok).
struct CheckBasis {
    std::string databaseVersion;
    std::string mappingRelease;
    YearRange years;
    std::vector<SharedKeyNote> sharedKeys;
};

// Which keys a check looks at: all of them, or the zone in force
// (TimeZoneKeyName) and keys named as Windows spells them, matched without
// regard to case. Example: current and "Paraguay Standard Time".
struct CheckScope {
    bool current = false;
    std::vector<std::string> keys;

    bool All() const { return !current && keys.empty(); }
};

// The record in force (TimeZoneInformation) against the current key's
// record for the year, which Windows copies when the zone is selected:
//  kNone          the input names no current zone
//  kInForce       the clock runs on the key's record
//  kNotReselected some value differs: the zone was not selected again
//                 since its key changed
//  kAutomaticDstOff automatic daylight time is off (DynamicDaylightTimeDisabled,
//                 or a "_dstoff" key name) where the zone has daylight time
//  kNotExported   the input holds no record in force (an export of Time
//                 Zones alone, Wine's own registry)
//  kMalformed     a value of the record in force cannot be read
//  kUnchecked     the current key's own records cannot be read, or are absent
enum class ClockState { kNone, kInForce, kNotReselected, kAutomaticDstOff, kNotExported, kMalformed, kUnchecked };

struct ClockCheck {
    ClockState state = ClockState::kNone;
    int year = 0;                             // the year whose record it is compared with
    std::vector<std::string> differingValues; // kNotReselected: "Bias", "DaylightStart"...
    std::string problem;                      // kMalformed, kUnchecked
};

// One file's verdicts.
struct CheckReport {
    std::string file;
    std::string format;
    std::vector<ZoneCheck> zones;
    // The machine's trace of definitions applied, when the input holds it.
    std::optional<DefinitionsTraces> trace;
    int absent = 0;  // keys the mapping lists (territory 001) that the file lacks
    // The machine's own zone, when the input names it (TimeZoneKeyName);
    // its verdict is the ZoneCheck of that key. Example: "Paraguay Standard Time".
    std::optional<std::string> currentKey;
    ClockCheck clock;
    CheckScope scope;
    // Keys the scope names that the file lacks, as the scope spells them.
    std::vector<std::string> absentKeys;

    int Count(ZoneCheck::Status status) const;
    int Checked() const { return int(zones.size()) - Count(ZoneCheck::kUnchecked); }
    int Differing() const;
    // The verdict on the current zone; nullptr when the input names none
    // or the named key is not among the zones.
    const ZoneCheck* Current() const;
    // What detection asks: no key in scope stale or absent, and the clock
    // in force the current key's own; with the current zone in scope, also
    // that zone named, checked and agreeing, and its record in force seen.
    bool Compliant() const;
};

// The database side of --check, computed once per run and shared by every
// file checked: each zone's timeline and changes over the years, and the
// verdict on each distinct set of records met so far (the machines of a
// fleet mostly hold the same ones).
class Checker {
public:
    // `yearInForce`: the year whose record the clock in force must hold
    // (this year); by default the first year checked.
    Checker(const TzDatabase& database, const WindowsZoneMap& map, YearRange years, CheckScope scope = {},
            std::optional<int> yearInForce = std::nullopt);
    CheckReport Check(const ExportedDefinitions& definitions);
    const CheckBasis& Basis() const { return basis_; }

private:
    struct DatabaseZone {
        ZoneTimeline timeline;
        std::vector<OffsetChange> changes;
    };
    ZoneCheck CheckZone(const ExportedZone& exported);
    bool InScope(const std::string& key, const std::optional<std::string>& currentKey) const;

    const TzDatabase& database_;
    CheckBasis basis_;
    std::map<std::string, std::string> mainZones_;  // key, in lower case -> its main zone
    std::map<std::string, DatabaseZone> zones_;     // by IANA name
    std::map<std::string, ZoneCheck> verdicts_;  // by key and records, as bytes
    CheckScope scope_;
    std::vector<std::string> scopeKeys_;  // scope_'s keys in lower case
    int yearInForce_;
};

// --since: each checked key whose records pass needs a trace (its own, or
// the old global one naming its zone) of `release` or a later one, else
// becomes kTraceOlder or kTraceMissing. A trace whose release is no release
// name counts as older.
void RequireTraceSince(CheckReport& report, const std::string& release);

// One file checked by a checker of its own.
CheckReport CheckDefinitions(const ExportedDefinitions& definitions, const TzDatabase& database,
                             const WindowsZoneMap& map, YearRange years, const CheckScope& scope = {},
                             std::optional<int> yearInForce = std::nullopt);

// The record in force against the current key's records for `year`.
ClockCheck CheckClock(const ClockInForce& inForce, const ZoneRecords& key, int year);

// A key's records against the zone's timeline and its changes in the years.
ZoneCheck CompareWithDatabase(const ZoneRecords& records, const ZoneTimeline& timeline,
                              const std::vector<OffsetChange>& databaseChanges, YearRange years);

}  // namespace zoneinf
