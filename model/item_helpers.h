#pragma once

#include "foundation/guard.h"
#include "foundation/log.h"
#include "foundation/record_file.h"
#include "foundation/string.h"
#include "model/body_reader.h"
#include "model/body_writer.h"
#include "model/collection.h"
#include "model/model_lock.h"
#include "model/numbers.h"
#include "model/upload.h"

#include <cstdint>

class TNPIM;
class TNPIMLastRequests;
class TNPIMOrganizers;

// Helpers shared by every collection of a data set: reading an answer item,
// writing and reading the stored head of an item, and queueing items for the
// record file. Upload forms and confirmations use model/upload.h.

// The record-file slot a data set's collection writes to; the application's
// data slot when the collection has no data set.
int32_t RecordFileSlotOf(const TNPIM* pim);

// The organizers and last-request times an item belongs with: its own data
// set's when it has one, else those of the set that ran Init last.
TNPIMOrganizers* OrganizersOf(TNPIM* pim);
TNPIMLastRequests* LastRequestsOf(TNPIM* pim);

// One answer item of a download. Each read leaves the field alone when its
// element is missing.
class TNAnswerItem {
public:
    explicit TNAnswerItem(TNString& answer) : answer_(answer) {}

    bool Has(const char* key, bool decode) { return answer_.GetXmlValue(key, nullptr, 0, &value, decode); }

    template <class T> bool Number(const char* key, T& field)
    {
        if (!Has(key, false)) {
            return false;
        }
        field = static_cast<T>(TextToNumber(value));
        return true;
    }

    bool Flag(const char* key, bool& field)
    {
        if (!Has(key, false)) {
            return false;
        }
        field = TextToNumber(value) != 0;
        return true;
    }

    // Entities decoded.
    bool Text(const char* key, TNString& field)
    {
        if (!Has(key, true)) {
            return false;
        }
        field = value;
        return true;
    }

    TNString value;

private:
    TNString& answer_;
};

// The answer item's "ID" when the service may send it: 1 up to below the
// temporary range. Any other (missing, 0, negative, beyond 32 bits, one of
// the client's temporary ids) would overwrite another item or be uploaded
// back as new: the item is refused with one log line and counted.
bool TakeAnswerID(TNAnswerItem& in, const char* caller, uint32_t& id);
// Answer items refused for their id since the process started.
int32_t RefusedAnswerItems();

// The item the answer's "ID" names, found or appended to the collection,
// takes over the fields every answer item starts with; PleaseSync is
// cleared. Its position, or -1 when its id is refused or the collection
// cannot grow.
template <class Collection> int32_t TakeAnswerItem(Collection& items, TNAnswerItem& in)
{
    uint32_t id = 0;
    if (!TakeAnswerID(in, "[TakeAnswerItem]", id)) {
        return -1;
    }
    int32_t pos = items.PosForIDOrAppend(id);
    if (pos < 0) {
        return -1;
    }
    auto& item = *items.Items[pos];
    item.PleaseSync = false;
    item.ID = id;
    in.Number("Created", item.Created);
    in.Number("Changed", item.Changed);
    in.Number("Deleted", item.Deleted);
    return pos;
}

// What every collection's Add of an answer item does before its own fields:
// under the model's write lock, the answer (logged first under `logPrefix`
// when one is given) goes through TakeAnswerItem; then
// `fill(item, pos, in, appended)` reads the collection's own fields and
// gives the position. -1 for no answer, a refused id or a full collection.
template <class Collection, class Fill>
int32_t AddAnswerItem(Collection& items, const char* caller, const char* logPrefix, TNString* answer, Fill&& fill)
{
    return Guarded(caller, -1, [&]() -> int32_t {
        TNModelWriteGuard lock;
        if (answer == nullptr)
            return -1;
        if (logPrefix != nullptr)
            LogAnswer(logPrefix, answer->View());
        TNAnswerItem in(*answer);
        const int32_t countBefore = items.Count;
        const int32_t pos = TakeAnswerItem(items, in);
        if (pos < 0)
            return -1;
        return fill(*items.Items[pos], pos, in, pos >= countBefore);
    });
}

