#pragma once

#include "platform/gui/types.h"

// The screen as the main window places its windows by it: the whole desktop
// and the work area (the screen less panels). Read from the screen size the
// foundation knows; tests set an override.
struct TNScreenInfo {
    int DesktopWidth = 0;
    int DesktopHeight = 0;
    plat::TRect WorkArea;
};

TNScreenInfo CurrentScreen();
void SetScreenOverrideForTest(const TNScreenInfo& screen);
void ClearScreenOverrideForTest();
