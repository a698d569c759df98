#pragma once

#include <cstdint>

struct xcb_connection_t;

namespace plat::testing {

// Another program on the same X display, holding key grabs on the root
// window: the program that has a hot key's combination first.
class OtherX11Client {
public:
    // Modifier masks of the X protocol.
    static constexpr uint16_t kShift = 1 << 0;
    static constexpr uint16_t kLock = 1 << 1;
    static constexpr uint16_t kAlt = 1 << 3;
    static constexpr uint16_t kNumLock = 1 << 4;

    // The key that types `keysym` ('s' for S).
    explicit OtherX11Client(uint32_t keysym);
    ~OtherX11Client();
    OtherX11Client(const OtherX11Client&) = delete;
    OtherX11Client& operator=(const OtherX11Client&) = delete;

    // False when another client holds the combination.
    bool Grab(uint16_t mask);
    void Ungrab(uint16_t mask);

private:
    xcb_connection_t* connection_;
    uint32_t root_ = 0;
    uint8_t keycode_ = 0;
};

} // namespace plat::testing
