#pragma once

// The user's side of a real program on the X11 display: its windows found,
// keys and clicks sent through xdotool (the X test extension, as a keyboard
// and a mouse would), and regions of the screen grabbed for golden images.
#include "platform/gui/types.h"
#include "tests/app/real_program.h"

#include <optional>
#include <set>
#include <string>
#include <sys/types.h>
#include <vector>

namespace real_program {

// A window on the screen: its X11 id and where it shows, in screen pixels.
struct ScreenWindow {
    uint64_t id = 0;
    plat::TRect area;
};

// xdotool run to its end with `arguments`; its output, or nothing when it
// did not end with status 0 within 5 s.
std::optional<std::string> Xdotool(const std::vector<std::string>& arguments);

// The mapped windows of a process whose title holds `title` (every one for
// an empty title), menus and pop-ups included.
std::vector<ScreenWindow> VisibleWindowsOf(pid_t pid, const std::string& title = {});
// Where the window shows on the screen; nothing once it is gone.
std::optional<plat::TRect> WindowArea(uint64_t id);
// Waits until a mapped window of the process that is not in `known` shows
// with a title holding `title`; false after `ms`.
bool WaitForNewWindow(pid_t pid, const std::set<uint64_t>& known, ScreenWindow& found, const std::string& title = {},
                      int ms = 10000);
// Waits until the window is no longer mapped; false after `ms`.
bool WaitUntilUnmapped(pid_t pid, uint64_t id, int ms = 5000);
std::set<uint64_t> IdsOf(const std::vector<ScreenWindow>& windows);

// Gives the window the keyboard focus and waits until it has it.
bool FocusWindow(uint64_t id);
// Key chords to the focused window, as xdotool names them ("alt+s",
// "Escape", "ctrl+F1").
bool PressKeys(const std::string& keys);
// Text typed key by key into the focused control.
bool TypeText(const std::string& utf8);
// Moves the pointer (and waits until it is there); a click there.
bool MovePointer(int x, int y);
bool ClickAt(int x, int y, int button = 1);

// The region as PNG bytes once two grabs in a row agree (the window has
// painted); the last grab when they never agree within `ms`.
std::string SettledScreenPng(const plat::TRect& area, int ms = 5000);

// A program on the X11 display of the test (under xvfb-run), with the GUI
// layer of this process on the same display for its grabs. Skips without a
// display.
class RealProgramOnScreen : public RealProgram {
protected:
    RealProgramOnScreen() : RealProgram(Display::X11) {}
    void SetUp() override;

    // Waits for the signed-in program's main window on the screen, gives it
    // the focus and parks the pointer in the screen's bottom right corner,
    // so that no hover changes what a grab shows.
    ScreenWindow FocusedMainWindow(pid_t pid);
};

} // namespace real_program
