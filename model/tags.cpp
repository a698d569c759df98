#include "model/tags.h"

#include "foundation/guard.h"
#include "foundation/log.h"
#include "model/item_helpers.h"
#include "model/model_lock.h"
#include "model/pim.h"
#include "model/upload.h"

#include <cstdio>

// ---------------------------------------------------------------------- tag

bool TNPIMTag::Save(int32_t queuePos, int32_t fid)
{
    return Guarded("[TNPIMTag::Save]", false, [&] {
        TNBodyWriter w(fid, queuePos);
        WriteItemHead(w, *this, kStoredVersion);
        w.Unsigned(OrganizerID, 4);
        w.String(Title);
        w.Flag(SelectedOnTasksPage);
        w.Flag(SelectedOnNotesPage);
        w.Signed(Reserved1, 1);
        w.Unsigned(Reserved2, 4);
        w.Unsigned(Reserved3, 4);
        w.String(ReservedText1);
        w.String(ReservedText2);
        return w.Commit();
    });
}

bool TNPIMTag::Load(plat::ByteReader& in)
{
    return Guarded("[TNPIMTag::Load]", false, [&] {
        TNBodyReader r(in);
        uint32_t version = ReadItemHead(r, *this, 1, kStoredVersion);
        if (version == 0) {
            return false;
        }
        OrganizerID = r.Unsigned(4);
        r.String(Title);
        SelectedOnTasksPage = r.Flag();
        SelectedOnNotesPage = r.Flag();
        if (version >= 2) {
            Reserved1 = static_cast<int32_t>(r.Unsigned(1));
            Reserved2 = r.Unsigned(4);
            Reserved3 = r.Unsigned(4);
            r.String(ReservedText1);
            r.String(ReservedText2);
        }
        if (!r.Ok()) {
            return false;
        }
        Update_tagsLastRequestTime();
        return true;
    });
}

void TNPIMTag::GetDataToSync(TNString* text) const
{
    Guarded("[TNPIMTag::GetDataToSync]", [&] {
        if (text == nullptr) {
            return;
        }
        AppendFormField(*text, "&ItemID=", ID);
        AppendFormField(*text, "&Deleted=", Deleted);
        AppendFormField(*text, "&OrganizerID=", OrganizerID);
        AppendFormField(*text, "&Title=", Title);
    });
}

void TNPIMTag::Update_tagsLastRequestTime()
{
    Guarded("[TNPIMTag::Update_tagsLastRequestTime]", [&] {
        TNPIMOrganizers* organizers = OrganizersOf(ParentPIM);
        TNPIMOrganizer* organizer = organizers != nullptr ? organizers->GetOrganizerByID(OrganizerID) : nullptr;
        if (organizer == nullptr) {
            return;
        }
        if (Changed > organizer->tagsLastRequestTime) {
            organizer->tagsLastRequestTime = Changed;
        }
        if (TNPIMLastRequests* lastRequests = LastRequestsOf(ParentPIM)) {
            uint32_t higher = lastRequests->GetHigher(raftTag, organizer->ID, Changed);
            if (higher > organizer->tagsLastRequestTime) {
                organizer->tagsLastRequestTime = higher;
            }
        }
    });
}

// --------------------------------------------------------------- collection

void TNPIMTags::Init()
{
    NextID = kFirstLocalID;
}

void TNPIMTags::Destroy()
{
    TNPIMCollection::Destroy();
    idIndex_.Clear();
}

void TNPIMTags::NoteIDChanged(int32_t pos)
{
    if (pos >= 0 && pos < Count && Items[pos] != nullptr) {
        idIndex_.Note(pos, *Items[pos]);
    }
}

void TNPIMTags::Clear()
{
    Guarded("[TNPIMTags::Clear]", [&] {
        Destroy();
        Init();
    });
}

bool TNPIMTags::Resize(int32_t n)
{
    return Guarded("[TNPIMTags::Resize]", false, [&] {
        int32_t old = Count;
        if (ResizeSlots(n)) {
            idIndex_.Resized(Items, old, Count);
            return true;
        }
        LogText("[TNPIMTags::Resize][ERROR]");
        return false;
    });
}

TNPIMTag* TNPIMTags::MakeItem()
{
    TNPIMTag* tag = new TNPIMTag();
    tag->ParentPIM = ParentPIM;
    return tag;
}

void TNPIMTags::QueueForSave(int32_t pos)
{
    if (pos < 0 || pos >= Count || Items[pos] == nullptr) {
        return;
    }
    ::QueueForSave(RecordFileSlotOf(ParentPIM), raftTag, Items[pos]->ID, pos, Items[pos]->Deleted);
}

int32_t TNPIMTags::Add(TNString* answer)
{
    auto fill = [&](TNPIMTag& t, int32_t pos, TNAnswerItem& in, bool appended) -> int32_t {
        idIndex_.Note(pos, t);
        pimDataReceived = true;
        in.Number("OrganizerID", t.OrganizerID);
        in.Text("Title", t.Title);
        if (CollectArrivals && appended) {
            arrivals_.push_back(t.ID);
        }

        TNPIMOrganizers* organizers = OrganizersOf(ParentPIM);
        if (TNPIMOrganizer* o = organizers != nullptr ? organizers->GetOrganizerByID(t.OrganizerID) : nullptr) {
            ++o->tagsReceived;
            ++o->tagsOffset;
            if (static_cast<int32_t>(t.Changed) > static_cast<int32_t>(o->tagsNewestChanged)) {
                o->tagsNewestChanged = t.Changed;
            }
            if (TNPIMLastRequests* lastRequests = LastRequestsOf(ParentPIM)) {
                lastRequests->SetItem(raftTag, o->ID, t.Changed);
            }
        }
        QueueForSave(pos);
        return pos;
    };
    return AddAnswerItem(*this, "[TNPIMTags::Add]", nullptr, answer, fill);
}

