#include "tzdb/tzdata_source.h"

#include "base/errors.h"
#include "base/tzdata_release.h"
#include "base/messages.h"
#include "unix/descriptor_io.h"
#include "unix/private_folder.h"
#include "base/whole_file.h"

#include <archive.h>
#include <archive_entry.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace zoneinf {

namespace fs = std::filesystem;

namespace {

// Bounds far above any release (tzdb-2026f.tar.lz unpacks to about 5 MB
// in some 100 members; its data files are under 1 MB; zic makes some 600
// files, about 2 MB fat).
constexpr std::size_t kMaxArchiveBytes = 64 << 20;  // all members, uncompressed
constexpr std::size_t kMaxMembers = 10000;
constexpr std::size_t kMaxSourceBytes = kMaxInputBytes;  // the files zoneinf keeps
constexpr std::size_t kMaxTreeFiles = 10000;
constexpr std::size_t kMaxTreeBytes = 64 << 20;
constexpr std::chrono::seconds kZicTimeLimit{60};
constexpr std::size_t kZicMessageBytes = 4096;

#ifndef ZONEINF_ZIC
#define ZONEINF_ZIC "/usr/sbin/zic"
#endif

// A release's files zoneinf reads, by their own names: "version", a data
// file's name, "tzdata.zi".
using Members = std::map<std::string, std::string>;

bool IsDataFile(const std::string& name)
{
    return std::find_if(std::begin(kReleaseDataFiles), std::end(kReleaseDataFiles),
                        [&](const char* data) { return name == data; }) != std::end(kReleaseDataFiles);
}

bool IsNeeded(const std::string& name)
{
    return name == "version" || name == "tzdata.zi" || IsDataFile(name);
}

std::string MiB(std::size_t bytes)
{
    return std::to_string(bytes >> 20);
}

[[noreturn]] void TooLarge(const std::string& name, std::size_t bound)
{
    throw UnreadableInput(name, Fill(_("over %1 MiB, larger than any tzdata release"), {MiB(bound)}));
}

[[noreturn]] void NotRegular(const std::string& name, const std::string& member)
{
    throw UnreadableInput(name, Fill(_("'%1' is not a regular file"), {member}));
}

struct ArchiveFree {
    void operator()(archive* reader) const { archive_read_free(reader); }
};

[[noreturn]] void Unreadable(const std::string& name, archive* reader)
{
    const char* why = archive_error_string(reader);
    throw UnreadableInput(name, Fill(_("not a readable tarball (%1)"), {why ? why : "?"}));
}

// A member's path as parts, "./" and empty parts dropped (a nameless
// member has none); nullopt when it is absolute or climbs ("..").
std::optional<std::vector<std::string>> PartsOf(const std::string& path)
{
    if (!path.empty() && path.front() == '/') {
        return std::nullopt;
    }
    std::vector<std::string> parts;
    for (size_t start = 0; start <= path.size();) {
        const size_t slash = std::min(path.find('/', start), path.size());
        const std::string part = path.substr(start, slash - start);
        if (part == "..") {
            return std::nullopt;
        }
        if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        start = slash + 1;
    }
    return parts;
}

// The members zoneinf reads, at the top or under one top folder; every
// other member is skipped unread, never written anywhere.
Members ReadTarball(const std::string& name, int descriptor, off_t size)
{
    if (size_t(size) > kMaxArchiveBytes) {
        TooLarge(name, kMaxArchiveBytes);
    }
    const std::unique_ptr<archive, ArchiveFree> owner(archive_read_new());
    archive* reader = owner.get();
    if (!reader) {
        throw std::bad_alloc();
    }
    archive_read_support_format_tar(reader);
    archive_read_support_filter_gzip(reader);
    archive_read_support_filter_xz(reader);
    archive_read_support_filter_lzip(reader);
    if (archive_read_open_fd(reader, descriptor, 65536) != ARCHIVE_OK) {
        Unreadable(name, reader);
    }
    Members members;
    std::optional<std::string> folder;  // where the first file zoneinf reads lies
    std::size_t count = 0, declared = 0, kept = 0;
    for (;;) {
        archive_entry* entry = nullptr;
        const int header = archive_read_next_header(reader, &entry);
        if (header == ARCHIVE_EOF) {
            break;
        }
        if (header != ARCHIVE_OK && header != ARCHIVE_WARN) {  // ARCHIVE_RETRY too: a damaged header
            Unreadable(name, reader);
        }
        if (++count > kMaxMembers) {
            throw UnreadableInput(name, Fill(_("over %1 members, more than any tzdata release has"),
                                             {std::to_string(kMaxMembers)}));
        }
        // Bounded before a byte of the member is read, skipped members too
        // (skipping a compressed member decompresses it).
        declared += archive_entry_size_is_set(entry) ? size_t(std::max<la_int64_t>(archive_entry_size(entry), 0)) : 0;
        if (declared > kMaxArchiveBytes || size_t(archive_filter_bytes(reader, 0)) > kMaxArchiveBytes) {
            TooLarge(name, kMaxArchiveBytes);
        }
        const char* pathname = archive_entry_pathname(entry);
        const std::string path = pathname ? pathname : "";
        const auto parts = PartsOf(path);
        if (!parts) {
            throw UnreadableInput(name, Fill(_("member '%1' has an unsafe name (absolute, or with '..')"), {path}));
        }
        const bool needed = !parts->empty() && parts->size() <= 2 && IsNeeded(parts->back());
        if (!needed) {
            if (const int skipped = archive_read_data_skip(reader); skipped != ARCHIVE_OK && skipped != ARCHIVE_WARN) {
                Unreadable(name, reader);
            }
            continue;
        }
        if (archive_entry_filetype(entry) != AE_IFREG || archive_entry_hardlink(entry) != nullptr) {
            NotRegular(name, path);
        }
        const std::string memberFolder = parts->size() == 2 ? parts->front() : "";
        if (folder && *folder != memberFolder) {
            throw UnreadableInput(name, Fill(_("member '%1' lies outside the folder of the other release files"), {path}));
        }
        folder = memberFolder;
        if (members.count(parts->back())) {
            throw UnreadableInput(name, Fill(_("member '%1' appears twice"), {path}));
        }
        std::string& bytes = members[parts->back()];
        char block[65536];
        for (;;) {
            const la_ssize_t read = archive_read_data(reader, block, sizeof block);
            if (read < 0) {
                Unreadable(name, reader);
            }
            if (read == 0) {
                break;
            }
            kept += size_t(read);
            if (kept > kMaxSourceBytes) {
                TooLarge(name, kMaxSourceBytes);
            }
            bytes.append(block, size_t(read));
        }
    }
    return members;
}

// The same files in a folder: regular files only, never a link followed.
Members ReadFolder(const std::string& name, int folder)
{
    Members members;
    std::size_t kept = 0;
    const auto read = [&](const std::string& file) {
        struct stat status;
        if (::fstatat(folder, file.c_str(), &status, AT_SYMLINK_NOFOLLOW) != 0) {
            if (errno == ENOENT) {
                return;
            }
            throw UnreadableInput(name, file + ": " + std::strerror(errno));
        }
        const int descriptor =
            S_ISREG(status.st_mode) ? ::openat(folder, file.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC) : -1;
        if (descriptor < 0 || ::fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode)) {
            if (descriptor >= 0) {
                ::close(descriptor);
            }
            NotRegular(name, file);
        }
        std::string bytes;
        if (!ReadAll(descriptor, bytes, kMaxSourceBytes - kept)) {
            const int error = errno;
            ::close(descriptor);
            throw UnreadableInput(name, file + ": " + std::strerror(error));
        }
        kept += bytes.size();
        if (kept > kMaxSourceBytes) {
            ::close(descriptor);
            TooLarge(name, kMaxSourceBytes);
        }
        ::close(descriptor);
        members[file] = std::move(bytes);
    };
    read("version");
    read("tzdata.zi");
    for (const char* data : kReleaseDataFiles) {
        read(data);
    }
    return members;
}

