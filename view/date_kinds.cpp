#include "foundation/guard.h"
#include "platform/gui/combo_box.h"
#include "platform/gui/date_picker.h"
#include "platform/gui/flat_button.h"
#include "platform/gui/form.h"
#include "platform/gui/label.h"
#include "platform/gui/panel.h"
#include "view/field_parts.h"
#include "view/hooks.h"
#include "view/view.h"

#include <cstdio>
#include <string>

using field_parts::Notify;

namespace {

// The date setter's buttons in the item's date-button slots.
enum DateButton { dbSet, dbAddTime, dbHour, dbMinute, dbDelete };
// Its labels: "Čas:" is label 5, ":" label 6.
constexpr int kTimeLabel = 5;
constexpr int kColonLabel = 6;
// The alert editor's labels: the leading one and "před začátkem".
constexpr int kLeadingLabel = 5;
constexpr int kBeforeStartLabel = 9;
// The alert editor's delivery list is the second combo box.
constexpr int kDeliveryCombo = 1;

constexpr int kRowHeight = 25;
constexpr int kPickerWidth = 170;
constexpr int kAddTimeWidth = 70;
constexpr int kTimeButtonWidth = 28;
constexpr int kDeleteWidth = 26;
constexpr int kComboExtraWidth = 25;

struct AlertUnits {
    int Count;
    const char* One;
    const char* TwoToFour;
    const char* Many;
    int DropDownCount;
    int Selected;
};
// Days, hours and minutes before the start.
constexpr AlertUnits kAlertUnits[3] = {
    {63, " den", " dny", " dní", 25, 0},
    {24, " hodinu", " hodiny", " hodin", 25, 0},
    {60, " minutu", " minuty", " minut", 35, 10},
};
constexpr const char* kDeliveries[] = {"Žádné upozornění", "Na obrazovku se zvukem", "E-mailem",
                                       "Na obrazovku + E-mail"};

std::string TwoDigits(int value)
{
    char text[16];
    std::snprintf(text, sizeof text, "%02d", value);
    return text;
}

std::string AlertEntry(const AlertUnits& units, int n)
{
    const char* unit = n == 1 ? units.One : (n >= 2 && n <= 4 ? units.TwoToFour : units.Many);
    return std::to_string(n) + unit;
}

void SetShown(plat::TControl* control, bool shown)
{
    if (control != nullptr)
        control->SetVisible(shown);
}

bool IsShownControl(const plat::TControl* control)
{
    return control != nullptr && control->Visible();
}

// Places a control at x and moves x past it and the gap.
void PlaceAt(plat::TControl* control, int32_t& x, int32_t top, int32_t width, int32_t gap)
{
    control->SetBounds(x, top, width, kRowHeight);
    x += control->Width() + gap;
}

plat::TFlatComboBox* MakeAlertCombo(TNView& view, TNViewItem* item, plat::TWinControl* parent)
{
    plat::TFlatComboBox* combo = field_parts::MakeComboBox(item, parent);
    if (plat::TForm* owner = item->OwnerForm.Get()) {
        combo->SetColor(owner->Color());
        combo->SetColorFlat(owner->Color());
    }
    combo->Font().SetName(view.FontName);
    combo->Font().SetSize(8);
    combo->OnChange = Notify(view, &TNView::AlertComboChange);
    return combo;
}

int32_t SelectedTextWidth(const plat::TFlatComboBox* combo)
{
    const int index = combo->ItemIndex();
    if (index < 0 || index >= static_cast<int>(combo->Items().size()))
        return 0;
    return field_parts::TextWidthIn(combo, combo->Items()[static_cast<size_t>(index)]);
}

// Vertically centred in the frame, as the alert editor's labels stand.
int32_t CentredTop(const plat::TControl* frame, const plat::TControl* label)
{
    return frame->Height() / 2 - label->Height() / 2 - 1;
}

} // namespace

