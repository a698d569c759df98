#include "mainwindow/main_window.h"

#include "foundation/app_info.h"
#include "foundation/dirs.h"
#include "foundation/guard.h"
#include "foundation/log.h"
#include "foundation/setup.h"
#include "foundation/users.h"
#include "mainwindow/dialog_bridge.h"
#include "mainwindow/page_services.h"
#include "mainwindow/sound_table.h"
#include "online/global.h"
#include "online/window_state.h"
#include "platform/gui/dialogs.h"
#include "platform/gui/menu.h"
#include "platform/gui/notebook.h"
#include "platform/gui/panel.h"
#include "platform/gui/timer.h"
#include "platform/gui/tray_icon.h"
#include "view/view.h"

#include <algorithm>
#include <string>

namespace {

constexpr const char* kDefaultFontName = "Roboto Condensed";
constexpr int32_t kMinFontSize = 6;
constexpr int32_t kMaxFontSize = 26;

// A settings switch and the menu item that shows it.
struct CheckedSetting {
    const char* key;
    const char* item;
};

constexpr CheckedSetting kCheckedSettings[] = {
    {"Settings_RunAppWithWindowsBoot", "mnuAutorun"},
    {"SettingsMinimizeInsteadOfHide", "mnuMinimizeInsteadOfHide"},
    {"SettingsStartupDalmoraCz", "mnuStartupDalmoraCz"},
    {"Settings_TurnMonitorOn", "mnuSettingsTurnMonitorOn"},
    {"Settings_AutoHide", "mnuSettingsAutoHide"},
    {"Settings_ShowHiddenRecords", "mnuSettingsShowHiddenRecords"},
    {"Settings_UseUrgentImportanceFnc", "mnuSettingsUseUrgentImportanceFnc"},
    {"Settings_EnableNotificationBlink", "mnuSettingsEnableNotificationBlink"},
};

// The default-page codes and their menu items; any other code checks the
// home page's.
struct DefaultViewItem {
    int32_t code;
    const char* item;
};

constexpr DefaultViewItem kDefaultViewItems[] = {
    {TfrmMainDLMR1::kHomepage, "mnuDefaultView_Homepage"}, {TfrmMainDLMR1::kCalendar, "mnuDefaultView_Calendar"},
    {TfrmMainDLMR1::kTasks, "mnuDefaultView_Tasks"},       {TfrmMainDLMR1::kNotes, "mnuDefaultView_Notes"},
    {TfrmMainDLMR1::kPages, "mnuDefaultView_Pages"},       {TfrmMainDLMR1::kSearch, "mnuDefaultView_Search"},
};

// The setting's value; created with `fallback` when missing.
int32_t IntCreatedWith(const char* key, int32_t fallback, int32_t type)
{
    if (Setup.Find(key) < 0)
        Setup.SetValue(key, fallback, type);
    return Setup.GetInt(key);
}

// The setting when it is positive; otherwise `fallback`, stored.
int32_t PositiveOr(const char* key, int32_t fallback, bool* fromSetup)
{
    const int32_t value = Setup.GetInt(key);
    *fromSetup = Setup.Find(key) >= 0 && value > 0;
    if (*fromSetup)
        return value;
    Setup.SetValue(key, fallback, TNSetupItem::kInt32);
    return fallback;
}

void SaveSettingsFile()
{
    if (!Dirs.UsersSetupFile.IsEmpty())
        Setup.Save(Uzivatele, std::string(Dirs.UsersSetupFile.View()));
}

} // namespace

