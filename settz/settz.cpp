// From the command line to the exit status: parsing, the checks on what the
// registry holds, the record, and every message.
#include "settz.h"

#include "settz_platform.h"

namespace {

constexpr wchar_t kUsageLine[] =
    L"Uso: settz [/q] [/n] /s \"clave de zona\"   o   settz [/q] /g\r\n";

constexpr std::size_t kTziSize = 44;       // REG_TZI_FORMAT
constexpr std::int32_t kMaxBiasMinutes = 24 * 60;

bool IsBlank(wchar_t c)
{
    return c == L' ' || c == L'\t';
}

// Paths and switches compare without regard to ASCII case, as Windows does.
wchar_t FoldAscii(wchar_t c)
{
    return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c;
}

bool IsControl(wchar_t c)
{
    return c < 0x20 || c == 0x7F;
}

std::size_t TextLength(const wchar_t* text)
{
    std::size_t length = 0;
    while (text[length] != 0) {
        ++length;
    }
    return length;
}

bool HasControlCharacters(const wchar_t* text)
{
    for (; *text != 0; ++text) {
        if (IsControl(*text)) {
            return true;
        }
    }
    return false;
}

void AppendCharacter(TextBuilder& builder, wchar_t c)
{
    if (builder.length + 1 < kTextCapacity) {
        builder.text[builder.length++] = c;
        builder.text[builder.length] = 0;
    } else {
        builder.overflowed = true;
    }
}

// Text from outside, quoted, with control characters shown as '?' so that
// a message stays one line and cannot drive the terminal.
void AppendQuoted(TextBuilder& builder, const wchar_t* text)
{
    AppendCharacter(builder, L'"');
    for (; *text != 0; ++text) {
        AppendCharacter(builder, IsControl(*text) ? L'?' : *text);
    }
    AppendCharacter(builder, L'"');
}

void AppendDate(TextBuilder& builder, const SystemDate& date)
{
    const std::uint16_t members[] = {date.year, date.month,  date.dayOfWeek, date.day,
                                     date.hour, date.minute, date.second,    date.milliseconds};
    for (std::size_t i = 0; i < 8; ++i) {
        if (i > 0) {
            AppendCharacter(builder, L',');
        }
        AppendNumber(builder, members[i]);
    }
}

void AppendField(TextBuilder& builder, const wchar_t* name, const wchar_t* value)
{
    Append(builder, name);
    Append(builder, value);
    Append(builder, L"\r\n");
}

void AppendField(TextBuilder& builder, const wchar_t* name, std::int64_t value)
{
    Append(builder, name);
    AppendNumber(builder, value);
    Append(builder, L"\r\n");
}

SettzStatus Write(OutputStream stream, const TextBuilder& builder)
{
    return WriteText(stream, builder.text, builder.length);
}

// One line on standard error unless /q:
// "settz: <before>"<subject>"<after> (error <status>)."
SettzStatus Refuse(const SettzOptions& options, SettzStatus status, const wchar_t* before,
                   const wchar_t* subject, const wchar_t* after)
{
    if (!options.quiet) {
        TextBuilder line = {};
        Append(line, L"settz: ");
        Append(line, before);
        if (subject != nullptr) {
            AppendQuoted(line, subject);
        }
        Append(line, after);
        Append(line, L" (error ");
        AppendNumber(line, status);
        Append(line, L").\r\n");
        Write(OutputStream::standardError, line);
    }
    return status;
}

// A value of the zone's key that cannot be used: "valor X de la zona "K": reason".
SettzStatus RefuseValue(const SettzOptions& options, SettzStatus status, const wchar_t* valueName,
                        const wchar_t* key)
{
    TextBuilder before = {};
    Append(before, L"valor ");
    Append(before, valueName);
    Append(before, L" de la zona ");
    const wchar_t* reason = L": no se puede leer";
    if (status == kSettzKeyNotFound) {
        reason = L": no existe";
    } else if (status == kSettzInvalidData) {
        reason = L": no es valido";
    } else if (status == kSettzTooLong) {
        reason = L": demasiado largo para su campo";
    }
    return Refuse(options, status, before.text, key, reason);
}

// A name for StandardName or DaylightName: the MUI reference where present,
// as Windows stores it, else the plain name. Refused, never cut, when it
// does not fit the field.
struct ValueFault {
    SettzStatus status;
    const wchar_t* valueName;
};

ValueFault ReadZoneName(const wchar_t* key, const wchar_t* muiName, const wchar_t* plainName,
                        wchar_t (&field)[kZoneNameCapacity])
{
    RegistryValue value = {};
    const wchar_t* used = muiName;
    WindowsError error = ReadZoneValue(key, nullptr, muiName, value);
    if (error == kSettzKeyNotFound) {
        used = plainName;
        error = ReadZoneValue(key, nullptr, plainName, value);
    }
    if (error == kSettzMoreData) {
        return {kSettzTooLong, used};
    }
    if (error != 0) {
        return {error, used};
    }
    if ((value.type != kRegistryString && value.type != kRegistryExpandString) || value.size % 2 != 0) {
        return {kSettzInvalidData, used};
    }
    // The stored text may or may not carry its NUL: it ends at the first one.
    const std::size_t stored = value.size / 2;
    std::size_t length = 0;
    while (length < stored && (value.data[2 * length] | value.data[2 * length + 1]) != 0) {
        ++length;
    }
    if (length >= kZoneNameCapacity) {
        return {kSettzTooLong, used};
    }
    for (std::size_t i = 0; i < length; ++i) {
        field[i] = static_cast<wchar_t>(value.data[2 * i] | (value.data[2 * i + 1] << 8));
    }
    field[length] = 0;
    return {HasControlCharacters(field) ? kSettzInvalidData : kSettzSuccess, used};
}

ValueFault CheckRecordValue(const wchar_t* key, const wchar_t* subkey, const wchar_t* name)
{
    RegistryValue value = {};
    const WindowsError error = ReadZoneValue(key, subkey, name, value);
    if (error == kSettzMoreData) {
        return {kSettzInvalidData, name};
    }
    if (error != 0) {
        return {error, name};
    }
    const bool wellFormed = value.type == kRegistryBinary && value.size == kTziSize;
    return {wellFormed ? kSettzSuccess : kSettzInvalidData, name};
}

// Reads a DWORD of the Dynamic DST subkey; 2 when absent, 13 when not a DWORD.
WindowsError ReadEntryYear(const wchar_t* key, const wchar_t* name, std::uint32_t& year)
{
    RegistryValue value = {};
    const WindowsError error = ReadZoneValue(key, L"Dynamic DST", name, value);
    if (error != 0) {
        return error == kSettzMoreData ? kSettzInvalidData : error;
    }
    if (value.type != kRegistryDword || value.size != 4) {
        return kSettzInvalidData;
    }
    year = value.data[0] | (value.data[1] << 8) | (value.data[2] << 16) |
           (static_cast<std::uint32_t>(value.data[3]) << 24);
    return 0;
}

// The records Windows may use for this year are well formed: TZI, and,
// when the key has Dynamic DST, the entry for the year, or for FirstEntry
// or LastEntry when the year lies outside them. yearName receives the
// entry's name ("Dynamic DST\2026") for a message.
ValueFault CheckRecords(const wchar_t* key, std::uint16_t year, TextBuilder& yearName)
{
    const ValueFault tzi = CheckRecordValue(key, nullptr, L"TZI");
    if (tzi.status != 0) {
        return tzi;
    }
    std::uint32_t first = 0;
    std::uint32_t last = 0;
    const WindowsError firstError = ReadEntryYear(key, L"FirstEntry", first);
    if (firstError == kSettzKeyNotFound) {
        return {kSettzSuccess, nullptr};  // no Dynamic DST: TZI serves every year
    }
    if (firstError != 0) {
        return {firstError, L"Dynamic DST\\FirstEntry"};
    }
    const WindowsError lastError = ReadEntryYear(key, L"LastEntry", last);
    if (lastError != 0 || first > last) {
        return {lastError != 0 ? lastError : kSettzInvalidData, L"Dynamic DST\\LastEntry"};
    }
    const std::uint32_t entry = year < first ? first : (year > last ? last : year);
    TextBuilder entryName = {};
    AppendNumber(entryName, entry);
    Append(yearName, L"Dynamic DST\\");
    Append(yearName, entryName.text);
    ValueFault fault = CheckRecordValue(key, L"Dynamic DST", entryName.text);
    if (fault.status == kSettzKeyNotFound) {
        fault.status = kSettzInvalidData;  // an entry the range promises is missing
    }
    fault.valueName = yearName.text;
    return fault;
}

bool DateIsPlausible(const SystemDate& date)
{
    return date.month <= 12 && date.dayOfWeek <= 6 && date.day <= 31 && date.hour <= 23 &&
           date.minute <= 59 && date.second <= 59 && date.milliseconds <= 999;
}

bool BiasIsPlausible(std::int32_t bias)
{
    return bias >= -kMaxBiasMinutes && bias <= kMaxBiasMinutes;
}

bool RecordIsPlausible(const ZoneRecord& record)
{
    return BiasIsPlausible(record.bias) && BiasIsPlausible(record.standardBias) &&
           BiasIsPlausible(record.daylightBias) && DateIsPlausible(record.standardDate) &&
           DateIsPlausible(record.daylightDate);
}

SettzStatus PrintCurrentZone(const SettzOptions& options)
{
    wchar_t key[kKeyNameCapacity] = {};
    WindowsError error = QueryCurrentZoneKey(key);
    if (error == 0 && (key[0] == 0 || HasControlCharacters(key))) {
        error = kSettzInvalidData;
    }
    if (error != 0) {
        return Refuse(options, error, L"no se puede leer la zona horaria actual", nullptr, L"");
    }
    if (options.quiet) {
        return kSettzSuccess;
    }
    TextBuilder line = {};
    Append(line, key);
    Append(line, L"\r\n");
    error = Write(OutputStream::standardOutput, line);
    return error == 0 ? kSettzSuccess
                      : Refuse(options, error, L"no se puede escribir la salida", nullptr, L"");
}

SettzStatus SelectZone(const SettzOptions& options)
{
    ZoneRecord record = {};
    WindowsError error = FindZoneKey(options.key, record.timeZoneKeyName);
    if (error != 0) {
        return Refuse(options, error,
                      error == kSettzKeyNotFound ? L"no existe la zona horaria "
                                                 : L"no se puede buscar la zona horaria ",
                      options.key, L"");
    }
    const wchar_t* key = record.timeZoneKeyName;
    if (HasControlCharacters(key)) {
        return Refuse(options, kSettzInvalidData, L"nombre de zona no valido: ", key, L"");
    }

    ValueFault fault = ReadZoneName(key, L"MUI_Std", L"Std", record.standardName);
    if (fault.status == 0) {
        fault = ReadZoneName(key, L"MUI_Dlt", L"Dlt", record.daylightName);
    }
    const std::uint16_t year = CurrentYear();
    TextBuilder yearName = {};
    if (fault.status == 0) {
        fault = CheckRecords(key, year, yearName);
    }
    if (fault.status != 0) {
        return RefuseValue(options, fault.status, fault.valueName, key);
    }

    error = ReadYearRecord(key, year, record);
    if (error == 0 && !RecordIsPlausible(record)) {
        error = kSettzInvalidData;
    }
    if (error != 0) {
        TextBuilder after = {};
        Append(after, L" para ");
        AppendNumber(after, year);
        return Refuse(options, error, L"Windows no da la definicion de la zona ", key, after.text);
    }
    // Selecting a zone in Settings turns automatic adjustment on.
    record.dynamicDaylightTimeDisabled = false;

    if (options.preview) {
        if (options.quiet) {
            return kSettzSuccess;
        }
        TextBuilder preview = {};
        FormatZoneRecord(record, preview);
        error = Write(OutputStream::standardOutput, preview);
        return error == 0 ? kSettzSuccess
                          : Refuse(options, error, L"no se puede escribir la salida", nullptr, L"");
    }

    const ApplyAnswer applied = ApplyZone(record);
    if (applied.error != 0) {
        return Refuse(options, applied.error,
                      applied.privilegeRefused ? L"sin el privilegio SeTimeZonePrivilege no se puede cambiar a "
                                               : L"no se pudo cambiar a la zona horaria ",
                      key, L"");
    }
    return kSettzSuccess;
}

}  // namespace

