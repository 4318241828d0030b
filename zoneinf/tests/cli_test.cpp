// zoneinf as users and scripts run it: exit statuses, messages, and output
// written whole or not at all.
#include "test_support.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <fstream>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

namespace zoneinf {
namespace {

using testing::RunZoneinf;

// Each case runs on the system's database, or with `own` on the tests' own
// database and mapping, whose zones' facts the case names.
TEST(CommandLine, ExitStatusesAndMessages)
{
    const std::string& wineExport = testing::kWineExportFile;
    const struct {
        std::string arguments;
        int status;
        std::string inOutput;
        std::string inErrors;
        bool own = false;
    } cases[] = {
        {"--help", 0, "Usage: zoneinf [OPTION]... ZONE...", ""},
        {"--version", 0, "zoneinf " ZONEINF_VERSION "\ntzdata " + testing::SystemDatabase().Version() + " (", ""},
        // The mapping is the program's own: it runs wherever it lies.
        {"--version", 0, "\nCLDR 48 (windowsZones.json, built in)\n", ""},
        {"--version", 0, "\ntzdata 2025test (" ZONEINF_TEST_DATABASE ")\nCLDR 48 (" ZONEINF_TEST_MAPPING ")\n", "", true},
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
        {"Asia/Kolkata --to 1980", 0, ";   Asia/Kolkata -> India Standard Time\r\n", "", true},
        {"UTC --json", 2, "", "zoneinf: --json and --verbose go with --check"},
        {"UTC --zoneinfo /nonexistent", 3, "", "zoneinf: /nonexistent: no time zone database here\n"},
        {"UTC --windows-zones /nonexistent", 3, "", "zoneinf: /nonexistent: cannot read the Windows zone mapping\n"},
        {"Pacific/Apia", 4, "", "zoneinf: Pacific/Apia (Samoa Standard Time): no Windows record describes 2011: ", true},
        {"Pacific/Apia --approximate --from 2011 --to 2012", 0, "; Approximated: Pacific/Apia (Samoa Standard Time) 2011: ",
         "zoneinf: approximated Pacific/Apia (Samoa Standard Time) 2011: ", true},
        {"--check /nonexistent", 3, "", "zoneinf: /nonexistent: cannot read"},
        {"--check " + std::string(ZONEINF_SOURCE_DIR) + "/../examples/zona.inf", 3, "",
         "zona.inf: no keys under HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Time Zones in this INF\n"},
        {"--check " + wineExport, 1, "Paraguay Standard Time  America/Asuncion  from ", "", true},
        {"--check " + wineExport + " --json", 1, "\"windowsKey\": \"Paraguay Standard Time\"", "", true},
        {"--check " + wineExport + " --all", 2, "", "zoneinf: --check takes no --all"},
        {"--check", 2, "", "zoneinf: --check needs a FILE"},
        // Reads are bounded: a device never fills the memory.
        {"--check /dev/zero", 3, "", "zoneinf: /dev/zero: over 16 MiB"},
        {"UTC --windows-zones /dev/zero", 3, "", "zoneinf: /dev/zero: over 16 MiB"},
        {"UTC --zoneinfo ''", 2, "", "zoneinf: option '--zoneinfo' requires an argument"},
        {"UTC --tzdata-source x.tar.gz --zoneinfo /usr/share/zoneinfo", 2, "",
         "zoneinf: --tzdata-source and --zoneinfo both name the database: give one\n"},
        // The option named as it was given, one line whatever the input holds.
        {"--all=x", 2, "", "zoneinf: option '--all' doesn't allow an argument\n"},
        {"--w x UTC", 2, "", "zoneinf: option '--w' is ambiguous; possibilities: '--windows-key' '--windows-zones'\n"},
        {"UTC -aq", 2, "", "zoneinf: unrecognized option '-q'\n"},
        {"-ao", 2, "", "zoneinf: option '-o' requires an argument\n"},
        {"--fr 2026 UTC --to=2026 -o/dev/stdout", 0, "; Years 2026 to 2026: ", ""},
        {"-- -a", 2, "", "zoneinf: unknown time zone '-a'"},
        {"--check " + wineExport + " --to 2020", 2, "", "zoneinf: --to 2020 is before 20"},
        {"\"$(printf 'No\\nSuch\\033[2K')\"", 2, "",
         "zoneinf: unknown time zone 'No\\nSuch\\x1b[2K' in " + testing::SystemZoneinfo() +
             "\nTry 'zoneinf --help' for more information.\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("zoneinf " + c.arguments + (c.own ? " (the tests' database)" : ""));
        const testing::Run run = c.own ? testing::RunOnTestDatabase(c.arguments) : RunZoneinf(c.arguments);
        EXPECT_EQ(run.status, c.status) << run.errors;
        EXPECT_NE(run.output.find(c.inOutput), std::string::npos) << run.output.substr(0, 500);
        testing::ExpectInErrors(run, c.inErrors);
        if (c.status >= 2) {
            EXPECT_EQ(run.output, "") << "a failed run writes nothing";
        }
    }
}

// A zone that shares its key writes it only where it keeps the main zone's
// local time; names are the database's current ones; a mapping is held to
// the INF's rules. The zones' facts are the tests' own database's (`own`).
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
        std::string inOutput;
        std::string inErrors;
        bool own = false;
    } cases[] = {
        {"Asia/Almaty", 2, "",
         "zoneinf: 'West Asia Standard Time' is Asia/Tashkent's key, shared by Asia/Almaty, and from "
         "1992-01-18T21:00:00Z Asia/Almaty is UTC+06:00 where Asia/Tashkent is UTC+05:00; they agree from 2025 "
         "(--from 2025), or --windows-key names a key knowingly\n", true},
        {"Asia/Almaty --from 2025", 0, ";   Asia/Almaty -> West Asia Standard Time\r\n", "", true},
        {"Asia/Almaty --windows-key 'West Asia Standard Time' --from 2000", 0, "Time Zones\\West Asia Standard Time\"", "",
         true},
        {"Europe/Madrid", 2, "", "they agree from 1978 (--from 1978)", true},
        {"Antarctica/Vostok --from 2026", 2, "",
         "Asia/Bishkek is UTC+06:00, every year to 2037; keys whose zone agrees with Antarctica/Vostok: "
         "'West Asia Standard Time' from 2026-01-01T00:00:00Z;", true},
        // 2026: zones that leave their keys for good, told the lasting
        // difference and where their machines may go.
        {"America/Vancouver", 2, "",
         "and from 2026-11-01T09:00:00Z America/Vancouver is UTC-07:00 where America/Los_Angeles is UTC-08:00, "
         "every year to 2037 (and earlier, from 1970-04-26T10:00:00Z); keys whose zone agrees with "
         "America/Vancouver: 'Yukon Standard Time' from 2026-03-08T10:00:00Z, 'Mountain Standard Time (Mexico)' "
         "from 2026-03-08T10:00:00Z; --windows-key KEY names one knowingly\n", true},
        {"America/Edmonton", 2, "", "Edmonton: 'Canada Central Standard Time' from 2026-03-08T09:00:00Z; --", true},
        {"America/Winnipeg", 2, "", "Winnipeg: 'SA Pacific Standard Time' from 2026-03-08T08:00:00Z; --", true},
        {"America/Vancouver --windows-key 'Yukon Standard Time'", 0, ";   America/Vancouver -> Yukon Standard Time\r\n",
         "", true},
        {"America/Havana", 0, ";   America/Havana -> Cuba Standard Time\r\n", "", true},
        {"Europe/Kiev --from 2026", 0, ";   Europe/Kyiv -> FLE Standard Time\r\n", "", true},
        {"UTC --from 2026", 0, "from tzdata " + testing::SystemDatabase().Version() + " ", ""},
        {"UTC --from 2026", 0, " and CLDR 48's Windows zone mapping.\r\n", ""},
        {"--all --approximate --from 2026", 0, ";   Asia/Bishkek -> Central Asia Standard Time\r\n",
         "zoneinf: shared key 'Central Asia Standard Time' follows Asia/Bishkek; another of its zones differs: "
         "Antarctica/Vostok in 2026-2037 (keys that agree: 'West Asia Standard Time' from 2026-01-01T00:00:00Z)\n",
         true},
        {"--all --approximate --from 2026", 0, ";   America/Mazatlan -> Mountain Standard Time (Mexico)\r\n", "", true},
        {"--all --approximate --from 2026", 0, ";   America/Nuuk -> Greenland Standard Time\r\n", "", true},
        {"--all" + mapping("lacking.xml", "A", "Mars/Olympus"), 3, "", "the mapping names Mars/Olympus for 'A', which"},
        {"--all" + mapping("run.xml", "A\\..\\..\\Run", "UTC"), 3, "", "is no Windows key name"},
        {"--all" + mapping("climbs.xml", "A", "../../../etc/localtime"), 3, "", "is no zone name"},
        {"UTC" + mapping("utc.xml", "A", "Etc/UTC"), 0, ";   Etc/UTC -> A\r\n", ""},
        {"--check " + testing::kWineExportFile + " --json", 1, "\"cldr\": \"48\",", ""},
        {"--check " + testing::kWineExportFile + " --json", 1, "\"windowsKey\": \"Central Asia Standard Time\",\n"
         "      \"mainZone\": \"Asia/Bishkek\",", "zoneinf: shared key 'Central Asia Standard Time'", true},
        {"--check " + testing::kWineExportFile + " --json --from 2026", 1,
         "\"windowsKey\": \"Yukon Standard Time\",\n              \"mainZone\": \"America/Whitehorse\",\n"
         "              \"from\": \"2026-03-08T10:00:00Z\",",
         "America/Vancouver in 2026-2037 (keys that agree: 'Yukon Standard Time' from 2026-03-08T10:00:00Z, "
         "'Mountain Standard Time (Mexico)' from 2026-03-08T10:00:00Z)\n", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("zoneinf " + c.arguments + (c.own ? " (the tests' database)" : ""));
        const testing::Run run = c.own ? testing::RunOnTestDatabase(c.arguments) : RunZoneinf(c.arguments);
        EXPECT_EQ(run.status, c.status) << run.errors;
        EXPECT_NE(run.output.find(c.inOutput), std::string::npos) << run.output.substr(0, 800);
        testing::ExpectInErrors(run, c.inErrors);
        if (c.status >= 2) {
            EXPECT_EQ(run.output, "") << "a failed run writes nothing";
        }
    }
}

TEST(CommandLine, OutputFileIsWrittenWholeOrNotAtAll)
{
    const auto folder = testing::ScratchFolder("output");
    const std::string inf = (folder / "zones.inf").string();

    EXPECT_EQ(testing::RunOnTestDatabase("America/Asuncion -o " + inf).status, 0);
    const std::string written = testing::ReadBytes(inf);
    EXPECT_EQ(written, testing::RunOnTestDatabase("America/Asuncion").output);
    struct stat status;
    ASSERT_EQ(stat(inf.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0666u & ~0022u) << "under the test's umask 022";

    // A failed run leaves the file that was there as it was, and nothing else.
    const testing::Run failed = testing::RunOnTestDatabase("Pacific/Apia -o " + inf);
    EXPECT_EQ(failed.status, 4);
    EXPECT_EQ(testing::ReadBytes(inf), written);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), std::filesystem::directory_iterator()), 1);

