#pragma once

#include <cstdint>

namespace plat {

// Where the program reads time and sleeps. Tests replace it with a fake.
class Clock {
public:
    virtual ~Clock() = default;
    // Wall-clock time in milliseconds since 1970-01-01 00:00:00 UTC.
    virtual int64_t UnixMilliseconds() = 0;
    // Milliseconds from an arbitrary start; never goes back.
    virtual int64_t MonotonicMilliseconds() = 0;
    virtual void SleepMilliseconds(int64_t ms) = 0;
    // Milliseconds the system has spent suspended since it booted (the lead
    // of the boot-time clock over the monotonic one). Clocks that cannot tell
    // report 0.
    virtual int64_t SuspendedMilliseconds() { return 0; }
};

// The clock in use: the system clock unless a test installed another.
Clock& CurrentClock();
// Installs a clock (not owned); nullptr restores the system clock.
void SetClock(Clock* clock);

// The system zone's offset without summer time at a moment, in seconds east
// of UTC; 0 when the system cannot tell.
int32_t StandardZoneOffset(int64_t unixSeconds);

inline int64_t UnixSeconds()
{
    int64_t ms = CurrentClock().UnixMilliseconds();
    return ms >= 0 ? ms / 1000 : -((-ms + 999) / 1000);
}
inline int64_t UnixMilliseconds()
{
    return CurrentClock().UnixMilliseconds();
}
inline int64_t MonotonicMilliseconds()
{
    return CurrentClock().MonotonicMilliseconds();
}
inline void SleepMilliseconds(int64_t ms)
{
    CurrentClock().SleepMilliseconds(ms);
}

} // namespace plat
