// The rhythm of the online pass: the re-arming of the timer, one pass at a
// time, the back-off of refused uploads and changes that cross an upload.

#include "foundation/local_ids.h"
#include "foundation/pim_array.h"
#include "model/model_lock.h"
#include "model/pim.h"
#include "online/global.h"
#include "online/window_state.h"
#include "platform/core/clock.h"
#include "platform/core/file.h"
#include "platform/core/thread.h"
#include "platform/testing/fake_clock.h"
#include "tests/online/sync_world.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>

namespace online_test {
namespace {

using test_service::ApiFault;

class PassTest : public SyncWorld {
protected:
    int Count(const std::string& name) const { return static_cast<int>(accounts_.RequestsNamed(name).size()); }
    int UploadsOf(uint32_t id) const
    {
        int count = 0;
        for (const auto& request : accounts_.RequestsNamed("upsync"))
            count += test_service::FieldValue(request.Fields, "UpSyncID") == std::to_string(id) ? 1 : 0;
        return count;
    }
    int32_t LastArm() const
    {
        std::vector<int32_t> arms = host_->OnlineTimerArms();
        return arms.empty() ? -1 : arms.back();
    }
    // From now on the program's clock moves only when the test moves it.
    void UseFakeClock()
    {
        int64_t unix = plat::UnixMilliseconds();
        clock_.Advance(plat::MonotonicMilliseconds());
        clock_.SetUnixMilliseconds(unix);
        plat::SetClock(&clock_);
    }
    void TearDown() override
    {
        SyncWorld::TearDown();
        plat::SetClock(nullptr);
    }
    // Runs what is due now.
    void Settle()
    {
        ASSERT_TRUE(RunUntil([&] {
            return g.OnlineThreadRunning == 0 && plat::RunningThreadCount() == 0 && host_->OnlineTimerDueIn() > 0;
        }));
    }
    // Settles and moves the clock to the timer's next tick until `done`.
    bool TickUntil(const std::function<bool()>& done)
    {
        for (int guard = 0; guard < 60; ++guard) {
            Settle();
            if (done())
                return true;
            clock_.Advance(host_->OnlineTimerDueIn());
        }
        return false;
    }
    plat::testing::FakeClock clock_;
};

TEST_F(PassTest, RearmFollowsTheWishThePageTheIntervalAndTheBackOff)
{
    g.FastPassDelayMs = 250;
    struct Case {
        const char* name;
        uint8_t wish;
        const char* page;
        int32_t syncInterval;
        int64_t backOffInMs;
        int32_t expected;
    };
    const Case cases[] = {
        {"a wish after the pass", 1, "Kalendar", 1200, -1, 250},
        {"the login page", 0, "Login", 1200, -1, 5250},
        {"the ordinary interval", 0, "Kalendar", 3, -1, 3000},
        {"an interval of 0", 0, "Kalendar", 0, -1, 250},
        {"an earlier back-off deadline", 0, "Kalendar", 1200, 1000, 1000},
        {"a later back-off deadline", 0, "Kalendar", 3, 8000, 3000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        g.UploadBackOff.Clear();
        g.NewSyncWanted = c.wish;
        WindowState.SetActivePage(c.page);
        g.SyncInterval = c.syncInterval;
        if (c.backOffInMs > 0) {
            g.UploadBackOff.Failed(1, 4200000001u, plat::MonotonicMilliseconds() + c.backOffInMs - 1000, 60000);
        }
        g.RearmOnlineTimer();
        Pump();
        int32_t arm = LastArm();
        if (c.backOffInMs > 0 && c.expected == c.backOffInMs) {
            EXPECT_LE(arm, c.expected);
            EXPECT_GE(arm, c.expected - 100);
        } else {
            EXPECT_EQ(arm, c.expected);
        }
    }
}

// A change waiting to go up brings the next pass at once, wish or no wish.
TEST_F(PassTest, APendingUploadWithoutAWishRearmsAtOnce)
{
    SignIn();
    ASSERT_TRUE(RunUntilIdle());
    g.FastPassDelayMs = 250;
    g.SyncInterval = 1200;
    WindowState.SetActivePage("Kalendar");
    g.NewSyncWanted = 0;
    g.RearmOnlineTimer();
    Pump();
    EXPECT_EQ(LastArm(), 1200000) << "nothing pending: the ordinary interval";

    ASSERT_NE(NewRecord(501, "\xC8"
                             "ek\xE1 na odesl\xE1n\xED"),
              0u);
    g.NewSyncWanted = 0;
    g.RearmOnlineTimer();
    Pump();
    EXPECT_EQ(LastArm(), 250);
}

// While the data file cannot be written, confirmed uploads stay unsaved and
// no upload goes out: the passes keep the ordinary interval instead of
// following each other at once, and once space returns every record goes up
// once and is stored under its service id.
TEST_F(PassTest, AFullDiskStopsUploadsWithoutABusyLoopAndLosesNothing)
{
    accounts_.SetSyncInterval(60);
    SignIn();
    std::vector<uint32_t> temporary;
    for (int i = 0; i < 3; ++i)
        temporary.push_back(NewRecord(501, ("Pln\xFD disk " + std::to_string(i)).c_str()));
    struct Space {
        ~Space() { plat::FailAllWrites(false); }
    } space;
    plat::FailAllWrites(true);
    g.FastSync("test");
    ASSERT_TRUE(RunUntil([] {
        return g.SyncCounters.Uploaded[TNPIM::kUploadRecords].load() >= 1 && g.NewSyncWanted == 0 &&
               g.OnlineThreadRunning == 0 && plat::RunningThreadCount() == 0;
    }));
    const int passes = Count("get-users-organizers");
    // A second of loop and timer: at the ordinary interval no pass is due.
    EXPECT_FALSE(RunUntil([&] { return Count("get-users-organizers") > passes + 1; }, 1000));
    EXPECT_EQ(g.SyncCounters.Uploaded[TNPIM::kUploadRecords].load(), 1) << "nothing goes up unsaved";
    EXPECT_EQ(LastArm(), 60000);

    plat::FailAllWrites(false);
    g.FastSync("space again");
    ASSERT_TRUE(RunUntilIdle());
    for (uint32_t id : temporary)
        EXPECT_EQ(UploadsOf(id), 1) << id;
    Restart(false);
    ASSERT_FALSE(HasFatalFailure());
    ASSERT_TRUE(RunUntilIdle());
    EXPECT_TRUE(service_.Violations().empty());
    for (int i = 0; i < 3; ++i) {
        int live = 0;
        for (const test_service::StoredItem& item : sync_.Items(test_service::kRecords))
            live += item.Deleted == 0 && item.Field("Text") == "Pln\xFD disk " + std::to_string(i) ? 1 : 0;
        EXPECT_EQ(live, 1) << i;
    }
    TNModelReadGuard lock;
    int stored = 0;
    for (int i = 0; i < PIM[0]->Records->Count; ++i) {
        const TNPIMRecord* record = PIM[0]->Records->Items[i];
        if (record != nullptr && std::string(record->Text.View()).rfind("Pln\xFD disk ", 0) == 0) {
            EXPECT_LT(record->ID, kFirstLocalID);
            ++stored;
        }
    }
    EXPECT_EQ(stored, 3);
}

TEST_F(PassTest, TwoTicksStartOnePassAndTheServiceNeverSeesTwoAtOnce)
{
    SignIn();
    accounts_.ArmApiFault("get-users-organizers", ApiFault::Hold());
    g.FastSync("test");
    Pump();
    g.OnlineTimerFired();
    g.OnlineTimerFired();
    Pump();
    EXPECT_EQ(LastArm(), g.FastPassDelayMs.load()) << "the second tick re-arms";
    ASSERT_TRUE(RunUntil([&] { return accounts_.Held() == 1; }));
    accounts_.ReleaseHeld();
    ASSERT_TRUE(RunUntilIdle());
    EXPECT_EQ(accounts_.MostInFlight(), 1);
}

TEST_F(PassTest, AFastSyncWhileThePassWaitsGivesAnotherPass)
{
    SignIn();
    int before = Count("get-users-organizers");
    accounts_.ArmApiFault("get-records", ApiFault::Hold());
    g.FastSync("test");
    ASSERT_TRUE(RunUntil([&] { return accounts_.Held() == 1; }));
    g.FastSync("the user");
    accounts_.ReleaseHeld();
    ASSERT_TRUE(RunUntilIdle());
    EXPECT_EQ(Count("get-users-organizers"), before + 2);
}

TEST_F(PassTest, AnEditWhileTheAnswerIsOnItsWayGoesUpNext)
{
    uint32_t id = sync_.SeedRecord(501, "Prvn\xED");
    SignIn();
    EditRecord(id, [](TNPIMRecord& r) { r.Text.Set("Druh\xFD"); });
    accounts_.ArmApiFault("upsync", ApiFault::Hold());
    g.FastSync("test");
    ASSERT_TRUE(RunUntil([&] { return accounts_.Held() == 1; }));
    EditRecord(id, [](TNPIMRecord& r) {
        r.Text.Set("T\xF8"
                   "et\xED");
    });
    accounts_.ReleaseHeld();
    ASSERT_TRUE(RunUntilIdle());
    EXPECT_EQ(UploadsOf(id), 2);
    test_service::StoredItem stored;
    ASSERT_TRUE(sync_.Find(test_service::kRecords, id, stored));
    EXPECT_EQ(stored.Field("Text"), "T\xF8"
                                    "et\xED");
    EXPECT_FALSE(Record(id)->PleaseSync);
}

TEST_F(PassTest, ALocalEditSurvivesAChangeOfAnotherParty)
{
    uint32_t id = sync_.SeedRecord(501, "P\xF9vodn\xED");
    SignIn();
    // The upload is refused once, so a download runs while the edit waits.
    accounts_.ArmApiFault("upsync", ApiFault::Refuse());
    EditRecord(id, [](TNPIMRecord& r) { r.Text.Set("M\xF9j text"); });
    ASSERT_TRUE(sync_.Change(test_service::kRecords, id, {{"Text", "Ciz\xED text"}}));
    g.FastSync("test");
    ASSERT_TRUE(RunUntil([&] { return UploadsOf(id) == 2; }));
    ASSERT_TRUE(RunUntilIdle());
    test_service::StoredItem stored;
    ASSERT_TRUE(sync_.Find(test_service::kRecords, id, stored));
    EXPECT_EQ(stored.Field("Text"), "M\xF9j text");
    EXPECT_EQ(std::string(Record(id)->Text.View()), "M\xF9j text");
    EXPECT_EQ(Record(id)->Changed, stored.Changed);
}

TEST_F(PassTest, ANewItemAnsweredWithoutANewIdMakesNoCopy)
{
    SignIn();
    // The service stores the record but answers without its id.
    accounts_.RouteApi("upsync", [&](const test_service::FormFields& fields, const test_service::Account*) {
        sync_.Seed(test_service::kRecords,
                   {{"OrganizerID", "501"}, {"Text", test_service::FieldValue(fields, "Text")}});
        return std::string("<handshake>1</handshake><uploaded-sync-new-changed>5</uploaded-sync-new-changed>");
    });
    UseFakeClock();
    uint32_t fresh = NewRecord(501, "Bez id");
    g.FastSync("test");
    ASSERT_TRUE(TickUntil([&] { return UploadsOf(fresh) == 1; }));
    EXPECT_EQ(Record(fresh)->ID, fresh) << "still pending under its temporary id";
    EXPECT_EQ(g.UploadBackOff.Failures(1, fresh), 1);
    const int64_t failedAt = plat::MonotonicMilliseconds();
    ASSERT_TRUE(TickUntil([&] { return UploadsOf(fresh) == 2; }));
    EXPECT_GE(plat::MonotonicMilliseconds() - failedAt, 1000) << "no retry before the back-off ends";
}

// The series' requests go out after the confirmation, with no lock held:
// a stalled one must not keep the user from changing data.
TEST_F(PassTest, AStalledSeriesRequestLeavesTheModelFree)
{
    SignIn();
    uint32_t master = NewRecord(501, "Porada");
    EditRecord(master, [](TNPIMRecord& r) {
        r.Type = 3;
        r.HasBegin = true;
        r.Begin.SetDateTime(14, 12, 0, 0, 10, 2026);
        r.RecurrenceFrequency = 3;
        r.RecurrenceSettings.Set("{\"Range\":1,\"Count\":3,\"RepeatWeekly\":1,\"RepeatWeeklyDay1\":1}");
        r.ParseRecurrenceSettingsFromJSON();
        r.PleaseSyncRecurrence = true;
    });
    accounts_.ArmApiFault("SaveRecordRecurrence", ApiFault::Hold());
    g.FastSync("test");
    ASSERT_TRUE(RunUntil([&] { return accounts_.Held() == 1; }));
    uint32_t id = 0;
    {
        TNModelWriteGuard tryLock(std::try_to_lock);
        EXPECT_TRUE(tryLock.Held());
        ASSERT_NE(Record(master), nullptr);
        id = Record(master)->ID;
    }
    accounts_.ReleaseHeld();
    ASSERT_TRUE(RunUntilIdle());
    EXPECT_EQ(Count("SaveRecordRecurrence"), 1);
    TNModelReadGuard lock;
    ASSERT_NE(Record(id), nullptr);
    EXPECT_FALSE(Record(id)->PleaseSyncRecurrence);
}

TEST_F(PassTest, ASeriesGoesUpOnceAndAgainOnlyAfterAFailure)
{
    SignIn();
    uint32_t master = NewRecord(501, "Porada");
    EditRecord(master, [](TNPIMRecord& r) {
        r.Type = 3;
        r.HasBegin = true;
        r.Begin.SetDateTime(14, 12, 0, 0, 10, 2026);
        r.RecurrenceFrequency = 3;
        r.RecurrenceSettings.Set("{\"Range\":1,\"Count\":3,\"RepeatWeekly\":1,\"RepeatWeeklyDay1\":1}");
        r.ParseRecurrenceSettingsFromJSON();
        r.PleaseSyncRecurrence = true;
    });
    g.FastSync("test");
    ASSERT_TRUE(RunUntilIdle());
    uint32_t id = 0;
    {
        TNModelReadGuard lock;
        id = Record(master)->ID;
        EXPECT_FALSE(Record(master)->PleaseSyncRecurrence);
    }
    ASSERT_EQ(Count("DeleteRecurringRecordsByRecurrenceMasterID"), 1);
    auto series = accounts_.RequestsNamed("SaveRecordRecurrence");
    ASSERT_EQ(series.size(), 1u);
    EXPECT_EQ(test_service::FieldValue(series[0].Fields, "mid"), std::to_string(id));
    EXPECT_EQ(test_service::FieldValue(series[0].Fields, "d"), "2026-12-21;2026-12-28;2027-01-04;");
    int occurrences = 0;
    for (const auto& item : sync_.Items(test_service::kRecords))
        occurrences += item.Deleted == 0 && item.Number("RecurrenceMasterID") == id ? 1 : 0;
    EXPECT_EQ(occurrences, 3);

    // An importance change of the master sends no series.
    EditRecord(id, [](TNPIMRecord& r) { r.Importance = 10; });
    g.FastSync("test");
    ASSERT_TRUE(RunUntilIdle());
    EXPECT_EQ(UploadsOf(id), 1);
    EXPECT_EQ(Count("SaveRecordRecurrence"), 1);

    // A refused series goes again in a later pass.
    accounts_.ArmApiFault("SaveRecordRecurrence", ApiFault::WithStatus(500, "chyba"));
    EditRecord(id, [](TNPIMRecord& r) { r.PleaseSyncRecurrence = true; });
    g.FastSync("test");
    ASSERT_TRUE(RunUntil([&] { return Count("SaveRecordRecurrence") == 2 && g.OnlineThreadRunning == 0; }));
    EXPECT_TRUE(g.UploadBackOff.BackingOff(1, id, plat::MonotonicMilliseconds())) << "the series waits its turn";
    ASSERT_TRUE(RunUntilIdle());
    EXPECT_EQ(Count("SaveRecordRecurrence"), 3);
    EXPECT_EQ(Count("DeleteRecurringRecordsByRecurrenceMasterID"), 3);
    TNModelReadGuard lock;
    EXPECT_FALSE(Record(id)->PleaseSyncRecurrence);
    EXPECT_FALSE(Record(id)->PleaseSync);
}

// Back-off on the program's clock: attempts of one refused item follow
// about 1, 2, 4 and 8 s apart while the rest goes on.
class BackOffTest : public PassTest, public ::testing::WithParamInterface<int> {};

TEST_P(BackOffTest, AttemptsDoubleWhileTheOthersGoThrough)
{
    accounts_.SetSyncInterval(60);
    sync_.AddOrganizer(610, 1002, 1, 1, "Cizi");
    sync_.Relate(kAliceID, 610, 50, 1);
    uint32_t refused = sync_.SeedRecord(610, "Jen ke \xE8ten\xED");
    uint32_t other = sync_.SeedRecord(501, "Jin\xFD");
    SignIn();
    UseFakeClock();
    switch (GetParam()) {
    case 0:
        // Not writable for alice: refused with handshake 0 every time.
        break;
    case 1:
        accounts_.ArmApiFault("upsync", ApiFault::WithStatus(500, "chyba"), test_service::kAlways);
        break;
    default:
        accounts_.ArmApiFault("upsync", ApiFault::CloseBeforeAnswer(), test_service::kAlways);
        break;
    }
    EditRecord(refused, [](TNPIMRecord& r) { r.Importance = 10; });
    if (GetParam() == 0)
        EditRecord(other, [](TNPIMRecord& r) { r.Importance = 10; });
    int downloadsBefore = Count("get-records");
    g.FastSync("test");
    std::vector<int64_t> attempts;
    for (int guard = 0; guard < 60 && attempts.size() < 5; ++guard) {
        Settle();
        while (UploadsOf(refused) > static_cast<int>(attempts.size()))
            attempts.push_back(plat::MonotonicMilliseconds());
        clock_.Advance(host_->OnlineTimerDueIn());
    }
    ASSERT_EQ(attempts.size(), 5u);
    const int64_t expected[] = {1000, 2000, 4000, 8000};
    for (int i = 0; i < 4; ++i) {
        int64_t gap = attempts[i + 1] - attempts[i];
        EXPECT_GE(gap, expected[i]) << i;
        EXPECT_LE(gap, expected[i] + 300) << i;
    }
    EXPECT_GT(Count("get-records"), downloadsBefore) << "downloads go on";
    if (GetParam() == 0) {
        EXPECT_EQ(UploadsOf(other), 1);
        EXPECT_FALSE(Record(other)->PleaseSync);
    }
    accounts_.DisarmApiFaults();
}

INSTANTIATE_TEST_SUITE_P(Failures, BackOffTest, ::testing::Values(0, 1, 2));

} // namespace
} // namespace online_test
