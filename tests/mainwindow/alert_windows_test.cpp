#include "tests/mainwindow/alert_fixture.h"

#include "foundation/app_info.h"
#include "foundation/common.h"
#include "foundation/hooks.h"
#include "foundation/setup.h"
#include "foundation/users.h"
#include "mainwindow/sound_table.h"
#include "model/alerts.h"
#include "model/event_types.h"
#include "model/pim.h"
#include "model/record.h"
#include "online/global.h"
#include "online/hooks.h"
#include "online/session_hooks.h"
#include "online/window_state.h"
#include "platform/core/clock.h"
#include "platform/gui/dialogs.h"
#include "platform/gui/label.h"
#include "platform/gui/menu.h"
#include "platform/gui/messages.h"
#include "platform/gui/panel.h"
#include "platform/gui/screen.h"
#include "platform/gui/timer.h"
#include "platform/gui/tray_icon.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace shell_test {
namespace {

constexpr int kScreenWidth = 1280;

using AlertWindows = AlertTest;

int Bottom(const plat::TControl& control)
{
    return control.Top() + control.Height();
}

TEST_F(AlertWindows, FiveAlertsFillThePoolTheNewestInFrontAndASixthWaits)
{
    for (uint32_t id = 1; id <= 6; ++id) {
        AddRecord(100 + id, 3, "Porada");
        AddAlert(id, 100 + id);
    }
    for (uint32_t id = 1; id <= 5; ++id) {
        HandOver(id);
        const int32_t slot = SlotOf(id);
        ASSERT_EQ(slot, static_cast<int32_t>(id) - 1);
        TfrmNotDLMR1& window = Window(slot);
        EXPECT_EQ(window.Left(), kScreenWidth - 457);
        EXPECT_EQ(window.Top(), 75);
        EXPECT_EQ(WindowState.NotWindowAlertID[slot], id);

        timers_->Advance(50);
        EXPECT_EQ(window.Left(), kScreenWidth - 460);
        EXPECT_EQ(window.Top(), 75);
        EXPECT_EQ(window.Width(), 440);
        EXPECT_EQ(window.Height(), std::max(80, Bottom(*window.lblAccept) + 16));
        EXPECT_FALSE(Main().timerNot->Enabled());
    }
    // The newest alert window stands above the older ones.
    std::vector<plat::TForm*> order = plat::Application::FormsTopmostFirst();
    auto place = [&](int32_t slot) { return std::find(order.begin(), order.end(), &Window(slot)) - order.begin(); };
    for (int32_t slot = 1; slot < 5; ++slot)
        EXPECT_LT(place(slot), place(slot - 1)) << slot;

    HandOver(6);
    EXPECT_EQ(SlotOf(6), -1);
    EXPECT_FALSE(Main().timerNot->Enabled());

    Main().nAcceptClick(2);
    Show(6);
    EXPECT_EQ(SlotOf(6), 2);
}

TEST_F(AlertWindows, TwoAlertsDueAtOneTickAreBothShownWhileOtherTimersRun)
{
    AddRecord(101, 3, "A");
    AddRecord(102, 3, "B");
    AddAlert(1, 101);
    AddAlert(2, 102);
    int ticks = 0;
    auto* other = new plat::TTimer(&Main());
    other->SetInterval(50);
    other->OnTimer = [&](plat::TComponent*) { ++ticks; };
    other->SetEnabled(true);

    // The display's main-thread step: hand over, or look again in 25 ms
    // while timerNot is still on.
    for (uint32_t id : {1u, 2u}) {
        while (SessionHooks.NotTimerEnabled())
            timers_->Advance(25);
        g.AlertDisplay.NotAlertID = id;
        g.AlertDisplay.NotValue = 1;
        MainWindowHooks.ArmNotTimer(1, 1);
    }
    timers_->Advance(0);
    timers_->Advance(50);
    timers_->Advance(50);
    EXPECT_EQ(SlotOf(1), 0);
    EXPECT_EQ(SlotOf(2), 1);
    EXPECT_GE(ticks, 2);
}

TEST_F(AlertWindows, FreeSlotsAreNeverMappedAndOnlyAHandledAlertCloses)
{
    for (int32_t slot = 0; slot < TfrmMainDLMR1::kNotPoolSize; ++slot) {
        TfrmNotDLMR1& window = Window(slot);
        EXPECT_EQ(window.BoundsRect(), (plat::TRect{-32000, -32000, -32000, -32000})) << slot;
        EXPECT_EQ(window.AlphaBlendValue(), 0);
        EXPECT_FALSE(plat::testing::WindowMapped(window)) << slot;
    }
    EXPECT_EQ(Main().notSlots[5].Window, nullptr);

    AddRecord(101, 3, "Porada");
    AddAlert(1, 101);
    Show(1);
    TfrmNotDLMR1& shown = Window(0);
    shown.Perform(plat::WM_CLOSE, 0, 0);
    EXPECT_TRUE(shown.Visible());

    // A free window may close; an alert handed to it later still shows.
    Window(1).Perform(plat::WM_CLOSE, 0, 0);
    EXPECT_FALSE(Window(1).Visible());
    AddRecord(102, 3, "Oběd");
    AddAlert(2, 102);
    Show(2);
    EXPECT_EQ(SlotOf(2), 1);
    EXPECT_TRUE(Window(1).Visible());

    c.ExitAllowed = 1;
    shown.Perform(plat::WM_CLOSE, 0, 0);
    EXPECT_FALSE(shown.Visible());
    c.ExitAllowed = 0;
}

TEST_F(AlertWindows, LabelsShowTheRecordByItsKind)
{
    TNPIMEventTypes& types = data_->Pim().EventTypes;
    ASSERT_TRUE(types.Resize(1));
    types.Items[0]->ID = 77;
    types.Items[0]->ShowBeforeText = true;
    TNString typeName;
    typeName.Set("Schůzka");
    types.Items[0]->SetTitle(typeName);

    const std::string text80(80, 'a');
    struct Case {
        const char* name;
        int32_t type;
        std::string text;
        std::function<void(TNPIMRecord&)> change;
        int32_t postponeMinutes;
        const char* time;
        std::string shownText;
        std::string hint;
        const char* postpone;
    };
    // The clock stands in 2024: a record of 1994 is 30 years old.
    const Case cases[] = {
        {"anniversary", 7, "Svatba", [](TNPIMRecord& r) { r.Begin.Rok = 1994; }, 9, "[1994]  (30. výročí)", "Svatba",
         "", "Připomenout za 9 minut"},
        {"birthday", 8, "Jana", [](TNPIMRecord& r) { r.Begin.Rok = 1994; }, 1, "[1994]  (30. narozeniny)", "Jana", "",
         "Připomenout za 1 minutu"},
        {"birthday this year", 8, "Eva", [](TNPIMRecord& r) { r.Begin.Rok = 2024; }, 3, "[2024] ", "Eva", "",
         "Připomenout za 3 minuty"},
        {"repeated birthday", 8, "Petr", [](TNPIMRecord& r) { r.RecurrenceMasterID = 900; }, 5,
         "[1994]  (30. narozeniny)", "Petr", "", "Připomenout za 5 minut"},
        {"day note", 9, "Volno", [](TNPIMRecord&) {}, 9, "", "Volno", "", "Připomenout za 9 minut"},
        {"no time", 3, "Bez času", [](TNPIMRecord& r) { r.HasBegin = false; }, 9, "", "Bez času", "",
         "Připomenout za 9 minut"},
        {"range", 3, "Porada",
         [](TNPIMRecord& r) {
             r.HasEnd = true;
             r.End = r.Begin;
             r.End.Hodina = 10;
             r.End.Minuta = 15;
         },
         9, "09:30 - 10:15", "Porada", "", "Připomenout za 9 minut"},
        {"date only", 3, "Celý den", [](TNPIMRecord& r) { r.Begin.Hodina = 99; }, 9, "5. 3. 2025", "Celý den", "",
         "Připomenout za 9 minut"},
        {"start only", 3, "Porada", [](TNPIMRecord&) {}, 9, "09:30", "Porada", "", "Připomenout za 9 minut"},
        {"event type", 5, "Porada", [](TNPIMRecord& r) { r.EventType = 77; }, 9, "09:30", "Schůzka: Porada", "",
         "Připomenout za 9 minut"},
        {"80 characters", 3, text80, [](TNPIMRecord&) {}, 9, "09:30", text80, "", "Připomenout za 9 minut"},
        {"81 characters", 3, text80 + "b", [](TNPIMRecord&) {}, 9, "09:30", text80 + "...", text80 + "b",
         "Připomenout za 9 minut"},
    };
    TNPIMRecord& master = AddRecord(900, 8, "Petr");
    master.Begin.Rok = 1994;
    uint32_t id = 1;
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        TNPIMRecord& record = AddRecord(1000 + id, test.type, test.text.c_str());
        test.change(record);
        AddAlert(id, record.ID);
        ::Setup.SetValue("Settings_DefaultNotificationPostponeMinutes", test.postponeMinutes, TNSetupItem::kInt32);
        Show(id);
        const int32_t slot = SlotOf(id);
        ASSERT_GE(slot, 0);
        TfrmNotDLMR1& window = Window(slot);
        EXPECT_EQ(window.lblTime->Caption(), test.time);
        EXPECT_EQ(window.lblText->Caption(), test.shownText);
        EXPECT_EQ(window.lblText->Hint(), test.hint);
        EXPECT_EQ(window.lblText->ShowHint(), !test.hint.empty());
        EXPECT_EQ(window.lblPostpone->Caption(), test.postpone);
        EXPECT_EQ(window.lblMinutes->Caption(), "");
        EXPECT_EQ(window.lblMinutes->Left(), window.lblTime->Left() + window.lblTime->Width() + 4);
        Main().CloseNotWindow(slot);
        ++id;
    }

