// The recurrence editor page: frequency, range and settings columns over
// the rule of the record editor's working record, a live preview of the
// occurrences under the settings, and OK, which hands the rule back to the
// editor that opened the page.

#include "dialog/unidlg.h"

#include "dialog/recurrence_logic.h"
#include "foundation/common.h"
#include "foundation/guard.h"
#include "foundation/log.h"
#include "model/pim.h"
#include "model/records.h"
#include "model/users_rights.h"
#include "platform/gui/check_box.h"
#include "platform/gui/combo_box.h"
#include "platform/gui/dialogs.h"
#include "platform/gui/edit.h"
#include "platform/gui/label.h"
#include "platform/gui/list_box.h"
#include "platform/gui/panel.h"
#include "view/view.h"

#include <string>
#include <vector>

namespace {

constexpr int32_t kPageWidth = 840;
constexpr int32_t kPageHeight = 420;
constexpr int32_t kMargin = 14;
constexpr int32_t kGap = 14;
constexpr int32_t kFirstRow = 8;
constexpr int32_t kFrequencyWidth = 120;
constexpr int32_t kFrequencyHeight = 195;
constexpr int32_t kRangeWidth = 272;
constexpr int32_t kRangeHeight = 111;
constexpr plat::TColor kRefusalRed = 0x0000C8;
constexpr const char* kPageKey = "RecordRecurrence";
constexpr const char* kNoHourlyWithoutTime = "Záznam bez nastaveného času nelze opakovat po hodinách";

// Captions stand above the fields (position 0), beside them for the
// weekday boxes (3).
TNViewItem* Make(TfrmUnidlgDLMR1& dialog, int8_t kind, const char* name, int32_t column, const char* caption,
                 int32_t captionPosition = 0)
{
    return View.CreateComponent(kind, name, &dialog, dialog.PagePanel(kPageKey), column, caption, 1, dialog.SlotIndex,
                                nullptr, nullptr, captionPosition);
}

std::string WeekdayBoxName(int32_t weekday)
{
    return "check8WeeklyDay" + std::to_string(weekday);
}

plat::TFlatComboBox* Combo(const char* name, int32_t index)
{
    TNViewItem* item = View.GetComponent(name);
    return item != nullptr ? item->Combos[index].Get() : nullptr;
}

int32_t ComboAt(const char* name, int32_t index)
{
    plat::TFlatComboBox* combo = Combo(name, index);
    return combo != nullptr ? combo->ItemIndex() : 0;
}

void FillComboAt(const char* name, int32_t index, const std::vector<std::string>& entries, int32_t selected)
{
    if (plat::TFlatComboBox* combo = Combo(name, index)) {
        combo->SetItems(entries);
        combo->SetItemIndex(selected);
    }
}

void SelectComboAt(const char* name, int32_t index, int32_t selected)
{
    if (plat::TFlatComboBox* combo = Combo(name, index))
        combo->SetItemIndex(selected);
}

plat::TListBox* List(const char* name)
{
    TNViewItem* item = View.GetComponent(name);
    return item != nullptr ? item->ListBox.Get() : nullptr;
}

int32_t ListIndex(const char* name)
{
    plat::TListBox* list = List(name);
    return list != nullptr ? list->ItemIndex() : 0;
}

void FillList(const char* name, const std::vector<std::string>& entries, int32_t selected)
{
    if (plat::TListBox* list = List(name)) {
        list->SetItems(entries);
        list->SetItemIndex(selected);
    }
}

std::string EditText(const char* name, int32_t edit)
{
    TNViewItem* item = View.GetComponent(name);
    plat::TFlatEdit* control = item != nullptr ? item->Edits[edit].Get() : nullptr;
    return control != nullptr ? control->Text() : std::string();
}

void SetEditText(const char* name, int32_t edit, const std::string& text)
{
    TNViewItem* item = View.GetComponent(name);
    if (plat::TFlatEdit* control = item != nullptr ? item->Edits[edit].Get() : nullptr)
        control->SetText(text);
}

void SetNumberLimits(TNViewItem* item, int32_t low, int32_t high, int32_t width)
{
    if (item == nullptr)
        return;
    item->MinValue1 = low;
    item->MaxValue1 = high;
    item->NumberEditWidth = width;
}

void WrapText(TNViewItem* item)
{
    if (item == nullptr)
        return;
    item->WordWrap = 1;
    if (plat::TLabel* text = item->Label(4))
        text->SetWordWrap(true);
}

void SetLabelLook(const char* name, plat::TColor color, bool bold)
{
    TNViewItem* item = View.GetComponent(name);
    plat::TLabel* text = item != nullptr ? item->Label(4) : nullptr;
    if (text == nullptr)
        return;
    text->Font().SetColor(color);
    text->Font().SetStyle(bold ? plat::fsBold : plat::TFontStyles{});
}

// The dialog of a page component, found by the slot the component carries.
TfrmUnidlgDLMR1* DialogOf(TNViewItem* item)
{
    return item != nullptr ? UniDialogInSlot(item->FormTag) : nullptr;
}

void BindComboChange(const char* name, int32_t count, void (TfrmUnidlgDLMR1::*change)())
{
    TNViewItem* item = View.GetComponent(name);
    if (item == nullptr)
        return;
    const uint32_t id = item->ComponentId;
    for (int32_t i = 0; i < count; ++i) {
        if (plat::TFlatComboBox* combo = item->Combos[i].Get())
            combo->OnChange = [id, change](plat::TComponent*) {
                if (TfrmUnidlgDLMR1* dialog = DialogOf(View.GetComponentById(id)))
                    (dialog->*change)();
            };
    }
}

bool RecordHasTime(const TNPIMRecord* record)
{
    return record == nullptr || record->Begin.Hodina != TNTime::NoTime;
}

} // namespace

