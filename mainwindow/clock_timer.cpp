#include "mainwindow/main_window.h"

#include "foundation/app_info.h"
#include "foundation/common.h"
#include "foundation/dirs.h"
#include "foundation/guard.h"
#include "foundation/log.h"
#include "foundation/setup.h"
#include "foundation/time.h"
#include "foundation/users.h"
#include "mainwindow/page_services.h"
#include "online/global.h"
#include "online/hooks.h"
#include "platform/core/clock.h"
#include "platform/gui/panel.h"
#include "platform/gui/timer.h"
#include "platform/gui/tray_icon.h"
#include "view/hooks.h"
#include "view/view.h"
#include "view/view_item.h"

#include <string>

namespace {

// Seconds between two reminder toasts.
constexpr int64_t kToastPause = 420;
// The pictures are released this long after a day change, once the day's
// work is under way.
constexpr int64_t kMemoryReleaseDelay = 900;

TfrmMainDLMR1::ClockMark MarkOf(const TNTime& time)
{
    return {time.Rok, time.Mesic, time.Den, time.Minuta};
}

bool SameDay(const TfrmMainDLMR1::ClockMark& a, const TfrmMainDLMR1::ClockMark& b)
{
    return a.Year == b.Year && a.Month == b.Month && a.Day == b.Day;
}

// Both names of a pair have at least one character.
bool PairComplete(const TNString& first, const TNString& last)
{
    return !first.IsEmpty() && !last.IsEmpty();
}

// The interval that makes the next tick fall on the next full minute.
uint32_t MillisecondsToNextMinute(const TNTime& now)
{
    return static_cast<uint32_t>(60 - now.Sekunda) * 1000u;
}

} // namespace

void TfrmMainDLMR1::StartClock()
{
    TNTime now;
    now.SetNow();
    clockMark = MarkOf(now);
    timerHodiny->SetInterval(MillisecondsToNextMinute(now));
    timerHodiny->SetEnabled(true);
}

void TfrmMainDLMR1::timerHodinyTimer()
{
    Guarded("[TfrmMainDLMR1::timerHodinyTimer]", [&] {
        LogText("[TfrmMainDLMR1::timerHodinyTimer][BEGIN]");

        // 1. A window maximised while still transparent would stay unseen.
        if (AlphaBlend() && AlphaBlendValue() == 0 && WindowState() == plat::TWindowState::wsMaximized) {
            Hide();
            SetAlphaBlendValue(255);
            SetAlphaBlend(false);
        }

        // 2. The time now, and whether the minute or the day changed.
        const int64_t now = plat::UnixSeconds();
        g.ClockTime = now;
        TNTime local;
        local.SetNow();

        // Both changes are judged against the time of the last tick, which
        // is stored only after both steps ran: a midnight tick is a minute
        // change too.
        const ClockMark current = MarkOf(local);
        const bool dayChanged = !SameDay(current, clockMark);
        const bool minuteChanged = dayChanged || current.Minute != clockMark.Minute;

        // 3. A new day: today again, memory released later.
        if (dayChanged) {
            c.MemoryReleaseTime = now + kMemoryReleaseDelay;
            c.RefreshToday();
            ResetViewToDefaultAndToday();
        }

        // 4. Every minute the settings are saved.
        if (minuteChanged) {
            if (!Dirs.UsersSetupFile.IsEmpty())
                Setup.Save(Uzivatele, std::string(Dirs.UsersSetupFile.View()));
            TNViewItem* daybox = pages_->UpdateAllRedlines();
            if (dayChanged && daybox != nullptr) {
                TNViewItem* scrollbox = daybox->ParentItem;
                plat::TJvPanel* line = daybox->FramePanel2.Get();
                plat::TJvPanel* label = daybox->FramePanel1.Get();
                if (scrollbox != nullptr && scrollbox->Type == cmpScrollbox && line != nullptr && line->Tag() != 0) {
                    // The box scrolls to the red line again when it is next
                    // filled, too.
                    if (label != nullptr)
                        label->SetTag(0);
                    ScrollWheelableTo(static_cast<int32_t>(line->Tag()), scrollbox->Name.Text);
                }
            }
            pages_->zentorGetUpcomingEvents(1);
            if (dayChanged)
                pages_->UpdateZentor(1);
            // The alerts ask the service: on their worker, never here.
            if (g.UserLoginStatus == 1 && !g.StartDisplayAlerts())
                LogText("[TfrmMainDLMR1::timerHodinyTimer] The alert display still runs.");
        }
        clockMark = current;

        // 5. The record to be notified constantly, after a pause.
        if (lastToastTime <= now - kToastPause || App.IsDev != 0)
            g.StartUrgentImportanceHintTimer(g.NotifyConstantlyRecord().get());

        // 6. The starter never starts a second pass beside a running one.
        if (g.DosloKVyjimceVlaknaOnline != 0) {
            LogText("[frmMain::timerHodinyTimer][ERROR] g.DosloKVyjimceVlaknaOnline = true. Trying to restore thread.");
            if (g.OnlineTimerFired())
                LogText("[frmMain::timerHodinyTimer] Thread probably restored.");
        }

        // 7. A status bar waiting for its layout gets it.
        if (statusBarRelayoutWanted.exchange(0) != 0) {
            View.ResizeMainStatusBar();
            g.UpdateConnectionStatusText(g.Online != 0 ? 1 : -1, 1, 1);
        }

        // 8. A message of the service for the users.
        if (g.Account().MessageID != 0)
            DisplayMessageForUsers(now);

        // 9. The next tick at the next minute.
        timerHodiny->SetInterval(MillisecondsToNextMinute(local));

        // 10. A new day: the calendar returns to today.
        if (dayChanged) {
            timerSetCalendarToToday->SetInterval(1);
            timerSetCalendarToToday->SetEnabled(true);
        }

        // 11. The dialog is modal: a tick in its loop finds the depth 1.
        const TNAccount account = g.Account();
        if (g.UserLoginStatus == 1 && g.Close == 0 && !PairComplete(account.FirstName, account.LastName) &&
            !PairComplete(account.NewFirstName, account.NewLastName) && DialogDepth() == 0 &&
            trayIcon->ApplicationVisible())
            UniDialog("BasicProfileSettings", nullptr, 0, 0, 0, 0, 0, 0, 0, 1);

        // 12. Once: a release left pending would drop every picture each
        // minute.
        const int64_t release = c.MemoryReleaseTime;
        if (release > 0 && release <= plat::UnixSeconds()) {
            c.MemoryReleaseTime = 0;
            FreeMemory();
        }

        LogText("[TfrmMainDLMR1::timerHodinyTimer][END]");
    });
}