    // A missing alert, and an alert whose record is gone.
    AddAlert(500, 4444);
    for (uint32_t missing : {499u, 500u}) {
        Show(missing);
        const int32_t slot = SlotOf(missing);
        ASSERT_GE(slot, 0);
        EXPECT_EQ(Window(slot).lblTime->Caption(), "--:--");
        EXPECT_EQ(Window(slot).lblText->Caption(), "CHYBA: Popisek upozornění nenalezen!");
        Main().CloseNotWindow(slot);
    }
}

TEST_F(AlertWindows, FadesInOverTwentyNineSteps)
{
    AddRecord(101, 3, "Porada");
    AddAlert(1, 101);
    Show(1);
    TfrmNotDLMR1& window = Window(0);
    EXPECT_EQ(window.AlphaBlendValue(), 0);
    for (int step = 1; step <= 28; ++step) {
        timers_->Advance(10);
        EXPECT_EQ(window.AlphaBlendValue(), 9 * step) << step;
        EXPECT_TRUE(window.nTimer->Enabled());
    }
    timers_->Advance(10);
    EXPECT_EQ(window.AlphaBlendValue(), 255);
    EXPECT_FALSE(window.nTimer->Enabled());
}

TEST_F(AlertWindows, RingsAtGrowingIntervalsWithTheRingFlag)
{
    LoadTestSounds();
    AddRecord(101, 3, "Porada");
    AddAlert(1, 101);
    g.AlertDisplay.Ring = 1;
    Show(1);
    ASSERT_TRUE(Main().timerAlertSound->Enabled());
    const std::vector<uint8_t> ring = *Main().Sounds->Image(TNSoundTable::kAlertRing);

    // Rings after 2.5, 7.5, 15 and 25 s, not a millisecond earlier.
    size_t heard = 0;
    for (int64_t gap : {2500, 5000, 7500, 10000}) {
        timers_->Advance(gap - 1);
        EXPECT_EQ(PlayedSounds().size(), heard) << gap;
        timers_->Advance(1);
        std::vector<plat::RecordedSound> played = PlayedSounds();
        ASSERT_EQ(played.size(), ++heard) << gap;
        EXPECT_EQ(played.back().delivered, std::vector<uint8_t>(ring.begin() + 44, ring.end()));
    }
    // Each gap 2.5 s longer than the one before, up to 300 s.
    uint32_t gap = Main().timerAlertSound->Interval();
    EXPECT_EQ(gap, 12500u);
    while (gap < 300000) {
        timers_->Advance(gap);
        EXPECT_EQ(Main().timerAlertSound->Interval(), gap + 2500);
        gap = Main().timerAlertSound->Interval();
    }
    timers_->Advance(gap);
    EXPECT_EQ(Main().timerAlertSound->Interval(), 300000u);

    Main().nAcceptClick(0);
    EXPECT_FALSE(Main().timerAlertSound->Enabled());
    EXPECT_FALSE(Main().timerAlertBlink->Enabled());
}

