// The record editor's save and its bottom bar. Every question is asked
// before the model lock is taken and before anything is written: a refused
// or cancelled save leaves the record collection as it was.

#include "dialog/unidlg.h"

#include "dialog/record_editor_logic.h"
#include "foundation/app_info.h"
#include "foundation/guard.h"
#include "foundation/local_ids.h"
#include "foundation/log.h"
#include "mainwindow/main_window.h"
#include "model/model_lock.h"
#include "model/pim.h"
#include "model/records.h"
#include "online/global.h"
#include "online/ui_tags.h"
#include "platform/gui/button.h"
#include "platform/gui/dialogs.h"
#include "platform/gui/label.h"
#include "platform/gui/timer.h"
#include "view/view.h"

#include <cstdio>
#include <ctime>
#include <memory>

namespace {

constexpr int32_t kCancelled = 4;
constexpr int32_t kCancelledQuietly = 99;

const char* FocusName(TNEditorFocus focus)
{
    switch (focus) {
    case TNEditorFocus::SaveMode:
        return "select3RecurrenceSaveMode";
    case TNEditorFocus::Organizer:
        return "select3Organizer";
    default:
        return "memo3Text";
    }
}

bool Yes(const char* text, const char* caption)
{
    return plat::MessageBox(text, caption, plat::MB_YESNO | plat::MB_ICONQUESTION) == plat::IDYES;
}

const char* kSeriesQuestion =
    "POZOR:\nPokud chcete změnit datum nebo čas opakovaného záznamu, musíte buď v položce \"Uložení změn v opakovaném "
    "záznamu\" zvolit \"Tento výskyt\" a nebo musíte upravit první výskyt opakovaného záznamu, čímž změníte datum a "
    "čas pro všechna následující opakování.\n\nTip:\nPokud chcete od tohoto výskytu nastavit jiný výchozí čas "
    "opakování, klikněte v levém spodním rohu dialogu na \"Klonovat\" a nastavte nové opakování.\nNežádoucí výskyty "
    "předchozího opakovaného záznamu pak můžete smazat tak, že poklikáte na první nežádoucí výskyt a v zobrazeném "
    "dialogu zvolíte \"Smazat\" a následně vyberete volbu \"Tento a všechny následující výskyty\".\n\nPřejete si nyní "
    "zobrazit první výskyt opakovaného záznamu?\nProvedené změny se neuloží.";

const char* kMoveQuestion =
    "Opravdu si přejete záznam přesunout do kalendáře \"%s\"?\n\nZáznam bude přesunut včetně všech pod-záznamů, "
    "obrázků, příloh, komentářů a případně i dalších vlastností.\nPokud je záznam nyní pod-záznamem, bude při "
    "přesunutí informace o podřízenosti odebrána.";

const char* kNotFoundQuestion =
    "Upravovaný záznam se nepodařilo najít!\nJe možné, že byl vymazán jiným uživatelem, který k tomu měl "
    "oprávnění.\nPřejete si záznam vložit jako nový?";

const char* kVisibilityWarning =
    "POZOR: Záznam ukládáte do kalendáře, který není zaškrtnutý v seznamu viditelných kalendářů, takže záznam "
    "neuvidíte v kalendářích.\n\nPokud chcete obsah kalendáře/stránky zobrazit, ve sloupci se seznamem kalendářů "
    "(vlevo na hlavní obrazovce, pod hodinami) v sekci \"Moje kalendáře a stránky\" klikněte na zaškrtávací políčko "
    "vedle názvu kalendáře.";

} // namespace

bool TfrmUnidlgDLMR1::Refuse(const TNEditorCheck& check, uint32_t icon)
{
    if (check.Passed())
        return false;
    MB(check.Text.c_str(), check.Caption.c_str(), static_cast<int32_t>(icon));
    View.SetFocus(FocusName(check.Focus));
    return true;
}

