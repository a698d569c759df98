#pragma once

#include <cstdint>

// The first temporary id: items made here carry ids from it upwards until the
// service gives them their own.
constexpr uint32_t kFirstLocalID = 4200000001u;

// One step of the fold that finds the next free temporary id over a list:
// one above a temporary id that is not below the current value, else the
// current value. The last id has no successor and never becomes the next one.
constexpr uint32_t NextLocalIDAfter(uint32_t id, uint32_t current)
{
    if (id >= kFirstLocalID && id >= current && id < UINT32_MAX)
        return id + 1;
    return current;
}
