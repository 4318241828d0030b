// Shared by zoneinf's tests: the databases and mappings they read, a
// scratch folder, instants written as text, and zoneinf itself run.
//
// Two databases. The tests' own (tests/data/tzsource, compiled by the
// build) holds a few zones whose facts the tests name: a year's changes, a
// first difference, the years no record describes. The system's is the one
// zoneinf reads by default; what the tests expect of it is computed from
// it, so they pass on any tzdata release. ZONEINF_TEST_SYSTEM_ZONEINFO in
// the environment names another compiled tree to take as the system's, to
// run the tests against another release without changing the machine's.
#pragma once

#include "base/built_in_data.h"
#include "mapping/windows_zone_map.h"
#include "model/time_model.h"
#include "tzdb/tz_database.h"

#include <filesystem>
#include <string>

namespace zoneinf::testing {

// /usr/share/zoneinfo, or the tree ZONEINF_TEST_SYSTEM_ZONEINFO names.
const std::string& SystemZoneinfo();

inline const TzDatabase& SystemDatabase()
{
    static const TzDatabase database(SystemZoneinfo());
    return database;
}

// The tests' own database and the part of CLDR 48's mapping for its zones.
inline const TzDatabase& TestDatabase()
{
    static const TzDatabase database(ZONEINF_TEST_DATABASE);
    return database;
}

inline const WindowsZoneMap& TestMapping()
{
    static const WindowsZoneMap map = WindowsZoneMap::Load(ZONEINF_TEST_MAPPING);
    return map;
}

// CLDR's mapping, as the program carries it.
inline const WindowsZoneMap& CldrMapping()
{
    static const WindowsZoneMap map = WindowsZoneMap::Parse(std::string(BuiltInMapping()), "windowsZones.json");
    return map;
}

// Wine 8's export of its Time Zones key, as its reg wrote it (UTF-16 with
// its byte-order mark), cut to the keys of the tests' mapping and two more
// it lacks (Dateline, Tonga): data/wine-8-time-zones.reg, the path and the
// bytes.
inline constexpr int kWineExportKeys = 35;
inline const std::string kWineExportFile = ZONEINF_WINE_EXPORT;
const std::string& WineExport();

// A file's text: UTF-16 LE after its byte-order mark as UTF-8, any other
// bytes as they are. And text as a UTF-16 LE file, as "reg export" and
// zoneinf write one, with its mark unless told otherwise.
std::string TextOf(const std::string& bytes);
std::string Utf16File(const std::string& text, bool byteOrderMark = true);

// An INF less its head, whose example command names the file.
std::string Body(const std::string& inf);

// The year zoneinf's runs take for this one (ZONEINF_TEST_YEAR), so that
// what a test expects of "this year" holds whatever the clock says.
inline constexpr int kTestYear = 2026;

// "2024-03-24T03:00:00Z" as an instant.
Instant At(const std::string& text);

// A fresh folder of the running test's own under the temporary folder,
// emptied first.
std::filesystem::path ScratchFolder(const std::string& name);

std::string ReadBytes(const std::filesystem::path& path);
void WriteBytes(const std::filesystem::path& path, const std::string& bytes);

// zoneinf itself, run with arguments as a shell would split them.
struct Run {
    int status = -1;
    std::string output;
    std::string errors;
};
// zoneinf's path for a shell, with --zoneinfo when the system's database
// is another tree (ZONEINF_TEST_SYSTEM_ZONEINFO).
std::string ZoneinfCommand();
// In the year kTestYear, on the system's database and the built-in
// mapping, in the C locale unless `environment` ("LANGUAGE=es
// LC_ALL=C.UTF-8") says otherwise, so messages are English whatever the
// caller's locale.
Run RunZoneinf(const std::string& arguments, const std::string& environment = "LC_ALL=C");
// On the tests' own database and mapping.
Run RunOnTestDatabase(const std::string& arguments, const std::string& environment = "LC_ALL=C");
// With the arguments alone: no database or mapping chosen for it.
Run RunZoneinfAlone(const std::string& arguments, const std::string& environment = "LC_ALL=C");

// A table row's expectation of standard error: the text is in it. A row
// that names no text still asserts something: the stream holds no failure,
// only zoneinf's notes on what it wrote (shared keys, approximated years),
// in English or Spanish.
void ExpectInErrors(const Run& run, const std::string& expected);

}  // namespace zoneinf::testing
