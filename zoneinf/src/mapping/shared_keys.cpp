#include "mapping/shared_keys.h"

#include "base/errors.h"
#include "base/messages.h"

#include <algorithm>
#include <functional>
#include <map>
#include <tuple>

namespace zoneinf {

namespace {

// Each zone's timeline read once for a survey: the keys that agree with a
// zone compare it with every key's main zone, and a survey does so for
// every zone that leaves its key.
class Timelines {
public:
    explicit Timelines(const TzDatabase& database) : database_(database) {}
    const TzDatabase& Database() const { return database_; }
    const ZoneTimeline& Of(const std::string& zone)
    {
        auto found = loaded_.find(zone);
        if (found == loaded_.end()) {
            found = loaded_.emplace(zone, database_.Load(zone)).first;
        }
        return found->second;
    }
    const std::vector<OffsetChange>& Changes(const std::string& zone, Instant begin, Instant end)
    {
        const auto key = std::tuple(zone, begin, end);
        auto found = changes_.find(key);
        if (found == changes_.end()) {
            found = changes_.emplace(key, Of(zone).ChangesBetween(begin, end)).first;
        }
        return found->second;
    }
    // The offsets of each of the years, in order: a key's main zone is
    // compared with each of its other zones.
    const std::vector<YearOffsets>& Years(const std::string& zone, YearRange years)
    {
        const auto key = std::tuple(zone, years.first, years.last);
        auto found = years_.find(key);
        if (found == years_.end()) {
            const ZoneTimeline& timeline = Of(zone);
            std::vector<YearOffsets> offsets;
            for (int year = years.first; year <= years.last; ++year) {
                offsets.push_back(timeline.Year(year));
            }
            found = years_.emplace(key, std::move(offsets)).first;
        }
        return found->second;
    }

private:
    const TzDatabase& database_;
    std::map<std::string, ZoneTimeline> loaded_;
    std::map<std::tuple<std::string, int, int>, std::vector<YearOffsets>> years_;
    std::map<std::tuple<std::string, Instant, Instant>, std::vector<OffsetChange>> changes_;
};

// From when `zone` gives `other`'s local time through the whole last year
// of the years at least (a later agreement is a coincidence of their
// daylight rules, no place to go), and how long they differ before, since
// 1970 at least: the past timestamps a machine moved to `other`'s key
// would show otherwise.
struct Agreement {
    Instant from;
    Seconds apart;
};

std::optional<Agreement> AgreesFrom(Timelines& timelines, const std::string& zoneName, const std::string& otherName,
                                    YearRange years)
{
    const Instant begin = StartOfYear(std::min(years.first, YearRange{}.first));
    const Instant end = StartOfYear(years.last + 1);
    const ZoneTimeline& zone = timelines.Of(zoneName);
    const ZoneTimeline& other = timelines.Of(otherName);
    const std::function<Seconds(Instant)> zoneOffset = [&](Instant at) { return zone.OffsetAt(at); };
    const std::function<Seconds(Instant)> otherOffset = [&](Instant at) { return other.OffsetAt(at); };
    // Most keys' zones differ in the last year: told by that year alone.
    if (!Differences({zoneOffset, zone.Year(years.last).changes}, {otherOffset, other.Year(years.last).changes},
                     StartOfYear(years.last), end)
             .empty()) {
        return std::nullopt;
    }
    const std::vector<OffsetChange>& zoneChanges = timelines.Changes(zoneName, begin, end);
    const std::vector<OffsetChange>& otherChanges = timelines.Changes(otherName, begin, end);
    const std::vector<OffsetDifference> differences =
        Differences({zoneOffset, zoneChanges}, {otherOffset, otherChanges}, begin, end);
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

std::optional<ZoneDisagreement> CompareZones(Timelines& timelines, const std::string& zone,
                                             const std::string& mainZone, YearRange years)
{
    const ZoneTimeline& zoneTimeline = timelines.Of(zone);
    const ZoneTimeline& mainTimeline = timelines.Of(mainZone);
    // The main zone's years are kept, for its key's other zones; the
    // zone's own are asked for once.
    const std::vector<YearOffsets>& mainYears = timelines.Years(mainZone, years);
    std::optional<ZoneDisagreement> disagreement;
    for (int year = years.first; year <= years.last; ++year) {
        const YearOffsets zoneYear = zoneTimeline.Year(year);
        const YearOffsets& mainYear = mainYears[size_t(year - years.first)];
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

std::vector<AgreeingKey> KeysThatAgree(const WindowsZoneMap& map, Timelines& timelines,
                                       const std::string& zone, const std::string& ownKey, YearRange years)
{
    const TzDatabase& database = timelines.Database();
    std::vector<AgreeingKey> keys;
    std::vector<std::vector<std::string>> keysTerritories;
    std::vector<std::string> among;  // the territories of the keys that agree
    for (const auto& [key, mapped] : map.MainZones()) {
        const std::string mainZone = database.CurrentName(mapped);
        if (key == ownKey || mainZone == zone || !database.HasZone(mainZone)) {
            continue;
        }
        if (const auto agreement = AgreesFrom(timelines, zone, mainZone, years)) {
            keys.push_back({key, mainZone, agreement->from, false, agreement->apart});
            keysTerritories.push_back(map.TerritoriesOfKey(key));
            among.insert(among.end(), keysTerritories.back().begin(), keysTerritories.back().end());
        }
    }
    // The zone's own territories, looked for among those keys' alone.
    const auto sameZone = [&](const std::string& a, const std::string& b) { return database.SameZone(a, b); };
    const std::vector<std::string> territories = map.TerritoriesOfZone(zone, sameZone, &among);
    for (size_t i = 0; i < keys.size(); ++i) {
        keys[i].sameTerritory = std::any_of(keysTerritories[i].begin(), keysTerritories[i].end(), [&](const std::string& t) {
            return std::find(territories.begin(), territories.end(), t) != territories.end();
        });
    }
    std::sort(keys.begin(), keys.end(), [](const AgreeingKey& a, const AgreeingKey& b) {
        return std::tuple(a.from, !a.sameTerritory, a.apart, a.windowsKey) <
               std::tuple(b.from, !b.sameTerritory, b.apart, b.windowsKey);
    });
    return keys;
}

}  // namespace

std::optional<ZoneDisagreement> CompareZones(const TzDatabase& database, const std::string& zone,
                                             const std::string& mainZone, YearRange years)
{
    Timelines timelines(database);
    return CompareZones(timelines, zone, mainZone, years);
}

std::vector<AgreeingKey> KeysThatAgree(const WindowsZoneMap& map, const TzDatabase& database,
                                       const std::string& zone, const std::string& ownKey, YearRange years)
{
    Timelines timelines(database);
    return KeysThatAgree(map, timelines, zone, ownKey, years);
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
    Timelines timelines(database);
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
            if (auto disagreement = CompareZones(timelines, zone, note.mainZone, years)) {
                if (disagreement->lastingFrom != 0) {
                    disagreement->keysThatAgree = KeysThatAgree(map, timelines, zone, key, years);
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
