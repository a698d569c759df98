#pragma once

#include "foundation/string.h"

#include <atomic>
#include <cstdint>
#include <mutex>
#include <utility>
#include <vector>

// The main window's share of the online layer for runs without windows (the
// command-line driver, integration tests): it fills the main-window hooks
// with the UI-update tag consumer, the sign-in continuation of the login
// page and the online timer, and it starts announced updates. Everything it
// does runs on the main loop's thread. One host at a time; it empties its
// hooks again when it ends, and its end is the run's close: a ready update is
// installed then.
class TNHeadlessHost {
public:
    TNHeadlessHost();
    ~TNHeadlessHost();
    TNHeadlessHost(const TNHeadlessHost&) = delete;
    TNHeadlessHost& operator=(const TNHeadlessHost&) = delete;

    // The login button: job 1 with the typed login and password.
    bool SignIn(const char* login, const char* password);

    // The tags the consumer took, in order.
    std::vector<std::pair<int16_t, uint32_t>> TakenTags() const;
    // The intervals the online timer was armed with, in order.
    std::vector<int32_t> OnlineTimerArms() const;
    // timerOnline: runs its handler when it is due by the program's clock;
    // whether it ran. The driver of the loop calls it between tasks.
    bool FireDueOnlineTimer();
    // Milliseconds until timerOnline is due (0 when due), -1 when off.
    int64_t OnlineTimerDueIn() const;
    // timerAfterOnlineLogin's tags as they fired.
    std::vector<int32_t> AfterLoginTags() const;

private:
    static void WakeConsumer();
    static void WakeConsumerAfterSave();
    static void ConsumeOneTag();
    static void AfterOnlineLogin(int32_t tag);
    static void ArmOnlineTimer(int32_t intervalMs);
    void ContinueSignIn();

    static std::atomic<TNHeadlessHost*> current_;
    std::atomic<bool> consumerArmed_{false};
    std::atomic<bool> consumerWaitsForSave_{false};
    mutable std::mutex mutex_;
    TNString typedLogin_;
    TNString typedPassword_;
    std::vector<std::pair<int16_t, uint32_t>> takenTags_;
    std::vector<int32_t> onlineTimerArms_;
    // When timerOnline fires, by the monotonic clock; -1 when off.
    int64_t onlineTimerDue_ = -1;
    std::vector<int32_t> afterLoginTags_;
};
