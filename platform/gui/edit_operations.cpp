#include "platform/gui/edit_operations.h"

#include "platform/gui/custom_edit.h"
#include "platform/gui/date_picker.h"
#include "platform/gui/form.h"
#include "platform/gui/list_box.h"
#include "platform/gui/main_thread.h"
#include "platform/gui/screen.h"

namespace plat {
namespace {

TWinControl* ActiveControlOf(void* form)
{
    return form != nullptr ? static_cast<TForm*>(form)->ActiveControl() : nullptr;
}

void Apply(TCustomEdit& edit, TEditOperation operation)
{
    switch (operation) {
    case TEditOperation::Undo:
        edit.Undo();
        break;
    case TEditOperation::Copy:
        edit.CopyToClipboard();
        break;
    case TEditOperation::Cut:
        edit.CutToClipboard();
        break;
    case TEditOperation::Paste:
        edit.PasteFromClipboard();
        break;
    case TEditOperation::ClearSelection:
        edit.ClearSelection();
        break;
    case TEditOperation::SelectAll:
        edit.SelectAll();
        break;
    }
}

} // namespace

const char* ActiveControlClassName(void* form)
{
    TWinControl* control = ActiveControlOf(form);
    return control != nullptr ? control->ClassName() : nullptr;
}

void EditActiveControl(void* form, int32_t operation)
{
    RequireMainThread("TForm", "EditActiveControl");
    TWinControl* control = ActiveControlOf(form);
    const auto op = static_cast<TEditOperation>(operation);
    if (auto* edit = dynamic_cast<TCustomEdit*>(control))
        Apply(*edit, op);
    else if (auto* list = dynamic_cast<TListBox*>(control); list != nullptr && op == TEditOperation::SelectAll)
        list->SelectAll();
    else if (auto* picker = dynamic_cast<TDateTimePicker*>(control);
             picker != nullptr && (op == TEditOperation::Copy || op == TEditOperation::Cut))
        Clipboard::SetText(picker->ShownText());
}

} // namespace plat
