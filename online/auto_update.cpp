#include "online/auto_update.h"

#include "foundation/app_info.h"
#include "foundation/common.h"
#include "foundation/globals.h"
#include "foundation/guard.h"
#include "foundation/hooks.h"
#include "foundation/log.h"
#include "online/form_builder.h"
#include "online/global.h"
#include "online/hooks.h"
#include "online/http_send.h"
#include "online/update.h"
#include "online/web_answer.h"
#include "online/window_calls.h"
#include "online/window_state.h"
#include "platform/core/clock.h"
#include "platform/core/main_loop.h"

#include <chrono>
#include <mutex>
#include <string>
#include <thread>

namespace {

// The close waits for a running download 250 ms at a time, 40 times.
constexpr int kCloseWaitPolls = 40;
constexpr int64_t kCloseWaitPollMs = 250;
// After that the thread has its cancelled request to end; it is joined
// within this bound.
constexpr auto kJoinBound = std::chrono::seconds(5);
constexpr int32_t kUpdateReadyMessageId = 6;

std::mutex threadMutex;
TAktualizace* updateThread = nullptr;
// The user was told to fetch a new version by hand in this run.
bool userToldToDownload = false;

std::string ToStd(const TNString& text)
{
    return std::string(text.View());
}

// Frees the thread when it has ended; caller holds threadMutex.
void ReleaseEndedThreadLocked()
{
    if (updateThread != nullptr && updateThread->Finished()) {
        delete updateThread;
        updateThread = nullptr;
    }
}

void TellUserToDownload()
{
    if (userToldToDownload)
        return;
    userToldToDownload = true;
    TNWindowCalls::ShowApplication("TNGlobal::BeginAutoUpdate", 5);
    if (WindowState.IsActivePage("Login")) {
        // The page opens once the user has read the box.
        plat::PostToMainThread([] {
            ShowMessageBox("Na internetu je pro Vás zdarma k dispozici aktualizace aplikace. Kliknutím na OK "
                           "otevřete domovskou www stránku programu",
                           "Aktualizace programu", mbOk | mbIconInformation);
            c.OpenUrl(App.HomepageUrl);
        });
        return;
    }
    const uint64_t key = g.InfoMessages.AddKeyed("Nainstalujte nejnovější verzi Dalmora. Stahujte zdarma ZDE",
                                                 "Kliknutím otevřete domovskou www stránku programu", false, -1, -1);
    TNWindowCalls::ArmInfoPruhForMessage(key);
}

// Once a run: the update stays downloaded, the program runs on without it.
void TellUpdateCannotBeInstalled(const std::string& blocker)
{
    if (AutoUpdate.InstallBlocked.exchange(1) != 0)
        return;
    LogWrite("[g.AutomatickaAktualizace] the update can't be installed: ", blocker.c_str(), false);
    const uint64_t key = g.InfoMessages.AddKeyed("Aktualizaci programu nelze nainstalovat",
                                                 "Do složky programu nelze zapisovat. Program běží dál bez ní; "
                                                 "nainstalujte novou verzi ručně.",
                                                 false, -1, -1);
    TNWindowCalls::ArmInfoPruhForMessage(key);
}

} // namespace

// ---------------------------------------------------------------------------
// The check

bool TNGlobal::AutomatickaAktualizace()
{
    if (runningAutoUpdateCheck.exchange(1) != 0)
        return false;
    TNScopeExit busy([&] { runningAutoUpdateCheck = 0; });
    bool result = Guarded("[TNGlobal::AutomatickaAktualizace]", false, [&] {
        if (AutoUpdate.InstallBlocked != 0 || !AutoUpdate.AddressAllowed(App.UpdateCheckUrl))
            return false;
        TNFormBuilder query;
        query.AddInt("Version", App.VersionNumber).AddInt("AppID", App.AppID).Add("AppPrefix", App.AppPrefix);
        std::string url = std::string(App.UpdateCheckUrl) + "?" + ToStd(query.Text());
        LogWrite("[g.AutomatickaAktualizace] ", url.c_str(), false);
        TNWebAnswer answer;
        TNString text = HttpSend(url.c_str(), &answer, true, AutoUpdate.CancelCheck());
        if (text.IsEmpty())
            return false;
        LogWrite("[g.AutomatickaAktualizace] ", text.Text, false);
        int32_t error = answer.FindByName("ErrorCode");
        if (error >= 0) {
            TNWindowCalls::ShowApplication("TNGlobal::AutomatickaAktualizace", 5);
            TNWindowCalls::ShowMessageBox(answer.Items[error]->Value.Text, "Chyba Automatické aktualizace",
                                          mbOk | mbIconError);
            return false;
        }
        int32_t version = answer.FindByName("NewVersion");
        int32_t files = answer.FindByName("FileList");
        int32_t folders = answer.FindByName("FolderList");
        if (version < 0 || files < 0 || folders < 0 || !answer.Items[version]->IsNumber || Close != 0)
            return false;
        if (!AutoUpdate.PripravAktualizaci(static_cast<int32_t>(answer.Items[version]->Number), "NepouzitePoleAdresa",
                                           answer.Items[folders]->Value, answer.Items[files]->Value))
            return false;
        // An update that cannot be installed must not close the program.
        const std::string blocker = AutoUpdate.InstallBlocker();
        if (!blocker.empty()) {
            TellUpdateCannotBeInstalled(blocker);
            return false;
        }
        LogTextInt("[g.AutomatickaAktualizace] WantUpdate = ", WantUpdate.load());
        WantUpdate = 1;
        c.ExitAllowed = 1;
        c.RealExit = 1;
        const uint64_t key = InfoMessages.AddKeyed("Byla stažena data pro aktualizaci aplikace. Při ukončení bude "
                                                   "program aktualizován.",
                                                   "Kliknutím spustíte aktualizaci.", true, -1, kUpdateReadyMessageId);
        TNWindowCalls::ArmInfoPruhForMessage(key);
        return true;
    });
    if (WantUpdate != 0 && WindowState.IsActivePage("Login")) {
        CloseForUpdate = 1;
        SetUpdateUiTag(__uiCloseApplication, 0);
    }
    return result;
}

