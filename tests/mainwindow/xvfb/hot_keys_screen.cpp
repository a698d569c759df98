// Runs under Xvfb (CTest label "xvfb"): the main window's global hot key
// pressed with xdotool brings the hidden window back, and a combination that
// another X client holds is refused with one log line.
#include "foundation/setup.h"
#include "mainwindow/main_window.h"
#include "platform/gui/form.h"
#include "platform/gui/internal/layer.h"
#include "platform/gui/menu.h"
#include "platform/gui/panel.h"
#include "platform/testing/gui_harness.h"
#include "platform/testing/other_x11_client.h"
#include "tests/mainwindow/shell_fixture.h"
#include "tests/mainwindow/xvfb/screen_support.h"
#include "view/view.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace shell_test {
namespace {

class HotKeysScreen : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!XvfbReady())
            GTEST_SKIP() << "no X11 display";
        for (const char* name :
             {"Settings_ShortcutMainWindow", "Settings_ShortcutAddSomethingNew", "Settings_ShortcutNotepad"})
            ::Setup.Remove(name);
        window_.reset(new TfrmMainDLMR1(nullptr, std::make_unique<PageRecorder>()));
        plat::Application::SetMainForm(window_.get());
        window_->signedIn = 1;
        window_->SetBounds(40, 40, 800, 600);
        window_->CreateControlComponents(window_->pControl);
        window_->Show();
        window_->ClickOnControlButton("btnControlHomepage");
        ASSERT_TRUE(plat::testing::WaitUntilExposed(*window_));
        plat::SetLayerLog([this](const std::string& line) { layerLog_.push_back(line); });
    }
    void TearDown() override
    {
        plat::SetLayerLog(nullptr);
        window_.reset();
        plat::testing::Flush();
    }

    // Lets the X server and Qt deliver for up to 5 s, until `done`.
    template <class Done> static bool WaitFor(Done done)
    {
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (!done() && std::chrono::steady_clock::now() < end) {
            plat::testing::Flush();
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return done();
    }

    int LayerLines(const std::string& text) const
    {
        int count = 0;
        for (const std::string& line : layerLog_)
            count += line.find(text) != std::string::npos ? 1 : 0;
        return count;
    }

    plat::TOwned<TfrmMainDLMR1> window_;
    std::vector<std::string> layerLog_;
};

TEST_F(HotKeysScreen, AltShiftSShowsTheHiddenWindow)
{
    window_->RegisterHotkeysFromSettings();
    ASSERT_EQ(LayerLines("hot key 101"), 0);
    plat::testing::Flush();
    plat::testing::Render(*window_);
    const plat::TPoint inside = window_->pDesk->ClientToScreen(plat::TPoint{200, 200});
    const plat::TColor shown = plat::testing::ProbeScreen(inside.x, inside.y);
    window_->pmnuHideClick();
    // Without a tray host on the display, hiding minimises.
    ASSERT_TRUE(WaitFor([&] {
        return !plat::testing::WindowMapped(*window_) || window_->WindowState() == plat::TWindowState::wsMinimized;
    }));

    ASSERT_EQ(std::system("xdotool key alt+shift+s"), 0);

    EXPECT_TRUE(WaitFor([&] {
        return plat::testing::WindowMapped(*window_) && window_->WindowState() == plat::TWindowState::wsNormal;
    }));
    plat::testing::Flush();
    plat::testing::Render(*window_);
    const std::filesystem::path output(DALMORA_GUI_OUTPUT_DIR);
    std::filesystem::create_directories(output);
    EXPECT_TRUE(plat::testing::SaveScreenshot((output / "hot_key_shows_main_window.png").string()));
    // The desk is on the screen again, as it was before hiding.
    EXPECT_EQ(plat::testing::ProbeScreen(inside.x, inside.y), shown);
}

TEST_F(HotKeysScreen, ACombinationAnotherProgramHoldsIsLoggedOnceAndStaysChecked)
{
    plat::testing::OtherX11Client other('s');
    ASSERT_TRUE(other.Grab(plat::testing::OtherX11Client::kAlt | plat::testing::OtherX11Client::kShift));

    window_->RegisterHotkeysFromSettings();

    EXPECT_EQ(LayerLines("hot key 101"), 1);
    ASSERT_NE(window_->mnuShortcutMainWindow, nullptr);
    EXPECT_TRUE(window_->mnuShortcutMainWindow->Checked());
    // The other two were free.
    EXPECT_EQ(LayerLines("hot key 105"), 0);
    EXPECT_EQ(LayerLines("hot key 106"), 0);
    other.Ungrab(plat::testing::OtherX11Client::kAlt | plat::testing::OtherX11Client::kShift);
}

} // namespace
} // namespace shell_test
