#include "foundation/pim_array.h"
#include "foundation/record_file_set.h"
#include "model/alerts.h"
#include "model/model_lock.h"
#include "model/pim.h"
#include "model/record.h"
#include "model/records.h"
#include "online/global.h"
#include "online/hooks.h"
#include "online/online_steps.h"
#include "online/session_hooks.h"
#include "online/window_state.h"
#include "platform/core/clock.h"
#include "platform/core/thread.h"
#include "platform/testing/fake_clock.h"
#include "tests/online/online_world.h"
#include "tests/service/one_shot_routes.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <set>
#include <thread>
#include <vector>

namespace online_test {
namespace {

constexpr int64_t kNow = 1780000000;

std::atomic<int32_t> notTimerArms{0};
std::atomic<bool> notTimerOn{false};

class AlertDisplayTest : public OnlineWorld {
protected:
    AlertDisplayTest() : routes_(service_, accounts_), clock_(kNow * 1000) {}
    void SetUp() override
    {
        OnlineWorld::SetUp();
        MakeActiveUser(kAliceID, kAliceLogin, kAlicePassword);
        g.UpdateAccount([](TNAccount& account) { account.Password.Set(kAlicePassword); });
        g.UserLoginStatus = 1;
        notTimerArms = 0;
        notTimerOn = false;
        MainWindowHooks.ArmNotTimer = [](int32_t tag, int32_t interval) {
            if (tag == 1 && interval == 1)
                ++notTimerArms;
        };
        SessionHooks.NotTimerEnabled = [] { return notTimerOn.load(); };
        plat::SetClock(&clock_);
    }
    void TearDown() override
    {
        ASSERT_TRUE(plat::WaitForRunningThreads(10000));
        plat::SetClock(nullptr);
        SessionHooks = TNSessionHooks{};
        OnlineWorld::TearDown();
    }

    TNPIM& Pim() { return *PIM[0]; }

    void AddRecord(uint32_t id, int32_t finished)
    {
        TNModelWriteGuard lock;
        TNPIMRecords& records = *Pim().Records;
        ASSERT_TRUE(records.Resize(records.Count + 1));
        TNPIMRecord& record = *records.Items[records.Count - 1];
        record.ID = id;
        record.Finished = finished;
        records.NoteIDChanged(records.Count - 1);
    }

    void AddAlert(uint32_t id, uint32_t recordId, int64_t due)
    {
        TNModelWriteGuard lock;
        TNPIMAlerts& alerts = Pim().Alerts;
        ASSERT_TRUE(alerts.Resize(alerts.Count + 1));
        TNPIMAlert& alert = *alerts.Items[alerts.Count - 1];
        alert.ID = id;
        alert.RecordID = recordId;
        alert.OrganizerID = 501;
        alert.Type = 1;
        alert.AlertTimestamp = static_cast<uint32_t>(due);
        alerts.NoteIDChanged(alerts.Count - 1);
    }

    TNPIMAlert& Alert(uint32_t id) { return *Pim().Alerts.Items[Pim().Alerts.GetAlertPosByID(id)]; }

    bool Queued(uint32_t id)
    {
        TNRAFile& file = *raf.Items[static_cast<size_t>(App.raFileAllPIM)];
        for (int32_t tsp = 0; tsp < file.toSaveCount(); ++tsp) {
            TNRAFileToSave item;
            if (file.get_toSave(tsp, item) && item.type == raftAlert && item.id == id)
                return true;
        }
        return false;
    }

    // One run of the display a second after the last.
    void RunDisplay()
    {
        clock_.Advance(1000);
        g.DisplayAlerts();
        Pump();
    }

