// The minute clock on a fake wall clock: the re-arm, the change of day, the
// one memory release, the toast's pause, the online watchdog and the
// profile prompt; and the scroll to a stored position.

#include "foundation/app_info.h"
#include "foundation/common.h"
#include "foundation/dirs.h"
#include "foundation/setup.h"
#include "foundation/time.h"
#include "mainwindow/dialog_bridge.h"
#include "model/record.h"
#include "online/global.h"
#include "platform/core/thread.h"
#include "platform/gui/notebook.h"
#include "platform/gui/panel.h"
#include "platform/gui/timer.h"
#include "platform/gui/tray_icon.h"
#include "platform/testing/fake_clock.h"
#include "tests/mainwindow/shell_fixture.h"
#include "view/hooks.h"
#include "view/view.h"
#include "view/view_item.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace shell_test {
namespace {

// The keys and eighth parameters of the dialogs opened; each declines.
struct OpenedDialog {
    std::string key;
    int32_t p8;
};
std::vector<OpenedDialog>* openedDialogs = nullptr;

class RecordingDialog final : public TNUniDialogForm {
public:
    RecordingDialog() : TNUniDialogForm(nullptr) {}
    const char* ClassName() const override { return "RecordingDialog"; }
    bool AktivujDialog() override
    {
        if (openedDialogs != nullptr)
            openedDialogs->push_back({Key, Params[7]});
        return false;
    }
};

class ClockTimerTest : public ShellTest {
protected:
    void SetUp() override
    {
        ShellTest::SetUp();
        ::Setup.Reset();
        RememberAccount("alice", "secret1", false);
        setupFile_ = home_.Path() + "setup-online.dat";
        Dirs.UsersSetupFile.Set(setupFile_.c_str());
        clock_ = std::make_unique<plat::testing::ScopedFakeClock>(At(10, 15, 42));
        c.RefreshToday();
        SignIn();
        // As the settings step starts it.
        Main().StartClock();
        openedDialogs = &dialogs_;
        SetUniDialogFactory([]() -> TNUniDialogForm* { return new RecordingDialog(); });
        // Named by default: no profile prompt unless a test asks for one.
        g.UpdateAccount([](TNAccount& account) {
            account.FirstName.Set("Alice");
            account.LastName.Set("Nováková");
        });
        App.IsDev = 0;
        Main().lastToastTime = plat::UnixSeconds();
    }
    void TearDown() override
    {
        SetUniDialogFactory(nullptr);
        openedDialogs = nullptr;
        g.UserLoginStatus = 0;
        g.DosloKVyjimceVlaknaOnline = 0;
        g.OnlineThreadRunning = 0;
        g.AlertDisplay.WorkerBusy = false;
        g.SetNotifyConstantlyRecord(nullptr);
        g.UpdateAccount([](TNAccount& account) { account = TNAccount(); });
        c.MemoryReleaseTime = 0;
        Dirs.UsersSetupFile.Set("");
        EXPECT_TRUE(plat::WaitForRunningThreads(10000));
        clock_.reset();
        c.RefreshToday();
        ShellTest::TearDown();
    }

    // Unix seconds of a local time on 10 December 2026 (day 11 the next).
    static int64_t At(int hour, int minute, int second, int day = 10)
    {
        TNTime time;
        time.SetDateTime(day, 12, second, minute, hour, 2026);
        return time.GetTimestamp();
    }
    void SetNow(int hour, int minute, int second, int day = 10)
    {
        (**clock_).SetUnixSeconds(At(hour, minute, second, day));
    }
    void Tick() { Main().timerHodinyTimer(); }
    // From 23:59 of the 10th to 00:00 of the 11th.
    void PassMidnight()
    {
        SetNow(23, 59, 0);
        Main().StartClock();
        Pages().Calls.clear();
        SetNow(0, 0, 0, 11);
        Tick();
    }
    bool Called(const std::string& name) { return Pages().Count(name) > 0; }

