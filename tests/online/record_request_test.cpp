// Fetching one record for the record editor (job 4) through the real
// transport against the test service's item store.

#include "foundation/pim_array.h"
#include "model/model_lock.h"
#include "model/pim.h"
#include "model/record.h"
#include "model/sharing.h"
#include "online/global.h"
#include "online/hooks.h"
#include "online/login.h"
#include "platform/core/thread.h"
#include "tests/online/sync_world.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace online_test {
namespace {

// What the dialog hook was given on the main loop.
struct HandOver {
    int32_t index = 0;
    uint64_t id = 0;
    std::string text;
    int32_t sharingCount = -1;
};
std::mutex handOversMutex;
std::vector<HandOver> handOvers;

void RecordHandOver(int32_t index, uint64_t id, std::shared_ptr<const TNPIMRecord> record,
                    std::shared_ptr<const TNPIMSharing> sharing)
{
    std::lock_guard<std::mutex> guard(handOversMutex);
    handOvers.push_back({index, id, record ? std::string(record->Text.View()) : "", sharing ? sharing->Count : -1});
}

// Job 4 that tells, as it is freed, where DialogIndex ended.
std::atomic<int32_t> lastDialogIndex{0};
class WatchedJob : public TLogin {
public:
    ~WatchedJob() override { lastDialogIndex = DialogIndex; }
};

class RecordRequestTest : public SyncWorld {
protected:
    void SetUp() override
    {
        SyncWorld::SetUp();
        handOvers.clear();
        lastDialogIndex = 0;
        DialogHooks.HandOverRecordFromServer = &RecordHandOver;
    }
    void TearDown() override
    {
        SyncWorld::TearDown();
        DialogHooks.HandOverRecordFromServer = nullptr;
    }

    uint32_t SeedShare(uint32_t record, uint32_t objectId)
    {
        return sync_.Seed(test_service::kSharing, {{"OrganizerID", "501"},
                                                   {"RecordID", std::to_string(record)},
                                                   {"Type", "2"},
                                                   {"ObjectID", std::to_string(objectId)},
                                                   {"Rights", "1"}});
    }

