#include "inf/inf_reader.h"

#include "base/errors.h"
#include "registry/registry_vocabulary.h"
#include "base/messages.h"

#include <charconv>
#include <map>
#include <set>

namespace zoneinf {

namespace {

struct Section {
    std::vector<TextLine> lines;
};

// An INF line's fields: commas outside quotes separate them, quotes are
// removed and "" inside quotes is one quote; %name% is replaced by the
// [Strings] entry (and %% by %). `budget` is what substitution may still
// add to the file's text, so that a few long strings named many times
// cannot make it grow without end.
std::vector<std::string> Fields(const TextLine& line, const std::map<std::string, std::string>& strings,
                                const std::string& name, size_t& budget)
{
    std::vector<std::string> fields(1);
    bool quoted = false;
    const std::string& text = line.text;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '"') {
            if (quoted && i + 1 < text.size() && text[i + 1] == '"') {
                fields.back() += '"';
                ++i;
            } else {
                quoted = !quoted;
            }
        } else if (c == ',' && !quoted) {
            fields.emplace_back();
        } else if (c == '%' && !strings.empty()) {
            const size_t close = text.find('%', i + 1);
            const auto found = close == std::string::npos
                                   ? strings.end()
                                   : strings.find(LowerAscii(text.substr(i + 1, close - i - 1)));
            if (close == i + 1) {
                fields.back() += '%';
                i = close;
            } else if (found != strings.end()) {
                if (found->second.size() > budget) {
                    throw UnreadableInput(name, _("[Strings] substitution makes the file over 4 times its size"), line.number);
                }
                budget -= found->second.size();
                fields.back() += found->second;
                i = close;
            } else {
                fields.back() += c;  // no such string: the token stays, as SetupAPI leaves it
            }
        } else {
            fields.back() += c;
        }
    }
    if (quoted) {
        throw UnreadableInput(name, _("a quoted string without its closing quote"), line.number);
    }
    for (std::string& field : fields) {
        field = TrimBlanks(field);
    }
    return fields;
}

bool ParseNumber(const std::string& text, std::uint32_t& number)
{
    const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    const char* begin = text.data() + (hex ? 2 : 0);
    const char* end = text.data() + text.size();
    std::uint32_t value = 0;
    const auto [last, error] = std::from_chars(begin, end, value, hex ? 16 : 10);
    number = value;
    return begin != end && error == std::errc() && last == end;
}

// An AddReg line's data by its flags, as Windows would store it.
void ParseData(std::uint32_t flags, const std::vector<std::string>& data, RegistryValue& value)
{
    const std::uint32_t type = flags & kAddRegTypeMask;
    const auto string = [](const std::string& text) { return Utf16LeFromUtf8(text); };
    if (type == kAddRegTypeSz || type == kAddRegTypeExpandSz) {
        value.type = type == kAddRegTypeSz ? kRegSz : kRegExpandSz;
        value.data = string(data.empty() ? "" : data.front());
    } else if (type == kAddRegTypeMultiSz) {
        value.type = kRegMultiSz;
        for (const std::string& item : data) {
            const std::vector<std::uint8_t> bytes = string(item);
            value.data.insert(value.data.end(), bytes.begin(), bytes.end());
        }
        value.data.push_back(0);
        value.data.push_back(0);
    } else if (type == kAddRegTypeDword && data.size() == 1) {
        value.type = kRegDword;
        std::uint32_t number = 0;
        if (!ParseNumber(data.front(), number)) {
            value.problem = _("dword data that is no number");
            return;
        }
        value.data = DwordBytes(number);
    } else if (type == kAddRegTypeNone || (flags & kAddRegBinary)) {
        // Bytes; the high word is the type (REG_BINARY for 0x00000001).
        value.type = type == kAddRegTypeNone ? kRegNone : type == kAddRegBinary ? kRegBinary : type >> 16;
        if (type == kAddRegTypeDword) {
            value.type = kRegDword;
        }
        for (const std::string& item : data) {
            const auto byte = ParseHexByte(item);
            if (!byte) {
                value.data.clear();
                value.problem = _("a byte that is no hexadecimal number");
                return;
            }
            value.data.push_back(*byte);
        }
    } else {
        value.problem = _("flags of no registry type");
    }
}

}  // namespace

bool IsInf(const std::string& utf8)
{
    for (size_t start = 0; start < utf8.size();) {
        size_t end = utf8.find('\n', start);
        if (end == std::string::npos) {
            end = utf8.size();
        }
        std::string line = utf8.substr(start, end - start);
        line = TrimBlanks(line.substr(0, line.find(';')));
        if (EqualNoCase(line, "[Version]")) {
            return true;
        }
        start = end + 1;
    }
    return false;
}

