#include "registry/registry_vocabulary.h"

#include "base/text_decoder.h"

#include <algorithm>
#include <charconv>
#include <cstring>

namespace zoneinf {

std::string TimeZoneKeyPath(const std::string& windowsKey)
{
    return std::string(kTimeZonesKey) + "\\" + windowsKey;
}

bool IsAtOrBelow(std::string_view path, std::string_view key)
{
    return StartsWithNoCase(path, key) && (path.size() == key.size() || path[key.size()] == '\\');
}

std::string TraceKeyPath(const std::string& windowsKey)
{
    return std::string(kDefinitionsKey) + "\\" + windowsKey;
}

std::optional<std::string> DefinitionsSubkeyOf(const std::string& path)
{
    for (const std::string key : {kDefinitionsKey, kDefinitionsKey32}) {
        if (IsAtOrBelow(path, key)) {
            const std::string below = path.size() == key.size() ? "" : path.substr(key.size() + 1);
            if (below.find('\\') != std::string::npos) {
                return std::nullopt;
            }
            return below;
        }
    }
    return std::nullopt;
}

std::optional<std::string_view> ZoneKeyOf(std::string_view path)
{
    const std::string_view timeZones = kTimeZonesKey;
    if (!StartsWithNoCase(path, timeZones) || path.size() <= timeZones.size() + 1 || path[timeZones.size()] != '\\') {
        return std::nullopt;
    }
    const std::string_view relative = path.substr(timeZones.size() + 1);
    const std::string_view name = relative.substr(0, relative.find('\\'));
    return name.empty() ? std::nullopt : std::optional(name);
}

bool IsKeptKey(std::string_view path)
{
    for (const char* kept : {kTimeZonesKey, kTimeZoneInformationKey, kDefinitionsKey, kDefinitionsKey32}) {
        if (IsAtOrBelow(path, kept)) {
            return true;
        }
    }
    return false;
}

std::vector<std::uint8_t> DwordBytes(std::uint32_t number)
{
    return {std::uint8_t(number), std::uint8_t(number >> 8), std::uint8_t(number >> 16), std::uint8_t(number >> 24)};
}

std::optional<std::uint32_t> DwordOf(std::span<const std::uint8_t> bytes)
{
    if (bytes.size() != 4) {
        return std::nullopt;
    }
    return bytes[0] | bytes[1] << 8 | bytes[2] << 16 | std::uint32_t(bytes[3]) << 24;
}

std::optional<std::uint32_t> ParseHexNumber(std::string_view text)
{
    std::uint32_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, 16);
    if (text.empty() || error != std::errc() || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

std::optional<std::uint8_t> ParseHexByte(std::string_view text)
{
    const std::optional<std::uint32_t> value = text.size() <= 2 ? ParseHexNumber(text) : std::nullopt;
    return value ? std::optional<std::uint8_t>(std::uint8_t(*value)) : std::nullopt;
}

namespace {

constexpr char kLowerHexDigits[] = "0123456789abcdef";

}  // namespace

std::string HexList(std::span<const std::uint8_t> bytes)
{
    // An INF of every zone holds some 130,000 records' bytes: written by
    // table, not through printf.
    std::string text(bytes.empty() ? 0 : bytes.size() * 3 - 1, ',');
    for (size_t i = 0; i < bytes.size(); ++i) {
        text[3 * i] = kLowerHexDigits[bytes[i] >> 4];
        text[3 * i + 1] = kLowerHexDigits[bytes[i] & 0xF];
    }
    return text;
}

namespace {

// InfString's text appended to `out`: an INF of every zone writes some
// 11,000 lines of these, each a key of some 80 characters.
void AppendInfString(std::string& out, const std::string& text)
{
    out += '"';
    if (!std::memchr(text.data(), '"', text.size()) && !std::memchr(text.data(), '%', text.size())) {
        out += text;  // nearly every string: nothing to double
        out += '"';
        return;
    }
    size_t plain = 0;  // where the text not yet appended starts
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '"' || text[i] == '%') {
            out.append(text, plain, i + 1 - plain);
            out += text[i];
            plain = i + 1;
        }
    }
    out.append(text, plain);
    out += '"';
}

// HKLM,"key" and HKLM,"key","name": where every registry line of an INF starts.
std::string KeyField(const std::string& key, size_t room = 0)
{
    std::string line;
    line.reserve(8 + key.size() + room);
    line = "HKLM,";
    AppendInfString(line, key);
    return line;
}

std::string ValueFields(const std::string& key, const std::string& name, size_t room = 0)
{
    std::string line = KeyField(key, name.size() + 3 + room);
    line += ',';
    AppendInfString(line, name);
    return line;
}

}  // namespace

std::string InfString(const std::string& text)
{
    std::string quoted;
    quoted.reserve(text.size() + 2);
    AppendInfString(quoted, text);
    return quoted;
}

std::string InfFlags(std::uint32_t flags)
{
    static constexpr char kUpperHexDigits[] = "0123456789ABCDEF";
    std::string text = "0x00000000";
    for (size_t i = 0; i < 8; ++i) {
        text[9 - i] = kUpperHexDigits[(flags >> (4 * i)) & 0xF];
    }
    return text;
}

std::string AddRegLine(const std::string& key, const std::string& name, std::uint32_t flags, const std::string& data)
{
    std::string line = ValueFields(key, name, 12 + data.size());
    line += ',';
    line += InfFlags(flags);
    if (!data.empty()) {
        line += ',';
        line += data;
    }
    return line;
}

std::string AddRegKeyLine(const std::string& key)
{
    std::string line = KeyField(key);
    line += ",,";
    line += InfFlags(kAddRegKeyOnly);
    return line;
}

std::string DelRegLine(const std::string& key)
{
    return KeyField(key);
}

std::string DelRegLine(const std::string& key, const std::string& name)
{
    return ValueFields(key, name);
}

std::string Utf16InfFile(const std::string& utf8)
{
    std::vector<std::uint8_t> units = Utf16LeFromUtf8(utf8);
    units.resize(units.size() - 2);  // the terminator a REG_SZ carries
    return "\xFF\xFE" + std::string(units.begin(), units.end());
}

std::string InfFile(std::string utf8)
{
    // Eight bytes at a time: an INF of every zone is some 1.5 MB.
    std::uint64_t high = 0;
    size_t i = 0;
    for (; i + 8 <= utf8.size(); i += 8) {
        std::uint64_t word;
        std::memcpy(&word, utf8.data() + i, 8);
        high |= word;
    }
    for (; i < utf8.size(); ++i) {
        high |= static_cast<unsigned char>(utf8[i]);
    }
    const bool ascii = (high & 0x8080808080808080ull) == 0;
    return ascii ? std::move(utf8) : Utf16InfFile(utf8);
}

bool IsPlainInfText(const std::string& text)
{
    if (text.empty() || text.size() > 128) {
        return false;
    }
    for (char c : text) {
        if (c < 0x20 || c > 0x7e || c == '\\' || c == '"' || c == '%') {
            return false;
        }
    }
    return true;
}

bool IsWindowsKeyName(const std::string& text)
{
    return IsPlainInfText(text) && text.size() <= kMaxKeyNameLength;
}

void InfText::Head(const std::string& sections)
{
    Line();
    Line("[Version]");
    Line("Signature=\"$Windows NT$\"");
    Line();
    Line("[DefaultInstall]");
    Line("DelReg=" + sections + ".DelReg");
    Line("AddReg=" + sections + ".AddReg");
    Line();
}

}  // namespace zoneinf
