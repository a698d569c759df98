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

    return pages;
}

std::vector<std::unique_ptr<TNUniDialogPage>>& Pages()
{
    static std::vector<std::unique_ptr<TNUniDialogPage>> pages = BuiltPages();
    return pages;
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
    RemoveUniDialogPage(page.Key);
    Pages().push_back(std::make_unique<TNUniDialogPage>(page));
    return *Pages().back();
}

void RemoveUniDialogPage(const std::string& key)
{
    auto& pages = Pages();
    pages.erase(std::remove_if(pages.begin(), pages.end(), [&](const auto& page) { return page->Key == key; }),
                pages.end());
}
