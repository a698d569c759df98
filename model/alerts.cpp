#include "model/alerts.h"

#include "foundation/guard.h"
#include "foundation/log.h"
#include "model/item_helpers.h"
#include "model/model_lock.h"
#include "model/pim.h"
#include "model/upload.h"

// -------------------------------------------------------------------- alert

bool TNPIMAlert::Save(int32_t queuePos, int32_t fid)
{
    return Guarded("[TNPIMAlert::Save]", false, [&] {
        TNBodyWriter w(fid, queuePos);
        WriteItemHead(w, *this, kStoredVersion);
        for (uint32_t value : {OrganizerID, RecordID, UserID}) {
            w.Unsigned(value, 4);
        }
        for (int32_t value : {Type, DaysBefore, HoursBefore, MinutesBefore}) {
            w.Signed(value, 1);
        }
        w.Unsigned(AlertTimestamp, 4);
        w.String(Settings);
        return w.Commit();
    });
}

bool TNPIMAlert::Load(plat::ByteReader& in)
{
    return Guarded("[TNPIMAlert::Load]", false, [&] {
        TNBodyReader r(in);
        if (ReadItemHead(r, *this, kStoredVersion, kStoredVersion) == 0) {
            return false;
        }
        OrganizerID = r.Unsigned(4);
        RecordID = r.Unsigned(4);
        UserID = r.Unsigned(4);
        for (int32_t* value : {&Type, &DaysBefore, &HoursBefore, &MinutesBefore}) {
            *value = static_cast<int32_t>(r.Unsigned(1));
        }
        AlertTimestamp = r.Unsigned(4);
        r.String(Settings);
        return r.Ok();
    });
}

void TNPIMAlert::GetDataToSync(TNString* text) const
{
    Guarded("[TNPIMAlert::GetDataToSync]", [&] {
        if (text == nullptr) {
            return;
        }
        AppendFormField(*text, "&ItemID=", ID);
        AppendFormField(*text, "&Deleted=", Deleted);
        AppendFormField(*text, "&OrganizerID=", OrganizerID);
        AppendFormField(*text, "&RecordID=", RecordID);
        AppendFormField(*text, "&UserID=", UserID);
        AppendFormField(*text, "&Type=", Type);
        AppendFormField(*text, "&DaysBefore=", DaysBefore);
        AppendFormField(*text, "&HoursBefore=", HoursBefore);
        AppendFormField(*text, "&MinutesBefore=", MinutesBefore);
        AppendFormField(*text, "&AlertTimestamp=", AlertTimestamp);
        AppendFormField(*text, "&Settings=", Settings);
    });
}

// --------------------------------------------------------------- collection

void TNPIMAlerts::Init()
{
    LastRequestTime = 0;
    NewestChanged = 0;
    Offset = 0;
    Received = 0;
}

void TNPIMAlerts::Destroy()
{
    TNPIMCollection::Destroy();
    idIndex_.Clear();
}

void TNPIMAlerts::NoteIDChanged(int32_t pos)
{
    if (pos >= 0 && pos < Count && Items[pos] != nullptr) {
        idIndex_.Note(pos, *Items[pos]);
    }
}

int32_t TNPIMAlerts::GetItemPosByID(uint32_t id) const
{
    return idIndex_.Find(Items, Count, id, "[TNPIMAlerts::GetItemPosByID][ERROR] stale id index; id = ");
}

void TNPIMAlerts::Clear()
{
    Guarded("[TNPIMAlerts::Clear]", [&] {
        Destroy();
        Init();
    });
}

bool TNPIMAlerts::Resize(int32_t n)
{
    return Guarded("[TNPIMAlerts::Resize]", false, [&] {
        int32_t old = Count;
        if (!ResizeSlots(n)) {
            return false;
        }
        idIndex_.Resized(Items, old, Count);
        return true;
    });
}

void TNPIMAlerts::QueueForSave(int32_t pos)
{
    if (pos < 0 || pos >= Count || Items[pos] == nullptr) {
        return;
    }
    const TNPIMAlert& alert = *Items[pos];
    ::QueueForSave(RecordFileSlotOf(ParentPIM), raftAlert, alert.ID, pos, alert.Deleted, !alert.DeletePending);
}

