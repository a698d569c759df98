#include "online/global.h"

#include "foundation/app_info.h"
#include "foundation/common.h"
#include "foundation/dirs.h"
#include "foundation/globals.h"
#include "foundation/guard.h"
#include "foundation/hooks.h"
#include "foundation/log.h"
#include "foundation/record_file_set.h"
#include "foundation/users.h"
#include "model/model_lock.h"
#include "model/organizers.h"
#include "online/answer_reader.h"
#include "online/download.h"
#include "online/hooks.h"
#include "online/window_calls.h"
#include "platform/core/clock.h"
#include "platform/core/identity.h"
#include "platform/core/thread.h"

#include <new>
#include <string>

namespace {

TNGlobalStorage<TNGlobal> globalStorage;

constexpr int64_t kPollMs = 25;
constexpr int32_t kWaitPolls = 600;

// The model lock a request of this thread took in WaitUntilUiJobFinish.
thread_local std::unique_ptr<TNModelWriteGuard> requestLock;
// The sign-in generation of this thread's last post.
thread_local uint32_t postGeneration = 0;

// Polls for the model lock every 25 ms, logging through `waiting` at each
// poll, up to 600 polls; then calls `timedOut` and waits for it.
template <class Waiting, class TimedOut>
std::unique_ptr<TNModelWriteGuard> TakeModelLock(Waiting&& waiting, TimedOut&& timedOut)
{
    for (int32_t poll = 0; poll < kWaitPolls; ++poll) {
        auto guard = std::make_unique<TNModelWriteGuard>(std::try_to_lock);
        if (guard->Held())
            return guard;
        waiting();
        plat::SleepMilliseconds(kPollMs);
    }
    timedOut();
    return std::make_unique<TNModelWriteGuard>();
}

} // namespace

constinit TNGlobal& g = globalStorage.object;

void InstallOnlineGlobals()
{
    plat::SetThreadExceptionReporter([](const char* threadName) {
        ExceptionHandler((std::string("[") + threadName + "]").c_str(), kExceptionOther, 0);
    });
    FoundationHooks.ConstructHigherGlobals = [] { new (&globalStorage.object) TNGlobal(); };
    FoundationHooks.DestroyHigherGlobals = [] {
        g.Destroy();
        globalStorage.object.~TNGlobal();
    };
}

// ---------------------------------------------------------------------------
// Object

TNGlobal::TNGlobal()
{
    ClockTime = plat::UnixSeconds();
    SecondStartTime = ClockTime;
    GetScreenSize(&ScreenWidth, &ScreenHeight);
    LastResW = ScreenWidth;
    LastResH = ScreenHeight;
    GetNetBIOSName(&NetBIOSName);
    ResetSessionFlags();
}

TNGlobal::~TNGlobal() = default;

void TNGlobal::Destroy()
{
    Guarded("[TNGlobal::Destroy]", [&] {
        LogText("[TNGlobal::Destroy][BEGIN]");
        uiTags.Clear();
        InfoMessages.Clear();
        LogTextInt("[TNGlobal::Destroy] objectDataCount = ", ObjectData.objectDataCount());
        ObjectData.Clear();
        {
            TNModelWriteGuard lock;
            AvailableOrganizers.reset();
        }
        LogText("[TNGlobal::Destroy][END]");
    });
}

void TNGlobal::ResetSessionFlags()
{
    runningPaintRecordsComponentsList = 0;
    runningChangedRecordSaveSequence = 0;
    DosloKVyjimceVlaknaOnline = 0;
    ObjectData.Clear();
    LastAvailableOrganizersTime = 0;
    apiQueueRequests.Clear();
    UploadBackOff.Clear();
    AlertStatusBackOff.Clear();
    // A save the user did not see through must not reach the next account.
    pleaseSaveBasicProfileSettings = 0;
    basicProfileSettingsChanged = 0;
    std::lock_guard<std::mutex> guard(shownChecksMutex_);
    shownChecks_.clear();
}

int32_t TNGlobal::ServerPosition(int32_t position)
{
    return position >= 0 && position < App.PimServersCount && position < kMaxPimServers ? position : 0;
}

