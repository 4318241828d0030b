// CLDR's mapping read from its two distributions, and held to the rules an
// INF needs: whatever a mapping file holds, nothing unchecked reaches an INF.
#include "base/errors.h"
#include "mapping/windows_zone_map.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace zoneinf {
namespace {

// Part of CLDR 41's windowsZones.xml, as Debian 12 ships it.
const std::string kCldr41Xml = std::string(ZONEINF_SOURCE_DIR) + "/tests/fuzz/seeds/windows-zones/cldr-41-trimmed.xml";

// One mapZone entry each, as JSON and as XML, with `key` for key 2.
std::string Json(const std::vector<std::array<std::string, 3>>& entries)
{
    std::string text = R"({"supplemental": {"version": {"_cldrVersion": "48"}, "windowsZones": {"mapTimezones": [)";
    for (size_t i = 0; i < entries.size(); ++i) {
        text += (i ? "," : "") + std::string(R"({"mapZone": {"_other": ")") + entries[i][0] + R"(", "_territory": ")" +
                entries[i][1] + R"(", "_type": ")" + entries[i][2] + "\"}}";
    }
    return text + "]}}}";
}

std::string Xml(const std::vector<std::array<std::string, 3>>& entries)
{
    std::string text = "<supplementalData><windowsZones><mapTimezones>";
    for (const auto& entry : entries) {
        text += "<mapZone other=\"" + entry[0] + "\" territory=\"" + entry[1] + "\" type=\"" + entry[2] + "\"/>";
    }
    return text + "</mapTimezones></windowsZones></supplementalData>";
}

TEST(Mapping, BothDistributionsReadAlike)
{
    const WindowsZoneMap& json = testing::CldrMapping();
    const WindowsZoneMap xml = WindowsZoneMap::Load(kCldr41Xml);
    EXPECT_EQ(json.Release(), "48");
    EXPECT_EQ(xml.Release(), "unknown") << "release 41's XML names none";
    EXPECT_EQ(json.MainZones().size(), 139u);
    EXPECT_EQ(json.MainZoneOf("Central Asia Standard Time"), "Asia/Bishkek");
    EXPECT_EQ(xml.MainZoneOf("Central Asia Standard Time"), "Asia/Almaty");
    EXPECT_EQ(json.ZonesOf("Paraguay Standard Time"), std::vector<std::string>{"America/Asuncion"});

    const std::vector<std::array<std::string, 3>> entries = {{"Paraguay Standard Time", "001", "America/Asuncion"},
                                                             {"Paraguay Standard Time", "PY", "America/Asuncion"}};
    for (const std::string& bytes : {Json(entries), Xml(entries), "\xEF\xBB\xBF\r\n" + Json(entries)}) {
        EXPECT_EQ(WindowsZoneMap::Parse(bytes, "m").MainZoneOf("Paraguay Standard Time"), "America/Asuncion");
    }
}

// The tests' mapping is CLDR's own, cut to the zones of the tests' database.
TEST(Mapping, TheTestsMappingIsPartOfCldrs)
{
    for (const auto& [key, zone] : testing::TestMapping().MainZones()) {
        EXPECT_EQ(testing::CldrMapping().MainZoneOf(key), zone) << key;
        for (const std::string& mapped : testing::TestMapping().ZonesOf(key)) {
            const auto cldrs = testing::CldrMapping().ZonesOf(key);
            EXPECT_NE(std::find(cldrs.begin(), cldrs.end(), mapped), cldrs.end()) << key << ": " << mapped;
            EXPECT_TRUE(testing::TestDatabase().HasZone(testing::TestDatabase().CurrentName(mapped))) << mapped;
        }
    }
    EXPECT_EQ(testing::TestMapping().Release(), testing::CldrMapping().Release());
}

TEST(Mapping, EntriesAnInfCannotCarryAreRefused)
{
    const std::string runKey = R"(X\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run)";
    const struct {
        const char* what;
        std::vector<std::array<std::string, 3>> entries;
        const char* message;
    } cases[] = {
        {"a backslash", {{runKey, "001", "UTC"}}, "no Windows key name"},
        {"a quote", {{"A\\\" B", "001", "UTC"}}, "no Windows key name"},
        {"a percent sign", {{"A%B%", "001", "UTC"}}, "no Windows key name"},
        {"an escape character", {{"A\\u001b[2JB", "001", "UTC"}}, "'A\\x1b[2JB' is no Windows key name"},
        {"128 characters", {{std::string(128, 'K'), "001", "UTC"}}, "1 to 127 characters"},
        {"no key", {{"", "001", "UTC"}}, "no Windows key name"},
        {"no territory 001", {{"A", "PY", "UTC"}}, "'A' has no main zone (no territory 001)"},
        {"a key defined twice", {{"A", "001", "UTC"}, {"A", "001", "Etc/UTC"}}, "defined twice for territory 001"},
        {"a zone under two keys", {{"A", "001", "UTC"}, {"B", "001", "UTC"}}, "mapped to both 'A' and 'B'"},
        {"an absolute zone", {{"A", "001", "/etc/passwd"}}, "'/etc/passwd' is no zone name"},
        {"a zone that climbs", {{"A", "001", "Europe/../../etc"}}, "is no zone name"},
        {"no zone", {{"A", "001", " "}}, "'A' has no zone for territory 001"},
        {"a bad territory", {{"A", "0\\n1", "UTC"}}, "is no territory"},
        {"no entry", {}, "no mapZone entries"},
    };
    for (const auto& c : cases) {
        for (const bool json : {true, false}) {
            if (!json && std::string(c.what) == "an escape character") {
                continue;  // XML 1.0 has no escape character
            }
            SCOPED_TRACE(std::string(c.what) + (json ? " (JSON)" : " (XML)"));
            std::string bytes = json ? Json(c.entries) : Xml(c.entries);
            if (!json) {  // the JSON escapes, as XML writes them
                for (const auto& [from, to] : {std::pair{"\\\\", "\\"}, std::pair{"\\\"", "&quot;"}, std::pair{"\\n", "&#10;"}}) {
                    for (size_t at; (at = bytes.find(from)) != std::string::npos;) {
                        bytes.replace(at, std::string(from).size(), to);
                    }
                }
            }
            try {
                WindowsZoneMap::Parse(bytes, "m.json");
                ADD_FAILURE() << "read";
            } catch (const Failure& failure) {
                EXPECT_EQ(failure.status(), kExitUnreadableInput);
                EXPECT_NE(std::string(failure.what()).find(c.message), std::string::npos) << failure.what();
                EXPECT_EQ(std::string(failure.what()).find_first_of("\n\x1b"), std::string::npos) << failure.what();
            }
        }
    }
    for (const std::string bytes : {"", "hello", "{\"supplemental\": 1}", "{", "<a><b></a>",
                                     R"({"supplemental": {"windowsZones": {"mapTimezones": [{"mapZone": 1}]}}})",
                                     R"({"supplemental": {"windowsZones": {"mapTimezones": [{"mapZone": {"_other": 7}}]}}})"}) {
        EXPECT_THROW(WindowsZoneMap::Parse(bytes, "m"), Failure) << bytes;
    }
}

// Zones are named by the database's current name, from tzdata.zi's links or,
// in a tree without it, its symbolic links; no name leads out of the tree.
TEST(Names, CurrentNamesAndNamesOutOfTheTree)
{
    const TzDatabase& database = testing::TestDatabase();
    for (const auto& [old, current] : {std::pair{"Asia/Calcutta", "Asia/Kolkata"}, {"Europe/Kiev", "Europe/Kyiv"},
                                       {"America/Godthab", "America/Nuuk"}, {"UTC", "Etc/UTC"},
                                       {"Europe/Paris", "Europe/Paris"}, {"No/Such", "No/Such"}}) {
        EXPECT_EQ(database.CurrentName(old), current) << old;
    }
    const auto tree = testing::ScratchFolder("tree");
    std::filesystem::create_directories(tree / "Asia");
    std::filesystem::copy_file(ZONEINF_TEST_DATABASE "/Asia/Kolkata", tree / "Asia/Kolkata");
    std::filesystem::create_symlink("Kolkata", tree / "Asia/Calcutta");
    std::filesystem::create_symlink(ZONEINF_TEST_DATABASE "/UTC", tree / "Outside");
    const TzDatabase slim(tree);
    EXPECT_EQ(slim.CurrentName("Asia/Calcutta"), "Asia/Kolkata");
    EXPECT_EQ(slim.CurrentName("Outside"), "Outside") << "a link out of the tree names nothing in it";

    for (const char* name : {"", "/etc/passwd", "../x", "a/../b", "a/./b", "a//b", "a/", "a b", "a\"b", "a\nb"}) {
        EXPECT_FALSE(TzDatabase::IsZoneName(name)) << name;
    }
    for (const char* name : {"UTC", "Etc/GMT+5", "America/Argentina/Buenos_Aires", "America/Port-au-Prince"}) {
        EXPECT_TRUE(TzDatabase::IsZoneName(name)) << name;
    }
}

}  // namespace
}  // namespace zoneinf
