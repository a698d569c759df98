// The record editor page: its components, filled from a working copy of
// the record, its layout, and the share-with selection it keeps for the
// sharing field and the nested share-with page.

#include "dialog/unidlg.h"

#include "dialog/record_editor_logic.h"
#include "foundation/guard.h"
#include "foundation/log.h"
#include "mainwindow/main_window.h"
#include "model/pim.h"
#include "model/records.h"
#include "model/sharing.h"
#include "online/global.h"
#include "online/ui_tags.h"
#include "platform/gui/combo_box.h"
#include "platform/gui/dialogs.h"
#include "platform/gui/edit.h"
#include "platform/gui/label.h"
#include "platform/gui/memo.h"
#include "platform/gui/panel.h"
#include "platform/gui/screen.h"
#include "platform/gui/timer.h"
#include "view/view.h"

#include <algorithm>
#include <atomic>

namespace {

constexpr plat::TColor kDarkBlue = 0xC80000;
constexpr plat::TColor kHintRed = 0x0000C8;
constexpr plat::TColor kGrey = 0x808080;
constexpr int32_t kMargin = 14;
constexpr int32_t kGap = 6;
constexpr int32_t kSideColumnWidth = 330;
constexpr int32_t kPageHeight = 560;
constexpr const char* kNoTag = "Bez štítku";

std::atomic<uint64_t> nextDialogId{1};

TNPIM* Account(int32_t position)
{
    return PIM[position];
}

std::string Str(const TNString& text)
{
    return std::string(text.View());
}

TNViewItem* Make(TfrmUnidlgDLMR1& dialog, int8_t kind, const char* name, int32_t column, const char* caption)
{
    return View.CreateComponent(kind, name, &dialog, dialog.PagePanel("EditRecord"), column, caption, 1,
                                dialog.SlotIndex, nullptr, nullptr, 3);
}

// A click on a button's face runs the button's click, as one on its check
// mark does: the view binds only the mark.
void ClickRunsButton(TNViewItem* item)
{
    plat::TLabel* face = item != nullptr ? item->TitleLabel.Get() : nullptr;
    if (face == nullptr)
        return;
    const uint32_t id = item->ComponentId;
    face->OnClick = [id](plat::TComponent*) {
        TNViewItem* button = View.GetComponentById(id);
        if (button != nullptr && button->OnButtonClick != nullptr)
            button->OnButtonClick(button);
    };
}

} // namespace

uint64_t TfrmUnidlgDLMR1::NewDialogId()
{
    return nextDialogId.fetch_add(1);
}

TfrmUnidlgDLMR1* TfrmUnidlgDLMR1::RecordEditor()
{
    TfrmUnidlgDLMR1* dialog = this;
    for (int32_t depth = 0; dialog != nullptr && depth < kUniDialogSlots; ++depth) {
        if (dialog->Key == "EditRecord")
            return dialog;
        dialog = UniDialogInSlot(dialog->ParentIndex());
    }
    return nullptr;
}

uint32_t TfrmUnidlgDLMR1::EditedRecordId() const
{
    if (workingRecord != nullptr && workingRecord->ID != 0)
        return workingRecord->ID;
    return static_cast<uint32_t>(i1());
}

void TfrmUnidlgDLMR1::PrepareShareWithGroups(const TNPIMSharing* sharing)
{
    TNPIM* account = Account(recordAccount);
    if (account == nullptr)
        return;
    FillShareGroups(shareGroups, *account, sharing != nullptr ? *sharing : account->Sharing, EditedRecordId());
}

void TfrmUnidlgDLMR1::PrepareShareWithContacts(const TNPIMSharing* sharing)
{
    TNPIM* account = Account(recordAccount);
    if (account == nullptr)
        return;
    FillShareContacts(shareContacts, *account, sharing != nullptr ? *sharing : account->Sharing, EditedRecordId());
}

bool TfrmUnidlgDLMR1::RemoveFromShareWith(int32_t kind, uint32_t id)
{
    TfrmUnidlgDLMR1* editor = RecordEditor();
    if (editor == nullptr)
        return false;
    TNShareList& list = kind == kShareGroup ? editor->shareGroups : editor->shareContacts;
    const bool removed = (kind == kShareGroup || kind == kShareContact) && list.Untick(id);
    if (removed)
        editor->userChanged = true;
    return removed;
}

