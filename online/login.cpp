#include "online/login.h"

#include "foundation/guard.h"
#include "foundation/local_ids.h"
#include "foundation/log.h"
#include "foundation/pim_array.h"
#include "model/model_lock.h"
#include "model/pim.h"
#include "model/record.h"
#include "model/sharing.h"
#include "online/global.h"
#include "online/window_calls.h"

#include <atomic>
#include <string>

namespace {

// The busy flag of a job, null for the jobs that may run side by side.
std::atomic<bool>* BusyFlag(int32_t tag)
{
    switch (tag) {
    case 1:
        return &g.runningLogin;
    case 2:
        return &g.runningLoadLocalData;
    case 4:
        return &g.runningLoadOneRecord;
    case 6:
        return &g.runningPicturesOfShownData;
    case 7:
        return &g.runningSearch;
    case 9:
        return &g.runningOneRecordPictures;
    case 10:
        return &g.runningSubscribeOrganizer;
    default:
        return nullptr;
    }
}

// Clears a busy flag on every way out.
class BusyRelease {
public:
    explicit BusyRelease(std::atomic<bool>* flag) : flag_(flag) {}
    ~BusyRelease()
    {
        if (flag_ != nullptr)
            flag_->store(false);
    }
    BusyRelease(const BusyRelease&) = delete;
    BusyRelease& operator=(const BusyRelease&) = delete;

private:
    std::atomic<bool>* flag_;
};

} // namespace

TLogin::TLogin() : plat::TThread("TLogin")
{
    FreeOnTerminate = true;
}

TLogin::~TLogin() = default;

void TLogin::Execute()
{
    // 1. Nothing starts while the program closes.
    if (g.Close != 0) {
        LogTextInt("[TLogin][RETURN][Nothing will happen; App is closing; Thread will no run!] Tag = ", Tag);
        return;
    }
    // 2. Another thread runs the same job.
    std::atomic<bool>* busy = BusyFlag(Tag);
    bool idle = false;
    if (busy != nullptr && !busy->compare_exchange_strong(idle, true))
        return;
    {
        BusyRelease release(busy);
        // 3.-4. The job, inside the catch-all guard.
        LogTextInt("[TLogin][BEGIN] Tag = ", Tag);
        std::string caller = "[TLogin][Tag=" + std::to_string(Tag) + "]";
        Guarded(caller.c_str(), [&] { RunJob(); });
    }
    // 5. The job is done.
    LogTextInt("[TLogin][END] Tag = ", Tag);
}

void TLogin::RunJob()
{
    switch (Tag) {
    case 6:
        PicturesOfShownData();
        break;
    case 9:
        PicturesOfOneRecord();
        break;
    case 1:
        SignIn();
        break;
    case 2:
        LoadLocalData();
        break;
    case 3:
        SendNewAccountStats();
        break;
    case 4:
        LoadOneRecord();
        break;
    case 5:
        DeleteRecurringSeries();
        break;
    case 7:
        Search();
        break;
    case 8:
        PostponeAlert();
        break;
    case 10:
        SubscribeOrganizer();
        break;
    default:
        break;
    }
}

void TLogin::SignIn()
{
    g.SetUpdateUiTag(__uiTextLogingUser, 0);
    TNString resultText;
    int32_t resno = 0;
    bool result = g.Synchronise(0, 0, &resultText, &resno, Password, Username);
    g.loginResult = result;
    g.loginResNo = resno;
    g.SetLoginResultText(resultText);
    TNWindowCalls::ArmAfterOnlineLogin(1);
    // Only an accepted sign-in says so; the page tells the other outcomes.
    if (result)
        g.SetUpdateUiTag(__uiTextUserLogged, 0);
}

void TLogin::ProgressCallback(uint16_t tag, int32_t done, int32_t total)
{
    g.loadingDataPos = done;
    g.loadingDataCount = total;
    g.SetUpdateUiTag(static_cast<int16_t>(tag), 0);
}

void TLogin::LoadLocalData()
{
    for (int32_t position = 0; position < PIM.Count(); ++position)
        PIM[position]->Load(&TLogin::ProgressCallback);
    std::shared_ptr<const TNPIMRecord> pick;
    {
        TNModelWriteGuard lock;
        TNPIM* pim = PIM[0];
        if (pim != nullptr && pim->Records) {
            pick.reset(pim->Records->GetNotifyConstantly());
            TNPIMRecords& records = *pim->Records;
            bool newPending = false;
            for (int32_t i = 0; i < records.Count && !newPending; ++i) {
                const TNPIMRecord* record = records.Items[i];
                newPending = record != nullptr && !record->Virtual && record->PleaseSync && record->ID >= kFirstLocalID;
            }
            // A new tag or assignment goes up whatever its PleaseSync says.
            for (int32_t i = 0; i < pim->Tags.Count && !newPending; ++i)
                newPending = pim->Tags.Items[i] != nullptr && pim->Tags.Items[i]->ID >= kFirstLocalID &&
                             pim->Tags.Items[i]->Deleted == 0;
            for (int32_t i = 0; i < pim->TagsAssign.Count && !newPending; ++i)
                newPending = pim->TagsAssign.Items[i] != nullptr && pim->TagsAssign.Items[i]->ID >= kFirstLocalID &&
                             pim->TagsAssign.Items[i]->Deleted == 0;
            records.CollectArrivals = newPending;
            pim->Tags.CollectArrivals = newPending;
            pim->TagsAssign.CollectArrivals = newPending;
            g.MatchNewItemsFirst = newPending;
        }
    }
    g.SetNotifyConstantlyRecord(std::move(pick));
    TNWindowCalls::ArmAfterOnlineLogin(2);
    g.SetUpdateUiTag(__uiTextRunningApplication, 1);
}

void TLogin::LoadOneRecord()
{
    if (EditedRecord) {
        std::unique_ptr<TNPIMRecord> fresh;
        std::unique_ptr<TNPIMSharing> sharing;
        bool ok = g.LoadOneRecordFromServer(EditedRecord->ID, EditedRecord->OrganizerID, pim_srv_pos, &fresh, &sharing);
        if (ok && fresh) {
            TNPIM* pim = PIM[pim_srv_pos] != nullptr ? PIM[pim_srv_pos] : PIM[0];
            bool changed = !EditedRecord->Compare(fresh.get()) ||
                           (pim != nullptr && !pim->Sharing.Compare(EditedRecord->ID, sharing.get()));
            // The dialog may close meanwhile: the main thread checks that it
            // is still the same one before it takes the copies.
            if (changed && DialogIndex >= 0)
                TNWindowCalls::HandOverRecordFromServer(DialogIndex, DialogId, std::move(fresh), std::move(sharing));
        }
    }
    DialogIndex = -1;
}

void TLogin::PicturesOfShownData()
{
    // All three run, whatever the first ones gave.
    bool saved = g.Sync2GetShownRecordsPictures();
    saved = g.Sync2GetOrganizersPictures() || saved;
    saved = g.Sync2GetAvailableOrganizersPictures() || saved;
    if (saved) {
        LogText(">>> g.SetUpdateUiTag(__uiUpdateShownData) [DDD]");
        g.SetUpdateUiTag(__uiUpdateShownData_NoSync, 0);
    }
}

void TLogin::PicturesOfOneRecord()
{
    g.Sync2GetOneRecordPictures(RecordID);
    LogText(">>> g.SetUpdateUiTag(__uiUpdateShownData) [EEE]");
    g.SetUpdateUiTag(__uiUpdateShownData_NoSync, 0);
}
