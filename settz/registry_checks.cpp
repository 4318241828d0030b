// The checks on what the zone's key holds: its names, its records, and the
// plausibility of the record Windows derives from them.
#include "registry_checks.h"

#include "settz_platform.h"
#include "text.h"

namespace {

constexpr std::size_t kTziSize = 44;       // REG_TZI_FORMAT
constexpr std::int32_t kMaxBiasMinutes = 24 * 60;

ValueFault CheckRecordValue(const wchar_t* key, const wchar_t* subkey, const wchar_t* name)
{
    RegistryValue value = {};
    const WindowsError error = ReadZoneValue(key, subkey, name, value);
    if (error == kSettzMoreData) {
        return {kSettzInvalidData, name};
    }
    if (error != 0) {
        return {error, name};
    }
    const bool wellFormed = value.type == kRegistryBinary && value.size == kTziSize;
    return {wellFormed ? kSettzSuccess : kSettzInvalidData, name};
}

// Reads a DWORD of the Dynamic DST subkey; 2 when absent, 13 when not a DWORD.
WindowsError ReadEntryYear(const wchar_t* key, const wchar_t* name, std::uint32_t& year)
{
    RegistryValue value = {};
    const WindowsError error = ReadZoneValue(key, L"Dynamic DST", name, value);
    if (error != 0) {
        return error == kSettzMoreData ? kSettzInvalidData : error;
    }
    if (value.type != kRegistryDword || value.size != 4) {
        return kSettzInvalidData;
    }
    year = value.data[0] | (value.data[1] << 8) | (value.data[2] << 16) |
           (static_cast<std::uint32_t>(value.data[3]) << 24);
    return 0;
}

bool DateIsPlausible(const SystemDate& date)
{
    return date.month <= 12 && date.dayOfWeek <= 6 && date.day <= 31 && date.hour <= 23 &&
           date.minute <= 59 && date.second <= 59 && date.milliseconds <= 999;
}

bool BiasIsPlausible(std::int32_t bias)
{
    return bias >= -kMaxBiasMinutes && bias <= kMaxBiasMinutes;
}

}  // namespace

ValueFault ReadZoneName(const wchar_t* key, const wchar_t* muiName, const wchar_t* plainName,
                        wchar_t (&field)[kZoneNameCapacity])
{
    RegistryValue value = {};
    const wchar_t* used = muiName;
    WindowsError error = ReadZoneValue(key, nullptr, muiName, value);
    if (error == kSettzKeyNotFound) {
        used = plainName;
        error = ReadZoneValue(key, nullptr, plainName, value);
    }
    if (error == kSettzMoreData) {
        return {kSettzTooLong, used};
    }
    if (error != 0) {
        return {error, used};
    }
    if ((value.type != kRegistryString && value.type != kRegistryExpandString) || value.size % 2 != 0) {
        return {kSettzInvalidData, used};
    }
    // The stored text may or may not carry its NUL: it ends at the first one.
    const std::size_t stored = value.size / 2;
    std::size_t length = 0;
    while (length < stored && (value.data[2 * length] | value.data[2 * length + 1]) != 0) {
        ++length;
    }
    if (length >= kZoneNameCapacity) {
        return {kSettzTooLong, used};
    }
    for (std::size_t i = 0; i < length; ++i) {
        field[i] = static_cast<wchar_t>(value.data[2 * i] | (value.data[2 * i + 1] << 8));
    }
    field[length] = 0;
    return {HasControlCharacters(field) ? kSettzInvalidData : kSettzSuccess, used};
}

ValueFault CheckRecords(const wchar_t* key, std::uint16_t year, TextBuilder& yearName)
{
    const ValueFault tzi = CheckRecordValue(key, nullptr, L"TZI");
    if (tzi.status != 0) {
        return tzi;
    }
    std::uint32_t first = 0;
    std::uint32_t last = 0;
    const WindowsError firstError = ReadEntryYear(key, L"FirstEntry", first);
    if (firstError == kSettzKeyNotFound) {
        return {kSettzSuccess, nullptr};  // no Dynamic DST: TZI serves every year
    }
    if (firstError != 0) {
        return {firstError, L"Dynamic DST\\FirstEntry"};
    }
    const WindowsError lastError = ReadEntryYear(key, L"LastEntry", last);
    if (lastError != 0 || first > last) {
        return {lastError != 0 ? lastError : kSettzInvalidData, L"Dynamic DST\\LastEntry"};
    }
    const std::uint32_t entry = year < first ? first : (year > last ? last : year);
    TextBuilder entryName = {};
    AppendNumber(entryName, entry);
    Append(yearName, L"Dynamic DST\\");
    Append(yearName, entryName.text);
    ValueFault fault = CheckRecordValue(key, L"Dynamic DST", entryName.text);
    if (fault.status == kSettzKeyNotFound) {
        fault.status = kSettzInvalidData;  // an entry the range promises is missing
    }
    fault.valueName = yearName.text;
    return fault;
}

bool RecordIsPlausible(const ZoneRecord& record)
{
    return BiasIsPlausible(record.bias) && BiasIsPlausible(record.standardBias) &&
           BiasIsPlausible(record.daylightBias) && DateIsPlausible(record.standardDate) &&
           DateIsPlausible(record.daylightDate);
}
