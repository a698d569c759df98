#pragma once

namespace plat {

// The display itself.
class Monitor {
public:
    // Wakes a blanked or powered-down screen, as user input would: on X11 the
    // screen saver is reset and, where the server has DPMS, the monitor is
    // switched on. Elsewhere nothing happens. An X error is logged.
    static void Wake();
};

} // namespace plat
