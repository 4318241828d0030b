// The command line, parsed.
#pragma once

#include "model/time_model.h"

#include <optional>
#include <string>
#include <vector>

namespace zoneinf {

struct Options {
    std::vector<std::string> zones;
    bool all = false;
    std::optional<std::string> output;
    std::optional<int> from;
    std::optional<int> to;
    bool approximate = false;
    std::optional<std::string> windowsKey;
    std::string zoneinfo;      // empty: the default (a built-in copy, or the system's)
    std::string tzdataSource;  // an IANA release's tarball or folder, compiled with zic
    std::string windowsZones;  // empty: the default, likewise
    bool check = false;
    std::vector<std::string> checkFiles;  // --check's operands, in order
    std::optional<std::string> undo;  // --undo's export
    std::optional<std::string> since;  // --check --since: a tzdata release, "2026f"
    bool label = false;                // --label: write the label Windows shows
    std::optional<std::string> labelExport;  // --label=EXPORT: its place names from EXPORT
    // --zones: "current" and keys as Windows spells them; empty, every key.
    bool checkCurrentZone = false;
    std::vector<std::string> checkKeys;
    bool compliance = false;  // one word, Compliant or NonCompliant, and status 0
    bool json = false;
    bool verbose = false;
    bool utf8Output = false;  // --output-encoding=utf-8; auto otherwise
    bool help = false;
    bool version = false;
};

// `arguments` as main() has them, the program's name first. Throws
// Failure (kExitUsage) with a message for a bad command line. Options and
// operands come in any order, as GNU tools take them.
Options ParseOptions(const std::vector<std::string>& arguments);

// The years to write or check: --from/--to, or the defaults of each mode
// (1970-2037 for an INF, this year to 2037 for a check).
YearRange YearsOf(const Options& options, int currentYear);

extern const char* const kUsage;

}  // namespace zoneinf
