// The password and e-mail pages: the signed-in user changes the account's
// password or one of its e-mail addresses directly on the service, with one
// request sent on the main thread.

#include "dialog/unidlg.h"

#include "foundation/common.h"
#include "foundation/guard.h"
#include "foundation/log.h"
#include "foundation/users.h"
#include "online/answer_reader.h"
#include "online/download.h"
#include "online/form_builder.h"
#include "online/global.h"
#include "platform/gui/check_box.h"
#include "platform/gui/edit.h"
#include "platform/gui/label.h"
#include "platform/gui/panel.h"
#include "platform/gui/screen.h"
#include "view/view.h"
#include "view/view_item.h"

#include <algorithm>
#include <string>

namespace {

constexpr int32_t kPageWidth = 540;
constexpr int32_t kMargin = 14;
constexpr int32_t kGap = 7;
constexpr size_t kMaxText = 128;
constexpr size_t kMinPassword = 6;
constexpr size_t kMinEmail = 5;
constexpr int32_t kWarning = 0x30;

const char* const kPasswordFields[] = {"edit15CurrentPassword", "edit15NewPassword1", "edit15NewPassword2"};
const char* const kEmailFields[] = {"label16CurrentEmail", "edit16NewEmail", "check16Terms", "edit16Password",
                                    "label16Hint1"};

TNViewItem* Make(TfrmUnidlgDLMR1& dialog, int8_t kind, const char* name, const char* caption)
{
    return View.CreateComponent(kind, name, &dialog, dialog.PagePanel(dialog.Key), 0, caption, 1, dialog.SlotIndex,
                                nullptr, nullptr, 3);
}

TNViewItem* MakePasswordEdit(TfrmUnidlgDLMR1& dialog, const char* name, const char* caption)
{
    TNViewItem* item = Make(dialog, cmpEdit, name, caption);
    if (item != nullptr) {
        if (plat::TEdit* edit = item->Edits[0].Get()) {
            edit->SetPasswordChar('*');
            edit->SetMaxLength(static_cast<int>(kMaxText) + 1);
        }
    }
    return item;
}

TNViewItem* MakeLabel(TfrmUnidlgDLMR1& dialog, const char* name, const std::string& text)
{
    TNViewItem* item = Make(dialog, cmpLabel, name, "");
    if (item != nullptr) {
        item->WordWrap = 1;
        if (plat::TLabel* label = item->Label(4)) {
            label->SetShowAccelChar(false);
            label->SetWordWrap(true);
        }
        View.SetText(name, text.c_str(), false, 0);
    }
    return item;
}

// Stacks the page's components top-down and fits the client to them.
void StackComponents(TfrmUnidlgDLMR1& dialog, const char* const* names, size_t count)
{
    int32_t top = kMargin;
    for (size_t i = 0; i < count; ++i) {
        TNViewItem* item = View.GetComponent(names[i]);
        if (item == nullptr)
            continue;
        View.ResizeComponent(item, kMargin, top, kPageWidth - 2 * kMargin, -1, true);
        if (plat::TPanel* panel = item->Panel.Get())
            top += panel->Height() + kGap;
    }
    plat::TPanel* page = dialog.PagePanel(dialog.Key);
    page->SetBounds(0, 0, kPageWidth, top + kMargin - kGap);
}

// One field's length rules; on a refusal its box, the focus on it, false.
bool FieldLengthOk(TfrmUnidlgDLMR1& dialog, const char* name, const char* label, size_t minimum)
{
    const std::string text = View.GetText(name);
    std::string message;
    const char* caption = nullptr;
    if (text.size() < minimum) {
        message = std::string("Položka '") + label + "' není vyplněna nebo je krátká!";
        caption = "Vyplňte položku";
    } else if (text.size() > kMaxText) {
        message = std::string("Položka '") + label + "' je příliš dlouhá.\nMaximální délka je 128 znaků.";
        caption = "Zkraťte položku";
    } else {
        return true;
    }
    dialog.MB(message.c_str(), caption, kWarning);
    View.SetFocus(name);
    return false;
}

bool SignedInAndOnline(TfrmUnidlgDLMR1& dialog)
{
    if (g.ActiveUserExists() && g.UserLoginStatus.load() == 1)
        return true;
    dialog.MB("Pro tuto akci musíte být připojeni k internetu!", "Chyba", kWarning);
    return false;
}

uint32_t ActiveUserID()
{
    TNUser user;
    return Uzivatele.GetActiveUser(&user) ? user.UserID : 0;
}

// Steps 4-7 of both pages: the post, the answer's checks and its boxes.
bool PostAndRead(TfrmUnidlgDLMR1& dialog, const TNFormBuilder& body, const char* caller)
{
    const plat::TCursor before = plat::Screen::Cursor();
    plat::Screen::SetCursor(plat::crHourGlass);
    TNDownload download;
    const bool posted = g.PostToApiAt(dialog.AccountIndex(), body.Text(), download);
    plat::Screen::SetCursor(before);
    if (!posted) {
        LogWrite(caller, " the request failed", false);
        std::string error(download.ResultString.View());
        if (error.empty())
            error = "Spojení se serverem se nepodařilo navázat.";
        dialog.MB(error.c_str(), "Chyba", kWarning);
        return false;
    }
    TNString answer(download.DocumentBytes());
    TNString instId;
    const bool sameInstallation = ReadAnswerText(&answer, "inst-id", &instId) && AnswerUInt(instId) == g.InstID.load();
    bool ok = false;
    TNString flag;
    if (!sameInstallation || !ReadAnswerText(&answer, "handshake", &flag) || AnswerInt(flag) != 1) {
        dialog.MB("Něco se nepovedlo (hodnota handshake = false).\nZkuste akci zopakovat.", "Chyba", kWarning);
    } else if (!ReadAnswerText(&answer, "success", &flag) || AnswerInt(flag) != 1) {
        TNString response;
        if (ReadAnswerText(&answer, "Response", &response) && response.Length > 0) {
            response.DecodeHtmlEntities();
            dialog.MB(response.Text, "Chyba", kWarning);
        } else {
            dialog.MB("Něco se nepovedlo (hodnota success = false).\nZkuste akci zopakovat.", "Chyba", kWarning);
        }
    } else {
        ok = true;
    }
    return ok;
}

} // namespace

