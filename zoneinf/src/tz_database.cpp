#include "tz_database.h"

#include "errors.h"
#include "tzif_reader.h"
#include "whole_file.h"

#include <algorithm>
#include <sstream>

namespace zoneinf {

namespace fs = std::filesystem;

TzDatabase::TzDatabase(fs::path folder) : folder_(std::move(folder)), version_("unknown")
{
    std::error_code error;
    if (!fs::is_directory(folder_, error)) {
        throw Failure(kExitUnreadableInput, folder_.string() + ": no time zone database here");
    }
    const auto source = ReadDatabaseFile("tzdata.zi");
    if (!source) {
        return;
    }
    hasLinkTable_ = true;
    std::istringstream lines(*source);
    std::string line;
    const std::string prefix = "# version ";
    if (std::getline(lines, line) && line.compare(0, prefix.size(), prefix) == 0) {
        const std::string release = line.substr(prefix.size());
        if (IsZoneName(release)) {
            version_ = release;
        }
    }
    // "L TARGET LINK": LINK is another name of TARGET. Lines that do not
    // name two zones are not links this program can use.
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        std::string kind, target, link, extra;
        if (fields >> kind >> target >> link && kind == "L" && !(fields >> extra) && IsZoneName(target) &&
            IsZoneName(link)) {
            links_[link] = target;
        }
    }
}

std::optional<std::string> TzDatabase::ReadDatabaseFile(const std::string& name) const
{
    const fs::path path = PathOf(name);
    std::error_code error;
    if (path.empty() || !fs::is_regular_file(path, error)) {
        return std::nullopt;
    }
    return ReadFileWhole(path);
}

bool TzDatabase::IsZoneName(const std::string& text)
{
    if (text.empty() || text.size() > 255 || text.front() == '/' || text.back() == '/') {
        return false;
    }
    const bool plainCharacters = std::all_of(text.begin(), text.end(), [](char c) {
        return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
               c == '.' || c == '_' || c == '+' || c == '-' || c == '/';
    });
    bool plainParts = true;
    for (const fs::path& part : fs::path(text)) {
        plainParts = plainParts && part != ".." && part != "." && !part.empty();
    }
    return plainCharacters && plainParts && text.find("//") == std::string::npos;
}

fs::path TzDatabase::PathOf(const std::string& zoneName) const
{
    // Zone names are relative names inside the tree, never a way out of it.
    return IsZoneName(zoneName) ? folder_ / zoneName : fs::path();
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
    const auto bytes = ReadDatabaseFile(zoneName);
    if (!bytes) {
        throw Failure(kExitUnreadableInput, PathOf(zoneName).string() + ": cannot read");
    }
    return ParseTzif(*bytes, PathOf(zoneName).string());
}

std::string TzDatabase::CurrentName(const std::string& zoneName) const
{
    if (hasLinkTable_) {
        // Links point at zones, but a table that chains them is followed
        // a few steps, never round a loop.
        std::string name = zoneName;
        for (int step = 0; step < 8; ++step) {
            const auto link = links_.find(name);
            if (link == links_.end()) {
                break;
            }
            name = link->second;
        }
        return name;
    }
    std::error_code error;
    const fs::path path = PathOf(zoneName);
    if (path.empty() || !fs::is_symlink(path, error)) {
        return zoneName;
    }
    const fs::path target = fs::canonical(path, error);
    const fs::path root = fs::canonical(folder_, error);
    const std::string relative = error ? std::string() : target.lexically_relative(root).generic_string();
    return HasZone(relative) ? relative : zoneName;
}

bool TzDatabase::SameZone(const std::string& first, const std::string& second) const
{
    if (first == second || CurrentName(first) == CurrentName(second)) {
        return true;
    }
    if (!HasZone(first) || !HasZone(second)) {
        return false;
    }
    std::error_code error;
    return fs::equivalent(PathOf(first), PathOf(second), error);
}

}  // namespace zoneinf
