#include "foundation/app_info.h"
#include "foundation/setup.h"
#include "mainwindow/dialog_bridge.h"
#include "online/global.h"
#include "online/hooks.h"
#include "online/screen.h"
#include "platform/gui/messages.h"
#include "platform/gui/screen.h"
#include "platform/gui/tray_icon.h"
#include "tests/mainwindow/shell_fixture.h"

#include <gtest/gtest.h>

#include <string>

namespace shell_test {
namespace {

int onlineRuns = 0;

class WindowMessagesTest : public ShellTest {
protected:
    void SetUp() override
    {
        ShellTest::SetUp();
        onlineRuns = 0;
        MainWindowHooks.ArmOnlineTimer = [](int32_t) { ++onlineRuns; };
        // The program's desktop hooks: g reads the screen's size.
        ScreenHooks.ScreenSize = [](int32_t* width, int32_t* height) {
            *width = plat::Screen::Width();
            *height = plat::Screen::Height();
        };
    }
    void TearDown() override
    {
        ScreenHooks.ScreenSize = nullptr;
        MessageBoxShown = 0;
        App.IsAutorun = 0;
        ShellTest::TearDown();
    }

    static void SetScreen(int width, int height)
    {
        plat::ScreenGeometry screen;
        screen.width = screen.desktopWidth = width;
        screen.height = screen.desktopHeight = height;
        screen.workArea = plat::TRect{0, 0, width, height};
        plat::Screen::SetOverride(screen);
    }

    // The geometry the user left on a screen of that size.
    static void SaveGeometryFor(int width, int height, plat::TRect bounds)
    {
        const std::string size = std::to_string(width) + "x" + std::to_string(height);
        ::Setup.SetValue(("SForRes" + size).c_str(), 0, TNSetupItem::kInt32);
        ::Setup.SetValue(("LForRes" + size).c_str(), bounds.Left, TNSetupItem::kInt32);
        ::Setup.SetValue(("TForRes" + size).c_str(), bounds.Top, TNSetupItem::kInt32);
        ::Setup.SetValue(("WForRes" + size).c_str(), bounds.Width(), TNSetupItem::kInt32);
        ::Setup.SetValue(("HForRes" + size).c_str(), bounds.Height(), TNSetupItem::kInt32);
    }

