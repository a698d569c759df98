#include "online/online_steps.h"

#include "foundation/common.h"
#include "foundation/guard.h"
#include "foundation/log.h"
#include "foundation/pim_array.h"
#include "foundation/setup.h"
#include "model/alerts.h"
#include "model/model_lock.h"
#include "model/pim.h"
#include "online/global.h"
#include "online/window_calls.h"
#include "online/window_state.h"
#include "platform/core/clock.h"

#include <algorithm>
#include <atomic>

namespace online {

namespace {

constexpr uint32_t kDeletedByService = 999;
// The key of an alert's display-status request among the back-offs.
constexpr int32_t kAlertType = 4;

std::atomic<uint32_t> screenStamp{1};
std::atomic<uint32_t> slotStamps[TNWindowState::kNotWindowSlots] = {};

// Whether the alert of a window on screen is still to be shown; marks it
// handled (Deleted 999, saved) when the service says so.
bool AlertStillShown(uint32_t alertId)
{
    TNPIM* pim = PIM[0];
    if (pim == nullptr)
        return false;
    uint32_t organizer = 0;
    uint32_t deleted = 0;
    {
        TNModelReadGuard lock;
        int32_t pos = pim->Alerts.GetAlertPosByID(alertId);
        if (pos < 0)
            return true;
        organizer = pim->Alerts.Items[pos]->OrganizerID;
        deleted = pim->Alerts.Items[pos]->Deleted;
    }
    if (deleted > 0)
        return false;
    // Without an answer the window stays, and the next request waits as a
    // failed upload does instead of going out at every pass.
    if (g.AlertStatusBackOff.BackingOff(kAlertType, alertId, plat::MonotonicMilliseconds()))
        return true;
    uint32_t generation = g.SignInGeneration;
    bool answered = false;
    const bool shown = g.GetAlertOnDisplayStatus(alertId, organizer, g.Account().Password, g.OneShotLogin(), &answered);
    if (!answered) {
        const int64_t bound =
            std::max<int64_t>(static_cast<int64_t>(g.SyncInterval.load()) * 1000, TNUploadBackOff::kFirstDelayMs);
        g.AlertStatusBackOff.Failed(kAlertType, alertId, plat::MonotonicMilliseconds(), bound);
        return true;
    }
    g.AlertStatusBackOff.Succeeded(kAlertType, alertId);
    if (shown)
        return true;
    TNModelWriteGuard lock;
    if (g.SignInGeneration != generation)
        return true;
    int32_t pos = pim->Alerts.GetAlertPosByID(alertId);
    if (pos >= 0) {
        pim->Alerts.Items[pos]->Deleted = kDeletedByService;
        pim->Alerts.QueueForSave(pos);
    }
    return false;
}

} // namespace

void SetNotWindowScreenStamp(uint32_t stamp)
{
    screenStamp = stamp;
}

void onlineGetIdleStatus()
{
    g.GetUserIdleStatus();
}

void onlineCreateNewAccount()
{
    Guarded("[TOnline::onlineCreateNewAccount]", [] {
        if (g.NewAccount.RequestPending.exchange(0) == 0)
            return;
        TNNewAccountState::Texts texts = g.NewAccount.Get();
        int32_t result = g.CreateNewAccount(texts.UserName, texts.Password, texts.UserPath);
        LogTextInt("[TOnline::onlineCreateNewAccount] result = ", result);
    });
}

void onlineProceedTests()
{
    Guarded("[TOnline::onlineProceedTests]", [] {
        TNNewAccountState& state = g.NewAccount;
        if (state.NewestVersionTest.exchange(0) != 0)
            g.GetNewestVersion();
        uint8_t pathTest = 1;
        if (state.UserPathTest.compare_exchange_strong(pathTest, 0))
            g.UsernamePathNotExists(state.Get().UserPath);
        if (state.EmailTest.exchange(0) != 0)
            g.EmailNotExists(state.Get().Email);
        if (state.PreLoginTestPending == 0)
            return;
        TNString login = state.Get().TypedLogin;
        const char* text = login.Text != nullptr ? login.Text : "";
        // Nothing is sent for a login that cannot be one; the test waits.
        if (c.CheckEmail(text, false) != 1 && !TNCommon::IsDigitsOnly(text) && !TNCommon::CheckLogin(text))
            return;
        int32_t result = g.UsernameExists(login);
        if (result == 1 || result == 2)
            TNWindowCalls::ArmMainFromOnline(result);
        state.PreLoginTestPending = 0;
    });
}

void onlineShowNotificationWindows(int64_t)
{
    Guarded("[TOnline::onlineShowNotificationWindows]", [&] {
        bool wakeMonitor = Setup.GetBool("Settings_TurnMonitorOn");
        for (int32_t slot = 0; slot < TNWindowState::kNotWindowSlots; ++slot) {
            int64_t alertId = WindowState.NotWindowAlertID[slot];
            if (alertId < 0)
                continue;
            uint32_t stamp = screenStamp;
            if (slotStamps[slot].exchange(stamp) != stamp)
                TNWindowCalls::UpdateNotWindowPosition(slot);
            if (wakeMonitor)
                TNWindowCalls::TurnMonitorOn();
            bool shown = AlertStillShown(static_cast<uint32_t>(alertId));
            if (!shown)
                TNWindowCalls::CloseNotWindow(slot);
        }
    });
}

void onlineDisplayAlerts()
{
    if (g.UserLoginStatus == 1)
        g.DisplayAlerts();
}

} // namespace online
