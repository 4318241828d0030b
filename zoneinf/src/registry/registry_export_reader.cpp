#include "registry/registry_export_reader.h"

#include "base/errors.h"
#include "registry/registry_vocabulary.h"
#include "base/messages.h"


namespace zoneinf {

namespace {

// The path below HKLM of a key an export names in full, if it is there.
std::optional<std::string> BelowHklm(const std::string& path)
{
    for (const char* root : {"HKEY_LOCAL_MACHINE\\", "HKLM\\"}) {
        if (StartsWithNoCase(path, root)) {
            return path.substr(std::char_traits<char>::length(root));
        }
    }
    return std::nullopt;
}

// "2c,01,00,00" (blanks allowed around each byte) as bytes.
bool ParseHexList(const std::string& list, std::vector<std::uint8_t>& bytes)
{
    const std::string text = TrimBlanks(list);
    for (size_t position = 0; position < text.size();) {
        const size_t comma = std::min(text.find(',', position), text.size());
        const auto byte = ParseHexByte(TrimBlanks(text.substr(position, comma - position)));
        if (!byte) {
            return false;
        }
        bytes.push_back(*byte);
        position = comma + 1;
        if (comma + 1 == text.size()) {
            return false;  // a trailing comma: a list cut short
        }
    }
    return true;
}

// A value line's name and data, as the line gives them.
struct NamedData {
    std::string name;
    std::string data;
};

// "Name"=data, with \\ and \" escaped in the name; @=data for the default
// value. nullopt for a line that is no value.
std::optional<NamedData> ValueLine(const std::string& line)
{
    NamedData value;
    size_t position = 0;
    if (line.front() == '"') {
        for (position = 1; position < line.size() && line[position] != '"'; ++position) {
            if (line[position] == '\\' && position + 1 < line.size()) {
                ++position;
            }
            value.name += line[position];
        }
        ++position;
    } else if (line.front() == '@') {
        position = 1;
    }
    if (position >= line.size() || line[position] != '=') {
        return std::nullopt;
    }
    value.data = TrimBlanks(line.substr(position + 1));
    return value;
}

// A value's data as an export writes it: "text", dword:0000012c,
// hex:2c,01,... or hex(N):...; the value's problem says what is wrong.
RegistryValue ParseData(const std::string& name, const std::string& data)
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
        const std::string digits = data.substr(6);
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
        if (close == std::string::npos) {
            value.problem = _("hex( without '):'");
            return value;
        }
        const std::optional<std::uint32_t> type =
            close > 12 ? std::nullopt : ParseHexNumber(std::string_view(data).substr(4, close - 4));
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

}  // namespace

bool IsRegistryExport(const std::string& utf8)
{
    const std::string firstLine = TrimBlanks(utf8.substr(0, utf8.find('\n')));
    return firstLine == "Windows Registry Editor Version 5.00" || firstLine == "REGEDIT4";
}

RegistrySnapshot ReadRegistryExport(const DecodedText& text, const std::string& name)
{
    const std::vector<TextLine> lines = JoinedLines(text.utf8, LineSyntax::kRegistryExport, name);
    if (!text.utf8.empty() && text.utf8.back() != '\n') {
        throw UnreadableInput(name, _("truncated: the file ends in the middle of a line"),
                              lines.empty() ? 1 : lines.back().number);
    }
    const bool regedit4 = !lines.empty() && TrimBlanks(lines.front().text) == "REGEDIT4";
    SnapshotBuilder snapshot(SnapshotSource::kRegistryExport, regedit4 ? "REGEDIT4 export"
                                                              : text.encoding == TextEncoding::kUtf16Le ? "reg export (UTF-16)"
                                                              : text.encoding == TextEncoding::kUtf16Be ? "reg export (UTF-16 BE)"
                                                                                                        : "reg export (UTF-8)");
    // The key of the last key line, when the snapshot keeps it: the values
    // below it are read, any others passed over.
    bool keyKept = false;
    size_t currentKey = 0;
    for (size_t index = 1; index < lines.size(); ++index) {
        std::string line = TrimBlanks(lines[index].text);
        const size_t number = lines[index].number;
        if (line.compare(0, 3, "\xEF\xBB\xBF") == 0) {
            line.erase(0, 3);
        }
        if (line.empty() || line.front() == ';') {
            continue;
        }
        // Exports joined into one file ("copy /b zones.reg+current.reg", a
        // fleet's collection) repeat the header, after a byte-order mark.
        if (IsRegistryExport(line)) {
            keyKept = false;
            continue;
        }
        if (line.front() == '[') {
            if (line.back() != ']') {
                throw UnreadableInput(name, _("a key without its closing ']'"), number);
            }
            const std::string path = line.substr(1, line.size() - 2);
            const auto below = path.empty() || path.front() == '-' ? std::nullopt : BelowHklm(path);
            keyKept = below && IsKeptKey(*below);
            if (keyKept) {
                currentKey = snapshot.Key(*below);
            }
            continue;
        }
        std::optional<NamedData> value = ValueLine(line);
        if (!value) {
            throw UnreadableInput(name, _("not a registry value"), number);
        }
        if (keyKept && value->data != "-") {  // "-": a deletion, nothing the machine holds
            snapshot.SetValue(currentKey, ParseData(value->name, value->data));
        }
    }
    return snapshot.Take();
}

}  // namespace zoneinf
