// The menu bar, the tray menu and the text menu with their settings
// toggles, postpone times, default page, display font and help items.

#include "mainwindow/main_window.h"
#include "mainwindow/menu_items.h"

#include "foundation/app_info.h"
#include "foundation/common.h"
#include "foundation/dirs.h"
#include "foundation/guard.h"
#include "foundation/log.h"
#include "foundation/program_start.h"
#include "foundation/setup.h"
#include "foundation/users.h"
#include "mainwindow/dialog_bridge.h"
#include "mainwindow/outside_addresses.h"
#include "mainwindow/page_services.h"
#include "online/global.h"
#include "platform/core/file.h"
#include "platform/core/shell_open.h"
#include "platform/gui/dialogs.h"
#include "platform/gui/font.h"
#include "platform/gui/menu.h"
#include "platform/gui/timer.h"
#include "platform/gui/tray_icon.h"

#include <algorithm>
#include <functional>
#include <iterator>
#include <string>

namespace {

constexpr int32_t kDefaultViewGroup = 97;
constexpr int32_t kPostponeGroup = 98;
constexpr int32_t kDefaultPostponeMinutes = 9;
constexpr int32_t kMinPostponeMinutes = 2;
// 366 days.
constexpr int32_t kMaxPostponeMinutes = 527040;
constexpr int32_t kMinFontSize = 6;
constexpr int32_t kMaxFontSize = 26;
constexpr const char* kDefaultFontName = "Roboto Condensed";
constexpr int32_t kDefaultFontSize = 10;
constexpr uint16_t kKeyF1 = 0x70;
constexpr const char* kPostponeKey = "Settings_DefaultNotificationPostponeMinutes";

struct PostponeChoice {
    int32_t minutes;
    const char* caption;
};
constexpr PostponeChoice kPostponeChoices[] = {
    {2, "2 minuty"},  {5, "5 minut"},   {7, "7 minut"},   {9, "9 minut"},     {10, "10 minut"},
    {12, "12 minut"}, {15, "15 minut"}, {20, "20 minut"}, {25, "25 minut"},   {30, "30 minut"},
    {45, "45 minut"}, {60, "60 minut"}, {90, "90 minut"}, {120, "120 minut"},
};

struct DefaultView {
    const char* name;
    const char* caption;
    int32_t code;
};
constexpr DefaultView kDefaultViews[] = {
    {"mnuDefaultView_Homepage", "Hlavní stránka", TfrmMainDLMR1::kHomepage},
    {"mnuDefaultView_Calendar", "Kalendář", TfrmMainDLMR1::kCalendar},
    {"mnuDefaultView_Tasks", "Úkoly", TfrmMainDLMR1::kTasks},
    {"mnuDefaultView_Notes", "Poznámky", TfrmMainDLMR1::kNotes},
    {"mnuDefaultView_Pages", "Stránky", TfrmMainDLMR1::kPages},
    {"mnuDefaultView_Search", "Hledání", TfrmMainDLMR1::kSearch},
};

// The tray's period items: item, caption, the page command after showing.
struct TrayPeriod {
    const char* name;
    const char* caption;
    const char* caller;
    TNPageCommand command;
};
constexpr TrayPeriod kTrayPeriods[] = {
    {"pmnuSystrayToday", "Dnes", "TfrmMainDLMR1::pmnuSystrayTodayClick", TNPageCommand::btnTodayTodayClick},
    {"pmnuSystrayTomorrow", "Zítra", "TfrmMainDLMR1::pmnuSystrayTomorrowClick", TNPageCommand::btnZentorTomorrowClick},
    {"pmnuSystrayThisWeek", "Tento týden", "TfrmMainDLMR1::pmnuSystrayThisWeekClick",
     TNPageCommand::btnZentorThisWeekClick},
    {"pmnuSystrayNextWeek", "Příští týden", "TfrmMainDLMR1::pmnuSystrayNextWeekClick",
     TNPageCommand::btnZentorNextWeekClick},
    {"pmnuSystrayThisMonth", "Tento měsíc", "TfrmMainDLMR1::pmnuSystrayThisMonthClick",
     TNPageCommand::btnZentorThisMonthClick},
    {"pmnuSystrayNextMonth", "Příští měsíc", "TfrmMainDLMR1::pmnuSystrayNextMonthClick",
     TNPageCommand::btnZentorNextMonthClick},
};

// The items of the (hidden) edit menu and the text menu: edit-menu name,
// text-menu name, caption, short-cut letter (0 = none).
struct EditCommand {
    const char* menuName;
    const char* popupName;
    const char* caption;
    char key;
    void (TfrmMainDLMR1::*handler)();
};
constexpr EditCommand kEditCommands[] = {
    {"mnuZpet", "pmnuZpet", "Zpět", 'Z', &TfrmMainDLMR1::mnuUndoClick},
    {"mnuKopirovat", "pmnuKopirovat", "Kopírovat", 'C', &TfrmMainDLMR1::mnuCopyClick},
    {"mnuVyjmout", "pmnuVyjmout", "Vyjmout", 'X', &TfrmMainDLMR1::mnuCutClick},
    {"mnuVlozit", "pmnuVlozit", "Vložit", 'V', &TfrmMainDLMR1::mnuPasteClick},
    {"mnuOdstranit", "pmnuOdstranit", "Odstranit", 'D', &TfrmMainDLMR1::mnuDeleteClick},
    {"mnuVybratVse", "pmnuVybratVse", "Vybrat vše", 'A', &TfrmMainDLMR1::mnuSelectAllClick},
    {"mnuKopirovatVse", "pmnuKopirovatVse", "Kopírovat vše", 'B', &TfrmMainDLMR1::mnuCopyAllClick},
};

void AddSeparator(plat::TComponent* owner, plat::TMenuItem* parent)
{
    auto* item = new plat::TMenuItem(owner);
    item->SetCaption("-");
    parent->Add(item);
}

// A help item of an outside address: hidden while the address is empty.
void AddOutsideItem(plat::TComponent* owner, plat::TMenuItem* parent, const char* name, const char* caption,
                    const std::string* address)
{
    const std::string caller = std::string("[TfrmMainDLMR1::") + name + "Click]";
    plat::TMenuItem* item =
        AddMenuItem(owner, parent, name, caption, [address, caller] { OpenOutsideAddress(*address, caller.c_str()); });
    item->SetVisible(!address->empty());
}

} // namespace

