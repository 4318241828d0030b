// Start-up without the C runtime: the command line as Windows holds it,
// and the run's status handed straight to ExitProcess. Without the
// runtime's 14 KiB start-up the program stays far below 16 KiB.
#include <windows.h>

#include "settz.h"
#include "settz_platform.h"

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

}  // extern "C"

void QueryOwnPath(wchar_t (&path)[kOwnPathCapacity])
{
    const DWORD length = GetModuleFileNameW(nullptr, path, kOwnPathCapacity);
    // A path cut short names nothing: read as none.
    if (length == 0 || length >= kOwnPathCapacity) {
        path[0] = 0;
    }
}

extern "C" {

// The entry point (linked with -e); it never returns.
void SettzStart()
{
    ExitProcess(RunSettz(GetCommandLineW()));
}

}  // extern "C"
