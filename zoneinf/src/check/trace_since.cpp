#include "check/trace_since.h"

#include "base/tzdata_release.h"
#include "registry/definitions_trace.h"

namespace zoneinf {

void RequireTraceSince(CheckReport& report, const std::string& release)
{
    for (ZoneCheck& zone : report.zones) {
        if (zone.status != ZoneCheck::kAgrees && zone.status != ZoneCheck::kAsClose) {
            continue;
        }
        const DefinitionsTrace* trace = report.trace ? report.trace->For(zone.windowsKey, zone.zone) : nullptr;
        if (!trace) {
            zone.status = ZoneCheck::kTraceMissing;
        } else if (!IsTzdataRelease(trace->tzdata) || OlderRelease(trace->tzdata, release)) {
            zone.status = ZoneCheck::kTraceOlder;
            zone.traceRelease = trace->tzdata;
        }
    }
}

}  // namespace zoneinf