void TNView::CreateDate(TNView& view, TNViewItem* item)
{
    plat::TPanel* panel = field_parts::MakeFramePanel(view, item, 300, kRowHeight, false);
    field_parts::MakeCaptionLabel(view, item, false);
    auto button = [&](DateButton slot, const char* caption, int size, void (TNView::*handler)(plat::TComponent*)) {
        plat::TFlatButton* made = field_parts::MakeFlatButton(view, item, panel, caption, size);
        made->OnClick = Notify(view, handler);
        item->DateButtons[slot] = made;
        return made;
    };
    button(dbSet, "Nastavit datum a čas", 8, &TNView::DateSetClick);
    auto* picker = new plat::TDateTimePicker(item->OwnerForm.Get());
    picker->OnChange = Notify(view, &TNView::DatePickerChange);
    picker->SetParent(panel);
    item->DatePicker = picker;
    button(dbAddTime, "Přidat čas", 8, &TNView::DateAddTimeClick);
    item->Labels[kTimeLabel - 2] = field_parts::MakeLabel(view, item, panel, "Čas:", view.FontSize);
    plat::TFlatButton* hour = button(dbHour, "24", view.FontSize, &TNView::DateHourClick);
    hour->SetColor(plat::clWhite);
    hour->SetShowHint(true);
    hour->SetHint("Hodina");
    item->Labels[kColonLabel - 2] = field_parts::MakeLabel(view, item, panel, ":", view.FontSize);
    plat::TFlatButton* minute = button(dbMinute, "00", view.FontSize, &TNView::DateMinuteClick);
    minute->SetColor(plat::clWhite);
    minute->SetShowHint(true);
    minute->SetHint("Minuta");
    plat::TFlatButton* remove = button(dbDelete, "X", 8, &TNView::DateDeleteClick);
    remove->SetShowHint(true);
    remove->SetHint("Smazat");
}

void TNView::UpdateDateTimeSetter(TNView& view, TNViewItem* item)
{
    Guarded("[TNView::UpdateDateTimeSetter]", [&] {
        plat::TDateTimePicker* picker = item != nullptr ? item->DatePicker.Get() : nullptr;
        if (picker == nullptr)
            return;
        TNTime& time = item->DateValue;
        const bool dateOn = item->HasDate == 1;
        const bool timeOn = item->HasTime == 1;
        if (dateOn && time.Timestamp <= 0)
            time.SetNow();
        if (time.Rok > 0 && time.Mesic > 0 && time.Den > 0)
            picker->SetDate(time.Rok, time.Mesic, time.Den);
        if (plat::TFlatButton* hour = item->DateButtons[dbHour].Get())
            hour->SetCaption(TwoDigits(time.Hodina));
        if (plat::TFlatButton* minute = item->DateButtons[dbMinute].Get())
            minute->SetCaption(TwoDigits(time.Minuta));

        SetShown(item->DateButtons[dbSet].Get(), !dateOn && !timeOn);
        SetShown(picker, dateOn);
        SetShown(item->DateButtons[dbAddTime].Get(),
                 dateOn && !timeOn && item->TimeMayBeAdded == 1 && item->TimeMayBeDeleted == 1);
        for (plat::TControl* part : {static_cast<plat::TControl*>(item->Label(kTimeLabel)),
                                     static_cast<plat::TControl*>(item->DateButtons[dbHour].Get()),
                                     static_cast<plat::TControl*>(item->Label(kColonLabel)),
                                     static_cast<plat::TControl*>(item->DateButtons[dbMinute].Get())})
            SetShown(part, timeOn);
        SetShown(item->DateButtons[dbDelete].Get(),
                 (dateOn && item->DateMayBeDeleted == 1) || (timeOn && item->TimeMayBeDeleted == 1));

        ResizeDate(view, item, -1, 0, 0, 0);
        if (item->OnChange != nullptr)
            item->OnChange(item);
    });
}

void TNView::ResizeDate(TNView& view, TNViewItem* item, int32_t left, int32_t top, int32_t width, int32_t height)
{
    plat::TPanel* panel = item->Panel.Get();
    if (panel == nullptr)
        return;
    const int32_t dy = ControlsTop(item);
    if (left != -1)
        panel->SetBounds(left, top, width, height > 0 ? height : kRowHeight + dy);
    int32_t x = view.PlaceCaption(item);
    plat::TFlatButton* set = item->DateButtons[dbSet].Get();
    if (IsShownControl(set)) {
        set->SetBounds(x, dy, kPickerWidth, kRowHeight);
    } else {
        if (item->HasDate == 1 && item->DatePicker.Get() != nullptr) {
            PlaceAt(item->DatePicker.Get(), x, dy, kPickerWidth, 4);
            if (IsShownControl(item->DateButtons[dbAddTime].Get()))
                PlaceAt(item->DateButtons[dbAddTime].Get(), x, dy, kAddTimeWidth, 4);
        }
        if (item->HasTime == 1) {
            if (plat::TLabel* label = item->Label(kTimeLabel); IsShownControl(label))
                PlaceAt(label, x, dy + 4, label->Width(), 4);
            if (IsShownControl(item->DateButtons[dbHour].Get()))
                PlaceAt(item->DateButtons[dbHour].Get(), x, dy, kTimeButtonWidth, 2);
            if (plat::TLabel* label = item->Label(kColonLabel); IsShownControl(label))
                PlaceAt(label, x, dy + 4, label->Width(), 2);
            if (IsShownControl(item->DateButtons[dbMinute].Get()))
                PlaceAt(item->DateButtons[dbMinute].Get(), x, dy, kTimeButtonWidth, 4);
        }
        if (IsShownControl(item->DateButtons[dbDelete].Get()))
            item->DateButtons[dbDelete].Get()->SetBounds(x, dy, kDeleteWidth, kRowHeight);
    }
    panel->SetVisible(item->Shown == 1);
}

