// Windows records read back as UTC offsets, the way Windows reads them:
// the generator proves each record with it, and --check compares machines'
// records with the database through it.
#pragma once

#include "model/time_model.h"
#include "records/windows_record.h"

#include <vector>

namespace zoneinf {

// Two readers of the same bytes. Windows tells a record's northern form
// (daylight time between the two dates) from its southern form (daylight
// time outside them) by which date comes first in the year; Wine 8 by the
// months alone, so the two differ on records with both dates in one month.
// The generator writes only records that both read alike.
enum class Reader { kWindows, kWine };

// Whether the two readers may read a record differently: it has daylight
// time with both dates in one month. Any other reads alike in both.
bool ReadersMayDiffer(const TziRecord& record);

// The offset a record gives at an instant. A record is read for the
// instant's UTC year, as SystemTimeToTzSpecificLocalTimeEx asks
// GetTimeZoneInformationForYear for it.
Seconds OffsetAt(const TziRecord& record, Instant instant, Reader reader = Reader::kWindows);
Seconds OffsetAt(const ZoneRecords& records, Instant instant, Reader reader = Reader::kWindows);

// Every change of offset the records give in [begin, end), in order.
std::vector<OffsetChange> ChangesBetween(const ZoneRecords& records, Instant begin, Instant end,
                                         Reader reader = Reader::kWindows);

// The offsets one record gives through a whole UTC year.
YearOffsets EvaluateYear(const TziRecord& record, int year, Reader reader = Reader::kWindows);
YearOffsets EvaluateYear(const ZoneRecords& records, int year, Reader reader = Reader::kWindows);

}  // namespace zoneinf
