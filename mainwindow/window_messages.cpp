#include "foundation/app_info.h"
#include "foundation/guard.h"
#include "foundation/log.h"
#include "foundation/pim_array.h"
#include "mainwindow/dialog_bridge.h"
#include "mainwindow/log_window.h"
#include "mainwindow/main_window.h"
#include "model/model_lock.h"
#include "model/pim.h"
#include "model/records.h"
#include "online/global.h"
#include "online/screen.h"
#include "platform/core/clock.h"
#include "platform/gui/foreground.h"
#include "platform/gui/notebook.h"
#include "platform/gui/screen.h"
#include "platform/gui/timer.h"
#include "platform/gui/tray_icon.h"

#include <iterator>

namespace {

struct PowerEvent {
    plat::WPARAM event;
    const char* text;
    bool resume;
};

constexpr PowerEvent kPowerEvents[] = {
    {0, "Request for permission to suspend.", false},
    {2, "Suspension request denied.", false},
    {4, "System is suspending operation.", false},
    {6, "Operation resuming after critical suspension.", true},
    {7, "Operation is resuming from a low-power state.", true},
    {9, "Battery power is low.", false},
    {10, "Power status has changed.", true},
    {11, "OEM-defined event occurred.", false},
    {18, "Operation is resuming automatically from a low-power state.", true},
};

const PowerEvent* FindPowerEvent(plat::WPARAM event)
{
    for (const PowerEvent& entry : kPowerEvents)
        if (entry.event == event)
            return &entry;
    return nullptr;
}

} // namespace

plat::LRESULT TfrmMainDLMR1::Dispatch(plat::TMessageId message, plat::WPARAM wParam, plat::LPARAM lParam)
{
    switch (message) {
    case plat::WM_ACTIVATE: {
        const plat::LRESULT result = WMActivate(wParam);
        plat::TForm::Dispatch(message, wParam, lParam);
        return result;
    }
    case plat::WM_QUERYENDSESSION:
    case plat::WM_ENDSESSION:
        EndSession(message);
        return 1;
    case plat::WM_DISPLAYCHANGE:
        DisplayChange();
        return 0;
    case plat::WM_POWERBROADCAST:
        return PowerBroadcast(wParam);
    case plat::WM_HOTKEY:
        return HotKey(wParam);
    case plat::WM_DALMORA_RESTORE:
        LogText("[RestoreMainWindow] wmRestoreMainWindow received.");
        RestoreApplication();
        return 1;
    case plat::WM_CLOSE:
        LogText("[TfrmMainDLMR1] WM_CLOSE received.");
        break;
    default:
        break;
    }
    return plat::TForm::Dispatch(message, wParam, lParam);
}

plat::LRESULT TfrmMainDLMR1::WMActivate(plat::WPARAM state)
{
    // Hiding the window deactivates it again, inside this handler.
    if (activateBusy_.exchange(true))
        return 0;
    TNScopeExit release([this] { activateBusy_ = false; });
    Guarded("[TfrmMainDLMR1::WMActivate]", [&] {
        if (g.Close != 0 || state != plat::WA_INACTIVE)
            return;
        // 1. An escape first closes what is open.
        btnESCClick();
        // 2. The auto-hide, unless a dialog or the log window is in front.
        const bool dialogOpen = dialogDepth_ != 0 || MessageBoxShown != 0;
        const bool logWindowInFront = frmLogDLMR1 != nullptr && plat::GetForegroundForm() == frmLogDLMR1;
        if (cachedAutoHide && !dialogOpen && trayIcon->ApplicationVisible() && !logWindowInFront &&
            gDesk->ActivePage() != "Login") {
            trayIcon->SetTag(0);
            trayIcon->HideApplication();
        }
    });
    // 3. Handled.
    return 0;
}

void TfrmMainDLMR1::DisplayChange()
{
    Guarded("[TfrmMainDLMR1::DisplayChange]", [&] {
        // 1. Only a shown window follows the display.
        if (!trayIcon->ApplicationVisible())
            return;
        // 2. The size handled last, not the start size: after A, B and A
        // again the window needs A's geometry back.
        const int32_t width = plat::Screen::Width();
        const int32_t height = plat::Screen::Height();
        if (width == handledScreenWidth_ && height == handledScreenHeight_)
            return;
        // 3. A run started by the system leaves it.
        LogTextInt("[DisplayChange] App.IsAutorun = ", App.IsAutorun);
        if (App.IsAutorun != 0)
            return;
        // 4. The clock starts over from now.
        const int64_t now = plat::UnixSeconds();
        g.ClockTime = now;
        g.SecondStartTime = now;
        SetWindowState(plat::TWindowState::wsNormal);
        if (trayIcon->ApplicationVisible())
            g.UpdateTodayWindowSize();
        handledScreenWidth_ = width;
        handledScreenHeight_ = height;
    });
}

