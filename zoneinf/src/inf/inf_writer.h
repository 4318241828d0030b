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
    // Whether each zone's display is the label Windows shows (--label):
    // written over the one there, and MUI_Display deleted so that readers
    // fall back to it.
    bool label = false;
};

// CR LF line ends; ASCII, or UTF-16 LE with its byte-order mark when a
// label is not (SetupAPI then reads it whatever the machine's ANSI code
// page). For each zone: DelReg of the old "Dynamic DST" (SetupAPI runs
// DelReg before AddReg), then TZI, Dynamic DST and, only where missing,
// Display, Std and Dlt; last each key's trace (definitions_trace.h). The
// head shows how to apply it and select each machine's own zone again.
std::string WriteInf(const InfSource& source, const std::vector<WindowsZone>& zones);

}  // namespace zoneinf
