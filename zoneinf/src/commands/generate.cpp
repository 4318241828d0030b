#include "commands/generate.h"

#include "commands/command_files.h"
#include "commands/data_sources.h"
#include "base/errors.h"
#include "registry/exported_definitions.h"
#include "inf/inf_writer.h"
#include "base/text_decoder.h"
#include "registry/registry_vocabulary.h"
#include "mapping/shared_keys.h"
#include "base/messages.h"
#include "records/windows_zone.h"
#include "base/whole_file.h"

#include <algorithm>

namespace zoneinf {

namespace {

// Refuses a zone that is not its key's main zone unless the two give the
// same local time all through the years: writing it would move every
// machine of the main zone's places. A zone that parts from its key for
// good is told the difference that lasts (not history) and the keys whose
// zone it now keeps.
void RequireSameLocalTime(const TzDatabase& database, const WindowsZoneMap& map, const std::string& zone,
                          const std::string& key, const std::string& mainZone, YearRange years)
{
    const auto disagreement = CompareZones(database, zone, mainZone, years);
    if (!disagreement) {
        return;
    }
    if (disagreement->lastingFrom == 0) {
        throw Failure(kExitUsage,
                      Fill(_("'%1' is %2's key, shared by %3, and from %4 %3 is %5 where %2 is %6; "
                             "they agree from %7 (--from %7), or --windows-key names a key knowingly"),
                           {key, mainZone, zone, FormatInstant(disagreement->firstDifference),
                            FormatOffset(disagreement->zoneOffset), FormatOffset(disagreement->mainOffset),
                            std::to_string(disagreement->lastYear + 1)}));
    }
    const auto lasting = CompareZones(database, zone, mainZone, {disagreement->lastingFrom, years.last});
    std::string message = Fill(_("'%1' is %2's key, shared by %3, and from %4 %3 is %5 where %2 is %6, "
                                 "every year to %7"),
                               {key, mainZone, zone, FormatInstant(lasting->firstDifference),
                                FormatOffset(lasting->zoneOffset), FormatOffset(lasting->mainOffset),
                                std::to_string(years.last)});
    if (disagreement->firstYear < disagreement->lastingFrom) {
        message += Fill(_(" (and earlier, from %1)"), {FormatInstant(disagreement->firstDifference)});
    }
    const std::vector<AgreeingKey> agreeing = KeysThatAgree(map, database, zone, key, years);
    message += agreeing.empty()
                   ? Fill(_("; no key's zone agrees with %1 by then; --windows-key names a key knowingly"), {zone})
                   : Fill(_("; keys whose zone agrees with %1: %2; --windows-key KEY names one knowingly"),
                          {zone, FormatAgreeingKeys(agreeing, kAgreeingKeysShown)});
    throw Failure(kExitUsage, message);
}

// The zones to write, by current name, and their keys, from the command
// line and CLDR.
std::vector<std::pair<std::string, std::string>> ZonesToWrite(const Options& options, const TzDatabase& database,
                                                               const WindowsZoneMap* map, YearRange years)
{
    std::vector<std::pair<std::string, std::string>> zones;
    if (options.all) {
        for (const auto& [key, mapped] : map->MainZones()) {
            zones.emplace_back(key, database.CurrentName(mapped));
        }
        // Also refuses a mapping that names a zone the database lacks.
        WriteSharedKeyNotes(SurveySharedKeys(*map, database, years, true));
        return zones;
    }
    for (const std::string& given : options.zones) {
        database.RequireZone(given);
        const std::string zone = database.CurrentName(given);
        std::optional<std::string> key = options.windowsKey;
        if (!key) {
            key = map->KeyFor(given, [&](const std::string& a, const std::string& b) {
                return database.SameZone(a, b);
            });
            if (!key) {
                throw Failure(kExitUsage, Fill(_("CLDR maps no Windows key to '%1'; name one with --windows-key"), {given}));
            }
            const std::string mainZone = database.CurrentName(*map->MainZoneOf(*key));
            if (mainZone != zone) {
                if (!database.HasZone(mainZone)) {
                    throw MappedZoneMissing(database, mainZone, *key);
                }
                RequireSameLocalTime(database, *map, zone, *key, mainZone, years);
            }
        }
        for (size_t earlier = 0; earlier < zones.size(); ++earlier) {
            if (zones[earlier].first == *key) {
                throw Failure(kExitUsage, Fill(_("'%1' and '%2' both map to '%3'"), {given, options.zones[earlier], *key}));
            }
        }
        zones.emplace_back(*key, zone);
    }
    return zones;
}

// Windows' longest labels are some 100 characters; a longer Display in an
// export is no label to copy.
constexpr size_t kMaxLabelLength = 256;

// The Display a machine's export gives the key, if any: plain text (no
// control character) within kMaxLabelLength. Throws Failure
// (kExitUnreadableInput) for a Display of another type or unfit text.
std::optional<std::string> ExportedDisplay(const RegistrySnapshot& snapshot, const std::string& path,
                                           const std::string& windowsKey)
{
    const std::string keyPath = TimeZoneKeyPath(windowsKey);
    for (const RegistryKey& key : snapshot.keys) {
        if (!EqualNoCase(key.path, keyPath)) {
            continue;
        }
        for (const RegistryValue& value : key.values) {
            if (!EqualNoCase(value.name, "Display")) {
                continue;
            }
            const std::string text = value.type == kRegSz && value.problem.empty() ? Utf8FromUtf16Le(value.data) : "";
            const bool plain = !text.empty() && Utf16LeFromUtf8(text) == value.data &&
                               std::none_of(text.begin(), text.end(), [](char c) {
                                   return static_cast<unsigned char>(c) < 0x20 || c == 0x7f;
                               }) &&
                               text.size() <= kMaxLabelLength;
            if (!plain) {
                throw UnreadableInput(path, Fill(_("the Display of '%1' is no label to copy (a string of printable "
                                                   "text, at most %2 bytes)"),
                                                 {windowsKey, std::to_string(kMaxLabelLength)}));
            }
            return text;
        }
    }
    return std::nullopt;
}

// --label: each zone's display becomes the label Windows shows, with the
// standard offset of this year's record.
void Label(const Options& options, std::vector<WindowsZone>& zones)
{
    std::optional<RegistrySnapshot> snapshot;
    if (options.labelExport) {
        snapshot = ReadSnapshot(ReadInputFile(*options.labelExport, EmptyInput::kRead), *options.labelExport);
    }
    for (WindowsZone& zone : zones) {
        std::optional<std::string> display;
        if (snapshot) {
            display = ExportedDisplay(*snapshot, *options.labelExport, zone.windowsKey);
            if (!display) {
                WriteMessage(Fill(_("%1 holds no Display of '%2': its label names the city of %3"),
                                  {*options.labelExport, zone.windowsKey, zone.zoneName}));
            }
        }
        zone.display = DisplayLabel(zone.records.ForYear(CurrentYear()), zone.zoneName, zone.windowsKey, display);
    }
}

}  // namespace

int RunGenerate(const Options& options)
{
    if (options.windowsKey && !IsWindowsKeyName(*options.windowsKey)) {
        throw Failure(kExitUsage, Fill(_("'%1' is no Windows key name (printable ASCII, no \\, \" or %, at most %2 characters)"),
                                       {*options.windowsKey, std::to_string(kMaxKeyNameLength)}));
    }
    const TzDatabase database = OpenDatabase(options);
    const YearRange years = YearsOf(options, CurrentYear());
    // A key named on the command line needs no mapping.
    std::optional<WindowsZoneMap> map;
    if (!options.windowsKey) {
        map = LoadMapping(options);
    }
    std::vector<WindowsZone> zones;
    for (const auto& [key, zone] : ZonesToWrite(options, database, map ? &*map : nullptr, years)) {
        zones.push_back(BuildWindowsZone(database.Load(zone), zone, key, years, options.approximate));
        for (const YearOffsets& year : zones.back().approximated) {
            WriteMessage(Fill(_("approximated %1 (%2) %3"), {zone, key, DescribeChanges(year, Wording::kMessage)}));
        }
    }
    if (options.label) {
        Label(options, zones);
    }
    InfSource source;
    source.label = options.label;
    source.programVersion = ZONEINF_VERSION;
    source.databaseVersion = database.Version();
    source.years = years;
    source.mappingRelease = map ? map->Release() : "";
    if (options.output) {
        const std::string name = Utf8FromPath(PathFromUtf8(*options.output).filename());
        if (IsPlainInfText(name)) {
            // Quoted where cmd would split the command or start another at
            // it (blanks, & | ^ ( ) < >): copied, it runs zonechange.exe alone.
            source.fileName = name.find_first_of(" &|^()<>") == std::string::npos ? name : "\"" + name + "\"";
        }
    }
    WriteResult(options, WriteInf(source, zones));
    return kExitSuccess;
}

}  // namespace zoneinf
