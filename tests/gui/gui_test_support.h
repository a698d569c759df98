#pragma once

#include "platform/testing/gui_harness.h"

#include <chrono>
#include <functional>
#include <thread>

namespace plat::testing {

// Lets the loop run until the condition holds; false after `ms`.
inline bool RunUntil(const std::function<bool()>& done, int ms = 5000)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!done()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        Flush();
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    return true;
}

} // namespace plat::testing