void TfrmMainDLMR1::AktivujNastaveni()
{
    Guarded("[TfrmMainDLMR1::AktivujNastaveni]", [&] {
        // 1. The window stays transparent and normal while the settings of
        // the new session replace the last one's.
        settingsApplied = 0;
        LogText("[AktivujNastaveni][BEGIN]");
        SetAlphaBlend(true);
        SetAlphaBlendValue(0);
        SetWindowState(plat::TWindowState::wsNormal);
        pages_->StopZentorSecondsTimer();
        pages_->ClearSignedInPageState();

        // 2. The display font.
        ApplyDisplayFont();

        // 3. The default order list and the per-view values belong to the
        // pages' state cleared in step 1.
        LogText("[AktivujNastaveni] g.initOrganizersColorsList");

        // 4-5. The user's values and the menu items that mirror settings.
        const int32_t afterStartup = ApplyUserAndMenuSettings();

        // 6. The pages' remembered views and selections.
        RestorePageSettings();

        // 7. The log window, in development runs only.
        if (App.IsDev != 0) {
            if (plat::TMenuItem* item = MainMenu2->FindByName("mnuShowLogWindow")) {
                item->SetVisible(true);
                item->SetEnabled(true);
                item->SetChecked(Setup.GetBool("Settings_ShowLogWindow"));
            }
            if (Setup.GetBool("Settings_ShowLogWindow"))
                ShowLogWindow(false);
        }

        // 8. Sound.
        LogText("[AktivujNastaveni] g.NastavitPovoleniZvuku");
        ApplyPovolitZvuk();

        // 9. The tray icon and the window's frame.
        ApplyTrayAndFrameSettings();

        // 10. The signed-in components, opened on the home page.
        LogText("[AktivujNastaveni] AktivujNastaveni_CreateComponents");
        AktivujNastaveni_CreateComponents();
        LogText("[AktivujNastaveni] Before ControlButtonClick(component->ClickBox)");
        ClickOnControlButton("btnControlHomepage");
        LogText("[AktivujNastaveni] After ControlButtonClick(component->ClickBox)");
        gDesk->SetActivePage("Homepage");
        LogText("[AktivujNastaveni] Before g.UpdateTodayWindowSize()");
        g.UpdateTodayWindowSize();
        LogText("[AktivujNastaveni] After g.UpdateTodayWindowSize()");

        // 11. Hot keys, the clock and the view the user asked to start with.
        StartClockAndDefaultView();

        // 12. The window shows as the run and the settings ask.
        ShowAfterSettings(afterStartup);

        // 13. Applied: the settings file keeps what was created meanwhile.
        settingsApplied = 1;
        SaveSettingsFile();
        LogText("[AktivujNastaveni][END]");
    });
}

void TfrmMainDLMR1::ApplyDisplayFont()
{
    // Each font step fails on its own; the rest goes on.
    std::string fontName = kDefaultFontName;
    int32_t fontSize = DisplayFontSize;
    bool fromSetup = false;
    Guarded("AktivujNastaveni_DefaultFontName[A]", [&] {
        const std::string stored(Setup.GetString("DefaultFontName").View());
        fromSetup = !stored.empty() && Setup.Find("DefaultFontSize") >= 0;
        if (fromSetup && View.Destroyed != 0) {
            MessageBoxShown = 1;
            TNScopeExit closed([] { MessageBoxShown = 0; });
            plat::MessageBox("[AktivujNastaveni][View.Destructed=true] Nelze nastavit font!", "Chyba",
                             plat::MB_OK | plat::MB_ICONERROR);
            fromSetup = false;
            return;
        }
        if (fromSetup) {
            fontName = stored;
            fontSize = std::clamp(Setup.GetInt("DefaultFontSize"), kMinFontSize, kMaxFontSize);
        }
    });
    Guarded("AktivujNastaveni_DefaultFontName[B]", [&] {
        DisplayFontName = DisplayFontName2 = fontName;
        DisplayFontSize = fontSize;
        if (View.Destroyed == 0) {
            View.FontName = View.TitleFontName = fontName;
            View.FontSize = fontSize;
        }
    });
    Guarded("AktivujNastaveni_DefaultFontName[C]", [&] {
        Font().SetName(fontName);
        Font().SetSize(fontSize);
    });
}

