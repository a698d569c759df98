#include "foundation/app_info.h"
#include "foundation/dirs.h"
#include "foundation/pim_array.h"
#include "foundation/users.h"
#include "model/pim.h"
#include "online/global.h"
#include "online/headless_host.h"
#include "online/hooks.h"
#include "online/login.h"
#include "platform/core/thread.h"
#include "tests/online/online_world.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace online_test {
namespace {

using JobTest = OnlineWorld;

void Start(int32_t tag, TLogin* job = nullptr)
{
    if (job == nullptr)
        job = new TLogin();
    job->Tag = tag;
    ASSERT_TRUE(job->Resume());
}

// What reached the main loop: each UI tag as the consumer would take it,
// and "T<n>" for timerAfterOnlineLogin.
std::mutex eventsMutex;
std::vector<std::string> events;

// One tag per wake, as the consumer's timer takes them.
void RecordTag()
{
    int16_t tag = 0;
    uint32_t param = 0;
    if (g.uiTags.Take(&tag, &param)) {
        std::lock_guard<std::mutex> guard(eventsMutex);
        events.push_back(std::to_string(tag));
    }
}

void RecordAfterLogin(int32_t tag)
{
    std::lock_guard<std::mutex> guard(eventsMutex);
    events.push_back("T" + std::to_string(tag));
}

TEST_F(JobTest, AJobStartedWhileClosingDoesNothing)
{
    g.Close = 1;
    Start(2);
    ASSERT_TRUE(plat::WaitForRunningThreads(5000));
    EXPECT_EQ(LogLinesContaining("[TLogin][RETURN][Nothing will happen; App is closing; Thread will no run!] Tag = 2"),
              1);
    EXPECT_EQ(LogLinesContaining("[TLogin][BEGIN]"), 0);
    EXPECT_FALSE(g.runningLoadLocalData);
}

TEST_F(JobTest, TwoQuickStartsRunOneJobEach)
{
    // Job 2 waits for the model lock the main thread holds; job 1 for a
    // slow service.
    service_.ArmFault(test_service::AccountService::kApiPath, test_service::Fault::Stall(300));
    {
        TNUiJobLock lock = g.WaitUntilSyncJobIsDone("test", 0);
        Start(2);
        Start(2);
        Start(1);
        Start(1);
        ASSERT_TRUE(PumpUntil([] { return plat::RunningThreadCount() == 2; }));
    }
    ASSERT_TRUE(plat::WaitForRunningThreads(5000));
    EXPECT_EQ(LogLinesContaining("[TLogin][BEGIN] Tag = 2"), 1);
    EXPECT_EQ(LogLinesContaining("[TLogin][BEGIN] Tag = 1"), 1);
    EXPECT_EQ(accounts_.RequestsNamed("login").size(), 1u);
    EXPECT_FALSE(g.runningLogin);
    EXPECT_FALSE(g.runningLoadLocalData);
}

TEST_F(JobTest, LoadingWithoutAUserFolderOpensNoFileWhereTheProcessRuns)
{
    // Job 2 before any user folder is chosen: the record file's name would
    // otherwise be relative to the working folder.
    std::string work = Root() + "/work";
    ASSERT_EQ(::mkdir(work.c_str(), 0700), 0);
    char before[4096];
    ASSERT_NE(::getcwd(before, sizeof before), nullptr);
    ASSERT_EQ(::chdir(work.c_str()), 0);
    Dirs.UserDir.Set("");
    Start(2);
    bool joined = plat::WaitForRunningThreads(5000);
    ASSERT_EQ(::chdir(before), 0);
    ASSERT_TRUE(joined);
    EXPECT_TRUE(std::filesystem::is_empty(work));
    EXPECT_EQ(LogLinesContaining("[TNPIM::Load][ERROR] No user folder; the record file stays closed"), 1);
}

TEST_F(JobTest, LoadingReportsItsProgressThenHandsOver)
{
    // A data file with one entry, so that each report queues one tag.
    MakeActiveUser(kAliceID, kAliceLogin, kAlicePassword);
    Dirs.UserDirName.Set("1001");
    ASSERT_TRUE(Dirs.GoToUserDir(false));
    PIM[0]->UserID = kAliceID;
    PIM[0]->Load(nullptr);
    PIM[0]->LastRequests.SetItem(2, 501, 100);
    PIM[0]->Save(false, false);
    PIM[0]->LastRequests.Clear();

    events.clear();
    MainWindowHooks.WakeUiTagConsumer = &RecordTag;
    MainWindowHooks.ArmAfterOnlineLogin = &RecordAfterLogin;
    Start(2);
    ASSERT_TRUE(plat::WaitForRunningThreads(5000));
    Pump();
    EXPECT_EQ(events, (std::vector<std::string>{"102", "103", "104", "T2", "105"}));
    EXPECT_EQ(PIM[0]->LastRequests.Count, 1);
}

class ThrowingLogin : public TLogin {
protected:
    void RunJob() override { throw std::runtime_error("job"); }
};

TEST_F(JobTest, AnExceptionIsLoggedUnderTheTagAndFreesTheJob)
{
    Start(2, new ThrowingLogin());
    ASSERT_TRUE(plat::WaitForRunningThreads(5000));
    EXPECT_GE(LogLinesContaining("[TLogin][Tag=2]"), 1);
    EXPECT_EQ(LogLinesContaining("[TLogin][END] Tag = 2"), 1);
    EXPECT_FALSE(g.runningLoadLocalData);
}

TEST_F(JobTest, OnTerminateRunsOnTheMainThread)
{
    std::thread::id ranOn;
    auto* job = new TLogin();
    job->OnTerminate = [&] { ranOn = std::this_thread::get_id(); };
    Start(5, job);
    ASSERT_TRUE(PumpUntil([&] { return ranOn != std::thread::id(); }));
    EXPECT_EQ(ranOn, std::this_thread::get_id());
}

TEST_F(JobTest, HeadlessSignInEndsSignedInWithOnePass)
{
    TNHeadlessHost host;
    ASSERT_TRUE(host.SignIn(kAliceLogin, kAlicePassword));
    ASSERT_TRUE(PumpUntil([] { return g.UserLoginStatus == 1; }));
    ASSERT_TRUE(plat::WaitForRunningThreads(5000));
    Pump();
    EXPECT_EQ(host.AfterLoginTags(), (std::vector<int32_t>{1, 2}));
    EXPECT_EQ(host.OnlineTimerArms(), (std::vector<int32_t>{1}));
    EXPECT_EQ(g.NewSyncWanted, 1);
    EXPECT_EQ(std::string(g.Account().Password.View()), kAlicePassword);

    // The consumer took every tag, one per turn, oldest first.
    auto taken = host.TakenTags();
    ASSERT_FALSE(taken.empty());
    EXPECT_EQ(taken.front().first, __uiTextLogingUser);
    EXPECT_EQ(taken.back().first, __uiTextRunningApplication);
    EXPECT_EQ(g.uiTags.Count(), 0);

    TNUsers stored;
    std::string file = UsersFile();
    ASSERT_TRUE(stored.Load(file.substr(0, file.rfind('/') + 1)));
    TNUser alice;
    ASSERT_TRUE(stored.GetUser(stored.AktivniUzivatel, &alice));
    EXPECT_EQ(std::string(alice.Login.View()), kAliceLogin);
    EXPECT_EQ(alice.UserID, kAliceID);
}

} // namespace
} // namespace online_test
