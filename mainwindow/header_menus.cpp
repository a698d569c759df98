// The popup menus of the header's buttons: page, user and add menus, and
// the common way each button shows its menu.

#include "foundation/app_info.h"
#include "foundation/guard.h"
#include "foundation/log.h"
#include "mainwindow/main_window.h"
#include "mainwindow/menu_items.h"
#include "mainwindow/page_services.h"
#include "online/global.h"
#include "platform/gui/label.h"
#include "platform/gui/menu.h"
#include "platform/gui/panel.h"
#include "view/view.h"

#include <string>

namespace {

} // namespace

plat::TPopupMenu* TfrmMainDLMR1::NewHeaderMenu(HeaderMenu which, const char* name)
{
    // The previous menu has closed and its chosen item has run: each click
    // builds a new one, so the old one goes now.
    if (plat::TPopupMenu* previous = headerMenus[which].Get())
        previous->Free();
    auto* menu = new plat::TPopupMenu(this);
    menu->SetName(name);
    headerMenus[which] = menu;
    return menu;
}

void TfrmMainDLMR1::PopUpHeaderMenu(plat::TComponent* sender, plat::TMouseButton button, int32_t, int32_t,
                                    HeaderMenu which, const char* name, bool rightAligned,
                                    const std::function<void(plat::TPopupMenu&)>& fill)
{
    if (button != plat::TMouseButton::mbLeft)
        return;
    TNViewItem* item = View.GetComponentByHandle(sender);
    plat::TPanel* panel = item != nullptr ? item->Panel.Get() : nullptr;
    if (panel == nullptr)
        return;
    const uint32_t id = item->ComponentId;
    View.ButtonHoverOn(item);
    plat::TPopupMenu* menu = NewHeaderMenu(which, name);
    fill(*menu);
    menu->SetAlignment(rightAligned ? plat::TPopupAlignment::paRight : plat::TPopupAlignment::paLeft);
    // Below the button: its bottom-left corner, or bottom-right for a
    // right-aligned menu.
    const plat::TPoint corner = panel->ClientToScreen({rightAligned ? panel->Width() : 0, panel->Height()});
    menu->Popup(corner.x, corner.y);
    // Timers run while the menu is open; the button may be gone.
    View.ButtonHoverOff(View.GetComponentById(id));
}

void TfrmMainDLMR1::btnHeaderMenuMouseDown(plat::TComponent* sender, plat::TMouseButton button, int32_t x, int32_t y)
{
    Guarded("[TfrmMainDLMR1::btnHeaderMenuMouseDown]", [&] {
        PopUpHeaderMenu(sender, button, x, y, hmMenu, "popupHeaderMenu", false,
                        [this](plat::TPopupMenu& menu) { FillPageMenu(menu); });
    });
}

void TfrmMainDLMR1::btnHeaderUserMouseDown(plat::TComponent* sender, plat::TMouseButton button, int32_t x, int32_t y)
{
    Guarded("[TfrmMainDLMR1::btnHeaderUserMouseDown]", [&] {
        PopUpHeaderMenu(sender, button, x, y, hmUser, "popupHeaderUser", true,
                        [this](plat::TPopupMenu& menu) { FillUserMenu(menu); });
    });
}

void TfrmMainDLMR1::btnHeaderAddMouseDown(plat::TComponent* sender, plat::TMouseButton button, int32_t x, int32_t y)
{
    Guarded("[TfrmMainDLMR1::btnHeaderAddMouseDown]", [&] {
        PopUpHeaderMenu(sender, button, x, y, hmAdd, "popupHeaderAdd", true,
                        [this](plat::TPopupMenu& menu) { FillAddMenu(menu); });
    });
}

void TfrmMainDLMR1::FillPageMenu(plat::TPopupMenu& menu)
{
    struct PageItem {
        const char* caption;
        const char* name;
        int8_t page;
    };
    static constexpr PageItem kPageItems[] = {{"Hlavní stránka", "pmnuHeaderMenu_Homepage", kHomepage},
                                              {"Kalendář", "pmnuHeaderMenu_Calendar", kCalendar},
                                              {"Úkoly", "pmnuHeaderMenu_Tasks", kTasks},
                                              {"Poznámky", "pmnuHeaderMenu_Notes", kNotes},
                                              {"Stránky", "pmnuHeaderMenu_Pages", kPages},
                                              {"Hledání", "pmnuHeaderMenu_Search", kSearch}};
    for (const PageItem& page : kPageItems) {
        plat::TMenuItem* item = AddMenuItem(&menu, menu.Items(), page.name, page.caption);
        item->SetTag(page.page);
        item->SetRadioItem(true);
        item->SetGroupIndex(1);
        item->SetChecked(controlActive == page.page);
        item->OnClick = [this](plat::TComponent* sender) { ControlButtonClick(sender); };
    }
}

