// Stage 4 of the pipeline: the zones' records as an INF file whose
// DefaultInstall section zonechange.exe applies.
#pragma once

#include "records/windows_zone.h"

#include <string>
#include <vector>

namespace zoneinf {

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

}  // namespace zoneinf
