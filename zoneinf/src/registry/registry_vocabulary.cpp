#include "registry/registry_vocabulary.h"

#include "base/text_decoder.h"

#include <algorithm>
#include <charconv>
#include <cstdio>

namespace zoneinf {

std::string TimeZoneKeyPath(const std::string& windowsKey)
{
    return std::string(kTimeZonesKey) + "\\" + windowsKey;
}

bool IsAtOrBelow(const std::string& path, const std::string& key)
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

bool IsKeptKey(const std::string& path)
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

std::string HexList(std::span<const std::uint8_t> bytes)
{
    std::string text;
    for (std::uint8_t byte : bytes) {
        char pair[4];
        std::snprintf(pair, sizeof pair, "%02x", byte);
        if (!text.empty()) {
            text += ',';
        }
        text += pair;
    }
    return text;
}

std::string InfString(const std::string& text)
{
    std::string quoted = "\"";
    for (char c : text) {
        quoted += c;
        if (c == '"' || c == '%') {
            quoted += c;
        }
    }
    return quoted + "\"";
}

std::string InfFlags(std::uint32_t flags)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", unsigned(flags));
    return text;
}

namespace {

// HKLM,"key" and HKLM,"key","name": where every registry line of an INF starts.
std::string KeyField(const std::string& key)
{
    std::string line = "HKLM,";
    line += InfString(key);
    return line;
}

std::string ValueFields(const std::string& key, const std::string& name)
{
    std::string line = KeyField(key);
    line += ',';
    line += InfString(name);
    return line;
}

}  // namespace

std::string AddRegLine(const std::string& key, const std::string& name, std::uint32_t flags, const std::string& data)
{
    std::string line = ValueFields(key, name);
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

std::string InfFile(const std::string& utf8)
{
    const bool ascii = std::all_of(utf8.begin(), utf8.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    return ascii ? utf8 : Utf16InfFile(utf8);
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
