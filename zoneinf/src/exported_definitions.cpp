#include "exported_definitions.h"

#include "errors.h"
#include "inf_writer.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <iconv.h>

namespace zoneinf {

namespace {

[[noreturn]] void Unreadable(const std::string& name, const std::string& what)
{
    throw Failure(kExitUnreadableInput, name + ": " + what);
}

std::string Lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    return text;
}

bool StartsWithNoCase(const std::string& text, const std::string& prefix)
{
    return text.size() >= prefix.size() && Lower(text.substr(0, prefix.size())) == Lower(prefix);
}

std::string Trim(const std::string& text)
{
    const size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos) {
        return "";
    }
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

std::string DecodeUtf16(const std::string& bytes, const char* encoding, const std::string& name)
{
    if (bytes.size() % 2 != 0) {
        Unreadable(name, "truncated: an odd number of bytes in UTF-16 text");
    }
    iconv_t converter = iconv_open("UTF-8", encoding);
    if (converter == iconv_t(-1)) {
        Unreadable(name, std::string("cannot decode ") + encoding);
    }
    std::string text(bytes.size() * 2, '\0');
    char* in = const_cast<char*>(bytes.data());
    size_t inLeft = bytes.size();
    char* out = text.data();
    size_t outLeft = text.size();
    const size_t result = iconv(converter, &in, &inLeft, &out, &outLeft);
    iconv_close(converter);
    if (result == size_t(-1)) {
        Unreadable(name, errno == EINVAL ? "truncated in the middle of a UTF-16 character"
                                         : "not valid UTF-16 text");
    }
    text.resize(text.size() - outLeft);
    return text;
}

// Physical lines joined where a line ends in a backslash (a value
// continued, in exports and INFs alike).
std::vector<std::string> LogicalLines(const std::string& text, const std::string& name)
{
    std::vector<std::string> lines;
    std::string pending;
    bool continued = false;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) {
            end = text.size();
        }
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        start = end + 1;
        if (continued) {
            line = line.substr(std::min(line.size(), line.find_first_not_of(" \t")));
        }
        pending += line;
        continued = !pending.empty() && pending.back() == '\\';
        if (continued) {
            pending.pop_back();
        } else {
            lines.push_back(std::move(pending));
            pending.clear();
        }
    }
    if (continued) {
        Unreadable(name, "truncated: the last value goes on past the end of the file");
    }
    return lines;
}

// "Paraguay Standard Time" or "Paraguay Standard Time\Dynamic DST" for a
// key below Time Zones; nullopt for any other key.
std::optional<std::string> BelowTimeZones(const std::string& path)
{
    std::string rest;
    for (const char* root : {"HKEY_LOCAL_MACHINE\\", "HKLM\\"}) {
        if (StartsWithNoCase(path, root)) {
            rest = path.substr(std::char_traits<char>::length(root));
        }
    }
    const std::string timeZones = kTimeZonesKey;
    if (!StartsWithNoCase(rest, timeZones) || rest.size() <= timeZones.size() + 1 ||
        rest[timeZones.size()] != '\\') {
        return std::nullopt;
    }
    return rest.substr(timeZones.size() + 1);
}

struct RegistryValue {
    enum Type { kString, kDword, kBinary, kOther } type = kOther;
    std::vector<std::uint8_t> bytes;
    std::uint32_t dword = 0;
};

// Gathers the values of the keys below Time Zones.
class Collector {
public:
    void Add(const std::string& relativeKey, const std::string& name,
             const std::optional<RegistryValue>& value)
    {
        const size_t separator = relativeKey.find('\\');
        const std::string key = relativeKey.substr(0, separator);
        const std::string subkey = separator == std::string::npos ? "" : relativeKey.substr(separator + 1);
        ExportedZone& zone = Zone(key);
        if (subkey.empty() && Lower(name) == "tzi") {
            if (const RegistryValue* tzi = Expect(zone, name, value, RegistryValue::kBinary)) {
                zone.tzi = tzi->bytes;
            }
        } else if (Lower(subkey) == "dynamic dst") {
            long year = 0;
            const auto [end, error] = std::from_chars(name.data(), name.data() + name.size(), year);
            if (Lower(name) == "firstentry" || Lower(name) == "lastentry") {
                if (const RegistryValue* entry = Expect(zone, "Dynamic DST " + name, value, RegistryValue::kDword)) {
                    (Lower(name) == "firstentry" ? zone.firstEntry : zone.lastEntry) = entry->dword;
                }
            } else if (error == std::errc() && end == name.data() + name.size()) {
                if (const RegistryValue* record = Expect(zone, name, value, RegistryValue::kBinary)) {
                    zone.years[year] = record->bytes;
                }
            }
        }
    }
    void Touch(const std::string& relativeKey) { Zone(relativeKey.substr(0, relativeKey.find('\\'))); }

