// The time model every stage shares: instants in UTC, offsets from UTC, and
// the changes of offset a zone goes through in one UTC year.
#pragma once

#include <chrono>
#include <functional>
#include <span>
#include <string>
#include <vector>

namespace zoneinf {

using Seconds = std::chrono::seconds;
using Instant = std::chrono::sys_seconds;

// The UTC years a run writes or checks, both included. Example: 1970 to 2037.
struct YearRange {
    int first = 1970;
    int last = 2037;
};

// One change of a zone's UTC offset, in the manner of Hinnant's sys_info
// boundaries: from `at` on, local time is UTC + `after`; one second before,
// it was UTC + `before`. Only the offset counts, never a daylight flag.
// Example: America/Asuncion, at 2024-03-24T03:00:00Z, before -03:00, after -04:00.
struct OffsetChange {
    Instant at;
    Seconds before;
    Seconds after;

    bool operator==(const OffsetChange&) const = default;
};

// A zone's offsets during one UTC year, [Jan 1 00:00Z, next Jan 1 00:00Z).
// Example: America/Caracas 2016: atStart -04:30, one change on
// 2016-05-01T07:00:00Z to -04:00.
struct YearOffsets {
    int year = 0;
    Seconds atStart{0};
    std::vector<OffsetChange> changes;

    // The offset at an instant of the year.
    Seconds OffsetAt(Instant instant) const;

    bool operator==(const YearOffsets&) const = default;
};

// Offsets over a span of time, to compare with others: the offset at any
// instant, and every change of offset in the span, between which the
// offset holds. Example: America/Asuncion's timeline over 2026-2037 with
// its 24 changes, or a machine's records for the key as Windows reads them.
struct OffsetSeries {
    std::function<Seconds(Instant)> offsetAt;
    std::span<const OffsetChange> changes;
};

// A stretch of time in which two series give different offsets. Example:
// from 2026-03-22T03:00:00Z to 2026-10-04T03:00:00Z, UTC-04:00 against
// UTC-03:00.
struct OffsetDifference {
    Instant from;
    Instant to;
    Seconds first;
    Seconds second;
};

// Where two series differ in [begin, end), in order of time: each stretch
// runs from `begin` or a change of either series to the next such instant
// (or `end`), so the first stretch starts where the two first part, and
// their lengths add up to how long they disagree. Empty when they agree.
std::vector<OffsetDifference> Differences(const OffsetSeries& first, const OffsetSeries& second, Instant begin,
                                          Instant end);

Instant StartOfYear(int year);
int UtcYear(Instant instant);

// "2024-03-24T03:00:00Z"
std::string FormatInstant(Instant instant);
// "UTC-03:00", "UTC+05:45", "UTC-00:44:30" (seconds only when there are some)
std::string FormatOffset(Seconds offset);
// "2024-03-24T03:00:00Z -03:00 -> -04:00"
std::string FormatChange(const OffsetChange& change);

}  // namespace zoneinf
