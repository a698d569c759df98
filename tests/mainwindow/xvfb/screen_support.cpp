#include "tests/mainwindow/xvfb/screen_support.h"

#include "foundation/app_info.h"
#include "foundation/globals.h"
#include "online/global.h"
#include "platform/gui/gui_application.h"
#include "tests/support/scratch_folder.h"
#include "view/view.h"

#include <cstdlib>

namespace shell_test {

bool XvfbReady()
{
    const char* display = std::getenv("DISPLAY");
    if (display == nullptr || *display == '\0')
        return false;
    static bool ready = [] {
        static testing_support::ScratchFolder home;
        for (const char* variable : {"HOME", "XDG_DATA_HOME", "XDG_CONFIG_HOME"})
            setenv(variable, home.Path().c_str(), 1);
        plat::GuiApplication::Start();
        InstallOnlineGlobals();
        InstallViewGlobals();
        InstallViewHooks();
        const bool built = GlobalsConstructed() || ConstructGlobals();
        App.IsDev = 1;
        App.IsAutorun = 0;
        return built && plat::GuiApplication::PlatformName() == "xcb";
    }();
    return ready;
}

bool ColourWithin(plat::TColor actual, plat::TColor expected, int tolerance)
{
    for (unsigned (*channel)(plat::TColor) : {plat::GetRValue, plat::GetGValue, plat::GetBValue})
        if (std::abs(static_cast<int>(channel(actual)) - static_cast<int>(channel(expected))) > tolerance)
            return false;
    return true;
}

} // namespace shell_test