void TfrmMainDLMR1::ResetViewToDefaultAndToday()
{
    Guarded("[TfrmMainDLMR1::ResetViewToDefaultAndToday]", [&] {
        pages_->RunCommand(TNPageCommand::btnTodayTodayClick);
        if (Setup.Find("controlDefaultView") != -1) {
            const int32_t code = Setup.GetInt("controlDefaultView");
            LogTextInt("[ResetViewToDefaultAndToday][A] Setup.Int(controlDefaultView) = ", code);
            controlOpenRequestedView(code);
        } else {
            LogText("[ResetViewToDefaultAndToday][B]");
            controlOpenRequestedView(kHomepage);
        }
    });
}

bool TfrmMainDLMR1::ScrollWheelableTo(int32_t position, const char* name)
{
    return Guarded("[TfrmMainDLMR1::ScrollWheelableTo]", false, [&] {
        TNViewItem* found = nullptr;
        for (int32_t slot = View.ItemsCount - 1; slot >= 0 && found == nullptr; --slot) {
            TNViewItem* item = View.Items[slot];
            if (item != nullptr && item->Scrollbox.Get() != nullptr && item->Name.Equals(name, true, false))
                found = item;
        }
        if (found == nullptr)
            return false;
        LogWrite("[TfrmMainDLMR1::ScrollWheelableTo] name = ", name, false);
        if (found->Type != cmpScrollbox) {
            LogTextInt("[TfrmMainDLMR1::ScrollWheelableTo] Unhandled item type! ", found->Type);
            return false;
        }
        View.ScrollScrollboxTo(found, position);
        return true;
    });
}

void TfrmMainDLMR1::InstallSettingsAndClockHooks()
{
    timerHodiny->OnTimer = [this](plat::TComponent*) { timerHodinyTimer(); };
    timerSetCalendarToToday->OnTimer = [this](plat::TComponent*) {
        timerSetCalendarToToday->SetEnabled(false);
        pages_->SetCalendarToToday();
    };
    ViewMainHooks.ScrollWheelableTo = [](int32_t position, const char* name) {
        return frmMainDLMR1 != nullptr && frmMainDLMR1->ScrollWheelableTo(position, name);
    };
    MainWindowHooks.UlozHodnotyNastaveni = [](bool store) {
        if (frmMainDLMR1 != nullptr)
            frmMainDLMR1->UlozHodnotyNastaveni(store);
    };
}

void TfrmMainDLMR1::RemoveSettingsAndClockHooks()
{
    ViewMainHooks.ScrollWheelableTo = nullptr;
    MainWindowHooks.UlozHodnotyNastaveni = nullptr;
}
