#pragma once

// Internal: global key grabs on the X11 root windows, over Qt's own xcb
// connection. Main thread only.

#include <cstdint>
#include <functional>
#include <vector>

namespace plat {

// One combination as grabbed: the keycodes of its key, the X modifier mask
// without CapsLock and NumLock, and every grab held for it.
struct X11KeyGrab {
    struct Held {
        uint32_t root = 0;
        uint8_t keycode = 0;
        uint16_t mask = 0;
        friend bool operator==(const Held&, const Held&) = default;
    };
    std::vector<uint8_t> keycodes;
    uint16_t mask = 0;
    std::vector<Held> held;

    bool Matches(uint8_t keycode, uint16_t stateWithoutLocks) const;
};

class X11KeyGrabs {
public:
    enum class Result { Grabbed, Taken, NoKey, Failed };

    // True where the layer runs on X11.
    static bool Available();
    // Grabs the virtual key with the MOD_* modifiers alone and with CapsLock,
    // NumLock and both, on every root window. Anything but Grabbed leaves no
    // grab behind.
    static Result Grab(unsigned modifiers, uint16_t virtualKey, X11KeyGrab& grab);
    static void Release(X11KeyGrab& grab);
    // Makes the grabs again where the key map moved the key or its
    // modifiers; keeps them untouched otherwise.
    static Result Regrab(unsigned modifiers, uint16_t virtualKey, X11KeyGrab& grab);
    // Gets every key press on a root window (the grabbed keys), with the
    // modifier state less CapsLock and NumLock, on the main thread.
    static void SetPressHandler(std::function<void(uint8_t keycode, uint16_t state)> handler);
    // Runs on the main thread after the keyboard's key map changed, when
    // keys may have moved to other keycodes.
    static void SetMappingHandler(std::function<void()> handler);
};

} // namespace plat
