#include "foundation/guard.h"
#include "platform/gui/canvas.h"
#include "platform/gui/combo_box.h"
#include "platform/gui/flat_button.h"
#include "platform/gui/form.h"
#include "platform/gui/list_box.h"
#include "platform/gui/panel.h"
#include "view/field_parts.h"
#include "view/view.h"

using field_parts::Notify;

namespace {

struct ChoiceButton {
    const char* Caption;
    int32_t Value;
};

// Buttons of the importance row; the third is the fallback.
constexpr ChoiceButton kPriorityButtons[] = {{"Urgentní", 99}, {"Důležité", 10}, {"Normální", 0}, {"Nedůležité", -10}};
constexpr int kPriorityFallback = 2;
// Buttons of the visibility row; the first is the fallback.
constexpr ChoiceButton kVisibilityButtons[] = {{"Já + pozvaní", 0}, {"Mé kontakty", 3}, {"Veřejné", 1}};
constexpr int kVisibilityFallback = 0;

constexpr int kRowHeight = 25;
constexpr int kButtonGap = 3;
constexpr int kComboGap = 8;
constexpr int kListRowHeight = 28;

constexpr plat::TColor kSelectedFace = 0x8C8278;
constexpr plat::TColor kOtherFace = 0xF5F5F5;
constexpr plat::TColor kOtherText = 0x969696;
constexpr plat::TColor kOtherBorder = 0xFAFAFA;
constexpr plat::TColor kSelectedRow = 0x996600;

template <size_t N>
void CreateButtonRow(TNView& view, TNViewItem* item, const ChoiceButton (&buttons)[N],
                     void (TNView::*handler)(plat::TComponent*))
{
    plat::TPanel* panel = field_parts::MakeFramePanel(view, item, 300, kRowHeight, false);
    field_parts::MakeCaptionLabel(view, item, false);
    for (size_t i = 0; i < N; ++i) {
        plat::TFlatButton* button = field_parts::MakeFlatButton(view, item, panel, buttons[i].Caption, 8);
        button->SetTag(buttons[i].Value);
        button->SetBounds(0, 0, field_parts::TextWidthIn(button, buttons[i].Caption) + 16, kRowHeight);
        button->OnClick = Notify(view, handler);
        item->Buttons[i] = button;
    }
}

void ResizeButtonRow(TNView& view, TNViewItem* item, int32_t left, int32_t top, int32_t width)
{
    plat::TPanel* panel = item->Panel.Get();
    if (panel == nullptr)
        return;
    panel->SetBounds(left, top, width, kRowHeight);
    int32_t x = view.PlaceCaption(item);
    for (const auto& slot : item->Buttons) {
        plat::TFlatButton* button = slot.Get();
        if (button == nullptr)
            continue;
        button->SetLeft(x);
        x += button->Width() + kButtonGap;
    }
}

void PaintButton(plat::TFlatButton* button, plat::TColor text, plat::TColor border, plat::TColor face)
{
    button->Font().SetColor(text);
    button->SetColorBorder(border);
    button->SetColor(face);
    button->SetColorFocused(face);
    button->SetColorDown(face);
    button->SetColorHighLight(face);
}

template <size_t N> void SelectButton(TNViewItem* item, const ChoiceButton (&buttons)[N], int fallback, int32_t value)
{
    int selected = fallback;
    for (size_t i = 0; i < N; ++i) {
        if (buttons[i].Value == value)
            selected = static_cast<int>(i);
    }
    for (size_t i = 0; i < N; ++i) {
        plat::TFlatButton* button = item->Buttons[i].Get();
        if (button == nullptr)
            continue;
        if (static_cast<int>(i) == selected)
            PaintButton(button, plat::clWhite, plat::clBlack, kSelectedFace);
        else
            PaintButton(button, kOtherText, kOtherBorder, kOtherFace);
    }
    item->Value = value;
}

void CreateCombos(TNView& view, TNViewItem* item, int count)
{
    plat::TPanel* panel = field_parts::MakeFramePanel(view, item, 300, kRowHeight, false);
    field_parts::MakeCaptionLabel(view, item, false);
    for (int i = 0; i < count; ++i)
        item->Combos[i] = field_parts::MakeComboBox(item, panel);
}

// The combos side by side, each the same share of the row.
void ResizeCombos(TNView& view, TNViewItem* item, int count, int32_t left, int32_t top, int32_t width)
{
    plat::TPanel* panel = item->Panel.Get();
    plat::TFlatComboBox* first = item->Combos[0].Get();
    if (panel == nullptr || first == nullptr)
        return;
    const int32_t dy = TNView::ControlsTop(item);
    int32_t x = view.PlaceCaption(item);
    panel->SetBounds(left, top, width, dy + first->Height());
    const int32_t comboWidth = (panel->Width() - x - kComboGap * (count - 1)) / count;
    for (int i = 0; i < count; ++i) {
        plat::TFlatComboBox* combo = item->Combos[i].Get();
        if (combo == nullptr)
            continue;
        combo->SetBounds(x, dy, comboWidth, panel->Height() - dy);
        x += comboWidth + kComboGap;
    }
    panel->SetVisible(item->Shown == 1);
}

} // namespace

void TNView::CreatePriority(TNView& view, TNViewItem* item)
{
    CreateButtonRow(view, item, kPriorityButtons, &TNView::PriorityButtonClick);
    UpdatePriorityButtons(view, item, 0);
}

void TNView::CreateVisibility(TNView& view, TNViewItem* item)
{
    CreateButtonRow(view, item, kVisibilityButtons, &TNView::VisibilityButtonClick);
    UpdateVisibilityButtons(view, item, 0);
}

