#include "model/records.h"

#include "foundation/app_info.h"
#include "foundation/common.h"
#include "foundation/dirs.h"
#include "foundation/guard.h"
#include "foundation/local_clock.h"
#include "foundation/log.h"
#include "foundation/record_file_set.h"
#include "model/hooks.h"
#include "model/item_helpers.h"
#include "model/model_lock.h"
#include "model/pim.h"
#include "model/upload.h"
#include "platform/core/file.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>

namespace {

constexpr int32_t kPictureWidthList[] = {16, 24, 32, 48, 64, 128, 170, 256, 300, 640, 720, 1024};

} // namespace

TNPIMRecords::~TNPIMRecords()
{
    if (Borrowing) {
        // Only the array is ours.
        std::free(Items);
        Items = nullptr;
        Count = 0;
        return;
    }
    DropFrom(0);
}

void TNPIMRecords::Init(bool full)
{
    if (full) {
        UserOrganizerID = 0;
        NextID = kFirstLocalID;
    }
    NotifyPos = -1;
    PictureWidthsCount = static_cast<int32_t>(std::size(kPictureWidthList));
    std::copy(std::begin(kPictureWidthList), std::end(kPictureWidthList), PictureWidths);
}

void TNPIMRecords::Clear()
{
    Guarded("[TNPIMRecords::Clear]", [&] {
        Resize(0);
        Init(true);
    });
}

void TNPIMRecords::EmptyForLoad()
{
    Guarded("[TNPIMRecords::EmptyForLoad]", [&] {
        Resize(0);
        Init(false);
    });
}

// ---------------------------------------------------------------- id index

void TNPIMRecords::Unindex(int32_t pos)
{
    if (pos < 0 || static_cast<size_t>(pos) >= indexedID_.size()) {
        return;
    }
    if (indexedID_[static_cast<size_t>(pos)] != 0) {
        ErasePosition(byID_, indexedID_[static_cast<size_t>(pos)], pos);
    }
    if (indexedOldID_[static_cast<size_t>(pos)] != 0) {
        ErasePosition(byOldID_, indexedOldID_[static_cast<size_t>(pos)], pos);
    }
    indexedID_[static_cast<size_t>(pos)] = 0;
    indexedOldID_[static_cast<size_t>(pos)] = 0;
}

void TNPIMRecords::Index(int32_t pos)
{
    if (pos < 0 || pos >= Count || Items[pos] == nullptr) {
        return;
    }
    if (indexedID_.size() < static_cast<size_t>(Count)) {
        indexedID_.resize(static_cast<size_t>(Count), 0);
        indexedOldID_.resize(static_cast<size_t>(Count), 0);
    }
    const TNPIMRecord& record = *Items[pos];
    if (record.ID != 0) {
        InsertPosition(byID_, record.ID, pos);
        indexedID_[static_cast<size_t>(pos)] = record.ID;
    }
    // Only a temporary id is looked up through OldID.
    if (record.OldID >= kFirstLocalID) {
        InsertPosition(byOldID_, record.OldID, pos);
        indexedOldID_[static_cast<size_t>(pos)] = record.OldID;
    }
}

void TNPIMRecords::NoteIDChanged(int32_t pos)
{
    Unindex(pos);
    Index(pos);
}

void TNPIMRecords::ReserveForLoad(uint32_t n)
{
    if (Borrowing) {
        return;
    }
    byID_.reserve(byID_.size() + n);
    indexedID_.reserve(indexedID_.size() + n);
    indexedOldID_.reserve(indexedOldID_.size() + n);
}

void TNPIMRecords::ClearIDIndex()
{
    byID_.clear();
    byOldID_.clear();
    indexedID_.clear();
    indexedOldID_.clear();
}

