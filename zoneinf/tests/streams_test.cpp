// zoneinf against hostile names and streams: names that would forge report
// lines, -o onto open descriptors, pipes, sockets and FIFOs, signals during
// the write, and a fleet check under a memory limit. Every node is made in
// the test's own scratch folder.
#include "test_support.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

namespace zoneinf {
namespace {

// A word for sh -c, whatever bytes it holds.
std::string Quoted(const std::string& word)
{
    std::string quoted = "'";
    for (const char c : word) {
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return quoted + "'";
}

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);) {
        lines.push_back(line);
    }
    return lines;
}

// Each name written by -o, then checked next to a clean file: the INF's
// head names it only where cmd runs the command it shows as it stands,
// its lines carry the escaped name as their prefix, nothing else, and the
// one summary is the run's.
TEST(HostileInput, NamesCannotForgeReportLines)
{
    const auto folder = testing::ScratchFolder("names");
    const std::string clean = (folder / "clean.inf").string();
    ASSERT_EQ(testing::RunOnTestDatabase("Europe/Paris -o " + clean).status, 0);
    const std::string forged = "\n2 files: 2 checked, 0 unreadable, 0 with zones that differ\n";
    const struct {
        std::string name;
        std::string shown;
        std::string command;  // the name as the head's example command gives it
    } cases[] = {
        {"a" + forged + "b", "a\\n2 files: 2 checked, 0 unreadable, 0 with zones that differ\\nb", "zones.inf"},
        {"esc\x1b[2J", "esc\\x1b[2J", "zones.inf"},
        {"cr\rline", "cr\\x0dline", "zones.inf"},
        {"bad\xff\xfe", "bad\\xff\\xfe", "zones.inf"},
        {"c1\xc2\x9b", "c1\\u{009b}", "zones.inf"},
        {"back\\nslash\\", "back\\\\nslash\\", "zones.inf"},
        {"C:\\Temp\\a", "C:\\Temp\\a", "zones.inf"},
        // cmd's own characters: quoted, never a second command.
        {"fix.inf&echo.INJECTED|x^(y)<z>", "fix.inf&echo.INJECTED|x^(y)<z>", "\"fix.inf&echo.INJECTED|x^(y)<z>\""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.shown);
        const std::string hostile = (folder / c.name).string();
        ASSERT_EQ(testing::RunOnTestDatabase("Europe/Paris -o " + Quoted(hostile)).status, 0);
        EXPECT_NE(testing::ReadBytes(hostile).find(".\\zonechange.exe /i " + c.command + " /z \"%z\"\r\n"),
                  std::string::npos);
        const testing::Run run = testing::RunOnTestDatabase("--check " + clean + " " + Quoted(hostile));
        EXPECT_EQ(run.status, 0) << run.errors;
        const std::string prefix = folder.string() + "/" + c.shown + ": ";
        int summaries = 0, hostileLines = 0;
        for (const std::string& line : Lines(run.output)) {
            if (line.rfind(prefix, 0) == 0) {
                ++hostileLines;
            } else if (line.rfind(clean + ": ", 0) != 0) {
                EXPECT_EQ(line.rfind("2 files: 2 checked, 0 unreadable, 0 with zones that differ, ", 0), 0u) << line;
                ++summaries;
            }
        }
        EXPECT_EQ(summaries, 1) << run.output;
        EXPECT_EQ(hostileLines, 2) << run.output;  // definitions applied, counts

        // The same name missing: one line of stderr, escaped alike.
        std::filesystem::remove(hostile);
        const testing::Run missing = testing::RunOnTestDatabase("--check " + clean + " " + Quoted(hostile));
        EXPECT_EQ(missing.status, 3);
        EXPECT_NE(missing.errors.find("zoneinf: " + prefix + "cannot read"), std::string::npos) << missing.errors;
        EXPECT_EQ(missing.errors.find("\n2 files"), std::string::npos);
        EXPECT_EQ(missing.errors.find('\x1b'), std::string::npos);
        EXPECT_EQ(missing.errors.find('\r'), std::string::npos);
    }
}

