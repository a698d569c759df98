#pragma once

#include "foundation/string.h"

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

// One item [name:value:] of a bracketed answer.
struct TNWebAnswerItem {
    TNString Name;
    TNString Value;
    // The value read as a decimal number; 0 when it is not one.
    uint32_t Number = 0;
    // True when the value is digits only and fits 32 bits, so a caller can
    // tell a real 0 from a value that is no number.
    bool IsNumber = false;
};

// A list of parsed answer items. Texts are counted: zero bytes survive.
class TNWebAnswer {
public:
    TNWebAnswer() = default;
    TNWebAnswer(const TNWebAnswer&) = delete;
    TNWebAnswer& operator=(const TNWebAnswer&) = delete;

    int32_t Count() const { return static_cast<int32_t>(Items.size()); }

    void Init();
    void Clear();
    // New items are empty; false on a negative count or no memory.
    bool Resize(int32_t count);
    bool Add(std::string_view name, std::string_view value, uint32_t number, bool isNumber);
    bool CopyFrom(const TNWebAnswer& other);
    // Index of the first item at or after start with exactly this name, or -1.
    int32_t FindByName(std::string_view name, int32_t start = 0) const;
    // Appends the items of the text; returns Count, 0 for a text shorter than
    // 5 characters.
    int32_t Parse(std::string_view text);

    std::vector<std::unique_ptr<TNWebAnswerItem>> Items;
};
