// settz: selects the computer's time zone by the name of its definition
// under HKLM\SOFTWARE\Microsoft\Windows NT\CurrentVersion\Time Zones.
// Everything that decides is in settz/'s sources, free of any platform
// call: the command line, text, registry checks and commands; the
// operations they ask of Windows are declared in settz_platform.h.
#pragma once

#include <cstddef>
#include <cstdint>

// A process exit status: 0, kSettzUsage, or a Windows error code.
using SettzStatus = std::uint32_t;

constexpr SettzStatus kSettzSuccess = 0;
constexpr SettzStatus kSettzKeyNotFound = 2;        // ERROR_FILE_NOT_FOUND
constexpr SettzStatus kSettzInvalidData = 13;       // ERROR_INVALID_DATA
constexpr SettzStatus kSettzUsage = 160;            // ERROR_BAD_ARGUMENTS
constexpr SettzStatus kSettzTooLong = 206;          // ERROR_FILENAME_EXCED_RANGE
constexpr SettzStatus kSettzMoreData = 234;         // ERROR_MORE_DATA
constexpr SettzStatus kSettzUnnamedFailure = 31;    // ERROR_GEN_FAILURE

// Field sizes of DYNAMIC_TIME_ZONE_INFORMATION, terminating NUL included.
constexpr std::size_t kKeyNameCapacity = 128;       // TimeZoneKeyName
constexpr std::size_t kZoneNameCapacity = 32;       // StandardName, DaylightName

// SYSTEMTIME, member for member. In a zone record a month of 0 means "no
// change"; a year of 0 makes the date a rule ("day 5" = last dayOfWeek).
struct SystemDate {
    std::uint16_t year;          // 0, or the one year the date applies to
    std::uint16_t month;         // 1..12, 0 when the zone has no daylight time
    std::uint16_t dayOfWeek;     // 0 = Sunday .. 6
    std::uint16_t day;           // 1..5: which dayOfWeek of the month
    std::uint16_t hour;          // local time of the change, e.g. 2
    std::uint16_t minute;
    std::uint16_t second;
    std::uint16_t milliseconds;
};

// DYNAMIC_TIME_ZONE_INFORMATION, field for field. Biases are minutes to
// add to local time to get UTC: Paraguay (UTC-3) has bias 180.
struct ZoneRecord {
    std::int32_t bias;                           // e.g. -60 for Central Europe
    wchar_t standardName[kZoneNameCapacity];     // e.g. "@tzres.dll,-282" or "Romance Standard Time"
    SystemDate standardDate;                     // when daylight time ends
    std::int32_t standardBias;                   // usually 0
    wchar_t daylightName[kZoneNameCapacity];
    SystemDate daylightDate;                     // when daylight time starts
    std::int32_t daylightBias;                   // usually -60
    wchar_t timeZoneKeyName[kKeyNameCapacity];   // the key as stored, e.g. "Romance Standard Time"
    bool dynamicDaylightTimeDisabled;            // always false when settz selects a zone
};

// A bounded line buffer for messages and the preview: text that does not
// fit is dropped, never written past the end. The longest text, a preview
// with a key of 127 characters and names of 31, takes under 500.
constexpr std::size_t kTextCapacity = 768;
struct TextBuilder {
    wchar_t text[kTextCapacity];
    std::size_t length;
};
void Append(TextBuilder& builder, const wchar_t* text);
void AppendNumber(TextBuilder& builder, std::int64_t number);

// The preview format: one "Field=Value" line per field, CR LF ended, in the
// order and with the names of the Windows headers; dates as their eight
// SYSTEMTIME members, comma-separated.
void FormatZoneRecord(const ZoneRecord& record, TextBuilder& builder);

// Command-line splitting by the rules of the Microsoft C runtime. The
// program name ends at the next quote if it starts with one, else at the
// first blank; but a line that starts with programPath itself (the
// program's own full path, compared without regard to ASCII case), unquoted
// and followed by a blank or the end, has that whole path as its program
// name: zonechange.exe starts settz.exe so, from "C:\Program Files\..." as
// from anywhere. In arguments, 2n backslashes before a quote give n and the
// quote opens or closes quoting, 2n+1 give n and a literal quote, and ""
// inside quotes gives a literal quote. At most capacity - 1 characters are
// copied (always NUL-terminated); length is the argument's whole length.
const wchar_t* SkipProgramName(const wchar_t* commandLine, const wchar_t* programPath = nullptr);
bool NextArgument(const wchar_t*& cursor, wchar_t* argument, std::size_t capacity, std::size_t& length);

struct SettzOptions {
    bool quiet;        // /q: print nothing
    bool preview;      // /n: print the record, set nothing
    bool current;      // /g: print the key of the zone in force
    bool select;       // /s KEY given
    wchar_t key[kKeyNameCapacity];
};

enum class ParseOutcome { ok, usage, keyTooLong };

// Switches in any order, with / or -, in any case. Exactly one of /s KEY
// and /g; /n only with /s. A /s value that is empty or looks like a switch
// is missing. A key of 128 characters or more can name no zone Windows
// selects (TimeZoneKeyName holds 127).
ParseOutcome ParseSettzArguments(const wchar_t* commandLine, SettzOptions& options,
                                 const wchar_t* programPath = nullptr);

// The whole program: the result becomes the process's exit status.
// programPath is the program's own full path, or null when unknown.
SettzStatus RunSettz(const wchar_t* commandLine, const wchar_t* programPath = nullptr);
