#include "foundation/common.h"
#include "foundation/guard.h"
#include "platform/gui/edit.h"
#include "platform/gui/flat_button.h"
#include "platform/gui/label.h"
#include "platform/gui/panel.h"
#include "view/field_parts.h"
#include "view/view.h"

#include <algorithm>
#include <functional>
#include <string>

using field_parts::Notify;

namespace {

struct StepButton {
    const char* Caption;
    int32_t Step;
};
constexpr StepButton kStepButtons[] = {{"-15", -15}, {"-5", -5}, {"-1", -1}, {"+1", 1}, {"+5", 5}, {"+15", 15}};

// The number edit and the repeat interval's hours edit are the second
// edit, the repeat interval's minutes edit the third.
constexpr int kNumberEdit = 1;
constexpr int kMinutesEdit = 2;
// The number edit's unit label.
constexpr int kUnitLabel = 4;
// The repeat interval's three labels.
constexpr int kRepeatLabels[] = {5, 6, 7};
constexpr const char* kRepeatTexts[] = {"Opakovat každých ", " hodin a ", " minut"};

constexpr int kRowHeight = 23;

// Marks the item's change handling as running for one scope; false when it
// already runs (a nested change fired by the text it writes back).
class ChangeScope {
public:
    explicit ChangeScope(TNViewItem& item) : item_(item), entered_(item.NumberChangeRunning == 0)
    {
        item_.NumberChangeRunning = 1;
    }
    ~ChangeScope()
    {
        if (entered_)
            item_.NumberChangeRunning = 0;
    }
    ChangeScope(const ChangeScope&) = delete;
    ChangeScope& operator=(const ChangeScope&) = delete;
    bool Entered() const { return entered_; }

private:
    TNViewItem& item_;
    bool entered_;
};

// The number field whose edit sent an event; both null when none.
struct NumberField {
    TNViewItem* Item = nullptr;
    plat::TFlatEdit* Edit = nullptr;
};

NumberField FindNumberField(TNView& view, plat::TComponent* sender)
{
    TNViewItem* item = view.GetComponentByHandle(sender);
    auto* edit = dynamic_cast<plat::TFlatEdit*>(sender);
    if (item == nullptr || edit == nullptr)
        return {};
    return {item, edit};
}

// Runs `handle` for the number field whose edit changed, unless the
// field's change handling already runs: the text it writes back fires the
// change again.
template <class Handle> void HandleChangeOnce(TNView& view, plat::TComponent* sender, Handle handle)
{
    const auto [item, edit] = FindNumberField(view, sender);
    if (item == nullptr)
        return;
    ChangeScope scope(*item);
    if (scope.Entered())
        handle(item, edit);
}

plat::TFlatEdit* MakeNumberEdit(TNView& view, TNViewItem* item, plat::TWinControl* parent,
                                void (TNView::*change)(plat::TComponent*), void (TNView::*exit)(plat::TComponent*))
{
    plat::TFlatEdit* edit = field_parts::MakeFlatEdit(item, parent);
    edit->OnChange = Notify(view, change);
    edit->OnExit = Notify(view, exit);
    return edit;
}

void RunOnChange(TNViewItem* item)
{
    if (item->OnChange != nullptr)
        item->OnChange(item);
}

// The caption's top when the caption stands above the row, else 0, and
// the label's own top for the row's labels.
void RowTops(TNViewItem* item, int32_t& controlsTop, int32_t& labelTop)
{
    plat::TLabel* caption = item->CaptionLabel.Get();
    controlsTop = 0;
    labelTop = caption != nullptr ? caption->Top() : 0;
    if (caption != nullptr && item->CaptionPosition == 0) {
        controlsTop = caption->Top() + caption->Height() + 4;
        labelTop = 0;
    }
}

// A text set by the program fires the edit's change, whose handling is
// what `change` would run; it is called only when the text stayed.
void FillWhenEmpty(plat::TFlatEdit* edit, int32_t value, const std::function<void()>& change)
{
    if (edit->Text().empty()) {
        edit->SetText(std::to_string(value));
        if (!edit->Text().empty())
            return;
    }
    change();
}

} // namespace

