// Runs under Xvfb (CTest label "xvfb"): the signed-in program searched with
// the keyboard as a user would, its lists on the screen, and the side panel a
// result card slides in.
//
// Goldens: see menu_screen_test.cpp (DALMORA_UPDATE_GOLDENS=1). The places
// below are the window's as the program lays it out on a fresh account at
// the start size.
#include "platform/testing/gui_harness.h"
#include "tests/app/screen_driver.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace real_program;

constexpr int kTolerance = 24;
constexpr double kMaxShare = 0.0005;

// In the window: the page's head down to the list
// titles, the page's own edit in that band (its caret blinks), and the first
// row of each list at its side line.
const plat::TRect kPageHead = plat::Rect(100, 90, 1236, 258);
const plat::TRect kPageEditInHead = plat::Rect(0, 62, 1060, 100);
constexpr int kFirstRowY = 280;
constexpr int kListSideLineX[] = {107, 389, 671, 953};
constexpr plat::TColor kCardSideLine = 0xC28367;
constexpr plat::TColor kWhite = 0xFFFFFF;

class SearchOnScreen : public RealProgramOnScreen {};

TEST_F(SearchOnScreen, AMeetingSearchFillsTheListsAndAResultOpensTheSidePanel)
{
    auto copy = StartSignedIn();
    const ScreenWindow main = FocusedMainWindow(copy->Pid());
    ASSERT_NE(main.id, 0u);
    const int left = main.area.Left;
    const int top = main.area.Top;

    // Ctrl+F opens the page with its edit focused (by the focus timer).
    ASSERT_TRUE(PressKeys("ctrl+f"));
    ASSERT_TRUE(WaitForLog("[TfrmMainDLMR1::timerFocusTimer][BEGIN] Tag = 2", 1));
    // xdotool types UTF-8 (this file's literals are CP1250); a character it
    // must map to a spare key now and then arrives as nothing, so the text
    // is typed again over itself until the search ran for all of it.
    bool searched = false;
    int searches = 0;
    for (; searches < 3 && !searched; ++searches) {
        ASSERT_TRUE(PressKeys("ctrl+a"));
        ASSERT_TRUE(TypeText("sch\xC5\xAFzka"));
        ASSERT_TRUE(PressKeys("Return"));
        searched = WaitForLog("searched_string = sch\xC5\xAFzka", 1, 5000);
    }
    ASSERT_TRUE(searched);
    ASSERT_TRUE(WaitForLog("[TLogin][END] Tag = 7", searches));
    ASSERT_TRUE(WaitForLog("caller = TfrmMainDLMR1::ShowSearchResults_D", searches));

    const plat::TRect head =
        plat::Rect(left + kPageHead.Left, top + kPageHead.Top, left + kPageHead.Right, top + kPageHead.Bottom);
    EXPECT_TRUE(plat::testing::PngMatchesGoldenOutside(SettledScreenPng(head), {kPageEditInHead},
                                                       DALMORA_TEST_DATA_DIR "search_page_head.png",
                                                       DALMORA_GUI_OUTPUT_DIR, kTolerance, kMaxShare));
    // A found record's card has a side line; the empty list's placeholder none.
    const char* const lists[] = {"past", "present", "other", "external"};
    for (int list = 0; list < 4; ++list) {
        const plat::TColor colour = plat::testing::ProbeScreen(left + kListSideLineX[list], top + kFirstRowY);
        if (list < 3)
            EXPECT_EQ(colour, kCardSideLine) << lists[list];
        else
            EXPECT_NE(colour, kCardSideLine) << lists[list];
    }

    // The present card slides the side panel in, 2 px from the client's right edge.
    const int clientRight = main.area.Right;
    ASSERT_TRUE(ClickAt(left + kListSideLineX[1] + 120, top + kFirstRowY + 10));
    EXPECT_TRUE(testenv::WaitUntil([&] {
        return plat::testing::ProbeScreen(clientRight - 3, top + kFirstRowY + 200) == kWhite &&
               plat::testing::ProbeScreen(clientRight - 301, top + kFirstRowY + 200) == kWhite;
    })) << "no side panel at the right edge";
    EXPECT_NE(plat::testing::ProbeScreen(clientRight - 1, top + kFirstRowY + 200), kWhite) << "2 px stay free";

    ASSERT_TRUE(PressKeys("Escape"));
    EXPECT_TRUE(testenv::WaitUntil([&] {
        return plat::testing::ProbeScreen(clientRight - 3, top + kFirstRowY + 200) != kWhite;
    })) << "Escape left the side panel open";

    EXPECT_TRUE(ExitedWithZero(RunClosingUtility()));
    int status = -1;
    ASSERT_TRUE(copy->Wait(status, 6000));
}

} // namespace
