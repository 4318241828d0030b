// Reader of registry exports: "reg export" and regedit's "Windows Registry
// Editor Version 5.00" (UTF-16 LE with its mark, or UTF-8), and the older
// "REGEDIT4" (ANSI: Windows-1252).
#pragma once

#include "registry_snapshot.h"
#include "text_decoder.h"

#include <map>
#include <string>
#include <utility>

namespace zoneinf {

// True when the text starts with one of the two export headers.
bool IsRegistryExport(const std::string& utf8);

// The keys the snapshot keeps (see registry_snapshot.h), with every value.
// Throws Failure (kExitUnreadableInput) "name: line N: ..." for a file cut
// in the middle of a line or a line that is no key and no value.
RegistrySnapshot ReadRegistryExport(const DecodedText& text, const std::string& name);

// Whether a key (below HKLM) is one a snapshot keeps.
bool IsKeptKey(const std::string& pathBelowHklm);

// A snapshot as a reader fills it: a key named twice is one key, a value
// set twice keeps the last data, names compared without regard to case.
// Indexed, so a file of many keys and values is read in n log n.
class SnapshotBuilder {
public:
    explicit SnapshotBuilder(std::string format) { snapshot_.format = std::move(format); }
    // The key's index, added when new.
    size_t Key(const std::string& pathBelowHklm);
    // Sets a value, replacing one of the same name; with `keepExisting`
    // an existing value stays (an INF's FLG_ADDREG_NOCLOBBER).
    void SetValue(size_t key, RegistryValue value, bool keepExisting = false);
    RegistrySnapshot Take() { return std::move(snapshot_); }

private:
    RegistrySnapshot snapshot_;
    std::map<std::string, size_t> keys_;
    std::map<std::pair<size_t, std::string>, size_t> values_;
};

}  // namespace zoneinf
