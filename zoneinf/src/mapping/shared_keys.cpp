#include "mapping/shared_keys.h"

#include "errors.h"
#include "formats/text_decoder.h"
#include "messages.h"

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
        const std::vector<OffsetDifference> differences =
            Differences({[&](Instant at) { return zoneTimeline.OffsetAt(at); }, zoneYear.changes},
                        {[&](Instant at) { return mainTimeline.OffsetAt(at); }, mainYear.changes},
                        StartOfYear(year), StartOfYear(year + 1));
        if (!differences.empty()) {
            const OffsetDifference& first = differences.front();
            disagreement = ZoneDisagreement{zone, mainZone, first.from, first.first, first.second, year, year};
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
    return Failure(kExitUnreadableInput, Fill(_("the mapping names %1 for '%2', which the database in %3 lacks"),
                                              {zone, windowsKey, database.Source()}));
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
        std::string zones;
        for (size_t i = 0; i < note.differing.size(); ++i) {
            zones += (i == 0 ? "" : ", ") + Fill(_("%1 in %2"), {EscapeForTerminal(note.differing[i].zone), DifferingYears(note.differing[i])});
        }
        text += "zoneinf: " + Fill(TranslatePlural("shared key '%1' follows %2; another of its zones differs: %3",
                                                   "shared key '%1' follows %2; others of its zones differ: %3",
                                                   note.differing.size()),
                                   {EscapeForTerminal(note.windowsKey), EscapeForTerminal(note.mainZone), zones});
        text += "\n";
    }
    return text;
}

}  // namespace zoneinf