void TNPIMRecords::DropFrom(int32_t n)
{
    for (int32_t i = std::max(n, 0); i < Count; ++i) {
        if (Items[i] != nullptr) {
            Items[i]->TakeOutOfDays();
        }
        Unindex(i);
    }
    if (n <= 0) {
        ClearIDIndex();
    } else if (indexedID_.size() > static_cast<size_t>(n)) {
        indexedID_.resize(static_cast<size_t>(n));
        indexedOldID_.resize(static_cast<size_t>(n));
    }
}

int32_t TNPIMRecords::GetRecordPosByID(uint32_t id) const
{
    return Guarded("[TNPIMRecords::GetRecordPosByID]", -1, [&] {
        TNModelReadGuard lock;
        auto scan = [&] {
            for (int32_t i = 0; i < Count; ++i) {
                const TNPIMRecord* record = Items[i];
                if (record != nullptr && (record->ID == id || (id >= kFirstLocalID && record->OldID == id))) {
                    return i;
                }
            }
            return -1;
        };
        if (id == 0 || Borrowing) {
            return scan();
        }
        int32_t best = -1;
        auto byID = byID_.find(id);
        if (byID != byID_.end()) {
            best = byID->second.first;
        }
        if (id >= kFirstLocalID) {
            auto byOld = byOldID_.find(id);
            if (byOld != byOldID_.end() && (best < 0 || byOld->second.first < best)) {
                best = byOld->second.first;
            }
        }
        if (best >= 0 &&
            (best >= Count || Items[best] == nullptr || (Items[best]->ID != id && Items[best]->OldID != id))) {
            // Someone changed an id without NoteIDChanged: answer right anyway.
            LogTextUInt("[TNPIMRecords::GetRecordPosByID][ERROR] stale id index; id = ", id);
            return scan();
        }
        return best;
    });
}

TNPIMRecord* TNPIMRecords::GetRecordByID(uint32_t id) const
{
    if (id == 0) {
        return nullptr;
    }
    int32_t pos = GetRecordPosByID(id);
    return pos >= 0 ? Items[pos] : nullptr;
}

// ---------------------------------------------------------------- resizing

bool TNPIMRecords::Resize(int32_t n)
{
    return Guarded("[TNPIMRecords::Resize]", false, [&] {
        int32_t old = Count;
        if (n <= 0) {
            LogTextInt("[TNPIMRecords::Resize][A] new_count = ", n);
            if (Borrowing) {
                std::free(Items);
                Items = nullptr;
                Count = 0;
            } else {
                DropFrom(0);
                TNPIMCollection::Destroy();
            }
            LogTextInt("[TNPIMRecords::Resize][A][RETURN] Count = ", Count);
            return true;
        }
        if (Borrowing) {
            // Pointers only; new slots are empty.
            void* grown = std::realloc(Items, static_cast<size_t>(n) * sizeof(TNPIMRecord*));
            if (grown != nullptr) {
                Items = static_cast<TNPIMRecord**>(grown);
                for (int32_t i = Count; i < n; ++i) {
                    Items[i] = nullptr;
                }
                Count = n;
                return true;
            }
        } else {
            if (n < Count) {
                DropFrom(n);
            }
            if (ResizeSlots(n)) {
                indexedID_.resize(static_cast<size_t>(Count), 0);
                indexedOldID_.resize(static_cast<size_t>(Count), 0);
                return true;
            }
        }
        LogText("[TNPIMRecords::Resize][ERROR] realloc() error!");
        LogTextInt("[TNPIMRecords::Resize][ERROR] new_count = ", n);
        LogTextInt("[TNPIMRecords::Resize][ERROR] Count = ", old);
        c.FatalErrorApplicationRestart();
        return false;
    });
}

// ---------------------------------------------------------------- ids

uint32_t TNPIMRecords::GetNextID()
{
    return Guarded("[TNPIMRecords::GetNextID]", 0u, [&] {
        return TakeNextLocalID(NextID, static_cast<int64_t>(Count) + 1000,
                               [&](uint32_t id) { return byID_.find(id) != byID_.end(); });
    });
}

