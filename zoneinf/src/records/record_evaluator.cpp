#include "records/record_evaluator.h"

#include <algorithm>

namespace zoneinf {

using namespace std::chrono;

namespace {

constexpr long long kMillisecondsPerDay = 86'400'000;

Seconds Minutes(long long minutes)
{
    return Seconds{minutes * 60};
}

// A local time broken into the fields the records are compared with.
struct LocalTime {
    int year;
    unsigned month;
    unsigned day;
    long long millisecondOfDay;
};

LocalTime Fields(sys_seconds local)
{
    const sys_days day = floor<days>(local);
    const year_month_day date{day};
    return {int(date.year()), unsigned(date.month()), unsigned(date.day()),
            duration_cast<milliseconds>(local - day).count()};
}

// The day of the month a record's date falls on in a given year: the
// day-in-month form counts occurrences of the weekday, 5 meaning the last.
int LimitDay(int yearNumber, const SystemTime& limit)
{
    if (limit.year != 0) {
        return limit.day;
    }
    const year_month month{year{yearNumber} / std::chrono::month{limit.month}};
    const weekday firstWeekday{sys_days{month / 1}};
    const int first = 1 + int((weekday{limit.dayOfWeek} - firstWeekday).count());
    int day = first + 7 * (limit.day - 1);
    if (day > int(unsigned((month / last).day()))) {
        day -= 7;
    }
    return day;
}

long long LimitMillisecond(const SystemTime& limit)
{
    return ((limit.hour * 60LL + limit.minute) * 60 + limit.second) * 1000 + limit.milliseconds;
}

// Where in the year a local time stands against a record's date:
// negative before it, zero at it, positive after it.
long long Compare(const LocalTime& time, const SystemTime& limit)
{
    if (time.month != limit.month) {
        return time.month < limit.month ? -1 : 1;
    }
    return (time.day * kMillisecondsPerDay + time.millisecondOfDay) -
           (LimitDay(time.year, limit) * kMillisecondsPerDay + LimitMillisecond(limit));
}

// Northern form (daylight time between the two dates) when the daylight
// date comes first in the year; southern form (daylight time outside them)
// otherwise.
bool DaylightDateFirst(const TziRecord& record, int year, Reader reader)
{
    if (reader == Reader::kWine) {
        return record.daylightDate.month < record.standardDate.month;
    }
    const auto position = [year](const SystemTime& date) {
        return std::make_pair(date.month, LimitDay(year, date) * kMillisecondsPerDay +
                                              LimitMillisecond(date));
    };
    return position(record.daylightDate) < position(record.standardDate);
}

// The local instant of a record's date in a given year, rounded up to the
// second: the first second that compares at or after it.
sys_seconds LimitInstant(int yearNumber, const SystemTime& limit)
{
    const sys_days firstOfMonth{year{yearNumber} / month{limit.month} / 1};
    const long long millisecond = LimitMillisecond(limit);
    return firstOfMonth + days{LimitDay(yearNumber, limit) - 1} + Seconds{(millisecond + 999) / 1000};
}

}  // namespace

bool ReadersMayDiffer(const TziRecord& record)
{
    // The reader counts only in DaylightDateFirst, whose two forms agree
    // where the months differ.
    return record.HasDaylightTime() && record.daylightDate.month == record.standardDate.month;
}

Seconds OffsetAt(const TziRecord& record, Instant instant, Reader reader)
{
    const Seconds standard = -Minutes(std::int64_t(record.bias) + record.standardBias);
    const Seconds daylight = -Minutes(std::int64_t(record.bias) + record.daylightBias);
    if (!record.HasDaylightTime()) {
        return standard;
    }
    // The year is the local year without either bias; a local time that
    // falls in another year is before or after every date of this one.
    const int year = Fields(instant - Minutes(record.bias)).year;
    const LocalTime inDaylight = Fields(instant + daylight);
    const bool beforeStandardDate = inDaylight.year == year
                                        ? Compare(inDaylight, record.standardDate) < 0
                                        : inDaylight.year < year;
    const LocalTime inStandard = Fields(instant + standard);
    const bool afterDaylightDate = inStandard.year == year
                                       ? Compare(inStandard, record.daylightDate) >= 0
                                       : inStandard.year > year;
    const bool isDaylight = DaylightDateFirst(record, year, reader)
                                ? beforeStandardDate && afterDaylightDate
                                : beforeStandardDate || afterDaylightDate;
    return isDaylight ? daylight : standard;
}

Seconds OffsetAt(const ZoneRecords& records, Instant instant, Reader reader)
{
    return OffsetAt(records.ForYear(UtcYear(instant)), instant, reader);
}

std::vector<OffsetChange> ChangesBetween(const ZoneRecords& records, Instant begin, Instant end, Reader reader)
{
    // The reading can only turn where a comparison above turns: at a
    // record's dates and at local new years, for the local years around
    // each UTC year, and where one year's record hands over to the next.
    std::vector<Instant> turns;
    for (int year = UtcYear(begin); begin < end && year <= UtcYear(end - Seconds{1}); ++year) {
        const Instant yearStart = std::max(begin, StartOfYear(year));
        const Instant yearEnd = std::min(end, StartOfYear(year + 1));
        turns.push_back(yearStart);
        const TziRecord& record = records.ForYear(year);
        if (!record.HasDaylightTime()) {
            continue;
        }
        const Seconds standard = Minutes(std::int64_t(record.bias) + record.standardBias);
        const Seconds daylight = Minutes(std::int64_t(record.bias) + record.daylightBias);
        for (int local = year - 1; local <= year + 1; ++local) {
            const Instant candidates[] = {
                LimitInstant(local, record.daylightDate) + standard,
                LimitInstant(local, record.standardDate) + daylight,
                StartOfYear(local) + Minutes(record.bias),
                StartOfYear(local) + standard,
                StartOfYear(local) + daylight,
            };
            for (Instant candidate : candidates) {
                if (candidate > yearStart && candidate < yearEnd) {
                    turns.push_back(candidate);
                }
            }
        }
    }
    std::sort(turns.begin(), turns.end());
    turns.erase(std::unique(turns.begin(), turns.end()), turns.end());

    std::vector<OffsetChange> changes;
    Seconds current = OffsetAt(records, begin, reader);
    for (Instant turn : turns) {
        const Seconds offset = OffsetAt(records, turn, reader);
        if (offset != current) {
            changes.push_back({turn, current, offset});
            current = offset;
        }
    }
    return changes;
}

YearOffsets EvaluateYear(const ZoneRecords& records, int year, Reader reader)
{
    const Instant begin = StartOfYear(year);
    return {year, OffsetAt(records, begin, reader),
            ChangesBetween(records, begin, StartOfYear(year + 1), reader)};
}

YearOffsets EvaluateYear(const TziRecord& record, int year, Reader reader)
{
    return EvaluateYear(ZoneRecords{record, std::nullopt}, year, reader);
}

}  // namespace zoneinf
