#include "model/last_requests.h"

#include "foundation/guard.h"
#include "foundation/log.h"
#include "model/item_helpers.h"
#include "model/pim.h"

#include <cstdio>

bool TNPIMLastRequest::Save(int32_t queuePos, int32_t fid)
{
    return Guarded("[TNPIMLastRequest::Save]", false, [&] {
        TNBodyWriter w(fid, queuePos);
        w.Unsigned(kStoredVersion, 1);
        w.Signed(Type, 4);
        for (uint32_t value : {ID, Time, Deleted}) {
            w.Unsigned(value, 4);
        }
        return w.Commit();
    });
}

bool TNPIMLastRequest::Load(plat::ByteReader& in)
{
    return Guarded("[TNPIMLastRequest::Load]", false, [&] {
        TNBodyReader r(in);
        if (r.Unsigned(1) != kStoredVersion || !r.Ok()) {
            return false;
        }
        int32_t type = static_cast<int32_t>(r.Unsigned(4));
        uint32_t id = r.Unsigned(4);
        uint32_t time = r.Unsigned(4);
        uint32_t deleted = r.Unsigned(4);
        if (!r.Ok()) {
            return false;
        }
        Type = type;
        ID = id;
        Time = time;
        Deleted = deleted;
        return true;
    });
}

void TNPIMLastRequests::Clear()
{
    Destroy();
    Init();
}

bool TNPIMLastRequests::Resize(int32_t n)
{
    return Guarded("[TNPIMLastRequests::Resize]", false, [&] {
        int32_t old = Count;
        if (ResizeSlots(n)) {
            return true;
        }
        char text[64];
        std::snprintf(text, sizeof text, "old = %d; new = %d", old, n);
        LogWrite("[TNPIMLastRequests::Resize][ERROR]", text, false);
        return false;
    });
}

int32_t TNPIMLastRequests::GetItemPosByID(uint32_t typeByte) const
{
    for (int32_t i = 0; i < Count; ++i) {
        if (Items[i] != nullptr && static_cast<uint32_t>(Items[i]->Type) == typeByte) {
            return i;
        }
    }
    return -1;
}

int32_t TNPIMLastRequests::FindLive(int32_t type, uint32_t id) const
{
    for (int32_t i = 0; i < Count; ++i) {
        const TNPIMLastRequest* item = Items[i];
        if (item != nullptr && item->Deleted == 0 && item->Type == type && item->ID == id) {
            return i;
        }
    }
    return -1;
}

void TNPIMLastRequests::SetItem(int32_t type, uint32_t id, uint32_t time)
{
    Guarded("[TNPIMLastRequests::SetItem]", [&] {
        int32_t pos = FindLive(type, id);
        if (pos >= 0) {
            if (Items[pos]->Time >= time) {
                return;
            }
            Items[pos]->Time = time;
        } else {
            if (!Resize(Count + 1)) {
                return;
            }
            pos = Count - 1;
            Items[pos]->Type = type;
            Items[pos]->ID = id;
            Items[pos]->Time = time;
        }
        // Stored under its type byte.
        QueueForSave(RecordFileSlotOf(ParentPIM), raftLastRequest, static_cast<uint8_t>(Items[pos]->Type), pos,
                     Items[pos]->Deleted);
    });
}

uint32_t TNPIMLastRequests::GetHigher(int32_t type, uint32_t id, uint32_t time) const
{
    int32_t pos = FindLive(type, id);
    return pos >= 0 && Items[pos]->Time > time ? Items[pos]->Time : time;
}
