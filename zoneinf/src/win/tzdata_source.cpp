// zoneinf.exe compiles no release: zic, which compiles one, is a Linux
// program. The release comes built into zoneinf.exe instead.
#include "tzdb/tzdata_source.h"

#include "base/errors.h"
#include "base/messages.h"

namespace zoneinf {

void RequireTzdataSourceSupport()
{
    throw Failure(kExitUsage, _("--tzdata-source is for the Linux zoneinf: compile the release there, or "
                                "rebuild zoneinf.exe with it (scripts/build-zoneinf-exe.sh)"));
}

std::shared_ptr<const ZoneFiles> CompileTzdataSource(const std::string&)
{
    RequireTzdataSourceSupport();
    return nullptr;
}

}  // namespace zoneinf
