#pragma once

#include "foundation/pim_array.h"
#include "model/alerts.h"
#include "model/last_requests.h"
#include "model/organizers.h"
#include "model/records.h"
#include "model/tags.h"
#include "model/tags_assign.h"

#include <atomic>
#include <cstdint>
#include <memory>

// The organizer data of one account on one configured server.
//
// So far the account values, the organizers, the records and the
// last-request times; the other collections, the per-day index, loading,
// saving and the model lock join with the data set proper.
class TNPIM {
public:
    uint32_t UserID = 0;
    // Position of this set in PIM.
    int32_t pimSrvPos = 0;
    std::atomic<bool> LoadingPimNow{false};
    std::atomic<bool> SavingPimNow{false};
    TNPIMOrganizers Organizers;
    std::unique_ptr<TNPIMRecords> Records;
    TNPIMAlerts Alerts;
    TNPIMTags Tags;
    TNPIMTagsAssign TagsAssign;
    TNPIMLastRequests LastRequests;

    explicit TNPIM(int32_t position);
    ~TNPIM();
    TNPIM(const TNPIM&) = delete;
    TNPIM& operator=(const TNPIM&) = delete;

    void Init();
    // Slot of the record file the set saves to.
    int32_t RecordFileSlot() const;
};

// The organizers and last-request times of the set that ran Init last.
extern TNPIMOrganizers* CurrentPIMOrganizers;
extern TNPIMLastRequests* CurrentPIMLastRequests;
// Set when data arrived that Save must write even with an empty queue.
extern std::atomic<bool> pimDataReceived;

// Lets `c` make and free the sets of PIM; called once at start-up, before
// the globals are built.
void InstallPIMFactory();