// ---------------------------------------------------------------------------
// Build

bool TfrmUnidlgDLMR1::AktivujDialog_EditRecord()
{
    return Guarded("[TfrmUnidlgDLMR1::AktivujDialog_EditRecord]", false, [&] {
        // 1.
        editExisting = 0;
        addSomethingElseMode = 0;
        const bool isNew = i1() == 0;
        SetCaption(isNew ? "Nový záznam" : "Upravit záznam");
        NastavNadpis(isNew ? "Přidat nový záznam" : "Upravit záznam", "", true);
        recordAccount = Account(AccountIndex()) != nullptr ? AccountIndex() : 0;
        TNPIM* account = Account(recordAccount);
        if (account == nullptr || account->Records == nullptr)
            return false;

        // 2. - 5.
        TNPIMRecord* found = isNew ? nullptr : account->Records->GetRecordByID(static_cast<uint32_t>(i1()));
        int32_t rightsLevel = 100;
        if (found != nullptr)
            rightsLevel = found->GetUsersRights("[TfrmUnidlgDLMR1::AktivujDialog_EditRecord]")->Role;

        // 7. Before anything is made or fetched.
        if (rightsLevel == 0) {
            MB("K editaci tohoto záznamu nemáte dostatečná oprávnění", "Chyba", plat::MB_ICONERROR);
            return false;
        }

        // 8.
        workingRecord = std::make_unique<TNPIMRecord>();
        if (found != nullptr) {
            workingRecord->Copy(found);
            editExisting = 1;
        } else {
            workingRecord->Type = i4();
            workingRecord->ParentPIM = account;
            if (workingRecord->Type == 7 || workingRecord->Type == 8) {
                workingRecord->HasBegin = true;
                workingRecord->Begin.SetNow();
                workingRecord->Begin.NastavCas(TNTime::NoTime, 0);
                workingRecord->Begin.GetTimestamp();
            }
            TakeClickedPlace();
        }

        // 9.
        parentRecordId = static_cast<uint32_t>(i3());
        if (found != nullptr && parentRecordId == 0)
            parentRecordId = found->ParentID;
        newTopLevel = isNew && i3() == 0 && workingRecord->Type != 7 && workingRecord->Type != 8;

        // 6.
        SizeEditRecordPage(found != nullptr && found->MainPicture > 99);

        // 10.
        fillingPage = true;
        CreateEditRecordComponents();
        FillEditRecordComponents();
        fillingPage = false;

        // 11.
        SetEditRecordBottomBar();
        if (found != nullptr)
            StartRecordFetch(*found);
        return true;
    });
}

// A new record opened from a click takes the clicked day and time.
void TfrmUnidlgDLMR1::TakeClickedPlace()
{
    TNViewItem* caller = CallerItem();
    if (caller == nullptr)
        return;
    int32_t hour = 0;
    int32_t minute = 0;
    int32_t day = 0;
    int32_t month = 0;
    int32_t year = 0;
    TNClickedTimes times;
    if (caller->Type == cmpDaybox) {
        const int32_t group = caller->DayboxModeGroup(-1);
        if (group == 4 || group == 2 || group == 3) {
            if (group == 4)
                caller->GetTimeFromClickPos_MonthView(&hour, &minute, &day, &month, &year);
            else
                caller->GetTimeFromClickPos_WeekView(&hour, &minute, &day, &month, &year);
            times.Begin = TNEditorDate::At(year, month, day, hour, minute);
            times.End = times.Begin;
        } else {
            caller->GetTimeFromClickPos(&hour, &minute);
            TNTime now;
            now.SetNow();
            const TNTime& shown = caller->Times[0];
            times = EditorTimesFromDayClick(TNEditorDate::DateOnly(shown.Rok, shown.Mesic, shown.Den), hour, minute,
                                            now.Hodina, now.Minuta);
            LogTextInt("[AktivujDialog_EditRecord] minute = ", times.Begin.Minute);
        }
    } else if (caller->Type == cmpToolbar && caller->GetDateFromClickPos_WeekView(&day, &month, &year)) {
        times.Begin = TNEditorDate::DateOnly(year, month, day);
        times.End = times.Begin;
    } else if (caller->Type == cmpScrollbox) {
        LogText("[AktivujDialog_EditRecord] A list caller gives no time");
        return;
    } else {
        LogTextInt("[AktivujDialog_EditRecord] CallerItem->Type = ", caller->Type);
        return;
    }
    EditorDateToRecordTime(times.Begin, workingRecord->HasBegin, workingRecord->Begin);
    EditorDateToRecordTime(times.End, workingRecord->HasEnd, workingRecord->End);
}

