#include "foundation/app_info.h"
#include "foundation/dirs.h"
#include "foundation/globals.h"
#include "online/global.h"
#include "platform/core/file.h"
#include "platform/core/main_loop.h"
#include "platform/core/thread.h"
#include "platform/gui/button.h"
#include "platform/gui/image_list.h"
#include "platform/gui/label.h"
#include "platform/gui/notebook.h"
#include "platform/gui/panel.h"
#include "platform/gui/timer.h"
#include "platform/gui/tray_icon.h"
#include "tests/mainwindow/shell_fixture.h"

#include <filesystem>

namespace shell_test {
namespace {

using ConstructionTest = ShellTest;

TEST_F(ConstructionTest, ShowsTheLoginPageWithTheSignedInPartsHidden)
{
    EXPECT_EQ(Main().gDesk->ActivePage(), "Login");
    for (const char* page : {"Login", "Homepage", "Calendar", "Tasks", "Notes", "Pages", "Search", "Pomocne"})
        EXPECT_NE(Main().gDesk->PageByName(page), nullptr) << page;
    for (plat::TPanel* part : {Main().pHeader, Main().pControl, Main().pZentor, Main().pSideboard, Main().pSpare1})
        EXPECT_FALSE(part->Visible()) << part->Name();
    EXPECT_FALSE(Main().pInfo->Visible());
    EXPECT_EQ(Main().pSideboard->Parent(), &Main());

    // The escape button is a cancel button without a tab stop, off screen.
    plat::TButton* esc = Main().btnESC;
    EXPECT_TRUE(esc->Cancel());
    EXPECT_FALSE(esc->TabStop());
    EXPECT_EQ(esc->Caption(), "btnESC");
    EXPECT_EQ(esc->Left(), -100);
    EXPECT_FALSE(Main().labelTestFont->Visible());
    EXPECT_GE(Main().imagelistAction->Count(), 18);
    EXPECT_EQ(Main().popupPostponeAlert->Tag(), -1);
    EXPECT_EQ(plat::Application::Title(), App.ApplicationTitle);
}

// The main window starts the pictures job the views ask for; its end reaches
// the view on the main thread.
TEST_F(ConstructionTest, StartsThePicturesJobWhoseEndReachesTheView)
{
    ASSERT_NE(windowPicturesJob, nullptr);
    windowPicturesJob();
    ASSERT_TRUE(plat::WaitForRunningThreads(10000));
    Loop().Post([] { Loop().Quit(); });
    Loop().Run();
    EXPECT_EQ(LogCount("[TODO][UNFINISHED] TNView::ThreadTerminated"), 1);
}

TEST_F(ConstructionTest, EveryTimerIsOffWithItsInterval)
{
    // The login page's first showing lays the window out; the fixture keeps
    // the online pass off.
    Settle();
    struct Case {
        plat::TTimer* timer;
        uint32_t interval;
    };
    const Case cases[] = {
        {Main().timerCreateHiddenViews, 333},     {Main().timerFormResize, 333},  {Main().timerResize, 1},
        {Main().timerFinishShowingLogForm, 1250}, {Main().timerResetView, 60000}, {Main().timerCloseApp, 250},
        {Main().timerEmergencyAppClose, 25},      {Main().timerOnline, 1}};
    for (const Case& c : cases) {
        EXPECT_FALSE(c.timer->Enabled()) << c.timer->Name();
        EXPECT_EQ(c.timer->Interval(), c.interval) << c.timer->Name();
    }
}

TEST_F(ConstructionTest, DeletesLeftOverInstallersUpToMinorPlusNineButNotInAnUpdateRun)
{
    const int32_t minor = App.VersionMinor;
    App.VersionMinor = 3;
    ASSERT_TRUE(Dirs.GoToUpdateDir(false));
    const std::string folder = Dirs.UpdateDir.Text;
    auto installer = [&](int i) {
        char name[64];
        std::snprintf(name, sizeof name, "%d%02d/update.exe", App.VersionMajor, i);
        return folder + name;
    };
    auto plant = [&] {
        for (int i = 0; i <= 13; ++i) {
            std::filesystem::create_directories(std::filesystem::path(installer(i)).parent_path());
            ASSERT_TRUE(plat::WriteFileAtomically(installer(i), "MZ"));
        }
    };

    plant();
    App.IsUpdate = 1;
    MakeMainWindow();
    for (int i = 0; i <= 13; ++i)
        EXPECT_TRUE(plat::FileExists(installer(i))) << "an update run deletes nothing: " << i;

    App.IsUpdate = 0;
    MakeMainWindow();
    for (int i = 0; i <= 12; ++i)
        EXPECT_FALSE(plat::FileExists(installer(i))) << i;
    EXPECT_TRUE(plat::FileExists(installer(13)));
    App.VersionMinor = minor;
}

TEST_F(ConstructionTest, TheRequestHeadCarriesTheLowerCasedHostName)
{
    std::string name = g.NetBIOSName.Text;
    ASSERT_FALSE(name.empty());
    for (char ch : name)
        EXPECT_FALSE(ch >= 'A' && ch <= 'Z') << name;
}

TEST_F(ConstructionTest, AnAutorunRunStaysOffScreenAndUnshownUntilShownMinimised)
{
    // It may sign in by itself: otherwise the login page must be seen.
    RememberAccount("alice", "secret1", true);
    App.IsAutorun = 1;
    MakeMainWindow();
    EXPECT_FALSE(Main().Visible());
    EXPECT_TRUE(Main().AlphaBlend());
    EXPECT_EQ(Main().AlphaBlendValue(), 0);
    EXPECT_TRUE(Main().SkipTaskbar());
    EXPECT_EQ(Main().trayIcon->Tag(), 0);
    EXPECT_EQ(Main().Left(), 3 * 1280);
    EXPECT_EQ(Main().Top(), 3 * 1024);
    g.NewSyncWanted = 0;

    Main().ShowApplication("test", 6);
    EXPECT_EQ(Main().WindowState(), plat::TWindowState::wsMinimized);
    EXPECT_EQ(Main().trayIcon->Tag(), 1);
    EXPECT_EQ(g.NewSyncWanted.load(), 1) << "its first show asks for a pass";
    EXPECT_EQ(App.IsAutorun, 0);
}

TEST_F(ConstructionTest, HiddenViewsComeOneATickInOrderAndStopAfterTheLast)
{
    Settle();
    Main().signedIn = 1;
    Main().timerCreateHiddenViews->SetTag(1);
    Main().timerCreateHiddenViews->SetEnabled(true);
    for (int tick = 0; tick < 9; ++tick)
        timers_->Advance(333);
    std::vector<std::string> expected;
    for (int view = 1; view <= 8; ++view)
        expected.push_back("CreateHiddenView " + std::to_string(view));
    EXPECT_EQ(Pages().Calls, expected);
    EXPECT_FALSE(Main().timerCreateHiddenViews->Enabled());
}

TEST_F(ConstructionTest, HiddenViewsStopAtTheNextTickWhenTheSessionEnds)
{
    struct Case {
        const char* what;
        std::function<void()> end;
    };
    const Case cases[] = {
        {"not signed in", [this] { Main().signedIn = 0; }},
        {"closing", [] { g.Close = 1; }},
        {"sign-in in progress", [] { g.runningLogin = true; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        MakeMainWindow();
        Settle();
        Main().signedIn = 1;
        Main().timerCreateHiddenViews->SetTag(1);
        Main().timerCreateHiddenViews->SetEnabled(true);
        timers_->Advance(333);
        c.end();
        timers_->Advance(333);
        EXPECT_EQ(Pages().Calls, std::vector<std::string>{"CreateHiddenView 1"});
        EXPECT_FALSE(Main().timerCreateHiddenViews->Enabled());
        g.Close = 0;
        g.runningLogin = false;
    }
}

TEST_F(ConstructionTest, TheOnlineTimerStartsNothingWhileClosingOrAfterTheLogOut)
{
    g.Close = 1;
    Main().timerOnlineTimer();
    EXPECT_EQ(LogCount("[TfrmMainDLMR1::timerOnlineTimer][RETURN] g.Close = 1"), 1);
    EXPECT_EQ(g.OnlineThreadRunning.load(), 0);
    g.Close = 0;

    g.OnlineTimerTag = 999;
    Main().timerOnlineTimer();
    EXPECT_EQ(g.OnlineThreadRunning.load(), 0);
    g.OnlineTimerTag = 0;

    // While a pass runs the timer comes back in 250 ms.
    g.OnlineThreadRunning = 1;
    Main().timerOnlineTimer();
    plat::testing::Flush();
    EXPECT_TRUE(Main().timerOnline->Enabled());
    EXPECT_EQ(Main().timerOnline->Interval(), 250u);
    g.OnlineThreadRunning = 0;
}

} // namespace
} // namespace shell_test
