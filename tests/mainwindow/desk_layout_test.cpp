// The signed-in frame fits the client area the window really has: below the
// menu bar and below the information strip while it is open.
#include "foundation/info_messages.h"
#include "mainwindow/main_window.h"
#include "online/global.h"
#include "platform/gui/panel.h"
#include "platform/gui/timer.h"
#include "platform/testing/form_probe.h"
#include "platform/testing/gui_harness.h"
#include "tests/mainwindow/shell_fixture.h"
#include "view/view.h"

namespace shell_test {
namespace {

class DeskLayoutTest : public ShellTest {
protected:
    void TearDown() override
    {
        g.InfoMessages.Clear();
        ShellTest::TearDown();
    }

    // Every panel the layout places lies inside the client area, and nothing
    // reaches below it, so the window needs no scroll bar.
    void ExpectFrameFits(int top)
    {
        const int height = Main().ClientHeight();
        EXPECT_LE(Main().VertScrollRange(), height) << "the window would scroll";
        EXPECT_FALSE(plat::testing::ShowsVerticalScrollBar(Main()));
        plat::TPanel* header = Main().pHeader;
        ASSERT_NE(header, nullptr);
        EXPECT_EQ(header->Top(), top);
        for (plat::TPanel* panel : {Main().pHeader, Main().pControl, Main().pZentor, Main().pDesk}) {
            if (!panel->Visible())
                continue;
            EXPECT_GE(panel->Top(), top) << panel->Name();
            EXPECT_LE(panel->Top() + panel->Height(), height) << panel->Name();
        }
        plat::TPanel* status = View.StatusBars[8].Panel();
        ASSERT_NE(status, nullptr);
        EXPECT_LE(status->Top() + status->Height(), height);
    }
};

TEST_F(DeskLayoutTest, TheMenuBarTakesItsRowAndTheFrameFitsBelowIt)
{
    SignIn(1016);
    plat::testing::Flush();
    ASSERT_GT(Main().MenuBarHeight(), 0);
    EXPECT_EQ(Main().ClientHeight() + Main().MenuBarHeight(), 739);
    ExpectFrameFits(0);
}

TEST_F(DeskLayoutTest, AnOpenStripPushesTheFrameDownAndAClosedOneGivesTheRowBack)
{
    SignIn(1016);
    plat::testing::Flush();
    const int deskHeight = Main().pDesk->Height();
    Main().StartTimerInfoPruh(g.InfoMessages.Add("notice", "", false, 0, 1));
    timers_->Advance(50);
    for (int tick = 0; tick < 7; ++tick)
        timers_->Advance(30);
    plat::testing::Flush();
    ASSERT_EQ(Main().pInfo->Height(), 29);
    EXPECT_EQ(Main().pInfo->Top(), 0);
    ExpectFrameFits(29);
    EXPECT_EQ(Main().pDesk->Height(), deskHeight - 29);

    Main().btnInfoZavritClick();
    plat::testing::Flush();
    ExpectFrameFits(0);
    EXPECT_EQ(Main().pDesk->Height(), deskHeight);
}

} // namespace
} // namespace shell_test
