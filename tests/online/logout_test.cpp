#include "foundation/pim_array.h"
#include "foundation/record_file_set.h"
#include "foundation/setup.h"
#include "foundation/users.h"
#include "model/alerts.h"
#include "model/model_lock.h"
#include "model/pim.h"
#include "model/record.h"
#include "model/records.h"
#include "online/global.h"
#include "online/headless_host.h"
#include "online/hooks.h"
#include "online/session_hooks.h"
#include "online/window_state.h"
#include "platform/core/clock.h"
#include "platform/core/thread.h"
#include "platform/testing/fake_clock.h"
#include "tests/online/online_world.h"
#include "tests/online/sync_world.h"
#include "tests/service/one_shot_routes.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

namespace online_test {
namespace {

std::vector<std::string>* windowCalls = nullptr;

class LogoutTest : public OnlineWorld {
protected:
    LogoutTest() : routes_(service_, accounts_) {}
    void SetUp() override
    {
        OnlineWorld::SetUp();
        test_service::Account bob;
        bob.UserID = 1002;
        bob.Password = "b";
        bob.UserName = "bob";
        bob.Email = "bob@example.test";
        bob.MainOrganizer = 502;
        accounts_.AddAccount(bob);
        windowCalls = &calls_;
        PagesHooks.SaveEditedNote = [](int32_t mode) { windowCalls->push_back("note " + std::to_string(mode)); };
        SessionHooks.StopClockAndOnlineTimers = [] { windowCalls->push_back("timers off"); };
        MainWindowHooks.CloseNotWindow = [](int32_t slot) { windowCalls->push_back("close " + std::to_string(slot)); };
        ViewHooks.DeleteAllDeletableComponents = [] { windowCalls->push_back("delete components"); };
    }
    void TearDown() override
    {
        SessionHooks = TNSessionHooks{};
        OnlineWorld::TearDown();
        windowCalls = nullptr;
    }

    // Signs in through the login page's job and continuation.
    void SignIn(TNHeadlessHost& host, const char* login, const char* password)
    {
        ASSERT_TRUE(host.SignIn(login, password));
        ASSERT_TRUE(PumpUntil([] { return g.UserLoginStatus == 1; }));
        ASSERT_TRUE(plat::WaitForRunningThreads(5000));
        Pump();
        WindowState.SetActivePage("Dnes");
    }

    void LoadStored(TNUsers& stored)
    {
        std::string file = UsersFile();
        EXPECT_TRUE(stored.Load(file.substr(0, file.rfind('/') + 1)));
    }

    void AddDueAlert(uint32_t id)
    {
        TNModelWriteGuard lock;
        TNPIM& pim = *PIM[0];
        ASSERT_TRUE(pim.Records->Resize(pim.Records->Count + 1));
        pim.Records->Items[pim.Records->Count - 1]->ID = 101;
        pim.Records->NoteIDChanged(pim.Records->Count - 1);
        ASSERT_TRUE(pim.Alerts.Resize(pim.Alerts.Count + 1));
        TNPIMAlert& alert = *pim.Alerts.Items[pim.Alerts.Count - 1];
        alert.ID = id;
        alert.RecordID = 101;
        alert.Type = 1;
        alert.AlertTimestamp = static_cast<uint32_t>(plat::UnixSeconds() - 10);
        pim.Alerts.NoteIDChanged(pim.Alerts.Count - 1);
    }

    test_service::OneShotRoutes routes_;
    std::vector<std::string> calls_;
};

TEST_F(LogoutTest, OnTheLoginPageNothingChanges)
{
    MakeActiveUser(kAliceID, kAliceLogin, kAlicePassword);
    g.UserLoginStatus = 1;
    WindowState.SetActivePage("Login");
    EXPECT_TRUE(g.OdhlasUzivatele(false));
    EXPECT_EQ(Uzivatele.AktivniUzivatel, 0);
    EXPECT_EQ(g.UserLoginStatus, 1);
    EXPECT_TRUE(calls_.empty());
}

TEST_F(LogoutTest, ClosingKeepsTheUserAndLoggingOutForgetsIt)
{
    TNHeadlessHost host;
    SignIn(host, kAliceLogin, kAlicePassword);
    g.SetUpdateUiTag(__uiUpdateShownData, 0);

    EXPECT_TRUE(g.OdhlasUzivatele(true));
    TNUsers kept;
    LoadStored(kept);
    TNUser alice;
    ASSERT_TRUE(kept.GetUser(kept.AktivniUzivatel, &alice));
    EXPECT_EQ(std::string(alice.Password.View()), kAlicePassword);

    WindowState.SetActivePage("Dnes");
    EXPECT_TRUE(g.OdhlasUzivatele(false));
    TNUsers forgotten;
    LoadStored(forgotten);
    EXPECT_EQ(forgotten.AktivniUzivatel, -1);
    ASSERT_TRUE(forgotten.GetUser(0, &alice));
    EXPECT_TRUE(alice.Password.IsEmpty());
    EXPECT_EQ(Uzivatele.AktivniUzivatel, -1);
    EXPECT_EQ(g.UserLoginStatus, 0);
    EXPECT_EQ(PIM[0]->Records->Count, 0);
    EXPECT_EQ(PIM[0]->Alerts.Count, 0);
    EXPECT_EQ(g.uiTags.Count(), 0);
    EXPECT_EQ(::Setup.Count(), 0);
    EXPECT_TRUE(g.Account().Password.IsEmpty());
    EXPECT_EQ(calls_.front(), "note 2");
    EXPECT_EQ(calls_.back(), "delete components");
}

TEST_F(LogoutTest, LateAnswerOfTheOldSignInIsDropped)
{
    TNHeadlessHost host;
    SignIn(host, kAliceLogin, kAlicePassword);
    AddDueAlert(11);
    routes_.MarkAlertHandled(11);
    // Held until the client gives up, which only the log-out makes it do
    // well before the time-out.
    TNTransportConfig patient = ShortTimeouts();
    patient.LowSpeedSeconds = 20;
    patient.TotalTimeoutMs = 20000;
    ScopedTransportConfig config(patient);
    service_.ArmFault(test_service::AccountService::kApiPath, test_service::Fault::Stall(0));
    size_t before = service_.Requests().size();
    ASSERT_TRUE(g.StartDisplayAlerts());
    // The request is on its way when the log-out starts.
    ASSERT_TRUE(PumpUntil([&] { return service_.Requests().size() > before; }));

    auto started = std::chrono::steady_clock::now();
    EXPECT_TRUE(g.OdhlasUzivatele(false));
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(8));
    service_.DisarmFaults();
    EXPECT_EQ(LogLinesContaining("[g.DisplayAlerts][DROPPED]"), 1);