TEST_F(AlertWindows, PostponeMovesTheAlertAndReportsItToTheService)
{
    const int64_t now = plat::UnixSeconds();
    model_test::ActiveUser remembered(4711);
    struct Case {
        const char* name;
        uint32_t alertUser;
        bool remembered;
        uint32_t jobUser;
        bool fallback;
    };
    const Case cases[] = {
        {"the alert's user", 31, true, 31, false},
        {"the remembered user", 0, true, 4711, false},
        {"nobody", 0, false, 0, true},
    };
    uint32_t id = 1;
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        if (!test.remembered)
            Uzivatele.AktivniUzivatel = -1;
        AddRecord(100 + id, 3, "Porada");
        TNPIMAlert& alert = AddAlert(id, 100 + id, test.alertUser);
        alert.DeletePending = true;
        Show(id);
        const int fallbacks = LogCount("[nPostponeClick][FALLBACK]");
        const int syncs = LogCount("[FastSync] caller = TfrmMainDLMR1::nPostponeClick");
        Main().nPostponeClick(SlotOf(id));

        EXPECT_EQ(SlotOf(id), -1);
        TNPIMAlert& after = *Alert(id);
        EXPECT_EQ(after.AlertTimestamp, static_cast<uint32_t>(now + 9 * 60));
        EXPECT_EQ(after.DeletePending, test.fallback);
        EXPECT_EQ(after.Deleted, test.fallback ? TNPIMAlert::kDeletedByUser : 0u);
        EXPECT_GE(data_->QueueItem(3, id), 0);
        ASSERT_EQ(jobs_.size(), static_cast<size_t>(id));
        const TNPostponeJob& job = jobs_.back();
        EXPECT_EQ(job.Position, 0);
        EXPECT_EQ(job.AlertID, id);
        EXPECT_EQ(job.AlertUserID, test.jobUser);
        EXPECT_EQ(job.AlertType, 1);
        EXPECT_EQ(job.OrganizerID, 501u);
        EXPECT_EQ(job.RecordID, 100 + id);
        EXPECT_EQ(job.Minutes, 9);
        EXPECT_EQ(LogCount("[nPostponeClick][FALLBACK]"), fallbacks + (test.fallback ? 1 : 0));
        EXPECT_EQ(LogCount("[FastSync] caller = TfrmMainDLMR1::nPostponeClick"), syncs + 1);
        ++id;
    }
}

