#include "check/json_report.h"

namespace zoneinf {

namespace {

using Json = nlohmann::ordered_json;

// Text is UTF-8 once read; a file name need not be, and is kept with U+FFFD.
std::string Dump(const Json& document)
{
    return document.dump(2, ' ', false, Json::error_handler_t::replace) + "\n";
}

// What a run checks against, written once whatever the document: the
// releases and years, then (where the document puts them) the shared keys.
void AddReleases(Json& document, const CheckBasis& basis)
{
    document["tzdata"] = basis.databaseVersion;
    document["cldr"] = basis.mappingRelease;
    document["fromYear"] = basis.years.first;
    document["toYear"] = basis.years.last;
}

Json SharedKeysJson(const CheckBasis& basis)
{
    Json sharedKeys = Json::array();
    for (const SharedKeyNote& note : basis.sharedKeys) {
        Json differing = Json::array();
        for (const ZoneDisagreement& zone : note.differing) {
            Json keysThatAgree = Json::array();
            for (const AgreeingKey& key : zone.keysThatAgree) {
                keysThatAgree.push_back({{"windowsKey", key.windowsKey},
                                         {"mainZone", key.mainZone},
                                         {"from", FormatInstant(key.from)},
                                         {"sameTerritory", key.sameTerritory}});
            }
            differing.push_back({{"zone", zone.zone},
                                 {"firstDifference", FormatInstant(zone.firstDifference)},
                                 {"zoneOffsetSeconds", zone.zoneOffset.count()},
                                 {"mainZoneOffsetSeconds", zone.mainOffset.count()},
                                 {"firstYear", zone.firstYear},
                                 {"lastYear", zone.lastYear},
                                 {"keysThatAgree", keysThatAgree}});
        }
        sharedKeys.push_back({{"windowsKey", note.windowsKey}, {"mainZone", note.mainZone}, {"differing", differing}});
    }
    return sharedKeys;
}

// Each trace: the old global one first, with a null key and years.
Json TracesJson(const DefinitionsTraces& traces)
{
    Json all = Json::array();
    const auto add = [&all](const DefinitionsTrace& trace) {
        const auto year = [](std::uint32_t year) { return year ? Json(year) : Json(); };
        all.push_back({{"windowsKey", trace.windowsKey.empty() ? Json() : Json(trace.windowsKey)},
                       {"tzdata", trace.tzdata},
                       {"cldr", trace.cldr},
                       {"zoneinf", trace.program},
                       {"zones", trace.zones},
                       {"firstYear", year(trace.firstYear)},
                       {"lastYear", year(trace.lastYear)}});
    };
    if (traces.global) {
        add(*traces.global);
    }
    for (const DefinitionsTrace& trace : traces.keys) {
        add(trace);
    }
    return all;
}

// A file's report; with `basis`, what it was checked against among its
// fields, as a single file's document has it (several files' documents
// give it once, before them).
Json JsonOf(const CheckBasis* basis, const CheckReport& report)
{
    Json zones = Json::array();
    for (const ZoneCheck& zone : report.zones) {
        Json entry;
        entry["windowsKey"] = zone.windowsKey;
        entry["zone"] = zone.zone.empty() ? Json() : Json(zone.zone);
        entry["status"] = StatusName(zone.status);
        if (zone.status == ZoneCheck::kDiffers) {
            entry["firstDifference"] = FormatInstant(zone.firstDifference);
            entry["windowsOffsetSeconds"] = zone.windowsOffset.count();
            entry["databaseOffsetSeconds"] = zone.databaseOffset.count();
            entry["disagreeingChanges"] = zone.disagreeingChanges;
        }
        if (zone.status == ZoneCheck::kAsClose) {
            entry["closestYears"] = zone.closestYears;
        }
        if (zone.status == ZoneCheck::kTraceOlder) {
            entry["traceTzdata"] = zone.traceRelease;
        }
        if (!zone.problem.empty()) {
            entry["problem"] = zone.problem;
        }
        zones.push_back(std::move(entry));
    }
    Json document;
    document["file"] = report.file;
    document["format"] = report.format;
    if (basis) {
        AddReleases(document, *basis);
    }
    document["checked"] = report.Checked();
    document["differ"] = report.Differing();
    document["asCloseAsWindowsAllows"] = report.Count(ZoneCheck::kAsClose);
    document["unchecked"] = report.Count(ZoneCheck::kUnchecked);
    if (basis) {
        document["sharedKeys"] = SharedKeysJson(*basis);
    }
    document["definitions"] = report.trace ? TracesJson(*report.trace) : Json();
    document["absent"] = report.absent;
    if (report.currentKey) {
        Json current = {{"windowsKey", *report.currentKey},
                        {"verdict", report.CurrentVerdict()},
                        {"state", StateName(report.clock.state)},
                        {"year", report.clock.year}};
        if (report.clock.state == ClockState::kNotReselected) {
            current["differingValues"] = report.clock.differingValues;
        }
        if (!report.clock.problem.empty()) {
            current["problem"] = report.clock.problem;
        }
        document["currentZone"] = std::move(current);
    } else {
        document["currentZone"] = nullptr;
    }
    document["absentKeys"] = report.absentKeys;
    document["compliant"] = report.Compliant();
    document["zones"] = std::move(zones);
    return document;
}

Json SummaryJson(const FleetSummary& summary)
{
    Json keys = Json::object();
    for (const auto& [key, count] : summary.staleKeys) {
        if (count > 0) {
            keys[key] = count;
        }
    }
    return {{"files", summary.files},
            {"checked", summary.files - summary.unreadable},
            {"unreadable", summary.unreadable},
            {"differ", summary.differing},
            {"currentZoneStale", summary.currentStale},
            {"staleKeys", std::move(keys)}};
}

}  // namespace

std::string FormatJson(const CheckBasis& basis, const CheckReport& report)
{
    return Dump(JsonOf(&basis, report));
}

Json FileJson(const CheckReport& report)
{
    return JsonOf(nullptr, report);
}

Json UnreadableFileJson(const std::string& file, const std::string& failure)
{
    return {{"file", file}, {"error", failure}};
}

std::string FormatFleetJson(const CheckBasis& basis, Json files, const FleetSummary& summary)
{
    Json document;
    AddReleases(document, basis);
    document["sharedKeys"] = SharedKeysJson(basis);
    document["files"] = std::move(files);
    document["summary"] = SummaryJson(summary);
    return Dump(document);
}

}  // namespace zoneinf
