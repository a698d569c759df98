#include "app/stand_in_windows.h"

#include "foundation/app_info.h"
#include "foundation/common.h"
#include "foundation/dirs.h"
#include "foundation/globals.h"
#include "foundation/log.h"
#include "foundation/string.h"
#include "platform/core/bus_server.h"
#include "platform/core/headless_loop.h"

#include <optional>

TNStandInWindows::TNStandInWindows() = default;

TNStandInWindows::~TNStandInWindows()
{
    // The bus goes before the loop it watches.
    bus_.reset();
    if (loop_)
        plat::SetMainLoop(nullptr);
    loop_.reset();
}

void TNStandInWindows::InitializeApplication(const char*)
{
    loop_ = std::make_unique<plat::HeadlessMainLoop>();
    plat::SetMainLoop(loop_.get());
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
    uint32_t window =
        bus_->RegisterWindow(App.MainWindowClass, [](uint32_t msg, uint64_t, int64_t) -> std::optional<int64_t> {
            if (msg != kRestoreMainWindowMessage)
                return 0;
            LogText("[RestoreMainWindow] wmRestoreMainWindow received.");
            return 1;
        });
    if (window == 0)
        LogText("[TfrmMainDLMR1::TfrmMainDLMR1][WARNING] The window bus is not usable; a second copy cannot reach "
                "this one.");
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
