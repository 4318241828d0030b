// The compiled IANA time zone database on the machine: a folder of TZif
// files (Debian's tzdata: /usr/share/zoneinfo) and its release.
#pragma once

#include "zone_timeline.h"

#include <filesystem>
#include <string>

namespace zoneinf {

class TzDatabase {
public:
    static constexpr const char* kSystemFolder = "/usr/share/zoneinfo";

    explicit TzDatabase(std::filesystem::path folder);

    // The release, e.g. "2026f", from the first line of tzdata.zi
    // ("# version 2026f"); "unknown" when the tree has none.
    const std::string& Version() const { return version_; }
    const std::filesystem::path& Folder() const { return folder_; }

    // Both throw Failure (kExitUsage) for a name that is no zone of this tree.
    ZoneTimeline Load(const std::string& zoneName) const;
    void RequireZone(const std::string& zoneName) const;
    bool HasZone(const std::string& zoneName) const;
    // Whether two names are one zone, e.g. Asia/Kolkata and its old name
    // Asia/Calcutta (a link in the compiled tree).
    bool SameZone(const std::string& first, const std::string& second) const;

private:
    std::filesystem::path PathOf(const std::string& zoneName) const;

    std::filesystem::path folder_;
    std::string version_;
};

}  // namespace zoneinf
