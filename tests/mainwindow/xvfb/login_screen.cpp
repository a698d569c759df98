// Runs under Xvfb (CTest label "xvfb"): a fresh main window shows the login
// page first, its gradient and controls where the page places them.
#include "foundation/app_info.h"
#include "foundation/globals.h"
#include "mainwindow/main_window.h"
#include "online/global.h"
#include "platform/gui/button.h"
#include "platform/gui/combo_box.h"
#include "platform/gui/edit.h"
#include "platform/gui/flat_button.h"
#include "platform/gui/gradient.h"
#include "platform/gui/gui_application.h"
#include "platform/gui/image.h"
#include "platform/gui/label.h"
#include "platform/gui/notebook.h"
#include "platform/gui/panel.h"
#include "platform/gui/timer.h"
#include "platform/testing/gui_harness.h"
#include "tests/mainwindow/shell_fixture.h"
#include "tests/mainwindow/xvfb/screen_support.h"
#include "tests/support/scratch_folder.h"
#include "view/view.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

namespace shell_test {
namespace {

TEST(LoginScreen, AFreshWindowShowsTheLoginPageFirst)
{
    const char* display = std::getenv("DISPLAY");
    if (display == nullptr || *display == '\0')
        GTEST_SKIP() << "no X11 display";
    ASSERT_TRUE(XvfbReady());
    // Nothing leaves the machine.
    PointServiceAt("127.0.0.1:1");
    g.emptyLoginWindowStatsSent = 1;
    // Windows of earlier tests took their status panels with them.
    View.StatusBarInitialised = 0;

    plat::TOwned<TfrmMainDLMR1> window(new TfrmMainDLMR1(nullptr, std::make_unique<PageRecorder>()));
    plat::Application::SetMainForm(window.get());
    window->timerOnline->SetEnabled(false);
    plat::Application::ShowMainForm(plat::Application::kShowNormal);
    ASSERT_TRUE(plat::testing::WaitUntilExposed(*window));
    plat::testing::Flush();
    plat::testing::Render(*window);
    const std::filesystem::path output(DALMORA_GUI_OUTPUT_DIR);
    std::filesystem::create_directories(output);
    EXPECT_TRUE(plat::testing::SaveScreenshot((output / "login_window.png").string()));

    EXPECT_EQ(window->gDesk->ActivePage(), "Login");
    EXPECT_EQ(window->ClientWidth(), 280);
    EXPECT_EQ(window->ClientHeight(), 608);
    const plat::TPoint top = window->pLogin->ClientToScreen(plat::TPoint{140, 0});
    const plat::TPoint bottom = window->pLogin->ClientToScreen(plat::TPoint{140, 579});
    EXPECT_TRUE(ColourWithin(plat::testing::ProbeScreen(top.x, top.y), plat::RGB(0x19, 0x6E, 0xBE), 2))
        << std::hex << plat::testing::ProbeScreen(top.x, top.y);
    EXPECT_TRUE(ColourWithin(plat::testing::ProbeScreen(bottom.x, bottom.y), plat::RGB(0x0F, 0x5A, 0x96), 2))
        << std::hex << plat::testing::ProbeScreen(bottom.x, bottom.y);

    struct Place {
        plat::TControl* control;
        int left;
        int top;
        int width;
        int height;
    };
    const Place places[] = {
        {window->gradLogin, 0, 0, 280, 580},        {window->Image1, 76, 27, 128, 128},
        {window->btn9NewAccount, 27, 242, 225, 57}, {window->label9Login, 27, 328, -1, -1},
        {window->edit9Login, 27, 346, 226, 23},     {window->label9Pass, 27, 376, -1, -1},
        {window->edit9Pass, 27, 394, 225, 21},      {window->label9NewAccount, 27, 434, -1, -1},
        {window->btn9Login, 156, 434, 96, 29},      {window->label9LoginTest, 27, 488, 225, -1},
        {window->label9Proxy, 27, 539, -1, -1},     {window->label9ForgotPassword, 158, 539, -1, -1},
    };
    for (const Place& place : places) {
        SCOPED_TRACE(place.control->Name());
        EXPECT_EQ(place.control->Parent(), window->pLogin);
        EXPECT_EQ(place.control->Left(), place.left);
        EXPECT_EQ(place.control->Top(), place.top);
        if (place.width >= 0) {
            EXPECT_EQ(place.control->Width(), place.width);
        }
        if (place.height >= 0) {
            EXPECT_EQ(place.control->Height(), place.height);
        }
    }
    // The titles stand centred, the shadow one pixel to the right.
    EXPECT_EQ(window->labelLoginTitleShadow->Left(), window->labelLoginTitle->Left() + 1);
    EXPECT_NEAR(window->labelLoginTitle->Left() * 2 + window->labelLoginTitle->Width(), 280, 1);
    window.reset();
    plat::testing::Flush();
}

} // namespace
} // namespace shell_test