void TfrmMainDLMR1::CreateMenus()
{
    MainMenu2 = new plat::TMainMenu(this);
    MainMenu2->SetName("MainMenu2");
    CreateMenuBar();
    CreateTrayMenu();
    CreateTextMenus();
    popupPostponeAlert = new plat::TPopupMenu(this);
    popupPostponeAlert->SetName("popupPostponeAlert");
    CreateRecordMenus();
}

void TfrmMainDLMR1::CreateMenuBar()
{
    plat::TMenuItem* bar = MainMenu2->Items();

    plat::TMenuItem* file = AddMenuItem(this, bar, "mnuFile", "&Soubor");
    const std::pair<const char*, const char*> addItems[] = {
        {"mnuFileAddSomethingNew", "Přidat něco nového do kalendáře..."},
        {"mnuFileAddTask", "Přidat úkol..."},
        {"mnuFileAddBirthday", "Přidat narozeniny..."},
        {"mnuFileAddAnniversary", "Přidat výročí..."},
        {"mnuAddNewOrganizer", "Přidat nový kalendář..."}};
    const TNPageCommand addCommands[] = {TNPageCommand::mnuFileAddSomethingNewClick, TNPageCommand::mnuFileAddTaskClick,
                                         TNPageCommand::mnuFileAddBirthdayClick,
                                         TNPageCommand::mnuFileAddAnniversaryClick,
                                         TNPageCommand::mnuAddNewOrganizerClick};
    for (size_t i = 0; i < std::size(addItems); ++i) {
        const TNPageCommand command = addCommands[i];
        AddMenuItem(this, file, addItems[i].first, addItems[i].second, [this, command] {
            btnESCClick();
            pages_->RunCommand(command);
        });
    }
    AddSeparator(this, file);
    AddMenuItem(this, file, "mnuFind", "Najít...", [this] {
        mnuFindClick(nullptr);
    })->SetShortCut(plat::ShortCut('F', plat::ssCtrl));
    AddMenuItem(this, file, "mnuCorrectWindowPosition", "Upravit pozici okna", [this] { KeepInWorkArea(); });
    AddSeparator(this, file);
    AddMenuItem(this, file, "mnuChangeEmail", "Změnit e-mail...",
                [this] { UniDialog("ChangeEmail", nullptr, 0, 0, 0, 0, 0, 0, 0, 0); });
    AddMenuItem(this, file, "mnuChangePassword", "Změnit heslo...",
                [this] { UniDialog("ChangePassword", nullptr, 0, 0, 0, 0, 0, 0, 0, 0); });
    AddMenuItem(this, file, "mnuUserLogout", "Odhlásit uživatele", [this] { mnuUserLogoutClick(); });
    AddSeparator(this, file);
    AddMenuItem(this, file, "mnuExit", "Ukončit aplikaci", [this] { mnuExitClick(); });

    plat::TMenuItem* edit = AddMenuItem(this, bar, "mnuEdit", "Úpravy");
    edit->SetVisible(false);
    for (const EditCommand& command : kEditCommands) {
        AddMenuItem(this, edit, command.menuName, command.caption, [this, handler = command.handler] {
            (this->*handler)();
        })->SetShortCut(plat::ShortCut(static_cast<uint16_t>(command.key), plat::ssCtrl));
    }

    plat::TMenuItem* settings = AddMenuItem(this, bar, "mnuSettings", "&Nastavení");
    struct Toggle {
        const char* name;
        const char* caption;
        void (TfrmMainDLMR1::*handler)();
    };
    auto addToggle = [this](plat::TMenuItem* parent, const Toggle& toggle) {
        AddMenuItem(this, parent, toggle.name, toggle.caption,
                    [this, handler = toggle.handler] { (this->*handler)(); });
    };
    addToggle(settings, {"mnuPovolitZvuk", "Povolit zvuk", &TfrmMainDLMR1::mnuPovolitZvukClick});
    addToggle(settings, {"mnuSettingsTurnMonitorOn", "Zapnout obrazovku při upozornění",
                         &TfrmMainDLMR1::mnuSettingsTurnMonitorOnClick});
    addToggle(settings, {"mnuSettingsEnableNotificationBlink", "Povolit blikání notifikace",
                         &TfrmMainDLMR1::mnuSettingsEnableNotificationBlinkClick});
    plat::TMenuItem* urgent = AddMenuItem(this, settings, "mnuSettingsUrgentImportance", "Antiprokrastinační funkce");
    addToggle(urgent, {"mnuSettingsUseUrgentImportanceFnc",
                       "Používat na tomto zařízení antiprokrastinační funkci (když Důležitost=Urgentní)",
                       &TfrmMainDLMR1::mnuSettingsUseUrgentImportanceFncClick});
    plat::TMenuItem* postpone =
        AddMenuItem(this, settings, "mnuSettingsDefaultPostponeMinutesMenu", "Výchozí čas odložení notifikace");
    for (const PostponeChoice& choice : kPostponeChoices) {
        const std::string name = "mnuSettingsDefaultPostponeMinutes" + std::to_string(choice.minutes);
        plat::TMenuItem* item = AddMenuItem(this, postpone, name.c_str(), choice.caption);
        item->SetTag(choice.minutes);
        item->SetRadioItem(true);
        item->SetGroupIndex(kPostponeGroup);
        item->SetChecked(choice.minutes == kDefaultPostponeMinutes);
        item->OnClick = [this](plat::TComponent* sender) { mnuSettingsDefaultPostponeMinutes(sender); };
    }
    plat::TMenuItem* views = AddMenuItem(this, settings, "mnuDefaultView", "Výchozí obrazovka");
    for (const DefaultView& view : kDefaultViews) {
        plat::TMenuItem* item =
            AddMenuItem(this, views, view.name, view.caption, [this, code = view.code] { SetDefaultView(code); });
        item->SetRadioItem(true);
        item->SetGroupIndex(kDefaultViewGroup);
    }
    AddSeparator(this, settings);
    plat::TMenuItem* start = AddMenuItem(this, settings, "mnuStartup", "Spuštění");
    addToggle(start, {"mnuAutorun", "Spouštět automaticky po přihlášení do systému", &TfrmMainDLMR1::mnuAutorunClick});
    addToggle(start,
              {"mnuStartupDalmoraCz", "Po spuštění otevřít web Dalmora", &TfrmMainDLMR1::mnuStartupDalmoraCzClick});
    plat::TMenuItem* afterStart = AddMenuItem(this, settings, "mnuAfterStartup", "Po spuštění");
    const std::pair<const char*, const char*> modes[] = {{"mnuAfterStartupKeepHidden", "Skrýt do systémové lišty"},
                                                         {"mnuAfterStartupShow", "Zobrazit hlavní okno"},
                                                         {"mnuAfterStartupMinimize", "Minimalizovat hlavní okno"}};
    for (int32_t mode = 0; mode < 3; ++mode) {
        plat::TMenuItem* item = AddMenuItem(this, afterStart, modes[mode].first, modes[mode].second,
                                            [this, mode] { SetAfterStartupMode(mode); });
        item->SetRadioItem(true);
    }
    addToggle(settings, {"mnuDontExit", "Neukončovat program", &TfrmMainDLMR1::mnuDontExitClick});
    addToggle(settings, {"mnuMinimizeInsteadOfHide", "Hlavní okno minimalizovat místo zavření",
                         &TfrmMainDLMR1::mnuMinimizeInsteadOfHideClick});
    addToggle(settings, {"mnuShowTrayIcon", "Zobrazit ikonu v oznamovací oblasti hlavního panelu",
                         &TfrmMainDLMR1::mnuShowTrayIconClick});
    addToggle(settings, {"mnuDblClickOnTrayIconOpensWeb", "Dvojklik na ikonu v oznamovací oblasti otevírá web Dalmora",
                         &TfrmMainDLMR1::mnuDblClickOnTrayIconOpensWebClick});
    AddMenuItem(this, settings, "mnuSettingsAutoHide", "Automaticky skrývat hlavní okno",
                [this] { mnuSettingsAutoHideClick(); });
    addToggle(settings, {"mnuSettingsShowHiddenRecords", "Zobrazit skryté úkoly a události",
                         &TfrmMainDLMR1::mnuSettingsShowHiddenRecordsClick});
    // Its three items come with the hot keys they toggle.
    AddMenuItem(this, settings, "mnuShortcuts", "Klávesové zkratky");
    AddSeparator(this, settings);
    AddMenuItem(this, settings, "mnuShowLogWindow", "Zobrazit log", [this] {
        mnuShowLogWindowClick();
    })->SetVisible(App.IsDev != 0);
    AddMenuItem(this, settings, "mnuProxyServer", "Proxy server...",
                [this] { UniDialog("Proxy", nullptr, 0, 0, 0, 0, 0, 0, 0, 0); });
    AddMenuItem(this, settings, "mnuBasicProfileSettings", "Základní nastavení profilu...",
                [this] { UniDialog("BasicProfileSettings", nullptr, 0, 0, 0, 0, 0, 0, 0, 0); });
    AddMenuItem(this, settings, "mnuSettingsChangeFont", "Změnit písmo...", [this] { mnuSettingsChangeFontClick(); });
    AddMenuItem(this, settings, "mnuSettingsResetFont", "Obnovit výchozí písmo",
                [this] { mnuSettingsResetFontClick(); });

    plat::TMenuItem* help = AddMenuItem(this, bar, "mnuHelp", "Nápo&věda");
    AddMenuItem(this, help, "mnuHomepage", "Domovská stránka programu", [this] { mnuHomepageClick(); });
    AddMenuItem(this, help, "mnuHelpAndroid", "Dalmora pro mobilní telefony", [this] {
        mnuHelpAndroidClick();
    })->SetVisible(!OutsideAddresses.MobileAppStore.empty());
    AddOutsideItem(this, help, "mnuHelpIconSet", "Autoři ikon...", &OutsideAddresses.IconSetAttribution);
    AddOutsideItem(this, help, "mnuHelpDownloadPortal", "Dalmora na portálu se software...",
                   &OutsideAddresses.DownloadPortal);
    AddSeparator(this, help);
    AddMenuItem(this, help, "mnuChangelog", "Otevřít changelog-cs.txt (seznam novinek a oprav)...",
                [this] { mnuChangelogClick(); });
    AddMenuItem(this, help, "mnuHelpResetDataFile", "Resetovat datový soubor...",
                [this] { mnuHelpResetDataFileClick(); });
    AddMenuItem(this, help, "mnuSupport", "Technická podpora a řešení problémů...",
                [] { g.StartOpenWebPageLoggedIn(TNString()); });
    AddSeparator(this, help);
    AddMenuItem(this, help, "mnuOProgramu", "O programu...", [this] {
        mnuOProgramuClick();
    })->SetShortCut(plat::ShortCut(kKeyF1, 0));
}