void TNView::DateSetClick(plat::TComponent* sender)
{
    Guarded("[TNView::DateSetClick]", [&] {
        TNViewItem* item = GetComponentByHandle(sender);
        if (item == nullptr)
            return;
        if (item->SetsDate == 1)
            item->HasDate = 1;
        else
            item->HasTime = 1;
        UpdateDateTimeSetter(*this, item);
    });
}

void TNView::DateAddTimeClick(plat::TComponent* sender)
{
    Guarded("[TNView::DateAddTimeClick]", [&] {
        TNViewItem* item = GetComponentByHandle(sender);
        if (item == nullptr)
            return;
        item->HasTime = 1;
        UpdateDateTimeSetter(*this, item);
    });
}

void TNView::DateDeleteClick(plat::TComponent* sender)
{
    Guarded("[TNView::DateDeleteClick]", [&] {
        TNViewItem* item = GetComponentByHandle(sender);
        if (item == nullptr)
            return;
        if (item->HasTime == 1)
            item->HasTime = 0;
        else if (item->HasDate == 1)
            item->HasDate = 0;
        UpdateDateTimeSetter(*this, item);
    });
}

// Hour and minute stay; the timestamp follows the new date.
void TNView::DatePickerChange(plat::TComponent* sender)
{
    Guarded("[TNView::DatePickerChange]", [&] {
        TNViewItem* item = GetComponentByHandle(sender);
        plat::TDateTimePicker* picker = item != nullptr ? item->DatePicker.Get() : nullptr;
        if (picker == nullptr)
            return;
        int year = 0;
        int month = 0;
        int day = 0;
        picker->Date(year, month, day);
        item->DateValue.SetDate(day, month, year);
        item->DateValue.GetTimestamp();
        if (item->OnChange != nullptr)
            item->OnChange(item);
    });
}

void TNView::DateHourClick(plat::TComponent* sender)
{
    Guarded("[TNView::DateHourClick]", [&] {
        if (TNViewItem* item = GetComponentByHandle(sender))
            ViewDialog::ShowTimePicker(1, item->OwnerForm.Get(), item, item->ComponentId, sender,
                                       item->DateValue.Hodina);
    });
}

void TNView::DateMinuteClick(plat::TComponent* sender)
{
    Guarded("[TNView::DateMinuteClick]", [&] {
        if (TNViewItem* item = GetComponentByHandle(sender))
            ViewDialog::ShowTimePicker(2, item->OwnerForm.Get(), item, item->ComponentId, sender,
                                       item->DateValue.Minuta);
    });
}

void TNView::CreateAlert(TNView& view, TNViewItem* item)
{
    plat::TPanel* panel = field_parts::MakeFramePanel(view, item, 300, kRowHeight, true);
    field_parts::MakeCaptionLabel(view, item, false);
    plat::TJvPanel* inner = field_parts::MakeGreyFrame(item);
    item->Labels[kLeadingLabel - 2] = field_parts::MakeLabel(view, item, inner, "", 8);
    for (int i = 0; i < 3; ++i) {
        plat::TFlatComboBox* combo = MakeAlertCombo(view, item, inner);
        for (int n = 0; n < kAlertUnits[i].Count; ++n)
            combo->AddItem(AlertEntry(kAlertUnits[i], n));
        combo->SetDropDownCount(kAlertUnits[i].DropDownCount);
        combo->SetItemIndex(kAlertUnits[i].Selected);
        item->AlertCombos[i] = combo;
    }
    item->Labels[kBeforeStartLabel - 2] = field_parts::MakeLabel(view, item, inner, "před začátkem", 8);
    plat::TFlatComboBox* delivery = MakeAlertCombo(view, item, inner);
    for (const char* entry : kDeliveries)
        delivery->AddItem(entry);
    delivery->SetItemIndex(0);
    delivery->OnDropDown = Notify(view, &TNView::AlertDeliveryDropDown);
    item->Combos[kDeliveryCombo] = delivery;
    UpdateAlertEditor(view, item);
    panel->SetVisible(true);
}

