#include "tz_database.h"

#include "errors.h"
#include "tzif_reader.h"

#include <fstream>

namespace zoneinf {

namespace fs = std::filesystem;

TzDatabase::TzDatabase(fs::path folder) : folder_(std::move(folder)), version_("unknown")
{
    std::error_code error;
    if (!fs::is_directory(folder_, error)) {
        throw Failure(kExitUnreadableInput, folder_.string() + ": no time zone database here");
    }
    std::ifstream source(folder_ / "tzdata.zi");
    std::string firstLine;
    const std::string prefix = "# version ";
    if (std::getline(source, firstLine) && firstLine.compare(0, prefix.size(), prefix) == 0) {
        version_ = firstLine.substr(prefix.size());
    }
}

fs::path TzDatabase::PathOf(const std::string& zoneName) const
{
    // Zone names are relative names inside the tree, never a way out of it.
    const fs::path relative(zoneName);
    bool plain = !zoneName.empty() && relative.is_relative();
    for (const fs::path& part : relative) {
        plain = plain && part != ".." && part != ".";
    }
    return plain ? folder_ / relative : fs::path();
}

bool TzDatabase::HasZone(const std::string& zoneName) const
{
    const fs::path path = PathOf(zoneName);
    std::error_code error;
    return !path.empty() && fs::is_regular_file(path, error);
}

void TzDatabase::RequireZone(const std::string& zoneName) const
{
    if (!HasZone(zoneName)) {
        throw Failure(kExitUsage, "unknown time zone '" + zoneName + "' in " + folder_.string());
    }
}

ZoneTimeline TzDatabase::Load(const std::string& zoneName) const
{
    RequireZone(zoneName);
    return ReadTzif(PathOf(zoneName));
}

bool TzDatabase::SameZone(const std::string& first, const std::string& second) const
{
    if (first == second) {
        return true;
    }
    if (!HasZone(first) || !HasZone(second)) {
        return false;
    }
    std::error_code error;
    return fs::equivalent(PathOf(first), PathOf(second), error);
}

}  // namespace zoneinf