int32_t TNPIMAlerts::Add(TNString* answer)
{
    auto fill = [&](TNPIMAlert& a, int32_t pos, TNAnswerItem& in, bool) -> int32_t {
        idIndex_.Note(pos, a);
        pimDataReceived = true;
        in.Number("OrganizerID", a.OrganizerID);
        in.Number("RecordID", a.RecordID);
        in.Number("UserID", a.UserID);
        in.Number("Type", a.Type);
        in.Number("DaysBefore", a.DaysBefore);
        in.Number("HoursBefore", a.HoursBefore);
        in.Number("MinutesBefore", a.MinutesBefore);
        in.Number("AlertTimestamp", a.AlertTimestamp);
        in.Text("Settings", a.Settings);

        collection_steps::CountReceived(*this, a.Changed);
        QueueForSave(pos);
        return pos;
    };
    return AddAnswerItem(*this, "[TNPIMAlerts::Add]", "[TNPIMAlerts::Add] ", answer, fill);
}

void TNPIMAlerts::UpdateLastRequestTime(int32_t pos)
{
    Guarded("[TNPIMAlerts::UpdateLastRequestTime]", [&] {
        if (pos >= 0 && pos < Count && Items[pos] != nullptr &&
            static_cast<int32_t>(Items[pos]->Changed) > static_cast<int32_t>(LastRequestTime)) {
            LastRequestTime = Items[pos]->Changed;
        }
    });
}

void TNPIMAlerts::FinalizeLoading()
{
    Guarded("[TNPIMAlerts::FinalizeLoading]", [&] {
        for (int32_t i = 0; i < Count; ++i) {
            UpdateLastRequestTime(i);
        }
        idIndex_.Rebuild(Items, Count);
    });
}

uint32_t TNPIMAlerts::GetDataToSync(TNString* text, const TNUploadSkip& skip)
{
    return Guarded("[TNPIMAlerts::GetDataToSync]", 0u, [&]() -> uint32_t {
        if (text == nullptr) {
            return 0u;
        }
        for (int32_t i = 0; i < Count; ++i) {
            TNPIMAlert* a = Items[i];
            if (a != nullptr && (a->PleaseSync || a->ID >= kFirstLocalID) && !(skip && skip(a->ID))) {
                a->PleaseSync = true;
                a->GetDataToSync(text);
                return a->ID;
            }
        }
        return 0;
    });
}

void TNPIMAlerts::DataUpSynced(uint32_t oldID, uint32_t newID, uint32_t /*newChanged*/)
{
    Guarded("[TNPIMAlerts::DataUpSynced]", [&] {
        TNModelWriteGuard lock;
        int32_t pos = GetAlertPosByID(oldID);
        if (pos < 0) {
            return;
        }
        TNPIMAlert& a = *Items[pos];
        a.PleaseSync = false;
        a.ID = newID;
        idIndex_.Note(pos, a);
        // The stored alert must stop being pending too.
        StoreConfirmedItem(a, raftAlert, oldID, pos, RecordFileSlotOf(ParentPIM), !a.DeletePending);
    });
}

void TNPIMAlerts::UpdateByRecordID(uint32_t recordID, TNTime& begin)
{
    Guarded("[TNPIMAlerts::UpdateByRecordID]", [&] {
        TNModelWriteGuard lock;
        int64_t start = begin.GetTimestamp();
        for (int32_t i = 0; i < Count; ++i) {
            TNPIMAlert* a = Items[i];
            if (a == nullptr || a->RecordID != recordID) {
                continue;
            }
            int64_t before = static_cast<int64_t>(a->DaysBefore) * 86400 + static_cast<int64_t>(a->HoursBefore) * 3600 +
                             static_cast<int64_t>(a->MinutesBefore) * 60;
            a->AlertTimestamp = static_cast<uint32_t>(start - before);
            a->PleaseSync = false;
            pimDataReceived = true;
            QueueForSave(i);
        }
    });
}
