#pragma once

#include "platform/core/thread.h"

#include <cstdint>
#include <ctime>

// One pass of the online thread: whether to synchronise, the fixed sequence
// of steps, and last the arming of the online timer for the next pass. The
// timer's handler (TNGlobal::OnlineTimerFired) makes one per tick once it
// has taken OnlineThreadRunning; the object frees itself.
class TOnline : public plat::TThread {
public:
    TOnline();

protected:
    void Execute() override;

private:
    // The steps, in the order the pass calls them.
    void onlineGetIdleStatus();
    void onlineSaveBasicProfileSettings();
    void onlineCreateNewAccount();
    void onlineProceedTests();
    void onlineShowNotificationWindows(int64_t now);
    bool onlineSynchronise(int64_t now);
    void onlineSaveSettingsAndPIM(int64_t now);
    void onlineDisplayAlerts();
    void onlineCheckOrganizersExistence();
    void onlineGetObjectData();
    void onlineIgnoreOrAcceptContactsRequests();
    void onlineMarkAllNotificationsAsRead();
    void onlineGetAvailableOrganizers(int64_t now);
    void onlineOrganizersFullResync(int64_t now);
    void RunSteps();

    // The id of the item this pass uploaded; 0 when none went up.
    uint32_t uploadedId_ = 0;
    bool shownDataChanged_ = false;
};
