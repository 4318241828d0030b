#include "tzdb/zone_files.h"

#include "base/built_in_data.h"
#include "base/errors.h"
#include "base/messages.h"
#include "base/whole_file.h"

#include <algorithm>
#include <map>
#include <mutex>

namespace zoneinf {

namespace fs = std::filesystem;

namespace {

class ZoneFolder final : public ZoneFiles {
public:
    explicit ZoneFolder(fs::path folder) : folder_(std::move(folder)) {}

    std::string Name() const override { return Utf8FromPath(folder_); }
    std::optional<std::string> Read(const std::string& name) const override
    {
        return Has(name) ? ReadFileWhole(PathOf(name)) : std::nullopt;
    }
    bool Has(const std::string& name) const override
    {
        // Asked of the same few hundred names thousands of times (a survey
        // of the mapping compares every zone it names): each asked once.
        const std::lock_guard lock(mutex_);
        const auto [found, added] = regular_.try_emplace(name, false);
        if (added) {
            std::error_code error;
            found->second = fs::is_regular_file(PathOf(name), error);
        }
        return found->second;
    }
    bool Same(const std::string& first, const std::string& second) const override
    {
        std::error_code error;
        return fs::equivalent(PathOf(first), PathOf(second), error);
    }
    std::string LinkTarget(const std::string& name) const override
    {
        std::error_code error;
        if (!fs::is_symlink(PathOf(name), error)) {
            return name;
        }
        const fs::path target = fs::canonical(PathOf(name), error);
        const fs::path root = fs::canonical(folder_, error);
        const std::u8string relative = target.lexically_relative(root).generic_u8string();
        return error ? name : std::string(relative.begin(), relative.end());
    }

private:
    fs::path PathOf(const std::string& name) const { return folder_ / PathFromUtf8(name); }

    fs::path folder_;
    mutable std::mutex mutex_;
    mutable std::map<std::string, bool> regular_;  // by name: whether it is a regular file
};

class BuiltInZoneFiles final : public ZoneFiles {
public:
    explicit BuiltInZoneFiles(std::span<const BuiltInFile> files) : files_(files) {}

    std::string Name() const override { return "built in"; }
    std::optional<std::string> Read(const std::string& name) const override
    {
        const BuiltInFile* file = Find(name);
        return file ? std::optional<std::string>(file->bytes) : std::nullopt;
    }
    bool Has(const std::string& name) const override { return Find(name) != nullptr; }
    bool Same(const std::string& first, const std::string& second) const override
    {
        const BuiltInFile* a = Find(first);
        const BuiltInFile* b = Find(second);
        return a && b && a->content == b->content;
    }
    // The built-in tree always has tzdata.zi, whose links are used instead.
    std::string LinkTarget(const std::string& name) const override { return name; }

private:
    const BuiltInFile* Find(const std::string& name) const
    {
        const auto found = std::lower_bound(files_.begin(), files_.end(), name,
                                            [](const BuiltInFile& file, const std::string& key) { return file.name < key; });
        return found != files_.end() && found->name == name ? &*found : nullptr;
    }

    std::span<const BuiltInFile> files_;
};

}  // namespace

std::unique_ptr<ZoneFiles> OpenZoneFolder(const fs::path& folder)
{
    std::error_code error;
    if (!fs::is_directory(folder, error)) {
        throw UnreadableInput(Utf8FromPath(folder), _("no time zone database here"));
    }
    return std::make_unique<ZoneFolder>(folder);
}

std::unique_ptr<ZoneFiles> OpenBuiltInZoneFiles()
{
    const auto table = BuiltInZoneFileTable();
    return table.empty() ? nullptr : std::make_unique<BuiltInZoneFiles>(table);
}

}  // namespace zoneinf
