#include "mainwindow/desktop_hooks.h"

#include "foundation/hooks.h"
#include "online/screen.h"
#include "platform/gui/screen.h"
#include "platform/gui/user_idle.h"
#include "platform/gui/window_operations.h"

namespace {

void ScreenSize(int32_t* width, int32_t* height)
{
    *width = plat::Screen::Width();
    *height = plat::Screen::Height();
}

TNScreenRect WorkArea()
{
    TNScreenRect area;
    plat::ScreenWorkArea(&area.Left, &area.Top, &area.Width, &area.Height);
    return area;
}

} // namespace

void InstallDesktopHooks()
{
    FoundationHooks.ScreenSize = &ScreenSize;
    FoundationHooks.IdleSeconds = &plat::UserIdle::Seconds;
    FoundationHooks.WorkArea = &plat::ScreenWorkArea;
    FoundationHooks.ControlBounds = &plat::ControlBoundsOf;
    FoundationHooks.SetControlBounds = &plat::SetControlBoundsOf;
    FoundationHooks.FillAndOutline = &plat::FillAndOutline;
    ScreenHooks.ScreenSize = &ScreenSize;
    ScreenHooks.WorkArea = &WorkArea;
}
