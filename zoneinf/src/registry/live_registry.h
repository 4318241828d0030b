// The machine's own registry, where the system has one (Windows): the
// keys --check reads, taken read-only as any user may.
#pragma once

#include "registry/registry_snapshot.h"

#include <optional>

namespace zoneinf {

// Below HKLM: every key under Time Zones, TimeZoneInformation and
// zonechange's Definitions, with their values. nullopt on a system with no
// registry. Throws Failure (kExitUnreadableInput) when the Time Zones key
// cannot be opened.
std::optional<RegistrySnapshot> ReadLiveRegistry();

}  // namespace zoneinf