void TfrmUnidlgDLMR1::SizeEditRecordPage(bool hasPicture)
{
    const int32_t frame = 2 * (Width() - ClientWidth());
    const TNEditorPageWidth page = EditorPageWidth(plat::Screen::Width() - frame, hasPicture);
    pictureColumnWidth = page.PictureColumn;
    plat::TPanel* panel = PagePanel("EditRecord");
    panel->SetBounds(0, 0, page.Width, kPageHeight);
    panel->SetColor(View.DialogColor);
    FitClientToPage(*panel);
}

void TfrmUnidlgDLMR1::CreateEditRecordComponents()
{
    const int32_t type = workingRecord->Type;
    const bool full = type != 7 && type != 8;
    Make(*this, cmpImage, "img3Picture", 1, "Obrázek");
    TNPIM* account = Account(recordAccount);
    if (parentRecordId != 0 && account->Records->GetRecordByID(parentRecordId) != nullptr) {
        TNViewItem* parent = Make(*this, cmpButton, "btn3ParentRecord", 1, "");
        parent->UIntValue = parentRecordId;
        parent->OnButtonClick = [](TNViewItem* item) {
            WithEditor(item, [item](TfrmUnidlgDLMR1& d) { d.OpenRecordNext(item->UIntValue); });
        };
        ClickRunsButton(parent);
    }
    TNViewItem* text = Make(*this, cmpMemo, "memo3Text", 1, "");
    OnTextChange(text, [](TfrmUnidlgDLMR1& d) { d.memo3TextResizeOnChange(); });
    if (full) {
        Make(*this, cmpPriority, "imp3Importance", 1, "Důležitost");
        Make(*this, cmpComboBox, "select3Status", 1, "Stav");
        Make(*this, cmpCheckbox, "check3Task", 1, "");
        Make(*this, cmpComboBox, "select3Tag", 1, "");
        Make(*this, cmpIconButton, "btn3AddTag", 1, "Přidat nový štítek")->ClickAddsTag = 1;
    }
    Make(*this, cmpDate, full ? "date3Begin" : "date3Begin", 1, full ? "Začátek" : "Datum");
    if (full) {
        Make(*this, cmpDate, "date3End", 1, "Konec");
        // Any length may be typed: the time logic answers a negative one
        // and marks 0; the field neither clamps nor fills itself.
        TNViewItem* length = Make(*this, cmpNumberEdit, "edit3EventLength", 1, "Délka");
        length->MinValue1 = -999999;
        length->MinValue2 = -1;
        length->MaxValue1 = 999999;
        TNViewItem* recurrence = Make(*this, cmpButton, "btn3Recurrence", 1, "Opakování");
        recurrence->OnButtonClick = [](TNViewItem* item) {
            WithEditor(item, [item](TfrmUnidlgDLMR1& d) {
                if (item->UIntValue > 0)
                    d.OpenRecordNext(item->UIntValue);
                else
                    d.btn3RecurrenceClick();
            });
        };
        ClickRunsButton(recurrence);
        Make(*this, cmpComboBox, "select3Reschedule", 1, "Při nesplnění");
    }
    Make(*this, cmpAlert, "btn3Alerts", 1, "Upozornění");
    Make(*this, cmpVisibility, "vis3Visibility", 1, "Viditelnost");
    Make(*this, cmpShareWith, "btn3Sharing", 1, "Pozvaní");
    OnTextChange(Make(*this, cmpEdit, "edit3Place", 1, "Místo"), [](TfrmUnidlgDLMR1&) {});
    TNViewItem* note = Make(*this, cmpMemo, "memo3Note", 2, "");
    OnTextChange(note, [](TfrmUnidlgDLMR1& d) { d.memo3NoteResizeOnChange(); });
    if (full)
        Make(*this, cmpComboBox, "select3EventType", 2, "Typ akce");
    Make(*this, cmpComboBox, "select3Organizer", 2, "Kalendář");
    Make(*this, cmpLabel, "label3OrganizerHint", 2, "");
    if (IsRecurringRecord()) {
        Make(*this, cmpComboBox, "select3RecurrenceSaveMode", 2, "Uložení změn v opakovaném záznamu");
        Make(*this, cmpLabel, "label3RecurrenceSaveModeHint1", 2, "");
        Make(*this, cmpLabel, "label3RecurrenceSaveModeHint2", 2, "");
    }
    if (full)
        Make(*this, cmpCheckbox, "check3Hidden", 2, "Viditelnost");
    for (const char* name : {"check3Task", "date3Begin", "date3End"}) {
        if (TNViewItem* item = View.GetComponent(name))
            item->OnChange = [](TNViewItem* changed) {
                WithEditor(changed, [changed](TfrmUnidlgDLMR1& d) { d.RecordTypeOrTimeChange(changed); });
            };
    }
    if (TNViewItem* length = View.GetComponent("edit3EventLength"))
        length->OnChange = [](TNViewItem* changed) {
            WithEditor(changed, [changed](TfrmUnidlgDLMR1& d) { d.RecordLengthChange(changed); });
        };
}

