#include "dialog/unidlg.h"

#include "foundation/log.h"
#include "foundation/program_start.h"
#include "mainwindow/main_window.h"
#include "platform/gui/button.h"
#include "platform/gui/label.h"

#include <algorithm>
#include <string>

TfrmUnidlgDLMR1::TfrmUnidlgDLMR1() : TNUniDialogForm(nullptr)
{
    SetBorderStyle(plat::TFormBorderStyle::bsDialog);
    SetBounds(0, 0, 360, 140);
    labelText_ = new plat::TLabel(this);
    labelText_->SetParent(this);
    labelText_->SetWordWrap(true);
    labelText_->SetBounds(16, 16, 328, 60);
    btnOK_ = new plat::TButton(this);
    btnOK_->SetParent(this);
    btnOK_->SetCaption("OK");
    btnOK_->SetDefault(true);
    btnOK_->SetModalResult(plat::mrOk);
    btnOK_->SetBounds(142, 96, 75, 25);
    OnActivate = [this](plat::TComponent*) { FormActivate(); };
    ExportOnBus(kUniversalDialogClass);
}

plat::LRESULT TfrmUnidlgDLMR1::Dispatch(plat::TMessageId message, plat::WPARAM wParam, plat::LPARAM lParam)
{
    if (message == plat::WM_DALMORA_RESTORE) {
        if (frmMainDLMR1 != nullptr)
            frmMainDLMR1->RestoreApplication();
        return 1;
    }
    return TNUniDialogForm::Dispatch(message, wParam, lParam);
}

bool TfrmUnidlgDLMR1::AktivujDialog()
{
    if (Key != "MB") {
        LogWrite("[AktivujDialog] not built yet: ", Key.c_str(), false);
        return false;
    }
    SetCaption(MessageBoxFields.Caption);
    labelText_->SetCaption(MessageBoxFields.Text);
    MessageBoxFields.Result = 1;
    return true;
}

void TfrmUnidlgDLMR1::FormActivate()
{
    if (frmMainDLMR1 != nullptr)
        frmMainDLMR1->windowTable[std::clamp(SlotIndex + 1, 1, TfrmMainDLMR1::kMaxDialogs)] = this;
}

void InstallUniversalDialog()
{
    SetUniDialogFactory([]() -> TNUniDialogForm* { return new TfrmUnidlgDLMR1(); });
}
