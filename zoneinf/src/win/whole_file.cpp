// Files on Windows, through the wide-character calls so that any name
// works, whatever the ANSI code page.
#include "base/whole_file.h"

#include "base/errors.h"
#include "base/messages.h"
#include "wide_text.h"

#include <windows.h>
#include <shellapi.h>

#include <algorithm>
#include <array>

namespace zoneinf {

std::wstring WideFromUtf8(const std::string& text)
{
    if (text.empty()) {
        return {};
    }
    const int length = ::MultiByteToWideChar(CP_UTF8, 0, text.data(), int(text.size()), nullptr, 0);
    std::wstring wide(size_t(length), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, text.data(), int(text.size()), wide.data(), length);
    return wide;
}

std::string Utf8FromWide(const wchar_t* text, size_t length)
{
    if (length == 0) {
        return {};
    }
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, text, int(length), nullptr, 0, nullptr, nullptr);
    std::string utf8(size_t(size), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text, int(length), utf8.data(), size, nullptr, nullptr);
    return utf8;
}

namespace {

// "The system cannot find the path specified." for an error code.
std::string Describe(DWORD error)
{
    wchar_t* text = nullptr;
    const DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error,
        MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::string message = length ? Utf8FromWide(text, length) : "error " + std::to_string(error);
    ::LocalFree(text);
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r' || message.back() == '.')) {
        message.pop_back();
    }
    return message;
}

[[noreturn]] void Fail(const std::string& path, DWORD error)
{
    throw Failure(kExitWriteFailed, path + ": " + Describe(error));
}

class Handle {
public:
    explicit Handle(HANDLE handle) : handle_(handle) {}
    ~Handle()
    {
        if (Valid()) {
            ::CloseHandle(handle_);
        }
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    bool Valid() const { return handle_ != INVALID_HANDLE_VALUE; }
    HANDLE get() const { return handle_; }
    bool Close()
    {
        const bool closed = ::CloseHandle(handle_) != 0;
        handle_ = INVALID_HANDLE_VALUE;
        return closed;
    }

private:
    HANDLE handle_;
};

bool WriteAll(HANDLE handle, const std::string& text)
{
    size_t written = 0;
    while (written < text.size()) {
        const DWORD chunk = DWORD(std::min<size_t>(text.size() - written, 1 << 20));
        DWORD count = 0;
        if (!::WriteFile(handle, text.data() + written, chunk, &count, nullptr) || count == 0) {
            return false;
        }
        written += count;
    }
    return true;
}

// The temporary file of the write under way, removed if the console
// interrupts the run (Ctrl+C, Ctrl+Break, its window closed).
wchar_t temporaryName[32768];

BOOL WINAPI RemoveTemporary(DWORD)
{
    if (temporaryName[0] != L'\0') {
        ::DeleteFileW(temporaryName);
    }
    return FALSE;  // and the run ends, as it would have
}

// A name's folder, with its separator: "C:\fleet\" for "C:\fleet\a.inf".
std::wstring FolderOf(const std::wstring& path)
{
    const size_t separator = path.find_last_of(L"\\/:");
    return separator == std::wstring::npos ? std::wstring() : path.substr(0, separator + 1);
}

void ReplaceWhole(const std::string& name, const std::wstring& target, bool exists, const std::string& text)
{
    const std::wstring folder = FolderOf(target);
    std::wstring temporary;
    for (unsigned attempt = ::GetCurrentProcessId() * 7919u + ::GetTickCount();; ++attempt) {
        temporary = folder + L".zoneinf-" + std::to_wstring(attempt % 1000000u) + L".tmp";
        if (temporary.size() >= std::size(temporaryName)) {
            Fail(name, ERROR_FILENAME_EXCED_RANGE);
        }
        temporary.copy(temporaryName, temporary.size());
        temporaryName[temporary.size()] = L'\0';
        ::SetConsoleCtrlHandler(RemoveTemporary, TRUE);
        Handle file(::CreateFileW(temporaryName, GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file.Valid()) {
            const DWORD error = ::GetLastError();
            temporaryName[0] = L'\0';
            if (error == ERROR_FILE_EXISTS) {
                continue;
            }
            Fail(name, error);
        }
        const bool written = WriteAll(file.get(), text) && ::FlushFileBuffers(file.get());
        DWORD error = ::GetLastError();
        const bool closed = file.Close();
        if (written && !closed) {
            error = ::GetLastError();
        }
        // ReplaceFileW keeps the replaced file's security and attributes.
        if (written && closed &&
            (exists ? ::ReplaceFileW(target.c_str(), temporaryName, nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS,
                                     nullptr, nullptr)
                    : ::MoveFileExW(temporaryName, target.c_str(), MOVEFILE_WRITE_THROUGH))) {
            temporaryName[0] = L'\0';
            return;
        }
        if (written && closed) {
            error = ::GetLastError();
        }
        ::DeleteFileW(temporaryName);
        temporaryName[0] = L'\0';
        Fail(name, error);
    }
}

}  // namespace

std::optional<std::string> ReadFileWhole(const std::filesystem::path& path)
{
    Handle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Valid()) {
        return std::nullopt;
    }
    std::string bytes;
    std::array<char, 65536> buffer;
    for (;;) {
        DWORD count = 0;
        if (!::ReadFile(file.get(), buffer.data(), DWORD(buffer.size()), &count, nullptr)) {
            return ::GetLastError() == ERROR_BROKEN_PIPE ? std::optional(std::move(bytes)) : std::nullopt;
        }
        if (count == 0) {
            return bytes;
        }
        if (bytes.size() + count > kMaxInputBytes) {
            throw UnreadableInput(Utf8FromPath(path), Fill(_("over %1 MiB, larger than any input of zoneinf"),
                                                           {std::to_string(kMaxInputBytes >> 20)}));
        }
        bytes.append(buffer.data(), count);
    }
}

