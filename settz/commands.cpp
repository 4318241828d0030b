// The commands, from the parsed command line to the exit status: /s (and
// its preview /n), /g, and every message they write.
#include "settz.h"

#include "registry_checks.h"
#include "settz_platform.h"
#include "text.h"

namespace {

constexpr wchar_t kUsageLine[] =
    L"Uso: settz [/q] [/n] /s \"clave de zona\"   o   settz [/q] /g\r\n";

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
        reason = L": no es válido";
    } else if (status == kSettzTooLong) {
        reason = L": demasiado largo para su campo";
    }
    return Refuse(options, status, before.text, key, reason);
}

// tzutil's spelling of a zone with automatic daylight time off,
// "KEY_dstoff": copies KEY into key; false when name does not end so.
bool WithoutDaylightOffSuffix(const wchar_t* name, wchar_t (&key)[kKeyNameCapacity])
{
    constexpr wchar_t kSuffix[] = L"_dstoff";
    constexpr std::size_t kSuffixLength = sizeof kSuffix / sizeof kSuffix[0] - 1;
    const std::size_t length = TextLength(name);
    if (length <= kSuffixLength) {
        return false;
    }
    for (std::size_t i = 0; i < kSuffixLength; ++i) {
        if (LowerAscii(name[length - kSuffixLength + i]) != kSuffix[i]) {
            return false;
        }
    }
    for (std::size_t i = 0; i < length - kSuffixLength; ++i) {
        key[i] = name[i];
    }
    key[length - kSuffixLength] = 0;
    return true;
}

// Prints the key /s selects the zone in force by: its name as stored under
// Time Zones. A name that is no key there (tzutil's "KEY_dstoff", a key
// since deleted) is refused rather than printed for a re-selection to fail
// on later.
SettzStatus PrintCurrentZone(const SettzOptions& options)
{
    wchar_t reported[kKeyNameCapacity] = {};
    WindowsError error = QueryCurrentZoneKey(reported);
    if (error == 0 && (reported[0] == 0 || HasControlCharacters(reported))) {
        error = kSettzInvalidData;
    }
    if (error != 0) {
        return Refuse(options, error, L"no se puede leer la zona horaria actual", nullptr, L"");
    }
    wchar_t key[kKeyNameCapacity] = {};
    error = FindZoneKey(reported, key);
    wchar_t withoutSuffix[kKeyNameCapacity] = {};
    if (error == kSettzKeyNotFound && WithoutDaylightOffSuffix(reported, withoutSuffix)) {
        error = FindZoneKey(withoutSuffix, key);
    }
    if (error != 0) {
        return Refuse(options, error,
                      error == kSettzKeyNotFound ? L"la zona horaria actual no existe en Time Zones: "
                                                 : L"no se puede buscar la zona horaria actual ",
                      reported, L"");
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
        return Refuse(options, kSettzInvalidData, L"nombre de zona no válido: ", key, L"");
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
        return Refuse(options, error, L"Windows no da la definición de la zona ", key, after.text);
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
                      applied.privilegeRefused ? L"sin el privilegio SeTimeZonePrivilege no se puede cambiar a la zona horaria "
                                               : L"no se pudo cambiar a la zona horaria ",
                      key, L"");
    }
    return kSettzSuccess;
}

}  // namespace

SettzStatus RunSettz(const wchar_t* commandLine, const wchar_t* programPath)
{
    SettzOptions options;
    switch (ParseSettzArguments(commandLine, options, programPath)) {
    case ParseOutcome::usage:
        if (!options.quiet) {
            WriteText(OutputStream::standardError, kUsageLine, TextLength(kUsageLine));
        }
        return kSettzUsage;
    case ParseOutcome::keyTooLong:
        return Refuse(options, kSettzTooLong, L"la clave de zona tiene más de 127 caracteres", nullptr, L"");
    case ParseOutcome::ok:
        break;
    }
    return options.current ? PrintCurrentZone(options) : SelectZone(options);
}
