#include "check.h"

#include "errors.h"
#include "messages.h"
#include "whole_file.h"
#include "record_builder.h"
#include "record_evaluator.h"
#include "text_decoder.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <deque>
#include <future>
#include <map>
#include <sstream>
#include <thread>

namespace zoneinf {

int CheckReport::Count(ZoneCheck::Status status) const
{
    return int(std::count_if(zones.begin(), zones.end(),
                             [status](const ZoneCheck& zone) { return zone.status == status; }));
}

ZoneCheck CompareWithDatabase(const ZoneRecords& records, const ZoneTimeline& timeline,
                              const std::vector<OffsetChange>& database, YearRange years)
{
    const Instant begin = StartOfYear(years.first);
    const Instant end = StartOfYear(years.last + 1);
    const std::vector<OffsetChange> windows = ChangesBetween(records, begin, end);

    ZoneCheck check;
    check.status = ZoneCheck::kAgrees;
    for (const OffsetChange& change : windows) {
        check.disagreeingChanges += std::find(database.begin(), database.end(), change) == database.end();
    }
    for (const OffsetChange& change : database) {
        check.disagreeingChanges += std::find(windows.begin(), windows.end(), change) == windows.end();
    }
    const std::vector<OffsetDifference> differences =
        Differences({[&](Instant at) { return OffsetAt(records, at); }, windows},
                    {[&](Instant at) { return timeline.OffsetAt(at); }, database}, begin, end);
    if (!differences.empty()) {
        check.status = ZoneCheck::kDiffers;
        check.firstDifference = differences.front().from;
        check.windowsOffset = differences.front().first;
        check.databaseOffset = differences.front().second;
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

const ZoneCheck* CheckReport::Current() const
{
    if (!currentKey) {
        return nullptr;
    }
    const auto found = std::find_if(zones.begin(), zones.end(), [&](const ZoneCheck& zone) {
        return LowerAscii(zone.windowsKey) == LowerAscii(*currentKey);
    });
    return found == zones.end() ? nullptr : &*found;
}

Checker::Checker(const TzDatabase& database, const WindowsZoneMap& map, YearRange years)
    : database_(database), map_(map), years_(years), sharedKeys_(SurveySharedKeys(map, database, years, false))
{
    // Windows compares key names without regard to case, and so does the check.
    for (const auto& [key, zone] : map.MainZones()) {
        mainZones_.emplace(LowerAscii(key), zone);
    }
}

namespace {

// What decides a key's verdict, as bytes: equal strings, equal verdicts.
std::string VerdictKey(const ExportedZone& exported)
{
    std::string key = exported.windowsKey;
    const auto add = [&key](const std::vector<std::uint8_t>& bytes) {
        key += '\0' + std::to_string(bytes.size()) + ':';
        key.append(bytes.begin(), bytes.end());
    };
    add(exported.tzi.value_or(std::vector<std::uint8_t>{}));
    key += exported.tzi ? "T" : "-";
    key += exported.firstEntry ? std::to_string(*exported.firstEntry) : "-";
    key += '/' + (exported.lastEntry ? std::to_string(*exported.lastEntry) : "-");
    for (const auto& [year, record] : exported.years) {
        key += '\0' + std::to_string(year);
        add(record);
    }
    for (const std::string& problem : exported.badValues) {
        key += '\0' + problem;
    }
    return key;
}

}  // namespace

ZoneCheck Checker::CheckZone(const ExportedZone& exported)
{
    ZoneCheck check;
    const auto mapped = mainZones_.find(LowerAscii(exported.windowsKey));
    const auto zone = mapped == mainZones_.end() ? std::nullopt : std::optional(database_.CurrentName(mapped->second));
    const auto records = RecordsOf(exported);
    if (!zone || !database_.HasZone(*zone)) {
        check.problem = zone ? Fill(_("CLDR's zone %1 is not in the database"), {*zone}) : _("CLDR maps no zone to it");
    } else if (const auto* problem = std::get_if<std::string>(&records)) {
        check.status = ZoneCheck::kMalformed;
        check.problem = *problem;
    } else {
        auto found = zones_.find(*zone);
        if (found == zones_.end()) {
            ZoneTimeline timeline = database_.Load(*zone);
            auto changes = timeline.ChangesBetween(StartOfYear(years_.first), StartOfYear(years_.last + 1));
            found = zones_.emplace(*zone, DatabaseZone{std::move(timeline), std::move(changes)}).first;
        }
        const ZoneTimeline& timeline = found->second.timeline;
        const ZoneRecords& zoneRecords = std::get<ZoneRecords>(records);
        check = CompareWithDatabase(zoneRecords, timeline, found->second.changes, years_);
        if (check.status == ZoneCheck::kDiffers &&
            AsCloseAsWindowsAllows(zoneRecords, timeline, years_, check.closestYears)) {
            check.status = ZoneCheck::kAsClose;
        }
    }
    check.windowsKey = exported.windowsKey;
    check.zone = zone.value_or("");
    return check;
}

CheckReport Checker::Check(const ExportedDefinitions& definitions)
{
    CheckReport report;
    report.format = definitions.format;
    report.databaseVersion = database_.Version();
    report.mappingRelease = map_.Release();
    report.years = years_;
    report.sharedKeys = sharedKeys_;
    report.currentKey = definitions.currentZoneKey;
    report.trace = definitions.trace;
    report.absent = definitions.wholeTimeZonesKey ? int(mainZones_.size()) : 0;
    for (const ExportedZone& exported : definitions.zones) {
        report.absent -= definitions.wholeTimeZonesKey && mainZones_.count(LowerAscii(exported.windowsKey)) > 0;
        const std::string key = VerdictKey(exported);
        auto verdict = verdicts_.find(key);
        if (verdict == verdicts_.end()) {
            verdict = verdicts_.emplace(key, CheckZone(exported)).first;
        }
        report.zones.push_back(verdict->second);
    }
    return report;
}

CheckReport CheckDefinitions(const ExportedDefinitions& definitions, const TzDatabase& database,
                             const WindowsZoneMap& map, YearRange years)
{
    return Checker(database, map, years).Check(definitions);
}

namespace {

const char* const kStatusNames[] = {"agrees", "differs", "malformed", "unchecked", "asCloseAsWindowsAllows"};

bool IsStale(const ZoneCheck& zone)
{
    return zone.status == ZoneCheck::kDiffers || zone.status == ZoneCheck::kMalformed;
}

// "stale", "sound", ... for the machine's own zone, in English (the JSON
// value; the text report translates it).
std::string CurrentVerdict(const CheckReport& report)
{
    const ZoneCheck* current = report.Current();
    if (!current) {
        return N_("not among the file's zones");
    }
    if (current->status == ZoneCheck::kUnchecked) {
        return N_("unchecked");
    }
    return IsStale(*current) ? N_("stale") : N_("sound");
}

}  // namespace

std::string FormatReport(const CheckReport& report, bool verbose)
{
    std::ostringstream text;
    for (const ZoneCheck& zone : report.zones) {
        // Key names and problems come from the file: escaped for the terminal.
        const std::string key = EscapeForTerminal(zone.windowsKey);
        if (zone.status == ZoneCheck::kDiffers) {
            text << key << "  " << zone.zone << "  "
                 << Fill(_("from %1 Windows gives %2, the database %3; "),
                         {FormatInstant(zone.firstDifference), FormatOffset(zone.windowsOffset),
                          FormatOffset(zone.databaseOffset)});
            if (zone.disagreeingChanges == 0) {
                text << _("no change of offset disagrees, the offset between them does") << "\n";
            } else {
                text << Fill(TranslatePlural("%1 change of offset disagree", "%1 changes of offset disagree",
                                             zone.disagreeingChanges),
                             {std::to_string(zone.disagreeingChanges)})
                     << "\n";
            }
        } else if (zone.status == ZoneCheck::kAsClose) {
            std::string years;
            for (size_t i = 0; i < zone.closestYears.size(); ++i) {
                years += (i == 0 ? "" : ", ") + std::to_string(zone.closestYears[i]);
            }
            text << key << "  " << zone.zone << "  "
                 << Fill(_("as close as Windows allows in %1, years no single record describes"), {years}) << "\n";
        } else if (zone.status == ZoneCheck::kMalformed) {
            text << key << "  " << zone.zone << "  " << Fill(_("malformed: %1"), {EscapeForTerminal(zone.problem)})
                 << "\n";
        } else if (zone.status == ZoneCheck::kUnchecked && verbose) {
            text << key << "  " << Fill(_("unchecked: %1"), {EscapeForTerminal(zone.problem)}) << "\n";
        }
    }
    if (report.trace) {
        text << Fill(_("Definitions applied: %1"), {DescribeTrace(*report.trace)}) << "\n";
    }
    if (report.currentKey) {
        text << Fill(_("current zone %1: %2"), {EscapeForTerminal(*report.currentKey), _(CurrentVerdict(report).c_str())})
             << "\n";
    }
    const auto counted = [](const char* pattern, int count) { return Fill(pattern, {std::to_string(count)}); };
    text << counted(TranslatePlural("%1 zone checked, ", "%1 zones checked, ", report.Checked()), report.Checked())
         << counted(TranslatePlural("%1 differs, ", "%1 differ, ", report.Differing()), report.Differing())
         << counted(TranslatePlural("%1 as close as Windows allows, ", "%1 as close as Windows allows, ",
                                    report.Count(ZoneCheck::kAsClose)),
                    report.Count(ZoneCheck::kAsClose))
         << counted(TranslatePlural("%1 unchecked", "%1 unchecked", report.Count(ZoneCheck::kUnchecked)),
                    report.Count(ZoneCheck::kUnchecked));
    if (report.absent > 0) {
        // A partial export would otherwise pass for a machine with fewer zones.
        text << counted(TranslatePlural("; %1 key of the mapping absent from the file",
                                        "; %1 keys of the mapping absent from the file", report.absent),
                        report.absent);
    }
    text << "\n";
    return text.str();
}

namespace {

// Text is UTF-8 once read; a file name need not be, and is kept with U+FFFD.
std::string Dump(const nlohmann::ordered_json& document)
{
    return document.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace) + "\n";
}

nlohmann::ordered_json JsonOf(const CheckReport& report)
{
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
    document["definitions"] = report.trace ? nlohmann::ordered_json{{"tzdata", report.trace->tzdata},
                                                                   {"cldr", report.trace->cldr},
                                                                   {"zoneinf", report.trace->program},
                                                                   {"zones", report.trace->zones}}
                                           : nlohmann::ordered_json();
    document["absent"] = report.absent;
    if (report.currentKey) {
        document["currentZone"] = {{"windowsKey", *report.currentKey}, {"verdict", CurrentVerdict(report)}};
    } else {
        document["currentZone"] = nullptr;
    }
    document["zones"] = std::move(zones);
    return document;
}

// Several files: each report after its file's name, as grep prints lines.
std::string Prefixed(const std::string& name, const std::string& report)
{
    std::string text;
    for (size_t start = 0; start < report.size();) {
        const size_t end = report.find('\n', start);
        text += name + ": " + report.substr(start, end - start + 1);
        start = end + 1;
    }
    return text;
}

// What the fleet summary counts.
struct FleetSummary {
    int files = 0;
    int unreadable = 0;
    int differing = 0;     // files with a zone that differs
    int currentStale = 0;  // files whose own zone is stale
    std::map<std::string, int> staleKeys;  // key -> files that flag it

    void Add(const CheckReport& report)
    {
        differing += report.Differing() > 0;
        currentStale += report.Current() && IsStale(*report.Current());
        for (const ZoneCheck& zone : report.zones) {
            staleKeys[zone.windowsKey] += IsStale(zone);
        }
    }
    std::string Text() const
    {
        std::ostringstream text;
        text << Fill(_("%1 files: %2 checked, %3 unreadable, %4 with zones that differ, %5 whose current zone is stale"),
                     {std::to_string(files), std::to_string(files - unreadable), std::to_string(unreadable),
                      std::to_string(differing), std::to_string(currentStale)})
             << "\n";
        for (const auto& [key, count] : staleKeys) {
            if (count > 0) {
                text << key << "  "
                     << Fill(TranslatePlural("stale in %1 file", "stale in %1 files", count), {std::to_string(count)})
                     << "\n";
            }
        }
        return text.str();
    }
    nlohmann::ordered_json Json() const
    {
        nlohmann::ordered_json keys = nlohmann::ordered_json::object();
        for (const auto& [key, count] : staleKeys) {
            if (count > 0) {
                keys[key] = count;
            }
        }
        return {{"files", files},
                {"checked", files - unreadable},
                {"unreadable", unreadable},
                {"differ", differing},
                {"currentZoneStale", currentStale},
                {"staleKeys", std::move(keys)}};
    }
};

}  // namespace

std::string FormatJson(const CheckReport& report)
{
    return Dump(JsonOf(report));
}

std::vector<CheckInput> CheckFiles(const std::vector<std::string>& files)
{
    std::vector<CheckInput> inputs;
    for (const std::string& path : files) {
        inputs.push_back({path, [path] {
                              const auto bytes = ReadFileWhole(PathFromUtf8(path));
                              if (!bytes || bytes->empty()) {
                                  throw Failure(kExitUnreadableInput,
                                                path + ": " + _("cannot read (missing, unreadable or empty)"));
                              }
                              return ReadDefinitions(*bytes, path);
                          }});
    }
    return inputs;
}

int RunCheck(const std::vector<CheckInput>& inputs, const TzDatabase& database, const WindowsZoneMap& map,
             YearRange years, bool json, bool verbose)
{
    Checker checker(database, map, years);
    WriteStandardError(FormatSharedKeyNotes(checker.SharedKeys()));
    const bool fleet = inputs.size() > 1;
    FleetSummary summary;
    nlohmann::ordered_json reports = nlohmann::ordered_json::array();
    std::string text;
    int status = kExitSuccess;
    // Files are read and parsed a batch at a time on every core, and
    // checked in their order (the checker's memory is not shared).
    const size_t batch = std::max(2u, std::thread::hardware_concurrency()) * 4;
    std::deque<std::future<ExportedDefinitions>> reads;
    for (size_t next = 0; next < inputs.size() || !reads.empty();) {
        while (next < inputs.size() && reads.size() < batch) {
            reads.push_back(std::async(inputs.size() > 1 ? std::launch::async : std::launch::deferred,
                                       inputs[next++].read));
        }
        const CheckInput& input = inputs[next - reads.size()];
        std::future<ExportedDefinitions> read = std::move(reads.front());
        reads.pop_front();
        ++summary.files;
        CheckReport report;
        try {
            report = checker.Check(read.get());
        } catch (const Failure& failure) {
            if (!fleet) {
                throw;
            }
            WriteStandardError(std::string("zoneinf: ") + failure.what() + "\n");
            reports.push_back({{"file", input.name}, {"error", failure.what()}});
            ++summary.unreadable;
            status = kExitUnreadableInput;
            continue;
        }
        report.file = input.name;
        summary.Add(report);
        if (report.Differing() > 0 && status == kExitSuccess) {
            status = kExitZonesDiffer;
        }
        if (json) {
            reports.push_back(JsonOf(report));
        } else {
            const std::string lines = FormatReport(report, verbose);
            text += fleet ? Prefixed(input.name, lines) : lines;
        }
    }
    if (json) {
        if (!fleet) {
            text = Dump(reports.front());
        } else {
            nlohmann::ordered_json document;
            document["tzdata"] = database.Version();
            document["fromYear"] = years.first;
            document["toYear"] = years.last;
            document["files"] = std::move(reports);
            document["summary"] = summary.Json();
            text = Dump(document);
        }
    } else if (fleet) {
        text += summary.Text();
    }
    WriteStandardOutput(text);
    return status;
}

}  // namespace zoneinf
