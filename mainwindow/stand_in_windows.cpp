#include "mainwindow/stand_in_windows.h"

#include "foundation/app_info.h"
#include "foundation/common.h"
#include "foundation/dirs.h"
#include "foundation/globals.h"
#include "foundation/hooks.h"
#include "foundation/log.h"
#include "foundation/string.h"
#include "platform/core/bus_server.h"
#include "platform/core/platform_log.h"
#include "platform/core/window_messages.h"
#include "platform/gui/edit_operations.h"
#include "platform/gui/gui_application.h"
#include "platform/gui/gui_main_loop.h"
#include "platform/gui/system_events.h"

#include <optional>

TNStandInWindows::TNStandInWindows() = default;

TNStandInWindows::~TNStandInWindows()
{
    // The bus goes before the loop it watches.
    bus_.reset();
    if (loop_) {
        plat::SystemEvents::Uninstall();
        plat::SetMainLoop(nullptr);
    }
    loop_.reset();
}

void TNStandInWindows::InitializeApplication(const char*)
{
    plat::GuiApplication::Start([](const std::string& line) { plat::PlatformLog(line); });
    loop_ = std::make_unique<plat::GuiMainLoop>();
    plat::SetMainLoop(loop_.get());
    // Termination signals and the session manager ask the forms first.
    plat::SystemEvents::Install(*loop_);
    // The edit commands of the menus act on whatever control has the focus.
    FoundationHooks.ActiveControlClass = &plat::ActiveControlClassName;
    FoundationHooks.EditActiveControl = &plat::EditActiveControl;
}

void TNStandInWindows::CreateMainWindow()
{
    // The folders from App, the users folder as the log folder.
    Dirs.ProducerDirName.Set(App.DirProducer);
    Dirs.ProductDirName.Set(App.DirName);
    TNString folder;
    if (Dirs.GoToUsersDir(IsPortable != 0, false, false) && Dirs.GetCurrentDir(folder))
        SetLogDir(folder.Text);
    LogTextUInt("[TfrmMainDLMR1] <APP-BEGIN> App.Random = ", App.Random);

    instId_ = Dirs.LoadInstID();
    LogTextUInt("[TfrmMainDLMR1::TfrmMainDLMR1] InstID = ", instId_);
    c.ReportNoServer();

    if (!loop_)
        return;
    bus_ = std::make_unique<plat::BusServer>(*loop_);
    mainWindow_ = bus_->RegisterWindow(App.MainWindowClass,
                                       [this](uint32_t msg, uint64_t, int64_t) { return MainWindowMessage(msg); });
    if (mainWindow_ == 0)
        LogText("[TfrmMainDLMR1::TfrmMainDLMR1][WARNING] The window bus is not usable; a second copy cannot reach "
                "this one.");
}

std::optional<int64_t> TNStandInWindows::MainWindowMessage(uint32_t msg)
{
    switch (msg) {
    case kRestoreMainWindowMessage:
        LogText("[RestoreMainWindow] wmRestoreMainWindow received.");
        return 1;
    case plat::kWmClose:
        // Without a window there is nothing to hide: the close is only noted.
        LogText("[TfrmMainDLMR1] WM_CLOSE received.");
        return 0;
    case plat::kWmQueryEndSession:
    case plat::kWmEndSession:
        LogText(msg == plat::kWmQueryEndSession ? "[EndSession] WM_QUERYENDSESSION received."
                                                : "[EndSession] WM_ENDSESSION received.");
        // Exit is allowed: the run ends as on SIGTERM. The window goes first,
        // so whoever asked does not find it again while the run ends.
        bus_->UnregisterWindow(mainWindow_);
        loop_->Quit();
        return 1;
    default:
        return 0;
    }
}

void TNStandInWindows::CreateLogWindow()
{
}

void TNStandInWindows::CreateTimePicker()
{
}

void TNStandInWindows::Run()
{
    if (!loop_)
        return;
    loop_->Run();
    // A copy that has stopped no longer answers as the running one.
    if (bus_)
        bus_->Stop();
}