    std::vector<ExportedZone> Take()
    {
        std::vector<ExportedZone> zones;
        for (auto& [lowered, zone] : zones_) {
            zones.push_back(std::move(zone));
        }
        return zones;
    }

private:
    ExportedZone& Zone(const std::string& key)
    {
        ExportedZone& zone = zones_[Lower(key)];
        zone.windowsKey = key;
        return zone;
    }
    // The value when it has the type expected; otherwise the zone notes why not.
    static const RegistryValue* Expect(ExportedZone& zone, const std::string& what,
                                       const std::optional<RegistryValue>& value, RegistryValue::Type type)
    {
        if (!value) {
            zone.badValues.push_back(what + " has data that cannot be read");
        } else if (value->type != type) {
            zone.badValues.push_back(what + (type == RegistryValue::kDword ? " is no DWORD" : " is no binary value"));
        } else {
            return &*value;
        }
        return nullptr;
    }

    std::map<std::string, ExportedZone> zones_;
};

bool ParseHexBytes(const std::string& list, std::vector<std::uint8_t>& bytes)
{
    size_t position = 0;
    const std::string text = Trim(list);
    while (position < text.size()) {
        const size_t comma = std::min(text.find(',', position), text.size());
        const std::string item = Trim(text.substr(position, comma - position));
        unsigned value = 0;
        const auto [end, error] = std::from_chars(item.data(), item.data() + item.size(), value, 16);
        if (item.empty() || item.size() > 2 || error != std::errc() || end != item.data() + item.size()) {
            return false;
        }
        bytes.push_back(std::uint8_t(value));
        position = comma + 1;
    }
    return true;
}

// Data of a registry type (REG_BINARY 3, REG_DWORD 4, ...) as bytes.
RegistryValue ValueOf(unsigned registryType, std::vector<std::uint8_t> bytes)
{
    RegistryValue value;
    value.type = registryType == 3 ? RegistryValue::kBinary : RegistryValue::kOther;
    if (registryType == 4 && bytes.size() == 4) {
        value.type = RegistryValue::kDword;
        value.dword = bytes[0] | bytes[1] << 8 | bytes[2] << 16 | std::uint32_t(bytes[3]) << 24;
    }
    value.bytes = std::move(bytes);
    return value;
}

// A value's data as an export writes it: "text", dword:0000012c,
// hex:2c,01,... or hex(N):...; nullopt for anything else.
std::optional<RegistryValue> ParseRegData(const std::string& data)
{
    RegistryValue value;
    if (!data.empty() && data.front() == '"') {
        value.type = RegistryValue::kString;
        return value;
    }
    if (StartsWithNoCase(data, "dword:")) {
        const std::string digits = data.substr(6);
        const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value.dword, 16);
        if (digits.size() != 8 || error != std::errc() || end != digits.data() + digits.size()) {
            return std::nullopt;
        }
        value.type = RegistryValue::kDword;
        return value;
    }
    unsigned type = 3;  // REG_BINARY
    size_t listStart = 0;
    if (StartsWithNoCase(data, "hex:")) {
        listStart = 4;
    } else if (StartsWithNoCase(data, "hex(")) {
        const size_t close = data.find("):");
        const auto [end, error] = std::from_chars(data.data() + 4, data.data() + close, type, 16);
        if (close == std::string::npos || error != std::errc() || end != data.data() + close) {
            return std::nullopt;
        }
        listStart = close + 2;
    } else {
        return std::nullopt;
    }
    std::vector<std::uint8_t> bytes;
    if (!ParseHexBytes(data.substr(listStart), bytes)) {
        return std::nullopt;
    }
    return ValueOf(type, std::move(bytes));
}

