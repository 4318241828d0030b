// The run sequence against the fake platform: compositions, limits,
// refusals, stage order, exit status and the one message.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "fake_platform.h"
#include "platform_operations.h"
#include "zone_change.h"

namespace {

const char kToolPath[] = "C:\\Apps\\Zone\\tool.exe";
const char kToolDirectory[] = "C:\\Apps\\Zone\\";

struct RunResult {
    ExitStatus status;
    std::string standardOutput;
    std::string standardError;
};

RunResult RunTool(std::vector<std::string> arguments)
{
    std::vector<char*> vector;
    for (std::string& argument : arguments) {
        vector.push_back(&argument[0]);
    }
    vector.push_back(nullptr);
    char* environment[] = {nullptr};

    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    const ExitStatus status =
        RunZoneChange(static_cast<int>(arguments.size()), vector.data(), environment);
    std::string error = testing::internal::GetCapturedStderr();
    std::string output = testing::internal::GetCapturedStdout();
    return {status, output, error};
}

RunResult RunWith(const std::string& infFile, const std::string& zoneName)
{
    return RunTool({"tool.exe", "/i", infFile, "/z", zoneName});
}

// A directory of exactly the given length, ending in a backslash.
std::string DirectoryOfLength(std::size_t length)
{
    std::string directory = "C:\\";
    directory.append(length - 4, 'd');
    return directory + "\\";
}

void ExpectRefusedWithoutStages(const RunResult& result, ExitStatus status)
{
    EXPECT_EQ(result.status, status);
    EXPECT_TRUE(result.standardOutput.empty());
    // One short line on standard error.
    ASSERT_FALSE(result.standardError.empty());
    EXPECT_EQ(result.standardError.find('\n'), result.standardError.size() - 1);
    EXPECT_EQ(result.standardError.find("Error al cambiar"), std::string::npos);
    EXPECT_EQ(std::string(fakePlatform.calls).find_first_of("IL"), std::string::npos)
        << "calls: " << fakePlatform.calls;
}

TEST(Composition, BuildsInfPathAndCommandLineFromProgramDirectory)
{
    struct Case {
        const char* modulePath;
        const char* infFile;
        const char* zoneName;
        const char* expectedInfPath;
        const char* expectedCommandLine;
    };
    const Case cases[] = {
        {kToolPath, "zona.inf", "Romance Standard Time", "C:\\Apps\\Zone\\zona.inf",
         "C:\\Apps\\Zone\\settz.exe /q /s \"Romance Standard Time\""},
        {kToolPath, "zona.inf", "", "C:\\Apps\\Zone\\zona.inf",
         "C:\\Apps\\Zone\\settz.exe /q /s \"\""},
        {kToolPath, "", "UTC", "C:\\Apps\\Zone\\", "C:\\Apps\\Zone\\settz.exe /q /s \"UTC\""},
        {kToolPath, "zona.inf", "a\"b", "C:\\Apps\\Zone\\zona.inf",
         "C:\\Apps\\Zone\\settz.exe /q /s \"a\"b\""},
        // Appended byte for byte: no trimming, no separator, no escaping.
        {kToolPath, "D:\\otra\\zona.inf", " x\\ ", "C:\\Apps\\Zone\\D:\\otra\\zona.inf",
         "C:\\Apps\\Zone\\settz.exe /q /s \" x\\ \""},
        // A forward slash does not separate.
        {"C:\\Apps/Zone/tool.exe", "z.inf", "UTC", "C:\\z.inf", "C:\\settz.exe /q /s \"UTC\""},
        {"\\\\srv\\share\\tool.exe", "z.inf", "UTC", "\\\\srv\\share\\z.inf",
         "\\\\srv\\share\\settz.exe /q /s \"UTC\""},
        {"C:\\Program Files\\Zona\\tool.exe", "z.inf", "W. Europe Standard Time",
         "C:\\Program Files\\Zona\\z.inf",
         "C:\\Program Files\\Zona\\settz.exe /q /s \"W. Europe Standard Time\""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.modulePath) + " | " + c.infFile + " | " + c.zoneName);
        ResetFakePlatform(c.modulePath);
        const RunResult result = RunWith(c.infFile, c.zoneName);
        EXPECT_EQ(result.status, kExitSuccess);
        EXPECT_STREQ(fakePlatform.infPathSeen.text, c.expectedInfPath);
        EXPECT_STREQ(fakePlatform.commandLineSeen.text, c.expectedCommandLine);
        // The program started is exactly the one the command line names.
        EXPECT_EQ(std::string(fakePlatform.zoneSetterPathSeen.text) + " /q /s \"",
                  std::string(c.expectedCommandLine)
                      .substr(0, std::strlen(fakePlatform.zoneSetterPathSeen.text) + 8));
        EXPECT_STREQ(fakePlatform.calls, "QIL");
        EXPECT_EQ(result.standardOutput, "");
        EXPECT_EQ(result.standardError, "");
    }
}