void TfrmMainDLMR1::CreateTrayMenu()
{
    popupTray = new plat::TPopupMenu(this);
    popupTray->SetName("popupTray");
    plat::TMenuItem* tray = popupTray->Items();
    AddMenuItem(this, tray, "pmnuShowApplication", "Otevřít Dalmora", [this] { RestoreApplication(); });
    AddMenuItem(this, tray, "pmnuSystrayAddSomethingNew", "Přidat něco nového do kalendáře...", [this] {
        ShowFromTray("TfrmMainDLMR1::pmnuSystrayAddSomethingNewClick");
        timerAddSomethingNew->SetEnabled(true);
    });
    AddMenuItem(this, tray, "pmnuOpenDalmora", "Otevřít web Dalmora", [] {
        g.StartOpenWebPageLoggedIn(TNString());
    })->SetVisible(false);
    AddSeparator(this, tray);
    for (const TrayPeriod& period : kTrayPeriods) {
        AddMenuItem(this, tray, period.name, period.caption, [this, period] {
            ShowFromTray(period.caller);
            pages_->RunCommand(period.command);
        });
    }
    AddSeparator(this, tray);
    AddMenuItem(this, tray, "pmnuCorrectWindowPosition", "Upravit pozici okna", [this] { KeepInWorkArea(); });
    AddMenuItem(this, tray, "pmnuUserLogout", "Odhlásit uživatele", [this] { pmnuUserLogoutClick(); });
    AddMenuItem(this, tray, "pmnuHide", "Skrýt do systémové lišty", [this] { pmnuHideClick(); });
    AddMenuItem(this, tray, "pmnuExit", "Ukončit aplikaci", [this] { pmnuExitClick(); });
}