// `version`'s one line, its line end trimmed.
std::string ReleaseOf(const std::string& name, const Members& members)
{
    const auto version = members.find("version");
    if (version == members.end()) {
        throw UnreadableInput(name, _("no 'version' file: not a tzdata release"));
    }
    std::string release = version->second;
    if (release.size() >= 1 && release.back() == '\n') {
        release.pop_back();
        if (!release.empty() && release.back() == '\r') {
            release.pop_back();
        }
    }
    if (!IsTzdataRelease(release)) {
        throw UnreadableInput(name, Fill(_("'version' holds '%1', not a release name such as 2026f"),
                                         {release.substr(0, 40)}));
    }
    return release;
}

// A link of the source as tzdata.zi writes it, "L TARGET LINK", its
// comment dropped (backward's "Link Africa/Abidjan Iceland #= ..."); zic
// takes the keyword in any case and abbreviated. nullopt for other lines.
std::optional<std::string> LinkLine(const std::string& line)
{
    std::istringstream fields(line.substr(0, line.find('#')));
    std::string keyword, target, link, extra;
    if (line.empty() || line.front() == ' ' || line.front() == '\t' || !(fields >> keyword >> target >> link) ||
        (fields >> extra) || keyword.size() > 4) {
        return std::nullopt;
    }
    std::transform(keyword.begin(), keyword.end(), keyword.begin(), [](char c) { return char(c | 0x20); });
    return std::string("link").compare(0, keyword.size(), keyword) == 0 ? std::optional("L\t" + target + "\t" + link)
                                                                          : std::nullopt;
}

