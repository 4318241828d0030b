// settz's decisions against a fake registry: the command-line grammar and
// splitting, then what each kind of zone definition leads to.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "settz.h"
#include "settz_platform.h"

namespace {

struct FakeValue {
    std::uint32_t type;
    std::vector<unsigned char> bytes;
};
// "key" or "key\subkey" -> value name -> value. Key lookup ignores ASCII case.
std::map<std::wstring, std::map<std::wstring, FakeValue>> registry;
ZoneRecord yearRecord;
std::uint16_t currentYear = 2026;
ApplyAnswer applyAnswer;
// What GetDynamicTimeZoneInformation reports, or the error it fails with.
std::wstring currentKey;
WindowsError currentKeyError = 0;
std::vector<std::wstring> applied;
std::wstring output[2];

std::wstring Lower(std::wstring text)
{
    for (wchar_t& c : text) {
        c = (c >= L'A' && c <= L'Z') ? c + 32 : c;
    }
    return text;
}

FakeValue Text(const std::wstring& text)
{
    FakeValue value{kRegistryString, {}};
    for (wchar_t c : text + L'\0') {
        value.bytes.push_back(c & 0xFF);
        value.bytes.push_back((c >> 8) & 0xFF);
    }
    return value;
}

FakeValue Binary(std::size_t size) { return {kRegistryBinary, std::vector<unsigned char>(size)}; }
FakeValue Dword(std::uint32_t n) { return {kRegistryDword, {static_cast<unsigned char>(n), static_cast<unsigned char>(n >> 8), 0, 0}}; }

std::wstring Preview(const ZoneRecord& record)
{
    TextBuilder text = {};
    FormatZoneRecord(record, text);
    return text.text;
}

}  // namespace

WindowsError FindZoneKey(const wchar_t* requested, wchar_t (&storedName)[kKeyNameCapacity])
{
    for (const auto& [key, values] : registry) {
        if (key.find(L'\\') == std::wstring::npos && Lower(key) == Lower(requested)) {
            key.copy(storedName, key.size());
            storedName[key.size()] = 0;
            return 0;
        }
    }
    return 2;
}

WindowsError ReadZoneValue(const wchar_t* key, const wchar_t* subkey, const wchar_t* name, RegistryValue& value)
{
    const auto found = registry.find(subkey ? std::wstring(key) + L"\\" + subkey : std::wstring(key));
    if (found == registry.end() || !found->second.count(name)) {
        return 2;
    }
    const FakeValue& stored = found->second.at(name);
    if (stored.bytes.size() > kRegistryValueCapacity) {
        return 234;
    }
    value.type = stored.type;
    value.size = static_cast<std::uint32_t>(stored.bytes.size());
    std::copy(stored.bytes.begin(), stored.bytes.end(), value.data);
    return 0;
}

WindowsError ReadYearRecord(const wchar_t*, std::uint16_t, ZoneRecord& record)
{
    record.bias = yearRecord.bias;
    record.standardBias = yearRecord.standardBias;
    record.daylightBias = yearRecord.daylightBias;
    record.standardDate = yearRecord.standardDate;
    record.daylightDate = yearRecord.daylightDate;
    return 0;
}

std::uint16_t CurrentYear() { return currentYear; }

WindowsError QueryCurrentZoneKey(wchar_t (&keyName)[kKeyNameCapacity])
{
    currentKey.copy(keyName, currentKey.size());
    keyName[currentKey.size()] = 0;
    return currentKeyError;
}

WindowsError WriteText(OutputStream stream, const wchar_t* text, std::size_t length)
{
    output[stream == OutputStream::standardError].append(text, length);
    return 0;
}

ApplyAnswer ApplyZone(const ZoneRecord& record)
{
    applied.push_back(Preview(record));
    return applyAnswer;
}

