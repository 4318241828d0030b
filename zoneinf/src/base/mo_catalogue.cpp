#include "base/mo_catalogue.h"

#include <cstdint>

namespace zoneinf {

namespace {

constexpr std::uint32_t kMagic = 0x950412de;  // as a little-endian machine writes it

std::optional<std::uint32_t> Word(std::string_view bytes, std::size_t at)
{
    if (at > bytes.size() || bytes.size() - at < 4) {
        return std::nullopt;
    }
    const auto byte = [&](std::size_t i) { return std::uint32_t(static_cast<unsigned char>(bytes[at + i])); };
    return byte(0) | byte(1) << 8 | byte(2) << 16 | byte(3) << 24;
}

// The text before the first NUL: an entry's original is "singular\0plural",
// and it is found by its singular, as gettext finds it.
std::string_view FirstString(std::string_view text)
{
    return text.substr(0, text.find('\0'));
}

}  // namespace

std::optional<MoCatalogue> MoCatalogue::Open(std::string_view bytes)
{
    const auto magic = Word(bytes, 0);
    const auto revision = Word(bytes, 4);
    const auto count = Word(bytes, 8);
    if (!magic || *magic != kMagic || !revision || *revision != 0 || !count) {
        return std::nullopt;
    }
    MoCatalogue catalogue(bytes);
    catalogue.count_ = *count;
    for (std::size_t i = 0; i < catalogue.count_; ++i) {
        if (!catalogue.StringAt(12, i) || !catalogue.StringAt(16, i)) {
            return std::nullopt;
        }
    }
    return catalogue;
}

std::optional<std::string_view> MoCatalogue::StringAt(std::size_t table, std::size_t index) const
{
    const auto tableOffset = Word(bytes_, table);
    if (!tableOffset || index >= count_) {
        return std::nullopt;
    }
    const auto length = Word(bytes_, *tableOffset + index * 8);
    const auto offset = Word(bytes_, *tableOffset + index * 8 + 4);
    // Each string is followed by a NUL, so a translation can be used as a C string.
    if (!length || !offset || *offset > bytes_.size() || bytes_.size() - *offset < std::size_t(*length) + 1 ||
        bytes_[*offset + *length] != '\0') {
        return std::nullopt;
    }
    return bytes_.substr(*offset, *length);
}

std::optional<std::string_view> MoCatalogue::Find(std::string_view english) const
{
    // msgfmt sorts the originals: a binary search, as gettext does without
    // its hash table.
    std::size_t low = 0;
    std::size_t high = count_;
    while (low < high) {
        const std::size_t middle = low + (high - low) / 2;
        const std::string_view original = FirstString(*StringAt(12, middle));
        if (original == english) {
            return StringAt(16, middle);
        }
        if (original < english) {
            low = middle + 1;
        } else {
            high = middle;
        }
    }
    return std::nullopt;
}

}  // namespace zoneinf