    std::unique_ptr<plat::testing::ScopedFakeClock> clock_;
    std::string setupFile_;
    std::vector<OpenedDialog> dialogs_;
};

TEST_F(ClockTimerTest, TicksFallOnFullMinutesAndTheFirstIsAMinuteChangeOnly)
{
    // The settings step starts the clock at 10:15:42.
    Main().AktivujNastaveni();
    Pages().Calls.clear();
    EXPECT_TRUE(Main().timerHodiny->Enabled());
    EXPECT_EQ(Main().timerHodiny->Interval(), 18000u);

    SetNow(10, 16, 0);
    timers_->Advance(18000);
    EXPECT_EQ(Pages().Count("UpdateAllRedlines"), 1);
    EXPECT_EQ(Pages().Count("zentorGetUpcomingEvents"), 1);
    EXPECT_FALSE(Called("btnTodayTodayClick")) << "no day change";
    EXPECT_FALSE(Called("UpdateZentor"));
    EXPECT_FALSE(Main().timerSetCalendarToToday->Enabled());
    EXPECT_EQ(Main().timerHodiny->Interval(), 60000u);
    EXPECT_TRUE(std::filesystem::exists(setupFile_)) << "the settings are saved each minute";

    // A second tick in the same minute changes nothing.
    Pages().Calls.clear();
    SetNow(10, 16, 42);
    Tick();
    EXPECT_FALSE(Called("UpdateAllRedlines"));
    EXPECT_EQ(Main().timerHodiny->Interval(), 18000u);
    EXPECT_EQ(LogCount("[TfrmMainDLMR1::timerHodinyTimer][BEGIN]"), 2);
    EXPECT_EQ(LogCount("[TfrmMainDLMR1::timerHodinyTimer][END]"), 2);
}

TEST_F(ClockTimerTest, MidnightReturnsToTodayOpensTheDefaultPageAndRunsTheMinuteStep)
{
    struct Case {
        const char* name;
        int32_t defaultView; // 0: never set
        const char* page;
        const char* line;
    };
    const Case cases[] = {
        {"never set", 0, "Homepage", "[ResetViewToDefaultAndToday][B]"},
        {"the calendar", 2, "Calendar", "[ResetViewToDefaultAndToday][A] Setup.Int(controlDefaultView) = 2"},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.name);
        ::Setup.Remove("controlDefaultView");
        if (row.defaultView != 0)
            ::Setup.SetValue("controlDefaultView", row.defaultView, TNSetupItem::kInt32);
        Main().ClickOnControlButton("btnControlTasks");
        std::filesystem::remove(setupFile_);
        g.UserLoginStatus = 1;
        // A running alert display makes the start observable.
        g.AlertDisplay.WorkerBusy = true;
        const int alertStarts = LogCount("[TfrmMainDLMR1::timerHodinyTimer] The alert display still runs.");

        PassMidnight();

        const std::vector<std::string>& calls = Pages().Calls;
        ASSERT_FALSE(calls.empty());
        EXPECT_EQ(calls.front(), "btnTodayTodayClick");
        EXPECT_EQ(LogCount(row.line), 1);
        EXPECT_EQ(Main().gDesk->ActivePage(), row.page);
        EXPECT_TRUE(std::filesystem::exists(setupFile_));
        const auto at = [&](const char* name) { return std::find(calls.begin(), calls.end(), name) - calls.begin(); };
        // The page switch refreshes the Zentor panel too; the rebuild comes
        // after the events were collected.
        const auto last = std::find(calls.rbegin(), calls.rend(), "UpdateZentor");
        ASSERT_NE(last, calls.rend());
        EXPECT_LT(at("UpdateAllRedlines"), at("zentorGetUpcomingEvents"));
        EXPECT_LT(at("zentorGetUpcomingEvents"), calls.rend() - last - 1);
        EXPECT_EQ(LogCount("[TfrmMainDLMR1::timerHodinyTimer] The alert display still runs."), alertStarts + 1);
        EXPECT_EQ(c.MemoryReleaseTime.load(), At(0, 0, 0, 11) + 900);
        EXPECT_EQ(c.CopyOfToday().Den, 11);
        EXPECT_EQ(Main().timerHodiny->Interval(), 60000u);
        EXPECT_TRUE(Main().timerSetCalendarToToday->Enabled());
        EXPECT_EQ(Main().timerSetCalendarToToday->Interval(), 1u);
        timers_->Advance(1);
        EXPECT_FALSE(Main().timerSetCalendarToToday->Enabled());
        EXPECT_EQ(Pages().Count("SetCalendarToToday"), 1);
    }

    // Offline, the alerts are left alone.
    g.UserLoginStatus = 0;
    const int alertStarts = LogCount("[TfrmMainDLMR1::timerHodinyTimer] The alert display still runs.");
    PassMidnight();
    EXPECT_EQ(LogCount("[TfrmMainDLMR1::timerHodinyTimer] The alert display still runs."), alertStarts);
}

