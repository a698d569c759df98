#include "platform/core/resume_detector.h"

#include "platform/core/clock.h"

namespace plat {

ResumeDetector::ResumeDetector() : lastSuspended_(CurrentClock().SuspendedMilliseconds())
{
}

bool ResumeDetector::Poll()
{
    int64_t suspended = CurrentClock().SuspendedMilliseconds();
    int64_t growth = suspended - lastSuspended_;
    lastSuspended_ = suspended;
    return growth > kThresholdMilliseconds;
}

} // namespace plat
