// The delete-recurring-record page: three options for which part of a
// series to delete, exactly one of them checked before OK deletes.

#include "dialog/unidlg.h"

#include "foundation/guard.h"
#include "mainwindow/main_window.h"
#include "model/pim.h"
#include "model/records.h"
#include "model/users_rights.h"
#include "platform/gui/dialogs.h"
#include "platform/gui/label.h"
#include "platform/gui/panel.h"
#include "view/view.h"

#include <cstring>

namespace {

constexpr int32_t kPageWidth = 380;
constexpr int32_t kPageHeight = 100;
constexpr int32_t kMargin = 14;
constexpr int32_t kButtonHeight = 23;
constexpr int32_t kButtonGap = 7;
constexpr const char* kPageKey = "DeleteRecurringRecord";

struct DeleteOption {
    const char* Name;
    const char* Caption;
};
// In mode order: 1 this occurrence, 2 it and the following ones, 3 all.
constexpr DeleteOption kOptions[] = {
    {"btn9DRR_1", "Tento výskyt"},
    {"btn9DRR_2", "Tento a všechny následující výskyty"},
    {"btn9DRR_3", "Všechny výskyty"},
};

} // namespace

void DeleteRecurringRecordOptionChange(TNViewItem* item)
{
    Guarded("[DeleteRecurringRecordOptionChange]", [&] {
        if (item == nullptr)
            return;
        for (const DeleteOption& option : kOptions) {
            TNViewItem* button = View.GetComponent(option.Name);
            if (button == nullptr)
                continue;
            button->Marked = std::strcmp(option.Name, item->Name.Text) == 0 ? 1 : 0;
            View.SetButtonCheckbox(button);
        }
    });
}

bool TfrmUnidlgDLMR1::AktivujDialog_DeleteRecurringRecord()
{
    return Guarded("[TfrmUnidlgDLMR1::AktivujDialog_DeleteRecurringRecord]", false, [&] {
        // 1.
        SetCaption("Smazat opakovaný záznam");
        NastavNadpis("Smazat opakovaný záznam", "...", true);
        plat::TPanel* panel = PagePanel(kPageKey);
        panel->SetBounds(0, 0, kPageWidth, kPageHeight);
        panel->SetColor(View.DialogColor);
        FitClientToPage(*panel);

        // 2.
        TNPIM* account = PIM[AccountIndex()];
        TNPIMRecord* found = account != nullptr && account->Records != nullptr
                                 ? account->Records->GetRecordByID(static_cast<uint32_t>(i1()))
                                 : nullptr;
        if (found != nullptr &&
            found->GetUsersRights("[TfrmUnidlgDLMR1::AktivujDialog_DeleteRecurringRecord]")->Role == 0) {
            MB("K editaci tohoto záznamu nemáte dostatečná oprávnění", "Chyba", plat::MB_ICONERROR);
            return false;
        }

        // 3.
        for (const DeleteOption& option : kOptions) {
            auto* shape = new TNViewItem();
            shape->Init();
            shape->ButtonTitle = TNString(option.Caption);
            shape->HasCheckbox = 1;
            shape->Marked = 0;
            TNViewItem* button =
                View.CreateComponent(cmpButton, option.Name, this, panel, 0, "", 1, SlotIndex, shape, nullptr, 3);
            if (button == nullptr)
                continue;
            button->SetFlatButtonColors(View.DialogColor);
            button->SetFlatButtonHiColors(View.DialogColor);
            button->OnButtonClick = DeleteRecurringRecordOptionChange;
            if (plat::TLabel* title = button->TitleLabel.Get())
                title->OnClick = [this](plat::TComponent* sender) { btnDeleteRecurringRecordClick(sender); };
            View.SetButtonCheckbox(button);
        }

        // 4.
        pageReady = 1;
        FormResize_DeleteRecurringRecord();
        return true;
    });
}

void TfrmUnidlgDLMR1::FormResize_DeleteRecurringRecord()
{
    Guarded("[TfrmUnidlgDLMR1::FormResize_DeleteRecurringRecord]", [&] {
        plat::TPanel* panel = PagePanel(kPageKey);
        if (panel == nullptr)
            return;
        int32_t top = kMargin;
        for (const DeleteOption& option : kOptions) {
            TNViewItem* button = View.GetComponent(option.Name);
            if (button == nullptr)
                continue;
            View.ResizeButton(button, kMargin, top, panel->Width() - 2 * kMargin, kButtonHeight, true);
            top += kButtonHeight + kButtonGap;
        }
    });
}

void TfrmUnidlgDLMR1::btnDeleteRecurringRecordClick(plat::TComponent* sender)
{
    Guarded("[TfrmUnidlgDLMR1::btnDeleteRecurringRecordClick]", [&] {
        if (TNViewItem* item = View.GetComponentByHandle(sender))
            DeleteRecurringRecordOptionChange(item);
    });
}

bool TfrmUnidlgDLMR1::Save_DeleteRecurringRecord()
{
    int32_t mode = 0;
    for (int32_t i = 0; i < 3 && mode == 0; ++i) {
        TNViewItem* button = View.GetComponent(kOptions[i].Name);
        if (button != nullptr && button->Marked == 1)
            mode = i + 1;
    }
    if (mode == 0) {
        MB("Zaškrtnete práve jednu volbu!", "Chyba", plat::MB_ICONWARNING);
        return false;
    }
    // Its own refusal ("Záznam nenalezen") is shown there; the page stays.
    return frmMainDLMR1 != nullptr && frmMainDLMR1->DeleteRecurringRecordById(static_cast<uint32_t>(i1()), mode);
}
