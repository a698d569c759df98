// The account data set as a whole: saving, loading, uploading and the
// rights check, on files in a temporary user folder.

#include "foundation/app_info.h"
#include "foundation/pim_array.h"
#include "foundation/users.h"
#include "platform/core/clock.h"
#include "platform/core/file.h"
#include "platform/testing/fake_clock.h"
#include "tests/model/data_set_fixture.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <set>
#include <vector>

namespace {

using model_test::AccountShape;
using model_test::DataSetTest;
using TNPIMData = DataSetTest;

bool WaitsForUpload(const TNPIMRecord& r)
{
    return r.PleaseSync || r.ID >= kFirstLocalID;
}

TEST_F(TNPIMData, RoundTripKeepsEveryStoredField)
{
    AccountShape shape;
    shape.pendingPercent = 12;
    shape.deletedPercent = 12;
    model_test::GenerateAccount(Pim(), shape);
    Records().FinalizeLoading();
    TNPIMRecords& before = Records();

    // What the file must give back: every record but the deleted ones the
    // service already has.
    std::map<uint32_t, const TNPIMRecord*> expected;
    std::set<uint32_t> gone;
    uint32_t highestTemporary = 0;
    bool deletedPending = false;
    for (int32_t i = 0; i < before.Count; ++i) {
        const TNPIMRecord* r = before.Items[i];
        if (r->Virtual) {
            continue;
        }
        if (r->Deleted != 0 && !WaitsForUpload(*r)) {
            gone.insert(r->ID);
            continue;
        }
        deletedPending = deletedPending || r->Deleted != 0;
        expected[r->ID] = r;
        if (r->ID >= kFirstLocalID) {
            highestTemporary = std::max(highestTemporary, r->ID);
        }
    }
    ASSERT_TRUE(deletedPending) << "the account holds a deleted record waiting for upload";
    ASSERT_FALSE(gone.empty());
    model_test::DayIndexSnapshot days = model_test::SnapshotDays(Pim());
    for (auto& [day, filed] : days) {
        std::erase_if(filed, [&](const auto& entry) { return gone.count(std::get<0>(entry)) != 0; });
    }
    std::erase_if(days, [](const auto& day) { return day.second.empty(); });
    std::vector<std::tuple<uint32_t, std::string, uint32_t, uint32_t>> organizers;
    for (int32_t i = 0; i < Pim().Organizers.Count; ++i) {
        const TNPIMOrganizer& o = *Pim().Organizers.Items[i];
        organizers.emplace_back(o.ID, std::string(o.Title.View()), o.Changed, o.Origin);
    }
    uint32_t newestOrganizer = Pim().Organizers.GetLastReq();
    // The set is freed by the reload: keep copies of what is compared.
    std::map<uint32_t, std::unique_ptr<TNPIMRecord>> kept;
    for (const auto& [id, r] : expected) {
        kept[id] = std::make_unique<TNPIMRecord>();
        kept[id]->Copy(r);
        kept[id]->SetJSON();
    }

    TNPIM& fresh = SaveAndReload();

    int32_t stored = 0;
    int32_t copies = 0;
    int32_t copiesWanted = 0;
    for (int32_t i = 0; i < fresh.Records->Count; ++i) {
        const TNPIMRecord& r = *fresh.Records->Items[i];
        if (r.Virtual) {
            const TNPIMRecord& master = *fresh.Records->Items[r.MasterPos];
            EXPECT_EQ(r.ID, master.ID);
            EXPECT_GT(r.Begin.Rok, master.Begin.Rok);
            EXPECT_EQ(r.Begin.Mesic, master.Begin.Mesic);
            ++copies;
            continue;
        }
        if ((r.Type == rtBirthday || r.Type == rtAnniversary) && r.Deleted == 0) {
            copiesWanted += 2100 - r.Begin.Rok;
        }
        ++stored;
        ASSERT_EQ(kept.count(r.ID), 1u) << r.ID;
        model_test::ExpectSameStoredRecord(*kept[r.ID], r);
    }
    EXPECT_EQ(stored, static_cast<int32_t>(expected.size()));
    EXPECT_GT(copiesWanted, 0);
    EXPECT_EQ(copies, copiesWanted) << "the yearly copies are made again";
    EXPECT_GT(fresh.Records->NextID, highestTemporary);
    EXPECT_EQ(fresh.Records->GetNextID(), std::max(highestTemporary + 1, kFirstLocalID));
    ASSERT_EQ(fresh.Organizers.Count, static_cast<int32_t>(organizers.size()));
    for (int32_t i = 0; i < fresh.Organizers.Count; ++i) {
        const TNPIMOrganizer& o = *fresh.Organizers.Items[i];
        EXPECT_EQ(std::make_tuple(o.ID, std::string(o.Title.View()), o.Changed, o.Origin), organizers[i]);
    }
    EXPECT_EQ(fresh.Organizers.OrganizersLastReq, newestOrganizer);
    ASSERT_EQ(fresh.LastRequests.Count, 1) << "one last-request record per type byte";
    const TNPIMLastRequest& last = *fresh.LastRequests.Items[0];
    EXPECT_EQ(last.Type, raftRecord);
    EXPECT_EQ(last.ID, model_test::kFirstOrganizerID + shape.organizers - 1) << "the one queued last";
    EXPECT_EQ(last.Time, 1709000000u + static_cast<uint32_t>(shape.organizers - 1));
    EXPECT_EQ(model_test::SnapshotDays(fresh), days) << "the index lists the same days, copies included";
}

TEST_F(TNPIMData, LoadEmptiesTheIndexOfRecordsFiledBefore)
{
    AddOrganizer(1000);
    AddRecord(501, 1000, "2024-03-10 09:30");
    Pim().Save(true, false);
    raf.closeFile(workspace_.Fid(), false);
    // The sign-in download files a record before the file is loaded.
    AddRecord(777, 1000, "2024-03-12 08:00");
    ASSERT_EQ(Pim().GetAllDaysItem(2024, 3, 12)->Count, 1);

    Pim().Load(nullptr);

    EXPECT_EQ(Pim().GetAllDaysItem(2024, 3, 12)->Count, 0) << "no day shows a record that is gone";
    ASSERT_EQ(Pim().GetAllDaysItem(2024, 3, 10)->Count, 1);
    EXPECT_EQ(Pim().GetAllDaysItem(2024, 3, 10)->Items[0], Records().GetRecordByID(501));
}

TEST_F(TNPIMData, ConfirmedUploadLeavesTheNewIdInTheFile)
{
    AddOrganizer(1000);
    struct Case {
        const char* name;
        const char* begin;
        int32_t type;
        int32_t copies;
    };
    const Case cases[] = {
        {"event", "2024-03-10 09:30", rtEvent, 0},
        {"birthday", "1990-05-17", rtBirthday, 110},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        uint32_t temp = Records().GetNextID();
        int32_t pos = AddRecord(temp, 1000, c.begin, nullptr, c.type);
        Records().Items[pos]->PleaseSync = true;
        Pim().Save(false, false);
        int32_t count = Records().Count;

        TNString body;
        ASSERT_EQ(Records().GetDataToSync(&body), temp);
        EXPECT_NE(body.View().find("&ItemID=" + std::to_string(temp)), std::string_view::npos);
        Records().DataUpSynced(temp, 5123 + pos, 1718000000);

        EXPECT_EQ(Records().GetRecordPosByID(temp), pos) << "found by its old id";
        EXPECT_EQ(Records().GetRecordPosByID(5123 + pos), pos);
        EXPECT_EQ(Records().Count, count) << "the copies are refilled, not appended";
        int32_t copies = 0;
        Records().ForEachPosOfID(5123 + pos, [&](int32_t p) { copies += Records().Items[p]->Virtual ? 1 : 0; });
        EXPECT_EQ(copies, c.copies) << "the copies carry the new id";
        EXPECT_TRUE(Stored(temp)) << "queued for the save of the confirmations";
        EXPECT_FALSE(Stored(5123 + pos));
        Pim().Save(false, false);
        EXPECT_TRUE(Stored(5123 + pos)) << "on disk under the new id after the save";
        EXPECT_FALSE(Stored(temp));
    }

    TNPIM& fresh = SaveAndReload();
    for (uint32_t id : {5123u, 5124u}) {
        TNPIMRecord* r = fresh.Records->GetRecordByID(id);
        ASSERT_NE(r, nullptr) << id;
        EXPECT_FALSE(r->PleaseSync);
        EXPECT_EQ(r->Changed, 1718000000u);
    }
    for (int32_t i = 0; i < fresh.Records->Count; ++i) {
        EXPECT_LT(fresh.Records->Items[i]->ID, kFirstLocalID) << "no temporary record is left";
    }
    int32_t copies = 0;
    fresh.Records->ForEachPosOfID(5124, [&](int32_t p) { copies += fresh.Records->Items[p]->Virtual ? 1 : 0; });
    EXPECT_EQ(copies, 110);
}

TEST_F(TNPIMData, OldRecordStaysWhileItsNewOneCannotBeWritten)
{
    AddOrganizer(1000);
    uint32_t temp = Records().GetNextID();
    AddRecord(temp, 1000, "2024-03-10 09:30");
    Pim().Save(false, false);
    // Confirmed while the file is closed: both changes wait for the save.
    raf.closeFile(workspace_.Fid(), false);
    Records().DataUpSynced(temp, 5200, 1718000000);
    raf.openFile(workspace_.Fid());

    // The log writes too: off, so that the record's write is the one that fails.
    App.WriteLog = 0;
    plat::FailNthWrite(1);
    Pim().Save(false, false);
    plat::FailNthWrite(0);
    App.WriteLog = 1;
    EXPECT_TRUE(Stored(temp)) << "not holed before the record under its new id is on disk";

    Pim().Save(false, false);
    EXPECT_TRUE(Stored(5200));
    EXPECT_FALSE(Stored(temp));
}

TEST_F(TNPIMData, ConfirmationWithTheSameIdKeepsTheStoredRecord)
{
    AddOrganizer(1000);
    int32_t pos = AddRecord(6001, 1000, "2024-03-10 09:30");
    Pim().Save(false, false);
    Records().Items[pos]->PleaseSync = true;

    Records().DataUpSynced(6001, 6001, 1718000000);

    TNPIM& fresh = Reload();
    ASSERT_NE(fresh.Records->GetRecordByID(6001), nullptr) << "a crash before the next save loses nothing";
}

TEST_F(TNPIMData, LocalDeletionSurvivesARestartUntilConfirmed)
{
    AddOrganizer(1000);
    int32_t pos = AddRecord(6001, 1000, "2024-03-10 09:30");
    Pim().Save(false, false);
    Records().Items[pos]->PleaseSync = true;
    Records().SaveOrDeleteRecordByPos(pos, true);

    TNPIM& fresh = SaveAndReload();
    TNPIMRecord* deleted = fresh.Records->GetRecordByID(6001);
    ASSERT_NE(deleted, nullptr);
    EXPECT_GT(deleted->Deleted, 0u);
    TNString body;
    EXPECT_EQ(fresh.Records->GetDataToSync(&body), 6001u) << "the deletion is offered for upload";
    EXPECT_NE(body.View().find("&Deleted=1718445600"), std::string_view::npos);

    fresh.Records->DataUpSynced(6001, 6001, 1718000100);
    fresh.Save(false, false);
    EXPECT_FALSE(Stored(6001)) << "a hole once the service has it";
}

// The service need not send a new time: the confirmation alone must end the
// stored record's pending state, and a confirmed deletion must become a hole.
TEST_F(TNPIMData, ConfirmationWithoutANewTimeEndsThePendingStateOnDisk)
{
    AddOrganizer(1000);
    int32_t kept = AddRecord(6001, 1000, "2024-03-10 09:30");
    int32_t gone = AddRecord(6002, 1000, "2024-03-11 09:30");
    Pim().Save(false, false);
    Records().Items[kept]->PleaseSync = true;
    Records().SaveOrDeleteRecordByPos(kept, false);
    Records().Items[gone]->PleaseSync = true;
    Records().SaveOrDeleteRecordByPos(gone, true);
    Pim().Save(false, false);

    Records().DataUpSynced(6001, 6001, 0);
    Records().DataUpSynced(6002, 6002, 0);
    TNPIM& fresh = SaveAndReload();
    EXPECT_FALSE(Stored(6002)) << "the confirmed deletion is a hole";
    TNPIMRecord* record = fresh.Records->GetRecordByID(6001);
    ASSERT_NE(record, nullptr);
    EXPECT_FALSE(record->PleaseSync);
    TNString body;
    EXPECT_EQ(fresh.Records->GetDataToSync(&body), 0u) << "nothing goes up again after a restart";
}

TEST_F(TNPIMData, RightsTextAppliesTriplesAndAnEmptyTextChangesNothing)
{
    AddOrganizer(7, 20, 50);
    AddOrganizer(12, 20, 50);
    AddOrganizer(15, 20, 50);
    struct Case {
        const char* name;
        const char* text;
        uint32_t origin[3];
        uint32_t subscribe[3];
    };
    const Case cases[] = {
        {"empty: an offline start", "", {50, 50, 50}, {20, 20, 20}},
        {"commas and semicolons", "12,3,1;15,1,0;", {0, 3, 1}, {0, 1, 0}},
        {"ends after the rights", "7,2", {2, 0, 0}, {0, 0, 0}},
        {"unknown organizer", "99,1,1;", {0, 0, 0}, {0, 0, 0}},
    };
    for (const Case& c : cases) {
        Pim().UsersOrganizers.Set(c.text);
        ++Pim().UsersOrganizersLastRecalc;
        Pim().CheckAndUpdateUsersOrganizersRightsAndSubscriptions();
        for (int32_t i = 0; i < 3; ++i) {
            EXPECT_EQ(Pim().Organizers.Items[i]->Origin, c.origin[i]) << c.name << " " << i;
            EXPECT_EQ(Pim().Organizers.Items[i]->Subscribe, c.subscribe[i]) << c.name << " " << i;
        }
    }
}

TEST_F(TNPIMData, EachSetLoadsAndSavesItsOwnFile)
{
    AddOrganizer(1000);
    AddRecord(501, 1000, "2024-03-10 09:30");
    Pim().Save(false, false);

    int32_t savedCount = App.PimServersCount;
    std::string savedDomain = App.WebDomain[1];
    App.PimServersCount = 2;
    std::snprintf(App.WebDomain[1], sizeof App.WebDomain[1], "druhy.example");
    auto* second = new TNPIM(1);
    ASSERT_TRUE(PIM.Append(second));
    second->Load(nullptr);
    int32_t fid = second->RecordFileSlot();
    ASSERT_TRUE(raf.isFileReady(fid));
    EXPECT_NE(fid, App.raFileAllPIM);
    EXPECT_EQ(second->Records->Count, 0) << "the first set's file is not the second's";
    EXPECT_EQ(raf.Items[static_cast<size_t>(fid)]->raFile, workspace_.Folder() + "pim-druhy.example.dld");

    TNPIMRecords& records = *second->Records;
    ASSERT_TRUE(records.Resize(1));
    records.Items[0]->ID = 902;
    records.Items[0]->OrganizerID = 3;
    records.NoteIDChanged(0);
    records.SaveOrDeleteRecordByPos(0, false);
    second->Save(true, false);
    second->Load(nullptr);
    ASSERT_EQ(second->Records->Count, 1);
    EXPECT_EQ(second->Records->Items[0]->ID, 902u);
    EXPECT_FALSE(Stored(902));
    EXPECT_TRUE(Stored(501));

    raf.closeFile(fid, true);
    App.PimServersCount = savedCount;
    std::snprintf(App.WebDomain[1], sizeof App.WebDomain[1], "%s", savedDomain.c_str());
}

TEST_F(TNPIMData, LoadWithoutASignedInUserKeepsWhatIsInMemory)
{
    AddOrganizer(1000);
    AddRecord(7, 1000, "1990-05-17", nullptr, rtBirthday);
    Uzivatele.AktivniUzivatel = -1;
    Pim().Load(nullptr);
    EXPECT_NE(Records().GetRecordByID(7), nullptr);
    int32_t copies = 0;
    Records().ForEachPosOfID(7, [&](int32_t p) { copies += Records().Items[p]->Virtual ? 1 : 0; });
    EXPECT_EQ(copies, 110) << "finishing the load refills the copies, it does not add more";
    ASSERT_NE(Pim().GetAllDaysItem(2000, 5, 17), nullptr);
    EXPECT_EQ(Pim().GetAllDaysItem(2000, 5, 17)->Count, 1);
}

TEST_F(TNPIMData, OrganizerLookUpFollowsIdsSetInPlace)
{
    AddOrganizer(10);
    AddOrganizer(20);
    EXPECT_EQ(Pim().Organizers.GetOrganizerPosByID(20), 1);
    Pim().Organizers.Items[1]->ID = 30;
    Pim().Organizers.Items[0]->ID = 20;
    EXPECT_EQ(Pim().Organizers.GetOrganizerPosByID(20), 0);
    EXPECT_EQ(Pim().Organizers.GetOrganizerPosByID(30), 1);
    EXPECT_EQ(Pim().Organizers.GetOrganizerPosByID(10), -1);
}

TEST_F(TNPIMData, CheckAllRunsOncePerFiveHours)
{
    Pim().CheckAll();
    time_t first = Pim().LastCheckAllTime;
    EXPECT_GT(first, 0);
    Pim().LastCheckAllTime = first - 100;
    Pim().CheckAll();
    EXPECT_EQ(Pim().LastCheckAllTime, first - 100) << "within five hours nothing is checked";
}

std::vector<int32_t> reportedProgress;
int32_t reportedTotal = 0;

// Moves the fake clock two seconds on at the first report.
void RecordProgress(uint16_t tag, int32_t done, int32_t total)
{
    if (tag != TNPIM::kProgressLoadingCount)
        return;
    reportedProgress.push_back(done);
    reportedTotal = total;
    if (done == 1)
        dynamic_cast<plat::testing::FakeClock&>(plat::CurrentClock()).Advance(2000);
}

// Between the first and the last item, progress is reported once two
// seconds have passed on the clock the tests drive.
TEST_F(TNPIMData, LoadReportsProgressByTheClock)
{
    AddOrganizer(1000);
    for (uint32_t id = 501; id <= 505; ++id)
        AddRecord(id, 1000, "2024-03-10 09:30");
    Pim().Save(true, false);
    raf.closeFile(workspace_.Fid(), false);
    reportedProgress.clear();
    workspace_.FreshSet().Load(&RecordProgress);
    ASSERT_GE(reportedTotal, 6);
    EXPECT_EQ(reportedProgress, (std::vector<int32_t>{1, 2, reportedTotal}));
}

} // namespace