void TfrmMainDLMR1::CreateTextMenus()
{
    popupText = new plat::TPopupMenu(this);
    popupText->SetName("popupText");
    popupText->OnPopup = [this](plat::TComponent*) { popupTextPopup(); };
    plat::TMenuItem* items = popupText->Items();
    for (const EditCommand& command : kEditCommands) {
        AddMenuItem(this, items, command.popupName, command.caption,
                    [this, handler = command.handler] { (this->*handler)(); });
        // Separators after "Zpět" and before "Vybrat vše".
        if (command.key == 'Z' || command.key == 'D')
            AddSeparator(this, items);
    }
}

void TfrmMainDLMR1::ShowFromTray(const char* caller)
{
    ShowApplication(caller, 5);
}

// ---------------------------------------------------------------------------
// Settings toggles

void TfrmMainDLMR1::ToggleSetting(const char* key, plat::TMenuItem* item)
{
    Setup.SetValue(key, Setup.GetBool(key) ? 0 : 1, TNSetupItem::kBool);
    if (item != nullptr)
        item->SetChecked(Setup.GetBool(key));
}

void TfrmMainDLMR1::mnuPovolitZvukClick()
{
    ToggleSetting("PovolitZvuk", MainMenu2->FindByName("mnuPovolitZvuk"));
    ApplyPovolitZvuk();
}

