#include "zone_timeline.h"

#include "errors.h"
#include "whole_file.h"

#include <algorithm>
#include <cstdint>

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
    for (const Transition& transition : transitions_) {
        if (transition.at > begin && transition.at < end) {
            add(transition.at, transition.offset);
        }
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

namespace {

// Big-endian reads over the file's bytes; any read past the end is a
// truncated file.
class ByteReader {
public:
    ByteReader(const std::string& bytes, const std::string& name) : bytes_(bytes), name_(name) {}

    void Need(size_t count) const
    {
        if (bytes_.size() - position_ < count) {
            Fail("truncated");
        }
    }
    [[noreturn]] void Fail(const std::string& what) const
    {
        throw Failure(kExitUnreadableInput, name_ + ": not a usable TZif file (" + what + ")");
    }
    std::uint64_t Unsigned(int width)
    {
        Need(width);
        std::uint64_t value = 0;
        for (int i = 0; i < width; ++i) {
            value = value << 8 | static_cast<unsigned char>(bytes_[position_++]);
        }
        return value;
    }
    std::int64_t Signed(int width)
    {
        const std::uint64_t value = Unsigned(width);
        return width == 4 ? std::int64_t(std::int32_t(std::uint32_t(value))) : std::int64_t(value);
    }
    void Skip(std::uint64_t count)
    {
        Need(count);
        position_ += count;
    }
    size_t Position() const { return position_; }
    const std::string& Bytes() const { return bytes_; }

private:
    const std::string& bytes_;
    std::string name_;
    size_t position_ = 0;
};

struct Header {
    char version;
    std::uint64_t isutcnt, isstdcnt, leapcnt, timecnt, typecnt, charcnt;
};

Header ReadHeader(ByteReader& reader)
{
    reader.Need(44);
    if (reader.Bytes().compare(reader.Position(), 4, "TZif") != 0) {
        reader.Fail("no TZif magic");
    }
    reader.Skip(4);
    Header header{};
    header.version = char(reader.Unsigned(1));
    reader.Skip(15);
    header.isutcnt = reader.Unsigned(4);
    header.isstdcnt = reader.Unsigned(4);
    header.leapcnt = reader.Unsigned(4);
    header.timecnt = reader.Unsigned(4);
    header.typecnt = reader.Unsigned(4);
    header.charcnt = reader.Unsigned(4);
    if (header.typecnt == 0) {
        reader.Fail("no local time types");
    }
    return header;
}

}  // namespace

ZoneTimeline ParseTzif(const std::string& bytes, const std::string& name)
{
    ByteReader reader(bytes, name);
    Header header = ReadHeader(reader);
    if (header.version < '2') {
        reader.Fail("version 1 has no 64-bit data");
    }
    // Skip the 32-bit block; the 64-bit one after it is complete.
    reader.Skip(header.timecnt * 5 + header.typecnt * 6 + header.charcnt + header.leapcnt * 8 +
                header.isstdcnt + header.isutcnt);
    header = ReadHeader(reader);
    if (header.leapcnt != 0) {
        reader.Fail("leap seconds are counted (a \"right/\" tree)");
    }
    std::vector<std::int64_t> times(header.timecnt);
    for (auto& time : times) {
        time = reader.Signed(8);
    }
    std::vector<std::uint64_t> typeIndexes(header.timecnt);
    for (auto& index : typeIndexes) {
        index = reader.Unsigned(1);
        if (index >= header.typecnt) {
            reader.Fail("transition to a missing type");
        }
    }
    std::vector<Seconds> typeOffsets(header.typecnt);
    for (auto& offset : typeOffsets) {
        offset = Seconds{reader.Signed(4)};
        reader.Skip(2);  // isdst, designation: only the offset counts here
    }
    reader.Skip(header.charcnt + header.isstdcnt + header.isutcnt);

    std::optional<PosixTz> future;
    reader.Need(1);
    const std::string& all = reader.Bytes();
    const size_t footerStart = reader.Position() + 1;
    const size_t footerEnd = all.find('\n', footerStart);
    if (all[reader.Position()] != '\n' || footerEnd == std::string::npos) {
        reader.Fail("no footer");
    }
    const std::string footer = all.substr(footerStart, footerEnd - footerStart);
    if (!footer.empty()) {
        future = ParsePosixTz(footer);
        if (!future) {
            reader.Fail("footer \"" + footer + "\" is not a TZ string this program reads");
        }
    }

    std::vector<Transition> transitions;
    for (size_t i = 0; i < times.size(); ++i) {
        if (i > 0 && times[i] <= times[i - 1]) {
            reader.Fail("transitions out of order");
        }
        transitions.push_back({Instant{Seconds{times[i]}}, typeOffsets[typeIndexes[i]]});
    }
    return ZoneTimeline(typeOffsets[0], std::move(transitions), std::move(future));
}

ZoneTimeline ReadTzif(const std::filesystem::path& path)
{
    const auto bytes = ReadFileWhole(path);
    if (!bytes) {
        throw Failure(kExitUnreadableInput, path.string() + ": cannot read");
    }
    return ParseTzif(*bytes, path.string());
}

}  // namespace zoneinf