// The view gives memos and edits no change event of their own: the text
// control's is taken, the field found again by id at each change.
void TfrmUnidlgDLMR1::OnTextChange(TNViewItem* item, void (*step)(TfrmUnidlgDLMR1&))
{
    plat::TCustomEdit* control = item->Type == cmpMemo ? static_cast<plat::TCustomEdit*>(item->Memo.Get())
                                                       : static_cast<plat::TCustomEdit*>(item->Edits[0].Get());
    if (control == nullptr)
        return;
    const uint32_t id = item->ComponentId;
    control->OnChange = [id, step](plat::TComponent*) { WithEditor(View.GetComponentById(id), step); };
}

bool TfrmUnidlgDLMR1::IsRecurringRecord() const
{
    return editExisting != 0 && (workingRecord->RecurrenceMasterID > 0 || workingRecord->RecurrenceFrequency != 0);
}

void TfrmUnidlgDLMR1::WithEditor(TNViewItem* item, const std::function<void(TfrmUnidlgDLMR1&)>& step)
{
    TfrmUnidlgDLMR1* dialog = item != nullptr ? UniDialogInSlot(item->FormTag) : nullptr;
    if (dialog == nullptr || dialog->Key != "EditRecord" || dialog->workingRecord == nullptr || dialog->inTimeLogic)
        return;
    if (!dialog->fillingPage)
        dialog->userChanged = true;
    step(*dialog);
}

// ---------------------------------------------------------------------------
// The service's copy (job 4)

void TfrmUnidlgDLMR1::StartRecordFetch(const TNPIMRecord& found)
{
    if (frmMainDLMR1 == nullptr)
        return;
    auto copy = std::make_shared<TNPIMRecord>();
    copy->Copy(&found);
    TNPageJob job;
    job.Tag = 4;
    job.RecordID = found.ID;
    job.pim_srv_pos = recordAccount;
    job.DialogIndex = SlotIndex;
    job.DialogId = DialogId;
    job.EditedRecord = std::move(copy);
    timerUpdateUniDlgUi->OnTimer = [this](plat::TComponent*) { timerUpdateUniDlgUiTimer(); };
    frmMainDLMR1->RunPageJob(job);
}

bool TfrmUnidlgDLMR1::TakeRecordFromServer(uint64_t dialogId, std::shared_ptr<const TNPIMRecord> record,
                                           std::shared_ptr<const TNPIMSharing> sharing)
{
    if (dialogId != DialogId || Key != "EditRecord" || record == nullptr || record->ID != EditedRecordId())
        return false;
    RecordFromServer = std::move(record);
    SharingFromServer = std::move(sharing);
    timerUpdateUniDlgUi->SetTag(1);
    timerUpdateUniDlgUi->SetInterval(250);
    timerUpdateUniDlgUi->SetEnabled(true);
    return true;
}

