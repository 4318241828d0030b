#include "mapping/windows_zone_map.h"

#include "base/errors.h"
#include "base/text_decoder.h"
#include "registry/registry_vocabulary.h"
#include "mapping/cldr_mapping_reader.h"
#include "base/messages.h"
#include "tzdb/tz_database.h"
#include "base/whole_file.h"

#include <algorithm>
#include <map>
#include <set>
#include <sstream>

namespace zoneinf {

namespace {

bool IsTerritory(const std::string& text)
{
    return text.size() >= 2 && text.size() <= 3 &&
           std::all_of(text.begin(), text.end(), [](char c) {
               return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
           });
}

}  // namespace

WindowsZoneMap WindowsZoneMap::Load(const std::filesystem::path& file)
{
    const auto text = ReadFileWhole(file);
    if (!text) {
        throw UnreadableInput(file.string(), _("cannot read the Windows zone mapping"));
    }
    return Parse(*text, file.string());
}

WindowsZoneMap WindowsZoneMap::Parse(const std::string& bytes, const std::string& name)
{
    const size_t first = bytes.find_first_not_of(" \t\r\n", bytes.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0);
    const char opening = first == std::string::npos ? '\0' : bytes[first];
    if (opening != '<' && opening != '{') {
        throw UnreadableInput(
            name, _("cannot read the Windows zone mapping (neither CLDR's windowsZones.xml nor its windowsZones.json)"));
    }
    const MappingDocument document = opening == '<' ? ReadCldrXml(bytes, name) : ReadCldrJson(bytes, name);

    WindowsZoneMap map;
    map.release_ = document.release;
    std::set<std::pair<std::string, std::string>> keysAndTerritories;
    std::map<std::string, std::string> keyOfZone;
    for (size_t index = 0; index < document.entries.size(); ++index) {
        const MappingEntry& entry = document.entries[index];
        const auto refuse = [&](const std::string& why) {
            throw UnreadableInput(name, Fill(_("mapZone %1: %2"), {std::to_string(index + 1), why}));
        };
        if (!IsWindowsKeyName(entry.windowsKey)) {
            refuse(Fill(_("'%1' is no Windows key name (printable ASCII, no \\, \" or %, 1 to %2 characters)"),
                        {EscapeForTerminal(entry.windowsKey), std::to_string(kMaxKeyNameLength)}));
        }
        if (!IsTerritory(entry.territory)) {
            refuse(Fill(_("'%1' is no territory (e.g. 001, PY)"), {EscapeForTerminal(entry.territory)}));
        }
        if (!keysAndTerritories.emplace(entry.windowsKey, entry.territory).second) {
            refuse(Fill(_("'%1' is defined twice for territory %2"), {entry.windowsKey, entry.territory}));
        }
        ZoneMapping mapping{entry.windowsKey, entry.territory, {}};
        std::istringstream zones(entry.zones);
        for (std::string zone; zones >> zone;) {
            if (!TzDatabase::IsZoneName(zone)) {
                refuse(Fill(_("'%1' is no zone name (relative, without '..', of letters, digits and ._+-/)"), {EscapeForTerminal(zone)}));
            }
            const auto [earlier, added] = keyOfZone.emplace(zone, entry.windowsKey);
            if (!added && earlier->second != entry.windowsKey) {
                refuse(Fill(_("%1 is mapped to both '%2' and '%3'"), {zone, earlier->second, entry.windowsKey}));
            }
            mapping.zones.push_back(zone);
        }
        if (mapping.zones.empty()) {
            refuse(Fill(_("'%1' has no zone for territory %2"), {entry.windowsKey, entry.territory}));
        }
        map.mappings_.push_back(std::move(mapping));
    }
    if (map.mappings_.empty()) {
        throw UnreadableInput(name, _("no mapZone entries: not CLDR's Windows zone mapping"));
    }
    for (const ZoneMapping& mapping : map.mappings_) {
        if (!keysAndTerritories.contains({mapping.windowsKey, "001"})) {
            throw UnreadableInput(name, Fill(_("'%1' has no main zone (no territory 001)"), {mapping.windowsKey}));
        }
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

std::vector<std::string> WindowsZoneMap::TerritoriesOfKey(const std::string& windowsKey) const
{
    std::vector<std::string> territories;
    for (const ZoneMapping& mapping : mappings_) {
        if (mapping.territory != "001" && mapping.windowsKey == windowsKey) {
            territories.push_back(mapping.territory);
        }
    }
    return territories;
}

std::vector<std::string> WindowsZoneMap::TerritoriesOfZone(
    const std::string& zone, const std::function<bool(const std::string&, const std::string&)>& sameZone,
    const std::vector<std::string>* among) const
{
    std::vector<std::string> territories;
    for (const ZoneMapping& mapping : mappings_) {
        if (among && std::find(among->begin(), among->end(), mapping.territory) == among->end()) {
            continue;
        }
        if (mapping.territory != "001" &&
            std::any_of(mapping.zones.begin(), mapping.zones.end(),
                        [&](const std::string& mapped) { return mapped == zone || sameZone(mapped, zone); })) {
            territories.push_back(mapping.territory);
        }
    }
    return territories;
}

std::vector<std::string> WindowsZoneMap::ZonesOf(const std::string& windowsKey) const
{
    std::vector<std::string> zones;
    if (const auto main = MainZoneOf(windowsKey)) {
        zones.push_back(*main);
    }
    for (const ZoneMapping& mapping : mappings_) {
        for (const std::string& zone : mapping.zones) {
            if (mapping.windowsKey == windowsKey && std::find(zones.begin(), zones.end(), zone) == zones.end()) {
                zones.push_back(zone);
            }
        }
    }
    return zones;
}

}  // namespace zoneinf
