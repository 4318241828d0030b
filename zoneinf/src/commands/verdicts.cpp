#include "commands/verdicts.h"

#include "formats/text_decoder.h"
#include "messages.h"
#include "records/record_builder.h"
#include "records/record_evaluator.h"

#include <algorithm>

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

Checker::Checker(const TzDatabase& database, const WindowsZoneMap& map, YearRange years)
    : database_(database),
      basis_{database.Version(), map.Release(), years, SurveySharedKeys(map, database, years, false)}
{
    // Windows compares key names without regard to case, and so does the check.
    for (const auto& [key, zone] : map.MainZones()) {
        mainZones_.emplace(LowerAscii(key), zone);
    }
}

namespace {

// What decides a key's verdict, as bytes: equal strings, equal verdicts.
std::string VerdictKey(const ExportedZone& exported)
{
    std::string key = exported.windowsKey;
    const auto add = [&key](const std::vector<std::uint8_t>& bytes) {
        key += '\0' + std::to_string(bytes.size()) + ':';
        key.append(bytes.begin(), bytes.end());
    };
    add(exported.tzi.value_or(std::vector<std::uint8_t>{}));
    key += exported.tzi ? "T" : "-";
    key += exported.firstEntry ? std::to_string(*exported.firstEntry) : "-";
    key += '/' + (exported.lastEntry ? std::to_string(*exported.lastEntry) : "-");
    for (const auto& [year, record] : exported.years) {
        key += '\0' + std::to_string(year);
        add(record);
    }
    for (const std::string& problem : exported.badValues) {
        key += '\0' + problem;
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

CheckReport Checker::Check(const ExportedDefinitions& definitions)
{
    CheckReport report;
    report.format = definitions.format;
    report.currentKey = definitions.currentZoneKey;
    report.trace = definitions.trace;
    report.absent = definitions.wholeTimeZonesKey ? int(mainZones_.size()) : 0;
    for (const ExportedZone& exported : definitions.zones) {
        report.absent -= definitions.wholeTimeZonesKey && mainZones_.count(LowerAscii(exported.windowsKey)) > 0;
        const std::string key = VerdictKey(exported);
        auto verdict = verdicts_.find(key);
        if (verdict == verdicts_.end()) {
            verdict = verdicts_.emplace(key, CheckZone(exported)).first;
        }
        report.zones.push_back(verdict->second);
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
                             const WindowsZoneMap& map, YearRange years)
{
    return Checker(database, map, years).Check(definitions);
}

}  // namespace zoneinf
