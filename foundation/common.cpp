#include "foundation/common.h"

#include "foundation/civil_date.h"
#include "foundation/log.h"
#include "platform/core/clock.h"

#include <climits>
#include <ctime>
#include <new>

TNCommon c;

namespace {

// The zone offset outlives the order of static construction: time values
// built before `c` work it out on first use.
constexpr int32_t unsetOffset = INT32_MIN;
constinit std::atomic<int32_t> standardOffset{unsetOffset};

void FillYearDates(int32_t year, TNCommon::YearDates& dates)
{
    dates.fill(0);
    size_t i = 0;
    for (int32_t month = 1; month <= 12; ++month)
        for (int32_t day = 1; day <= civil::DaysInMonth(year, month); ++day)
            dates[i++] = month * 100 + day;
}

} // namespace

TNCommon::TNCommon()
{
    TimeZoneOffset();
    RefreshToday();
}

// ---------------------------------------------------------------------------
// Time zone

int32_t TNCommon::SystemTimeZoneOffset()
{
    // mktime of UTC fields marked as standard time lands the standard offset
    // before the true instant, in summer too.
    const time_t now = static_cast<time_t>(plat::UnixSeconds());
    std::tm local{};
    std::tm utc{};
    if (localtime_r(&now, &local) == nullptr || gmtime_r(&now, &utc) == nullptr)
        return 0;
    utc.tm_isdst = 0;
    return static_cast<int32_t>(std::mktime(&local) - std::mktime(&utc));
}

int32_t TNCommon::TimeZoneOffset()
{
    int32_t offset = standardOffset.load(std::memory_order_relaxed);
    if (offset != unsetOffset)
        return offset;
    int32_t expected = unsetOffset;
    standardOffset.compare_exchange_strong(expected, SystemTimeZoneOffset(), std::memory_order_relaxed);
    return standardOffset.load(std::memory_order_relaxed);
}

int32_t TNCommon::TimeZoneHours()
{
    return TimeZoneOffset() / 3600;
}

int32_t TNCommon::TimeZoneMinutes()
{
    const int32_t offset = TimeZoneOffset();
    return (offset - offset / 3600 * 3600) / 60;
}

void TNCommon::SetTimeZoneOffset(int32_t seconds)
{
    standardOffset.store(seconds, std::memory_order_relaxed);
}

// ---------------------------------------------------------------------------
// Today and tomorrow

void TNCommon::RefreshToday()
{
    TNTime today;
    today.SetToday();
    // Calendar days, so a change day never lands on the same date.
    TNTime tomorrow = today;
    tomorrow.NextDay();
    TNTime weekAgo = today;
    weekAgo.AddDays(-7);

    std::lock_guard<std::mutex> lock(todayMutex);
    Today = today;
    Tomorrow = tomorrow;
    dayBounds = {today.DayStart, today.DayEnd, tomorrow.DayStart, tomorrow.DayEnd, weekAgo.DayStart};
}

TNTime TNCommon::CopyOfToday() const
{
    std::lock_guard<std::mutex> lock(todayMutex);
    return Today;
}

TNTime TNCommon::CopyOfTomorrow() const
{
    std::lock_guard<std::mutex> lock(todayMutex);
    return Tomorrow;
}

TNCommon::DayBounds TNCommon::GetDayBounds() const
{
    std::lock_guard<std::mutex> lock(todayMutex);
    return dayBounds;
}

// ---------------------------------------------------------------------------
// Calendar years of the all-days index

int32_t TNCommon::GetYearPos(int32_t year)
{
    int32_t pos = -1;
    int32_t count = 0;
    {
        std::lock_guard<std::mutex> lock(yearsMutex);
        for (size_t i = 0; i < AllYears.size(); ++i)
            if (AllYears[i] == year)
                return static_cast<int32_t>(i);
        try {
            auto dates = std::make_unique<YearDates>();
            FillYearDates(year, *dates);
            AllYears.reserve(AllYears.size() + 1);
            AllDates.reserve(AllDates.size() + 1);
            AllYears.push_back(year);
            AllDates.push_back(std::move(dates));
        } catch (const std::bad_alloc&) {
            LogTextInt("[TNCommon::GetYearPos] FATAL ERROR! year = ", year);
            return -1;
        }
        pos = static_cast<int32_t>(AllYears.size()) - 1;
        count = pos + 1;
    }
    if (auto* hook = Hooks.YearSlotsAdded.load())
        hook(count);
    return pos;
}