void TfrmUnidlgDLMR1::timerUpdateUniDlgUiTimer()
{
    runningUpdateUniDlgUiTimer = true;
    timerUpdateUniDlgUi->SetEnabled(false);
    if (timerUpdateUniDlgUi->Tag() == 1) {
        LogText("[TfrmUnidlgDLMR1::timerUpdateUniDlgUiTimer][BEGIN] For UpdateNowEditedRecord");
        if (std::shared_ptr<const TNPIMRecord> record = std::move(RecordFromServer))
            UpdateNowEditedRecord(record.get(), false);
        if (std::shared_ptr<const TNPIMSharing> sharing = std::move(SharingFromServer))
            UpdateNowEditedSharing(sharing.get());
        if (Visible())
            FormResize();
        LogText("[TfrmUnidlgDLMR1::timerUpdateUniDlgUiTimer][END]");
    }
    runningUpdateUniDlgUiTimer = false;
}

void TfrmUnidlgDLMR1::UpdateNowEditedRecord(const TNPIMRecord* record, bool recurrenceOnly)
{
    runningUpdateEditedRecord = true;
    Guarded("[TfrmUnidlgDLMR1::UpdateNowEditedRecord]", [&] {
        if (record == nullptr) {
            LogText("[TfrmUnidlgDLMR1::UpdateNowEditedRecord][ERROR] record = NULL");
            return;
        }
        if (Key != "EditRecord" || workingRecord == nullptr) {
            LogText("[TfrmUnidlgDLMR1::UpdateNowEditedRecord][ERROR] gUni->ActivePage != EditRecord");
            return;
        }
        if (recurrenceOnly) {
            RefreshRecurrenceButton();
            return;
        }
        if (record->Deleted > 0) {
            LogTextUInt("Record was deleted. RecordID = ", record->ID);
            MB("Tento záznam byl vymazán.", "Záznam vymazán", plat::MB_ICONERROR);
            g.FastSync("UpdateNowEditedRecord");
            g.SetUpdateUiTag(__uiUpdateShownData, 0);
            Close();
            return;
        }
        // The user's edits win over a copy that came late.
        if (userChanged) {
            LogTextUInt(
                "[TfrmUnidlgDLMR1::UpdateNowEditedRecord] user edits kept, server copy not applied; RecordID = ",
                record->ID);
            return;
        }
        workingRecord->Copy(record);
        fillingPage = true;
        FillEditRecordComponents();
        fillingPage = false;
    });
    runningUpdateEditedRecord = false;
}

void TfrmUnidlgDLMR1::UpdateNowEditedSharing(const TNPIMSharing* sharing)
{
    runningUpdateEditedSharing = true;
    Guarded("[TfrmUnidlgDLMR1::UpdateNowEditedSharing]", [&] {
        if (sharing == nullptr || Key != "EditRecord") {
            LogText("[TfrmUnidlgDLMR1::UpdateNowEditedSharing][ERROR] sharing = NULL or another page");
            return;
        }
        LogTextInt("[TfrmUnidlgDLMR1::UpdateNowEditedSharing] sharing_from_server->Count = ", sharing->Count);
        TNViewItem* rows = View.GetComponent("btn3Sharing");
        if (rows == nullptr || userChanged)
            return;
        PrepareShareWithGroups(sharing);
        PrepareShareWithContacts(sharing);
        TNView::ResetSharingItems(View, rows);
    });
    runningUpdateEditedSharing = false;
}

// ---------------------------------------------------------------------------
// Filling

namespace {

void SetDateItem(TNViewItem* item, const TNEditorDate& value, bool timeShown)
{
    if (item == nullptr)
        return;
    item->SetsDate = 1;
    item->HasDate = value.HasDate ? 1 : 0;
    item->HasTime = value.HasDate && value.HasTime && timeShown ? 1 : 0;
    item->OfferedHour = 8;
    item->OfferedMinute = 0;
    if (value.HasDate) {
        item->DateValue.SetDate(value.Day, value.Month, value.Year);
        item->DateValue.NastavCas(static_cast<uint16_t>(item->HasTime ? value.Hour : TNTime::NoTime),
                                  static_cast<uint16_t>(item->HasTime ? value.Minute : 0));
        item->DateValue.GetTimestamp();
    }
    View.UpdateComponent(item->Name.Text);
}

void FillCombo(TNViewItem* combo, const std::vector<std::string>& entries, int32_t selected)
{
    if (combo == nullptr)
        return;
    combo->ClearComboItems();
    for (const std::string& entry : entries)
        combo->AddComboItem(entry.c_str());
    combo->SetSafeItemIndex(selected);
}

} // namespace

