// End-to-end tests: the real zonechange.exe, copied into a folder of its
// own with real INF files and a recording stand-in for settz.exe, started
// as a child process whose full 32-bit exit status is read here.
#include <windows.h>
#include <setupapi.h>

#include <gtest/gtest.h>

#include <string>

namespace {

const char kLaunchFailedLine[] = "Error al cambiar de zona horaria, intente manualmente.\r\n";
const char kRegistryRoot[] = "Software\\ZonechangeE2E";

std::string Environment(const char* name)
{
    char value[MAX_PATH];
    const DWORD length = GetEnvironmentVariableA(name, value, MAX_PATH);
    return length > 0 && length < MAX_PATH ? std::string(value, length) : std::string();
}

bool FileExists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string ReadFileText(const std::string& path)
{
    const HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return std::string();
    }
    std::string text;
    char chunk[4096];
    DWORD read = 0;
    while (ReadFile(file, chunk, sizeof chunk, &read, nullptr) && read > 0) {
        text.append(chunk, read);
    }
    CloseHandle(file);
    return text;
}

void WriteFileText(const std::string& path, const std::string& text)
{
    const HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << path;
    DWORD written = 0;
    WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(file);
}

bool WaitForFile(const std::string& path, DWORD milliseconds)
{
    for (DWORD waited = 0; waited < milliseconds; waited += 50) {
        if (FileExists(path)) {
            return true;
        }
        Sleep(50);
    }
    return FileExists(path);
}

std::string ReadRegistryString(const std::string& subkey, const char* value)
{
    char data[512];
    DWORD size = sizeof data;
    if (RegGetValueA(HKEY_CURRENT_USER, subkey.c_str(), value, RRF_RT_REG_SZ, nullptr, data,
                     &size) != ERROR_SUCCESS) {
        return std::string();
    }
    return std::string(data);
}

// What the recording zone setter writes when it was started with this
// command line, with STARTF_USESHOWWINDOW alone and SW_HIDE.
std::string HiddenStartRecord(const std::string& commandLine)
{
    return "command=" + commandLine + "\nflags=1\nshow=0\n";
}

std::string CurrentTestName()
{
    return testing::UnitTest::GetInstance()->current_test_info()->name();
}

struct ToolRun {
    DWORD exitStatus;
    std::string standardOutput;
    std::string standardError;
    // Every process the run created, the tool itself included.
    DWORD processesCreated;
    DWORD processesStillRunning;
};

// Each test gets a fresh folder holding the tool and, unless told not to,
// the recording zone setter.
class ZoneChangeTool : public testing::Test {
protected:
    void SetUp() override
    {
        tool_ = Environment("ZONECHANGE_E2E_TOOL");
        ASSERT_FALSE(tool_.empty()) << "ZONECHANGE_E2E_TOOL is not set";
        binaries_ = Environment("ZONECHANGE_E2E_BIN");
        ASSERT_FALSE(binaries_.empty()) << "ZONECHANGE_E2E_BIN is not set";
        const std::string work = Environment("ZONECHANGE_E2E_WORK");
        ASSERT_FALSE(work.empty()) << "ZONECHANGE_E2E_WORK is not set";
        CreateDirectoryA(work.c_str(), nullptr);
        testRoot_ = work + "\\" + CurrentTestName() + "\\";
        RemoveTree(testRoot_);
        ASSERT_TRUE(CreateDirectoryA(testRoot_.c_str(), nullptr)) << testRoot_;
        registryKey_ = std::string(kRegistryRoot) + "\\" + CurrentTestName();
        RegDeleteTreeA(HKEY_CURRENT_USER, registryKey_.c_str());
        UseToolFolder(testRoot_ + "tool\\", true);
    }

    void TearDown() override { RegDeleteTreeA(HKEY_CURRENT_USER, registryKey_.c_str()); }

    void UseToolFolder(const std::string& folder, bool withZoneSetter)
    {
        folder_ = folder;
        CreateDirectoryA(folder_.c_str(), nullptr);
        ASSERT_TRUE(CopyFileA(tool_.c_str(),
                              (folder_ + "zonechange.exe").c_str(), FALSE));
        if (withZoneSetter) {
            ASSERT_TRUE(CopyFileA((binaries_ + "\\settz.exe").c_str(),
                                  (folder_ + "settz.exe").c_str(), FALSE));
        }
    }

