// The words of the registry and of INF files that zoneinf's readers and
// writers share: the keys it reads and writes, SetupAPI's AddReg flags, a
// REG_DWORD's bytes, bytes as hexadecimal, and the pieces of INF text.
// Readers and writers both include this; neither includes the other.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace zoneinf {

// Keys, as paths below HKLM.

// One subkey per zone, named by its key: "...\Time Zones\Paraguay Standard Time".
inline constexpr const char* kTimeZonesKey = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Time Zones";
// Below a zone's key: FirstEntry, LastEntry and a record per year.
inline constexpr const char* kDynamicDstSubkey = "Dynamic DST";
// The machine's own zone, in its value TimeZoneKeyName.
inline constexpr const char* kTimeZoneInformationKey = "SYSTEM\\CurrentControlSet\\Control\\TimeZoneInformation";
// The trace zoneinf's INFs leave (definitions_trace.h), a subkey per
// Windows key below it, and the same key as "reg export" may name it on
// 64-bit Windows, where zonechange.exe, a 32-bit program, writes it.
inline constexpr const char* kDefinitionsKey = "SOFTWARE\\zonechange\\Definitions";
inline constexpr const char* kDefinitionsKey32 = "SOFTWARE\\WOW6432Node\\zonechange\\Definitions";
// The trace's values, all REG_SZ.
inline constexpr const char* kTraceTzdata = "TzdataRelease";
inline constexpr const char* kTraceCldr = "CldrRelease";
inline constexpr const char* kTraceProgram = "ZoneinfVersion";
inline constexpr const char* kTraceZones = "Zones";  // the old global form only
// The per-key trace's own values: its IANA zone (REG_SZ), and the years
// of its Dynamic DST records (REG_DWORD).
inline constexpr const char* kTraceZone = "Zone";
inline constexpr const char* kTraceFirstYear = "FirstYear";
inline constexpr const char* kTraceLastYear = "LastYear";

// "SOFTWARE\...\Time Zones\Paraguay Standard Time" for "Paraguay Standard Time".
std::string TimeZoneKeyPath(const std::string& windowsKey);
// Whether `path` is `key` or below it, compared as Windows compares names.
bool IsAtOrBelow(std::string_view path, std::string_view key);
// The trace key of a Windows key: "SOFTWARE\zonechange\Definitions\Paraguay Standard Time".
std::string TraceKeyPath(const std::string& windowsKey);
// For a path that is the trace key, by either name: "" for the key itself
// (the old global trace), the Windows key's name for one of its subkeys;
// nullopt for any other path, deeper ones included.
std::optional<std::string> DefinitionsSubkeyOf(const std::string& path);
// The zone's key a path lies at or below, its name as the path spells
// it: "Paraguay Standard Time" for "...\Time Zones\Paraguay Standard
// Time\Dynamic DST"; nullopt for a path outside Time Zones' keys, and for
// Time Zones itself or a path with an empty name after it.
std::optional<std::string_view> ZoneKeyOf(std::string_view path);
// Whether a key is one a snapshot keeps (registry_snapshot.h): Time Zones,
// TimeZoneInformation or the trace key, or below them.
bool IsKeptKey(std::string_view path);

// SetupAPI's AddReg flags (setupapi.h): the value's type, in the low bit
// (bytes or text) and the high word, and what to do with what is there.
inline constexpr std::uint32_t kAddRegTypeSz = 0x00000000;        // FLG_ADDREG_TYPE_SZ
inline constexpr std::uint32_t kAddRegBinary = 0x00000001;        // FLG_ADDREG_BINVALUETYPE: bytes, of the type in the high word
inline constexpr std::uint32_t kAddRegNoClobber = 0x00000002;     // FLG_ADDREG_NOCLOBBER: a value there stays
inline constexpr std::uint32_t kAddRegDeleteValue = 0x00000004;   // FLG_ADDREG_DELVAL
inline constexpr std::uint32_t kAddRegKeyOnly = 0x00000010;       // FLG_ADDREG_KEYONLY: the key alone
inline constexpr std::uint32_t kAddRegTypeMultiSz = 0x00010000;   // FLG_ADDREG_TYPE_MULTI_SZ
inline constexpr std::uint32_t kAddRegTypeExpandSz = 0x00020000;  // FLG_ADDREG_TYPE_EXPAND_SZ
inline constexpr std::uint32_t kAddRegTypeDword = 0x00010001;     // FLG_ADDREG_TYPE_DWORD
inline constexpr std::uint32_t kAddRegTypeNone = 0x00020001;      // FLG_ADDREG_TYPE_NONE
inline constexpr std::uint32_t kAddRegTypeMask = 0xFFFF0001;      // FLG_ADDREG_TYPE_MASK

