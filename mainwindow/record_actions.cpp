// The record editor entry, the commands that add something new, and the
// record timers.

#include "mainwindow/main_window.h"

#include "foundation/app_info.h"
#include "foundation/guard.h"
#include "foundation/log.h"
#include "foundation/pim_array.h"
#include "mainwindow/page_services.h"
#include "mainwindow/record_rules.h"
#include "model/pim.h"
#include "model/records.h"
#include "model/users_rights.h"
#include "online/global.h"
#include "online/login.h"
#include "platform/gui/dialogs.h"
#include "platform/gui/timer.h"
#include "view/view.h"

namespace {

// The account position of a record the editor opens: the record's own; for
// a new subtask its parent's (looked up in account 0); else 0.
int32_t EditedAccount(const TNPIMRecord* record, uint32_t parentRecordID)
{
    if (record != nullptr)
        return record->GetParentPIMPos();
    if (parentRecordID != 0 && PIM[0] != nullptr && PIM[0]->Records != nullptr) {
        if (const TNPIMRecord* parent = PIM[0]->Records->GetRecordByID(parentRecordID))
            return parent->GetParentPIMPos();
    }
    return 0;
}

} // namespace

void TfrmMainDLMR1::EditRecord(TNPIMRecord* record, uint32_t parentRecordID, uint8_t addFlag, TNViewItem* component,
                               int32_t newRecordType, int32_t organizerArg)
{
    Guarded("[TfrmMainDLMR1::EditRecord]", [&] {
        // 1. The record to edit, or a new one.
        if (record != nullptr) {
            LogTextUInt("[TfrmMainDLMR1::EditRecord][BEGIN] record->ID = ", record->ID);
            LogWrite("[TfrmMainDLMR1::EditRecord] record->Text = ", record->Text.Text, false);
        } else {
            LogText("[TfrmMainDLMR1::EditRecord][BEGIN] record = NULL --> Creating new record");
        }

        if (record != nullptr && record->Type > rtDayNote) {
            // 2. Kinds the editor does not know are not opened.
            LogTextUInt("[TfrmMainDLMR1::EditRecord][EDIT_NOTE][A] record->ID = ", record->ID);
        } else if (record != nullptr && record->Type == rtNote) {
            // 2. A note is edited on the Notes page.
            LogTextUInt("[TfrmMainDLMR1::EditRecord][EDIT_NOTE][A] record->ID = ", record->ID);
            LogTextUInt("[TfrmMainDLMR1::EditRecord][EDIT_NOTE][B] record->ID = ", record->ID);
            const uint32_t id = record->ID;
            const int32_t account = record->GetParentPIMPos();
            ClickOnControlButton("btnControlNotes");
            shownNoteRecordId = id;
            shownNotePimSrvPos = account;
            LogWrite("[EditRecord]", "Calling UpdateNotes()", false);
            pages_->ShowSelectedNote(id, account, 0, true);
        } else {
            // 3. to 6. The component travels as its id: the lists it lies
            // in may be rebuilt while the dialog is open.
            const uint32_t componentId = component != nullptr ? component->ComponentId : 0;
            const int32_t account = EditedAccount(record, parentRecordID);
            UniDialog("EditRecord", this, record != nullptr ? static_cast<int32_t>(record->ID) : 0, addFlag,
                      static_cast<int32_t>(parentRecordID), newRecordType, static_cast<int32_t>(componentId), account,
                      organizerArg, 0);
            for (int32_t pos = 0; pos < App.PimServersCount; ++pos) {
                LogTextInt("[TfrmMainDLMR1::EditRecord] Before PIM[pim_srv_pos]->CheckAll; pim_srv_pos = ", pos);
                if (PIM[pos] != nullptr)
                    PIM[pos]->CheckAll();
                LogTextInt("[TfrmMainDLMR1::EditRecord] After PIM[pim_srv_pos]->CheckAll; pim_srv_pos = ", pos);
            }
            if (componentId != 0) {
                if (TNViewItem* again = View.GetComponentById(componentId))
                    UpdateComponent(again);
            }
            LogText("[TfrmMainDLMR1::EditRecord] Before frmMainDLMR1->gDeskPageChanged");
            gDeskPageChanged();
            LogText("[TfrmMainDLMR1::EditRecord] After frmMainDLMR1->gDeskPageChanged");
        }

        // 7. Also after a cancelled dialog and on the note road.
        Guarded("[TfrmMainDLMR1::EditRecord_FastSync]", [] { g.FastSync("EditRecord"); });
        Guarded("[TfrmMainDLMR1::EditRecord_SetUpdateUiTag]", [] { g.SetUpdateUiTag(__uiUpdateShownData, 0); });
        LogText("[TfrmMainDLMR1::EditRecord][END]");
    });
}

void TfrmMainDLMR1::RunPageJob(const TNPageJob& job)
{
    if (StartPageJob) {
        StartPageJob(job);
        return;
    }
    auto* thread = new TLogin();
    thread->Tag = job.Tag;
    thread->RecordID = job.RecordID;
    thread->Value = job.Value;
    thread->pim_srv_pos = job.pim_srv_pos;
    thread->OrganizerID = job.OrganizerID;
    thread->DialogIndex = job.DialogIndex;
    thread->DialogId = job.DialogId;
    if (job.EditedRecord) {
        thread->EditedRecord = std::make_unique<TNPIMRecord>();
        thread->EditedRecord->Copy(job.EditedRecord.get());
    }
    if (!thread->Resume()) {
        delete thread;
        LogTextInt("[TfrmMainDLMR1::RunPageJob][ERROR] no thread for job ", job.Tag);
    }
}

