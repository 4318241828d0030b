#include "test_support.h"

#include "base/text_decoder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

namespace zoneinf::testing {

Instant At(const std::string& text)
{
    using namespace std::chrono;
    const int y = std::stoi(text.substr(0, 4));
    const unsigned m = unsigned(std::stoi(text.substr(5, 2)));
    const unsigned d = unsigned(std::stoi(text.substr(8, 2)));
    const auto time = hours{std::stoi(text.substr(11, 2))} + minutes{std::stoi(text.substr(14, 2))} +
                      seconds{std::stoi(text.substr(17, 2))};
    return sys_days{year{y} / month{m} / day{d}} + time;
}

const std::string& WineExport()
{
    static const std::string bytes = ReadBytes(kWineExportFile);
    return bytes;
}

std::string TextOf(const std::string& bytes)
{
    if (bytes.rfind("\xFF\xFE", 0) != 0) {
        return bytes;
    }
    return Utf8FromUtf16Le(std::vector<std::uint8_t>(bytes.begin() + 2, bytes.end()));
}

std::string Utf16File(const std::string& text, bool byteOrderMark)
{
    const std::vector<std::uint8_t> units = Utf16LeFromUtf8(text);
    return (byteOrderMark ? "\xFF\xFE" : "") + std::string(units.begin(), units.end() - 2);
}

std::string Body(const std::string& inf)
{
    return inf.substr(std::min(inf.size(), inf.find("[Version]")));
}

namespace {

// The process's scratch folders, removed when the test program ends.
struct ScratchRoot {
    std::filesystem::path path =
        std::filesystem::temp_directory_path() / ("zoneinf-tests-" + std::to_string(::getpid()));
    ~ScratchRoot()
    {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
};

const std::filesystem::path& ScratchRootPath()
{
    static const ScratchRoot root;
    return root.path;
}

}  // namespace

std::filesystem::path ScratchFolder(const std::string& name)
{
    // One folder per test: CTest runs the tests in parallel processes.
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    const std::string owner = test ? std::string(test->test_suite_name()) + "." + test->name() : "none";
    const std::filesystem::path folder = ScratchRootPath() / owner / name;
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    return folder;
}

std::string ReadBytes(const std::filesystem::path& path)
{
    std::ifstream file(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
}

void WriteBytes(const std::filesystem::path& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

const std::string& SystemZoneinfo()
{
    static const std::string folder = [] {
        const char* chosen = std::getenv("ZONEINF_TEST_SYSTEM_ZONEINFO");
        return std::string(chosen && *chosen ? chosen : TzDatabase::kSystemFolder);
    }();
    return folder;
}

namespace {

Run RunCommand(const std::string& zoneinf, const std::string& arguments, const std::string& environment)
{
    const auto folder = ScratchFolder("run");
    const std::string out = (folder / "out").string(), err = (folder / "err").string();
    const std::string command = "env -u LANGUAGE -u LC_ALL -u LC_MESSAGES -u LANG ZONEINF_TEST_YEAR=" +
                                std::to_string(kTestYear) + " " + environment + " " + zoneinf + " " + arguments + " >" +
                                out + " 2>" + err;
    Run run;
    const int status = std::system(command.c_str());
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.output = ReadBytes(out);
    run.errors = ReadBytes(err);
    return run;
}

}  // namespace

std::string ZoneinfCommand()
{
    const bool chosen = SystemZoneinfo() != TzDatabase::kSystemFolder;
    return std::string(ZONEINF_BINARY) + (chosen ? " --zoneinfo \"" + SystemZoneinfo() + "\"" : "");
}

Run RunZoneinf(const std::string& arguments, const std::string& environment)
{
    return RunCommand(ZoneinfCommand(), arguments, environment);
}

Run RunOnTestDatabase(const std::string& arguments, const std::string& environment)
{
    return RunCommand(ZONEINF_BINARY " --zoneinfo " ZONEINF_TEST_DATABASE " --windows-zones " ZONEINF_TEST_MAPPING,
                      arguments, environment);
}

void ExpectInErrors(const Run& run, const std::string& expected)
{
    if (!expected.empty()) {
        EXPECT_NE(run.errors.find(expected), std::string::npos) << run.errors;
        return;
    }
    std::istringstream lines(run.errors);
    for (std::string line; std::getline(lines, line);) {
        EXPECT_TRUE(line.starts_with("zoneinf: shared key ") || line.starts_with("zoneinf: approximated ") ||
                    line.starts_with("zoneinf: la clave compartida ") || line.starts_with("zoneinf: aproximado "))
            << "not a note: " << line;
    }
}

Run RunZoneinfAlone(const std::string& arguments, const std::string& environment)
{
    return RunCommand(ZONEINF_BINARY, arguments, environment);
}

}  // namespace zoneinf::testing
