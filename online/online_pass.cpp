#include "online/online_pass.h"
#include "online/online_steps.h"

#include "foundation/app_info.h"
#include "foundation/common.h"
#include "foundation/dirs.h"
#include "foundation/guard.h"
#include "foundation/local_clock.h"
#include "foundation/log.h"
#include "foundation/pim_array.h"
#include "foundation/record_file_set.h"
#include "foundation/setup.h"
#include "foundation/users.h"
#include "model/pim.h"
#include "online/global.h"
#include "online/window_calls.h"
#include "online/window_state.h"
#include "platform/core/clock.h"

#include <algorithm>
#include <string>

namespace {

constexpr int64_t kSaveEverySeconds = 180;
constexpr uint32_t kIdleBeforeSaveSeconds = 20;
constexpr int32_t kLogOutTag = 999;
constexpr int32_t kBusyRearmMinMs = 1;

void Calling(const char* step)
{
    LogWrite("[TOnline][MAIN_LOOP] Calling ", (std::string(step) + "...").c_str(), false);
}

} // namespace

// ---------------------------------------------------------------------------
// The timer and its re-arming

bool TNGlobal::OnlineTimerFired()
{
    return Guarded("[TfrmMainDLMR1::timerOnlineTimer]", false, [&] {
        if (Close != 0) {
            LogTextInt("[TfrmMainDLMR1::timerOnlineTimer][RETURN] g.Close = ", Close.load());
            return false;
        }
        if (OnlineTimerTag == kLogOutTag)
            return false;
        // A fast-pass delay of 0 would make the timer poll the busy pass
        // without a pause, taking a processor from the pass itself.
        const int32_t busyDelay = std::max(FastPassDelayMs.load(), kBusyRearmMinMs);
        uint8_t idle = 0;
        if (!OnlineThreadRunning.compare_exchange_strong(idle, 1)) {
            std::lock_guard<std::mutex> guard(OnlineTimerMutex);
            TNWindowCalls::ArmOnlineTimer(busyDelay);
            return false;
        }
        auto* pass = new TOnline();
        if (!pass->Resume()) {
            delete pass;
            OnlineThreadRunning = 0;
            std::lock_guard<std::mutex> guard(OnlineTimerMutex);
            TNWindowCalls::ArmOnlineTimer(busyDelay);
            return false;
        }
        return true;
    });
}

void TNGlobal::RearmOnlineTimer()
{
    // Asked before the timer's lock: the model lock is never taken under it,
    // since the user interface may hold the model lock when it asks for a
    // pass. A change made after this asks for its pass itself. A wish already
    // set stays set (only a pass takes it up): the walk over the pending
    // items is spared then, as in every pass of a drain.
    bool uploadPending = NewSyncWanted == 0 && UploadPendingNow();
    // Under the lock RunOnlineNow takes, so that a wish made meanwhile is
    // never overwritten by a longer interval.
    std::lock_guard<std::mutex> guard(OnlineTimerMutex);
    int64_t nowMs = plat::MonotonicMilliseconds();
    int32_t interval = 0;
    if (NewSyncWanted != 0 || uploadPending) {
        interval = FastPassDelayMs;
    } else if (WindowState.IsActivePage("Login")) {
        interval = LoginPageDelayMs;
    } else {
        int64_t seconds = SyncInterval.load();
        interval =
            seconds > 0 ? static_cast<int32_t>(std::min<int64_t>(seconds * 1000, INT32_MAX)) : FastPassDelayMs.load();
    }
    int64_t deadline = UploadBackOff.EarliestDeadline(nowMs);
    if (deadline >= 0)
        interval = static_cast<int32_t>(std::min<int64_t>(interval, deadline - nowMs));
    LogTextInt("[TOnline] frmMainDLMR1->timerOnline->Interval = ", interval);
    TNWindowCalls::ArmOnlineTimer(interval);
}

// ---------------------------------------------------------------------------
// The pass

TOnline::TOnline() : plat::TThread("TOnline")
{
    FreeOnTerminate = true;
}

void TOnline::Execute()
{
    uploadedId_ = 0;
    shownDataChanged_ = false;
    // Painting and the record change sequence hold the model lock, which
    // every request takes before it applies an answer: nothing to wait for
    // here, and nothing to clear.
    LogTextInt("[TOnline][BEGIN] g.DoUploadSync = ", g.DoUploadSync.load());
    g.DosloKVyjimceVlaknaOnline = 0;
    Guarded("TOnline", [&] { RunSteps(); });
    g.OnlineThreadRunning = 0;
    if (g.Close == 0) {
        g.RearmOnlineTimer();
        if (shownDataChanged_) {
            LogText(">>> g.SetUpdateUiTag(__uiUpdateShownData) [AAA]");
            g.SetUpdateUiTag(__uiUpdateShownData, 0);
        }
    }
    LogTextInt("[TOnline][END] g.DoUploadSync = ", g.DoUploadSync.load());
}

