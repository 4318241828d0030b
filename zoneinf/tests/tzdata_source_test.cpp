// --tzdata-source: a release's tarball or folder compiled with zic gives
// the INF the compiled tree gives, and anything else is refused whole.
#include "test_support.h"

#include <gtest/gtest.h>

#include <archive.h>
#include <archive_entry.h>

#include <algorithm>
#include <fstream>
#include <sys/stat.h>

namespace zoneinf {
namespace {

namespace fs = std::filesystem;

struct Member {
    Member(std::string path, std::string bytes, mode_t type = AE_IFREG, std::string link = "")
        : path(std::move(path)), bytes(std::move(bytes)), type(type), link(std::move(link))
    {
    }
    std::string path;
    std::string bytes;
    mode_t type;
    std::string link;  // a symbolic link's target, or a hard link's member
};

// Written with libarchive, so that members can be what no file system
// would hand tar: absolute, climbing, devices, thousands of them.
void WriteTarball(const fs::path& file, const std::vector<Member>& members, int filter = ARCHIVE_FILTER_GZIP)
{
    archive* writer = archive_write_new();
    archive_write_set_format_pax_restricted(writer);
    archive_write_add_filter(writer, filter);
    ASSERT_EQ(archive_write_open_filename(writer, file.c_str()), ARCHIVE_OK) << archive_error_string(writer);
    for (const Member& member : members) {
        archive_entry* entry = archive_entry_new();
        archive_entry_set_pathname(entry, member.path.c_str());
        archive_entry_set_filetype(entry, member.type);
        archive_entry_set_perm(entry, 0644);
        archive_entry_set_size(entry, la_int64_t(member.bytes.size()));
        if (member.type == AE_IFLNK) {
            archive_entry_set_symlink(entry, member.link.c_str());
        } else if (!member.link.empty()) {
            archive_entry_set_hardlink(entry, member.link.c_str());
        }
        ASSERT_EQ(archive_write_header(writer, entry), ARCHIVE_OK) << archive_error_string(writer);
        if (!member.bytes.empty()) {
            archive_write_data(writer, member.bytes.data(), member.bytes.size());
        }
        archive_entry_free(entry);
    }
    ASSERT_EQ(archive_write_close(writer), ARCHIVE_OK);
    archive_write_free(writer);
}

// The tests' own release, its zones as one region file, each link with a
// comment as IANA's backward has some ("#= Atlantic/Reykjavik").
std::string TestZones()
{
    std::string zones = testing::ReadBytes(fs::path(ZONEINF_SOURCE_DIR) / "tests/data/tzsource/zones");
    for (size_t at = 0; (at = zones.find("\nLink\t", at)) != std::string::npos;) {
        at = std::min(zones.find('\n', at + 1), zones.size());
        zones.insert(at, "\t#= an old name");
    }
    return zones;
}

std::string Replaced(std::string text, const std::string& from, const std::string& to)
{
    for (size_t at = 0; (at = text.find(from, at)) != std::string::npos; at += to.size()) {
        text.replace(at, from.size(), to);
    }
    return text;
}

const std::string kMapping = " --windows-zones " ZONEINF_TEST_MAPPING;

// Each layout IANA or Debian hands out gives, byte for byte, the INF of the
// tree the build compiled from the same source, its release named as the
// release's own `version` says.
TEST(TzdataSource, ReleaseLayoutsGiveTheCompiledTreesInf)
{
    const fs::path folder = testing::ScratchFolder("layouts");
    const std::string release = "2000a";
    const std::string compiledSource = testing::ReadBytes(fs::path(ZONEINF_TEST_DATABASE) / "tzdata.zi");
    ASSERT_NE(compiledSource.find("\nL\t"), std::string::npos) << "the test needs a source with links";

    fs::create_directories(folder / "expected");
    const testing::Run made = testing::RunOnTestDatabase("--all --approximate -o " + (folder / "expected/zones.inf").string());
    ASSERT_EQ(made.status, 0) << made.errors;
    const std::string expected =
        Replaced(testing::ReadBytes(folder / "expected/zones.inf"), testing::TestDatabase().Version(), release);
    ASSERT_NE(expected.find(" from tzdata " + release + " "), std::string::npos);

    const std::vector<Member> regionFiles = {{"version", release + "\n"}, {"northamerica", TestZones()},
                                             {"NEWS", "not read"}, {"backzone", "Zone Not/Read 0 - X\n"}};
    fs::create_directories(folder / "unpacked");
    for (const Member& member : regionFiles) {
        std::ofstream(folder / "unpacked" / member.path, std::ios::binary) << member.bytes;
    }
    std::vector<Member> underOneFolder;
    for (const Member& member : regionFiles) {
        underOneFolder.push_back({"./tzdb-" + release + "/" + member.path, member.bytes});
    }
    const struct {
        std::string name;
        std::vector<Member> members;
        int filter;
    } layouts[] = {
        {"tzdata.tar.gz", regionFiles, ARCHIVE_FILTER_GZIP},
        {"tzdb.tar.lz", underOneFolder, ARCHIVE_FILTER_LZIP},
        {"tzdb.tar.xz", underOneFolder, ARCHIVE_FILTER_XZ},
        // tzdata.zi, its own release line and "L" links, with a version file.
        {"zi.tar", {{"version", release + "\r\n"}, {"tzdata.zi", compiledSource}}, ARCHIVE_FILTER_NONE},
        {"unpacked", {}, 0},
    };
    for (const auto& layout : layouts) {
        SCOPED_TRACE(layout.name);
        const fs::path source = folder / layout.name;
        if (layout.filter || !layout.members.empty()) {
            WriteTarball(source, layout.members, layout.filter);
        }
        const fs::path output = folder / (layout.name + "-inf") / "zones.inf";
        fs::create_directories(output.parent_path());
        const testing::Run run =
            testing::RunZoneinfAlone("--tzdata-source " + source.string() + kMapping + " --all --approximate -o " + output.string());
        ASSERT_EQ(run.status, 0) << run.errors;
        EXPECT_TRUE(testing::ReadBytes(output) == expected) << "the INF differs from the compiled tree's";
        const testing::Run version = testing::RunZoneinfAlone("--tzdata-source " + source.string() + " --version");
        EXPECT_NE(version.output.find("\ntzdata " + release + " (" + source.string() + ")\n"), std::string::npos)
            << version.output;
    }
}

// Anything but a release: one line naming the source, status 3, no INF,
// and nothing left in the temporary folder or outside it.
TEST(TzdataSource, HostileSourcesAreRefusedWhole)
{
    const fs::path folder = testing::ScratchFolder("hostile");
    const std::string version = "2026f\n";
    const std::string zone = "Zone\tEtc/Test\t0\t-\tUTC\n";
    std::vector<Member> manyMembers = {{"version", version}, {"etcetera", zone}};
    for (int i = 0; i < 10000; ++i) {
        manyMembers.push_back({"f" + std::to_string(i), ""});
    }
    const std::string large(65 << 20, '\0');
    const struct {
        std::string name;
        std::vector<Member> members;
        std::string inErrors;
    } cases[] = {
        {"absolute", {{"version", version}, {"/etc/zoneinf-test/etcetera", zone}}, "unsafe name"},
        {"climbing", {{"version", version}, {"../etcetera", zone}}, "member '../etcetera' has an unsafe name"},
        {"climbing-within", {{"version", version}, {"tzdb/../../x", zone}}, "unsafe name"},
        {"symlink", {{"version", version}, {"etcetera", "", AE_IFLNK, "/etc/passwd"}}, "'etcetera' is not a regular file"},
        {"hardlink", {{"version", version}, {"etcetera", "", AE_IFREG, "version"}}, "'etcetera' is not a regular file"},
        {"device", {{"version", version}, {"etcetera", "", AE_IFCHR}}, "'etcetera' is not a regular file"},
        {"folder", {{"version", version}, {"etcetera/", "", AE_IFDIR}}, "'etcetera/' is not a regular file"},
        {"fifo", {{"version", "", AE_IFIFO}, {"etcetera", zone}}, "'version' is not a regular file"},
        {"twice", {{"version", version}, {"etcetera", zone}, {"./etcetera", zone}}, "member './etcetera' appears twice"},
        {"two-folders", {{"a/version", version}, {"b/etcetera", zone}}, "outside the folder"},
        {"no-version", {{"etcetera", zone}}, "no 'version' file"},
        {"bad-version", {{"version", "2026f\nrm -rf /\n"}, {"etcetera", zone}}, "'version' holds '2026f\\nrm -rf /'"},
        {"upper-case-version", {{"version", "2026F"}, {"etcetera", zone}}, "not a release name"},
        {"no-data", {{"version", version}, {"backzone", zone}, {"tzdb/sub/etcetera", zone}}, "no data files"},
        {"too-large", {{"version", version}, {"etcetera", zone}, {"NEWS", large}}, "over 64 MiB"},
        {"too-many", manyMembers, "over 10000 members"},
        {"zic-fails", {{"version", version}, {"etcetera", "Zone\tEtc/Test\t0\tNoSuchRule\tUTC\n"}}, "zic failed (status 1): "},
        // zic itself refuses a name that would climb out of its folder.
        {"zone-climbs", {{"version", version}, {"etcetera", "Zone\t../../../escaped\t0\t-\tUTC\n"}}, "zic failed"},
        {"not-a-tarball", {}, "not a readable tarball"},
        {"truncated", {}, "not a readable tarball"},
        {"corrupt", {}, "not a readable tarball"},
    };
    // The compressed streams cut short and damaged: a release with
    // members large enough that the cut falls inside the data.
    std::string filler;
    for (int i = 0; filler.size() < 200000; ++i) {
        filler += "# comment " + std::to_string(i * 7919 % 100003) + "\n";
    }
    WriteTarball(folder / "whole.tar.gz", {{"version", version}, {"etcetera", filler + zone}, {"NEWS", filler}});
    const std::string whole = testing::ReadBytes(folder / "whole.tar.gz");
    std::string damaged = whole;
    for (size_t at = damaged.size() / 3; at < damaged.size() / 3 + 64; ++at) {
        damaged[at] = char(~damaged[at]);
    }

    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const fs::path source = folder / (c.name + ".tar.gz");
        if (c.name == "not-a-tarball") {
            std::ofstream(source) << "version 2026f\n";
        } else if (c.name == "truncated") {
            std::ofstream(source, std::ios::binary) << whole.substr(0, whole.size() / 2);
        } else if (c.name == "corrupt") {
            std::ofstream(source, std::ios::binary) << damaged;
        } else {
            WriteTarball(source, c.members);
        }
        const fs::path temporary = folder / (c.name + "-tmp");
        fs::create_directories(temporary / "a/b/c");
        const fs::path output = temporary / "zones.inf";
        const testing::Run run = testing::RunZoneinfAlone(
            "--tzdata-source " + source.string() + " UTC -o " + output.string(), "LC_ALL=C TMPDIR=" + (temporary / "a/b/c").string());
        EXPECT_EQ(run.status, 3) << run.errors;
        EXPECT_EQ(run.errors.rfind("zoneinf: " + source.string() + ": ", 0), 0u) << run.errors;
        EXPECT_NE(run.errors.find(c.inErrors), std::string::npos) << run.errors;
        EXPECT_EQ(std::count(run.errors.begin(), run.errors.end(), '\n'), 1) << run.errors;
        EXPECT_FALSE(fs::exists(output));
        EXPECT_TRUE(fs::is_empty(temporary / "a/b/c")) << "the private folder is left behind";
        EXPECT_EQ(std::distance(fs::recursive_directory_iterator(temporary), fs::recursive_directory_iterator()), 3)
            << "something was written beside the private folder";
    }

    // A folder: the same rules, and no link followed.
    const fs::path unpacked = folder / "unpacked";
    fs::create_directories(unpacked);
    std::ofstream(unpacked / "version") << version;
    std::ofstream(folder / "outside") << zone;
    fs::create_symlink(folder / "outside", unpacked / "etcetera");
    const testing::Run run = testing::RunZoneinfAlone("--tzdata-source " + unpacked.string() + " UTC");
    EXPECT_EQ(run.status, 3);
    EXPECT_EQ(run.errors, "zoneinf: " + unpacked.string() + ": 'etcetera' is not a regular file\n");
    const fs::path fifoPath = folder / "fifo";
    ASSERT_EQ(::mkfifo(fifoPath.c_str(), 0600), 0);
    const testing::Run fifo = testing::RunZoneinfAlone("--tzdata-source " + fifoPath.string() + " UTC");
    EXPECT_EQ(fifo.status, 3);
    EXPECT_EQ(fifo.errors, "zoneinf: " + fifoPath.string() + ": neither a tarball nor a folder of a tzdata release\n");
}

}  // namespace
}  // namespace zoneinf
