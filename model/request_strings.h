#pragma once

#include "foundation/string.h"

#include <cstdint>
#include <memory>
#include <string_view>

// The request strings of a record's occurrences, made on first use: most
// records never expand a rule, and a data set holds many records. A string
// is begun with room for all it will hold, so the upload's thousand appends
// neither allocate nor move a buffer.
class TNRequestStrings {
public:
    static constexpr int32_t kCount = 10;

    const TNString& operator[](int32_t i) { return Made().Items[i]; }

    // Empties all ten; their buffers stay for the next expansion.
    void Clear();
    // String i becomes prefix, with room for `room` more characters.
    bool Begin(int32_t i, std::string_view prefix, int32_t room);
    // Appends to string i, in place while the room lasts.
    bool Append(int32_t i, std::string_view bytes);

private:
    struct Strings {
        TNString Items[kCount];
        // Characters each buffer holds, not counting the two zero bytes.
        int32_t Room[kCount] = {};
    };

    Strings& Made()
    {
        if (strings_ == nullptr) {
            strings_ = std::make_unique<Strings>();
        }
        return *strings_;
    }

    std::unique_ptr<Strings> strings_;
};