// ---------------------------------------------------------------------------
// The thread

TAktualizace::TAktualizace(bool createSuspended) : plat::TThread(kUpdateThreadName)
{
    if (!createSuspended)
        Resume();
}

void TAktualizace::Execute()
{
    g.AutomatickaAktualizace();
}

void BeginAutoUpdate(int32_t newestVersion)
{
    Guarded("[BeginAutoUpdate]", [&] {
        if (newestVersion <= App.VersionNumber || newestVersion == g.LastAnnouncedVersion)
            return;
        LogText("[g.BeginAutoUpdate][BEGIN]");
        if (App.IsUpdate != 0) {
            g.UpdatePending = 1;
            App.UpdateReady = 1;
        }
        g.LastAnnouncedVersion = newestVersion;
        LogText("[g.BeginAutoUpdate]Spousteni vlakna...");
        bool started = false;
        {
            std::lock_guard<std::mutex> lock(threadMutex);
            ReleaseEndedThreadLocked();
            if (updateThread == nullptr) {
                auto* thread = new TAktualizace(true);
                if (thread->Resume()) {
                    updateThread = thread;
                    started = true;
                    LogText("[g.BeginAutoUpdate]Vlakno spusteno");
                } else {
                    delete thread;
                }
            } else {
                LogText("[g.BeginAutoUpdate][ERROR][NOT_NULL] Vlakno jiz bezi...");
            }
            if (!started) {
                LogText("[g.BeginAutoUpdate]Vlakno nelze spustit");
                TellUserToDownload();
            }
        }
        LogText("[g.BeginAutoUpdate][END]");
    });
}

void InstallAutoUpdate()
{
    OnlineHooks.BeginAutoUpdate = &BeginAutoUpdate;
}

bool AutoUpdateThreadRunning()
{
    std::lock_guard<std::mutex> lock(threadMutex);
    return updateThread != nullptr && !updateThread->Finished();
}

// ---------------------------------------------------------------------------
// The close

int32_t StopAutoUpdateForClose()
{
    int32_t endedAfter = -1;
    Guarded("[StopAutoUpdateForClose]", [&] {
        AutoUpdate.StopDownloads();
        AutoUpdate.CancelTransfers();
        if (AutoUpdate.runningStahniSoubor != 0) {
            for (int32_t poll = 1; poll <= kCloseWaitPolls; ++poll) {
                plat::SleepMilliseconds(kCloseWaitPollMs);
                if (AutoUpdate.runningStahniSoubor == 0) {
                    endedAfter = poll;
                    break;
                }
            }
            // An interrupted download leaves no update to install.
            AutoUpdate.DoNotUpdate = 1;
        }
        std::lock_guard<std::mutex> lock(threadMutex);
        const auto deadline = std::chrono::steady_clock::now() + kJoinBound;
        while (updateThread != nullptr && !updateThread->Finished() && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        if (updateThread != nullptr && !updateThread->Finished()) {
            // It may still write: nothing it left is installed.
            LogText("[StopAutoUpdateForClose][ERROR] the update thread did not end");
            AutoUpdate.DoNotUpdate = 1;
            return;
        }
        ReleaseEndedThreadLocked();
    });
    return endedAfter;
}

bool CompleteAutoUpdateAtClose()
{
    if (AutoUpdate.DoNotUpdate != 0) {
        LogText("[FormClose] AutoUpdate.DoNotUpdate = true; preventing autoupdate.");
        return false;
    }
    return AutoUpdate.DokonciAktualizaci();
}
