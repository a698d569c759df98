#include "foundation/local_clock.h"

#include "foundation/civil_date.h"
#include "platform/core/clock.h"

#include <atomic>
#include <climits>
#include <mutex>

namespace {

// Static storage without construction order: values built before anything
// else work the offset out on first use.
constexpr int32_t unsetOffset = INT32_MIN;
constinit std::atomic<int32_t> standardOffset{unsetOffset};

struct TodayState {
    std::mutex mutex;
    bool known = false;
    TNLocalClock::DayBounds bounds{};
};

TodayState& Today()
{
    static TodayState state;
    return state;
}

TNLocalClock::DayBounds BoundsAt(int64_t now, int32_t offset)
{
    // Calendar days, so a change day never lands on the same date.
    const int64_t today = civil::FloorDiv(civil::UnixToWall(now, offset, nullptr), civil::SecondsPerDay);
    const civil::WallDay todayBounds = civil::WallDayToUnix(today, 0, offset);
    const civil::WallDay tomorrowBounds = civil::WallDayToUnix(today + 1, 0, offset);
    const civil::WallDay weekAgo = civil::WallDayToUnix(today - 7, 0, offset);
    return {todayBounds.DayStart, todayBounds.DayEnd, tomorrowBounds.DayStart, tomorrowBounds.DayEnd, weekAgo.DayStart};
}

} // namespace

int64_t TNLocalClock::Now()
{
    return plat::UnixSeconds();
}

int32_t TNLocalClock::ZoneOffset()
{
    int32_t offset = standardOffset.load(std::memory_order_relaxed);
    if (offset != unsetOffset)
        return offset;
    int32_t expected = unsetOffset;
    standardOffset.compare_exchange_strong(expected, SystemZoneOffset(), std::memory_order_relaxed);
    return standardOffset.load(std::memory_order_relaxed);
}

void TNLocalClock::SetZoneOffset(int32_t seconds)
{
    standardOffset.store(seconds, std::memory_order_relaxed);
}

int32_t TNLocalClock::SystemZoneOffset()
{
    return plat::StandardZoneOffset(Now());
}

TNLocalClock::DayBounds TNLocalClock::TodayBounds()
{
    TodayState& state = Today();
    {
        std::lock_guard<std::mutex> lock(state.mutex);
        if (state.known)
            return state.bounds;
    }
    return RefreshToday();
}

TNLocalClock::DayBounds TNLocalClock::RefreshToday()
{
    const DayBounds bounds = BoundsAt(Now(), ZoneOffset());
    TodayState& state = Today();
    std::lock_guard<std::mutex> lock(state.mutex);
    state.bounds = bounds;
    state.known = true;
    return bounds;
}

std::tm TNLocalClock::Fields(int64_t unixSeconds)
{
    bool summer = false;
    const int64_t wall = civil::UnixToWall(unixSeconds, ZoneOffset(), &summer);
    const int64_t dayNumber = civil::FloorDiv(wall, civil::SecondsPerDay);
    const int64_t secondsOfDay = wall - dayNumber * civil::SecondsPerDay;
    const civil::Date date = civil::CivilFromDays(dayNumber);
    std::tm fields{};
    fields.tm_sec = static_cast<int>(secondsOfDay % 60);
    fields.tm_min = static_cast<int>(secondsOfDay / 60 % 60);
    fields.tm_hour = static_cast<int>(secondsOfDay / civil::SecondsPerHour);
    fields.tm_mday = date.Day;
    fields.tm_mon = date.Month - 1;
    fields.tm_year = static_cast<int>(date.Year - 1900);
    fields.tm_wday = civil::WeekdayFromDays(dayNumber) % 7;
    fields.tm_yday = static_cast<int>(dayNumber - civil::DaysFromCivil(date.Year, 1, 1));
    fields.tm_isdst = summer ? 1 : 0;
    return fields;
}
