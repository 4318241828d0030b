// Reader of the IANA database's compiled files, TZif (RFC 8536), with the
// footer's POSIX TZ rule for the times after the last transition.
#pragma once

#include "tzdb/zone_timeline.h"

#include <string>

namespace zoneinf {

// Reads the bytes of a TZif file of version 2 or later (`name` names it
// in messages). Throws Failure (kExitUnreadableInput) naming it when they
// are not one: counts the bytes cannot hold (checked before anything is
// allocated), offsets RFC 8536 forbids (-2^31) or no zone has (beyond -25
// or +26 hours), transitions out of order or beyond +-2^59 s, a footer
// this program cannot read.
ZoneTimeline ParseTzif(const std::string& bytes, const std::string& name);

}  // namespace zoneinf
