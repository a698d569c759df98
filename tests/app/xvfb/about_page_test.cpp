// Runs under Xvfb (CTest label "xvfb"): the About page of the signed-in
// program, opened and closed with the keyboard as a user would, and the
// closing utility ending a run that has it open.
//
// Goldens: see menu_screen_test.cpp (DALMORA_UPDATE_GOLDENS=1).
#include "model/pim.h"
#include "model/records.h"
#include "platform/core/bus_client.h"
#include "platform/testing/gui_harness.h"
#include "tests/app/screen_driver.h"

#include <gtest/gtest.h>

#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

using namespace real_program;

constexpr int kTolerance = 24;
constexpr double kMaxShare = 0.0005;

// The version label names the program's file, its time and its path, which
// differ from run to run: the band of the About window that holds its three
// lines, as wide as the page left of the author's panel.
const plat::TRect kVersionLabel = plat::Rect(20, 130, 576, 176);

class AboutPageOnScreen : public RealProgramOnScreen {
protected:
    // The program's About windows on the window bus.
    int AboutWindowsOf(pid_t pid)
    {
        int count = 0;
        for (const plat::BusWindow& window : plat::ListBusWindows("TfrmUnidlgDLMR1"))
            count += window.pid == pid ? 1 : 0;
        return count;
    }

    // F1 on the focused main window; the About window that shows.
    ScreenWindow OpenAbout(pid_t pid)
    {
        const std::set<uint64_t> before = IdsOf(VisibleWindowsOf(pid));
        EXPECT_TRUE(PressKeys("F1"));
        ScreenWindow about;
        EXPECT_TRUE(WaitForNewWindow(pid, before, about, "O programu")) << "F1 opened no About window";
        EXPECT_TRUE(testenv::WaitUntil([&] { return AboutWindowsOf(pid) == 1; }));
        return about;
    }
};

uint64_t FocusedWindow()
{
    const std::optional<std::string> id = Xdotool({"getwindowfocus"});
    return id ? std::stoull(*id) : 0;
}

TEST_F(AboutPageOnScreen, OpensOnceWithF1AndGivesTheFocusBackOnEscape)
{
    auto copy = StartSignedIn();
    const ScreenWindow main = FocusedMainWindow(copy->Pid());
    ASSERT_NE(main.id, 0u);

    const ScreenWindow about = OpenAbout(copy->Pid());
    ASSERT_NE(about.id, 0u);
    ASSERT_TRUE(testenv::WaitUntil([&] { return FocusedWindow() == about.id; })) << "the About window has no focus";
    // Shift+F1 is the About entry of the dialog's own short cuts: no second one.
    ASSERT_TRUE(PressKeys("shift+F1"));
    EXPECT_FALSE(testenv::WaitUntil([&] { return AboutWindowsOf(copy->Pid()) > 1; }, 1500));
    EXPECT_EQ(VisibleWindowsOf(copy->Pid(), "O programu").size(), 1u);

    EXPECT_TRUE(plat::testing::PngMatchesGoldenOutside(SettledScreenPng(about.area), {kVersionLabel},
                                                       DALMORA_TEST_DATA_DIR "about_page_signed_in.png",
                                                       DALMORA_GUI_OUTPUT_DIR, kTolerance, kMaxShare));

    ASSERT_TRUE(PressKeys("Escape"));
    EXPECT_TRUE(WaitUntilUnmapped(copy->Pid(), about.id)) << "Escape left the About window open";
    EXPECT_TRUE(testenv::WaitUntil([&] { return AboutWindowsOf(copy->Pid()) == 0; }));
    EXPECT_TRUE(testenv::WaitUntil([&] { return FocusedWindow() == main.id; }))
        << "the focus is on " << FocusedWindow() << ", not on the main window " << main.id;
}

TEST_F(AboutPageOnScreen, TheClosingUtilityEndsARunWithAboutOpen)
{
    auto copy = StartSignedIn();
    ASSERT_NE(FocusedMainWindow(copy->Pid()).id, 0u);
    ASSERT_NE(OpenAbout(copy->Pid()).id, 0u);

    EXPECT_TRUE(ExitedWithZero(RunClosingUtility()));
    int status = -1;
    ASSERT_TRUE(copy->Wait(status, 6000));
    EXPECT_TRUE(ExitedWithZero(status)) << status;

    // The dialog closed first, then the main window.
    const std::string log = ProgramLog();
    const size_t dialogEnd = log.find("[Unidlg::FormClose][END]");
    ASSERT_NE(dialogEnd, std::string::npos) << "the About window never closed";
    EXPECT_LT(dialogEnd, log.find(kEndLine));
    EXPECT_EQ(Count(log, kEndLine), 1);

    // Every live record of the service, with its text.
    std::istringstream listing(Get(baseUrl_ + "/__test/sync/items?type=1"));
    int32_t live = 0;
    uint32_t someId = 0;
    std::string someText;
    for (std::string line; std::getline(listing, line);) {
        std::istringstream fields(line);
        uint32_t id = 0;
        long long changed = 0;
        int deleted = 1;
        fields >> id >> changed >> deleted;
        if (deleted != 0)
            continue;
        ++live;
        someId = id;
        std::getline(fields >> std::ws, someText);
    }
    ASSERT_GT(live, 0);
    int32_t records = 0;
    ReadStoredData([&](TNPIM& pim) { records = pim.Records->Count; });
    // The file holds more than the records of the service (its own items too).
    EXPECT_GE(records, live) << "the demo's records were not saved";
    EXPECT_EQ(StoredRecordText(someId), someText);
}

} // namespace
