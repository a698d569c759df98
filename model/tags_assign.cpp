#include "model/tags_assign.h"

#include "foundation/guard.h"
#include "foundation/local_clock.h"
#include "foundation/log.h"
#include "foundation/pim_array.h"
#include "model/item_helpers.h"
#include "model/model_lock.h"
#include "model/pim.h"
#include "model/tags.h"
#include "model/upload.h"

#include <algorithm>

// ------------------------------------------------------------------- item

bool TNPIMTagsAssignItem::Save(int32_t queuePos, int32_t fid)
{
    return Guarded("[TNPIMTagsAssignItem::Save]", false, [&] {
        TNBodyWriter w(fid, queuePos);
        WriteItemHead(w, *this, kStoredVersion);
        for (uint32_t value : {OrganizerID, RecordID, TagID}) {
            w.Unsigned(value, 4);
        }
        return w.Commit();
    });
}

bool TNPIMTagsAssignItem::Load(plat::ByteReader& in)
{
    return Guarded("[TNPIMTagsAssignItem::Load]", false, [&] {
        TNBodyReader r(in);
        if (ReadItemHead(r, *this, kStoredVersion, kStoredVersion) == 0) {
            return false;
        }
        OrganizerID = r.Unsigned(4);
        RecordID = r.Unsigned(4);
        TagID = r.Unsigned(4);
        if (!r.Ok()) {
            return false;
        }
        Update_tagsAssignLastRequestTime();
        return true;
    });
}

void TNPIMTagsAssignItem::GetDataToSync(TNString* text) const
{
    Guarded("[TNPIMTagsAssignItem::GetDataToSync]", [&] {
        if (text == nullptr) {
            return;
        }
        AppendFormField(*text, "&ItemID=", ID);
        AppendFormField(*text, "&Deleted=", static_cast<int32_t>(Deleted));
        AppendFormField(*text, "&OrganizerID=", OrganizerID);
        AppendFormField(*text, "&RecordID=", RecordID);
        AppendFormField(*text, "&TagID=", TagID);
    });
}

void TNPIMTagsAssignItem::Update_tagsAssignLastRequestTime()
{
    Guarded("[TNPIMTagsAssignItem::Update_tagsAssignLastRequestTime]", [&] {
        TNPIMOrganizers* organizers = OrganizersOf(ParentPIM);
        TNPIMOrganizer* organizer = organizers != nullptr ? organizers->GetOrganizerByID(OrganizerID) : nullptr;
        if (organizer == nullptr) {
            return;
        }
        if (organizer->tagsAssignLastRequestTime < Changed) {
            organizer->tagsAssignLastRequestTime = Changed;
        }
        TNPIMLastRequests* lastRequests = LastRequestsOf(ParentPIM);
        uint32_t higher =
            lastRequests != nullptr ? lastRequests->GetHigher(raftTagsAssign, organizer->ID, Changed) : Changed;
        if (higher > organizer->tagsAssignLastRequestTime) {
            char text[160];
            std::snprintf(text, sizeof text, "%u, tagsAssignLastRequestTime: %u, changed2: %u", organizer->ID,
                          organizer->tagsAssignLastRequestTime, higher);
            LogWrite("[Update_tagsAssignLastRequestTime][OKAY] OrganizerID: ", text, false);
            organizer->tagsAssignLastRequestTime = higher;
        }
    });
}

// --------------------------------------------------------------- collection

void TNPIMTagsAssign::Init()
{
    NextID = kFirstLocalID;
}

void TNPIMTagsAssign::Destroy()
{
    TNPIMCollection::Destroy();
    byRecord_.clear();
    idIndex_.Clear();
}

void TNPIMTagsAssign::Clear()
{
    Guarded("[TNPIMTagsAssign::Clear]", [&] {
        Destroy();
        Init();
    });
}