bool TNGlobal::GetNetBIOSName(TNString* out)
{
    std::string name = plat::ShortHostName();
    if (name.empty())
        return false;
    return out->Set(name.c_str());
}

// ---------------------------------------------------------------------------
// Request head, post and closing step

bool TNGlobal::Sync2SetRequest(const char* name, const TNUser* user, uint8_t withUser, TNFormBuilder* out)
{
    return Guarded("[TNGlobal::Sync2SetRequest]", false, [&] {
        TNUser active;
        if (user == nullptr && withUser == 1) {
            if (!ActiveUserExists() || !Uzivatele.GetActiveUser(&active)) {
                LogText("[Sync2SetRequest][ERROR] !g.ActiveUserExists");
                return false;
            }
            user = &active;
        }
        TNFormBuilder head;
        head.Add("ApiReq", name).AddUInt("InstID", InstID.load());
        if (user != nullptr) {
            head.AddUInt("UserID", user->UserID)
                .Add("Username", user->Login)
                .Add("Pass", user->Password)
                .AddInt("IsVirtual", user->IsVirtual != 0 ? 1 : 0);
        }
        head.Add("NetBIOSName", NetBIOSName);
        *out = std::move(head);
        return true;
    });
}

bool TNGlobal::PostToApi(const TNString& body, TNDownload& download, const TNCancelCheck& cancel)
{
    return PostToApiAt(0, body, download, cancel);
}

TNCancelCheck TNGlobal::SignInEndedCheck() const
{
    uint32_t generation = SignInGeneration;
    return [generation] { return g.SignInGeneration != generation; };
}

bool TNGlobal::PostToApiAt(int32_t position, const TNString& body, TNDownload& download, const TNCancelCheck& cancel)
{
    // A request of a sign-in the log-out has ended is cut off.
    postGeneration = SignInGeneration;
    TNCancelCheck check = cancel ? cancel : SignInEndedCheck();
    bool answered = download.Post(App.ApiUrl[position], body.Text != nullptr ? body.Text : "", false, check);
    if (!answered && SignInGeneration != postGeneration)
        LogText("[g.PostToApi][DROPPED] request of an earlier sign-in cut off");
    // An error page is no answer of the service: nothing in it is read.
    bool online = answered && download.ResultCode >= 200 && download.ResultCode <= 299;
    Online = online ? 1 : 0;
    return online;
}

bool TNGlobal::Sync2Finish(bool result, bool newSyncWish, const char*, int16_t uiTag)
{
    Guarded("[TNGlobal::Sync2Finish]", [&] {
        LastSyncTime = plat::UnixSeconds();
        // A wish stays until a pass takes it up; a request that wishes
        // nothing must not cancel another's.
        if (newSyncWish)
            NewSyncWanted = 1;
        ReleaseRequestLockOfThread();
        SetUpdateUiTag(uiTag, 0);
        if (NewSyncWanted != 0 || DoUploadSync != 0)
            RunOnlineNow();
    });
    return result;
}

bool TNGlobal::TakeInstID(uint32_t id)
{
    if (id == 0)
        return false;
    if (InstID.exchange(id) != id)
        Dirs.SaveInstID(id);
    return true;
}

bool TNGlobal::Sync2CheckInstID()
{
    return Guarded("[TNGlobal::Sync2CheckInstID]", false, [&] {
        if (InstIdConfirmed != 0)
            return true;
        TNFormBuilder body;
        if (!Sync2SetRequest("check-inst-id", nullptr, 0, &body))
            return false;
        TNDownload download;
        bool online = PostToApi(body.Text(), download);
        if (online) {
            TNSyncLock lock = WaitUntilUiJobFinish("[g.Sync2CheckInstID]");
            if (lock.Stale())
                return false;
            TNString answer(download.DocumentBytes());
            TNString value;
            if (answer.GetXmlValue("inst-id", nullptr, 0, &value, false) && TakeInstID(AnswerUInt(value)))
                InstIdConfirmed = 1;
            Sync2TestNewestVersion(&answer);
        } else {
            LogWrite("[TNGlobal::Sync2CheckInstID] g.Online = false ", download.ResultString.Text, false);
        }
        Sync2Finish(online, false, "Sync2CheckInstID",
                    online ? __uiOnlineAndLoginNotTested : __uiOfflineOrDownloadError);
        return online;
    });
}