TEST(Composition, IgnoresPositionsOneAndThreeAndExtraArguments)
{
    const std::vector<std::vector<std::string>> vectors = {
        {"tool.exe", "", "zona.inf", "", "UTC"},
        {"x", "anything at all", "zona.inf", "\"", "UTC", "extra", "more"},
        {"", "*", "zona.inf", "?", "UTC"},
    };
    for (const auto& arguments : vectors) {
        ResetFakePlatform(kToolPath);
        const RunResult result = RunTool(arguments);
        EXPECT_EQ(result.status, kExitSuccess);
        EXPECT_STREQ(fakePlatform.infPathSeen.text, "C:\\Apps\\Zone\\zona.inf");
        EXPECT_STREQ(fakePlatform.commandLineSeen.text,
                     "C:\\Apps\\Zone\\settz.exe /q /s \"UTC\"");
    }
}

TEST(Limits, AcceptsUpToTheBoundaryAndRefusesOnePast)
{
    const std::size_t directoryLength = 40;
    const std::string directory = DirectoryOfLength(directoryLength);
    const std::string modulePath = directory + "tool.exe";
    struct Case {
        std::size_t infFileLength;
        std::size_t zoneNameLength;
        bool accepted;
    };
    const Case cases[] = {
        {259 - directoryLength, 1, true},
        {260 - directoryLength, 1, false},
        {1, 241 - directoryLength, true},
        {1, 242 - directoryLength, false},
        {259 - directoryLength, 241 - directoryLength, true},
        {1, 259, false},
        {1000, 1, false},
        {1, 1000, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.infFileLength) + "/" + std::to_string(c.zoneNameLength));
        ResetFakePlatform(modulePath.c_str());
        const std::string infFile(c.infFileLength, 'i');
        const std::string zoneName(c.zoneNameLength, 'z');
        const RunResult result = RunWith(infFile, zoneName);
        if (c.accepted) {
            EXPECT_EQ(result.status, kExitSuccess);
            EXPECT_EQ(std::string(fakePlatform.infPathSeen.text), directory + infFile);
            EXPECT_EQ(std::string(fakePlatform.commandLineSeen.text),
                      directory + "settz.exe /q /s \"" + zoneName + "\"");
            EXPECT_EQ(std::string(fakePlatform.zoneSetterPathSeen.text), directory + "settz.exe");
            EXPECT_LE(std::string(fakePlatform.commandLineSeen.text).size(), 259u);
        } else {
            ExpectRefusedWithoutStages(result, kExitPathTooLong);
        }
    }
}

TEST(Limits, ModulePathOfAtMost259Characters)
{
    struct Case {
        std::size_t directoryLength;
        bool accepted;
    };
    // The executable name "t" makes the module path one longer than its directory.
    const Case cases[] = {{258, true}, {259, false}, {300, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.directoryLength);
        const std::string modulePath = DirectoryOfLength(c.directoryLength) + "t";
        ResetFakePlatform(modulePath.c_str());
        PathBuffer directory;
        const ProgramDirectoryAnswer answer = GetProgramDirectory(directory);
        if (c.accepted) {
            EXPECT_EQ(answer.status, kExitSuccess);
            EXPECT_EQ(std::string(directory.text), DirectoryOfLength(c.directoryLength));
        } else {
            EXPECT_EQ(answer.status, kExitPathTooLong);
            EXPECT_NE(answer.refusal, nullptr);
        }
        // Too long for any command line either way: refused before the stages.
        ExpectRefusedWithoutStages(RunWith("", ""), kExitPathTooLong);
    }
}

TEST(Refusals, MissingArgumentsAreRefusedBeforeAnything)
{
    const std::vector<std::vector<std::string>> vectors = {
        {}, {"tool.exe"}, {"tool.exe", "/i"}, {"tool.exe", "/i", "zona.inf"},
        {"tool.exe", "/i", "zona.inf", "/z"},
    };
    for (const auto& arguments : vectors) {
        SCOPED_TRACE(arguments.size());
        ResetFakePlatform(kToolPath);
        ExpectRefusedWithoutStages(RunTool(arguments), kExitBadArguments);
        EXPECT_STREQ(fakePlatform.calls, "");
    }
    ResetFakePlatform(kToolPath);
    testing::internal::CaptureStderr();
    EXPECT_EQ(RunZoneChange(5, nullptr, nullptr), kExitBadArguments);
    EXPECT_FALSE(testing::internal::GetCapturedStderr().empty());
}