    const testing::Run unwritable = RunZoneinf("UTC -o " + (folder / "missing" / "zones.inf").string());
    EXPECT_EQ(unwritable.status, 5);
    EXPECT_NE(unwritable.errors.find("No such file or directory"), std::string::npos) << unwritable.errors;
}

// -o onto what is there: devices, FIFOs and sockets are written to, never
// renamed over; links are followed; a file keeps its mode; a long name
// works; a run stopped by a size limit leaves no temporary file (and one
// stopped by a signal, HostileInput.SignalsDuringTheWrite).
TEST(CommandLine, OutputNeverDamagesItsTarget)
{
    const auto folder = testing::ScratchFolder("targets");
    const std::string inf = testing::Body(RunZoneinf("UTC").output);
    const auto at = [&](const std::string& name) { return (folder / name).string(); };
    const bool root = ::geteuid() == 0;
    if (root) {
        ASSERT_EQ(::mknod(at("null").c_str(), S_IFCHR | 0666, makedev(1, 3)), 0);
        ASSERT_EQ(::mknod(at("full").c_str(), S_IFCHR | 0666, makedev(1, 7)), 0);
    }
    ASSERT_EQ(::mkfifo(at("fifo").c_str(), 0600), 0);
    std::ofstream(at("kept")) << "old";
    ::chmod(at("kept").c_str(), 0640);
    std::filesystem::create_symlink("kept", at("link"));
    std::filesystem::create_symlink("new-target", at("dangling"));
    const std::string longName(250, 'n');

    const struct {
        std::string target;
        std::string before;  // shell run first, e.g. a reader for a FIFO
        int status;
        std::filesystem::file_type type;  // of the name afterwards
        std::string contentsOf;           // the file that holds the INF ("" none)
        unsigned mode;
    } cases[] = {
        {"null", "", 0, std::filesystem::file_type::character, "", 0},
        {"full", "", 5, std::filesystem::file_type::character, "", 0},
        {"fifo", "(cat " + at("fifo") + " >" + at("fifo.read") + " &) ;", 0, std::filesystem::file_type::fifo,
         "fifo.read", 0},
        {"link", "", 0, std::filesystem::file_type::symlink, "kept", 0640},
        {"dangling", "", 0, std::filesystem::file_type::symlink, "new-target", 0644},
        {longName, "", 0, std::filesystem::file_type::regular, longName, 0644},
        // A file-size limit: write() fails (EFBIG), the temporary file goes.
        {"limited", "ulimit -f 1;", 5, std::filesystem::file_type::not_found, "", 0},
    };
    for (const auto& c : cases) {
        if (!root && (c.target == "null" || c.target == "full")) {
            continue;  // device nodes need root
        }
        SCOPED_TRACE("-o " + c.target.substr(0, 20));
        const std::string command = "umask 022; " + c.before + " " + testing::ZoneinfCommand() + " UTC -o " + at(c.target) +
                                    " 2>/dev/null";
        const int status = std::system(("sh -c '" + command + "'").c_str());
        EXPECT_EQ(WEXITSTATUS(status), c.status);
        EXPECT_EQ(std::filesystem::symlink_status(at(c.target)).type(), c.type);
        if (!c.contentsOf.empty()) {
            EXPECT_TRUE(testing::Body(testing::ReadBytes(at(c.contentsOf))) == inf) << "the INF, whole, in " << c.contentsOf;
        }
        if (c.mode != 0) {
            struct stat status;
            ASSERT_EQ(::stat(at(c.contentsOf).c_str(), &status), 0);
            EXPECT_EQ(status.st_mode & 0777, c.mode);
        }
    }
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        EXPECT_NE(entry.path().filename().string().rfind(".zoneinf-", 0), 0u) << "a temporary file left";
    }
    if (!root) {
        GTEST_SKIP() << "-o onto the devices null and full not tried: making device nodes needs root";
    }
}

