#pragma once

#include <cstdint>
#include <ctime>

// The computer's local time: the zone's standard offset, the bounds of today
// and the broken-down fields of a moment. Built from the calendar arithmetic
// and the clock seam alone, so the time value and the log work, and can be
// tested, without the program's global objects.
class TNLocalClock {
public:
    // Unix seconds now, through the clock seam; tests drive it with a fake
    // clock.
    static int64_t Now();
    // Now as the 32-bit seconds stored in items (read and deletion times).
    static uint32_t Now32() { return static_cast<uint32_t>(Now()); }

    // The zone's offset without summer time, in seconds east of UTC, asked of
    // the system once, at first use: values made before anything else is
    // built convert correctly too.
    static int32_t ZoneOffset();
    static void SetZoneOffset(int32_t seconds);
    // The system's answer, asked now.
    static int32_t SystemZoneOffset();

    // Unix seconds of 00:00 of today and tomorrow, and of the dates after
    // them.
    struct DayBounds {
        int64_t TodayStart;
        int64_t TodayEnd;
        int64_t TomorrowStart;
        int64_t TomorrowEnd;
        // 00:00 of the date seven days before today.
        int64_t WeekAgoStart;
    };
    // The bounds as last refreshed; worked out at first use.
    static DayBounds TodayBounds();
    // Works the bounds out again from the clock and the offset, for a new
    // day or a changed offset.
    static DayBounds RefreshToday();

    // The local fields of a moment: tm_year from 1900, tm_mon from 0,
    // tm_wday 0 for Sunday, tm_isdst 1 in summer time.
    static std::tm Fields(int64_t unixSeconds);
};
