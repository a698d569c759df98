#include "model/item_helpers.h"

#include "foundation/app_info.h"
#include "foundation/local_ids.h"
#include "model/pim.h"

#include <atomic>
#include <string>

namespace {

std::atomic<int32_t> refusedAnswerItems{0};

} // namespace

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

bool TakeAnswerID(TNAnswerItem& in, const char* caller, uint32_t& id)
{
    const bool present = in.Has("ID", false);
    const int64_t number = present ? TextToNumber(in.value) : 0;
    if (number > 0 && number < static_cast<int64_t>(kFirstLocalID)) {
        id = static_cast<uint32_t>(number);
        return true;
    }
    refusedAnswerItems.fetch_add(1);
    std::string shown = present ? std::string(in.value.View().substr(0, 40)) : std::string("none");
    LogWrite(caller, ("[REFUSED] answer item with an unusable ID = " + shown).c_str(), false);
    return false;
}

int32_t RefusedAnswerItems()
{
    return refusedAnswerItems.load();
}
