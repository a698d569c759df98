#pragma once

#include <cstdint>

namespace plat {

// Window message numbers that travel between programs on the window bus;
// both sides must agree on them.
constexpr uint32_t kWmClose = 0x10;
constexpr uint32_t kWmQueryEndSession = 0x11;
constexpr uint32_t kWmEndSession = 0x16;

} // namespace plat
