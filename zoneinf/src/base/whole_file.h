// Files read whole and bounded, output written whole or not at all, and
// the program's arguments: the only calls zoneinf makes to the operating
// system. One implementation per system: unix/ and win/.
#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace zoneinf {

// No input of zoneinf comes near this: a full export of the Time Zones key
// is under 1 MB, tzdata.zi about 110 KB, the mapping about 100 KB. It keeps
// a device (/dev/zero) or a runaway file from filling the memory, and it
// bounds what zoneinf writes too, so that it reads back whatever it wrote.
inline constexpr std::size_t kMaxInputBytes = 16 << 20;

// A file's bytes, or nullopt when it cannot be read. Throws Failure
// (kExitUnreadableInput) naming the file when it holds over kMaxInputBytes,
// or when it is a FIFO nobody writes to (refused at once, not waited on).
std::optional<std::string> ReadFileWhole(const std::filesystem::path& path);

// Writes `text` to `path` whole or not at all, and without damage to what
// is there:
//  - a regular file (or a new one) is replaced through a temporary file in
//    the same folder and a rename, keeping the old file's permission bits;
//    a symbolic link is followed, and the file it names is replaced;
//  - /dev/stdout, /dev/stderr, /dev/fd/N, /proc/self/fd/N (or a link to
//    one) are written through that open descriptor, from where it stands
//    (appending where it was opened for append), never followed to the
//    file behind it;
//  - a device, FIFO or socket is written to directly, never renamed over;
//    a FIFO nobody reads is refused at once;
//  - an interrupted run (signal, file-size limit) leaves no temporary file.
// Throws Failure (kExitWriteFailed).
void WriteFileWhole(const std::string& path, const std::string& text);

// How standard output and standard error are written where they are no
// console (a file, a pipe): by default, in the code page programs that
// capture them decode them with, the console's output code page (or,
// with no console, the ANSI code page), which is what PowerShell's
// [Console]::OutputEncoding holds; characters it lacks become '?'.
// With `utf8`, in UTF-8. Windows only: elsewhere the output is UTF-8.
// A console is written UTF-16, whatever its code page.
void UseUtf8Output(bool utf8);

// Write to standard output / standard error; WriteStandardOutput throws
// Failure (kExitWriteFailed) when it cannot (a closed pipe, a full disk).
void WriteStandardOutput(const std::string& text);
void WriteStandardError(const std::string& text);

// The command line as UTF-8 (Windows passes it as UTF-16).
std::vector<std::string> ProgramArguments(int argc, char** argv);

// Paths to and from UTF-8, the encoding of every name zoneinf handles
// (a path's narrow string is the ANSI code page on Windows).
inline std::filesystem::path PathFromUtf8(const std::string& name)
{
    return std::filesystem::path(std::u8string(name.begin(), name.end()));
}
inline std::string Utf8FromPath(const std::filesystem::path& path)
{
    const std::u8string name = path.u8string();
    return std::string(name.begin(), name.end());
}

}  // namespace zoneinf