TEST(Refusals, ModulePathProblemsStopTheRun)
{
    struct Case {
        const char* modulePath;
        bool fails;
        PlatformErrorCode error;
        ExitStatus expected;
    };
    const Case cases[] = {
        {kToolPath, true, 5, 5},
        {kToolPath, true, 0xC0000022u, 0xC0000022u},
        {kToolPath, true, 0, kExitModulePathFailedWithoutCode},
        {"tool.exe", false, 0, kExitBadModulePath},
        {"C:/Apps/Zone/tool.exe", false, 0, kExitBadModulePath},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.modulePath);
        ResetFakePlatform(c.modulePath);
        fakePlatform.modulePathFails = c.fails;
        fakePlatform.modulePathError = c.error;
        ExpectRefusedWithoutStages(RunWith("zona.inf", "UTC"), c.expected);
    }
}

// Characters in UTF-8 text: the bytes that are not continuation bytes.
std::size_t CharacterCount(const std::string& text)
{
    std::size_t count = 0;
    for (const char byte : text) {
        count += (static_cast<unsigned char>(byte) & 0xC0) != 0x80;
    }
    return count;
}

// The lines an administrator reads: Spanish with its accents, each short
// enough for the buffer the Windows build converts it in.
TEST(Refusals, EachSaysWhatIsWrongInSpanish)
{
    struct Case {
        const char* modulePath;
        bool queryFails;
        std::vector<std::string> arguments;
        const char* line;
    };
    const std::string longName(300, 'x');
    const Case cases[] = {
        {kToolPath, false, {"tool.exe", "/i", "zona.inf"},
         "Faltan argumentos: se esperan el archivo INF en la posición 2 y la zona horaria en la posición 4.\r\n"},
        {kToolPath, true, {"tool.exe", "/i", "zona.inf", "/z", "UTC"}, "No se pudo obtener la ruta del programa.\r\n"},
        {"tool.exe", false, {"tool.exe", "/i", "zona.inf", "/z", "UTC"},
         "La ruta del programa no contiene ninguna barra invertida.\r\n"},
        {kToolPath, false, {"tool.exe", "/i", longName, "/z", "UTC"},
         "La ruta del archivo INF supera los 259 caracteres.\r\n"},
        {kToolPath, false, {"tool.exe", "/i", "zona.inf", "/z", longName},
         "La zona horaria es demasiado larga para la línea de comandos de settz.exe.\r\n"},
    };
    for (const Case& c : cases) {
        ResetFakePlatform(c.modulePath);
        fakePlatform.modulePathFails = c.queryFails;
        const RunResult result = RunTool(c.arguments);
        EXPECT_EQ(result.standardError, c.line);
        EXPECT_LT(CharacterCount(result.standardError), kMessageCapacity) << c.line;
    }
    const std::string tooLong = DirectoryOfLength(300) + "tool.exe";
    ResetFakePlatform(tooLong.c_str());
    EXPECT_EQ(RunWith("zona.inf", "UTC").standardError, "La ruta del programa supera los 259 caracteres.\r\n");
}

TEST(Stages, FailedOpenEndsTheRunWithItsCodeSilently)
{
    struct Case {
        PlatformErrorCode openError;
        ExitStatus expected;
    };
    const Case cases[] = {
        {2, 2},
        {5, 5},
        {0xE0000100u, 0xE0000100u},
        {0xFFFFFFFFu, 0xFFFFFFFFu},
        {0, kExitInfOpenFailedWithoutCode},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.openError);
        ResetFakePlatform(kToolPath);
        fakePlatform.infAnswer = {false, c.openError};
        const RunResult result = RunWith("zona.inf", "UTC");
        EXPECT_EQ(result.status, c.expected);
        EXPECT_NE(result.status, kExitSuccess);
        EXPECT_STREQ(fakePlatform.calls, "QI");
        EXPECT_EQ(result.standardOutput, "");
        EXPECT_EQ(result.standardError, "");
    }
}

TEST(Stages, LaunchOutcomeDecidesTheMessageNotTheStatus)
{
    for (const bool starts : {true, false}) {
        SCOPED_TRACE(starts);
        ResetFakePlatform(kToolPath);
        fakePlatform.launchStarts = starts;
        // An opened INF whose code field holds junk still counts as opened.
        fakePlatform.infAnswer = {true, 1234};
        const RunResult result = RunWith("zona.inf", "UTC");
        EXPECT_EQ(result.status, kExitSuccess);
        EXPECT_STREQ(fakePlatform.calls, "QIL");
        EXPECT_EQ(result.standardOutput,
                  starts ? "" : "Error al cambiar de zona horaria, intente manualmente.\n");
        EXPECT_EQ(result.standardError, "");
    }
}

}  // namespace
