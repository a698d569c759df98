// The one commit path of a record the user changed, the record look-ups of
// every record action, the status and importance menus, and the repaint of
// a changed record's list.

#include "mainwindow/main_window.h"

#include "foundation/app_info.h"
#include "foundation/guard.h"
#include "foundation/local_clock.h"
#include "foundation/log.h"
#include "foundation/pim_array.h"
#include "foundation/record_file.h"
#include "mainwindow/page_services.h"
#include "mainwindow/record_rules.h"
#include "model/item_helpers.h"
#include "model/pim.h"
#include "model/records.h"
#include "online/global.h"
#include "platform/core/clock.h"
#include "platform/gui/menu.h"
#include "view/hooks.h"
#include "view/view.h"

#include <cstdint>
#include <string>

namespace {

constexpr const char* kSequence = "[TfrmMainDLMR1::ChangedRecordSaveSequence]";
constexpr int32_t kSequenceWaitTries = 400;
constexpr int32_t kSequenceWaitLogFrom = 10;
constexpr int64_t kSequenceWaitMs = 25;

// The records of an account position, or null outside the accounts.
TNPIMRecords* AccountRecords(int32_t pim_srv_pos)
{
    if (pim_srv_pos < 0 || pim_srv_pos >= App.PimServersCount || PIM[pim_srv_pos] == nullptr)
        return nullptr;
    return PIM[pim_srv_pos]->Records.get();
}

// Takes the sequence's busy byte: waits while another sequence holds it, at
// most 400 × 25 ms, then takes it over.
void TakeSequenceByte()
{
    for (int32_t tries = 0; tries < kSequenceWaitTries; ++tries) {
        uint8_t idle = 0;
        if (g.runningChangedRecordSaveSequence.compare_exchange_strong(idle, 1))
            return;
        if (tries >= kSequenceWaitLogFrom)
            LogTextInt("[TfrmMainDLMR1::ChangedRecordSaveSequence] Waiting for g.runningChangedRecordSaveSequence... ",
                       tries);
        plat::SleepMilliseconds(kSequenceWaitMs);
    }
    uint8_t idle = 0;
    if (!g.runningChangedRecordSaveSequence.compare_exchange_strong(idle, 1)) {
        LogText("[TfrmMainDLMR1::ChangedRecordSaveSequence][ERROR] Resetting g.runningChangedRecordSaveSequence");
        g.runningChangedRecordSaveSequence = 1;
    }
}

// Clears the two busy bytes of the sequence on every way out.
struct SequenceBytes {
    SequenceBytes() = default;
    SequenceBytes(const SequenceBytes&) = delete;
    SequenceBytes& operator=(const SequenceBytes&) = delete;
    ~SequenceBytes()
    {
        g.UiUpdateIsRunning = 0;
        g.runningChangedRecordSaveSequence = 0;
    }
};

// The entry the sequence may commit: inside the account and the list, not
// null, and stored and uploaded at all. Logs why not.
TNPIMRecord* CommittableEntry(int32_t pim_srv_pos, TNPIMRecord* record, int32_t record_pos)
{
    TNPIMRecords* records = AccountRecords(pim_srv_pos);
    if (records == nullptr || record == nullptr || record_pos < 0 || record_pos >= records->Count) {
        LogTextInt("[TfrmMainDLMR1::ChangedRecordSaveSequence][ERROR] pim_srv_pos = ", pim_srv_pos);
        LogTextInt("[TfrmMainDLMR1::ChangedRecordSaveSequence][ERROR] record_pos = ", record_pos);
        LogWrite("[TfrmMainDLMR1::ChangedRecordSaveSequence][ERROR] record = ",
                 std::to_string(reinterpret_cast<uintptr_t>(record)).c_str(), false);
        return nullptr;
    }
    TNPIMRecord* entry = records->Items[record_pos];
    if (entry == nullptr) {
        LogText("[TfrmMainDLMR1::ChangedRecordSaveSequence][ERROR] PIM[pim_srv_pos]->Records->Items[record_pos] = 0");
        return nullptr;
    }
    // A public organizer's records are neither stored nor uploaded: a change
    // would show and be lost at the next download.
    if (entry->Virtual || entry->DoNotSave || record->Virtual || record->DoNotSave) {
        LogTextUInt("[TfrmMainDLMR1::ChangedRecordSaveSequence][ERROR] Virtual or DoNotSave record; record->ID = ",
                    record->ID);
        return nullptr;
    }
    return entry;
}

} // namespace

