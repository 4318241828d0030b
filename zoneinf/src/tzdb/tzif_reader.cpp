#include "tzdb/tzif_reader.h"

#include "base/errors.h"
#include "base/messages.h"

#include <cstdint>

namespace zoneinf {

namespace {

// Big-endian reads over the file's bytes; any read past the end is a
// truncated file.
class ByteReader {
public:
    ByteReader(const std::string& bytes, const std::string& name) : bytes_(bytes), name_(name) {}

    void Need(std::uint64_t count) const
    {
        if (bytes_.size() - position_ < count) {
            Fail(_("truncated"));
        }
    }
    [[noreturn]] void Fail(const std::string& what) const
    {
        throw UnreadableInput(name_, Fill(_("not a usable TZif file (%1)"), {what}));
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
        reader.Fail(_("no TZif magic"));
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
        reader.Fail(_("no local time types"));
    }
    return header;
}

// The bytes of a data block, for counts of at most 2^32 - 1 each: fits
// 64 bits, so a hostile header cannot wrap it.
std::uint64_t BlockSize(const Header& header, int timeSize)
{
    return header.timecnt * (timeSize + 1) + header.typecnt * 6 + header.charcnt +
           header.leapcnt * (timeSize + 4) + header.isstdcnt + header.isutcnt;
}

// RFC 8536 forbids -2^31; a UT offset beyond -25 or +26 hours is no zone's.
constexpr std::int64_t kLeastOffset = -89999;
constexpr std::int64_t kGreatestOffset = 93599;
// zic writes no transition before -2^59 (its "big bang"); none is later.
constexpr std::int64_t kTimeLimit = std::int64_t(1) << 59;

}  // namespace

ZoneTimeline ParseTzif(const std::string& bytes, const std::string& name)
{
    ByteReader reader(bytes, name);
    Header header = ReadHeader(reader);
    if (header.version < '2') {
        reader.Fail(_("version 1 has no 64-bit data"));
    }
    // Skip the 32-bit block; the 64-bit one after it is complete.
    reader.Skip(BlockSize(header, 4));
    header = ReadHeader(reader);
    if (header.leapcnt != 0) {
        reader.Fail(_("leap seconds are counted (a \"right/\" tree)"));
    }
    // The counts are held to the bytes there before anything is allocated.
    reader.Need(BlockSize(header, 8));
    if ((header.isstdcnt != 0 && header.isstdcnt != header.typecnt) ||
        (header.isutcnt != 0 && header.isutcnt != header.typecnt) || header.typecnt > 256) {
        reader.Fail(_("counts RFC 8536 does not allow"));
    }
    std::vector<std::int64_t> times(header.timecnt);
    for (auto& time : times) {
        time = reader.Signed(8);
        if (time < -kTimeLimit || time > kTimeLimit) {
            reader.Fail(_("a transition beyond 2^59 seconds from 1970"));
        }
    }
    std::vector<std::uint64_t> typeIndexes(header.timecnt);
    for (auto& index : typeIndexes) {
        index = reader.Unsigned(1);
        if (index >= header.typecnt) {
            reader.Fail(_("transition to a missing type"));
        }
    }
    std::vector<Seconds> typeOffsets(header.typecnt);
    for (auto& offset : typeOffsets) {
        offset = Seconds{reader.Signed(4)};
        if (offset.count() < kLeastOffset || offset.count() > kGreatestOffset) {
            reader.Fail(Fill(_("a UT offset of %1 seconds"), {std::to_string(offset.count())}));
        }
        reader.Skip(2);  // isdst, designation: only the offset counts here
    }
    reader.Skip(header.charcnt + header.isstdcnt + header.isutcnt);

    std::optional<PosixTz> future;
    reader.Need(1);
    const std::string& all = reader.Bytes();
    const size_t footerStart = reader.Position() + 1;
    const size_t footerEnd = all.find('\n', footerStart);
    if (all[reader.Position()] != '\n' || footerEnd == std::string::npos) {
        reader.Fail(_("no footer"));
    }
    const std::string footer = all.substr(footerStart, footerEnd - footerStart);
    if (!footer.empty()) {
        future = ParsePosixTz(footer);
        if (!future) {
            reader.Fail(Fill(_("footer \"%1\" is not a TZ string this program reads"), {footer}));
        }
    }

    std::vector<Transition> transitions;
    for (size_t i = 0; i < times.size(); ++i) {
        if (i > 0 && times[i] <= times[i - 1]) {
            reader.Fail(_("transitions out of order"));
        }
        transitions.push_back({Instant{Seconds{times[i]}}, typeOffsets[typeIndexes[i]]});
    }
    // RFC 8536 holds the footer to the last transition's type; a file where
    // they part would give two offsets for the instant of that transition.
    if (future && !transitions.empty() && future->OffsetAt(transitions.back().at) != transitions.back().offset) {
        reader.Fail(_("footer disagrees with the last transition"));
    }
    return ZoneTimeline(typeOffsets[0], std::move(transitions), std::move(future));
}

}  // namespace zoneinf
