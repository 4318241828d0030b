#include "tz_database.h"

#include "errors.h"
#include "whole_file.h"

namespace zoneinf {

namespace fs = std::filesystem;

TzDatabase::TzDatabase(const fs::path& folder) : TzDatabase(std::shared_ptr<const ZoneFiles>(OpenZoneFolder(folder)))
{
}

TzDatabase::TzDatabase(std::shared_ptr<const ZoneFiles> files) : files_(std::move(files)), version_("unknown")
{
    const std::string text = files_->Read("tzdata.zi").value_or("");
    const std::string firstLine = text.substr(0, text.find('\n'));
    const std::string prefix = "# version ";
    if (firstLine.compare(0, prefix.size(), prefix) == 0) {
        version_ = firstLine.substr(prefix.size());
    }
}

bool TzDatabase::IsPlainName(const std::string& zoneName)
{
    // Zone names are relative names inside the tree, never a way out of it.
    const fs::path relative = PathFromUtf8(zoneName);
    bool plain = !zoneName.empty() && relative.is_relative() && !relative.has_root_name();
    for (const fs::path& part : relative) {
        plain = plain && part != ".." && part != ".";
    }
    return plain && zoneName.find('\\') == std::string::npos;
}

bool TzDatabase::HasZone(const std::string& zoneName) const
{
    return IsPlainName(zoneName) && files_->Has(zoneName);
}

void TzDatabase::RequireZone(const std::string& zoneName) const
{
    if (!HasZone(zoneName)) {
        throw Failure(kExitUsage, "unknown time zone '" + zoneName + "' in " + Source());
    }
}

ZoneTimeline TzDatabase::Load(const std::string& zoneName) const
{
    RequireZone(zoneName);
    const auto bytes = files_->Read(zoneName);
    const std::string name = Source() + "/" + zoneName;
    if (!bytes) {
        throw Failure(kExitUnreadableInput, name + ": cannot read");
    }
    return ParseTzif(*bytes, name);
}

bool TzDatabase::SameZone(const std::string& first, const std::string& second) const
{
    if (first == second) {
        return true;
    }
    if (!HasZone(first) || !HasZone(second)) {
        return false;
    }
    return files_->Same(first, second);
}

}  // namespace zoneinf
