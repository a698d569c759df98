#pragma once

#include "foundation/string.h"

#include <cstdint>

// The decimal number at the start of an answer's or a settings text's value:
// leading blanks, an optional sign, then digits up to the first other
// character; 0 when there are none. Wide enough for every 32-bit id, signed or
// not; the caller narrows it to its field.
//
// Answers are not read with TNCommon::StrToInt: it stops at 2^31 - 1, so a
// service id at or above 2^31 and every temporary id (4200000001 on) would
// come back as 2147483647, and it joins the digits of a whole text ("1 2" is
// 12).
int64_t TextToNumber(const char* text);
inline int64_t TextToNumber(const TNString& text)
{
    return TextToNumber(text.Text);
}
