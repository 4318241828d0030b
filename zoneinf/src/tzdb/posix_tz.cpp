#include "tzdb/posix_tz.h"

#include <algorithm>
#include <cctype>

namespace zoneinf {

using namespace std::chrono;

namespace {

// A cursor over the TZ string; every reader returns false on bad input.
struct Cursor {
    std::string_view text;
    size_t position = 0;

    bool AtEnd() const { return position == text.size(); }
    char Peek() const { return AtEnd() ? '\0' : text[position]; }
    bool Accept(char c)
    {
        if (Peek() != c) {
            return false;
        }
        ++position;
        return true;
    }
    bool Number(int maximum, int& value)
    {
        if (!std::isdigit(static_cast<unsigned char>(Peek()))) {
            return false;
        }
        value = 0;
        while (std::isdigit(static_cast<unsigned char>(Peek()))) {
            value = value * 10 + (text[position++] - '0');
            if (value > maximum) {
                return false;
            }
        }
        return true;
    }
};

// "EST" or "<-03>"
bool ReadName(Cursor& cursor)
{
    if (cursor.Accept('<')) {
        const size_t close = cursor.text.find('>', cursor.position);
        if (close == std::string_view::npos || close - cursor.position < 3) {
            return false;
        }
        cursor.position = close + 1;
        return true;
    }
    const size_t start = cursor.position;
    // ASCII letters whatever the locale (std::isalpha takes é in Latin-1 ones).
    const auto isLetter = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); };
    while (isLetter(cursor.Peek())) {
        ++cursor.position;
    }
    return cursor.position - start >= 3;
}

// [+-]hh[:mm[:ss]] with hours up to `maxHours`; POSIX counts west as positive.
bool ReadClock(Cursor& cursor, int maxHours, Seconds& value)
{
    const bool negative = cursor.Accept('-');
    if (!negative) {
        cursor.Accept('+');
    }
    int hours = 0, minutes = 0, seconds = 0;
    if (!cursor.Number(maxHours, hours)) {
        return false;
    }
    if (cursor.Accept(':') && (!cursor.Number(59, minutes) ||
                               (cursor.Accept(':') && !cursor.Number(59, seconds)))) {
        return false;
    }
    value = Seconds{(hours * 60 + minutes) * 60 + seconds};
    if (negative) {
        value = -value;
    }
    return true;
}

bool ReadChange(Cursor& cursor, PosixChange& change)
{
    PosixDay& day = change.day;
    if (cursor.Accept('M')) {
        day.kind = PosixDay::kMonthWeekDay;
        if (!cursor.Number(12, day.month) || day.month < 1 || !cursor.Accept('.') ||
            !cursor.Number(5, day.week) || day.week < 1 || !cursor.Accept('.') ||
            !cursor.Number(6, day.weekday)) {
            return false;
        }
    } else if (cursor.Accept('J')) {
        day.kind = PosixDay::kJulianNoLeap;
        if (!cursor.Number(365, day.day) || day.day < 1) {
            return false;
        }
    } else {
        day.kind = PosixDay::kZeroBased;
        if (!cursor.Number(365, day.day)) {
            return false;
        }
    }
    change.time = Seconds{7200};
    return !cursor.Accept('/') || ReadClock(cursor, 167, change.time);
}

}  // namespace

std::optional<PosixTz> ParsePosixTz(std::string_view text)
{
    Cursor cursor{text};
    PosixTz tz;
    Seconds west{0};
    if (!ReadName(cursor) || !ReadClock(cursor, 24, west)) {
        return std::nullopt;
    }
    tz.standardOffset = -west;
    if (cursor.AtEnd()) {
        return tz;
    }
    PosixDaylightRule rule;
    if (!ReadName(cursor)) {
        return std::nullopt;
    }
    rule.offset = tz.standardOffset + hours{1};
    if (cursor.Peek() != ',') {
        if (!ReadClock(cursor, 24, west)) {
            return std::nullopt;
        }
        rule.offset = -west;
    }
    if (!cursor.Accept(',') || !ReadChange(cursor, rule.start) || !cursor.Accept(',') ||
        !ReadChange(cursor, rule.end) || !cursor.AtEnd()) {
        return std::nullopt;
    }
    tz.daylight = rule;
    return tz;
}

sys_days DateOf(const PosixDay& day, int yearNumber)
{
    const year y{yearNumber};
    switch (day.kind) {
    case PosixDay::kJulianNoLeap: {
        // Day 60 is always March 1: February 29 is never counted.
        const sys_days date = sys_days{y / January / 1} + days{day.day - 1};
        return y.is_leap() && day.day >= 60 ? date + days{1} : date;
    }
    case PosixDay::kZeroBased:
        return sys_days{y / January / 1} + days{day.day};
    case PosixDay::kMonthWeekDay:
        break;
    }
    const month m{unsigned(day.month)};
    const weekday wd{unsigned(day.weekday)};
    if (day.week == 5) {
        return sys_days{y / m / wd[last]};
    }
    return sys_days{y / m / wd[unsigned(day.week)]};
}

std::vector<PosixTz::RuleChange> PosixTz::RuleChanges(int firstYear, int lastYear) const
{
    std::vector<RuleChange> changes;
    if (!daylight) {
        return changes;
    }
    const PosixDaylightRule& rule = *daylight;
    for (int year = firstYear; year <= lastYear; ++year) {
        const Instant start = DateOf(rule.start.day, year) + rule.start.time - standardOffset;
        const Instant end = DateOf(rule.end.day, year) + rule.end.time - rule.offset;
        if (start < end) {
            changes.push_back({start, rule.offset});
            changes.push_back({end, standardOffset});
        } else {
            changes.push_back({end, standardOffset});
            changes.push_back({start, rule.offset});
        }
    }
    // Stable: changes at one instant keep their order of year.
    std::stable_sort(changes.begin(), changes.end(),
                     [](const RuleChange& a, const RuleChange& b) { return a.at < b.at; });
    return changes;
}

Seconds PosixTz::OffsetAt(Instant instant) const
{
    const int year = UtcYear(instant);
    Seconds offset = standardOffset;
    for (const RuleChange& change : RuleChanges(year - 1, year + 1)) {
        if (change.at > instant) {
            break;
        }
        offset = change.after;
    }
    return offset;
}

}  // namespace zoneinf
