// The operations the run sequence asks of the platform. On Windows
// they live in src/platform/; the tests link their own versions instead.
#pragma once

#include <cstdint>

#include "path_buffer.h"

// The 32-bit value GetLastError returns.
using PlatformErrorCode = std::uint32_t;

// Answer of the module-path query, shaped after GetModuleFileNameA: the
// number of characters written (without the NUL), 0 on failure together
// with the error code read right after it, and the full buffer size when
// the path did not fit (the text is then truncated and may lack its NUL).
struct ModulePathAnswer {
    std::uint32_t length;
    PlatformErrorCode errorCode;
};

// Full path of the running executable.
ModulePathAnswer QueryModulePath(PathBuffer& modulePath);

// Answer of the INF stage: whether the INF file was opened and, when it was
// not, the error code of the failed open, whatever its value. What the
// section run did is not part of the answer.
struct InfOpenAnswer {
    bool opened;
    PlatformErrorCode errorCode;
};

// Opens the INF file and runs its "DefaultInstall" section, registry and
// INI-file directives only.
InfOpenAnswer ApplyInfDefaultInstall(const PathBuffer& infPath);

// Starts the zone setter hidden, without waiting for it. The program is
// named by its full path, never looked up from the unquoted head of the
// command line. The command line stays writable because process creation
// may write into it. Answers whether a process was started.
bool LaunchZoneSetter(const PathBuffer& zoneSetterPath, PathBuffer& commandLine);

// Characters a message line may hold, its line end included.
constexpr std::size_t kMessageCapacity = 128;

// Writes one of the tool's own lines (UTF-8 text, shorter than
// kMessageCapacity characters) to standard error, in the code page a
// reader of it decodes: the console's output code page (the one chcp shows),
// or the ANSI code page when there is no console. A character that code
// page lacks is replaced, never left to garble the line.
void WriteErrorLine(const char* line);
