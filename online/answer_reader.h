#pragma once

#include "foundation/string.h"

#include <cstdint>
#include <utility>

// Values of a service answer's elements, read with the tag reader. A missing
// element leaves the target unchanged and gives false.

int64_t AnswerInt(const TNString& value);
// 0 for a value that is not an unsigned 32-bit number.
uint32_t AnswerUInt(const TNString& value);

bool ReadAnswerText(TNString* answer, const char* key, TNString* out);
// A number outside the target's range is refused (false, target unchanged),
// never wrapped.
template <class Number> bool ReadAnswerNumber(TNString* answer, const char* key, Number* out)
{
    TNString value;
    if (!answer->GetXmlValue(key, nullptr, 0, &value, false))
        return false;
    const int64_t number = AnswerInt(value);
    if (!std::in_range<Number>(number))
        return false;
    *out = static_cast<Number>(number);
    return true;
}
// A count of items that `holder` lists, each at least minItemBytes long: a
// count that the holder cannot hold is a malformed answer, logged under
// `caller` and refused before anything is allocated or looped over.
bool ReadAnswerCount(TNString* answer, const char* key, const TNString& holder, int32_t minItemBytes,
                     const char* caller, int32_t* out);
bool HasAnswerElement(TNString* answer, const char* key);

// The answer without its "api-sync-pim" element: items inside it carry
// account-named keys that must never be read as the account's.
TNString WithoutSyncBlock(const TNString& answer);
