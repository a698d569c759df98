#include "online/global.h"

#include "foundation/app_info.h"
#include "foundation/common.h"
#include "foundation/guard.h"
#include "foundation/log.h"
#include "foundation/pim_array.h"
#include "model/alerts.h"
#include "model/model_lock.h"
#include "model/pim.h"
#include "model/records.h"
#include "online/hooks.h"
#include "online/session_hooks.h"
#include "platform/core/clock.h"
#include "platform/core/main_loop.h"
#include "platform/core/thread.h"

#include <functional>
#include <string>
#include <utility>

namespace {

constexpr int64_t kNotTimerPollMs = 25;
constexpr int32_t kNotTimerPolls = 10000;
constexpr uint32_t kDeletedByService = 999;

// A worker of the alert display and the web link: runs its job once and
// frees itself.
class TSessionWorker final : public plat::TThread {
public:
    TSessionWorker(const char* name, std::function<void()> job) : TThread(name), job_(std::move(job))
    {
        FreeOnTerminate = true;
    }

protected:
    void Execute() override { job_(); }

private:
    std::function<void()> job_;
};

// Starts `job` on a worker while `busy` is clear; false when busy or when
// no thread could be had.
bool StartWorker(const char* name, std::atomic<bool>& busy, std::function<void()> job)
{
    if (busy.exchange(true))
        return false;
    auto* worker = new TSessionWorker(name, [&busy, job = std::move(job)] {
        Guarded("[TSessionWorker]", job);
        busy = false;
    });
    if (!worker->Resume()) {
        delete worker;
        busy = false;
        LogWrite("[g.StartWorker][ERROR] no thread for ", name, false);
        return false;
    }
    return true;
}

// Runs `task` on the main loop after `ms`.
void PostAfter(int64_t ms, std::function<void()> task)
{
    auto* worker = new TSessionWorker("TNotTimerWait", [ms, task = std::move(task)] {
        plat::SleepMilliseconds(ms);
        plat::PostToMainThread(task);
    });
    if (!worker->Resume())
        delete worker;
}

// On the main thread: waits while timerNot is on, then hands the alert to it,
// unless a log-out ended its sign-in meanwhile.
void OpenAlertWhenTimerIsFree(uint32_t alertId, uint32_t generation, int32_t poll)
{
    Guarded("[g.DisplayAlerts][OpenAlert]", [&] {
        if (g.SignInGeneration != generation) {
            LogTextUInt("[g.DisplayAlerts][DROPPED] alert of an earlier sign-in; AlertID = ", alertId);
            return;
        }
        bool busy = SessionHooks.NotTimerEnabled != nullptr && SessionHooks.NotTimerEnabled();
        if (busy && poll < kNotTimerPolls) {
            PostAfter(kNotTimerPollMs,
                      [alertId, generation, poll] { OpenAlertWhenTimerIsFree(alertId, generation, poll + 1); });
            return;
        }
        g.AlertDisplay.NotAlertID = alertId;
        g.AlertDisplay.NotValue = 1;
        g.AlertDisplay.Ring = 1;
        if (MainWindowHooks.ArmNotTimer != nullptr)
            MainWindowHooks.ArmNotTimer(1, 1);
    });
}

struct ChosenAlert {
    uint32_t ID = 0;
    uint32_t OrganizerID = 0;
};

// The due alert with the smallest time whose record exists and is not
// finished; the first of equal ones.
ChosenAlert ChooseDueAlert(TNPIM& pim, int64_t now)
{
    TNModelReadGuard lock;
    ChosenAlert chosen;
    uint32_t chosenTime = 0;
    for (int32_t i = 0; i < pim.Alerts.Count; ++i) {
        const TNPIMAlert* alert = pim.Alerts.Items[i];
        if (alert == nullptr || alert->Type != 1 || alert->Deleted != 0 || alert->AlertTimestamp > now)
            continue;
        if (chosen.ID != 0 && alert->AlertTimestamp >= chosenTime)
            continue;
        int32_t recordPos = pim.Records ? pim.Records->GetRecordPosByID(alert->RecordID) : -1;
        if (recordPos < 0 || pim.Records->Items[recordPos] == nullptr || pim.Records->Items[recordPos]->Finished > 0)
            continue;
        chosen = {alert->ID, alert->OrganizerID};
        chosenTime = alert->AlertTimestamp;
    }
    return chosen;
}

} // namespace

