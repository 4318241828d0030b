#include "reader_exercises.h"

#include "base/errors.h"
#include "commands/command_files.h"
#include "registry/exported_definitions.h"
#include "fuzz_check.h"
#include "mapping/windows_zone_map.h"
#include "records/record_evaluator.h"
#include "records/windows_zone.h"
#include "tzdb/tzif_reader.h"

#include <functional>
#include <utility>
#include <variant>

namespace zoneinf::fuzz {

namespace {

// A Failure is the one way to refuse: of the status given, naming the input.
Outcome Run(ExitStatus refusal, const std::function<void()>& exercise)
{
    try {
        exercise();
        return Outcome::kRead;
    } catch (const Failure& failure) {
        FUZZ_CHECK(failure.status() == refusal || failure.status() == kExitIndescribable);
        FUZZ_CHECK(std::string(failure.what()).find('\n') == std::string::npos);
        if (failure.status() == refusal) {
            FUZZ_CHECK(std::string(failure.what()).rfind(std::string(kInputName) + ": ", 0) == 0);
        }
        return Outcome::kRefused;
    }
}

// Changes come in order, each from the offset the last one left, and the
// offset function agrees with them.
template <typename OffsetAt>
void CheckChanges(const std::vector<OffsetChange>& changes, Instant begin, Instant end, OffsetAt offsetAt)
{
    Seconds current = offsetAt(begin);
    Instant previous = begin;
    for (const OffsetChange& change : changes) {
        FUZZ_CHECK(change.at > previous && change.at < end);
        FUZZ_CHECK(change.before == current && change.after != change.before);
        FUZZ_CHECK(offsetAt(change.at) == change.after);
        FUZZ_CHECK(offsetAt(change.at - Seconds{1}) == change.before);
        current = change.after;
        previous = change.at;
    }
}

}  // namespace

Outcome ExerciseDefinitions(const std::string& bytes)
{
    // A fleet's reads share the zones they read: over a cache of its own,
    // twice (the second read from what the first kept), and over one kept
    // for every input of the run, the read is the read alone, or its refusal.
    static ZoneCache everyInput;
    ZoneCache own;
    using Read = std::variant<ExportedDefinitions, std::pair<int, std::string>>;
    const auto read = [&](ZoneCache* cache) -> Read {
        try {
            return ReadDefinitions(bytes, kInputName, cache);
        } catch (const Failure& failure) {
            return std::pair(int(failure.status()), std::string(failure.what()));
        }
    };
    const Read alone = read(nullptr);
    FUZZ_CHECK(read(&own) == alone);
    FUZZ_CHECK(read(&own) == alone);
    FUZZ_CHECK(read(&everyInput) == alone);
    return Run(kExitUnreadableInput, [&] {
        for (const ExportedZone& zone : ReadDefinitions(bytes, kInputName).zones) {
            FUZZ_CHECK(!zone.windowsKey.empty());
            const auto records = RecordsOf(zone);
            if (const auto* wellFormed = std::get_if<ZoneRecords>(&records)) {
                const Instant begin = StartOfYear(2024);
                const Instant end = StartOfYear(2027);
                CheckChanges(ChangesBetween(*wellFormed, begin, end), begin, end,
                             [&](Instant at) { return OffsetAt(*wellFormed, at); });
            } else {
                FUZZ_CHECK(!std::get<std::string>(records).empty());
            }
        }
    });
}

Outcome ExerciseTzif(const std::string& bytes)
{
    return Run(kExitUnreadableInput, [&] {
        const ZoneTimeline timeline = ParseTzif(bytes, kInputName);
        for (const int year : {1900, 1970, 2024, 2100}) {
            const YearOffsets offsets = timeline.Year(year);
            CheckChanges(offsets.changes, StartOfYear(year), StartOfYear(year + 1),
                         [&](Instant at) { return timeline.OffsetAt(at); });
        }
        // The generator's path: records built and proven for a few years.
        BuildWindowsZone(timeline, "Fuzz/Zone", "Fuzz Standard Time", {2023, 2026}, true);
    });
}

Outcome ExerciseZoneMap(const std::string& bytes)
{
    return Run(kExitUnreadableInput, [&] {
        const WindowsZoneMap map = WindowsZoneMap::Parse(bytes, kInputName);
        for (const auto& [key, zone] : map.MainZones()) {
            FUZZ_CHECK(map.MainZoneOf(key).has_value());
            FUZZ_CHECK(map.KeyFor(zone, [](const std::string& a, const std::string& b) { return a == b; }));
        }
    });
}

}  // namespace zoneinf::fuzz
