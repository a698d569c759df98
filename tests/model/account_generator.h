#pragma once

// Builds account data for tests and benchmarks: organizers and records with
// Czech CP1250 texts, multi-day spans, birthdays, pending and deleted items,
// all queued for saving. The same seed gives the same account.

#include "platform/testing/fake_clock.h"
#include "tests/support/scratch_folder.h"

#include <cstdint>
#include <string>

class TNPIM;

namespace model_test {

struct AccountShape {
    int32_t organizers = 5;
    int32_t records = 300;
    // Birthdays and anniversaries among the records, dated 1950 to 2000.
    int32_t birthdays = 10;
    int32_t multiDayPercent = 10;
    int32_t pendingPercent = 3;
    int32_t deletedPercent = 2;
    int32_t textMinBytes = 20;
    int32_t textMaxBytes = 300;
    // Tags spread over the organizers, and assignments of random records to
    // random tags; pendingPercent and deletedPercent hold for them too.
    int32_t tags = 0;
    int32_t tagAssignments = 0;
    uint32_t seed = 1;
};

// The first organizer id, and the first server ids of the records, tags and
// tag assignments.
constexpr uint32_t kFirstOrganizerID = 1000;
constexpr uint32_t kFirstRecordID = 100000;
constexpr uint32_t kFirstTagID = 7000;
constexpr uint32_t kFirstTagAssignID = 900000;

// Appends the account to the set's organizers, records, tags, tag
// assignments and last-request times and queues every item in the set's
// record file. Pending records
// get temporary ids from the set's counter, or PleaseSync.
void GenerateAccount(TNPIM& pim, const AccountShape& shape);

// A CP1250 text of about the given length made of Czech words.
std::string CzechText(uint32_t& state, int32_t length);

// Everything a data set needs outside a test framework: the program's
// globals, the clock at 15 June 2024 12:00 in Prague, a temporary user
// folder with the set's data file, a signed-in user and PIM[0].
class AccountWorkspace {
public:
    AccountWorkspace();
    ~AccountWorkspace();
    AccountWorkspace(const AccountWorkspace&) = delete;
    AccountWorkspace& operator=(const AccountWorkspace&) = delete;

    TNPIM& Pim() { return *pim_; }
    int32_t Fid() const { return fid_; }
    std::string Folder() const { return folder_.Path(); }
    // Puts a fresh set into PIM[0]; the old one is freed.
    TNPIM& FreshSet();

private:
    plat::testing::ScopedFakeClock clock_;
    testing_support::ScratchFolder folder_;
    TNPIM* pim_ = nullptr;
    int32_t fid_ = -1;
    int32_t savedFid_ = -1;
};

} // namespace model_test
