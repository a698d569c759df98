#include "foundation/app_info.h"
#include "foundation/common.h"
#include "foundation/guard.h"
#include "foundation/hooks.h"
#include "foundation/log.h"
#include "foundation/record_file_set.h"
#include "foundation/setup.h"
#include "mainwindow/main_window.h"
#include "mainwindow/page_services.h"
#include "mainwindow/restart_brake.h"
#include "mainwindow/update_completion.h"
#include "online/auto_update.h"
#include "online/global.h"
#include "online/hooks.h"
#include "online/ui_tags.h"
#include "online/update.h"
#include "platform/core/clock.h"
#include "platform/core/paths.h"
#include "platform/gui/foreground.h"
#include "platform/gui/menu.h"
#include "platform/gui/notebook.h"
#include "platform/gui/screen.h"
#include "platform/gui/timer.h"
#include "platform/gui/tray_icon.h"

#include <mutex>

namespace {

constexpr int32_t kEmergencyPolls = 400;
constexpr int64_t kEmergencyPollMs = 25;
// timerCloseApp ticks every 250 ms: 100 ticks bound the wait to 25 s.
constexpr int64_t kCloseAppTicks = 100;
constexpr int64_t kCloseAppTickMs = 250;
constexpr const char* kEmergency = "[TfrmMainDLMR1::timerEmergencyAppCloseTimer]";

// The fatal-error step may run on any thread: it reaches the timer under
// this lock, which the window takes before the timer goes.
std::mutex emergencyTimerMutex;
plat::TTimer* emergencyTimer = nullptr;

void ArmEmergencyClose()
{
    std::lock_guard<std::mutex> lock(emergencyTimerMutex);
    if (emergencyTimer != nullptr)
        emergencyTimer->SetEnabled(true);
}

// Polls a busy flag every 25 ms, at most 400 times, then clears it: the
// emergency close goes on whatever the owner does.
void WaitForFlagThenClear(std::atomic<uint8_t>& flag, const char* line)
{
    if (flag == 0)
        return;
    for (int32_t attempt = 0; attempt < kEmergencyPolls && flag != 0; ++attempt) {
        if (attempt >= 10)
            LogTextInt(line, attempt);
        plat::SleepMilliseconds(kEmergencyPollMs);
    }
    flag = 0;
}

// Stops every timer in the component's tree.
void StopTimersOf(plat::TComponent& owner)
{
    for (int i = 0; i < owner.ComponentCount(); ++i) {
        plat::TComponent* component = owner.Components(i);
        if (auto* timer = dynamic_cast<plat::TTimer*>(component))
            timer->SetEnabled(false);
        StopTimersOf(*component);
    }
}

std::string EmergencyLine(const char* text)
{
    return std::string(kEmergency) + text;
}

} // namespace

// ---------------------------------------------------------------------------
// Close requests

void TfrmMainDLMR1::EndSession(plat::TMessageId message)
{
    LogText(message == plat::WM_QUERYENDSESSION ? "[EndSession] WM_QUERYENDSESSION received."
                                                : "[EndSession] WM_ENDSESSION received.");
    c.ExitAllowed = 1;
    Close();
}

void TfrmMainDLMR1::mnuExitClick()
{
    c.RealExit = 1;
    Close();
}

void TfrmMainDLMR1::pmnuExitClick()
{
    mnuExitClick();
}

void TfrmMainDLMR1::FormCloseQuery(bool& canClose)
{
    Guarded("[TfrmMainDLMR1::FormCloseQuery]", [&] {
        // 1. No close while a sign-in runs.
        if (g.runningLogin) {
            LogText("[FormCloseQuery][RETURN] g.LoginInProgress = true");
            canClose = false;
            return;
        }
        // The exit already waits for the online thread: a repeated request
        // (the closing utility sends many) keeps that wait's bound.
        if (g.Close != 0 && timerCloseApp->Enabled()) {
            LogText("[FormCloseQuery][RETURN] Closing; waiting for the online thread.");
            canClose = false;
            return;
        }
        // 2. The window fades out while it decides.
        LogText("[FormCloseQuery][BEGIN]");
        SetAlphaBlendValue(0);
        SetAlphaBlend(true);
        // 3. Hide to the tray, or really end.
        const bool hideInstead = c.RealExit == 0 && c.ExitAllowed == 0 && App.IsDev == 0 &&
                                 !Setup.GetBool("SettingsAppExitAllowed") && gDesk->ActivePage() != "Login";
        canClose = hideInstead ? HideInsteadOfClosing() : QueryRealExit();
        // 8. The answer.
        LogTextInt("[FormCloseQuery][END] CanClose = ", canClose ? 1 : 0);
    });
}

