#pragma once

// The program signed in as alice against the test service's item store,
// with the headless host's online timer driven from the test's pump.

#include "online/headless_host.h"
#include "tests/online/online_world.h"
#include "tests/service/sync_service.h"

#include <climits>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class TNPIMRecord;

namespace online_test {

class SyncWorld : public OnlineWorld {
protected:
    static constexpr int64_t kNoFullResync = INT64_MAX / 4;

    SyncWorld() : sync_(accounts_) {}
    void SetUp() override;
    void TearDown() override;

    // Signs alice in and runs passes until idle.
    void SignIn();
    // Runs the loop and the online timer until no pass is wanted, none runs,
    // nothing waits for upload and the timer waits for the ordinary interval.
    bool RunUntilIdle(int timeoutMs = 10000);
    // Runs the loop and the timer until `done`.
    bool RunUntil(const std::function<bool()>& done, int timeoutMs = 10000);
    // Ends the run between passes as a crash does (or saved first), loads
    // the data set again from its file and signs alice in again;
    // `beforeSignIn` runs on the fresh globals before any pass can.
    void Restart(bool save, const std::function<void()>& beforeSignIn = {});

    // A local edit as the record editor makes it, under the model lock.
    void EditRecord(uint32_t id, const std::function<void(TNPIMRecord&)>& change);
    // A new record of the organizer, as the editor makes it; its temporary id.
    uint32_t NewRecord(uint32_t organizerId, const char* text);
    TNPIMRecord* Record(uint32_t id) const;

    // The items of a section in each answer of the request name.
    std::vector<int> SectionCounts(const std::string& request, const std::string& section,
                                   const std::string& organizerId = "") const;

    test_service::SyncService sync_;
    std::unique_ptr<TNHeadlessHost> host_;
};

} // namespace online_test
