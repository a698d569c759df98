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
        const bool built = ConstructGlobals();
        App.IsDev = 1;
        return built && plat::GuiApplication::PlatformName() == "xcb";
    }();
    return ready;
}

} // namespace shell_test
