#include "commands/undo.h"

#include "commands/command_files.h"
#include "commands/data_sources.h"
#include "base/errors.h"
#include "registry/exported_definitions.h"
#include "base/text_decoder.h"
#include "inf/undo_writer.h"
#include "base/messages.h"

#include <algorithm>

namespace zoneinf {

int RunUndo(const Options& options)
{
    const std::string& path = *options.undo;
    const RegistrySnapshot snapshot = ReadSnapshot(ReadInputFile(path, EmptyInput::kRead), path);
    if (snapshot.source == SnapshotSource::kInf) {
        throw UnreadableInput(path, _("an INF, not a registry export of the machine's definitions"));
    }
    const ExportedDefinitions definitions = DefinitionsOf(snapshot, path);
    const auto heldKey = [&](const std::string& name) -> std::optional<std::string> {
        for (const ExportedZone& zone : definitions.zones) {
            if (EqualNoCase(zone.windowsKey, name)) {
                return zone.windowsKey;
            }
        }
        return std::nullopt;
    };
    std::vector<std::string> keys;
    if (options.all) {
        for (const ExportedZone& zone : definitions.zones) {
            keys.push_back(zone.windowsKey);
        }
    }
    // ZONE operands: a key the export holds, or an IANA zone whose key it holds.
    std::optional<TzDatabase> database;
    std::optional<WindowsZoneMap> map;
    for (const std::string& given : options.zones) {
        std::optional<std::string> key = heldKey(given);
        if (!key) {
            if (!database) {
                database.emplace(OpenDatabase(options));
                map.emplace(LoadMapping(options));
            }
            if (!database->HasZone(given)) {
                throw Failure(kExitUsage, Fill(_("'%1' is neither a key %2 holds nor a time zone"), {given, path}));
            }
            const auto mapped = map->KeyFor(given, [&](const std::string& a, const std::string& b) {
                return database->SameZone(a, b);
            });
            if (!mapped) {
                throw Failure(kExitUsage, Fill(_("CLDR maps no Windows key to '%1'; name the key"), {given}));
            }
            key = heldKey(*mapped);
            if (!key) {
                throw Failure(kExitUsage, Fill(_("%1 holds no key '%2' (%3): nothing to put back"), {path, *mapped, given}));
            }
        }
        if (std::find(keys.begin(), keys.end(), *key) == keys.end()) {
            keys.push_back(*key);
        }
    }
    WriteResult(options, WriteUndoInf(snapshot, keys, ZONEINF_VERSION));
    return kExitSuccess;
}

}  // namespace zoneinf
