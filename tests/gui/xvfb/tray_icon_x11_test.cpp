// Runs under Xvfb (CTest label "xvfb"): a real X11 display with no tray host.
#include "platform/gui/form.h"
#include "platform/gui/gui_application.h"
#include "platform/gui/internal/layer.h"
#include "platform/gui/tray_icon.h"
#include "platform/testing/gui_harness.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace plat {
namespace {

TEST(TrayIconX11, WithNoTrayHostHidingMinimisesTheMainWindow)
{
    const char* display = std::getenv("DISPLAY");
    if (display == nullptr || *display == '\0')
        GTEST_SKIP() << "no X11 display";
    GuiApplication::Start();
    ASSERT_EQ(GuiApplication::PlatformName(), "xcb");
    std::vector<std::string> log;
    SetLayerLog([&](const std::string& line) { log.push_back(line); });
    TOwned<TForm> main(new TForm(nullptr));
    Application::SetMainForm(main.get());
    TrayIcon* tray = new TrayIcon(main.get());
    tray->SetActive(true);
    main->Show();
    ASSERT_TRUE(testing::WaitUntilExposed(*main));

    EXPECT_FALSE(TrayIcon::HostAvailable());
    tray->HideApplication();
    testing::Flush();
    EXPECT_FALSE(tray->ApplicationVisible());
    EXPECT_TRUE(main->Visible());
    EXPECT_EQ(main->WindowState(), TWindowState::wsMinimized);
    EXPECT_EQ(log.size(), 1u);

    tray->ShowApplication();
    testing::Flush();
    EXPECT_TRUE(tray->ApplicationVisible());
    EXPECT_EQ(main->WindowState(), TWindowState::wsNormal);
    SetLayerLog(nullptr);
}

} // namespace
} // namespace plat
