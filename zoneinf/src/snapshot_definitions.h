// A registry snapshot (the live registry's keys) as the definitions
// --check compares.
#pragma once

#include "exported_definitions.h"
#include "registry_snapshot.h"

#include <string>

namespace zoneinf {

// Read exactly as its "reg export" would be: the snapshot is written as
// one and goes through the export reader, so the machine and its export
// give the same report. Throws Failure as ReadDefinitions does.
ExportedDefinitions ReadSnapshot(const RegistrySnapshot& snapshot, const std::string& name);

}  // namespace zoneinf
