#include "formats/inf_writer.h"

#include "formats/registry_vocabulary.h"

namespace zoneinf {

namespace {

std::string Hex(const TziRecord& record)
{
    return HexList(record.Bytes());
}

}  // namespace

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
            inf.Comment("Approximated: " + zone.zoneName + " (" + zone.windowsKey + ") " + DescribeChanges(year, Wording::kInf));
        }
        if (!zone.futureExact) {
            inf.Comment("Not exact after " + std::to_string(years.last) + ": " + zone.zoneName + " (" +
                        zone.windowsKey + "), whose rule no single record follows every year.");
        }
    }
    inf.Comment("Apply elevated (the records are under HKLM), e.g.");
    inf.Comment("  zonechange.exe /i " + source.fileName + " /z \"" +
                (zones.empty() ? "" : zones.front().windowsKey) + "\"");
    inf.Head("TimeZones");
    inf.Line("[TimeZones.DelReg]");
    for (const WindowsZone& zone : zones) {
        inf.Line(DelRegLine(TimeZoneKeyPath(zone.windowsKey) + "\\" + kDynamicDstSubkey));
    }
    inf.Line();
    inf.Line("[TimeZones.AddReg]");
    for (const WindowsZone& zone : zones) {
        const std::string key = TimeZoneKeyPath(zone.windowsKey);
        const std::string dynamicKey = key + "\\" + kDynamicDstSubkey;
        inf.Line(AddRegLine(key, "Display", kAddRegTypeSz | kAddRegNoClobber, InfString(zone.display)));
        inf.Line(AddRegLine(key, "Std", kAddRegTypeSz | kAddRegNoClobber, InfString(zone.standardName)));
        inf.Line(AddRegLine(key, "Dlt", kAddRegTypeSz | kAddRegNoClobber, InfString(zone.daylightName)));
        inf.Line(AddRegLine(key, "TZI", kAddRegBinary, Hex(zone.records.tzi)));
        const DynamicDst& dynamic = *zone.records.dynamic;
        inf.Line(AddRegLine(dynamicKey, "FirstEntry", kAddRegTypeDword, std::to_string(dynamic.firstYear)));
        inf.Line(AddRegLine(dynamicKey, "LastEntry", kAddRegTypeDword, std::to_string(dynamic.lastYear)));
        for (int year = dynamic.firstYear; year <= dynamic.lastYear; ++year) {
            inf.Line(AddRegLine(dynamicKey, std::to_string(year), kAddRegBinary,
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
        inf.Line(AddRegLine(kDefinitionsKey, name, kAddRegTypeSz, InfString(data)));
    }
    return inf.Take();
}

}  // namespace zoneinf
