// The generator's proof: the INF for every Windows zone CLDR maps (--all),
// read back from its bytes as Windows and Wine read them, gives the
// database's offset one second before, at and one second after each change
// of every year of the default range, and between changes; the run reports
// only years no record could describe (on the tests' own database, exactly
// the ones known).
#include "commands/command_files.h"
#include "registry/exported_definitions.h"
#include "mapping/windows_zone_map.h"
#include "records/record_evaluator.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <iostream>
#include <regex>
#include <set>

namespace zoneinf {
namespace {

using namespace std::chrono_literals;

// The instants at which the offset is compared in a year: the year's
// start, each change and the seconds around it, and the middle of every
// stretch between changes.
std::vector<Instant> ProbesOf(const YearOffsets& year)
{
    std::vector<Instant> probes;
    Instant previous = StartOfYear(year.year);
    probes.push_back(previous);
    for (const OffsetChange& change : year.changes) {
        probes.push_back(previous + (change.at - previous) / 2);
        probes.insert(probes.end(), {change.at - 1s, change.at, change.at + 1s});
        previous = change.at;
    }
    probes.push_back(previous + (StartOfYear(year.year + 1) - previous) / 2);
    probes.push_back(StartOfYear(year.year + 1) - 1s);
    return probes;
}

// The years a run of --all --approximate reported, by zone.
std::set<std::pair<std::string, int>> ReportedYears(const std::string& errors)
{
    std::set<std::pair<std::string, int>> reported;
    const std::regex line(R"(zoneinf: approximated (\S+) \(.*\) (\d+): )");
    for (std::sregex_iterator match(errors.begin(), errors.end(), line), end; match != end; ++match) {
        reported.emplace((*match)[1], std::stoi((*match)[2]));
    }
    return reported;
}

// Why no one record can describe a year, judged from its offsets alone:
// more than two changes, three offsets, or a change so near the turn of
// the year (here: within a month of it) that the neighbouring year reads
// it; "" when none holds.
std::string WhyNoRecordDescribes(const YearOffsets& year)
{
    std::set<Seconds> offsets{year.atStart};
    for (const OffsetChange& change : year.changes) {
        offsets.insert(change.after);
    }
    if (year.changes.size() > 2) {
        return std::to_string(year.changes.size()) + " changes";
    }
    if (offsets.size() > 2) {
        return "three offsets";
    }
    for (const OffsetChange& change : year.changes) {
        if (change.at - StartOfYear(year.year) < std::chrono::days{31} ||
            StartOfYear(year.year + 1) - change.at < std::chrono::days{31}) {
            return "a change at the turn of the year";
        }
    }
    return "";
}

// Reads the INF of --all back with both readers and compares it with the
// database at every probe of every year of 1970-2037 the run did not
// report; returns the number of probes.
int ProveYearsNotReported(const std::string& inf, const TzDatabase& database, const WindowsZoneMap& map,
                          const std::set<std::pair<std::string, int>>& reported)
{
    const ExportedDefinitions definitions = ReadDefinitions(inf, "--all");
    EXPECT_EQ(definitions.zones.size(), map.MainZones().size());
    int probes = 0;
    for (const ExportedZone& exported : definitions.zones) {
        const std::string zone = database.CurrentName(map.MainZoneOf(exported.windowsKey).value_or(""));
        const auto records = RecordsOf(exported);
        EXPECT_TRUE(std::holds_alternative<ZoneRecords>(records)) << exported.windowsKey;
        if (!std::holds_alternative<ZoneRecords>(records)) {
            continue;
        }
        const ZoneTimeline timeline = database.Load(zone);
        for (int year = 1970; year <= 2037; ++year) {
            if (reported.count({zone, year})) {
                continue;
            }
            for (const Instant probe : ProbesOf(timeline.Year(year))) {
                for (const Reader reader : {Reader::kWindows, Reader::kWine}) {
                    ++probes;
                    const Seconds read = OffsetAt(std::get<ZoneRecords>(records), probe, reader);
                    if (read != timeline.OffsetAt(probe)) {
                        ADD_FAILURE() << exported.windowsKey << " (" << zone << ") at " << FormatInstant(probe)
                                      << (reader == Reader::kWine ? " read as Wine does" : " read as Windows does");
                        return probes;
                    }
                }
            }
        }
    }
    return probes;
}

// On the system's database, whatever its release: each year reported is
// one no record could describe, and every other year is proven.
TEST(Proof, EveryZoneOfAllReadBackFromTheInfGivesTheDatabaseOffsets)
{
    const testing::Run run = testing::RunZoneinf("--all --approximate");
    ASSERT_EQ(run.status, 0) << run.errors;
    const auto reported = ReportedYears(run.errors);
    for (const auto& [zone, year] : reported) {
        EXPECT_NE(WhyNoRecordDescribes(testing::SystemDatabase().Load(zone).Year(year)), "")
            << zone << " " << year << " was reported, yet one record could describe it";
    }
    std::cout << "tzdata " << testing::SystemDatabase().Version() << ": " << reported.size()
              << " years reported\n";
    EXPECT_GT(ProveYearsNotReported(run.output, testing::SystemDatabase(), testing::CldrMapping(), reported), 100000);
}

// On the tests' own database the years reported are known, and why.
TEST(Proof, TheTestDatabaseReportsExactlyTheYearsNoRecordDescribes)
{
    const struct {
        const char* zone;
        int year;
        const char* why;
    } kReported[] = {
        {"America/Argentina/Buenos_Aires", 2007, "a change at the turn of the year"},
        {"Africa/Casablanca", 2012, "4 changes"},
        {"Africa/Casablanca", 2013, "4 changes"},
        {"Africa/Casablanca", 2014, "4 changes"},
        {"Africa/Casablanca", 2015, "4 changes"},
        {"Africa/Casablanca", 2016, "4 changes"},
        {"Africa/Casablanca", 2017, "4 changes"},
        {"Africa/Casablanca", 2018, "3 changes"},
        {"Africa/Casablanca", 2029, "3 changes"},
        {"Africa/Casablanca", 2033, "3 changes"},
        {"Australia/Lord_Howe", 1981, "three offsets"},
        {"Australia/Lord_Howe", 1985, "three offsets"},
        {"Pacific/Apia", 2011, "3 changes"},
    };
    const testing::Run run = testing::RunOnTestDatabase("--all --approximate");
    ASSERT_EQ(run.status, 0) << run.errors;
    std::set<std::pair<std::string, int>> expected;
    for (const auto& year : kReported) {
        expected.emplace(year.zone, year.year);
        EXPECT_EQ(WhyNoRecordDescribes(testing::TestDatabase().Load(year.zone).Year(year.year)), year.why)
            << year.zone << " " << year.year;
    }
    const auto reported = ReportedYears(run.errors);
    EXPECT_EQ(reported, expected) << "the years reported are not the ones listed";
    EXPECT_GT(ProveYearsNotReported(run.output, testing::TestDatabase(), testing::TestMapping(), reported), 10000);
}

TEST(Inf, IsAsciiWithCrLfAndDeletesBeforeItAdds)
{
    const testing::Run run = testing::RunOnTestDatabase("America/Asuncion Europe/Dublin --from 2020 --to 2030");
    ASSERT_EQ(run.status, 0) << run.errors;
    const std::string& inf = run.output;
    for (size_t i = 0; i < inf.size(); ++i) {
        ASSERT_TRUE(static_cast<unsigned char>(inf[i]) < 0x80) << "byte " << i;
        if (inf[i] == '\n') {
            ASSERT_TRUE(i > 0 && inf[i - 1] == '\r') << "bare line feed at byte " << i;
        }
    }
    const std::string key = "HKLM,\"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Time Zones\\";
    const std::string expectedParts[] = {
        "; Written by zoneinf ",
        "; Years 2020 to 2030:",
        ";   America/Asuncion -> Paraguay Standard Time\r\n",
        ";   Europe/Dublin -> GMT Standard Time\r\n",
        "[Version]\r\nSignature=\"$Windows NT$\"\r\n",
        "[DefaultInstall]\r\nDelReg=TimeZones.DelReg\r\nAddReg=TimeZones.AddReg\r\n",
        key + "Paraguay Standard Time\\Dynamic DST\"\r\n",
        key + "Paraguay Standard Time\",\"Display\",0x00000002,\"(UTC-03:00) Asuncion\"\r\n",
        key + "Paraguay Standard Time\",\"Std\",0x00000002,\"Paraguay Standard Time\"\r\n",
        key + "Paraguay Standard Time\",\"Dlt\",0x00000002,\"Paraguay Daylight Time\"\r\n",
        key + "Paraguay Standard Time\\Dynamic DST\",\"FirstEntry\",0x00010001,2020\r\n",
        key + "Paraguay Standard Time\\Dynamic DST\",\"LastEntry\",0x00010001,2030\r\n",
    };
    size_t position = 0;
    for (const std::string& part : expectedParts) {
        const size_t found = inf.find(part, position);
        ASSERT_NE(found, std::string::npos) << "missing or out of order: " << part;
        position = found;
    }
    // TZI is the last year's record, so Windows (nearest entry) and Wine
    // (TZI) read the future alike.
    const ExportedDefinitions definitions = ReadDefinitions(inf, "inf");
    for (const ExportedZone& zone : definitions.zones) {
        EXPECT_EQ(zone.tzi, zone.years.at(2030)) << zone.windowsKey;
        EXPECT_EQ(zone.years.size(), 11u);
    }
}

}  // namespace
}  // namespace zoneinf