    // An INF whose DefaultInstall section sets a registry value and an INI
    // entry, and asks for a file copy that must not happen.
    void WriteFullInf(const std::string& name)
    {
        WriteFileText(folder_ + "source.txt", "copy me\r\n");
        WriteFileText(folder_ + name,
                      "[Version]\r\nSignature=\"$Chicago$\"\r\n\r\n"
                      "[DefaultInstall]\r\n"
                      "AddReg=Zone.AddReg\r\nUpdateInis=Zone.Ini\r\nCopyFiles=Zone.Copy\r\n\r\n"
                      "[Zone.AddReg]\r\nHKCU,\"" + registryKey_ +
                          "\",\"Zona\",,\"Romance Standard Time\"\r\n\r\n"
                          "[Zone.Ini]\r\n%01%\\zona.ini,Zona,,\"Nombre=Romance\"\r\n\r\n"
                          "[Zone.Copy]\r\nsource.txt\r\n\r\n"
                          "[DestinationDirs]\r\nZone.Copy=01,copied\r\n\r\n"
                          "[SourceDisksNames]\r\n1=\"Zona\"\r\n\r\n"
                          "[SourceDisksFiles]\r\nsource.txt=1\r\n");
    }

    ToolRun RunTool(const std::string& arguments)
    {
        return RunProgram(folder_ + "zonechange.exe", "zonechange.exe " + arguments);
    }