// A REG_DWORD as Windows stores it, four bytes little-endian, and back;
// nullopt for data that is not four bytes. Example: 2026 is ea,07,00,00.
std::vector<std::uint8_t> DwordBytes(std::uint32_t number);
std::optional<std::uint32_t> DwordOf(std::span<const std::uint8_t> bytes);

// A number in hexadecimal digits alone ("0000012c", "7"), of at most 32
// bits; nullopt for anything else.
std::optional<std::uint32_t> ParseHexNumber(std::string_view text);
// One byte as exports and INFs write it, one or two hexadecimal digits
// ("2c", "F"); nullopt for anything else.
std::optional<std::uint8_t> ParseHexByte(std::string_view text);
// Bytes as "2c,01,00,00".
std::string HexList(std::span<const std::uint8_t> bytes);

// The pieces of an INF line. A string quoted, with '"' and '%' doubled as
// SetupAPI reads them ("50%" gives "\"50%%\""); the text must hold no
// control character, which no INF string can carry.
std::string InfString(const std::string& text);
// AddReg flags as "0x00010001".
std::string InfFlags(std::uint32_t flags);
// HKLM,"key","name",0x00000001,data: `data` as the flags want it (a
// quoted string, a number, a hex list), and no comma when it is empty.
std::string AddRegLine(const std::string& key, const std::string& name, std::uint32_t flags,
                       const std::string& data);
// HKLM,"key",,0x00000010: the key alone, with no value.
std::string AddRegKeyLine(const std::string& key);
// HKLM,"key" (the key and all below it), or HKLM,"key","name" (one value).
std::string DelRegLine(const std::string& key);
std::string DelRegLine(const std::string& key, const std::string& name);

// Whether a text (a key, a file name) can stand in an INF string and a
// registry path as it is: printable ASCII without \, " or %.
bool IsPlainInfText(const std::string& text);

// Windows' limit for a time-zone key name: DYNAMIC_TIME_ZONE_INFORMATION's
// TimeZoneKeyName holds 128 characters with its terminating NUL.
inline constexpr std::size_t kMaxKeyNameLength = 127;

// Whether a key name (from the command line or the mapping) can be written:
// plain INF text within Windows' limit.
bool IsWindowsKeyName(const std::string& text);

// An INF's bytes: ASCII text as it is; any other as UTF-16 LE with its
// byte-order mark, which SetupAPI reads whatever the machine's ANSI code
// page (Windows' display names are often not ASCII: Spanish "Asunción").
std::string InfFile(std::string utf8);
// The same as UTF-16 LE, whatever the text.
std::string Utf16InfFile(const std::string& utf8);

// The text of an INF as zoneinf writes one: lines ended by CR LF, the
// comments that open it, then its head.
class InfText {
public:
    // Room for about `bytes` of text, taken at once rather than doubled
    // into (an INF of every zone is some 2.6 MB).
    void Reserve(std::size_t bytes) { text_.reserve(bytes); }
    void Line(const std::string& text = "")
    {
        text_ += text;
        text_ += "\r\n";
    }
    void Comment(const std::string& text) { Line("; " + text); }
    // [Version] and a [DefaultInstall] section that deletes with the
    // section `<sections>.DelReg` and then adds with `<sections>.AddReg`
    // (SetupAPI runs DelReg first), set off by blank lines.
    void Head(const std::string& sections);
    std::string Take() { return std::move(text_); }

private:
    std::string text_;
};

}  // namespace zoneinf
