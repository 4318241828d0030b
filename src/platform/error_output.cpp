// The tool's lines on standard error, from the UTF-8 of the sources to the
// code page the console, or a file read with type or for /f, decodes.
#include <windows.h>

#include <cstdio>

#include "platform_operations.h"

void WriteErrorLine(const char* line)
{
    wchar_t wide[kMessageCapacity];
    char bytes[3 * kMessageCapacity];
    // GetConsoleOutputCP answers 0, which is CP_ACP, when there is no console.
    if (MultiByteToWideChar(CP_UTF8, 0, line, -1, wide, kMessageCapacity) > 0 &&
        WideCharToMultiByte(GetConsoleOutputCP(), 0, wide, -1, bytes, sizeof bytes, nullptr, nullptr) > 0) {
        std::fputs(bytes, stderr);
    }
}
