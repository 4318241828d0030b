// zoneinf's words for people (messages, --help, the report) in their own
// language: GNU gettext's catalogue of the "zoneinf" domain (po/es.po,
// compiled at build time; src/unix/messages.cpp) where the C library has
// gettext; zoneinf.exe carries the compiled catalogue inside it
// (src/win/messages.cpp, src/base/mo_catalogue.h). Words for programs
// (JSON keys, INF text, registry names) are never translated.
#pragma once

#include <initializer_list>
#include <string>

namespace zoneinf {

// Takes the language from the environment (LANGUAGE, LC_ALL, LC_MESSAGES,
// LANG) for messages and their character set only: numbers, and the
// reading of files, keep the C locale.
void UseUsersLanguage();

const char* Translate(const char* english);
// The singular or the plural, as the language's rule has it for `count`.
const char* TranslatePlural(const char* singular, const char* plural, unsigned long count);

// The pattern with %1, %2... replaced by the values, so a translation can
// put them in its own order. Example: Fill("%1 is after %2", {"2030", "2020"}).
std::string Fill(const std::string& pattern, std::initializer_list<std::string> values);

// zoneinf's one way to speak on standard error, a failure, a warning or a
// note alike, as zic's error() is: "zoneinf: MESSAGE" on a line of its
// own, the message (which quotes the input) escaped for the terminal.
void WriteMessage(const std::string& message);

}  // namespace zoneinf

// gettext's conventional markers, which xgettext looks for.
#define _(text) ::zoneinf::Translate(text)
#define N_(text) text