int32_t TNCommon::YearCount() const
{
    std::lock_guard<std::mutex> lock(yearsMutex);
    return static_cast<int32_t>(AllYears.size());
}

int32_t TNCommon::YearAtPos(int32_t pos) const
{
    std::lock_guard<std::mutex> lock(yearsMutex);
    return pos >= 0 && static_cast<size_t>(pos) < AllYears.size() ? AllYears[static_cast<size_t>(pos)] : 0;
}

bool TNCommon::GetYearDates(int32_t year, YearDates& out)
{
    // A second pass covers a log-out that emptied the table in between.
    for (int attempt = 0; attempt < 2; ++attempt) {
        {
            std::lock_guard<std::mutex> lock(yearsMutex);
            for (size_t i = 0; i < AllYears.size(); ++i) {
                if (AllYears[i] == year) {
                    out = *AllDates[i];
                    return true;
                }
            }
        }
        if (GetYearPos(year) < 0)
            return false;
    }
    return false;
}

bool TNCommon::IsLeapYear(int32_t year)
{
    return civil::IsLeapYear(year);
}

int32_t TNCommon::DaysInYear(int32_t year)
{
    return civil::DaysInYear(year);
}

int32_t TNCommon::DayOfYear(int32_t year, int32_t month, int32_t day)
{
    return civil::DayOfYear(year, month, day);
}

bool TNCommon::ResizeDayList(int32_t n, TNDayList* list)
{
    if (list == nullptr || n < 0)
        return false;
    try {
        const size_t size = static_cast<size_t>(n) + 2;
        list->Years.resize(size);
        list->Months.resize(size);
        list->Days.resize(size);
    } catch (const std::bad_alloc&) {
        return false;
    }
    for (size_t i = static_cast<size_t>(n); i < static_cast<size_t>(n) + 2; ++i) {
        list->Years[i] = 0;
        list->Months[i] = 0;
        list->Days[i] = 0;
    }
    list->Count = n;
    return true;
}

bool TNCommon::CollectDaysInRange(int32_t startYear, int32_t startMonth, int32_t startDay, int32_t endYear,
                                  int32_t endMonth, int32_t endDay, TNDayList* list, int32_t endHour, int32_t endMinute)
{
    if (list == nullptr)
        return false;
    if (!civil::IsValidDate(startYear, startMonth, startDay) || !civil::IsValidDate(endYear, endMonth, endDay)) {
        ResizeDayList(0, list);
        return false;
    }
    int64_t first = civil::DaysFromCivil(startYear, startMonth, startDay);
    int64_t last = civil::DaysFromCivil(endYear, endMonth, endDay);
    // An end before the start keeps the start day.
    if (last < first)
        last = first;
    if (last > first && endHour == 0 && endMinute == 0)
        --last;
    first = std::max(first, civil::DaysFromCivil(MinYear, 1, 1));
    last = std::min(last, civil::DaysFromCivil(MaxYear, 12, 31));
    const int32_t count = last >= first ? static_cast<int32_t>(last - first + 1) : 0;
    if (!ResizeDayList(count, list))
        return false;
    for (int32_t i = 0; i < count; ++i) {
        const civil::Date date = civil::CivilFromDays(first + i);
        list->Years[static_cast<size_t>(i)] = static_cast<uint16_t>(date.Year);
        list->Months[static_cast<size_t>(i)] = static_cast<uint8_t>(date.Month);
        list->Days[static_cast<size_t>(i)] = static_cast<uint8_t>(date.Day);
    }
    return true;
}

int32_t TNCommon::getDayNo(int32_t day, int32_t month, int32_t year, int32_t defaultValue)
{
    if (year < 1 || year > 9999) {
        LogTextInt("[c.getDayNo][ERROR] First day of the year AllDayItem doesn't exist! Year = ", year);
        return defaultValue;
    }
    if (!civil::IsValidDate(year, month, day)) {
        LogText("[c.getDayNo][ERROR] AllDayItem doesn't exist!");
        return defaultValue;
    }
    if (auto* hook = Hooks.DayItemWanted.load())
        hook(year, month, day);
    return civil::Weekday(year, month, day);
}

void TNCommon::ClearAllYears()
{
    {
        std::lock_guard<std::mutex> lock(yearsMutex);
        if (!AllYears.empty())
            LogText("[TNCommon::ClearAllYears] AllYears != NULL");
        if (!AllDates.empty())
            LogText("[TNCommon::ClearAllYears] AllDates != NULL");
        AllYears.clear();
        AllDates.clear();
    }
    if (auto* hook = Hooks.YearsCleared.load())
        hook();
}
