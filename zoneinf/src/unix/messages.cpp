// Messages through glibc's gettext: the catalogue of the "zoneinf" domain
// under ZONEINF_LOCALEDIR (the build's own folder, or /usr/share/locale).
#include "messages.h"

#include <clocale>
#include <libintl.h>

namespace zoneinf {

void UseUsersLanguage()
{
    std::setlocale(LC_MESSAGES, "");
    std::setlocale(LC_CTYPE, "");  // the character set gettext converts to
    bindtextdomain("zoneinf", ZONEINF_LOCALEDIR);
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