void Append(TextBuilder& builder, const wchar_t* text)
{
    for (; *text != 0; ++text) {
        AppendCharacter(builder, *text);
    }
}

void AppendNumber(TextBuilder& builder, std::int64_t number)
{
    wchar_t digits[24];
    std::size_t count = 0;
    // Built from the negative side so that the most negative value works.
    std::int64_t rest = number < 0 ? number : -number;
    do {
        digits[count++] = static_cast<wchar_t>(L'0' - rest % 10);
        rest /= 10;
    } while (rest != 0);
    if (number < 0) {
        AppendCharacter(builder, L'-');
    }
    while (count > 0) {
        AppendCharacter(builder, digits[--count]);
    }
}

void FormatZoneRecord(const ZoneRecord& record, TextBuilder& builder)
{
    AppendField(builder, L"TimeZoneKeyName=", record.timeZoneKeyName);
    AppendField(builder, L"Bias=", record.bias);
    AppendField(builder, L"StandardName=", record.standardName);
    Append(builder, L"StandardDate=");
    AppendDate(builder, record.standardDate);
    Append(builder, L"\r\n");
    AppendField(builder, L"StandardBias=", record.standardBias);
    AppendField(builder, L"DaylightName=", record.daylightName);
    Append(builder, L"DaylightDate=");
    AppendDate(builder, record.daylightDate);
    Append(builder, L"\r\n");
    AppendField(builder, L"DaylightBias=", record.daylightBias);
    AppendField(builder, L"DynamicDaylightTimeDisabled=", record.dynamicDaylightTimeDisabled ? 1 : 0);
}

