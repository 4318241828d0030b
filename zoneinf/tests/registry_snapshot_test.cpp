// The snapshot the readers fill: every value of the kept keys, as Windows
// stores it, whichever format held it; and the vocabulary the readers and
// writers share.
#include "base/errors.h"
#include "registry/exported_definitions.h"
#include "inf/inf_reader.h"
#include "registry/registry_export_reader.h"
#include "registry/registry_vocabulary.h"

#include <gtest/gtest.h>

namespace zoneinf {
namespace {

const RegistryValue& ValueOf(const RegistrySnapshot& snapshot, const std::string& path, const std::string& name)
{
    for (const RegistryKey& key : snapshot.keys) {
        for (const RegistryValue& value : key.values) {
            if (key.path == path && value.name == name) {
                return value;
            }
        }
    }
    throw std::runtime_error("no value " + path + " " + name);
}

TEST(RegistrySnapshot, AnExportAndAnInfOfTheSameValuesFillTheSameSnapshot)
{
    const std::string zone = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Time Zones\\Hora de Asunci\xC3\xB3n";
    const std::string information = "SYSTEM\\CurrentControlSet\\Control\\TimeZoneInformation";
    const std::string definitions = "SOFTWARE\\zonechange\\Definitions";
    const std::string exported =
        "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_LOCAL_MACHINE\\" + zone + "]\r\n"
        "\"Display\"=\"(UTC-03:00) Asunci\xC3\xB3n \\\"PY\\\"\"\r\n\"TZI\"=hex:b4,00,00,00\r\n"
        "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Other]\r\n\"Ignored\"=dword:00000001\r\n"
        "[HKEY_LOCAL_MACHINE\\" + information + "]\r\n\"TimeZoneKeyName\"=\"Hora de Asunci\xC3\xB3n\"\r\n"
        "\"Bias\"=dword:000000b4\r\n"
        "[hkey_local_machine\\" + definitions + "]\r\n\"Sources\"=hex(7):61,00,00,00,00,00\r\n"
        "[HKEY_LOCAL_MACHINE\\" + zone + "]\r\n\"tzi\"=hex:b4,00,00,00,01\r\n";
    const std::string inf =
        "[Version]\r\nSignature=\"$Windows NT$\"\r\n[DefaultInstall]\r\nAddReg=A\r\n[A]\r\n"
        "HKLM,\"" + zone + "\",Display,0,\"(UTC-03:00) Asunci\xC3\xB3n \"\"PY\"\"\"\r\n"
        "HKLM,\"" + zone + "\",TZI,1,b4,00,00,00\r\n"
        "HKLM,\"SOFTWARE\\Other\",Ignored,0x10001,1\r\n"
        "HKLM,\"" + information + "\",TimeZoneKeyName,,\"Hora de Asunci\xC3\xB3n\"\r\n"
        "HKLM,\"" + information + "\",Bias,0x00010001,180\r\n"
        "HKLM,\"" + definitions + "\",Sources,0x10000,\"a\"\r\n"
        "HKLM,\"" + zone + "\",tzi,1,b4,00,00,00,01\r\n";
    const std::vector<std::uint8_t> display = Utf16LeFromUtf8("(UTC-03:00) Asunci\xC3\xB3n \"PY\"");
    for (const RegistrySnapshot& snapshot :
         {ReadRegistryExport(DecodeText(exported, "zones.reg", TextEncoding::kUtf8), "zones.reg"),
          ReadInf(DecodeText(inf, "zones.inf", TextEncoding::kUtf8), "zones.inf")}) {
        SCOPED_TRACE(snapshot.format);
        EXPECT_EQ(snapshot.source, snapshot.format == "INF" ? SnapshotSource::kInf : SnapshotSource::kRegistryExport);
        ASSERT_EQ(snapshot.keys.size(), 3u);  // the zone once, its two spellings of TZI one value
        EXPECT_EQ(ValueOf(snapshot, zone, "Display").type, kRegSz);
        EXPECT_EQ(ValueOf(snapshot, zone, "Display").data, display);
        EXPECT_EQ(ValueOf(snapshot, zone, "tzi").data, (std::vector<std::uint8_t>{0xb4, 0, 0, 0, 1}));
        EXPECT_EQ(ValueOf(snapshot, information, "Bias").data, (std::vector<std::uint8_t>{0xb4, 0, 0, 0}));
        EXPECT_EQ(ValueOf(snapshot, definitions, "Sources").type, kRegMultiSz);
        EXPECT_EQ(ValueOf(snapshot, definitions, "Sources").data, (std::vector<std::uint8_t>{'a', 0, 0, 0, 0, 0}));
        const ExportedDefinitions read = DefinitionsOf(snapshot, "zones");
        EXPECT_EQ(read.currentZoneKey, "Hora de Asunci\xC3\xB3n");
        EXPECT_EQ(read.wholeTimeZonesKey, snapshot.format != "INF") << "an INF holds only its zones";
        ASSERT_EQ(read.zones.size(), 1u);
        EXPECT_EQ(read.zones[0].tzi->size(), 5u);
    }
}

// What a writer puts down, a reader takes back as it was; what no writer
// puts down, no reader takes.
TEST(RegistryVocabulary, ReadersTakeBackWhatWritersWrite)
{
    for (const std::uint32_t number : {0u, 1u, 2026u, 0x12345678u, 0xFFFFFFFFu}) {
        EXPECT_EQ(DwordOf(DwordBytes(number)), number);
    }
    EXPECT_EQ(DwordBytes(2026), (std::vector<std::uint8_t>{0xea, 0x07, 0, 0}));
    for (const std::vector<std::uint8_t>& notFour : {std::vector<std::uint8_t>{}, {1, 2, 3}, {1, 2, 3, 4, 5}}) {
        EXPECT_FALSE(DwordOf(notFour));
    }
    const std::vector<std::uint8_t> bytes = {0x2c, 0x01, 0x00, 0xff, 0x0a};
    const std::string list = HexList(bytes);
    EXPECT_EQ(list, "2c,01,00,ff,0a");
    std::vector<std::uint8_t> read;
    for (size_t start = 0; start < list.size(); start += 3) {
        read.push_back(ParseHexByte(list.substr(start, 2)).value_or(0x55));
    }
    EXPECT_EQ(read, bytes);
    EXPECT_EQ(ParseHexByte("F"), 0x0f);
    EXPECT_EQ(ParseHexNumber("0000012c"), 0x12cu);
    EXPECT_EQ(ParseHexNumber("FFFFFFFF"), 0xFFFFFFFFu);
    for (const char* notNumber : {"", "100000000", "12 ", "-1", "x1"}) {
        EXPECT_FALSE(ParseHexNumber(notNumber)) << notNumber;
    }
    for (const char* notByte : {"", "100", "g1", "-1", "+1", " 1", "0x1"}) {
        EXPECT_FALSE(ParseHexByte(notByte)) << notByte;
    }
    EXPECT_EQ(AddRegLine("K\\Sub", "50% \"q\"", kAddRegTypeSz | kAddRegNoClobber, InfString("a")),
              "HKLM,\"K\\Sub\",\"50%% \"\"q\"\"\",0x00000002,\"a\"");
    EXPECT_EQ(AddRegLine("K", "Empty", kAddRegBinary, HexList({})), "HKLM,\"K\",\"Empty\",0x00000001");
    EXPECT_EQ(AddRegKeyLine("K"), "HKLM,\"K\",,0x00000010");
    EXPECT_EQ(DelRegLine("K", "TZI"), "HKLM,\"K\",\"TZI\"");
    const struct {
        std::string path;
        bool kept;
    } keys[] = {
        {TimeZoneKeyPath("Paraguay Standard Time"), true},
        {"software\\microsoft\\windows nt\\currentversion\\time zones", true},
        {std::string(kTimeZonesKey) + " Extra", false},
        {std::string(kDefinitionsKey32) + "\\Sub", true},
        {kTimeZoneInformationKey, true},
        {"SOFTWARE\\Other", false},
    };
    for (const auto& key : keys) {
        EXPECT_EQ(IsKeptKey(key.path), key.kept) << key.path;
    }
}

}  // namespace
}  // namespace zoneinf
