#include "base/text_decoder.h"

#include "base/errors.h"
#include "base/messages.h"

#include <algorithm>
#include <bit>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace zoneinf {

namespace {

// Writes c's UTF-8 at `out`, which has room for 4 bytes; returns past it.
char* PutUtf8(char* out, char32_t c)
{
    if (c < 0x80) {
        *out++ = char(c);
    } else if (c < 0x800) {
        *out++ = char(0xC0 | c >> 6);
        *out++ = char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        *out++ = char(0xE0 | c >> 12);
        *out++ = char(0x80 | (c >> 6 & 0x3F));
        *out++ = char(0x80 | (c & 0x3F));
    } else {
        *out++ = char(0xF0 | c >> 18);
        *out++ = char(0x80 | (c >> 12 & 0x3F));
        *out++ = char(0x80 | (c >> 6 & 0x3F));
        *out++ = char(0x80 | (c & 0x3F));
    }
    return out;
}

void AppendUtf8(std::string& out, char32_t c)
{
    char bytes[4];
    out.append(bytes, size_t(PutUtf8(bytes, c) - bytes));
}

// Eight bytes as one number, the first byte lowest, whatever the machine.
std::uint64_t EightBytes(const void* at)
{
    std::uint64_t word;
    std::memcpy(&word, at, sizeof word);
    if constexpr (std::endian::native == std::endian::big) {
        word = __builtin_bswap64(word);
    }
    return word;
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

// How many of `units` UTF-16 units at `data` are ASCII, four at a time
// (a multiple of 4), written to `out` as they are counted.
template <bool kBigEndian>
size_t AsciiUnits(const std::uint8_t* data, size_t units, char* out)
{
    // The high byte of each unit, and the top bit of its low byte.
    constexpr std::uint64_t kNotAscii = kBigEndian ? 0x80FF80FF80FF80FFull : 0xFF80FF80FF80FF80ull;
    size_t i = 0;
#if defined(__SSE2__)
    // Eight at a time where the processor has SSE2 (every x86-64).
    const __m128i notAscii = _mm_set1_epi16(std::int16_t(0xFF80));
    for (; i + 8 <= units; i += 8) {
        __m128i eight = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + 2 * i));
        if constexpr (kBigEndian) {
            eight = _mm_or_si128(_mm_slli_epi16(eight, 8), _mm_srli_epi16(eight, 8));
        }
        if (_mm_movemask_epi8(_mm_cmpeq_epi16(_mm_and_si128(eight, notAscii), _mm_setzero_si128())) != 0xFFFF) {
            break;
        }
        _mm_storel_epi64(reinterpret_cast<__m128i*>(out + i), _mm_packus_epi16(eight, eight));
    }
#endif
    for (; i + 4 <= units; i += 4) {
        std::uint64_t word = EightBytes(data + 2 * i);
        if (word & kNotAscii) {
            break;
        }
        if constexpr (kBigEndian) {
            word >>= 8;
        }
        // The four low bytes side by side.
        word = (word & 0x000000FF000000FFull) | (word >> 8 & 0x0000FF000000FF00ull);
        word = (word & 0xFFFF) | (word >> 16 & 0xFFFF0000);
        std::uint32_t four = std::uint32_t(word);  // the first character lowest
        if constexpr (std::endian::native == std::endian::big) {
            four = __builtin_bswap32(four);
        }
        std::memcpy(out + i, &four, 4);
    }
    return i;
}