plat::LRESULT TfrmMainDLMR1::PowerBroadcast(plat::WPARAM event)
{
    Guarded("[TfrmMainDLMR1::PowerBroadcast]", [&] {
        const PowerEvent* known = FindPowerEvent(event);
        LogWrite("[PowerBroadcast] ", known != nullptr ? known->text : "Default", false);
        if (known == nullptr || !known->resume)
            return;
        FreeMemory();
        LogText("[PowerBroadcast] Calling RunOnlineNow();");
        g.NewSyncWanted = 1;
        RunOnlineNow();
    });
    return 1;
}

void TfrmMainDLMR1::FreeMemory()
{
    Guarded("[TfrmMainDLMR1::FreeMemory]", [&] {
        LogText("[FreeMemory][BEGIN]");
        // The online thread reads the pictures while it synchronises.
        TNModelWriteGuard writing;
        for (int32_t position = 0; position < App.PimServersCount && position < PIM.Count(); ++position) {
            TNPIM* pim = PIM[position];
            if (pim == nullptr)
                continue;
            LogTextInt("[FreeMemory] PIM[pim_srv_pos]->Organizers.DestroyImages(); pim_srv_pos = ", position);
            pim->Organizers.DestroyImages();
            LogTextInt("[FreeMemory] PIM[pim_srv_pos]->Records->DestroyImages(); pim_srv_pos = ", position);
            if (pim->Records)
                pim->Records->DestroyImages();
        }
        LogText("[FreeMemory][END]");
    });
}

void TfrmMainDLMR1::InstallScreenHooks()
{
    ScreenHooks.MainWindowBounds = []() -> TNScreenRect {
        const TfrmMainDLMR1* form = frmMainDLMR1;
        return form != nullptr ? TNScreenRect{form->Left(), form->Top(), form->Width(), form->Height()}
                               : TNScreenRect{};
    };
    ScreenHooks.MainWindowMaximized = []() {
        return frmMainDLMR1 != nullptr && frmMainDLMR1->WindowState() == plat::TWindowState::wsMaximized;
    };
    ScreenHooks.ApplicationVisible = []() {
        return frmMainDLMR1 != nullptr && frmMainDLMR1->trayIcon->ApplicationVisible();
    };
    ScreenHooks.SetMainWindowNormal = [] {
        if (frmMainDLMR1 != nullptr)
            frmMainDLMR1->SetWindowState(plat::TWindowState::wsNormal);
    };
    ScreenHooks.SetMainWindowBounds = [](const TNScreenRect& bounds) {
        if (frmMainDLMR1 != nullptr)
            frmMainDLMR1->SetBounds(bounds.Left, bounds.Top, bounds.Width, bounds.Height);
    };
    ScreenHooks.SetMainWindowTopValue = [](int32_t top) {
        if (frmMainDLMR1 != nullptr)
            frmMainDLMR1->rememberedTop = top;
    };
    ScreenHooks.ArmMaximizeMainWindow = [] {
        if (frmMainDLMR1 != nullptr)
            frmMainDLMR1->timerMaximizeMainWindow->SetEnabled(true);
    };
    ScreenHooks.ArmResize = [] {
        if (frmMainDLMR1 != nullptr)
            frmMainDLMR1->timerResize->SetEnabled(true);
    };
}

void TfrmMainDLMR1::RemoveScreenHooks()
{
    ScreenHooks.MainWindowBounds = nullptr;
    ScreenHooks.MainWindowMaximized = nullptr;
    ScreenHooks.ApplicationVisible = nullptr;
    ScreenHooks.SetMainWindowNormal = nullptr;
    ScreenHooks.SetMainWindowBounds = nullptr;
    ScreenHooks.SetMainWindowTopValue = nullptr;
    ScreenHooks.ArmMaximizeMainWindow = nullptr;
    ScreenHooks.ArmResize = nullptr;
}