bool TNPIMTagsAssign::Resize(int32_t n)
{
    return Guarded("[TNPIMTagsAssign::Resize]", false, [&] {
        int32_t old = Count;
        if (!ResizeSlots(n)) {
            LogText("[TNPIMTagsAssign::Resize][ERROR]");
            return false;
        }
        idIndex_.Resized(Items, old, Count);
        if (Count < old) {
            RebuildRecordMap();
        } else {
            for (int32_t i = old; i < Count; ++i) {
                MapInsert(i);
            }
        }
        return true;
    });
}

TNPIMTagsAssignItem* TNPIMTagsAssign::MakeItem()
{
    TNPIMTagsAssignItem* item = new TNPIMTagsAssignItem();
    item->ParentPIM = ParentPIM;
    return item;
}

void TNPIMTagsAssign::QueueForSave(int32_t pos)
{
    if (pos < 0 || pos >= Count || Items[pos] == nullptr) {
        return;
    }
    ::QueueForSave(RecordFileSlotOf(ParentPIM), raftTagsAssign, Items[pos]->ID, pos, Items[pos]->Deleted);
}

void TNPIMTagsAssign::MapInsert(int32_t pos)
{
    uint32_t recordID = Items[pos]->RecordID;
    std::vector<int32_t>& positions = byRecord_[recordID].positions;
    positions.insert(std::lower_bound(positions.begin(), positions.end(), pos), pos);
    RefreshFirstTag(recordID);
}

void TNPIMTagsAssign::MapErase(uint32_t recordID, int32_t pos)
{
    auto found = byRecord_.find(recordID);
    if (found == byRecord_.end()) {
        return;
    }
    std::vector<int32_t>& positions = found->second.positions;
    auto at = std::lower_bound(positions.begin(), positions.end(), pos);
    if (at != positions.end() && *at == pos) {
        positions.erase(at);
    }
    if (positions.empty()) {
        byRecord_.erase(found);
        return;
    }
    RefreshFirstTag(recordID);
}

void TNPIMTagsAssign::RefreshFirstTag(uint32_t recordID)
{
    auto found = byRecord_.find(recordID);
    if (found == byRecord_.end()) {
        return;
    }
    found->second.firstTag = 0;
    for (int32_t pos : found->second.positions) {
        const TNPIMTagsAssignItem* a = pos < Count ? Items[pos] : nullptr;
        if (a != nullptr && a->Deleted == 0 && a->RecordID == recordID) {
            found->second.firstTag = a->TagID;
            return;
        }
    }
}

void TNPIMTagsAssign::ItemLoaded(int32_t pos)
{
    if (pos < 0 || pos >= Count || Items[pos] == nullptr) {
        return;
    }
    // Resize filed the new slot under record 0; every slot loaded so far
    // would stay there and make each refresh walk them all.
    MapErase(0, pos);
    MapInsert(pos);
    idIndex_.Note(pos, *Items[pos]);
}

void TNPIMTagsAssign::NoteIDChanged(int32_t pos)
{
    if (pos >= 0 && pos < Count && Items[pos] != nullptr) {
        idIndex_.Note(pos, *Items[pos]);
    }
}

void TNPIMTagsAssign::RebuildRecordMap()
{
    byRecord_.clear();
    byRecord_.reserve(static_cast<size_t>(Count));
    for (int32_t i = 0; i < Count; ++i) {
        if (Items[i] != nullptr) {
            byRecord_[Items[i]->RecordID].positions.push_back(i);
        }
    }
    for (auto& [recordID, tags] : byRecord_) {
        RefreshFirstTag(recordID);
    }
}

