// Stage 2 -> 3: a year's offsets written as one Windows record, and proven
// by reading the record back with the evaluator.
#pragma once

#include "model/time_model.h"
#include "records/windows_record.h"
#include "tzdb/posix_tz.h"

#include <optional>

namespace zoneinf {

// The record that Windows reads as exactly these offsets through the whole
// UTC year, or nullopt when no record can: more than two changes, three
// offsets, offsets or times of day with seconds.
std::optional<TziRecord> DescribeYear(const YearOffsets& year);

// The record whose reading disagrees with these offsets for the shortest
// time in the year, for a year no record describes exactly. Throws Failure
// (kExitIndescribable) for a year of more than kMostChangesApproximated
// changes, so that the time it takes stays bounded.
inline constexpr size_t kMostChangesApproximated = 16;
TziRecord ClosestRecord(const YearOffsets& year);

// The database's rule for the future (a TZif footer) as a day-in-month
// record, when it is one (e.g. "M3.2.0" at 02:00, not "M3.4.4/26") and
// reads as `year` exactly.
std::optional<TziRecord> DescribeRule(const PosixTz& rule, const YearOffsets& year);

// How long, in the year, two readings of it disagree.
Seconds DisagreementIn(const YearOffsets& first, const YearOffsets& second);

}  // namespace zoneinf
