// zoneinf.exe has no libintl and is one file with nothing beside it: it
// carries the compiled Spanish catalogue (cmake/embed-catalogue.cmake) and
// uses it where the user's Windows display language is Spanish. Its
// console output is UTF-16 (WriteConsoleW), so accents show whatever the
// console's code page.
#include "base/messages.h"

#include "base/mo_catalogue.h"

#include <windows.h>

#include <optional>
#include <string_view>

namespace zoneinf {

std::string_view BuiltInSpanishCatalogue();

namespace {

std::optional<MoCatalogue> catalogue;

// The catalogue's translation of `english`; empty when there is none (an
// untranslated entry is empty too).
std::string_view Lookup(const char* english)
{
    if (!catalogue) {
        return {};
    }
    const std::optional<std::string_view> found = catalogue->Find(english);
    return found ? *found : std::string_view();
}

}  // namespace

void UseUsersLanguage()
{
    if (PRIMARYLANGID(::GetUserDefaultUILanguage()) == LANG_SPANISH) {
        catalogue = MoCatalogue::Open(BuiltInSpanishCatalogue());
    }
}

const char* Translate(const char* english)
{
    const std::string_view found = Lookup(english);
    // Translations end in the catalogue's NUL, so they can be handed out as C strings.
    return found.empty() ? english : found.data();
}

const char* TranslatePlural(const char* singular, const char* plural, unsigned long count)
{
    const std::string_view found = Lookup(singular);
    if (found.empty()) {
        return count == 1 ? singular : plural;
    }
    // Spanish has two forms, "zona\0zonas", the plural for every count but 1.
    const std::size_t separator = found.find('\0');
    return count == 1 || separator == std::string_view::npos ? found.data() : found.data() + separator + 1;
}

}  // namespace zoneinf
