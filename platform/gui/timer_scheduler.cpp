#include "platform/gui/internal/timer_scheduler.h"

#include "platform/gui/component.h"
#include "platform/gui/timer.h"

#include <QCoreApplication>
#include <QTimer>

#include <algorithm>
#include <chrono>

namespace plat {
namespace {

// Intervals up to this run on the next turn of the loop.
constexpr uint32_t kNextTurnInterval = 5;
// Repeating timers fire at most this often.
constexpr int64_t kMinimumPeriod = 10;

int64_t SteadyMilliseconds()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

} // namespace

struct TimerScheduler::QtDriver {
    QTimer timer;
};

TimerScheduler& TimerScheduler::Instance()
{
    static TimerScheduler scheduler;
    return scheduler;
}

int64_t TimerScheduler::Now() const
{
    return manual_ ? manualNow_ : SteadyMilliseconds();
}

void TimerScheduler::Start(TTimer& timer)
{
    std::lock_guard<std::mutex> lock(mutex_);
    Update(timer, true);
}

void TimerScheduler::SetInterval(TTimer& timer, uint32_t interval)
{
    std::lock_guard<std::mutex> lock(mutex_);
    if (timer.interval_.load(std::memory_order_relaxed) == interval)
        return;
    timer.interval_.store(interval, std::memory_order_release);
    Update(timer, true);
}

void TimerScheduler::SetEnabled(TTimer& timer, bool enabled)
{
    std::lock_guard<std::mutex> lock(mutex_);
    if (timer.enabled_.load(std::memory_order_relaxed) == enabled)
        return;
    timer.enabled_.store(enabled, std::memory_order_release);
    Update(timer, enabled);
}

void TimerScheduler::Remove(TTimer& timer)
{
    std::lock_guard<std::mutex> lock(mutex_);
    timer.detached_ = true;
    Disarm(timer);
}

void TimerScheduler::Update(TTimer& timer, bool restart)
{
    const bool wanted = !timer.detached_ && timer.enabled_.load(std::memory_order_relaxed) &&
                        timer.interval_.load(std::memory_order_relaxed) > 0;
    if (!wanted) {
        Disarm(timer);
        return;
    }
    if (restart || !timer.armed_)
        Arm(timer, Now());
}

void TimerScheduler::Arm(TTimer& timer, int64_t now)
{
    const uint32_t interval = timer.interval_.load(std::memory_order_relaxed);
    timer.due_ = interval <= kNextTurnInterval ? now : now + interval;
    timer.armOrder_ = nextArmOrder_++;
    if (!timer.armed_) {
        timer.armed_ = true;
        armed_.push_back(&timer);
    }
    RequestWake();
}

void TimerScheduler::Disarm(TTimer& timer)
{
    if (!timer.armed_)
        return;
    timer.armed_ = false;
    armed_.erase(std::find(armed_.begin(), armed_.end(), &timer));
}

void TimerScheduler::RequestWake()
{
    if (manual_ || wakePending_ || QCoreApplication::instance() == nullptr)
        return;
    wakePending_ = true;
    QMetaObject::invokeMethod(
        QCoreApplication::instance(), [this] { Reprogram(); }, Qt::QueuedConnection);
}

void TimerScheduler::Reprogram()
{
    int64_t wait = -1;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        wakePending_ = false;
        if (manual_)
            return;
        if (!armed_.empty()) {
            int64_t earliest = armed_.front()->due_;
            for (const TTimer* timer : armed_)
                earliest = std::min(earliest, timer->due_);
            wait = std::max<int64_t>(0, earliest - Now());
        }
    }
    if (driver_ == nullptr) {
        driver_ = new QtDriver;
        driver_->timer.setSingleShot(true);
        driver_->timer.setTimerType(Qt::PreciseTimer);
        QObject::connect(&driver_->timer, &QTimer::timeout, [this] {
            RunDue();
            Reprogram();
        });
    }
    if (wait < 0)
        driver_->timer.stop();
    else
        driver_->timer.start(static_cast<int>(std::min<int64_t>(wait, 24 * 3600 * 1000)));
}

void TimerScheduler::RunDue()
{
    DispatchScope scope;
    std::vector<TTimer*> due;
    int64_t now = 0;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        now = Now();
        for (TTimer* timer : armed_)
            if (timer->due_ <= now)
                due.push_back(timer);
        std::sort(due.begin(), due.end(), [](const TTimer* a, const TTimer* b) { return a->armOrder_ < b->armOrder_; });
    }
    for (TTimer* timer : due) {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            // An earlier handler may have stopped, restarted or freed it.
            if (!timer->armed_ || timer->due_ > now)
                continue;
            const int64_t interval = timer->interval_.load(std::memory_order_relaxed);
            timer->due_ = now + std::max(interval, kMinimumPeriod);
        }
        if (auto slot = timer->OnTimer)
            slot(timer);
    }
}

void TimerScheduler::UseManualClock(bool manual)
{
    std::lock_guard<std::mutex> lock(mutex_);
    if (manual == manual_)
        return;
    const int64_t realNow = SteadyMilliseconds();
    const int64_t from = manual_ ? manualNow_ : realNow;
    manual_ = manual;
    manualNow_ = 0;
    const int64_t to = manual_ ? 0 : realNow;
    for (TTimer* timer : armed_)
        timer->due_ += to - from;
    if (!manual_)
        RequestWake();
}

void TimerScheduler::AdvanceManualClock(int64_t ms)
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        manualNow_ += ms;
    }
    RunDue();
}

int TimerScheduler::ArmedCount()
{
    std::lock_guard<std::mutex> lock(mutex_);
    return static_cast<int>(armed_.size());
}

} // namespace plat