    test_service::OneShotRoutes routes_;
    plat::testing::FakeClock clock_;
};

TEST_F(AlertDisplayTest, ShowsTheEarliestDueAlertOfAnOpenRecord)
{
    AddRecord(101, 0);
    AddRecord(102, 0);
    AddRecord(103, 1);
    AddAlert(11, 101, kNow - 100);
    AddAlert(12, 102, kNow - 200);
    AddAlert(13, 103, kNow - 300);
    AddAlert(14, 101, kNow + 3600);
    RunDisplay();
    EXPECT_EQ(g.AlertDisplay.NotAlertID, 12u);
    EXPECT_EQ(g.AlertDisplay.NotValue, 1);
    EXPECT_EQ(notTimerArms, 1);

    // The same alert is not shown twice; once it was accepted the next one
    // follows, never the finished record's.
    RunDisplay();
    EXPECT_EQ(notTimerArms, 1);
    Alert(12).Deleted = TNPIMAlert::kDeletedByUser;
    RunDisplay();
    EXPECT_EQ(g.AlertDisplay.NotAlertID, 11u);
    EXPECT_EQ(notTimerArms, 2);
}

TEST_F(AlertDisplayTest, AlertHandledElsewhereIsDeletedAndSaved)
{
    AddRecord(101, 0);
    AddAlert(11, 101, kNow - 10);
    routes_.MarkAlertHandled(11);
    RunDisplay();
    EXPECT_EQ(Alert(11).Deleted, 999u);
    EXPECT_TRUE(Queued(11));
    EXPECT_EQ(notTimerArms, 0);
}

TEST_F(AlertDisplayTest, UnreachableServiceShowsTheAlertAfterTenTries)
{
    AddRecord(101, 0);
    AddAlert(11, 101, kNow - 10);
    std::snprintf(App.ApiDomain[0], sizeof(App.ApiDomain[0]), "127.0.0.1:%u/index.php", DeadPort());
    ASSERT_TRUE(BuildServerAddresses(App));
    RunDisplay();
    std::vector<int64_t> pauses;
    for (int64_t ms : clock_.Sleeps()) {
        if (ms == 999)
            pauses.push_back(ms);
    }
    EXPECT_EQ(pauses.size(), 9u);
    EXPECT_EQ(notTimerArms, 1);
    EXPECT_EQ(Alert(11).Deleted, 0u);
}

TEST_F(AlertDisplayTest, AcceptedAlertIsDeletedOnTheService)
{
    std::set<uint32_t> tombstoned;
    std::mutex mutex;
    routes_.OnAlertDeleted([&](uint32_t id) {
        std::lock_guard<std::mutex> guard(mutex);
        tombstoned.insert(id);
    });
    AddRecord(101, 0);
    AddAlert(11, 101, kNow - 10);
    Alert(11).Deleted = TNPIMAlert::kDeletedByUser;
    Alert(11).DeletePending = true;
    RunDisplay();
    EXPECT_FALSE(Alert(11).DeletePending);
    EXPECT_TRUE(Queued(11));
    EXPECT_EQ(tombstoned, std::set<uint32_t>{11});
    EXPECT_TRUE(routes_.AlertHandled(11));
    auto sent = accounts_.RequestsNamed("delete-accepted-alert");
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(test_service::FieldValue(sent[0].Fields, "AlertID"), "11");
}

TEST_F(AlertDisplayTest, WorkerKeepsTheMainLoopFreeAndWaitsForTheAlertTimer)
{
    AddRecord(101, 0);
    AddAlert(11, 101, kNow - 10);
    // Real time: the 25 ms polls of the alert timer must really wait.
    plat::SetClock(nullptr);
    notTimerOn = true;
    // The answer is held until the main thread has started the worker
    // twice; a start that waited for it would wait until the release.
    accounts_.ArmApiFault("get-alert-on-display-status", test_service::ApiFault::Hold());
    std::atomic<bool> released{false};
    std::thread releaser([&] {
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (accounts_.Held() == 0 && std::chrono::steady_clock::now() < until)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        released = true;
        accounts_.ReleaseHeld();
    });
    EXPECT_TRUE(g.StartDisplayAlerts());
    EXPECT_FALSE(g.StartDisplayAlerts());
    EXPECT_FALSE(released);
    releaser.join();
    // While timerNot is on, the alert waits for it.
    ASSERT_TRUE(PumpUntil([] { return plat::RunningThreadCount() == 0 && g.AlertDisplay.AlertShown == 1; }));
    Pump();
    EXPECT_EQ(notTimerArms, 0);
    notTimerOn = false;
    ASSERT_TRUE(PumpUntil([] { return notTimerArms == 1; }));
    EXPECT_EQ(g.AlertDisplay.NotAlertID, 11u);
    EXPECT_FALSE(g.AlertDisplay.WorkerBusy);
}

TEST_F(AlertDisplayTest, AnAlertWaitingForTheAlertTimerIsNotOpenedAfterALogOut)
{
    AddRecord(101, 0);
    AddAlert(11, 101, kNow - 10);
    plat::SetClock(nullptr);
    notTimerOn = true;
    ASSERT_TRUE(g.StartDisplayAlerts());
    ASSERT_TRUE(PumpUntil([] { return plat::RunningThreadCount() == 0 && g.AlertDisplay.AlertShown == 1; }));
    ++g.SignInGeneration;
    notTimerOn = false;
    ASSERT_TRUE(PumpUntil([this] { return LogLinesContaining("[g.DisplayAlerts][DROPPED] alert of") == 1; }));
    Pump();
    EXPECT_EQ(notTimerArms, 0);
    EXPECT_NE(g.AlertDisplay.NotAlertID, 11u);
}

std::vector<std::string> windowCalls;

TEST_F(AlertDisplayTest, AlertWindowsOnScreenAreMovedAndClosedWhenHandledElsewhere)
{
    // A screen no window was placed for yet, in every run of the test.
    static uint32_t screen = 100;
    screen += 2;
    online::SetNotWindowScreenStamp(screen);
    windowCalls.clear();
    MainWindowHooks.UpdateNotWindowPosition = [](int32_t slot) {
        windowCalls.push_back("move " + std::to_string(slot));
    };
    MainWindowHooks.CloseNotWindow = [](int32_t slot) { windowCalls.push_back("close " + std::to_string(slot)); };
    MainWindowHooks.TurnMonitorOn = [] { windowCalls.push_back("monitor"); };
    AddRecord(101, 0);
    AddAlert(11, 101, kNow - 10);
    AddAlert(12, 101, kNow - 10);
    WindowState.NotWindowAlertID[0] = 11;
    WindowState.NotWindowAlertID[3] = 12;
    routes_.MarkAlertHandled(12);
    online::onlineShowNotificationWindows(kNow);
    Pump();
    EXPECT_EQ(windowCalls, (std::vector<std::string>{"move 0", "monitor", "move 3", "monitor", "close 3"}));
    EXPECT_EQ(Alert(12).Deleted, 999u);
    EXPECT_EQ(Alert(11).Deleted, 0u);

    // Moved again only when the screen changed.
    windowCalls.clear();
    WindowState.NotWindowAlertID[3] = -1;
    online::onlineShowNotificationWindows(kNow);
    online::SetNotWindowScreenStamp(screen + 1);
    online::onlineShowNotificationWindows(kNow);
    Pump();
    EXPECT_EQ(windowCalls, (std::vector<std::string>{"monitor", "move 0", "monitor"}));
}

TEST_F(AlertDisplayTest, AnUnansweredDisplayStatusBacksOffInsteadOfGoingOutAtEveryPass)
{
    windowCalls.clear();
    MainWindowHooks.UpdateNotWindowPosition = [](int32_t) {};
    MainWindowHooks.TurnMonitorOn = [] {};
    MainWindowHooks.CloseNotWindow = [](int32_t slot) { windowCalls.push_back("close " + std::to_string(slot)); };
    AddRecord(101, 0);
    AddAlert(11, 101, kNow - 10);
    WindowState.NotWindowAlertID[0] = 11;
    service_.ArmFault(test_service::AccountService::kApiPath, test_service::Fault::Reset(), test_service::kAlways);
    auto sent = [this] { return service_.Requests().size(); };
    auto pass = [this](int64_t advanceMs) {
        clock_.Advance(advanceMs);
        online::onlineShowNotificationWindows(kNow);
    };

    // Each row: the time since the last pass, and whether a request went.
    const struct {
        int64_t afterMs;
        bool requested;
    } passes[] = {{0, true},     {10, false},  {10, false},   {1000, true},
                  {1000, false}, {1000, true}, {3000, false}, {1000, true}};
    for (size_t i = 0; i < std::size(passes); ++i) {
        SCOPED_TRACE(i);
        const size_t before = sent();
        pass(passes[i].afterMs);
        EXPECT_EQ(sent() > before, passes[i].requested);
    }
    EXPECT_TRUE(windowCalls.empty()) << "the window stays without an answer";

    // Answered again: the back-off is over.
    service_.DisarmFaults();
    pass(8000);
    const size_t answered = sent();
    pass(10);
    EXPECT_GT(sent(), answered);
    WindowState.NotWindowAlertID[0] = -1;
}

} // namespace
} // namespace online_test
