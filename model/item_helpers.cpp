#include "model/item_helpers.h"

#include "foundation/app_info.h"
#include "model/pim.h"

int32_t RecordFileSlotOf(const TNPIM* pim)
{
    return pim != nullptr ? pim->RecordFileSlot() : App.raFileAllPIM;
}

TNPIMOrganizers* OrganizersOf(TNPIM* pim)
{
    return pim != nullptr ? &pim->Organizers : CurrentPIMOrganizers;
}

TNPIMLastRequests* LastRequestsOf(TNPIM* pim)
{
    return pim != nullptr ? &pim->LastRequests : CurrentPIMLastRequests;
}

bool QueueForSave(int32_t fid, uint8_t type, uint32_t id, int32_t pos, uint32_t deleted, bool deleteAllowed)
{
    if (!raf.isValidFid(fid)) {
        return false;
    }
    return raf.Items[static_cast<size_t>(fid)]->add_toSave(type, id, pos, deleted, deleteAllowed, false);
}
