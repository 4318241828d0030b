// Reader of registry exports: "reg export" and regedit's "Windows Registry
// Editor Version 5.00" (UTF-16 LE with its mark, or UTF-8), and the older
// "REGEDIT4" (ANSI: Windows-1252).
#pragma once

#include "registry/registry_snapshot.h"
#include "base/text_decoder.h"

#include <string>

namespace zoneinf {

// True when the text starts with one of the two export headers.
bool IsRegistryExport(const std::string& utf8);

// The keys the snapshot keeps (see registry_snapshot.h), with every value.
// Throws Failure (kExitUnreadableInput) "name: line N: ..." for a file cut
// in the middle of a line or a line that is no key and no value.
RegistrySnapshot ReadRegistryExport(const DecodedText& text, const std::string& name);

}  // namespace zoneinf
