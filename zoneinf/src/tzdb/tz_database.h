// The compiled IANA time zone database on the machine: a folder of TZif
// files (Debian's tzdata: /usr/share/zoneinfo), its release, and its links
// from old names to current ones.
#pragma once

#include "tzdb/zone_files.h"
#include "tzdb/zone_timeline.h"

#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>

namespace zoneinf {

class TzDatabase {
public:
    static constexpr const char* kSystemFolder = "/usr/share/zoneinfo";

    explicit TzDatabase(const std::filesystem::path& folder);
    // The files from elsewhere: the release built into the program.
    explicit TzDatabase(std::shared_ptr<const ZoneFiles> files);

    // The release, e.g. "2026f", from the first line of tzdata.zi
    // ("# version 2026f"); "unknown" when the tree names none (or a
    // name that is no release's, base/tzdata_release.h).
    const std::string& Version() const { return version_; }
    // Where the files come from, e.g. "/usr/share/zoneinfo" or "built in".
    std::string Source() const { return files_->Name(); }

    // Whether a text can name a zone: relative, no "." or ".." part, only
    // letters, digits and ._+-/ as the tz Theory file asks, at most 255 bytes.
    static bool IsZoneName(const std::string& text);

    // Both throw Failure (kExitUsage) for a name that is no zone of this tree.
    ZoneTimeline Load(const std::string& zoneName) const;
    void RequireZone(const std::string& zoneName) const;
    bool HasZone(const std::string& zoneName) const;
    // The database's current name for a zone: Asia/Kolkata for its old
    // name Asia/Calcutta, through tzdata.zi's links ("L Asia/Kolkata
    // Asia/Calcutta"), or the tree's symbolic links where tzdata.zi is absent.
    // A name that is no link is its own current name.
    std::string CurrentName(const std::string& zoneName) const;
    // Whether two names are one zone, e.g. Asia/Kolkata and Asia/Calcutta.
    bool SameZone(const std::string& first, const std::string& second) const;

private:
    std::shared_ptr<const ZoneFiles> files_;
    std::string version_;
    bool hasLinkTable_ = false;
    // Old name -> current name, from tzdata.zi. Example: "Europe/Kiev" -> "Europe/Kyiv".
    std::map<std::string, std::string> links_;
};

}  // namespace zoneinf