TEST_F(ClockTimerTest, AfterADayChangeTheCalendarScrollsToItsStoredPosition)
{
    plat::TPanel* desk = Main().pCalendarDesk;
    TNViewItem* box =
        View.CreateComponent(cmpScrollbox, "clockTestBox", &Main(), desk, 0, "", 1, -1, nullptr, nullptr, 3);
    ASSERT_NE(box, nullptr);
    box->FrameWidth = 1;
    box->FrameInset = 1;
    plat::TJvPanel* content = box->Inners[box->ActiveInnerPos]->ContentPanel.Get();
    content->SetHeight(800);
    ASSERT_TRUE(View.ResizeScrollbox(box, 0, 0, 200, 204, true, 1, 0, "test"));
    content->SetTop(0);

    // The day box of the last view, as the pages report it.
    TNViewItem daybox;
    daybox.ParentItem = box;
    auto* line = new plat::TJvPanel(&Main());
    auto* label = new plat::TJvPanel(&Main());
    line->SetTag(-150);
    label->SetTag(1);
    daybox.FramePanel2 = line;
    daybox.FramePanel1 = label;
    Pages().RedlineDaybox = &daybox;

    const int scrolls = LogCount("[TfrmMainDLMR1::ScrollWheelableTo] name = clockTestBox");
    Main().StartClock();
    SetNow(10, 16, 0);
    Tick();
    EXPECT_EQ(content->Top(), 0) << "a minute change leaves the box alone";
    EXPECT_EQ(label->Tag(), 1);

    PassMidnight();
    EXPECT_EQ(content->Top(), -150);
    EXPECT_EQ(label->Tag(), 0) << "marked to scroll again when next filled";
    EXPECT_EQ(LogCount("[TfrmMainDLMR1::ScrollWheelableTo] name = clockTestBox"), scrolls + 1);
    Pages().RedlineDaybox = nullptr;
}

TEST_F(ClockTimerTest, AMaximisedWindowLeftTransparentIsHiddenAndMadeOpaque)
{
    for (const bool maximised : {false, true}) {
        SCOPED_TRACE(maximised ? "maximised" : "normal");
        Main().Show();
        Main().SetWindowState(maximised ? plat::TWindowState::wsMaximized : plat::TWindowState::wsNormal);
        Main().SetAlphaBlend(true);
        Main().SetAlphaBlendValue(0);
        Tick();
        EXPECT_EQ(Main().Visible(), !maximised);
        EXPECT_EQ(Main().AlphaBlend(), !maximised);
        EXPECT_EQ(Main().AlphaBlendValue(), maximised ? 255 : 0);
    }
}

TEST_F(ClockTimerTest, ScrollWheelableToFindsTheNewestBoxOfTheNameAndClamps)
{
    plat::TPanel* desk = Main().pCalendarDesk;
    TNViewItem* box =
        View.CreateComponent(cmpScrollbox, "clockTestBox", &Main(), desk, 0, "", 1, -1, nullptr, nullptr, 3);
    ASSERT_NE(box, nullptr);
    plat::TJvPanel* content = box->Inners[box->ActiveInnerPos]->ContentPanel.Get();
    content->SetHeight(400);
    ASSERT_TRUE(View.ResizeScrollbox(box, 0, 0, 200, 204, true, 1, 0, "test"));
    const int32_t lowest = box->Scrollbox.Get()->Height() - 400;

    struct Case {
        const char* name;
        int32_t position;
        int32_t top;
    } cases[] = {{"a positive position goes to the top", 50, 0},
                 {"inside the range", -100, -100},
                 {"below the end stops at the end", -1000, lowest}};
    for (const Case& row : cases) {
        SCOPED_TRACE(row.name);
        EXPECT_TRUE(Main().ScrollWheelableTo(row.position, "clockTestBox"));
        EXPECT_EQ(content->Top(), row.top);
    }
    EXPECT_FALSE(Main().ScrollWheelableTo(-10, "noSuchBox"));
    EXPECT_FALSE(Main().ScrollWheelableTo(-10, ""));
    // The view reaches it through its hook table.
    EXPECT_TRUE(ViewMainHooks.ScrollWheelableTo(-20, "clockTestBox"));
    EXPECT_EQ(content->Top(), -20);
}

TEST_F(ClockTimerTest, MemoryIsReleasedOnceAQuarterHourAfterMidnight)
{
    PassMidnight();
    struct Step {
        int hour;
        int minute;
        int releases;
    } steps[] = {{0, 14, 0}, {0, 15, 1}, {0, 16, 1}, {1, 15, 1}};
    for (const Step& step : steps) {
        SCOPED_TRACE(std::to_string(step.hour) + ":" + std::to_string(step.minute));
        SetNow(step.hour, step.minute, 0, 11);
        Tick();
        EXPECT_EQ(LogCount("[FreeMemory][BEGIN]"), step.releases);
    }
    EXPECT_EQ(c.MemoryReleaseTime.load(), 0);
}

