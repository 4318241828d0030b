#include "iconv/iconv.h"

#include <windows.h>

#include <cerrno>
#include <cstring>
#include <string>

namespace {

// The two conversions there are: from UTF-16LE and from UTF-16BE.
char littleEndian, bigEndian;

}  // namespace

iconv_t iconv_open(const char* to, const char* from)
{
    if (std::strcmp(to, "UTF-8") != 0) {
        return iconv_t(-1);
    }
    if (std::strcmp(from, "UTF-16LE") == 0) {
        return &littleEndian;
    }
    return std::strcmp(from, "UTF-16BE") == 0 ? &bigEndian : iconv_t(-1);
}

// All of the input in one call, as the reader gives it.
size_t iconv(iconv_t converter, char** in, size_t* inLeft, char** out, size_t* outLeft)
{
    std::wstring wide(*inLeft / 2, L'\0');
    std::memcpy(wide.data(), *in, wide.size() * 2);
    if (converter == &bigEndian) {
        for (wchar_t& c : wide) {
            c = wchar_t((c >> 8 & 0xFF) | (c & 0xFF) << 8);
        }
    }
    const int size = wide.empty() ? 0
                                  : ::WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, wide.data(), int(wide.size()),
                                                          *out, int(*outLeft), nullptr, nullptr);
    if (!wide.empty() && size == 0) {
        errno = EILSEQ;
        return size_t(-1);
    }
    *in += wide.size() * 2;
    *inLeft -= wide.size() * 2;
    *out += size;
    *outLeft -= size_t(size);
    return 0;
}

int iconv_close(iconv_t)
{
    return 0;
}
