// The caption label of a field and the caption column it lines up in.

#include "foundation/guard.h"
#include "platform/gui/form.h"
#include "platform/gui/label.h"
#include "platform/gui/win_control.h"
#include "view/view.h"

#include <algorithm>
#include <string>

plat::TLabel* TNView::CreateCaptionLabel(TNViewItem* item, plat::TWinControl* panel)
{
    return Guarded("[TNView::CreateCaptionLabel]", static_cast<plat::TLabel*>(nullptr), [&]() -> plat::TLabel* {
        if (item == nullptr)
            return nullptr;
        auto* label = new plat::TLabel(item->OwnerForm.Get());
        label->SetParent(panel);
        label->SetTransparent(true);
        label->SetShowAccelChar(false);
        label->Font().SetName(FontName);
        label->Font().SetSize(FontSize);
        label->SetAlignment(item->CaptionAlignment == 1   ? plat::TAlignment::taRightJustify
                            : item->CaptionAlignment == 2 ? plat::TAlignment::taCenter
                                                          : plat::TAlignment::taLeftJustify);
        label->SetCaption(std::string(item->Caption.Text != nullptr ? item->Caption.Text : "") + ":");
        item->CaptionLabel = label;
        plat::TForm* owner = item->OwnerForm.Get();
        plat::TWinControl* parent = item->ParentControl.Get();
        int32_t widest = GetCaptionMaxWidth(owner, parent, item->Column);
        SetCaptionMaxWidth(owner, parent, std::max(widest, label->Width()), item->Column, item);
        return label;
    });
}

int32_t TNView::PlaceCaption(TNViewItem* item)
{
    return Guarded("[TNView::PlaceCaption]", 0, [&] {
        plat::TLabel* label = item != nullptr ? item->CaptionLabel.Get() : nullptr;
        if (label == nullptr || item->Caption.Length == 0)
            return 0;
        label->SetBounds(7, 4, label->Width(), label->Height());
        if (item->CaptionPosition == 0 || item->CaptionPosition == 2) {
            label->SetBounds(0, 4, label->Width(), label->Height());
            return 0;
        }
        plat::TForm* owner = item->OwnerForm.Get();
        plat::TWinControl* parent = item->ParentControl.Get();
        int32_t widest = std::max(GetCaptionMaxWidth(owner, parent, item->Column), label->Width());
        SetCaptionMaxWidth(owner, parent, widest, item->Column, item);
        if (item->CaptionAlignment == 1)
            label->SetBounds(7 + widest - label->Width(), 4, label->Width(), label->Height());
        return widest + 14;
    });
}
