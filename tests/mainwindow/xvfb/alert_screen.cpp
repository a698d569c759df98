// Runs under Xvfb (CTest label "xvfb"): two alert windows and the reminder
// toast on a real X11 display, saved as screenshots and probed on the screen
// at their frames.
#include "foundation/globals.h"
#include "mainwindow/hint_window.h"
#include "mainwindow/main_window.h"
#include "mainwindow/not_window.h"
#include "model/alerts.h"
#include "model/pim.h"
#include "model/record.h"
#include "model/records.h"
#include "online/global.h"
#include "online/hooks.h"
#include "platform/gui/gui_application.h"
#include "platform/gui/shape.h"
#include "platform/gui/timer.h"
#include "platform/testing/gui_harness.h"
#include "tests/mainwindow/shell_fixture.h"
#include "tests/mainwindow/xvfb/screen_support.h"
#include "tests/model/model_test_support.h"
#include "tests/support/scratch_folder.h"
#include "view/view.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <thread>

namespace shell_test {
namespace {

bool Ready()
{
    static bool ready = [] {
        static testing_support::ScratchFolder home;
        for (const char* variable : {"HOME", "XDG_DATA_HOME", "XDG_CONFIG_HOME"})
            setenv(variable, home.Path().c_str(), 1);
        plat::GuiApplication::Start();
        InstallOnlineGlobals();
        InstallViewGlobals();
        InstallViewHooks();
        static model_test::Environment environment;
        return plat::GuiApplication::PlatformName() == "xcb";
    }();
    return ready;
}

// Runs the loop until `done` or 5 s.
bool RunUntil(const std::function<bool()>& done)
{
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!done() && std::chrono::steady_clock::now() < limit) {
        plat::testing::Flush();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return done();
}

TEST(AlertScreen, TwoAlertWindowsAndTheToast)
{
    const char* display = std::getenv("DISPLAY");
    if (display == nullptr || *display == '\0')
        GTEST_SKIP() << "no X11 display";
    ASSERT_TRUE(Ready());
    model_test::DataSet data;
    const char* texts[] = {"Porada týmu v zasedačce", "Zavolat do servisu kvůli autu, nejlépe ještě dopoledne"};
    for (uint32_t id = 1; id <= 2; ++id) {
        TNPIMRecord& record = data.NewRecord();
        record.ID = 100 + id;
        record.Type = 3;
        record.Text.Set(texts[id - 1]);
        record.HasBegin = true;
        record.Begin.Rok = 2025;
        record.Begin.Mesic = 3;
        record.Begin.Den = 5;
        record.Begin.Hodina = 9 + id;
        data.Pim().Records->NoteIDChanged(data.Pim().Records->Count - 1);
        TNPIMAlerts& alerts = data.Pim().Alerts;
        ASSERT_TRUE(alerts.Resize(alerts.Count + 1));
        alerts.Items[alerts.Count - 1]->ID = id;
        alerts.Items[alerts.Count - 1]->RecordID = 100 + id;
        alerts.NoteIDChanged(alerts.Count - 1);
    }

    plat::TOwned<TfrmMainDLMR1> window(new TfrmMainDLMR1(nullptr, std::make_unique<PageRecorder>()));
    plat::Application::SetMainForm(window.get());
    window->WakeMonitor = [] {};
    window->SetBounds(0, 0, 600, 400);
    window->Show();
    ASSERT_TRUE(plat::testing::WaitUntilExposed(*window));
    ASSERT_TRUE(RunUntil([&] { return window->notWindowsCount == 5; }));
    for (uint32_t id = 1; id <= 2; ++id) {
        ASSERT_TRUE(RunUntil([&] { return !window->timerNot->Enabled(); }));
        g.AlertDisplay.NotAlertID = id;
        g.AlertDisplay.NotValue = 1;
        MainWindowHooks.ArmNotTimer(1, 1);
    }
    TfrmNotDLMR1& newest = *window->notSlots[1].Window;
    ASSERT_TRUE(RunUntil([&] { return newest.AlphaBlendValue() == 255; }));
    ASSERT_TRUE(plat::testing::WaitUntilExposed(newest));

    auto record = std::make_shared<TNPIMRecord>();
    record->ID = 77;
    record->ParentPIM = &data.Pim();
    record->Text.Set("Zaplatit nájem");
    g.SetNotifyConstantlyRecord(record);
    MainWindowHooks.ArmHintTimer(0, 1);
    ASSERT_TRUE(RunUntil([&] { return window->timerHint->Tag() == 2; }));
    TfrmHint& toast = *window->frmHint;
    ASSERT_TRUE(plat::testing::WaitUntilExposed(toast));
    plat::testing::Flush();
    // The window keeps the size its fill gave it: the frame covers it whole.
    EXPECT_EQ(toast.Width(), toast.shpOuter->Width());
    EXPECT_EQ(toast.Height(), toast.shpOuter->Height());

    const std::filesystem::path output(DALMORA_GUI_OUTPUT_DIR);
    std::filesystem::create_directories(output);
    EXPECT_TRUE(plat::testing::SaveScreenshot((output / "alert_windows_and_toast.png").string()));

    // The alert's grey frame column, black inside it.
    const plat::TPoint frame = newest.ClientToScreen(plat::TPoint{0, newest.Height() / 2});
    EXPECT_TRUE(ColourWithin(plat::testing::ProbeScreen(frame.x, frame.y), 0x808080, 6));
    const plat::TPoint inner = newest.ClientToScreen(plat::TPoint{4, newest.Height() - 4});
    EXPECT_TRUE(ColourWithin(plat::testing::ProbeScreen(inner.x, inner.y), 0x000000, 6));
    // The toast's outer frame, white inside.
    const plat::TPoint edge = toast.ClientToScreen(plat::TPoint{0, toast.ClientHeight() / 2});
    EXPECT_TRUE(ColourWithin(plat::testing::ProbeScreen(edge.x, edge.y), 0xA9A9A9, 6));
    const plat::TPoint inside = toast.ClientToScreen(plat::TPoint{5, 5});
    EXPECT_TRUE(ColourWithin(plat::testing::ProbeScreen(inside.x, inside.y), 0xFFFFFF, 6));

    g.SetNotifyConstantlyRecord(nullptr);
    window.reset();
    plat::testing::Flush();
}

} // namespace
} // namespace shell_test
