#include "foundation/app_info.h"
#include "foundation/common.h"
#include "foundation/log.h"
#include "foundation/setup.h"
#include "mainwindow/restart_brake.h"
#include "mainwindow/update_completion.h"
#include "online/global.h"
#include "online/hooks.h"
#include "online/update.h"
#include "platform/core/paths.h"
#include "platform/core/thread.h"
#include "platform/gui/form.h"
#include "platform/gui/hot_keys.h"
#include "platform/gui/menu.h"
#include "platform/gui/notebook.h"
#include "platform/gui/timer.h"
#include "platform/gui/tray_icon.h"
#include "platform/testing/fake_clock.h"
#include "platform/testing/tray_host.h"
#include "tests/mainwindow/shell_fixture.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace shell_test {
namespace {

std::mutex startsMutex;
std::vector<std::vector<std::string>> starts;

bool RecordStart(const std::vector<std::string>& argv)
{
    std::lock_guard<std::mutex> lock(startsMutex);
    starts.push_back(argv);
    return true;
}

int onlineRuns = 0;

class ShutDownTest : public ShellTest {
protected:
    void SetUp() override
    {
        ShellTest::SetUp();
        c.RealExit = 0;
        App.UpdateReady = 0;
        g.WantUpdate = 0;
        g.CloseForUpdate = 0;
        g.OnlineThreadRunning = 0;
        g.runningChangedRecordSaveSequence = 0;
        AutoUpdate.DoNotUpdate = 0;
        AutoUpdate.runningStahniSoubor = 0;
        starts.clear();
        TNRestartBrake::SetStarterForTest(&RecordStart);
        CountOnlineRuns();
    }
    void TearDown() override
    {
        TNRestartBrake::SetStarterForTest(nullptr);
        AutoUpdate.runningStahniSoubor = 0;
        App.IsDev = 1;
        g.CloseForUpdate = 0;
        c.ExitAllowed = 0;
        c.RealExit = 0;
        g.uiTags.Clear();
        ShellTest::TearDown();
    }

    // RunOnlineNow arms the online timer through the window calls.
    void CountOnlineRuns()
    {
        onlineRuns = 0;
        MainWindowHooks.ArmOnlineTimer = [](int32_t) { ++onlineRuns; };
    }

    // Log lines in the order they were written, those containing `text`.
    std::vector<std::string> LogLinesWith(const std::vector<std::string>& texts) const
    {
        std::vector<std::string> found;
        const std::string all = LogText();
        size_t begin = 0;
        while (begin < all.size()) {
            size_t end = all.find('\n', begin);
            if (end == std::string::npos)
                end = all.size();
            const std::string line = all.substr(begin, end - begin);
            for (const std::string& text : texts)
                if (line.find(text) != std::string::npos)
                    found.push_back(text);
            begin = end + 1;
        }
        return found;
    }

