#include "tzdb/zone_timeline.h"

#include <algorithm>

namespace zoneinf {

ZoneTimeline::ZoneTimeline(Seconds initialOffset, std::vector<Transition> transitions,
                           std::optional<PosixTz> future)
    : initialOffset_(initialOffset), transitions_(std::move(transitions)), future_(std::move(future))
{
}

Seconds ZoneTimeline::OffsetAt(Instant instant) const
{
    const auto next = std::upper_bound(
        transitions_.begin(), transitions_.end(), instant,
        [](Instant t, const Transition& transition) { return t < transition.at; });
    if (next == transitions_.end() && future_) {
        return future_->OffsetAt(instant);
    }
    return next == transitions_.begin() ? initialOffset_ : std::prev(next)->offset;
}

std::vector<OffsetChange> ZoneTimeline::ChangesBetween(Instant begin, Instant end) const
{
    std::vector<OffsetChange> changes;
    Seconds current = OffsetAt(begin);
    auto add = [&](Instant at, Seconds after) {
        if (!changes.empty() && changes.back().at == at) {
            // Changes that meet merge into one, or cancel out.
            changes.back().after = after;
            if (changes.back().before == after) {
                changes.pop_back();
            }
        } else if (after != current) {
            changes.push_back({at, current, after});
        }
        current = after;
    };
    // The transitions in (begin, end) only, found by halving: a year of a
    // fat tree's zone is asked for among hundreds of them.
    const auto first = std::upper_bound(transitions_.begin(), transitions_.end(), begin,
                                        [](Instant t, const Transition& transition) { return t < transition.at; });
    for (auto transition = first; transition != transitions_.end() && transition->at < end; ++transition) {
        add(transition->at, transition->offset);
    }
    if (future_) {
        const Instant last = transitions_.empty() ? Instant::min() : transitions_.back().at;
        if (end > last) {
            const int firstYear = UtcYear(std::max(begin, last)) - 1;
            for (const PosixTz::RuleChange& change : future_->RuleChanges(firstYear, UtcYear(end))) {
                if (change.at > last && change.at > begin && change.at < end) {
                    add(change.at, change.after);
                }
            }
        }
    }
    return changes;
}

YearOffsets ZoneTimeline::Year(int year) const
{
    const Instant begin = StartOfYear(year);
    return {year, OffsetAt(begin), ChangesBetween(begin, StartOfYear(year + 1))};
}

}  // namespace zoneinf