int32_t TNPIMTagsAssign::Add(TNString* answer)
{
    auto fill = [&](TNPIMTagsAssignItem& a, int32_t pos, TNAnswerItem& in, bool appended) -> int32_t {
        if (CollectArrivals && appended) {
            arrivals_.push_back(a.ID);
        }
        idIndex_.Note(pos, a);
        pimDataReceived = true;
        uint32_t recordBefore = a.RecordID;
        bool hasOrganizer = in.Number("OrganizerID", a.OrganizerID);
        in.Number("RecordID", a.RecordID);
        in.Number("TagID", a.TagID);
        if (a.RecordID != recordBefore) {
            MapErase(recordBefore, pos);
            MapInsert(pos);
        } else {
            RefreshFirstTag(a.RecordID);
        }

        TNPIMOrganizers* organizers = OrganizersOf(ParentPIM);
        TNPIMOrganizer* o =
            hasOrganizer && organizers != nullptr ? organizers->GetOrganizerByID(a.OrganizerID) : nullptr;
        if (o != nullptr) {
            ++o->tagsAssignReceived;
            ++o->tagsAssignOffset;
            if (o->tagsAssignNewestChanged < a.Changed) {
                o->tagsAssignNewestChanged = a.Changed;
            }
            if (TNPIMLastRequests* lastRequests = LastRequestsOf(ParentPIM)) {
                lastRequests->SetItem(raftTagsAssign, o->ID, a.Changed);
            }
        }
        QueueForSave(pos);
        return pos;
    };
    return AddAnswerItem(*this, "[TNPIMTagsAssign::Add]", nullptr, answer, fill);
}

void TNPIMTagsAssign::FinalizeLoading()
{
    Guarded("[TNPIMTagsAssign::FinalizeLoading]", [&] {
        for (int32_t i = 0; i < Count; ++i) {
            if (Items[i] != nullptr) {
                Items[i]->Update_tagsAssignLastRequestTime();
            }
        }
        NextID = NextIDAfter(NextID);
        RebuildRecordMap();
        idIndex_.Rebuild(Items, Count);
    });
}

uint32_t TNPIMTagsAssign::GetNextID()
{
    return Guarded("[TNPIMTagsAssign::GetNextID]", 0u, [&] {
        return TakeNextLocalID(NextID, static_cast<int64_t>(Count) + 100,
                               [&](uint32_t id) { return idIndex_.FirstWithID(id) >= 0; });
    });
}

int32_t TNPIMTagsAssign::GetItemPosByID(uint32_t id) const
{
    LogTextUInt("[TNPIMTagsAssign::GetItemPosByID] item_id = ", id);
    return idIndex_.Find(Items, Count, id, "[TNPIMTagsAssign::GetItemPosByID][ERROR] stale id index; id = ");
}

uint32_t TNPIMTagsAssign::GetTagID(uint32_t recordID) const
{
    TNModelReadGuard lock;
    auto found = byRecord_.find(recordID);
    return found != byRecord_.end() ? found->second.firstTag : 0;
}

TNPIMTag* TNPIMTagsAssign::GetTag(uint32_t recordID) const
{
    return Guarded("[TNPIMTagsAssign::GetTag]", static_cast<TNPIMTag*>(nullptr), [&]() -> TNPIMTag* {
        uint32_t tagID = GetTagID(recordID);
        TNPIM* pim = PIM.Has(pimSrvPos) ? PIM[pimSrvPos] : nullptr;
        if (tagID == 0 || pim == nullptr) {
            return nullptr;
        }
        return pim->Tags.GetTagByID(tagID);
    });
}

void TNPIMTagsAssign::DeleteAssign(uint32_t recordID)
{
    Guarded("[TNPIMTagsAssign::DeleteAssign]", [&] {
        TNModelWriteGuard lock;
        LogTextUInt("[TNPIMTagsAssign::DeleteAssign] (DoUploadSync) record_id = ", recordID);
        auto found = byRecord_.find(recordID);
        if (found == byRecord_.end()) {
            return;
        }
        for (int32_t pos : found->second.positions) {
            TNPIMTagsAssignItem* a = Items[pos];
            if (a == nullptr || a->Deleted != 0 || a->RecordID != recordID) {
                continue;
            }
            a->Deleted = 1;
            a->PleaseSync = true;
            // Queued as a deletion; the save keeps the record while the
            // deletion waits for upload.
            QueueForSave(pos);
            LogTextInt(
                "[TNPIMTagsAssign::DeleteAssign] B -> deleted assign (DoUploadSync) Items[aa]->Deleted = 1; aa = ",
                pos);
        }
        RefreshFirstTag(recordID);
    });
}