TNEditorDate TfrmUnidlgDLMR1::DateItemValue(const char* name) const
{
    TNViewItem* item = View.GetComponent(name);
    if (item == nullptr || item->HasDate == 0)
        return {};
    const TNTime& time = item->DateValue;
    if (item->HasTime == 0 || time.Hodina == TNTime::NoTime)
        return TNEditorDate::DateOnly(time.Rok, time.Mesic, time.Den);
    return TNEditorDate::At(time.Rok, time.Mesic, time.Den, time.Hodina, time.Minuta);
}

void TfrmUnidlgDLMR1::SetDateItemValue(const char* name, const TNEditorDate& value)
{
    SetDateItem(View.GetComponent(name), value, true);
}

int32_t TfrmUnidlgDLMR1::ComboIndex(const char* name) const
{
    TNViewItem* item = View.GetComponent(name);
    plat::TFlatComboBox* combo = item != nullptr ? item->Combos[0].Get() : nullptr;
    return combo != nullptr ? combo->ItemIndex() : -1;
}

void TfrmUnidlgDLMR1::FillEditRecordComponents()
{
    TNPIMRecord& record = *workingRecord;
    TNPIM* account = Account(recordAccount);
    const bool full = record.Type != 7 && record.Type != 8;
    if (TNViewItem* text = View.GetComponent("memo3Text")) {
        if (text->Memo.Get() != nullptr) {
            text->Memo->Font().SetSize(11);
            text->Memo->Font().SetColor(kDarkBlue);
            text->Memo->SetMaxLength(4096);
        }
        if (record.Text.Length > 0)
            View.SetText("memo3Text", record.Text.Text, false, 0);
    }
    if (TNViewItem* importance = View.GetComponent("imp3Importance"); importance != nullptr && editExisting)
        importance->Value = record.Importance;
    FillCombo(View.GetComponent("select3Status"), {"", "Dokončeno"}, record.Finished != 0 ? 1 : 0);
    View.SetCheckboxValue("check3Task", record.Type == 1);
    taskFlag = record.Type == 1;
    FillTagCombo();
    const TNEditorDate begin = EditorDateFromRecordTime(record.HasBegin, record.Begin);
    const TNEditorDate end = EditorDateFromRecordTime(record.HasEnd, record.End);
    SetDateItem(View.GetComponent("date3Begin"), begin, full);
    SetDateItem(View.GetComponent("date3End"), end, true);
    shownBegin = DateItemValue("date3Begin");
    endHasValue = record.HasEnd;
    RefreshLengthField();
    RefreshRecurrenceButton();
    const int32_t reschedule = record.Reschedule == 1    ? 1
                               : record.Reschedule == 7  ? 2
                               : record.Reschedule == 14 ? 3
                                                         : 0;
    FillCombo(View.GetComponent("select3Reschedule"), {"", "Dnes", "o týden", "o 14 dní"}, reschedule);
    if (TNViewItem* alerts = View.GetComponent("btn3Alerts")) {
        alerts->AlertDelivery = record.AlertType0;
        alerts->AlertDays = record.AlertDays0;
        alerts->AlertHours = record.AlertHours0;
        alerts->AlertMinutes = record.AlertMinutes0;
    }
    if (TNViewItem* visibility = View.GetComponent("vis3Visibility"); visibility != nullptr && editExisting)
        visibility->Value = record.Visibility;
    PrepareShareWithGroups(nullptr);
    PrepareShareWithContacts(nullptr);
    if (TNViewItem* sharing = View.GetComponent("btn3Sharing"))
        TNView::ResetSharingItems(View, sharing);
    View.SetText("edit3Place", record.Place.Length > 0 ? record.Place.Text : "", false, 0);
    View.SetText("memo3Note", record.Note.Length > 0 ? record.Note.Text : "", false, 0);
    FillEventTypeCombo();
    FillOrganizerCombo();
    if (IsRecurringRecord()) {
        FillCombo(View.GetComponent("select3RecurrenceSaveMode"),
                  {"--- VYBERTE ---", "Tento výskyt", "Tento a všechny následující výskyty",
                   "Všechny výskyty (včetně již proběhlých)"},
                  0);
        View.SetText("label3RecurrenceSaveModeHint1",
                     "Upravujete opakovaný záznam. Zvolte způsob, jakým budou změny uloženy.", true, kHintRed);
        View.SetText("label3RecurrenceSaveModeHint2",
                     "Ve vybraných výskytech záznamu budou přepsány všechny položky těmi, které\nnastavíte v tomto "
                     "dialogu.",
                     true, kGrey);
    }
    View.SetCheckboxValue("check3Hidden", record.Hidden);
    (void)account;
}

