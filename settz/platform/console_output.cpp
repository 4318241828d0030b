// Output that cmd reads back unchanged: characters to a console, and to a
// pipe or file bytes in the console's output code page (the one chcp
// shows), which is what for /f decodes; without a console, the ANSI code
// page. On standard output a character the code page cannot show fails the
// write rather than being replaced, so a key name is never printed
// altered; a message on standard error has it replaced instead of being
// lost.
#include <windows.h>

#include "settz_platform.h"

namespace {

// A UTF-16 unit is at most 3 bytes in UTF-8 and 2 in the double-byte code pages.
constexpr std::size_t kByteCapacity = kTextCapacity * 3;

WindowsError WriteBytes(HANDLE handle, const char* bytes, DWORD count)
{
    while (count > 0) {
        DWORD written = 0;
        if (!WriteFile(handle, bytes, count, &written, nullptr) || written == 0) {
            const DWORD error = GetLastError();
            return error != 0 ? error : ERROR_WRITE_FAULT;
        }
        bytes += written;
        count -= written;
    }
    return 0;
}

}  // namespace

WindowsError WriteText(OutputStream stream, const wchar_t* text, std::size_t length)
{
    const HANDLE handle =
        GetStdHandle(stream == OutputStream::standardOutput ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE);
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE) {
        return ERROR_INVALID_HANDLE;
    }
    if (length == 0 || length > kTextCapacity) {
        return length == 0 ? 0 : ERROR_INSUFFICIENT_BUFFER;
    }
    DWORD mode = 0;
    if (GetConsoleMode(handle, &mode)) {
        DWORD written = 0;
        if (!WriteConsoleW(handle, text, static_cast<DWORD>(length), &written, nullptr) || written != length) {
            const DWORD error = GetLastError();
            return error != 0 ? error : ERROR_WRITE_FAULT;
        }
        return 0;
    }
    UINT codePage = GetConsoleOutputCP();
    if (codePage == 0) {
        codePage = GetACP();
    }
    // UTF-8 reports unpaired surrogates itself; other code pages report a
    // replaced character through usedDefault.
    const bool exact = stream == OutputStream::standardOutput;
    const bool utf8 = codePage == CP_UTF8;
    BOOL usedDefault = FALSE;
    char bytes[kByteCapacity];
    const DWORD flags = !exact ? 0 : utf8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS;
    const int count = WideCharToMultiByte(codePage, flags, text, static_cast<int>(length), bytes,
                                          static_cast<int>(sizeof bytes), nullptr,
                                          exact && !utf8 ? &usedDefault : nullptr);
    if (count <= 0) {
        const DWORD error = GetLastError();
        return error != 0 ? error : ERROR_NO_UNICODE_TRANSLATION;
    }
    if (usedDefault) {
        return ERROR_NO_UNICODE_TRANSLATION;
    }
    return WriteBytes(handle, bytes, static_cast<DWORD>(count));
}
