#include "bench/window_bench_support.h"

#include "foundation/app_info.h"
#include "foundation/globals.h"
#include "online/global.h"
#include "platform/core/paths.h"
#include "platform/testing/gui_harness.h"
#include "view/view.h"

#include <cstdlib>
#include <filesystem>

std::string StartWindowBenchGlobals(const char* name)
{
    const std::string root = plat::TempFolder() + "/dalmora-" + name + "/";
    std::filesystem::remove_all(root);
    std::filesystem::create_directories(root);
    for (const char* variable : {"HOME", "XDG_DATA_HOME", "XDG_CONFIG_HOME"})
        setenv(variable, root.c_str(), 1);
    plat::testing::StartOffscreenGui();
    InstallOnlineGlobals();
    InstallViewGlobals();
    InstallViewHooks();
    ConstructGlobals();
    App.IsDev = 1;
    App.WriteLog = 0;
    return root;
}
