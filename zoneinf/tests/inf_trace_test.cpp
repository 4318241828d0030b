// What an INF leaves besides the records: each key's trace, which --check
// --since requires and --undo takes back key by key; the label --label
// writes; the head's example, which keeps each machine's own zone. On the
// tests' own database, whose offsets stay put.
#include "base/tzdata_release.h"
#include "commands/command_files.h"
#include "registry/definitions_trace.h"
#include "registry/exported_definitions.h"
#include "registry/registry_vocabulary.h"
#include "base/text_decoder.h"
#include "inf/undo_writer.h"
#include "test_support.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <regex>

namespace zoneinf {
namespace {

const std::string kTimeZones = std::string("HKLM,\"") + kTimeZonesKey + "\\";

// A "reg export" file (UTF-16 LE) of Time Zones keys and their values.
std::string RegExport(const std::vector<std::pair<std::string, std::string>>& keys)
{
    std::string text = "Windows Registry Editor Version 5.00\r\n\r\n";
    for (const auto& [key, values] : keys) {
        text += "[HKEY_LOCAL_MACHINE\\" + std::string(kTimeZonesKey) + "\\" + key + "]\r\n" + values + "\r\n";
    }
    return testing::Utf16File(text);
}

TEST(Trace, EachKeyHasItsOwnAndTheHeadKeepsEachMachinesZone)
{
    const auto folder = testing::ScratchFolder("trace");
    const std::string inf = (folder / "zones.inf").string();
    const std::vector<std::pair<std::string, std::string>> zones = {
        {"America/Asuncion", "Paraguay Standard Time"}, {"Europe/Dublin", "GMT Standard Time"}, {"Etc/UTC", "UTC"}};
    ASSERT_EQ(testing::RunOnTestDatabase("America/Asuncion Europe/Dublin Etc/UTC --from 2000 -o " + inf).status, 0);
    const std::string text = testing::TextOf(testing::ReadBytes(inf));
    const std::optional<DefinitionsTraces> traces = DefinitionsTraceOf(ReadSnapshot(text, "zones.inf"));
    ASSERT_TRUE(traces);
    EXPECT_FALSE(traces->global);
    ASSERT_EQ(traces->keys.size(), zones.size());
    for (const auto& [zone, key] : zones) {
        SCOPED_TRACE(key);
        const DefinitionsTrace* trace = traces->For(key, "");
        ASSERT_TRUE(trace);
        EXPECT_EQ(trace->tzdata, testing::TestDatabase().Version());
        EXPECT_EQ(trace->cldr, testing::TestMapping().Release());
        EXPECT_EQ(trace->program, ZONEINF_VERSION);
        EXPECT_EQ(trace->zones, zone);
        EXPECT_EQ(trace->firstYear, 2000u);
        EXPECT_EQ(trace->lastYear, 2037u);
    }
    EXPECT_NE(text.find("for /f \"delims=\" %z in ('.\\settz.exe /g') do .\\zonechange.exe /i zones.inf /z \"%z\""),
              std::string::npos) << text;
    EXPECT_FALSE(std::regex_search(text, std::regex("/z \"[^%]"))) << text;

    const testing::Run check = testing::RunOnTestDatabase("--check " + inf);
    EXPECT_NE(check.output.find("Definitions applied: tzdata " + traces->keys[0].tzdata + ", CLDR " + traces->keys[0].cldr +
                                ", zoneinf " ZONEINF_VERSION "; zones America/Asuncion Europe/Dublin Etc/UTC\n"),
              std::string::npos) << check.output;
}

TEST(Label, OffsetOfThisYearAndWindowsOwnPlaceNames)
{
    const auto folder = testing::ScratchFolder("label");
    const std::string machine = (folder / "machine.reg").string();
    testing::WriteBytes(machine, RegExport({{"Paraguay Standard Time", "\"Display\"=\"(UTC-04:00) Asunción\"\r\n"
                                                             "\"MUI_Display\"=\"@tzres.dll,-1871\"\r\n"},
                                  {"UTC", "\"Display\"=\"(UTC) Coordinated Universal Time\"\r\n"},
                                  {"Nepal Standard Time", "\"Display\"=dword:00000001\r\n"}}));
    const struct {
        std::string arguments;
        int status;
        const char* display;  // the Display line's data, or what the errors say
    } cases[] = {
        {"America/Asuncion --label", 0, "\"(UTC-03:00) Asuncion\""},
        {"Asia/Kathmandu --label", 0, "\"(UTC+05:45) Kathmandu\""},
        {"Europe/London --label", 0, "\"(UTC+00:00) London\""},
        {"Etc/UTC --label", 0, "\"(UTC) UTC\""},
        {"Etc/UTC --windows-key 'Zero Standard Time' --label", 0, "\"(UTC+00:00) Zero Standard Time\""},
        {"America/Asuncion --label=" + machine, 0, "\"(UTC-03:00) Asunción\""},
        {"Etc/UTC --label=" + machine, 0, "\"(UTC) Coordinated Universal Time\""},
        {"Europe/London --label=" + machine, 0, "\"(UTC+00:00) London\""},
        {"Asia/Kathmandu --label=" + machine, 3, "the Display of 'Nepal Standard Time' is no label to copy"},
        {"America/Asuncion --label=", 2, "option '--label=' requires an argument"},
        {"--check " + machine + " --label", 2, "--label goes with an INF"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments);
        const testing::Run run = testing::RunOnTestDatabase(c.arguments);
        ASSERT_EQ(run.status, c.status) << run.errors;
        if (c.status != 0) {
            EXPECT_NE(run.errors.find(c.display), std::string::npos) << run.errors;
            EXPECT_EQ(run.output, "");
            continue;
        }
        const std::string text = testing::TextOf(run.output);
        const std::regex display(std::regex_replace(kTimeZones, std::regex(R"([\\])"), R"(\\)") +
                                 R"re(([^"]+)","Display",0x00000000,(.*)\r\n)re");
        std::smatch found;
        ASSERT_TRUE(std::regex_search(text, found, display)) << text;
        EXPECT_EQ(found[2], c.display);
        EXPECT_NE(text.find(kTimeZones + found[1].str() + "\",\"MUI_Display\"\r\n"), std::string::npos);
        EXPECT_EQ(run.output.rfind("\xFF\xFE", 0) == 0, std::string(c.display).find("ó") != std::string::npos);
    }
    // Without --label, a label there stays and so does MUI_Display.
    const std::string plain = testing::RunOnTestDatabase("America/Asuncion").output;
    EXPECT_NE(plain.find("\"Display\",0x00000002,"), std::string::npos);
    EXPECT_EQ(plain.find("MUI_Display"), std::string::npos);
    EXPECT_NE(testing::RunOnTestDatabase("Etc/UTC").output.find("\",\"Display\",0x00000002,\"(UTC) UTC\"\r\n"),
              std::string::npos);
    EXPECT_NE(testing::RunOnTestDatabase("Europe/London --label=" + machine).errors.find("holds no Display of 'GMT Standard Time'"),
              std::string::npos);
}

