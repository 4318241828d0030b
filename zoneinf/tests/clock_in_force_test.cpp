// --check of the clock in force and of a scope: Wine's real export of Time
// Zones, joined with a TimeZoneInformation key as 'reg export' writes it,
// its values copied from the key's own record (or changed from it). On the
// tests' own database, whose facts stay put.
#include "check/checker.h"
#include "check/text_report.h"
#include "commands/command_files.h"
#include "test_support.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <fstream>

namespace zoneinf {
namespace {

const std::string& kWineExport = testing::WineExport();
const std::string kKey = "Romance Standard Time";  // agrees with the tests' database in Wine's export
constexpr int kYear = testing::kTestYear;

std::string Hex(const std::uint8_t* bytes, size_t size)
{
    static const char kDigits[] = "0123456789abcdef";
    std::string text;
    for (size_t i = 0; i < size; ++i) {
        text += std::string(i ? "," : "") + kDigits[bytes[i] >> 4] + kDigits[bytes[i] & 15];
    }
    return text;
}

std::string Dword(std::int32_t value)
{
    char text[16];
    std::snprintf(text, sizeof text, "dword:%08x", std::uint32_t(value));
    return text;
}

// The key's record for the year, as the export holds it.
TziRecord KeysRecord()
{
    for (const ExportedZone& zone : ReadDefinitions(kWineExport, "wine").zones) {
        if (zone.windowsKey == kKey) {
            return std::get<ZoneRecords>(RecordsOf(zone)).ForYear(kYear);
        }
    }
    throw std::runtime_error("no " + kKey);
}

struct InForce {
    std::string keyName = kKey;
    bool values = true;  // Bias... present, as Windows writes them
    int daylightMonth = -1;  // DaylightStart's month, when changed
    std::string dynamicDisabled = "dword:00000000";
    std::string standardStart;  // StandardStart's data, when not the record's
};

// The record in force with one field changed.
template <typename Field, typename Value>
InForce With(Field InForce::*field, Value value)
{
    InForce in;
    in.*field = value;
    return in;
}

std::string Section(const InForce& in)
{
    TziRecord record = KeysRecord();
    if (in.daylightMonth >= 0) {
        record.daylightDate.month = std::uint16_t(in.daylightMonth);
    }
    const auto bytes = record.Bytes();
    std::string text = "\r\n[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\TimeZoneInformation]\r\n"
                       "\"StandardName\"=\"" + kKey + "\"\r\n\"TimeZoneKeyName\"=\"" + in.keyName + "\"\r\n";
    if (in.values) {
        text += "\"Bias\"=" + Dword(record.bias) + "\r\n\"StandardBias\"=" + Dword(record.standardBias) +
                "\r\n\"DaylightBias\"=" + Dword(record.daylightBias) + "\r\n\"StandardStart\"=" +
                (in.standardStart.empty() ? "hex:" + Hex(bytes.data() + 12, 16) : in.standardStart) +
                "\r\n\"DaylightStart\"=hex:" + Hex(bytes.data() + 28, 16) +
                "\r\n\"DynamicDaylightTimeDisabled\"=" + in.dynamicDisabled + "\r\n";
    }
    return text;
}

CheckReport Check(const std::string& text, const CheckScope& scope)
{
    return CheckDefinitions(ReadDefinitions(testing::Utf16File(text), "test"), testing::TestDatabase(), testing::TestMapping(),
                            {kYear, 2037}, scope, kYear);
}

TEST(ClockInForce, StatesAndScopes)
{
    const std::string wine = testing::TextOf(kWineExport);
    const CheckScope current{true, {}};
    const struct {
        const char* name;
        std::string text;
        CheckScope scope;
        ClockState state;
        bool compliant;
        size_t zones;
    } cases[] = {
        {"the key's record in force", wine + Section(InForce()), current, ClockState::kInForce, true, 1},
        {"not re-selected: DaylightStart's month changed", wine + Section(With(&InForce::daylightMonth, 4)), current,
         ClockState::kNotReselected, false, 1},
        {"automatic daylight time off", wine + Section(With(&InForce::dynamicDisabled, "dword:00000001")), current,
         ClockState::kAutomaticDstOff, false, 1},
        {"a _dstoff key name", wine + Section(With(&InForce::keyName, kKey + "_dstoff")), current, ClockState::kAutomaticDstOff,
         false, 1},
        {"values absent, as in Wine's own registry", wine + Section(With(&InForce::values, false)), current,
         ClockState::kNotExported, false, 1},
        {"values absent, a full check as before", wine + Section(With(&InForce::values, false)), {}, ClockState::kNotExported,
         false /* Wine's Paraguay record is stale */, testing::kWineExportKeys},
        {"not re-selected fails a full check too", wine + Section(With(&InForce::daylightMonth, 4)), {},
         ClockState::kNotReselected, false, testing::kWineExportKeys},
        {"no TimeZoneInformation", wine, current, ClockState::kNone, false, 0},
        {"two keys named, the stale Paraguay ignored", wine + Section(InForce()),
         {false, {"romance standard time", "Central Asia Standard Time"}}, ClockState::kInForce, true, 2},
        {"the current zone and a key the file lacks", wine + Section(InForce()), {true, {"Nowhere Standard Time"}},
         ClockState::kInForce, false, 1},
        {"a StandardStart of 15 bytes", wine + Section(With(&InForce::standardStart, "hex:00,00,0a,00,00,00,05,00,03,00,00,00,00,00,00")),
         current, ClockState::kMalformed, false, 1},
        {"a StandardStart that is a string", wine + Section(With(&InForce::standardStart, "\"March\"")), current,
         ClockState::kMalformed, false, 1},
        {"DynamicDaylightTimeDisabled of the wrong type", wine + Section(With(&InForce::dynamicDisabled, "hex:01")), current,
         ClockState::kMalformed, false, 1},
    };
    for (const auto& c : cases) {
        const CheckReport report = Check(c.text, c.scope);
        EXPECT_EQ(report.clock.state, c.state) << c.name << "\n" << FormatReport(report, false);
        EXPECT_EQ(report.Compliant(), c.compliant) << c.name << "\n" << FormatReport(report, false);
        EXPECT_EQ(report.zones.size(), c.zones) << c.name;
    }
    const CheckReport stale = Check(wine + Section(With(&InForce::daylightMonth, 4)), current);
    EXPECT_EQ(stale.clock.differingValues, std::vector<std::string>{"DaylightStart"});
    EXPECT_EQ(Check(wine + Section(With(&InForce::keyName, kKey + "_dstoff")), current).currentKey, kKey);
    EXPECT_EQ(Check(wine + Section(InForce()), {true, {"Nowhere Standard Time"}}).absentKeys,
              std::vector<std::string>{"Nowhere Standard Time"});
    const std::string text = FormatReport(Check(wine, current), false);
    EXPECT_NE(text.find("current zone: the file names none"), std::string::npos) << text;
}

// What a discovery script and a program read: one word and status 0
// whenever the check was made; the state by name in JSON.
TEST(ClockInForce, ComplianceAndJson)
{
    const auto folder = testing::ScratchFolder("clock");
    const auto write = [&folder](const std::string& name, const std::string& text) {
        std::ofstream(folder / name, std::ios::binary) << testing::Utf16File(text);
        return (folder / name).string();
    };
    const std::string wine = testing::TextOf(kWineExport);
    const std::string inForce = write("in-force.reg", wine + Section(InForce()));
    const std::string stale = write("stale.reg", wine + Section(With(&InForce::daylightMonth, 4)));
    const struct {
        std::string arguments;
        int status;
        std::string output;
    } cases[] = {
        {"--check --zones=current --compliance " + inForce, 0, "Compliant\n"},
        {"--check --zones=current --compliance " + stale, 0, "NonCompliant\n"},
        {"--check --zones=current " + stale, 1, ""},
        {"--check --zones=current " + inForce, 0, ""},
        {"--check --compliance " + inForce, 0, "NonCompliant\n"},  // Wine's Paraguay record
        {"--check --zones=current --compliance " + (folder / "missing.reg").string(), 3, ""},
        {"--check --zones=current, " + inForce, 2, ""},
        {"--check --compliance --json " + inForce, 2, ""},
        {"--zones=current UTC", 2, ""},
    };
    for (const auto& c : cases) {
        const testing::Run run = testing::RunOnTestDatabase(c.arguments);
        EXPECT_EQ(run.status, c.status) << c.arguments << "\n" << run.output << run.errors;
        if (!c.output.empty() || c.status > 1) {
            EXPECT_EQ(run.output, c.output) << c.arguments;
        }
    }
    const testing::Run json = testing::RunOnTestDatabase("--check --zones=current --json " + stale);
    const auto document = nlohmann::json::parse(json.output);
    EXPECT_EQ(document["currentZone"]["state"], "notReselected");
    EXPECT_EQ(document["currentZone"]["differingValues"], nlohmann::json::array({"DaylightStart"}));
    EXPECT_EQ(document["compliant"], false);
}

}  // namespace
}  // namespace zoneinf
