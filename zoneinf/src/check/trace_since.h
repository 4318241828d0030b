// --since: definitions that pass must also be known to come from a
// release at least as recent, by the trace the INF left on the machine.
#pragma once

#include "check/checker.h"

#include <string>

namespace zoneinf {

// Each checked key whose records pass needs a trace (its own, or the old
// global one naming its zone) of `release` or a later one, else becomes
// kTraceOlder or kTraceMissing. A trace whose release is no release name
// counts as older.
void RequireTraceSince(CheckReport& report, const std::string& release);

}  // namespace zoneinf
