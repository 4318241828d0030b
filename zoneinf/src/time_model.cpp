#include "time_model.h"

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