void RecurrenceFrequencyOrRangeItemChange(TNViewItem* item)
{
    if (item == nullptr || item->ListBox.Get() == nullptr)
        return;
    if (TfrmUnidlgDLMR1* dialog = DialogOf(item))
        dialog->RecurrenceFrequencyOrRangeChange(item);
}

void RecurrencePreviewItemChange(TNViewItem* item)
{
    if (TfrmUnidlgDLMR1* dialog = DialogOf(item))
        dialog->ShowRecurrencePreview();
}

// ---------------------------------------------------------------------------
// Build

bool TfrmUnidlgDLMR1::AktivujDialog_RecordRecurrence()
{
    return Guarded("[TfrmUnidlgDLMR1::AktivujDialog_RecordRecurrence]", false, [&] {
        // 1.
        SetCaption("Opakování záznamu");
        NastavNadpis("Opakování záznamu", "...", true);
        plat::TPanel* panel = PagePanel(kPageKey);
        panel->SetBounds(0, 0, kPageWidth, kPageHeight);
        panel->SetColor(View.DialogColor);
        FitClientToPage(*panel);

        // 2.
        recordAccount = PIM[AccountIndex()] != nullptr ? AccountIndex() : 0;
        TNPIM* account = PIM[recordAccount];
        TNPIMRecord* found = account != nullptr && account->Records != nullptr && i1() != 0
                                 ? account->Records->GetRecordByID(static_cast<uint32_t>(i1()))
                                 : nullptr;
        if (found != nullptr && found->GetUsersRights("[TfrmUnidlgDLMR1::AktivujDialog_RecordRecurrence]")->Role == 0) {
            MB("K editaci tohoto záznamu nemáte dostatečná oprávnění", "Chyba", plat::MB_ICONERROR);
            return false;
        }

        // 3.
        workingRecord.reset();
        const TNPIMRecord* source = ParentWorkingRecord();
        if (source == nullptr)
            source = found;
        if (source != nullptr) {
            workingRecord = std::make_unique<TNPIMRecord>(account);
            workingRecord->Copy(source);
        }

        // 4. - 6.
        CreateRecurrenceComponents();
        TNRecurrenceToday today;
        const TNTime now = c.CopyOfToday();
        today = {now.Rok, now.Mesic, now.Den, now.DayNo};
        const TNRecurrenceComponents presets = RecurrencePresets(workingRecord.get(), today);
        LogTextInt("[EndDate] ", presets.EndDate.Year * 10000 + presets.EndDate.Month * 100 + presets.EndDate.Day);
        SetRecurrenceComponents(presets, RecordHasTime(workingRecord.get()));
        BindRecurrenceChanges();

        // 7.
        pageReady = 1;
        FormResize_RecordRecurrence();
        RecurrenceFrequencyOrRangeChange(View.GetComponent("list8Frequency"));
        return true;
    });
}

