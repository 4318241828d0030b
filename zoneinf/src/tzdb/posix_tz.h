// The POSIX TZ string at the end of a TZif file (RFC 8536, section 3.3):
// the rule the database gives for every instant after its last listed
// transition, e.g. "EST5EDT,M3.2.0,M11.1.0" or "<-03>3" for Asuncion.
#pragma once

#include "model/time_model.h"

#include <optional>
#include <string_view>

namespace zoneinf {

// A day of the year in one of the three POSIX forms.
// Examples: "M3.2.0" (second Sunday of March: kind MonthWeekDay, month 3,
// week 2, weekday 0), "J60" (kind JulianNoLeap, day 60: always March 1),
// "59" (kind ZeroBased, day 59: Feb 29 in leap years).
struct PosixDay {
    enum Kind { kJulianNoLeap, kZeroBased, kMonthWeekDay } kind = kMonthWeekDay;
    int month = 0;    // 1-12, MonthWeekDay only
    int week = 0;     // 1-5, 5 meaning the last; MonthWeekDay only
    int weekday = 0;  // 0 = Sunday; MonthWeekDay only
    int day = 0;      // JulianNoLeap 1-365, ZeroBased 0-365
};

// When a change happens: the day, then a local time of day that RFC 8536
// lets range from -167 to 167 hours, e.g. "M3.4.4/26" is 02:00 on the
// Friday after the fourth Thursday of March (Jerusalem).
struct PosixChange {
    PosixDay day;
    Seconds time{7200};
};

struct PosixDaylightRule {
    Seconds offset{0};  // UTC offset while it applies, e.g. -4h for "EDT"
    PosixChange start;  // read in standard time
    PosixChange end;    // read in daylight time
};

struct PosixTz {
    Seconds standardOffset{0};  // e.g. -5h for "EST5"
    std::optional<PosixDaylightRule> daylight;

    // The rule's two changes for each year in [firstYear, lastYear], in
    // order of time and, at one instant, of year. Changes that meet cancel
    // out: a daylight time kept all year is written as an end on Dec 31 at
    // 25:00 that meets the next start, so callers merge changes that meet.
    struct RuleChange {
        Instant at;
        Seconds after;
    };
    std::vector<RuleChange> RuleChanges(int firstYear, int lastYear) const;
    Seconds OffsetAt(Instant instant) const;
};

// nullopt for anything but a well-formed TZ string with a rule for its
// daylight time (zic always writes one).
std::optional<PosixTz> ParsePosixTz(std::string_view text);

// The local date (midnight) of a POSIX day in a given year.
std::chrono::sys_days DateOf(const PosixDay& day, int year);

}  // namespace zoneinf
