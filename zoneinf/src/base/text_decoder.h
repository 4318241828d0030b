// The text under every reader of exports and INFs: bytes in the encodings
// Windows writes them in, decoded to UTF-8, and lines that keep the
// physical line number they start on, for messages. Portable code (no
// iconv): it also builds for Windows with MinGW-w64.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zoneinf {

enum class TextEncoding { kUtf8, kUtf16Le, kUtf16Be, kWindows1252 };

// Example: the bytes FF FE 57 00 ... of a "reg export" give encoding
// kUtf16Le, byteOrderMark true and utf8 "Windows Registry Editor ...".
struct DecodedText {
    std::string utf8;
    TextEncoding encoding = TextEncoding::kUtf8;
    bool byteOrderMark = false;
};

// Decodes by byte-order mark (FF FE, FE FF, EF BB BF), and without one as
// `unmarked` says. Throws Failure (kExitUnreadableInput) "name: ..." for an
// odd number of UTF-16 bytes, an unpaired surrogate, invalid UTF-8, or a
// NUL character (binary data, or UTF-16 without its mark).
DecodedText DecodeText(const std::string& bytes, const std::string& name, TextEncoding unmarked);

// The conversions under it, for registry data (strings are UTF-16LE there).
// Invalid input gives U+FFFD; trailing NUL characters end the text.
std::string Utf8FromUtf16Le(const std::vector<std::uint8_t>& data);
// UTF-16LE with its terminator, as Windows stores a REG_SZ.
std::vector<std::uint8_t> Utf16LeFromUtf8(const std::string& utf8);
std::string Utf8FromWindows1252(const std::string& bytes);
bool IsValidUtf8(const std::string& bytes);

// Text from outside (a file name, a key name, a message that quotes
// input) made safe for a terminal and one line: the one escaping every
// printer of zoneinf uses. Control characters (C0, DEL, C1) and bytes that
// are not UTF-8 become \n, \t, \xHH or \u{HHHH}; a backslash is doubled
// where it would otherwise start one of these (before \, n, t, x, u, or at
// the end), so "C:\Temp\a.reg" stays as it is and the text can always be
// read back: \\ is a backslash, \n etc. are escapes, any other \ is itself.
// Example: the name "a", newline, "b", ESC is printed a\nb\x1b.
std::string EscapeForTerminal(const std::string& text);

// A logical line: physical lines joined where one ends in a backslash
// (blanks after it allowed), the blanks that start the next removed.
// Example: number 12 for the line of a hex list that goes on to 14.
struct TextLine {
    std::string text;
    std::size_t number = 0;  // the physical line it starts on, from 1
};

// How comments mark lines. kRegistryExport: a line that starts with ';'
// is a comment and continues nothing. kInf: ';' outside quotes starts a
// comment to the end of the physical line; it is removed, and a '\' in it
// continues nothing. Line ends: LF, CR LF and CR CR LF. Throws Failure
// (kExitUnreadableInput) when the file ends in a continued line.
enum class LineSyntax { kRegistryExport, kInf };
std::vector<TextLine> JoinedLines(const std::string& utf8, LineSyntax syntax, const std::string& name);

// The same lines one at a time, as views: into the text itself, or for a
// line that goes on over several, into the reader's one buffer, which the
// next line reuses. A file of many lines is read without a copy or an
// allocation per line.
class LineReader {
public:
    // `utf8` and `name` must outlive the reader.
    LineReader(std::string_view utf8, LineSyntax syntax, const std::string& name);
    // The next line, valid until the next call; false after the last one.
    // Throws as JoinedLines does, once the last line is reached.
    bool Next(std::string_view& text, std::size_t& number);
    // Where the line after the last one given starts: the lines given so
    // far are the text up to there.
    std::size_t Offset() const { return start_ < utf8_.size() ? start_ : utf8_.size(); }

private:
    std::string_view utf8_;
    LineSyntax syntax_;
    const std::string& name_;
    std::size_t start_ = 0;   // of the next physical line
    std::size_t number_ = 0;  // of the last physical line read
    std::string joined_;
};

// ASCII case-insensitive comparisons, as Windows compares key and value names.
std::string LowerAscii(std::string text);
bool EqualNoCase(std::string_view a, std::string_view b);
bool StartsWithNoCase(std::string_view text, std::string_view prefix);
// Without the blanks (space, tab, CR) that start and end it.
std::string TrimBlanks(const std::string& text);
std::string_view TrimmedBlanks(std::string_view text);

}  // namespace zoneinf
