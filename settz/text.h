// settz's text: the character classes its parsing and checks share, and the
// bounded line buffer's helpers beyond settz.h's (settz/text.cpp).
#pragma once

#include <cstddef>

#include "settz.h"

inline bool IsBlank(wchar_t c)
{
    return c == L' ' || c == L'\t';
}

inline bool IsControl(wchar_t c)
{
    return c < 0x20 || c == 0x7F;
}

inline wchar_t LowerAscii(wchar_t c)
{
    return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c;
}

std::size_t TextLength(const wchar_t* text);
bool HasControlCharacters(const wchar_t* text);

// Text from outside, quoted, with control characters shown as '?' so that
// a message stays one line and cannot drive the terminal.
void AppendQuoted(TextBuilder& builder, const wchar_t* text);
