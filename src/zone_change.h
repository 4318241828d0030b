// The run sequence: from the argument vector to the exit status.
#pragma once

#include <cstdint>

#include "path_buffer.h"

// A 32-bit unsigned value end to end, so that codes such as 0xE0000100
// reach the process exit unchanged.
using ExitStatus = std::uint32_t;

// Argument positions the run reads; 0 is the program, 1 and 3 are ignored.
constexpr int kInfFileArgument = 2;
constexpr int kZoneNameArgument = 4;

constexpr ExitStatus kExitSuccess = 0;
// ERROR_GEN_FAILURE: the module-path query failed but reported no code.
constexpr ExitStatus kExitModulePathFailedWithoutCode = 31;
// ERROR_OPEN_FAILED: the INF open failed but reported no code. Passing 0
// through would tell the caller that all went well when nothing was done.
constexpr ExitStatus kExitInfOpenFailedWithoutCode = 110;
// ERROR_BAD_ARGUMENTS: argument 2 or 4 is missing.
constexpr ExitStatus kExitBadArguments = 160;
// ERROR_BAD_PATHNAME: the module path has no backslash to cut after.
constexpr ExitStatus kExitBadModulePath = 161;
// ERROR_FILENAME_EXCED_RANGE: a composed string would not fit its buffer.
constexpr ExitStatus kExitPathTooLong = 206;

// The one message on standard output, written as one line (the line end
// added by puts) when the zone setter could not be started.
constexpr char kLaunchFailedMessage[] =
    "Error al cambiar de zona horaria, intente manualmente.";

// Runs the whole tool; the result becomes the process's exit status.
ExitStatus RunZoneChange(int argumentCount, char** arguments, char** environment);

// Outcome of finding the program directory: kExitSuccess, or the status
// to end the run with and the line to write to standard error.
struct ProgramDirectoryAnswer {
    ExitStatus status;
    const char* refusal;
};

// Fills programDirectory with the running executable's full path, cut right
// after its last backslash.
ProgramDirectoryAnswer GetProgramDirectory(PathBuffer& programDirectory);

// Ends path right after its last backslash (0x5C; a forward slash does not
// count), searching from its length down. False, path untouched, when there
// is none.
bool CutAfterLastBackslash(PathBuffer& path, std::size_t length);

// Plain concatenations; false, with an empty result, when the outcome would
// not fit in 259 characters.
bool ComposeInfPath(const PathBuffer& programDirectory, const char* infFileName,
                    PathBuffer& infPath);
bool ComposeZoneSetterPath(const PathBuffer& programDirectory, PathBuffer& zoneSetterPath);
bool ComposeZoneSetterCommand(const PathBuffer& zoneSetterPath, const char* zoneName,
                              PathBuffer& commandLine);
