#include "shared_keys.h"

#include "errors.h"

#include <algorithm>

namespace zoneinf {

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
            disagreement->lastYear = year;
            continue;
        }
        // The first instant they part: the year's start or a change of either.
        std::vector<Instant> edges = {StartOfYear(year)};
        for (const YearOffsets* offsets : {&zoneYear, &mainYear}) {
            for (const OffsetChange& change : offsets->changes) {
                edges.push_back(change.at);
            }
        }
        std::sort(edges.begin(), edges.end());
        for (const Instant edge : edges) {
            if (zoneTimeline.OffsetAt(edge) != mainTimeline.OffsetAt(edge)) {
                disagreement = ZoneDisagreement{zone, mainZone, edge, zoneTimeline.OffsetAt(edge),
                                                mainTimeline.OffsetAt(edge), year, year};
                break;
            }
        }
    }
    return disagreement;
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
    return Failure(kExitUnreadableInput, "the mapping names " + zone + " for '" + windowsKey +
                                             "', which the database in " + database.Source() + " lacks");
}

std::string DifferingYears(const ZoneDisagreement& disagreement)
{
    return disagreement.firstYear == disagreement.lastYear
               ? std::to_string(disagreement.firstYear)
               : std::to_string(disagreement.firstYear) + "-" + std::to_string(disagreement.lastYear);
}

std::string FormatSharedKeyNotes(const std::vector<SharedKeyNote>& notes)
{
    std::string text;
    for (const SharedKeyNote& note : notes) {
        text += "zoneinf: shared key '" + note.windowsKey + "' follows " + note.mainZone + "; ";
        text += note.differing.size() == 1 ? "another of its zones differs:" : "others of its zones differ:";
        for (size_t i = 0; i < note.differing.size(); ++i) {
            text += (i == 0 ? " " : ", ") + note.differing[i].zone + " in " + DifferingYears(note.differing[i]);
        }
        text += "\n";
    }
    return text;
}

}  // namespace zoneinf
