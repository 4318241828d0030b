// What the zone's key must hold before settz uses it: its names, and the
// records Windows may use this year, read through settz_platform.h
// (settz/registry_checks.cpp).
#pragma once

#include <cstdint>

#include "settz.h"

// A value that cannot be used: the status, and the value's name for the
// message (null when all is well).
struct ValueFault {
    SettzStatus status;
    const wchar_t* valueName;
};

// A name for StandardName or DaylightName: the MUI reference where present,
// as Windows stores it, else the plain name. Refused, never cut, when it
// does not fit the field.
ValueFault ReadZoneName(const wchar_t* key, const wchar_t* muiName, const wchar_t* plainName,
                        wchar_t (&field)[kZoneNameCapacity]);

// The records Windows may use for this year are well formed: TZI, and,
// when the key has Dynamic DST, the entry for the year, or for FirstEntry
// or LastEntry when the year lies outside them. yearName receives the
// entry's name ("Dynamic DST\2026") for a message.
ValueFault CheckRecords(const wchar_t* key, std::uint16_t year, TextBuilder& yearName);

// Months, days, times and biases within their ranges (a bias within a day).
bool RecordIsPlausible(const ZoneRecord& record);
