#pragma once

#include "platform/gui/types.h"

#include <string>

namespace plat {

// What the screen offers windows, in pixels: the primary screen, the whole
// desktop (every screen together) and the work area (the primary screen
// less panels and task bars).
struct ScreenGeometry {
    int width = 800;
    int height = 600;
    int desktopWidth = 800;
    int desktopHeight = 600;
    TRect workArea{0, 0, 800, 600};
    friend bool operator==(const ScreenGeometry&, const ScreenGeometry&) = default;
};

// The screen cursor over every window: a state, not a stack. crDefault leaves
// no override cursor, whatever came before.
//
// The geometry answers before the GUI starts too: the X server is asked
// directly when DISPLAY is set, else the test override or 800 x 600 holds.
// Once the GUI runs, a change of the screen's size or work area sends
// WM_DISPLAYCHANGE (wParam 24, lParam width | height << 16) to every form.
class Screen {
public:
    static void SetCursor(TCursor cursor);
    static TCursor Cursor();

    static int Width();
    static int Height();
    static int DesktopWidth();
    static int DesktopHeight();
    static TRect WorkArea();
    static ScreenGeometry Geometry();

    // Tests: this geometry instead of the real one, as a change of the
    // screen (main thread once the GUI runs).
    static void SetOverride(const ScreenGeometry& geometry);
    static void ClearOverride();
    // Starts telling forms about changes of the real screens; called once
    // the GUI started.
    static void WatchChanges();
};

// The system clipboard's text, as CP1250 bytes.
class Clipboard {
public:
    static void SetText(const std::string& text);
    static std::string Text();
};

} // namespace plat
