#pragma once

#include <string>
#include <string_view>

namespace plat {

// Windows code page 1250, the program's text encoding, with its own table:
// no locale, no iconv. The five bytes the code page leaves undefined decode
// to U+FFFD; characters it lacks encode as '?'.

char32_t Cp1250ToCodePoint(unsigned char byte);
// The CP1250 byte of a code point, or -1 when the code page lacks it.
int CodePointToCp1250(char32_t codePoint);

std::string Cp1250ToUtf8(std::string_view text);
std::string Utf8ToCp1250(std::string_view text);
std::u16string Cp1250ToUtf16(std::string_view text);
std::string Utf16ToCp1250(std::u16string_view text);

// Decodes UTF-8 into UTF-16; malformed sequences become U+FFFD.
std::u16string Utf8ToUtf16(std::string_view text);

} // namespace plat
