// The account actions through the real transport against the test service:
// the basic profile, answers to contact requests, the notifications' read
// mark, subscriptions (job 10), postponed alerts (job 8), the statistics
// reports (job 3) and the deletion of a recurring series (job 5).

#include "foundation/app_info.h"
#include "foundation/day_names.h"
#include "foundation/hooks.h"
#include "foundation/pim_array.h"
#include "foundation/setup.h"
#include "model/contacts.h"
#include "model/contacts_requests.h"
#include "model/model_lock.h"
#include "model/notifications.h"
#include "model/organizers.h"
#include "model/pim.h"
#include "model/record.h"
#include "model/record_lists.h"
#include "online/global.h"
#include "online/hooks.h"
#include "online/login.h"
#include "online/online_steps.h"
#include "online/window_state.h"
#include "platform/core/clock.h"
#include "platform/core/main_loop.h"
#include "platform/core/thread.h"
#include "platform/testing/fake_clock.h"
#include "tests/online/sync_world.h"
#include "tests/service/account_actions.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace online_test {
namespace {

constexpr uint32_t kBobID = 1002;

// What the windows were asked to do, on which thread.
struct WindowLog {
    std::mutex mutex;
    std::vector<std::string> boxes;
    std::vector<uint32_t> organizersToOpen;
    std::vector<std::string> cursor;
    bool offMainThread = false;
    std::thread::id mainThread;

    void Note(std::vector<std::string>& list, std::string entry)
    {
        std::lock_guard<std::mutex> guard(mutex);
        offMainThread = offMainThread || std::this_thread::get_id() != mainThread;
        list.push_back(std::move(entry));
    }
};
WindowLog* windows = nullptr;

int32_t RecordBox(const char* text, const char* caption, uint32_t)
{
    windows->Note(windows->boxes, std::string(caption) + "|" + text);
    return mrOk;
}

void RecordOrganizerToOpen(uint32_t id)
{
    std::lock_guard<std::mutex> guard(windows->mutex);
    windows->organizersToOpen.push_back(id);
}

class AccountActionsTest : public SyncWorld {
protected:
    void SetUp() override
    {
        SyncWorld::SetUp();
        windows = &windows_;
        windows_.mainThread = std::this_thread::get_id();
        FoundationHooks.MessageBox = &RecordBox;
        FoundationHooks.SetWaitCursor = [] { windows->Note(windows->cursor, "wait"); };
        FoundationHooks.ResetCursor = [] { windows->Note(windows->cursor, "default"); };
        PagesHooks.SetOrganizerToOpen = &RecordOrganizerToOpen;
        test_service::Account bob;
        bob.UserID = kBobID;
        bob.Password = "bob";
        bob.UserName = "bob";
        bob.Email = "bob@example.test";
        bob.FirstName = "Bob";
        bob.LastName = "Dvo\xF8\xE1k";
        accounts_.AddAccount(bob);
    }
    void TearDown() override
    {
        SyncWorld::TearDown();
        FoundationHooks.MessageBox = nullptr;
        FoundationHooks.SetWaitCursor = nullptr;
        FoundationHooks.ResetCursor = nullptr;
        PagesHooks.SetOrganizerToOpen = nullptr;
        windows = nullptr;
    }

    // Starts a job and waits until it is freed; then runs what it posted.
    void RunJob(TLogin* job)
    {
        ASSERT_TRUE(job->Resume());
        ASSERT_TRUE(plat::WaitForRunningThreads(10000));
        Pump();
    }

    // A pass at once, and the passes it asks for.
    void RunPass()
    {
        g.RunOnlineNow();
        ASSERT_TRUE(RunUntilIdle());
    }

    // The tags the consumer took from `from` on.
    std::vector<int16_t> TagsSince(size_t from) const
    {
        std::vector<int16_t> tags;
        std::vector<std::pair<int16_t, uint32_t>> taken = host_->TakenTags();
        for (size_t i = from; i < taken.size(); ++i)
            tags.push_back(taken[i].first);
        return tags;
    }

    // Index of the first logged request of that name from `from` on; -1.
    int IndexOf(const std::string& name, size_t from = 0) const
    {
        std::vector<test_service::ApiRequest> all = accounts_.Requests();
        for (size_t i = from; i < all.size(); ++i) {
            if (all[i].Name == name)
                return static_cast<int>(i);
        }
        return -1;
    }

