// CLDR's mapping between IANA zones and Windows zone keys, held to the
// rules an INF needs: it is outside input, trusted like the command line
// and no more.
#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace zoneinf {

// One <mapZone>: a Windows key, a territory ("001" for the key's main
// zone) and the IANA zones CLDR maps there, under the names CLDR uses.
// Example: other="Paraguay Standard Time" territory="001" type="America/Asuncion".
struct ZoneMapping {
    std::string windowsKey;
    std::string territory;
    std::vector<std::string> zones;
};

class WindowsZoneMap {
public:
    // Both throw Failure (kExitUnreadableInput) for a file that is no
    // mapping or breaks its rules: a key name that is not plain printable
    // ASCII of at most 127 characters without \, " or %; a zone name that
    // is absolute or climbs with ".."; a key without territory 001; a key
    // and territory given twice; a zone mapped to two keys.
    static WindowsZoneMap Load(const std::filesystem::path& file);
    // CLDR's XML or its JSON, told apart by the first character.
    static WindowsZoneMap Parse(const std::string& bytes, const std::string& name);

    // CLDR's release, "48", or "unknown".
    const std::string& Release() const { return release_; }

    // The key of a zone; `sameZone` also matches the names CLDR still uses
    // for renamed zones (Asia/Calcutta for Asia/Kolkata).
    std::optional<std::string> KeyFor(
        const std::string& zone,
        const std::function<bool(const std::string&, const std::string&)>& sameZone) const;
    // A key's main zone (territory 001).
    std::optional<std::string> MainZoneOf(const std::string& windowsKey) const;
    // Every key with its main zone, by key.
    std::vector<std::pair<std::string, std::string>> MainZones() const;
    // Every zone of a key, of every territory, the main zone first.
    std::vector<std::string> ZonesOf(const std::string& windowsKey) const;
    // The territories other than 001 under which CLDR lists a key, or a
    // zone (matched as KeyFor does). Example: "Yukon Standard Time": CA.
    // With `among`, only those territories are looked for: the zones of
    // the others' entries are not compared (each comparison may ask the
    // database's files).
    std::vector<std::string> TerritoriesOfKey(const std::string& windowsKey) const;
    std::vector<std::string> TerritoriesOfZone(
        const std::string& zone, const std::function<bool(const std::string&, const std::string&)>& sameZone,
        const std::vector<std::string>* among = nullptr) const;

private:
    std::string release_;
    std::vector<ZoneMapping> mappings_;
};

}  // namespace zoneinf
