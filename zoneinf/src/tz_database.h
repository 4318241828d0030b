// The compiled IANA time zone database on the machine: a folder of TZif
// files (Debian's tzdata: /usr/share/zoneinfo) and its release.
#pragma once

#include "zone_files.h"
#include "zone_timeline.h"

#include <filesystem>
#include <memory>
#include <string>

namespace zoneinf {

class TzDatabase {
public:
    static constexpr const char* kSystemFolder = "/usr/share/zoneinfo";

    explicit TzDatabase(const std::filesystem::path& folder);
    // The files from elsewhere: the release built into the program.
    explicit TzDatabase(std::shared_ptr<const ZoneFiles> files);

    // The release, e.g. "2026f", from the first line of tzdata.zi
    // ("# version 2026f"); "unknown" when the tree has none.
    const std::string& Version() const { return version_; }
    // Where the files come from, e.g. "/usr/share/zoneinfo" or "built in".
    std::string Source() const { return files_->Name(); }

    // Both throw Failure (kExitUsage) for a name that is no zone of this tree.
    ZoneTimeline Load(const std::string& zoneName) const;
    void RequireZone(const std::string& zoneName) const;
    bool HasZone(const std::string& zoneName) const;
    // Whether two names are one zone, e.g. Asia/Kolkata and its old name
    // Asia/Calcutta (a link in the compiled tree).
    bool SameZone(const std::string& first, const std::string& second) const;

private:
    static bool IsPlainName(const std::string& zoneName);

    std::shared_ptr<const ZoneFiles> files_;
    std::string version_;
};

}  // namespace zoneinf