    WindowLog windows_;
    test_service::AccountActions actions_{accounts_, sync_};
};

TEST_F(AccountActionsTest, BasicProfileStaysPendingUntilTheServiceTookIt)
{
    SignIn();
    g.UpdateAccount([](TNAccount& account) {
        account.NewFirstName.Set("Al\xED"
                                 "ce & spol");
        account.NewLastName.Set("Nov\xE1");
    });
    g.pleaseSaveBasicProfileSettings = 1;
    g.basicProfileSettingsChanged = 1;
    accounts_.ArmApiFault("save-basic-profile-settings", test_service::ApiFault::WithStatus(500));
    online::onlineSaveBasicProfileSettings();
    EXPECT_EQ(accounts_.RequestsNamed("save-basic-profile-settings").size(), 1u);
    EXPECT_EQ(g.pleaseSaveBasicProfileSettings.load(), 1);
    EXPECT_EQ(std::string(g.Account().FirstName.View()), "Alice");

    size_t tagsBefore = host_->TakenTags().size();
    RunPass();
    std::vector<test_service::ApiRequest> saves = accounts_.RequestsNamed("save-basic-profile-settings");
    ASSERT_EQ(saves.size(), 2u);
    EXPECT_EQ(test_service::FieldValue(saves[1].Fields, "FirstName"), "Al\xED"
                                                                      "ce & spol");
    EXPECT_EQ(test_service::FieldValue(saves[1].Fields, "LastName"), "Nov\xE1");
    EXPECT_EQ(g.pleaseSaveBasicProfileSettings.load(), 0);
    EXPECT_EQ(g.basicProfileSettingsChanged.load(), 0);
    EXPECT_EQ(std::string(g.Account().FirstName.View()), "Al\xED"
                                                         "ce & spol");
    EXPECT_EQ(std::string(::Setup.GetString("LastName").View()), "Nov\xE1");
    std::vector<int16_t> tags = TagsSince(tagsBefore);
    EXPECT_NE(std::find(tags.begin(), tags.end(), __uiUpdateHeaderUser), tags.end());
    EXPECT_EQ(accounts_.AccountByID(kAliceID).FirstName, "Al\xED"
                                                         "ce & spol");
    RunPass();
    EXPECT_EQ(accounts_.RequestsNamed("save-basic-profile-settings").size(), 2u);
    EXPECT_TRUE(service_.Violations().empty());
}

TEST_F(AccountActionsTest, ASaveLeftPendingAtLogOutNeverReachesTheNextAccount)
{
    SignIn();
    g.UpdateAccount([](TNAccount& account) { account.NewFirstName.Set("Ciz\xED"); });
    g.pleaseSaveBasicProfileSettings = 1;
    g.basicProfileSettingsChanged = 1;
    WindowState.SetActivePage("Dnes");
    EXPECT_TRUE(g.OdhlasUzivatele(false));
    EXPECT_EQ(g.pleaseSaveBasicProfileSettings.load(), 0);
    EXPECT_EQ(g.basicProfileSettingsChanged.load(), 0);
}

TEST_F(AccountActionsTest, AtMostThreeContactAnswersGoUpPerPass)
{
    std::vector<uint32_t> ids;
    for (uint32_t requester : {kBobID, 1003u, 1004u, 1005u})
        ids.push_back(sync_.Seed(test_service::kContactsRequests, {{"UserID", std::to_string(requester)},
                                                                   {"ContactUserID", std::to_string(kAliceID)},
                                                                   {"FullName", "U" + std::to_string(requester)}}));
    SignIn();
    const int answers[] = {1, 2, 1, 2};
    {
        TNModelWriteGuard lock;
        TNPIMContactsRequests& requests = PIM[0]->ContactsRequests;
        ASSERT_EQ(requests.Count, 4);
        for (size_t i = 0; i < ids.size(); ++i)
            requests.GetItemByID(ids[i])->AcceptanceType = answers[i];
    }
    auto sent = [&] {
        return accounts_.RequestsNamed("accept-contact-request").size() +
               accounts_.RequestsNamed("ignore-contact-request").size();
    };
    online::onlineIgnoreOrAcceptContactsRequests();
    EXPECT_EQ(sent(), 3u);
    {
        TNModelReadGuard lock;
        const TNPIMContactsRequest* accepted = PIM[0]->ContactsRequests.GetItemByID(ids[0]);
        EXPECT_GT(accepted->AcceptanceTimestamp, 0);
        EXPECT_TRUE(accepted->Unsaved);
        EXPECT_EQ(PIM[0]->ContactsRequests.GetItemByID(ids[3])->AcceptanceTimestamp, 0);
    }
    online::onlineIgnoreOrAcceptContactsRequests();
    online::onlineIgnoreOrAcceptContactsRequests();
    EXPECT_EQ(sent(), 4u);

    // The service made bob and alice contacts of each other; the next
    // download brings alice's.
    test_service::StoredItem stored;
    ASSERT_TRUE(sync_.Find(test_service::kContactsRequests, ids[1], stored));
    EXPECT_EQ(stored.Field("AcceptanceType"), "2");
    int bobsContacts = 0;
    for (const test_service::StoredItem& contact : sync_.Items(test_service::kContacts))
        bobsContacts += contact.Number("UserID") == kBobID && contact.Number("ContactUserID") == kAliceID;
    EXPECT_EQ(bobsContacts, 1);
    RunPass();
    TNModelReadGuard lock;
    const TNPIMContact* contact = PIM[0]->Contacts.GetItemByContactUserID(kBobID);
    ASSERT_NE(contact, nullptr);
    EXPECT_EQ(std::string(contact->LastName.View()), "Dvo\xF8\xE1k");
}

TEST_F(AccountActionsTest, ReadMarkStaysWantedUntilTheServiceConfirmed)
{
    for (int i = 0; i < 2; ++i)
        sync_.Seed(test_service::kNotifications, {{"RecipientUserID", std::to_string(kAliceID)}, {"Text", "Ahoj"}});
    SignIn();
    {
        TNModelWriteGuard lock;
        PIM[0]->pleaseMarkAllNotificationsAsRead = true;
    }
    accounts_.ArmApiFault("mark-all-notifications-as-read", test_service::ApiFault::Refuse());
    online::onlineMarkAllNotificationsAsRead();
    EXPECT_TRUE(PIM[0]->pleaseMarkAllNotificationsAsRead);
    RunPass();
    EXPECT_EQ(accounts_.RequestsNamed("mark-all-notifications-as-read").size(), 2u);
    EXPECT_FALSE(PIM[0]->pleaseMarkAllNotificationsAsRead);
    // The pass went on to the download after the mark: a later pass brings
    // the read times.
    RunPass();
    TNModelReadGuard lock;
    TNPIMNotifications& notifications = PIM[0]->Notifications;
    ASSERT_EQ(notifications.Count, 2);
    for (int32_t i = 0; i < notifications.Count; ++i)
        EXPECT_GT(notifications.Items[i]->Read, 0);
}

TEST_F(AccountActionsTest, SubscriptionRunsOffTheMainThreadAndReportsThere)
{
    sync_.AddOrganizer(601, kBobID, 1, 1,
                       "Ve\xF8"
                       "ejn\xFD");
    sync_.Change(test_service::kOrganizers, 601, {{"Visibility", "1"}});
    sync_.AddOrganizer(602, kBobID, 1, 1, "Soukrom\xFD");
    SignIn();

    // The service holds the answer: the main loop keeps running meanwhile.
    accounts_.ArmApiFault("subscribe-organizer", test_service::ApiFault::Hold());
    size_t tagsBefore = host_->TakenTags().size();
    size_t requestsBefore = accounts_.Requests().size();
    auto* job = new TLogin();
    job->Tag = 10;
    job->OrganizerID = 601;
    job->Value = 1;
    ASSERT_TRUE(job->Resume());
    std::atomic<bool> ranWhileWaiting{false};
    ASSERT_TRUE(PumpUntil([&] { return g.runningSubscribeOrganizer.load(); }));
    plat::PostToMainThread([&] { ranWhileWaiting = g.runningSubscribeOrganizer.load(); });
    Pump();
    EXPECT_TRUE(ranWhileWaiting);
    // A second click meanwhile finds the job running and ends at once.
    auto* again = new TLogin();
    again->Tag = 10;
    again->OrganizerID = 601;
    again->Value = 1;
    ASSERT_TRUE(again->Resume());
    ASSERT_TRUE(PumpUntil([&] { return accounts_.Held() == 1; }));
    // Released only once the second has ended: released earlier, the first
    // could end before the second looked, and the second would run.
    ASSERT_TRUE(PumpUntil([] { return plat::RunningThreadCount() == 1; }));
    accounts_.ReleaseHeld();
    ASSERT_TRUE(plat::WaitForRunningThreads(10000));
    Pump();

    int subscribe = IndexOf("subscribe-organizer", requestsBefore);
    ASSERT_GE(subscribe, 0);
    EXPECT_EQ(IndexOf("subscribe-organizer", subscribe + 1), -1);
    EXPECT_GT(IndexOf("get-users-organizers", subscribe), subscribe);
    std::vector<test_service::ApiRequest> all = accounts_.Requests();
    EXPECT_EQ(test_service::FieldValue(all[subscribe].Fields, "pimSrvPos"), "0");
    EXPECT_EQ(test_service::FieldValue(all[subscribe].Fields, "Subscribe"), "1");
    {
        TNModelReadGuard lock;
        const TNPIMOrganizer* organizer = PIM[0]->Organizers.GetOrganizerByID(601);
        ASSERT_NE(organizer, nullptr);
        EXPECT_EQ(organizer->Origin, 50u);
        EXPECT_EQ(organizer->Subscribe, 1u);
    }
    EXPECT_EQ(windows_.organizersToOpen, std::vector<uint32_t>{601});
    // The organizers' download posts tags of its own, and a tag still
    // waiting is not queued twice: each of the three arrives, 10 before 4.
    auto reported = [&] {
        std::vector<int16_t> tags = TagsSince(tagsBefore);
        auto open = std::find(tags.begin(), tags.end(), __uiOpenEditedOrganizer);
        return open != tags.end() && std::find(open, tags.end(), __uiUpdateShownData) != tags.end() &&
               std::find(tags.begin(), tags.end(), __uiUpdateSubscribedOrganizers) != tags.end();
    };
    EXPECT_TRUE(RunUntil(reported, 3000)) << ::testing::PrintToString(TagsSince(tagsBefore));
    EXPECT_TRUE(windows_.boxes.empty());
    ASSERT_FALSE(windows_.cursor.empty());
    EXPECT_EQ(windows_.cursor.front(), "wait");
    EXPECT_EQ(windows_.cursor.back(), "default");

    // Refused: the service's text in a warning box, nothing opened.
    job = new TLogin();
    job->Tag = 10;
    job->OrganizerID = 602;
    job->Value = 1;
    RunJob(job);
    ASSERT_EQ(windows_.boxes.size(), 1u);
    EXPECT_EQ(windows_.boxes[0], "Chyba|Tento kalend\xE1\xF8 nen\xED ve\xF8"
                                 "ejn\xFD.");
    EXPECT_EQ(windows_.organizersToOpen.size(), 1u);
    EXPECT_EQ(windows_.cursor.back(), "default");
    EXPECT_FALSE(windows_.offMainThread);
    EXPECT_FALSE(g.runningSubscribeOrganizer);
}

TEST_F(AccountActionsTest, ASubscriptionWithoutTheServiceSaysSo)
{
    SignIn();
    accounts_.ArmApiFault("subscribe-organizer", test_service::ApiFault::WithStatus(502));
    EXPECT_FALSE(g.Sync2SubscribeOrganizer(601, 0, 1));
    Pump();
    ASSERT_EQ(windows_.boxes.size(), 1u);
    EXPECT_EQ(windows_.boxes[0], "Chyba|Pro tuto akci mus\xEDte b\xFDt p\xF8ipojeni k internetu!");
    accounts_.ArmApiFault("subscribe-organizer", test_service::ApiFault::Refuse(""));
    EXPECT_FALSE(g.Sync2SubscribeOrganizer(601, 0, 1));
    Pump();
    ASSERT_EQ(windows_.boxes.size(), 2u);
    EXPECT_EQ(windows_.boxes[1], "Chyba|N\xEC"
                                 "co se nepovedlo (hodnota handshake = false).\nZkuste akci zopakovat.");
}

TEST_F(AccountActionsTest, PostponedAlertIsFollowedByAFastPass)
{
    uint32_t record = sync_.SeedRecord(501, "Porada");
    uint32_t alert = sync_.Seed(test_service::kAlerts, {{"UserID", std::to_string(kAliceID)},
                                                        {"OrganizerID", "501"},
                                                        {"RecordID", std::to_string(record)},
                                                        {"Type", "1"},
                                                        {"AlertTimestamp", "1000"}});
    SignIn();
    size_t from = accounts_.Requests().size();
    auto* job = new TLogin();
    job->Tag = 8;
    job->AlertID = alert;
    job->AlertUserID = kAliceID;
    job->OrganizerID = 501;
    job->RecordID = record;
    job->AlertType = 1;
    job->Value = 30;
    int64_t before = plat::UnixSeconds();
    RunJob(job);
    ASSERT_TRUE(RunUntilIdle());
    int postpone = IndexOf("postpone-alert", from);
    ASSERT_GE(postpone, 0);
    std::vector<test_service::ApiRequest> all = accounts_.Requests();
    EXPECT_EQ(test_service::FieldValue(all[postpone].Fields, "PostponeMinutes"), "30");
    EXPECT_EQ(test_service::FieldValue(all[postpone].Fields, "AlertUserID"), std::to_string(kAliceID));
    EXPECT_GT(IndexOf("get-users-data", postpone), postpone);
    test_service::StoredItem stored;
    ASSERT_TRUE(sync_.Find(test_service::kAlerts, alert, stored));
    EXPECT_GE(static_cast<int64_t>(stored.Number("AlertTimestamp")), before + 1800);
    TNModelReadGuard lock;
    int32_t pos = PIM[0]->Alerts.GetAlertPosByID(alert);
    ASSERT_GE(pos, 0);
    EXPECT_EQ(static_cast<int64_t>(PIM[0]->Alerts.Items[pos]->AlertTimestamp), stored.Number("AlertTimestamp"));
}

TEST_F(AccountActionsTest, StatisticsGoOutByTheirRules)
{
    plat::testing::FakeClock clock(plat::UnixMilliseconds());
    plat::SetClock(&clock);
    // The new-account button (job 3), twice: each click is reported.
    for (int i = 0; i < 2; ++i) {
        auto* job = new TLogin();
        job->Tag = 3;
        RunJob(job);
    }
    EXPECT_EQ(actions_.StatsCount("newaccountbuttonclick"), 2);

    // Once per run, and again only after a failure.
    accounts_.ArmApiFault("send-stats", test_service::ApiFault::CloseBeforeAnswer());
    EXPECT_FALSE(g.SendStatsToServer_EmptyLoginWindowShown(0));
    EXPECT_TRUE(g.SendStatsToServer_EmptyLoginWindowShown(0));
    EXPECT_TRUE(g.SendStatsToServer_EmptyLoginWindowShown(0));
    EXPECT_EQ(actions_.StatsCount("emptyloginwindowshown"), 1);

    // Extended: only when the account allows it, at most every 12 hours.
    TNString text("Zentor: 3 \xFAkoly & 2 pozn\xE1mky");
    EXPECT_FALSE(g.SendStatsToServer_ExtendedStats(text, 0));
    g.UpdateAccount([](TNAccount& account) { account.SendExtendedStats = 1; });
    const struct {
        int64_t advanceSeconds;
        int expectedCount;
    } steps[] = {{0, 1}, {3600, 1}, {43200 - 3600, 1}, {1, 2}, {60, 2}};
    for (const auto& step : steps) {
        clock.Advance(step.advanceSeconds * 1000);
        g.SendStatsToServer_ExtendedStats(text, 0);
        EXPECT_EQ(actions_.StatsCount("extended-stats"), step.expectedCount) << step.advanceSeconds;
    }
    EXPECT_EQ(actions_.LastExtendedStats(), "Zentor: 3 \xFAkoly & 2 pozn\xE1mky");
    for (const test_service::ApiRequest& report : accounts_.RequestsNamed("send-stats"))
        EXPECT_TRUE(test_service::FieldValue(report.Fields, "UserID").empty());
    plat::SetClock(nullptr);
}

TEST_F(AccountActionsTest, SeriesDeletionComesBackWithTheNextDownload)
{
    uint32_t master = sync_.Seed(test_service::kRecords, {{"OrganizerID", "501"},
                                                          {"Text", "S\xE9rie"},
                                                          {"HasBegin", "1"},
                                                          {"DateBegin", "2026-01-05"},
                                                          {"TimeBegin", "10:00:00"}});
    std::vector<uint32_t> occurrences;
    for (const char* date : {"2026-01-05", "2026-01-12", "2026-01-19"})
        occurrences.push_back(sync_.Seed(test_service::kRecords, {{"OrganizerID", "501"},
                                                                  {"Text", "S\xE9rie"},
                                                                  {"RecurrenceMasterID", std::to_string(master)},
                                                                  {"HasBegin", "1"},
                                                                  {"DateBegin", date},
                                                                  {"TimeBegin", "10:00:00"}}));
    SignIn();
    auto* job = new TLogin();
    job->Tag = 5;
    job->RecordID = occurrences[1];
    job->Value = 2;
    RunJob(job);
    std::vector<test_service::ApiRequest> sent = accounts_.RequestsNamed("delete-recurring-record");
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(test_service::FieldValue(sent[0].Fields, "RecordID"), std::to_string(occurrences[1]));
    EXPECT_EQ(test_service::FieldValue(sent[0].Fields, "RecurrenceMasterID"), std::to_string(master));
    EXPECT_EQ(test_service::FieldValue(sent[0].Fields, "What"), "2");
    ASSERT_TRUE(RunUntilIdle());
    EXPECT_EQ(Record(master)->Deleted, 0u);
    EXPECT_EQ(Record(occurrences[0])->Deleted, 0u);
    EXPECT_GT(Record(occurrences[1])->Deleted, 0u);
    EXPECT_GT(Record(occurrences[2])->Deleted, 0u);
    EXPECT_TRUE(service_.Violations().empty());
}

// The search job's hand-overs as the page got them.
struct SearchHandOver {
    std::vector<std::string> texts;
    int32_t virtualCount = 0;
    std::thread::id thread;
};
std::mutex searchMutex;
std::vector<SearchHandOver> searchHandOvers;

void RecordSearchResults(std::shared_ptr<TNPIMRecordList> results, int32_t count)
{
    SearchHandOver handOver;
    handOver.thread = std::this_thread::get_id();
    for (int32_t i = 0; i < count; ++i) {
        handOver.texts.emplace_back(results->Items[i]->Text.View());
        handOver.virtualCount += results->Items[i]->Virtual ? 1 : 0;
    }
    std::lock_guard<std::mutex> guard(searchMutex);
    searchHandOvers.push_back(std::move(handOver));
}

TEST_F(AccountActionsTest, TwoQuickSearchesRunOneAndHandItToTheMainThread)
{
    sync_.SeedRecord(501, "Hana má narozeniny");
    sync_.SeedRecord(502, "Porada");
    SignIn();
    PagesHooks.HandOverSearchResults = &RecordSearchResults;
    searchHandOvers.clear();
    TNDayNames names;
    ASSERT_TRUE(names.FillDayNames());
    std::vector<TNDayNameMatch> nameDays;
    ASSERT_TRUE(names.SearchDayNames("hana", nameDays));
    ASSERT_FALSE(nameDays.empty());

    g.SetSearchText(TNString("hana"));
    // Two server positions: the name days still come once.
    int32_t servers = App.PimServersCount;
    App.PimServersCount = 2;
    {
        // The first search waits for the model inside; the second finds it
        // running and ends.
        TNModelWriteGuard lock;
        auto* first = new TLogin();
        first->Tag = 7;
        ASSERT_TRUE(first->Resume());
        ASSERT_TRUE(PumpUntil([] { return g.runningSearch.load(); }));
        auto* second = new TLogin();
        second->Tag = 7;
        ASSERT_TRUE(second->Resume());
        ASSERT_TRUE(PumpUntil([] { return plat::RunningThreadCount() == 1; }));
    }
    ASSERT_TRUE(plat::WaitForRunningThreads(10000));
    App.PimServersCount = servers;
    EXPECT_TRUE(searchHandOvers.empty());
    Pump();
    ASSERT_EQ(searchHandOvers.size(), 1u);
    const SearchHandOver& found = searchHandOvers[0];
    EXPECT_EQ(found.thread, std::this_thread::get_id());
    EXPECT_EQ(found.virtualCount, static_cast<int32_t>(nameDays.size()));
    ASSERT_EQ(found.texts.size(), nameDays.size() + 1);
    EXPECT_EQ(std::count(found.texts.begin(), found.texts.end(), "Hana m\xE1 narozeniny"), 1);
    PagesHooks.HandOverSearchResults = nullptr;
}

} // namespace
} // namespace online_test