void TNGlobal::Sync2TestNewestVersion(TNString* answer)
{
    Guarded("[TNGlobal::Sync2TestNewestVersion]", [&] {
        TNString value;
        if (answer->GetXmlValue("inst-id", nullptr, 0, &value, false))
            TakeInstID(AnswerUInt(value));
        if (!answer->GetXmlValue("newest-version", nullptr, 0, &value, false))
            return;
        auto newest = static_cast<int32_t>(AnswerInt(value));
        if (newest <= App.VersionNumber || newest == LastAnnouncedVersion)
            return;
        LogTextInt("[g.Sync2TestNewestVersion] newest-version = ", newest);
        if (App.IsUpdate == 0) {
            if (OnlineHooks.BeginAutoUpdate != nullptr)
                OnlineHooks.BeginAutoUpdate(newest);
            return;
        }
        UpdatePending = 1;
        App.UpdateReady = 1;
        SetUpdateUiTag(__uiRunAppUpdate, 0);
    });
}

bool TNGlobal::ActiveUserExists()
{
    return Guarded("[TNGlobal::ActiveUserExists]", false, [&] {
        if (!Uzivatele.HasActiveUser()) {
            LogTextInt("[g.ActiveUserExists] ActiveUser not found! Uzivatele.AktivniUzivatel = ",
                       Uzivatele.AktivniUzivatel.load());
            return false;
        }
        if (raf.Items.empty() || App.raFileAllPIM < 0) {
            LogTextInt("[g.ActiveUserExists] raf.Items = NULL || App.raFileAllPIM = ", App.raFileAllPIM);
            return false;
        }
        return true;
    });
}

// ---------------------------------------------------------------------------
// Waits

void TNGlobal::ReleaseRequestLockOfThread()
{
    if (requestLock) {
        requestLock.reset();
        c.SyncIsRunning = 0;
    }
}

void TNSyncLock::Release()
{
    if (held_) {
        held_ = false;
        TNGlobal::ReleaseRequestLockOfThread();
    }
}

bool TNSyncLock::Stale() const
{
    return g.SignInGeneration != generation_;
}

TNSyncLock TNGlobal::WaitUntilUiJobFinish(const char* caller)
{
    TNSyncLock lock;
    lock.generation_ = postGeneration;
    if (requestLock)
        return lock;
    std::string who = caller != nullptr ? caller : "";
    int32_t logCounter = 0;
    requestLock = TakeModelLock(
        [&] {
            if (++logCounter == 100) {
                LogWrite("[WaitUntilUiJobFinish][WAITING...] caller = ", who.c_str(), false);
                logCounter = 1;
            }
        },
        [&] {
            LogText((who + " WaitUntilUiJobFinish TIMEOUT").c_str());
            LogText((who + " WaitUntilUiJobFinish END 2").c_str());
        });
    c.SyncIsRunning = 1;
    lock.held_ = true;
    if (lock.Stale())
        LogWrite("[g.WaitUntilUiJobFinish][DROPPED] answer of an earlier sign-in; caller = ", who.c_str(), false);
    return lock;
}

TNUiJobLock::TNUiJobLock(std::unique_ptr<TNModelWriteGuard> guard, bool setsUiRunning)
    : guard_(std::move(guard)), setsUiRunning_(setsUiRunning)
{
}

TNUiJobLock::TNUiJobLock(TNUiJobLock&& other) noexcept
    : guard_(std::move(other.guard_)), setsUiRunning_(other.setsUiRunning_)
{
    other.setsUiRunning_ = false;
}

TNUiJobLock::~TNUiJobLock()
{
    if (setsUiRunning_)
        g.UiUpdateIsRunning = 0;
    guard_.reset();
}

