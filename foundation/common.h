#pragma once

#include "foundation/time.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

// A list of calendar days, as a range of days is collected for the per-day
// index: Count days in three parallel arrays, each followed by two zero
// elements.
struct TNDayList {
    int32_t Count = 0;
    std::vector<uint16_t> Years{0, 0};
    std::vector<uint8_t> Months{0, 0};
    std::vector<uint8_t> Days{0, 0};
};

// Calls from `c` up into the data model, which fills them at start-up. An
// unset hook does nothing. Each runs on the calling thread without any lock
// of `c` held, so it may take the model's lock.
struct TNCommonHooks {
    // Year slots now number `count`: grow the per-day table to at least that
    // many. Several threads may report the same growth, and another thread
    // may be handed the new slot before this runs, so the model also grows
    // when it meets a slot it lacks.
    std::atomic<void (*)(int32_t count)> YearSlotsAdded{nullptr};
    // The year table was emptied: free the per-day table.
    std::atomic<void (*)()> YearsCleared{nullptr};
    // Make the per-day item of a date if it is missing.
    std::atomic<void (*)(int32_t year, int32_t month, int32_t day)> DayItemWanted{nullptr};
};

// The program's common helpers and state.
class TNCommon {
public:
    TNCommon();
    TNCommon(const TNCommon&) = delete;
    TNCommon& operator=(const TNCommon&) = delete;

    TNCommonHooks Hooks;

    // --- Time zone ---
    // The computer zone's offset without summer time, in seconds east of
    // UTC, worked out from the system once. Readable before `c` is built,
    // so time values constructed earlier convert correctly too.
    static int32_t TimeZoneOffset();
    // Offset split into whole hours and the remaining minutes.
    static int32_t TimeZoneHours();
    static int32_t TimeZoneMinutes();
    static void SetTimeZoneOffset(int32_t seconds);
    static int32_t SystemTimeZoneOffset();

    // --- Today and tomorrow ---
    // Midnight of today and of tomorrow. Written at construction and by
    // RefreshToday on the main thread; other threads take copies.
    TNTime Today;
    TNTime Tomorrow;
    // Sets both from the clock's current date.
    void RefreshToday();
    TNTime CopyOfToday() const;
    TNTime CopyOfTomorrow() const;
    struct DayBounds {
        int64_t TodayStart;
        int64_t TodayEnd;
        int64_t TomorrowStart;
        int64_t TomorrowEnd;
        // 00:00 of the date seven days before today.
        int64_t WeekAgoStart;
    };
    DayBounds GetDayBounds() const;

    // --- Calendar years of the all-days index ---
    static constexpr int32_t MinYear = 1900;
    static constexpr int32_t MaxYear = 2100;
    static constexpr int32_t YearDatesSize = 367;
    using YearDates = std::array<int32_t, YearDatesSize>;

    // Slot of a year, added at the end on first use with its days filled in;
    // -1 when memory runs out.
    int32_t GetYearPos(int32_t year);
    int32_t YearCount() const;
    // Year of a slot; 0 for a slot that does not exist.
    int32_t YearAtPos(int32_t pos) const;
    // The days of a year (month × 100 + day in calendar order, then zeros),
    // adding its slot when new. False when the slot cannot be had.
    bool GetYearDates(int32_t year, YearDates& out);
    static bool IsLeapYear(int32_t year);
    static int32_t DaysInYear(int32_t year);
    // 1-based position of the date in its year; 0 when the date does not exist.
    static int32_t DayOfYear(int32_t year, int32_t month, int32_t day);
    // Resizes a day list to n days plus the two zero elements.
    static bool ResizeDayList(int32_t n, TNDayList* list);
    // Every date from the start to the end. An end at 00:00 (endHour and
    // endMinute 0) does not occupy its day unless it is the start day. Days
    // outside MinYear to MaxYear are left out.
    bool CollectDaysInRange(int32_t startYear, int32_t startMonth, int32_t startDay, int32_t endYear, int32_t endMonth,
                            int32_t endDay, TNDayList* list, int32_t endHour, int32_t endMinute);
    // Weekday 1 (Monday) to 7 of a date, asking the data model to make the
    // date's per-day item; defaultValue for a date that does not exist.
    int32_t getDayNo(int32_t day, int32_t month, int32_t year, int32_t defaultValue);
    // Empties the year table (log-out).
    void ClearAllYears();

private:
    // Guards Today, Tomorrow and dayBounds.
    mutable std::mutex todayMutex;
    DayBounds dayBounds{};

    // Guards AllYears and AllDates. Never held while a hook runs.
    mutable std::mutex yearsMutex;
    std::vector<int32_t> AllYears;
    std::vector<std::unique_ptr<YearDates>> AllDates;
};

extern TNCommon c;
