#include "model/item_helpers.h"

#include "foundation/app_info.h"
#include "model/pim.h"

#include <cinttypes>
#include <cstdio>

int32_t RecordFileSlotOf(const TNPIM* pim)
{
    return pim != nullptr ? pim->RecordFileSlot() : App.raFileAllPIM;
}

void AppendFormText(TNString& out, const char* key, const TNString& value)
{
    out.Append(key);
    if (!value.IsEmpty()) {
        out.Append(value.Text, true);
    }
}

void AppendFormNumber(TNString& out, const char* key, int64_t value)
{
    char digits[24];
    std::snprintf(digits, sizeof digits, "%" PRId64, value);
    out.Append(key);
    out.Append(digits, true);
}

bool QueueForSave(int32_t fid, uint8_t type, uint32_t id, int32_t pos, uint32_t deleted)
{
    if (!raf.isValidFid(fid)) {
        return false;
    }
    return raf.Items[static_cast<size_t>(fid)]->add_toSave(type, id, pos, deleted, true, false);
}

int32_t FindQueued(int32_t fid, uint8_t type, uint32_t id)
{
    if (!raf.isValidFid(fid)) {
        return -1;
    }
    TNRAFile& file = *raf.Items[static_cast<size_t>(fid)];
    for (int32_t tsp = 0; tsp < file.toSaveCount(); ++tsp) {
        TNRAFileToSave entry;
        if (file.get_toSave(tsp, entry) && entry.saved == 0 && entry.type == type && entry.id == id) {
            return tsp;
        }
    }
    return -1;
}

void HoleStored(int32_t fid, uint8_t type, uint32_t id)
{
    if (!raf.isValidFid(fid)) {
        return;
    }
    TNRAFile& file = *raf.Items[static_cast<size_t>(fid)];
    int32_t pos = file.getIndexPosById(id, type);
    if (pos >= 0) {
        file.createHole(pos);
    }
}
