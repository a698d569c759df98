#pragma once

#include "foundation/program_start.h"
#include "platform/gui/component.h"

#include <memory>

namespace plat {
class GuiMainLoop;
class TForm;
} // namespace plat

class TfrmMainDLMR1;
class TfrmLogDLMR1;

// The application object and the windows of `dalmora1`: the GUI layer and
// its main loop, the main window (exported on the window bus, so a second
// copy and the closing utility reach it), the log window, and the loop that
// runs until the main window closes.
class TNMainProgramWindows final : public TNProgramWindows {
public:
    TNMainProgramWindows();
    ~TNMainProgramWindows() override;
    TNMainProgramWindows(const TNMainProgramWindows&) = delete;
    TNMainProgramWindows& operator=(const TNMainProgramWindows&) = delete;

    void InitializeApplication(const char* title) override;
    void CreateMainWindow() override;
    void CreateLogWindow() override;
    // The hour and minute picker, made by the factory `dialog/` installs.
    void CreateTimePicker() override;
    void Run() override;

private:
    std::unique_ptr<plat::GuiMainLoop> loop_;
    plat::TOwned<TfrmMainDLMR1> mainWindow_;
    plat::TOwned<TfrmLogDLMR1> logWindow_;
    plat::TOwned<plat::TForm> timePicker_;
};

// Makes the time picker; `dialog/` installs it, so this library never names
// the picker's class. Without one the program runs without a picker.
using TNTimePickerFactory = plat::TForm* (*)();
void SetTimePickerFactory(TNTimePickerFactory factory);
