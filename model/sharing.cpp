#include "model/sharing.h"

#include "foundation/guard.h"
#include "foundation/log.h"
#include "model/body_reader.h"
#include "model/item_helpers.h"
#include "model/model_lock.h"
#include "model/upload.h"

// -------------------------------------------------------------------- entry

bool TNPIMSharingItem::Save(int32_t queuePos, int32_t fid)
{
    return Guarded("[TNPIMSharingItem::Save]", false, [&] {
        TNBodyWriter w(fid, queuePos);
        WriteItemHead(w, *this, kStoredVersion);
        for (uint32_t value : {OrganizerID, RecordID}) {
            w.Unsigned(value, 4);
        }
        w.Unsigned(static_cast<uint32_t>(Type), 1);
        w.Unsigned(ObjectID, 4);
        w.Unsigned(static_cast<uint32_t>(Rights), 1);
        w.Unsigned(static_cast<uint32_t>(RecordType), 1);
        w.Flag(HasBegin);
        w.Time(DateBegin);
        w.Time(DateEnd);
        return w.Commit();
    });
}

bool TNPIMSharingItem::Load(plat::ByteReader& in)
{
    return Guarded("[TNPIMSharingItem::Load]", false, [&] {
        TNBodyReader r(in);
        uint32_t version = ReadItemHead(r, *this, kStoredVersion, kStoredVersion,
                                        "[TNPIMSharingItem::Load][ERROR] Unknown version = ");
        if (version == 0) {
            return false;
        }
        OrganizerID = r.Unsigned(4);
        RecordID = r.Unsigned(4);
        Type = static_cast<int32_t>(r.Unsigned(1));
        ObjectID = r.Unsigned(4);
        Rights = static_cast<int32_t>(r.Unsigned(1));
        RecordType = static_cast<int32_t>(r.Unsigned(1));
        HasBegin = r.Flag();
        r.Time(DateBegin);
        r.Time(DateEnd);
        return r.Ok();
    });
}

void TNPIMSharingItem::GetDataToSync(TNString& out) const
{
    AppendFormField(out, "&ItemID=", ID);
    AppendFormField(out, "&Deleted=", Deleted);
    AppendFormField(out, "&OrganizerID=", OrganizerID);
    AppendFormField(out, "&RecordID=", RecordID);
    AppendFormField(out, "&Type=", Type);
    AppendFormField(out, "&ObjectID=", ObjectID);
    AppendFormField(out, "&Rights=", Rights);
}

void TNPIMSharingItem::Copy(const TNPIMSharingItem* source)
{
    if (source == nullptr || source == this) {
        return;
    }
    PleaseSync = source->PleaseSync;
    ID = source->ID;
    OldID = source->OldID;
    Created = source->Created;
    Changed = source->Changed;
    Deleted = source->Deleted;
    OrganizerID = source->OrganizerID;
    RecordID = source->RecordID;
    Type = source->Type;
    ObjectID = source->ObjectID;
    Rights = source->Rights;
    RecordType = source->RecordType;
    HasBegin = source->HasBegin;
    DateBegin = source->DateBegin;
    DateEnd = source->DateEnd;
}

bool TNPIMSharingItem::Compare(const TNPIMSharingItem& a, const TNPIMSharingItem& b)
{
    bool same = a.ID == b.ID && a.Created == b.Created && a.Changed == b.Changed && a.Deleted == b.Deleted &&
                a.OrganizerID == b.OrganizerID && a.RecordID == b.RecordID && a.Type == b.Type &&
                a.ObjectID == b.ObjectID && a.Rights == b.Rights && a.RecordType == b.RecordType &&
                a.HasBegin == b.HasBegin;
    if (same && a.HasBegin) {
        same = a.DateBegin.Compare(b.DateBegin) == 0 && a.DateEnd.Compare(b.DateEnd) == 0;
    }
    return same;
}

// --------------------------------------------------------------- collection

bool TNPIMSharing::Resize(int32_t n)
{
    return ResizeLogged(n, "[TNPIMSharing::Resize][ERROR]");
}

int32_t TNPIMSharing::Add(TNString* answer)
{
    auto fill = [&](TNPIMSharingItem& s, int32_t pos, TNAnswerItem& in, bool) -> int32_t {
        in.Number("OrganizerID", s.OrganizerID);
        in.Number("RecordID", s.RecordID);
        in.Number("Type", s.Type);
        in.Number("ObjectID", s.ObjectID);
        in.Number("Rights", s.Rights);
        in.Number("RecordType", s.RecordType);
        in.Flag("HasBegin", s.HasBegin);
        if (in.Has("DateBegin", false)) {
            s.DateBegin.SetDateFromString(&in.value);
        }
        if (in.Has("DateEnd", false)) {
            s.DateEnd.SetDateFromString(&in.value);
        }
        collection_steps::CountReceived(*this, s.Changed);
        QueueItem(pos);
        return pos;
    };
    return AddAnswerItem(*this, "[TNPIMSharing::Add]", nullptr, answer, fill);
}

int32_t TNPIMSharing::GetItemPosByID(uint32_t id) const
{
    if (id == 0) {
        return -1;
    }
    LogTextUInt("[TNPIMSharing::GetItemPosByID] id = ", id);
    for (int32_t i = 0; i < Count; ++i) {
        const TNPIMSharingItem* s = Items[i];
        if (s != nullptr && (s->ID == id || (id >= kFirstLocalID && s->OldID == id))) {
            return i;
        }
    }
    return -1;
}

void TNPIMSharing::Copy(const TNPIMSharing* source)
{
    Guarded("[TNPIMSharing::Copy]", [&] {
        if (source == nullptr || source == this || !Resize(source->Count)) {
            return;
        }
        NextID = source->NextID;
        LastRequestTime = source->LastRequestTime;
        NewestChanged = source->NewestChanged;
        Offset = source->Offset;
        Received = source->Received;
        for (int32_t i = 0; i < Count; ++i) {
            Items[i]->Copy(source->Items[i]);
        }
    });
}

bool TNPIMSharing::Compare(uint32_t recordID, const TNPIMSharing* fromServer) const
{
    return Guarded("[TNPIMSharing::Compare]", false, [&] {
        TNModelReadGuard lock;
        if (fromServer == nullptr) {
            return true;
        }
        LogTextInt("[TNPIMSharing::Compare] PIM[0]->Sharing.Count = ", Count);
        LogTextInt("[TNPIMSharing::Compare] sharing_from_server->Count = ", fromServer->Count);
        int32_t local = 0;
        for (int32_t i = 0; i < Count; ++i) {
            const TNPIMSharingItem* mine = Items[i];
            if (mine == nullptr || mine->Deleted != 0 || mine->RecordID != recordID) {
                continue;
            }
            ++local;
            bool found = false;
            for (int32_t k = 0; k < fromServer->Count && !found; ++k) {
                found = fromServer->Items[k] != nullptr && TNPIMSharingItem::Compare(*mine, *fromServer->Items[k]);
            }
            if (!found) {
                LogTextInt("[TNPIMSharing::Compare] return false_1 = ", i);
                return false;
            }
        }
        LogTextInt("[TNPIMSharing::Compare] local_record_sharing_count = ", local);
        if (fromServer->Count != local) {
            LogText("[TNPIMSharing::Compare] return false_2");
            return false;
        }
        return true;
    });
}

void TNPIMSharing::Confirmed(TNPIMSharingItem& item, uint32_t oldID, uint32_t newChanged)
{
    item.OldID = oldID;
    if (newChanged > 0) {
        item.Changed = static_cast<int32_t>(newChanged);
    }
}