// UTF-16 code units to UTF-8; false at an unpaired surrogate. Exports are
// mostly ASCII, read four units at a time while they are.
bool Utf16ToUtf8(const std::uint8_t* data, size_t units, bool bigEndian, std::string& out)
{
    const auto unit = [&](size_t i) -> char32_t {
        const std::uint8_t first = data[2 * i], second = data[2 * i + 1];
        return bigEndian ? char32_t(first << 8 | second) : char32_t(second << 8 | first);
    };
    // Room for ASCII, a byte a unit; past the first character that needs
    // more, for the most the rest may take (3 bytes a unit, 4 a pair).
    const size_t start = out.size();
    out.resize(start + units);
    size_t written = start;
    for (size_t i = 0; i < units;) {
        const size_t room = std::min(units - i, out.size() - written);
        const size_t ascii = bigEndian ? AsciiUnits<true>(data + 2 * i, room, out.data() + written)
                                       : AsciiUnits<false>(data + 2 * i, room, out.data() + written);
        i += ascii;
        written += ascii;
        if (i == units) {
            break;
        }
        char32_t c = unit(i);
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < units && unit(i + 1) >= 0xDC00 && unit(i + 1) <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (unit(i + 1) - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            out.resize(start);
            return false;
        }
        const size_t length = c < 0x80 ? 1 : c < 0x800 ? 2 : c < 0x10000 ? 3 : 4;
        if (out.size() - written < length) {
            out.resize(written + (units - i) * 3 + 4);
        }
        written = size_t(PutUtf8(out.data() + written, c) - out.data());
        ++i;
    }
    out.resize(written);
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
        // ASCII eight bytes at a time.
        if (position + 8 <= bytes.size() && (EightBytes(bytes.data() + position) & 0x8080808080808080ull) == 0) {
            position += 8;
            continue;
        }
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

LineReader::LineReader(std::string_view utf8, LineSyntax syntax, const std::string& name)
    : utf8_(utf8), syntax_(syntax), name_(name)
{
}

bool LineReader::Next(std::string_view& text, size_t& number)
{
    bool continued = false;
    joined_.clear();
    while (start_ < utf8_.size()) {
        size_t end = utf8_.find('\n', start_);
        if (end == std::string_view::npos) {
            end = utf8_.size();
        }
        size_t lineEnd = end;
        while (lineEnd > start_ && utf8_[lineEnd - 1] == '\r') {
            --lineEnd;
        }
        std::string_view line = utf8_.substr(start_, lineEnd - start_);
        start_ = end + 1;
        ++number_;
        size_t first = 0;  // the first character that is no blank
        while (first < line.size() && IsBlank(line[first])) {
            ++first;
        }
        if (continued) {
            line.remove_prefix(first);
            first = 0;
        } else {
            number = number_;
        }
        bool comment = false;
        if (syntax_ == LineSyntax::kInf) {
            bool quoted = false;
            for (size_t i = 0; i < line.size(); ++i) {
                if (line[i] == '"') {
                    quoted = !quoted;
                } else if (line[i] == ';' && !quoted) {
                    line = line.substr(0, i);
                    comment = true;
                    break;
                }
            }
        } else {
            comment = !continued && first < line.size() && line[first] == ';';
        }
        size_t last = line.size();
        while (last > 0 && IsBlank(line[last - 1])) {
            --last;
        }
        // In an INF the comment is gone already: a '\\' before it still continues.
        const bool goesOn = !(comment && syntax_ == LineSyntax::kRegistryExport) && last > 0 && line[last - 1] == '\\';
        if (goesOn) {
            line = line.substr(0, last - 1);
        }
        if (!continued && !goesOn) {
            text = line;  // one physical line: the text itself
            return true;
        }
        joined_.append(line);
        continued = goesOn;
        if (!continued) {
            text = joined_;
            return true;
        }
    }
    if (continued) {
        throw UnreadableInput(name_, _("truncated: the last value goes on past the end of the file"));
    }
    return false;
}

std::vector<TextLine> JoinedLines(const std::string& utf8, LineSyntax syntax, const std::string& name)
{
    std::vector<TextLine> lines;
    LineReader reader(utf8, syntax, name);
    std::string_view text;
    size_t number = 0;
    while (reader.Next(text, number)) {
        lines.push_back({std::string(text), number});
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

namespace {

char LowerAsciiChar(char c)
{
    return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
}

}  // namespace

bool EqualNoCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size()) {
        return false;
    }
    for (size_t i = 0; i < a.size(); ++i) {
        if (a[i] != b[i] && LowerAsciiChar(a[i]) != LowerAsciiChar(b[i])) {
            return false;
        }
    }
    return true;
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix)
{
    return text.size() >= prefix.size() && EqualNoCase(text.substr(0, prefix.size()), prefix);
}

std::string_view TrimmedBlanks(std::string_view text)
{
    // By hand: find_first_not_of looks each character up in the set.
    const auto trimmed = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
    size_t first = 0;
    size_t last = text.size();
    while (first < last && trimmed(text[first])) {
        ++first;
    }
    while (last > first && trimmed(text[last - 1])) {
        --last;
    }
    return text.substr(first, last - first);
}

std::string TrimBlanks(const std::string& text)
{
    return std::string(TrimmedBlanks(text));
}

}  // namespace zoneinf