TNEditorCheck TfrmUnidlgDLMR1::CheckEditRecordPage(int32_t& saveMode)
{
    if (TNEditorCheck text = CheckEditorText(View.GetText("memo3Text")); !text.Passed())
        return text;
    if (TNEditorCheck times = CheckEditorTimes(DateItemValue("date3Begin"), DateItemValue("date3End")); !times.Passed())
        return times;
    saveMode = View.GetComponent("select3RecurrenceSaveMode") != nullptr ? ComboIndex("select3RecurrenceSaveMode") : 0;
    if (TNEditorCheck mode = CheckEditorSaveMode(View.GetComponent("select3RecurrenceSaveMode") != nullptr, saveMode);
        !mode.Passed())
        return mode;
    return CheckEditorOrganizer(ComboIndex("select3Organizer"), static_cast<int32_t>(organizerIds.size()));
}

// The questions, from a look at the live record under a short read hold.
int32_t TfrmUnidlgDLMR1::AskBeforeSave(TNPIMRecords& records, int32_t saveMode, uint32_t organizerId, bool& insertAsNew)
{
    TNPIMRecord stored;
    bool exists = false;
    {
        TNModelReadGuard hold;
        if (const TNPIMRecord* live = i1() != 0 ? records.GetRecordByID(static_cast<uint32_t>(i1())) : nullptr) {
            stored.Copy(live);
            exists = true;
        }
    }
    insertAsNew = i1() == 0;
    if (i1() != 0 && !exists) {
        if (!Yes(kNotFoundQuestion, "Záznam nenalezen"))
            return kCancelledQuietly;
        insertAsNew = true;
    }
    if (insertAsNew)
        return 0;
    const bool beginChanged =
        !(DateItemValue("date3Begin") == (EditorDateFromRecordTime(stored.HasBegin, stored.Begin)));
    const bool endChanged = !(DateItemValue("date3End") == (EditorDateFromRecordTime(stored.HasEnd, stored.End)));
    if (saveMode != 1 && saveMode != 0 && (beginChanged || endChanged) && stored.RecurrenceMasterID != 0 &&
        stored.RecurrenceMasterID != stored.ID) {
        if (Yes(kSeriesQuestion, "Otevřít první výskyt?")) {
            recordToOpenAfterClose = stored.RecurrenceMasterID;
            Close();
        }
        return kCancelled;
    }
    if (stored.OrganizerID != organizerId) {
        TNPIM* account = PIM[recordAccount];
        const TNPIMOrganizer* organizer = account->Organizers.GetOrganizerByID(organizerId);
        const std::string name = organizer != nullptr ? std::string(organizer->Title.View()) : "";
        char text[1024];
        std::snprintf(text, sizeof text, kMoveQuestion, name.c_str());
        if (!Yes(text, "Přesunout záznam?"))
            return kCancelled;
    }
    return 0;
}

bool TfrmUnidlgDLMR1::SaveRecord()
{
    return Guarded("[TfrmUnidlgDLMR1::SaveRecord]", false, [&] {
        // 1.
        WaitForEditedRecordUpdate();
        if (PIM[recordAccount] == nullptr)
            recordAccount = 0;
        TNPIM* account = PIM[recordAccount];
        if (account == nullptr || account->Records == nullptr || workingRecord == nullptr)
            return false;
        // 3.-6.
        int32_t saveMode = 0;
        const TNEditorCheck check = CheckEditRecordPage(saveMode);
        if (Refuse(check, check.Focus == TNEditorFocus::Text && check.Caption != "Chyba" ? plat::MB_ICONWARNING
                                                                                         : plat::MB_ICONERROR))
            return false;
        const uint32_t organizerId = organizerIds[static_cast<size_t>(ComboIndex("select3Organizer"))];
        // 8., 10., 13.: asked before the lock.
        bool insertAsNew = false;
        int32_t error = AskBeforeSave(*account->Records, saveMode, organizerId, insertAsNew);
        int32_t position = -1;
        TNPIMRecord* live = nullptr;
        if (error == 0) {
            // 7.
            TNUiJobLock lock = g.WaitUntilSyncJobIsDone("[TfrmUnidlgDLMR1::SaveRecord]", 1);
            error = WriteRecord(*account, insertAsNew, saveMode, organizerId, position, live);
            // 24.
            if (error == 0 && frmMainDLMR1 != nullptr)
                frmMainDLMR1->ChangedRecordSaveSequence(recordAccount, live, position);
        }
        // 23.
        if (error != 0) {
            ShowSaveError(error);
            return false;
        }
        // 25.
        WarnWhenOrganizerHidden(organizerId);
        saved = 1;
        return true;
    });
}