const wchar_t* SkipProgramName(const wchar_t* commandLine)
{
    const wchar_t* cursor = commandLine;
    if (*cursor == L'"') {
        ++cursor;
        while (*cursor != 0 && *cursor != L'"') {
            ++cursor;
        }
        if (*cursor == L'"') {
            ++cursor;
        }
    } else {
        wchar_t ownPath[kOwnPathCapacity];
        QueryOwnPath(ownPath);
        std::size_t length = 0;
        while (ownPath[length] != 0 && FoldAscii(ownPath[length]) == FoldAscii(commandLine[length])) {
            ++length;
        }
        if (length > 0 && ownPath[length] == 0 && (commandLine[length] == 0 || IsBlank(commandLine[length]))) {
            return commandLine + length;
        }
        while (*cursor != 0 && !IsBlank(*cursor)) {
            ++cursor;
        }
    }
    return cursor;
}

bool NextArgument(const wchar_t*& cursor, wchar_t* argument, std::size_t capacity, std::size_t& length)
{
    const wchar_t* p = cursor;
    while (IsBlank(*p)) {
        ++p;
    }
    if (*p == 0) {
        cursor = p;
        return false;
    }
    length = 0;
    const auto put = [&](wchar_t c) {
        if (length + 1 < capacity) {
            argument[length] = c;
        }
        ++length;
    };
    bool quoted = false;
    while (*p != 0 && (quoted || !IsBlank(*p))) {
        if (*p == L'\\') {
            std::size_t backslashes = 0;
            for (; *p == L'\\'; ++p) {
                ++backslashes;
            }
            const bool beforeQuote = *p == L'"';
            for (std::size_t i = 0; i < (beforeQuote ? backslashes / 2 : backslashes); ++i) {
                put(L'\\');
            }
            if (beforeQuote && backslashes % 2 == 1) {
                put(L'"');
                ++p;
            }
        } else if (*p == L'"') {
            if (quoted && p[1] == L'"') {
                put(L'"');
                p += 2;
            } else {
                quoted = !quoted;
                ++p;
            }
        } else {
            put(*p++);
        }
    }
    argument[length < capacity ? length : capacity - 1] = 0;
    cursor = p;
    return true;
}

