#include "foundation/common.h"
#include "foundation/hooks.h"
#include "foundation/record_file_set.h"
#include "model/pim.h"
#include "tests/model/model_test_support.h"

#include <gtest/gtest.h>

namespace {

using model_test::ReadFixture;

// A data set with a signed-in user and the log captured.
class TNPIMFile : public ::testing::Test {
protected:
    model_test::Environment environment_;
    model_test::LogCapture log_;
    model_test::ActiveUser user_{77};
    model_test::DataSet set_;

    TNPIM& Pim() { return set_.Pim(); }
    TNRAFile& File() { return *raf.Items[static_cast<size_t>(set_.Fid())]; }

    // A stored record body read back through the record's own Load.
    bool StoredRecord(uint32_t id, TNPIMRecord& out)
    {
        return set_.ReadStored(raftRecord, id, [&](plat::ByteReader& in) { return out.Load(in); });
    }
    int32_t AddRecord(uint32_t id, uint32_t organizerID)
    {
        TNPIMRecord& record = set_.NewRecord();
        record.ID = id;
        record.OrganizerID = organizerID;
        record.Text.Set("Schůzka");
        Pim().Records->NoteIDChanged(Pim().Records->Count - 1);
        return Pim().Records->Count - 1;
    }
};

TEST_F(TNPIMFile, LoadKeepsWhatItCannotReadAndLoadsTheRest)
{
    set_.StoreRaw(raftOrganizer, 512, ReadFixture("organizer_v2.bin"));
    set_.StoreRaw(raftRecord, 81234, ReadFixture("record_v3.bin"));
    set_.StoreRaw(raftRecord, 81235, ReadFixture("record_v5.bin"));
    set_.StoreRaw(raftRecord, 81236, ReadFixture("record_long_string.bin"));
    set_.StoreRaw(raftRecord, 81237, ReadFixture("record_cut_short.bin"));
    set_.StoreRaw(14, 5, std::string("\x01\x02\x03", 3));
    set_.StoreRaw(raftRecord, 99, ReadFixture("record_v3.bin"));
    set_.HoleRaw(raftRecord, 99);
    set_.Reopen();
    std::string before = set_.FileBytes();

    Pim().Load(nullptr);

    ASSERT_EQ(Pim().Organizers.Count, 1);
    EXPECT_EQ(Pim().Organizers.Items[0]->ID, 512u);
    ASSERT_EQ(Pim().Records->Count, 1) << "only the readable record stays";
    EXPECT_EQ(Pim().Records->Items[0]->ID, 81234u);
    EXPECT_EQ(log_.CountContaining("[TNPIM::Load][ERROR] Unreadable record dropped; "), 3);
    Pim().Save(false, false);
    EXPECT_EQ(set_.FileBytes(), before) << "records of a newer program stay as they are";
}

TEST_F(TNPIMFile, SaveKeepsAPendingDeletionUntilTheServiceHasIt)
{
    struct Case {
        const char* name;
        uint32_t id;
        bool pleaseSync;
        bool stored;
    };
    const Case cases[] = {
        {"temporary id", kFirstLocalID + 3, false, true},
        {"waits for upload", 6001, true, true},
        {"uploaded", 6002, false, false},
    };
    for (const Case& c : cases) {
        int32_t pos = AddRecord(c.id, 512);
        TNPIMRecord& record = *Pim().Records->Items[pos];
        record.PleaseSync = c.pleaseSync;
        set_.StoreRaw(raftRecord, c.id, ReadFixture("record_v3.bin"));
        record.Deleted = 1718000000;
        File().add_toSave(raftRecord, c.id, pos, record.Deleted, true, false);
    }
    Pim().Save(false, false);
    for (const Case& c : cases) {
        TNPIMRecord stored;
        EXPECT_EQ(StoredRecord(c.id, stored), c.stored) << c.name;
        if (c.stored) {
            EXPECT_EQ(stored.ID, c.id) << c.name;
            EXPECT_EQ(stored.Deleted, 1718000000u) << c.name;
        }
    }
    EXPECT_EQ(File().toSaveCount(), 0);

    // Once confirmed, the next save holes it.
    TNPIMRecord& confirmed = *Pim().Records->Items[1];
    confirmed.PleaseSync = false;
    File().add_toSave(raftRecord, confirmed.ID, 1, confirmed.Deleted, true, false);
    Pim().Save(false, false);
    TNPIMRecord gone;
    EXPECT_FALSE(StoredRecord(6001, gone));
}

TEST_F(TNPIMFile, SaveFollowsMovedItemsAndWritesOffEntriesThatNeverMatch)
{
    AddRecord(7001, 512);
    AddRecord(7002, 512);
    int32_t virtualPos = AddRecord(7003, 512);
    Pim().Records->Items[virtualPos]->Virtual = true;
    File().add_toSave(raftRecord, 7002, 0, 0, true, false); // moved: now at 1
    File().add_toSave(raftRecord, 7009, 0, 0, true, false); // gone
    File().add_toSave(raftRecord, 7003, virtualPos, 0, true, false);
    File().add_toSave(14, 32, 0, 0, true, false); // no such type

    Pim().Save(false, false);

    TNPIMRecord stored;
    EXPECT_TRUE(StoredRecord(7002, stored));
    EXPECT_FALSE(StoredRecord(7003, stored));
    EXPECT_EQ(log_.CountContaining("[TNPIM::Save][WRITE_OFF] No item for the queue entry; id = 7009"), 1);
    EXPECT_EQ(log_.CountContaining("[TNPIM::Save][WRITE_OFF] The item writes no record; id = 7003"), 1);
    EXPECT_EQ(set_.QueueItem(raftRecord, 7009), -1);
    EXPECT_EQ(set_.QueueItem(14, 32), -1);
    EXPECT_EQ(log_.CountContaining("[TNPIM::Save][ERROR] Unknown toSave->Type: 14"), 1);

    Pim().Save(false, false);
    EXPECT_EQ(log_.CountContaining("[WRITE_OFF] No item"), 1) << "written off once";
    EXPECT_EQ(log_.CountContaining("Unknown toSave->Type"), 1);
}

// A deletion queued at a yearly copy is the copy's: the copy writes no
// record, so the entry is written off once, and its master's record stays.
TEST_F(TNPIMFile, DeletionOfACopyIsWrittenOffAndKeepsTheMaster)
{
    int32_t master = AddRecord(7004, 512);
    File().add_toSave(raftRecord, 7004, master, 0, true, false);
    Pim().Save(false, false);
    int32_t copy = AddRecord(7004, 512);
    Pim().Records->Items[copy]->Virtual = true;
    Pim().Records->Items[copy]->Deleted = 1;
    File().add_toSave(raftRecord, 7004, copy, 1, true, false);

    Pim().Save(false, false);
    Pim().Save(false, false);

    TNPIMRecord stored;
    EXPECT_TRUE(StoredRecord(7004, stored));
    EXPECT_EQ(set_.QueueItem(raftRecord, 7004), -1);
    EXPECT_EQ(log_.CountContaining("[TNPIM::Save][WRITE_OFF] The item writes no record; id = 7004"), 1);
}

TEST_F(TNPIMFile, SaveWithNothingQueuedOnlyLogs)
{
    pimDataReceived = false;
    Pim().Save(false, false);
    EXPECT_EQ(log_.CountContaining("[PIM::Save] No need to save PIM. Exiting."), 1);
    pimDataReceived = true;
    Pim().Save(false, false);
    EXPECT_EQ(log_.CountContaining("[TNPIM::Save][FINISH] really_saved = 0"), 1);
    pimDataReceived = false;
}

TEST_F(TNPIMFile, SaveAndLoadStepAsideWhileBusy)
{
    c.SyncIsRunning = 1;
    Pim().Save(false, false);
    c.SyncIsRunning = 0;
    EXPECT_EQ(log_.CountContaining("[TNPIM::Save][RETURN] c.SyncIsRunning = true"), 1);
    Pim().SavingPimNow = true;
    Pim().Save(false, false);
    EXPECT_EQ(log_.CountContaining("[TNPIM::Save][RETURN] SavingPimNow = true"), 1);
    Pim().SavingPimNow = false;
}

TEST(TNPIM, InitPointsItemsAtTheSetInitialisedLast)
{
    model_test::Environment environment;
    {
        TNPIM first(0);
        EXPECT_EQ(CurrentPIMOrganizers, &first.Organizers);
        EXPECT_EQ(CurrentPIMLastRequests, &first.LastRequests);
        {
            TNPIM second(1);
            EXPECT_EQ(CurrentPIMOrganizers, &second.Organizers);
            EXPECT_EQ(CurrentPIMLastRequests, &second.LastRequests);
            ASSERT_TRUE(second.Organizers.Resize(1));
            EXPECT_EQ(second.Organizers.Items[0]->pim_srv_pos, 1);
            first.Init();
            EXPECT_EQ(CurrentPIMOrganizers, &first.Organizers);
        }
        EXPECT_EQ(CurrentPIMOrganizers, &first.Organizers);

        ASSERT_NE(first.Records, nullptr);
        EXPECT_EQ(first.Records->ParentPIM, &first);
        ASSERT_TRUE(first.Records->Resize(1));
        EXPECT_EQ(first.Records->Items[0]->ParentPIM, &first);
        first.UserID = 77;
        first.Records->UserOrganizerID = 512;
        first.Records->NextID = kFirstLocalID + 9;
        first.Init();
        EXPECT_EQ(first.UserID, 0u);
        EXPECT_EQ(first.Records->UserOrganizerID, 0u);
        EXPECT_EQ(first.Records->NextID, kFirstLocalID);
    }
    EXPECT_EQ(CurrentPIMOrganizers, nullptr) << "no pointer into a set that is gone";
    EXPECT_EQ(CurrentPIMLastRequests, nullptr);
}

TEST(TNPIM, FactoryMakesTheSetsOfPIM)
{
    model_test::Environment environment;
    TNFoundationHooks saved = FoundationHooks;
    InstallPIMFactory();
    ASSERT_NE(FoundationHooks.CreatePIM, nullptr);
    TNPIM* pim = FoundationHooks.CreatePIM(2);
    ASSERT_NE(pim, nullptr);
    EXPECT_EQ(pim->pimSrvPos, 2);
    EXPECT_EQ(pim->Organizers.ParentPIM, pim);
    FoundationHooks.DestroyPIM(pim);
    FoundationHooks.CreatePIM = saved.CreatePIM;
    FoundationHooks.DestroyPIM = saved.DestroyPIM;
}

} // namespace
