#include "online/form_builder.h"

#include <string>

TNFormBuilder& TNFormBuilder::Add(const char* key, std::string_view value)
{
    TNString encoded(value);
    // An encoding that would pass the string's size limit leaves the value
    // empty rather than sending it raw.
    if (!encoded.UrlEncode())
        encoded.Clear();
    if (!text_.IsEmpty())
        text_.AppendChar('&');
    text_.Append(key);
    text_.AppendChar('=');
    text_.Append(encoded.Text != nullptr ? encoded.Text : "");
    return *this;
}

TNFormBuilder& TNFormBuilder::AddInt(const char* key, int64_t value)
{
    return Add(key, std::to_string(value));
}
