// A build that reads the system's database and mapping carries none.
#include "built_in_data.h"

namespace zoneinf {

std::span<const BuiltInFile> BuiltInZoneFileTable() { return {}; }
std::string_view BuiltInMappingName() { return {}; }
std::string_view BuiltInMapping() { return {}; }

}  // namespace zoneinf