// ---------------------------------------------------------------- saving

bool TNPIMRecords::Queue(uint32_t id, int32_t pos, uint32_t deleted)
{
    return QueueForSave(RecordFileSlotOf(ParentPIM), raftRecord, id, pos, deleted);
}

bool TNPIMRecords::SaveOrDeleteRecordByPos(int32_t pos, bool stampDeleted)
{
    return Guarded("[TNPIMRecords::SaveOrDeleteRecordByPos]", false, [&] {
        TNModelWriteGuard lock;
        if (pos < 0 || pos >= Count || Items[pos] == nullptr) {
            return false;
        }
        TNPIMRecord& record = *Items[pos];
        // 1.-3. The deletion time, the yearly copies and the local change time.
        if (stampDeleted) {
            record.Deleted = TNLocalClock::Now32();
        }
        bool copies = CreateVirtuals(pos, false);
        record.LocalChanged = TNLocalClock::Now32();
        // 4.-5. Queued, and filed under its days.
        Queue(record.ID, pos, record.Deleted);
        if (!copies) {
            record.UpdateOrganizerPointer();
            record.AddToAllDays();
        }
        return true;
    });
}

// ---------------------------------------------------------------- answers

int32_t TNPIMRecords::Add(TNString* element, bool inOrder)
{
    return Guarded("[TNPIMRecords::Add]", -1, [&] {
        if (element == nullptr) {
            return -1;
        }
        TNModelWriteGuard lock;
        // 1. The record of the answer's id, or a new one; an id the
        // service cannot have given is refused.
        uint32_t id = 0;
        TNAnswerItem head(*element);
        if (!TakeAnswerID(head, "[TNPIMRecords::Add]", id)) {
            return -1;
        }
        int32_t pos = -1;
        ForEachPosOfID(id, [&](int32_t p) {
            if (pos < 0 && !Items[p]->Virtual) {
                pos = p;
            }
        });
        if (pos >= 0 && Items[pos]->PleaseSync) {
            // The user's change waits for upload and wins: the service's copy
            // only counts for the download, and comes again after the upload.
            uint32_t changed = 0;
            TNAnswerItem(*element).Number("Changed", changed);
            if (inOrder) {
                CountForOrganizer(Items[pos]->OrganizerID, changed);
            }
            LogTextUInt("[TNPIMRecords::Add] pending local change kept; ID = ", id);
            return pos;
        }
        const bool isNew = pos < 0;
        if (isNew) {
            if (!Resize(Count + 1)) {
                return -1;
            }
            pos = Count - 1;
        }
        TNPIMRecord& record = *Items[pos];
        // Out of the index while its days still are the ones it is filed
        // under.
        record.DeleteRecordFromAllDays();
        const uint32_t downloadedStamp = record.Changed;
        // 2.-4. The answer's fields; what was built from the old ones goes.
        record.ParseFromXML(element);
        if (!inOrder && downloadedStamp != 0) {
            record.Changed = downloadedStamp;
        }
        NoteIDChanged(pos);
        pimDataReceived = true;
        record.PleaseSync = false;
        record.ShortTitle.Clear();
        record.TagID = 0;
        if (isNew && inOrder && CollectArrivals) {
            arrivals_.push_back(record.ID);
        }
        // 5. Counted for its organizer's download.
        if (inOrder) {
            CountForOrganizer(record.OrganizerID, record.Changed);
        }
        // 6.-7. Its length, then saved as the editor saves.
        record.CalcEventLength();
        SaveOrDeleteRecordByPos(pos, false);
        return pos;
    });
}