void TNPIMTags::FinalizeLoading()
{
    Guarded("[TNPIMTags::FinalizeLoading]", [&] {
        for (int32_t i = 0; i < Count; ++i) {
            if (Items[i] != nullptr) {
                Items[i]->Update_tagsLastRequestTime();
            }
        }
        NextID = NextIDAfter(NextID);
        idIndex_.Rebuild(Items, Count);
    });
}

uint32_t TNPIMTags::GetNextID()
{
    return Guarded("[TNPIMTags::GetNextID]", 0u, [&] {
        return TakeNextLocalID(NextID, static_cast<int64_t>(Count) + 100,
                               [&](uint32_t id) { return idIndex_.FirstWithID(id) >= 0; });
    });
}

int32_t TNPIMTags::GetItemPosByID(uint32_t id) const
{
    return idIndex_.Find(Items, Count, id, "[TNPIMTags::GetItemPosByID][ERROR] stale id index; id = ");
}

TNPIMTag* TNPIMTags::GetTagByID(uint32_t id) const
{
    int32_t pos = GetItemPosByID(id);
    return pos >= 0 ? Items[pos] : nullptr;
}

TNPIMTag* TNPIMTags::GetTagByTitle(const TNString& title) const
{
    return Guarded("[TNPIMTags::GetTagByTitle]", static_cast<TNPIMTag*>(nullptr), [&]() -> TNPIMTag* {
        for (int32_t i = 0; i < Count; ++i) {
            TNPIMTag* t = Items[i];
            // A deleted tag of the same title must not take the assignment.
            if (t != nullptr && t->Deleted == 0 && t->Title.Equals(title.Text, false, false)) {
                return t;
            }
        }
        return nullptr;
    });
}

uint32_t TNPIMTags::GetDataToSync(TNString* text, const TNUploadSkip& skip)
{
    return Guarded("[TNPIMTags::GetDataToSync]", 0u, [&]() -> uint32_t {
        if (text == nullptr) {
            return 0u;
        }
        for (int32_t i = 0; i < Count; ++i) {
            TNPIMTag* t = Items[i];
            if (t == nullptr || !(t->PleaseSync || t->ID >= kFirstLocalID) || (skip && skip(t->ID))) {
                continue;
            }
            if (t->OrganizerID == 0) {
                LogWrite("[TNPIMTags::GetDataToSync][ERROR] OrganizerID = 0! Tag's title = ", t->Title.Text, false);
                continue;
            }
            t->PleaseSync = true;
            t->GetDataToSync(text);
            LogWrite("[TNPIMTags::GetDataToSync] ", text->Text, false);
            return t->ID;
        }
        return 0;
    });
}

uint32_t TNPIMTags::FindUploadedCopy(const TNPIMTag& pending) const
{
    for (uint32_t id : arrivals_) {
        const TNPIMTag* copy = GetTagByID(id);
        if (copy == nullptr || copy == &pending || copy->PleaseSync || copy->Deleted != 0 ||
            copy->ID >= kFirstLocalID) {
            continue;
        }
        if (copy->OrganizerID == pending.OrganizerID && copy->Title.View() == pending.Title.View()) {
            return id;
        }
    }
    return 0;
}

void TNPIMTags::EndArrivals()
{
    CollectArrivals = false;
    arrivals_.clear();
    arrivals_.shrink_to_fit();
}

void TNPIMTags::ForgetDuplicate(uint32_t id, int32_t confirmedPos)
{
    // The service's copy of an upload whose answer was lost came down under
    // its id beside the pending tag; the confirmed tag takes its place.
    for (int32_t pos = GetItemPosByID(id); pos >= 0 && pos != confirmedPos; pos = GetItemPosByID(id)) {
        TNPIMTag& copy = *Items[pos];
        LogTextUInt("[TNPIMTags::ForgetDuplicate] ID = ", id);
        // An empty slot: found by no id, never stored.
        copy.ID = 0;
        copy.OldID = 0;
        copy.Deleted = 1;
        copy.PleaseSync = false;
        idIndex_.Note(pos, copy);
    }
}

void TNPIMTags::DataUpSynced(uint32_t oldID, uint32_t newID, uint32_t newChanged)
{
    Guarded("[TNPIMTags::DataUpSynced]", [&] {
        TNModelWriteGuard lock;
        int32_t pos = GetItemPosByID(oldID);
        if (pos < 0) {
            return;
        }
        ForgetDuplicate(newID, pos);
        TNPIMTag& t = *Items[pos];
        t.PleaseSync = false;
        t.OldID = oldID;
        t.ID = newID;
        idIndex_.Note(pos, t);
        if (newChanged > 0) {
            t.Changed = newChanged;
        }
        StoreConfirmedItem(t, raftTag, oldID, pos, RecordFileSlotOf(ParentPIM));
    });
}