    ToolRun RunProgram(const std::string& program, const std::string& commandLine)
    {
        ToolRun run = {0xDEADBEEF, "", "", 0, 0};
        SECURITY_ATTRIBUTES inheritable = {sizeof inheritable, nullptr, TRUE};
        const std::string outputPath = testRoot_ + "stdout.txt";
        const std::string errorPath = testRoot_ + "stderr.txt";
        const HANDLE output = CreateFileA(outputPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ,
                                          &inheritable, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        const HANDLE error = CreateFileA(errorPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ,
                                         &inheritable, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        EXPECT_NE(output, INVALID_HANDLE_VALUE);
        EXPECT_NE(error, INVALID_HANDLE_VALUE);

        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
        startup.hStdOutput = output;
        startup.hStdError = error;
        PROCESS_INFORMATION process = {};
        std::string writable = commandLine;

        // The job counts every process the tool creates.
        const HANDLE job = CreateJobObjectA(nullptr, nullptr);
        EXPECT_NE(job, nullptr);
        const char* applicationName = program.empty() ? nullptr : program.c_str();
        const BOOL created = CreateProcessA(applicationName, &writable[0], nullptr, nullptr, TRUE,
                                            CREATE_SUSPENDED, nullptr, testRoot_.c_str(), &startup,
                                            &process);
        CloseHandle(output);
        CloseHandle(error);
        EXPECT_TRUE(created) << program << " error " << GetLastError();
        if (created) {
            EXPECT_TRUE(AssignProcessToJobObject(job, process.hProcess));
            ResumeThread(process.hThread);
            EXPECT_EQ(WaitForSingleObject(process.hProcess, 30000), WAIT_OBJECT_0);
            GetExitCodeProcess(process.hProcess, &run.exitStatus);
            JOBOBJECT_BASIC_ACCOUNTING_INFORMATION accounting = {};
            if (QueryInformationJobObject(job, JobObjectBasicAccountingInformation, &accounting,
                                          sizeof accounting, nullptr)) {
                run.processesCreated = accounting.TotalProcesses;
                run.processesStillRunning = accounting.ActiveProcesses;
            }
            CloseHandle(process.hThread);
            CloseHandle(process.hProcess);
        }
        CloseHandle(job);
        run.standardOutput = ReadFileText(outputPath);
        run.standardError = ReadFileText(errorPath);
        return run;
    }

    std::string ZoneSetterRecord()
    {
        const std::string path = folder_ + "settz-record.txt";
        return WaitForFile(path, 10000) ? ReadFileText(path) : std::string();
    }

    // A refused or failed run must not have started the zone setter, nor
    // changed the registry or any INI file.
    void ExpectNothingStartedOrChanged(const ToolRun& run)
    {
        EXPECT_EQ(run.processesCreated, 1u) << "the tool started another process";
        EXPECT_FALSE(FileExists(folder_ + "settz-record.txt"));
        EXPECT_EQ(ReadRegistryString(registryKey_, "Zona"), "");
        EXPECT_FALSE(FileExists(folder_ + "zona.ini"));
        EXPECT_EQ(run.standardOutput, "");
    }

    static void RemoveTree(const std::string& directory)
    {
        WIN32_FIND_DATAA found;
        const HANDLE search = FindFirstFileA((directory + "*").c_str(), &found);
        if (search != INVALID_HANDLE_VALUE) {
            do {
                const std::string name = found.cFileName;
                if (name == "." || name == "..") {
                    continue;
                }
                if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                    RemoveTree(directory + name + "\\");
                } else {
                    DeleteFileA((directory + name).c_str());
                }
            } while (FindNextFileA(search, &found));
            FindClose(search);
        }
        RemoveDirectoryA(directory.c_str());
    }

    std::string tool_;
    std::string binaries_;
    std::string testRoot_;
    std::string folder_;
    std::string registryKey_;
};

TEST_F(ZoneChangeTool, AppliesRegistryAndIniDirectivesOnlyThenStartsTheZoneSetter)
{
    WriteFullInf("zona.inf");
    const ToolRun run = RunTool("/i zona.inf /z \"Romance Standard Time\"");

    EXPECT_EQ(run.exitStatus, 0u);
    EXPECT_EQ(run.standardOutput, "");
    EXPECT_EQ(run.standardError, "");
    EXPECT_EQ(ReadRegistryString(registryKey_, "Zona"), "Romance Standard Time");
    char entry[64] = "";
    GetPrivateProfileStringA("Zona", "Nombre", "", entry, sizeof entry, (folder_ + "zona.ini").c_str());
    EXPECT_STREQ(entry, "Romance");
    EXPECT_FALSE(FileExists(folder_ + "copied\\source.txt")) << "file copies must not be carried out";
    EXPECT_EQ(run.processesCreated, 2u);
    EXPECT_EQ(ZoneSetterRecord(),
              HiddenStartRecord(folder_ + "settz.exe /q /s \"Romance Standard Time\""));
}

TEST_F(ZoneChangeTool, FailedOpenEndsWithItsFullErrorCodeAndDoesNothing)
{
    struct Case {
        const char* infName;
        const char* contents;  // nullptr: no such file
        DWORD expectedStatus;
    };
    const Case cases[] = {
        {"missing.inf", nullptr, ERROR_FILE_NOT_FOUND},
        {"", nullptr, ERROR_ACCESS_DENIED},  // the tool's folder itself
        {"old.inf", "[Version]\r\nFoo=1\r\n[DefaultInstall]\r\n",
         ERROR_WRONG_INF_STYLE},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.infName);
        if (c.contents != nullptr) {
            WriteFileText(folder_ + c.infName, c.contents);
        }
        const ToolRun run = RunTool(std::string("/i \"") + c.infName + "\" /z UTC");
        EXPECT_EQ(run.exitStatus, c.expectedStatus);
        EXPECT_EQ(run.standardError, "");
        ExpectNothingStartedOrChanged(run);
    }
}

TEST_F(ZoneChangeTool, InfWithoutTheSectionStillLaunches)
{
    WriteFileText(folder_ + "vacio.inf", "[Version]\r\nSignature=\"$Chicago$\"\r\n\r\n[Other]\r\n");
    const ToolRun run = RunTool("/i vacio.inf /z UTC");
    EXPECT_EQ(run.exitStatus, 0u);
    EXPECT_EQ(run.standardOutput, "");
    EXPECT_EQ(ZoneSetterRecord(), HiddenStartRecord(folder_ + "settz.exe /q /s \"UTC\""));
}

TEST_F(ZoneChangeTool, MissingZoneSetterPrintsTheMessageOnceWithCrLf)
{
    UseToolFolder(testRoot_ + "sin settz\\", false);
    WriteFullInf("zona.inf");
    const ToolRun run = RunTool("/i zona.inf /z UTC");
    EXPECT_EQ(run.exitStatus, 0u);
    EXPECT_EQ(run.standardOutput, kLaunchFailedLine);
    EXPECT_EQ(run.standardError, "");
    EXPECT_EQ(run.processesCreated, 1u);
    // The INF stage came first and was carried out all the same.
    EXPECT_EQ(ReadRegistryString(registryKey_, "Zona"), "Romance Standard Time");
}

