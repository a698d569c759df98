#pragma once

// The program as the online tests see it: fresh globals with g, a data root,
// a log folder and a headless main loop of their own, the API address at a
// test service with its account service, and alice seeded.

#include "tests/online/online_test_support.h"
#include "tests/service/account_service.h"

#include "platform/core/headless_loop.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

namespace online_test {

// The CP1250 bytes of alice's password "p&ss +1%=ž": every character that
// needs care in a form, an entity or a code page.
inline constexpr const char* kAlicePassword = "p&ss +1%=\x9E";
inline constexpr const char* kAliceLogin = "alice@example.test";
inline constexpr uint32_t kAliceID = 1001;

test_service::Account Alice();

class OnlineWorld : public ServiceTest {
protected:
    OnlineWorld() : accounts_(service_) {}
    void SetUp() override;
    void TearDown() override;

    // Runs the main loop's queued tasks until `done` or the time-out (ms).
    bool PumpUntil(const std::function<bool()>& done, int timeoutMs = 5000);
    // Runs what is queued now.
    void Pump();
    // Fresh globals pointed at the service, as a new run of the program
    // finds them: nothing of the data set in memory is kept.
    void RebuildGlobals();

    // An active user of the list with a record-file slot, as after a sign-in.
    void MakeActiveUser(uint32_t userId, const char* login, const char* password);

    // Lines of the log files holding the CP1250 text.
    int LogLinesContaining(const std::string& text) const;
    // Every byte the log folder holds.
    std::string AllLogBytes() const;

    std::string Root() const { return root_; }
    // The lines the log window was given.
    std::string LogWindowLines() const;
    std::string UsersFile() const;

    test_service::AccountService accounts_;
    std::unique_ptr<plat::HeadlessMainLoop> loop_;

private:
    std::string root_;
    std::atomic<bool> logWindowVisible_{true};
    std::atomic<uint8_t> logWindowBusy_{0};
    static inline std::mutex logWindowMutex_;
    static inline std::string logWindowLines_;
};

} // namespace online_test
