#include "model/pim.h"

#include "foundation/app_info.h"
#include "foundation/hooks.h"

TNPIMOrganizers* CurrentPIMOrganizers = nullptr;
TNPIMLastRequests* CurrentPIMLastRequests = nullptr;
std::atomic<bool> pimDataReceived{false};

TNPIM::TNPIM(int32_t position) : pimSrvPos(position)
{
    Organizers.ParentPIM = this;
    LastRequests.ParentPIM = this;
    Alerts.ParentPIM = this;
    Tags.ParentPIM = this;
    TagsAssign.ParentPIM = this;
    Init();
}

TNPIM::~TNPIM()
{
    // Items of other sets must not reach a set that is gone.
    if (CurrentPIMOrganizers == &Organizers) {
        CurrentPIMOrganizers = nullptr;
    }
    if (CurrentPIMLastRequests == &LastRequests) {
        CurrentPIMLastRequests = nullptr;
    }
}

void TNPIM::Init()
{
    UserID = 0;
    if (Records == nullptr) {
        Records = std::make_unique<TNPIMRecords>(this);
    }
    Records->Init(true);
    CurrentPIMLastRequests = &LastRequests;
    CurrentPIMOrganizers = &Organizers;
    TagsAssign.pimSrvPos = pimSrvPos;
    LoadingPimNow = false;
    SavingPimNow = false;
}

// Every set saves to the one slot of the application record for now; each
// set gets a slot of its own with loading and saving.
int32_t TNPIM::RecordFileSlot() const
{
    return App.raFileAllPIM;
}

void InstallPIMFactory()
{
    FoundationHooks.CreatePIM = [](int32_t position) { return new TNPIM(position); };
    FoundationHooks.DestroyPIM = [](TNPIM* pim) { delete pim; };
}