void WriteFileWhole(const std::string& path, const std::string& text)
{
    const std::wstring name = WideFromUtf8(path);
    // What is there: a device or pipe (NUL, CON, \\.\pipe\...) is written
    // to directly; a file, through a link if it is one, is replaced whole.
    Handle existing(::CreateFileW(name.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!existing.Valid()) {
        const DWORD error = ::GetLastError();
        if (error != ERROR_FILE_NOT_FOUND) {
            Fail(path, error);
        }
        ReplaceWhole(path, name, false, text);
        return;
    }
    if (::GetFileType(existing.get()) != FILE_TYPE_DISK) {
        existing.Close();
        Handle device(::CreateFileW(name.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_EXISTING, 0, nullptr));
        if (!device.Valid() || !WriteAll(device.get(), text)) {
            Fail(path, ::GetLastError());
        }
        return;
    }
    BY_HANDLE_FILE_INFORMATION information;
    if (::GetFileInformationByHandle(existing.get(), &information) &&
        (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
        Fail(path, ERROR_DIRECTORY);
    }
    std::array<wchar_t, 32768> target;
    const DWORD length = ::GetFinalPathNameByHandleW(existing.get(), target.data(), DWORD(target.size()), 0);
    existing.Close();
    ReplaceWhole(path, length > 0 && length < target.size() ? std::wstring(target.data(), length) : name, true, text);
}

namespace {

bool utf8Output = false;

// UTF-8 text in the code page that reads redirected output: the console's
// output code page, or the ANSI one without a console.
std::string InOutputCodePage(const std::string& text)
{
    UINT codePage = ::GetConsoleOutputCP();
    if (codePage == 0) {
        codePage = ::GetACP();
    }
    if (codePage == CP_UTF8 || text.empty()) {
        return text;
    }
    const std::wstring wide = WideFromUtf8(text);
    // No best fit: 'ñ' is not 'n' in a code page without it, but '?'.
    const DWORD flags = codePage == CP_UTF7 || codePage == 50220 || codePage == 50221 || codePage == 50222 ||
                                codePage == 50225 || codePage == 50227 || codePage == 50229 || codePage == 54936 ||
                                (codePage >= 57002 && codePage <= 57011) || codePage == 42
                            ? 0
                            : WC_NO_BEST_FIT_CHARS;
    const int size = ::WideCharToMultiByte(codePage, flags, wide.data(), int(wide.size()), nullptr, 0, nullptr,
                                           nullptr);
    if (size <= 0) {
        return text;  // a code page Windows cannot convert to: the text as it is
    }
    std::string converted(size_t(size), '\0');
    ::WideCharToMultiByte(codePage, flags, wide.data(), int(wide.size()), converted.data(), size, nullptr, nullptr);
    return converted;
}

void WriteTo(DWORD which, const std::string& text, bool mustSucceed)
{
    const HANDLE handle = ::GetStdHandle(which);
    DWORD mode = 0;
    bool written;
    if (::GetConsoleMode(handle, &mode)) {
        // A console shows UTF-16, whatever its code page.
        const std::wstring wide = WideFromUtf8(text);
        DWORD count = 0;
        written = wide.empty() || ::WriteConsoleW(handle, wide.data(), DWORD(wide.size()), &count, nullptr);
    } else {
        written = WriteAll(handle, utf8Output ? text : InOutputCodePage(text));
    }
    if (!written && mustSucceed) {
        Fail(_("standard output"), ::GetLastError());
    }
}

}  // namespace

void UseUtf8Output(bool utf8)
{
    utf8Output = utf8;
}

void WriteStandardOutput(const std::string& text)
{
    WriteTo(STD_OUTPUT_HANDLE, text, true);
}

void WriteStandardError(const std::string& text)
{
    WriteTo(STD_ERROR_HANDLE, text, false);
}

namespace {

// cmd hands wildcards on as typed; Windows programs expand them, as
// MSVC's setargv does: "\\server\zonas\*.reg" becomes the files it names,
// in name order, and stays as it is when it names none.
void AddExpanded(std::vector<std::string>& arguments, const std::wstring& argument)
{
    if (argument.empty() || argument[0] == L'-' || argument.find_first_of(L"*?") == std::wstring::npos) {
        arguments.push_back(Utf8FromWide(argument));
        return;
    }
    const std::wstring folder = FolderOf(argument);
    std::vector<std::string> matches;
    WIN32_FIND_DATAW found;
    const HANDLE search = ::FindFirstFileExW(argument.c_str(), FindExInfoBasic, &found, FindExSearchNameMatch,
                                             nullptr, 0);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
                matches.push_back(Utf8FromWide(folder + found.cFileName));
            }
        } while (::FindNextFileW(search, &found));
        ::FindClose(search);
    }
    std::sort(matches.begin(), matches.end());
    if (matches.empty()) {
        matches.push_back(Utf8FromWide(argument));
    }
    arguments.insert(arguments.end(), matches.begin(), matches.end());
}

}  // namespace

std::vector<std::string> ProgramArguments(int, char**)
{
    int count = 0;
    wchar_t** wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    std::vector<std::string> arguments;
    for (int i = 0; wide && i < count; ++i) {
        if (i == 0) {
            arguments.push_back(Utf8FromWide(wide[i], wcslen(wide[i])));
        } else {
            AddExpanded(arguments, wide[i]);
        }
    }
    ::LocalFree(wide);
    return arguments;
}

}  // namespace zoneinf