void TfrmUnidlgDLMR1::CreateRecurrenceComponents()
{
    Make(*this, cmpListBox, "list8Frequency", 0, "Frekvence");
    WrapText(Make(*this, cmpLabel, "label8Range", 1, "Rozsah opakování"));
    View.SetText("label8Range", "Záznam se neopakuje", false, 0);
    Make(*this, cmpListBox, "list8Range", 1, "Rozsah opakování");
    SetNumberLimits(Make(*this, cmpNumberEdit, "edit8Count", 1, "Počet opakování"), 1, 1000, 80);
    if (TNViewItem* end = Make(*this, cmpDate, "date8EndDate", 1, "Ukončit po datu")) {
        end->SetsDate = 1;
        end->DateMayBeDeleted = 0;
        end->TimeMayBeAdded = 0;
        end->TimeMayBeDeleted = 0;
    }
    WrapText(Make(*this, cmpLabel, "label8Settings", 2, "Nastavení"));
    View.SetText("label8Settings", "Zvolte možnost opakování ve sloupci Frekvence", false, 0);
    if (TNViewItem* hourly =
            Make(*this, cmpRepeatInterval, "edit8RepeatHourly", 2, "Opakovat po hodinách a minutách")) {
        SetNumberLimits(hourly, 0, 168, 50);
        hourly->MinValue2 = 0;
        hourly->MaxValue2 = 59;
    }
    SetNumberLimits(Make(*this, cmpNumberEdit, "edit8RepeatDaily", 2, "Opakovat každých X dní"), 1, 999, 80);
    SetNumberLimits(Make(*this, cmpNumberEdit, "edit8RepeatWeekly", 2, "Opakovat každých X týdnů"), 1, 999, 80);
    for (int32_t weekday = 1; weekday <= 7; ++weekday)
        Make(*this, cmpCheckbox, WeekdayBoxName(weekday).c_str(), 2,
             std::string(TNCommon::DayNameAnsi(weekday).View()).c_str(), 3);
    SetNumberLimits(Make(*this, cmpNumberEdit, "edit8RepeatMonthly", 2, "Opakovat každých X měsíců"), 1, 999, 80);
    Make(*this, cmpComboBox, "select8MonthlyDayOfMonth", 2, "Číslo dne v měsíci");
    Make(*this, cmpComboBox2, "select8MonthlyDayOfWeekInMonth", 2, "Konkrétní týden a den v měsíci");
    SetNumberLimits(Make(*this, cmpNumberEdit, "edit8RepeatAnnually", 2, "Opakovat každých X roků"), 1, 999, 80);
    Make(*this, cmpComboBox2, "select8AnnuallyDayInMonth", 2, "Konkrétní týden a den v měsíci");
    Make(*this, cmpComboBox3, "select8AnnuallyDayOfWeekInMonth", 2, "Konkrétní týden a den v měsíci");
    WrapText(Make(*this, cmpLabel, "label8Preview", 2, "Náhled výsledku"));
    View.SetText("label8Preview", "Nothing to see here.", false, 0);
}

