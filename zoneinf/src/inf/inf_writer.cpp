#include "inf/inf_writer.h"

#include "base/whole_file.h"
#include "registry/registry_vocabulary.h"

#include <algorithm>

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
    // A line of some 280 bytes for each year of each zone, a few dozen more
    // each; no more than zoneinf writes at all.
    inf.Reserve(std::min(zones.size() * (size_t(years.last - years.first) + 1 + 16) * 300 + 4096, kMaxInputBytes));
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
    // No zone of the INF: a deployment copied from here keeps each
    // machine's own zone and selects it again, so its clock takes the new records.
    inf.Comment("Apply elevated (the records are under HKLM) and select each machine's own zone");
    inf.Comment("again, from the folder of zonechange.exe and settz.exe (%%z in a .cmd file):");
    inf.Comment("  for /f \"delims=\" %z in ('.\\settz.exe /g') do .\\zonechange.exe /i " + source.fileName + " /z \"%z\"");
    inf.Head("TimeZones");
    inf.Line("[TimeZones.DelReg]");
    for (const WindowsZone& zone : zones) {
        inf.Line(DelRegLine(TimeZoneKeyPath(zone.windowsKey) + "\\" + kDynamicDstSubkey));
        if (source.label) {
            inf.Line(DelRegLine(TimeZoneKeyPath(zone.windowsKey), "MUI_Display"));
        }
    }
    inf.Line();
    inf.Line("[TimeZones.AddReg]");
    for (const WindowsZone& zone : zones) {
        const std::string key = TimeZoneKeyPath(zone.windowsKey);
        const std::string dynamicKey = key + "\\" + kDynamicDstSubkey;
        inf.Line(AddRegLine(key, "Display", source.label ? kAddRegTypeSz : kAddRegTypeSz | kAddRegNoClobber,
                            InfString(zone.display)));
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
    // Each key's trace: what the machine now carries, for detection rules
    // and --check; a key of its own each, so that deployments of other
    // zones, and their undoing, leave it alone.
    for (const WindowsZone& zone : zones) {
        const std::string trace = TraceKeyPath(zone.windowsKey);
        const DynamicDst& dynamic = *zone.records.dynamic;
        inf.Line(AddRegLine(trace, kTraceTzdata, kAddRegTypeSz, InfString(source.databaseVersion)));
        inf.Line(AddRegLine(trace, kTraceCldr, kAddRegTypeSz,
                            InfString(source.mappingRelease.empty() ? "none" : source.mappingRelease)));
        inf.Line(AddRegLine(trace, kTraceProgram, kAddRegTypeSz, InfString(source.programVersion)));
        inf.Line(AddRegLine(trace, kTraceZone, kAddRegTypeSz, InfString(zone.zoneName)));
        inf.Line(AddRegLine(trace, kTraceFirstYear, kAddRegTypeDword, std::to_string(dynamic.firstYear)));
        inf.Line(AddRegLine(trace, kTraceLastYear, kAddRegTypeDword, std::to_string(dynamic.lastYear)));
    }
    return InfFile(inf.Take());
}

}  // namespace zoneinf