void TNView::ResizePriority(TNView& view, TNViewItem* item, int32_t left, int32_t top, int32_t width, int32_t)
{
    ResizeButtonRow(view, item, left, top, width);
}

void TNView::ResizeVisibility(TNView& view, TNViewItem* item, int32_t left, int32_t top, int32_t width, int32_t)
{
    ResizeButtonRow(view, item, left, top, width);
}

void TNView::UpdatePriorityButtons(TNView&, TNViewItem* item, int32_t value)
{
    Guarded("[TNView::UpdatePriorityButtons]", [&] {
        if (item != nullptr)
            SelectButton(item, kPriorityButtons, kPriorityFallback, value);
    });
}

void TNView::UpdateVisibilityButtons(TNView&, TNViewItem* item, int32_t value)
{
    Guarded("[TNView::UpdateVisibilityButtons]", [&] {
        if (item != nullptr)
            SelectButton(item, kVisibilityButtons, kVisibilityFallback, value);
    });
}

void TNView::PriorityButtonClick(plat::TComponent* sender)
{
    Guarded("[TNView::PriorityButtonClick]", [&] {
        if (TNViewItem* item = GetComponentByHandle(sender))
            UpdatePriorityButtons(*this, item, static_cast<int32_t>(sender->Tag()));
    });
}

void TNView::VisibilityButtonClick(plat::TComponent* sender)
{
    Guarded("[TNView::VisibilityButtonClick]", [&] {
        if (TNViewItem* item = GetComponentByHandle(sender))
            UpdateVisibilityButtons(*this, item, static_cast<int32_t>(sender->Tag()));
    });
}

void TNView::CreateComboBox(TNView& view, TNViewItem* item)
{
    CreateCombos(view, item, 1);
    if (plat::TFlatComboBox* combo = item->Combos[0].Get())
        combo->SetDropDownCount(35);
}

void TNView::CreateComboBox2(TNView& view, TNViewItem* item)
{
    CreateCombos(view, item, 2);
}

void TNView::CreateComboBox3(TNView& view, TNViewItem* item)
{
    CreateCombos(view, item, 3);
}

void TNView::ResizeComboBox(TNView& view, TNViewItem* item, int32_t left, int32_t top, int32_t width, int32_t)
{
    ResizeCombos(view, item, 1, left, top, width);
}

void TNView::ResizeComboBox2(TNView& view, TNViewItem* item, int32_t left, int32_t top, int32_t width, int32_t)
{
    ResizeCombos(view, item, 2, left, top, width);
}

void TNView::ResizeComboBox3(TNView& view, TNViewItem* item, int32_t left, int32_t top, int32_t width, int32_t)
{
    ResizeCombos(view, item, 3, left, top, width);
}

void TNView::CreateListBox(TNView& view, TNViewItem* item)
{
    plat::TPanel* panel = field_parts::MakeFramePanel(view, item, 300, kRowHeight, false);
    field_parts::MakeCaptionLabel(view, item, true);
    auto* list = new plat::TListBox(item->OwnerForm.Get());
    list->SetStyle(plat::TListBoxStyle::lbOwnerDrawFixed);
    list->SetItemHeight(kListRowHeight);
    list->OnClick = Notify(view, &TNView::ListBoxClick);
    list->OnDrawItem = [](plat::TComponent* sender, int index, const plat::TRect& rect, plat::TOwnerDrawState state,
                          plat::TCanvas& canvas) {
        ListBoxDrawItem(sender, index, rect, (state & plat::odSelected) != 0, canvas);
    };
    list->SetParent(panel);
    item->ListBox = list;
}

void TNView::ResizeListBox(TNView& view, TNViewItem* item, int32_t left, int32_t top, int32_t width, int32_t height)
{
    plat::TPanel* panel = item->Panel.Get();
    plat::TListBox* list = item->ListBox.Get();
    if (panel == nullptr || list == nullptr)
        return;
    panel->SetBounds(left, top, width, height);
    const int32_t x = view.PlaceCaption(item);
    const int32_t dy = ControlsTop(item);
    list->SetBounds(x, dy, panel->Width() - x, panel->Height() - dy);
    panel->SetVisible(item->Shown == 1);
}

void TNView::ListBoxClick(plat::TComponent* sender)
{
    Guarded("[TNView::ListBoxClick]", [&] {
        TNViewItem* item = GetComponentByHandle(sender);
        if (item != nullptr && item->OnChange != nullptr)
            item->OnChange(item);
    });
}

void TNView::ListBoxDrawItem(plat::TComponent* control, int32_t index, const plat::TRect& rect, bool selected,
                             plat::TCanvas& canvas)
{
    Guarded("[TNView::ListBoxDrawItem]", [&] {
        auto* list = dynamic_cast<plat::TListBox*>(control);
        if (list == nullptr || list->Items().empty() || index < 0 ||
            index >= static_cast<int32_t>(list->Items().size()))
            return;
        canvas.Font.Assign(list->Font());
        canvas.Brush = {selected ? kSelectedRow : plat::clWhite, plat::TBrushStyle::bsSolid};
        canvas.Pen = {plat::clWhite, 1, plat::TPenStyle::psSolid};
        canvas.Font.SetColor(selected ? plat::clWhite : plat::clBlack);
        canvas.Rectangle(rect);
        canvas.TextOut(rect.Left + 6, rect.Top + 6, list->Items()[static_cast<size_t>(index)]);
    });
}
