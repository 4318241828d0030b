// Stage 4 of the pipeline: the zones' records as an INF file whose
// DefaultInstall section zonechange.exe applies.
#pragma once

#include "windows_zone.h"

#include <cstddef>
#include <string>
#include <vector>

namespace zoneinf {

inline constexpr const char* kTimeZonesKey = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Time Zones";

struct InfSource {
    std::string programVersion;   // "1.0.0"
    std::string databaseVersion;  // "2026f"
    YearRange years;
    std::string fileName = "zones.inf";  // as the example command in the head names it
    std::string mappingRelease;   // CLDR's, "48"; empty when the key was named on the command line
};

// ASCII with CR LF line ends. For each zone: DelReg of the old
// "Dynamic DST" (SetupAPI runs DelReg before AddReg), then TZI, Dynamic DST
// and, only where missing, Display, Std and Dlt.
std::string WriteInf(const InfSource& source, const std::vector<WindowsZone>& zones);

// Whether a text (a key, a file name) can stand in an INF string and a
// registry path as it is: printable ASCII without \, " or %.
bool IsPlainInfText(const std::string& text);

// Windows' limit for a time-zone key name: DYNAMIC_TIME_ZONE_INFORMATION's
// TimeZoneKeyName holds 128 characters with its terminating NUL.
inline constexpr size_t kMaxKeyNameLength = 127;

// Whether a key name (from the command line or the mapping) can be written:
// plain INF text within Windows' limit.
bool IsWindowsKeyName(const std::string& text);

}  // namespace zoneinf