// ---------------------------------------------------------------------------
// Adding something new

void TfrmMainDLMR1::mnuFileAddSomethingNewClick()
{
    Guarded("[TfrmMainDLMR1::mnuFileAddSomethingNewClick]",
            [&] { EditRecord(nullptr, 0, 0, nullptr, controlActive == kTasks ? rtTask : 0, 0); });
}

void TfrmMainDLMR1::mnuFileAddBirthdayClick()
{
    Guarded("[TfrmMainDLMR1::mnuFileAddBirthdayClick]", [&] { EditRecord(nullptr, 0, 0, nullptr, rtBirthday, 0); });
}

void TfrmMainDLMR1::mnuFileAddAnniversaryClick()
{
    Guarded("[TfrmMainDLMR1::mnuFileAddAnniversaryClick]",
            [&] { EditRecord(nullptr, 0, 0, nullptr, rtAnniversary, 0); });
}

void TfrmMainDLMR1::mnuFileAddTaskClick()
{
    Guarded("[TfrmMainDLMR1::mnuFileAddTaskClick]", [&] {
        const char* name = DayboxNameOfView(controlActive, pages_->CalendarMode());
        EditRecord(nullptr, 0, 0, name != nullptr ? View.GetComponent(name) : nullptr, rtTask, 0);
    });
}

void TfrmMainDLMR1::btnTodayDayboxAddClick()
{
    Guarded("[TfrmMainDLMR1::btnTodayDayboxAddClick]", [&] {
        TNViewItem* daybox = View.GetComponent(DayboxNameOfView(kHomepage, 0));
        if (daybox != nullptr)
            daybox->CallerHour = -999;
        EditRecord(nullptr, 0, 0, daybox, 0, 0);
    });
}

void TfrmMainDLMR1::pmnuDayboxNewRecordClick()
{
    Guarded("[TfrmMainDLMR1::pmnuDayboxNewRecordClick]", [&] {
        const char* name = DayboxNameOfView(controlActive, pages_->CalendarMode());
        TNViewItem* daybox = name != nullptr ? View.GetComponent(name) : nullptr;
        if (daybox == nullptr)
            plat::MessageBox("Nastala chyba ve funkci TfrmMainDLMR1::pmnuDayboxNewRecordClick\n"
                             "daybox_caller_item = NULL\nKontaktujte prosím technickou podporu.",
                             "Chyba", plat::MB_ICONWARNING);
        EditRecord(nullptr, 0, 0, daybox, 0, 0);
    });
}

// ---------------------------------------------------------------------------
// Timers

void TfrmMainDLMR1::timerEditRecordTimer()
{
    Guarded("[TfrmMainDLMR1::timerEditRecordTimer]", [&] {
        timerEditRecord->SetEnabled(false);
        const auto recordId = static_cast<uint32_t>(timerEditRecord->Tag());
        timerEditRecord->SetTag(0);
        if (recordId == 0) {
            const int type = addSomethingElseType.exchange(0);
            switch (type) {
            case 0:
                break;
            case rtNote:
                LogText("[timerEditRecordTimer]");
                pages_->RunCommand(TNPageCommand::btnNotesListAddClick);
                break;
            case rtAnniversary:
                mnuFileAddAnniversaryClick();
                break;
            case rtBirthday:
                mnuFileAddBirthdayClick();
                break;
            default:
                LogTextInt("[TfrmMainDLMR1::timerEditRecordTimer][DEFAULT] g.addSomethingElseType = ", type);
                break;
            }
            return;
        }
        int32_t recordPos = -1;
        if (TNPIMRecord* record = GetRecordWithPos(0, recordId, recordPos))
            EditRecord(record, 0, 0, nullptr, 0, 0);
    });
}

void TfrmMainDLMR1::timerAddSomethingNewTimer()
{
    Guarded("[TfrmMainDLMR1::timerAddSomethingNewTimer]", [&] {
        timerAddSomethingNew->SetEnabled(false);
        const int64_t tag = timerAddSomethingNew->Tag();
        timerAddSomethingNew->SetTag(0);
        if (tag != 1) {
            btnTodayDayboxAddClick();
            return;
        }
        // The toast's record, looked up again: it may be gone by now.
        const std::shared_ptr<const TNPIMRecord> remembered = g.NotifyConstantlyRecord();
        if (remembered == nullptr)
            return;
        const int32_t account = remembered->ParentPIM != nullptr ? remembered->ParentPIM->pimSrvPos : 0;
        int32_t recordPos = -1;
        TNPIMRecord* record = GetRecordWithPos(account, remembered->ID, recordPos);
        if (record == nullptr)
            return;
        const std::unique_ptr<TNUsersRights> rights = record->GetUsersRights("timerAddSomethingNewTimer");
        if (rights != nullptr && rights->Role == 0)
            pages_->OpenSideboard(record->ID, account, true);
        else
            EditRecord(record, record->ParentID, 0, nullptr, 0, 0);
    });
}
