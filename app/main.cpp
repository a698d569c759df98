#include "app/wiring.h"
#include "foundation/globals.h"
#include "foundation/log.h"
#include "foundation/program_start.h"
#include "foundation/task_files.h"
#include "mainwindow/program_windows.h"
#include "online/end_of_run.h"
#include "online/transport.h"
#include "platform/core/main_loop.h"
#include "platform/core/platform_log.h"
#include "platform/core/termination_before_loop.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {

// The windows of the first copy, which will run the main loop: from the
// application object on, termination signals wait for that loop.
class TNWindowsWithLoop final : public TNProgramWindows {
public:
    TNWindowsWithLoop(TNProgramWindows& windows, plat::TerminationBeforeLoop& guard) : windows_(windows), guard_(guard)
    {
    }

    void InitializeApplication(const char* title) override
    {
        guard_.Stop();
        windows_.InitializeApplication(title);
    }
    void CreateMainWindow() override { windows_.CreateMainWindow(); }
    void CreateLogWindow() override { windows_.CreateLogWindow(); }
    void CreateTimePicker() override { windows_.CreateTimePicker(); }
    void Run() override { windows_.Run(); }

private:
    TNProgramWindows& windows_;
    plat::TerminationBeforeLoop& guard_;
};

} // namespace

int main(int argc, char** argv)
{
    // Before any thread: SIGTERM, SIGINT and SIGHUP wait for the main loop,
    // and until there is one the guard ends the run on the first two.
    plat::BlockSessionEndSignals();
    plat::TerminationBeforeLoop guard(HoldLogForExit);
    plat::SetPlatformLogSink(LogPlatformLine);
    InitTransport();
    InstallProgramHooks();
    if (!ConstructGlobals()) {
        std::fputs("dalmora1: the program's objects could not be built\n", stderr);
        return 1;
    }
    int result = 0;
    {
        std::vector<std::string> arguments(argv, argv + argc);
        TNMainProgramWindows windows;
        TNWindowsWithLoop guardedWindows(windows, guard);
        result = WinMain(arguments, guardedWindows, [](const std::string& name) { RunScheduledTask(name); });
    }
    // What follows must not be cut off: a signal now waits, unanswered.
    guard.Stop();
    EndRunUnderThreads(result);
    DestroyGlobals();
    plat::SetPlatformLogSink(nullptr);
    return result;
}

#if defined(__SANITIZE_ADDRESS__)
// Fontconfig and D-Bus, which Qt opens, keep allocations they never free;
// under LeakSanitizer they are not the program's.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libfontconfig.so\nleak:libdbus-1.so\n";
}
#endif
