// Runs under Xvfb (CTest label "xvfb"): the delivered program, signed in
// against the demo service, used from outside as a user would, with the
// keyboard, and checked on the screen itself.
//
// The golden images live in tests/app/data/; to rewrite them after a wanted
// change of the look, run this binary under xvfb-run -a -s "-screen 0
// 1280x1024x24" with DALMORA_UPDATE_GOLDENS=1 and look at the result.
#include "model/pim.h"
#include "model/records.h"
#include "platform/testing/gui_harness.h"
#include "tests/app/screen_driver.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace real_program;

// Xvfb draws the same fonts the same way each run: a few pixels of slack,
// so that one changed word of a menu fails.
constexpr int kTolerance = 24;
constexpr double kMaxShare = 0.0002;

class SignedInOnScreen : public RealProgramOnScreen {};

TEST_F(SignedInOnScreen, TheFileMenuOpensWithTheKeyboard)
{
    auto copy = StartSignedIn();
    const ScreenWindow main = FocusedMainWindow(copy->Pid());
    ASSERT_NE(main.id, 0u);
    const std::set<uint64_t> before = IdsOf(VisibleWindowsOf(copy->Pid()));

    // Alt+S, the access key of "&Soubor", drops its menu below the bar.
    ASSERT_TRUE(PressKeys("alt+s"));
    ScreenWindow menu;
    ASSERT_TRUE(WaitForNewWindow(copy->Pid(), before, menu)) << "no menu opened";
    // Its corner sits under the bar's first entry.
    EXPECT_TRUE(menu.area.Left >= main.area.Left && menu.area.Left < main.area.Left + 20) << menu.area.Left;
    EXPECT_TRUE(menu.area.Top > main.area.Top && menu.area.Top < main.area.Top + 40) << menu.area.Top;
    EXPECT_TRUE(plat::testing::PngMatchesGolden(SettledScreenPng(menu.area),
                                                DALMORA_TEST_DATA_DIR "file_menu_signed_in.png", DALMORA_GUI_OUTPUT_DIR,
                                                kTolerance, kMaxShare));

    ASSERT_TRUE(PressKeys("Escape"));
    EXPECT_TRUE(WaitUntilUnmapped(copy->Pid(), menu.id)) << "Escape left the menu open";

    // The closing utility ends the run with everything saved.
    EXPECT_TRUE(ExitedWithZero(RunClosingUtility()));
    int status = -1;
    ASSERT_TRUE(copy->Wait(status, 6000));
    EXPECT_TRUE(ExitedWithZero(status)) << status;
    EXPECT_EQ(Count(ProgramLog(), kEndLine), 1);
    int32_t records = 0;
    ReadStoredData([&](TNPIM& pim) { records = pim.Records->Count; });
    EXPECT_GT(records, 0) << "the demo's records were not saved";
}

// The connection panel at the status bar's right end turns green once the
// program is connected: the online layer reaches the real window's bar.
// The version beside it is left out, so that a new version needs no new
// golden.
TEST_F(SignedInOnScreen, TheStatusBarShowsTheConnection)
{
    auto copy = StartSignedIn();
    const ScreenWindow main = FocusedMainWindow(copy->Pid());
    ASSERT_NE(main.id, 0u);
    const plat::TRect panel = plat::Rect(main.area.Right - 16, main.area.Bottom - 24, main.area.Right, main.area.Bottom);
    EXPECT_TRUE(plat::testing::PngMatchesGolden(SettledScreenPng(panel), DALMORA_TEST_DATA_DIR "connection_panel_online.png",
                                                DALMORA_GUI_OUTPUT_DIR, kTolerance, kMaxShare));
    EXPECT_EQ(Count(ProgramLog(), "[TNWindowCalls][NO_WINDOW]"), 0);
    EXPECT_TRUE(ExitedWithZero(RunClosingUtility()));
    int status = -1;
    ASSERT_TRUE(copy->Wait(status, 6000));
}

} // namespace
