#include "mainwindow/dialog_bridge.h"

#include "foundation/app_info.h"
#include "foundation/guard.h"
#include "foundation/log.h"
#include "mainwindow/main_window.h"
#include "platform/gui/dialogs.h"
#include "platform/gui/font.h"
#include "platform/gui/screen.h"

#include <memory>

TNUniDialogForm* frmUnidlgDLMR1[kUniDialogSlots] = {};
TNMessageBoxFields MessageBoxFields;
std::atomic<uint8_t> MessageBoxShown{0};

namespace {

TNUniDialogFactory dialogFactory = nullptr;

// The slot of the open dialog that is the sender or holds it; -1 for the
// main window, its controls and no sender.
int32_t ParentSlotOf(plat::TComponent* sender)
{
    for (plat::TComponent* at = sender; at != nullptr; at = at->Owner()) {
        auto* dialog = dynamic_cast<TNUniDialogForm*>(at);
        if (dialog == nullptr) {
            if (auto* control = dynamic_cast<plat::TControl*>(at);
                control != nullptr && control->ParentForm() != nullptr)
                dialog = dynamic_cast<TNUniDialogForm*>(control->ParentForm());
        }
        if (dialog != nullptr && dialog->SlotIndex >= 0 && dialog->SlotIndex < kUniDialogSlots &&
            frmUnidlgDLMR1[dialog->SlotIndex] == dialog)
            return dialog->SlotIndex;
    }
    return -1;
}

} // namespace

bool TNUniDialogForm::RemoveFromShareWith(int32_t, uint32_t)
{
    return false;
}

void SetUniDialogFactory(TNUniDialogFactory factory)
{
    dialogFactory = factory;
}

int32_t TfrmMainDLMR1::UniDialog(const char* key, plat::TComponent* sender, int32_t p1, int32_t p2, int32_t p3,
                                 int32_t p4, int32_t p5, int32_t p6, int32_t p7, int32_t p8)
{
    return Guarded("[TfrmMainDLMR1::UniDialog]", -1, [&]() -> int32_t {
        plat::Screen::SetCursor(plat::crHourGlass);
        if (p6 < 0 || p6 >= App.PimServersCount)
            p6 = 0;
        if (dialogDepth_ >= kMaxDialogs || dialogFactory == nullptr) {
            plat::Screen::SetCursor(plat::crDefault);
            MessageBoxShown = 1;
            plat::MessageBox("Dialogové okno se nepodařilo otevřít!", "CHYBA", plat::MB_ICONERROR);
            MessageBoxShown = 0;
            return -1;
        }

        // Whatever the page or its modal loop throws, the slot is freed,
        // the count goes back and the cursor is the default again.
        const int32_t slot = dialogDepth_++;
        struct FreeSlot {
            TfrmMainDLMR1& form;
            int32_t slot;
            plat::TOwned<TNUniDialogForm> dialog;
            ~FreeSlot()
            {
                dialog.reset();
                frmUnidlgDLMR1[slot] = nullptr;
                form.windowTable[slot + 1] = nullptr;
                --form.dialogDepth_;
                plat::Screen::SetCursor(plat::crDefault);
            }
        } guard{*this, slot, plat::TOwned<TNUniDialogForm>(dialogFactory())};
        TNUniDialogForm* dialog = guard.dialog.get();
        if (dialog == nullptr)
            return -1;
        frmUnidlgDLMR1[slot] = dialog;

        dialog->CallerTag = ParentSlotOf(sender);
        dialog->SlotIndex = slot;
        dialog->Key = key != nullptr ? key : "";
        const int32_t params[8] = {p1, p2, p3, p4, p5, p6, p7, p8};
        for (int i = 0; i < 8; ++i)
            dialog->Params[i] = params[i];
        Guarded("[TfrmMainDLMR1::UniDialog_Font]", [&] {
            dialog->Font().SetName(Font().Name());
            dialog->Font().SetSize(Font().Size());
        });

        if (dialog->AktivujDialog()) {
            plat::Screen::SetCursor(plat::crDefault);
            dialog->ShowModal();
        } else {
            plat::Screen::SetCursor(plat::crDefault);
        }
        guard.dialog.reset();
        frmUnidlgDLMR1[slot] = nullptr;

        if (dialogDepth_ - 1 == 0) {
            Show();
            LogText("[UniDialog][BringToFront][A]");
            BringToFront();
            if (controlClickBusy == 0) {
                LogText("[UniDialog][BringToFront][B]");
                SetFocus();
            }
            BringToForeground();
        }
        return slot;
    });
}

int32_t TfrmMainDLMR1::MB(const char* text, const char* caption, int32_t kind)
{
    MessageBoxFields.Text = text != nullptr ? text : "";
    MessageBoxFields.Caption = caption != nullptr ? caption : "";
    MessageBoxFields.Result = 0;
    UniDialog("MB", this, 0, 0, 0, 0, 0, 0, 0, kind);
    return MessageBoxFields.Result;
}
