// UTF-8, which RAR 5 names and comments are in, to and from wide strings of either width.
#pragma once

#include <string>

namespace unrar {

// Invalid sequences become U+FFFD; `valid` says whether there were none.
std::wstring WideOfUtf8(const std::string& text, bool* valid = nullptr);
std::string Utf8OfWide(const std::wstring& text);

} // namespace unrar
