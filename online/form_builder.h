#pragma once

#include "foundation/string.h"

#include <cstdint>
#include <string_view>

// A request body of "key=value" pairs joined by "&". Every value is
// percent-encoded from its CP1250 bytes (TNString::UrlEncode: letters and
// digits stay, a blank becomes "+", every other byte "%XX"), numbers too;
// keys are written as given and must be letters, digits and "_".
class TNFormBuilder {
public:
    TNFormBuilder& Add(const char* key, std::string_view value);
    TNFormBuilder& Add(const char* key, const TNString& value) { return Add(key, value.View()); }
    TNFormBuilder& AddInt(const char* key, int64_t value);
    TNFormBuilder& AddUInt(const char* key, uint32_t value) { return AddInt(key, value); }

    // The body so far; empty when nothing was added.
    const TNString& Text() const { return text_; }

private:
    TNString text_;
};