// Two deployments' traces on one machine: undoing one key puts back its
// own trace and the label, and leaves the other's alone.
TEST(Undo, TakesBackOnlyItsKeysTraces)
{
    const std::string definitions = kDefinitionsKey;
    const auto value = [](const std::string& name, const std::string& text) {
        return RegistryValue{name, kRegSz, Utf16LeFromUtf8(text), ""};
    };
    const std::string paraguay = TimeZoneKeyPath("Paraguay Standard Time");
    const RegistrySnapshot before{
        "test",
        {{paraguay, {value("Display", "(UTC-04:00) Asunción"), value("MUI_Display", "@tzres.dll,-1871")}},
         {TimeZoneKeyPath("GMT Standard Time"), {value("Std", "GMT Standard Time")}},
         {definitions, {}},
         {TraceKeyPath("Paraguay Standard Time"), {value("TzdataRelease", "2025b")}},
         {TraceKeyPath("GMT Standard Time"), {value("TzdataRelease", "2026f")}}}};
    const std::string undo = testing::TextOf(WriteUndoInf(before, {"Paraguay Standard Time"}, "1.0.0"));
    const std::string delReg = undo.substr(0, undo.find("[Undo.AddReg]"));
    const std::string addReg = undo.substr(delReg.size());
    const std::string ownTrace = "HKLM,\"" + TraceKeyPath("Paraguay Standard Time") + "\"";
    EXPECT_NE(delReg.find(ownTrace + "\r\n"), std::string::npos) << undo;
    EXPECT_NE(addReg.find(ownTrace + ",\"TzdataRelease\",0x00000000,\"2025b\"\r\n"), std::string::npos) << undo;
    EXPECT_NE(addReg.find("\"MUI_Display\",0x00000000,\"@tzres.dll,-1871\"\r\n"), std::string::npos);
    EXPECT_NE(addReg.find("\"Display\",0x00000000,\"(UTC-04:00) Asunción\"\r\n"), std::string::npos);
    EXPECT_EQ(undo.find("GMT Standard Time"), std::string::npos) << undo;
    EXPECT_EQ(delReg.find("HKLM,\"" + definitions + "\"\r\n"), std::string::npos);
}