void TNView::UpdateAlertEditor(TNView& view, TNViewItem* item)
{
    Guarded("[TNView::UpdateAlertEditor]", [&] {
        plat::TFlatComboBox* delivery = item != nullptr ? item->Combos[kDeliveryCombo].Get() : nullptr;
        if (delivery == nullptr)
            return;
        const int deliveryIndex = delivery->ItemIndex();
        const bool alerting = deliveryIndex != 0;
        for (const auto& slot : item->AlertCombos) {
            if (plat::TFlatComboBox* combo = slot.Get()) {
                combo->SetEnabled(alerting);
                combo->SetVisible(alerting);
                if (alerting)
                    combo->SetWidth(SelectedTextWidth(combo) + kComboExtraWidth);
            }
        }
        if (plat::TLabel* beforeStart = item->Label(kBeforeStartLabel)) {
            beforeStart->SetEnabled(alerting);
            beforeStart->SetVisible(alerting);
        }
        if (alerting) {
            item->AlertDelivery = deliveryIndex;
            int32_t* values[3] = {&item->AlertDays, &item->AlertHours, &item->AlertMinutes};
            for (int i = 0; i < 3; ++i) {
                if (plat::TFlatComboBox* combo = item->AlertCombos[i].Get())
                    *values[i] = combo->ItemIndex();
            }
        } else {
            item->AlertDelivery = 0;
        }
        delivery->SetWidth(SelectedTextWidth(delivery) + kComboExtraWidth);
        ResizeAlert(view, item, -1, 0, 0, 0);
    });
}

void TNView::ResizeAlert(TNView& view, TNViewItem* item, int32_t left, int32_t top, int32_t width, int32_t height)
{
    plat::TPanel* panel = item->Panel.Get();
    plat::TJvPanel* frame = item->FramePanel1.Get();
    plat::TJvPanel* inner = item->FramePanel2.Get();
    plat::TLabel* leading = item->Label(kLeadingLabel);
    plat::TFlatComboBox* delivery = item->Combos[kDeliveryCombo].Get();
    if (panel == nullptr || frame == nullptr || inner == nullptr || leading == nullptr || delivery == nullptr)
        return;
    if (left != -1)
        panel->SetBounds(left, top, width, height != 0 ? height : kRowHeight);
    const int32_t x0 = view.PlaceCaption(item);
    frame->SetBounds(x0, 0, panel->Width() - x0, panel->Height());
    inner->SetBounds(1, 1, frame->Width() - 2, frame->Height() - 2);
    leading->SetLeft(5);
    leading->SetTop(CentredTop(frame, leading));
    int32_t x = leading->Width();
    plat::TFlatComboBox* days = item->AlertCombos[0].Get();
    if (IsShownControl(days)) {
        for (const auto& slot : item->AlertCombos) {
            if (plat::TFlatComboBox* combo = slot.Get()) {
                combo->SetLeft(x);
                combo->SetTop(0);
                x += combo->Width();
            }
        }
        x += 4;
        if (plat::TLabel* beforeStart = item->Label(kBeforeStartLabel)) {
            beforeStart->SetLeft(x);
            beforeStart->SetTop(CentredTop(frame, beforeStart));
            x += beforeStart->Width();
        }
    }
    delivery->SetLeft(x);
    delivery->SetTop(0);
}

void TNView::AlertComboChange(plat::TComponent* sender)
{
    Guarded("[TNView::AlertComboChange]", [&] {
        if (TNViewItem* item = GetComponentByHandle(sender))
            UpdateAlertEditor(*this, item);
    });
}

// Wide enough to read the long entries while the list is open; the next
// update narrows it again.
void TNView::AlertDeliveryDropDown(plat::TComponent* sender)
{
    Guarded("[TNView::AlertDeliveryDropDown]", [&] {
        TNViewItem* item = GetComponentByHandle(sender);
        plat::TFlatComboBox* delivery = item != nullptr ? item->Combos[kDeliveryCombo].Get() : nullptr;
        plat::TJvPanel* inner = item != nullptr ? item->FramePanel2.Get() : nullptr;
        if (delivery != nullptr && inner != nullptr)
            delivery->SetWidth(inner->Width() - delivery->Left());
    });
}
