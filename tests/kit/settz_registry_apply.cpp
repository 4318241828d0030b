// Test build of settz.exe for the kit's scripts under Wine: the one call
// Wine cannot make (SetDynamicTimeZoneInformation aborts there) is replaced
// by what Windows does with the record it is given, writing it as the zone
// in force under HKLM\SYSTEM\CurrentControlSet\Control\TimeZoneInformation.
// Wine itself rewrites only StandardName and TimeZoneKeyName there, from
// the host's zone, whenever a program starts; the rest stays as written,
// so a check of the machine's registry sees whether the zone was selected
// again. Built without the C runtime, like settz.exe itself.
#include <windows.h>

#include "settz_platform.h"

namespace {

const wchar_t kActiveRecordKey[] = L"SYSTEM\\CurrentControlSet\\Control\\TimeZoneInformation";

LSTATUS WriteNumber(HKEY key, const wchar_t* name, std::int32_t number)
{
    const DWORD data = static_cast<DWORD>(number);
    return RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data), sizeof data);
}

LSTATUS WriteName(HKEY key, const wchar_t* name, const wchar_t* text)
{
    DWORD length = 0;
    while (text[length] != 0) {
        ++length;
    }
    return RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                          (length + 1) * sizeof(wchar_t));
}

// A date as Windows stores it there: the SYSTEMTIME's 16 bytes.
LSTATUS WriteDate(HKEY key, const wchar_t* name, const SystemDate& date)
{
    const SYSTEMTIME time = {date.year, date.month, date.dayOfWeek, date.day,
                             date.hour, date.minute, date.second,   date.milliseconds};
    return RegSetValueExW(key, name, 0, REG_BINARY, reinterpret_cast<const BYTE*>(&time), sizeof time);
}

}  // namespace

ApplyAnswer ApplyZone(const ZoneRecord& record)
{
    HKEY key = nullptr;
    LSTATUS status = RegOpenKeyExW(HKEY_LOCAL_MACHINE, kActiveRecordKey, 0, KEY_SET_VALUE | KEY_WOW64_64KEY, &key);
    if (status != ERROR_SUCCESS) {
        return {static_cast<WindowsError>(status), false};
    }
    const LSTATUS written[] = {
        WriteNumber(key, L"Bias", record.bias),
        WriteName(key, L"StandardName", record.standardName),
        WriteNumber(key, L"StandardBias", record.standardBias),
        WriteDate(key, L"StandardStart", record.standardDate),
        WriteName(key, L"DaylightName", record.daylightName),
        WriteNumber(key, L"DaylightBias", record.daylightBias),
        WriteDate(key, L"DaylightStart", record.daylightDate),
        WriteName(key, L"TimeZoneKeyName", record.timeZoneKeyName),
        WriteNumber(key, L"DynamicDaylightTimeDisabled", record.dynamicDaylightTimeDisabled ? 1 : 0),
    };
    RegCloseKey(key);
    for (const LSTATUS one : written) {
        if (one != ERROR_SUCCESS) {
            return {static_cast<WindowsError>(one), false};
        }
    }
    return {0, false};
}
