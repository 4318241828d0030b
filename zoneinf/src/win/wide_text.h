// UTF-8, zoneinf's text, to and from UTF-16, Windows' own.
#pragma once

#include <string>

namespace zoneinf {

std::wstring WideFromUtf8(const std::string& text);
std::string Utf8FromWide(const wchar_t* text, size_t length);
inline std::string Utf8FromWide(const std::wstring& text) { return Utf8FromWide(text.data(), text.size()); }

}  // namespace zoneinf
