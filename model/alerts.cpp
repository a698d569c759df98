#include "model/alerts.h"

#include "foundation/guard.h"
#include "foundation/log.h"
#include "foundation/record_file_set.h"
#include "model/body_reader.h"
#include "model/model_lock.h"
#include "model/numbers.h"
#include "model/pim.h"
#include "model/upload.h"

// -------------------------------------------------------------------- alert

bool TNPIMAlert::Save(int32_t queuePos, int32_t fid)
{
    return Guarded("[TNPIMAlert::Save]", false, [&] {
        raf.resetStream(fid);
        raf.writeNumber(kStoredVersion, 1, fid);
        raf.writeNumber(PleaseSync ? 1 : 0, 1, fid);
        for (uint32_t value : {ID, Created, Changed, Deleted, OrganizerID, RecordID, UserID}) {
            raf.writeNumber(value, 4, fid);
        }
        for (int32_t value : {Type, DaysBefore, HoursBefore, MinutesBefore}) {
            raf.writeNumber(static_cast<uint32_t>(value), 1, fid);
        }
        raf.writeNumber(AlertTimestamp, 4, fid);
        raf.writeString(Settings, fid);
        return raf.saveStream(fid, queuePos);
    });
}

bool TNPIMAlert::Load(plat::ByteReader& in)
{
    return Guarded("[TNPIMAlert::Load]", false, [&] {
        TNBodyReader r(in);
        if (r.Unsigned(1) != kStoredVersion || !r.Ok()) {
            return false;
        }
        PleaseSync = r.Flag();
        ID = r.Unsigned(4);
        Created = r.Unsigned(4);
        Changed = r.Unsigned(4);
        Deleted = r.Unsigned(4);
        OrganizerID = r.Unsigned(4);
        RecordID = r.Unsigned(4);
        UserID = r.Unsigned(4);
        Type = static_cast<int32_t>(r.Unsigned(1));
        DaysBefore = static_cast<int32_t>(r.Unsigned(1));
        HoursBefore = static_cast<int32_t>(r.Unsigned(1));
        MinutesBefore = static_cast<int32_t>(r.Unsigned(1));
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

int32_t TNPIMAlerts::RecordFileSlot() const
{
    return ParentPIM != nullptr ? ParentPIM->RecordFileSlot() : -1;
}

void TNPIMAlerts::QueueForSave(int32_t pos)
{
    int32_t fid = RecordFileSlot();
    if (pos < 0 || pos >= Count || Items[pos] == nullptr || !raf.isValidFid(fid)) {
        return;
    }
    const TNPIMAlert& alert = *Items[pos];
    raf.Items[static_cast<size_t>(fid)]->add_toSave(raftAlert, alert.ID, pos, alert.Deleted, !alert.DeletePending,
                                                    false);
}

int32_t TNPIMAlerts::Add(TNString* answer)
{
    return Guarded("[TNPIMAlerts::Add]", -1, [&] {
        TNModelWriteGuard lock;
        if (answer == nullptr) {
            return -1;
        }
        LogWrite("[TNPIMAlerts::Add] ", answer->Text, false);
        TNString value;
        auto read = [&](const char* key, bool decode) { return answer->GetXmlValue(key, nullptr, 0, &value, decode); };
        uint32_t id = read("ID", false) ? static_cast<uint32_t>(TextToNumber(value)) : 0;
        int32_t pos = PosForIDOrAppend(id);
        if (pos < 0) {
            return -1;
        }
        TNPIMAlert& a = *Items[pos];
        pimDataReceived = true;
        a.PleaseSync = false;

        auto number = [&](const char* key, auto& field) {
            if (read(key, false)) {
                field = static_cast<std::remove_reference_t<decltype(field)>>(TextToNumber(value));
            }
        };
        number("ID", a.ID);
        idIndex_.Note(pos, a);
        number("Created", a.Created);
        number("Changed", a.Changed);
        number("Deleted", a.Deleted);
        number("OrganizerID", a.OrganizerID);
        number("RecordID", a.RecordID);
        number("UserID", a.UserID);
        number("Type", a.Type);
        number("DaysBefore", a.DaysBefore);
        number("HoursBefore", a.HoursBefore);
        number("MinutesBefore", a.MinutesBefore);
        number("AlertTimestamp", a.AlertTimestamp);
        if (read("Settings", true)) {
            a.Settings = value;
        }

        ++Received;
        ++Offset;
        if (static_cast<int32_t>(a.Changed) > static_cast<int32_t>(NewestChanged)) {
            NewestChanged = a.Changed;
        }
        QueueForSave(pos);
        return pos;
    });
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
        StoreConfirmedItem(a, raftAlert, oldID, pos, RecordFileSlot(), !a.DeletePending);
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
