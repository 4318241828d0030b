#include "mapping/cldr_mapping_reader.h"

#include "base/errors.h"
#include "base/messages.h"

#include <nlohmann/json.hpp>
#include <pugixml.hpp>

#include <algorithm>

namespace zoneinf {

namespace {

[[noreturn]] void NotAMapping(const std::string& name, const std::string& why)
{
    throw UnreadableInput(name, Fill(_("cannot read the Windows zone mapping (%1)"), {why}));
}

// A release as CLDR writes one ("48", "47.1"); anything else is not one.
std::string ReleaseOrUnknown(const std::string& text)
{
    const bool release = !text.empty() && text.size() <= 16 && text.front() != '.' &&
                         std::all_of(text.begin(), text.end(), [](char c) { return (c >= '0' && c <= '9') || c == '.'; });
    return release ? text : "unknown";
}

}  // namespace

MappingDocument ReadCldrXml(const std::string& bytes, const std::string& name)
{
    pugi::xml_document document;
    const pugi::xml_parse_result result = document.load_buffer(bytes.data(), bytes.size());
    if (!result) {
        NotAMapping(name, result.description());
    }
    MappingDocument mapping;
    // Releases before 44 carry "$Revision$" here, which names none.
    const pugi::xml_node version = document.child("supplementalData").child("version");
    mapping.release = ReleaseOrUnknown(version.attribute("cldrVersion") ? version.attribute("cldrVersion").value()
                                                                        : version.attribute("number").value());
    for (const pugi::xpath_node& node :
         document.select_nodes("/supplementalData/windowsZones/mapTimezones/mapZone")) {
        const pugi::xml_node element = node.node();
        mapping.entries.push_back({element.attribute("other").value(), element.attribute("territory").value(),
                                   element.attribute("type").value()});
    }
    return mapping;
}

MappingDocument ReadCldrJson(const std::string& bytes, const std::string& name)
{
    const auto document = nlohmann::json::parse(bytes, nullptr, false);
    if (document.is_discarded()) {
        NotAMapping(name, _("not JSON"));
    }
    const auto text = [&](const nlohmann::json& object, const char* field) -> std::string {
        if (!object.is_object() || !object.contains(field)) {
            return "";
        }
        if (!object[field].is_string()) {
            NotAMapping(name, Fill(_("%1 is no string"), {field}));
        }
        return object[field].get<std::string>();
    };
    MappingDocument mapping;
    const nlohmann::json::json_pointer versionPath("/supplemental/version");
    mapping.release = ReleaseOrUnknown(document.contains(versionPath) ? text(document[versionPath], "_cldrVersion") : "");
    const nlohmann::json::json_pointer listPath("/supplemental/windowsZones/mapTimezones");
    if (!document.contains(listPath) || !document[listPath].is_array()) {
        NotAMapping(name, _("no supplemental.windowsZones.mapTimezones list"));
    }
    for (const nlohmann::json& item : document[listPath]) {
        if (!item.is_object() || !item.contains("mapZone") || !item["mapZone"].is_object()) {
            NotAMapping(name, _("an entry of mapTimezones is no {\"mapZone\": {...}}"));
        }
        const nlohmann::json& zone = item["mapZone"];
        mapping.entries.push_back({text(zone, "_other"), text(zone, "_territory"), text(zone, "_type")});
    }
    return mapping;
}

}  // namespace zoneinf