// A string value's text: "Paraguay Standard Time" with \\ and \" escaped.
std::optional<std::string> RegString(const std::string& data)
{
    if (data.size() < 2 || data.front() != '"' || data.back() != '"') {
        return std::nullopt;
    }
    std::string text;
    for (size_t i = 1; i + 1 < data.size(); ++i) {
        if (data[i] == '\\' && i + 2 < data.size()) {
            ++i;
        }
        text += data[i];
    }
    return text;
}

bool IsTimeZoneInformation(const std::string& path)
{
    for (const char* root : {"HKEY_LOCAL_MACHINE\\", "HKLM\\"}) {
        if (Lower(path) == Lower(root + std::string(kTimeZoneInformationKey))) {
            return true;
        }
    }
    return false;
}

std::vector<ExportedZone> ParseRegExport(const std::string& text, const std::string& name,
                                         std::optional<std::string>& machineZone)
{
    if (!text.empty() && text.back() != '\n') {
        Unreadable(name, "truncated: the file ends in the middle of a line");
    }
    Collector collector;
    std::optional<std::string> currentKey;
    bool inTimeZoneInformation = false;
    const std::vector<std::string> lines = LogicalLines(text, name);
    for (size_t number = 1; number < lines.size(); ++number) {
        std::string line = Trim(lines[number]);
        if (line.compare(0, 3, "\xEF\xBB\xBF") == 0) {
            line.erase(0, 3);
        }
        if (line.empty() || line.front() == ';') {
            continue;
        }
        // Exports joined into one file ("copy /b zones.reg+current.reg")
        // repeat the header, after a byte-order mark.
        if (line == "Windows Registry Editor Version 5.00" || line == "REGEDIT4") {
            currentKey.reset();
            inTimeZoneInformation = false;
            continue;
        }
        if (line.front() == '[') {
            if (line.back() != ']') {
                Unreadable(name, "line " + std::to_string(number + 1) + ": a key without its closing ']'");
            }
            const std::string path = line.substr(1, line.size() - 2);
            currentKey = path.empty() || path.front() == '-' ? std::nullopt : BelowTimeZones(path);
            inTimeZoneInformation = IsTimeZoneInformation(path);
            if (currentKey) {
                collector.Touch(*currentKey);
            }
            continue;
        }
        if (!currentKey && !inTimeZoneInformation) {
            continue;
        }
        // "Name"=data, with \\ and \" escaped in the name; @ for the default value.
        std::string valueName;
        size_t position = 0;
        if (line.front() == '"') {
            for (position = 1; position < line.size() && line[position] != '"'; ++position) {
                if (line[position] == '\\' && position + 1 < line.size()) {
                    ++position;
                }
                valueName += line[position];
            }
            ++position;
        } else if (line.front() == '@') {
            position = 1;
        }
        if (position >= line.size() || line[position] != '=') {
            Unreadable(name, "line " + std::to_string(number + 1) + ": not a registry value");
        }
        const std::string data = Trim(line.substr(position + 1));
        if (inTimeZoneInformation) {
            if (Lower(valueName) == "timezonekeyname") {
                machineZone = RegString(data);
            }
            continue;
        }
        if (data != "-") {
            collector.Add(*currentKey, valueName, ParseRegData(data));
        }
    }
    return collector.Take();
}

// An INF line's fields: commas outside quotes separate them, quotes are
// removed and "" inside quotes is one quote.
std::vector<std::string> InfFields(const std::string& line)
{
    std::vector<std::string> fields(1);
    bool quoted = false;
    for (size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (c == '"') {
            if (quoted && i + 1 < line.size() && line[i + 1] == '"') {
                fields.back() += '"';
                ++i;
            } else {
                quoted = !quoted;
            }
        } else if (c == ',' && !quoted) {
            fields.emplace_back();
        } else {
            fields.back() += c;
        }
    }
    for (std::string& field : fields) {
        field = Trim(field);
    }
    return fields;
}

