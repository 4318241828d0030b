// CLDR's mapping between IANA zones and Windows zone keys
// (windowsZones.xml; Debian's unicode-cldr-core).
#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace zoneinf {

// One <mapZone>: a Windows key, a territory ("001" for the key's main
// zone) and the IANA zones CLDR maps there.
// Example: other="Paraguay Standard Time" territory="001" type="America/Asuncion".
struct ZoneMapping {
    std::string windowsKey;
    std::string territory;
    std::vector<std::string> zones;
};

class WindowsZoneMap {
public:
    static constexpr const char* kSystemFile =
        "/usr/share/unicode/cldr/common/supplemental/windowsZones.xml";

    // Throws Failure (kExitUnreadableInput) for a file that is not one.
    static WindowsZoneMap Load(const std::filesystem::path& file);
    static WindowsZoneMap Parse(const std::string& xml, const std::string& name);

    // The key of a zone; `sameZone` also matches the names CLDR still uses
    // for renamed zones (Asia/Calcutta for Asia/Kolkata).
    std::optional<std::string> KeyFor(
        const std::string& zone,
        const std::function<bool(const std::string&, const std::string&)>& sameZone) const;
    // A key's main zone (territory 001).
    std::optional<std::string> MainZoneOf(const std::string& windowsKey) const;
    // Every key with its main zone, by key.
    std::vector<std::pair<std::string, std::string>> MainZones() const;

private:
    std::vector<ZoneMapping> mappings_;
};

}  // namespace zoneinf