bool TfrmMainDLMR1::HideInsteadOfClosing()
{
    // b.
    if (Setup.GetBool("SettingsMinimizeInsteadOfHide")) {
        plat::Application::Minimize();
        SetAlphaBlendValue(255);
        SetAlphaBlend(false);
    } else {
        trayIcon->SetTag(0);
        trayIcon->HideApplication();
        // Without a tray the window is only minimised: restored from the
        // task bar it must not stay transparent.
        if (!plat::TrayIcon::HostAvailable()) {
            SetAlphaBlendValue(255);
            SetAlphaBlend(false);
        }
    }
    // c. to e.
    pages_->SaveEditedNote(2);
    pages_->ForgetEditedNote();
    RunOnlineNow();
    ArmResetViewTimer();
    return false;
}

bool TfrmMainDLMR1::QueryRealExit()
{
    // 4. The clock and the tray icon stop; the run is closing.
    timerHodiny->SetEnabled(false);
    g.Close = 1;
    trayIcon->SetTag(0);
    trayIcon->HideApplication();
    trayIcon->SetActive(false);
    trayIcon->SetIconVisible(false);
    // 5. The update's share also sets its closing byte and ends its thread;
    // once a run, so the close after the online thread's wait does not wait
    // for an abandoned download again.
    if (!updateStoppedForClose_) {
        updateStoppedForClose_ = true;
        if (AutoUpdate.runningStahniSoubor != 0)
            LogText("[FormCloseQuery] Waiting for AutoUpdate.runningStahniSoubor...");
        const int32_t endedAfter = StopAutoUpdateForClose();
        if (endedAfter >= 0)
            LogTextInt("[FormCloseQuery] AutoUpdate.runningStahniSoubor = false; break at ii = ", endedAfter);
    }
    // 6. The timer closes again when the pass has ended, or at its bound.
    // The closing utility ends the process after about 5 s, a pass on a slow
    // service may take longer: everything is saved before the wait.
    if (g.OnlineThreadRunning != 0) {
        SetCaption("Vypínám Dalmora...");
        g.SaveBeforeClosingWait();
        timerCloseApp->SetTag(0);
        timerCloseApp->SetEnabled(true);
        return false;
    }
    // 7. The user is logged out and the close goes on.
    g.OdhlasUzivatele(true);
    return true;
}

void TfrmMainDLMR1::timerCloseAppTimer()
{
    Guarded("[TfrmMainDLMR1::timerCloseAppTimer]", [&] {
        if (g.OnlineThreadRunning == 0) {
            timerCloseApp->SetEnabled(false);
            Close();
            return;
        }
        timerCloseApp->SetTag(timerCloseApp->Tag() + 1);
        if (timerCloseApp->Tag() >= kCloseAppTicks) {
            LogText("[TfrmMainDLMR1::timerCloseAppTimer][ERROR] The online thread did not end; closing.");
            timerCloseApp->SetEnabled(false);
            g.OnlineThreadRunning = 0;
            Close();
        }
    });
}

// ---------------------------------------------------------------------------
// The close

void TfrmMainDLMR1::FormClose()
{
    Guarded("[TfrmMainDLMR1::FormClose]", [&] {
        // 1. The closing byte, first of all.
        LogText("[FormClose][BEGIN] <APP-END>");
        g.Close = 1;
        // The loop may still deliver a tick that fell due before it ends:
        // nothing of the window runs after its close.
        StopTimersOf(*this);
        // 2. The hint timer and the toast.
        timerHint->SetEnabled(false);
        timerHint->SetTag(0);
        if (onCloseToast)
            onCloseToast();
        // 3. and 4. The hot keys and the foreground hook go.
        LogText("[FormClose] UnregisterAllHotkeys");
        UnregisterAllHotkeys();
        if (foregroundHookInstalled_) {
            LogText("[FormClose] UnhookWinEvent");
            plat::RemoveForegroundHook();
            foregroundHookInstalled_ = false;
        }
        // 5. The data files are closed.
        LogText("[FormClose] raf.closeAllFiles");
        raf.closeAllFiles();
        // 6. The sounds are freed.
        LogText("[FormClose] UvolniZvuky");
        if (onReleaseSounds)
            onReleaseSounds();
        // 7. Both outcomes complete the update here; the entry function
        // starts no update task for it.
        TNUpdateCloseState update;
        update.doNotUpdate = AutoUpdate.DoNotUpdate != 0;
        update.startedForUpdate = App.IsUpdate != 0;
        update.appUpdateReady = App.UpdateReady != 0;
        update.updateReady = g.WantUpdate != 0;
        update.exitAllowed = c.ExitAllowed != 0;
        update.realExit = c.RealExit != 0;
        if (update.doNotUpdate || DecideUpdateCompletion(update) != TNUpdateCompletion::None)
            CompleteAutoUpdateAtClose();
        // 8. A close for an update never ends the program: it comes back,
        // updated, or tells at its next check why it could not be.
        if (pleaseRestartApplication || g.CloseForUpdate != 0) {
            LogWrite("[FormClose] pleaseRestartApplication = true; calling ShellExecute() ",
                     plat::ProgramFile().c_str(), false);
            TNRestartBrake::RestartProgram("[FormClose]");
        }
        // 9. The end line.
        LogText("[FormClose][END] <APP-END>");
    });
    formClosed_ = true;
}