bool TfrmUnidlgDLMR1::AktivujDialog_ChangePassword()
{
    SetCaption("Změnit heslo");
    NastavNadpis("Změnit heslo", "Nastavte nové heslo k Vašemu uživatelskému účtu", true);
    MakePasswordEdit(*this, "edit15CurrentPassword", "Stávající heslo");
    MakePasswordEdit(*this, "edit15NewPassword1", "Nové heslo");
    MakePasswordEdit(*this, "edit15NewPassword2", "Nové heslo (znovu)");
    FormResize_ChangePassword();
    FitClientToPage(*PagePanel(Key));
    pageReady = 1;
    return true;
}

void TfrmUnidlgDLMR1::FormResize_ChangePassword()
{
    StackComponents(*this, kPasswordFields, std::size(kPasswordFields));
}

bool TfrmUnidlgDLMR1::Save_ChangePassword()
{
    return Guarded("[TfrmUnidlgDLMR1::Save_ChangePassword]", false, [&] {
        if (!SignedInAndOnline(*this))
            return false;
        TNFormBuilder body;
        if (!g.Sync2SetRequest("change-password", nullptr, 1, &body))
            return false;
        body.AddUInt("userId", ActiveUserID());
        const char* const labels[] = {"Stávající heslo", "Nové heslo", "Nové heslo (znovu)"};
        const char* const keys[] = {"currentPassword", "newPassword1", "newPassword2"};
        for (int i = 0; i < 3; ++i) {
            if (!FieldLengthOk(*this, kPasswordFields[i], labels[i], kMinPassword))
                return false;
            body.Add(keys[i], View.GetText(kPasswordFields[i]));
        }
        const std::string password = View.GetText("edit15NewPassword1");
        if (password != View.GetText("edit15NewPassword2")) {
            MB("Položky 'Nové heslo' a 'Nové heslo (znovu)' nejsou stejné!", "Chyba", kWarning);
            View.SetFocus("edit15NewPassword2");
            return false;
        }
        // A password the login page would refuse would lock the user out.
        if (!TNCommon::CheckPassword(password.c_str())) {
            MB("Heslo obsahuje nepovolené znaky\nMůžete kombinovat malá a VELKÁ písmena, čísla, mezery,\ntečky, "
               "pomlčky a znaky ! ? & + a podtržítko",
               "Chyba", kWarning);
            View.SetFocus("edit15NewPassword1");
            return false;
        }
        if (!PostAndRead(*this, body, "[Save_ChangePassword]"))
            return false;
        // Every later request's head authenticates with the new password.
        g.SetActivePassword(TNString(password.c_str()));
        return true;
    });
}

