#include "tzdb/tz_database.h"

#include "base/errors.h"
#include "base/messages.h"
#include "tzdb/tzif_reader.h"
#include "base/whole_file.h"

#include <algorithm>
#include <sstream>
#include <string_view>

namespace zoneinf {

namespace fs = std::filesystem;

TzDatabase::TzDatabase(const fs::path& folder) : TzDatabase(std::shared_ptr<const ZoneFiles>(OpenZoneFolder(folder)))
{
}

TzDatabase::TzDatabase(std::shared_ptr<const ZoneFiles> files) : files_(std::move(files)), version_("unknown")
{
    const auto source = files_->Read("tzdata.zi");
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

bool TzDatabase::IsZoneName(const std::string& text)
{
    if (text.empty() || text.size() > 255 || text.front() == '/' || text.back() == '/') {
        return false;
    }
    const bool plainCharacters = std::all_of(text.begin(), text.end(), [](char c) {
        return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
               c == '.' || c == '_' || c == '+' || c == '-' || c == '/';
    });
    // Its parts between slashes, split by hand: a check asked for every
    // zone a survey of the mapping meets is no place for std::filesystem's.
    bool plainParts = true;
    for (size_t start = 0; start <= text.size();) {
        const size_t end = std::min(text.find('/', start), text.size());
        const std::string_view part = std::string_view(text).substr(start, end - start);
        plainParts = plainParts && part != ".." && part != "." && !part.empty();
        start = end + 1;
    }
    return plainCharacters && plainParts;
}

bool TzDatabase::HasZone(const std::string& zoneName) const
{
    return IsZoneName(zoneName) && files_->Has(zoneName);
}

void TzDatabase::RequireZone(const std::string& zoneName) const
{
    if (!HasZone(zoneName)) {
        throw Failure(kExitUsage, Fill(_("unknown time zone '%1' in %2"), {zoneName, Source()}));
    }
}

ZoneTimeline TzDatabase::Load(const std::string& zoneName) const
{
    RequireZone(zoneName);
    const auto bytes = files_->Read(zoneName);
    const std::string name = Source() + "/" + zoneName;
    if (!bytes) {
        throw UnreadableInput(name, _("cannot read"));
    }
    return ParseTzif(*bytes, name);
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
    const std::string target = IsZoneName(zoneName) ? files_->LinkTarget(zoneName) : zoneName;
    return HasZone(target) ? target : zoneName;
}

bool TzDatabase::SameZone(const std::string& first, const std::string& second) const
{
    if (first == second || CurrentName(first) == CurrentName(second)) {
        return true;
    }
    if (!HasZone(first) || !HasZone(second)) {
        return false;
    }
    return files_->Same(first, second);
}

}  // namespace zoneinf
