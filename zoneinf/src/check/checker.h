// --check's checker and its scope: each exported zone's verdict, the clock
// in force, and what a file's report holds. One Checker serves a whole run,
// however many files it checks.
#pragma once

#include "check/clock_check.h"
#include "check/zone_check.h"
#include "mapping/shared_keys.h"
#include "mapping/windows_zone_map.h"
#include "model/time_model.h"
#include "registry/exported_definitions.h"
#include "tzdb/tz_database.h"
#include "tzdb/zone_timeline.h"

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace zoneinf {

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
    // The current zone's verdict in a word, in English (the JSON value;
    // the text report translates it): "stale", "sound", "unchecked" or
    // "not among the file's zones".
    const char* CurrentVerdict() const;
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

// One file checked by a checker of its own.
CheckReport CheckDefinitions(const ExportedDefinitions& definitions, const TzDatabase& database,
                             const WindowsZoneMap& map, YearRange years, const CheckScope& scope = {},
                             std::optional<int> yearInForce = std::nullopt);

}  // namespace zoneinf
