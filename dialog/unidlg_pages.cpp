#include "dialog/unidlg_pages.h"

#include "dialog/unidlg.h"
#include "platform/gui/button.h"
#include "view/view.h"

#include <algorithm>
#include <memory>
#include <vector>

const char* const kUniDialogPageKeys[18] = {
    "OProgramu",
    "Proxy",
    "EditRecord",
    "EditTag",
    "MB",
    "ShareWith",
    "NewUser",
    "NewVirtualAccount",
    "RecordRecurrence",
    "DeleteRecurringRecord",
    "BasicProfileSettings",
    "ContactRequest",
    "EditOrganizer",
    "EnterPassword",
    "ChangePassword",
    "ChangeEmail",
    "DeleteOrganizer",
    "OrganizerSettings",
};

namespace {

// The proxy, new-account, profile, password, e-mail and contact-request
// pages.
void AddAccountPages(std::vector<std::unique_ptr<TNUniDialogPage>>& pages)
{
    auto proxy = std::make_unique<TNUniDialogPage>();
    proxy->Key = "Proxy";
    proxy->Title = "Proxy server";
    proxy->Subtitle = "Pokud používáte proxy server, nastavte jej zde";
    proxy->Build = [](TfrmUnidlgDLMR1& dialog) { return dialog.AktivujDialog_Proxy(); };
    proxy->Save = [](TfrmUnidlgDLMR1& dialog) {
        dialog.UlozNastaveniProxy();
        dialog.SavePlainSettings();
        return true;
    };
    proxy->Activate = [](TfrmUnidlgDLMR1& dialog) { dialog.ActivateProxy(); };
    proxy->Close = {"Zavřít", 93};
    proxy->Ulozit = {"Uložit", 93};
    pages.push_back(std::move(proxy));

    auto newUser = std::make_unique<TNUniDialogPage>();
    newUser->Key = "NewUser";
    newUser->Build = [](TfrmUnidlgDLMR1& dialog) { return dialog.AktivujDialog_NewUser(); };
    newUser->Activate = [](TfrmUnidlgDLMR1& dialog) { dialog.ActivateNewUser(); };
    newUser->BarHeight = 0;
    pages.push_back(std::move(newUser));

    auto virtualAccount = std::make_unique<TNUniDialogPage>();
    virtualAccount->Key = "NewVirtualAccount";
    virtualAccount->Title = "Nový virtuální účet";
    virtualAccount->Subtitle = "Je potřeba přečíst si a odsouhlasit podmínky";
    virtualAccount->Save = [](TfrmUnidlgDLMR1& dialog) { return dialog.CreateNewVirtualAccount(); };
    virtualAccount->Close = {"Storno", 93};
    virtualAccount->Ulozit = {"Vytvořit virtuální účet a přihlásit", 213};
    virtualAccount->BarHeight = 0;
    pages.push_back(std::move(virtualAccount));

    auto profile = std::make_unique<TNUniDialogPage>();
    profile->Key = "BasicProfileSettings";
    profile->Build = [](TfrmUnidlgDLMR1& dialog) { return dialog.AktivujDialog_BasicProfileSettings(); };
    profile->Save = [](TfrmUnidlgDLMR1& dialog) { return dialog.SaveBasicProfileSettings(dialog.savingOnClose); };
    profile->Activate = [](TfrmUnidlgDLMR1& dialog) { dialog.ActivateBasicProfileSettings(); };
    profile->Close = {"Zavřít", 93};
    profile->Ulozit = {"Uložit", 93};
    pages.push_back(std::move(profile));

    auto request = std::make_unique<TNUniDialogPage>();
    request->Key = "ContactRequest";
    request->Build = [](TfrmUnidlgDLMR1& dialog) { return dialog.AktivujDialog_ContactRequest(); };
    request->Layout = [](TfrmUnidlgDLMR1& dialog) { dialog.FormResize_ContactRequest(); };
    request->Save = [](TfrmUnidlgDLMR1& dialog) {
        dialog.AnswerContactRequest(1);
        return true;
    };
    request->Close = {"Zavřít", 93};
    request->Ulozit = {"Přidat uživatele do mých kontaktů", 230};
    request->Vymazat = {"Ignorovat žádost", 125};
    pages.push_back(std::move(request));

    auto password = std::make_unique<TNUniDialogPage>();
    password->Key = "ChangePassword";
    password->Build = [](TfrmUnidlgDLMR1& dialog) { return dialog.AktivujDialog_ChangePassword(); };
    password->Layout = [](TfrmUnidlgDLMR1& dialog) { dialog.FormResize_ChangePassword(); };
    password->Save = [](TfrmUnidlgDLMR1& dialog) { return dialog.Save_ChangePassword(); };
    password->Activate = [](TfrmUnidlgDLMR1&) { View.SetFocus("edit15CurrentPassword"); };
    password->Close = {"Storno", 93};
    password->Ulozit = {"Změnit heslo", 140};
    pages.push_back(std::move(password));

    auto email = std::make_unique<TNUniDialogPage>();
    email->Key = "ChangeEmail";
    email->Build = [](TfrmUnidlgDLMR1& dialog) { return dialog.AktivujDialog_ChangeEmail(); };
    email->Layout = [](TfrmUnidlgDLMR1& dialog) { dialog.FormResize_ChangeEmail(); };
    email->Save = [](TfrmUnidlgDLMR1& dialog) { return dialog.Save_ChangeEmail(); };
    email->Activate = [](TfrmUnidlgDLMR1&) { View.SetFocus("edit16NewEmail"); };
    email->Close = {"Storno", 93};
    email->Ulozit = {"Změnit e-mail", 140};
    pages.push_back(std::move(email));
}

std::vector<std::unique_ptr<TNUniDialogPage>> BuiltPages()
{
    std::vector<std::unique_ptr<TNUniDialogPage>> pages;

    auto about = std::make_unique<TNUniDialogPage>();
    about->Key = "OProgramu";
    about->Build = [](TfrmUnidlgDLMR1& dialog) { return dialog.AktivujDialog_OProgramu(); };
    about->Layout = [](TfrmUnidlgDLMR1& dialog) { dialog.FormResize_OProgramu(); };
    about->Close = {"Zavřít", 93};
    about->Placement = TNDialogPlacement::WorkArea;
    about->Hints = TNDialogHints::CloseWithoutTail;
    about->SavesNothing = true;
    pages.push_back(std::move(about));

    auto editor = std::make_unique<TNUniDialogPage>();
    editor->Key = "EditRecord";
    editor->Build = [](TfrmUnidlgDLMR1& dialog) { return dialog.AktivujDialog_EditRecord(); };
    editor->Layout = [](TfrmUnidlgDLMR1& dialog) { dialog.FormResize_EditRecord(); };
    editor->Save = [](TfrmUnidlgDLMR1& dialog) { return dialog.SaveRecord(); };
    // Delete only for a record that exists.
    editor->Activate = [](TfrmUnidlgDLMR1& dialog) {
        dialog.btnVymazat->SetVisible(dialog.i1() > 0);
        dialog.pBottom0Resize();
        View.SetFocus("memo3Text");
    };
    editor->Close = {"Storno", 93};
    editor->Ulozit = {"Uložit", 93};
    editor->Vymazat = {"Smazat", 93};
    editor->Placement = TNDialogPlacement::WorkArea;
    pages.push_back(std::move(editor));

    auto box = std::make_unique<TNUniDialogPage>();
    box->Key = "MB";
    box->Build = [](TfrmUnidlgDLMR1& dialog) { return dialog.AktivujDialog_MB(); };
    box->Close = {"OK", 93};
    box->Placement = TNDialogPlacement::WorkArea;
    box->Hints = TNDialogHints::None;
    pages.push_back(std::move(box));

    auto recurrence = std::make_unique<TNUniDialogPage>();
    recurrence->Key = "RecordRecurrence";
    recurrence->Build = [](TfrmUnidlgDLMR1& dialog) { return dialog.AktivujDialog_RecordRecurrence(); };
    recurrence->Layout = [](TfrmUnidlgDLMR1& dialog) { dialog.FormResize_RecordRecurrence(); };
    recurrence->Save = [](TfrmUnidlgDLMR1& dialog) { return dialog.SaveRecordRecurrence(true); };
    recurrence->Close = {"Storno", 93};
    recurrence->Ulozit = {"Uložit", 93};
    recurrence->Placement = TNDialogPlacement::WorkArea;
    pages.push_back(std::move(recurrence));

    auto deleteRecurring = std::make_unique<TNUniDialogPage>();
    deleteRecurring->Key = "DeleteRecurringRecord";
    deleteRecurring->Build = [](TfrmUnidlgDLMR1& dialog) { return dialog.AktivujDialog_DeleteRecurringRecord(); };
    deleteRecurring->Layout = [](TfrmUnidlgDLMR1& dialog) { dialog.FormResize_DeleteRecurringRecord(); };
    deleteRecurring->Save = [](TfrmUnidlgDLMR1& dialog) { return dialog.Save_DeleteRecurringRecord(); };
    deleteRecurring->Close = {"Storno", 93};
    deleteRecurring->Ulozit = {"Smazat", 93};
    pages.push_back(std::move(deleteRecurring));

    AddAccountPages(pages);
    return pages;
}

std::vector<std::unique_ptr<TNUniDialogPage>>& Pages()
{
    static std::vector<std::unique_ptr<TNUniDialogPage>> pages = BuiltPages();
    return pages;
}

void EraseRows(const std::string& key)
{
    auto& pages = Pages();
    pages.erase(std::remove_if(pages.begin(), pages.end(), [&](const auto& page) { return page->Key == key; }),
                pages.end());
}

} // namespace

const TNUniDialogPage* FindUniDialogPage(const std::string& key)
{
    for (const auto& page : Pages()) {
        if (page->Key == key)
            return page.get();
    }
    return nullptr;
}

TNUniDialogPage& AddUniDialogPage(const TNUniDialogPage& page)
{
    EraseRows(page.Key);
    Pages().push_back(std::make_unique<TNUniDialogPage>(page));
    return *Pages().back();
}

void RemoveUniDialogPage(const std::string& key)
{
    auto& pages = Pages();
    EraseRows(key);
    // A key the program builds gets its own row back.
    for (auto& built : BuiltPages()) {
        if (built->Key == key)
            pages.push_back(std::move(built));
    }
}
