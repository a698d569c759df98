#include "app/stand_in_windows.h"
#include "foundation/globals.h"
#include "foundation/program_start.h"
#include "foundation/task_files.h"
#include "model/pim.h"
#include "online/global.h"
#include "online/transport.h"
#include "platform/core/main_loop.h"
#include "view/view.h"

#include <cstdio>
#include <string>
#include <vector>

int main(int argc, char** argv)
{
    // Before any thread: SIGTERM and SIGINT wait for the main loop.
    plat::BlockTerminationSignals();
    InitTransport();
    InstallPIMFactory();
    InstallOnlineGlobals();
    InstallViewGlobals();
    InstallViewHooks();
    if (!ConstructGlobals()) {
        std::fputs("dalmora1: the program's objects could not be built\n", stderr);
        return 1;
    }
    int result = 0;
    {
        std::vector<std::string> arguments(argv, argv + argc);
        TNStandInWindows windows;
        result = WinMain(arguments, windows, [](const std::string& name) { RunScheduledTask(name); });
    }
    DestroyGlobals();
    return result;
}