void TNView::CreateNumberEdit(TNView& view, TNViewItem* item)
{
    plat::TPanel* panel = field_parts::MakeFramePanel(view, item, 300, 25, false);
    field_parts::MakeCaptionLabel(view, item, false);
    plat::TFlatEdit* edit = MakeNumberEdit(view, item, panel, &TNView::NumberEditChange, &TNView::NumberEditExit);
    item->Edits[kNumberEdit] = edit;
    item->Labels[kUnitLabel - 2] = field_parts::MakeLabel(view, item, panel, "", view.FontSize);
    for (size_t i = 0; i < std::size(kStepButtons); ++i) {
        plat::TFlatButton* button = field_parts::MakeFlatButton(view, item, panel, kStepButtons[i].Caption, 8);
        button->SetVisible(false);
        button->SetTag(kStepButtons[i].Step);
        button->SetBounds(0, 0, field_parts::TextWidthIn(button, kStepButtons[i].Caption) + 16, edit->Height());
        button->OnClick = Notify(view, &TNView::NumberEditStepClick);
        item->Buttons[i] = button;
    }
}

void TNView::ResizeNumberEdit(TNView& view, TNViewItem* item, int32_t left, int32_t top, int32_t width, int32_t)
{
    plat::TPanel* panel = item->Panel.Get();
    plat::TFlatEdit* edit = item->Edits[kNumberEdit].Get();
    plat::TLabel* unit = item->Label(kUnitLabel);
    if (panel == nullptr || edit == nullptr || unit == nullptr)
        return;
    int32_t x = view.PlaceCaption(item);
    int32_t dy = 0;
    int32_t labelTop = 0;
    RowTops(item, dy, labelTop);
    panel->SetBounds(left, top, width, dy + kRowHeight);
    int32_t editWidth = panel->Width() - x;
    if (item->NumberEditWidth > -1)
        editWidth = std::min(editWidth, item->NumberEditWidth);
    edit->SetBounds(x, dy, editWidth, panel->Height() - dy);
    x += editWidth + 4;
    unit->SetBounds(x, labelTop, unit->Width(), unit->Height());
    x += unit->Width() + 7;
    for (const auto& slot : item->Buttons) {
        plat::TFlatButton* button = slot.Get();
        if (button == nullptr)
            continue;
        if (item->StepButtons == 0) {
            button->SetVisible(false);
            continue;
        }
        button->SetBounds(x, edit->Top(), button->Width(), edit->Height());
        x += button->Width() + 1;
        button->SetVisible(true);
    }
    panel->SetVisible(item->Shown == 1);
}

// Keeps the text a number within the limits while the user types.
void TNView::NumberEditChange(plat::TComponent* sender)
{
    Guarded("[TNView::NumberEditChange]", [&] {
        HandleChangeOnce(*this, sender, [&](TNViewItem* item, plat::TFlatEdit* edit) {
            const std::string text = edit->Text();
            const int caret = edit->SelStart();
            const bool forceMinimum = item->MinValue2 >= 0;
            if (!text.empty()) {
                int32_t value = TNCommon::StrToInt(text.c_str());
                if (value < item->MinValue1 && forceMinimum)
                    value = item->MinValue1;
                value = std::min(value, item->MaxValue1);
                const std::string accepted = std::to_string(value);
                if (accepted.size() != text.size() || text != item->LastAcceptedText) {
                    if (forceMinimum)
                        edit->SetText(accepted);
                    edit->SetSelStart(caret);
                }
            }
            item->LastAcceptedText = edit->Text();
            item->Value = TNCommon::StrToInt(item->LastAcceptedText.c_str());
            RunOnChange(item);
        });
    });
}

void TNView::NumberEditExit(plat::TComponent* sender)
{
    Guarded("[TNView::NumberEditExit]", [&] {
        const auto [item, edit] = FindNumberField(*this, sender);
        if (item == nullptr)
            return;
        const auto change = [&] { NumberEditChange(sender); };
        if (item->MinValue2 >= 0)
            FillWhenEmpty(edit, item->MinValue1, change);
        else
            change();
    });
}

