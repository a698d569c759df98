#include "foundation/app_info.h"
#include "foundation/common.h"
#include "foundation/dirs.h"
#include "foundation/pim_array.h"
#include "foundation/users.h"
#include "model/pim.h"
#include "online/global.h"
#include "online/hooks.h"
#include "platform/core/clock.h"
#include "tests/online/online_world.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

namespace online_test {
namespace {

using GlobalTest = OnlineWorld;

std::vector<std::pair<int16_t, uint32_t>> DrainTags()
{
    std::vector<std::pair<int16_t, uint32_t>> tags;
    int16_t tag = 0;
    uint32_t param = 0;
    while (g.uiTags.Take(&tag, &param))
        tags.emplace_back(tag, param);
    return tags;
}

TEST_F(GlobalTest, RequestHeadTable)
{
    g.InstID = 7;
    TNFormBuilder head;
    ASSERT_TRUE(g.Sync2SetRequest("check-inst-id", nullptr, 0, &head));
    EXPECT_EQ(std::string(head.Text().View()), "ApiReq=check%2Dinst%2Did&InstID=7&NetBIOSName=BUILDHOST");

    // Without an active user the head is refused and nothing else moves.
    g.Online = 1;
    g.LastSyncTime = 55;
    TNFormBuilder refused;
    EXPECT_FALSE(g.Sync2SetRequest("get-records", nullptr, 1, &refused));
    EXPECT_TRUE(refused.Text().IsEmpty());
    EXPECT_EQ(LogLinesContaining("[Sync2SetRequest][ERROR] !g.ActiveUserExists"), 1);
    EXPECT_EQ(g.Online, 1);
    EXPECT_EQ(g.LastSyncTime, 55);
    EXPECT_EQ(g.uiTags.Count(), 0);
    EXPECT_TRUE(accounts_.Requests().empty());

    MakeActiveUser(kAliceID, kAliceLogin, kAlicePassword);
    TNFormBuilder withUser;
    ASSERT_TRUE(g.Sync2SetRequest("get-records", nullptr, 1, &withUser));
    EXPECT_EQ(std::string(withUser.Text().View()),
              "ApiReq=get%2Drecords&InstID=7&UserID=1001&Username=alice%40example%2Etest&Pass=p%26ss+%2B1%25%3D%9E"
              "&IsVirtual=0&NetBIOSName=BUILDHOST");
}

TEST_F(GlobalTest, CheckInstIdIssuesAnIdOnceAndStoresIt)
{
    ASSERT_TRUE(g.Sync2CheckInstID());
    EXPECT_EQ(g.InstID, 77u);
    EXPECT_EQ(g.InstIdConfirmed, 1);
    EXPECT_EQ(Dirs.LoadInstID(), 77u);
    EXPECT_EQ(accounts_.NetBIOSNameOf(77), "BUILDHOST");
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(g.Sync2CheckInstID());
    EXPECT_EQ(accounts_.RequestsNamed("check-inst-id").size(), 1u);
    EXPECT_EQ(DrainTags(), (std::vector<std::pair<int16_t, uint32_t>>{{__uiOnlineAndLoginNotTested, 0}}));
}

TEST_F(GlobalTest, CheckInstIdKeepsTheIdWhenTheAnswerHasNone)
{
    for (const char* answer : {"<handshake>1</handshake><inst-id>0</inst-id>", "<handshake>1</handshake>"}) {
        service_.Route(test_service::AccountService::kApiPath,
                       [answer](const test_service::Request&) { return test_service::Response::Text(answer); });
        g.InstID = 5;
        g.InstIdConfirmed = 0;
        EXPECT_TRUE(g.Sync2CheckInstID()) << answer;
        EXPECT_EQ(g.InstID, 5u) << answer;
        EXPECT_EQ(g.InstIdConfirmed, 0) << answer;
        EXPECT_EQ(g.Online, 1) << answer;
    }
}

TEST_F(GlobalTest, CheckInstIdCountsAnErrorPageAsOffline)
{
    service_.ArmFault(test_service::AccountService::kApiPath,
                      test_service::Fault::WithStatus(500, "<inst-id>99</inst-id>"));
    EXPECT_FALSE(g.Sync2CheckInstID());
    EXPECT_EQ(g.Online, 0);
    EXPECT_EQ(g.InstID, 0u);
    EXPECT_EQ(DrainTags(), (std::vector<std::pair<int16_t, uint32_t>>{{__uiOfflineOrDownloadError, 0}}));
}

std::vector<int32_t> beginAutoUpdateCalls;
void RecordBeginAutoUpdate(int32_t version)
{
    beginAutoUpdateCalls.push_back(version);
}

TEST_F(GlobalTest, NewestVersionTable)
{
    struct Case {
        const char* name;
        int32_t newest;
        int32_t announced;
        uint8_t isUpdate;
        std::vector<int32_t> calls;
        uint8_t pending;
        int32_t tags;
    };
    const Case cases[] = {
        {"equal to the program's", 167, 0, 0, {}, 0, 0}, {"older", 150, 0, 0, {}, 0, 0},
        {"already announced", 170, 170, 0, {}, 0, 0},    {"newer", 170, 0, 0, {170}, 0, 0},
        {"newer in an update run", 170, 0, 1, {}, 1, 1},
    };
    OnlineHooks.BeginAutoUpdate = &RecordBeginAutoUpdate;
    for (const Case& c : cases) {
        beginAutoUpdateCalls.clear();
        g.LastAnnouncedVersion = c.announced;
        g.UpdatePending = 0;
        App.IsUpdate = c.isUpdate;
        TNString answer(("<newest-version>" + std::to_string(c.newest) + "</newest-version>").c_str());
        g.Sync2TestNewestVersion(&answer);
        EXPECT_EQ(beginAutoUpdateCalls, c.calls) << c.name;
        EXPECT_EQ(g.UpdatePending, c.pending) << c.name;
        auto tags = DrainTags();
        EXPECT_EQ(static_cast<int32_t>(tags.size()), c.tags) << c.name;
        if (c.tags == 1) {
            EXPECT_EQ(tags[0].first, __uiRunAppUpdate) << c.name;
        }
    }
    App.IsUpdate = 0;
}

TEST_F(GlobalTest, WishesForAPassAreStickyAndFastSyncAsksAtOnce)
{
    g.NewSyncWanted = 0;
    g.Sync2Finish(true, true, "first", __uiOnlineAndLogged);
    g.Sync2Finish(true, false, "second", __uiOnlineAndLogged);
    EXPECT_EQ(g.NewSyncWanted, 1);
    EXPECT_GT(g.LastSyncTime, 0);

    EXPECT_TRUE(g.FastSync("test"));
    EXPECT_EQ(g.LastSyncTime, 0);
    EXPECT_EQ(g.NewSyncWanted, 1);
}

TEST_F(GlobalTest, TheConsumerIsWokenAndAFullQueueLogsTheDrop)
{
    std::atomic<int> wakes{0};
    static std::atomic<int>* wakeCount = nullptr;
    wakeCount = &wakes;
    MainWindowHooks.WakeUiTagConsumer = [] { ++*wakeCount; };
    for (uint32_t i = 0; i <= 1024; ++i)
        g.SetUpdateUiTag(__uiUpdateHpNotesAndTasks, i);
    EXPECT_EQ(g.uiTags.Count(), 1024);
    EXPECT_EQ(LogLinesContaining("[TNGlobal::SetUpdateUiTag][ERROR] uiTagsCount >= __uiTagsMaxCount; uiTagsCount = "
                                 "1024"),
              1);
    g.SetUpdateUiTag(__uiUpdateHpNotesAndTasks, 5);
    EXPECT_EQ(LogLinesContaining("[g.SetUpdateUiTag][FOUND] tag = 8"), 1);
    Pump();
    EXPECT_EQ(wakes, 1026);
}

TEST_F(GlobalTest, TheMainThreadTakesTheModelLockWhileAnAnswerIsOnTheWay)
{
    accounts_.ArmApiFault("check-inst-id", test_service::ApiFault::Hold());
    std::thread worker([] { g.Sync2CheckInstID(); });
    ASSERT_TRUE(PumpUntil([&] { return accounts_.Held() == 1; }, 10000));
    {
        // The answer cannot come while the service holds it: the lock is
        // taken without waiting for it.
        TNUiJobLock lock = g.WaitUntilSyncJobIsDone("test", 1);
        EXPECT_EQ(accounts_.Held(), 1);
        EXPECT_EQ(g.UiUpdateIsRunning, 1);
    }
    EXPECT_EQ(g.UiUpdateIsRunning, 0);
    accounts_.ReleaseHeld();
    worker.join();
    EXPECT_EQ(g.InstID, 77u);
}

TEST_F(GlobalTest, AnAnswerIsAppliedOnlyAfterTheMainThreadLetsGo)
{
    std::atomic<bool> done{false};
    std::thread worker;
    {
        TNUiJobLock lock = g.WaitUntilSyncJobIsDone("test", 1);
        worker = std::thread([&] {
            g.Sync2CheckInstID();
            done = true;
        });
        ASSERT_TRUE(PumpUntil([&] { return accounts_.RequestsNamed("check-inst-id").size() == 1; }));
        std::this_thread::sleep_for(std::chrono::milliseconds(150));
        EXPECT_FALSE(done);
        EXPECT_EQ(g.InstID, 0u);
    }
    worker.join();
    EXPECT_EQ(g.InstID, 77u);
    EXPECT_EQ(c.SyncIsRunning, 0);
}

} // namespace
} // namespace online_test
