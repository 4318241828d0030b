#include "check/verdicts.h"

#include "base/text_decoder.h"
#include "base/messages.h"
#include "records/record_builder.h"
#include "records/record_evaluator.h"

#include <algorithm>
#include <charconv>

namespace zoneinf {

int CheckReport::Count(ZoneCheck::Status status) const
{
    return int(std::count_if(zones.begin(), zones.end(),
                             [status](const ZoneCheck& zone) { return zone.status == status; }));
}

int CheckReport::Differing() const
{
    return int(std::count_if(zones.begin(), zones.end(), [](const ZoneCheck& zone) { return zone.Stale(); }));
}

ZoneCheck CompareWithDatabase(const ZoneRecords& records, const ZoneTimeline& timeline,
                              const std::vector<OffsetChange>& database, YearRange years)
{
    const Instant begin = StartOfYear(years.first);
    const Instant end = StartOfYear(years.last + 1);
    const std::vector<OffsetChange> windows = ChangesBetween(records, begin, end);

    ZoneCheck check;
    check.status = ZoneCheck::kAgrees;
    for (const OffsetChange& change : windows) {
        check.disagreeingChanges += std::find(database.begin(), database.end(), change) == database.end();
    }
    for (const OffsetChange& change : database) {
        check.disagreeingChanges += std::find(windows.begin(), windows.end(), change) == windows.end();
    }
    const std::vector<OffsetDifference> differences =
        Differences({[&](Instant at) { return OffsetAt(records, at); }, windows},
                    {[&](Instant at) { return timeline.OffsetAt(at); }, database}, begin, end);
    if (!differences.empty()) {
        check.status = ZoneCheck::kDiffers;
        check.firstDifference = differences.front().from;
        check.windowsOffset = differences.front().first;
        check.databaseOffset = differences.front().second;
    }
    return check;
}

namespace {

// Whether records that differ from the database do so only in years no
// record describes, and there for no longer than the closest record the
// builder would write: the generator's own judgement, not a copy of it.
bool AsCloseAsWindowsAllows(const ZoneRecords& records, const ZoneTimeline& timeline, YearRange years,
                            std::vector<int>& closestYears)
{
    for (int year = years.first; year <= years.last; ++year) {
        const YearOffsets database = timeline.Year(year);
        const YearOffsets windows = EvaluateYear(records, year);
        if (windows == database) {
            continue;
        }
        if (DescribeYear(database) ||
            DisagreementIn(windows, database) > DisagreementIn(EvaluateYear(ClosestRecord(database), year), database)) {
            return false;
        }
        closestYears.push_back(year);
    }
    return true;
}

}  // namespace

const ZoneCheck* CheckReport::Current() const
{
    if (!currentKey) {
        return nullptr;
    }
    const auto found = std::find_if(zones.begin(), zones.end(), [&](const ZoneCheck& zone) {
        return LowerAscii(zone.windowsKey) == LowerAscii(*currentKey);
    });
    return found == zones.end() ? nullptr : &*found;
}

bool CheckReport::Compliant() const
{
    if (Differing() > 0 || !absentKeys.empty()) {
        return false;
    }
    switch (clock.state) {
    case ClockState::kNotReselected:
    case ClockState::kAutomaticDstOff:
    case ClockState::kMalformed:
        return false;
    default:
        break;
    }
    if (!scope.current) {
        return true;
    }
    // Detection of the current zone needs proof: the zone named, its key
    // checked, and the record in force seen to be the key's.
    const ZoneCheck* current = Current();
    return current && (current->status == ZoneCheck::kAgrees || current->status == ZoneCheck::kAsClose) &&
           clock.state == ClockState::kInForce;
}

ClockCheck CheckClock(const ClockInForce& inForce, const ZoneRecords& key, int year)
{
    ClockCheck check;
    check.year = year;
    if (!inForce.problem.empty()) {
        check.state = ClockState::kMalformed;
        check.problem = inForce.problem;
        return check;
    }
    if (!inForce.record) {
        check.state = ClockState::kNotExported;
        return check;
    }
    const TziRecord& expected = key.ForYear(year);
    const TziRecord& found = *inForce.record;
    const bool dstOff = inForce.dynamicDaylightTimeDisabled || inForce.dstOffKeyName;
    if (dstOff && !EvaluateYear(key, year).changes.empty()) {
        check.state = ClockState::kAutomaticDstOff;
        return check;
    }
    const auto compare = [&check](bool same, const char* name) {
        if (!same) {
            check.differingValues.push_back(name);
        }
    };
    compare(found.bias == expected.bias, "Bias");
    compare(found.standardBias == expected.standardBias, "StandardBias");
    // With automatic daylight time off, and none to keep, Windows may clear
    // the daylight values: only the biases of standard time tell.
    if (!dstOff) {
        compare(found.daylightBias == expected.daylightBias, "DaylightBias");
        compare(found.standardDate == expected.standardDate, "StandardStart");
        compare(found.daylightDate == expected.daylightDate, "DaylightStart");
    }
    check.state = check.differingValues.empty() ? ClockState::kInForce : ClockState::kNotReselected;
    return check;
}

Checker::Checker(const TzDatabase& database, const WindowsZoneMap& map, YearRange years, CheckScope scope,
                 std::optional<int> yearInForce)
    : database_(database),
      basis_{database.Version(), map.Release(), years, SurveySharedKeys(map, database, years, false)},
      scope_(std::move(scope)),
      yearInForce_(yearInForce.value_or(years.first))
{
    for (const std::string& key : scope_.keys) {
        scopeKeys_.push_back(LowerAscii(key));
    }
    // Windows compares key names without regard to case, and so does the check.
    for (const auto& [key, zone] : map.MainZones()) {
        mainZones_.emplace(LowerAscii(key), zone);
    }
}

namespace {

// What decides a key's verdict, as bytes: equal strings, equal verdicts.
// Built once per key of every file checked: appended in place.
std::string VerdictKey(const ExportedZone& exported)
{
    size_t size = exported.windowsKey.size() + 64;
    for (const auto& [year, record] : exported.years) {
        size += record.size() + 32;
    }
    for (const std::string& problem : exported.badValues) {
        size += problem.size() + 1;
    }
    std::string key;
    key.reserve(size);
    key = exported.windowsKey;
    const auto number = [&key](auto value) {
        char digits[24];
        key.append(digits, size_t(std::to_chars(digits, digits + sizeof digits, value).ptr - digits));
    };
    const auto add = [&](const std::vector<std::uint8_t>& bytes) {
        key += '\0';
        number(bytes.size());
        key += ':';
        key.append(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    };
    add(exported.tzi.value_or(std::vector<std::uint8_t>{}));
    key += exported.tzi ? "T" : "-";
    if (exported.firstEntry) {
        number(*exported.firstEntry);
    } else {
        key += '-';
    }
    key += '/';
    if (exported.lastEntry) {
        number(*exported.lastEntry);
    } else {
        key += '-';
    }
    for (const auto& [year, record] : exported.years) {
        key += '\0';
        number(year);
        add(record);
    }
    for (const std::string& problem : exported.badValues) {
        key += '\0';
        key += problem;
    }
    return key;
}

}  // namespace

ZoneCheck Checker::CheckZone(const ExportedZone& exported)
{
    ZoneCheck check;
    const auto mapped = mainZones_.find(LowerAscii(exported.windowsKey));
    const auto zone = mapped == mainZones_.end() ? std::nullopt : std::optional(database_.CurrentName(mapped->second));
    const auto records = RecordsOf(exported);
    if (!zone || !database_.HasZone(*zone)) {
        check.problem = zone ? Fill(_("CLDR's zone %1 is not in the database"), {*zone}) : _("CLDR maps no zone to it");
    } else if (const auto* problem = std::get_if<std::string>(&records)) {
        check.status = ZoneCheck::kMalformed;
        check.problem = *problem;
    } else {
        auto found = zones_.find(*zone);
        if (found == zones_.end()) {
            ZoneTimeline timeline = database_.Load(*zone);
            auto changes = timeline.ChangesBetween(StartOfYear(basis_.years.first), StartOfYear(basis_.years.last + 1));
            found = zones_.emplace(*zone, DatabaseZone{std::move(timeline), std::move(changes)}).first;
        }
        const ZoneTimeline& timeline = found->second.timeline;
        const ZoneRecords& zoneRecords = std::get<ZoneRecords>(records);
        check = CompareWithDatabase(zoneRecords, timeline, found->second.changes, basis_.years);
        if (check.status == ZoneCheck::kDiffers &&
            AsCloseAsWindowsAllows(zoneRecords, timeline, basis_.years, check.closestYears)) {
            check.status = ZoneCheck::kAsClose;
        }
    }
    check.windowsKey = exported.windowsKey;
    check.zone = zone.value_or("");
    return check;
}

bool Checker::InScope(const std::string& key, const std::optional<std::string>& currentKey) const
{
    const std::string lowered = LowerAscii(key);
    return scope_.All() || (scope_.current && currentKey && lowered == LowerAscii(*currentKey)) ||
           std::find(scopeKeys_.begin(), scopeKeys_.end(), lowered) != scopeKeys_.end();
}

CheckReport Checker::Check(const ExportedDefinitions& definitions)
{
    CheckReport report;
    report.format = definitions.format;
    report.currentKey = definitions.currentZoneKey;
    report.trace = definitions.trace;
    report.scope = scope_;
    report.absent = definitions.wholeTimeZonesKey && scope_.All() ? int(mainZones_.size()) : 0;
    const ExportedZone* current = nullptr;
    std::vector<bool> named(scope_.keys.size(), false);
    for (const ExportedZone& exported : definitions.zones) {
        const std::string lowered = LowerAscii(exported.windowsKey);
        if (definitions.currentZoneKey && lowered == LowerAscii(*definitions.currentZoneKey)) {
            current = &exported;
        }
        for (size_t i = 0; i < scope_.keys.size(); ++i) {
            named[i] = named[i] || scopeKeys_[i] == lowered;
        }
        if (!InScope(exported.windowsKey, definitions.currentZoneKey)) {
            continue;
        }
        report.absent -= report.absent > 0 && mainZones_.count(lowered) > 0;
        const std::string key = VerdictKey(exported);
        auto verdict = verdicts_.find(key);
        if (verdict == verdicts_.end()) {
            verdict = verdicts_.emplace(key, CheckZone(exported)).first;
        }
        report.zones.push_back(verdict->second);
    }
    for (size_t i = 0; i < scope_.keys.size(); ++i) {
        if (!named[i]) {
            report.absentKeys.push_back(scope_.keys[i]);
        }
    }
    if (definitions.currentZoneKey) {
        const auto records = current ? RecordsOf(*current) : std::variant<ZoneRecords, std::string>(std::string());
        if (!definitions.inForce.problem.empty() || !definitions.inForce.record) {
            report.clock = CheckClock(definitions.inForce, ZoneRecords{}, yearInForce_);  // no key needed
        } else if (const auto* keyRecords = std::get_if<ZoneRecords>(&records)) {
            report.clock = CheckClock(definitions.inForce, *keyRecords, yearInForce_);
        } else {
            report.clock.state = ClockState::kUnchecked;
            report.clock.year = yearInForce_;
            report.clock.problem = current ? std::get<std::string>(records) : _("the key is not among the file's zones");
        }
    }
    return report;
}

void RequireTraceSince(CheckReport& report, const std::string& release)
{
    for (ZoneCheck& zone : report.zones) {
        if (zone.status != ZoneCheck::kAgrees && zone.status != ZoneCheck::kAsClose) {
            continue;
        }
        const DefinitionsTrace* trace = report.trace ? report.trace->For(zone.windowsKey, zone.zone) : nullptr;
        if (!trace) {
            zone.status = ZoneCheck::kTraceMissing;
        } else if (!IsTzdataRelease(trace->tzdata) || OlderRelease(trace->tzdata, release)) {
            zone.status = ZoneCheck::kTraceOlder;
            zone.traceRelease = trace->tzdata;
        }
    }
}

CheckReport CheckDefinitions(const ExportedDefinitions& definitions, const TzDatabase& database,
                             const WindowsZoneMap& map, YearRange years, const CheckScope& scope,
                             std::optional<int> yearInForce)
{
    return Checker(database, map, years, scope, yearInForce).Check(definitions);
}

}  // namespace zoneinf