std::string WithoutComment(const std::string& line)
{
    bool quoted = false;
    for (size_t i = 0; i < line.size(); ++i) {
        if (line[i] == '"') {
            quoted = !quoted;
        } else if (line[i] == ';' && !quoted) {
            return line.substr(0, i);
        }
    }
    return line;
}

// An AddReg line's data by its flags: FLG_ADDREG_BINVALUETYPE for bytes,
// FLG_ADDREG_TYPE_DWORD for a number or four bytes, 0 for a string.
std::optional<RegistryValue> InfValue(unsigned long flags, const std::vector<std::string>& data)
{
    const unsigned long type = flags & 0xFFFF0001;  // FLG_ADDREG_TYPE_MASK
    RegistryValue value;
    if (type == 0) {
        value.type = RegistryValue::kString;
        return value;
    }
    if (type == 0x00010001 && data.size() == 1) {
        value.type = RegistryValue::kDword;
        value.dword = std::uint32_t(std::strtoul(data[0].c_str(), nullptr, 0));
        return value;
    }
    if (type != 0x00000001 && type != 0x00010001) {
        return value;
    }
    std::string list;
    for (const std::string& byte : data) {
        list += (list.empty() ? "" : ",") + byte;
    }
    std::vector<std::uint8_t> bytes;
    if (!ParseHexBytes(list, bytes)) {
        return std::nullopt;
    }
    return ValueOf(type == 0x00000001 ? 3 : 4, std::move(bytes));
}

std::vector<ExportedZone> ParseInf(const std::string& text, const std::string& name)
{
    std::map<std::string, std::vector<std::string>> sections;
    std::vector<std::string>* section = nullptr;
    for (const std::string& raw : LogicalLines(text, name)) {
        const std::string line = Trim(WithoutComment(raw));
        if (line.empty()) {
            continue;
        }
        if (line.front() == '[' && line.back() == ']') {
            section = &sections[Lower(Trim(line.substr(1, line.size() - 2)))];
        } else if (section) {
            section->push_back(line);
        }
    }
    std::vector<std::string> addRegSections;
    for (const auto& [sectionName, lines] : sections) {
        for (const std::string& line : lines) {
            const size_t equals = line.find('=');
            if (equals != std::string::npos && Lower(Trim(line.substr(0, equals))) == "addreg") {
                for (const std::string& field : InfFields(line.substr(equals + 1))) {
                    addRegSections.push_back(Lower(field));
                }
            }
        }
    }
    Collector collector;
    for (const std::string& sectionName : addRegSections) {
        for (const std::string& line : sections[sectionName]) {
            const std::vector<std::string> fields = InfFields(line);
            const std::string root = Lower(fields[0]);
            if (fields.size() < 2 || (root != "hklm" && root != "hkey_local_machine")) {
                continue;
            }
            const auto relativeKey = BelowTimeZones("HKLM\\" + fields[1]);
            if (!relativeKey) {
                continue;
            }
            collector.Touch(*relativeKey);
            if (fields.size() < 3) {
                continue;
            }
            unsigned long flags = 0;
            if (fields.size() > 3 && !fields[3].empty()) {
                flags = std::strtoul(fields[3].c_str(), nullptr, 0);
            }
            if (flags & 0x00000014) {  // FLG_ADDREG_DELVAL, FLG_ADDREG_KEYONLY
                continue;
            }
            const std::vector<std::string> data(fields.begin() + std::min<size_t>(4, fields.size()), fields.end());
            const std::optional<RegistryValue> value = InfValue(flags, data);
            collector.Add(*relativeKey, fields[2], value);
        }
    }
    return collector.Take();
}

// A file with no zone at all is the wrong file, not a clean machine.
ExportedDefinitions WithZones(ExportedDefinitions definitions, const std::string& name)
{
    if (definitions.zones.empty()) {
        Unreadable(name, "no keys under HKEY_LOCAL_MACHINE\\" + std::string(kTimeZonesKey) + " in this " +
                             definitions.format);
    }
    return definitions;
}

}  // namespace