// Presets only: no change callback is bound yet, so the texts set here
// run no preview against a page half made.
void TfrmUnidlgDLMR1::SetRecurrenceComponents(const TNRecurrenceComponents& values, bool hasTime)
{
    FillList("list8Frequency", RecurrenceFrequencyEntries(hasTime), values.Frequency);
    FillList("list8Range", RecurrenceRangeEntries(), values.Range);
    SetEditText("edit8Count", 1, values.Count);
    if (TNViewItem* end = View.GetComponent("date8EndDate")) {
        end->HasDate = 1;
        end->HasTime = 0;
        end->DateValue.SetDate(values.EndDate.Day, values.EndDate.Month, values.EndDate.Year);
        end->DateValue.NastavCas(TNTime::NoTime, 0);
        View.UpdateComponent("date8EndDate");
    }
    SetEditText("edit8RepeatHourly", 1, values.HourlyHours);
    SetEditText("edit8RepeatHourly", 2, values.HourlyMinutes);
    SetEditText("edit8RepeatDaily", 1, values.Daily);
    SetEditText("edit8RepeatWeekly", 1, values.Weekly);
    for (int32_t weekday = 1; weekday <= 7; ++weekday)
        View.SetCheckboxValue(WeekdayBoxName(weekday).c_str(), values.WeeklyDays[weekday - 1]);
    SetEditText("edit8RepeatMonthly", 1, values.Monthly);
    FillComboAt("select8MonthlyDayOfMonth", 0, RecurrenceMonthlyDayEntries(), values.MonthlyDay);
    FillComboAt("select8MonthlyDayOfWeekInMonth", 0, RecurrenceWeekEntries(), values.MonthlyWeek);
    FillComboAt("select8MonthlyDayOfWeekInMonth", 1, RecurrenceWeekdayEntries(), values.MonthlyWeekday);
    SetEditText("edit8RepeatAnnually", 1, values.Annually);
    FillComboAt("select8AnnuallyDayInMonth", 0, RecurrenceAnnualDayEntries(), values.AnnualDay);
    FillComboAt("select8AnnuallyDayInMonth", 1, RecurrenceMonthEntries(), values.AnnualDayMonth);
    FillComboAt("select8AnnuallyDayOfWeekInMonth", 0, RecurrenceWeekEntries(), values.AnnualWeek);
    FillComboAt("select8AnnuallyDayOfWeekInMonth", 1, RecurrenceWeekdayEntries(), values.AnnualWeekday);
    FillComboAt("select8AnnuallyDayOfWeekInMonth", 2, RecurrenceMonthEntries(), values.AnnualWeekMonth);
}

void TfrmUnidlgDLMR1::BindRecurrenceChanges()
{
    for (const char* list : {"list8Frequency", "list8Range"}) {
        if (TNViewItem* item = View.GetComponent(list))
            item->OnChange = RecurrenceFrequencyOrRangeItemChange;
    }
    std::vector<std::string> previewed = {"edit8Count",         "date8EndDate",      "edit8RepeatHourly",
                                          "edit8RepeatDaily",   "edit8RepeatWeekly", "edit8RepeatMonthly",
                                          "edit8RepeatAnnually"};
    for (int32_t weekday = 1; weekday <= 7; ++weekday)
        previewed.push_back(WeekdayBoxName(weekday));
    for (const std::string& name : previewed) {
        if (TNViewItem* item = View.GetComponent(name.c_str()))
            item->OnChange = RecurrencePreviewItemChange;
    }
    BindComboChange("select8MonthlyDayOfMonth", 1, &TfrmUnidlgDLMR1::select8MonthlyDayOfMonthChange);
    BindComboChange("select8MonthlyDayOfWeekInMonth", 2, &TfrmUnidlgDLMR1::select8MonthlyDayOfWeekInMonthChange);
    BindComboChange("select8AnnuallyDayInMonth", 2, &TfrmUnidlgDLMR1::select8AnnuallyDayInMonthChange);
    BindComboChange("select8AnnuallyDayOfWeekInMonth", 3, &TfrmUnidlgDLMR1::select8AnnuallyDayOfWeekInMonthChange);
}