void TfrmUnidlgDLMR1::ShowSaveError(int32_t error)
{
    const char* text = nullptr;
    if (error == 1)
        text = "Záznam se nepodařilo vytvořit!\nVáš počítač buď nemá dostatek volných prostředků (paměti RAM), nebo "
               "se jedná o chybu programu.\nDoporučujeme restartovat počítač a zkusit to znovu.";
    else if (error == 2)
        text = "Záznam se nepodařilo uložit!\nZřejmě došlo k chybě programu.\nDoporučujeme restartovat počítač a "
               "zkusit to znovu.";
    else if (error == 3)
        text = "Záznamu se nepodařilo přiřadit unikátní ID!\nKontaktujte technickou podporu.";
    if (text != nullptr)
        MB(text, "Chyba", plat::MB_ICONERROR);
    View.SetFocus("memo3Text");
}

// Under the model lock: the record is found again (or its id taken), the
// page written into a copy, and only then the live record changed.
int32_t TfrmUnidlgDLMR1::WriteRecord(TNPIM& account, bool insertAsNew, int32_t saveMode, uint32_t organizerId,
                                     int32_t& position, TNPIMRecord*& live)
{
    TNPIMRecords& records = *account.Records;
    TNPIMRecord built(&account);
    if (!insertAsNew) {
        position = records.GetRecordPosByID(static_cast<uint32_t>(i1()));
        if (position < 0 || position >= records.Count || records.Items[position] == nullptr)
            return 2;
        built.Copy(records.Items[position]);
    } else {
        built.ID = records.GetNextID();
        if (built.ID == 0)
            return 3;
        built.Created = static_cast<uint32_t>(std::time(nullptr));
    }
    WritePageInto(built, insertAsNew, saveMode, organizerId);
    if (insertAsNew) {
        if (!records.Resize(records.Count + 1))
            return 1;
        position = records.Count - 1;
        records.Items[position]->Copy(&built);
        records.NoteIDChanged(position);
    } else {
        records.Items[position]->Copy(&built);
    }
    live = records.Items[position];
    WriteTagAndSharing(account, *live, insertAsNew);
    return 0;
}