// Queues (type, id) for the next save pass; a deleted item is queued to
// become a hole unless deleteAllowed is false. False without a record-file
// slot.
bool QueueForSave(int32_t fid, uint8_t type, uint32_t id, int32_t pos, uint32_t deleted, bool deleteAllowed = true);

// ID, Created, Changed and Deleted, as every stored item holds them.
template <class Item> void WriteItemNumbers(TNBodyWriter& w, const Item& item)
{
    for (uint32_t value : {item.ID, static_cast<uint32_t>(item.Created), static_cast<uint32_t>(item.Changed),
                           static_cast<uint32_t>(item.Deleted)}) {
        w.Unsigned(value, 4);
    }
}

template <class Item> void ReadItemNumbers(TNBodyReader& r, Item& item)
{
    item.ID = r.Unsigned(4);
    item.Created = static_cast<decltype(item.Created)>(r.Unsigned(4));
    item.Changed = static_cast<decltype(item.Changed)>(r.Unsigned(4));
    item.Deleted = static_cast<decltype(item.Deleted)>(r.Unsigned(4));
}

// Most stored items begin with their version, PleaseSync and the four
// common numbers; these write them and read them back.
template <class Item> void WriteItemHead(TNBodyWriter& w, const Item& item, uint8_t version)
{
    w.Unsigned(version, 1);
    w.Flag(item.PleaseSync);
    WriteItemNumbers(w, item);
}

// The stored version, or 0 when it is not one of oldest to newest: the item
// is unreadable. errorLine, when given, is logged with the version.
template <class Item>
uint32_t ReadItemHead(TNBodyReader& r, Item& item, uint32_t oldest, uint32_t newest, const char* errorLine = nullptr)
{
    uint32_t version = r.Unsigned(1);
    if (!r.Ok() || version < oldest || version > newest) {
        if (errorLine != nullptr) {
            LogTextUInt(errorLine, version);
        }
        return 0;
    }
    item.PleaseSync = r.Flag();
    ReadItemNumbers(r, item);
    return version;
}

// The protocol steps every collection here shares.
namespace collection_steps {

// The first present item waiting for upload: PleaseSync set or a temporary
// id; -1 when none.
template <class Collection> int32_t FirstPending(const Collection& items, const TNUploadSkip& skip = {})
{
    for (int32_t i = 0; i < items.Count; ++i) {
        const auto* item = items.Items[i];
        if (item != nullptr && (item->PleaseSync || item->ID >= kFirstLocalID) && !(skip && skip(item->ID))) {
            return i;
        }
    }
    return -1;
}

// Raises a download time to a Changed when that is later (signed).
inline void RaiseTime(uint32_t& time, int64_t changed)
{
    if (static_cast<int32_t>(changed) > static_cast<int32_t>(time)) {
        time = static_cast<uint32_t>(changed);
    }
}

// Counts one answer item: Received, Offset and the newest Changed.
template <class Collection> void CountReceived(Collection& items, int64_t changed)
{
    ++items.Received;
    ++items.Offset;
    RaiseTime(items.NewestChanged, changed);
}

// Init of the common counters.
template <class Collection> void InitCounters(Collection& items)
{
    items.NextID = kFirstLocalID;
    items.LastRequestTime = 0;
    items.NewestChanged = 0;
    items.Offset = 0;
    items.Received = 0;
}

// FinalizeLoading: the download time from the newest Changed, NextID past
// every temporary id.
template <class Collection> void FinalizeCounters(Collection& items)
{
    for (int32_t i = 0; i < items.Count; ++i) {
        if (items.Items[i] != nullptr) {
            RaiseTime(items.LastRequestTime, items.Items[i]->Changed);
        }
    }
    items.NextID = items.NextIDAfter(items.NextID);
}

} // namespace collection_steps
