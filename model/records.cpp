#include "model/records.h"

#include "foundation/common.h"
#include "foundation/guard.h"
#include "foundation/log.h"

void TNPIMRecords::Init(bool full)
{
    if (full) {
        UserOrganizerID = 0;
        NextID = kFirstLocalID;
    }
}

bool TNPIMRecords::Resize(int32_t n)
{
    return Guarded("[TNPIMRecords::Resize]", false, [&] {
        int32_t old = Count;
        if (ResizeSlots(n)) {
            return true;
        }
        LogText("[TNPIMRecords::Resize][ERROR] realloc() error!");
        LogTextInt("[TNPIMRecords::Resize][ERROR] new_count = ", n);
        LogTextInt("[TNPIMRecords::Resize][ERROR] Count = ", old);
        c.FatalErrorApplicationRestart();
        return false;
    });
}
