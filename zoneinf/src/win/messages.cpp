// MinGW-w64 has no libintl, and zoneinf.exe is one file with nothing
// beside it: it speaks English.
#include "messages.h"

namespace zoneinf {

void UseUsersLanguage() {}

const char* Translate(const char* english)
{
    return english;
}

const char* TranslatePlural(const char* singular, const char* plural, unsigned long count)
{
    return count == 1 ? singular : plural;
}

}  // namespace zoneinf