void TfrmUnidlgDLMR1::FillTagCombo()
{
    TNViewItem* combo = View.GetComponent("select3Tag");
    TNPIM* account = Account(recordAccount);
    if (combo == nullptr || account == nullptr)
        return;
    tagIds.assign(1, 0);
    std::vector<std::string> names{kNoTag};
    for (int32_t i = 0; i < account->Tags.Count; ++i) {
        const TNPIMTag* tag = account->Tags.Items[i];
        if (tag != nullptr && tag->Deleted == 0) {
            names.push_back(Str(tag->Title));
            tagIds.push_back(tag->ID);
        }
    }
    uint32_t tagId = editExisting ? account->TagsAssign.GetTagID(workingRecord->ID) : 0;
    TNViewItem* caller = CallerItem();
    if (tagId == 0 && caller != nullptr && caller->Type == cmpScrollbox)
        tagId = caller->UIntValue;
    const auto found = std::find(tagIds.begin(), tagIds.end(), tagId);
    FillCombo(combo, names, found != tagIds.end() ? static_cast<int32_t>(found - tagIds.begin()) : 0);
}

void TfrmUnidlgDLMR1::FillEventTypeCombo()
{
    TNViewItem* combo = View.GetComponent("select3EventType");
    TNPIM* first = Account(0);
    if (combo == nullptr || first == nullptr)
        return;
    eventTypeIds.assign(1, 0);
    std::vector<std::string> names{"Other"};
    for (int32_t i = 0; i < first->EventTypes.Count; ++i) {
        const TNPIMEventType* type = first->EventTypes.Items[i];
        if (type == nullptr)
            continue;
        names.push_back(Str(type->DisplayTitle.Length > 0 ? type->DisplayTitle : type->TitleLngString));
        eventTypeIds.push_back(type->ID);
    }
    const auto found =
        std::find(eventTypeIds.begin(), eventTypeIds.end(), static_cast<uint32_t>(workingRecord->EventType));
    FillCombo(combo, names, found != eventTypeIds.end() ? static_cast<int32_t>(found - eventTypeIds.begin()) : 0);
}

void TfrmUnidlgDLMR1::FillOrganizerCombo()
{
    TNViewItem* combo = View.GetComponent("select3Organizer");
    TNPIM* account = Account(recordAccount);
    if (combo == nullptr || account == nullptr)
        return;
    organizerIds.clear();
    std::vector<std::string> names;
    for (int32_t i = 0; i < account->Organizers.Count; ++i) {
        TNPIMOrganizer* organizer = account->Organizers.Items[i];
        bool writable = false;
        if (organizer != nullptr && organizer->ID > 0 && frmMainDLMR1 != nullptr)
            frmMainDLMR1->GetAccessibleOrganizer(organizer, writable);
        if (!writable)
            continue;
        names.push_back(Str(organizer->ReadableTitle.Length > 0 ? organizer->ReadableTitle : organizer->Title));
        organizerIds.push_back(organizer->ID);
    }
    uint32_t wanted = workingRecord->OrganizerID;
    if (wanted == 0 && editExisting == 0 && i7() > 0)
        wanted = static_cast<uint32_t>(i7());
    if (wanted == 0)
        wanted = account->Records->UserOrganizerID;
    const auto found = std::find(organizerIds.begin(), organizerIds.end(), wanted);
    const int32_t index = found != organizerIds.end() ? static_cast<int32_t>(found - organizerIds.begin()) : -1;
    FillCombo(combo, names, index);
    const std::string name = index >= 0 ? names[static_cast<size_t>(index)] : "";
    const std::string hint =
        "Vidíte pouze kalendáře, které máte oprávnění upravovat.\nZáznam nyní patří do: \"" + name + "\"";
    View.SetText("label3OrganizerHint", hint.c_str(), true, kGrey);
    View.SetHint("label3OrganizerHint", true, hint.c_str());
}

