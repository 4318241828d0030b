// The trace every INF leaves, and --undo: the INF that puts back what a
// registry export held, read back as SetupAPI reads it.
#include "base/errors.h"
#include "commands/command_files.h"
#include "registry/definitions_trace.h"
#include "registry/exported_definitions.h"
#include "registry/registry_vocabulary.h"
#include "base/text_decoder.h"
#include "inf/undo_writer.h"
#include "mapping/windows_zone_map.h"
#include "test_support.h"

#include <gtest/gtest.h>

namespace zoneinf {
namespace {

const std::string& kWineExport = testing::kWineExportFile;
const std::string kParaguay = std::string(kTimeZonesKey) + "\\Paraguay Standard Time";

std::string Text(const std::string& utf16File)
{
    EXPECT_EQ(utf16File.substr(0, 2), "\xFF\xFE");
    return testing::TextOf(utf16File);
}

RegistryValue Value(const std::string& name, std::uint32_t type, std::vector<std::uint8_t> data)
{
    return {name, type, std::move(data), ""};
}

TEST(Undo, WritesEveryTypeExactlyOrRefuses)
{
    const std::vector<std::uint8_t> quad = {1, 2, 3, 4, 5, 6, 7, 8};
    const struct {
        RegistryValue value;
        const char* line;  // the AddReg line after the key, or nullptr for a refusal
    } cases[] = {
        {Value("Note", kRegSz, Utf16LeFromUtf8("50% \"q\" Asunción")), "\"Note\",0x00000000,\"50%% \"\"q\"\" Asunción\""},
        {Value("", kRegSz, Utf16LeFromUtf8("")), "\"\",0x00000000,\"\""},
        {Value("Path", kRegExpandSz, Utf16LeFromUtf8("%SystemRoot%")), "\"Path\",0x00020000,\"%%SystemRoot%%\""},
        {Value("FirstEntry", kRegDword, {0xd6, 0x07, 0, 0}), "\"FirstEntry\",0x00010001,2006"},
        {Value("TZI", kRegBinary, {0x2c, 0x01}), "\"TZI\",0x00000001,2c,01"},
        {Value("List", kRegMultiSz, {'a', 0, 0, 0, 0, 0}), "\"List\",0x00070001,61,00,00,00,00,00"},
        {Value("Quad", kRegQword, quad), "\"Quad\",0x000B0001,01,02,03,04,05,06,07,08"},
        {Value("Nothing", kRegNone, {}), "\"Nothing\",0x00020001\r\n"},
        {Value("Line", kRegSz, Utf16LeFromUtf8("a\r\nb")), nullptr},
        {Value("Tab\tname", kRegSz, Utf16LeFromUtf8("x")), nullptr},
        {Value("Odd", kRegSz, {'a', 0, 0}), nullptr},
        {Value("Unterminated", kRegSz, {'a', 0}), nullptr},
        {Value("Short", kRegDword, {1, 2, 3}), nullptr},
        {Value("Huge type", 0x10000, {1}), nullptr},
        {Value("Long", kRegBinary, std::vector<std::uint8_t>(2000, 7)), nullptr},
        {{"Unread", kRegBinary, {}, "a hex list with an item that is no byte"}, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value.name);
        const RegistrySnapshot snapshot{"test", {{kParaguay, {c.value}}}};
        if (!c.line) {
            try {
                WriteUndoInf(snapshot, {"Paraguay Standard Time"}, "1.0.0");
                ADD_FAILURE() << "no refusal";
            } catch (const Failure& failure) {
                EXPECT_EQ(failure.status(), kExitUnreadableInput);
                EXPECT_NE(std::string(failure.what()).find("no INF line can put it back exactly"), std::string::npos);
            }
            continue;
        }
        const std::string inf = Text(WriteUndoInf(snapshot, {"Paraguay Standard Time"}, "1.0.0"));
        EXPECT_NE(inf.find("HKLM,\"" + kParaguay + "\"," + c.line), std::string::npos) << inf;
    }
}

// The undo INF read back as SetupAPI would apply it gives the export's
// values; DelReg removes what zoneinf's INF adds and the export lacks.
TEST(Undo, ReadBackGivesTheExportsValues)
{
    const RegistrySnapshot before = ReadSnapshot(testing::WineExport(), "export");
    const std::string undo = WriteUndoInf(before, {"Paraguay Standard Time", "GMT Standard Time"}, "1.0.0");
    const RegistrySnapshot after = ReadSnapshot(undo, "undo.inf");
    size_t compared = 0;
    for (const RegistryKey& key : before.keys) {
        const bool undone = StartsWithNoCase(key.path, kParaguay) ||
                            StartsWithNoCase(key.path, std::string(kTimeZonesKey) + "\\GMT Standard Time");
        const auto found = std::find_if(after.keys.begin(), after.keys.end(),
                                        [&](const RegistryKey& other) { return other.path == key.path; });
        ASSERT_EQ(found != after.keys.end(), undone) << key.path;
        if (undone) {
            ASSERT_EQ(found->values.size(), key.values.size()) << key.path;
            for (size_t i = 0; i < key.values.size(); ++i, ++compared) {
                EXPECT_EQ(found->values[i].name, key.values[i].name);
                EXPECT_EQ(found->values[i].type, key.values[i].type);
                EXPECT_EQ(found->values[i].data, key.values[i].data) << key.values[i].name;
            }
        }
    }
    EXPECT_GT(compared, 10u);
    const std::string text = Text(undo);
    const size_t delReg = text.find("[Undo.DelReg]\r\nHKLM,\"" + kParaguay + "\\Dynamic DST\"\r\n");
    EXPECT_NE(delReg, std::string::npos);
    EXPECT_LT(delReg, text.find("[Undo.AddReg]"));
    EXPECT_NE(text.find("HKLM,\"SOFTWARE\\zonechange\\Definitions\\GMT Standard Time\"\r\n"), std::string::npos);

    RegistrySnapshot withoutDlt = before;
    for (RegistryKey& key : withoutDlt.keys) {
        std::erase_if(key.values, [](const RegistryValue& value) { return value.name == "Dlt"; });
    }
    EXPECT_NE(Text(WriteUndoInf(withoutDlt, {"Paraguay Standard Time"}, "1.0.0"))
                  .find("HKLM,\"" + kParaguay + "\",\"Dlt\"\r\n"),
              std::string::npos);
}

// On 64-bit Windows "reg export /reg:32" may name the trace key under
// WOW6432Node, where zonechange.exe (32-bit) wrote it.
TEST(Undo, TraceUnderWow6432NodeIsReadAndPutBackWhereZonechangeWritesIt)
{
    const RegistrySnapshot before{"test",
                                  {{kParaguay, {Value("Std", kRegSz, Utf16LeFromUtf8("Paraguay Standard Time"))}},
                                   {kDefinitionsKey32, {Value("TzdataRelease", kRegSz, Utf16LeFromUtf8("2025a"))}}}};
    ASSERT_TRUE(DefinitionsTraceOf(before) && DefinitionsTraceOf(before)->global);
    EXPECT_EQ(DefinitionsTraceOf(before)->global->tzdata, "2025a");
    const std::string inf = Text(WriteUndoInf(before, {"Paraguay Standard Time"}, "1.0.0"));
    EXPECT_NE(inf.find("HKLM,\"SOFTWARE\\zonechange\\Definitions\",\"TzdataRelease\",0x00000000,\"2025a\"\r\n"),
              std::string::npos) << inf;
    EXPECT_EQ(inf.find("WOW6432Node"), std::string::npos);
}

TEST(Undo, CommandLine)
{
    const std::string inf = std::string(ZONEINF_SOURCE_DIR) + "/../examples/zona.inf";
    const struct {
        std::string arguments;
        int status;
        const char* inErrors;
    } cases[] = {
        {"--undo " + kWineExport + " America/Asuncion 'GMT Standard Time'", 0, ""},
        {"--undo " + kWineExport + " --all", 0, ""},
        {"--undo /nonexistent --all", 3, "zoneinf: /nonexistent: cannot read"},
        {"--undo " + inf + " --all", 3, "an INF, not a registry export"},
        {"--undo " + kWineExport, 2, "zoneinf: no ZONE given (or --all)"},
        {"--undo " + kWineExport + " No/Such", 2, "' is neither a key "},
        {"--undo " + kWineExport + " Factory", 2, "zoneinf: CLDR maps no Windows key to 'Factory'"},
        {"--undo " + kWineExport + " --all --from 2020", 2, "--undo takes no --windows-key"},
        {"--check " + kWineExport + " --undo " + kWineExport, 2, "--check takes no --all"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("zoneinf " + c.arguments);
        const testing::Run run = testing::RunZoneinf(c.arguments);
        EXPECT_EQ(run.status, c.status) << run.errors;
        testing::ExpectInErrors(run, c.inErrors);
        EXPECT_EQ(run.output.substr(0, 2) == "\xFF\xFE", c.status == 0);
    }
}

}  // namespace
}  // namespace zoneinf
