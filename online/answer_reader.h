#pragma once

#include "foundation/string.h"

#include <cstdint>

// Values of a service answer's elements, read with the tag reader. A missing
// element leaves the target unchanged and gives false.

int64_t AnswerInt(const TNString& value);
// 0 for a value that is not an unsigned 32-bit number.
uint32_t AnswerUInt(const TNString& value);

bool ReadAnswerText(TNString* answer, const char* key, TNString* out);
template <class Number> bool ReadAnswerNumber(TNString* answer, const char* key, Number* out)
{
    TNString value;
    if (!answer->GetXmlValue(key, nullptr, 0, &value, false))
        return false;
    *out = static_cast<Number>(AnswerInt(value));
    return true;
}
bool HasAnswerElement(TNString* answer, const char* key);

// The answer without its "api-sync-pim" element: items inside it carry
// account-named keys that must never be read as the account's.
TNString WithoutSyncBlock(const TNString& answer);
