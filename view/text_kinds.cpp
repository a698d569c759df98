#include "foundation/guard.h"
#include "platform/gui/check_box.h"
#include "platform/gui/edit.h"
#include "platform/gui/form.h"
#include "platform/gui/label.h"
#include "platform/gui/memo.h"
#include "platform/gui/panel.h"
#include "platform/gui/shape.h"
#include "view/field_parts.h"
#include "view/view.h"

using field_parts::Notify;

namespace {

constexpr uint16_t kEnterKey = 13;
constexpr plat::TColor kCheckboxFocusColor = 0xC0C0C0;

// Word-wrapped labels grow downwards at the width given.
void WrapLabelAt(plat::TLabel* label, int left, int top, int width)
{
    label->SetLeft(left);
    label->SetTop(top);
    label->SetAutoSize(false);
    label->SetWidth(width);
    label->SetAutoSize(true);
}

} // namespace

void TNView::CreateMemo(TNView& view, TNViewItem* item)
{
    plat::TPanel* panel = field_parts::MakeFramePanel(view, item, 300, 50, true);
    if (!item->Caption.IsEmpty())
        field_parts::MakeCaptionLabel(view, item, false);
    auto* frame = new plat::TShape(item->OwnerForm.Get());
    frame->SetBrush({plat::clWhite, plat::TBrushStyle::bsClear});
    frame->SetPen({field_parts::kFrameGrey, 1, plat::TPenStyle::psSolid});
    frame->SetParent(panel);
    item->Shapes[0] = frame;
    auto* memo = new plat::TRichEdit(item->OwnerForm.Get());
    field_parts::SetTextPopup(item, memo);
    memo->OnKeyDown = [&view](plat::TComponent* sender, uint16_t& key, plat::TShiftState) {
        view.MemoKeyDown(sender, key);
    };
    memo->SetParent(panel);
    item->Memo = memo;
    panel->SetVisible(true);
}

void TNView::ResizeMemo(TNView& view, TNViewItem* item, int32_t left, int32_t top, int32_t width, int32_t height)
{
    plat::TPanel* panel = item->Panel.Get();
    plat::TRichEdit* memo = item->Memo.Get();
    plat::TShape* frame = item->Shapes[0].Get();
    if (panel == nullptr || memo == nullptr || frame == nullptr)
        return;
    const int32_t margin = item->FrameWidth;
    if (height == -1)
        height = memo->Height() + 2 * margin;
    const int32_t x = view.PlaceCaption(item);
    const int32_t dy = ControlsTop(item);
    panel->SetBounds(left, top, width, dy + height);
    frame->SetBounds(x, dy, panel->Width() - x, panel->Height() - dy);
    memo->SetBounds(x + margin, dy + margin, panel->Width() - x - 2 * margin, panel->Height() - dy - 2 * margin);
}

// A held Enter repeats its key-down before one key-up, so restoring the
// text afterwards would keep a line break; the key is swallowed instead.
void TNView::MemoKeyDown(plat::TComponent* sender, uint16_t& key)
{
    Guarded("[TNView::MemoKeyDown]", [&] {
        TNViewItem* item = GetComponentByHandle(sender);
        if (item != nullptr && item->MemoEnterKeepsText == 1 && key == kEnterKey && item->Memo.Get() != nullptr)
            key = 0;
    });
}

void TNView::CreateEdit(TNView& view, TNViewItem* item)
{
    plat::TPanel* panel = field_parts::MakeFramePanel(view, item, 300, 25, true);
    field_parts::MakeCaptionLabel(view, item, false);
    item->Edits[0] = field_parts::MakeFlatEdit(item, panel);
    panel->SetVisible(true);
}

void TNView::ResizeEdit(TNView& view, TNViewItem* item, int32_t left, int32_t top, int32_t width, int32_t)
{
    plat::TPanel* panel = item->Panel.Get();
    plat::TFlatEdit* edit = item->Edits[0].Get();
    if (panel == nullptr || edit == nullptr)
        return;
    const int32_t x = view.PlaceCaption(item);
    const int32_t dy = ControlsTop(item);
    panel->SetBounds(left, top, width, dy + edit->Height());
    edit->SetBounds(x, dy, panel->Width() - x, panel->Height() - dy);
}

void TNView::CreateLabel(TNView& view, TNViewItem* item)
{
    plat::TPanel* panel = field_parts::MakeFramePanel(view, item, 300, 25, false);
    field_parts::MakeCaptionLabel(view, item, true);
    plat::TLabel* text = field_parts::MakeLabel(view, item, panel, " ", view.FontSize);
    text->SetWordWrap(item->WordWrap == 1);
    item->Labels[2] = text;
}

