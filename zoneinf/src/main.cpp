// zoneinf: Windows time-zone definitions from the IANA time zone database.
//
//   database (TZif) -> offsets per year -> Windows records -> INF text
//   and back, for --check: exported records -> offsets -> compared with the database
#include "built_in_data.h"
#include "check.h"
#include "errors.h"
#include "inf_writer.h"
#include "live_registry.h"
#include "options.h"
#include "snapshot_definitions.h"
#include "whole_file.h"
#include "tz_database.h"
#include "windows_zone.h"
#include "windows_zone_map.h"

#include <chrono>
#include <filesystem>

using namespace zoneinf;

namespace {

int CurrentYear()
{
    return UtcYear(std::chrono::floor<std::chrono::seconds>(std::chrono::system_clock::now()));
}

// --zoneinfo, or the release built into the program, or the system's.
TzDatabase OpenDatabase(const Options& options)
{
    if (options.zoneinfo.empty()) {
        if (std::shared_ptr<const ZoneFiles> builtIn = OpenBuiltInZoneFiles()) {
            return TzDatabase(std::move(builtIn));
        }
        return TzDatabase(TzDatabase::kSystemFolder);
    }
    return TzDatabase(PathFromUtf8(options.zoneinfo));
}

// --windows-zones, or the mapping built into the program, or the system's.
WindowsZoneMap LoadMapping(const Options& options)
{
    if (options.windowsZones.empty()) {
        if (!BuiltInMapping().empty()) {
            return WindowsZoneMap::Parse(std::string(BuiltInMapping()), std::string(BuiltInMappingName()));
        }
        return WindowsZoneMap::Load(WindowsZoneMap::kSystemFile);
    }
    return WindowsZoneMap::Load(PathFromUtf8(options.windowsZones));
}

std::string MappingSource(const Options& options)
{
    if (options.windowsZones.empty()) {
        return BuiltInMapping().empty() ? WindowsZoneMap::kSystemFile : std::string(BuiltInMappingName());
    }
    return options.windowsZones;
}

// --check's inputs: the files named, or the machine's own registry.
std::vector<CheckInput> CheckInputs(const Options& options)
{
    if (!options.checkFiles.empty()) {
        return CheckFiles(options.checkFiles);
    }
    const std::optional<RegistrySnapshot> live = ReadLiveRegistry();
    if (!live) {
        throw Failure(kExitUsage, "--check needs a FILE: a registry export or an INF");
    }
    return {{"registry", [live] { return ReadSnapshot(*live, "registry"); }}};
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
        map = LoadMapping(options);
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
    const TzDatabase database = OpenDatabase(options);
    const YearRange years = YearsOf(options, CurrentYear());
    std::vector<WindowsZone> zones;
    for (const auto& [key, zone] : ZonesToWrite(options, database)) {
        zones.push_back(BuildWindowsZone(database.Load(zone), zone, key, years, options.approximate));
        for (const YearOffsets& year : zones.back().approximated) {
            WriteStandardError("zoneinf: approximated " + zone + " (" + key + ") " + DescribeChanges(year) + "\n");
        }
    }
    InfSource source{ZONEINF_VERSION, database.Version(), years};
    if (options.output) {
        const std::string name = Utf8FromPath(PathFromUtf8(*options.output).filename());
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
        std::vector<std::string> arguments = ProgramArguments(argc, argv);
        std::vector<char*> pointers;
        for (std::string& argument : arguments) {
            pointers.push_back(argument.data());
        }
        pointers.push_back(nullptr);
        const Options options = ParseOptions(int(arguments.size()), pointers.data());
        if (options.help) {
            WriteStandardOutput(kUsage);
            return kExitSuccess;
        }
        if (options.version) {
            const TzDatabase database = OpenDatabase(options);
            WriteStandardOutput(std::string("zoneinf ") + ZONEINF_VERSION + "\ntzdata " + database.Version() +
                                " (" + database.Source() + ")\nCLDR mapping: " + MappingSource(options) + "\n");
            return kExitSuccess;
        }
        if (options.check) {
            const YearRange years = YearsOf(options, CurrentYear());
            const std::vector<CheckInput> inputs = CheckInputs(options);
            return RunCheck(inputs, OpenDatabase(options), LoadMapping(options), years, options.json,
                            options.verbose);
        }
        return Generate(options);
    } catch (const Failure& failure) {
        WriteStandardError(std::string("zoneinf: ") + failure.what() + "\n");
        if (failure.status() == kExitUsage) {
            WriteStandardError("Try 'zoneinf --help' for more information.\n");
        }
        return failure.status();
    } catch (const std::exception& error) {
        WriteStandardError(std::string("zoneinf: ") + error.what() + "\n");
        return kExitUnreadableInput;
    }
}
