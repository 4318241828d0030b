#include "mapping/shared_keys.h"

#include "base/errors.h"
#include "base/messages.h"

#include <algorithm>
#include <tuple>

namespace zoneinf {

namespace {

// From when `zone` gives `other`'s local time through the whole last year
// of the years at least (a later agreement is a coincidence of their
// daylight rules, no place to go), and how long they differ before, since
// 1970 at least: the past timestamps a machine moved to `other`'s key
// would show otherwise.
struct Agreement {
    Instant from;
    Seconds apart;
};

std::optional<Agreement> AgreesFrom(const ZoneTimeline& zone, const ZoneTimeline& other, YearRange years)
{
    const Instant begin = StartOfYear(std::min(years.first, YearRange{}.first));
    const Instant end = StartOfYear(years.last + 1);
    const std::vector<OffsetChange> zoneChanges = zone.ChangesBetween(begin, end);
    const std::vector<OffsetChange> otherChanges = other.ChangesBetween(begin, end);
    const std::vector<OffsetDifference> differences =
        Differences({[&](Instant at) { return zone.OffsetAt(at); }, zoneChanges},
                    {[&](Instant at) { return other.OffsetAt(at); }, otherChanges}, begin, end);
    if (!differences.empty() && differences.back().to > StartOfYear(years.last)) {
        return std::nullopt;
    }
    Agreement agreement{StartOfYear(years.first), Seconds{0}};
    for (const OffsetDifference& difference : differences) {
        agreement.apart += difference.to - difference.from;
        agreement.from = std::max(agreement.from, difference.to);
    }
    return agreement;
}

}  // namespace

std::optional<ZoneDisagreement> CompareZones(const TzDatabase& database, const std::string& zone,
                                             const std::string& mainZone, YearRange years)
{
    const ZoneTimeline zoneTimeline = database.Load(zone);
    const ZoneTimeline mainTimeline = database.Load(mainZone);
    std::optional<ZoneDisagreement> disagreement;
    for (int year = years.first; year <= years.last; ++year) {
        const YearOffsets zoneYear = zoneTimeline.Year(year);
        const YearOffsets mainYear = mainTimeline.Year(year);
        if (zoneYear == mainYear) {
            continue;
        }
        if (disagreement) {
            if (disagreement->lastYear != year - 1) {
                disagreement->lastingFrom = year;
            }
            disagreement->lastYear = year;
            continue;
        }
        const std::vector<OffsetDifference> differences =
            Differences({[&](Instant at) { return zoneTimeline.OffsetAt(at); }, zoneYear.changes},
                        {[&](Instant at) { return mainTimeline.OffsetAt(at); }, mainYear.changes},
                        StartOfYear(year), StartOfYear(year + 1));
        if (!differences.empty()) {
            const OffsetDifference& first = differences.front();
            disagreement = ZoneDisagreement{zone, mainZone, first.from, first.first, first.second, year, year, year, {}};
        }
    }
    if (disagreement && disagreement->lastYear != years.last) {
        disagreement->lastingFrom = 0;
    }
    return disagreement;
}

std::vector<AgreeingKey> KeysThatAgree(const WindowsZoneMap& map, const TzDatabase& database,
                                       const std::string& zone, const std::string& ownKey, YearRange years)
{
    const auto sameZone = [&](const std::string& a, const std::string& b) { return database.SameZone(a, b); };
    const std::vector<std::string> territories = map.TerritoriesOfZone(zone, sameZone);
    const ZoneTimeline timeline = database.Load(zone);
    std::vector<AgreeingKey> keys;
    for (const auto& [key, mapped] : map.MainZones()) {
        const std::string mainZone = database.CurrentName(mapped);
        if (key == ownKey || mainZone == zone || !database.HasZone(mainZone)) {
            continue;
        }
        if (const auto agreement = AgreesFrom(timeline, database.Load(mainZone), years)) {
            const std::vector<std::string> keyTerritories = map.TerritoriesOfKey(key);
            const bool sameTerritory = std::any_of(keyTerritories.begin(), keyTerritories.end(), [&](const std::string& t) {
                return std::find(territories.begin(), territories.end(), t) != territories.end();
            });
            keys.push_back({key, mainZone, agreement->from, sameTerritory, agreement->apart});
        }
    }
    std::sort(keys.begin(), keys.end(), [](const AgreeingKey& a, const AgreeingKey& b) {
        return std::tuple(a.from, !a.sameTerritory, a.apart, a.windowsKey) <
               std::tuple(b.from, !b.sameTerritory, b.apart, b.windowsKey);
    });
    return keys;
}

std::string FormatAgreeingKeys(const std::vector<AgreeingKey>& keys, size_t shown)
{
    std::string text;
    for (size_t i = 0; i < keys.size() && i < shown; ++i) {
        text += (i == 0 ? "" : ", ") + Fill(_("'%1' from %2"), {keys[i].windowsKey, FormatInstant(keys[i].from)});
    }
    if (keys.size() > shown) {
        text += Fill(TranslatePlural(" and %1 other", " and %1 others", keys.size() - shown),
                     {std::to_string(keys.size() - shown)});
    }
    return text;
}

std::vector<SharedKeyNote> SurveySharedKeys(const WindowsZoneMap& map, const TzDatabase& database,
                                            YearRange years, bool requireZones)
{
    std::vector<SharedKeyNote> notes;
    for (const auto& [key, mappedMain] : map.MainZones()) {
        SharedKeyNote note{key, database.CurrentName(mappedMain), {}};
        for (const std::string& mapped : map.ZonesOf(key)) {
            const std::string zone = database.CurrentName(mapped);
            if (!database.HasZone(zone)) {
                if (requireZones) {
                    throw MappedZoneMissing(database, mapped, key);
                }
                continue;
            }
            if (zone == note.mainZone || !database.HasZone(note.mainZone)) {
                continue;
            }
            if (auto disagreement = CompareZones(database, zone, note.mainZone, years)) {
                if (disagreement->lastingFrom != 0) {
                    disagreement->keysThatAgree = KeysThatAgree(map, database, zone, key, years);
                }
                note.differing.push_back(std::move(*disagreement));
            }
        }
        if (!note.differing.empty()) {
            notes.push_back(std::move(note));
        }
    }
    return notes;
}

Failure MappedZoneMissing(const TzDatabase& database, const std::string& zone, const std::string& windowsKey)
{
    return Failure(kExitUnreadableInput, Fill(_("the mapping names %1 for '%2', which the database in %3 lacks"),
                                              {zone, windowsKey, database.Source()}));
}

std::string DifferingYears(const ZoneDisagreement& disagreement)
{
    return disagreement.firstYear == disagreement.lastYear
               ? std::to_string(disagreement.firstYear)
               : std::to_string(disagreement.firstYear) + "-" + std::to_string(disagreement.lastYear);
}

void WriteSharedKeyNotes(const std::vector<SharedKeyNote>& notes)
{
    for (const SharedKeyNote& note : notes) {
        std::string zones;
        for (size_t i = 0; i < note.differing.size(); ++i) {
            const ZoneDisagreement& differing = note.differing[i];
            zones += (i == 0 ? "" : ", ") + Fill(_("%1 in %2"), {differing.zone, DifferingYears(differing)});
            if (!differing.keysThatAgree.empty()) {
                zones += Fill(_(" (keys that agree: %1)"), {FormatAgreeingKeys(differing.keysThatAgree, kAgreeingKeysShown)});
            }
        }
        WriteMessage(Fill(TranslatePlural("shared key '%1' follows %2; another of its zones differs: %3",
                                          "shared key '%1' follows %2; others of its zones differ: %3",
                                          note.differing.size()),
                          {note.windowsKey, note.mainZone, zones}));
    }
}

}  // namespace zoneinf
