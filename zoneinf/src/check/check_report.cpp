#include "check/check_report.h"

#include "base/text_decoder.h"
#include "base/messages.h"

#include <sstream>

namespace zoneinf {

namespace {

const char* const kStatusNames[] = {"agrees",    "differs",   "malformed",   "unchecked", "asCloseAsWindowsAllows",
                                    "traceOlder", "traceMissing"};

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
    return current->Stale() ? N_("stale") : N_("sound");
}

// The state of the clock in force, as JSON names it.
const char* StateName(ClockState state)
{
    switch (state) {
    case ClockState::kInForce: return "inForce";
    case ClockState::kNotReselected: return "notReselected";
    case ClockState::kAutomaticDstOff: return "automaticDstOff";
    case ClockState::kNotExported: return "notExported";
    case ClockState::kMalformed: return "malformed";
    case ClockState::kUnchecked: return "unchecked";
    case ClockState::kNone: break;
    }
    return "none";
}

// The clock in force, as the text report says it.
std::string ClockText(const ClockCheck& clock)
{
    const std::string year = std::to_string(clock.year);
    switch (clock.state) {
    case ClockState::kInForce:
        return Fill(_("in force: the key's record for %1"), {year});
    case ClockState::kNotReselected: {
        std::string values;
        for (const std::string& value : clock.differingValues) {
            values += (values.empty() ? "" : ", ") + value;
        }
        return Fill(_("not re-selected: TimeZoneInformation's %1 not as in the key's record for %2; "
                      "select the zone again"),
                    {values, year});
    }
    case ClockState::kAutomaticDstOff:
        return Fill(_("automatic daylight saving time off, and the zone has daylight saving time in %1"), {year});
    case ClockState::kNotExported:
        return _("not exported: the record in force (Bias, StandardStart, DaylightStart of TimeZoneInformation) "
                 "could not be checked");
    case ClockState::kMalformed:
        return Fill(_("malformed record in force: %1"), {EscapeForTerminal(clock.problem)});
    case ClockState::kUnchecked:
        return Fill(_("record in force unchecked: %1"), {EscapeForTerminal(clock.problem)});
    case ClockState::kNone: break;
    }
    return "";
}

// Text is UTF-8 once read; a file name need not be, and is kept with U+FFFD.
std::string Dump(const nlohmann::ordered_json& document)
{
    return document.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace) + "\n";
}

