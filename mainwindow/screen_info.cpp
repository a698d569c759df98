#include "mainwindow/screen_info.h"

#include "foundation/hooks.h"

#include <optional>

namespace {

std::optional<TNScreenInfo> screenOverride;

} // namespace

TNScreenInfo CurrentScreen()
{
    if (screenOverride)
        return *screenOverride;
    int32_t width = 0;
    int32_t height = 0;
    GetScreenSize(&width, &height);
    TNScreenInfo screen;
    screen.DesktopWidth = width;
    screen.DesktopHeight = height;
    screen.WorkArea = plat::TRect{0, 0, width, height};
    return screen;
}

void SetScreenOverrideForTest(const TNScreenInfo& screen)
{
    screenOverride = screen;
}

void ClearScreenOverrideForTest()
{
    screenOverride.reset();
}
