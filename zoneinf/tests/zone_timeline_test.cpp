// The database side: POSIX rules from TZif footers, TZif files, the
// offsets per year read from them, and where two series of offsets part.
#include "base/errors.h"
#include "test_support.h"
#include "tzdb/posix_tz.h"
#include "tzdb/tzif_reader.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

namespace zoneinf {
namespace {

using namespace std::chrono_literals;
using testing::At;

TEST(PosixTz, ReadsFootersAndRefusesMalformedOnes)
{
    struct Case {
        const char* text;
        bool valid;
        Seconds standard;
        Seconds daylight;
        const char* startOn2024;  // UTC instant of the 2024 start, if any
    };
    const Case cases[] = {
        {"EST5EDT,M3.2.0,M11.1.0", true, -5h, -4h, "2024-03-10T07:00:00Z"},
        {"<-03>3", true, -3h, 0s, nullptr},
        {"IST-2IDT,M3.4.4/26,M10.5.0", true, 2h, 3h, "2024-03-29T00:00:00Z"},
        {"<+1030>-10:30<+11>-11,M10.1.0,M4.1.0", true, 10h + 30min, 11h, "2024-10-05T15:30:00Z"},
        {"IST-1GMT0,M10.5.0,M3.5.0/1", true, 1h, 0h, "2024-10-27T01:00:00Z"},
        {"<-02>2<-01>,M3.5.0/-1,M10.5.0/0", true, -2h, -1h, "2024-03-31T01:00:00Z"},
        {"XYZ-1ABC,J60/0,59/0", true, 1h, 2h, "2024-02-29T23:00:00Z"},
        {"", false, 0s, 0s, nullptr},
        {"EST", false, 0s, 0s, nullptr},
        {"EST5EDT", false, 0s, 0s, nullptr},  // daylight time with no rule
        {"<-03", false, 0s, 0s, nullptr},
        {"EST5EDT,M13.1.0,M11.1.0", false, 0s, 0s, nullptr},
        {"EST5EDT,M3.6.0,M11.1.0", false, 0s, 0s, nullptr},
        {"EST5EDT,M3.2.0/168,M11.1.0", false, 0s, 0s, nullptr},
        {"EST5EDT,M3.2.0,M11.1.0,", false, 0s, 0s, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const auto tz = ParsePosixTz(c.text);
        ASSERT_EQ(tz.has_value(), c.valid);
        if (!c.valid) {
            continue;
        }
        EXPECT_EQ(tz->standardOffset, c.standard);
        ASSERT_EQ(tz->daylight.has_value(), c.startOn2024 != nullptr);
        if (c.startOn2024) {
            EXPECT_EQ(tz->daylight->offset, c.daylight);
            const Instant start = At(c.startOn2024);
            EXPECT_EQ(tz->OffsetAt(start - 1s), c.standard);
            EXPECT_EQ(tz->OffsetAt(start), c.daylight);
        }
    }
}

TEST(PosixTz, DaylightTimeKeptAllYearHasNoChanges)
{
    // zic writes permanent daylight time as a start and an end that meet.
    const ZoneTimeline timeline(-3h, {}, ParsePosixTz("<-03>3<-02>,0/0,J365/25"));
    for (int year : {2030, 2031, 2032}) {
        EXPECT_EQ(timeline.Year(year), (YearOffsets{year, -2h, {}})) << year;
    }
}

// The trees are compiled "fat" (every transition to 2037 listed); the same
// source compiled "slim" lists only the last rule's start and leaves the
// rest to the footer. Both must give the same offsets, for the tests' own
// database and the system's.
TEST(ZoneTimeline, SlimTreeReadsAsTheFatOne)
{
    const std::string system = testing::SystemZoneinfo();
    if (!std::filesystem::exists(system + "/tzdata.zi")) {
        GTEST_SKIP() << system << " has no tzdata.zi, the source to compile slim";
    }
    const struct {
        const char* what;
        std::string folder;
        const TzDatabase& fat;
    } trees[] = {{"the tests' database", ZONEINF_TEST_DATABASE, testing::TestDatabase()},
                 {"the system's database", system, testing::SystemDatabase()}};
    for (const auto& tree : trees) {
        SCOPED_TRACE(tree.what);
        const auto slim = testing::ScratchFolder("slim");
        const std::string command = "/usr/sbin/zic -b slim -d '" + slim.string() + "' '" + tree.folder + "/tzdata.zi'";
        ASSERT_EQ(std::system(command.c_str()), 0) << command;
        const TzDatabase slimDatabase(slim);
        int compared = 0;
        for (const char* zone : {"America/New_York", "America/Asuncion", "Asia/Jerusalem", "Europe/Dublin",
                                 "Australia/Lord_Howe", "America/Santiago", "Africa/Casablanca",
                                 "America/Nuuk", "Pacific/Apia", "Asia/Tehran"}) {
            if (!tree.fat.HasZone(zone)) {
                continue;  // Tehran is not in the tests' database
            }
            const ZoneTimeline fat = tree.fat.Load(zone);
            const ZoneTimeline thin = slimDatabase.Load(zone);
            for (int year = 1970; year <= 2060; ++year) {
                ASSERT_EQ(thin.Year(year), fat.Year(year)) << zone << " " << year;
            }
            ++compared;
        }
        EXPECT_GE(compared, 9);
    }
}

TEST(ZoneTimeline, HardCasesOfTheTestDatabase)
{
    struct Case {
        const char* zone;
        int year;
        YearOffsets expected;
    };
    const Case cases[] = {
        {"America/Caracas", 2007, {2007, -4h, {{At("2007-12-09T07:00:00Z"), -4h, -4h - 30min}}}},
        {"America/Caracas", 2016, {2016, -4h - 30min, {{At("2016-05-01T07:00:00Z"), -4h - 30min, -4h}}}},
        {"Europe/Volgograd", 2020, {2020, 4h, {{At("2020-12-26T22:00:00Z"), 4h, 3h}}}},
        {"America/Nuuk", 2023, {2023, -3h, {{At("2023-03-26T01:00:00Z"), -3h, -2h}}}},
        {"America/Asuncion", 2025, {2025, -3h, {}}},
        // Negative daylight time: the database's isdst flag is on in winter.
        {"Europe/Dublin", 2024,
         {2024, 0h, {{At("2024-03-31T01:00:00Z"), 0h, 1h}, {At("2024-10-27T01:00:00Z"), 1h, 0h}}}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(testing::TestDatabase().Load(c.zone).Year(c.year), c.expected) << c.zone << " " << c.year;
    }
}

TEST(ZoneTimeline, UnusableFilesAreRefusedWithTheirName)
{
    const std::string real = testing::ReadBytes(ZONEINF_TEST_DATABASE "/America/Asuncion");
    std::string version1 = real;
    version1[4] = '\0';
    std::string noFooter = real;
    noFooter.back() = 'x';
    const std::pair<const char*, std::string> cases[] = {
        {"empty", ""},
        {"truncated header", real.substr(0, 30)},
        {"truncated data", real.substr(0, real.size() / 2)},
        {"no magic", "TZaf" + real.substr(4)},
        {"version 1 only", version1},
        {"footer cut", noFooter},
    };
    for (const auto& [what, bytes] : cases) {
        try {
            ParseTzif(bytes, "Test/Zone");
            ADD_FAILURE() << what << ": accepted";
        } catch (const Failure& failure) {
            EXPECT_EQ(failure.status(), kExitUnreadableInput) << what;
            EXPECT_NE(std::string(failure.what()).find("Test/Zone"), std::string::npos) << what;
        }
    }
}

// Two series of offsets compared stretch by stretch: a New York-like 2024
// against copies with one or both changes moved, or another offset.
TEST(TimeModel, DifferencesStartWhereTwoSeriesPartAndLastUntilTheyMeet)
{
    const YearOffsets newYork{2024, -5h, {{At("2024-03-10T07:00:00Z"), -5h, -4h}, {At("2024-11-03T06:00:00Z"), -4h, -5h}}};
    const auto moved = [&](const char* start, const char* end) {
        return YearOffsets{2024, -5h, {{At(start), -5h, -4h}, {At(end), -4h, -5h}}};
    };
    const struct {
        const char* what;
        YearOffsets other;
        const char* begin;
        std::vector<OffsetDifference> expected;
    } cases[] = {
        {"the same", newYork, "2024-01-01T00:00:00Z", {}},
        {"another offset all year", {2024, -3h, {}}, "2024-01-01T00:00:00Z",
         {{At("2024-01-01T00:00:00Z"), At("2024-03-10T07:00:00Z"), -5h, -3h},
          {At("2024-03-10T07:00:00Z"), At("2024-11-03T06:00:00Z"), -4h, -3h},
          {At("2024-11-03T06:00:00Z"), At("2025-01-01T00:00:00Z"), -5h, -3h}}},
        {"daylight time a week later, ending alike", moved("2024-03-17T07:00:00Z", "2024-11-03T06:00:00Z"),
         "2024-01-01T00:00:00Z", {{At("2024-03-10T07:00:00Z"), At("2024-03-17T07:00:00Z"), -4h, -5h}}},
        {"both changes moved", moved("2024-03-17T07:00:00Z", "2024-10-27T06:00:00Z"), "2024-01-01T00:00:00Z",
         {{At("2024-03-10T07:00:00Z"), At("2024-03-17T07:00:00Z"), -4h, -5h},
          {At("2024-10-27T06:00:00Z"), At("2024-11-03T06:00:00Z"), -4h, -5h}}},
        {"compared from April: only the autumn", moved("2024-03-17T07:00:00Z", "2024-10-27T06:00:00Z"),
         "2024-04-01T00:00:00Z", {{At("2024-10-27T06:00:00Z"), At("2024-11-03T06:00:00Z"), -4h, -5h}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const YearOffsets& other = c.other;
        const auto differences =
            Differences({[&](Instant at) { return newYork.OffsetAt(at); }, newYork.changes},
                        {[&](Instant at) { return other.OffsetAt(at); }, other.changes}, At(c.begin), StartOfYear(2025));
        ASSERT_EQ(differences.size(), c.expected.size());
        for (size_t i = 0; i < differences.size(); ++i) {
            EXPECT_EQ(FormatInstant(differences[i].from), FormatInstant(c.expected[i].from));
            EXPECT_EQ(FormatInstant(differences[i].to), FormatInstant(c.expected[i].to));
            EXPECT_EQ(differences[i].first, c.expected[i].first);
            EXPECT_EQ(differences[i].second, c.expected[i].second);
        }
    }
}

TEST(TzDatabase, NamesStayInsideTheTree)
{
    const TzDatabase& database = testing::TestDatabase();
    EXPECT_TRUE(database.HasZone("America/Asuncion"));
    EXPECT_TRUE(database.SameZone("Asia/Kolkata", "Asia/Calcutta"));
    EXPECT_FALSE(database.SameZone("Asia/Kolkata", "Asia/Dhaka"));
    for (const char* name : {"", "/etc/passwd", "../zoneinfo/UTC", "America/../UTC", "America", "No/Such"}) {
        EXPECT_FALSE(database.HasZone(name)) << name;
    }
    EXPECT_EQ(database.Version(), "2025test");
    // A tree's release is named by the one rule for release names.
    const auto tree = testing::ScratchFolder("tree");
    for (const auto& [first, release] : {std::pair("2026aa", "2026aa"), {"2026f-3-g1a2b", "unknown"}, {"../x", "unknown"}}) {
        testing::WriteBytes(tree / "tzdata.zi", "# version " + std::string(first) + "\n");
        EXPECT_EQ(TzDatabase(tree).Version(), release) << first;
    }
    EXPECT_NE(testing::SystemDatabase().Version(), "unknown");
}

}  // namespace
}  // namespace zoneinf
