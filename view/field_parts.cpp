#include "view/field_parts.h"

#include "foundation/guard.h"
#include "foundation/program_start.h"
#include "platform/core/file.h"
#include "platform/gui/combo_box.h"
#include "platform/gui/edit.h"
#include "platform/gui/flat_button.h"
#include "platform/gui/form.h"
#include "platform/gui/label.h"
#include "platform/gui/menu.h"
#include "platform/gui/panel.h"
#include "platform/gui/text_metrics.h"
#include "view/hooks.h"
#include "view/image_table.h"
#include "view/view.h"

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
    plat::TLabel* label = view.CreateCaptionLabel(item, item->Panel.Get());
    if (label != nullptr && emptyWhenNoCaption && item->Caption.IsEmpty())
        label->SetCaption("");
    return label;
}

plat::TJvPanel* MakeGreyFrame(TNViewItem* item)
{
    plat::TForm* owner = item->OwnerForm.Get();
    auto* frame = new plat::TJvPanel(owner);
    frame->SetDoubleBuffered(true);
    frame->SetBevelOuter(plat::TBevelCut::bvNone);
    frame->SetColor(kFrameGrey);
    frame->SetCaption("");
    frame->SetParent(item->Panel.Get());
    item->FramePanel1 = frame;
    auto* inner = new plat::TJvPanel(owner);
    inner->SetBevelOuter(plat::TBevelCut::bvNone);
    inner->SetCaption("");
    if (owner != nullptr)
        inner->SetColor(owner->Color());
    inner->SetParent(frame);
    item->FramePanel2 = inner;
    return inner;
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
    if (GetProgramFolder().empty())
        return std::string();
    const std::string path = TNImageTable::PictureFilePath(("Images\\" + name).c_str());
    return plat::FileReadable(path) ? path : std::string();
}

} // namespace field_parts

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