TNUiJobLock TNGlobal::WaitUntilSyncJobIsDone(const char* caller, uint8_t setUiRunning)
{
    std::string who = caller != nullptr ? caller : "";
    int32_t logCounter = 0;
    auto guard = TakeModelLock(
        [&] {
            if (++logCounter == 40) {
                LogWrite("[WaitUntilSyncJobIsDone][WAITING...] caller = ", who.c_str(), false);
                logCounter = 1;
            }
        },
        [&] {
            LogTextInt("[WaitUntilSyncJobIsDone] g.UiUpdateIsRunning = ", UiUpdateIsRunning.load());
            LogWrite("[WaitUntilSyncJobIsDone][END_2][TIMEOUT] caller = ", who.c_str(), false);
        });
    if (setUiRunning == 1)
        UiUpdateIsRunning = 1;
    return TNUiJobLock(std::move(guard), setUiRunning == 1);
}

// ---------------------------------------------------------------------------
// Fast synchronisation

bool TNGlobal::FastSync(const char* caller)
{
    Guarded("[TNGlobal::FastSync]", [&] {
        LogWrite("[FastSync] caller = ", caller, false);
        LastSyncTime = 0;
        RunOnlineNow();
    });
    return true;
}

void TNGlobal::RunOnlineNow()
{
    std::lock_guard<std::mutex> guard(OnlineTimerMutex);
    NewSyncWanted = 1;
    TNWindowCalls::ArmOnlineTimer(1);
}

// ---------------------------------------------------------------------------
// UI-update tag queue

void TNGlobal::SetUpdateUiTag(int16_t tag, uint32_t param)
{
    Guarded("[TNGlobal::SetUpdateUiTag]", [&] {
        switch (uiTags.Push(tag, param)) {
        case TNUiTagQueue::PushResult::Queued:
            break;
        case TNUiTagQueue::PushResult::Duplicate:
            LogTextInt("[g.SetUpdateUiTag][FOUND] tag = ", tag);
            break;
        case TNUiTagQueue::PushResult::Full:
            LogTextInt("[TNGlobal::SetUpdateUiTag][ERROR] uiTagsCount >= __uiTagsMaxCount; uiTagsCount = ",
                       uiTags.Count());
            break;
        }
    });
    // Even a refused tag wakes the consumer, so a full queue drains.
    TNWindowCalls::WakeUiTagConsumer();
}

// ---------------------------------------------------------------------------
// Shared texts

TNAccount TNGlobal::Account() const
{
    std::lock_guard<std::mutex> guard(accountMutex_);
    return account_;
}

void TNGlobal::UpdateAccount(const std::function<void(TNAccount&)>& change)
{
    std::lock_guard<std::mutex> guard(accountMutex_);
    change(account_);
}

TNString TNGlobal::LoginResultText() const
{
    std::lock_guard<std::mutex> guard(accountMutex_);
    return loginResultText_;
}

void TNGlobal::SetLoginResultText(const TNString& text)
{
    std::lock_guard<std::mutex> guard(accountMutex_);
    loginResultText_ = text;
}

std::string TNGlobal::LoginTransportReason() const
{
    std::lock_guard<std::mutex> guard(accountMutex_);
    return loginTransportReason_;
}

void TNGlobal::SetLoginTransportReason(const std::string& reason)
{
    std::lock_guard<std::mutex> guard(accountMutex_);
    loginTransportReason_ = reason;
}

TNString TNGlobal::SearchText() const
{
    std::lock_guard<std::mutex> guard(accountMutex_);
    return searchText_;
}

void TNGlobal::SetSearchText(const TNString& text)
{
    std::lock_guard<std::mutex> guard(accountMutex_);
    searchText_ = text;
}

std::shared_ptr<const TNPIMRecord> TNGlobal::NotifyConstantlyRecord() const
{
    std::lock_guard<std::mutex> guard(accountMutex_);
    return notifyConstantlyRecord_;
}

void TNGlobal::SetNotifyConstantlyRecord(std::shared_ptr<const TNPIMRecord> record)
{
    std::lock_guard<std::mutex> guard(accountMutex_);
    notifyConstantlyRecord_ = std::move(record);
}
