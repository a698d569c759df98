#pragma once

#include "foundation/guard.h"
#include "foundation/log.h"
#include "model/collection.h"
#include "model/item_helpers.h"
#include "model/model_lock.h"
#include "model/upload.h"

#include <cstdint>
#include <string>

class TNPIM;

// The part of the protocol that contact requests, groups, group
// assignments, contacts, notifications, sharing entries and event types
// share: the download counters, the rewrite of items read from older
// bodies, the upload choice and its confirmation, and queueing an item for
// the record file.
//
// Derived gives kType (its record-file type), kName (its class name for log
// lines) and, where it differs, NeedsRewrite (a loaded item to be written
// again at the next save) and Confirmed (what a confirmation changes besides the id).
template <class Item, class Derived, uint8_t Type> class TNPIMSyncedCollection : public TNPIMCollection<Item, Derived> {
public:
    static constexpr uint8_t kType = Type;

    // The owning data set; gives the record-file slot.
    TNPIM* ParentPIM = nullptr;
    uint32_t NextID = kFirstLocalID;
    // Committed download time, the newest Changed received since, the
    // number received since, and the number received in this pass.
    uint32_t LastRequestTime = 0;
    uint32_t NewestChanged = 0;
    int32_t Offset = 0;
    int32_t Received = 0;

    void Init() { collection_steps::InitCounters(*this); }

    void Clear()
    {
        Guarded(Caller("Clear").c_str(), [&] {
            this->Destroy();
            self().Init();
        });
    }

    Item* GetItemByID(uint32_t id) const
    {
        int32_t pos = self().GetItemPosByID(id);
        return pos >= 0 ? this->Items[pos] : nullptr;
    }

    void UpdateLastRequestTime(int32_t pos)
    {
        if (pos >= 0 && pos < this->Count && this->Items[pos] != nullptr) {
            collection_steps::RaiseTime(LastRequestTime, this->Items[pos]->Changed);
        }
    }

    // The download position and NextID from the loaded items; an item read
    // from an older body is queued, so that the next save writes it in the
    // current form.
    void FinalizeLoading()
    {
        Guarded(Caller("FinalizeLoading").c_str(), [&] {
            collection_steps::FinalizeCounters(*this);
            QueueRewrites();
        });
    }

    // The first item waiting for upload is marked and its form appended;
    // its id, or 0 when none waits.
    uint32_t GetDataToSync(TNString& out, const TNUploadSkip& skip = {})
    {
        return Guarded(Caller("GetDataToSync").c_str(), 0u, [&] {
            TNModelWriteGuard lock;
            int32_t pos = collection_steps::FirstPending(*this, skip);
            if (pos < 0) {
                return 0u;
            }
            Item& item = *this->Items[pos];
            item.PleaseSync = true;
            item.GetDataToSync(out);
            LogWrite((Caller("GetDataToSync") + " ").c_str(), out.Text, false);
            return item.ID;
        });
    }

    // The service took the item: it takes the service's id and is stored,
    // so that a restart does not offer it again.
    void DataUpSynced(uint32_t oldID, uint32_t newID, uint32_t newChanged)
    {
        Guarded(Caller("DataUpSynced").c_str(), [&] {
            TNModelWriteGuard lock;
            int32_t pos = self().GetItemPosByID(oldID);
            if (pos < 0) {
                LogTextUInt((Caller("DataUpSynced") + "[NOT_FOUND] id = ").c_str(), oldID);
                return;
            }
            Item& item = *this->Items[pos];
            item.PleaseSync = false;
            // An id of 0 would make the stored record a hole.
            if (newID != 0) {
                item.ID = newID;
            }
            Derived::Confirmed(item, oldID, newChanged);
            StoreConfirmedItem(item, kType, oldID, pos, Fid());
        });
    }

    // Queues the item at pos for the next save; a deleted item to become a
    // hole unless it waits for upload.
    bool QueueItem(int32_t pos)
    {
        if (pos < 0 || pos >= this->Count || this->Items[pos] == nullptr) {
            return false;
        }
        const Item& item = *this->Items[pos];
        return QueueForSave(Fid(), kType, item.ID, pos, static_cast<uint32_t>(item.Deleted));
    }

    static bool NeedsRewrite(const Item&) { return false; }
    static void Confirmed(Item&, uint32_t, uint32_t) {}

protected:
    void QueueRewrites()
    {
        for (int32_t pos = 0; pos < this->Count; ++pos) {
            if (this->Items[pos] != nullptr && Derived::NeedsRewrite(*this->Items[pos])) {
                LogTextInt((Caller("FinalizeLoading") + " Rewrite at pos ").c_str(), pos);
                QueueItem(pos);
            }
        }
    }

    int32_t Fid() const { return RecordFileSlotOf(ParentPIM); }

    // "[Class::method]" for log lines and the guard.
    static std::string Caller(const char* method) { return std::string("[") + Derived::kName + "::" + method + "]"; }

    // A failed growth: the log line, false, the collection as it was.
    bool ResizeLogged(int32_t n, const char* errorLine)
    {
        return Guarded(Caller("Resize").c_str(), false, [&] {
            if (this->ResizeSlots(n)) {
                return true;
            }
            LogText(errorLine);
            return false;
        });
    }

private:
    Derived& self() { return static_cast<Derived&>(*this); }
    const Derived& self() const { return static_cast<const Derived&>(*this); }
};
