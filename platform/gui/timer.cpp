#include "platform/gui/timer.h"

#include "platform/gui/internal/timer_scheduler.h"

namespace plat {

TTimer::TTimer(TComponent* owner) : TComponent(owner)
{
    TimerScheduler::Instance().Start(*this);
}

void TTimer::SetInterval(uint32_t interval)
{
    TimerScheduler::Instance().SetInterval(*this, interval);
}

void TTimer::SetEnabled(bool enabled)
{
    TimerScheduler::Instance().SetEnabled(*this, enabled);
}

void TTimer::Detach()
{
    TimerScheduler::Instance().Remove(*this);
    OnTimer = nullptr;
    TComponent::Detach();
}

} // namespace plat
