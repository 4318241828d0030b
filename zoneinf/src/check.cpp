#include "check.h"

#include "errors.h"
#include "whole_file.h"
#include "record_builder.h"
#include "record_evaluator.h"
#include "text_decoder.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <iostream>
#include <map>
#include <sstream>

namespace zoneinf {

int CheckReport::Count(ZoneCheck::Status status) const
{
    return int(std::count_if(zones.begin(), zones.end(),
                             [status](const ZoneCheck& zone) { return zone.status == status; }));
}

ZoneCheck CompareWithDatabase(const ZoneRecords& records, const ZoneTimeline& timeline, YearRange years)
{
    const Instant begin = StartOfYear(years.first);
    const Instant end = StartOfYear(years.last + 1);
    const std::vector<OffsetChange> windows = ChangesBetween(records, begin, end);
    const std::vector<OffsetChange> database = timeline.ChangesBetween(begin, end);

    ZoneCheck check;
    check.status = ZoneCheck::kAgrees;
    for (const OffsetChange& change : windows) {
        check.disagreeingChanges += std::find(database.begin(), database.end(), change) == database.end();
    }
    for (const OffsetChange& change : database) {
        check.disagreeingChanges += std::find(windows.begin(), windows.end(), change) == windows.end();
    }
    // The first instant where the two offsets part: the start, or a change of either.
    std::vector<Instant> edges = {begin};
    for (const auto* changes : {&windows, &database}) {
        for (const OffsetChange& change : *changes) {
            edges.push_back(change.at);
        }
    }
    std::sort(edges.begin(), edges.end());
    for (Instant edge : edges) {
        const Seconds windowsOffset = OffsetAt(records, edge);
        const Seconds databaseOffset = timeline.OffsetAt(edge);
        if (windowsOffset != databaseOffset) {
            check.status = ZoneCheck::kDiffers;
            check.firstDifference = edge;
            check.windowsOffset = windowsOffset;
            check.databaseOffset = databaseOffset;
            break;
        }
    }
    return check;
}

namespace {

// Whether records that differ from the database do so only in years no
// record describes, and there for no longer than the closest record the
// builder would write: the generator's own judgement, not a copy of it.
bool AsCloseAsWindowsAllows(const ZoneRecords& records, const ZoneTimeline& timeline, YearRange years,
                            std::vector<int>& closestYears)
{
    for (int year = years.first; year <= years.last; ++year) {
        const YearOffsets database = timeline.Year(year);
        const YearOffsets windows = EvaluateYear(records, year);
        if (windows == database) {
            continue;
        }
        if (DescribeYear(database) ||
            DisagreementIn(windows, database) > DisagreementIn(EvaluateYear(ClosestRecord(database), year), database)) {
            return false;
        }
        closestYears.push_back(year);
    }
    return true;
}

}  // namespace

CheckReport CheckDefinitions(const ExportedDefinitions& definitions, const TzDatabase& database,
                             const WindowsZoneMap& map, YearRange years)
{
    CheckReport report;
    report.format = definitions.format;
    report.databaseVersion = database.Version();
    report.mappingRelease = map.Release();
    report.years = years;
    report.sharedKeys = SurveySharedKeys(map, database, years, false);
    // Windows compares key names without regard to case, and so does the check.
    std::map<std::string, std::string> mainZones;
    for (const auto& [key, zone] : map.MainZones()) {
        mainZones.emplace(LowerAscii(key), zone);
    }
    report.absent = definitions.wholeTimeZonesKey ? int(mainZones.size()) : 0;
    for (const ExportedZone& exported : definitions.zones) {
        ZoneCheck check;
        const auto mapped = mainZones.find(LowerAscii(exported.windowsKey));
        const auto zone = mapped == mainZones.end() ? std::nullopt
                                                    : std::optional(database.CurrentName(mapped->second));
        report.absent -= definitions.wholeTimeZonesKey && mapped != mainZones.end();
        const auto records = RecordsOf(exported);
        if (!zone || !database.HasZone(*zone)) {
            check.problem = zone ? "CLDR's zone " + *zone + " is not in the database" : "CLDR maps no zone to it";
        } else if (const auto* problem = std::get_if<std::string>(&records)) {
            check.status = ZoneCheck::kMalformed;
            check.problem = *problem;
        } else {
            const ZoneTimeline timeline = database.Load(*zone);
            const ZoneRecords& zoneRecords = std::get<ZoneRecords>(records);
            check = CompareWithDatabase(zoneRecords, timeline, years);
            if (check.status == ZoneCheck::kDiffers &&
                AsCloseAsWindowsAllows(zoneRecords, timeline, years, check.closestYears)) {
                check.status = ZoneCheck::kAsClose;
            }
        }
        check.windowsKey = exported.windowsKey;
        check.zone = zone.value_or("");
        report.zones.push_back(std::move(check));
    }
    return report;
}

std::string FormatReport(const CheckReport& report, bool verbose)
{
    std::ostringstream text;
    for (const ZoneCheck& zone : report.zones) {
        // Key names and problems come from the file: escaped for the terminal.
        const std::string key = EscapeForTerminal(zone.windowsKey);
        if (zone.status == ZoneCheck::kDiffers) {
            text << key << "  " << zone.zone << "  from " << FormatInstant(zone.firstDifference)
                 << " Windows gives " << FormatOffset(zone.windowsOffset) << ", the database "
                 << FormatOffset(zone.databaseOffset) << "; ";
            if (zone.disagreeingChanges == 0) {
                text << "no change of offset disagrees, the offset between them does\n";
            } else {
                text << zone.disagreeingChanges << (zone.disagreeingChanges == 1 ? " change" : " changes")
                     << " of offset disagree\n";
            }
        } else if (zone.status == ZoneCheck::kAsClose) {
            text << key << "  " << zone.zone << "  as close as Windows allows in";
            for (size_t i = 0; i < zone.closestYears.size(); ++i) {
                text << (i == 0 ? " " : ", ") << zone.closestYears[i];
            }
            text << ", years no single record describes\n";
        } else if (zone.status == ZoneCheck::kMalformed) {
            text << key << "  " << zone.zone << "  malformed: " << EscapeForTerminal(zone.problem) << "\n";
        } else if (zone.status == ZoneCheck::kUnchecked && verbose) {
            text << key << "  unchecked: " << EscapeForTerminal(zone.problem) << "\n";
        }
    }
    text << report.Checked() << (report.Checked() == 1 ? " zone" : " zones") << " checked, "
         << report.Differing() << (report.Differing() == 1 ? " differs, " : " differ, ")
         << report.Count(ZoneCheck::kAsClose) << " as close as Windows allows, "
         << report.Count(ZoneCheck::kUnchecked) << " unchecked";
    if (report.absent > 0) {
        // A partial export would otherwise pass for a machine with fewer zones.
        text << "; " << report.absent << (report.absent == 1 ? " key" : " keys") << " of the mapping absent from the file";
    }
    text << "\n";
    return text.str();
}

std::string FormatJson(const CheckReport& report)
{
    static const char* const kStatusNames[] = {"agrees", "differs", "malformed", "unchecked", "asCloseAsWindowsAllows"};
    nlohmann::ordered_json zones = nlohmann::ordered_json::array();
    for (const ZoneCheck& zone : report.zones) {
        nlohmann::ordered_json entry;
        entry["windowsKey"] = zone.windowsKey;
        entry["zone"] = zone.zone.empty() ? nlohmann::ordered_json() : nlohmann::ordered_json(zone.zone);
        entry["status"] = kStatusNames[zone.status];
        if (zone.status == ZoneCheck::kDiffers) {
            entry["firstDifference"] = FormatInstant(zone.firstDifference);
            entry["windowsOffsetSeconds"] = zone.windowsOffset.count();
            entry["databaseOffsetSeconds"] = zone.databaseOffset.count();
            entry["disagreeingChanges"] = zone.disagreeingChanges;
        }
        if (zone.status == ZoneCheck::kAsClose) {
            entry["closestYears"] = zone.closestYears;
        }
        if (!zone.problem.empty()) {
            entry["problem"] = zone.problem;
        }
        zones.push_back(std::move(entry));
    }
    nlohmann::ordered_json document;
    document["file"] = report.file;
    document["format"] = report.format;
    document["tzdata"] = report.databaseVersion;
    document["cldr"] = report.mappingRelease;
    document["fromYear"] = report.years.first;
    document["toYear"] = report.years.last;
    document["checked"] = report.Checked();
    document["differ"] = report.Differing();
    document["asCloseAsWindowsAllows"] = report.Count(ZoneCheck::kAsClose);
    document["unchecked"] = report.Count(ZoneCheck::kUnchecked);
    nlohmann::ordered_json sharedKeys = nlohmann::ordered_json::array();
    for (const SharedKeyNote& note : report.sharedKeys) {
        nlohmann::ordered_json differing = nlohmann::ordered_json::array();
        for (const ZoneDisagreement& zone : note.differing) {
            differing.push_back({{"zone", zone.zone},
                                 {"firstDifference", FormatInstant(zone.firstDifference)},
                                 {"zoneOffsetSeconds", zone.zoneOffset.count()},
                                 {"mainZoneOffsetSeconds", zone.mainOffset.count()},
                                 {"firstYear", zone.firstYear},
                                 {"lastYear", zone.lastYear}});
        }
        sharedKeys.push_back({{"windowsKey", note.windowsKey}, {"mainZone", note.mainZone}, {"differing", differing}});
    }
    document["sharedKeys"] = std::move(sharedKeys);
    document["absent"] = report.absent;
    document["zones"] = std::move(zones);
    // Text is UTF-8 once read; a file name need not be, and is kept with U+FFFD.
    return document.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace) + "\n";
}

int RunCheck(const Options& options, YearRange years)
{
    const std::string& path = *options.check;
    const auto bytes = ReadFileWhole(path);
    if (!bytes) {
        throw Failure(kExitUnreadableInput, path + ": cannot read (missing, unreadable or empty)");
    }
    const TzDatabase database(options.zoneinfo);
    const WindowsZoneMap map = WindowsZoneMap::Load(options.windowsZones);
    CheckReport report = CheckDefinitions(ReadDefinitions(*bytes, path), database, map, years);
    report.file = path;
    std::cerr << FormatSharedKeyNotes(report.sharedKeys);
    WriteStandardOutput(options.json ? FormatJson(report) : FormatReport(report, options.verbose));
    return report.Differing() > 0 ? kExitZonesDiffer : kExitSuccess;
}

}  // namespace zoneinf
