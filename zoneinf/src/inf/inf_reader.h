// Reader of INF files as SetupAPI reads them for an install: ANSI
// (Windows-1252) or UTF-16 with its byte-order mark, [Strings]
// substitution (%name%), and the registry lines of the sections
// [DefaultInstall] names in AddReg= (DelReg= sections are read too; they
// delete before anything is added, so they leave nothing in a snapshot).
#pragma once

#include "registry/registry_snapshot.h"
#include "base/text_decoder.h"

#include <string>

namespace zoneinf {

// True when the text has a [Version] section, as every INF must.
bool IsInf(const std::string& utf8);

// The keys the snapshot keeps, as the install would leave them on a
// machine that had none of them. Time proportional to the file's size:
// each named section is followed once. Throws Failure
// (kExitUnreadableInput) "name: line N: ..." for a truncated INF (cut in
// the middle of a line, a section [DefaultInstall] names that is not
// there), an unclosed quote or section name.
RegistrySnapshot ReadInf(const DecodedText& text, const std::string& name);

}  // namespace zoneinf
