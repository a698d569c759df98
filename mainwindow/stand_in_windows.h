#pragma once

#include "foundation/program_start.h"

#include <cstdint>
#include <memory>
#include <optional>

namespace plat {
class BusServer;
class GuiMainLoop;
} // namespace plat

// SCAFFOLD: stands in for the application object and its three windows until
// the main window shell and the universal dialog exist; the issue that builds
// the main window replaces it and keeps TNProgramWindows.
//
// The main window does the first steps of its constructor that need no
// window (users folder, log folder, the run's first log line, the
// installation id, the zero-server line) and registers a "TfrmMainDLMR1"
// window on the window bus that answers message 1125 and the end of the
// session as the real one will.
// The log window and the time picker do nothing. The application object
// starts the GUI layer and the loop is its main loop, which returns on
// SIGTERM or SIGINT; the windows themselves are not shown yet.
class TNStandInWindows final : public TNProgramWindows {
public:
    TNStandInWindows();
    ~TNStandInWindows() override;
    TNStandInWindows(const TNStandInWindows&) = delete;
    TNStandInWindows& operator=(const TNStandInWindows&) = delete;

    void InitializeApplication(const char* title) override;
    void CreateMainWindow() override;
    void CreateLogWindow() override;
    void CreateTimePicker() override;
    void Run() override;

    // The installation id the main window read.
    uint32_t InstID() const { return instId_; }

private:
    // The main window's answers on the bus: 1125 restores; WM_QUERYENDSESSION
    // and WM_ENDSESSION answer 1 and end the run.
    std::optional<int64_t> MainWindowMessage(uint32_t msg);

    std::unique_ptr<plat::GuiMainLoop> loop_;
    std::unique_ptr<plat::BusServer> bus_;
    uint32_t mainWindow_ = 0;
    uint32_t instId_ = 0;
};