TNRecurrenceComponents TfrmUnidlgDLMR1::RecurrenceComponents() const
{
    TNRecurrenceComponents values;
    values.Frequency = ListIndex("list8Frequency");
    values.Range = ListIndex("list8Range");
    values.Count = EditText("edit8Count", 1);
    if (TNViewItem* end = View.GetComponent("date8EndDate"); end != nullptr && end->HasDate == 1)
        values.EndDate = TNEditorDate::DateOnly(end->DateValue.Rok, end->DateValue.Mesic, end->DateValue.Den);
    values.HourlyHours = EditText("edit8RepeatHourly", 1);
    values.HourlyMinutes = EditText("edit8RepeatHourly", 2);
    values.Daily = EditText("edit8RepeatDaily", 1);
    values.Weekly = EditText("edit8RepeatWeekly", 1);
    for (int32_t weekday = 1; weekday <= 7; ++weekday)
        values.WeeklyDays[weekday - 1] = View.GetCheckboxValue(WeekdayBoxName(weekday).c_str());
    values.Monthly = EditText("edit8RepeatMonthly", 1);
    values.MonthlyDay = ComboAt("select8MonthlyDayOfMonth", 0);
    values.MonthlyWeek = ComboAt("select8MonthlyDayOfWeekInMonth", 0);
    values.MonthlyWeekday = ComboAt("select8MonthlyDayOfWeekInMonth", 1);
    values.Annually = EditText("edit8RepeatAnnually", 1);
    values.AnnualDay = ComboAt("select8AnnuallyDayInMonth", 0);
    values.AnnualDayMonth = ComboAt("select8AnnuallyDayInMonth", 1);
    values.AnnualWeek = ComboAt("select8AnnuallyDayOfWeekInMonth", 0);
    values.AnnualWeekday = ComboAt("select8AnnuallyDayOfWeekInMonth", 1);
    values.AnnualWeekMonth = ComboAt("select8AnnuallyDayOfWeekInMonth", 2);
    return values;
}

// ---------------------------------------------------------------------------
// Shown components and layout

void TfrmUnidlgDLMR1::RecurrenceFrequencyOrRangeChange(TNViewItem* sender)
{
    Guarded("[TfrmUnidlgDLMR1::RecurrenceFrequencyOrRangeChange]", [&] {
        // 1.
        if (sender == nullptr || sender->ListBox.Get() == nullptr)
            return;
        const bool fromRange = std::string(sender->Name.View()) == "list8Range";
        TNViewItem* frequencyList = fromRange ? View.GetComponent("list8Frequency") : sender;
        TNViewItem* rangeList = fromRange ? sender : View.GetComponent("list8Range");
        if (frequencyList == nullptr || rangeList == nullptr || frequencyList->ListBox.Get() == nullptr ||
            rangeList->ListBox.Get() == nullptr)
            return;
        const int32_t frequency = frequencyList->ListBox->ItemIndex();
        const int32_t range = rangeList->ListBox->ItemIndex();

        // 2.
        if (workingRecord != nullptr) {
            workingRecord->RecurrenceFrequency = frequency;
            workingRecord->Range = range;
        }

        // 3. - 6.
        if (View.GetComponent("label8Settings") != nullptr) {
            const TNRecurrenceShown shown = RecurrenceShownComponents(frequency, range);
            for (const std::string& name : RecurrenceSwitchedComponents()) {
                bool visible = false;
                for (const std::string& on : shown.Visible)
                    visible = visible || on == name;
                View.ShowOrHideShowComponent(View.GetComponent(name.c_str()), visible);
            }
            View.SetText("label8Settings", shown.SettingsText.c_str(), false, 0);
        }

        // 7.
        frequencyList->ListBox->SetTag(frequency);
        ShowRecurrencePreview();
        FormResize();
    });
}

