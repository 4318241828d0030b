// The one call that changes the computer: SeTimeZonePrivilege, which
// Windows grants to standard users and administrators but leaves disabled,
// is enabled for this process, then the record is set.
#include <windows.h>

#include "settz_platform.h"

namespace {

WindowsError LastErrorOr(WindowsError fallback)
{
    const DWORD error = GetLastError();
    return error != 0 ? error : fallback;
}

WindowsError EnableTimeZonePrivilege()
{
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token)) {
        return LastErrorOr(ERROR_GEN_FAILURE);
    }
    TOKEN_PRIVILEGES privileges = {};
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    WindowsError error = 0;
    if (!LookupPrivilegeValueW(nullptr, L"SeTimeZonePrivilege", &privileges.Privileges[0].Luid)) {
        error = LastErrorOr(ERROR_GEN_FAILURE);
    } else if (!AdjustTokenPrivileges(token, FALSE, &privileges, 0, nullptr, nullptr)) {
        error = LastErrorOr(ERROR_GEN_FAILURE);
    } else {
        // Success with ERROR_NOT_ALL_ASSIGNED: the token does not hold it.
        error = GetLastError();
    }
    CloseHandle(token);
    return error;
}

void CopyName(const wchar_t* from, WCHAR* to, std::size_t capacity)
{
    for (std::size_t i = 0; i < capacity; ++i) {
        to[i] = from[i];
        if (from[i] == 0) {
            return;
        }
    }
    to[capacity - 1] = 0;
}

SYSTEMTIME ToSystemTime(const SystemDate& date)
{
    return {date.year, date.month, date.dayOfWeek, date.day,
            date.hour, date.minute, date.second,   date.milliseconds};
}

}  // namespace

ApplyAnswer ApplyZone(const ZoneRecord& record)
{
    const WindowsError privilegeError = EnableTimeZonePrivilege();
    if (privilegeError != 0) {
        return {privilegeError, true};
    }
    DYNAMIC_TIME_ZONE_INFORMATION zone = {};
    zone.Bias = record.bias;
    CopyName(record.standardName, zone.StandardName, kZoneNameCapacity);
    zone.StandardDate = ToSystemTime(record.standardDate);
    zone.StandardBias = record.standardBias;
    CopyName(record.daylightName, zone.DaylightName, kZoneNameCapacity);
    zone.DaylightDate = ToSystemTime(record.daylightDate);
    zone.DaylightBias = record.daylightBias;
    CopyName(record.timeZoneKeyName, zone.TimeZoneKeyName, kKeyNameCapacity);
    zone.DynamicDaylightTimeDisabled = record.dynamicDaylightTimeDisabled ? TRUE : FALSE;
    if (!SetDynamicTimeZoneInformation(&zone)) {
        return {LastErrorOr(ERROR_GEN_FAILURE), false};
    }
    return {0, false};
}