void TfrmUnidlgDLMR1::WritePageInto(TNPIMRecord& record, bool isNew, int32_t saveMode, uint32_t organizerId)
{
    const TNEditorDate begin = DateItemValue("date3Begin");
    const TNEditorDate end = DateItemValue("date3End");
    const bool beginChanged = isNew || !(begin == EditorDateFromRecordTime(record.HasBegin, record.Begin));
    const bool endChanged = isNew || !(end == EditorDateFromRecordTime(record.HasEnd, record.End));
    // 11.
    record.RecurrenceSaveMode = saveMode;
    if ((beginChanged || endChanged) && saveMode == 3) {
        record.RecurrenceSaveMode = 0;
        LogText("[SaveRecord] Changing RecurrenceSaveModeToSend from 3 to 0 because begin_changed || end_changed");
    }
    // 12.-14.
    record.ParentID = parentRecordId;
    if (record.OrganizerID == 0)
        record.OrganizerID = PIM[recordAccount]->Records->UserOrganizerID;
    record.SaveToOrganizerID = organizerId;
    if (isNew)
        record.OrganizerID = organizerId;
    record.Type = workingRecord->Type;
    record.Text.Set(EditorTrimmedText(View.GetText("memo3Text")));
    record.Importance = View.GetValue("imp3Importance");
    record.Finished = TNPIMRecords::GetFinishedFromMenuText(View.GetComboValue("select3Status").c_str());
    // 16.
    EditorDateToRecordTime(begin, record.HasBegin, record.Begin);
    EditorDateToRecordTime(end, record.HasEnd, record.End);
    record.CalcEventLength();
    record.CopyRecurrence(workingRecord.get());
    record.PleaseSyncRecurrence = recurrenceChanged != 0 ||
                                  (record.RecurrenceFrequency > 0 && (beginChanged || endChanged)) ||
                                  (record.RecurrenceFrequency > 0 && !(begin.HasDate && begin.HasTime));
    if (record.RecurrenceFrequency > 0 && !begin.HasDate)
        record.RecurrenceFrequency = 0;
    // 17.-19.
    record.Reschedule = TNPIMRecords::GetRescheduleFromMenuText(View.GetComboValue("select3Reschedule").c_str());
    if (TNViewItem* alerts = View.GetComponent("btn3Alerts")) {
        record.AlertType0 = alerts->AlertDelivery;
        record.AlertDays0 = alerts->AlertDays;
        record.AlertHours0 = alerts->AlertHours;
        record.AlertMinutes0 = alerts->AlertMinutes;
    }
    record.Visibility = View.GetValue("vis3Visibility");
    // 20.
    record.SharingRequest.Set(EditorSharingParameters(shareGroups.Entries(), shareContacts.Entries()));
    // 21.
    record.Place.Set(View.GetText("edit3Place"));
    record.Note.Set(View.GetText("memo3Note"));
    const int32_t eventType = ComboIndex("select3EventType");
    record.EventType = eventType >= 0 && eventType < static_cast<int32_t>(eventTypeIds.size())
                           ? static_cast<int32_t>(eventTypeIds[static_cast<size_t>(eventType)])
                           : 0;
    record.Hidden = View.GetCheckboxValue("check3Hidden");
    // 22.
    record.Type = EditorRecordType(record.Type, begin, end, View.GetCheckboxValue("check3Task"));
}

// 15. By id: two tags of one title stay apart.
void TfrmUnidlgDLMR1::WriteTagAndSharing(TNPIM& account, TNPIMRecord& record, bool isNew)
{
    const int32_t index = ComboIndex("select3Tag");
    const uint32_t tagId =
        index > 0 && index < static_cast<int32_t>(tagIds.size()) ? tagIds[static_cast<size_t>(index)] : 0;
    if (tagId == 0) {
        account.TagsAssign.DeleteAssign(record.ID);
        return;
    }
    if (!isNew && account.TagsAssign.GetTagID(record.ID) == tagId)
        return;
    account.TagsAssign.DeleteAssign(record.ID);
    account.TagsAssign.AddAssign(record.ID, tagId, record.OrganizerID);
}

void TfrmUnidlgDLMR1::WarnWhenOrganizerHidden(uint32_t organizerId)
{
    for (int32_t i = 0; i < PIM.Count(); ++i) {
        if (PIM[i] != nullptr && PIM[i]->OrganizerIsSelected(organizerId))
            return;
    }
    MB(kVisibilityWarning, "Upozornění", plat::MB_ICONWARNING);
}

// ---------------------------------------------------------------------------
// Bottom bar

