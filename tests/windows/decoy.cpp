// Test-only program planted where an unquoted program path with a blank
// would be resolved first. If it ever runs, it leaves a mark beside itself.
#include <windows.h>

int main()
{
    char path[MAX_PATH + 16];
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    DWORD cut = length;
    while (cut > 0 && path[cut - 1] != '\\') {
        --cut;
    }
    lstrcpyA(path + cut, "decoy-ran.txt");
    const HANDLE mark = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (mark != INVALID_HANDLE_VALUE) {
        CloseHandle(mark);
    }
    return 0;
}
