// zoneinf ZONE... and --all: the INF that writes the zones' Windows
// definitions from the database, through CLDR's mapping of zones to keys.
#pragma once

#include "commands/options.h"

namespace zoneinf {

// Writes the INF to -o's FILE or standard output, and names any year
// written approximately on standard error; the exit status. Throws Failure
// for a bad key or zone (kExitUsage), a zone that would move its shared
// key's main zone (kExitUsage), an unreadable database or mapping, a year
// no record describes (kExitIndescribable), or output it cannot write.
int RunGenerate(const Options& options);

}  // namespace zoneinf