void TNPIMRecords::CountForOrganizer(uint32_t organizerID, uint32_t changed)
{
    TNPIMOrganizer* organizer = ParentPIM != nullptr ? ParentPIM->Organizers.GetOrganizerByID(organizerID) : nullptr;
    if (organizer == nullptr) {
        LogTextInt("[TNPIMRecords::Add][ERROR] organizer_pos = ", -1);
        return;
    }
    ++organizer->recordsOffset;
    ++organizer->recordsReceived;
    if (changed > organizer->recordsNewestChanged) {
        organizer->recordsNewestChanged = changed;
    }
    ParentPIM->LastRequests.SetItem(raftRecord, organizer->ID, changed);
}

int32_t TNPIMRecords::GetUpdatedRecords(TNString* answer)
{
    return Guarded("[TNPIMRecords::GetUpdatedRecords]", 0, [&] {
        TNString records;
        int32_t taken = 0;
        if (answer == nullptr || !answer->GetXmlValue("records", nullptr, 0, &records, false)) {
            return taken;
        }
        for (int32_t n = 0;; ++n) {
            TNString item;
            if (!records.GetXmlValue(std::to_string(n).c_str(), nullptr, 0, &item, false)) {
                return taken;
            }
            if (Add(&item, false) >= 0) {
                ++taken;
            } else {
                LogWrite("[TNPIMRecords::GetUpdatedRecords][ERROR] Add(line) = ", item.Text, false);
            }
        }
    });
}

// ---------------------------------------------------------------- loading

void TNPIMRecords::FinalizeLoading()
{
    Guarded("[TNPIMRecords::FinalizeLoading]", [&] {
        TNModelWriteGuard lock;
        int32_t loaded = Count;
        for (int32_t i = 0; i < loaded; ++i) {
            if (Items[i] == nullptr) {
                continue;
            }
            Items[i]->Update_recordsLastRequestTime();
            CreateVirtuals(i, true);
            NextID = FoldNextID(Items[i]->ID, NextID);
        }
        for (int32_t i = 0; i < Count; ++i) {
            TNPIMRecord* record = Items[i];
            if (record == nullptr || (record->Virtual && record->Deleted != 0)) {
                continue;
            }
            record->UpdateOrganizerPointer();
            record->AddToAllDays();
        }
    });
}

// ---------------------------------------------------------------- yearly copies

void TNPIMRecords::DeleteVirtuals(int32_t masterPos)
{
    Guarded("[TNPIMRecords::DeleteVirtuals]", [&] {
        // A copy is no master: asked for one, it would mark its master's
        // other copies deleted.
        if (masterPos < 0 || masterPos >= Count || Items[masterPos] == nullptr || Items[masterPos]->Virtual) {
            return;
        }
        ForEachPosOfID(Items[masterPos]->ID, [&](int32_t pos) {
            if (pos != masterPos && Items[pos]->Virtual) {
                Items[pos]->Deleted = 1;
            }
        });
    });
}