bool TfrmUnidlgDLMR1::AktivujDialog_ChangeEmail()
{
    struct Slot {
        const char* title;
        const char* subtitle;
    };
    static const Slot kSlots[] = {
        {"Změnit e-mail", "Nastavte nový e-mail k Vašemu uživatelskému účtu"},
        {"Změnit primární e-mail", "Změnit primární (hlavní) e-mailovou adresu Vašeho uživatelského účtu"},
        {"Změnit sekundární e-mail", "Změnit sekundární (druhou) e-mailovou adresu Vašeho uživatelského účtu"},
        {"Změnit terciární e-mail", "Změnit terciární (třetí) e-mailovou adresu Vašeho uživatelského účtu"},
    };
    const int32_t slot = i1() >= 1 && i1() <= 3 ? i1() : 0;
    SetCaption(kSlots[slot].title);
    NastavNadpis(kSlots[slot].title, kSlots[slot].subtitle, true);

    const TNAccount account = g.Account();
    const TNString* current[] = {&account.Email, &account.Email, &account.SecondaryEmail, &account.TertiaryEmail};
    std::string address(current[slot]->View());
    if (address.empty())
        address = "Nenastaveno";
    MakeLabel(*this, "label16CurrentEmail", "Stávající e-mail: " + address);
    if (TNViewItem* edit = Make(*this, cmpEdit, "edit16NewEmail", "Nový e-mail"))
        if (plat::TEdit* control = edit->Edits[0].Get())
            control->SetMaxLength(static_cast<int>(kMaxText) + 1);
    if (TNViewItem* terms = Make(*this, cmpCheckbox, "check16Terms", "Autorizace e-mailu"))
        if (plat::TLabel* text = terms->Label(4))
            text->SetCaption("Beru na vědomí, že nová e-mailová adresa bude nastavena až po dokončení autorizace "
                             "kliknutím na odkaz v e-mailu, zaslaném na zadanou adresu");
    MakePasswordEdit(*this, "edit16Password", "Vaše heslo");
    MakeLabel(*this, "label16Hint1", "Změnu potvrďte heslem, kterým se přihlašujete do Dalmora.");
    FormResize_ChangeEmail();
    FitClientToPage(*PagePanel(Key));
    pageReady = 1;
    return true;
}

void TfrmUnidlgDLMR1::FormResize_ChangeEmail()
{
    StackComponents(*this, kEmailFields, std::size(kEmailFields));
}

bool TfrmUnidlgDLMR1::Save_ChangeEmail()
{
    return Guarded("[TfrmUnidlgDLMR1::Save_ChangeEmail]", false, [&] {
        if (!SignedInAndOnline(*this))
            return false;
        TNFormBuilder body;
        if (!g.Sync2SetRequest("change-email", nullptr, 1, &body))
            return false;
        body.AddUInt("userId", ActiveUserID());
        body.AddInt("emailType", i1());
        if (!FieldLengthOk(*this, "edit16NewEmail", "Nový e-mail", kMinEmail))
            return false;
        const std::string email = View.GetText("edit16NewEmail");
        if (c.CheckEmail(email.c_str(), true) != 1) {
            View.SetFocus("edit16NewEmail");
            return false;
        }
        body.Add("newEmail", email);
        if (!View.GetCheckboxValue("check16Terms")) {
            MB("Položka 'Autorizace e-mailu' Musí být zaškrtnuta.", "Souhlas s podmínkami", kWarning);
            if (TNViewItem* terms = View.GetComponent("check16Terms"); terms != nullptr && terms->CheckBox.Get())
                terms->CheckBox->SetFocus();
            return false;
        }
        if (!FieldLengthOk(*this, "edit16Password", "Vaše heslo", kMinPassword))
            return false;
        body.Add("password", View.GetText("edit16Password"));
        return PostAndRead(*this, body, "[Save_ChangeEmail]");
    });
}
