// POSIX systems have no registry: --check needs files there.
#include "registry/live_registry.h"

namespace zoneinf {

std::optional<RegistrySnapshot> ReadLiveRegistry()
{
    return std::nullopt;
}

}  // namespace zoneinf
