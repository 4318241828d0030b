#include "model/time_model.h"

#include <algorithm>
#include <cstdio>

namespace zoneinf {

using namespace std::chrono;

Instant StartOfYear(int year)
{
    return sys_days{std::chrono::year{year} / January / 1};
}

int UtcYear(Instant instant)
{
    return int(year_month_day{floor<days>(instant)}.year());
}

Seconds YearOffsets::OffsetAt(Instant instant) const
{
    Seconds offset = atStart;
    for (const OffsetChange& change : changes) {
        if (change.at <= instant) {
            offset = change.after;
        }
    }
    return offset;
}

std::vector<OffsetDifference> Differences(const OffsetSeries& first, const OffsetSeries& second, Instant begin,
                                          Instant end)
{
    // Each series holds its offset between its changes: the two can only
    // part at the start or at a change of either.
    std::vector<Instant> edges = {begin};
    for (const OffsetSeries* series : {&first, &second}) {
        for (const OffsetChange& change : series->changes) {
            if (change.at > begin && change.at < end) {
                edges.push_back(change.at);
            }
        }
    }
    std::sort(edges.begin(), edges.end());
    edges.erase(std::unique(edges.begin(), edges.end()), edges.end());
    edges.push_back(end);
    std::vector<OffsetDifference> differences;
    for (size_t i = 0; i + 1 < edges.size(); ++i) {
        const Seconds firstOffset = first.offsetAt(edges[i]);
        const Seconds secondOffset = second.offsetAt(edges[i]);
        if (firstOffset != secondOffset) {
            differences.push_back({edges[i], edges[i + 1], firstOffset, secondOffset});
        }
    }
    return differences;
}

std::string FormatInstant(Instant instant)
{
    const auto day = floor<days>(instant);
    const year_month_day date{day};
    const hh_mm_ss time{instant - day};
    char text[40];
    std::snprintf(text, sizeof text, "%04d-%02u-%02uT%02ld:%02ld:%02ldZ", int(date.year()),
                  unsigned(date.month()), unsigned(date.day()), long(time.hours().count()),
                  long(time.minutes().count()), long(time.seconds().count()));
    return text;
}

namespace {

std::string SignedClock(Seconds offset)
{
    const char sign = offset < Seconds{0} ? '-' : '+';
    const long total = long(offset < Seconds{0} ? -offset.count() : offset.count());
    char text[48];
    if (total % 60 != 0) {
        std::snprintf(text, sizeof text, "%c%02ld:%02ld:%02ld", sign, total / 3600, total / 60 % 60,
                      total % 60);
    } else {
        std::snprintf(text, sizeof text, "%c%02ld:%02ld", sign, total / 3600, total / 60 % 60);
    }
    return text;
}

}  // namespace

std::string FormatOffset(Seconds offset)
{
    return "UTC" + SignedClock(offset);
}

std::string FormatChange(const OffsetChange& change)
{
    return FormatInstant(change.at) + " " + SignedClock(change.before) + " -> " +
           SignedClock(change.after);
}

}  // namespace zoneinf
