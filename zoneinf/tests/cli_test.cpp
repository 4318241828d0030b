// zoneinf as users and scripts run it: exit statuses, messages, and output
// written whole or not at all.
#include "test_support.h"

#include <gtest/gtest.h>

#include <fstream>

#include <sys/stat.h>

#include <filesystem>

namespace zoneinf {
namespace {

using testing::RunZoneinf;

TEST(CommandLine, ExitStatusesAndMessages)
{
    const std::string wineExport = ZONEINF_WINE_EXPORT;
    const struct {
        std::string arguments;
        int status;
        const char* inOutput;
        const char* inErrors;
    } cases[] = {
        {"--help", 0, "Usage: zoneinf [OPTION]... ZONE...", ""},
        {"--version", 0, "zoneinf 1.0.0\ntzdata 20", ""},
        {"--version", 0, "\nCLDR 48 (", ""},
        {"", 2, "", "zoneinf: no ZONE given (or --all)\nTry 'zoneinf --help' for more information.\n"},
        {"--bogus UTC", 2, "", "zoneinf: unrecognized option '--bogus'"},
        {"-q UTC", 2, "", "zoneinf: unrecognized option '-q'"},
        {"UTC --from", 2, "", "zoneinf: option '--from' requires an argument"},
        {"UTC --from 20x0", 2, "", "zoneinf: invalid --from year '20x0'"},
        {"UTC --from 2030 --to 2020", 2, "", "zoneinf: --from is after --to"},
        {"--all UTC", 2, "", "zoneinf: --all takes no ZONE"},
        {"No/Such", 2, "", "zoneinf: unknown time zone 'No/Such'"},
        {"../zoneinfo/UTC", 2, "", "zoneinf: unknown time zone '../zoneinfo/UTC'"},
        {"Factory", 2, "", "zoneinf: CLDR maps no Windows key to 'Factory'; name one with --windows-key"},
        {"Factory --windows-key 'Factory Standard Time'", 0, "Time Zones\\Factory Standard Time\"", ""},
        {"UTC Etc/UTC", 2, "", "zoneinf: 'Etc/UTC' and 'UTC' both map to 'UTC'"},
        {"UTC --windows-key " + std::string(128, 'K'), 2, "", "at most 127 characters"},
        {"UTC Europe/Paris --windows-key X", 2, "", "zoneinf: --windows-key goes with exactly one ZONE"},
        {"UTC --windows-key 'A\\B'", 2, "", "is no Windows key name"},
        {"Asia/Kolkata --to 1980", 0, ";   Asia/Kolkata -> India Standard Time\r\n", ""},
        {"UTC --json", 2, "", "zoneinf: --json and --verbose go with --check"},
        {"UTC --zoneinfo /nonexistent", 3, "", "zoneinf: /nonexistent: no time zone database here\n"},
        {"UTC --windows-zones /nonexistent", 3, "", "zoneinf: /nonexistent: cannot read the Windows zone mapping\n"},
        {"Pacific/Apia", 4, "", "zoneinf: Pacific/Apia (Samoa Standard Time): no Windows record describes 2011: "},
        {"Pacific/Apia --approximate --from 2011 --to 2012", 0, "; Approximated: Pacific/Apia (Samoa Standard Time) 2011: ",
         "zoneinf: approximated Pacific/Apia (Samoa Standard Time) 2011: "},
        {"--check /nonexistent", 3, "", "zoneinf: /nonexistent: cannot read"},
        {"--check " + std::string(ZONEINF_SOURCE_DIR) + "/../examples/zona.inf", 3, "",
         "zona.inf: no keys under HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Time Zones in this INF\n"},
        {"--check " + wineExport, 1, "Paraguay Standard Time  America/Asuncion  from ", ""},
        {"--check " + wineExport + " --json", 1, "\"windowsKey\": \"Paraguay Standard Time\"", ""},
        {"--check " + wineExport + " UTC", 2, "", "zoneinf: --check takes no ZONE"},
        // The option named as it was given, one line whatever the input holds.
        {"--all=x", 2, "", "zoneinf: option '--all' doesn't allow an argument\n"},
        {"--w x UTC", 2, "", "zoneinf: option '--w' is ambiguous; possibilities: '--windows-key' '--windows-zones'\n"},
        {"--check", 2, "", "zoneinf: option '--check' requires an argument\n"},
        {"UTC -aq", 2, "", "zoneinf: unrecognized option '-q'\n"},
        {"--check " + wineExport + " --to 2020", 2, "", "zoneinf: --to 2020 is before 20"},
        {"\"$(printf 'No\\nSuch\\033[2K')\"", 2, "",
         "zoneinf: unknown time zone 'No\\nSuch\\x1b[2K' in /usr/share/zoneinfo\nTry 'zoneinf --help' for more information.\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("zoneinf " + c.arguments);
        const testing::Run run = RunZoneinf(c.arguments);
        EXPECT_EQ(run.status, c.status) << run.errors;
        EXPECT_NE(run.output.find(c.inOutput), std::string::npos) << run.output.substr(0, 500);
        EXPECT_NE(run.errors.find(c.inErrors), std::string::npos) << run.errors;
        if (c.status >= 2) {
            EXPECT_EQ(run.output, "") << "a failed run writes nothing";
        }
    }
}

// A zone that shares its key writes it only where it keeps the main zone's
// local time; names are the database's current ones; a mapping is held to
// the INF's rules.
TEST(CommandLine, SharedKeysCurrentNamesAndMappings)
{
    const auto folder = testing::ScratchFolder("mappings");
    const auto mapping = [&](const std::string& name, const std::string& key, const std::string& zone) {
        std::ofstream(folder / name) << "<supplementalData><windowsZones><mapTimezones><mapZone other=\"" << key
                                     << "\" territory=\"001\" type=\"" << zone
                                     << "\"/></mapTimezones></windowsZones></supplementalData>";
        return " --windows-zones " + (folder / name).string();
    };
    const struct {
        std::string arguments;
        int status;
        const char* inOutput;
        const char* inErrors;
    } cases[] = {
        {"Asia/Almaty", 2, "",
         "zoneinf: 'West Asia Standard Time' is Asia/Tashkent's key, shared by Asia/Almaty, and from "
         "1992-01-18T21:00:00Z Asia/Almaty is UTC+06:00 where Asia/Tashkent is UTC+05:00; they agree from 2025 "
         "(--from 2025), or --windows-key names a key knowingly\n"},
        {"Asia/Almaty --from 2025", 0, ";   Asia/Almaty -> West Asia Standard Time\r\n", ""},
        {"Asia/Almaty --windows-key 'West Asia Standard Time' --from 2000", 0, "Time Zones\\West Asia Standard Time\"", ""},
        {"Europe/Madrid", 2, "", "they agree from 1978 (--from 1978)"},
        {"Antarctica/Vostok --from 2026", 2, "", "Asia/Bishkek is UTC+06:00; they still differ in 2037;"},
        {"Europe/Kiev --from 2026", 0, ";   Europe/Kyiv -> FLE Standard Time\r\n", ""},
        {"UTC --from 2026", 0, "from tzdata 20", ""},
        {"UTC --from 2026", 0, " and CLDR 48's Windows zone mapping.\r\n", ""},
        {"--all --approximate --from 2026", 0, ";   Asia/Bishkek -> Central Asia Standard Time\r\n",
         "zoneinf: shared key 'Central Asia Standard Time' follows Asia/Bishkek; another of its zones differs: "
         "Antarctica/Vostok in 2026-2037\n"},
        {"--all --approximate --from 2026", 0, ";   America/Mazatlan -> Mountain Standard Time (Mexico)\r\n", ""},
        {"--all --approximate --from 2026", 0, ";   America/Nuuk -> Greenland Standard Time\r\n", ""},
        {"--all" + mapping("lacking.xml", "A", "Mars/Olympus"), 3, "", "the mapping names Mars/Olympus for 'A', which"},
        {"--all" + mapping("run.xml", "A\\..\\..\\Run", "UTC"), 3, "", "is no Windows key name"},
        {"--all" + mapping("climbs.xml", "A", "../../../etc/localtime"), 3, "", "is no zone name"},
        {"UTC" + mapping("utc.xml", "A", "Etc/UTC"), 0, ";   Etc/UTC -> A\r\n", ""},
        {"--check " + std::string(ZONEINF_WINE_EXPORT) + " --json", 1, "\"cldr\": \"48\",", ""},
        {"--check " + std::string(ZONEINF_WINE_EXPORT) + " --json", 1, "\"windowsKey\": \"Central Asia Standard Time\",\n"
         "      \"mainZone\": \"Asia/Bishkek\",", "zoneinf: shared key 'Central Asia Standard Time'"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("zoneinf " + c.arguments);
        const testing::Run run = RunZoneinf(c.arguments);
        EXPECT_EQ(run.status, c.status) << run.errors;
        EXPECT_NE(run.output.find(c.inOutput), std::string::npos) << run.output.substr(0, 800);
        EXPECT_NE(run.errors.find(c.inErrors), std::string::npos) << run.errors;
        if (c.status >= 2) {
            EXPECT_EQ(run.output, "") << "a failed run writes nothing";
        }
    }
}

TEST(CommandLine, OutputFileIsWrittenWholeOrNotAtAll)
{
    const auto folder = testing::ScratchFolder("output");
    const std::string inf = (folder / "zones.inf").string();

    EXPECT_EQ(RunZoneinf("America/Asuncion -o " + inf).status, 0);
    const std::string written = testing::ReadBytes(inf);
    EXPECT_EQ(written, RunZoneinf("America/Asuncion").output);
    struct stat status;
    ASSERT_EQ(stat(inf.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0666u & ~0022u) << "under the test's umask 022";

    // A failed run leaves the file that was there as it was, and nothing else.
    const testing::Run failed = RunZoneinf("Pacific/Apia -o " + inf);
    EXPECT_EQ(failed.status, 4);
    EXPECT_EQ(testing::ReadBytes(inf), written);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), std::filesystem::directory_iterator()), 1);

    const testing::Run unwritable = RunZoneinf("UTC -o " + (folder / "missing" / "zones.inf").string());
    EXPECT_EQ(unwritable.status, 5);
    EXPECT_NE(unwritable.errors.find("No such file or directory"), std::string::npos) << unwritable.errors;
}

// REGEDIT4 is ANSI: its text reaches --json as UTF-8, and a file name
// that is no UTF-8 does not stop the report.
TEST(CommandLine, JsonHoldsWindows1252TextAndAnyFileName)
{
    const auto folder = testing::ScratchFolder("json");
    const std::string name = (folder / "zonas-\xe1.reg").string();
    const std::string source = std::string(ZONEINF_SOURCE_DIR) + "/tests/regressions/exports/read-regedit4-windows-1252.reg";
    std::filesystem::copy_file(source, name);
    const testing::Run run = RunZoneinf("--check '" + name + "' --json --verbose");
    EXPECT_EQ(run.status, 0) << run.errors;
    EXPECT_NE(run.output.find("\"windowsKey\": \"Hora est\xc3\xa1ndar de Paraguay\""), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("zonas-\xef\xbf\xbd.reg"), std::string::npos) << run.output;
}

}  // namespace
}  // namespace zoneinf