TEST(Since, ReleasesCompareByYearThenLettersLength)
{
    const std::vector<std::string> ordered = {"2025b", "2025z", "2026a", "2026f", "2026g", "2026aa", "2026ab", "2027a"};
    for (size_t i = 0; i < ordered.size(); ++i) {
        EXPECT_TRUE(IsTzdataRelease(ordered[i]));
        for (size_t j = 0; j < ordered.size(); ++j) {
            EXPECT_EQ(OlderRelease(ordered[i], ordered[j]), i < j) << ordered[i] << " " << ordered[j];
        }
    }
    for (const char* bad : {"2026", "26f", "2026F", "2026f1", "", "x2026f", "2026abcdefghi"}) {
        EXPECT_FALSE(IsTzdataRelease(bad)) << bad;
    }
}

// --since over an INF whose records agree, with the trace edited: the
// release of its key's trace, the old global form, none.
TEST(Since, KeyPassesOnlyWithATraceOfThatReleaseOrLater)
{
    const auto folder = testing::ScratchFolder("since");
    const testing::Run written = testing::RunOnTestDatabase("America/Asuncion --from 2020");
    ASSERT_EQ(written.status, 0);
    const std::string release = testing::TestDatabase().Version();
    const std::string ownTrace = "HKLM,\"" + TraceKeyPath("Paraguay Standard Time") + "\"";
    std::string withoutTrace;
    for (size_t start = 0, end; start < written.output.size(); start = end) {
        end = written.output.find('\n', start) + 1;
        const std::string line = written.output.substr(start, end - start);
        withoutTrace += line.rfind(ownTrace, 0) == 0 ? "" : line;
    }
    ASSERT_LT(withoutTrace.size(), written.output.size());
    const auto withRelease = [&](const std::string& tzdata) {
        return std::regex_replace(written.output, std::regex("\"" + release + "\""), "\"" + tzdata + "\"");
    };
    const auto global = [&](const std::string& zones) {
        return withoutTrace + "HKLM,\"" + kDefinitionsKey + "\",\"TzdataRelease\",0x00000000,\"2026f\"\r\nHKLM,\"" +
               kDefinitionsKey + "\",\"Zones\",0x00000000,\"" + zones + "\"\r\n";
    };
    // The release as a REG_DWORD: a value no release can be read from.
    const std::string unreadable = std::regex_replace(
        written.output, std::regex("\"TzdataRelease\",0x00000000,\"" + release + "\""), "\"TzdataRelease\",0x00010001,2026");
    ASSERT_NE(unreadable, written.output);
    const struct {
        const char* name;
        std::string inf;
        std::string since;
        int status;
        const char* verdict;  // in the report, and in JSON
        const char* says;     // the report's line for the key, after its zone
    } cases[] = {
        {"2026f", withRelease("2026f"), "2026f", 0, nullptr, nullptr},
        {"2026aa", withRelease("2026aa"), "2026g", 0, nullptr, nullptr},
        {"2025b", withRelease("2025b"), "2026f", 1, "traceOlder", "older definitions: its trace records tzdata 2025b"},
        {"not a release", withRelease("test1"), "2026f", 1, "traceOlder", "older definitions: its trace records tzdata test1"},
        {"no readable release", unreadable, "2026f", 1, "traceOlder",
         "older definitions: its trace holds no readable TzdataRelease"},
        {"none", withoutTrace, "2026f", 1, "traceMissing", "no trace: definitions of unknown release"},
        {"none, no --since", withoutTrace, "", 0, nullptr, nullptr},
        {"global", global("Europe/Dublin America/Asuncion"), "2026f", 0, nullptr, nullptr},
        {"global, older", global("Europe/Dublin America/Asuncion"), "2027a", 1, "traceOlder",
         "older definitions: its trace records tzdata 2026f"},
        {"global of other zones", global("Europe/Dublin"), "2026f", 1, "traceMissing",
         "no trace: definitions of unknown release"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string inf = (folder / "zones.inf").string();
        testing::WriteBytes(inf, c.inf);
        const std::string since = c.since.empty() ? "" : " --since=" + c.since;
        const testing::Run text = testing::RunOnTestDatabase("--check " + inf + since);
        const testing::Run json = testing::RunOnTestDatabase("--check " + inf + since + " --json");
        EXPECT_EQ(text.status, c.status) << text.output << text.errors;
        EXPECT_EQ(json.status, c.status);
        const std::string status = nlohmann::json::parse(json.output)["zones"][0]["status"];
        EXPECT_EQ(status, c.verdict ? c.verdict : "agrees");
        const std::string line = "Paraguay Standard Time  America/Asuncion  " + std::string(c.says ? c.says : "");
        EXPECT_EQ(text.output.find(line + (c.says ? "\n" : "")) != std::string::npos, c.says != nullptr) << text.output;
    }
    for (const char* bad : {"--check x.reg --since=2026", "--check x.reg --since=26f", "UTC --since=2026f"}) {
        EXPECT_EQ(testing::RunOnTestDatabase(bad).status, 2) << bad;
    }
}

}  // namespace
}  // namespace zoneinf
