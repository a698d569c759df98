// Runs under Xvfb (CTest label "xvfb"): the control bar of a signed-in main
// window on a real X11 display, as a captioned column in a wide window and a
// captionless row in a narrow one, probed on the screen at the squares; and
// the log window, which a click does not activate; and the open information
// strip with its gradient.
#include "foundation/app_info.h"
#include "foundation/globals.h"
#include "foundation/info_messages.h"
#include "mainwindow/log_window.h"
#include "mainwindow/main_window.h"
#include "online/global.h"
#include "platform/gui/gradient.h"
#include "platform/gui/gui_application.h"
#include "platform/gui/label.h"
#include "platform/gui/panel.h"
#include "platform/gui/timer.h"
#include "platform/testing/form_probe.h"
#include "platform/testing/gui_harness.h"
#include "tests/mainwindow/shell_fixture.h"
#include "tests/mainwindow/xvfb/screen_support.h"
#include "tests/support/scratch_folder.h"
#include "view/view.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>

namespace shell_test {
namespace {

constexpr plat::TColor kActive = 0x30A030;

std::string Output(const std::string& command)
{
    std::string text;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[256];
        while (std::fgets(buffer, sizeof buffer, pipe) != nullptr)
            text += buffer;
        pclose(pipe);
    }
    return text;
}

TEST(ControlBarScreen, AColumnInAWideWindowAndARowInANarrowOne)
{
    const char* display = std::getenv("DISPLAY");
    if (display == nullptr || *display == '\0')
        GTEST_SKIP() << "no X11 display";
    ASSERT_TRUE(XvfbReady());
    for (int slot : {4, 5, 10, 11, 14})
        View.ButtonColors[slot] = kActive;

    plat::TOwned<TfrmMainDLMR1> window(new TfrmMainDLMR1(nullptr, std::make_unique<PageRecorder>()));
    plat::Application::SetMainForm(window.get());
    window->signedIn = 1;
    window->SetBounds(0, 0, 1000, 700);
    window->CreateControlComponents(window->pControl);
    window->Show();
    window->ClickOnControlButton("btnControlHomepage");
    ASSERT_TRUE(plat::testing::WaitUntilExposed(*window));

    const std::filesystem::path output(DALMORA_GUI_OUTPUT_DIR);
    std::filesystem::create_directories(output);
    struct Case {
        int width;
        int left;
        int top;
        int side;
        bool captions;
        const char* shot;
    };
    for (const Case& c :
         {Case{1000, 14, 14, 77, true, "control_bar_column.png"}, Case{800, 14, 7, 50, false, "control_bar_row.png"}}) {
        SCOPED_TRACE(c.width);
        window->SetBounds(0, 0, c.width, 700);
        View.ResizeMainForm();
        plat::testing::Flush();
        plat::testing::Render(*window);
        EXPECT_TRUE(plat::testing::SaveScreenshot((output / c.shot).string()));
        // The frame fits below the menu bar: the window does not scroll.
        ASSERT_GT(window->MenuBarHeight(), 0);
        EXPECT_LE(window->VertScrollRange(), window->ClientHeight());
        EXPECT_FALSE(plat::testing::ShowsVerticalScrollBar(*window));

        // The active square (home page, the first) at its place, the desk
        // beside it.
        TNViewItem* home = View.GetComponent("btnControlHomepage");
        ASSERT_NE(home, nullptr);
        plat::TPanel* square = home->Panel.Get();
        EXPECT_EQ(square->Left(), c.left);
        EXPECT_EQ(square->Top(), c.top);
        EXPECT_EQ(square->Width(), c.side);
        const plat::TPoint inside = square->ClientToScreen(plat::TPoint{4, 4});
        EXPECT_TRUE(ColourWithin(plat::testing::ProbeScreen(inside.x, inside.y), kActive, 6));
        const plat::TPoint beside = window->pControl->ClientToScreen(plat::TPoint{c.left - 6, c.top + 4});
        EXPECT_TRUE(ColourWithin(plat::testing::ProbeScreen(beside.x, beside.y), View.FormColor, 6));
        EXPECT_EQ(!home->Labels[0].Get()->Caption().empty(), c.captions);
    }
    window.reset();
    plat::testing::Flush();
}

TEST(LogWindowScreen, AClickOnItLeavesTheMainWindowInFront)
{
    const char* display = std::getenv("DISPLAY");
    if (display == nullptr || *display == '\0')
        GTEST_SKIP() << "no X11 display";
    ASSERT_TRUE(XvfbReady());
    plat::TOwned<TfrmMainDLMR1> window(new TfrmMainDLMR1(nullptr, std::make_unique<PageRecorder>()));
    plat::Application::SetMainForm(window.get());
    window->SetBounds(10, 10, 400, 300);
    window->Show();
    ASSERT_TRUE(plat::testing::WaitUntilExposed(*window));
    window->BringToForeground();
    plat::TOwned<TfrmLogDLMR1> log(new TfrmLogDLMR1(nullptr));
    log->Show();
    ASSERT_TRUE(plat::testing::WaitUntilExposed(*log));
    log->SetBounds(600, 300, 300, 300);
    plat::testing::Flush();

    const std::string mainId = std::to_string(plat::testing::NativeWindowId(*window));
    ASSERT_EQ(std::system("xdotool mousemove --sync 750 450 click 1"), 0);
    for (int i = 0; i < 30; ++i) {
        plat::testing::Flush();
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_EQ(Output("xdotool getwindowfocus").substr(0, mainId.size()), mainId);
    EXPECT_TRUE(window->Active());
    EXPECT_FALSE(log->Active());
    log.reset();
    window.reset();
    plat::testing::Flush();
}

TEST(InfoStripScreen, TheOpenStripShowsItsGradient)
{
    const char* display = std::getenv("DISPLAY");
    if (display == nullptr || *display == '\0')
        GTEST_SKIP() << "no X11 display";
    ASSERT_TRUE(XvfbReady());
    plat::TOwned<TfrmMainDLMR1> window(new TfrmMainDLMR1(nullptr, std::make_unique<PageRecorder>()));
    plat::Application::SetMainForm(window.get());
    window->SetBounds(0, 0, 900, 600);
    window->Show();
    ASSERT_TRUE(plat::testing::WaitUntilExposed(*window));

    g.InfoMessages.Clear();
    g.InfoMessages.Add("Nainstalujte nejnovější verzi Dalmora. Stahujte zdarma ZDE", "", true, 0, 7);
    window->StartTimerInfoPruh(-2);
    for (int i = 0; i < 200 && (window->pInfo->Height() < 29 || window->timerAnimace->Enabled()); ++i) {
        plat::testing::Flush();
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ASSERT_EQ(window->pInfo->Height(), 29);
    plat::testing::Render(*window);
    const std::filesystem::path output(DALMORA_GUI_OUTPUT_DIR);
    std::filesystem::create_directories(output);
    EXPECT_TRUE(plat::testing::SaveScreenshot((output / "info_strip.png").string()));

    // Away from the text and the close button.
    plat::TJvGradient* gradient = window->gradInfo;
    const int x = gradient->Width() - 120;
    const plat::TPoint top = gradient->ClientToScreen(plat::TPoint{x, 0});
    const plat::TPoint bottom = gradient->ClientToScreen(plat::TPoint{x, gradient->Height() - 1});
    EXPECT_TRUE(ColourWithin(plat::testing::ProbeScreen(top.x, top.y), 0xC56A31, 2));
    EXPECT_TRUE(ColourWithin(plat::testing::ProbeScreen(bottom.x, bottom.y), 0x834202, 2));
    g.InfoMessages.Clear();
    window.reset();
    plat::testing::Flush();
}

} // namespace
} // namespace shell_test
