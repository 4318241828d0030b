// --check: a real export (Wine 8's own Time Zones key, exported with
// Wine's reg, cut to the tests' keys), broken copies of it, and the INFs
// zoneinf writes. Verdicts
// are checked on the tests' own database, whose facts stay put; what
// depends on the mapping alone (which keys are checked, which absent), on
// the system's database with CLDR's whole mapping.
#include "base/errors.h"
#include "check/checker.h"
#include "check/json_report.h"
#include "check/text_report.h"
#include "commands/command_files.h"
#include "test_support.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

namespace zoneinf {
namespace {

using namespace std::chrono_literals;

const std::string& kWineExport = testing::WineExport();

std::string Replace(std::string text, const std::string& from, const std::string& to)
{
    const size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    return at == std::string::npos ? text : text.replace(at, from.size(), to);
}

CheckReport Check(const std::string& bytes, YearRange years = {2026, 2037})
{
    return CheckDefinitions(ReadDefinitions(bytes, "test"), testing::TestDatabase(), testing::TestMapping(), years);
}

CheckReport CheckAgainstCldr(const std::string& bytes)
{
    return CheckDefinitions(ReadDefinitions(bytes, "test"), testing::SystemDatabase(), testing::CldrMapping(),
                            {2026, 2037});
}

// A report as --check --json prints it for one file.
nlohmann::json Json(const CheckReport& report)
{
    static const Checker checker(testing::TestDatabase(), testing::TestMapping(), {2026, 2037});
    return nlohmann::json::parse(FormatJson(checker.Basis(), report));
}

const ZoneCheck& Find(const CheckReport& report, const std::string& key)
{
    for (const ZoneCheck& zone : report.zones) {
        if (zone.windowsKey == key) {
            return zone;
        }
    }
    throw std::runtime_error("no zone " + key);
}

TEST(Check, FlagsWinesStaleParaguayRecord)
{
    const CheckReport report = Check(kWineExport);
    EXPECT_EQ(report.format, "reg export (UTF-16)");
    EXPECT_EQ(report.zones.size(), size_t(testing::kWineExportKeys));
    const ZoneCheck& paraguay = Find(report, "Paraguay Standard Time");
    EXPECT_EQ(paraguay.status, ZoneCheck::kDiffers);
    EXPECT_EQ(paraguay.zone, "America/Asuncion");
    // Wine's record still ends daylight time on the fourth Sunday of March.
    EXPECT_EQ(paraguay.firstDifference, testing::At("2026-03-22T03:00:00Z"));
    EXPECT_EQ(paraguay.windowsOffset, -4h);
    EXPECT_EQ(paraguay.databaseOffset, -3h);
    EXPECT_EQ(paraguay.disagreeingChanges, 24);  // two a year, 2026 to 2037
    EXPECT_EQ(Find(report, "Romance Standard Time").status, ZoneCheck::kAgrees);
    // CLDR 48 follows the places that moved: Kyrgyzstan keeps UTC+06:00,
    // Mazatlan UTC-07:00, which Wine's record for Chihuahua's old key is not.
    EXPECT_EQ(Find(report, "Central Asia Standard Time").zone, "Asia/Bishkek");
    EXPECT_EQ(Find(report, "Central Asia Standard Time").status, ZoneCheck::kAgrees);
    EXPECT_EQ(Find(report, "Mountain Standard Time (Mexico)").zone, "America/Mazatlan");
    EXPECT_EQ(Find(report, "Mountain Standard Time (Mexico)").status, ZoneCheck::kDiffers);
    EXPECT_EQ(Find(report, "Greenland Standard Time").zone, "America/Nuuk") << "the current name, not CLDR's";

    const std::string text = FormatReport(report, false);
    EXPECT_NE(text.find("Paraguay Standard Time  America/Asuncion  from 2026-03-22T03:00:00Z Windows gives "
                        "UTC-04:00, the database UTC-03:00; 24 changes of offset disagree\n"),
              std::string::npos)
        << text;
    EXPECT_EQ(text.find("Romance"), std::string::npos) << "zones that agree are not listed";
    EXPECT_EQ(text.substr(text.rfind('\n', text.size() - 2) + 1),
              std::to_string(report.Checked()) + " zones checked, " + std::to_string(report.Count(ZoneCheck::kDiffers)) +
                  " differ, 0 as close as Windows allows, " + std::to_string(report.Count(ZoneCheck::kUnchecked)) +
                  " unchecked\n");
    EXPECT_EQ(report.Checked(), int(testing::TestMapping().MainZones().size())) << "Wine has every key of the tests' mapping";
    // CLDR's mapping names a zone for each of Wine's keys.
    EXPECT_EQ(CheckAgainstCldr(kWineExport).Checked(), testing::kWineExportKeys);

    const auto json = Json(report);
    EXPECT_EQ(json["checked"], report.Checked());
    EXPECT_EQ(json["zones"].size(), size_t(testing::kWineExportKeys));
    for (const auto& zone : json["zones"]) {
        if (zone["windowsKey"] == "Paraguay Standard Time") {
            EXPECT_EQ(zone["status"], "differs");
            EXPECT_EQ(zone["zone"], "America/Asuncion");
            EXPECT_EQ(zone["firstDifference"], "2026-03-22T03:00:00Z");
            EXPECT_EQ(zone["windowsOffsetSeconds"], -14400);
            EXPECT_EQ(zone["databaseOffsetSeconds"], -10800);
            EXPECT_EQ(zone["disagreeingChanges"], 24);
        }
    }
}

TEST(Check, ReadsTheOlderAnsiFormAndUtf8Alike)
{
    const std::string text = testing::TextOf(kWineExport);
    const CheckReport unicode = Check(kWineExport);
    for (const std::string& copy :
         {Replace(text, "Windows Registry Editor Version 5.00", "REGEDIT4"), "\xEF\xBB\xBF" + text}) {
        const CheckReport report = Check(copy);
        ASSERT_EQ(report.zones.size(), unicode.zones.size());
        for (size_t i = 0; i < report.zones.size(); ++i) {
            EXPECT_EQ(report.zones[i].status, unicode.zones[i].status) << report.zones[i].windowsKey;
            EXPECT_EQ(report.zones[i].firstDifference, unicode.zones[i].firstDifference);
        }
    }
}

TEST(Check, MalformedRecordsAreReportedAndTheRestChecked)
{
    const std::string text = testing::TextOf(kWineExport);
    const std::string paraguay = "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Time "
                                 "Zones\\Paraguay Standard Time";
    const size_t tzi = text.find("\"TZI\"=hex:f0,00,00,00", text.find(paraguay));
    const size_t dynamic = text.find(paraguay + "\\Dynamic DST]");
    const struct {
        const char* what;
        std::string copy;
        const char* problem;
    } cases[] = {
        {"TZI of 40 bytes", std::string(text).replace(tzi, 22, "\"TZI\"=hex:"), "TZI is 40 bytes, not 44"},
        {"LastEntry before FirstEntry",
         text.substr(0, dynamic) +
             Replace(text.substr(dynamic), "\"LastEntry\"=dword:000007dd", "\"LastEntry\"=dword:000007cf"),
         "Dynamic DST LastEntry 1999 before FirstEntry 2000"},
        {"a year missing", text.substr(0, dynamic) + Replace(text.substr(dynamic), "\"2010\"=hex:", "\"1910\"=hex:"),
         "Dynamic DST has no record for 2010"},
        {"FirstEntry no DWORD",
         text.substr(0, dynamic) + Replace(text.substr(dynamic), "\"FirstEntry\"=dword:000007d0", "\"FirstEntry\"=\"2000\""),
         "Dynamic DST FirstEntry is no DWORD"},
    };
    const CheckReport original = Check(kWineExport);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const CheckReport report = Check(testing::Utf16File(c.copy));
        const ZoneCheck& zone = Find(report, "Paraguay Standard Time");
        EXPECT_EQ(zone.status, ZoneCheck::kMalformed);
        EXPECT_EQ(zone.problem, c.problem);
        EXPECT_NE(FormatReport(report, false).find("Paraguay Standard Time  America/Asuncion  malformed: "),
                  std::string::npos);
        EXPECT_EQ(report.Count(ZoneCheck::kAgrees), original.Count(ZoneCheck::kAgrees));
    }
}

TEST(Check, UnreadableFilesGetOneClearLine)
{
    const std::string text = testing::TextOf(kWineExport);
    const size_t middle = text.find("\\\r\n", text.size() / 2);
    const struct {
        const char* what;
        std::string bytes;
        const char* message;
    } cases[] = {
        {"cut in a UTF-16 character", kWineExport.substr(0, kWineExport.size() / 2 * 2 - 1), "truncated"},
        {"cut in the middle of a line", kWineExport.substr(0, kWineExport.size() - 40), "truncated"},
        {"cut after a continued line", testing::Utf16File(text.substr(0, middle + 3)), "truncated"},
        {"UTF-16 without its byte-order mark", testing::Utf16File(text, false), "byte-order mark"},
        {"UTF-16 that is no export", testing::Utf16File("hello\r\n"), "no registry export"},
        {"neither export nor INF", "hello\r\n", "neither a registry export"},
        {"a key left open", testing::Utf16File(Replace(text, "Time Zones\\Paraguay Standard Time]",
                                                "Time Zones\\Paraguay Standard Time")),
         "closing ']'"},
    };
    for (const auto& c : cases) {
        try {
            ReadDefinitions(c.bytes, "zones.reg");
            ADD_FAILURE() << c.what << ": read";
        } catch (const Failure& failure) {
            const std::string message = failure.what();
            EXPECT_EQ(failure.status(), kExitUnreadableInput) << c.what;
            EXPECT_EQ(message.rfind("zones.reg: ", 0), 0u) << message;
            EXPECT_NE(message.find(c.message), std::string::npos) << c.what << ": " << message;
            EXPECT_EQ(message.find('\n'), std::string::npos) << message;
        }
    }
}

TEST(Check, UnmappedKeysAreCountedAsUnchecked)
{
    const std::string text = testing::TextOf(kWineExport) +
                             "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Time Zones\\"
                             "Nowhere Standard Time]\r\n\"TZI\"=hex:00\r\n\r\n";
    const CheckReport report = CheckAgainstCldr(testing::Utf16File(text));
    EXPECT_EQ(Find(report, "Nowhere Standard Time").status, ZoneCheck::kUnchecked);
    EXPECT_EQ(FormatReport(report, false).find("Nowhere"), std::string::npos);
    EXPECT_NE(FormatReport(report, true).find("Nowhere Standard Time  unchecked: CLDR maps no zone to it\n"),
              std::string::npos);
    EXPECT_NE(FormatReport(report, false).find(std::to_string(testing::kWineExportKeys) + " zones checked, "),
              std::string::npos);
    EXPECT_NE(FormatReport(report, false).find(" as close as Windows allows, 1 unchecked;"), std::string::npos);
}

// Records that differ only in years no record describes (Morocco's 2029 and
// 2033 in the tests' database), and there no worse than zoneinf's, are as
// close as Windows allows; any other difference is a stale zone.
TEST(Check, TellsYearsNoRecordDescribesFromStaleOnes)
{
    const testing::Run run = testing::RunOnTestDatabase("Africa/Casablanca --approximate --from 2026");
    ASSERT_EQ(run.status, 0) << run.errors;
    // The INF with one year's record replaced by another year's.
    const auto withRecordOf = [&](const std::string& year, const std::string& other) {
        const auto line = [&](const std::string& y) {
            const size_t at = run.output.find("\"" + y + "\",0x00000001,");
            return run.output.substr(at, run.output.find('\r', at) - at);
        };
        return Replace(run.output, line(year), line(year).substr(0, 18) + line(other).substr(18));
    };
    const struct {
        const char* what;
        std::string inf;
        ZoneCheck::Status status;
        const char* summary;
    } cases[] = {
        {"as zoneinf wrote it", run.output, ZoneCheck::kAsClose,
         "1 zone checked, 0 differ, 1 as close as Windows allows, 0 unchecked\n"},
        {"2029 worse than zoneinf's", withRecordOf("2029", "2028"), ZoneCheck::kDiffers,
         "1 zone checked, 1 differs, 0 as close as Windows allows, 0 unchecked\n"},
        {"2030 stale", withRecordOf("2030", "2031"), ZoneCheck::kDiffers, " 1 differs, "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const CheckReport report = Check(c.inf);
        ASSERT_EQ(report.zones.size(), 1u);
        EXPECT_EQ(report.zones[0].status, c.status);
        const std::string text = FormatReport(report, false);
        EXPECT_NE(text.find(c.summary), std::string::npos) << text;
        if (c.status == ZoneCheck::kAsClose) {
            EXPECT_EQ(report.zones[0].closestYears, (std::vector<int>{2029, 2033}));
            EXPECT_EQ(Json(report)["asCloseAsWindowsAllows"], 1);
        }
    }
}

std::string ReplaceAll(std::string text, const std::string& from, const std::string& to)
{
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
        text.replace(at, from.size(), to);
    }
    return text;
}

TEST(Check, KeyNamesMatchWithoutRegardToCaseAndReachTheTerminalEscaped)
{
    const std::string text = ReplaceAll(testing::TextOf(kWineExport), "Time Zones\\Paraguay Standard Time",
                                        "Time Zones\\paraguay standard time") +
                             "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Time Zones\\"
                             "Evil\x1b[2K\r Time]\r\n\"TZI\"=hex:00\r\n\r\n";
    const CheckReport report = Check(testing::Utf16File(text));
    const ZoneCheck& paraguay = Find(report, "paraguay standard time");
    EXPECT_EQ(paraguay.status, ZoneCheck::kDiffers);
    EXPECT_EQ(paraguay.zone, "America/Asuncion");
    EXPECT_NE(FormatReport(report, true).find("Evil\\x1b[2K\\x0d Time  unchecked"), std::string::npos)
        << FormatReport(report, true);
}

TEST(Check, APartialExportCountsTheMappedKeysItLacks)
{
    const std::string text = testing::TextOf(kWineExport);
    // Cut at a line end, before the keys from "P" on: a file that reads well.
    const size_t cut = text.find("[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Time Zones\\P");
    ASSERT_NE(cut, std::string::npos);
    const CheckReport whole = Check(kWineExport);
    const CheckReport partial = Check(testing::Utf16File(text.substr(0, cut)));
    EXPECT_EQ(whole.absent, 0);
    EXPECT_GT(partial.absent, 5);
    EXPECT_EQ(partial.absent - whole.absent, int(whole.zones.size() - partial.zones.size()) -
                                                 (whole.Count(ZoneCheck::kUnchecked) - partial.Count(ZoneCheck::kUnchecked)));
    EXPECT_NE(FormatReport(partial, false).find("; " + std::to_string(partial.absent) +
                                               " keys of the mapping absent from the file\n"),
              std::string::npos);
    EXPECT_EQ(Json(partial)["absent"], partial.absent);
}

// An INF as zoneinf writes it, and as administrators write the same: in
// UTF-16, with [Strings], continued lines, comments; each reads alike.
TEST(Check, InfsReadAsSetupApiReadsThem)
{
    const std::string inf = testing::ReadBytes(std::string(ZONEINF_SOURCE_DIR) + "/tests/fuzz/seeds/exports/paraguay.inf");
    const std::string key = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Time Zones\\Paraguay Standard Time";
    const std::string utf16 = testing::Utf16File(inf);
    const struct {
        const char* what;
        std::string bytes;
    } cases[] = {
        {"UTF-16 with its byte-order mark", utf16},
        {"[Strings] substitution",
         ReplaceAll(inf, "\"" + key + "\"", "\"%TZROOT%\\%Paraguay%\"") +
             "\r\n[Strings]\r\nTZROOT=\"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Time Zones\"\r\n"
             "paraguay = \"Paraguay Standard Time\" ; the key\r\n"},
        {"continued lines, CR CR LF, blanks after the backslash",
         ReplaceAll(ReplaceAll(inf, ",00,00,00,00,00,00,00,00,00,00,00,00\r\n", ",00,00,00,00,00,00, \\  \r\r\n  00,00,00,00,00,00\r\n"),
                    "\r\n", "\r\r\n")},
        {"comments ending in a backslash", ReplaceAll(inf, "\r\n[TimeZones.AddReg]", "\r\n; see below \\\r\n[TimeZones.AddReg]")},
        {"sections named twice over", ReplaceAll(inf, "AddReg=TimeZones.AddReg", "AddReg=TimeZones.AddReg,timezones.addreg\r\nAddReg=TimeZones.AddReg")},
    };
    const ExportedDefinitions plain = ReadDefinitions(inf, "plain.inf");
    ASSERT_EQ(plain.zones.size(), 1u);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const ExportedDefinitions read = ReadDefinitions(c.bytes, "zones.inf");
        ASSERT_EQ(read.zones.size(), 1u);
        EXPECT_EQ(read.zones[0].windowsKey, "Paraguay Standard Time");
        EXPECT_EQ(read.zones[0].tzi, plain.zones[0].tzi);
        EXPECT_EQ(read.zones[0].years, plain.zones[0].years);
        EXPECT_EQ(read.zones[0].lastEntry, plain.zones[0].lastEntry);
        EXPECT_TRUE(read.zones[0].badValues.empty());
    }
}

