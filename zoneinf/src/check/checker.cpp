#include "check/checker.h"

#include "base/messages.h"
#include "base/text_decoder.h"

#include <algorithm>
#include <charconv>

namespace zoneinf {

int CheckReport::Count(ZoneCheck::Status status) const
{
    return int(std::count_if(zones.begin(), zones.end(),
                             [status](const ZoneCheck& zone) { return zone.status == status; }));
}

int CheckReport::Differing() const
{
    return int(std::count_if(zones.begin(), zones.end(), [](const ZoneCheck& zone) { return zone.Stale(); }));
}

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

const char* CheckReport::CurrentVerdict() const
{
    const ZoneCheck* current = Current();
    if (!current) {
        return N_("not among the file's zones");
    }
    if (current->status == ZoneCheck::kUnchecked) {
        return N_("unchecked");
    }
    return current->Stale() ? N_("stale") : N_("sound");
}

bool CheckReport::Compliant() const
{
    if (Differing() > 0 || !absentKeys.empty()) {
        return false;
    }
    switch (clock.state) {
    case ClockState::kNotReselected:
    case ClockState::kAutomaticDstOff:
    case ClockState::kMalformed:
        return false;
    default:
        break;
    }
    if (!scope.current) {
        return true;
    }
    // Detection of the current zone needs proof: the zone named, its key
    // checked, and the record in force seen to be the key's.
    const ZoneCheck* current = Current();
    return current && (current->status == ZoneCheck::kAgrees || current->status == ZoneCheck::kAsClose) &&
           clock.state == ClockState::kInForce;
}

Checker::Checker(const TzDatabase& database, const WindowsZoneMap& map, YearRange years, CheckScope scope,
                 std::optional<int> yearInForce)
    : database_(database),
      basis_{database.Version(), map.Release(), years, SurveySharedKeys(map, database, years, false)},
      scope_(std::move(scope)),
      yearInForce_(yearInForce.value_or(years.first))
{
    for (const std::string& key : scope_.keys) {
        scopeKeys_.push_back(LowerAscii(key));
    }
    // Windows compares key names without regard to case, and so does the check.
    for (const auto& [key, zone] : map.MainZones()) {
        mainZones_.emplace(LowerAscii(key), zone);
    }
}

namespace {

// What decides a key's verdict, as bytes: equal strings, equal verdicts.
// Built once per key of every file checked: appended in place.
std::string VerdictKey(const ExportedZone& exported)
{
    size_t size = exported.windowsKey.size() + 64;
    for (const auto& [year, record] : exported.years) {
        size += record.size() + 32;
    }
    for (const std::string& problem : exported.badValues) {
        size += problem.size() + 1;
    }
    std::string key;
    key.reserve(size);
    key = exported.windowsKey;
    const auto number = [&key](auto value) {
        char digits[24];
        key.append(digits, size_t(std::to_chars(digits, digits + sizeof digits, value).ptr - digits));
    };
    const auto add = [&](const std::vector<std::uint8_t>& bytes) {
        key += '\0';
        number(bytes.size());
        key += ':';
        key.append(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    };
    add(exported.tzi.value_or(std::vector<std::uint8_t>{}));
    key += exported.tzi ? "T" : "-";
    if (exported.firstEntry) {
        number(*exported.firstEntry);
    } else {
        key += '-';
    }
    key += '/';
    if (exported.lastEntry) {
        number(*exported.lastEntry);
    } else {
        key += '-';
    }
    for (const auto& [year, record] : exported.years) {
        key += '\0';
        number(year);
        add(record);
    }
    for (const std::string& problem : exported.badValues) {
        key += '\0';
        key += problem;
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
            auto changes = timeline.ChangesBetween(StartOfYear(basis_.years.first), StartOfYear(basis_.years.last + 1));
            found = zones_.emplace(*zone, DatabaseZone{std::move(timeline), std::move(changes)}).first;
        }
        check = JudgeRecords(std::get<ZoneRecords>(records), found->second.timeline, found->second.changes, basis_.years);
    }
    check.windowsKey = exported.windowsKey;
    check.zone = zone.value_or("");
    return check;
}

bool Checker::InScope(const std::string& key, const std::optional<std::string>& currentKey) const
{
    const std::string lowered = LowerAscii(key);
    return scope_.All() || (scope_.current && currentKey && lowered == LowerAscii(*currentKey)) ||
           std::find(scopeKeys_.begin(), scopeKeys_.end(), lowered) != scopeKeys_.end();
}

CheckReport Checker::Check(const ExportedDefinitions& definitions)
{
    CheckReport report;
    report.format = definitions.format;
    report.currentKey = definitions.currentZoneKey;
    report.trace = definitions.trace;
    report.scope = scope_;
    report.absent = definitions.wholeTimeZonesKey && scope_.All() ? int(mainZones_.size()) : 0;
    const ExportedZone* current = nullptr;
    std::vector<bool> named(scope_.keys.size(), false);
    for (const ExportedZone& exported : definitions.zones) {
        const std::string lowered = LowerAscii(exported.windowsKey);
        if (definitions.currentZoneKey && lowered == LowerAscii(*definitions.currentZoneKey)) {
            current = &exported;
        }
        for (size_t i = 0; i < scope_.keys.size(); ++i) {
            named[i] = named[i] || scopeKeys_[i] == lowered;
        }
        if (!InScope(exported.windowsKey, definitions.currentZoneKey)) {
            continue;
        }
        report.absent -= report.absent > 0 && mainZones_.count(lowered) > 0;
        const std::string key = VerdictKey(exported);
        auto verdict = verdicts_.find(key);
        if (verdict == verdicts_.end()) {
            verdict = verdicts_.emplace(key, CheckZone(exported)).first;
        }
        report.zones.push_back(verdict->second);
    }
    for (size_t i = 0; i < scope_.keys.size(); ++i) {
        if (!named[i]) {
            report.absentKeys.push_back(scope_.keys[i]);
        }
    }
    if (definitions.currentZoneKey) {
        const auto records = current ? RecordsOf(*current) : std::variant<ZoneRecords, std::string>(std::string());
        if (!definitions.inForce.problem.empty() || !definitions.inForce.record) {
            report.clock = CheckClock(definitions.inForce, ZoneRecords{}, yearInForce_);  // no key needed
        } else if (const auto* keyRecords = std::get_if<ZoneRecords>(&records)) {
            report.clock = CheckClock(definitions.inForce, *keyRecords, yearInForce_);
        } else {
            report.clock.state = ClockState::kUnchecked;
            report.clock.year = yearInForce_;
            report.clock.problem = current ? std::get<std::string>(records) : _("the key is not among the file's zones");
        }
    }
    return report;
}

CheckReport CheckDefinitions(const ExportedDefinitions& definitions, const TzDatabase& database,
                             const WindowsZoneMap& map, YearRange years, const CheckScope& scope,
                             std::optional<int> yearInForce)
{
    return Checker(database, map, years, scope, yearInForce).Check(definitions);
}

}  // namespace zoneinf
