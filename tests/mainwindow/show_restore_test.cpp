#include "foundation/app_info.h"
#include "foundation/setup.h"
#include "online/global.h"
#include "platform/gui/menu.h"
#include "platform/gui/notebook.h"
#include "platform/gui/timer.h"
#include "platform/gui/tray_icon.h"
#include "tests/mainwindow/shell_fixture.h"

namespace shell_test {
namespace {

using ShowRestoreTest = ShellTest;

TEST_F(ShowRestoreTest, TheBorderIsHalfTheWidthDifferenceAndTheRestIsTheTitle)
{
    int32_t height = 0;
    EXPECT_EQ(TfrmMainDLMR1::GetFormBorderSize(1016, 1000, 739, 700, height), 8);
    EXPECT_EQ(height, 31);
}

TEST_F(ShowRestoreTest, RestoringPicksThePageThatFitsTheSignInState)
{
    SignIn();
    Click(88);
    Main().Hide();
    Main().RestoreApplication();
    EXPECT_EQ(Main().gDesk->ActivePage(), "Homepage");
    EXPECT_EQ(Main().controlActive, TfrmMainDLMR1::kHomepage) << "the bar follows";
    EXPECT_TRUE(Main().Visible());
    EXPECT_EQ(Main().trayIcon->Tag(), 1);

    Main().signedIn = 0;
    Main().RestoreApplication();
    EXPECT_EQ(Main().gDesk->ActivePage(), "Login");
    EXPECT_EQ(LogCount("[g.OdhlasUzivatele][BEGIN] closing_application = 0"), 1) << "logged out on the way";
}

TEST_F(ShowRestoreTest, WithDialogsOpenTheDeepestTakesTheForeground)
{
    Main().Show();
    plat::TOwned<plat::TForm> firstForm(new plat::TForm());
    plat::TOwned<plat::TForm> secondForm(new plat::TForm());
    plat::TForm& first = *firstForm;
    plat::TForm& second = *secondForm;
    first.Show();
    second.Show();
    Main().Activate();
    // Two dialogs open: levels 1 and 2 of the window table.
    Main().windowTable[1] = &first;
    Main().windowTable[2] = &second;
    Main().SetDialogDepthForTest(2);
    Main().ShowApplication("test", 5);
    EXPECT_EQ(plat::Application::ActiveForm(), &second);
    EXPECT_EQ(LogCount("[TfrmMainDLMR1::SetMainWindowAsForeground][BEGIN]"), 0);
    Main().SetDialogDepthForTest(0);
    Main().windowTable[1] = Main().windowTable[2] = nullptr;
}

TEST_F(ShowRestoreTest, ResizesWithinTheDelayGiveOneLayoutAndOneSave)
{
    SignIn();
    g.GeometryRestoredOnce = true;
    const int before = LogCount("[timerFormResizeTimer][BEGIN]");
    for (int i = 0; i < 3; ++i) {
        Main().SetBounds(0, 0, 900 + i * 10, 700);
        timers_->Advance(100);
    }
    EXPECT_EQ(LogCount("[timerFormResizeTimer][BEGIN]"), before);
    timers_->Advance(333);
    EXPECT_EQ(LogCount("[timerFormResizeTimer][BEGIN]"), before + 1);
    EXPECT_EQ(Main().timerFormResize->Tag(), 1);
    EXPECT_EQ(Main().UpdateCount(), 0);
}

TEST_F(ShowRestoreTest, TheRestoreAndEndOfSessionMessagesAnswerOne)
{
    SignIn();
    App.IsDev = 0;
    Main().Hide();
    EXPECT_EQ(Main().Perform(plat::WM_DALMORA_RESTORE, 0, 0), 1);
    EXPECT_TRUE(Main().Visible());
    EXPECT_EQ(LogCount("[RestoreMainWindow] wmRestoreMainWindow received."), 1);

    // A plain close hides the window; the end of the session closes it.
    Main().Perform(plat::WM_CLOSE, 0, 0);
    EXPECT_FALSE(Main().trayIcon->ApplicationVisible());
    EXPECT_EQ(LogCount("[FormClose][BEGIN] <APP-END>"), 0);
    EXPECT_EQ(Main().Perform(plat::WM_QUERYENDSESSION, 0, 0), 1);
    EXPECT_EQ(LogCount("[FormClose][BEGIN] <APP-END>"), 1);
    EXPECT_EQ(LogCount("[FormClose][END] <APP-END>"), 1);
    EXPECT_EQ(g.Close.load(), 1);
    plat::testing::Flush();
}

} // namespace
} // namespace shell_test

namespace shell_test {
namespace {

TEST_F(ShowRestoreTest, HidingArmsTheViewResetAndTheTrayClickBringsTheWindowBack)
{
    Main().Show();
    Main().pmnuHideClick();
    EXPECT_FALSE(Main().trayIcon->ApplicationVisible());
    EXPECT_EQ(Main().trayIcon->Tag(), 0);
    EXPECT_TRUE(Main().timerResetView->Enabled());
    EXPECT_EQ(Main().timerResetView->Interval(), 3000u) << "development mode";

    Main().trayIconMouseDown(plat::TMouseButton::mbRight);
    EXPECT_FALSE(Main().trayIcon->ApplicationVisible());
    Main().trayIconMouseDown(plat::TMouseButton::mbLeft);
    EXPECT_TRUE(Main().trayIcon->ApplicationVisible());
    EXPECT_TRUE(Main().Visible());
    EXPECT_FALSE(Main().timerResetView->Enabled());
}

TEST_F(ShowRestoreTest, TheAfterStartModeIsStoredAndItsItemChecked)
{
    for (int32_t mode : {2, 0, 1}) {
        Main().SetAfterStartupMode(mode);
        EXPECT_EQ(::Setup.GetInt("SettingsAfterStartup"), mode);
        const char* items[] = {"mnuAfterStartupKeepHidden", "mnuAfterStartupShow", "mnuAfterStartupMinimize"};
        for (int32_t i = 0; i < 3; ++i)
            EXPECT_EQ(Main().MainMenu2->FindByName(items[i])->Checked(), i == mode) << items[i];
    }
}

} // namespace
} // namespace shell_test
