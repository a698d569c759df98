#pragma once

#include "foundation/record_file_set.h"
#include "foundation/string.h"

#include <cstdint>
#include <functional>

// Helpers that the collections share when the service confirms an upload.

// Passes over a pending item (by id) when the offer of the next upload is
// made: it backs off after a refusal, and the items behind it go first.
using TNUploadSkip = std::function<bool(uint32_t id)>;

// Whether the service's answer may become an item's id: 0 would strip the
// item of its identity and a temporary-looking id would send it up again on
// every pass. A refused id is logged under "[TNPIM::DataUpSynced][ERROR]".
bool IsAcceptableNewID(uint32_t newID);

// Upload form fields: the key as it is, the value percent-encoded from its
// CP1250 bytes.
void AppendFormField(TNString& text, const char* key, int64_t value);
void AppendFormField(TNString& text, const char* key, const TNString& value);

// Queues a confirmed item, whose ID now holds the service's id, for the next
// save. With a new id the record of the old id goes in the same save: the
// file retires it in the commit that makes the new record live, so that a
// cut leaves exactly one of the two. Confirmations are saved in batches by
// the synchronisation, one commit for many. Without deleteAllowed a deleted
// item stays a record.
template <class Item>
void StoreConfirmedItem(Item& item, uint8_t type, uint32_t oldID, int32_t pos, int32_t fid, bool deleteAllowed = true)
{
    if (!raf.isValidFid(fid)) {
        return;
    }
    TNRAFile& file = *raf.Items[static_cast<size_t>(fid)];
    file.add_toSave(type, item.ID, pos, item.Deleted, deleteAllowed, false);
    if (item.ID == oldID) {
        return;
    }
    file.noteReplacement(type, item.ID, oldID);
    file.add_toSave(type, oldID, pos, 1, true, false);
}
