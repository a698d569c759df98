// The closing utility as a program of its own, run as a process against
// peers and copies of the program. It runs as killer_probe, which is the
// utility with the program's name set to one unique to the test.
#include "platform/core/bus_client.h"
#include "platform/core/window_messages.h"
#include "tests/killer/killer_fixture.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace {

using SteadyClock = std::chrono::steady_clock;

constexpr const char* kLastLine = "[TNCommon::Destroy][LAST_LOG] Setting App.WriteLog to false.";

int64_t MillisecondsSince(SteadyClock::time_point start)
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(SteadyClock::now() - start).count();
}

bool ExitedWithZero(int status)
{
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

using KillerRun = KillerFixture;

TEST_F(KillerRun, WithNothingRunningItEndsAtOnce)
{
    std::string utility = InstallUtility();
    auto start = SteadyClock::now();
    int status = RunUtility(utility);
    EXPECT_LT(MillisecondsSince(start), 500);
    EXPECT_TRUE(ExitedWithZero(status));
}

TEST_F(KillerRun, ARunningCopyEndsThroughItsWindowOnItsOwn)
{
    testenv::Child copy;
    ASSERT_TRUE(copy.Spawn({InstallProgram()}));
    ASSERT_TRUE(WaitForMainWindow(copy));

    EXPECT_TRUE(ExitedWithZero(RunUtility(InstallUtility())));

    int status = -1;
    ASSERT_TRUE(copy.Wait(status, 1000));
    // On the login page the close itself ends the run. The utility ends the
    // process once the window has gone; a slow build (the sanitizers' exit
    // check) may still be ending then, its close done.
    const bool endedItself = ExitedWithZero(status);
    EXPECT_TRUE(endedItself || (WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL)) << status;
    std::string log = ProgramLog();
    size_t close = log.find("[TfrmMainDLMR1] WM_CLOSE received.");
    ASSERT_NE(close, std::string::npos) << log;
    EXPECT_EQ(log.find("[TfrmMainDLMR1] WM_CLOSE received.", close + 1), std::string::npos) << "one pass was enough";
    EXPECT_NE(log.find("[FormClose][END] <APP-END>", close), std::string::npos) << log;
    if (endedItself) {
        EXPECT_NE(log.find(kLastLine, close), std::string::npos) << "its normal last line";
    }
    EXPECT_TRUE(plat::ListBusWindows("TfrmMainDLMR1").empty());
}

TEST_F(KillerRun, AHungCopyIsEndedWithinSevenSeconds)
{
    // A copy stopped by SIGSTOP answers nothing: each send to it times out.
    testenv::Child copy;
    ASSERT_TRUE(copy.Spawn({InstallProgram()}));
    ASSERT_TRUE(WaitForMainWindow(copy));
    ASSERT_TRUE(copy.Signal(SIGSTOP));

    auto start = SteadyClock::now();
    EXPECT_TRUE(ExitedWithZero(RunUtility(InstallUtility())));
    EXPECT_LT(MillisecondsSince(start), 7000);
    EXPECT_TRUE(WasKilled(copy));
}

TEST_F(KillerRun, ARunningCopyEndsOnTheEndOfTheSession)
{
    testenv::Child copy;
    ASSERT_TRUE(copy.Spawn({InstallProgram()}));
    ASSERT_TRUE(WaitForMainWindow(copy));
    std::vector<plat::BusWindow> windows = plat::ListBusWindows("TfrmMainDLMR1");
    ASSERT_EQ(windows.size(), 1u);

    int64_t result = 0;
    EXPECT_EQ(plat::SendBusMessage(windows[0], plat::kWmEndSession, 1, 0, 2000, result), plat::BusSendResult::Answered);
    EXPECT_EQ(result, 1);
    int status = -1;
    ASSERT_TRUE(copy.Wait(status, 2000));
    EXPECT_TRUE(ExitedWithZero(status));
    std::string log = ProgramLog();
    EXPECT_NE(log.find("[EndSession] WM_ENDSESSION received."), std::string::npos) << log;
    EXPECT_NE(log.find(kLastLine), std::string::npos);
}

TEST_F(KillerRun, EndsOnlyProcessesNamedExactlyLikeTheProgramButNeverItself)
{
    struct Case {
        const char* what;
        std::string name;
        bool ended;
    };
    std::string capitalised = programName_;
    capitalised[0] = 'D';
    const Case cases[] = {
        {"the program", programName_, true},
        {"another letter case", capitalised, false},
        {"a longer name", programName_ + "0", false},
        {"a file really named so", programName_ + " (deleted)", false},
    };
    std::vector<std::unique_ptr<testenv::Child>> copies;
    for (const Case& row : cases)
        copies.push_back(StartPeer(row.name, "-"));

    // A copy whose program file an update replaced while it runs.
    std::string replacedFolder = root_ + "replaced/";
    Install(DALMORA_CLOSING_PEER, programName_, replacedFolder);
    testenv::Child replaced;
    ASSERT_TRUE(replaced.Spawn({replacedFolder + programName_, "R", MessagesPath()}));
    ASSERT_TRUE(replaced.ReadUntil("ready"));
    ASSERT_TRUE(plat::WriteFileAtomically(replacedFolder + programName_, "a newer version", 0755));

    // The utility itself carries the program's name too.
    std::string utility = Install(DALMORA_KILLER_PROBE, programName_, root_ + "killer/");
    EXPECT_TRUE(ExitedWithZero(RunUtility(utility)));

    for (size_t i = 0; i < copies.size(); ++i) {
        SCOPED_TRACE(cases[i].what);
        if (cases[i].ended)
            EXPECT_TRUE(WasKilled(*copies[i]));
        else
            EXPECT_TRUE(IsRunning(*copies[i]));
    }
    EXPECT_TRUE(WasKilled(replaced)) << "a replaced program file";
}

// The delivered KillDalmora1, with the program's real name, is run only in a
// process list of its own (a new pid namespace), where nothing but the test's
// own processes can be reached.
class DeliveredKiller : public KillerFixture {
protected:
    void SetUp() override
    {
        KillerFixture::SetUp();
        int status = -1;
        if (!RunInOwnProcessList({"/bin/true"}, status) || !ExitedWithZero(status))
            GTEST_SKIP() << "no pid namespace can be made here";
    }

    // Runs `arguments` as the first process of a new pid namespace.
    bool RunInOwnProcessList(const std::vector<std::string>& arguments, int& status, testenv::Child* child = nullptr)
    {
        std::vector<std::string> command = {"/usr/bin/unshare", "--pid", "--fork", "--kill-child", "--mount-proc"};
        command.insert(command.end(), arguments.begin(), arguments.end());
        testenv::Child own;
        testenv::Child& run = child != nullptr ? *child : own;
        return plat::FileExists(command[0]) && run.Spawn(command) && run.Wait(status, 10000);
    }
};

TEST_F(DeliveredKiller, WithNothingRunningItEndsAtOnce)
{
    auto start = SteadyClock::now();
    int status = -1;
    ASSERT_TRUE(RunInOwnProcessList({DALMORA_KILLER}, status));
    EXPECT_LT(MillisecondsSince(start), 500);
    EXPECT_TRUE(ExitedWithZero(status));
}

TEST_F(DeliveredKiller, EndsACopyNamedDalmora1ThatHasNoWindow)
{
    // The shell starts a peer named dalmora1, waits until it runs, runs the
    // utility and prints both exit statuses.
    std::string peer = Install(DALMORA_CLOSING_PEER, "dalmora1");
    const char* script = "\"$1\" - /dev/null > \"$3\" & copy=$!\n"
                         "until grep -qs ready \"$3\"; do sleep 0.01; done\n"
                         "\"$2\"; echo \"utility=$?\"\n"
                         "wait $copy; echo \"copy=$?\"\n";
    testenv::Child run;
    int status = -1;
    ASSERT_TRUE(
        RunInOwnProcessList({"/bin/sh", "-c", script, "sh", peer, DALMORA_KILLER, root_ + "peer-out"}, status, &run));
    EXPECT_TRUE(ExitedWithZero(status));
    EXPECT_TRUE(run.ReadUntil("utility=0"));
    EXPECT_TRUE(run.ReadUntil("copy=137")) << "ended by SIGKILL";
}

TEST_F(KillerRun, AnotherUsersCopyIsLeftAlone)
{
    if (geteuid() != 0 || !plat::FileExists("/usr/bin/setpriv"))
        GTEST_SKIP() << "needs root to run a copy as another user";
    // The other user must reach the program file.
    ASSERT_EQ(chmod(root_.c_str(), 0711), 0);
    ASSERT_EQ(chmod(bin_.c_str(), 0755), 0);
    auto others =
        StartPeer(programName_, "O", {}, {"/usr/bin/setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"});
    auto own = StartPeer(programName_, "-");

    EXPECT_TRUE(ExitedWithZero(RunUtility(InstallUtility())));

    EXPECT_TRUE(WasKilled(*own));
    EXPECT_TRUE(IsRunning(*others));
}

} // namespace
