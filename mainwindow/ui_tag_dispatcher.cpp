#include "foundation/app_info.h"
#include "foundation/common.h"
#include "foundation/globals.h"
#include "foundation/log.h"
#include "foundation/pim_array.h"
#include "foundation/setup.h"
#include "foundation/users.h"
#include "mainwindow/main_window.h"
#include "mainwindow/page_services.h"
#include "mainwindow/restart_brake.h"
#include "model/pim.h"
#include "online/global.h"
#include "online/update.h"
#include "platform/core/clock.h"
#include "platform/gui/label.h"
#include "platform/gui/menu.h"
#include "platform/gui/panel.h"
#include "platform/gui/timer.h"
#include "platform/gui/tray_icon.h"
#include "view/view.h"

#include <string>

namespace {

constexpr int64_t kDeactivatedPauseMs = 300;

// The info label's colour for the sign-in texts (a TColor value).
constexpr plat::TColor kInfoTextColour = 0xFFFF00;

// Clears a busy byte on every way out.
class ByteRelease {
public:
    explicit ByteRelease(std::atomic<uint8_t>& byte) : byte_(byte) {}
    ~ByteRelease() { byte_ = 0; }
    ByteRelease(const ByteRelease&) = delete;
    ByteRelease& operator=(const ByteRelease&) = delete;

private:
    std::atomic<uint8_t>& byte_;
};

std::string LoadingCountText()
{
    const int32_t done = g.loadingDataPos;
    const int32_t total = g.loadingDataCount;
    if (done != 0)
        return "Načítám " + std::to_string(done) + "/" + std::to_string(total);
    return "Načítám " + std::to_string(total) + " položek";
}

// The parts of the header bar and the status services the tags reach before
// they exist.
void NotBuiltYet(const char* name)
{
    LogText(("[" + std::string(name) + "] not built yet").c_str());
}

} // namespace

void TfrmMainDLMR1::timerUpdateUITimer()
{
    TNPIM* pim = PIM[0];
    if (pim != nullptr && pim->SavingPimNow) {
        LogText("[TfrmMainDLMR1::timerUpdateUITimer][RETURN] PIM[0]->SavingPimNow = true");
        return;
    }
    LogText("[timerUpdateUITimer][BEFORE][BEGIN]");
    timerUpdateUI->SetEnabled(false);
    int16_t tag = 0;
    uint32_t param = 0;
    {
        g.updatingUiTagsNow = 1;
        ByteRelease taken(g.updatingUiTagsNow);
        if (!g.uiTags.Take(&tag, &param))
            tag = 0;
    }
    const std::string name = uiTagToStr(tag);
    LogWrite("[timerUpdateUITimer][BEGIN] ui_tag = ", name.c_str(), false);
    if (tag != 0) {
        g.runningUiTag = 1;
        ByteRelease done(g.runningUiTag);
        try {
            DispatchUiTag(tag, param);
        } catch (...) {
            if (!LogWrite("[timerUpdateUITimer][EXCEPTION] ui_tag = ", name.c_str(), false) && App.IsDev != 0)
                MB(name.c_str(), "[timerUpdateUITimer][ERROR][EXCEPTION]", 0);
        }
    }
    if (g.uiTags.Count() > 0) {
        LogTextInt("[timerUpdateUITimer] g.uiTagsCount = ", g.uiTags.Count());
        timerUpdateUI->SetEnabled(true);
    }
    LogText("[timerUpdateUITimer][END]");
}

