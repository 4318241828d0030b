// zoneinf: Windows time-zone definitions from the IANA time zone database.
//
//   database (TZif) -> offsets per year -> Windows records -> INF text
//   and back, for --check: exported records -> offsets -> compared with the database
#include "check.h"
#include "errors.h"
#include "inf_writer.h"
#include "options.h"
#include "text_decoder.h"
#include "whole_file.h"
#include "tz_database.h"
#include "windows_zone.h"
#include "windows_zone_map.h"

#include <chrono>
#include <filesystem>
#include <iostream>

using namespace zoneinf;

namespace {

int CurrentYear()
{
    return UtcYear(std::chrono::floor<std::chrono::seconds>(std::chrono::system_clock::now()));
}

// The zones to write and their keys, from the command line and CLDR.
std::vector<std::pair<std::string, std::string>> ZonesToWrite(const Options& options,
                                                               const TzDatabase& database)
{
    if (options.windowsKey && !IsPlainInfText(*options.windowsKey)) {
        throw Failure(kExitUsage, "'" + *options.windowsKey +
                                      "' is no Windows key name (printable ASCII, no \\, \" or %)");
    }
    std::optional<WindowsZoneMap> map;
    if (!options.windowsKey) {
        map = WindowsZoneMap::Load(options.windowsZones);
    }
    if (options.all) {
        return map->MainZones();
    }
    std::vector<std::pair<std::string, std::string>> zones;
    for (const std::string& zone : options.zones) {
        database.RequireZone(zone);
        std::optional<std::string> key = options.windowsKey;
        if (!key) {
            key = map->KeyFor(zone, [&](const std::string& a, const std::string& b) {
                return database.SameZone(a, b);
            });
        }
        if (!key) {
            throw Failure(kExitUsage, "CLDR maps no Windows key to '" + zone + "'; name one with --windows-key");
        }
        for (const auto& [earlierKey, earlierZone] : zones) {
            if (earlierKey == *key) {
                throw Failure(kExitUsage, "'" + zone + "' and '" + earlierZone + "' both map to '" + *key + "'");
            }
        }
        zones.emplace_back(*key, zone);
    }
    return zones;
}

int Generate(const Options& options)
{
    const TzDatabase database(options.zoneinfo);
    const YearRange years = YearsOf(options, CurrentYear());
    std::vector<WindowsZone> zones;
    for (const auto& [key, zone] : ZonesToWrite(options, database)) {
        zones.push_back(BuildWindowsZone(database.Load(zone), zone, key, years, options.approximate));
        for (const YearOffsets& year : zones.back().approximated) {
            std::cerr << "zoneinf: approximated " << zone << " (" << key << ") " << DescribeChanges(year) << "\n";
        }
    }
    InfSource source{ZONEINF_VERSION, database.Version(), years};
    if (options.output) {
        const std::string name = std::filesystem::path(*options.output).filename().string();
        if (IsPlainInfText(name)) {
            source.fileName = name.find(' ') == std::string::npos ? name : "\"" + name + "\"";
        }
    }
    const std::string inf = WriteInf(source, zones);
    if (options.output) {
        WriteFileWhole(*options.output, inf);
    } else {
        WriteStandardOutput(inf);
    }
    return kExitSuccess;
}

}  // namespace

int main(int argc, char** argv)
{
    try {
        const Options options = ParseOptions(argc, argv);
        if (options.help) {
            WriteStandardOutput(kUsage);
            return kExitSuccess;
        }
        if (options.version) {
            const TzDatabase database(options.zoneinfo);
            WriteStandardOutput(std::string("zoneinf ") + ZONEINF_VERSION + "\ntzdata " +
                                database.Version() + " (" + database.Folder().string() + ")\n");
            return kExitSuccess;
        }
        if (options.check) {
            return RunCheck(options, YearsOf(options, CurrentYear()));
        }
        return Generate(options);
    } catch (const Failure& failure) {
        // Messages quote the input: escaped, one line whatever it holds.
        std::cerr << "zoneinf: " << EscapeForTerminal(failure.what()) << "\n";
        if (failure.status() == kExitUsage) {
            std::cerr << "Try 'zoneinf --help' for more information.\n";
        }
        return failure.status();
    } catch (const std::exception& error) {
        std::cerr << "zoneinf: " << EscapeForTerminal(error.what()) << "\n";
        return kExitUnreadableInput;
    }
}