bool TNPIMRecords::CreateVirtuals(int32_t masterPos, bool skipIndex)
{
    return Guarded("[TNPIMRecords::CreateVirtuals]", false, [&] {
        TNModelWriteGuard lock;
        // 1.-2. The old copies go; only a live anniversary or birthday has copies.
        DeleteVirtuals(masterPos);
        if (masterPos < 0 || masterPos >= Count || Items[masterPos] == nullptr) {
            return false;
        }
        TNPIMRecord* master = Items[masterPos];
        if (master->Deleted != 0 || master->Virtual || (master->Type != rtAnniversary && master->Type != rtBirthday)) {
            return false;
        }
        // 3. The master itself is filed.
        master->UpdateOrganizerPointer();
        master->AddToAllDays();
        // 4. One copy for each year after the master's that the index holds.
        int32_t first = std::max(static_cast<int32_t>(master->Begin.Rok) + 1, TNCommon::MinYear);
        int32_t n = TNCommon::MaxYear - first + 1;
        if (n <= 0) {
            return false;
        }
        // The master's copies of the last time are filled again in place;
        // only what is missing is appended.
        std::vector<int32_t> slots;
        ForEachPosOfID(master->ID, [&](int32_t pos) {
            if (pos != masterPos && Items[pos]->Virtual) {
                slots.push_back(pos);
            }
        });
        size_t reused = slots.size();
        if (static_cast<int32_t>(slots.size()) < n) {
            int32_t old = Count;
            if (!Resize(Count + n - static_cast<int32_t>(slots.size()))) {
                return false;
            }
            for (int32_t pos = old; pos < Count; ++pos) {
                slots.push_back(pos);
            }
        }
        // 5. Each copy takes the master's fields and its own year.
        for (size_t k = 0; k < slots.size(); ++k) {
            TNPIMRecord* copy = Items[slots[k]];
            if (k < reused) {
                copy->TakeOutOfDays();
            }
            if (static_cast<int32_t>(k) >= n) {
                continue;
            }
            copy->Copy(master);
            copy->MasterPos = masterPos;
            copy->Virtual = true;
            // Setting the date converts it.
            TNPIMRecord::SetYearlyCopyDate(copy->Begin, master->Begin, first + static_cast<int32_t>(k));
            NoteIDChanged(slots[k]);
            if (!skipIndex) {
                copy->UpdateOrganizerPointer();
                copy->AddToAllDays();
            }
        }
        return true;
    });
}

// ---------------------------------------------------------------- upload

uint32_t TNPIMRecords::GetDataToSync(TNString* body, const TNUploadSkip& skip)
{
    return Guarded("[TNPIMRecords::GetDataToSync]", 0u, [&] {
        TNModelWriteGuard lock;
        LogTextInt("[TNPIMRecords::GetDataToSync][BEGIN] All Items Count = ", Count);
        uint32_t result = 0;
        for (int32_t i = 0; i < Count && result == 0; ++i) {
            TNPIMRecord* record = Items[i];
            if (record == nullptr || !(record->PleaseSync || record->ID >= kFirstLocalID)) {
                continue;
            }
            if (record->Virtual) {
                record->PleaseSync = false;
                continue;
            }
            if (skip && skip(record->ID)) {
                continue;
            }
            if (record->OrganizerID == 0) {
                LogWrite("[TNPIMRecords::GetDataToSync][ERROR] OrganizerID = 0! Record's text = ", record->Text.Text,
                         false);
                continue;
            }
            TagState tag = TagStateForUpload(i);
            if (tag == TagState::Waits) {
                LogTextUInt("[TNPIMRecords::GetDataToSync] waits for its tag; TagID = ", record->TagID);
                continue;
            }
            record->PleaseSync = true;
            LogTextUInt("[TNPIMRecords::GetDataToSync] PleaseSync ID = ", record->ID);
            LogTextInt("[TNPIMRecords::GetDataToSync] PleaseSyncRecurrence = ", record->PleaseSyncRecurrence ? 1 : 0);
            if (tag == TagState::SendWithout) {
                // The tag stays on the record here; the form goes without it.
                uint32_t kept = record->TagID;
                record->TagID = 0;
                record->GetDataToSync(body);
                record->TagID = kept;
            } else {
                record->GetDataToSync(body);
            }
            LogWrite("[TNPIMRecords::GetDataToSync] ", body != nullptr ? body->Text : nullptr, false);
            result = record->ID;
        }
        LogText("[TNPIMRecords::GetDataToSync][END]");
        return result;
    });
}

