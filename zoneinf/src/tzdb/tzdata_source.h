// An IANA release compiled by zoneinf itself (--tzdata-source): the
// tarball IANA publishes (tzdataYYYYx.tar.gz, or tzdb-YYYYx.tar.lz with
// its one top folder) or the same files unpacked in a folder, compiled
// with the system's zic into the tree --zoneinfo would read. Linux only.
#pragma once

#include "tzdb/zone_files.h"

#include <memory>
#include <string>

namespace zoneinf {

// The data files zic compiles, in the order IANA's Makefile gives them
// (backzone left out, as its default build does); tzdata.zi, the combined
// source, stands in for them when none is there.
inline constexpr const char* kReleaseDataFiles[] = {"africa",   "antarctica",   "asia",     "australasia",
                                                    "europe",   "northamerica", "southamerica", "etcetera",
                                                    "backward", "factory"};

// The release's files compiled in a private folder (removed before
// returning, and on a signal) and held in memory: every TZif file zic
// made, and tzdata.zi ("# version RELEASE", then the source with its links
// as "L" lines). `name` is the tarball or folder, as given. Throws Failure
// (kExitUnreadableInput) naming it for anything that is not a release:
// not a tarball, corrupt or truncated, members with unsafe names or that
// are not regular files, over the bounds of size or number, no `version`
// or no data, zic failing or taking over a minute.
std::shared_ptr<const ZoneFiles> CompileTzdataSource(const std::string& name);

// Throws Failure (kExitUsage) in a build that compiles no release
// (zoneinf.exe, win/tzdata_source.cpp); returns elsewhere.
void RequireTzdataSourceSupport();

}  // namespace zoneinf
