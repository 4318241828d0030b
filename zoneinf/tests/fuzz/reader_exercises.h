// What the fuzz targets and the replay of past findings do with an input:
// read it as one reader would, then use what was read as the program does,
// checking invariants on the way (FUZZ_CHECK aborts). Any input must end
// read or refused with one Failure that names it: never a crash, a hang,
// an out-of-bounds access or undefined behaviour (the builds that run
// these have AddressSanitizer and UBSan).
#pragma once

#include <string>

namespace zoneinf::fuzz {

enum class Outcome { kRead, kRefused };

// --check's input: an export or an INF, each zone's records read as Windows reads them.
Outcome ExerciseDefinitions(const std::string& bytes);
// A TZif file: its offsets over the years, and Windows records built from them.
Outcome ExerciseTzif(const std::string& bytes);
// CLDR's Windows-zone mapping.
Outcome ExerciseZoneMap(const std::string& bytes);

// The name the inputs are read under; a Failure's message starts with it.
inline constexpr const char* kInputName = "fuzz-input";

}  // namespace zoneinf::fuzz