void TfrmMainDLMR1::FillUserMenu(plat::TPopupMenu& menu)
{
    const TNAccount account = g.Account();
    const bool hasEmail = !account.Email.IsEmpty();
    const bool hasSecond = !account.SecondaryEmail.IsEmpty();
    const bool hasThird = !account.TertiaryEmail.IsEmpty();
    plat::TMenuItem* root = menu.Items();
    for (int32_t server = 0; server < App.PimServersCount; ++server) {
        AddMenuItem(&menu, root, "pmnuHeaderUser_OpenDalmoraWeb", std::string("Otevřít ") + App.WebDomain[server],
                    [this] { mnuOpenDalmoraWebClick(); });
        AddMenuItem(&menu, root, "pmnuHeaderUser_BasicProfileSettings", "Základní nastavení profilu...",
                    [this] { mnuBasicProfileSettingsClick(); });
        if (hasEmail && (hasSecond || hasThird)) {
            plat::TMenuItem* change = AddMenuItem(&menu, root, "pmnuHeaderUser_ChangeEmail", "Změnit e-mail...");
            AddMenuItem(&menu, change, "pmnuHeaderUser_ChangePrimaryEmail",
                        "Změnit primární (hlavní) e-mailovou adresu...", [this] { mnuChangeEmailClick(1); });
            if (hasSecond)
                AddMenuItem(&menu, change, "pmnuHeaderUser_ChangeSecondaryEmail",
                            "Změnit sekundární (druhou) e-mailovou adresu...", [this] { mnuChangeEmailClick(2); });
            if (hasThird)
                AddMenuItem(&menu, change, "pmnuHeaderUser_ChangeTertiaryEmail",
                            "Změnit terciární (třetí) e-mailovou adresu...", [this] { mnuChangeEmailClick(3); });
        } else if (hasEmail) {
            AddMenuItem(&menu, root, "pmnuHeaderUser_ChangeEmail", "Změnit e-mail...",
                        [this] { mnuChangeEmailClick(0); });
        }
        AddMenuItem(&menu, root, "pmnuHeaderUser_ChangePassword", "Změnit heslo...",
                    [this] { mnuChangePasswordClick(); });
        AddMenuItem(&menu, root, "pmnuHeaderUser_Logout", "Odhlásit", [this] { mnuUserLogoutClick(); });
    }
}

void TfrmMainDLMR1::FillAddMenu(plat::TPopupMenu& menu)
{
    struct AddEntry {
        const char* caption;
        const char* name;
        TNPageCommand command;
    };
    static constexpr AddEntry kNewItems[] = {
        {"Nová událost...", "pmnuHeaderNew_Record", TNPageCommand::mnuFileAddSomethingNewClick},
        {"Nový úkol...", "pmnuHeaderNew_Task", TNPageCommand::mnuFileAddTaskClick},
        {"Nová poznámka...", "pmnuHeaderNew_Note", TNPageCommand::btnNotesListAddClick},
        {"Nové narozeniny...", "pmnuHeaderNew_Birthday", TNPageCommand::mnuFileAddBirthdayClick},
        {"Nové výročí...", "pmnuHeaderNew_Anniversary", TNPageCommand::mnuFileAddAnniversaryClick}};
    auto add = [&](const AddEntry& entry) {
        const TNPageCommand command = entry.command;
        AddMenuItem(&menu, menu.Items(), entry.name, entry.caption, [this, command] {
            btnESCClick();
            pages_->RunCommand(command);
        });
    };
    for (const AddEntry& entry : kNewItems)
        add(entry);
    AddMenuItem(&menu, menu.Items(), "pmnuHeaderNew_Space1", "-");
    add({"Vytvořit nový kalendář nebo stránku...", "pmnuHeaderNew_Organizer", TNPageCommand::mnuAddNewOrganizerClick});
}

void TfrmMainDLMR1::mnuOpenDalmoraWebClick()
{
    // Signed in through a one-time link, fetched on a worker.
    g.StartOpenWebPageLoggedIn(TNString(""));
}

void TfrmMainDLMR1::mnuBasicProfileSettingsClick()
{
    UniDialog("BasicProfileSettings", nullptr, 0, 0, 0, 0, 0, 0, 0, 0);
}
