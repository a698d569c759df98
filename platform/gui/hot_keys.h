#pragma once

#include <cstdint>

namespace plat {

class TForm;
class TWinControl;

// Modifier bits of a hot key.
constexpr unsigned MOD_ALT = 0x1;
constexpr unsigned MOD_CONTROL = 0x2;
constexpr unsigned MOD_SHIFT = 0x4;
constexpr unsigned MOD_WIN = 0x8;

// Keys that reach a form as WM_HOTKEY (wParam the id, lParam the modifiers
// | the virtual key << 16), delivered to its message handler on the main
// thread.
//
// A combination with modifiers is global: on X11 the layer grabs it on the
// root window (also with CapsLock and NumLock on), so it works whichever
// program has the focus; elsewhere registration fails. A key without
// modifiers grabs nothing: it is caught in the form's controls while the
// form is the active one, and goes on to the focused control unless the
// handler answers non-zero or sends a key to a control (SendKeyDown) while
// it runs.
class HotKeys {
public:
    // False, with one log line, when another program holds the
    // combination, the key has no key on this keyboard, the program has the
    // combination under another id, or there is no X11 display. An id the
    // form already has is replaced.
    static bool Register(TForm& form, int id, unsigned modifiers, uint16_t virtualKey);
    // Releases the id's grabs; nothing when the form has no such id.
    static void Unregister(TForm& form, int id);
    // Delivers WM_HOTKEY of the id as its key would, now, to the form that
    // last asked for it (also when the display refused the grab). False
    // when no form asked for the id. For tests.
    static bool Simulate(int id);
};

// Delivers a key-down of the virtual key to the control as the window system
// would, without the key's character: its OnKeyDown, then its editor.
void SendKeyDown(TWinControl& control, uint16_t virtualKey);

} // namespace plat
