// Windows-side check of installed time-zone definitions: for each line of
// an expectations file, "<key>\t<UTC seconds since 1970>\t<offset seconds>",
// asks Windows' own functions for the local time (GetTimeZoneInformationForYear
// with the key, then SystemTimeToTzSpecificLocalTime with that year's
// record) and compares its offset with the expected one, which the host
// computed from the time zone database.
// With --local KEY SECONDS it prints the local time Windows gives instead
// ("2025-07-01 08:00"), for the demo to show. With --offsets INSTANTS OUTPUT
// it compares nothing: for each "<key>\t<UTC seconds>..." line it writes
// "<key>\t<UTC seconds>\t<offset seconds>" (or "\terror N"), for the host
// to hold its own reading of the records to; each key's record is asked
// for once per year.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

namespace {

constexpr long long kTicksPerSecond = 10'000'000;
constexpr long long kUnixEpochInFileTime = 11'644'473'600LL * kTicksPerSecond;

long long Ticks(const FILETIME& time)
{
    return static_cast<long long>(ULARGE_INTEGER{{time.dwLowDateTime, time.dwHighDateTime}}.QuadPart);
}

FILETIME FileTime(long long ticks)
{
    ULARGE_INTEGER value;
    value.QuadPart = static_cast<unsigned long long>(ticks);
    return {value.LowPart, value.HighPart};
}

// The offset Windows gives, in seconds, or a message why it gives none.
bool WindowsOffset(const std::string& key, long long unixSeconds, long long& offset, std::string& error,
                   SYSTEMTIME* localTime = nullptr)
{
    DYNAMIC_TIME_ZONE_INFORMATION zone = {};
    MultiByteToWideChar(CP_ACP, 0, key.c_str(), -1, zone.TimeZoneKeyName, 128);
    const FILETIME utcFile = FileTime(unixSeconds * kTicksPerSecond + kUnixEpochInFileTime);
    SYSTEMTIME utc, local;
    FileTimeToSystemTime(&utcFile, &utc);
    TIME_ZONE_INFORMATION record;
    if (!GetTimeZoneInformationForYear(utc.wYear, &zone, &record)) {
        error = "GetTimeZoneInformationForYear failed, error " + std::to_string(GetLastError());
        return false;
    }
    FILETIME localFile;
    if (!SystemTimeToTzSpecificLocalTime(&record, &utc, &local) || !SystemTimeToFileTime(&local, &localFile)) {
        error = "SystemTimeToTzSpecificLocalTime failed, error " + std::to_string(GetLastError());
        return false;
    }
    offset = (Ticks(localFile) - Ticks(utcFile)) / kTicksPerSecond;
    if (localTime) {
        *localTime = local;
    }
    return true;
}

// Windows' offsets for the instants listed in INSTANTS, into OUTPUT.
int WriteOffsets(const char* instants, const char* output)
{
    std::ifstream input(instants);
    std::ofstream out(output, std::ios::binary);
    if (!input || !out) {
        std::fprintf(stderr, "zone_time_check: cannot read %s or write %s\n", instants, output);
        return 2;
    }
    std::string cachedKey;
    int cachedYear = -1, lines = 0;
    BOOL found = FALSE;
    DWORD error = 0;
    TIME_ZONE_INFORMATION record;
    for (std::string line; std::getline(input, line); ++lines) {
        std::istringstream fields(line);
        std::string key, instant;
        std::getline(fields, key, '\t');
        std::getline(fields, instant, '\t');
        const long long seconds = std::stoll(instant);
        const FILETIME utcFile = FileTime(seconds * kTicksPerSecond + kUnixEpochInFileTime);
        SYSTEMTIME utc, local;
        FileTimeToSystemTime(&utcFile, &utc);
        if (key != cachedKey || utc.wYear != cachedYear) {
            DYNAMIC_TIME_ZONE_INFORMATION zone = {};
            MultiByteToWideChar(CP_ACP, 0, key.c_str(), -1, zone.TimeZoneKeyName, 128);
            found = GetTimeZoneInformationForYear(utc.wYear, &zone, &record);
            error = found ? 0 : GetLastError();
            cachedKey = key;
            cachedYear = utc.wYear;
        }
        FILETIME localFile;
        out << key << '\t' << instant << '\t';
        if (!found || !SystemTimeToTzSpecificLocalTime(&record, &utc, &local) ||
            !SystemTimeToFileTime(&local, &localFile)) {
            out << "error " << (found ? GetLastError() : error) << '\n';
        } else {
            out << (Ticks(localFile) - Ticks(utcFile)) / kTicksPerSecond << '\n';
        }
    }
    std::printf("%d instants read\n", lines);
    return out.flush() ? 0 : 2;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 4 && std::string(argv[1]) == "--offsets") {
        return WriteOffsets(argv[2], argv[3]);
    }
    if (argc == 4 && std::string(argv[1]) == "--local") {
        long long offset = 0;
        std::string error;
        SYSTEMTIME local;
        if (!WindowsOffset(argv[2], std::atoll(argv[3]), offset, error, &local)) {
            std::printf("%s: %s\n", argv[2], error.c_str());
            return 1;
        }
        const long long minutes = (offset < 0 ? -offset : offset) / 60;
        std::printf("%04u-%02u-%02u %02u:%02u (UTC%c%02lld:%02lld)\n", local.wYear, local.wMonth, local.wDay,
                    local.wHour, local.wMinute, offset < 0 ? '-' : '+', minutes / 60, minutes % 60);
        return 0;
    }
    if (argc != 2) {
        std::fprintf(stderr, "usage: zone_time_check EXPECTATIONS | zone_time_check --local KEY UTC_SECONDS |\n"
                             "       zone_time_check --offsets INSTANTS OUTPUT\n");
        return 2;
    }
    std::ifstream input(argv[1]);
    if (!input) {
        std::fprintf(stderr, "zone_time_check: cannot read %s\n", argv[1]);
        return 2;
    }
    int passed = 0, failed = 0;
    for (std::string line; std::getline(input, line);) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        std::istringstream fields(line);
        std::string key, instant, expected;
        if (!std::getline(fields, key, '\t') || !std::getline(fields, instant, '\t') ||
            !std::getline(fields, expected)) {
            continue;
        }
        long long offset = 0;
        std::string error;
        if (!WindowsOffset(key, std::stoll(instant), offset, error)) {
            std::printf("%s at %s: %s\n", key.c_str(), instant.c_str(), error.c_str());
            ++failed;
        } else if (offset != std::stoll(expected)) {
            std::printf("%s at %s: Windows gives %lld s, the database %s s\n", key.c_str(), instant.c_str(),
                        offset, expected.c_str());
            ++failed;
        } else {
            ++passed;
        }
    }
    std::printf("%d local times agree, %d differ\n", passed, failed);
    return failed == 0 && passed > 0 ? 0 : 1;
}