void TfrmMainDLMR1::mnuSettingsTurnMonitorOnClick()
{
    ToggleSetting("Settings_TurnMonitorOn", MainMenu2->FindByName("mnuSettingsTurnMonitorOn"));
}

void TfrmMainDLMR1::mnuSettingsEnableNotificationBlinkClick()
{
    ToggleSetting("Settings_EnableNotificationBlink", MainMenu2->FindByName("mnuSettingsEnableNotificationBlink"));
}

void TfrmMainDLMR1::mnuSettingsUseUrgentImportanceFncClick()
{
    ToggleSetting("Settings_UseUrgentImportanceFnc", MainMenu2->FindByName("mnuSettingsUseUrgentImportanceFnc"));
}

void TfrmMainDLMR1::mnuAutorunClick()
{
    Guarded("[TfrmMainDLMR1::mnuAutorunClick]", [&] {
        ToggleSetting("Settings_RunAppWithWindowsBoot", MainMenu2->FindByName("mnuAutorun"));
        g.SetAutorun(Setup.GetBool("Settings_RunAppWithWindowsBoot") ? 1 : 0, 0);
    });
}

void TfrmMainDLMR1::mnuStartupDalmoraCzClick()
{
    ToggleSetting("SettingsStartupDalmoraCz", MainMenu2->FindByName("mnuStartupDalmoraCz"));
}