uint32_t TNPIMRecords::FindUploadedCopy(const TNPIMRecord& pending, uint32_t userID) const
{
    auto same = [](const TNString& a, const TNString& b) { return a.View() == b.View(); };
    auto sameTime = [](const TNTime& a, const TNTime& b) {
        return a.Den == b.Den && a.Mesic == b.Mesic && a.Rok == b.Rok && a.Hodina == b.Hodina && a.Minuta == b.Minuta &&
               a.Sekunda == b.Sekunda;
    };
    for (uint32_t id : arrivals_) {
        const TNPIMRecord* copy = GetRecordByID(id);
        if (copy == nullptr || copy == &pending || copy->PleaseSync || copy->Deleted != 0 ||
            copy->CreatedByUserID != userID) {
            continue;
        }
        if (copy->OrganizerID == pending.OrganizerID && copy->Type == pending.Type &&
            copy->EventType == pending.EventType && same(copy->Text, pending.Text) && same(copy->Note, pending.Note) &&
            copy->HasBegin == pending.HasBegin && (!pending.HasBegin || sameTime(copy->Begin, pending.Begin)) &&
            copy->HasEnd == pending.HasEnd && (!pending.HasEnd || sameTime(copy->End, pending.End)) &&
            copy->ParentID == pending.ParentID && copy->RecurrenceFrequency == pending.RecurrenceFrequency &&
            (pending.RecurrenceFrequency == 0 || same(copy->RecurrenceSettings, pending.RecurrenceSettings))) {
            return id;
        }
    }
    return 0;
}

void TNPIMRecords::EndArrivals()
{
    CollectArrivals = false;
    arrivals_.clear();
    arrivals_.shrink_to_fit();
}

void TNPIMRecords::ForgetDuplicate(uint32_t id)
{
    Guarded("[TNPIMRecords::ForgetDuplicate]", [&] {
        TNModelWriteGuard lock;
        std::vector<int32_t> masters;
        ForEachPosOfID(id, [&](int32_t pos) {
            if (!Items[pos]->Virtual) {
                masters.push_back(pos);
            }
        });
        for (int32_t pos : masters) {
            TNPIMRecord& record = *Items[pos];
            DeleteVirtuals(pos);
            record.DeleteRecordFromAllDays();
            LogTextUInt("[TNPIMRecords::ForgetDuplicate] ID = ", id);
            // An empty slot: found by no id, shown nowhere, never stored.
            record.ID = 0;
            record.OldID = 0;
            record.Deleted = 1;
            record.PleaseSync = false;
            record.DoNotSave = true;
            NoteIDChanged(pos);
        }
    });
}

void TNPIMRecords::DataUpSynced(uint32_t oldID, uint32_t newID, uint32_t changed)
{
    Guarded("[TNPIMRecords::DataUpSynced]", [&] {
        TNModelWriteGuard lock;
        // 1. Logged.
        char text[16];
        std::snprintf(text, sizeof text, "%u", oldID);
        LogWrite("[TNPIMRecords::DataUpSynced] upload_sync_id = ", text, false);
        std::snprintf(text, sizeof text, "%u", newID);
        LogWrite("[TNPIMRecords::DataUpSynced] uploaded_sync_new_id = ", text, false);

        std::vector<int32_t> masters;
        std::vector<int32_t> copies;
        ForEachPosOfID(oldID, [&](int32_t pos) { (Items[pos]->Virtual ? copies : masters).push_back(pos); });
        if (masters.empty()) {
            return;
        }
        bool rekey = oldID != newID;
        // 2. The master and its copies leave the index under the old id;
        // the copies are made again from the master afterwards.
        if (rekey) {
            for (int32_t pos : masters) {
                Items[pos]->DeleteRecordFromAllDays();
            }
            for (int32_t pos : copies) {
                Items[pos]->ID = newID;
                Items[pos]->Deleted = 1;
                NoteIDChanged(pos);
            }
        }
        // 3. Only the stored record is re-keyed and written.
        int32_t fid = RecordFileSlotOf(ParentPIM);
        for (int32_t pos : masters) {
            TNPIMRecord& record = *Items[pos];
            LogTextInt("[TNPIMRecords::DataUpSynced] GetRecordPosByID = ", pos);
            record.PleaseSync = false;
            record.OldID = oldID;
            record.ID = newID;
            if (changed > 0) {
                record.Changed = changed;
            }
            NoteIDChanged(pos);
            // Queued even without a new time: the stored record must stop
            // being pending, and a confirmed deletion must become a hole.
            StoreConfirmedItem(record, raftRecord, oldID, pos, fid);
        }
        if (rekey) {
            for (int32_t pos : masters) {
                if (!CreateVirtuals(pos, false)) {
                    Items[pos]->UpdateOrganizerPointer();
                    Items[pos]->AddToAllDays();
                }
            }
        }
    });
}

