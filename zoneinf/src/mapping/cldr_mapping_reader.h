// Readers of CLDR's Windows zone mapping, in its two distributions: the XML
// of the CLDR repository (common/supplemental/windowsZones.xml, Debian's
// unicode-cldr-core) and the JSON of npm's cldr-core
// (supplemental/windowsZones.json). Both give the same entries; the map
// (windows_zone_map.h) holds them to its rules.
#pragma once

#include <string>
#include <vector>

namespace zoneinf {

// One <mapZone>, as the file has it: a Windows key, a territory ("001" for
// the key's main zone) and its IANA zones, space-separated.
// Example: other="Central Asia Standard Time" territory="KG" type="Asia/Bishkek".
struct MappingEntry {
    std::string windowsKey;
    std::string territory;
    std::string zones;
};

struct MappingDocument {
    std::string release;  // CLDR's release, "48"; "unknown" when the file does not say
    std::vector<MappingEntry> entries;
};

// Each throws Failure (kExitUnreadableInput) naming `name` for bytes that
// are not that format or hold no mapping.
MappingDocument ReadCldrXml(const std::string& bytes, const std::string& name);
MappingDocument ReadCldrJson(const std::string& bytes, const std::string& name);

}  // namespace zoneinf