    plat::TRect Bounds()
    {
        return plat::TRect{Main().Left(), Main().Top(), Main().Left() + Main().Width(), Main().Top() + Main().Height()};
    }
};

TEST_F(WindowMessagesTest, DeactivationHidesOnlyWhenAutoHideMayApply)
{
    struct Case {
        const char* name;
        bool signedIn;
        bool autoHide;
        int32_t dialogDepth;
        bool messageBox;
        bool hides;
    };
    const Case cases[] = {
        {"signed-in page with auto-hide", true, true, 0, false, true},
        {"login page", false, true, 0, false, false},
        {"dialog open", true, true, 1, false, false},
        {"message box open", true, true, 0, true, false},
        {"auto-hide off", true, false, 0, false, false},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.name);
        MakeMainWindow();
        if (row.signedIn)
            SignIn();
        Main().cachedAutoHide = row.autoHide;
        Main().SetDialogDepthForTest(row.dialogDepth);
        MessageBoxShown = row.messageBox ? 1 : 0;
        Main().trayIcon->SetTag(1);
        Main().trayIcon->ShowApplication();
        Pages().Calls.clear();

        EXPECT_EQ(Main().Perform(plat::WM_ACTIVATE, plat::WA_INACTIVE, 0), 0);

        EXPECT_EQ(Pages().Count("HideSideboard"), 1);
        EXPECT_EQ(Main().trayIcon->Tag(), row.hides ? 0 : 1);
        EXPECT_EQ(Main().trayIcon->ApplicationVisible(), !row.hides);
        Main().SetDialogDepthForTest(0);
        MessageBoxShown = 0;
    }
}

TEST_F(WindowMessagesTest, DeactivationInsideTheHandlerIsNotHandledAgain)
{
    SignIn();
    Main().cachedAutoHide = true;
    Main().trayIcon->SetTag(1);
    Main().trayIcon->ShowApplication();
    int64_t tagDuringNested = -1;
    Pages().DuringCall = [&](const std::string& name) {
        if (name != "HideSideboard")
            return;
        EXPECT_EQ(Main().Perform(plat::WM_ACTIVATE, plat::WA_INACTIVE, 0), 0);
        tagDuringNested = Main().trayIcon->Tag();
    };

    Main().Perform(plat::WM_ACTIVATE, plat::WA_INACTIVE, 0);

    EXPECT_EQ(tagDuringNested, 1);
    EXPECT_EQ(Pages().Count("HideSideboard"), 1);
    EXPECT_EQ(Main().trayIcon->Tag(), 0);
}

TEST_F(WindowMessagesTest, PowerEventsRefreshOnResume)
{
    struct Case {
        plat::WPARAM event;
        const char* text;
        bool resume;
    };
    const Case cases[] = {
        {0, "Request for permission to suspend.", false},
        {2, "Suspension request denied.", false},
        {4, "System is suspending operation.", false},
        {6, "Operation resuming after critical suspension.", true},
        {7, "Operation is resuming from a low-power state.", true},
        {9, "Battery power is low.", false},
        {10, "Power status has changed.", true},
        {11, "OEM-defined event occurred.", false},
        {18, "Operation is resuming automatically from a low-power state.", true},
        {99, "Default", false},
    };
    int resumes = 0;
    for (const Case& row : cases) {
        SCOPED_TRACE(row.text);
        onlineRuns = 0;
        g.NewSyncWanted = 0;

        EXPECT_EQ(Main().Perform(plat::WM_POWERBROADCAST, row.event, 0), 1);
        plat::testing::Flush();

        resumes += row.resume ? 1 : 0;
        EXPECT_EQ(LogCount((std::string("[PowerBroadcast] ") + row.text).c_str()), 1);
        EXPECT_EQ(LogCount("[FreeMemory][END]"), resumes);
        EXPECT_EQ(onlineRuns, row.resume ? 1 : 0);
        EXPECT_EQ(g.NewSyncWanted.load(), row.resume ? 1 : 0);
    }
}

TEST_F(WindowMessagesTest, DisplayChangeRestoresTheGeometryOfEachSize)
{
    const plat::TRect onA{40, 50, 40 + 1100, 50 + 800};
    const plat::TRect onB{10, 20, 10 + 900, 20 + 600};
    SaveGeometryFor(1280, 1024, onA);
    SaveGeometryFor(1024, 768, onB);
    SignIn();
    Main().trayIcon->ShowApplication();
    Main().SetBounds(0, 0, 1016, 739);

    // The start size changes nothing.
    Main().Perform(plat::WM_DISPLAYCHANGE, 32, 0);
    EXPECT_EQ(LogCount("[DisplayChange] App.IsAutorun = "), 0);
    EXPECT_EQ(Bounds(), (plat::TRect{0, 0, 1016, 739}));

    SetScreen(1024, 768);
    EXPECT_EQ(Bounds(), onB);
    SetScreen(1280, 1024);
    EXPECT_EQ(Bounds(), onA);
    EXPECT_EQ(LogCount("[DisplayChange] App.IsAutorun = 0"), 2);
}

TEST_F(WindowMessagesTest, DisplayChangeLeavesHiddenAndAutorunWindowsAlone)
{
    SaveGeometryFor(1024, 768, plat::TRect{10, 20, 910, 620});
    SignIn();
    Main().SetBounds(0, 0, 1016, 739);

    Main().trayIcon->HideApplication();
    SetScreen(1024, 768);
    EXPECT_EQ(LogCount("[DisplayChange] App.IsAutorun = "), 0);

    Main().trayIcon->ShowApplication();
    App.IsAutorun = 1;
    Main().Perform(plat::WM_DISPLAYCHANGE, 32, 0);
    EXPECT_EQ(LogCount("[DisplayChange] App.IsAutorun = 1"), 1);
    EXPECT_EQ(Main().Left(), 0);
    EXPECT_EQ(Main().Width(), 1016);
}

} // namespace
} // namespace shell_test