TEST_F(ZoneChangeTool, DoesNotWaitForTheZoneSetter)
{
    WriteFullInf("zona.inf");
    WriteFileText(folder_ + "settz-hold", "");
    const ToolRun run = RunTool("/i zona.inf /z UTC");
    EXPECT_EQ(run.exitStatus, 0u);
    // The tool has ended while the zone setter is still running.
    EXPECT_EQ(run.processesCreated, 2u);
    EXPECT_EQ(run.processesStillRunning, 1u);
    EXPECT_NE(ZoneSetterRecord(), "");
    EXPECT_FALSE(FileExists(folder_ + "settz-finished.txt"));
    WriteFileText(folder_ + "settz-release", "");
    EXPECT_TRUE(WaitForFile(folder_ + "settz-finished.txt", 20000));
}

TEST_F(ZoneChangeTool, WildcardsAndQuotesArriveUnexpanded)
{
    WriteFullInf("zona.inf");
    struct Case {
        const char* arguments;
        const char* expectedZoneName;
    };
    const Case cases[] = {
        {"* zona.inf ? \"*.inf\"", "*.inf"},
        {"*.* zona.inf *.txt ?ona.inf", "?ona.inf"},
        {"/i zona.inf /z \"a \\\"b\\\" c\"", "a \"b\" c"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments);
        DeleteFileA((folder_ + "settz-record.txt").c_str());
        const ToolRun run = RunTool(c.arguments);
        EXPECT_EQ(run.exitStatus, 0u);
        EXPECT_EQ(ZoneSetterRecord(), HiddenStartRecord(folder_ + "settz.exe /q /s \"" +
                                                        c.expectedZoneName + "\""));
    }
}

TEST_F(ZoneChangeTool, RefusalsChangeNothingAndStartNothing)
{
    WriteFullInf("zona.inf");
    const std::string longName(300, 'z');
    struct Case {
        std::string arguments;
        DWORD expectedStatus;
    };
    const Case cases[] = {
        {"", ERROR_BAD_ARGUMENTS},
        {"/i zona.inf /z", ERROR_BAD_ARGUMENTS},
        {"/i zona.inf /z \"" + longName + "\"", ERROR_FILENAME_EXCED_RANGE},
        {"/i " + longName + " /z UTC", ERROR_FILENAME_EXCED_RANGE},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments);
        const ToolRun run = RunTool(c.arguments);
        EXPECT_EQ(run.exitStatus, c.expectedStatus);
        ExpectNothingStartedOrChanged(run);
        // One line, in Spanish, on standard error.
        EXPECT_GT(run.standardError.size(), 2u);
        EXPECT_EQ(run.standardError.find("\r\n"), run.standardError.size() - 2);
    }
}

TEST_F(ZoneChangeTool, StartsTheZoneSetterByItsFullPathNotThePlantedDecoy)
{
    // From "...\Zona Horaria\settz.exe" unquoted, the platform's search for a
    // program would try "...\Zona.exe" first.
    const std::string parent = testRoot_ + "unquoted\\";
    CreateDirectoryA(parent.c_str(), nullptr);
    UseToolFolder(parent + "Zona Horaria\\", true);
    ASSERT_TRUE(CopyFileA((binaries_ + "\\decoy.exe").c_str(), (parent + "Zona.exe").c_str(), FALSE));
    WriteFullInf("zona.inf");

    const ToolRun run = RunTool("/i zona.inf /z UTC");
    EXPECT_EQ(run.exitStatus, 0u);
    const std::string commandLine = folder_ + "settz.exe /q /s \"UTC\"";
    EXPECT_EQ(ZoneSetterRecord(), HiddenStartRecord(commandLine));
    EXPECT_FALSE(FileExists(parent + "decoy-ran.txt")) << "the planted program ran";

    // Control: the same command line without an application name does find
    // the decoy, so the check above can fail.
    RunProgram(std::string(), commandLine);
    EXPECT_TRUE(WaitForFile(parent + "decoy-ran.txt", 10000));
}

}  // namespace
