#include "check/clock_check.h"

#include "records/record_evaluator.h"

namespace zoneinf {

const char* StateName(ClockState state)
{
    switch (state) {
    case ClockState::kInForce: return "inForce";
    case ClockState::kNotReselected: return "notReselected";
    case ClockState::kAutomaticDstOff: return "automaticDstOff";
    case ClockState::kNotExported: return "notExported";
    case ClockState::kMalformed: return "malformed";
    case ClockState::kUnchecked: return "unchecked";
    case ClockState::kNone: break;
    }
    return "none";
}

ClockCheck CheckClock(const ClockInForce& inForce, const ZoneRecords& key, int year)
{
    ClockCheck check;
    check.year = year;
    if (!inForce.problem.empty()) {
        check.state = ClockState::kMalformed;
        check.problem = inForce.problem;
        return check;
    }
    if (!inForce.record) {
        check.state = ClockState::kNotExported;
        return check;
    }
    const TziRecord& expected = key.ForYear(year);
    const TziRecord& found = *inForce.record;
    const bool dstOff = inForce.dynamicDaylightTimeDisabled || inForce.dstOffKeyName;
    if (dstOff && !EvaluateYear(key, year).changes.empty()) {
        check.state = ClockState::kAutomaticDstOff;
        return check;
    }
    const auto compare = [&check](bool same, const char* name) {
        if (!same) {
            check.differingValues.push_back(name);
        }
    };
    compare(found.bias == expected.bias, "Bias");
    compare(found.standardBias == expected.standardBias, "StandardBias");
    // With automatic daylight time off, and none to keep, Windows may clear
    // the daylight values: only the biases of standard time tell.
    if (!dstOff) {
        compare(found.daylightBias == expected.daylightBias, "DaylightBias");
        compare(found.standardDate == expected.standardDate, "StandardStart");
        compare(found.daylightDate == expected.daylightDate, "DaylightStart");
    }
    check.state = check.differingValues.empty() ? ClockState::kInForce : ClockState::kNotReselected;
    return check;
}

}  // namespace zoneinf
