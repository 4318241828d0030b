#include "records/record_builder.h"

#include "base/errors.h"
#include "base/messages.h"
#include "records/record_evaluator.h"

#include <algorithm>
#include <vector>

namespace zoneinf {

using namespace std::chrono;

namespace {

// Minutes west of UTC, as Windows counts them; nullopt for an offset with
// seconds unless rounding is allowed.
std::optional<std::int32_t> BiasOf(Seconds offset, bool round)
{
    if (offset.count() % 60 != 0 && !round) {
        return std::nullopt;
    }
    return std::int32_t(-std::chrono::round<minutes>(offset).count());
}

// The wall-clock time of an instant, in the day-in-month form, read in the
// given offset. The occurrence is counted from the month's end when it is
// the last one, so a record written for one year keeps "last Sunday" in
// the next.
std::optional<SystemTime> DayInMonth(Instant at, Seconds offset, bool round)
{
    sys_seconds local = at + offset;
    if (local.time_since_epoch().count() % 60 != 0) {
        if (!round) {
            return std::nullopt;
        }
        local = std::chrono::round<minutes>(local);
    }
    const sys_days day = floor<days>(local);
    const year_month_day date{day};
    const hh_mm_ss time{local - day};
    const unsigned dayOfMonth = unsigned(date.day());
    const unsigned monthLength = unsigned((date.year() / date.month() / last).day());
    SystemTime result;
    result.month = std::uint16_t(unsigned(date.month()));
    result.dayOfWeek = std::uint16_t(weekday{day}.c_encoding());
    result.day = std::uint16_t(dayOfMonth + 7 > monthLength ? 5 : (dayOfMonth - 1) / 7 + 1);
    result.hour = std::uint16_t(time.hours().count());
    result.minute = std::uint16_t(time.minutes().count());
    return result;
}

// The first instant of the local year, and its last minute: the edges a
// record uses when the year has a single change.
SystemTime YearStart(int year)
{
    const sys_days first{std::chrono::year{year} / January / 1};
    return {0, 1, std::uint16_t(weekday{first}.c_encoding()), 1, 0, 0, 0, 0};
}

SystemTime YearEnd(int year)
{
    const sys_days last{std::chrono::year{year} / December / 31};
    return {0, 12, std::uint16_t(weekday{last}.c_encoding()), 5, 23, 59, 0, 0};
}

std::optional<TziRecord> MakeRecord(Seconds standard, Seconds daylight, std::optional<SystemTime> standardDate,
                                    std::optional<SystemTime> daylightDate, bool round)
{
    const auto standardBias = BiasOf(standard, round);
    const auto daylightBias = BiasOf(daylight, round);
    if (!standardBias || !daylightBias || !standardDate || !daylightDate) {
        return std::nullopt;
    }
    TziRecord record;
    record.bias = *standardBias;
    record.daylightBias = *daylightBias - *standardBias;
    record.standardDate = *standardDate;
    record.daylightDate = *daylightDate;
    return record;
}

// The records that could be made, daylight time ahead of standard time
// before the other way round.
std::vector<TziRecord> InPreferredOrder(const std::vector<std::optional<TziRecord>>& candidates)
{
    std::vector<TziRecord> records;
    for (const auto& candidate : candidates) {
        if (candidate) {
            records.push_back(*candidate);
        }
    }
    std::stable_sort(records.begin(), records.end(), [](const TziRecord& a, const TziRecord& b) {
        return (a.daylightBias <= 0) > (b.daylightBias <= 0);
    });
    return records;
}

// Records that might read as the year's offsets, in order of preference.
std::vector<TziRecord> Candidates(const YearOffsets& year, bool round)
{
    std::vector<std::optional<TziRecord>> candidates;
    const auto& changes = year.changes;
    if (changes.empty()) {
        if (auto bias = BiasOf(year.atStart, round)) {
            TziRecord record;
            record.bias = *bias;
            candidates.push_back(record);
        }
    } else if (changes.size() == 1) {
        // One change: the year's other edge stands in for the second date.
        const OffsetChange& change = changes[0];
        const auto date = DayInMonth(change.at, change.before, round);
        for (const SystemTime& edge : {YearStart(year.year), YearEnd(year.year)}) {
            candidates.push_back(MakeRecord(change.before, change.after, edge, date, round));
            candidates.push_back(MakeRecord(change.after, change.before, date, edge, round));
        }
    } else if (changes.size() == 2 && changes[1].after == year.atStart) {
        const auto first = DayInMonth(changes[0].at, changes[0].before, round);
        const auto second = DayInMonth(changes[1].at, changes[1].before, round);
        candidates.push_back(MakeRecord(year.atStart, changes[0].after, second, first, round));
        candidates.push_back(MakeRecord(changes[0].after, year.atStart, first, second, round));
    }
    return InPreferredOrder(candidates);
}

// The first record that Windows and Wine both read as these offsets.
std::optional<TziRecord> FirstReadingAs(const std::vector<TziRecord>& candidates, const YearOffsets& year)
{
    for (const TziRecord& candidate : candidates) {
        if (EvaluateYear(candidate, year.year, Reader::kWindows) == year &&
            (!ReadersMayDiffer(candidate) || EvaluateYear(candidate, year.year, Reader::kWine) == year)) {
            return candidate;
        }
    }
    return std::nullopt;
}

}  // namespace

std::optional<TziRecord> DescribeYear(const YearOffsets& year)
{
    return FirstReadingAs(Candidates(year, false), year);
}

Seconds DisagreementIn(const YearOffsets& first, const YearOffsets& second)
{
    Seconds total{0};
    for (const OffsetDifference& difference :
         Differences({[&](Instant at) { return first.OffsetAt(at); }, first.changes},
                     {[&](Instant at) { return second.OffsetAt(at); }, second.changes}, StartOfYear(first.year),
                     StartOfYear(first.year + 1))) {
        total += difference.to - difference.from;
    }
    return total;
}

TziRecord ClosestRecord(const YearOffsets& year)
{
    // Try the year as each of its single changes and as each pair of them:
    // quadratic in the changes, so a year of more than a few is refused
    // (no zone has had more than four; a record holds two).
    const auto& changes = year.changes;
    if (changes.size() > kMostChangesApproximated) {
        throw Failure(kExitIndescribable,
                      Fill(_("%1 has %2 changes of offset, more than --approximate reduces to one record (%3)"),
                           {std::to_string(year.year), std::to_string(changes.size()),
                            std::to_string(kMostChangesApproximated)}));
    }
    std::vector<YearOffsets> simplified;
    for (const OffsetChange& change : changes) {
        simplified.push_back({year.year, change.before, {}});
        simplified.push_back({year.year, change.before, {change}});
    }
    for (size_t i = 0; i < changes.size(); ++i) {
        for (size_t j = i + 1; j < changes.size(); ++j) {
            const OffsetChange back{changes[j].at, changes[i].after, changes[i].before};
            simplified.push_back({year.year, changes[i].before, {changes[i], back}});
        }
    }
    simplified.push_back({year.year, year.atStart, {}});

    TziRecord best;
    Seconds bestDisagreement = Seconds::max();
    for (const YearOffsets& candidateYear : simplified) {
        for (const TziRecord& candidate : Candidates(candidateYear, true)) {
            const Seconds windows = DisagreementIn(EvaluateYear(candidate, year.year, Reader::kWindows), year);
            const Seconds disagreement =
                windows + (ReadersMayDiffer(candidate)
                               ? DisagreementIn(EvaluateYear(candidate, year.year, Reader::kWine), year)
                               : windows);
            if (disagreement < bestDisagreement) {
                best = candidate;
                bestDisagreement = disagreement;
            }
        }
    }
    return best;
}

std::optional<TziRecord> DescribeRule(const PosixTz& rule, const YearOffsets& year)
{
    if (!rule.daylight) {
        return FirstReadingAs(Candidates({year.year, rule.standardOffset, {}}, false), year);
    }
    const PosixDaylightRule& daylight = *rule.daylight;
    const auto asDate = [](const PosixChange& change) -> std::optional<SystemTime> {
        const long long time = change.time.count();
        if (change.day.kind != PosixDay::kMonthWeekDay || time < 0 || time >= 86400 || time % 60 != 0) {
            return std::nullopt;
        }
        return SystemTime{0,
                          std::uint16_t(change.day.month),
                          std::uint16_t(change.day.weekday),
                          std::uint16_t(change.day.week),
                          std::uint16_t(time / 3600),
                          std::uint16_t(time / 60 % 60),
                          0,
                          0};
    };
    const auto start = asDate(daylight.start);
    const auto end = asDate(daylight.end);
    // Daylight time ahead of standard time first; a negative daylight time
    // (Dublin's winter) is the same rule with the two names swapped.
    return FirstReadingAs(InPreferredOrder({MakeRecord(rule.standardOffset, daylight.offset, end, start, false),
                                            MakeRecord(daylight.offset, rule.standardOffset, start, end, false)}),
                          year);
}

}  // namespace zoneinf