int32_t TfrmMainDLMR1::ApplyUserAndMenuSettings()
{
    if (g.ActiveUserExists() && Uzivatele.HasActiveUser()) {
        if (Setup.Find("User_Settings_FinishedTasksTimeout") >= 0) {
            const int32_t timeout = Setup.GetInt("User_Settings_FinishedTasksTimeout");
            Uzivatele.UpdateUser(Uzivatele.AktivniUzivatel,
                                 [timeout](TNUser& user) { user.FinishedTasksTimeout = timeout; });
        }
    } else {
        LogText("[AktivujNastaveni][ERROR] g.ActiveUserExists() = false");
    }

    // The menu items that mirror settings.
    for (const CheckedSetting& setting : kCheckedSettings) {
        if (plat::TMenuItem* item = MainMenu2->FindByName(setting.item))
            item->SetChecked(Setup.GetBool(setting.key));
    }
    if (App.IsDev == 0)
        g.SetAutorun(Setup.GetBool("Settings_RunAppWithWindowsBoot") ? 1 : 0, 0);
    MainMenu2->FindByName("mnuDontExit")->SetChecked(!Setup.GetBool("SettingsAppExitAllowed"));
    cachedAutoHide = Setup.GetBool("Settings_AutoHide");
    UpdateDefaultPostponeMinutesMenus(Setup.GetInt("Settings_DefaultNotificationPostponeMinutes"));
    const int32_t afterStartup = Setup.GetInt("SettingsAfterStartup");
    const char* afterStartupItems[] = {"mnuAfterStartupKeepHidden", "mnuAfterStartupShow", "mnuAfterStartupMinimize"};
    for (int32_t mode = 0; mode < 3; ++mode) {
        if (plat::TMenuItem* item = MainMenu2->FindByName(afterStartupItems[mode]))
            item->SetChecked(mode == (afterStartup == 1 || afterStartup == 2 ? afterStartup : 0));
    }
    return afterStartup;
}

void TfrmMainDLMR1::RestorePageSettings()
{
    LogText("[AktivujNastaveni] SetUpDayboxModeValues");
    pages_->SetUpDayboxModeValues(IntCreatedWith("homepageCalendarDayboxMode", 4, TNSetupItem::kInt32), false);
    bool weeksFromSetup = false;
    zentorWeeksByDaysCount = PositiveOr("zentorWeeksByDaysCount", 3, &weeksFromSetup);
    LogTextInt(weeksFromSetup ? "[AktivujNastaveni][BY_SETUP] g.zentorWeeksByDaysCount = "
                              : "[AktivujNastaveni][DEFAULT] g.zentorWeeksByDaysCount = ",
               zentorWeeksByDaysCount);
    LogText("[AktivujNastaveni] UpdateMenu_zentorWeeksByDaysCount");
    pages_->UpdateMenu_zentorWeeksByDaysCount();
    bool viewByFromSetup = false;
    pages_->SetCalendarViewBy(PositiveOr("calendarViewBy", 4, &viewByFromSetup));
    pages_->SelectHomepageItems(IntCreatedWith("selectedHpTasksTagId", 0, TNSetupItem::kInt32),
                                IntCreatedWith("selectedHpTasksPimSrvPos", 0, TNSetupItem::kInt32),
                                IntCreatedWith("selectedHpNoteId", 0, TNSetupItem::kInt32),
                                IntCreatedWith("selectedHpNotePimSrvPos", 0, TNSetupItem::kInt32));
    pages_->SetListFilters(IntCreatedWith("btnTasksTags_Scheduled", 1, TNSetupItem::kBool) != 0,
                           IntCreatedWith("btnNotesTags_AllNotes", 1, TNSetupItem::kBool) != 0);
}

void TfrmMainDLMR1::ApplyTrayAndFrameSettings()
{
    const bool trayShown = Setup.GetBool("ShowTrayIcon");
    MainMenu2->FindByName("mnuShowTrayIcon")->SetChecked(trayShown);
    trayIcon->SetIconIndex(App.TrayIconNormal);
    trayIcon->SetActive(trayShown);
    trayIcon->SetIconVisible(trayShown);
    MainMenu2->FindByName("mnuDblClickOnTrayIconOpensWeb")->SetChecked(Setup.GetBool("DblClickOnTrayIconOpensWeb"));
    SetMenu(MainMenu2);
    SetBorderIcons(BorderIcons() | plat::biMaximize);
    SetBorderStyle(plat::TFormBorderStyle::bsSizeable);
    pages_->Clear_mnuCalendars();
}

