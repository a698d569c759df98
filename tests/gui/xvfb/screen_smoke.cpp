// Runs under Xvfb (CTest label "xvfb"): the sample form on a real X11
// display, checked on the screen itself.
#include "platform/gui/gui_application.h"
#include "platform/gui/menu.h"
#include "platform/testing/gui_harness.h"
#include "tests/gui/sample_form.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace plat {
namespace {

bool Near(TColor actual, TColor expected)
{
    for (unsigned (*channel)(TColor) : {GetRValue, GetGValue, GetBValue})
        if (std::abs(static_cast<int>(channel(actual)) - static_cast<int>(channel(expected))) > 2)
            return false;
    return true;
}

TEST(ScreenSmoke, SampleFormShowsOnX11)
{
    const char* display = std::getenv("DISPLAY");
    if (display == nullptr || *display == '\0')
        GTEST_SKIP() << "no X11 display";
    GuiApplication::Start();
    ASSERT_EQ(GuiApplication::PlatformName(), "xcb");
    SampleForm sample;
    sample.form->Show();
    ASSERT_TRUE(testing::WaitUntilExposed(*sample.form));
    testing::Flush();

    const std::filesystem::path output(DALMORA_GUI_OUTPUT_DIR);
    std::filesystem::create_directories(output);
    EXPECT_TRUE(testing::SaveScreenshot((output / "xvfb_sample_form.png").string()));

    const TPoint panel = sample.panel->ClientToScreen(TPoint{4, 4});
    EXPECT_TRUE(Near(testing::ProbeScreen(panel.x, panel.y), 0x00C3FF));
    const TPoint top = sample.gradient->ClientToScreen(TPoint{80, 0});
    const TPoint bottom = sample.gradient->ClientToScreen(TPoint{80, sample.gradient->Height() - 1});
    EXPECT_TRUE(Near(testing::ProbeScreen(top.x, top.y), 0xFBFBFB));
    EXPECT_TRUE(Near(testing::ProbeScreen(bottom.x, bottom.y), 0xC4D3DC));
}

TEST(ScreenSmoke, MenuBarSitsAboveTheClientAreaOnX11)
{
    const char* display = std::getenv("DISPLAY");
    if (display == nullptr || *display == '\0')
        GTEST_SKIP() << "no X11 display";
    GuiApplication::Start();
    SampleForm sample;
    auto* menu = new TMainMenu(sample.form.get());
    auto* settings = new TMenuItem(sample.form.get());
    settings->SetCaption("&Nastaven\355");
    menu->Items()->Add(settings);
    auto* sound = new TMenuItem(sample.form.get());
    sound->SetCaption("&Zvuk");
    settings->Add(sound);
    sample.form->SetMenu(menu);
    sample.form->Show();
    ASSERT_TRUE(testing::WaitUntilExposed(*sample.form));
    testing::Flush();

    ASSERT_GT(sample.form->MenuBarHeight(), 0);
    EXPECT_EQ(testing::MenuBarEntries(*sample.form), std::vector<std::string>{"&Nastavení"});
    // Where the layer puts the client area is where the screen shows it:
    // the panel's bottom row lies a bar's height lower.
    const TPoint panel = sample.panel->ClientToScreen(TPoint{4, sample.panel->Height() - 3});
    EXPECT_TRUE(Near(testing::ProbeScreen(panel.x, panel.y), 0x00C3FF));
    const TPoint top = sample.gradient->ClientToScreen(TPoint{80, 0});
    EXPECT_TRUE(Near(testing::ProbeScreen(top.x, top.y), 0xFBFBFB));
}

} // namespace
} // namespace plat
