#include "snapshot_definitions.h"

#include <cstdint>

namespace zoneinf {

namespace {

std::string Quoted(const std::string& text)
{
    std::string quoted = "\"";
    for (const char c : text) {
        if (c == '\\' || c == '"') {
            quoted += '\\';
        }
        quoted += c;
    }
    return quoted + '"';
}

// A REG_SZ of printable ASCII as the quoted text an export writes; any
// other value as hex(type):bytes, which the reader takes for every type.
std::string ValueData(const RegistryValue& value)
{
    if (value.type == kRegSz) {
        std::string text;
        bool plain = value.data.size() % 2 == 0;
        for (size_t i = 0; plain && i < value.data.size(); i += 2) {
            const unsigned c = value.data[i] | value.data[i + 1] << 8;
            if (c == 0) {
                break;
            }
            plain = c >= 0x20 && c < 0x7F;
            text += char(c);
        }
        if (plain) {
            return Quoted(text);
        }
    }
    static const char kDigits[] = "0123456789abcdef";
    std::string type;
    for (std::uint32_t rest = value.type; type.empty() || rest != 0; rest >>= 4) {
        type.insert(type.begin(), kDigits[rest & 15]);
    }
    std::string data = "hex(" + type + "):";
    for (size_t i = 0; i < value.data.size(); ++i) {
        data += i == 0 ? "" : ",";
        data += kDigits[value.data[i] >> 4];
        data += kDigits[value.data[i] & 15];
    }
    return data;
}

}  // namespace

ExportedDefinitions ReadSnapshot(const RegistrySnapshot& snapshot, const std::string& name)
{
    std::string text = "Windows Registry Editor Version 5.00\r\n";
    for (const RegistryKey& key : snapshot.keys) {
        text += "\r\n[HKEY_LOCAL_MACHINE\\" + key.path + "]\r\n";
        for (const RegistryValue& value : key.values) {
            text += (value.name.empty() ? std::string("@") : Quoted(value.name)) + "=" + ValueData(value) + "\r\n";
        }
    }
    ExportedDefinitions definitions = ReadDefinitions(text, name);
    definitions.format = snapshot.format;
    return definitions;
}

}  // namespace zoneinf