void TfrmUnidlgDLMR1::SetEditRecordBottomBar()
{
    if (i1() > 0) {
        labelOdkaz->SetCaption("Odkaz");
        labelOdkaz->SetHint("Otevře internetový odkaz na tento záznam");
        labelOdkaz->SetVisible(workingRecord->ID < kFirstLocalID);
        labelKlonovat->SetCaption("Klonovat");
        labelKlonovat->SetHint("Vytvoří kopii tohoto záznamu pro další editaci");
        TNTime created;
        created.SetTimestamp(workingRecord->Created);
        char text[128];
        std::snprintf(text, sizeof text, "Vytvořeno %02u.%02u.%04u %02u:%02u    ID: %u", created.Den, created.Mesic,
                      created.Rok, created.Hodina, created.Minuta, workingRecord->ID);
        labelCreated->SetCaption(text);
        labelCreated->SetHint("Datum a čas vytvoření záznamu\nKlikněte pro historii změn");
    } else if (newTopLevel) {
        labelNapoveda->SetCaption("Přidat něco jiného:");
        labelNapoveda->SetVisible(true);
        labelOdkaz->SetCaption("poznámku");
        labelKlonovat->SetCaption("výročí");
        labelCreated->SetCaption("narozeniny");
    }
    labelOdkaz->OnClick = [this](plat::TComponent*) { labelOdkazClick(); };
    labelKlonovat->OnClick = [this](plat::TComponent*) { labelKlonovatClick(); };
    labelCreated->OnClick = [this](plat::TComponent*) { labelCreatedClick(); };
    btnVymazat->OnClick = [this](plat::TComponent*) { btnVymazatClick(); };
}

void TfrmUnidlgDLMR1::AddSomethingElse(int32_t type)
{
    if (frmMainDLMR1 != nullptr) {
        frmMainDLMR1->addSomethingElseType = type;
        if (frmMainDLMR1->timerEditRecord != nullptr) {
            frmMainDLMR1->timerEditRecord->SetTag(0);
            frmMainDLMR1->timerEditRecord->SetEnabled(true);
        }
    }
    Close();
}

void TfrmUnidlgDLMR1::labelOdkazClick()
{
    if (newTopLevel) {
        AddSomethingElse(2);
        return;
    }
    for (int32_t i = 0; i < PIM.Count(); ++i) {
        TNPIM* account = PIM[i];
        const TNPIMRecord* record = account != nullptr && account->Records != nullptr
                                        ? account->Records->GetRecordByID(static_cast<uint32_t>(i1()))
                                        : nullptr;
        if (record == nullptr)
            continue;
        const std::string address =
            EditorRecordWebAddress(App.WebProtocol[i], App.WebDomain[i], record->OrganizerID, record->ID);
        if (!address.empty())
            g.StartOpenWebPageLoggedIn(TNString(address.c_str()));
        return;
    }
}

void TfrmUnidlgDLMR1::labelKlonovatClick()
{
    if (newTopLevel)
        AddSomethingElse(7);
    else
        MB("Tato funkce ještě není dokončena.", "Připravujeme", plat::MB_ICONINFORMATION);
}

void TfrmUnidlgDLMR1::labelCreatedClick()
{
    if (newTopLevel) {
        AddSomethingElse(8);
        return;
    }
    TNPIM* account = PIM[recordAccount];
    const TNPIMRecord* record = account != nullptr && account->Records != nullptr
                                    ? account->Records->GetRecordByID(static_cast<uint32_t>(i1()))
                                    : nullptr;
    if (record == nullptr)
        return;
    TNTime changed;
    changed.SetTimestamp(record->Changed);
    TNString at;
    changed.ToStringAt(&at);
    const std::string text = "Změněno " + std::string(at.View());
    MB(text.c_str(), "Historie", plat::MB_ICONINFORMATION);
}

void TfrmUnidlgDLMR1::btnVymazatClick()
{
    if (frmMainDLMR1 == nullptr || i1() <= 0)
        return;
    if (!frmMainDLMR1->DeleteRecordById(static_cast<uint32_t>(i1()), true, this, recordAccount))
        return;
    recordDeleted = 1;
    g.FastSync("btnVymazatClick");
    g.SetUpdateUiTag(__uiUpdateShownData, 0);
    Close();
}