void TNPIMTagsAssign::AddAssign(uint32_t recordID, uint32_t tagID, uint32_t organizerID)
{
    Guarded("[TNPIMTagsAssign::AddAssign]", [&] {
        TNModelWriteGuard lock;
        LogTextUInt("[TNPIMTagsAssign::AddAssign] (DoUploadSync) record_id = ", recordID);
        uint32_t id = GetNextID();
        if (id == 0 || !Resize(Count + 1)) {
            return;
        }
        int32_t pos = Count - 1;
        TNPIMTagsAssignItem& a = *Items[pos];
        MapErase(a.RecordID, pos);
        a.ID = id;
        idIndex_.Note(pos, a);
        a.OrganizerID = organizerID;
        a.RecordID = recordID;
        a.TagID = tagID;
        a.PleaseSync = true;
        MapInsert(pos);
        QueueForSave(pos);
        LogTextInt(
            "[TNPIMTagsAssign::AddAssign] B -> added new assign (DoUploadSync) Items[pos]->PleaseSync = true; pos = ",
            pos);
    });
}

void TNPIMTagsAssign::RecordIDChanged(uint32_t oldRecordID, uint32_t newRecordID)
{
    Guarded("[TNPIMTagsAssign::RecordIDChanged]", [&] {
        TNModelWriteGuard lock;
        if (oldRecordID == newRecordID) {
            return;
        }
        auto found = byRecord_.find(oldRecordID);
        if (found == byRecord_.end()) {
            return;
        }
        std::vector<int32_t> positions = found->second.positions;
        for (int32_t pos : positions) {
            TNPIMTagsAssignItem* a = Items[pos];
            if (a == nullptr || a->RecordID != oldRecordID) {
                continue;
            }
            MapErase(oldRecordID, pos);
            a->RecordID = newRecordID;
            a->PleaseSync = true;
            MapInsert(pos);
            QueueForSave(pos);
        }
    });
}

void TNPIMTagsAssign::TagIDChanged(uint32_t oldTagID, uint32_t newTagID)
{
    Guarded("[TNPIMTagsAssign::TagIDChanged]", [&] {
        TNModelWriteGuard lock;
        if (oldTagID == newTagID) {
            return;
        }
        for (int32_t pos = 0; pos < Count; ++pos) {
            TNPIMTagsAssignItem* a = Items[pos];
            if (a == nullptr || a->TagID != oldTagID) {
                continue;
            }
            a->TagID = newTagID;
            RefreshFirstTag(a->RecordID);
            QueueForSave(pos);
        }
    });
}

bool TNPIMTagsAssign::TakeConfirmedTagID(int32_t pos)
{
    TNPIMTagsAssignItem& a = *Items[pos];
    const TNPIMTag* tag = ParentPIM != nullptr ? ParentPIM->Tags.GetTagByID(a.TagID) : nullptr;
    if (tag == nullptr || tag->ID >= kFirstLocalID) {
        return false;
    }
    a.TagID = tag->ID;
    RefreshFirstTag(a.RecordID);
    QueueForSave(pos);
    return true;
}

bool TNPIMTagsAssign::WriteOffIfTagLost(int32_t pos)
{
    TNPIMTagsAssignItem& a = *Items[pos];
    const TNPIMTag* tag = ParentPIM != nullptr ? ParentPIM->Tags.GetTagByID(a.TagID) : nullptr;
    bool lost = tag == nullptr || (tag->ID >= kFirstLocalID && (tag->Deleted != 0 || tag->OrganizerID == 0));
    if (lost) {
        WriteOff(pos, "[TNPIMTagsAssign::GetDataToSync][WRITTEN_OFF] its tag can never go up; TagID = ", a.TagID);
    }
    return lost;
}