void TfrmUnidlgDLMR1::FormResize_RecordRecurrence()
{
    Guarded("[TfrmUnidlgDLMR1::FormResize_RecordRecurrence]", [&] {
        plat::TPanel* panel = PagePanel(kPageKey);
        if (panel == nullptr)
            return;
        // Each component under the last one that takes room.
        const auto stack = [](const char* name, int32_t left, int32_t& top, int32_t width, int32_t height) {
            if (!View.ResizeComponentByName(name, left, top, width, height, true))
                return;
            const int32_t taken = View.GetHeight(name);
            if (taken > 0)
                top += taken + kGap;
        };
        int32_t top = kFirstRow;
        stack("list8Frequency", kMargin, top, kFrequencyWidth, kFrequencyHeight);

        const int32_t rangeLeft = kMargin + kFrequencyWidth + kMargin;
        top = kFirstRow;
        stack("label8Range", rangeLeft, top, kRangeWidth, 0);
        stack("list8Range", rangeLeft, top, kRangeWidth, kRangeHeight);
        stack("edit8Count", rangeLeft, top, kRangeWidth, 0);
        stack("date8EndDate", rangeLeft, top, kRangeWidth, 0);
        const int32_t rangeBottom = top;

        const int32_t settingsLeft = rangeLeft + kRangeWidth + kMargin;
        const int32_t settingsWidth = panel->Width() - settingsLeft - kMargin;
        top = kFirstRow;
        for (const std::string& name : RecurrenceSwitchedComponents()) {
            if (name == "label8Range" || name == "list8Range" || name == "edit8Count" || name == "date8EndDate")
                continue;
            stack(name.c_str(), settingsLeft, top, settingsWidth, 0);
            // The seven weekday boxes are one group: no gap inside it, so
            // that the week and its preview fit the page.
            if (name.rfind("check8WeeklyDay", 0) == 0 && name != "check8WeeklyDay7" && View.GetHeight(name.c_str()) > 0)
                top -= kGap;
        }
        // The preview reaches back under the range column, once that column
        // ends above it: three entries fit a line there.
        const int32_t previewLeft = top >= rangeBottom ? rangeLeft : settingsLeft;
        stack("label8Preview", previewLeft, top, panel->Width() - previewLeft - kMargin, 0);
    });
}

// ---------------------------------------------------------------------------
// The two day rules of a month exclude each other.

void TfrmUnidlgDLMR1::select8MonthlyDayOfMonthChange()
{
    SelectComboAt("select8MonthlyDayOfWeekInMonth", 0, 0);
    SelectComboAt("select8MonthlyDayOfWeekInMonth", 1, 0);
    ShowRecurrencePreview();
}

void TfrmUnidlgDLMR1::select8MonthlyDayOfWeekInMonthChange()
{
    SelectComboAt("select8MonthlyDayOfMonth", 0, 0);
    ShowRecurrencePreview();
}

void TfrmUnidlgDLMR1::select8AnnuallyDayInMonthChange()
{
    SelectComboAt("select8AnnuallyDayOfWeekInMonth", 0, 0);
    SelectComboAt("select8AnnuallyDayOfWeekInMonth", 1, 0);
    ShowRecurrencePreview();
}

void TfrmUnidlgDLMR1::select8AnnuallyDayOfWeekInMonthChange()
{
    SelectComboAt("select8AnnuallyDayInMonth", 0, 0);
    ShowRecurrencePreview();
}

// ---------------------------------------------------------------------------
// Save and preview

TNPIMRecord* TfrmUnidlgDLMR1::RecurrenceParentRecord() const
{
    TfrmUnidlgDLMR1* parent = UniDialogInSlot(ParentIndex());
    return parent != nullptr ? parent->workingRecord.get() : nullptr;
}

