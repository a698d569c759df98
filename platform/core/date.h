#pragma once

#include <cstdint>

namespace plat {

// A plain calendar date, as date pickers show and return it. No time of
// day and no time zone.
struct Date {
    int32_t Year = 0;
    int32_t Month = 0;
    int32_t Day = 0;

    friend bool operator==(const Date&, const Date&) = default;
};

} // namespace plat
