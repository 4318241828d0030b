// What settz asks of Windows. On Windows these live in settz/platform/;
// the host tests link their own, and the test build under Wine replaces
// ApplyZone alone with one that records the record it was given.
#pragma once

#include <cstddef>
#include <cstdint>

#include "settz.h"

// A value of GetLastError or of a registry function; 0 is success.
using WindowsError = std::uint32_t;

// Registry value types as Windows numbers them.
constexpr std::uint32_t kRegistryString = 1;        // REG_SZ
constexpr std::uint32_t kRegistryExpandString = 2;  // REG_EXPAND_SZ
constexpr std::uint32_t kRegistryBinary = 3;        // REG_BINARY
constexpr std::uint32_t kRegistryDword = 4;         // REG_DWORD

// Room for any value settz reads: a name of 127 characters, or a 44-byte
// record. A larger value is not read (ERROR_MORE_DATA).
constexpr std::size_t kRegistryValueCapacity = 256;
struct RegistryValue {
    std::uint32_t type;
    std::uint32_t size;  // bytes stored in data
    alignas(4) unsigned char data[kRegistryValueCapacity];
};

// Finds the subkey of Time Zones whose name equals requested without
// regard to case, as Windows compares key names, and copies its name as
// stored. ERROR_FILE_NOT_FOUND (2) when there is none.
WindowsError FindZoneKey(const wchar_t* requested, wchar_t (&storedName)[kKeyNameCapacity]);

// Reads the value `name` of the zone's key, or of its subkey `subkey` when
// that is not null. Windows' code on failure: 2 when the key or value is
// missing, 234 when the value exceeds kRegistryValueCapacity.
WindowsError ReadZoneValue(const wchar_t* key, const wchar_t* subkey, const wchar_t* name,
                           RegistryValue& value);

// The year's record as Windows reads it (GetTimeZoneInformationForYear):
// fills the biases and dates of record.
WindowsError ReadYearRecord(const wchar_t* key, std::uint16_t year, ZoneRecord& record);

// The local calendar year.
std::uint16_t CurrentYear();

// The program's own full path (GetModuleFileNameW), NUL-terminated; empty
// when it cannot be read whole.
constexpr std::size_t kOwnPathCapacity = 1024;
void QueryOwnPath(wchar_t (&path)[kOwnPathCapacity]);

// The key of the zone in force (GetDynamicTimeZoneInformation); the copy
// is NUL-terminated within the field or the call fails with 13.
WindowsError QueryCurrentZoneKey(wchar_t (&keyName)[kKeyNameCapacity]);

enum class OutputStream { standardOutput, standardError };
// Writes the text whole, or answers why not.
WindowsError WriteText(OutputStream stream, const wchar_t* text, std::size_t length);

// Enables SeTimeZonePrivilege, then sets the record as the computer's zone.
struct ApplyAnswer {
    WindowsError error;
    bool privilegeRefused;  // the error came from enabling the privilege
};
ApplyAnswer ApplyZone(const ZoneRecord& record);