nlohmann::ordered_json SharedKeysJson(const CheckBasis& basis)
{
    nlohmann::ordered_json sharedKeys = nlohmann::ordered_json::array();
    for (const SharedKeyNote& note : basis.sharedKeys) {
        nlohmann::ordered_json differing = nlohmann::ordered_json::array();
        for (const ZoneDisagreement& zone : note.differing) {
            nlohmann::ordered_json keysThatAgree = nlohmann::ordered_json::array();
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
nlohmann::ordered_json TracesJson(const DefinitionsTraces& traces)
{
    nlohmann::ordered_json all = nlohmann::ordered_json::array();
    const auto add = [&all](const DefinitionsTrace& trace) {
        const auto year = [](std::uint32_t year) { return year ? nlohmann::ordered_json(year) : nlohmann::ordered_json(); };
        all.push_back({{"windowsKey", trace.windowsKey.empty() ? nlohmann::ordered_json() : nlohmann::ordered_json(trace.windowsKey)},
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
nlohmann::ordered_json JsonOf(const CheckBasis* basis, const CheckReport& report)
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
        if (zone.status == ZoneCheck::kTraceOlder) {
            entry["traceTzdata"] = zone.traceRelease;
        }
        if (!zone.problem.empty()) {
            entry["problem"] = zone.problem;
        }
        zones.push_back(std::move(entry));
    }
    nlohmann::ordered_json document;
    document["file"] = report.file;
    document["format"] = report.format;
    if (basis) {
        document["tzdata"] = basis->databaseVersion;
        document["cldr"] = basis->mappingRelease;
        document["fromYear"] = basis->years.first;
        document["toYear"] = basis->years.last;
    }
    document["checked"] = report.Checked();
    document["differ"] = report.Differing();
    document["asCloseAsWindowsAllows"] = report.Count(ZoneCheck::kAsClose);
    document["unchecked"] = report.Count(ZoneCheck::kUnchecked);
    if (basis) {
        document["sharedKeys"] = SharedKeysJson(*basis);
    }
    document["definitions"] = report.trace ? TracesJson(*report.trace) : nlohmann::ordered_json();
    document["absent"] = report.absent;
    if (report.currentKey) {
        nlohmann::ordered_json current = {{"windowsKey", *report.currentKey},
                                          {"verdict", CurrentVerdict(report)},
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

// Several files: each report after its file's name, as grep prints lines;
// the name escaped, so no name can make a line of its own.
std::string Prefixed(const std::string& file, const std::string& report)
{
    const std::string name = EscapeForTerminal(file);
    std::string text;
    for (size_t start = 0; start < report.size();) {
        const size_t end = report.find('\n', start);
        text += name + ": " + report.substr(start, end - start + 1);
        start = end + 1;
    }
    return text;
}

std::string SummaryText(const FleetSummary& summary)
{
    std::ostringstream text;
    text << Fill(_("%1 files: %2 checked, %3 unreadable, %4 with zones that differ, %5 whose current zone is stale"),
                 {std::to_string(summary.files), std::to_string(summary.files - summary.unreadable),
                  std::to_string(summary.unreadable), std::to_string(summary.differing),
                  std::to_string(summary.currentStale)})
         << "\n";
    for (const auto& [key, count] : summary.staleKeys) {
        if (count > 0) {
            text << EscapeForTerminal(key) << "  "
                 << Fill(TranslatePlural("stale in %1 file", "stale in %1 files", count), {std::to_string(count)})
                 << "\n";
        }
    }
    return text.str();
}

nlohmann::ordered_json SummaryJson(const FleetSummary& summary)
{
    nlohmann::ordered_json keys = nlohmann::ordered_json::object();
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

std::string FormatReport(const CheckReport& report, bool verbose)
{
    std::ostringstream text;
    for (const ZoneCheck& zone : report.zones) {
        // Key names and problems come from the file: escaped for the terminal.
        const std::string key = EscapeForTerminal(zone.windowsKey);
        if (zone.status == ZoneCheck::kDiffers) {
            text << key << "  " << EscapeForTerminal(zone.zone) << "  "
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
            text << key << "  " << EscapeForTerminal(zone.zone) << "  "
                 << Fill(_("as close as Windows allows in %1, years no single record describes"), {years}) << "\n";
        } else if (zone.status == ZoneCheck::kMalformed) {
            text << key << "  " << EscapeForTerminal(zone.zone) << "  " << Fill(_("malformed: %1"), {EscapeForTerminal(zone.problem)})
                 << "\n";
        } else if (zone.status == ZoneCheck::kTraceOlder) {
            // A TzdataRelease missing, of another type or blank names no release to show.
            const bool unreadable = TrimmedBlanks(zone.traceRelease).empty();
            text << key << "  " << zone.zone << "  "
                 << (unreadable ? _("older definitions: its trace holds no readable TzdataRelease")
                                : Fill(_("older definitions: its trace records tzdata %1"), {EscapeForTerminal(zone.traceRelease)}))
                 << "\n";
        } else if (zone.status == ZoneCheck::kTraceMissing) {
            text << key << "  " << zone.zone << "  " << _("no trace: definitions of unknown release") << "\n";
        } else if (zone.status == ZoneCheck::kUnchecked && verbose) {
            text << key << "  " << Fill(_("unchecked: %1"), {EscapeForTerminal(zone.problem)}) << "\n";
        }
    }
    if (report.trace) {
        for (const std::string& line : DescribeTraces(*report.trace)) {
            text << Fill(_("Definitions applied: %1"), {line}) << "\n";
        }
    }
    if (report.currentKey) {
        text << Fill(_("current zone %1: %2"), {EscapeForTerminal(*report.currentKey), _(CurrentVerdict(report).c_str())})
             << "\n"
             << Fill(_("clock of %1: %2"), {EscapeForTerminal(*report.currentKey), ClockText(report.clock)}) << "\n";
    } else if (report.scope.current) {
        text << _("current zone: the file names none (no TimeZoneKeyName under TimeZoneInformation)") << "\n";
    }
    for (const std::string& key : report.absentKeys) {
        text << EscapeForTerminal(key) << "  " << _("absent from the file") << "\n";
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

std::string FormatJson(const CheckBasis& basis, const CheckReport& report)
{
    return Dump(JsonOf(&basis, report));
}

RunReport::RunReport(const CheckBasis& basis, bool severalFiles, bool json, bool verbose)
    : basis_(basis), severalFiles_(severalFiles), json_(json), verbose_(verbose)
{
}

void RunReport::Add(const CheckReport& report)
{
    if (json_) {
        files_.push_back(JsonOf(severalFiles_ ? nullptr : &basis_, report));
    } else {
        const std::string lines = FormatReport(report, verbose_);
        text_ += severalFiles_ ? Prefixed(report.file, lines) : lines;
    }
}

void RunReport::AddUnreadable(const std::string& file, const std::string& failure)
{
    files_.push_back({{"file", file}, {"error", failure}});
}

std::string RunReport::Finish(const FleetSummary& summary)
{
    if (json_) {
        if (!severalFiles_) {
            return Dump(files_.front());
        }
        nlohmann::ordered_json document;
        document["tzdata"] = basis_.databaseVersion;
        document["cldr"] = basis_.mappingRelease;
        document["fromYear"] = basis_.years.first;
        document["toYear"] = basis_.years.last;
        document["sharedKeys"] = SharedKeysJson(basis_);
        document["files"] = std::move(files_);
        document["summary"] = SummaryJson(summary);
        return Dump(document);
    }
    return severalFiles_ ? text_ + SummaryText(summary) : text_;
}

}  // namespace zoneinf
