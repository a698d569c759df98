#include "platform/core/clock.h"

#include <atomic>
#include <chrono>
#include <ctime>
#include <thread>

namespace plat {
namespace {

class SystemClock final : public Clock {
public:
    int64_t UnixMilliseconds() override
    {
        using namespace std::chrono;
        return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
    }
    int64_t MonotonicMilliseconds() override
    {
        using namespace std::chrono;
        return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
    }
    void SleepMilliseconds(int64_t ms) override
    {
        if (ms > 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    }
    int64_t SuspendedMilliseconds() override
    {
        timespec boot{};
        timespec monotonic{};
        if (clock_gettime(CLOCK_BOOTTIME, &boot) != 0 || clock_gettime(CLOCK_MONOTONIC, &monotonic) != 0)
            return 0;
        return (static_cast<int64_t>(boot.tv_sec) - monotonic.tv_sec) * 1000 +
               (static_cast<int64_t>(boot.tv_nsec) - monotonic.tv_nsec) / 1000000;
    }
};

SystemClock systemClock;
std::atomic<Clock*> installed{nullptr};

} // namespace

Clock& CurrentClock()
{
    Clock* clock = installed.load(std::memory_order_acquire);
    return clock != nullptr ? *clock : systemClock;
}

void SetClock(Clock* clock)
{
    installed.store(clock, std::memory_order_release);
}

int32_t StandardZoneOffset(int64_t unixSeconds)
{
    // mktime of UTC fields marked as standard time lands the standard offset
    // before the true instant, in summer too.
    const time_t moment = static_cast<time_t>(unixSeconds);
    std::tm local{};
    std::tm utc{};
    if (localtime_r(&moment, &local) == nullptr || gmtime_r(&moment, &utc) == nullptr)
        return 0;
    utc.tm_isdst = 0;
    return static_cast<int32_t>(std::mktime(&local) - std::mktime(&utc));
}

} // namespace plat
