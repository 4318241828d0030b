// Test-only stand-in for settz.exe. It records, beside itself, the command
// line and start-up flags it received. When a "settz-hold" file lies beside
// it, it stays running until "settz-release" appears, then records that it
// finished: the tests use this to see that the tool does not wait for it.
#include <windows.h>

#include <string>

namespace {

std::string OwnDirectory()
{
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string directory(path, length);
    return directory.substr(0, directory.find_last_of('\\') + 1);
}

bool FileExists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Written under another name and renamed, so a reader never sees half a record.
void WriteRecord(const std::string& path, const std::string& text)
{
    const std::string partial = path + ".partial";
    const HANDLE file = CreateFileA(partial.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return;
    }
    DWORD written = 0;
    WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(file);
    MoveFileExA(partial.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING);
}

}  // namespace

int main()
{
    const std::string directory = OwnDirectory();
    STARTUPINFOA startup = {};
    GetStartupInfoA(&startup);

    WriteRecord(directory + "settz-record.txt",
                std::string("command=") + GetCommandLineA() + "\n" +
                    "flags=" + std::to_string(startup.dwFlags) + "\n" +
                    "show=" + std::to_string(startup.wShowWindow) + "\n");

    if (FileExists(directory + "settz-hold")) {
        for (int waited = 0; waited < 300 && !FileExists(directory + "settz-release"); ++waited) {
            Sleep(100);
        }
        WriteRecord(directory + "settz-finished.txt", "finished\n");
    }
    return 0;
}
