// The one rule for a tzdata release's name, as IANA names them: the year
// and a letter, two letters once a year has run past "z" ("2026f",
// "2026aa"). --since, the database's own release, the release of
// --tzdata-source and the build (cmake/zoneinfo-stamp.cmake,
// scripts/build-zoneinf-exe.sh, which read the pattern from this file)
// all take it.
#pragma once

#include <string>

namespace zoneinf {

// The rule itself, in the syntax ECMAScript, POSIX ERE and CMake share
// (CMake has no {m,n}): a year, then one to eight letters.
inline constexpr char kTzdataReleasePattern[] = "^[0-9][0-9][0-9][0-9][a-z][a-z]?[a-z]?[a-z]?[a-z]?[a-z]?[a-z]?[a-z]?$";

bool IsTzdataRelease(const std::string& text);

// Whether release `a` is older than `b`, both valid: by year, then by the
// letters' count, then by the letters (2026f < 2026g < 2026aa).
bool OlderRelease(const std::string& a, const std::string& b);

}  // namespace zoneinf
