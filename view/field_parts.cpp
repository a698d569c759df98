#include "view/field_parts.h"

#include "foundation/guard.h"
#include "foundation/program_start.h"
#include "platform/gui/combo_box.h"
#include "platform/gui/edit.h"
#include "platform/gui/flat_button.h"
#include "platform/gui/form.h"
#include "platform/gui/label.h"
#include "platform/gui/menu.h"
#include "platform/gui/panel.h"
#include "platform/gui/text_metrics.h"
#include "view/hooks.h"
#include "view/view.h"

#include <algorithm>
#include <unistd.h>

namespace field_parts {

plat::TPanel* MakeFramePanel(TNView& view, TNViewItem* item, int width, int height, bool hidden)
{
    plat::TForm* owner = item->OwnerForm.Get();
    auto* panel = new plat::TPanel(owner);
    panel->SetDoubleBuffered(true);
    panel->SetBevelInner(plat::TBevelCut::bvNone);
    panel->SetBevelOuter(plat::TBevelCut::bvNone);
    panel->SetCaption("");
    if (owner != nullptr)
        panel->SetColor(owner->Color());
    panel->Font().SetName(view.FontName);
    panel->Font().SetSize(10);
    panel->SetBounds(8, 8, width, height);
    if (hidden)
        panel->SetVisible(false);
    panel->SetParent(item->ParentControl.Get());
    item->Panel = panel;
    return panel;
}

plat::TLabel* MakeCaptionLabel(TNView& view, TNViewItem* item, bool emptyWhenNoCaption)
{
    plat::TLabel* label = MakeLabel(view, item, item->Panel.Get(), "", view.FontSize);
    label->SetAlignment(static_cast<plat::TAlignment>(item->CaptionAlignment));
    const std::string caption(item->Caption.Text != nullptr ? item->Caption.Text : "");
    label->SetCaption(caption.empty() && emptyWhenNoCaption ? std::string() : caption + ":");
    item->CaptionLabel = label;
    plat::TForm* owner = item->OwnerForm.Get();
    plat::TWinControl* parent = item->ParentControl.Get();
    const int32_t widest = view.GetCaptionMaxWidth(owner, parent, item->Column);
    view.SetCaptionMaxWidth(owner, parent, std::max(widest, label->Width()), item->Column, item);
    return label;
}

plat::TLabel* MakeLabel(TNView& view, TNViewItem* item, plat::TWinControl* parent, const std::string& text, int size)
{
    auto* label = new plat::TLabel(item->OwnerForm.Get());
    label->SetTransparent(true);
    label->Font().SetName(view.FontName);
    label->Font().SetSize(size);
    label->SetCaption(text);
    label->SetParent(parent);
    return label;
}

plat::TFlatEdit* MakeFlatEdit(TNViewItem* item, plat::TWinControl* parent)
{
    auto* edit = new plat::TFlatEdit(item->OwnerForm.Get());
    edit->SetColor(plat::clWhite);
    edit->SetFocusedColor(plat::clWhite);
    edit->SetBorderColor(kFrameGrey);
    SetTextPopup(item, edit);
    edit->SetParent(parent);
    return edit;
}

plat::TFlatButton* MakeFlatButton(TNView& view, TNViewItem* item, plat::TWinControl* parent, const std::string& caption,
                                  int size)
{
    auto* button = new plat::TFlatButton(item->OwnerForm.Get());
    button->SetTabStop(true);
    button->Font().SetName(view.FontName);
    button->Font().SetSize(size);
    button->SetCaption(caption);
    button->SetParent(parent);
    return button;
}

plat::TFlatComboBox* MakeComboBox(TNViewItem* item, plat::TWinControl* parent)
{
    auto* combo = new plat::TFlatComboBox(item->OwnerForm.Get());
    combo->SetColorBorder(kFrameGrey);
    combo->SetStyle(plat::TComboBoxStyle::csDropDownList);
    combo->SetParent(parent);
    return combo;
}

void SetTextPopup(TNViewItem* item, plat::TWinControl* control)
{
    plat::TComponent* menu = item->FormTag >= 0 ? ViewDialog::popupText(item->FormTag) : ViewMain::popupText();
    control->SetPopupMenu(dynamic_cast<plat::TPopupMenu*>(menu));
}

int TextWidthIn(const plat::TControl* control, const std::string& text)
{
    return control != nullptr ? TNView::GetTextWidth(text.c_str(), control->Font()) : 0;
}

std::string ProgramImage(const std::string& name)
{
    const std::string folder = GetProgramFolder();
    if (folder.empty())
        return std::string();
    // "Images" and "images" are one folder of the program.
    for (const char* images : {"Images/", "images/"}) {
        const std::string path = folder + images + name;
        if (access(path.c_str(), R_OK) == 0)
            return path;
    }
    return std::string();
}

} // namespace field_parts

int32_t TNView::PlaceCaption(TNViewItem* item)
{
    return Guarded("[TNView::PlaceCaption]", 0, [&] {
        plat::TLabel* label = item != nullptr ? item->CaptionLabel.Get() : nullptr;
        if (label == nullptr || item->Caption.IsEmpty())
            return 0;
        label->SetLeft(7);
        label->SetTop(4);
        if (item->CaptionPosition == 0 || item->CaptionPosition == 2) {
            label->SetLeft(0);
            return 0;
        }
        plat::TForm* owner = item->OwnerForm.Get();
        plat::TWinControl* parent = item->ParentControl.Get();
        const int32_t widest =
            std::max(GetCaptionMaxWidth(owner, parent, item->Column), static_cast<int32_t>(label->Width()));
        SetCaptionMaxWidth(owner, parent, widest, item->Column, item);
        if (label->Alignment() == plat::TAlignment::taRightJustify)
            label->SetLeft(7 + widest - label->Width());
        return widest + 14;
    });
}

int32_t TNView::ControlsTop(TNViewItem* item)
{
    plat::TLabel* label = item != nullptr ? item->CaptionLabel.Get() : nullptr;
    if (label == nullptr || item->CaptionPosition != 0)
        return 0;
    if ((item->Type == cmpListBox || item->Type == cmpLabel) && label->Caption().empty())
        return 0;
    const int32_t bottom = label->Top() + label->Height();
    const bool tight = item->Type == cmpEdit || item->Type == cmpComboBox2 || item->Type == cmpComboBox3;
    return tight ? bottom : bottom + 4;
}

bool TNView::UpdateComponent(const char* name)
{
    return Guarded("[TNView::UpdateComponent]", false, [&] {
        TNViewItem* item = GetComponent(name);
        if (item == nullptr || item->Type != cmpDate)
            return false;
        UpdateDateTimeSetter(*this, item);
        return true;
    });
}
