// Test helper (host): what zoneinf's own reading of an INF's records
// claims, for Windows' functions under Wine to be held to. Reads the INF's
// bytes as --check does, and prints for each key and each UTC year from
// FIRST to LAST, at the start of the year, one second before, at and one
// second after each change the database or the records have, between
// changes and at the year's last second:
//   <key>\t<UTC seconds>\t<offset the records give>\t<database offset>\t<class>\t<UTC year>
// The database offset is "-" in the years the INF's head lists as
// approximated. The class names the years Wine reads otherwise than
// Windows documents, "-" for the others: "one-month" when the year's record
// has both changes in one month (Wine tells north from south by the months
// alone), "outside-entries" when the year lies outside FirstEntry..LastEntry
// and its nearest entry is not TZI (Wine reads TZI there).
//   record_offsets ZONES.INF ZONEINFO_DIR FIRST LAST
#include "commands/command_files.h"
#include "registry/exported_definitions.h"
#include "records/record_evaluator.h"
#include "tzdb/tz_database.h"

#include <fstream>
#include <iostream>
#include <map>
#include <regex>
#include <set>
#include <sstream>

using namespace zoneinf;
using namespace std::chrono_literals;

namespace {

const char* ClassOf(const ZoneRecords& records, int year)
{
    const TziRecord& record = records.ForYear(year);
    if (record.HasDaylightTime() && record.standardDate.month == record.daylightDate.month) {
        return "one-month";
    }
    if (records.dynamic && (year < records.dynamic->firstYear || year > records.dynamic->lastYear) &&
        !(record == records.tzi)) {
        return "outside-entries";
    }
    return "-";
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 5) {
        std::cerr << "usage: record_offsets ZONES.INF ZONEINFO_DIR FIRST LAST\n";
        return 2;
    }
    const int first = std::stoi(argv[3]), last = std::stoi(argv[4]);
    std::ifstream file(argv[1], std::ios::binary);
    std::stringstream bytes;
    bytes << file.rdbuf();
    const std::string inf = bytes.str();
    const TzDatabase database(argv[2]);

    const std::regex zoneLine(R"(^;   (\S+) -> (.+?)\r?$)");
    const std::regex approximatedLine(R"(^; Approximated: (\S+) \(.*\) (\d+):)");
    std::map<std::string, std::string> zoneOfKey;
    std::set<std::pair<std::string, int>> approximated;
    std::istringstream lines(inf);
    std::smatch match;
    for (std::string line; std::getline(lines, line);) {
        if (std::regex_search(line, match, zoneLine)) {
            zoneOfKey.emplace(match[2], match[1]);
        } else if (std::regex_search(line, match, approximatedLine)) {
            approximated.emplace(match[1], std::stoi(match[2]));
        }
    }

    int keys = 0;
    for (const ExportedZone& exported : ReadDefinitions(inf, argv[1]).zones) {
        const auto records = RecordsOf(exported);
        const auto zone = zoneOfKey.find(exported.windowsKey);
        if (!std::holds_alternative<ZoneRecords>(records) || zone == zoneOfKey.end()) {
            std::cerr << "record_offsets: no records or no zone for " << exported.windowsKey << '\n';
            return 1;
        }
        const ZoneRecords& zoneRecords = std::get<ZoneRecords>(records);
        const ZoneTimeline timeline = database.Load(zone->second);
        ++keys;
        for (int year = first; year <= last; ++year) {
            const Instant begin = StartOfYear(year), end = StartOfYear(year + 1);
            std::set<Instant> probes{begin, end - 1s};
            std::vector<OffsetChange> changes = timeline.Year(year).changes;
            for (const OffsetChange& change : ChangesBetween(zoneRecords, begin, end)) {
                changes.push_back(change);
            }
            for (const OffsetChange& change : changes) {
                probes.insert({change.at - 1s, change.at, change.at + 1s});
            }
            std::vector<Instant> between;
            for (auto probe = probes.begin(); std::next(probe) != probes.end(); ++probe) {
                between.push_back(*probe + (*std::next(probe) - *probe) / 2);
            }
            probes.insert(between.begin(), between.end());
            const bool exact = !approximated.count({zone->second, year});
            for (const Instant probe : probes) {
                if (probe < begin || probe >= end) {
                    continue;
                }
                std::cout << exported.windowsKey << '\t' << probe.time_since_epoch().count() << '\t'
                          << OffsetAt(zoneRecords, probe).count() << '\t';
                if (exact) {
                    std::cout << timeline.OffsetAt(probe).count();
                } else {
                    std::cout << '-';
                }
                std::cout << '\t' << ClassOf(zoneRecords, year) << '\t' << year << '\n';
            }
        }
    }
    return keys > 0 ? 0 : 1;
}
