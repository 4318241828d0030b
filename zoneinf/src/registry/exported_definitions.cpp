#include "registry/exported_definitions.h"

#include "base/errors.h"
#include "registry/registry_export_reader.h"
#include "registry/registry_vocabulary.h"
#include "base/text_decoder.h"
#include "base/messages.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <memory>

namespace zoneinf {

namespace {

// A value the zone needs, when it has the type expected; otherwise the
// zone notes why not.
const RegistryValue* Expect(ExportedZone& zone, const std::string& what, const RegistryValue& value,
                            std::uint32_t type)
{
    if (!value.problem.empty()) {
        zone.badValues.push_back(Fill(_("%1 has data that cannot be read (%2)"), {what, value.problem}));
    } else if (value.type != type || (type == kRegDword && value.data.size() != 4)) {
        zone.badValues.push_back(Fill(type == kRegDword ? _("%1 is no DWORD") : _("%1 is no binary value"), {what}));
    } else {
        return &value;
    }
    return nullptr;
}

void AddValue(ExportedZone& zone, std::string_view subkey, RegistryValue& value)
{
    const std::string& name = value.name;
    if (subkey.empty() && EqualNoCase(name, "TZI")) {
        if (Expect(zone, name, value, kRegBinary)) {
            zone.tzi = std::move(value.data);
        }
    } else if (EqualNoCase(subkey, kDynamicDstSubkey)) {
        long year = 0;
        const auto [end, error] = std::from_chars(name.data(), name.data() + name.size(), year);
        if (EqualNoCase(name, "FirstEntry") || EqualNoCase(name, "LastEntry")) {
            if (const RegistryValue* entry = Expect(zone, "Dynamic DST " + name, value, kRegDword)) {
                (EqualNoCase(name, "FirstEntry") ? zone.firstEntry : zone.lastEntry) = DwordOf(entry->data);
            }
        } else if (error == std::errc() && end == name.data() + name.size()) {
            if (Expect(zone, name, value, kRegBinary)) {
                zone.years[year] = std::move(value.data);
            }
        }
    }
}

// TimeZoneInformation's values, each of its exact type and size; any
// other makes the record in force unreadable, never guessed at.
void ReadTimeZoneInformation(const RegistryKey& key, ExportedDefinitions& definitions)
{
    // The record's fields in TZI order, where each goes among its 44 bytes.
    struct Field {
        const char* name;
        std::uint32_t type;
        size_t size;
        size_t offset;
    };
    static const Field kFields[] = {{"Bias", kRegDword, 4, 0},          {"StandardBias", kRegDword, 4, 4},
                                    {"DaylightBias", kRegDword, 4, 8},  {"StandardStart", kRegBinary, 16, 12},
                                    {"DaylightStart", kRegBinary, 16, 28}};
    ClockInForce& inForce = definitions.inForce;
    std::array<std::uint8_t, TziRecord::kSize> bytes{};
    std::vector<std::string> missing;
    const auto refuse = [&inForce](const std::string& problem) {
        if (inForce.problem.empty()) {
            inForce.problem = problem;
        }
    };
    const auto find = [&key](const char* name) -> const RegistryValue* {
        for (const RegistryValue& value : key.values) {
            if (EqualNoCase(value.name, name)) {
                return &value;
            }
        }
        return nullptr;
    };
    const auto readable = [&refuse](const RegistryValue& value, std::uint32_t type, size_t size) {
        if (!value.problem.empty()) {
            refuse(Fill(_("%1 has data that cannot be read (%2)"), {value.name, value.problem}));
        } else if (value.type != type || (size > 0 && value.data.size() != size)) {
            refuse(type == kRegDword    ? Fill(_("%1 is no DWORD"), {value.name})
                   : type == kRegBinary ? Fill(_("%1 is no binary value of %2 bytes"), {value.name, std::to_string(size)})
                                        : Fill(_("%1 is no string"), {value.name}));
        } else {
            return true;
        }
        return false;
    };
    if (const RegistryValue* name = find("TimeZoneKeyName"); name && readable(*name, kRegSz, 0)) {
        std::string keyName = Utf8FromUtf16Le(name->data);
        // tzutil and the Date and Time settings mark a zone whose automatic
        // daylight time is off so.
        static const std::string kDstOff = "_dstoff";
        if (keyName.size() > kDstOff.size() && EqualNoCase(keyName.substr(keyName.size() - kDstOff.size()), kDstOff)) {
            keyName.resize(keyName.size() - kDstOff.size());
            inForce.dstOffKeyName = true;
        }
        definitions.currentZoneKey = keyName;
    }
    if (const RegistryValue* disabled = find("DynamicDaylightTimeDisabled");
        disabled && readable(*disabled, kRegDword, 4)) {
        inForce.dynamicDaylightTimeDisabled = DwordOf(disabled->data).value_or(0) != 0;
    }
    bool found = false;
    for (const Field& field : kFields) {
        const RegistryValue* value = find(field.name);
        if (!value) {
            missing.push_back(field.name);
        } else if (readable(*value, field.type, field.size)) {
            std::copy(value->data.begin(), value->data.end(), bytes.begin() + std::ptrdiff_t(field.offset));
        }
        found = found || value;
    }
    if (!found) {
        return;
    }
    if (!missing.empty()) {
        std::string names;
        for (const std::string& name : missing) {
            names += (names.empty() ? "" : ", ") + name;
        }
        refuse(Fill(_("TimeZoneInformation lacks %1"), {names}));
    }
    if (!inForce.problem.empty()) {
        return;
    }
    const TziRecord record = TziRecord::FromBytes(bytes);
    if (const auto defect = record.Defect()) {
        refuse(*defect);
        return;
    }
    inForce.record = record;
}

// The definitions of a snapshot, with zones read from elsewhere among its
// own, none of them the snapshot's.
ExportedDefinitions Assemble(RegistrySnapshot snapshot, const std::string& name, std::vector<ExportedZone> zonesRead)
{
    ExportedDefinitions definitions;
    definitions.format = snapshot.format;
    definitions.wholeTimeZonesKey = snapshot.source != SnapshotSource::kInf;
    definitions.trace = DefinitionsTraceOf(snapshot);
    std::map<std::string, ExportedZone> zones;  // by key name in lower case
    for (RegistryKey& key : snapshot.keys) {
        if (EqualNoCase(key.path, kTimeZoneInformationKey)) {
            ReadTimeZoneInformation(key, definitions);
        }
        const std::optional<std::string_view> keyName = ZoneKeyOf(key.path);
        if (!keyName) {
            continue;  // "Time Zones\\Dynamic DST" among them: no key Windows could hold
        }
        const std::string_view below =
            std::string_view(key.path).substr(std::string_view(kTimeZonesKey).size() + 1 + keyName->size());
        const std::string_view subkey = below.empty() ? below : below.substr(1);
        ExportedZone& zone = zones[LowerAscii(std::string(*keyName))];
        if (zone.windowsKey.empty() || subkey.empty()) {
            zone.windowsKey = *keyName;
        }
        for (RegistryValue& value : key.values) {
            AddValue(zone, subkey, value);
        }
    }
    for (ExportedZone& zone : zonesRead) {
        const std::string lowered = LowerAscii(zone.windowsKey);
        zones.emplace(lowered, std::move(zone));
    }
    for (auto& [lowered, zone] : zones) {
        definitions.zones.push_back(std::move(zone));
    }
    // A file with no zone at all is the wrong file, not a clean machine.
    if (definitions.zones.empty()) {
        throw UnreadableInput(name, Fill(_("no keys under HKEY_LOCAL_MACHINE\\%1 in this %2"), {kTimeZonesKey, definitions.format}));
    }
    return definitions;
}

}  // namespace

// An export read with the zones `cache` knows, or nullopt for an input to
// read whole: no export, one not plain enough (see ZoneLinesOf), one with
// a fault anywhere, so that its refusal is the whole read's.
std::optional<ExportedDefinitions> ReadRegistryExportWithZonesKnown(const DecodedText& text, const std::string& name, ZoneCache& cache)
{
    const std::string& utf8 = text.utf8;
    if (!IsRegistryExport(utf8) || utf8.back() != '\n') {
        return std::nullopt;
    }
    try {
        const std::optional<std::vector<ZoneLines>> runs = ZoneLinesOf(utf8, name);
        if (!runs || runs->empty()) {
            return std::nullopt;
        }
        // Each zone as the cache has it, or as its lines read alone after a
        // header; then the file's other lines.
        DecodedText rest{"", text.encoding, text.byteOrderMark};
        std::vector<ExportedZone> zones;
        size_t copied = 0;
        for (const ZoneLines& run : *runs) {
            rest.utf8.append(utf8, copied, run.begin - copied);
            copied = run.end;
            const std::string_view lines = std::string_view(utf8).substr(run.begin, run.end - run.begin);
            if (const std::shared_ptr<const ExportedZone> known = cache.Find(lines)) {
                zones.push_back(*known);
                continue;
            }
            const DecodedText alone{"Windows Registry Editor Version 5.00\n" + std::string(lines), TextEncoding::kUtf8, false};
            ExportedDefinitions read = DefinitionsOf(ReadRegistryExport(alone, name), name);
            if (read.zones.size() != 1) {
                return std::nullopt;
            }
            cache.Add(lines, read.zones.front());
            zones.push_back(std::move(read.zones.front()));
        }
        rest.utf8.append(utf8, copied);
        RegistrySnapshot others = ReadRegistryExport(rest, name);
        if (std::any_of(others.keys.begin(), others.keys.end(), [](const RegistryKey& key) { return ZoneKeyOf(key.path); })) {
            return std::nullopt;
        }
        return Assemble(std::move(others), name, std::move(zones));
    } catch (const Failure&) {
        return std::nullopt;
    }
}

ExportedDefinitions DefinitionsOf(RegistrySnapshot snapshot, const std::string& name)
{
    return Assemble(std::move(snapshot), name, {});
}

std::shared_ptr<const ExportedZone> ZoneCache::Find(std::string_view lines) const
{
    const std::lock_guard lock(mutex_);
    const auto found = zones_.find(lines);
    return found == zones_.end() ? nullptr : found->second;
}

void ZoneCache::Add(std::string_view lines, const ExportedZone& zone)
{
    // What the zone takes besides its text: its values and their nodes.
    size_t bytes = lines.size() + zone.windowsKey.size() + 256;
    for (const auto& [year, record] : zone.years) {
        bytes += record.size() + 96;
    }
    const std::lock_guard lock(mutex_);
    if (bytes_ + bytes <= kMostBytes && zones_.emplace(std::string(lines), std::make_shared<const ExportedZone>(zone)).second) {
        bytes_ += bytes;
    }
}

std::variant<ZoneRecords, std::string> RecordsOf(const ExportedZone& zone)
{
    if (!zone.badValues.empty()) {
        return zone.badValues.front();
    }
    if (!zone.tzi) {
        return std::string(_("no TZI value"));
    }
    const auto record = [](const std::vector<std::uint8_t>& bytes, const std::string& what)
        -> std::variant<TziRecord, std::string> {
        if (bytes.size() != TziRecord::kSize) {
            return Fill(_("%1 is %2 bytes, not 44"), {what, std::to_string(bytes.size())});
        }
        const TziRecord tzi = TziRecord::FromBytes(std::span<const std::uint8_t, TziRecord::kSize>(bytes.data(), TziRecord::kSize));
        if (auto defect = tzi.Defect()) {
            return what + ": " + *defect;
        }
        return tzi;
    };
    ZoneRecords records;
    auto tzi = record(*zone.tzi, "TZI");
    if (auto* problem = std::get_if<std::string>(&tzi)) {
        return *problem;
    }
    records.tzi = std::get<TziRecord>(tzi);
    if (!zone.firstEntry && !zone.lastEntry && zone.years.empty()) {
        return records;
    }
    if (!zone.firstEntry || !zone.lastEntry) {
        return std::string(_("Dynamic DST without FirstEntry or LastEntry"));
    }
    if (*zone.lastEntry < *zone.firstEntry) {
        return Fill(_("Dynamic DST LastEntry %1 before FirstEntry %2"),
                    {std::to_string(*zone.lastEntry), std::to_string(*zone.firstEntry)});
    }
    if (*zone.firstEntry < 1601 || *zone.lastEntry > 30827) {
        return Fill(_("Dynamic DST years %1 to %2"), {std::to_string(*zone.firstEntry), std::to_string(*zone.lastEntry)});
    }
    DynamicDst dynamic{int(*zone.firstEntry), int(*zone.lastEntry), {}};
    for (int year = dynamic.firstYear; year <= dynamic.lastYear; ++year) {
        const auto found = zone.years.find(year);
        if (found == zone.years.end()) {
            return Fill(_("Dynamic DST has no record for %1"), {std::to_string(year)});
        }
        auto yearRecord = record(found->second, "Dynamic DST " + std::to_string(year));
        if (auto* problem = std::get_if<std::string>(&yearRecord)) {
            return *problem;
        }
        dynamic.years.push_back(std::get<TziRecord>(yearRecord));
    }
    records.dynamic = std::move(dynamic);
    return records;
}

}  // namespace zoneinf