void TfrmMainDLMR1::DispatchUiTag(int16_t tag, uint32_t param)
{
    switch (tag) {
    case __uiOnlineButLoginFailed:
        SetTrayIcon(App.TrayIconOffline);
        g.UpdateConnectionStatusText(1, 1, 0);
        if (g.OdhlasUzivatele(false))
            ShowLoginForm();
        break;
    case __uiOfflineOrDownloadError:
        SetTrayIcon(App.TrayIconOffline);
        g.UpdateConnectionStatusText(-1, 1, 1);
        NotBuiltYet("UpdateMainMenuItems");
        ResizeHeaderComponents();
        pages_->UpdateZentor(1);
        break;
    case __uiOnlineAndLogged:
        SetTrayIcon(App.TrayIconNormal);
        g.UpdateConnectionStatusText(1, 1, 0);
        View.StatusBars[kStatusTextPanel].SetText("", "");
        g.UpdateStatusBarVersion(false);
        UpdateLogoutCaptions();
        if (g.StartPageWanted.exchange(0) != 0 && Setup.GetBool("SettingsStartupDalmoraCz"))
            g.StartOpenWebPageLoggedIn(TNString(""));
        NotBuiltYet("UpdateMainMenuItems");
        ResizeHeaderComponents();
        pages_->UpdateZentor(1);
        UpdateHeader();
        break;
    case __uiOnlineAndLoginNotTested:
        LogText("[timerUpdateUITimer] __uiOnlineAndLoginNotTested");
        SetTrayIcon(App.TrayIconNormal);
        g.UpdateConnectionStatusText(1, 1, 1);
        View.StatusBars[kStatusTextPanel].SetText("", "");
        g.UpdateStatusBarVersion(false);
        NotBuiltYet("UpdateMainMenuItems");
        ResizeHeaderComponents();
        pages_->UpdateZentor(1);
        break;
    case __uiCloseApplication:
        // A close for an update that could not start the program again
        // would end it: the update then waits for the end of the run.
        if (g.CloseForUpdate != 0 && TNRestartBrake::HeldFor() >= 0) {
            LogText("[timerUpdateUITimer] __uiCloseApplication: no restart now; the update waits for the end");
            g.CloseForUpdate = 0;
            c.ExitAllowed = 0;
            c.RealExit = 0;
            break;
        }
        SetTrayIcon(App.TrayIconOffline);
        Close();
        break;
    case __uiUpdateShownData:
        LogWrite("[]", "__uiUpdateShownData", false);
        pages_->zentorGetUpcomingEvents(1);
        UpdateActuallyShownData("timerUpdateUITimer (4, __uiUpdateShownData)");
        break;
    case __uiUpdateHpTasks:
        pages_->UpdateHpTasks();
        break;
    case __uiUpdateHeaderUser:
        UpdateHeaderUser();
        pages_->UpdateZentor(1);
        break;
    case __uiRunAppUpdate:
        SetTrayIcon(App.TrayIconOffline);
        g.CloseForUpdate = 1;
        g.WantUpdate = 1;
        c.RealExit = 1;
        c.ExitAllowed = 0;
        AutoUpdate.PozadavekAktualizace = 1;
        AutoUpdate.ProvestAktualizaci = 1;
        Close();
        break;
    case __uiUpdateHpNotesAndTasks:
        pages_->OnHpTasksChange(static_cast<int32_t>(param));
        pages_->OnHpNoteChange(static_cast<int32_t>(param));
        break;
    case __uiUpdateShownData_NoSync:
        noSyncInUpdateActuallyShownData = true;
        pages_->zentorGetUpcomingEvents(1);
        UpdateActuallyShownData("timerUpdateUITimer (9, __uiUpdateShownData_NoSync)");
        break;
    case __uiOpenEditedOrganizer:
        pages_->UpdateZentor(1);
        UpdateActuallyShownData("timerUpdateUITimer (10, __uiOpenEditedOrganizer)");
        controlOpenRequestedView(kPages);
        pages_->Pages_ShowCalendarOrPage(organizerToOpen);
        break;
    case __uiFastSync:
        g.FastSync("__uiFastSync");
        break;
    case __uiUpdateShownData_RefreshAllDayboxes:
        pages_->RefreshAllDayboxes("UpdateZentor(st_changed = true)");
        break;
    case __uiTextLogingUser:
        ShowInfoText("Přihlašuji uživatele");
        break;
    case __uiTextUserLogged:
        ShowInfoText("Uživatel přihlášen");
        break;
    case __uiTextLoadingData:
        ShowInfoText("Načítám data");
        break;
    case __uiTextLoadingDataCount:
        ShowInfoText(LoadingCountText().c_str());
        break;
    case __uiTextWorking:
        ShowInfoText("Pracuji");
        break;
    case __uiTextRunningApplication:
        ShowInfoText("Spouštím aplikaci");
        break;
    case __uiStatusText_Synchronising:
        View.StatusBars[kStatusTextPanel].SetText("Synchronizuji...", "");
        break;
    case __uiStatusText_Empty:
        View.StatusBars[kStatusTextPanel].SetText("", "");
        break;
    case __uiUpdateZentor:
        pages_->zentorGetUpcomingEvents(1);
        pages_->UpdateZentor(0);
        break;
    case __uiUpdateSubscribedOrganizers:
        btnESCClick();
        pages_->ClearZentorListBuilt();
        pages_->zentorGetUpcomingEvents(1);
        pages_->UpdateZentor(1);
        UpdateActuallyShownData("timerUpdateUITimer (__uiUpdateSubscribedOrganizers)");
        break;
    case __uiUpdateSideboard:
        if (pSideboard != nullptr && pSideboard->Visible())
            pages_->ReopenSideboard();
        break;
    case __uiDeactivatedUser:
        DeactivatedUser();
        break;
    default:
        LogTextInt("[timerUpdateUITimer] default ui_tag = ", tag);
        SetTrayIcon(App.TrayIconOffline);
        break;
    }
}

// Both ways of reading the account as deactivated need an active user.
void TfrmMainDLMR1::DeactivatedUser()
{
    TNUser user;
    if (!Uzivatele.GetActiveUser(&user))
        return;
    if (!((signedIn == 1 && user.Deactivated != 0) || user.Deleted != 0))
        return;
    ShowApplication("[timerUpdateUITimer] __uiDeactivatedUser", 5);
    RestoreApplication();
    plat::SleepMilliseconds(kDeactivatedPauseMs);
    MB("Tento uživatelský účet byl deaktivován.\nNyní budete ze Dalmora odhlášeni.\n", "Účet deaktivován", 0);
    mnuUserLogoutClick();
}

void TfrmMainDLMR1::ShowInfoText(const char* text)
{
    label9LoginTest->SetCaption(text);
    label9LoginTest->Font().SetColor(kInfoTextColour);
    label9LoginTest->SetShowHint(false);
}

void TfrmMainDLMR1::SetTrayIcon(int32_t index)
{
    // While the bell shows new items, the signed-in icon is the unread one:
    // a pass's tag must not put the plain icon back over them.
    const TNViewItem* bell = View.GetComponent("btnHeaderBell");
    if (index == App.TrayIconNormal && bell != nullptr && bell->Value > 0)
        index = App.TrayIconUnread;
    trayIcon->SetIconIndex(index);
}

void TfrmMainDLMR1::UpdateLogoutCaptions()
{
    std::string caption = "Odhlásit uživatele";
    TNUser user;
    if (Uzivatele.GetActiveUser(&user))
        caption += " " + std::string(user.Login.View());
    mnuUserLogout->SetCaption(caption);
    pmnuUserLogout->SetCaption(caption);
}