void TNView::ResizeLabel(TNView& view, TNViewItem* item, int32_t left, int32_t top, int32_t width, int32_t)
{
    plat::TPanel* panel = item->Panel.Get();
    plat::TLabel* text = item->Label(4);
    if (panel == nullptr || text == nullptr)
        return;
    const int32_t x = view.PlaceCaption(item);
    const int32_t dy = ControlsTop(item);
    plat::TLabel* caption = item->CaptionLabel.Get();
    if (text->Caption().empty()) {
        panel->SetBounds(left, top, width, caption != nullptr ? caption->Top() + caption->Height() : 0);
        text->SetBounds(-1, -1, 0, 0);
    } else {
        if (width <= -1)
            width = text->Width();
        panel->SetBounds(left, top, width, dy + text->Height());
        if (item->WordWrap == 1) {
            WrapLabelAt(text, x, dy, panel->Width() - x);
            // The wrapped text must not be cut off until the next layout.
            panel->SetHeight(dy + text->Height());
        } else {
            text->SetBounds(x, dy, panel->Width() - x, panel->Height() - dy);
        }
    }
    panel->SetVisible(item->Shown == 1);
}

void TNView::CreateCheckbox(TNView& view, TNViewItem* item)
{
    plat::TPanel* panel = field_parts::MakeFramePanel(view, item, 25, 25, false);
    field_parts::MakeCaptionLabel(view, item, false);
    auto* box = new plat::TCheckBox(item->OwnerForm.Get());
    box->SetCaption("");
    box->OnEnter = Notify(view, &TNView::CheckboxEnter);
    box->OnExit = Notify(view, &TNView::CheckboxExit);
    box->OnClick = Notify(view, &TNView::CheckboxClick);
    box->SetParent(panel);
    item->CheckBox = box;
    plat::TLabel* text = field_parts::MakeLabel(view, item, panel, "", view.FontSize);
    text->SetWordWrap(true);
    text->OnClick = Notify(view, &TNView::CheckboxLabelClick);
    item->Labels[2] = text;
}

void TNView::ResizeCheckbox(TNView& view, TNViewItem* item, int32_t left, int32_t top, int32_t width, int32_t)
{
    plat::TPanel* panel = item->Panel.Get();
    plat::TCheckBox* box = item->CheckBox.Get();
    plat::TLabel* text = item->Label(4);
    if (panel == nullptr || box == nullptr || text == nullptr)
        return;
    const int32_t x = view.PlaceCaption(item);
    const int32_t dy = ControlsTop(item);
    box->SetBounds(x, dy + 3, 18, 18);
    WrapLabelAt(text, x + 18, dy + 4, width - x - 18);
    panel->SetBounds(left, top, width, text->Height() + 4 + dy);
    panel->SetVisible(item->Shown == 1);
}

void TNView::CheckboxEnter(plat::TComponent* sender)
{
    Guarded("[TNView::CheckboxEnter]", [&] {
        TNViewItem* item = GetComponentByHandle(sender);
        if (item != nullptr && item->CheckBox.Get() != nullptr)
            item->CheckBox.Get()->SetColor(kCheckboxFocusColor);
    });
}

void TNView::CheckboxExit(plat::TComponent* sender)
{
    Guarded("[TNView::CheckboxExit]", [&] {
        TNViewItem* item = GetComponentByHandle(sender);
        plat::TForm* owner = item != nullptr ? item->OwnerForm.Get() : nullptr;
        if (owner != nullptr && item->CheckBox.Get() != nullptr)
            item->CheckBox.Get()->SetColor(owner->Color());
    });
}

void TNView::CheckboxClick(plat::TComponent* sender)
{
    Guarded("[TNView::CheckboxClick]", [&] {
        TNViewItem* item = GetComponentByHandle(sender);
        if (item != nullptr && item->OnChange != nullptr)
            item->OnChange(item);
    });
}

void TNView::CheckboxLabelClick(plat::TComponent* sender)
{
    Guarded("[TNView::CheckboxLabelClick]", [&] {
        TNViewItem* item = GetComponentByHandle(sender);
        plat::TCheckBox* box = item != nullptr ? item->CheckBox.Get() : nullptr;
        if (box == nullptr)
            return;
        box->SetChecked(!box->Checked());
        if (item->OnChange != nullptr)
            item->OnChange(item);
    });
}