void TfrmMainDLMR1::ChangedRecordSaveSequence(int32_t pim_srv_pos, TNPIMRecord* record, int32_t record_pos)
{
    // 17. Declared first, so the bytes clear after everything, an exception
    // included; the model lock goes with its own guard before.
    SequenceBytes bytes;
    Guarded(kSequence, [&] {
        // 1. to 3. One sequence at a time, with no synchronisation meanwhile.
        TakeSequenceByte();
        const TNUiJobLock lock = g.WaitUntilSyncJobIsDone(kSequence, 1);
        g.runningChangedRecordSaveSequence = 1;

        // 4. and 5. The entry the change goes into.
        TNPIMRecord* entry = CommittableEntry(pim_srv_pos, record, record_pos);
        if (entry == nullptr)
            return;
        TNPIM& account = *PIM[pim_srv_pos];
        TNPIMRecords& records = *account.Records;

        // 6. and 7. The tag the record carries, logged.
        const TNPIM* tagsOwner = PIM[record->GetParentPIMPos()];
        LogTextUInt("[TfrmMainDLMR1::ChangedRecordSaveSequence][BEGIN] TagsAssign.GetTagID = ",
                    tagsOwner != nullptr ? tagsOwner->TagsAssign.GetTagID(record->ID) : 0);
        LogTextInt("[TfrmMainDLMR1::ChangedRecordSaveSequence] record_pos = ", record_pos);

        // 8. to 11. Stamped, and taken out of the days it stood in.
        record->Changed = TNLocalClock::Now32();
        g.someRecordChangedSoUpdateViews = 3;
        entry->DeleteRecordFromAllDays();
        entry->CalcEventLength();
        const bool created = records.CreateVirtuals(record_pos, false);

        // 12. Queued under the record's own position, as a deletion when it
        // is deleted.
        QueueForSave(account.RecordFileSlot(), raftRecord, record->ID, record_pos, record->Deleted, true);

        // 13. and 14. Back into its days.
        if (!created) {
            record->UpdateOrganizerPointer();
            record->AddToAllDays();
        }
        record->PleaseSync = true;
        pimDataReceived = true;
        g.pleaseSavePIM = 1;

        // 15. The organizers it belongs to learn of the change.
        pages_->OrganizerRecordChanged(entry->OrganizerID);
        if (entry->SaveToOrganizerID != 0 && entry->SaveToOrganizerID != entry->OrganizerID)
            pages_->OrganizerRecordChanged(entry->SaveToOrganizerID);

        // 16. The views show it.
        LogText(">>> g.SetUpdateUiTag(__uiUpdateShownData) [QQQ]");
        g.SetUpdateUiTag(__uiUpdateShownData_NoSync, 0);
        LogTextInt("[TfrmMainDLMR1::ChangedRecordSaveSequence] record->PleaseSyncRecurrence = ",
                   record->PleaseSyncRecurrence ? 1 : 0);
        LogText("[TfrmMainDLMR1::ChangedRecordSaveSequence][END]");
    });
}

TNPIMRecord* TfrmMainDLMR1::GetRecordWithPos(int32_t pim_srv_pos, uint32_t recordId, int32_t& record_pos)
{
    return Guarded("[TfrmMainDLMR1::GetRecordWithPos]", nullptr, [&]() -> TNPIMRecord* {
        TNPIMRecords* records = AccountRecords(pim_srv_pos);
        if (records == nullptr)
            return nullptr;
        record_pos = records->GetRecordPosByID(recordId);
        return record_pos >= 0 ? records->Items[record_pos] : nullptr;
    });
}

TNPIMRecord* TfrmMainDLMR1::GetRecordWithPos(uint32_t recordId, int32_t& record_pos)
{
    for (int32_t pos = 0; pos < App.PimServersCount; ++pos) {
        if (TNPIMRecord* record = GetRecordWithPos(pos, recordId, record_pos))
            return record;
    }
    return nullptr;
}

void TfrmMainDLMR1::UpdateComponent(TNViewItem* component)
{
    Guarded("[TfrmMainDLMR1::UpdateComponent]", [&] {
        if (component == nullptr)
            return;
        int32_t account = component->pimSrvPos;
        if (account < 0 || account >= App.PimServersCount) {
            LogTextInt("[TfrmMainDLMR1::UpdateComponent][ERROR] pim_srv_pos = ", account);
            account = 0;
        }
        int32_t recordPos = -1;
        if (GetRecordWithPos(account, component->record_id, recordPos) == nullptr)
            return;
        TNViewItem* parent = component->ParentItem;
        if (parent != nullptr && parent->Type == cmpScrollbox)
            ViewMain::PaintRecordsComponentsList(parent, true, "TfrmMainDLMR1::UpdateComponent_A", false);
    });
}
