#include "tzdb/tz_database.h"

#include "base/errors.h"
#include "base/messages.h"
#include "base/tzdata_release.h"
#include "tzdb/tzif_reader.h"
#include "base/whole_file.h"

#include <algorithm>
#include <cctype>
#include <vector>
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
    const std::string_view text = *source;
    const auto lineAt = [&text](size_t start) { return text.substr(start, text.find('\n', start) - start); };
    const std::string_view prefix = "# version ";
    if (const std::string_view first = lineAt(0); first.substr(0, prefix.size()) == prefix) {
        const std::string release(first.substr(prefix.size()));
        if (IsTzdataRelease(release)) {
            version_ = release;
        }
    }
    // "L TARGET LINK": LINK is another name of TARGET. Lines that do not
    // name two zones are not links this program can use. Split by hand,
    // at blanks as a stream would: the file has some 4,000 lines.
    for (size_t start = text.find('\n'); start != std::string_view::npos && start + 1 < text.size();
         start = text.find('\n', start + 1)) {
        const std::string_view line = lineAt(start + 1);
        std::vector<std::string_view> fields;
        for (size_t at = 0; at < line.size() && fields.size() < 4;) {
            const auto blank = [&line](size_t i) { return std::isspace(static_cast<unsigned char>(line[i])) != 0; };
            while (at < line.size() && blank(at)) {
                ++at;
            }
            const size_t begin = at;
            while (at < line.size() && !blank(at)) {
                ++at;
            }
            if (at > begin) {
                fields.push_back(line.substr(begin, at - begin));
            }
        }
        if (fields.size() == 3 && fields[0] == "L") {
            const std::string target(fields[1]), link(fields[2]);
            if (IsZoneName(target) && IsZoneName(link)) {
                links_[link] = target;
            }
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
