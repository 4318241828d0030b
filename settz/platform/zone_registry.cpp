// Reading zone definitions: the Time Zones key, its values, and Windows'
// own answers about a year's record and about the zone in force.
#include <windows.h>

#include "settz_platform.h"

namespace {

constexpr wchar_t kTimeZonesKey[] = L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Time Zones";
// The longest key name the registry allows, and its NUL.
constexpr DWORD kRegistryKeyNameCapacity = 256;

WindowsError LastErrorOr(WindowsError fallback)
{
    const DWORD error = GetLastError();
    return error != 0 ? error : fallback;
}

// The 64-bit view, which Windows itself reads, also from this 32-bit program.
LSTATUS OpenKey(HKEY parent, const wchar_t* name, REGSAM access, HKEY& key)
{
    return RegOpenKeyExW(parent, name, 0, access | KEY_WOW64_64KEY, &key);
}

void CopyDate(const SYSTEMTIME& from, SystemDate& to)
{
    to = {from.wYear, from.wMonth, from.wDayOfWeek, from.wDay,
          from.wHour, from.wMinute, from.wSecond,   from.wMilliseconds};
}

}  // namespace

WindowsError FindZoneKey(const wchar_t* requested, wchar_t (&storedName)[kKeyNameCapacity])
{
    HKEY zones = nullptr;
    LSTATUS status = OpenKey(HKEY_LOCAL_MACHINE, kTimeZonesKey, KEY_ENUMERATE_SUB_KEYS, zones);
    if (status != ERROR_SUCCESS) {
        return status;
    }
    wchar_t name[kRegistryKeyNameCapacity];
    for (DWORD index = 0;; ++index) {
        DWORD length = kRegistryKeyNameCapacity;
        status = RegEnumKeyExW(zones, index, name, &length, nullptr, nullptr, nullptr, nullptr);
        if (status == ERROR_NO_MORE_ITEMS) {
            status = ERROR_FILE_NOT_FOUND;
            break;
        }
        if (status != ERROR_SUCCESS) {
            break;
        }
        if (length < kKeyNameCapacity &&
            CompareStringOrdinal(name, static_cast<int>(length), requested, -1, TRUE) == CSTR_EQUAL) {
            for (DWORD i = 0; i <= length; ++i) {
                storedName[i] = name[i];
            }
            break;
        }
    }
    RegCloseKey(zones);
    return status;
}

WindowsError ReadZoneValue(const wchar_t* key, const wchar_t* subkey, const wchar_t* name,
                           RegistryValue& value)
{
    HKEY zones = nullptr;
    LSTATUS status = OpenKey(HKEY_LOCAL_MACHINE, kTimeZonesKey, KEY_ENUMERATE_SUB_KEYS, zones);
    if (status != ERROR_SUCCESS) {
        return status;
    }
    HKEY zone = nullptr;
    status = OpenKey(zones, key, KEY_QUERY_VALUE, zone);
    RegCloseKey(zones);
    if (status != ERROR_SUCCESS) {
        return status;
    }
    HKEY holder = zone;
    if (subkey != nullptr) {
        status = OpenKey(zone, subkey, KEY_QUERY_VALUE, holder);
    }
    if (status == ERROR_SUCCESS) {
        DWORD type = REG_NONE;
        DWORD size = sizeof value.data;
        status = RegQueryValueExW(holder, name, nullptr, &type, value.data, &size);
        value.type = type;
        value.size = status == ERROR_SUCCESS ? size : 0;
        if (holder != zone) {
            RegCloseKey(holder);
        }
    }
    RegCloseKey(zone);
    return status;
}

WindowsError ReadYearRecord(const wchar_t* key, std::uint16_t year, ZoneRecord& record)
{
    DYNAMIC_TIME_ZONE_INFORMATION zone = {};
    for (std::size_t i = 0; i < kKeyNameCapacity && key[i] != 0; ++i) {
        zone.TimeZoneKeyName[i] = key[i];
    }
    TIME_ZONE_INFORMATION yearRecord = {};
    if (!GetTimeZoneInformationForYear(year, &zone, &yearRecord)) {
        return LastErrorOr(ERROR_INVALID_DATA);
    }
    record.bias = yearRecord.Bias;
    record.standardBias = yearRecord.StandardBias;
    record.daylightBias = yearRecord.DaylightBias;
    CopyDate(yearRecord.StandardDate, record.standardDate);
    CopyDate(yearRecord.DaylightDate, record.daylightDate);
    return 0;
}

std::uint16_t CurrentYear()
{
    SYSTEMTIME now;
    GetLocalTime(&now);
    return now.wYear;
}

WindowsError QueryCurrentZoneKey(wchar_t (&keyName)[kKeyNameCapacity])
{
    DYNAMIC_TIME_ZONE_INFORMATION zone = {};
    if (GetDynamicTimeZoneInformation(&zone) == TIME_ZONE_ID_INVALID) {
        return LastErrorOr(ERROR_GEN_FAILURE);
    }
    for (std::size_t i = 0; i < kKeyNameCapacity; ++i) {
        keyName[i] = zone.TimeZoneKeyName[i];
        if (keyName[i] == 0) {
            return 0;
        }
    }
    keyName[0] = 0;
    return ERROR_INVALID_DATA;
}