void TfrmUnidlgDLMR1::RefreshRecurrenceButton()
{
    TNViewItem* button = View.GetComponent("btn3Recurrence");
    if (button == nullptr)
        return;
    // A new record without a rule reads "Neopakuje se [Změnit]" too; one
    // given a rule shows it.
    TNString sentence;
    workingRecord->GetRecurrenceTitleString(&sentence);
    std::string title = Str(sentence);
    if (workingRecord->RecurrenceMasterID > 0)
        title += " [Otevřít]";
    button->UIntValue = workingRecord->RecurrenceMasterID;
    View.SetButtonTitle(button, title.c_str(), "", 0, 0, true, true);
}

// ---------------------------------------------------------------------------
// Layout: the main column, then the side column, each field under the last.

void TfrmUnidlgDLMR1::FormResize_EditRecord()
{
    plat::TPanel* panel = PagePanel("EditRecord");
    const int32_t width = panel->Width();
    const int32_t sideLeft = width - kSideColumnWidth - kMargin;
    const int32_t mainWidth = sideLeft - 2 * kMargin;
    int32_t tops[3] = {0, kMargin, kMargin};
    int32_t bottom = 0;
    for (int32_t i = 0; i < View.ItemsCount; ++i) {
        TNViewItem* item = View.Items[i];
        if (item == nullptr || item->FormTag != SlotIndex || item->ParentControl.Get() != panel || item->Shown != 1)
            continue;
        const int32_t column = item->Column == 2 ? 2 : 1;
        const int32_t left = column == 2 ? sideLeft : kMargin;
        View.ResizeComponent(item, left, tops[column], column == 2 ? kSideColumnWidth : mainWidth, -1, true);
        plat::TPanel* own = item->Panel.Get();
        tops[column] += (own != nullptr ? own->Height() : 0) + kGap;
        bottom = std::max(bottom, tops[column]);
    }
    (void)bottom;
}

void TfrmUnidlgDLMR1::OpenRecordNext(uint32_t id)
{
    recordToOpenAfterClose = id;
    Close();
}

// The rule is edited on the working record, which the nested page reaches
// through this dialog's slot.
void TfrmUnidlgDLMR1::btn3RecurrenceClick()
{
    const TNEditorDate begin = DateItemValue("date3Begin");
    if (!begin.HasDate) {
        MB("Nejprve nastavte datum začátku.", "Chyba", plat::MB_ICONERROR);
        return;
    }
    EditorDateToRecordTime(begin, workingRecord->HasBegin, workingRecord->Begin);
    UniDialog("RecordRecurrence", static_cast<int32_t>(EditedRecordId()), 0, 0, 0, 0, recordAccount, i7(), 1);
    if (workingRecord == nullptr)
        return;
    // A copy from the service arriving later must not undo the new rule.
    if (recurrenceChanged)
        userChanged = true;
    RefreshRecurrenceButton();
}

void TfrmUnidlgDLMR1::memo3TextResizeOnChange()
{
    MemoGrew("memo3Text", textHeight);
}
void TfrmUnidlgDLMR1::memo3NoteResizeOnChange()
{
    MemoGrew("memo3Note", noteHeight);
}

void TfrmUnidlgDLMR1::MemoGrew(const char* name, int32_t& storedHeight)
{
    TNViewItem* item = View.GetComponent(name);
    if (item == nullptr || item->Memo.Get() == nullptr)
        return;
    const int32_t height = GetTextHeight(item->Memo->Text(), item->Memo->Width() - 8);
    const bool grew = height > storedHeight;
    storedHeight = height;
    if (grew)
        FormResize();
}

int32_t TfrmUnidlgDLMR1::GetTextHeight(const std::string& text, int32_t width)
{
    labelMeasure->SetWidth(std::max(1, width));
    labelMeasure->SetWordWrap(true);
    labelMeasure->SetAutoSize(true);
    labelMeasure->SetCaption(text);
    return labelMeasure->Height();
}