void TfrmMainDLMR1::StartClockAndDefaultView()
{
    RegisterHotkeysFromSettings();
    StartClock();
    timerOnline->SetTag(0);
    g.OnlineTimerTag = 0;
    LogText("[AktivujNastaveni] Show by-user-requested view");
    if (Setup.Find("controlDefaultView") >= 0) {
        const int32_t code = Setup.GetInt("controlDefaultView");
        const char* checked = "mnuDefaultView_Homepage";
        for (const DefaultViewItem& view : kDefaultViewItems) {
            if (view.code == code)
                checked = view.item;
        }
        if (plat::TMenuItem* item = MainMenu2->FindByName(checked))
            item->SetChecked(true);
        controlOpenRequestedView(code);
    }
}

void TfrmMainDLMR1::ShowAfterSettings(int32_t afterStartup)
{
    LogText("[AktivujNastaveni] Show main window");
    if (App.IsAutorun == 0) {
        SetAlphaBlendValue(255);
        SetAlphaBlend(false);
    } else if (afterStartup == 1) {
        ShowApplication("AktivujNastaveni", plat::Application::kShowNormal);
    } else if (afterStartup == 2) {
        ShowApplication("AktivujNastaveni", plat::Application::kShowMinimized);
    } else {
        trayIcon->HideApplication();
    }
}

void TfrmMainDLMR1::AktivujNastaveni_CreateComponents()
{
    Guarded("[TfrmMainDLMR1::AktivujNastaveni_CreateComponents]", [&] {
        LogText("[AktivujNastaveni_CreateComponents][BEGIN]");
        // The scroll-bar panel holds no components of its own.
        LogText("[AktivujNastaveni_CreateComponents][Scrollbar]");
        LogText("[AktivujNastaveni_CreateComponents][Header]");
        CreateHeaderComponents();
        LogText("[AktivujNastaveni_CreateComponents][Control]");
        CreateControlComponents(pControl);
        LogText("[AktivujNastaveni_CreateComponents][Zentor]");
        pages_->CreateZentorComponents();
        LogText("[AktivujNastaveni_CreateComponents][UpdateZentor]");
        pages_->UpdateZentor(1);
        LogText("[AktivujNastaveni_CreateComponents][Sideboard]");
        pages_->CreateSideboardComponents();
        LogText("[AktivujNastaveni_CreateComponents][StatusBar]");
        View.StatusBars[kStatusTextPanel].SetText("Připraven", "");
        g.UpdateStatusBarVersion(false);
        View.ResizeMainStatusBar();
        timerCreateHiddenViews->SetTag(1);
        timerCreateHiddenViews->SetInterval(333);
        timerCreateHiddenViews->SetEnabled(true);
        LogText("[AktivujNastaveni_CreateComponents][END]");
    });
}

void TfrmMainDLMR1::UlozHodnotyNastaveni(bool store)
{
    Guarded("[TfrmMainDLMR1::UlozHodnotyNastaveni]", [&] {
        if (!store)
            return;
        const std::string page = gDesk->ActivePage();
        if (page == "Login" || page == "Pomocne")
            return;
        if (WindowState() == plat::TWindowState::wsMaximized) {
            g.SaveWindowState(1);
            SetWindowState(plat::TWindowState::wsNormal);
        } else {
            g.SaveWindowState(0);
        }
        g.SaveWindowPosition();
        g.SaveWindowSize();
    });
}

void TfrmMainDLMR1::mnuSettingsAutoHideClick()
{
    Guarded("[TfrmMainDLMR1::mnuSettingsAutoHideClick]", [&] {
        ToggleSetting("Settings_AutoHide", MainMenu2->FindByName("mnuSettingsAutoHide"));
        cachedAutoHide = Setup.GetBool("Settings_AutoHide");
    });
}

void TfrmMainDLMR1::ApplyPovolitZvuk()
{
    const bool on = Setup.GetBool("PovolitZvuk");
    if (plat::TMenuItem* item = MainMenu2->FindByName("mnuPovolitZvuk"))
        item->SetChecked(on);
    if (Sounds)
        Sounds->SoundOn = on;
}