bool TfrmUnidlgDLMR1::SaveRecordRecurrence(bool save)
{
    return Guarded("[TfrmUnidlgDLMR1::SaveRecordRecurrence]", false, [&] {
        // 1. - 3. The preview stays quiet: it runs on every change.
        const auto refuse = [&] {
            if (save)
                MB("Chyba", "Chyba", plat::MB_ICONWARNING);
            return false;
        };
        TNPIM* account = PIM[recordAccount];
        if (i1() != 0 && (account == nullptr || account->Records == nullptr ||
                          account->Records->GetRecordByID(static_cast<uint32_t>(i1())) == nullptr))
            return refuse();
        TNPIMRecord* parentRecord = RecurrenceParentRecord();
        if (parentRecord == nullptr)
            return refuse();
        if (i1() != 0 && parentRecord->ID != static_cast<uint32_t>(i1()))
            return refuse();

        // 4.
        const TNRecurrenceComponents values = RecurrenceComponents();
        if (workingRecord != nullptr && workingRecord->Begin.Hodina == TNTime::NoTime && values.Frequency == rfHourly) {
            plat::MessageBox(kNoHourlyWithoutTime, "Chyba", 0);
            return false;
        }

        // 5. - 13.
        workingRecord = std::make_unique<TNPIMRecord>(account);
        workingRecord->Copy(parentRecord);
        WriteRecurrenceRule(*workingRecord, values);
        if (!save)
            return true;
        if (const TNRecurrenceCheck check = CheckRecurrenceRule(values); !check.Passed()) {
            MB(check.Text.c_str(), "Chyba", plat::MB_ICONWARNING);
            View.SetFocus(check.Focus.c_str());
            return false;
        }

        // 14. Found again: the message boxes above ran a modal loop.
        TfrmUnidlgDLMR1* parent = UniDialogInSlot(ParentIndex());
        parentRecord = RecurrenceParentRecord();
        if (parent == nullptr || parentRecord == nullptr)
            return refuse();
        parentRecord->StringifyRecurrenceSettingsToJSON();
        const bool same = parentRecord->RecurrenceFrequency == workingRecord->RecurrenceFrequency &&
                          parentRecord->RecurrenceSettings.View() == workingRecord->RecurrenceSettings.View();
        // Once changed in the editor, the rule stays to be sent even when it
        // is saved again unchanged.
        if (!same)
            parent->recurrenceChanged = 1;
        parentRecord->Copy(workingRecord.get());
        parent->UpdateNowEditedRecord(parentRecord, true);
        return true;
    });
}

void TfrmUnidlgDLMR1::ShowRecurrencePreview()
{
    Guarded("[TfrmUnidlgDLMR1::ShowRecurrencePreview]", [&] {
        // 1.
        TNViewItem* label = View.GetComponent("label8Preview");
        if (label == nullptr)
            return;
        // 2.
        if (!RecordHasTime(workingRecord.get()) && ListIndex("list8Frequency") == rfHourly) {
            View.SetText("label8Preview", kNoHourlyWithoutTime, false, 0);
            SetLabelLook("label8Preview", kRefusalRed, true);
            View.ShowOrHideShowComponent(label, true);
            return;
        }
        // 3.
        SetLabelLook("label8Preview", plat::clBlack, false);
        SaveRecordRecurrence(false);
        std::string text;
        if (workingRecord != nullptr) {
            workingRecord->CreateRecurrenceArray(true, 11);
            text = RecurrencePreviewText(workingRecord->Begin, workingRecord->RecurrenceArray);
        }
        // 4. - 5.
        View.SetText("label8Preview", text.empty() ? "---" : text.c_str(), false, 0);
        View.ShowOrHideShowComponent(label, !text.empty());
        // Another number of lines: the label takes its new height in place.
        if (plat::TPanel* panel = label->Panel.Get(); panel != nullptr && pageReady)
            View.ResizeComponent(label, panel->Left(), panel->Top(), panel->Width(), 0, true);
    });
}
