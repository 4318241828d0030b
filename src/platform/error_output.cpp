// The tool's lines on standard error, from the UTF-8 of the sources to the
// code page the console, or a file read back with type or for /f, decodes.
// Written with WriteFile, as bytes: a C runtime may translate bytes for a
// console itself, from another code page.
#include <windows.h>

#include <cstring>

#include "platform_operations.h"

void WriteErrorLine(const char* line)
{
    wchar_t wide[kMessageCapacity];
    char bytes[3 * kMessageCapacity];
    // Lengths without the NUL. A failed conversion gives 0 characters, and
    // the next step then 0 bytes, so a failure writes nothing.
    const int characters =
        MultiByteToWideChar(CP_UTF8, 0, line, static_cast<int>(std::strlen(line)), wide, kMessageCapacity);
    // GetConsoleOutputCP answers 0, which is CP_ACP, when there is no console.
    const int count =
        WideCharToMultiByte(GetConsoleOutputCP(), 0, wide, characters, bytes, sizeof bytes, nullptr, nullptr);
    DWORD written;
    WriteFile(GetStdHandle(STD_ERROR_HANDLE), bytes, static_cast<DWORD>(count), &written, nullptr);
}