void TNView::NumberEditStepClick(plat::TComponent* sender)
{
    Guarded("[TNView::NumberEditStepClick]", [&] {
        TNViewItem* item = GetComponentByHandle(sender);
        plat::TFlatEdit* edit = item != nullptr ? item->Edits[kNumberEdit].Get() : nullptr;
        if (edit == nullptr)
            return;
        int32_t value = TNCommon::StrToInt(edit->Text().c_str());
        const int32_t step = static_cast<int32_t>(sender->Tag());
        if (step < 0)
            value = value + step > 0 ? value + step : 0;
        else
            value = value + step < item->MaxValue1 ? value + step : item->MaxValue1;
        edit->SetText(std::to_string(value));
    });
}

void TNView::CreateRepeatInterval(TNView& view, TNViewItem* item)
{
    plat::TPanel* panel = field_parts::MakeFramePanel(view, item, 300, 25, false);
    field_parts::MakeCaptionLabel(view, item, false);
    const auto label = [&](int slot) {
        item->Labels[kRepeatLabels[slot] - 2] =
            field_parts::MakeLabel(view, item, panel, kRepeatTexts[slot], view.FontSize);
    };
    label(0);
    item->Edits[kNumberEdit] = MakeNumberEdit(view, item, panel, &TNView::NumberEditChange, &TNView::NumberEditExit);
    label(1);
    item->Edits[kMinutesEdit] =
        MakeNumberEdit(view, item, panel, &TNView::RepeatMinutesChange, &TNView::RepeatMinutesExit);
    label(2);
}

// The edits share what the three labels leave of the width.
void TNView::ResizeRepeatInterval(TNView& view, TNViewItem* item, int32_t left, int32_t top, int32_t width, int32_t)
{
    plat::TPanel* panel = item->Panel.Get();
    plat::TFlatEdit* hours = item->Edits[kNumberEdit].Get();
    plat::TFlatEdit* minutes = item->Edits[kMinutesEdit].Get();
    plat::TLabel* labels[3] = {item->Label(kRepeatLabels[0]), item->Label(kRepeatLabels[1]),
                               item->Label(kRepeatLabels[2])};
    if (panel == nullptr || hours == nullptr || minutes == nullptr || labels[0] == nullptr || labels[1] == nullptr ||
        labels[2] == nullptr)
        return;
    int32_t x = view.PlaceCaption(item);
    const int32_t dy = ControlsTop(item);
    panel->SetBounds(left, top, width, dy + kRowHeight);
    int32_t editWidth = (width - labels[0]->Width() - labels[1]->Width() - labels[2]->Width()) / 2;
    if (item->NumberEditWidth > -1)
        editWidth = std::min(editWidth, item->NumberEditWidth);
    const auto placeLabel = [&](plat::TLabel* label) {
        label->SetLeft(x);
        label->SetTop(dy + 4);
        x += label->Width();
    };
    const auto placeEdit = [&](plat::TFlatEdit* edit) {
        edit->SetBounds(x, dy, editWidth, panel->Height() - dy);
        x += editWidth;
    };
    placeLabel(labels[0]);
    placeEdit(hours);
    placeLabel(labels[1]);
    placeEdit(minutes);
    placeLabel(labels[2]);
    panel->SetVisible(item->Shown == 1);
}

void TNView::RepeatMinutesChange(plat::TComponent* sender)
{
    Guarded("[TNView::RepeatMinutesChange]", [&] {
        HandleChangeOnce(*this, sender, [&](TNViewItem* item, plat::TFlatEdit* edit) {
            const std::string text = edit->Text();
            if (!text.empty()) {
                const int32_t value =
                    std::min(std::max(TNCommon::StrToInt(text.c_str()), item->MinValue2), item->MaxValue2);
                const std::string accepted = std::to_string(value);
                if (accepted.size() != text.size() || text != item->LastAcceptedText) {
                    edit->SetText(accepted);
                    edit->SetSelStart(static_cast<int>(accepted.size()));
                }
            }
            item->LastAcceptedText = edit->Text();
            RunOnChange(item);
        });
    });
}

void TNView::RepeatMinutesExit(plat::TComponent* sender)
{
    Guarded("[TNView::RepeatMinutesExit]", [&] {
        const auto [item, edit] = FindNumberField(*this, sender);
        if (item != nullptr)
            FillWhenEmpty(edit, item->MinValue2, [&] { RepeatMinutesChange(sender); });
    });
}
