#include "model/upload.h"

#include "foundation/log.h"
#include "model/collection.h"

#include <cstdio>

bool IsAcceptableNewID(uint32_t newID)
{
    if (newID == 0 || newID >= kFirstLocalID) {
        LogTextUInt("[TNPIM::DataUpSynced][ERROR] uploaded_sync_new_id = ", newID);
        return false;
    }
    return true;
}

void AppendFormField(TNString& text, const char* key, int64_t value)
{
    char number[24];
    std::snprintf(number, sizeof number, "%lld", static_cast<long long>(value));
    text.Append(key);
    text.Append(number, true);
}

void AppendFormField(TNString& text, const char* key, const TNString& value)
{
    text.Append(key);
    text.Append(value.Text, true);
}

int32_t QueuePosOf(int32_t fid, uint8_t type, uint32_t id)
{
    if (!raf.isValidFid(fid)) {
        return -1;
    }
    TNRAFile& file = *raf.Items[static_cast<size_t>(fid)];
    int32_t count = file.toSaveCount();
    for (int32_t tsp = 0; tsp < count; ++tsp) {
        TNRAFileToSave item;
        if (file.get_toSave(tsp, item) && item.saved == 0 && item.type == type && item.id == id) {
            return tsp;
        }
    }
    return -1;
}