// -o onto what a descriptor is, and FIFOs nobody is on the other end of:
// refused at once (timeout's 124 would say the run hung).
TEST(HostileInput, OutputOntoStreams)
{
    const auto folder = testing::ScratchFolder("streams");
    const auto at = [&](const std::string& name) { return (folder / name).string(); };
    const std::string zoneinf = "timeout 20 " + testing::ZoneinfCommand();
    const std::string inf = testing::Body(testing::RunZoneinf("UTC").output);
    ASSERT_FALSE(inf.empty());
    ASSERT_EQ(::mkfifo(at("fifo").c_str(), 0600), 0);
    std::ofstream(at("kept")) << "old\n";
    std::ofstream(at("stdin.inf")) << "old\n";

    const struct {
        std::string command;  // run by sh in the scratch folder
        int status;
        std::string file;  // what it wrote to, read afterwards
        std::string before;  // what must precede the INF there
    } cases[] = {
        {zoneinf + " UTC -o /dev/stdout >>kept", 0, "kept", "old\n"},
        {zoneinf + " UTC -o /dev/stderr 2>>kept", 0, "kept", "old\n"},
        {zoneinf + " UTC -o /dev/fd/3 3>fd3", 0, "fd3", ""},
        {zoneinf + " UTC -o /proc/self/fd/1 | cat >piped", 0, "piped", ""},
        {zoneinf + " UTC -o /dev/stdout <>stdin.inf 1>&0", 0, "stdin.inf", ""},
        {"ln -s /dev/stdout out; " + zoneinf + " UTC -o out >>kept", 0, "kept", "old\n"},
        {zoneinf + " UTC -o fifo", 5, "", ""},
        {zoneinf + " --check fifo", 3, "", ""},
        {zoneinf + " UTC -o /dev/fd/9", 5, "", ""},
        {zoneinf + " UTC -o ''", 2, "", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.command);
        std::ofstream(at("kept")) << "old\n";
        std::filesystem::remove(at("out"));
        struct stat before {};
        ::stat(at("kept").c_str(), &before);
        const int status = std::system(("cd " + folder.string() + " && sh -c " + Quoted(c.command) + " 2>/dev/null")
                                           .c_str());
        EXPECT_EQ(WEXITSTATUS(status), c.status);
        if (!c.file.empty()) {
            const std::string written = testing::ReadBytes(at(c.file));
            EXPECT_EQ(written.substr(0, c.before.size()), c.before);
            EXPECT_TRUE(testing::Body(written.substr(c.before.size())) == inf) << "the INF, whole, in " << c.file;
        }
        struct stat after {};
        ::stat(at("kept").c_str(), &after);
        EXPECT_EQ(after.st_ino, before.st_ino) << "kept is written to, never replaced";
    }

    // A socket as standard output.
    int ends[2];
    ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM, 0, ends), 0);
    const pid_t child = ::fork();
    if (child == 0) {
        ::dup2(ends[1], STDOUT_FILENO);
        ::close(ends[0]);
        const std::string command = testing::ZoneinfCommand() + " UTC -o /dev/stdout";
        ::execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::close(ends[1]);
    std::string received;
    char buffer[4096];
    for (ssize_t count; (count = ::read(ends[0], buffer, sizeof buffer)) > 0;) {
        received.append(buffer, size_t(count));
    }
    ::close(ends[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_TRUE(testing::Body(received) == inf) << "the INF, whole, through the socket";
}

// A signal as the output is made whole (strace stops the run at its fsync,
// when the temporary file exists): no temporary file is left, and a signal
// the run was started with ignored, as under nohup, lets it finish.
TEST(HostileInput, SignalsDuringTheWrite)
{
    if (std::system("command -v strace >/dev/null") != 0) {
        GTEST_SKIP() << "strace is not installed: it stops the run at the moment the temporary file exists";
    }
    const auto folder = testing::ScratchFolder("signals");
    const std::string target = (folder / "zones.inf").string();
    const struct {
        const char* signal;
        const char* ignored;  // trap "" SIGNAL before the run
        bool written;
    } cases[] = {
        {"SIGUSR1", "", false}, {"SIGUSR2", "", false}, {"SIGALRM", "", false},  {"SIGPIPE", "", false},
        {"SIGXCPU", "", false}, {"SIGVTALRM", "", false}, {"SIGTERM", "", false}, {"SIGINT", "", false},
        {"SIGHUP", "", false},  {"SIGHUP", "HUP", true},
        {"SIGUSR1", "USR1", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.signal) + (*c.ignored ? " ignored" : ""));
        std::filesystem::remove(target);
        const std::string command = "trap '' " + std::string(*c.ignored ? c.ignored : "URG") +
                                    "; exec env ASAN_OPTIONS=detect_leaks=0 strace -qq -o " + (folder / "strace.log").string() + " -e trace=fsync -e inject=fsync:signal=" + c.signal +
                                    " " + testing::ZoneinfCommand() + " UTC -o " + target;
        const int status = std::system(("sh -c " + Quoted(command)).c_str());
        EXPECT_EQ(status == 0, c.written);
        EXPECT_EQ(std::filesystem::exists(target), c.written);
        for (const auto& entry : std::filesystem::directory_iterator(folder)) {
            EXPECT_NE(entry.path().filename().string().rfind(".zoneinf-", 0), 0u) << "a temporary file left";
        }
    }
}

}  // namespace
}  // namespace zoneinf