void TfrmMainDLMR1::mnuDontExitClick()
{
    ToggleSetting("SettingsAppExitAllowed", nullptr);
    // Checked means closing the window keeps the program running.
    MainMenu2->FindByName("mnuDontExit")->SetChecked(!Setup.GetBool("SettingsAppExitAllowed"));
}

void TfrmMainDLMR1::mnuMinimizeInsteadOfHideClick()
{
    ToggleSetting("SettingsMinimizeInsteadOfHide", MainMenu2->FindByName("mnuMinimizeInsteadOfHide"));
}

void TfrmMainDLMR1::mnuShowTrayIconClick()
{
    plat::TMenuItem* item = MainMenu2->FindByName("mnuShowTrayIcon");
    Setup.SetValue("ShowTrayIcon", item->Checked() ? 0 : 1, TNSetupItem::kBool);
    item->SetChecked(Setup.GetBool("ShowTrayIcon"));
    trayIcon->SetActive(item->Checked());
    trayIcon->SetIconVisible(item->Checked());
}

void TfrmMainDLMR1::mnuDblClickOnTrayIconOpensWebClick()
{
    plat::TMenuItem* item = MainMenu2->FindByName("mnuDblClickOnTrayIconOpensWeb");
    Setup.SetValue("DblClickOnTrayIconOpensWeb", item->Checked() ? 0 : 1, TNSetupItem::kBool);
    item->SetChecked(Setup.GetBool("DblClickOnTrayIconOpensWeb"));
}

void TfrmMainDLMR1::mnuSettingsShowHiddenRecordsClick()
{
    Guarded("[TfrmMainDLMR1::mnuSettingsShowHiddenRecordsClick]", [&] {
        ToggleSetting("Settings_ShowHiddenRecords", MainMenu2->FindByName("mnuSettingsShowHiddenRecords"));
        UpdateActuallyShownData("mnuSettingsShowHiddenRecordsClick");
    });
}

// ---------------------------------------------------------------------------
// Default postpone time and default page

void TfrmMainDLMR1::mnuSettingsDefaultPostponeMinutes(plat::TComponent* sender)
{
    Guarded("[TfrmMainDLMR1::mnuSettingsDefaultPostponeMinutes]", [&] {
        if (sender == nullptr) {
            LogText("[TfrmMainDLMR1::mnuSettingsDefaultPostponeMinutes][NULL]");
            return;
        }
        const int64_t tag = sender->Tag();
        const auto minutes = static_cast<int32_t>(std::clamp<int64_t>(tag, kMinPostponeMinutes, kMaxPostponeMinutes));
        Setup.SetValue(kPostponeKey, minutes, TNSetupItem::kInt32);
        UpdateDefaultPostponeMinutesMenus(minutes);
    });
}

void TfrmMainDLMR1::UpdateDefaultPostponeMinutesMenus(int32_t minutes)
{
    Guarded("[TfrmMainDLMR1::UpdateDefaultPostponeMinutesMenus]", [&] {
        // The menu offers only its choices; any other value becomes the
        // default one.
        const bool offered = std::any_of(std::begin(kPostponeChoices), std::end(kPostponeChoices),
                                         [&](const PostponeChoice& choice) { return choice.minutes == minutes; });
        if (!offered) {
            minutes = kDefaultPostponeMinutes;
            Setup.SetValue(kPostponeKey, minutes, TNSetupItem::kInt32);
        }
        const std::string name = "mnuSettingsDefaultPostponeMinutes" + std::to_string(minutes);
        if (plat::TMenuItem* item = MainMenu2->FindByName(name))
            item->SetChecked(true);
    });
}

void TfrmMainDLMR1::SetDefaultView(int32_t code)
{
    Guarded("[TfrmMainDLMR1::SetDefaultView]", [&] {
        for (const DefaultView& view : kDefaultViews) {
            if (view.code == code)
                MainMenu2->FindByName(view.name)->SetChecked(true);
        }
        Setup.SetValue("controlDefaultView", code, TNSetupItem::kInt32);
        if (code == kHomepage && !Dirs.UsersSetupFile.IsEmpty())
            Setup.Save(Uzivatele, std::string(Dirs.UsersSetupFile.View()));
        if (code == kPages)
            pages_->RunCommand(TNPageCommand::ShowOrganizerList);
        controlOpenRequestedView(Setup.GetInt("controlDefaultView"));
    });
}