void TOnline::RunSteps()
{
    TNPIM* pim = PIM[0];
    if (pim == nullptr || pim->LoadingPimNow || pim->SavingPimNow)
        return;
    // The login page's tests and a new account go first, and alone.
    if (g.NewAccount.PreLoginTestPending != 0 || g.NewAccount.RequestPending != 0) {
        LogText("[TOnline][MAIN_LOOP_A] Calling onlineCreateNewAccount...");
        onlineCreateNewAccount();
        LogText("[TOnline][MAIN_LOOP_A] Calling onlineProceedTests...");
        onlineProceedTests();
        return;
    }
    LogTextInt("[TOnline][MAIN_LOOP] g.DoUploadSync = ", g.DoUploadSync.load());
    int64_t now = TNLocalClock::Now();
    Calling("onlineGetIdleStatus");
    onlineGetIdleStatus();
    Calling("onlineSaveBasicProfileSettings");
    onlineSaveBasicProfileSettings();
    Calling("onlineCreateNewAccount");
    onlineCreateNewAccount();
    Calling("onlineProceedTests");
    onlineProceedTests();
    if (raf.Items.empty() || App.raFileAllPIM < 0) {
        LogTextInt("[TOnline] raf.Items != NULL || App.raFileAllPIM = ", App.raFileAllPIM);
        return;
    }
    Calling("onlineShowNotificationWindows");
    onlineShowNotificationWindows(now);
    Calling("onlineSynchronise");
    shownDataChanged_ = onlineSynchronise(now);
    // A confirmed upload ends the pass; the next one follows at once.
    if (uploadedId_ != 0)
        return;
    Calling("Sync2GetActualUserProfilePicture");
    g.Sync2GetActualUserProfilePicture(false);
    Calling("onlineSaveSettingsAndPIM");
    onlineSaveSettingsAndPIM(now);
    Calling("onlineDisplayAlerts");
    onlineDisplayAlerts();
    Calling("onlineCheckOrganizersExistence");
    onlineCheckOrganizersExistence();
    Calling("Sync2GetContactsUsersProfilePictures");
    g.Sync2GetContactsUsersProfilePictures();
    Calling("Sync2GetContactsRequestsProfilePictures");
    g.Sync2GetContactsRequestsProfilePictures();
    Calling("onlineGetObjectData");
    onlineGetObjectData();
    Calling("onlineIgnoreOrAcceptContactsRequests");
    onlineIgnoreOrAcceptContactsRequests();
    Calling("onlineMarkAllNotificationsAsRead");
    onlineMarkAllNotificationsAsRead();
    Calling("onlineProceedAPIQueue");
    g.onlineProceedAPIQueue();
    Calling("onlineGetAvailableOrganizers");
    onlineGetAvailableOrganizers(now);
    Calling("onlineOrganizersFullResync");
    onlineOrganizersFullResync(now);
}

