#include "commands/data_sources.h"

#include "base/built_in_data.h"
#include "tzdb/tzdata_source.h"
#include "base/whole_file.h"

#include <charconv>
#include <chrono>
#include <cstdlib>

namespace zoneinf {

namespace {

std::string MappingSource(const Options& options)
{
    return options.windowsZones.empty() ? std::string(BuiltInMappingName()) : options.windowsZones;
}

}  // namespace

int CurrentYear()
{
    if (const char* given = std::getenv("ZONEINF_TEST_YEAR")) {
        int year = 0;
        const char* end = given + std::char_traits<char>::length(given);
        const auto [last, error] = std::from_chars(given, end, year);
        if (error == std::errc() && last == end && year >= 1800 && year <= 2500) {
            return year;
        }
    }
    return UtcYear(std::chrono::floor<std::chrono::seconds>(std::chrono::system_clock::now()));
}

TzDatabase OpenDatabase(const Options& options)
{
    if (!options.tzdataSource.empty()) {
        return TzDatabase(CompileTzdataSource(options.tzdataSource));
    }
    if (options.zoneinfo.empty()) {
        if (std::shared_ptr<const ZoneFiles> builtIn = OpenBuiltInZoneFiles()) {
            return TzDatabase(std::move(builtIn));
        }
        return TzDatabase(TzDatabase::kSystemFolder);
    }
    return TzDatabase(PathFromUtf8(options.zoneinfo));
}

WindowsZoneMap LoadMapping(const Options& options)
{
    if (options.windowsZones.empty()) {
        return WindowsZoneMap::Parse(std::string(BuiltInMapping()), std::string(BuiltInMappingName()));
    }
    return WindowsZoneMap::Load(PathFromUtf8(options.windowsZones));
}

std::string DescribeVersions(const Options& options)
{
    const TzDatabase database = OpenDatabase(options);
    const WindowsZoneMap map = LoadMapping(options);
    return std::string("zoneinf ") + ZONEINF_VERSION + "\ntzdata " + database.Version() + " (" + database.Source() +
           ")\nCLDR " + map.Release() + " (" + MappingSource(options) + ")\n";
}

}  // namespace zoneinf