void TfrmMainDLMR1::FinishCloseAfterLoop()
{
    if (formClosed_)
        return;
    Guarded("[TfrmMainDLMR1::FinishCloseAfterLoop]", [&] {
        LogText("[TfrmMainDLMR1::FinishCloseAfterLoop] The main loop ended before the close; closing now.");
        c.ExitAllowed = 1;
        // The wait for the online thread goes on without the loop, within
        // what is left of its bound.
        const int64_t ticksDone = timerCloseApp->Enabled() ? timerCloseApp->Tag() : 0;
        timerCloseApp->SetEnabled(false);
        for (int64_t tick = ticksDone; g.OnlineThreadRunning != 0 && tick < kCloseAppTicks; ++tick)
            plat::SleepMilliseconds(kCloseAppTickMs);
        if (g.OnlineThreadRunning != 0) {
            LogText("[TfrmMainDLMR1::FinishCloseAfterLoop][ERROR] The online thread did not end; closing.");
            g.OnlineThreadRunning = 0;
        }
        Close();
    });
}

// ---------------------------------------------------------------------------
// The emergency close after a fatal error

void TfrmMainDLMR1::timerEmergencyAppCloseTimer()
{
    // Off at the first tick and once a run: a later tick (in a nested loop,
    // or before Terminate takes effect) would repeat the waits and the
    // starts.
    timerEmergencyAppClose->SetEnabled(false);
    if (emergencyStarted_.exchange(true))
        return;
    Guarded(kEmergency, [&] {
        // 1. and 2. The close must really end the program.
        LogText(EmergencyLine("[BEGIN][ERROR][EXCEPTION]").c_str());
        c.ExitAllowed = 1;
        c.RealExit = 1;
        g.SetUpdateUiTag(__uiCloseApplication, 0);
        // 3. and 4. The online pass and a record save are waited for.
        WaitForFlagThenClear(g.OnlineThreadRunning, EmergencyLine(" Waiting for g.OnlineThreadRunning... ").c_str());
        WaitForFlagThenClear(g.runningChangedRecordSaveSequence,
                             EmergencyLine(" Waiting for g.runningChangedRecordSaveSequence... ").c_str());
        // 5. The close starts the copy (FormClose step 8).
        pleaseRestartApplication = true;
        Close();
        LogText(EmergencyLine(" After calling frmMainDLMR1->Close()... ").c_str());
        // 6. A second start, which the brake holds when the close started
        // one.
        if (App.IsDev == 0) {
            TNRestartBrake::RestartProgram(kEmergency);
            LogText(EmergencyLine(" After calling ShellExecute()... ").c_str());
        }
        // 7. The application ends.
        plat::Application::Terminate();
        LogText(EmergencyLine("[END][ERROR][EXCEPTION] After calling Application->Terminate()... ").c_str());
    });
}

// ---------------------------------------------------------------------------
// Hooks and bindings

void TfrmMainDLMR1::InstallShutDownHooks()
{
    CreateShortcutMenu();
    handledScreenWidth_ = plat::Screen::Width();
    handledScreenHeight_ = plat::Screen::Height();
    timerCloseApp->OnTimer = [this](plat::TComponent*) { timerCloseAppTimer(); };
    timerEmergencyAppClose->OnTimer = [this](plat::TComponent*) { timerEmergencyAppCloseTimer(); };
    {
        std::lock_guard<std::mutex> lock(emergencyTimerMutex);
        emergencyTimer = timerEmergencyAppClose;
    }
    FoundationHooks.EmergencyClose = &ArmEmergencyClose;
    InstallScreenHooks();
    MainWindowHooks.UnregisterAllHotkeys = [] {
        if (frmMainDLMR1 != nullptr)
            frmMainDLMR1->UnregisterAllHotkeys();
    };
}

void TfrmMainDLMR1::RemoveShutDownHooks()
{
    {
        std::lock_guard<std::mutex> lock(emergencyTimerMutex);
        if (emergencyTimer == timerEmergencyAppClose)
            emergencyTimer = nullptr;
    }
    if (frmMainDLMR1 == this) {
        FoundationHooks.EmergencyClose = nullptr;
        MainWindowHooks.UnregisterAllHotkeys = nullptr;
        RemoveScreenHooks();
    }
    if (foregroundHookInstalled_) {
        plat::RemoveForegroundHook();
        foregroundHookInstalled_ = false;
    }
}