ParseOutcome ParseSettzArguments(const wchar_t* commandLine, SettzOptions& options)
{
    options = {};
    bool wrong = false;
    bool keyTooLong = false;
    const wchar_t* cursor = SkipProgramName(commandLine);
    wchar_t argument[8];
    std::size_t length = 0;
    // Read to the end even after a fault, so that a later /q still counts.
    while (NextArgument(cursor, argument, sizeof argument / sizeof argument[0], length)) {
        const wchar_t letter = length == 2 && (argument[0] == L'/' || argument[0] == L'-') ? FoldAscii(argument[1]) : 0;
        if (letter == L'q') {
            options.quiet = true;
        } else if (letter == L'n') {
            options.preview = true;
        } else if (letter == L'g') {
            options.current = true;
        } else if (letter == L's' && !options.select) {
            const wchar_t* afterSwitch = cursor;
            std::size_t keyLength = 0;
            if (!NextArgument(cursor, options.key, kKeyNameCapacity, keyLength) || keyLength == 0) {
                wrong = true;
            } else if (options.key[0] == L'/' || options.key[0] == L'-') {
                wrong = true;  // the value is missing; what follows is read as a switch
                cursor = afterSwitch;
                keyLength = 0;
            }
            options.select = true;
            keyTooLong = keyLength >= kKeyNameCapacity;
        } else {
            wrong = true;
        }
    }
    if (wrong || options.select == options.current || (options.current && options.preview)) {
        return ParseOutcome::usage;
    }
    return keyTooLong ? ParseOutcome::keyTooLong : ParseOutcome::ok;
}

SettzStatus RunSettz(const wchar_t* commandLine)
{
    SettzOptions options;
    switch (ParseSettzArguments(commandLine, options)) {
    case ParseOutcome::usage:
        if (!options.quiet) {
            WriteText(OutputStream::standardError, kUsageLine, TextLength(kUsageLine));
        }
        return kSettzUsage;
    case ParseOutcome::keyTooLong:
        return Refuse(options, kSettzTooLong, L"la clave de zona pasa de 127 caracteres", nullptr, L"");
    case ParseOutcome::ok:
        break;
    }
    return options.current ? PrintCurrentZone(options) : SelectZone(options);
}
