#pragma once

// A notification area for tray icons in tests: whether a host exists, the
// user's clicks as Qt delivers them, and what the host shows.

#include "platform/gui/types.h"

#include <string>

namespace plat {
class TrayIcon;
} // namespace plat

namespace plat::testing {

// While it lives, a tray host exists (or, with `present` false, none does),
// whatever the display has.
class ScopedTrayHost {
public:
    explicit ScopedTrayHost(bool present = true);
    ~ScopedTrayHost();
    ScopedTrayHost(const ScopedTrayHost&) = delete;
    ScopedTrayHost& operator=(const ScopedTrayHost&) = delete;

    // A click and a double click on the icon; nothing while it is not shown.
    static void Click(TrayIcon& tray, TMouseButton button);
    static void DoubleClick(TrayIcon& tray);
    // Whether the icon is in the tray, and its tool tip as shown (UTF-8).
    static bool Shows(const TrayIcon& tray);
    static std::string ShownHint(const TrayIcon& tray);
    // The width of the icon's picture; 0 without one.
    static int IconWidth(const TrayIcon& tray);
};

} // namespace plat::testing
