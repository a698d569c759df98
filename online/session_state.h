#pragma once

#include "foundation/string.h"

#include <atomic>
#include <cstdint>
#include <mutex>

// What the login page and the new-account dialog leave for the online pass:
// the pending tests and the texts they test. The main thread writes, the
// online thread takes; texts under the lock.
class TNNewAccountState {
public:
    struct Texts {
        TNString UserName;
        TNString Password;
        TNString UserPath;
        TNString Email;
        // The login typed on the login page (the pre-login test).
        TNString TypedLogin;
        // "UsernameEmail" of the last username test that found the login.
        TNString UsernameEmail;
    };

    std::atomic<uint8_t> PageActive{0};
    std::atomic<uint8_t> RequestPending{0};
    std::atomic<uint8_t> PreLoginTestPending{0};
    std::atomic<uint8_t> UserPathTest{0};
    std::atomic<uint8_t> EmailTest{0};
    std::atomic<uint8_t> NewestVersionTest{0};

    Texts Get() const
    {
        std::lock_guard<std::mutex> guard(mutex_);
        return texts_;
    }
    template <class Change> void Update(Change&& change)
    {
        std::lock_guard<std::mutex> guard(mutex_);
        change(texts_);
    }
    // The login page's name test: the name first, under the lock, then the
    // flag, so the pass that sees the flag copies this name.
    void SetPreLoginTestName(const TNString& login)
    {
        std::lock_guard<std::mutex> guard(mutex_);
        texts_.TypedLogin = login;
    }
    void RequestPreLoginTest() { PreLoginTestPending.store(1, std::memory_order_release); }

    void Reset()
    {
        PageActive = 0;
        RequestPending = 0;
        PreLoginTestPending = 0;
        UserPathTest = 0;
        EmailTest = 0;
        NewestVersionTest = 0;
        std::lock_guard<std::mutex> guard(mutex_);
        texts_ = Texts();
    }

private:
    mutable std::mutex mutex_;
    Texts texts_;
};

// The alert display's state: its busy flag, its last run, the alert shown
// last and the hand-off to the main window's alert timer.
struct TNAlertDisplayState {
    std::atomic<bool> Busy{false};
    // The worker that runs the display and the web link off the main thread.
    std::atomic<bool> WorkerBusy{false};
    std::atomic<int64_t> LastRunTime{0};
    std::atomic<uint32_t> LastShownAlertID{0};
    std::atomic<uint8_t> AlertShown{0};
    // For timerNot: the alert to open and the value 1.
    std::atomic<uint32_t> NotAlertID{0};
    std::atomic<int32_t> NotValue{0};
    // An alert was handed over: its windows ring and blink the tray.
    std::atomic<uint8_t> Ring{0};

    void Reset()
    {
        Ring = 0;
        LastRunTime = 0;
        LastShownAlertID = 0;
        AlertShown = 0;
        NotAlertID = 0;
        NotValue = 0;
    }
};
