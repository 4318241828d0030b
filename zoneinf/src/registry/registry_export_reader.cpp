#include "registry/registry_export_reader.h"

#include "base/errors.h"
#include "registry/registry_vocabulary.h"
#include "base/messages.h"

#include <algorithm>

namespace zoneinf {

namespace {

// The path below HKLM of a key an export names in full, if it is there.
std::optional<std::string_view> BelowHklm(std::string_view path)
{
    for (const std::string_view root : {"HKEY_LOCAL_MACHINE\\", "HKLM\\"}) {
        if (StartsWithNoCase(path, root)) {
            return path.substr(root.size());
        }
    }
    return std::nullopt;
}

int HexDigit(char c)
{
    return c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
}

bool IsTrimmed(char c) { return c == ' ' || c == '\t' || c == '\r'; }

// "2c,01,00,00" (blanks allowed around each byte) as bytes: each item one
// or two hexadecimal digits, no item empty, no comma at the end. Read in
// place: the bulk of an export is these lists.
bool ParseHexList(std::string_view list, std::vector<std::uint8_t>& bytes)
{
    const std::string_view text = TrimmedBlanks(list);
    bytes.reserve(text.size() / 3 + 1);
    for (size_t position = 0; position < text.size();) {
        while (position < text.size() && IsTrimmed(text[position])) {
            ++position;
        }
        unsigned value = 0;
        size_t digits = 0;
        for (int digit; position < text.size() && (digit = HexDigit(text[position])) >= 0; ++position, ++digits) {
            value = value << 4 | digit;
        }
        while (position < text.size() && IsTrimmed(text[position])) {
            ++position;
        }
        if (digits == 0 || digits > 2 || (position < text.size() && text[position] != ',')) {
            return false;
        }
        bytes.push_back(std::uint8_t(value));
        if (position + 1 == text.size()) {
            return false;  // a trailing comma: a list cut short
        }
        ++position;
    }
    return true;
}

// A value line's name and data, as the line gives them: views into the
// line, the name into `unescaped` where it holds an escape.
struct NamedData {
    std::string_view name;
    std::string_view data;
};

// "Name"=data, with \\ and \" escaped in the name; @=data for the default
// value. nullopt for a line that is no value.
std::optional<NamedData> ValueLine(std::string_view line, std::string& unescaped)
{
    NamedData value;
    size_t position = 0;
    if (line.front() == '"') {
        const size_t close = line.find_first_of("\"\\", 1);
        if (close != std::string_view::npos && line[close] == '"') {
            value.name = line.substr(1, close - 1);  // no escape: the line's own text
            position = close;
        } else {
            unescaped.clear();
            for (position = 1; position < line.size() && line[position] != '"'; ++position) {
                if (line[position] == '\\' && position + 1 < line.size()) {
                    ++position;
                }
                unescaped += line[position];
            }
            value.name = unescaped;
        }
        ++position;
    } else if (line.front() == '@') {
        position = 1;
    }
    if (position >= line.size() || line[position] != '=') {
        return std::nullopt;
    }
    value.data = TrimmedBlanks(line.substr(position + 1));
    return value;
}

// A value's data as an export writes it: "text", dword:0000012c,
// hex:2c,01,... or hex(N):...; the value's problem says what is wrong.
RegistryValue ParseData(std::string_view name, std::string_view data)
{
    RegistryValue value;
    value.name = name;
    if (!data.empty() && data.front() == '"') {
        std::string text;
        size_t position = 1;
        for (; position < data.size() && data[position] != '"'; ++position) {
            if (data[position] == '\\' && position + 1 < data.size()) {
                ++position;
            }
            text += data[position];
        }
        value.type = kRegSz;
        if (position + 1 != data.size()) {
            value.problem = _("a string without its closing quote");
            return value;
        }
        value.data = Utf16LeFromUtf8(text);
        return value;
    }
    if (StartsWithNoCase(data, "dword:")) {
        const std::string_view digits = data.substr(6);
        const std::optional<std::uint32_t> number = digits.size() == 8 ? ParseHexNumber(digits) : std::nullopt;
        value.type = kRegDword;
        if (!number) {
            value.problem = _("dword data that is not 8 hexadecimal digits");
            return value;
        }
        value.data = DwordBytes(*number);
        return value;
    }
    size_t listStart = 0;
    value.type = kRegBinary;
    if (StartsWithNoCase(data, "hex:")) {
        listStart = 4;
    } else if (StartsWithNoCase(data, "hex(")) {
        const size_t close = data.find("):");
        if (close == std::string_view::npos) {
            value.problem = _("hex( without '):'");
            return value;
        }
        const std::optional<std::uint32_t> type = close > 12 ? std::nullopt : ParseHexNumber(data.substr(4, close - 4));
        if (!type) {
            value.problem = _("a type in hex(...) that is no hexadecimal number");
            return value;
        }
        value.type = *type;
        listStart = close + 2;
    } else {
        value.type = kRegNone;
        value.problem = _("data that is no string, dword or hex list");
        return value;
    }
    if (!ParseHexList(data.substr(listStart), value.data)) {
        value.data.clear();
        value.problem = _("a hex list with an item that is no byte");
    }
    return value;
}

bool IsExportHeader(std::string_view line)
{
    const std::string_view trimmed = TrimmedBlanks(line);
    return trimmed == "Windows Registry Editor Version 5.00" || trimmed == "REGEDIT4";
}

// What a line of an export (after its first) is to its readers.
enum class LineKind { kNothing, kHeader, kKey, kValue };

struct ExportLine {
    LineKind kind;
    std::string_view text;  // without the blanks around it and a byte-order mark before it
};

ExportLine Classify(std::string_view line)
{
    line = TrimmedBlanks(line);
    if (line.substr(0, 3) == "\xEF\xBB\xBF") {
        line.remove_prefix(3);
    }
    if (line.empty() || line.front() == ';') {
        return {LineKind::kNothing, line};
    }
    // Exports joined into one file ("copy /b zones.reg+current.reg", a
    // fleet's collection) repeat the header, after a byte-order mark.
    if (IsExportHeader(line)) {
        return {LineKind::kHeader, line};
    }
    return {line.front() == '[' ? LineKind::kKey : LineKind::kValue, line};
}

// A key line's path below HKLM, when the snapshot keeps the key.
std::optional<std::string_view> KeptPath(std::string_view keyLine)
{
    const std::string_view path = keyLine.substr(1, keyLine.size() - 2);
    const auto below = path.empty() || path.front() == '-' ? std::nullopt : BelowHklm(path);
    return below && IsKeptKey(*below) ? below : std::nullopt;
}

}  // namespace

bool IsRegistryExport(const std::string& utf8)
{
    return IsExportHeader(std::string_view(utf8).substr(0, utf8.find('\n')));
}

RegistrySnapshot ReadRegistryExport(const DecodedText& text, const std::string& name)
{
    LineReader lines(text.utf8, LineSyntax::kRegistryExport, name);
    std::string_view line;
    size_t number = 0;
    const bool any = lines.Next(line, number);
    const bool regedit4 = any && TrimmedBlanks(line) == "REGEDIT4";
    SnapshotBuilder snapshot(SnapshotSource::kRegistryExport, regedit4                                        ? "REGEDIT4 export"
                      : text.encoding == TextEncoding::kUtf16Le ? "reg export (UTF-16)"
                      : text.encoding == TextEncoding::kUtf16Be ? "reg export (UTF-16 BE)"
                                                                : "reg export (UTF-8)");
    // The first line that is no key and no value; told once the file is
    // known to end whole, as a file cut short is told first.
    std::optional<Failure> failure;
    // The key of the last key line, when the snapshot keeps it: the values
    // below it are read, any others passed over.
    bool keyKept = false;
    size_t currentKey = 0;
    std::string unescaped;
    while (any && lines.Next(line, number)) {
        if (failure) {
            continue;
        }
        const ExportLine classified = Classify(line);
        if (classified.kind == LineKind::kNothing) {
            continue;
        }
        if (classified.kind == LineKind::kHeader) {
            keyKept = false;
            continue;
        }
        if (classified.kind == LineKind::kKey) {
            if (classified.text.back() != ']') {
                failure = UnreadableInput(name, _("a key without its closing ']'"), number);
                continue;
            }
            const std::optional<std::string_view> kept = KeptPath(classified.text);
            keyKept = kept.has_value();
            if (keyKept) {
                currentKey = snapshot.Key(std::string(*kept));
            }
            continue;
        }
        const std::optional<NamedData> value = ValueLine(classified.text, unescaped);
        if (!value) {
            failure = UnreadableInput(name, _("not a registry value"), number);
            continue;
        }
        if (keyKept && value->data != "-") {  // "-": a deletion, nothing the machine holds
            snapshot.SetValue(currentKey, ParseData(value->name, value->data));
        }
    }
    if (!text.utf8.empty() && text.utf8.back() != '\n') {
        throw UnreadableInput(name, _("truncated: the file ends in the middle of a line"), any ? number : 1);
    }
    if (failure) {
        throw *failure;
    }
    return snapshot.Take();
}

std::optional<std::vector<ZoneLines>> ZoneLinesOf(const std::string& utf8, const std::string& name)
{
    LineReader lines(utf8, LineSyntax::kRegistryExport, name);
    std::vector<ZoneLines> runs;
    bool open = false;  // the last run goes on
    std::string_view line;
    size_t number = 0;
    size_t start = 0;  // of the line just read
    const auto close = [&] {
        if (open) {
            runs.back().end = start;
            open = false;
        }
    };
    lines.Next(line, number);  // the header
    for (start = lines.Offset(); lines.Next(line, number); start = lines.Offset()) {
        const ExportLine classified = Classify(line);
        if (classified.kind == LineKind::kHeader) {
            close();
        } else if (classified.kind == LineKind::kKey) {
            if (classified.text.back() != ']') {
                return std::nullopt;
            }
            const std::optional<std::string_view> kept = KeptPath(classified.text);
            const std::optional<std::string_view> zone = kept ? ZoneKeyOf(*kept) : std::nullopt;
            if (zone && open && EqualNoCase(*zone, runs.back().zone)) {
                continue;
            }
            close();
            if (zone) {
                runs.push_back({std::string(*zone), start, 0});
                open = true;
            }
        }
    }
    start = lines.Offset();
    close();
    // A zone whose keys are in two runs is not one run's.
    std::vector<std::string> names;
    for (const ZoneLines& run : runs) {
        names.push_back(LowerAscii(run.zone));
    }
    std::sort(names.begin(), names.end());
    if (std::adjacent_find(names.begin(), names.end()) != names.end()) {
        return std::nullopt;
    }
    return runs;
}

}  // namespace zoneinf
