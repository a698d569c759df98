#pragma once

#include "platform/gui/form.h"

#include <atomic>
#include <cstdint>
#include <string>

// The universal dialog as the main window's bridge opens it: a form that
// takes the bridge's fields and prepares its page by key. `dialog/` makes
// them through the factory it installs at start-up, so the bridge never
// names the dialog's class.
class TNUniDialogForm : public plat::TForm {
public:
    using plat::TForm::TForm;

    // Prepares the page of Key; false when the dialog must not be shown.
    virtual bool AktivujDialog() = 0;
    // Takes a group (kind 1) or a contact (kind 2) out of the record
    // editor's share-with selection; false when the page holds none.
    virtual bool RemoveFromShareWith(int32_t kind, uint32_t id);

    int32_t SlotIndex = -1;
    // The slot of the dialog that opened this one; -1 when the main window
    // (or no sender) did.
    int32_t CallerTag = -1;
    std::string Key;
    // p1 to p8 at 0 to 7; p6 (index 5) is the server position.
    int32_t Params[8] = {};
};

using TNUniDialogFactory = TNUniDialogForm* (*)();
void SetUniDialogFactory(TNUniDialogFactory factory);

// The open dialogs, one slot per nesting depth.
constexpr int32_t kUniDialogSlots = 32;
extern TNUniDialogForm* frmUnidlgDLMR1[kUniDialogSlots];

// The message-box page's fields: text and caption the main window's MB
// writes, the result the page leaves.
struct TNMessageBoxFields {
    std::string Text;
    std::string Caption;
    int32_t Result = 0;
};
extern TNMessageBoxFields MessageBoxFields;
// Set while the bridge shows a message box of its own.
extern std::atomic<uint8_t> MessageBoxShown;
