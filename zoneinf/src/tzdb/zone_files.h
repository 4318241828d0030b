// Where the compiled time zone database's files come from: a folder
// (Debian's /usr/share/zoneinfo, or --zoneinfo), or the copy of a release
// built into the program (zoneinf.exe carries one).
#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>

namespace zoneinf {

class ZoneFiles {
public:
    virtual ~ZoneFiles() = default;

    // For messages and --version. Example: "/usr/share/zoneinfo", "built in".
    virtual std::string Name() const = 0;
    // A regular file's bytes by its name in the tree, e.g.
    // "America/Asuncion" or "tzdata.zi"; nullopt when there is none.
    // Names are plain relative ones: TzDatabase checks them first.
    virtual std::optional<std::string> Read(const std::string& name) const = 0;
    virtual bool Has(const std::string& name) const = 0;
    // Whether two names are one file: a zone and its link, e.g.
    // Asia/Kolkata and Asia/Calcutta.
    virtual bool Same(const std::string& first, const std::string& second) const = 0;
    // The name a symbolic link of the tree leads to, e.g. "Asia/Kolkata"
    // for "Asia/Calcutta"; the name itself when it is no link.
    virtual std::string LinkTarget(const std::string& name) const = 0;
};

// Throws Failure (kExitUnreadableInput) when `folder` is no folder.
std::unique_ptr<ZoneFiles> OpenZoneFolder(const std::filesystem::path& folder);
// The release built into the program; nullptr when it carries none.
std::unique_ptr<ZoneFiles> OpenBuiltInZoneFiles();

}  // namespace zoneinf
