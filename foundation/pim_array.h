#pragma once

#include "foundation/app_info.h"

#include <cstdint>

// The organizer data set of one server; the data model defines it.
class TNPIM;

// The organizer data sets, one per configured server, addressed by server
// position. Sized once at start (c.ResizePIM) and possibly empty: every use
// checks the position with Has first. Out-of-range access gives nullptr.
class TNPIMArray {
public:
    constexpr TNPIMArray() = default;
    TNPIMArray(const TNPIMArray&) = delete;
    TNPIMArray& operator=(const TNPIMArray&) = delete;

    int32_t Count() const { return count_; }
    bool Has(int32_t position) const { return position >= 0 && position < count_; }
    TNPIM* operator[](int32_t position) const { return Has(position) ? items_[position] : nullptr; }

    // Takes a data set at the end; false when the array is full.
    bool Append(TNPIM* pim);
    // Hands every data set to `destroy`, last first, and empties the array.
    void Clear(void (*destroy)(TNPIM*));

private:
    TNPIM* items_[kMaxPimServers] = {};
    int32_t count_ = 0;
};

extern TNPIMArray PIM;
