#include "registry/registry_snapshot.h"

#include "base/text_decoder.h"

namespace zoneinf {

size_t SnapshotBuilder::Key(const std::string& path)
{
    const auto [found, added] = keys_.emplace(LowerAscii(path), snapshot_.keys.size());
    if (added) {
        snapshot_.keys.push_back({path, {}});
    }
    return found->second;
}

void SnapshotBuilder::SetValue(size_t key, RegistryValue value, bool keepExisting)
{
    std::vector<RegistryValue>& values = snapshot_.keys[key].values;
    const auto [found, added] = values_.emplace(std::pair(key, LowerAscii(value.name)), values.size());
    if (added) {
        values.push_back(std::move(value));
    } else if (!keepExisting) {
        values[found->second] = std::move(value);
    }
}

}  // namespace zoneinf