    // Starts job 4 for the local record as the dialog at depth 2 with
    // identity 77 opened it, and waits until it is freed.
    void RunJob4(uint32_t recordId)
    {
        auto* job = new WatchedJob();
        job->Tag = 4;
        job->DialogIndex = 2;
        job->DialogId = 77;
        {
            TNModelReadGuard lock;
            job->EditedRecord = std::make_unique<TNPIMRecord>(PIM[0]);
            job->EditedRecord->Copy(PIM[0]->Records->GetRecordByID(recordId));
        }
        ASSERT_TRUE(job->Resume());
        ASSERT_TRUE(plat::WaitForRunningThreads(10000));
        Pump();
    }
};

TEST_F(RecordRequestTest, RecordComesBackWithItsSharingOrWithoutAList)
{
    uint32_t shared = sync_.SeedRecord(501, "Sd\xEDlen\xFD");
    SeedShare(shared, 700);
    SeedShare(shared, 701);
    uint32_t alone = sync_.SeedRecord(501, "S\xE1m");
    SignIn();
    sync_.Change(test_service::kRecords, shared, {{"Text", "Nov\xFD text"}});

    std::unique_ptr<TNPIMRecord> record;
    std::unique_ptr<TNPIMSharing> sharing;
    ASSERT_TRUE(g.LoadOneRecordFromServer(shared, 501, 0, &record, &sharing));
    ASSERT_TRUE(record && sharing);
    EXPECT_EQ(record->ID, shared);
    EXPECT_EQ(std::string(record->Text.View()), "Nov\xFD text");
    test_service::StoredItem stored;
    ASSERT_TRUE(sync_.Find(test_service::kRecords, shared, stored));
    EXPECT_EQ(record->Changed, stored.Changed);
    ASSERT_EQ(sharing->Count, 2);
    EXPECT_EQ(sharing->Items[0]->RecordID, shared);
    EXPECT_EQ(sharing->Items[1]->ObjectID, 701u);

    // "sharing-count" 0: the record alone; the caller's list stays.
    std::unique_ptr<TNPIMRecord> second;
    ASSERT_TRUE(g.LoadOneRecordFromServer(alone, 501, 0, &second, &sharing));
    ASSERT_TRUE(second);
    EXPECT_EQ(std::string(second->Text.View()), "S\xE1m");
    EXPECT_EQ(sharing->Count, 2);

    // An unknown record: handshake 1 and no record.
    std::unique_ptr<TNPIMRecord> none;
    EXPECT_FALSE(g.LoadOneRecordFromServer(424242, 501, 0, &none, &sharing));
    EXPECT_FALSE(none);
    EXPECT_TRUE(service_.Violations().empty());
}

TEST_F(RecordRequestTest, ARefusedOrFailingRequestReturnsNothing)
{
    uint32_t id = sync_.SeedRecord(501, "Z\xE1znam");
    SignIn();
    using test_service::ApiFault;
    for (const ApiFault& fault : {ApiFault::WithStatus(500), ApiFault::Refuse(), ApiFault::CutBody(30)}) {
        accounts_.ArmApiFault("get-one-record", fault);
        std::unique_ptr<TNPIMRecord> record;
        std::unique_ptr<TNPIMSharing> sharing;
        EXPECT_FALSE(g.LoadOneRecordFromServer(id, 501, 0, &record, &sharing));
        EXPECT_FALSE(record || sharing);
    }
    std::unique_ptr<TNPIMRecord> record;
    std::unique_ptr<TNPIMSharing> sharing;
    EXPECT_TRUE(g.LoadOneRecordFromServer(id, 501, 0, &record, &sharing));
}

TEST_F(RecordRequestTest, Job4HandsOverOnlyWhatChanged)
{
    uint32_t same = sync_.SeedRecord(501, "Stejn\xFD");
    SeedShare(same, 700);
    uint32_t edited = sync_.SeedRecord(501, "P\xF8vodn\xED");
    uint32_t reshared = sync_.SeedRecord(501, "Sd\xEDlen\xFD");
    SignIn();

    RunJob4(same);
    EXPECT_TRUE(handOvers.empty());
    EXPECT_EQ(lastDialogIndex, -1);

    sync_.Change(test_service::kRecords, edited, {{"Text", "Zm\xECn\xECn\xFD"}});
    RunJob4(edited);
    ASSERT_EQ(handOvers.size(), 1u);
    EXPECT_EQ(handOvers[0].index, 2);
    EXPECT_EQ(handOvers[0].id, 77u);
    EXPECT_EQ(handOvers[0].text, "Zm\xECn\xECn\xFD");
    EXPECT_EQ(handOvers[0].sharingCount, -1);
    EXPECT_EQ(lastDialogIndex, -1);

    // Only the sharing changed: the record is the same, the list is new.
    SeedShare(reshared, 705);
    RunJob4(reshared);
    ASSERT_EQ(handOvers.size(), 2u);
    EXPECT_EQ(handOvers[1].text, "Sd\xEDlen\xFD");
    EXPECT_EQ(handOvers[1].sharingCount, 1);
}

TEST_F(RecordRequestTest, Job4WithoutARecordOrAServiceLeavesTheDialogAlone)
{
    uint32_t id = sync_.SeedRecord(501, "Z\xE1znam");
    SignIn();
    sync_.Change(test_service::kRecords, id, {{"Text", "Jinak"}});
    accounts_.ArmApiFault("get-one-record", test_service::ApiFault::WithStatus(503));
    RunJob4(id);
    EXPECT_TRUE(handOvers.empty());
    EXPECT_EQ(lastDialogIndex, -1);

    auto* job = new WatchedJob();
    job->Tag = 4;
    job->DialogIndex = 1;
    ASSERT_TRUE(job->Resume());
    ASSERT_TRUE(plat::WaitForRunningThreads(10000));
    EXPECT_EQ(lastDialogIndex, -1);
    EXPECT_EQ(accounts_.RequestsNamed("get-one-record").size(), 1u);
}

} // namespace
} // namespace online_test
