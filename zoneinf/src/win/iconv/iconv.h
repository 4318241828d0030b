// The part of iconv the export reader uses (UTF-16 to UTF-8), over
// Windows' own conversions: MinGW-w64 has no iconv. Goes when the reader
// decodes text itself.
#pragma once

#include <cstddef>

typedef void* iconv_t;

iconv_t iconv_open(const char* to, const char* from);
size_t iconv(iconv_t converter, char** in, size_t* inLeft, char** out, size_t* outLeft);
int iconv_close(iconv_t converter);
