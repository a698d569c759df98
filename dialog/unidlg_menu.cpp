// The dialog's text menu and the hidden main menu that carries its short
// cuts: the edit commands, closing, the About page and the web site.

#include "dialog/unidlg.h"

#include "foundation/app_info.h"
#include "foundation/common.h"
#include "foundation/guard.h"
#include "mainwindow/menu_items.h"
#include "platform/gui/menu.h"
#include "platform/gui/win_control.h"

#include <cstring>

namespace {

constexpr uint16_t kKeyDelete = 0x2E;
constexpr uint16_t kKeyF1 = 0x70;

struct EditCommand {
    const char* menuName;
    const char* popupName;
    const char* caption;
    plat::TShortCut shortCut;
    bool (*run)(void* form);
};

bool CopyAll(void* form)
{
    return TNCommon::VyberVse(form) && TNCommon::KopirujDoSchranky(form);
}

const EditCommand kEditCommands[] = {
    {"mnuZpet", "pmnuZpet", "Zpět", plat::ShortCut('Z', plat::ssCtrl), &TNCommon::Zpet},
    {"mnuKopirovat", "pmnuKopirovat", "Kopírovat", plat::ShortCut('C', plat::ssCtrl), &TNCommon::KopirujDoSchranky},
    {"mnuVyjmout", "pmnuVyjmout", "Vyjmout", plat::ShortCut('X', plat::ssCtrl), &TNCommon::VyjmiDoSchranky},
    {"mnuVlozit", "pmnuVlozit", "Vložit", plat::ShortCut('V', plat::ssCtrl), &TNCommon::VlozZeSchranky},
    {"mnuOdstranit", "pmnuOdstranit", "Odstranit", plat::ShortCut(kKeyDelete, 0), &TNCommon::SmazVyber},
    {"mnuVybratVse", "pmnuVybratVse", "Vybrat vše", plat::ShortCut('A', plat::ssCtrl), &TNCommon::VyberVse},
    {"mnuKopirovatVse", "pmnuKopirovatVse", "Kopírovat vše", plat::ShortCut('B', plat::ssCtrl), &CopyAll},
};

// The controls that take the text menu.
bool IsTextControl(const char* className)
{
    for (const char* name :
         {"TFlatEdit", "TFlatComboBox", "TFlatMemo", "TRichEdit", "TMemo", "TFlatSpinEditInteger", "TDateTimePicker"}) {
        if (std::strcmp(name, className) == 0)
            return true;
    }
    return false;
}

void GiveTextMenu(plat::TComponent& owner, plat::TPopupMenu* menu)
{
    for (int i = 0; i < owner.ComponentCount(); ++i) {
        auto* control = dynamic_cast<plat::TWinControl*>(owner.Components(i));
        if (control != nullptr && IsTextControl(control->ClassName()))
            control->SetPopupMenu(menu);
    }
}

} // namespace

void TfrmUnidlgDLMR1::CreateShortcutMenu()
{
    popupText = new plat::TPopupMenu(this);
    popupText->SetName("popupText");
    popupText->OnPopup = [this](plat::TComponent*) { popupTextPopup(); };
    mainMenuShortcuts = new plat::TMainMenu(this);
    mainMenuShortcuts->SetName("mainMenuShortcuts");
    plat::TMenuItem* top = AddMenuItem(this, mainMenuShortcuts->Items(), "mnuUpravy", "Úpravy");
    top->SetVisible(false);

    plat::TMenuItem* redo = AddMenuItem(this, popupText->Items(), "pmnuOpakovat", "Opakovat");
    redo->SetVisible(false);
    redo->SetEnabled(false);
    for (const EditCommand& command : kEditCommands) {
        auto run = [this, command] { Guarded("[TfrmUnidlgDLMR1::EditCommand]", [&] { command.run(this); }); };
        AddMenuItem(this, popupText->Items(), command.popupName, command.caption, run);
        AddMenuItem(this, top, command.menuName, command.caption, run)->SetShortCut(command.shortCut);
    }
    AddMenuItem(this, top, "mnuKonec", "Zavřít toto okno", [this] { mnuKonecClick(); });
    AddMenuItem(this, top, "mnuOProgramu", "O programu...", [this] {
        mnuOProgramuClick();
    })->SetShortCut(plat::ShortCut(kKeyF1, plat::ssShift));
    AddMenuItem(this, top, "mnuHomepage", "Domovská www stránka...", [this] { mnuHomepageClick(); });
    SetMenu(mainMenuShortcuts);
}

void TfrmUnidlgDLMR1::NastavTextovePopupMenu()
{
    GiveTextMenu(*this, popupText);
}

void TfrmUnidlgDLMR1::popupTextPopup()
{
    Guarded("[TfrmUnidlgDLMR1::popupTextPopup]", [&] {
        auto* control = dynamic_cast<plat::TWinControl*>(popupText->PopupComponent());
        if (control == nullptr)
            control = ActiveControl();
        const bool text = control != nullptr && IsTextControl(control->ClassName()) && control->Enabled();
        if (text && control->CanFocus())
            control->SetFocus();
        for (const EditCommand& command : kEditCommands) {
            if (plat::TMenuItem* item = popupText->FindByName(command.popupName))
                item->SetEnabled(text);
        }
    });
}

void TfrmUnidlgDLMR1::mnuOProgramuClick()
{
    Guarded("[TfrmUnidlgDLMR1::mnuOProgramuClick]", [&] {
        if (Key == "OProgramu")
            return;
        UniDialog("OProgramu", 0, 0, 0, 0, 0, AccountIndex(), 0, 0);
    });
}

void TfrmUnidlgDLMR1::mnuHomepageClick()
{
    c.OpenUrl(App.HomepageUrl);
}
