#include "check/zone_check.h"

#include "records/record_builder.h"
#include "records/record_evaluator.h"

#include <algorithm>

namespace zoneinf {

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

const char* StatusName(ZoneCheck::Status status)
{
    switch (status) {
    case ZoneCheck::kAgrees: return "agrees";
    case ZoneCheck::kDiffers: return "differs";
    case ZoneCheck::kMalformed: return "malformed";
    case ZoneCheck::kUnchecked: return "unchecked";
    case ZoneCheck::kAsClose: return "asCloseAsWindowsAllows";
    case ZoneCheck::kTraceOlder: return "traceOlder";
    case ZoneCheck::kTraceMissing: return "traceMissing";
    }
    return "unchecked";
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

ZoneCheck JudgeRecords(const ZoneRecords& records, const ZoneTimeline& timeline,
                       const std::vector<OffsetChange>& databaseChanges, YearRange years)
{
    ZoneCheck check = CompareWithDatabase(records, timeline, databaseChanges, years);
    if (check.status == ZoneCheck::kDiffers && AsCloseAsWindowsAllows(records, timeline, years, check.closestYears)) {
        check.status = ZoneCheck::kAsClose;
    }
    return check;
}

}  // namespace zoneinf