    static std::string ReadFile(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    }
};

TEST_F(ShutDownTest, CloseDecisionsHideMinimiseOrExit)
{
    struct Case {
        const char* name;
        bool signingIn;
        bool realExit;
        bool exitAllowed;
        bool development;
        bool settingExitAllowed;
        bool minimiseInstead;
        bool loginPage;
        bool closes;
        bool minimised;
    };
    const Case cases[] = {
        {"signed-in close hides", false, false, false, false, false, false, false, false, false},
        {"minimise instead of hide", false, false, false, false, false, true, false, false, true},
        {"sign-in in progress refuses", true, true, false, false, false, false, false, false, false},
        {"exit menu item exits", false, true, false, false, false, false, false, true, false},
        {"session end exits", false, false, true, false, false, false, false, true, false},
        {"development mode exits", false, false, false, true, false, false, false, true, false},
        {"exit allowed by setting", false, false, false, false, true, false, false, true, false},
        {"login page exits", false, false, false, false, false, false, true, true, false},
    };
    plat::testing::ScopedFakeClock clock(1'800'000'000);
    for (const Case& row : cases) {
        SCOPED_TRACE(row.name);
        MakeMainWindow();
        CountOnlineRuns();
        if (!row.loginPage)
            SignIn();
        g.Close = 0;
        g.runningLogin = row.signingIn;
        c.RealExit = row.realExit ? 1 : 0;
        c.ExitAllowed = row.exitAllowed ? 1 : 0;
        App.IsDev = row.development ? 1 : 0;
        ::Setup.SetValue("SettingsAppExitAllowed", row.settingExitAllowed ? 1 : 0, TNSetupItem::kBool);
        ::Setup.SetValue("SettingsMinimizeInsteadOfHide", row.minimiseInstead ? 1 : 0, TNSetupItem::kBool);
        Main().trayIcon->SetTag(1);
        Pages().Calls.clear();

        bool canClose = true;
        Main().FormCloseQuery(canClose);
        plat::testing::Flush();

        EXPECT_EQ(canClose, row.closes);
        const bool hides = !row.closes && !row.signingIn;
        // A signed-in exit logs out, and the log-out stores the edited note.
        const bool logsOut = row.closes && !row.loginPage;
        EXPECT_EQ(Pages().Count("SaveEditedNote 2"), hides || logsOut ? 1 : 0);
        EXPECT_EQ(Pages().Count("ForgetEditedNote"), hides ? 1 : 0);
        EXPECT_EQ(onlineRuns, hides ? 1 : 0);
        EXPECT_EQ(Main().timerResetView->Enabled(), hides);
        if (hides) {
            EXPECT_EQ(Main().timerResetView->Interval(), 60000u);
            if (row.minimised) {
                EXPECT_EQ(Main().WindowState(), plat::TWindowState::wsMinimized);
                EXPECT_FALSE(Main().AlphaBlend());
                EXPECT_EQ(Main().trayIcon->Tag(), 1);
            } else {
                EXPECT_EQ(Main().trayIcon->Tag(), 0);
                EXPECT_FALSE(Main().trayIcon->ApplicationVisible());
            }
        }
        if (row.closes) {
            EXPECT_EQ(g.Close.load(), 1);
        }
        g.runningLogin = false;
    }
}

TEST_F(ShutDownTest, FormCloseReleasesInOrder)
{
    plat::testing::ScopedFakeClock clock(1'800'000'000);
    std::vector<std::string> released;
    Main().onCloseToast = [&] { released.push_back("toast"); };
    Main().onReleaseSounds = [&] { released.push_back("sounds"); };
    Main().RegisterHotkeysFromSettings();
    Main().timerHint->SetTag(7);
    Main().timerHint->SetEnabled(true);
    Main().pleaseRestartApplication = true;
    App.IsUpdate = 1; // completes the update now, not at the end of the run
    g.WantUpdate = 1;
    Main().timerUpdateUI->SetEnabled(true);
    Main().timerOnline->SetEnabled(true);

    Main().mnuExitClick();

    EXPECT_EQ(released, (std::vector<std::string>{"toast", "sounds"}));
    EXPECT_FALSE(Main().timerHint->Enabled());
    // A tick the loop still delivers before it ends runs nothing.
    EXPECT_FALSE(Main().timerUpdateUI->Enabled());
    EXPECT_FALSE(Main().timerOnline->Enabled());
    EXPECT_EQ(Main().timerHint->Tag(), 0);
    EXPECT_FALSE(plat::HotKeys::Simulate(101));
    const std::vector<std::string> order = {"[FormClose][BEGIN] <APP-END>",
                                            "[FormClose] UnregisterAllHotkeys",
                                            "[FormClose] UnhookWinEvent",
                                            "[FormClose] raf.closeAllFiles",
                                            "[FormClose] UvolniZvuky",
                                            "[TNUpdate::DokonciAktualizaci][BEGIN]",
                                            "[FormClose] pleaseRestartApplication = true; calling ShellExecute() ",
                                            "[FormClose][END] <APP-END>"};
    EXPECT_EQ(LogLinesWith(order), order);
    ASSERT_EQ(starts.size(), 1u);
    EXPECT_EQ(starts[0], (std::vector<std::string>{plat::ProgramFile(), "restart"}));
    App.IsUpdate = 0;
}

TEST_F(ShutDownTest, TheCloseButtonHidesAndASecondCopyShowsTheWindowAgain)
{
    SignIn();
    App.IsDev = 0;
    Main().trayIcon->ShowApplication();

    Main().Perform(plat::WM_CLOSE, 0, 0);
    EXPECT_FALSE(Main().trayIcon->ApplicationVisible());
    EXPECT_EQ(g.Close.load(), 0);
    EXPECT_EQ(LogCount("[FormClose][BEGIN]"), 0);

    EXPECT_EQ(Main().Perform(plat::WM_DALMORA_RESTORE, 0, 0), 1);
    EXPECT_TRUE(Main().trayIcon->ApplicationVisible());
    EXPECT_TRUE(Main().Visible());
    EXPECT_EQ(Main().trayIcon->Tag(), 1);
    // The window made transparent by the close query is opaque again.
    EXPECT_FALSE(Main().AlphaBlend());
}

TEST_F(ShutDownTest, WithoutATrayTheClosedWindowIsMinimisedAndOpaque)
{
    SignIn();
    App.IsDev = 0;
    for (const bool host : {true, false}) {
        SCOPED_TRACE(host ? "tray host" : "no tray host");
        plat::testing::ScopedTrayHost tray(host);
        Main().trayIcon->ShowApplication();
        Main().Show();
        Main().Perform(plat::WM_CLOSE, 0, 0);
        EXPECT_FALSE(Main().trayIcon->ApplicationVisible());
        EXPECT_EQ(Main().Visible(), !host);
        EXPECT_EQ(Main().AlphaBlend(), host);
    }
}

TEST(UpdateCompletion, FollowsTheCloseStep)
{
    struct Case {
        const char* name;
        TNUpdateCloseState state;
        TNUpdateCompletion expected;
    };
    using U = TNUpdateCompletion;
    // doNotUpdate, startedForUpdate, appUpdateReady, updateReady, exitAllowed, realExit
    const Case cases[] = {
        {"do not update wins", {true, false, false, true, false, true}, U::None},
        {"ready update at the end of the run", {false, false, false, true, false, true}, U::AtEndOfRun},
        {"session end with a ready update", {false, false, false, true, true, false}, U::AtEndOfRun},
        {"update run completes now", {false, true, false, true, false, true}, U::Now},
        {"nothing ready, real exit", {false, false, false, false, true, true}, U::Now},
        {"nothing ready, plain close", {false, false, false, false, false, false}, U::Now},
        {"session end completes nothing", {false, false, false, false, true, false}, U::None},
        {"update run, session end", {false, true, false, true, true, false}, U::None},
        {"entry function already has it", {false, false, true, true, false, true}, U::None},
        {"entry function has it in an update run", {false, true, true, false, false, false}, U::None},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(DecideUpdateCompletion(row.state), row.expected);
    }
}

TEST_F(ShutDownTest, StalledPassEndsAtTheBoundWhateverTheRequests)
{
    plat::testing::ScopedFakeClock clock(1'800'000'000);
    SignIn();
    App.IsDev = 0;
    g.OnlineThreadRunning = 1;
    AutoUpdate.runningStahniSoubor = 1;

    Main().mnuExitClick();
    EXPECT_EQ(Main().Caption(), "Vypínám Dalmora...");
    EXPECT_TRUE(Main().timerCloseApp->Enabled());
    // The abandoned download is waited for once, 40 x 250 ms.
    EXPECT_EQ(LogCount("[FormCloseQuery] Waiting for AutoUpdate.runningStahniSoubor..."), 1);
    EXPECT_EQ(AutoUpdate.DoNotUpdate.load(), 1);

    // The closing utility's rounds during the wait.
    for (int pair = 0; pair < 20; ++pair) {
        Main().Perform(plat::WM_CLOSE, 0, 0);
        EXPECT_EQ(Main().Perform(plat::WM_QUERYENDSESSION, 0, 0), 1);
        timers_->Advance(250);
    }
    for (int tick = 20; tick < 99; ++tick)
        timers_->Advance(250);
    EXPECT_EQ(LogCount("[FormClose][END] <APP-END>"), 0);
    EXPECT_EQ(g.OnlineThreadRunning.load(), 1);

    timers_->Advance(250);
    EXPECT_EQ(LogCount("[FormClose][END] <APP-END>"), 1);
    EXPECT_EQ(g.OnlineThreadRunning.load(), 0);
    EXPECT_FALSE(Main().timerCloseApp->Enabled());
    EXPECT_EQ(LogCount("[FormCloseQuery][RETURN] Closing; waiting for the online thread."), 40);
    EXPECT_EQ(LogCount("[FormCloseQuery] Waiting for AutoUpdate.runningStahniSoubor..."), 1);
}

TEST_F(ShutDownTest, ALoopEndedDuringTheWaitStillClosesAndSaves)
{
    plat::testing::ScopedFakeClock clock(1'800'000'000);
    SignIn();
    App.IsDev = 0;
    g.OnlineThreadRunning = 1;
    Main().Perform(plat::WM_QUERYENDSESSION, 0, 0);
    for (int tick = 0; tick < 40; ++tick)
        timers_->Advance(250);
    ASSERT_EQ(LogCount("[FormClose][END] <APP-END>"), 0);
    // The page's picture job may still run on a loaded machine; the log-out
    // would wait for it on the fake clock and blur the close's own wait.
    ASSERT_TRUE(plat::WaitForRunningThreads(10'000));
    const int64_t before = clock->UnixMilliseconds();

    // The session's end ended the loop here; the pass never ends.
    Main().FinishCloseAfterLoop();

    EXPECT_EQ(clock->UnixMilliseconds() - before, 60 * 250);
    EXPECT_EQ(LogCount("[g.OdhlasUzivatele][BEGIN] closing_application = 1"), 1);
    EXPECT_EQ(LogCount("[FormClose][END] <APP-END>"), 1);
    Main().FinishCloseAfterLoop();
    EXPECT_EQ(LogCount("[TfrmMainDLMR1::FinishCloseAfterLoop]"), 2);
}

TEST_F(ShutDownTest, EmergencyRestartsOnceAndBrakesALoop)
{
    plat::testing::ScopedFakeClock clock(1'800'000'000);
    App.IsDev = 0;
    std::remove(TNRestartBrake::FilePath().c_str());

    auto emergency = [&] {
        g.OnlineThreadRunning = 1;
        g.runningChangedRecordSaveSequence = 1;
        std::thread worker([] { c.FatalErrorApplicationRestart(); });
        worker.join();
        EXPECT_TRUE(Main().timerEmergencyAppClose->Enabled());
        timers_->Advance(25);
        EXPECT_FALSE(Main().timerEmergencyAppClose->Enabled());
        // A tick that slipped through changes nothing.
        Main().timerEmergencyAppCloseTimer();
    };

    emergency();
    EXPECT_EQ(LogCount("[TfrmMainDLMR1::timerEmergencyAppCloseTimer] Waiting for g.OnlineThreadRunning... "), 390);
    EXPECT_EQ(LogCount("[TfrmMainDLMR1::timerEmergencyAppCloseTimer] Waiting for g.OnlineThreadRunning... 399"), 1);
    EXPECT_EQ(
        LogCount("[TfrmMainDLMR1::timerEmergencyAppCloseTimer] Waiting for g.runningChangedRecordSaveSequence... "),
        390);
    EXPECT_EQ(g.OnlineThreadRunning.load(), 0);
    EXPECT_EQ(g.runningChangedRecordSaveSequence.load(), 0);
    EXPECT_EQ(LogCount("[TfrmMainDLMR1::timerEmergencyAppCloseTimer][BEGIN][ERROR][EXCEPTION]"), 1);
    EXPECT_EQ(LogCount("[FormClose][END] <APP-END>"), 1);
    ASSERT_EQ(starts.size(), 1u);
    EXPECT_EQ(starts[0], (std::vector<std::string>{plat::ProgramFile(), "restart"}));
    const int64_t written = std::stoll(ReadFile(TNRestartBrake::FilePath()));
    EXPECT_GE(written, 1'800'000'000);
    EXPECT_LE(written, 1'800'000'000 + 30);
    EXPECT_EQ(LogCount("[TfrmMainDLMR1::timerEmergencyAppCloseTimer] restart skipped; last automatic restart 0"), 1);

    // The restarted copy fails again 5 minutes later (the waits take 20 s
    // more): nothing starts.
    clock->SetUnixSeconds(written + 280);
    MakeMainWindow();
    emergency();
    EXPECT_EQ(starts.size(), 1u);
    EXPECT_EQ(LogCount("[FormClose] restart skipped; last automatic restart 300"), 1);
    EXPECT_EQ(std::stoll(ReadFile(TNRestartBrake::FilePath())), written);

    // 11 minutes after the last restart one copy starts again.
    clock->SetUnixSeconds(written + 640);
    MakeMainWindow();
    emergency();
    EXPECT_EQ(starts.size(), 2u);
    EXPECT_EQ(std::stoll(ReadFile(TNRestartBrake::FilePath())), written + 660);
}

TEST_F(ShutDownTest, AnUpdatesCloseStartsTheProgramAgainOrWaitsForTheEndOfTheRun)
{
    plat::testing::ScopedFakeClock clock(1'800'000'000);
    std::remove(TNRestartBrake::FilePath().c_str());
    auto closeForUpdate = [&] {
        c.ExitAllowed = 1;
        c.RealExit = 1;
        g.WantUpdate = 1;
        g.CloseForUpdate = 1;
        g.SetUpdateUiTag(__uiCloseApplication, 0);
        plat::testing::Flush();
        timers_->Advance(10);
    };

    // The update closes the window: the close starts the program again.
    closeForUpdate();
    EXPECT_EQ(LogCount("[FormClose][END] <APP-END>"), 1);
    ASSERT_EQ(starts.size(), 1u);
    EXPECT_EQ(starts[0], (std::vector<std::string>{plat::ProgramFile(), "restart"}));

    // A minute later the started copy could not be started again: it does
    // not close, and the update waits for the end of its run.
    clock->SetUnixSeconds(1'800'000'060);
    MakeMainWindow();
    closeForUpdate();
    EXPECT_EQ(LogCount("[FormClose][END] <APP-END>"), 1);
    EXPECT_EQ(starts.size(), 1u);
    EXPECT_EQ(g.CloseForUpdate.load(), 0);
    EXPECT_EQ(c.ExitAllowed.load(), 0);
    EXPECT_EQ(g.WantUpdate.load(), 1);
}

} // namespace
} // namespace shell_test
