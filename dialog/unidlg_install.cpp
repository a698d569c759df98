// Start-up wiring: the bridge's dialog factory, the time picker's factory
// and the view's calls into the open dialogs.

#include "dialog/selectorfrm.h"
#include "dialog/unidlg.h"
#include "mainwindow/main_window.h"
#include "mainwindow/program_windows.h"
#include "online/hooks.h"
#include "view/hooks.h"

namespace {

TfrmUnidlgDLMR1* TopmostDialog()
{
    for (int32_t slot = kUniDialogSlots - 1; slot >= 0; --slot) {
        if (TfrmUnidlgDLMR1* dialog = UniDialogInSlot(slot))
            return dialog;
    }
    return nullptr;
}

} // namespace

void InstallUniversalDialog()
{
    SetUniDialogFactory([]() -> TNUniDialogForm* { return new TfrmUnidlgDLMR1(); });
    SetTimePickerFactory([]() -> plat::TForm* { return new TfrmSelector(); });
    ViewDialogHooks.Form = [](int32_t formTag) -> plat::TForm* { return UniDialogInSlot(formTag); };
    ViewDialogHooks.popupText = [](int32_t formTag) -> plat::TComponent* {
        TfrmUnidlgDLMR1* dialog = UniDialogInSlot(formTag);
        return dialog != nullptr ? dialog->popupText : nullptr;
    };
    ViewDialogHooks.UniDialog = [](const char* key, plat::TForm* caller, const int32_t params[8]) -> int32_t {
        if (frmMainDLMR1 == nullptr)
            return -1;
        return frmMainDLMR1->UniDialog(key, caller, params[0], params[1], params[2], params[3], params[4], params[5],
                                       params[6], params[7]);
    };
    ViewDialogHooks.EditedRecordId = [](int32_t formTag) -> uint32_t {
        TfrmUnidlgDLMR1* dialog = UniDialogInSlot(formTag);
        TfrmUnidlgDLMR1* editor = dialog != nullptr ? dialog->RecordEditor() : nullptr;
        return editor != nullptr ? editor->EditedRecordId() : 0;
    };
    ViewDialogHooks.ShareWithGroups = [](int32_t formTag) -> TNShareSelection {
        TfrmUnidlgDLMR1* dialog = UniDialogInSlot(formTag);
        TfrmUnidlgDLMR1* editor = dialog != nullptr ? dialog->RecordEditor() : nullptr;
        return editor != nullptr ? editor->shareGroups.View() : TNShareSelection{};
    };
    ViewDialogHooks.ShareWithContacts = [](int32_t formTag) -> TNShareSelection {
        TfrmUnidlgDLMR1* dialog = UniDialogInSlot(formTag);
        TfrmUnidlgDLMR1* editor = dialog != nullptr ? dialog->RecordEditor() : nullptr;
        return editor != nullptr ? editor->shareContacts.View() : TNShareSelection{};
    };
    DialogHooks.HandOverRecordFromServer = [](int32_t dialogIndex, uint64_t dialogId,
                                              std::shared_ptr<const TNPIMRecord> record,
                                              std::shared_ptr<const TNPIMSharing> sharing) {
        if (TfrmUnidlgDLMR1* dialog = UniDialogInSlot(dialogIndex))
            dialog->TakeRecordFromServer(dialogId, std::move(record), std::move(sharing));
    };
    ViewDialogHooks.FormResize = [] {
        if (TfrmUnidlgDLMR1* dialog = TopmostDialog())
            dialog->FormResize();
    };
    InstallNewAccountHooks();
    ViewDialogHooks.ShowTimePicker = [](int32_t type, plat::TForm* owner, TNViewItem*, uint32_t componentId,
                                        plat::TComponent* button, int32_t value) {
        if (frmSelector != nullptr)
            frmSelector->Open(type, owner, componentId, button, value);
    };
}