TEST_F(AlertWindows, PostponeMenuOpensAtTheArrowAndPostponesByTheChoice)
{
    AddRecord(101, 3, "Porada");
    AddAlert(1, 101, 31);
    Show(1);
    TfrmNotDLMR1& window = Window(0);
    menus_->choose = "pmnuPostponeAlert15";
    const plat::TPoint corner = window.lblPostponeArrow->ClientToScreen(
        plat::TPoint{window.lblPostponeArrow->Width(), window.lblPostponeArrow->Height()});
    window.lblPostponeArrow->MouseDown(plat::TMouseButton::mbLeft, 0, 1, 1);
    // The choice comes as the menu's click, after the menu closed.
    plat::testing::Flush();

    ASSERT_EQ(menus_->popups.size(), 1u);
    const plat::PopupRecord& popup = menus_->popups[0];
    EXPECT_EQ(popup.x, corner.x);
    EXPECT_EQ(popup.y, corner.y);
    const std::vector<std::string> captions = {
        "Připomenout za 2 minuty", "Připomenout za 5 minut",  "Připomenout za 7 minut",  "Připomenout za 9 minut",
        "Připomenout za 10 minut", "Připomenout za 12 minut", "Připomenout za 15 minut", "Připomenout za 20 minut",
        "Připomenout za 25 minut", "Připomenout za 30 minut", "Připomenout za 45 minut", "Připomenout za 60 minut",
        "Připomenout za 90 minut", "Připomenout za 120 minut"};
    EXPECT_EQ(popup.captions, captions);

    ASSERT_EQ(jobs_.size(), 1u);
    EXPECT_EQ(jobs_[0].Minutes, 15);
    EXPECT_EQ(Alert(1)->AlertTimestamp, static_cast<uint32_t>(plat::UnixSeconds() + 15 * 60));
    EXPECT_EQ(Main().popupPostponeAlert->Tag(), -1);
    EXPECT_EQ(SlotOf(1), -1);
}

TEST_F(AlertWindows, AcknowledgeMarksOnlyTheFirstDataSetsAlert)
{
    AddRecord(101, 3, "Porada");
    AddAlert(1, 101);
    Show(1);
    Main().nAcceptClick(0);
    EXPECT_EQ(SlotOf(1), -1);
    EXPECT_EQ(Alert(1)->Deleted, TNPIMAlert::kDeletedByUser);
    EXPECT_TRUE(Alert(1)->DeletePending);
    EXPECT_GE(data_->QueueItem(3, 1), 0);
    EXPECT_TRUE(jobs_.empty());
    EXPECT_EQ(LogCount("[FastSync] caller = TfrmMainDLMR1::nAcceptClick"), 1);
    EXPECT_EQ(WindowState.NotWindowAlertID[0], -1);
}