bool TOnline::onlineSynchronise(int64_t now)
{
    bool wanted = g.NewSyncWanted != 0;
    if (g.Online != 0 && !wanted && g.DoUploadSync == 0 && !g.UploadPendingNow() &&
        now <= g.LastSyncTime + g.SyncInterval) {
        LogTextInt("[TOnline::onlineSynchronise][NO_SYNC] g.SyncInterval = ", g.SyncInterval.load());
        LogTextInt("[TOnline::onlineSynchronise] now <= g.LastSyncTime+g.SyncInterval = ",
                   static_cast<int32_t>(g.LastSyncTime + g.SyncInterval - now));
        return false;
    }
    // The wish is taken up now; whatever asks for a pass from here on
    // sets it again.
    g.NewSyncWanted = 0;
    if (g.UserLoginStatus != 1) {
        g.Sync2CheckInstID();
        return false;
    }
    bool result = false;
    auto calling = [](const char* name) { LogWrite("[TOnline::onlineSynchronise] Calling ", name, false); };
    calling("Sync2CheckInstID");
    g.Sync2CheckInstID();
    calling("Sync2Upsync (first)");
    uint32_t sent = 0;
    if (g.Sync2Upsync(&sent)) {
        // Confirmed: no downloads in this pass, the next one uploads on.
        uploadedId_ = sent;
        result = true;
    } else {
        bool organizersChanged = false;
        bool dataChanged = false;
        bool recordsChanged = false;
        calling("Sync2UsersOrganizers");
        g.Sync2UsersOrganizers(&organizersChanged);
        LogTextInt("[TOnline::onlineSynchronise] Sync2UsersOrganizers_sync_pim_result = ", organizersChanged ? 1 : 0);
        calling("Sync2Alerts_Notifications_Contacts_Groups_Types_etc");
        g.Sync2Alerts_Notifications_Contacts_Groups_Types_etc(&dataChanged);
        LogTextInt("[TOnline::onlineSynchronise] Sync2Alerts_Notifications_Contacts_Groups_Types_sync_pim_result = ",
                   dataChanged ? 1 : 0);
        calling("Sync2Records");
        g.Sync2Records(&recordsChanged);
        LogTextInt("[TOnline::onlineSynchronise] Sync2Records_sync_pim_result = ", recordsChanged ? 1 : 0);
        calling("Sync2GetImagesAndAditionalDataAndTestShownRecords");
        g.Sync2GetImagesAndAditionalDataAndTestShownRecords();
        calling("Sync2GetImagesAndAditionalDataAndTestShownRecords...and done");
        result = organizersChanged || dataChanged || recordsChanged;
    }
    for (int32_t position = 0; position < App.PimServersCount && position < kMaxPimServers; ++position) {
        if (TNPIM* pim = PIM[position]) {
            LogTextInt("[TOnline::onlineSynchronise] Calling PIM[0]->CheckAll(); pim_srv_pos = ", position);
            pim->CheckAll();
        }
    }
    // A pass that confirmed an upload ends early and the next follows at
    // once: the record to be notified constantly is picked by the passes
    // that end normally, not thousands of times over while changes drain
    // (each pick walks every record).
    for (int32_t position = 0; uploadedId_ == 0 && position < App.PimServersCount && position < kMaxPimServers;
         ++position) {
        TNPIM* pim = PIM[position];
        if (pim == nullptr || pim->Records == nullptr)
            continue;
        std::shared_ptr<const TNPIMRecord> notify;
        {
            TNModelWriteGuard lock;
            notify.reset(pim->Records->GetNotifyConstantly());
        }
        if (notify) {
            g.SetNotifyConstantlyRecord(std::move(notify));
            break;
        }
    }
    return result;
}

void TOnline::onlineSaveSettingsAndPIM(int64_t now)
{
    if (g.UserLoginStatus != 1)
        return;
    LogText("[TOnline::onlineSaveSettingsAndPIM][BEGIN]");
    TNPIM* pim = PIM[0];
    if (g.pleaseSavePIM.exchange(0) == 1) {
        LogText("[TOnline::onlineSaveSettingsAndPIM] g.pleaseSavePIM = true");
        LogText("[TOnline::onlineSaveSettingsAndPIM] Saving PIM[0]...");
        pim->Save(false, false);
    }
    if (now - g.LastDataSaveTime > kSaveEverySeconds && TNCommon::GetIdleSeconds() > kIdleBeforeSaveSeconds) {
        LogText("[TOnline::onlineSaveSettingsAndPIM] Saving settings...");
        if (Dirs.UsersSetupFile.Length > 0)
            Setup.Save(Uzivatele, std::string(Dirs.UsersSetupFile.View()));
        LogText("[TOnline::onlineSaveSettingsAndPIM] Saving PIM[0]...");
        pim->Save(false, false);
        g.LastDataSaveTime = now;
    }
    LogText("[TOnline::onlineSaveSettingsAndPIM][END]");
}

void TOnline::onlineCheckOrganizersExistence()
{
    if (g.pleaseCheckOrganizers.exchange(0) != 1)
        return;
    g.Sync2CheckOrganizersExistence();
    if (TNPIM* pim = PIM[0])
        pim->CheckAll();
    TNWindowCalls::gDeskPageChanged();
}

// ---------------------------------------------------------------------------
// Steps that come with later work

void TOnline::onlineGetIdleStatus()
{
    online::onlineGetIdleStatus();
}

void TOnline::onlineSaveBasicProfileSettings()
{
    online::onlineSaveBasicProfileSettings();
}

void TOnline::onlineCreateNewAccount()
{
    online::onlineCreateNewAccount();
}

void TOnline::onlineProceedTests()
{
    online::onlineProceedTests();
}

void TOnline::onlineShowNotificationWindows(int64_t now)
{
    online::onlineShowNotificationWindows(now);
}

void TOnline::onlineDisplayAlerts()
{
    online::onlineDisplayAlerts();
}

void TOnline::onlineGetObjectData()
{
    g.GetNextObjectData();
}

void TOnline::onlineIgnoreOrAcceptContactsRequests()
{
    online::onlineIgnoreOrAcceptContactsRequests();
}

void TOnline::onlineMarkAllNotificationsAsRead()
{
    online::onlineMarkAllNotificationsAsRead();
}

void TOnline::onlineGetAvailableOrganizers(int64_t now)
{
    g.GetAvailableOrganizers(now);
}

void TOnline::onlineOrganizersFullResync(int64_t now)
{
    g.QueueOrganizersFullResync(now);
}
