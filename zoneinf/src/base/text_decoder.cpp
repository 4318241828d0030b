#include "base/text_decoder.h"

#include "base/errors.h"
#include "base/messages.h"

#include <algorithm>
#include <cstring>

namespace zoneinf {

namespace {

void AppendUtf8(std::string& out, char32_t c)
{
    if (c < 0x80) {
        out += char(c);
    } else if (c < 0x800) {
        out += char(0xC0 | c >> 6);
        out += char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += char(0xE0 | c >> 12);
        out += char(0x80 | (c >> 6 & 0x3F));
        out += char(0x80 | (c & 0x3F));
    } else {
        out += char(0xF0 | c >> 18);
        out += char(0x80 | (c >> 12 & 0x3F));
        out += char(0x80 | (c >> 6 & 0x3F));
        out += char(0x80 | (c & 0x3F));
    }
}

// The character at `position` and its length, or a length of 0 when the
// bytes there are no well-formed UTF-8 (overlong forms and surrogates included).
std::pair<char32_t, size_t> NextUtf8(const std::string& bytes, size_t position)
{
    const auto byte = [&](size_t i) { return static_cast<unsigned char>(bytes[i]); };
    const unsigned char lead = byte(position);
    if (lead < 0x80) {
        return {lead, 1};
    }
    size_t length = 0;
    char32_t c = 0;
    char32_t minimum = 0;
    if ((lead & 0xE0) == 0xC0) {
        length = 2, c = lead & 0x1F, minimum = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3, c = lead & 0x0F, minimum = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4, c = lead & 0x07, minimum = 0x10000;
    } else {
        return {0, 0};
    }
    if (bytes.size() - position < length) {
        return {0, 0};
    }
    for (size_t i = 1; i < length; ++i) {
        if ((byte(position + i) & 0xC0) != 0x80) {
            return {0, 0};
        }
        c = c << 6 | (byte(position + i) & 0x3F);
    }
    if (c < minimum || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
        return {0, 0};
    }
    return {c, length};
}

// UTF-16 code units to UTF-8; false at an unpaired surrogate.
bool Utf16ToUtf8(const std::uint8_t* data, size_t units, bool bigEndian, std::string& out)
{
    const auto unit = [&](size_t i) -> char32_t {
        const std::uint8_t first = data[2 * i], second = data[2 * i + 1];
        return bigEndian ? char32_t(first << 8 | second) : char32_t(second << 8 | first);
    };
    out.reserve(out.size() + units * 3 / 2);
    for (size_t i = 0; i < units; ++i) {
        char32_t c = unit(i);
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < units && unit(i + 1) >= 0xDC00 && unit(i + 1) <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (unit(i + 1) - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            return false;
        }
        AppendUtf8(out, c);
    }
    return true;
}

// Windows-1252 0x80-0x9F; the five bytes it leaves undefined map to the
// C1 controls of the same value, as MultiByteToWideChar maps them.
constexpr char16_t kWindows1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

}  // namespace

std::string Utf8FromWindows1252(const std::string& bytes)
{
    std::string out;
    out.reserve(bytes.size());
    for (unsigned char byte : bytes) {
        AppendUtf8(out, byte >= 0x80 && byte < 0xA0 ? char32_t(kWindows1252High[byte - 0x80]) : char32_t(byte));
    }
    return out;
}

bool IsValidUtf8(const std::string& bytes)
{
    for (size_t position = 0; position < bytes.size();) {
        const size_t length = NextUtf8(bytes, position).second;
        if (length == 0) {
            return false;
        }
        position += length;
    }
    return true;
}

std::string Utf8FromUtf16Le(const std::vector<std::uint8_t>& data)
{
    size_t units = data.size() / 2;
    while (units > 0 && data[2 * units - 2] == 0 && data[2 * units - 1] == 0) {
        --units;
    }
    std::string out;
    if (!Utf16ToUtf8(data.data(), units, false, out)) {
        out.clear();
        for (size_t i = 0; i < units; ++i) {
            const char32_t c = char32_t(data[2 * i + 1] << 8 | data[2 * i]);
            AppendUtf8(out, c >= 0xD800 && c <= 0xDFFF ? 0xFFFD : c);
        }
    }
    return out;
}

std::vector<std::uint8_t> Utf16LeFromUtf8(const std::string& utf8)
{
    std::vector<std::uint8_t> data;
    data.reserve(utf8.size() * 2 + 2);
    const auto put = [&](char32_t unit) {
        data.push_back(std::uint8_t(unit & 0xFF));
        data.push_back(std::uint8_t(unit >> 8));
    };
    for (size_t position = 0; position < utf8.size();) {
        auto [c, length] = NextUtf8(utf8, position);
        if (length == 0) {
            c = 0xFFFD, length = 1;
        }
        position += length;
        if (c >= 0x10000) {
            put(0xD800 + ((c - 0x10000) >> 10));
            put(0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            put(c);
        }
    }
    put(0);
    return data;
}

DecodedText DecodeText(const std::string& bytes, const std::string& name, TextEncoding unmarked)
{
    DecodedText text;
    const bool littleEndian = bytes.compare(0, 2, "\xFF\xFE") == 0;
    if (littleEndian || bytes.compare(0, 2, "\xFE\xFF") == 0) {
        text.encoding = littleEndian ? TextEncoding::kUtf16Le : TextEncoding::kUtf16Be;
        text.byteOrderMark = true;
        if (bytes.size() % 2 != 0) {
            throw UnreadableInput(name, _("truncated: an odd number of bytes in UTF-16 text"));
        }
        if (!Utf16ToUtf8(reinterpret_cast<const std::uint8_t*>(bytes.data()) + 2, bytes.size() / 2 - 1,
                         !littleEndian, text.utf8)) {
            throw UnreadableInput(name, _("not valid UTF-16 text (a lone surrogate)"));
        }
    } else if (bytes.compare(0, 3, "\xEF\xBB\xBF") == 0 || unmarked == TextEncoding::kUtf8) {
        text.byteOrderMark = bytes.compare(0, 3, "\xEF\xBB\xBF") == 0;
        text.utf8 = bytes.substr(text.byteOrderMark ? 3 : 0);
        if (!IsValidUtf8(text.utf8)) {
            throw UnreadableInput(name, _("not valid UTF-8 text"));
        }
    } else {
        text.encoding = TextEncoding::kWindows1252;
        text.utf8 = Utf8FromWindows1252(bytes);
    }
    if (text.utf8.find('\0') != std::string::npos && text.byteOrderMark) {
        // Marked text that decodes to a NUL is binary, not unmarked UTF-16.
        throw UnreadableInput(name, _("holds a NUL character: not a registry export or INF"));
    }
    if (text.utf8.find('\0') != std::string::npos) {
        throw UnreadableInput(name, _("binary data or UTF-16 without its byte-order mark: not a registry export or INF"));
    }
    return text;
}

std::string EscapeForTerminal(const std::string& text)
{
    static const char kHex[] = "0123456789abcdef";
    std::string out;
    for (size_t position = 0; position < text.size();) {
        const auto [c, length] = NextUtf8(text, position);
        if (length == 0) {
            const unsigned char byte = static_cast<unsigned char>(text[position]);
            out += std::string("\\x") + kHex[byte >> 4] + kHex[byte & 0xF];
            ++position;
            continue;
        }
        if (c == '\\' && position + 1 < text.size() && std::strchr("\\ntxu", text[position + 1])) {
            // Doubled only where it would read as an escape: Windows paths
            // keep their single backslashes, and nothing is ambiguous. A
            // name is escaped alone or within a message alike.
            out += "\\\\";
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\t') {
            out += "\\t";
        } else if (c < 0x20 || c == 0x7F) {
            out += std::string("\\x") + kHex[c >> 4] + kHex[c & 0xF];
        } else if ((c >= 0x80 && c < 0xA0) || c == 0x2028 || c == 0x2029 || (c >= 0x202A && c <= 0x202E) ||
                   (c >= 0x2066 && c <= 0x2069)) {
            // C1 controls, line separators and bidirectional overrides
            // reorder or break what a terminal shows.
            out += "\\u{";
            for (int shift = 12; shift >= 0; shift -= 4) {
                out += kHex[(c >> shift) & 0xF];
            }
            out += "}";
        } else {
            out.append(text, position, length);
        }
        position += length;
    }
    return out;
}

std::vector<TextLine> JoinedLines(const std::string& utf8, LineSyntax syntax, const std::string& name)
{
    std::vector<TextLine> lines;
    TextLine pending;
    bool continued = false;
    size_t number = 0;
    for (size_t start = 0; start < utf8.size();) {
        size_t end = utf8.find('\n', start);
        if (end == std::string::npos) {
            end = utf8.size();
        }
        size_t lineEnd = end;
        while (lineEnd > start && utf8[lineEnd - 1] == '\r') {
            --lineEnd;
        }
        std::string line = utf8.substr(start, lineEnd - start);
        start = end + 1;
        ++number;
        if (continued) {
            line.erase(0, std::min(line.size(), line.find_first_not_of(" \t")));
        } else {
            pending.number = number;
        }
        bool comment = false;
        if (syntax == LineSyntax::kInf) {
            bool quoted = false;
            for (size_t i = 0; i < line.size(); ++i) {
                if (line[i] == '"') {
                    quoted = !quoted;
                } else if (line[i] == ';' && !quoted) {
                    line.resize(i);
                    comment = true;
                    break;
                }
            }
        } else {
            const size_t first = line.find_first_not_of(" \t");
            comment = !continued && first != std::string::npos && line[first] == ';';
        }
        size_t last = line.size();
        while (last > 0 && IsBlank(line[last - 1])) {
            --last;
        }
        // In an INF the comment is gone already: a '\\' before it still continues.
        continued = !(comment && syntax == LineSyntax::kRegistryExport) && last > 0 && line[last - 1] == '\\';
        if (continued) {
            line.resize(last - 1);
        }
        pending.text += line;
        if (!continued) {
            lines.push_back(std::move(pending));
            pending = TextLine{};
        }
    }
    if (continued) {
        throw UnreadableInput(name, _("truncated: the last value goes on past the end of the file"));
    }
    return lines;
}

std::string LowerAscii(std::string text)
{
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') {
            c = char(c - 'A' + 'a');
        }
    }
    return text;
}

bool EqualNoCase(const std::string& a, const std::string& b)
{
    return a.size() == b.size() && LowerAscii(a) == LowerAscii(b);
}

bool StartsWithNoCase(const std::string& text, const std::string& prefix)
{
    return text.size() >= prefix.size() && EqualNoCase(text.substr(0, prefix.size()), prefix);
}

std::string TrimBlanks(const std::string& text)
{
    const size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos) {
        return "";
    }
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

}  // namespace zoneinf