TNPIMRecords::TagState TNPIMRecords::TagStateForUpload(int32_t pos)
{
    TNPIMRecord& record = *Items[pos];
    // The form names the tag only for a note or a record going up for the
    // first time; only a temporary tag id is something the service cannot
    // resolve.
    bool named = record.Type == rtNote || record.ID >= kFirstLocalID;
    if (!named || record.TagID < kFirstLocalID || ParentPIM == nullptr) {
        return TagState::Ready;
    }
    TNPIMTags& tags = ParentPIM->Tags;
    int32_t tagPos = tags.GetItemPosByID(record.TagID);
    const TNPIMTag* tag = tagPos >= 0 ? tags.Items[tagPos] : nullptr;
    if (tag == nullptr || tag->Deleted != 0) {
        // The tag is gone: the record keeps no link to it.
        LogTextUInt("[TNPIMRecords::GetDataToSync] tag gone, TagID = 0; TagID was ", record.TagID);
        SetRecordTagID(pos, record.TagID, 0);
        return TagState::Ready;
    }
    if (tag->ID < kFirstLocalID) {
        // Confirmed already (found by its old id): take its service id.
        SetRecordTagID(pos, record.TagID, tag->ID);
        return TagState::Ready;
    }
    if (tag->OrganizerID == 0) {
        // A tag that never goes up must not hold the record back for ever.
        return TagState::SendWithout;
    }
    return TagState::Waits;
}

void TNPIMRecords::SetRecordTagID(int32_t pos, uint32_t from, uint32_t to)
{
    uint32_t id = Items[pos]->ID;
    ForEachPosOfID(id, [&](int32_t p) {
        if (Items[p]->TagID == from) {
            Items[p]->TagID = to;
        }
    });
    if (Items[pos]->TagID == from) {
        Items[pos]->TagID = to;
    }
    Queue(id, pos, Items[pos]->Deleted);
}

void TNPIMRecords::TagIDChanged(uint32_t oldTagID, uint32_t newTagID)
{
    Guarded("[TNPIMRecords::TagIDChanged]", [&] {
        TNModelWriteGuard lock;
        if (oldTagID == newTagID || oldTagID == 0 || Borrowing) {
            return;
        }
        for (int32_t i = 0; i < Count; ++i) {
            TNPIMRecord* record = Items[i];
            if (record == nullptr || record->TagID != oldTagID) {
                continue;
            }
            record->TagID = newTagID;
            if (record->Virtual) {
                continue;
            }
            // A confirmed note that names a new tag went up without it: it
            // goes up again to give the service its tag.
            if (oldTagID >= kFirstLocalID && record->Type == rtNote && record->ID < kFirstLocalID) {
                record->PleaseSync = true;
            }
            // Queued like any change of the record, so that a pending mark
            // gained here is stored (TagID itself is not part of the body).
            Queue(record->ID, i, record->Deleted);
        }
    });
}

// ---------------------------------------------------------------- the rest