namespace {

TEST(SettzCommandLine, SplitsAndReadsSwitchesAsDocumented)
{
    const std::wstring longKey(127, L'k');
    struct Case {
        std::wstring commandLine;
        ParseOutcome outcome;
        bool quiet, preview, current;
        std::wstring key;
    } cases[] = {
        {L"settz /q /s \"Romance Standard Time\"", ParseOutcome::ok, true, false, false, L"Romance Standard Time"},
        {L"\"C:\\Program Files\\settz.exe\" -S Romance -N", ParseOutcome::ok, false, true, false, L"Romance"},
        {L"settz /s \"a\\\"b\"", ParseOutcome::ok, false, false, false, L"a\"b"},
        {L"settz /s \"a\"\"b\"", ParseOutcome::ok, false, false, false, L"a\"b"},
        {L"settz /s a\\\\b", ParseOutcome::ok, false, false, false, L"a\\\\b"},
        {L"settz /s \"a\\\\\\\\\"", ParseOutcome::ok, false, false, false, L"a\\\\"},
        {L"settz\t/G", ParseOutcome::ok, false, false, true, L""},
        {L"settz /s " + longKey, ParseOutcome::ok, false, false, false, longKey},
        {L"settz /s k" + longKey, ParseOutcome::keyTooLong, false, false, false, L""},
        {L"settz", ParseOutcome::usage, false, false, false, L""},
        {L"settz /s", ParseOutcome::usage, false, false, false, L""},
        {L"settz /s \"\"", ParseOutcome::usage, false, false, false, L""},
        {L"settz /s /q", ParseOutcome::usage, true, false, false, L""},
        {L"settz /s a /s b", ParseOutcome::usage, false, false, false, L""},
        {L"settz /s a b", ParseOutcome::usage, false, false, false, L""},
        {L"settz /g /n", ParseOutcome::usage, false, true, true, L""},
        {L"settz /g /s a", ParseOutcome::usage, false, false, true, L""},
        {L"settz /sq a", ParseOutcome::usage, false, false, false, L""},
    };
    for (const Case& c : cases) {
        SettzOptions options;
        EXPECT_EQ(ParseSettzArguments(c.commandLine.c_str(), options), c.outcome) << c.commandLine;
        EXPECT_EQ(options.quiet, c.quiet) << c.commandLine;
        EXPECT_EQ(options.preview, c.preview) << c.commandLine;
        EXPECT_EQ(options.current, c.current) << c.commandLine;
        if (c.outcome == ParseOutcome::ok && !c.current) {
            EXPECT_EQ(std::wstring(options.key), c.key) << c.commandLine;
        }
    }
}

// zonechange.exe starts settz.exe with its full path unquoted at the head
// of the command line, blanks and all: the program's own path tells where
// the arguments begin.
TEST(SettzCommandLine, TakesItsOwnUnquotedPathWithBlanksAsTheProgramName)
{
    const wchar_t kPath[] = L"C:\\Program Files (x86)\\Zona Horaria\\settz.exe";
    struct Case {
        std::wstring commandLine;
        const wchar_t* programPath;
        ParseOutcome outcome;
        std::wstring key;
    } cases[] = {
        {std::wstring(kPath) + L" /q /s \"Eastern Standard Time (Mexico)\"", kPath, ParseOutcome::ok,
         L"Eastern Standard Time (Mexico)"},
        {L"c:\\program files (x86)\\zona horaria\\SETTZ.EXE\t/s Zone", kPath, ParseOutcome::ok, L"Zone"},
        {L"\"" + std::wstring(kPath) + L"\" /s Zone", kPath, ParseOutcome::ok, L"Zone"},
        {L"settz /s Zone", kPath, ParseOutcome::ok, L"Zone"},
        // By the C runtime's rules alone, the path's pieces are stray arguments.
        {std::wstring(kPath) + L" /q /s Zone", nullptr, ParseOutcome::usage, L""},
        {std::wstring(kPath) + L".old /s Zone", kPath, ParseOutcome::usage, L""},
    };
    for (const Case& c : cases) {
        SettzOptions options;
        EXPECT_EQ(ParseSettzArguments(c.commandLine.c_str(), options, c.programPath), c.outcome) << c.commandLine;
        if (c.outcome == ParseOutcome::ok) {
            EXPECT_EQ(std::wstring(options.key), c.key) << c.commandLine;
        }
    }
}

// A sound zone, then one fault per case.
void SoundZone()
{
    registry = {
        {L"Zone", {{L"MUI_Std", Text(L"@tzres.dll,-100")}, {L"Dlt", Text(L"Zone Daylight Time")},
                   {L"TZI", Binary(44)}}},
        {L"Zone\\Dynamic DST", {{L"FirstEntry", Dword(2000)}, {L"LastEntry", Dword(2010)}, {L"2010", Binary(44)}}},
    };
    yearRecord = {};
    yearRecord.bias = -60;
    yearRecord.daylightBias = -60;
    yearRecord.standardDate = {0, 10, 0, 5, 3, 0, 0, 0};
    yearRecord.daylightDate = {0, 3, 0, 5, 2, 0, 0, 0};
    applyAnswer = {0, false};
    applied.clear();
    output[0].clear();
    output[1].clear();
}

TEST(SettzSelection, SetsTheRecordWindowsReadsForTheYear)
{
    SoundZone();
    EXPECT_EQ(RunSettz(L"settz /s zone"), 0u);
    ASSERT_EQ(applied.size(), 1u);
    EXPECT_EQ(applied[0],
              L"TimeZoneKeyName=Zone\r\nBias=-60\r\nStandardName=@tzres.dll,-100\r\n"
              L"StandardDate=0,10,0,5,3,0,0,0\r\nStandardBias=0\r\nDaylightName=Zone Daylight Time\r\n"
              L"DaylightDate=0,3,0,5,2,0,0,0\r\nDaylightBias=-60\r\nDynamicDaylightTimeDisabled=0\r\n");
    EXPECT_EQ(output[0] + output[1], L"");

    SoundZone();
    EXPECT_EQ(RunSettz(L"settz /n /s Zone"), 0u);
    EXPECT_TRUE(applied.empty());
    EXPECT_EQ(output[0].substr(0, 21), L"TimeZoneKeyName=Zone\r");
}

TEST(SettzSelection, RefusesFaultyDefinitionsWithTheirStatus)
{
    struct Case {
        const char* what;
        void (*fault)();
        SettzStatus status;
        const wchar_t* says = nullptr;  // what the line on standard error names
    } cases[] = {
        {"no names at all", [] { registry[L"Zone"].erase(L"MUI_Std"); }, 2},
        {"a name of another type", [] { registry[L"Zone"][L"Dlt"] = Dword(1); }, 13},
        {"a name of 31 characters fits", [] { registry[L"Zone"][L"Dlt"] = Text(std::wstring(31, L'd')); }, 0},
        {"a name of 32 characters", [] { registry[L"Zone"][L"Dlt"] = Text(std::wstring(32, L'd')); }, 206,
         L"valor Dlt de la zona \"Zone\": demasiado largo para su campo"},
        {"a name beyond the value buffer", [] { registry[L"Zone"][L"Dlt"] = Text(std::wstring(200, L'd')); }, 206},
        {"a name with a line break", [] { registry[L"Zone"][L"Dlt"] = Text(L"Zone\r\nBias=0"); }, 13},
        {"a TZI of 43 bytes", [] { registry[L"Zone"][L"TZI"] = Binary(43); }, 13,
         L"valor TZI de la zona \"Zone\": no es válido"},
        {"no TZI", [] { registry[L"Zone"].erase(L"TZI"); }, 2},
        {"LastEntry before FirstEntry", [] { registry[L"Zone\\Dynamic DST"][L"LastEntry"] = Dword(1990); }, 13},
        {"the year's entry (LastEntry's, after it) missing", [] { registry[L"Zone\\Dynamic DST"].erase(L"2010"); }, 13},
        {"the year's entry of 45 bytes", [] { registry[L"Zone\\Dynamic DST"][L"2010"] = Binary(45); }, 13},
        {"no Dynamic DST: TZI serves", [] { registry.erase(L"Zone\\Dynamic DST"); }, 0},
        {"a month 13 from Windows", [] { yearRecord.daylightDate.month = 13; }, 13,
         L"Windows no da la definición de la zona \"Zone\" para 2026"},
        {"a bias over a day from Windows", [] { yearRecord.bias = 1441; }, 13},
        {"the privilege refused", [] { applyAnswer = {1300, true}; }, 1300,
         L"sin el privilegio SeTimeZonePrivilege no se puede cambiar a la zona horaria \"Zone\""},
        {"the set refused", [] { applyAnswer = {5, false}; }, 5},
    };
    for (const Case& c : cases) {
        SoundZone();
        c.fault();
        EXPECT_EQ(RunSettz(L"settz /s Zone"), c.status) << c.what;
        EXPECT_EQ(applied.size(), c.status == 0 || c.status == 1300 || c.status == 5 ? 1u : 0u) << c.what;
        const std::wstring expectedEnd = L" (error " + std::to_wstring(c.status) + L").\r\n";
        if (c.status != 0) {
            EXPECT_EQ(output[1].find(L"settz: "), 0u) << c.what;
            EXPECT_EQ(output[1].find(L'\n'), output[1].size() - 1) << c.what;
            EXPECT_EQ(output[1].substr(output[1].size() - expectedEnd.size()), expectedEnd) << c.what;
            if (c.says != nullptr) {
                EXPECT_EQ(output[1], L"settz: " + std::wstring(c.says) + expectedEnd) << c.what;
            }
        } else {
            EXPECT_EQ(output[1], L"") << c.what;
        }
        SoundZone();
        c.fault();
        RunSettz(L"settz /q /s Zone");
        EXPECT_EQ(output[0] + output[1], L"") << c.what << " with /q";
    }
}

// /g prints what /s takes back: the key as stored, never a name that is
// no key (tzutil's "KEY_dstoff" included).
TEST(SettzCurrentZone, PrintsTheKeySelectionTakes)
{
    struct Case {
        std::wstring reported;
        WindowsError queryError;
        SettzStatus status;
        std::wstring printed;
    } cases[] = {
        {L"Zone", 0, 0, L"Zone\r\n"},
        {L"zONE", 0, 0, L"Zone\r\n"},
        {L"Zone_dstoff", 0, 0, L"Zone\r\n"},
        {L"zone_DSTOFF", 0, 0, L"Zone\r\n"},
        {L"Other_dstoff", 0, 0, L"Other_dstoff\r\n"},  // a key of that very name
        {L"Gone Standard Time", 0, 2, L""},
        {L"Gone_dstoff", 0, 2, L""},
        {L"_dstoff", 0, 2, L""},
        {L"", 0, 13, L""},
        {L"Zone\x1b[2J", 0, 13, L""},
        {L"", 5, 5, L""},
    };
    for (const Case& c : cases) {
        SoundZone();
        registry[L"Other_dstoff"] = {};
        currentKey = c.reported;
        currentKeyError = c.queryError;
        EXPECT_EQ(RunSettz(L"settz /g"), c.status) << c.reported;
        EXPECT_EQ(output[0], c.printed) << c.reported;
        EXPECT_EQ(output[1].empty(), c.status == 0) << c.reported;
        if (c.status == 2) {
            EXPECT_NE(output[1].find(L"\"" + c.reported + L"\""), std::wstring::npos) << output[1];
        }
    }
}

}  // namespace
