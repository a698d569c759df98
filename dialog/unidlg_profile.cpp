// The basic profile page: the signed-in user's first and last name, which
// name the user's main calendar. After a sign-in without names it opens as
// a mandatory dialog that cannot close until names are stored.

#include "dialog/account_pages.h"
#include "dialog/unidlg.h"

#include "foundation/guard.h"
#include "foundation/log.h"
#include "foundation/users.h"
#include "online/global.h"
#include "online/window_state.h"
#include "platform/gui/edit.h"
#include "platform/gui/label.h"
#include "platform/gui/panel.h"
#include "platform/gui/screen.h"

#include <memory>
#include <string>

namespace {

constexpr int32_t kPageWidth = 409;
constexpr int32_t kPageHeight = 337;
constexpr int32_t kMaxName = 32;
constexpr int32_t kWarning = 0x30;
constexpr plat::TColor kGreen = 0x008000;
constexpr plat::TColor kMaroon = 0x000080;
constexpr plat::TColor kGrey = 0x808080;

plat::TLabel* MakeLabel(plat::TComponent* owner, plat::TWinControl* parent, const char* name, const char* text,
                        int left, int top)
{
    auto* label = new plat::TLabel(owner);
    label->SetName(name);
    label->SetParent(parent);
    label->SetTransparent(true);
    label->SetShowAccelChar(false);
    label->SetCaption(text);
    label->SetLeft(left);
    label->SetTop(top);
    return label;
}

plat::TEdit* MakeEdit(plat::TComponent* owner, plat::TWinControl* parent, const char* name, int left, int top)
{
    auto* edit = new plat::TEdit(owner);
    edit->SetName(name);
    edit->SetParent(parent);
    edit->SetBounds(left, top, 240, 23);
    edit->SetMaxLength(kMaxName);
    return edit;
}

std::string Trimmed(const std::string& text)
{
    TNString value(text.c_str());
    value.Trim();
    return std::string(value.View());
}

std::string Str(const TNString& text)
{
    return std::string(text.View());
}

} // namespace

bool TfrmUnidlgDLMR1::AktivujDialog_BasicProfileSettings()
{
    plat::TPanel* panel = PagePanel(Key);
    if (profilePage == nullptr) {
        auto page = std::make_unique<TNProfilePage>();
        page->label11Info =
            MakeLabel(this, panel, "label11Info",
                      "Vaše jméno a příjmení pojmenuje Váš hlavní kalendář\na uvidí je Vaše kontakty.", 14, 14);
        page->label11FirstName = MakeLabel(this, panel, "label11FirstName", "Křestní jméno:", 14, 70);
        page->edit11FirstName = MakeEdit(this, panel, "edit11FirstName", 140, 66);
        page->label11LastName = MakeLabel(this, panel, "label11LastName", "Příjmení:", 14, 102);
        page->edit11LastName = MakeEdit(this, panel, "edit11LastName", 140, 98);
        page->label11Info2 =
            MakeLabel(this, panel, "label11Info2", "Zadejte Vaše občanské jméno a příjmení.", 140, 130);
        page->label11Info2->Font().SetColor(kGreen);
        page->label11Info3 =
            MakeLabel(this, panel, "label11Info3", "Přezdívky a smyšlená jména nepoužívejte.", 140, 150);
        page->label11Info3->Font().SetColor(kMaroon);
        page->label11UserIDInfo =
            MakeLabel(this, panel, "label11UserIDInfo", "ID Vašeho uživatelského účtu je:", 14, 200);
        page->label11UserID = MakeLabel(this, panel, "label11UserID", "-----", 220, 200);
        page->label11UsernameInfo = MakeLabel(this, panel, "label11UsernameInfo", "Uživatelské jméno:", 14, 224);
        page->label11Username = MakeLabel(this, panel, "label11Username", "-----", 220, 224);
        page->label11EmailInfo = MakeLabel(this, panel, "label11EmailInfo", "E-mail:", 14, 248);
        page->label11Email = MakeLabel(this, panel, "label11Email", "-----", 220, 248);
        page->label11Info4 = MakeLabel(this, panel, "label11Info4",
                                       "Uživatelské jméno a e-mail změníte v nabídce Vašeho účtu.", 14, 290);
        page->label11Info4->Font().SetColor(kGrey);
        profilePage = std::move(page);
    }
    SetCaption("Základní nastavení profilu");
    NastavNadpis("Základní nastavení Vašeho profilu", "Váš uživatelský profil v aplikaci Dalmora", true);
    panel->SetBounds(0, 0, kPageWidth, kPageHeight);
    FitClientToPage(*panel);

    const TNAccount account = g.Account();
    profilePage->edit11FirstName->SetText(Str(account.FirstName.Length > 0 ? account.FirstName : account.NewFirstName));
    profilePage->edit11LastName->SetText(Str(account.LastName.Length > 0 ? account.LastName : account.NewLastName));
    TNUser user;
    if (g.ActiveUserExists() && Uzivatele.GetActiveUser(&user)) {
        profilePage->label11UserID->SetCaption(std::to_string(user.UserID));
        profilePage->label11Username->SetCaption(Str(account.UserName.Length > 0 ? account.UserName : user.UserName));
        profilePage->label11Email->SetCaption(Str(account.Email));
    } else {
        LogText("[TfrmUnidlgDLMR1::AktivujDialog][BasicProfileSettings][ERROR] g.ActiveUserExists() = false;");
    }
    return true;
}

