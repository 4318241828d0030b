// Stage 3 of the pipeline: the records Windows keeps for a zone under
// HKLM\SOFTWARE\Microsoft\Windows NT\CurrentVersion\Time Zones\<key>.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace zoneinf {

// A SYSTEMTIME as the records hold it: eight little-endian 16-bit fields.
// With year 0 it is the day-in-month form: dayOfWeek (Sunday = 0) and day
// 1-5, its first to fifth occurrence in month, 5 meaning the last.
// Example: {0, 3, 0, 2, 2, 0, 0, 0} is 02:00 on the second Sunday of March.
struct SystemTime {
    std::uint16_t year = 0;
    std::uint16_t month = 0;  // 0: no change at all
    std::uint16_t dayOfWeek = 0;
    std::uint16_t day = 0;
    std::uint16_t hour = 0;
    std::uint16_t minute = 0;
    std::uint16_t second = 0;
    std::uint16_t milliseconds = 0;

    bool operator==(const SystemTime&) const = default;
};

// REG_TZI_FORMAT, the 44 bytes of "TZI" and of each "Dynamic DST" year.
// UTC = local time + bias + standardBias in standard time, or
// + daylightBias in daylight time (minutes). daylightDate is read in
// standard time, standardDate in daylight time; standardDate.month 0
// means no daylight time.
// Example, America/New_York since 2007: bias 300, standardBias 0,
// daylightBias -60, standardDate {0,11,0,1,2,0,0,0},
// daylightDate {0,3,0,2,2,0,0,0}.
struct TziRecord {
    static constexpr size_t kSize = 44;

    std::int32_t bias = 0;
    std::int32_t standardBias = 0;
    std::int32_t daylightBias = 0;
    SystemTime standardDate;
    SystemTime daylightDate;

    bool HasDaylightTime() const { return standardDate.month != 0 && daylightDate.month != 0; }
    std::array<std::uint8_t, kSize> Bytes() const;
    static TziRecord FromBytes(std::span<const std::uint8_t, kSize> bytes);
    // Why Windows could not read it, or nullopt when it can: a month over
    // 12, a day-in-month occurrence outside 1-5, a time past 23:59:59.999.
    std::optional<std::string> Defect() const;

    bool operator==(const TziRecord&) const = default;
};

// The "Dynamic DST" subkey: one record per year from firstYear to lastYear.
struct DynamicDst {
    int firstYear = 0;
    int lastYear = 0;
    std::vector<TziRecord> years;  // lastYear - firstYear + 1 of them
};

// A key's definition: TZI, and the per-year records where there are some.
struct ZoneRecords {
    TziRecord tzi;
    std::optional<DynamicDst> dynamic;

    // The record Windows reads for a year: the year's own entry; the nearest
    // one outside FirstEntry..LastEntry; TZI without Dynamic DST.
    const TziRecord& ForYear(int year) const;
};

}  // namespace zoneinf