TEST_F(AlertWindows, OpenShowsTheRecordOrSaysItCannot)
{
    AddRecord(101, 3, "Porada");
    AddAlert(1, 101);
    AddAlert(2, 4444);
    Show(1);
    Main().nOpenClick(SlotOf(1));
    EXPECT_EQ(Pages().Count("EditRecord 101"), 1);
    EXPECT_EQ(Alert(1)->Deleted, TNPIMAlert::kDeletedByUser);
    EXPECT_TRUE(boxes_->boxes.empty());

    Show(2);
    Main().nOpenClick(SlotOf(2));
    ASSERT_EQ(boxes_->boxes.size(), 1u);
    EXPECT_EQ(boxes_->boxes[0].text, "Došlo k nějaké chybě a záznam nemůže být zobrazen.");
    EXPECT_EQ(boxes_->boxes[0].caption, "Jejda!");
    EXPECT_EQ(boxes_->boxes[0].flags, plat::MB_ICONWARNING);
}

TEST_F(AlertWindows, BlinkAlternatesTheTrayIconAndPaintsTheFrameOnlyWhenAsked)
{
    AddRecord(101, 3, "Porada");
    AddAlert(1, 101);
    g.AlertDisplay.Ring = 1;
    Show(1);
    TfrmNotDLMR1& window = Window(0);
    ASSERT_TRUE(Main().timerAlertBlink->Enabled());
    EXPECT_EQ(Main().trayIcon->IconIndex(), App.TrayIconNormal);

    plat::TMenuItem* blink = Main().MainMenu2->FindByName("mnuSettingsEnableNotificationBlink");
    ASSERT_NE(blink, nullptr);
    struct Phase {
        bool checked;
        int icon;
        plat::TColor outer;
        plat::TColor inner;
    };
    const Phase phases[] = {
        {false, App.TrayIconBlink, 0x808080, plat::clBlack}, {false, App.TrayIconNormal, 0x808080, plat::clBlack},
        {true, App.TrayIconBlink, 0x808080, plat::clBlack},  {true, App.TrayIconNormal, 0x4B4B9B, 0x000019},
        {true, App.TrayIconBlink, 0x808080, plat::clBlack},
    };
    for (const Phase& phase : phases) {
        blink->SetChecked(phase.checked);
        timers_->Advance(750);
        EXPECT_EQ(Main().trayIcon->IconIndex(), phase.icon);
        EXPECT_EQ(window.pOuter->Color(), phase.outer);
        EXPECT_EQ(window.pInner->Color(), phase.inner);
        EXPECT_EQ(window.Top(), 75);
        EXPECT_EQ(window.Left(), kScreenWidth - 460);
    }
}

TEST_F(AlertWindows, TheScreenWakesOnlyForAnIdleUserAndNotTooOften)
{
    struct Case {
        const char* name;
        bool setting;
        uint32_t idle;
        int64_t sinceLastWake;
        bool wakes;
    };
    const Case cases[] = {
        {"idle user", true, 56, 55, true},    {"setting off", false, 56, 55, false},
        {"active user", true, 55, 55, false}, {"woken 54 s ago", true, 56, 54, false},
        {"no display", true, 0, 1000, false},
    };
    static uint32_t idle = 0;
    FoundationHooks.IdleSeconds = [] { return idle; };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        ::Setup.SetValue("Settings_TurnMonitorOn", test.setting ? 1 : 0, TNSetupItem::kBool);
        idle = test.idle;
        const int64_t now = plat::UnixSeconds();
        Main().lastMonitorWakeTime = now - test.sinceLastWake;
        wakes_ = 0;
        Main().TurnMonitorOn();
        EXPECT_EQ(wakes_, test.wakes ? 1 : 0);
        EXPECT_EQ(Main().lastMonitorWakeTime, test.wakes ? now : now - test.sinceLastWake);
    }
    FoundationHooks.IdleSeconds = nullptr;
    ::Setup.SetValue("Settings_TurnMonitorOn", 1, TNSetupItem::kBool);
}

} // namespace
} // namespace shell_test
