// Messages through glibc's gettext: the catalogue of the "zoneinf" domain
// under ZONEINF_LOCALEDIR (the build's own folder, or /usr/share/locale).
#include "base/messages.h"

#include <clocale>
#include <libintl.h>

namespace zoneinf {

void UseUsersLanguage()
{
    std::setlocale(LC_MESSAGES, "");
    bindtextdomain("zoneinf", ZONEINF_LOCALEDIR);
    // UTF-8 whatever LC_CTYPE says, as everything else zoneinf writes.
    bind_textdomain_codeset("zoneinf", "UTF-8");
    textdomain("zoneinf");
}

const char* Translate(const char* english)
{
    return gettext(english);
}

const char* TranslatePlural(const char* singular, const char* plural, unsigned long count)
{
    return ngettext(singular, plural, count);
}

}  // namespace zoneinf
