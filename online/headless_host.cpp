#include "online/headless_host.h"

#include "foundation/globals.h"
#include "foundation/guard.h"
#include "foundation/log.h"
#include "foundation/pim_array.h"
#include "model/hooks.h"
#include "model/pim.h"
#include "online/auto_update.h"
#include "online/global.h"
#include "online/hooks.h"
#include "online/login.h"
#include "online/window_state.h"
#include "platform/core/clock.h"
#include "platform/core/main_loop.h"

#include <algorithm>

std::atomic<TNHeadlessHost*> TNHeadlessHost::current_{nullptr};

namespace {

bool StartJob(int32_t tag, const TNString* login = nullptr, const TNString* password = nullptr)
{
    auto* job = new TLogin();
    job->Tag = tag;
    if (login != nullptr)
        job->Username = *login;
    if (password != nullptr)
        job->Password = *password;
    if (job->Resume())
        return true;
    delete job;
    return false;
}

} // namespace

TNHeadlessHost::TNHeadlessHost()
{
    current_ = this;
    MainWindowHooks.WakeUiTagConsumer = &TNHeadlessHost::WakeConsumer;
    MainWindowHooks.ArmAfterOnlineLogin = &TNHeadlessHost::AfterOnlineLogin;
    MainWindowHooks.ArmOnlineTimer = &TNHeadlessHost::ArmOnlineTimer;
    ModelHooks.SaveFinished = &TNHeadlessHost::WakeConsumerAfterSave;
    InstallAutoUpdate();
}

TNHeadlessHost::~TNHeadlessHost()
{
    // The end of a run without windows is its close: a ready update is
    // installed now.
    StopAutoUpdateForClose();
    CompleteAutoUpdateAtClose();
    OnlineHooks.BeginAutoUpdate = nullptr;
    ModelHooks.SaveFinished = nullptr;
    MainWindowHooks.WakeUiTagConsumer = nullptr;
    MainWindowHooks.ArmAfterOnlineLogin = nullptr;
    MainWindowHooks.ArmOnlineTimer = nullptr;
    current_ = nullptr;
}

bool TNHeadlessHost::SignIn(const char* login, const char* password)
{
    {
        std::lock_guard<std::mutex> guard(mutex_);
        typedLogin_.Set(login != nullptr ? login : "");
        typedPassword_.Set(password != nullptr ? password : "");
    }
    TNString typedLogin(login != nullptr ? login : "");
    TNString typedPassword(password != nullptr ? password : "");
    return StartJob(1, &typedLogin, &typedPassword);
}

std::vector<std::pair<int16_t, uint32_t>> TNHeadlessHost::TakenTags() const
{
    std::lock_guard<std::mutex> guard(mutex_);
    return takenTags_;
}

std::vector<int32_t> TNHeadlessHost::OnlineTimerArms() const
{
    std::lock_guard<std::mutex> guard(mutex_);
    return onlineTimerArms_;
}

std::vector<int32_t> TNHeadlessHost::AfterLoginTags() const
{
    std::lock_guard<std::mutex> guard(mutex_);
    return afterLoginTags_;
}

// timerUpdateUI switched on: one tick on the next turn of the loop.
void TNHeadlessHost::WakeConsumer()
{
    TNHeadlessHost* host = current_.load();
    if (host != nullptr && !host->consumerArmed_.exchange(true))
        plat::PostToMainThread(&TNHeadlessHost::ConsumeOneTag);
}

// A consumer that met a save goes on when the save ends.
void TNHeadlessHost::WakeConsumerAfterSave()
{
    TNHeadlessHost* host = current_.load();
    if (host != nullptr && host->consumerWaitsForSave_.exchange(false))
        WakeConsumer();
}

// One tick of the consumer: one tag per turn, none while PIM[0] is saved.
void TNHeadlessHost::ConsumeOneTag()
{
    TNHeadlessHost* host = current_.load();
    if (host == nullptr)
        return;
    host->consumerArmed_ = false;
    TNPIM* pim = PIM[0];
    if (pim != nullptr && pim->SavingPimNow) {
        LogText("[TfrmMainDLMR1::timerUpdateUITimer][RETURN] PIM[0]->SavingPimNow = true");
        // Waits for the save's end rather than asking again at once, which
        // would keep the loop busy for the whole save. A save that ended
        // before the wait was noted wakes nobody: checked again here.
        host->consumerWaitsForSave_ = true;
        if (!pim->SavingPimNow)
            WakeConsumerAfterSave();
        return;
    }
    LogText("[timerUpdateUITimer][BEFORE][BEGIN]");
    int16_t tag = 0;
    uint32_t param = 0;
    {
        g.updatingUiTagsNow = 1;
        if (!g.uiTags.Take(&tag, &param))
            tag = 0;
        g.updatingUiTagsNow = 0;
    }
    LogWrite("[timerUpdateUITimer][BEGIN] ui_tag = ", uiTagToStr(tag).c_str(), false);
    if (tag != 0) {
        {
            std::lock_guard<std::mutex> guard(host->mutex_);
            host->takenTags_.emplace_back(tag, param);
        }
        if (tag == __uiFastSync)
            Guarded("[timerUpdateUITimer][EXCEPTION]", [] { g.FastSync("__uiFastSync"); });
    }
    if (g.uiTags.Count() > 0) {
        LogTextInt("[timerUpdateUITimer] g.uiTagsCount = ", g.uiTags.Count());
        WakeConsumer();
    }
    LogText("[timerUpdateUITimer][END]");
}

void TNHeadlessHost::AfterOnlineLogin(int32_t tag)
{
    TNHeadlessHost* host = current_.load();
    if (host == nullptr)
        return;
    {
        std::lock_guard<std::mutex> guard(host->mutex_);
        host->afterLoginTags_.push_back(tag);
    }
    if (tag == 1 && g.loginResult) {
        host->ContinueSignIn();
    } else if (tag == 2) {
        WindowState.SetActivePage("Kalendar");
        g.CompleteSignIn();
        g.RunOnlineNow();
    } else if (tag == 1) {
        LogTextInt("[TNHeadlessHost] sign-in refused, resno = ", g.loginResNo.load());
    }
}

// The login page's continuation after an accepted sign-in.
void TNHeadlessHost::ContinueSignIn()
{
    TNString login;
    TNString password;
    {
        std::lock_guard<std::mutex> guard(mutex_);
        login = typedLogin_;
        password = typedPassword_;
    }
    g.ContinueAcceptedSignIn(login, password);
}

void TNHeadlessHost::ArmOnlineTimer(int32_t intervalMs)
{
    TNHeadlessHost* host = current_.load();
    if (host == nullptr)
        return;
    std::lock_guard<std::mutex> guard(host->mutex_);
    host->onlineTimerArms_.push_back(intervalMs);
    host->onlineTimerDue_ = plat::MonotonicMilliseconds() + intervalMs;
}

bool TNHeadlessHost::FireDueOnlineTimer()
{
    {
        std::lock_guard<std::mutex> guard(mutex_);
        if (onlineTimerDue_ < 0 || onlineTimerDue_ > plat::MonotonicMilliseconds())
            return false;
        // The handler switches the timer off first.
        onlineTimerDue_ = -1;
    }
    g.OnlineTimerFired();
    return true;
}

int64_t TNHeadlessHost::OnlineTimerDueIn() const
{
    std::lock_guard<std::mutex> guard(mutex_);
    if (onlineTimerDue_ < 0)
        return -1;
    return std::max<int64_t>(0, onlineTimerDue_ - plat::MonotonicMilliseconds());
}
