#pragma once
// Strings are UTF-8 in memory; archives and a few external files use the ANSI
// code page (Windows-1252).

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quillon::text {

// Nullopt when the text holds a character that Windows-1252 cannot represent.
std::optional<std::string> utf8ToCp1252(std::string_view utf8);
// Never fails: the five bytes that Windows-1252 leaves undefined map to U+0081 etc.
std::string cp1252ToUtf8(std::string_view bytes);

std::u16string utf8ToUtf16(std::string_view utf8);
std::string utf16ToUtf8(std::u16string_view utf16);

// Case-insensitive comparison of ASCII letters (paths, names).
bool equalsNoCase(std::string_view a, std::string_view b);

} // namespace quillon::text
