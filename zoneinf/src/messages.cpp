#include "messages.h"

#include <vector>

#if defined(_WIN32)
// MinGW-w64 has no libintl: the Windows build speaks English.
namespace zoneinf {
void UseUsersLanguage() {}
const char* Translate(const char* english) { return english; }
const char* TranslatePlural(const char* singular, const char* plural, unsigned long count)
{
    return count == 1 ? singular : plural;
}
}  // namespace zoneinf
#else
#include <clocale>
#include <libintl.h>

namespace zoneinf {

void UseUsersLanguage()
{
    std::setlocale(LC_MESSAGES, "");
    std::setlocale(LC_CTYPE, "");
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
#endif

namespace zoneinf {

std::string Fill(const std::string& pattern, std::initializer_list<std::string> values)
{
    const std::vector<std::string> given(values);
    std::string text;
    for (size_t i = 0; i < pattern.size(); ++i) {
        const size_t index = i + 1 < pattern.size() ? size_t(pattern[i + 1] - '1') : given.size();
        if (pattern[i] == '%' && index < given.size() && index < 9) {
            text += given[index];
            ++i;
        } else {
            text += pattern[i];
        }
    }
    return text;
}

}  // namespace zoneinf
