#pragma once

#include "foundation/day_names.h"

#include <cstdint>
#include <span>

// One built-in row of the name-day table.
struct TNDayNameSeed {
    int32_t Day;
    int32_t Month;
    int32_t Kind;
    const char* Text;
};

// The fixed rows in calendar order (CP1250 texts).
std::span<const TNDayNameSeed> DayNameSeeds();
