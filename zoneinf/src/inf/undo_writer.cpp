#include "inf/undo_writer.h"

#include "base/errors.h"
#include "registry/definitions_trace.h"
#include "registry/registry_vocabulary.h"
#include "base/text_decoder.h"
#include "base/messages.h"

#include <algorithm>

namespace zoneinf {

namespace {

// SetupAPI's limit on one string (MAX_INF_STRING_LENGTH), its terminator
// included: 4095 characters of text; a binary value's line is kept
// within it too.
constexpr size_t kMaxInfString = 4096;
constexpr size_t kMaxBinaryBytes = 1024;

// The values zoneinf's INF writes on a zone's key itself.
const char* const kValuesZoneinfWrites[] = {"Display", "Std", "Dlt", "TZI"};

[[noreturn]] void CannotPutBack(const RegistryKey& key, const RegistryValue& value, const std::string& why)
{
    throw Failure(kExitUnreadableInput,
                  Fill(_("HKLM\\%1, value '%2': %3; no INF line can put it back exactly"),
                       {key.path, value.name, why}));
}

// Whether an INF string can carry the text: no control character (a line
// end would end the line) and within SetupAPI's limit.
bool FitsInfString(const std::string& text)
{
    const bool control = std::any_of(text.begin(), text.end(), [](char c) {
        return static_cast<unsigned char>(c) < 0x20 || c == 0x7f;
    });
    return !control && Utf16LeFromUtf8(text).size() / 2 <= kMaxInfString;
}

// The AddReg line that puts a value back as the export holds it.
std::string PuttingBack(const RegistryKey& key, const RegistryValue& value)
{
    if (!value.problem.empty()) {
        CannotPutBack(key, value, Fill(_("data that cannot be read (%1)"), {value.problem}));
    }
    if (!FitsInfString(value.name)) {
        CannotPutBack(key, value, _("a name with a control character, or too long"));
    }
    if (value.type == kRegSz || value.type == kRegExpandSz) {
        const std::string text = Utf8FromUtf16Le(value.data);
        if (Utf16LeFromUtf8(text) != value.data) {
            CannotPutBack(key, value, _("a string that is not whole UTF-16 text with one terminator"));
        }
        if (!FitsInfString(text)) {
            CannotPutBack(key, value, _("a string with a control character, or longer than 4095 characters"));
        }
        return AddRegLine(key.path, value.name, value.type == kRegSz ? kAddRegTypeSz : kAddRegTypeExpandSz,
                          InfString(text));
    }
    if (value.type == kRegDword) {
        const std::optional<std::uint32_t> number = DwordOf(value.data);
        if (!number) {
            CannotPutBack(key, value, Fill(_("a REG_DWORD of %1 bytes"), {std::to_string(value.data.size())}));
        }
        return AddRegLine(key.path, value.name, kAddRegTypeDword, std::to_string(*number));
    }
    if (value.type > 0xFFFF) {
        CannotPutBack(key, value, Fill(_("type %1, above what AddReg flags can name"), {std::to_string(value.type)}));
    }
    if (value.data.size() > kMaxBinaryBytes) {
        CannotPutBack(key, value, Fill(_("%1 bytes, more than one INF line holds"), {std::to_string(value.data.size())}));
    }
    // Type 0 and 2 in the high word would read as FLG_ADDREG_TYPE_BINARY
    // and FLG_ADDREG_TYPE_NONE; 1 as FLG_ADDREG_TYPE_DWORD (strings and
    // DWORDs are written above).
    const std::uint32_t flags = value.type == kRegNone     ? kAddRegTypeNone
                                : value.type == kRegBinary ? kAddRegBinary
                                                           : value.type << 16 | kAddRegBinary;
    return AddRegLine(key.path, value.name, flags, HexList(value.data));
}

}  // namespace

std::string WriteUndoInf(const RegistrySnapshot& before, const std::vector<std::string>& windowsKeys,
                         const std::string& programVersion)
{
    std::vector<std::string> zoneKeys;
    for (const std::string& windowsKey : windowsKeys) {
        zoneKeys.push_back(TimeZoneKeyPath(windowsKey));
    }
    InfText inf;
    inf.Comment("Puts back the Windows time-zone definitions a registry export held, value for value.");
    inf.Comment("Written by zoneinf " + programVersion + " (--undo) for:");
    for (const std::string& windowsKey : windowsKeys) {
        inf.Comment("  " + windowsKey);
    }
    inf.Comment("Deletes Dynamic DST, the values the export lacks and these keys' traces, then");
    inf.Comment("writes every value the export holds. Apply elevated, like the INF it undoes.");
    inf.Head("Undo");
    inf.Line("[Undo.DelReg]");
    for (const std::string& zoneKey : zoneKeys) {
        inf.Line(DelRegLine(zoneKey + "\\" + kDynamicDstSubkey));
        const auto key = std::find_if(before.keys.begin(), before.keys.end(),
                                      [&](const RegistryKey& found) { return EqualNoCase(found.path, zoneKey); });
        for (const char* name : kValuesZoneinfWrites) {
            const bool held = key != before.keys.end() &&
                              std::any_of(key->values.begin(), key->values.end(),
                                          [&](const RegistryValue& value) { return EqualNoCase(value.name, name); });
            if (!held) {
                inf.Line(DelRegLine(zoneKey, name));
            }
        }
    }
    // The traces of the keys put back, and the old global trace's values
    // the export lacks: what the INF undone added. Other keys' traces stay.
    for (const std::string& windowsKey : windowsKeys) {
        inf.Line(DelRegLine(TraceKeyPath(windowsKey)));
    }
    const std::optional<DefinitionsTraces> traces = DefinitionsTraceOf(before);
    const bool heldGlobal = traces && traces->global;
    for (const char* name : {kTraceTzdata, kTraceCldr, kTraceProgram, kTraceZones}) {
        const bool held = heldGlobal && std::any_of(before.keys.begin(), before.keys.end(), [&](const RegistryKey& key) {
            return DefinitionsSubkeyOf(key.path) == std::string() &&
                   std::any_of(key.values.begin(), key.values.end(),
                               [&](const RegistryValue& value) { return EqualNoCase(value.name, name); });
        });
        if (!held) {
            inf.Line(DelRegLine(kDefinitionsKey, name));
        }
    }
    inf.Line();
    inf.Line("[Undo.AddReg]");
    for (RegistryKey key : before.keys) {
        // The trace as a 64-bit export names it goes back where zonechange.exe,
        // a 32-bit program, writes it: under the name its INFs give.
        const std::string trace32 = kDefinitionsKey32;
        if (IsAtOrBelow(key.path, trace32)) {
            key.path = kDefinitionsKey + key.path.substr(trace32.size());
        }
        const std::optional<std::string> traced = DefinitionsSubkeyOf(key.path);
        const bool restored =
            (traced && (traced->empty() || std::any_of(windowsKeys.begin(), windowsKeys.end(), [&](const std::string& windowsKey) {
                 return EqualNoCase(*traced, windowsKey);
             }))) ||
            std::any_of(zoneKeys.begin(), zoneKeys.end(),
                        [&](const std::string& zoneKey) { return IsAtOrBelow(key.path, zoneKey); });
        if (!restored) {
            continue;
        }
        if (!FitsInfString(key.path)) {
            throw Failure(kExitUnreadableInput,
                          Fill(_("HKLM\\%1: a key name no INF line can carry"), {key.path}));
        }
        if (key.values.empty()) {
            inf.Line(AddRegKeyLine(key.path));
        }
        for (const RegistryValue& value : key.values) {
            inf.Line(PuttingBack(key, value));
        }
    }
    return Utf16InfFile(inf.Take());
}

}  // namespace zoneinf