ExportedDefinitions ReadDefinitions(const std::string& bytes, const std::string& name)
{
    ExportedDefinitions definitions;
    std::string text;
    if (bytes.compare(0, 2, "\xFF\xFE") == 0) {
        text = DecodeUtf16(bytes.substr(2), "UTF-16LE", name);
        definitions.format = "reg export (UTF-16)";
    } else if (bytes.compare(0, 2, "\xFE\xFF") == 0) {
        text = DecodeUtf16(bytes.substr(2), "UTF-16BE", name);
        definitions.format = "reg export (UTF-16 BE)";
    } else {
        text = bytes.compare(0, 3, "\xEF\xBB\xBF") == 0 ? bytes.substr(3) : bytes;
        if (text.find('\0') != std::string::npos) {
            Unreadable(name, "binary data or UTF-16 without its byte-order mark: not a registry export or INF");
        }
    }
    const std::string firstLine = Trim(text.substr(0, text.find('\n')));
    if (firstLine == "Windows Registry Editor Version 5.00" || firstLine == "REGEDIT4") {
        if (definitions.format.empty()) {
            definitions.format = firstLine == "REGEDIT4" ? "REGEDIT4 export" : "reg export (UTF-8)";
        }
        definitions.zones = ParseRegExport(text, name, definitions.currentKey);
        return WithZones(std::move(definitions), name);
    }
    if (!definitions.format.empty()) {
        Unreadable(name, "UTF-16 text that is no registry export (no \"Windows Registry Editor Version 5.00\")");
    }
    for (const std::string& line : LogicalLines(text, name)) {
        if (Lower(Trim(WithoutComment(line))) == "[version]") {
            definitions.format = "INF";
            definitions.zones = ParseInf(text, name);
            return WithZones(std::move(definitions), name);
        }
    }
    Unreadable(name, "neither a registry export (\"Windows Registry Editor Version 5.00\", \"REGEDIT4\") nor an INF");
}

std::variant<ZoneRecords, std::string> RecordsOf(const ExportedZone& zone)
{
    if (!zone.badValues.empty()) {
        return zone.badValues.front();
    }
    if (!zone.tzi) {
        return std::string("no TZI value");
    }
    const auto record = [](const std::vector<std::uint8_t>& bytes, const std::string& what)
        -> std::variant<TziRecord, std::string> {
        if (bytes.size() != TziRecord::kSize) {
            return what + " is " + std::to_string(bytes.size()) + " bytes, not 44";
        }
        const TziRecord tzi = TziRecord::FromBytes(std::span<const std::uint8_t, TziRecord::kSize>(bytes.data(), TziRecord::kSize));
        if (auto defect = tzi.Defect()) {
            return what + ": " + *defect;
        }
        return tzi;
    };
    ZoneRecords records;
    auto tzi = record(*zone.tzi, "TZI");
    if (auto* problem = std::get_if<std::string>(&tzi)) {
        return *problem;
    }
    records.tzi = std::get<TziRecord>(tzi);
    if (!zone.firstEntry && !zone.lastEntry && zone.years.empty()) {
        return records;
    }
    if (!zone.firstEntry || !zone.lastEntry) {
        return std::string("Dynamic DST without FirstEntry or LastEntry");
    }
    if (*zone.lastEntry < *zone.firstEntry) {
        return "Dynamic DST LastEntry " + std::to_string(*zone.lastEntry) + " before FirstEntry " +
               std::to_string(*zone.firstEntry);
    }
    if (*zone.firstEntry < 1601 || *zone.lastEntry > 30827) {
        return "Dynamic DST years " + std::to_string(*zone.firstEntry) + " to " + std::to_string(*zone.lastEntry);
    }
    DynamicDst dynamic{int(*zone.firstEntry), int(*zone.lastEntry), {}};
    for (int year = dynamic.firstYear; year <= dynamic.lastYear; ++year) {
        const auto found = zone.years.find(year);
        if (found == zone.years.end()) {
            return "Dynamic DST has no record for " + std::to_string(year);
        }
        auto yearRecord = record(found->second, "Dynamic DST " + std::to_string(year));
        if (auto* problem = std::get_if<std::string>(&yearRecord)) {
            return *problem;
        }
        dynamic.years.push_back(std::get<TziRecord>(yearRecord));
    }
    records.dynamic = std::move(dynamic);
    return records;
}

}  // namespace zoneinf
