#pragma once

#include <functional>
#include <string>

namespace plat {

// The GUI layer's start, once per process, on the main thread, before any
// control exists. It picks the platform: with a QT_QPA_PLATFORM of its own
// the environment decides; with DISPLAY set it is xcb (positions, grabs and
// idle time exist only on X11); with no display at all it is the offscreen
// platform, and `log` gets one line saying so. One layer pixel is one screen
// pixel; closing the last window does not quit; LC_NUMERIC stays "C".
class GuiApplication {
public:
    using LogLine = std::function<void(const std::string& line)>;

    // Qt ends the process when no platform can start.
    static void Start(const LogLine& log = nullptr);
    static bool Started();
    // "offscreen", "xcb", ...
    static std::string PlatformName();
    // Runs what is pending in the event queue (paints, posted work).
    static void ProcessEvents();
};

} // namespace plat
