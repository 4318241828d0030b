// Reader of registry exports: "reg export" and regedit's "Windows Registry
// Editor Version 5.00" (UTF-16 LE with its mark, or UTF-8), and the older
// "REGEDIT4" (ANSI: Windows-1252).
#pragma once

#include "registry/registry_snapshot.h"
#include "base/text_decoder.h"

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace zoneinf {

// True when the text starts with one of the two export headers.
bool IsRegistryExport(const std::string& utf8);

// The keys the snapshot keeps (see registry_snapshot.h), with every value.
// Throws Failure (kExitUnreadableInput) "name: line N: ..." for a file cut
// in the middle of a line or a line that is no key and no value.
RegistrySnapshot ReadRegistryExport(const DecodedText& text, const std::string& name);

// The lines of an export that hold one zone's keys, its key and those
// below it, as one run: from the first line of one of them to the line
// before the next key line that is none of them, or the next header. The
// export read without them holds no key of theirs, and each run read
// alone after a header gives its zone's keys, so a reader can take a run
// it has read before as it read it. Example: "[...\Time Zones\Paraguay
// Standard Time]" and its values, then "[...\Paraguay Standard
// Time\Dynamic DST]" and its values.
struct ZoneLines {
    std::string zone;  // the key's name, as the run's first key line spells it
    std::size_t begin = 0;  // where its text begins and ends in the export's
    std::size_t end = 0;
};

// The runs of an export's text (its UTF-8, which ends in a line end), in
// order; nullopt where a zone's keys are in more than one run, or a key
// line has no closing ']' (the file is read whole then, and refused as
// ReadRegistryExport refuses it). Throws as it does for a text that ends
// in a continued line.
std::optional<std::vector<ZoneLines>> ZoneLinesOf(const std::string& utf8, const std::string& name);

}  // namespace zoneinf
