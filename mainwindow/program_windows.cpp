#include "mainwindow/program_windows.h"

#include "foundation/app_info.h"
#include "foundation/hooks.h"
#include "foundation/log.h"
#include "mainwindow/log_window.h"
#include "mainwindow/main_window.h"
#include "mainwindow/page_services.h"
#include "platform/core/platform_log.h"
#include "platform/gui/dialogs.h"
#include "platform/gui/edit_operations.h"
#include "platform/gui/form_bus.h"
#include "platform/gui/gui_application.h"
#include "platform/gui/gui_main_loop.h"
#include "platform/gui/screen.h"
#include "platform/gui/system_events.h"
#include "platform/gui/timer.h"

namespace {

TNTimePickerFactory timePickerFactory = nullptr;

} // namespace

void SetTimePickerFactory(TNTimePickerFactory factory)
{
    timePickerFactory = factory;
}

TNMainProgramWindows::TNMainProgramWindows() = default;

TNMainProgramWindows::~TNMainProgramWindows()
{
    // The bus goes before the windows it serves, the windows before the loop.
    plat::FormBus::Stop();
    InstallLogWindowSink(nullptr);
    timePicker_.reset();
    logWindow_.reset();
    frmLogDLMR1 = nullptr;
    mainWindow_.reset();
    if (loop_) {
        plat::SystemEvents::Uninstall();
        plat::SetMainLoop(nullptr);
    }
    loop_.reset();
}

void TNMainProgramWindows::InitializeApplication(const char* title)
{
    plat::GuiApplication::Start([](const std::string& line) { plat::PlatformLog(line); });
    loop_ = std::make_unique<plat::GuiMainLoop>();
    plat::SetMainLoop(loop_.get());
    // Termination signals and the session manager ask the forms first.
    plat::SystemEvents::Install(*loop_);
    plat::Application::SetTitle(title != nullptr ? title : "");
    FoundationHooks.ActiveControlClass = &plat::ActiveControlClassName;
    FoundationHooks.EditActiveControl = &plat::EditActiveControl;
    FoundationHooks.MessageBox = [](const char* text, const char* caption, uint32_t flags) -> int32_t {
        return plat::MessageBox(text != nullptr ? text : "", caption != nullptr ? caption : "", flags);
    };
    FoundationHooks.ResetCursor = [] { plat::Screen::SetCursor(plat::crDefault); };
    FoundationHooks.SetWaitCursor = [] { plat::Screen::SetCursor(plat::crHourGlass); };
}

void TNMainProgramWindows::CreateMainWindow()
{
    mainWindow_.reset(new TfrmMainDLMR1(nullptr));
    plat::Application::SetMainForm(mainWindow_.get());
    mainWindow_->ExportOnBus(App.MainWindowClass);
    if (loop_ && !plat::FormBus::Start(*loop_))
        LogText("[TfrmMainDLMR1::TfrmMainDLMR1][WARNING] The window bus is not usable; a second copy cannot reach "
                "this one.");
}

void TNMainProgramWindows::CreateLogWindow()
{
    logWindow_.reset(new TfrmLogDLMR1(nullptr));
    frmLogDLMR1 = logWindow_.get();
    TfrmMainDLMR1* main = mainWindow_.get();
    logWindow_->OnFirstShown = [main] {
        if (main != nullptr) {
            main->timerFinishShowingLogForm->SetInterval(1250);
            main->timerFinishShowingLogForm->SetEnabled(true);
        }
    };
    InstallLogWindowSink(logWindow_.get());
}

void TNMainProgramWindows::CreateTimePicker()
{
    if (timePickerFactory != nullptr)
        timePicker_.reset(timePickerFactory());
}

void TNMainProgramWindows::Run()
{
    if (!loop_ || !mainWindow_)
        return;
    // A run started hidden shows nothing until ShowApplication.
    if (App.IsAutorun == 0)
        plat::Application::ShowMainForm(plat::Application::kShowNormal);
    loop_->Run();
    // A copy that has stopped no longer answers as the running one.
    plat::FormBus::Stop();
    mainWindow_->FinishCloseAfterLoop();
}
