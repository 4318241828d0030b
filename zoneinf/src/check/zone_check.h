// The verdict on one key: its records read as Windows reads them and
// compared with the database's zone, change by change.
#pragma once

#include "model/time_model.h"
#include "records/windows_record.h"
#include "tzdb/zone_timeline.h"

#include <string>
#include <vector>

namespace zoneinf {

// One key's verdict. Example: "Paraguay Standard Time", America/Asuncion,
// differs from 2026-10-04T03:00:00Z (Windows UTC-02:00, database
// UTC-03:00), 24 changes of offset disagree.
// kAsClose: the records differ only in years no record describes (Morocco's
// 2029 and 2033, with two Ramadans), and there no longer than the record
// zoneinf writes for them; no machine can do better, so it is no fault.
// kTraceOlder, kTraceMissing (--since): records that agree (or are as
// close as Windows allows) but whose trace records an older release, or
// no trace covers the key: definitions not known to be the ones required.
struct ZoneCheck {
    enum Status { kAgrees, kDiffers, kMalformed, kUnchecked, kAsClose, kTraceOlder, kTraceMissing } status = kUnchecked;
    std::string windowsKey;
    std::string zone;     // the database's current name of the zone CLDR maps the key to, if any
    std::string problem;  // what is malformed, or why it was not checked
    Instant firstDifference{};
    Seconds windowsOffset{0};
    Seconds databaseOffset{0};
    int disagreeingChanges = 0;
    std::vector<int> closestYears;  // kAsClose: the years no record describes, 2029 and 2033
    std::string traceRelease;       // kTraceOlder: the release the trace records, "2025b"

    // Malformed definitions are wrong ones: stale like those that differ,
    // and so are definitions older than --since requires.
    bool Stale() const
    {
        return status == kDiffers || status == kMalformed || status == kTraceOlder || status == kTraceMissing;
    }
};

// The status as --check --json names it: "agrees", "asCloseAsWindowsAllows"...
const char* StatusName(ZoneCheck::Status status);

// A key's records against the zone's timeline and its changes in the
// years: kAgrees or kDiffers, with the first difference.
ZoneCheck CompareWithDatabase(const ZoneRecords& records, const ZoneTimeline& timeline,
                              const std::vector<OffsetChange>& databaseChanges, YearRange years);

// The same, with records that differ only as Windows cannot help kAsClose.
ZoneCheck JudgeRecords(const ZoneRecords& records, const ZoneTimeline& timeline,
                       const std::vector<OffsetChange>& databaseChanges, YearRange years);

}  // namespace zoneinf
