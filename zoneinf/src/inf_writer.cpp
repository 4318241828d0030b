#include "inf_writer.h"

#include "definitions_trace.h"

#include <cstdio>

namespace zoneinf {

namespace {

// AddReg flags (setupapi.h)
constexpr unsigned kFlagString = 0x00000000;            // FLG_ADDREG_TYPE_SZ
constexpr unsigned kFlagNoClobber = 0x00000002;         // FLG_ADDREG_NOCLOBBER
constexpr unsigned kFlagBinary = 0x00000001;            // FLG_ADDREG_BINVALUETYPE
constexpr unsigned kFlagDword = 0x00010001;             // FLG_ADDREG_TYPE_DWORD

class InfText {
public:
    void Line(const std::string& text = "") { text_ += text + "\r\n"; }
    void Comment(const std::string& text) { Line("; " + text); }
    std::string Take() { return std::move(text_); }

private:
    std::string text_;
};

std::string Quoted(const std::string& text)
{
    return InfString(text);
}

std::string Flags(unsigned flags)
{
    return InfFlags(flags);
}

std::string KeyPath(const WindowsZone& zone)
{
    return std::string(kTimeZonesKey) + "\\" + zone.windowsKey;
}

std::string Value(const std::string& key, const std::string& name, unsigned flags, const std::string& data)
{
    return "HKLM," + Quoted(key) + "," + Quoted(name) + "," + Flags(flags) + "," + data;
}

std::string Hex(const TziRecord& record)
{
    return InfHexList(record.Bytes());
}

}  // namespace

std::string InfString(const std::string& text)
{
    std::string quoted = "\"";
    for (char c : text) {
        quoted += c;
        if (c == '"' || c == '%') {
            quoted += c;
        }
    }
    return quoted + "\"";
}

std::string InfFlags(unsigned flags)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", flags);
    return text;
}

std::string InfHexList(std::span<const std::uint8_t> bytes)
{
    std::string text;
    for (std::uint8_t byte : bytes) {
        char pair[4];
        std::snprintf(pair, sizeof pair, "%02x", byte);
        if (!text.empty()) {
            text += ',';
        }
        text += pair;
    }
    return text;
}

bool IsPlainInfText(const std::string& text)
{
    if (text.empty() || text.size() > 128) {
        return false;
    }
    for (char c : text) {
        if (c < 0x20 || c > 0x7e || c == '\\' || c == '"' || c == '%') {
            return false;
        }
    }
    return true;
}

bool IsWindowsKeyName(const std::string& text)
{
    return IsPlainInfText(text) && text.size() <= kMaxKeyNameLength;
}

std::string WriteInf(const InfSource& source, const std::vector<WindowsZone>& zones)
{
    const YearRange years = source.years;
    InfText inf;
    inf.Comment("Windows time-zone definitions from the IANA time zone database.");
    inf.Comment("Written by zoneinf " + source.programVersion + " from tzdata " + source.databaseVersion +
                (source.mappingRelease.empty() ? ", the key named on its command line."
                                               : " and CLDR " + source.mappingRelease + "'s Windows zone mapping."));
    inf.Comment("Years " + std::to_string(years.first) + " to " + std::to_string(years.last) +
                ": one Dynamic DST record each; from " + std::to_string(years.last + 1) +
                " on, Windows uses TZI, the " + std::to_string(years.last) + " record.");
    inf.Comment("Zones:");
    for (const WindowsZone& zone : zones) {
        inf.Comment("  " + zone.zoneName + " -> " + zone.windowsKey);
    }
    for (const WindowsZone& zone : zones) {
        for (const YearOffsets& year : zone.approximated) {
            inf.Comment("Approximated: " + zone.zoneName + " (" + zone.windowsKey + ") " + DescribeChanges(year));
        }
        if (!zone.futureExact) {
            inf.Comment("Not exact after " + std::to_string(years.last) + ": " + zone.zoneName + " (" +
                        zone.windowsKey + "), whose rule no single record follows every year.");
        }
    }
    inf.Comment("Apply elevated (the records are under HKLM), e.g.");
    inf.Comment("  zonechange.exe /i " + source.fileName + " /z \"" +
                (zones.empty() ? "" : zones.front().windowsKey) + "\"");
    inf.Line();
    inf.Line("[Version]");
    inf.Line("Signature=\"$Windows NT$\"");
    inf.Line();
    inf.Line("[DefaultInstall]");
    inf.Line("DelReg=TimeZones.DelReg");
    inf.Line("AddReg=TimeZones.AddReg");
    inf.Line();
    inf.Line("[TimeZones.DelReg]");
    for (const WindowsZone& zone : zones) {
        inf.Line("HKLM," + Quoted(KeyPath(zone) + "\\Dynamic DST"));
    }
    inf.Line();
    inf.Line("[TimeZones.AddReg]");
    for (const WindowsZone& zone : zones) {
        const std::string key = KeyPath(zone);
        const std::string dynamicKey = key + "\\Dynamic DST";
        inf.Line(Value(key, "Display", kFlagString | kFlagNoClobber, Quoted(zone.display)));
        inf.Line(Value(key, "Std", kFlagString | kFlagNoClobber, Quoted(zone.standardName)));
        inf.Line(Value(key, "Dlt", kFlagString | kFlagNoClobber, Quoted(zone.daylightName)));
        inf.Line(Value(key, "TZI", kFlagBinary, Hex(zone.records.tzi)));
        const DynamicDst& dynamic = *zone.records.dynamic;
        inf.Line(Value(dynamicKey, "FirstEntry", kFlagDword, std::to_string(dynamic.firstYear)));
        inf.Line(Value(dynamicKey, "LastEntry", kFlagDword, std::to_string(dynamic.lastYear)));
        for (int year = dynamic.firstYear; year <= dynamic.lastYear; ++year) {
            inf.Line(Value(dynamicKey, std::to_string(year), kFlagBinary,
                           Hex(dynamic.years[size_t(year - dynamic.firstYear)])));
        }
    }
    // The trace: what the machine now carries, for detection rules and --check.
    std::string zoneNames;
    for (const WindowsZone& zone : zones) {
        zoneNames += (zoneNames.empty() ? "" : " ") + zone.zoneName;
    }
    const std::pair<const char*, std::string> trace[] = {
        {kTraceTzdata, source.databaseVersion},
        {kTraceCldr, source.mappingRelease.empty() ? "none" : source.mappingRelease},
        {kTraceProgram, source.programVersion},
        {kTraceZones, zoneNames},
    };
    for (const auto& [name, data] : trace) {
        inf.Line(Value(kDefinitionsKey, name, kFlagString, Quoted(data)));
    }
    return inf.Take();
}

}  // namespace zoneinf
