#include "windows_zone_map.h"

#include "errors.h"
#include "whole_file.h"

#include <pugixml.hpp>

#include <algorithm>
#include <sstream>

namespace zoneinf {

WindowsZoneMap WindowsZoneMap::Load(const std::filesystem::path& file)
{
    const auto text = ReadFileWhole(file);
    if (!text) {
        throw Failure(kExitUnreadableInput, file.string() + ": cannot read the Windows zone mapping");
    }
    return Parse(*text, file.string());
}

WindowsZoneMap WindowsZoneMap::Parse(const std::string& xml, const std::string& name)
{
    pugi::xml_document document;
    const pugi::xml_parse_result result = document.load_string(xml.c_str());
    if (!result) {
        throw Failure(kExitUnreadableInput,
                      name + ": cannot read the Windows zone mapping (" + result.description() + ")");
    }
    WindowsZoneMap map;
    for (const pugi::xpath_node& node :
         document.select_nodes("/supplementalData/windowsZones/mapTimezones/mapZone")) {
        const pugi::xml_node element = node.node();
        ZoneMapping mapping{element.attribute("other").value(), element.attribute("territory").value(), {}};
        std::istringstream zones(element.attribute("type").value());
        for (std::string zone; zones >> zone;) {
            mapping.zones.push_back(zone);
        }
        if (!mapping.windowsKey.empty() && !mapping.zones.empty()) {
            map.mappings_.push_back(std::move(mapping));
        }
    }
    if (map.mappings_.empty()) {
        throw Failure(kExitUnreadableInput, name + ": no <mapZone> entries: not CLDR's windowsZones.xml");
    }
    return map;
}

std::optional<std::string> WindowsZoneMap::KeyFor(
    const std::string& zone,
    const std::function<bool(const std::string&, const std::string&)>& sameZone) const
{
    for (const bool exact : {true, false}) {
        for (const ZoneMapping& mapping : mappings_) {
            for (const std::string& mapped : mapping.zones) {
                if (exact ? mapped == zone : sameZone(mapped, zone)) {
                    return mapping.windowsKey;
                }
            }
        }
    }
    return std::nullopt;
}

std::optional<std::string> WindowsZoneMap::MainZoneOf(const std::string& windowsKey) const
{
    for (const ZoneMapping& mapping : mappings_) {
        if (mapping.territory == "001" && mapping.windowsKey == windowsKey) {
            return mapping.zones.front();
        }
    }
    return std::nullopt;
}

std::vector<std::pair<std::string, std::string>> WindowsZoneMap::MainZones() const
{
    std::vector<std::pair<std::string, std::string>> zones;
    for (const ZoneMapping& mapping : mappings_) {
        if (mapping.territory == "001") {
            zones.emplace_back(mapping.windowsKey, mapping.zones.front());
        }
    }
    std::sort(zones.begin(), zones.end());
    return zones;
}

}  // namespace zoneinf