TEST_F(ClockTimerTest, TheToastStartsSevenMinutesAfterTheLastOne)
{
    auto record = std::make_shared<TNPIMRecord>();
    record->ID = 77;
    g.SetNotifyConstantlyRecord(record);
    ::Setup.SetValue("Settings_UseUrgentImportanceFnc", 1, TNSetupItem::kBool);
    for (const int64_t since : {419, 420}) {
        SCOPED_TRACE(since);
        Main().timerHint->SetEnabled(false);
        Main().lastToastTime = plat::UnixSeconds() - since;
        Tick();
        plat::testing::Flush();
        EXPECT_EQ(Main().timerHint->Enabled(), since >= 420);
    }
    Main().timerHint->SetEnabled(false);
}

TEST_F(ClockTimerTest, ASetRelayoutFlagIsClearedAfterOneRelayout)
{
    // The connection text rebuilt with the relayout records the state it
    // showed; a value it never writes marks "not rebuilt".
    constexpr uint8_t kNotRebuilt = 7;
    g.Online = 1;
    g.LastShownConnectionState = kNotRebuilt;
    Main().statusBarRelayoutWanted = 1;
    Tick();
    EXPECT_EQ(Main().statusBarRelayoutWanted.load(), 0);
    EXPECT_EQ(g.LastShownConnectionState.load(), 1);

    g.LastShownConnectionState = kNotRebuilt;
    Tick();
    EXPECT_EQ(g.LastShownConnectionState.load(), kNotRebuilt);
    g.Online = 0;
    g.LastShownConnectionState = 0;
}

TEST_F(ClockTimerTest, TheProfilePromptOpensOnlyForAnUnnamedVisibleIdleOnlineUser)
{
    struct Case {
        const char* name;
        bool online;
        bool named;
        bool newNamesTyped;
        int32_t depth;
        bool hidden;
        bool closing;
        bool opens;
    };
    const Case cases[] = {
        {"unnamed, online, idle, visible", true, false, false, 0, false, false, true},
        {"offline", false, false, false, 0, false, false, false},
        {"named", true, true, false, 0, false, false, false},
        {"new names waiting", true, false, true, 0, false, false, false},
        {"a dialog open", true, false, false, 1, false, false, false},
        {"hidden in the tray", true, false, false, 0, true, false, false},
        {"closing", true, false, false, 0, false, true, false},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.name);
        dialogs_.clear();
        g.UserLoginStatus = row.online ? 1 : 0;
        g.UpdateAccount([&](TNAccount& account) {
            account.FirstName.Set("Alice");
            account.LastName.Set(row.named ? "Nováková" : "");
            account.NewFirstName.Set(row.newNamesTyped ? "Alice" : "");
            account.NewLastName.Set(row.newNamesTyped ? "Nováková" : "");
        });
        Main().SetDialogDepthForTest(row.depth);
        if (row.hidden)
            Main().trayIcon->HideApplication();
        else
            Main().trayIcon->ShowApplication();
        g.Close = row.closing ? 1 : 0;

        Tick();

        g.Close = 0;
        Main().SetDialogDepthForTest(0);
        ASSERT_EQ(dialogs_.size(), row.opens ? 1u : 0u);
        if (row.opens) {
            EXPECT_EQ(dialogs_[0].key, "BasicProfileSettings");
            EXPECT_EQ(dialogs_[0].p8, 1);
        }
    }
}

TEST_F(ClockTimerTest, TheWatchdogNeverStartsASecondPass)
{
    g.FastPassDelayMs = 250;
    // A pass still runs: nothing starts, the next follows at 250 ms.
    g.DosloKVyjimceVlaknaOnline = 1;
    g.OnlineThreadRunning = 1;
    Tick();
    plat::testing::Flush();
    EXPECT_EQ(LogCount("[frmMain::timerHodinyTimer][ERROR] g.DosloKVyjimceVlaknaOnline = true. Trying to restore "
                       "thread."),
              1);
    EXPECT_EQ(LogCount("[frmMain::timerHodinyTimer] Thread probably restored."), 0);
    EXPECT_EQ(LogCount("[TOnline][BEGIN]"), 0);
    EXPECT_TRUE(Main().timerOnline->Enabled());
    EXPECT_EQ(Main().timerOnline->Interval(), 250u);
    Main().timerOnline->SetEnabled(false);

    // None runs: exactly one starts.
    g.OnlineThreadRunning = 0;
    Tick();
    EXPECT_TRUE(plat::WaitForRunningThreads(10000));
    EXPECT_EQ(LogCount("[frmMain::timerHodinyTimer] Thread probably restored."), 1);
    EXPECT_EQ(LogCount("[TOnline][BEGIN]"), 1);
    EXPECT_EQ(g.DosloKVyjimceVlaknaOnline.load(), 0) << "the pass clears the flag itself";
    plat::testing::Flush();
    Main().timerOnline->SetEnabled(false);
}

} // namespace
} // namespace shell_test