// ---------------------------------------------------------------------------
// Display font, data reset, changelog, about and the tray's double click

void TfrmMainDLMR1::mnuSettingsChangeFontClick()
{
    Guarded("[TfrmMainDLMR1::mnuSettingsChangeFontClick]", [&] {
        plat::TFont font;
        font.Assign(Font());
        font.SetName(DisplayFontName);
        if (!plat::FontDialog::Execute(font))
            return;
        LogWrite("[mnuSettingsChangeFontClick] Font->Name = ", font.Name().c_str(), false);
        LogTextInt("[mnuSettingsChangeFontClick] Font->Size = ", font.Size());
        bool changed = false;
        if (!font.Name().empty()) {
            DisplayFontName = DisplayFontName2 = font.Name();
            Font().SetName(font.Name());
            Font().SetSize(font.Size());
            Setup.SetString("DefaultFontName", font.Name().c_str(), TNSetupItem::kText32);
            changed = true;
        }
        if (font.Size() != DisplayFontSize) {
            DisplayFontSize = std::clamp(font.Size(), kMinFontSize, kMaxFontSize);
            Font().SetSize(DisplayFontSize);
            Setup.SetValue("DefaultFontSize", DisplayFontSize, TNSetupItem::kInt32);
            changed = true;
        }
        // Every view is built again with the new font at the next sign-in.
        if (changed)
            mnuUserLogoutClick();
    });
}

void TfrmMainDLMR1::mnuSettingsResetFontClick()
{
    Guarded("[TfrmMainDLMR1::mnuSettingsResetFontClick]", [&] {
        DisplayFontName = DisplayFontName2 = kDefaultFontName;
        DisplayFontSize = kDefaultFontSize;
        Font().SetName(kDefaultFontName);
        Font().SetSize(kDefaultFontSize);
        Setup.SetString("DefaultFontName", "", TNSetupItem::kText32);
        mnuUserLogoutClick();
    });
}

void TfrmMainDLMR1::mnuHelpResetDataFileClick()
{
    Guarded("[TfrmMainDLMR1::mnuHelpResetDataFileClick]", [&] {
        MessageBoxShown = 1;
        const int answer = plat::MessageBox(
            "Resetování datového souboru může pomoci v případě, že ve svém kalendáři nevidíte očekávaná data.\n"
            "Všechny místní záznamy z Vašeho kalendáře (uložené v tomto počítači) budou vymazány a následně budou "
            "znovu staženy ze serveru Dalmora a obnoveny.\n\nOperace je bezpečná, nepřijdete o žádná data.\n\n"
            "Během akce Vás program odhlásí a budete se muset znovu přihlásit zadáním hesla do Dalmora.\n\n"
            "Přejete si pokračovat a resetovat datový soubor?",
            "Resetovat datový soubor", plat::MB_YESNO | plat::MB_ICONQUESTION);
        MessageBoxShown = 0;
        if (answer != plat::IDYES)
            return;
        g.ResetDataFileAtLogout = 1;
        mnuUserLogoutClick();
    });
}

void TfrmMainDLMR1::mnuChangelogClick()
{
    Guarded("[TfrmMainDLMR1::mnuChangelogClick]", [&] {
        const std::string path = GetProgramFolder() + "changelog-cs.txt";
        if (plat::FileExists(path)) {
            plat::ShellOpen(path, "edit");
            return;
        }
        MessageBoxShown = 1;
        plat::MessageBox(path, "Soubor neexistuje!", plat::MB_ICONWARNING);
        MessageBoxShown = 0;
    });
}

void TfrmMainDLMR1::mnuOProgramuClick()
{
    UniDialog("OProgramu", nullptr, 0, 0, 0, 0, 0, 0, 0, 0);
}

void TfrmMainDLMR1::trayIconDblClick()
{
    Guarded("[TfrmMainDLMR1::trayIconDblClick]", [&] {
        if (!Setup.GetBool("DblClickOnTrayIconOpensWeb"))
            return;
        g.StartOpenWebPageLoggedIn(TNString());
        trayIcon->SetTag(0);
    });
}
