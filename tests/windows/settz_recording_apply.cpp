// Test build of settz.exe: the one call Wine cannot make
// (SetDynamicTimeZoneInformation aborts there, and SeTimeZonePrivilege
// cannot be looked up) is replaced by writing the record it would be
// given, in the preview format, to settz-applied.txt beside the program.
// Built without the C runtime, like settz.exe itself.
#include <windows.h>

#include "settz_platform.h"

ApplyAnswer ApplyZone(const ZoneRecord& record)
{
    TextBuilder text = {};
    FormatZoneRecord(record, text);

    wchar_t path[MAX_PATH + 32];
    DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    while (length > 0 && path[length - 1] != L'\\') {
        --length;
    }
    // Written under a passing name and renamed, so a reader never sees half a record.
    wchar_t partial[MAX_PATH + 32];
    const wchar_t name[] = L"settz-applied.txt";
    const wchar_t partialName[] = L"settz-applied.partial";
    for (DWORD i = 0; i < length; ++i) {
        partial[i] = path[i];
    }
    for (std::size_t i = 0; i < sizeof partialName / sizeof partialName[0]; ++i) {
        partial[length + i] = partialName[i];
    }
    for (std::size_t i = 0; i < sizeof name / sizeof name[0]; ++i) {
        path[length + i] = name[i];
    }
    char bytes[kTextCapacity * 3];
    const int count = WideCharToMultiByte(CP_UTF8, 0, text.text, static_cast<int>(text.length), bytes,
                                          static_cast<int>(sizeof bytes), nullptr, nullptr);
    const HANDLE file = CreateFileW(partial, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return {GetLastError(), false};
    }
    DWORD written = 0;
    const BOOL wrote = WriteFile(file, bytes, static_cast<DWORD>(count), &written, nullptr);
    CloseHandle(file);
    if (!wrote || written != static_cast<DWORD>(count) || !MoveFileExW(partial, path, MOVEFILE_REPLACE_EXISTING)) {
        return {ERROR_WRITE_FAULT, false};
    }
    return {0, false};
}
