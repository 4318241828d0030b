// Prints what Windows reports as the zone in force
// (GetDynamicTimeZoneInformation) in settz's preview format, so that the
// tests compare settz /n with Windows' own answer. Written apart from
// settz's formatting on purpose.
#include <windows.h>

#include <cstdio>

namespace {

void PrintText(const char* field, const WCHAR* text)
{
    char bytes[512];
    const int count = WideCharToMultiByte(CP_UTF8, 0, text, -1, bytes, sizeof bytes, nullptr, nullptr);
    std::printf("%s=%s\n", field, count > 0 ? bytes : "");
}

void PrintDate(const char* field, const SYSTEMTIME& d)
{
    std::printf("%s=%u,%u,%u,%u,%u,%u,%u,%u\n", field, d.wYear, d.wMonth, d.wDayOfWeek, d.wDay, d.wHour,
                d.wMinute, d.wSecond, d.wMilliseconds);
}

}  // namespace

int main()
{
    DYNAMIC_TIME_ZONE_INFORMATION zone = {};
    if (GetDynamicTimeZoneInformation(&zone) == TIME_ZONE_ID_INVALID) {
        std::fprintf(stderr, "GetDynamicTimeZoneInformation failed, error %lu\n", GetLastError());
        return 1;
    }
    PrintText("TimeZoneKeyName", zone.TimeZoneKeyName);
    std::printf("Bias=%ld\n", zone.Bias);
    PrintText("StandardName", zone.StandardName);
    PrintDate("StandardDate", zone.StandardDate);
    std::printf("StandardBias=%ld\n", zone.StandardBias);
    PrintText("DaylightName", zone.DaylightName);
    PrintDate("DaylightDate", zone.DaylightDate);
    std::printf("DaylightBias=%ld\n", zone.DaylightBias);
    std::printf("DynamicDaylightTimeDisabled=%d\n", zone.DynamicDaylightTimeDisabled ? 1 : 0);
    return 0;
}
