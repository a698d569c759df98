#pragma once

#include "model/collection.h"
#include "model/record.h"

#include <cstdint>

class TNPIM;

// The records of one data set.
class TNPIMRecords : public TNPIMCollection<TNPIMRecord, TNPIMRecords> {
public:
    TNPIM* ParentPIM = nullptr;
    // The signed-in user's own organizer ("user-organizer-id").
    uint32_t UserOrganizerID = 0;
    uint32_t NextID = kFirstLocalID;

    explicit TNPIMRecords(TNPIM* parent) : ParentPIM(parent) {}

    // With full, also the account's values and the id counter.
    void Init(bool full);
    // Frees every record; a full Init.
    void Clear();
    // Frees every record; the id counter stays (before a load).
    void EmptyForLoad();
    // A failed growth ends the application (fatal-error step).
    bool Resize(int32_t n);
    TNPIMRecord* MakeItem() { return new TNPIMRecord(ParentPIM); }
    void FinalizeLoading();
};
