// The synchronisation pass end to end: the headless host signed in against
// the test service's item store, through the real transport.

#include "foundation/pim_array.h"
#include "model/model_lock.h"
#include "model/pim.h"
#include "online/global.h"
#include "tests/online/sync_world.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace online_test {
namespace {

using test_service::StoredItem;

class SyncTest : public SyncWorld {};

TEST_F(SyncTest, FirstDownloadPagesPerOrganizerAndCommits)
{
    for (int i = 0; i < 250; ++i)
        sync_.SeedRecord(501, "Z\xE1znam " + std::to_string(i));
    for (int i = 0; i < 40; ++i)
        sync_.SeedRecord(502, "Pr\xE1" "ce " + std::to_string(i));
    SignIn();

    EXPECT_EQ(SectionCounts("get-records", "Records", "501"), (std::vector<int>{100, 100, 50}));
    EXPECT_EQ(SectionCounts("get-records", "Records", "502"), (std::vector<int>{40, 0, 0}));

    TNModelReadGuard lock;
    TNPIM& pim = *PIM[0];
    std::map<uint32_t, uint32_t> newest;
    for (const StoredItem& stored : sync_.Items(test_service::kRecords)) {
        const TNPIMRecord* record = pim.Records->GetRecordByID(stored.ID);
        ASSERT_NE(record, nullptr) << stored.ID;
        EXPECT_EQ(record->Changed, stored.Changed);
        EXPECT_EQ(std::string(record->Text.View()), stored.Field("Text"));
        uint32_t& top = newest[stored.Number("OrganizerID")];
        top = std::max<uint32_t>(top, static_cast<uint32_t>(stored.Changed));
    }
    for (uint32_t id : {501u, 502u}) {
        const TNPIMOrganizer* organizer = pim.Organizers.GetOrganizerByID(id);
        ASSERT_NE(organizer, nullptr);
        EXPECT_EQ(organizer->recordsOffset, 0);
        EXPECT_EQ(organizer->recordsLastRequestTime, newest[id]);
    }
    EXPECT_TRUE(service_.Violations().empty());
}

} // namespace
} // namespace online_test