// tzdata.zi as Debian's tree has it: the release on its first line, then
// the source, links as "L TARGET LINK" lines (TzDatabase reads them).
std::string CombinedSource(const std::string& release, const std::vector<const std::string*>& sources)
{
    std::string combined = "# version " + release + "\n";
    for (const std::string* source : sources) {
        for (size_t start = 0; start < source->size();) {
            const size_t end = std::min(source->find('\n', start), source->size());
            std::string line = source->substr(start, end - start);
            start = end + 1;
            if (line.compare(0, 10, "# version ") == 0 && combined.size() == release.size() + 11) {
                continue;  // tzdata.zi's own first line
            }
            combined += LinkLine(line).value_or(line) + "\n";
        }
    }
    return combined;
}

// The compiled tree in memory: a zone and its links (zic's hard links)
// share their bytes, as the folder's names share a file.
class CompiledRelease final : public ZoneFiles {
public:
    using Files = std::map<std::string, std::shared_ptr<const std::string>>;
    CompiledRelease(std::string name, Files files) : name_(std::move(name)), files_(std::move(files)) {}

    std::string Name() const override { return name_; }
    std::optional<std::string> Read(const std::string& name) const override
    {
        const auto found = files_.find(name);
        return found == files_.end() ? std::nullopt : std::optional<std::string>(*found->second);
    }
    bool Has(const std::string& name) const override { return files_.count(name) != 0; }
    bool Same(const std::string& first, const std::string& second) const override
    {
        const auto a = files_.find(first), b = files_.find(second);
        return a != files_.end() && b != files_.end() && a->second == b->second;
    }
    // tzdata.zi's links name the current zones.
    std::string LinkTarget(const std::string& name) const override { return name; }

private:
    std::string name_;
    Files files_;
};

// Every regular file zic made, bounded in number and bytes.
CompiledRelease::Files ReadTree(const std::string& name, const std::string& tree)
{
    CompiledRelease::Files files;
    std::map<std::pair<dev_t, ino_t>, std::shared_ptr<const std::string>> seen;
    std::size_t bytes = 0;
    std::error_code error;
    for (fs::recursive_directory_iterator entry(tree, error), end; !error && entry != end; entry.increment(error)) {
        if (!entry->is_regular_file(error) || entry->is_symlink(error)) {
            continue;
        }
        if (files.size() == kMaxTreeFiles) {
            throw UnreadableInput(name, Fill(_("zic made over %1 files, more than any tzdata release has"),
                                             {std::to_string(kMaxTreeFiles)}));
        }
        const int descriptor = ::open(entry->path().c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
        struct stat status;
        if (descriptor < 0 || ::fstat(descriptor, &status) != 0) {
            throw UnreadableInput(Utf8FromPath(entry->path()), std::strerror(errno));
        }
        std::shared_ptr<const std::string>& shared = seen[{status.st_dev, status.st_ino}];
        if (!shared) {
            bytes += size_t(status.st_size);
            if (bytes > kMaxTreeBytes) {
                ::close(descriptor);
                TooLarge(name, kMaxTreeBytes);
            }
            std::string content;
            if (!ReadAll(descriptor, content, size_t(status.st_size))) {
                const int error = errno;
                ::close(descriptor);
                throw UnreadableInput(Utf8FromPath(entry->path()), std::strerror(error));
            }
            shared = std::make_shared<const std::string>(std::move(content));
        }
        ::close(descriptor);
        files[entry->path().lexically_relative(tree).generic_string()] = shared;
    }
    if (error) {
        throw UnreadableInput(tree, error.message());
    }
    return files;
}

// What zic said, for one line of a message: the private folder's path
// left out of the file names it gives, its last line end dropped.
std::string ZicSaid(std::string said, const std::string& sourceFolder)
{
    for (size_t at; (at = said.find(sourceFolder)) != std::string::npos;) {
        said.erase(at, sourceFolder.size());
    }
    while (!said.empty() && (said.back() == '\n' || said.back() == '\r')) {
        said.pop_back();
    }
    return said;
}

struct DescriptorCloser {
    int descriptor;
    ~DescriptorCloser() { ::close(descriptor); }
};

}  // namespace