// --check as a mode: files anywhere among the options, several at once
// with a fleet summary, the worst status, the machine's own zone; on the
// tests' own database, where Wine's Paraguay record is stale.
TEST(CommandLine, CheckOfSeveralFiles)
{
    const auto folder = testing::ScratchFolder("fleet");
    const std::string& wine = testing::kWineExportFile;
    // Wine's export as UTF-8 text (it is ASCII), with the machine's own
    // zone as "reg export" of TimeZoneInformation appends it.
    const std::string text = testing::TextOf(testing::WineExport());
    const std::string machine = (folder / "machine.reg").string();
    std::ofstream(machine, std::ios::binary)
        << text << "\r\n[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\TimeZoneInformation]\r\n"
        << "\"TimeZoneKeyName\"=\"Paraguay Standard Time\"\r\n";
    const std::string clean = (folder / "clean.inf").string();
    ASSERT_EQ(testing::RunOnTestDatabase("Europe/Paris -o " + clean).status, 0);

    const struct {
        std::string arguments;
        int status;
        std::vector<std::string> inOutput;
        std::string inErrors;
        std::string notInOutput;
    } cases[] = {
        {"--check " + machine, 1,
         {"\nParaguay Standard Time  America/Asuncion  from ", "current zone Paraguay Standard Time: stale\n"}, "", ""},
        {clean + " --check", 0, {"1 zone checked, 0 differ, "}, "", "current zone"},  // an INF names none
        {"--check " + wine + " " + clean, 1,
         {wine + ": Paraguay Standard Time  America/Asuncion  from ", clean + ": 1 zone checked, 0 differ",
          "\n2 files: 2 checked, 0 unreadable, 1 with zones that differ, 0 whose current zone is stale\n",
          "\nParaguay Standard Time  stale in 1 file\n"},
         "", ""},
        {"-c " + machine + " --check=" + wine + " " + folder.string() + "/missing", 3,
         {machine + ": current zone Paraguay Standard Time: stale\n",
          "3 files: 2 checked, 1 unreadable, 2 with zones that differ, 1 whose current zone is stale\n",
          "Paraguay Standard Time  stale in 2 files\n"},
         "zoneinf: " + folder.string() + "/missing: cannot read", ""},
        {"--check " + clean + " --json " + machine, 1,
         {"\"files\": [", "\"verdict\": \"stale\"", "\"staleKeys\": {\n", "\n      \"Paraguay Standard Time\": 1"}, "",
         ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("zoneinf " + c.arguments);
        const testing::Run run = testing::RunOnTestDatabase(c.arguments);
        EXPECT_EQ(run.status, c.status) << run.errors;
        for (const std::string& expected : c.inOutput) {
            EXPECT_NE(run.output.find(expected), std::string::npos) << expected << "\n" << run.output;
        }
        if (!c.notInOutput.empty()) {
            EXPECT_EQ(run.output.find(c.notInOutput), std::string::npos);
        }
        testing::ExpectInErrors(run, c.inErrors);
    }
}

// What a run checks against (the releases, the years, the shared keys) is
// one document's own with one file, and said once before the files with
// several, each file's document keeping its own facts.
TEST(CommandLine, JsonOfSeveralFilesSaysWhatTheyWereCheckedAgainstOnce)
{
    const auto folder = testing::ScratchFolder("fleet-json");
    const std::string inf = (folder / "paris.inf").string();
    ASSERT_EQ(RunZoneinf("Europe/Paris -o " + inf).status, 0);
    const char* const runWide[] = {"tzdata", "cldr", "fromYear", "toYear", "sharedKeys"};
    const char* const perFile[] = {"file", "format", "checked", "differ", "absent", "currentZone", "zones"};

    const testing::Run one = RunZoneinf("--check " + inf + " --json");
    ASSERT_EQ(one.status, 0) << one.errors;
    const auto single = nlohmann::json::parse(one.output);
    for (const char* field : runWide) {
        EXPECT_TRUE(single.contains(field)) << field;
    }
    for (const char* field : perFile) {
        EXPECT_TRUE(single.contains(field)) << field;
    }

    const testing::Run two = RunZoneinf("--check " + inf + " " + inf + " --json");
    ASSERT_EQ(two.status, 0) << two.errors;
    const auto several = nlohmann::json::parse(two.output);
    for (const char* field : runWide) {
        EXPECT_EQ(several[field], single[field]) << field;
    }
    ASSERT_EQ(several["files"].size(), 2u);
    for (const auto& file : several["files"]) {
        for (const char* field : runWide) {
            EXPECT_FALSE(file.contains(field)) << field;
        }
        for (const char* field : perFile) {
            EXPECT_EQ(file[field], single[field]) << field;
        }
    }
    EXPECT_EQ(several["summary"]["files"], 2);
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
