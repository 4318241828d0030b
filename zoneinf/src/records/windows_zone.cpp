#include "records/windows_zone.h"

#include "base/errors.h"
#include "base/messages.h"
#include "base/text_decoder.h"
#include "records/record_builder.h"
#include "records/record_evaluator.h"

namespace zoneinf {

namespace {

// "America/Port_of_Spain" -> "Port of Spain"
std::string CityOf(const std::string& zoneName)
{
    std::string city = zoneName.substr(zoneName.rfind('/') + 1);
    for (char& c : city) {
        if (c == '_') {
            c = ' ';
        }
    }
    return city;
}

// "(UTC-03:00)", "(UTC+05:45)", "(UTC+00:00)" as Windows shows them
std::string DisplayOffset(const TziRecord& tzi)
{
    const Seconds offset{-(tzi.bias + tzi.standardBias) * 60LL};
    std::string text = "(";
    text += FormatOffset(offset);
    text += ')';
    return text;
}

// "Paraguay Standard Time" -> "Paraguay Daylight Time"
std::string DaylightNameOf(const std::string& key)
{
    const std::string standard = "Standard";
    const size_t at = key.rfind(standard);
    return at == std::string::npos ? key : key.substr(0, at) + "Daylight" + key.substr(at + standard.size());
}

}  // namespace

std::string DescribeChanges(const YearOffsets& year, Wording wording)
{
    std::string text = std::to_string(year.year) + ": ";
    if (year.changes.empty()) {
        const char* const allYear = N_("offset %1 all year");
        return text + Fill(wording == Wording::kMessage ? _(allYear) : allYear, {FormatOffset(year.atStart)});
    }
    for (size_t i = 0; i < year.changes.size(); ++i) {
        text += (i > 0 ? ", " : "") + FormatChange(year.changes[i]);
    }
    return text;
}

std::string DisplayLabel(const TziRecord& record, const std::string& zoneName, const std::string& windowsKey,
                         const std::optional<std::string>& windowsDisplay)
{
    std::string names = zoneName.rfind("Etc/", 0) == 0 ? windowsKey : CityOf(zoneName);
    // Windows writes zero "(UTC)" for its key UTC alone, "(UTC+00:00)" for
    // the others ("(UTC+00:00) Dublin, Edinburgh, Lisbon, London").
    bool utcAlone = EqualNoCase(windowsKey, "UTC");
    if (windowsDisplay) {
        const std::string& display = *windowsDisplay;
        const size_t close = display.find(") ");
        const bool prefixed = display.rfind("(UTC", 0) == 0 && close != std::string::npos;
        const std::string given = prefixed ? display.substr(close + 2) : display;
        if (!given.empty()) {
            names = given;
            utcAlone = display.rfind("(UTC) ", 0) == 0;
        }
    }
    const bool zero = record.bias + record.standardBias == 0;
    return (zero && utcAlone ? std::string("(UTC)") : DisplayOffset(record)) + " " + names;
}

WindowsZone BuildWindowsZone(const ZoneTimeline& timeline, const std::string& zoneName,
                             const std::string& windowsKey, YearRange years, bool approximate)
{
    WindowsZone zone;
    zone.zoneName = zoneName;
    zone.windowsKey = windowsKey;
    DynamicDst dynamic{years.first, years.last, {}};
    for (int year = years.first; year <= years.last; ++year) {
        const YearOffsets offsets = timeline.Year(year);
        std::optional<TziRecord> record;
        // The last year's record is also TZI, which Windows keeps using
        // after it: written from the database's rule when it can be.
        if (year == years.last && timeline.FutureRule()) {
            record = DescribeRule(*timeline.FutureRule(), offsets);
        }
        if (!record) {
            record = DescribeYear(offsets);
        }
        if (!record) {
            if (!approximate) {
                throw Failure(kExitIndescribable,
                              Fill(_("%1 (%2): no Windows record describes %3; --approximate writes the closest one"),
                                   {zoneName, windowsKey, DescribeChanges(offsets, Wording::kMessage)}));
            }
            record = ClosestRecord(offsets);
            zone.approximated.push_back(offsets);
        }
        dynamic.years.push_back(*record);
    }
    zone.records.tzi = dynamic.years.back();
    zone.records.dynamic = std::move(dynamic);

    for (int year = years.last + 1; year <= years.last + 28 && zone.futureExact; ++year) {
        zone.futureExact = EvaluateYear(zone.records.tzi, year) == timeline.Year(year);
    }
    zone.display = DisplayLabel(zone.records.tzi, zoneName, windowsKey, std::nullopt);
    zone.standardName = windowsKey;
    zone.daylightName = DaylightNameOf(windowsKey);
    return zone;
}

}  // namespace zoneinf
