#pragma once

#include "mainwindow/dialog_bridge.h"

namespace plat {
class TButton;
class TLabel;
} // namespace plat

// SCAFFOLD: stands in for the universal dialog until its pages exist. It
// takes the bridge's fields, answers the restore message on the window bus,
// enters the main window's window table when activated, and serves only the
// message-box page "MB": the caption, the text and one "OK" button, result
// 1. Every other key is logged as not built yet and not shown.
class TfrmUnidlgDLMR1 final : public TNUniDialogForm {
public:
    TfrmUnidlgDLMR1();
    const char* ClassName() const override { return "TfrmUnidlgDLMR1"; }

    plat::LRESULT Dispatch(plat::TMessageId message, plat::WPARAM wParam, plat::LPARAM lParam) override;
    bool AktivujDialog() override;

    plat::TLabel* labelText() const { return labelText_; }
    plat::TButton* btnOK() const { return btnOK_; }

private:
    void FormActivate();

    plat::TLabel* labelText_ = nullptr;
    plat::TButton* btnOK_ = nullptr;
};

// Makes the bridge create this dialog.
void InstallUniversalDialog();
