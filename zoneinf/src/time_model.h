// The time model every stage shares: instants in UTC, offsets from UTC, and
// the changes of offset a zone goes through in one UTC year.
#pragma once

#include <chrono>
#include <string>
#include <vector>

namespace zoneinf {

using Seconds = std::chrono::seconds;
using Instant = std::chrono::sys_seconds;

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

    bool operator==(const YearOffsets&) const = default;
};

Instant StartOfYear(int year);
int UtcYear(Instant instant);

// "2024-03-24T03:00:00Z"
std::string FormatInstant(Instant instant);
// "UTC-03:00", "UTC+05:45", "UTC-00:44:30" (seconds only when there are some)
std::string FormatOffset(Seconds offset);
// "2024-03-24T03:00:00Z -03:00 -> -04:00"
std::string FormatChange(const OffsetChange& change);

}  // namespace zoneinf