TNPIMRecord* TNPIMRecords::GetNotifyConstantly()
{
    return Guarded("[TNPIMRecords::GetNotifyConstantly]", static_cast<TNPIMRecord*>(nullptr), [&] {
        TNModelWriteGuard lock;
        std::vector<int32_t> candidates;
        for (int32_t i = 0; i < Count && static_cast<int32_t>(candidates.size()) < kMaxNotifyCandidates; ++i) {
            const TNPIMRecord* record = Items[i];
            if (record != nullptr && record->Deleted == 0 && record->Finished == 0 && record->Importance == 99) {
                candidates.push_back(i);
            }
        }
        if (candidates.empty()) {
            return static_cast<TNPIMRecord*>(nullptr);
        }
        int32_t count = static_cast<int32_t>(candidates.size());
        if (NotifyPos < 0) {
            std::mt19937 random(NotifySeed != nullptr ? NotifySeed() : TNLocalClock::Now32());
            NotifyPos = static_cast<int32_t>(random() % static_cast<uint32_t>(count));
        } else if (++NotifyPos >= count) {
            NotifyPos = 0;
        }
        const TNPIMRecord* picked = Items[candidates[static_cast<size_t>(NotifyPos)]];
        auto* result = new TNPIMRecord(ParentPIM);
        result->Text = picked->Text;
        result->ID = picked->ID;
        return result;
    });
}

bool TNPIMRecords::CheckAll()
{
    return Guarded("[TNPIMRecords::CheckAll]", false, [&] {
        bool changed = false;
        for (int32_t i = 0; i < Count; ++i) {
            if (Items[i] != nullptr && Items[i]->Check()) {
                changed = true;
            }
        }
        return changed;
    });
}

int32_t TNPIMRecords::GetFinishedFromMenuText(const char* text)
{
    TNString menu(text != nullptr ? text : "");
    return menu.Equals("Dokončeno", false, false) ? 1 : 0;
}

int32_t TNPIMRecords::GetRescheduleFromMenuText(const char* text)
{
    TNString menu(text != nullptr ? text : "");
    if (menu.Equals("Automaticky přeplánovat na Dnes", false, false)) {
        return 1;
    }
    if (menu.Equals("Automaticky přeplánovat o týden", false, false)) {
        return 7;
    }
    if (menu.Equals("Automaticky přeplánovat o 14 dní", false, false)) {
        return 14;
    }
    return 0;
}

TNModelImage* TNPIMRecords::getImageFromFileByWidth(uint32_t recordID, int32_t width)
{
    return Guarded("[TNPIMRecords::getImageFromFileByWidth]", static_cast<TNModelImage*>(nullptr), [&] {
        TNPIMRecord* record = GetRecordByID(recordID);
        if (record == nullptr) {
            return static_cast<TNModelImage*>(nullptr);
        }
        const char* domain = App.WebDomain[record->GetParentPIMPos()];
        char folder[1024];
        std::snprintf(folder, sizeof folder, "%s%s/Pictures/%u/%u/",
                      Dirs.UserDir.Text != nullptr ? Dirs.UserDir.Text : "", domain, record->OrganizerID, record->ID);
        for (int32_t i = 0; i < PictureWidthsCount; ++i) {
            int32_t tried = PictureWidths[i];
            if (tried != width && i != PictureWidthsCount - 1) {
                continue;
            }
            char path[1200];
            std::snprintf(path, sizeof path, "%s%u-w%d.jpg", folder, record->MainPicture, tried);
            if (plat::FileExists(path)) {
                if (TNModelImage* image = LoadModelImage(path)) {
                    return image;
                }
                LogWrite("[TNPIMRecords::getImageFromFileByWidth][ERROR][NULL] Not loaded full_requested_image_path = ",
                         path, false);
                return static_cast<TNModelImage*>(nullptr);
            }
            char full[1200];
            std::snprintf(full, sizeof full, "%s%u.jpg", folder, record->MainPicture);
            plat::RemoveFile(full);
            record->lastMainPicture = 0;
        }
        return static_cast<TNModelImage*>(nullptr);
    });
}

void TNPIMRecords::DestroyImages()
{
    for (int32_t i = 0; i < Count; ++i) {
        if (Items[i] != nullptr) {
            Items[i]->DestroyImages();
        }
    }
}