bool TNPIMTagsAssign::TakeConfirmedRecordID(int32_t pos)
{
    TNPIMTagsAssignItem& a = *Items[pos];
    TNPIMRecords* records = ParentPIM != nullptr ? ParentPIM->Records.get() : nullptr;
    if (records == nullptr) {
        return false;
    }
    // A record that holds the id now has not been confirmed; only one that
    // held it before (its old id) has.
    bool unconfirmed = false;
    records->ForEachPosOfID(a.RecordID, [&](int32_t) { unconfirmed = true; });
    const TNPIMRecord* record = unconfirmed ? nullptr : records->GetRecordByID(a.RecordID);
    if (record == nullptr || record->ID >= kFirstLocalID) {
        return false;
    }
    MapErase(a.RecordID, pos);
    a.RecordID = record->ID;
    MapInsert(pos);
    QueueForSave(pos);
    return true;
}

bool TNPIMTagsAssign::WriteOffIfRecordLost(int32_t pos)
{
    TNPIMTagsAssignItem& a = *Items[pos];
    TNPIMRecords* records = ParentPIM != nullptr ? ParentPIM->Records.get() : nullptr;
    const TNPIMRecord* record = records != nullptr ? records->GetRecordByID(a.RecordID) : nullptr;
    bool lost = record == nullptr || (record->ID >= kFirstLocalID && record->OrganizerID == 0);
    if (lost) {
        WriteOff(pos,
                 "[TNPIMTagsAssign::GetDataToSync][WRITTEN_OFF] its record can never go up; RecordID = ", a.RecordID);
    }
    return lost;
}

void TNPIMTagsAssign::WriteOff(int32_t pos, const char* why, uint32_t id)
{
    TNPIMTagsAssignItem& a = *Items[pos];
    LogTextUInt(why, id);
    a.Deleted = static_cast<uint32_t>(TNLocalClock::Now());
    a.PleaseSync = false;
    // The service never had it: its record becomes a hole, and the item
    // keeps no id that would offer it again.
    QueueForSave(pos);
    if (a.ID >= kFirstLocalID) {
        a.ID = 0;
        NoteIDChanged(pos);
    }
    RefreshFirstTag(a.RecordID);
}

uint32_t TNPIMTagsAssign::GetDataToSync(TNString* text, const TNUploadSkip& skip)
{
    return Guarded("[TNPIMTagsAssign::GetDataToSync]", 0u, [&]() -> uint32_t {
        if (text == nullptr) {
            return 0u;
        }
        for (int32_t i = 0; i < Count; ++i) {
            TNPIMTagsAssignItem* a = Items[i];
            if (a == nullptr || !(a->PleaseSync || a->ID >= kFirstLocalID) || (skip && skip(a->ID))) {
                continue;
            }
            // The service cannot resolve a temporary tag id; the assignment
            // waits for its tag's confirmation, which gives it the real id.
            // One made after the confirmation, under the tag's old id, takes
            // the service id here.
            if (a->TagID >= kFirstLocalID && !TakeConfirmedTagID(i)) {
                WriteOffIfTagLost(i);
                continue;
            }
            if (a->RecordID >= kFirstLocalID && !TakeConfirmedRecordID(i)) {
                WriteOffIfRecordLost(i);
                continue;
            }
            a->PleaseSync = true;
            LogTextInt("[TNPIMTagsAssign::GetDataToSync] Items[pos]; pos = ", i);
            LogTextUInt("[TNPIMTagsAssign::GetDataToSync] (DoUploadSync) PleaseSync ID = ", a->ID);
            a->GetDataToSync(text);
            LogWrite("[TNPIMTagsAssign::GetDataToSync] (DoUploadSync) ", text->Text, false);
            return a->ID;
        }
        return 0;
    });
}