std::shared_ptr<const ZoneFiles> CompileTzdataSource(const std::string& name)
{
    const int descriptor = ::open(name.c_str(), O_RDONLY | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
    if (descriptor < 0) {
        throw UnreadableInput(name, Fill(_("cannot read: %1"), {std::strerror(errno)}));
    }
    const DescriptorCloser closer{descriptor};
    struct stat status;
    if (::fstat(descriptor, &status) != 0) {
        throw UnreadableInput(name, Fill(_("cannot read: %1"), {std::strerror(errno)}));
    }
    Members members;
    if (S_ISDIR(status.st_mode)) {
        members = ReadFolder(name, descriptor);
    } else if (S_ISREG(status.st_mode) && ::fcntl(descriptor, F_SETFL, 0) == 0) {
        members = ReadTarball(name, descriptor, status.st_size);
    } else {
        throw UnreadableInput(name, _("neither a tarball nor a folder of a tzdata release"));
    }
    const std::string release = ReleaseOf(name, members);

    // The region files; tzdata.zi alone when there are none.
    std::vector<std::string> sources;
    for (const char* data : kReleaseDataFiles) {
        if (members.count(data)) {
            sources.emplace_back(data);
        }
    }
    if (sources.empty() && members.count("tzdata.zi")) {
        sources.emplace_back("tzdata.zi");
    }
    if (sources.empty()) {
        throw UnreadableInput(name, _("no data files (africa, europe... or tzdata.zi): not a tzdata release"));
    }

    const PrivateFolder folder;
    folder.MakeFolder("source");
    std::vector<std::string> arguments{"-b", "fat", "-d", folder.Path() + "/tree"};
    std::vector<const std::string*> texts;
    for (const std::string& source : sources) {
        folder.WriteFile("source/" + source, members[source]);
        arguments.push_back(folder.Path() + "/source/" + source);
        texts.push_back(&members[source]);
    }
    const PrivateFolder::Outcome zic = folder.Run(ZONEINF_ZIC, arguments, kZicTimeLimit, kZicMessageBytes);
    const std::string said = ZicSaid(zic.output, folder.Path() + "/source/");
    if (zic.timedOut) {
        throw UnreadableInput(name, Fill(_("zic ran over %1 seconds and was stopped"),
                                         {std::to_string(kZicTimeLimit.count())}));
    }
    const int ended = zic.waitStatus;
    if (ended == -1 || !WIFEXITED(ended) || WEXITSTATUS(ended) != 0) {
        const std::string how = ended == -1         ? std::string("?")
                                : WIFEXITED(ended) ? Fill(_("status %1"), {std::to_string(WEXITSTATUS(ended))})
                                                   : Fill(_("signal %1"), {std::to_string(WTERMSIG(ended))});
        throw UnreadableInput(name, Fill(_("zic failed (%1): %2"), {how, said}));
    }
    CompiledRelease::Files files = ReadTree(name, folder.Path() + "/tree");
    if (files.empty()) {
        throw UnreadableInput(name, _("no zone in the data files"));
    }
    files["tzdata.zi"] = std::make_shared<const std::string>(CombinedSource(release, texts));
    return std::make_shared<CompiledRelease>(name, std::move(files));
}

void RequireTzdataSourceSupport()
{
}

}  // namespace zoneinf
