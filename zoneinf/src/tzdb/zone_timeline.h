// Stage 1 of the pipeline: a zone of the IANA database as a timeline of UTC
// offsets (read from its compiled TZif file by tzif_reader.h).
#pragma once

#include "model/time_model.h"
#include "tzdb/posix_tz.h"

#include <optional>
#include <string>
#include <vector>

namespace zoneinf {

// A listed transition of a TZif file: from `at` on, local time is
// UTC + `offset`. Example: Europe/Volgograd 2020-12-26T22:00:00Z, +03:00.
struct Transition {
    Instant at;
    Seconds offset;
};

class ZoneTimeline {
public:
    // `initialOffset` holds before the first transition; `future` (the
    // TZif footer) after the last one, if the file has it.
    ZoneTimeline(Seconds initialOffset, std::vector<Transition> transitions,
                 std::optional<PosixTz> future);

    Seconds OffsetAt(Instant instant) const;
    // Every change of offset in [begin, end), in order; transitions that
    // leave the offset as it was (a new name, a daylight flag) are not changes.
    std::vector<OffsetChange> ChangesBetween(Instant begin, Instant end) const;
    YearOffsets Year(int year) const;

    const std::optional<PosixTz>& FutureRule() const { return future_; }

private:
    Seconds initialOffset_;
    std::vector<Transition> transitions_;
    std::optional<PosixTz> future_;
};

}  // namespace zoneinf
