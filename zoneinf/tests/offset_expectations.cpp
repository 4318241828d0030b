// Test helper (host): the local times a zoneinf INF must give, computed
// from the time zone database alone. Reads the INF's head for its zones,
// keys, years and approximated years, and prints for each zone and each
// exact year "<key>\t<UTC seconds>\t<offset seconds>" one second before,
// at and one second after each change of offset, and mid-year.
//   offset_expectations ZONES.INF [ZONEINFO_DIR]
#include "tzdb/tz_database.h"

#include <fstream>
#include <iostream>
#include <regex>
#include <set>

using namespace zoneinf;

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::cerr << "usage: offset_expectations ZONES.INF [ZONEINFO_DIR]\n";
        return 2;
    }
    const TzDatabase database(argc > 2 ? argv[2] : TzDatabase::kSystemFolder);
    std::ifstream inf(argv[1]);
    const std::regex years(R"(^; Years (\d+) to (\d+):)");
    const std::regex zone(R"(^;   (\S+) -> (.+?)\r?$)");
    const std::regex approximated(R"(^; Approximated: (\S+) \(.*\) (\d+):)");
    int first = 0, last = -1;
    std::vector<std::pair<std::string, std::string>> zones;
    std::set<std::pair<std::string, int>> skipped;
    std::smatch match;
    for (std::string line; std::getline(inf, line);) {
        if (std::regex_search(line, match, years)) {
            first = std::stoi(match[1]);
            last = std::stoi(match[2]);
        } else if (std::regex_search(line, match, zone)) {
            zones.emplace_back(match[1], match[2]);
        } else if (std::regex_search(line, match, approximated)) {
            skipped.emplace(match[1], std::stoi(match[2]));
        }
    }
    for (const auto& [name, key] : zones) {
        const ZoneTimeline timeline = database.Load(name);
        for (int year = first; year <= last; ++year) {
            if (skipped.count({name, year})) {
                continue;
            }
            const auto print = [&](Instant instant) {
                const int instantYear = UtcYear(instant);
                if (instantYear < first || instantYear > last || skipped.count({name, instantYear})) {
                    return;
                }
                std::cout << key << '\t' << instant.time_since_epoch().count() << '\t'
                          << timeline.OffsetAt(instant).count() << '\n';
            };
            print(StartOfYear(year) + std::chrono::days{182});
            for (const OffsetChange& change : timeline.Year(year).changes) {
                for (const Seconds step : {Seconds{-1}, Seconds{0}, Seconds{1}}) {
                    print(change.at + step);
                }
            }
        }
    }
    return zones.empty() ? 1 : 0;
}
