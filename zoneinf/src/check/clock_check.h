// The clock in force: TimeZoneInformation's record against the current
// key's record for the year, which Windows copies when the zone is selected.
#pragma once

#include "records/windows_record.h"
#include "registry/exported_definitions.h"

#include <string>
#include <vector>

namespace zoneinf {

// The record in force against the key's:
//  kNone          the input names no current zone
//  kInForce       the clock runs on the key's record
//  kNotReselected some value differs: the zone was not selected again
//                 since its key changed
//  kAutomaticDstOff automatic daylight time is off (DynamicDaylightTimeDisabled,
//                 or a "_dstoff" key name) where the zone has daylight time
//  kNotExported   the input holds no record in force (an export of Time
//                 Zones alone, Wine's own registry)
//  kMalformed     a value of the record in force cannot be read
//  kUnchecked     the current key's own records cannot be read, or are absent
enum class ClockState { kNone, kInForce, kNotReselected, kAutomaticDstOff, kNotExported, kMalformed, kUnchecked };

// The state as --check --json names it: "inForce", "notReselected"...
const char* StateName(ClockState state);

struct ClockCheck {
    ClockState state = ClockState::kNone;
    int year = 0;                             // the year whose record it is compared with
    std::vector<std::string> differingValues; // kNotReselected: "Bias", "DaylightStart"...
    std::string problem;                      // kMalformed, kUnchecked
};

// The record in force against the current key's records for `year`.
ClockCheck CheckClock(const ClockInForce& inForce, const ZoneRecords& key, int year);

}  // namespace zoneinf
