// Files read whole, and output written whole or not at all.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace zoneinf {

// A file's bytes, or nullopt when it cannot be read.
std::optional<std::string> ReadFileWhole(const std::filesystem::path& path);

// Writes `text` to `path` through a temporary file in the same folder and a
// rename, so a failed run never leaves part of a file and never touches
// one that was there. Throws Failure (kExitWriteFailed).
void WriteFileWhole(const std::string& path, const std::string& text);

// Writes `text` to standard output; throws Failure (kExitWriteFailed) when
// it cannot (a closed pipe, a full disk).
void WriteStandardOutput(const std::string& text);

}  // namespace zoneinf
