// The two ends every command shares: the file it reads, read whole or
// refused with a message naming it, and told apart by its content (a
// registry export or an INF); and its result, written whole to -o's FILE
// or to standard output.
#pragma once

#include "commands/options.h"
#include "registry/exported_definitions.h"
#include "registry/registry_snapshot.h"

#include <string>

namespace zoneinf {

// What an empty input is: a file to read like any other (its reader then
// says what it is not), or a file refused with the unreadable ones.
enum class EmptyInput { kRead, kRefused };

// The bytes of an input named on the command line (--check's files,
// --undo's export). Throws Failure (kExitUnreadableInput) "NAME: cannot
// read (missing, unreadable or empty)" for a file that cannot be read, or
// is empty when `empty` refuses it, and as ReadFileWhole does for one over
// its limit.
std::string ReadInputFile(const std::string& path, EmptyInput empty);

// The snapshot of a registry export or an INF, decided by content, not by
// file name. Throws Failure (kExitUnreadableInput) with one line for a
// file that is no export and no INF, is truncated or has the wrong encoding.
RegistrySnapshot ReadSnapshot(const std::string& bytes, const std::string& name);

// The definitions such a file holds (--check's input); throws as
// ReadSnapshot and DefinitionsOf do. With a cache, the same definitions,
// the zones the cache knows taken from it (a fleet's exports share most).
ExportedDefinitions ReadDefinitions(const std::string& bytes, const std::string& name, ZoneCache* cache = nullptr);

// A command's result: to -o's FILE, whole or not at all, or to standard
// output. Throws Failure (kExitWriteFailed), also for a result over
// kMaxInputBytes, which zoneinf could not read back.
void WriteResult(const Options& options, const std::string& text);

}  // namespace zoneinf