void TfrmUnidlgDLMR1::ActivateBasicProfileSettings()
{
    profilePage->edit11FirstName->SetFocus();
}

bool TfrmUnidlgDLMR1::SaveBasicProfileSettings(bool closing)
{
    return Guarded("[TfrmUnidlgDLMR1::SaveBasicProfileSettings]", false, [&] {
        if (profilePage == nullptr)
            return false;
        // 1.
        const std::string first = Trimmed(profilePage->edit11FirstName->Text());
        const std::string last = Trimmed(profilePage->edit11LastName->Text());
        const TNAccount account = g.Account();
        const std::string storedFirst = Trimmed(Str(account.FirstName));
        const std::string storedLast = Trimmed(Str(account.LastName));
        // 2.-3.
        if (closing && (storedFirst.empty() || storedLast.empty())) {
            MB("Toto okno nelze zavřít bez dokončení nastavení Vašeho uživatelského profilu.\nVyplňte prosím Vaše "
               "jméno a příjmení a klikněte na tlačítko \"Uložit\".",
               "Nastavte svůj profil", kWarning);
            return false;
        }
        if (first.empty()) {
            MB("Položka \"Křestní jméno\" nesmí být prázdná!", "Chyba", kWarning);
            return false;
        }
        if (last.empty()) {
            MB("Položka \"Příjmení\" nesmí být prázdná!", "Chyba", kWarning);
            return false;
        }
        // 4.
        if (!storedFirst.empty() && !storedLast.empty() && storedFirst == first && storedLast == last)
            return true;

        // 5. The writes under the model lock, which ends before any request.
        {
            TNUiJobLock lock = g.WaitUntilSyncJobIsDone("[TfrmUnidlgDLMR1::SaveBasicProfileSettings]", 0);
            LogText("[SaveBasicProfileSettings]");
            g.UpdateAccount([&](TNAccount& current) {
                current.NewFirstName.Set(first.c_str());
                current.NewLastName.Set(last.c_str());
            });
            g.pleaseSaveBasicProfileSettings = 1;
            g.basicProfileSettingsChanged = 1;
            g.ClearOwnOrganizersCachedText();
            g.SetUpdateUiTag(__uiUpdateHeaderUser, 0);
        }
        g.FastSync("SaveBasicProfileSettings");

        // 6.-7. Both requests at once, on this thread, with the hourglass;
        // a failure leaves the save pending for the next pass.
        const plat::TCursor before = plat::Screen::Cursor();
        plat::Screen::SetCursor(plat::crHourGlass);
        if (!g.Sync2SaveBasicProfileSettings(0))
            LogText("[TfrmUnidlgDLMR1::SaveBasicProfileSettings_A] the names were not saved");
        bool changed = false;
        if (g.Sync2UsersOrganizers(&changed)) {
            // The Pages page's lists show the new names at their next fill.
            ::WindowState.OrganizerListStamps[0] = 0;
            g.SetUpdateUiTag(__uiUpdateShownData, 0);
            g.SetUpdateUiTag(__uiUpdateSubscribedOrganizers, 0);
        } else {
            LogText("[TfrmUnidlgDLMR1::SaveBasicProfileSettings_B] the organizers were not fetched");
        }
        // 8.
        plat::Screen::SetCursor(before);
        return true;
    });
}