RegistrySnapshot ReadInf(const DecodedText& text, const std::string& name)
{
    const std::vector<TextLine> lines = JoinedLines(text.utf8, LineSyntax::kInf, name);
    if (!text.utf8.empty() && text.utf8.back() != '\n') {
        throw UnreadableInput(name, _("truncated: the file ends in the middle of a line"), lines.empty() ? 1 : lines.back().number);
    }
    std::map<std::string, Section> sections;
    Section* section = nullptr;
    for (const TextLine& line : lines) {
        const std::string trimmed = TrimBlanks(line.text);
        if (trimmed.empty()) {
            continue;
        }
        if (trimmed.front() == '[') {
            if (trimmed.back() != ']') {
                throw UnreadableInput(name, _("a section name without its closing ']'"), line.number);
            }
            // Sections of one name are one section, as SetupAPI merges them.
            section = &sections[LowerAscii(TrimBlanks(trimmed.substr(1, trimmed.size() - 2)))];
        } else if (section) {
            section->lines.push_back({trimmed, line.number});
        }
    }
    size_t budget = 4 * text.utf8.size() + 65536;
    std::map<std::string, std::string> strings;
    for (const TextLine& line : sections["strings"].lines) {
        const size_t equals = line.text.find('=');
        if (equals == std::string::npos) {
            continue;
        }
        const std::vector<std::string> value = Fields({line.text.substr(equals + 1), line.number}, {}, name, budget);
        strings[LowerAscii(TrimBlanks(line.text.substr(0, equals)))] = value.front();
    }

    const auto install = sections.find("defaultinstall");
    if (install == sections.end()) {
        throw UnreadableInput(name, _("no [DefaultInstall] section: nothing this INF installs"));
    }
    // SetupAPI deletes (DelReg) before it adds (AddReg); each section once.
    std::vector<const TextLine*> addRegLines;
    std::set<std::string> followed;
    for (const char* directive : {"delreg", "addreg"}) {
        for (const TextLine& line : install->second.lines) {
            const size_t equals = line.text.find('=');
            if (equals == std::string::npos || LowerAscii(TrimBlanks(line.text.substr(0, equals))) != directive) {
                continue;
            }
            for (const std::string& field : Fields({line.text.substr(equals + 1), line.number}, strings, name, budget)) {
                const std::string sectionName = LowerAscii(field);
                if (sectionName.empty() || !followed.insert(std::string(directive) + ":" + sectionName).second) {
                    continue;
                }
                const auto named = sections.find(sectionName);
                if (named == sections.end()) {
                    throw UnreadableInput(name, Fill(_("truncated or incomplete: no section [%1]"), {field}), line.number);
                }
                if (std::string(directive) == "addreg") {
                    for (const TextLine& entry : named->second.lines) {
                        addRegLines.push_back(&entry);
                    }
                }
            }
        }
    }

    SnapshotBuilder snapshot(SnapshotSource::kInf, text.encoding == TextEncoding::kUtf16Le   ? "INF (UTF-16)"
                                                   : text.encoding == TextEncoding::kUtf16Be ? "INF (UTF-16 BE)"
                                                                                             : "INF");
    for (const TextLine* line : addRegLines) {
        const std::vector<std::string> fields = Fields(*line, strings, name, budget);
        const std::string root = LowerAscii(fields[0]);
        if (fields.size() < 2 || (root != "hklm" && root != "hkey_local_machine") || !IsKeptKey(fields[1])) {
            continue;
        }
        const size_t key = snapshot.Key(fields[1]);
        std::uint32_t flags = 0;
        RegistryValue value;
        if (fields.size() > 3 && !fields[3].empty() && !ParseNumber(fields[3], flags)) {
            value.problem = _("flags that are no number");
        }
        if (fields.size() < 3 || (flags & (kAddRegDeleteValue | kAddRegKeyOnly))) {
            continue;  // the key alone, or a value deleted: nothing to hold
        }
        value.name = fields[2];
        if (value.problem.empty()) {
            ParseData(flags, std::vector<std::string>(fields.begin() + std::min<size_t>(4, fields.size()), fields.end()),
                      value);
        }
        snapshot.SetValue(key, std::move(value), (flags & kAddRegNoClobber) != 0);
    }
    return snapshot.Take();
}

}  // namespace zoneinf
