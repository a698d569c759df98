#pragma once

#include "platform/core/main_loop.h"

#include <functional>
#include <memory>

namespace plat {

// The main loop of a program with windows: Qt's event loop serving posted
// work, watched descriptors, and SIGTERM, SIGINT and SIGHUP. Other threads
// must block those signals (BlockSessionEndSignals at entry); the loop blocks
// them in its own thread while it exists and unblocks what it blocked when it
// goes, so a signal nobody reads still ends the process.
class GuiMainLoop final : public MainLoop {
public:
    // Throws std::logic_error before GuiApplication::Start, and
    // std::system_error when the signal descriptor cannot be made.
    GuiMainLoop();
    ~GuiMainLoop() override;
    GuiMainLoop(const GuiMainLoop&) = delete;
    GuiMainLoop& operator=(const GuiMainLoop&) = delete;

    int Run() override;
    void Quit() override;
    void Post(Task task) override;
    int WatchReadable(int fd, Task onReady) override;
    void Unwatch(int watchId) override;

    // Gets SIGTERM, SIGINT or SIGHUP on the loop's thread. The default ends Run()
    // with the signal's number.
    std::function<void(int signal)> OnSessionEnd;
    // Ends Run() with `result`, from any thread.
    void Exit(int result);

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

} // namespace plat
