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

void TNPIMRecords::Clear()
{
    Guarded("[TNPIMRecords::Clear]", [&] {
        Destroy();
        Init(true);
    });
}

void TNPIMRecords::EmptyForLoad()
{
    Destroy();
    Init(false);
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

void TNPIMRecords::FinalizeLoading()
{
    Guarded("[TNPIMRecords::FinalizeLoading]", [&] {
        for (int32_t i = 0; i < Count; ++i) {
            if (Items[i] != nullptr) {
                NextID = FoldNextID(Items[i]->ID, NextID);
            }
        }
    });
}