TEST(Check, TruncatedInfsAndBrokenLinesAreNamedByTheirPhysicalLine)
{
    const std::string inf = testing::ReadBytes(std::string(ZONEINF_SOURCE_DIR) + "/tests/fuzz/seeds/exports/paraguay.inf");
    const std::string text = testing::TextOf(kWineExport);
    const struct {
        const char* what;
        std::string bytes;
        const char* message;
    } cases[] = {
        {"INF cut mid-line", inf.substr(0, inf.size() - 30), "truncated"},
        {"INF cut before its AddReg section", inf.substr(0, inf.find("[TimeZones.AddReg]")),
         "line 14: truncated or incomplete: no section [TimeZones.AddReg]"},
        {"a quote left open", ReplaceAll(inf, "\"TZI\"", "\"TZI"), "line 23: a quoted string without its closing quote"},
        {"an export's bad line after a continued one",
         testing::Utf16File(Replace(text, "\"Display\"=", "\"Display\"\\\r\n=\\\r\n\r\nbroken")), "not a registry value"},
    };
    for (const auto& c : cases) {
        try {
            ReadDefinitions(c.bytes, "zones");
            ADD_FAILURE() << c.what << ": read";
        } catch (const Failure& failure) {
            EXPECT_EQ(failure.status(), kExitUnreadableInput) << c.what;
            EXPECT_NE(std::string(failure.what()).find(c.message), std::string::npos) << c.what << ": " << failure.what();
        }
    }
}

}  // namespace
}  // namespace zoneinf