    SignIn(host, "bob@example.test", "b");
    EXPECT_EQ(Uzivatele.ActiveUserID(), 1002u);
    EXPECT_EQ(PIM[0]->Alerts.Count, 0);
    EXPECT_EQ(std::string(g.OneShotLogin().View()), "bob@example.test");
}

TEST_F(LogoutTest, FinalSaveWaitsForASaveThatRunsLong)
{
    TNHeadlessHost host;
    SignIn(host, kAliceLogin, kAlicePassword);
    AddDueAlert(11);
    PIM[0]->Alerts.QueueForSave(0);

    // Another save still runs when the log-out's 10 s have passed, and ends
    // a while later.
    plat::testing::FakeClock clock(plat::UnixMilliseconds());
    plat::SetClock(&clock);
    int64_t bound = clock.UnixMilliseconds() + 10000;
    PIM[0]->SavingPimNow = true;
    std::atomic<bool> released{false};
    std::thread other([&] {
        while (clock.UnixMilliseconds() < bound)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        released = true;
        PIM[0]->SavingPimNow = false;
    });
    EXPECT_TRUE(g.OdhlasUzivatele(false));
    other.join();
    plat::SetClock(nullptr);
    EXPECT_TRUE(released);
    EXPECT_EQ(LogLinesContaining("[g.OdhlasUzivatele][ERROR] Resetting PIM[pim_srv_pos]->SavingPimNow"), 1);
    // The final save ran, after the other one.
    EXPECT_EQ(LogLinesContaining("[TNPIM::Save][RETURN] SavingPimNow = true"), 0);
    EXPECT_EQ(LogLinesContaining("[PIM::Save] close_ra_file = 1"), 1);
}

// A pass of alice's whose get-records answer is held while she logs out
// and bob signs in.
class LogoutDuringPassTest : public SyncWorld {
protected:
    void SetUp() override
    {
        SyncWorld::SetUp();
        test_service::Account bob;
        bob.UserID = 1002;
        bob.Password = "b";
        bob.UserName = "bob";
        bob.Email = "bob@example.test";
        bob.MainOrganizer = 503;
        accounts_.AddAccount(bob);
        sync_.AddOrganizer(503, 1002, 1, 1, "Bob");
    }

    int RecordsOfOrganizer(uint32_t organizerId) const
    {
        TNModelReadGuard lock;
        int count = 0;
        for (int32_t i = 0; i < PIM[0]->Records->Count; ++i)
            if (PIM[0]->Records->Items[i]->OrganizerID == organizerId)
                ++count;
        return count;
    }
};

TEST_F(LogoutDuringPassTest, HeldAnswerOfTheOldSignInReachesNobody)
{
    sync_.SeedRecord(501, "Alenin zaznam");
    SignIn();
    ASSERT_EQ(RecordsOfOrganizer(501), 1);
    WindowState.SetActivePage("Dnes");

    // Only the log-out may end the held request.
    TNTransportConfig patient = ShortTimeouts();
    patient.LowSpeedSeconds = 20;
    patient.TotalTimeoutMs = 20000;
    ScopedTransportConfig config(patient);
    sync_.SeedRecord(501, "Dalsi Alenin zaznam");
    // Held at the service until it stops: only the log-out ends the request.
    accounts_.ArmApiFault("get-records", test_service::ApiFault::Hold());
    g.FastSync("test");
    ASSERT_TRUE(RunUntil([&] { return accounts_.Held() == 1; }));

    auto started = std::chrono::steady_clock::now();
    EXPECT_TRUE(g.OdhlasUzivatele(false));
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(8));
    EXPECT_EQ(LogLinesContaining("[g.PostToApi][DROPPED]"), 1);
    EXPECT_EQ(g.OnlineThreadRunning, 0);

    size_t bobsFirst = accounts_.Requests().size();
    ASSERT_TRUE(host_->SignIn("bob@example.test", "b"));
    ASSERT_TRUE(RunUntil([] { return g.UserLoginStatus == 1; }));
    ASSERT_TRUE(RunUntilIdle());
    EXPECT_EQ(Uzivatele.ActiveUserID(), 1002u);
    EXPECT_EQ(RecordsOfOrganizer(501), 0);
    std::vector<test_service::ApiRequest> requests = accounts_.Requests();
    ASSERT_GT(requests.size(), bobsFirst);
    for (size_t i = bobsFirst; i < requests.size(); ++i) {
        std::string userId = test_service::FieldValue(requests[i].Fields, "UserID");
        EXPECT_TRUE(userId.empty() || userId == "1002") << requests[i].Name << " UserID " << userId;
    }
}

} // namespace
} // namespace online_test