void TNGlobal::DisplayAlerts()
{
    Guarded("[TNGlobal::DisplayAlerts]", [&] {
        if (AlertDisplay.Busy.exchange(true))
            return;
        TNScopeExit release([&] { AlertDisplay.Busy = false; });

        int64_t now = plat::UnixSeconds();
        if (AlertDisplay.LastRunTime >= now)
            return;
        uint32_t generation = SignInGeneration;
        DeleteAcceptedAlerts();
        AlertDisplay.LastRunTime = now;

        TNPIM* pim = PIM[0];
        if (pim == nullptr)
            return;
        ChosenAlert chosen = ChooseDueAlert(*pim, now);
        if (chosen.ID == AlertDisplay.LastShownAlertID)
            return;
        AlertDisplay.AlertShown = 0;
        if (chosen.ID == 0)
            return;
        bool show = GetAlertOnDisplayStatus(chosen.ID, chosen.OrganizerID, Account().Password, OneShotLogin());
        if (SignInGeneration != generation) {
            LogTextUInt("[g.DisplayAlerts][DROPPED] answer of an earlier sign-in; AlertID = ", chosen.ID);
            return;
        }
        if (show) {
            AlertDisplay.AlertShown = 1;
            AlertDisplay.LastShownAlertID = chosen.ID;
            plat::PostToMainThread([id = chosen.ID, generation] { OpenAlertWhenTimerIsFree(id, generation, 0); });
            return;
        }
        TNModelWriteGuard lock;
        if (SignInGeneration != generation) {
            LogTextUInt("[g.DisplayAlerts][DROPPED] answer of an earlier sign-in; AlertID = ", chosen.ID);
            return;
        }
        int32_t pos = pim->Alerts.GetAlertPosByID(chosen.ID);
        if (pos >= 0) {
            // Handled elsewhere: never shown here again.
            pim->Alerts.Items[pos]->Deleted = kDeletedByService;
            pim->Alerts.QueueForSave(pos);
        }
    });
}

bool TNGlobal::OpenWebPageLoggedIn(const TNString& address)
{
    return Guarded("[TNGlobal::OpenWebPageLoggedIn]", false, [&] {
        std::string target;
        if (UserLoginStatus != 1) {
            target = address.IsEmpty() ? std::string(App.WebUrl) : std::string(address.View());
        } else {
            TNString link;
            if (!GetOneTimeLoginLink(OneShotLogin(), Account().Password, true, &link))
                return false;
            target = link.View();
            if (!address.IsEmpty()) {
                TNFormBuilder reload;
                reload.Add("OneTimeReload", address);
                target += "&" + std::string(reload.Text().View());
            }
        }
        return plat::PostToMainThread([target] { c.OpenUrl(target.c_str()); });
    });
}

bool TNGlobal::StartDisplayAlerts()
{
    return StartWorker("TDisplayAlerts", AlertDisplay.WorkerBusy, [] { g.DisplayAlerts(); });
}

bool TNGlobal::StartEmptyLoginWindowStats()
{
    return StartWorker("TEmptyLoginWindowStats", runningEmptyLoginWindowStats,
                       [] { g.SendStatsToServer_EmptyLoginWindowShown(0); });
}

bool TNGlobal::StartOpenWebPageLoggedIn(const TNString& address)
{
    return StartWorker("TOpenWebPage", AlertDisplay.WorkerBusy, [address] { g.OpenWebPageLoggedIn(address); });
}

bool TNGlobal::StartFlagMessageForUsers(uint32_t itemId)
{
    return StartWorker("TFlagMessageForUsers", FlagMessageWorkerBusy,
                       [itemId] { g.FlagMessageForUsers(g.OneShotLogin(), g.Account().Password, false, itemId); });
}
