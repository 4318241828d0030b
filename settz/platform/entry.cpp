// Start-up without the C runtime: the command line as Windows holds it,
// and the run's status handed straight to ExitProcess. Without the
// runtime's 14 KiB start-up the program stays far below 16 KiB.
#include <windows.h>

#include "settz.h"

extern "C" {

// The compiler may call these for structure copies and zero-filling; the C
// runtime that would supply them is not linked. Built with
// -fno-tree-loop-distribute-patterns so that the loops stay loops.
void* memset(void* destination, int value, std::size_t count)
{
    unsigned char* bytes = static_cast<unsigned char*>(destination);
    while (count-- > 0) {
        *bytes++ = static_cast<unsigned char>(value);
    }
    return destination;
}

void* memcpy(void* destination, const void* source, std::size_t count)
{
    unsigned char* to = static_cast<unsigned char*>(destination);
    const unsigned char* from = static_cast<const unsigned char*>(source);
    while (count-- > 0) {
        *to++ = *from++;
    }
    return destination;
}

// The entry point (linked with -e); it never returns. The program's own
// path lets the command line be split as zonechange.exe writes it: that
// path unquoted at its head, blanks and all.
void SettzStart()
{
    wchar_t path[MAX_PATH + 1];
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH + 1);
    if (length == 0 || length > MAX_PATH) {
        path[0] = 0;  // unknown, or cut short: the C runtime's rules alone
    }
    ExitProcess(RunSettz(GetCommandLineW(), path));
}

}  // extern "C"
