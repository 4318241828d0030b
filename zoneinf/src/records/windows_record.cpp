#include "records/windows_record.h"

#include "base/messages.h"

#include <algorithm>

namespace zoneinf {

namespace {

void Put16(std::uint8_t* out, std::uint16_t value)
{
    out[0] = std::uint8_t(value);
    out[1] = std::uint8_t(value >> 8);
}

void Put32(std::uint8_t* out, std::int32_t value)
{
    const auto bits = std::uint32_t(value);
    Put16(out, std::uint16_t(bits));
    Put16(out + 2, std::uint16_t(bits >> 16));
}

std::uint16_t Get16(const std::uint8_t* in)
{
    return std::uint16_t(in[0] | in[1] << 8);
}

std::int32_t Get32(const std::uint8_t* in)
{
    return std::int32_t(std::uint32_t(Get16(in)) | std::uint32_t(Get16(in + 2)) << 16);
}

void PutTime(std::uint8_t* out, const SystemTime& time)
{
    const std::uint16_t fields[] = {time.year, time.month,  time.dayOfWeek, time.day,
                                    time.hour, time.minute, time.second,    time.milliseconds};
    for (std::uint16_t field : fields) {
        Put16(out, field);
        out += 2;
    }
}

SystemTime GetTime(const std::uint8_t* in)
{
    return {Get16(in),      Get16(in + 2),  Get16(in + 4),  Get16(in + 6),
            Get16(in + 8),  Get16(in + 10), Get16(in + 12), Get16(in + 14)};
}

std::optional<std::string> TimeDefect(const SystemTime& time, const char* which)
{
    const std::string name = which;
    if (time.month > 12) {
        return Fill(_("%1 month %2"), {name, std::to_string(time.month)});
    }
    if (time.month == 0) {
        return std::nullopt;
    }
    if (time.year == 0 && (time.day < 1 || time.day > 5 || time.dayOfWeek > 6)) {
        return Fill(_("%1 occurrence %2 of weekday %3"), {name, std::to_string(time.day), std::to_string(time.dayOfWeek)});
    }
    if (time.year != 0 && (time.day < 1 || time.day > 31)) {
        return Fill(_("%1 day %2"), {name, std::to_string(time.day)});
    }
    if (time.hour > 23 || time.minute > 59 || time.second > 59 || time.milliseconds > 999) {
        return Fill(_("%1 time of day"), {name});
    }
    return std::nullopt;
}

}  // namespace

std::array<std::uint8_t, TziRecord::kSize> TziRecord::Bytes() const
{
    std::array<std::uint8_t, kSize> bytes{};
    Put32(&bytes[0], bias);
    Put32(&bytes[4], standardBias);
    Put32(&bytes[8], daylightBias);
    PutTime(&bytes[12], standardDate);
    PutTime(&bytes[28], daylightDate);
    return bytes;
}

TziRecord TziRecord::FromBytes(std::span<const std::uint8_t, kSize> bytes)
{
    TziRecord record;
    record.bias = Get32(&bytes[0]);
    record.standardBias = Get32(&bytes[4]);
    record.daylightBias = Get32(&bytes[8]);
    record.standardDate = GetTime(&bytes[12]);
    record.daylightDate = GetTime(&bytes[28]);
    return record;
}

std::optional<std::string> TziRecord::Defect() const
{
    // More than a day away from UTC is no zone's bias. The sums are wide:
    // two 32-bit fields of a hostile record overflow 32 bits.
    for (std::int64_t minutes : {std::int64_t(bias), std::int64_t(bias) + standardBias,
                                 std::int64_t(bias) + daylightBias}) {
        if (minutes < -24 * 60 || minutes > 24 * 60) {
            return Fill(_("bias of %1 minutes"), {std::to_string(minutes)});
        }
    }
    if (auto defect = TimeDefect(standardDate, "StandardDate")) {
        return defect;
    }
    if (standardDate.month == 0) {
        return std::nullopt;
    }
    return TimeDefect(daylightDate, "DaylightDate");
}

const TziRecord& ZoneRecords::ForYear(int year) const
{
    if (!dynamic || dynamic->years.empty()) {
        return tzi;
    }
    const int index = std::clamp(year, dynamic->firstYear, dynamic->lastYear) - dynamic->firstYear;
    return dynamic->years[size_t(index)];
}

}  // namespace zoneinf
