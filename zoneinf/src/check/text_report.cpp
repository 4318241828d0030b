#include "check/text_report.h"

#include "base/messages.h"
#include "base/text_decoder.h"

#include <sstream>

namespace zoneinf {

namespace {

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
        text << Fill(_("current zone %1: %2"), {EscapeForTerminal(*report.currentKey), _(report.CurrentVerdict())})
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

std::string PrefixedWithFile(const std::string& file, const std::string& report)
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

std::string FormatFleetSummary(const FleetSummary& summary)
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

}  // namespace zoneinf
