#pragma once

#include <cstdint>
#include <optional>

namespace plat {

// How long the user has not touched keyboard or mouse.
class UserIdle {
public:
    // Whole seconds since the last input, from the X server's screen-saver
    // extension; 0 without X11 or without the extension. Any thread.
    static uint32_t Seconds();
    // Tests: this answer instead of the X server's; nullopt gives it back.
    static void SetOverride(std::optional<uint32_t> seconds);
};

} // namespace plat
