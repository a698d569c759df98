#pragma once

#include "foundation/string.h"

#include <cstdint>

// The decimal number at the start of an answer's or a settings text's value:
// leading blanks, an optional sign, then digits up to the first other
// character; 0 when there are none. Wide enough for every 32-bit id, signed or
// not; the caller narrows it to its field.
int64_t TextToNumber(const char* text);
inline int64_t TextToNumber(const TNString& text)
{
    return TextToNumber(text.Text);
}
