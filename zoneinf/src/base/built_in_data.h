// The data the program carries, generated into built_in_data.cpp at build
// time by cmake/embed-data.cmake: CLDR's Windows zone mapping in every
// build, and in zoneinf.exe the compiled tzdata release (the Linux build
// reads the system's, and its table is empty).
#pragma once

#include <cstddef>
#include <span>
#include <string_view>

namespace zoneinf {

// One file of the tree. Files that are one file (a zone and its links)
// share `content`. Example: "Asia/Calcutta", content 187, the TZif bytes.
struct BuiltInFile {
    std::string_view name;
    std::size_t content;
    std::string_view bytes;
};

// Sorted by name; empty in a build that carries no tzdata release.
std::span<const BuiltInFile> BuiltInZoneFileTable();
// The mapping file's name ("windowsZones.json") and bytes.
std::string_view BuiltInMappingName();
std::string_view BuiltInMapping();

}  // namespace zoneinf
