// Stage 4 of the pipeline: the zones' records as an INF file whose
// DefaultInstall section zonechange.exe applies.
#pragma once

#include "windows_zone.h"

#include <cstddef>
#include <cstdint>
#include <span>
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
// and, only where missing, Display, Std and Dlt; last the trace
// (definitions_trace.h).
std::string WriteInf(const InfSource& source, const std::vector<WindowsZone>& zones);

// The pieces of an INF line. A string quoted, with '"' and '%' doubled as
// SetupAPI reads them ("50%" gives "\"50%%\""); the text must hold no
// control character, which no INF string can carry.
std::string InfString(const std::string& text);
// AddReg flags as "0x00010001".
std::string InfFlags(unsigned flags);
// Bytes as "2c,01,00,00".
std::string InfHexList(std::span<const std::uint8_t> bytes);

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
