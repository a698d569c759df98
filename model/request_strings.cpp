#include "model/request_strings.h"

#include <cstring>

namespace {

// Writes bytes at the end of text, whose buffer the caller knows to be large
// enough, and keeps the two zero bytes after the last character.
void WriteAtEnd(TNString& text, std::string_view bytes)
{
    std::memcpy(text.Text + text.Length, bytes.data(), bytes.size());
    text.Length += static_cast<int32_t>(bytes.size());
    text.Text[text.Length] = 0;
    text.Text[text.Length + 1] = 0;
}

} // namespace

void TNRequestStrings::Clear()
{
    Strings& strings = Made();
    for (int32_t i = 0; i < kCount; ++i) {
        TNString& text = strings.Items[i];
        if (text.Text == nullptr) {
            text.Set("");
            strings.Room[i] = 0;
            continue;
        }
        text.Length = 0;
        text.Text[0] = 0;
        text.Text[1] = 0;
    }
}

bool TNRequestStrings::Begin(int32_t i, std::string_view prefix, int32_t room)
{
    Strings& strings = Made();
    TNString& text = strings.Items[i];
    const int32_t wanted = static_cast<int32_t>(prefix.size()) + room;
    if (text.Text == nullptr || strings.Room[i] < wanted) {
        if (!text.Resize(wanted)) {
            return false;
        }
        strings.Room[i] = wanted;
    }
    text.Length = 0;
    WriteAtEnd(text, prefix);
    return true;
}

bool TNRequestStrings::Append(int32_t i, std::string_view bytes)
{
    Strings& strings = Made();
    TNString& text = strings.Items[i];
    const int64_t wanted = static_cast<int64_t>(text.Length) + static_cast<int64_t>(bytes.size());
    if (text.Text == nullptr || wanted > strings.Room[i]) {
        const int32_t oldLength = text.Length;
        if (wanted > INT32_MAX || !text.Resize(static_cast<int32_t>(wanted))) {
            return false;
        }
        strings.Room[i] = text.Length;
        text.Length = oldLength;
    }
    WriteAtEnd(text, bytes);
    return true;
}
