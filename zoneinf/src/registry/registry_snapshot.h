// The registry values a reader found, kept whole and uninterpreted: what
// an export, an INF or a live registry holds below HKLM for time zones.
// Plain data, shared by every reader and by what reads their findings, and
// the builder the readers fill it with.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace zoneinf {

// Registry value types (winnt.h).
enum RegistryType : std::uint32_t {
    kRegNone = 0,
    kRegSz = 1,
    kRegExpandSz = 2,
    kRegBinary = 3,
    kRegDword = 4,
    kRegMultiSz = 7,
    kRegQword = 11,
};

// One value. Example: name "TZI", type kRegBinary, data the 44 bytes
// b4,00,00,00,...; name "Display", type kRegSz, data "(UTC-03:00)
// Asuncion" as UTF-16LE with its two-byte terminator.
struct RegistryValue {
    std::string name;  // UTF-8; empty for the key's default value
    std::uint32_t type = kRegNone;
    std::vector<std::uint8_t> data;  // as Windows stores it: strings UTF-16LE with their terminator
    std::string problem;  // why the reader could not read the data ("hex(3 without '):'"); empty when read
};

// One key and its values, in the order found.
// Example: path "SOFTWARE\Microsoft\Windows NT\CurrentVersion\Time
// Zones\Paraguay Standard Time\Dynamic DST", values FirstEntry, LastEntry,
// "2006" ... "2025".
struct RegistryKey {
    std::string path;  // below HKLM, as found (the case the file spells)
    std::vector<RegistryValue> values;
};

// Where a snapshot comes from: what a machine holds (an export of its
// registry, or the registry itself), or what an INF would install.
enum class SnapshotSource { kRegistryExport, kInf, kLiveRegistry };

// What a reader found. Example: format "reg export (UTF-16)" (the name
// reports print), source kRegistryExport, and every key below Time Zones,
// SYSTEM\CurrentControlSet\Control\TimeZoneInformation and
// SOFTWARE\zonechange\Definitions, each once (keys the file names twice
// are merged; names compare without regard to case, as Windows compares
// them).
struct RegistrySnapshot {
    std::string format;
    std::vector<RegistryKey> keys;
    SnapshotSource source = SnapshotSource::kRegistryExport;
};

// A snapshot as a reader fills it: a key named twice is one key, a value
// set twice keeps the last data, names compared without regard to case.
// Indexed, so a file of many keys and values is read in n log n.
class SnapshotBuilder {
public:
    SnapshotBuilder(SnapshotSource source, std::string format)
    {
        snapshot_.source = source;
        snapshot_.format = std::move(format);
    }
    // The key's index, added when new.
    std::size_t Key(const std::string& pathBelowHklm);
    // Sets a value, replacing one of the same name; with `keepExisting`
    // an existing value stays (an INF's FLG_ADDREG_NOCLOBBER).
    void SetValue(std::size_t key, RegistryValue value, bool keepExisting = false);
    RegistrySnapshot Take() { return std::move(snapshot_); }

private:
    RegistrySnapshot snapshot_;
    std::map<std::string, std::size_t> keys_;
    std::map<std::pair<std::size_t, std::string>, std::size_t> values_;
};

}  // namespace zoneinf