uint32_t TNPIMTagsAssign::FindUploadedCopy(const TNPIMTagsAssignItem& pending) const
{
    if (ParentPIM == nullptr) {
        return 0;
    }
    const TNPIMTag* tag = ParentPIM->Tags.GetTagByID(pending.TagID);
    const TNPIMRecord* record = ParentPIM->Records ? ParentPIM->Records->GetRecordByID(pending.RecordID) : nullptr;
    const uint32_t tagID = tag != nullptr ? tag->ID : pending.TagID;
    const uint32_t recordID = record != nullptr ? record->ID : pending.RecordID;
    if (tagID >= kFirstLocalID || recordID >= kFirstLocalID) {
        return 0;
    }
    for (uint32_t id : arrivals_) {
        int32_t pos = idIndex_.FirstWithID(id);
        const TNPIMTagsAssignItem* copy = pos >= 0 ? Items[pos] : nullptr;
        if (copy == nullptr || copy == &pending || copy->PleaseSync || copy->Deleted != 0 ||
            copy->ID >= kFirstLocalID) {
            continue;
        }
        if (copy->OrganizerID == pending.OrganizerID && copy->TagID == tagID && copy->RecordID == recordID) {
            return id;
        }
    }
    return 0;
}

void TNPIMTagsAssign::EndArrivals()
{
    CollectArrivals = false;
    arrivals_.clear();
    arrivals_.shrink_to_fit();
}

void TNPIMTagsAssign::ForgetDuplicate(uint32_t id, int32_t confirmedPos)
{
    // The service's copy of an upload whose answer was lost came down under
    // its id beside the pending item; the confirmed item takes its place.
    for (int32_t pos = GetItemPosByID(id); pos >= 0 && pos != confirmedPos; pos = GetItemPosByID(id)) {
        TNPIMTagsAssignItem& copy = *Items[pos];
        LogTextUInt("[TNPIMTagsAssign::ForgetDuplicate] ID = ", id);
        const uint32_t recordID = copy.RecordID;
        MapErase(recordID, pos);
        // An empty slot: found by no id, never stored.
        copy.ID = 0;
        copy.OldID = 0;
        copy.RecordID = 0;
        copy.Deleted = 1;
        copy.PleaseSync = false;
        idIndex_.Note(pos, copy);
        RefreshFirstTag(recordID);
    }
}

void TNPIMTagsAssign::DataUpSynced(uint32_t oldID, uint32_t newID, uint32_t newChanged)
{
    Guarded("[TNPIMTagsAssign::DataUpSynced]", [&] {
        TNModelWriteGuard lock;
        LogText("[TNPIMTagsAssign::DataUpSynced][BEGIN]");
        int32_t pos = GetItemPosByID(oldID);
        LogTextInt("[TNPIMTagsAssign::DataUpSynced] pos = ", pos);
        if (pos >= 0) {
            ForgetDuplicate(newID, pos);
            TNPIMTagsAssignItem& a = *Items[pos];
            a.PleaseSync = false;
            a.OldID = oldID;
            a.ID = newID;
            idIndex_.Note(pos, a);
            if (newChanged > 0) {
                a.Changed = newChanged;
            }
            LogTextUInt("[TNPIMTagsAssign::DataUpSynced] upload_sync_id = ", oldID);
            LogTextUInt("[TNPIMTagsAssign::DataUpSynced] uploaded_sync_new_id = ", newID);
            LogTextUInt("[TNPIMTagsAssign::DataUpSynced] uploaded_sync_new_changed = ", newChanged);
            StoreConfirmedItem(a, raftTagsAssign, oldID, pos, RecordFileSlotOf(ParentPIM));
        }
        LogText("[TNPIMTagsAssign::DataUpSynced][END]");
    });
}
