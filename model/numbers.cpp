#include "model/numbers.h"

int64_t TextToNumber(const char* text)
{
    if (text == nullptr) {
        return 0;
    }
    while (*text == ' ' || *text == '\t' || *text == '\n' || *text == '\r' || *text == '\v' || *text == '\f') {
        ++text;
    }
    bool negative = false;
    if (*text == '-' || *text == '+') {
        negative = *text == '-';
        ++text;
    }
    int64_t value = 0;
    while (*text >= '0' && *text <= '9') {
        // Saturate far beyond any 32-bit field instead of overflowing.
        if (value < INT64_C(100000000000000000)) {
            value = value * 10 + (*text - '0');
        }
        ++text;
    }
    return negative ? -value : value;
}
