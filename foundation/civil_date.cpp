#include "foundation/civil_date.h"

#include <algorithm>
#include <array>

namespace civil {
namespace {

// Summer time before 1979: the days (month × 100 + day, both ends included)
// inside which it could hold. Years not listed had none.
struct HistoricalLimits {
    int32_t Year;
    int32_t First;
    int32_t Last;
};
constexpr HistoricalLimits historicalTable[] = {
    {1916, 430, 1001}, {1917, 416, 917}, {1918, 415, 916}, {1940, 401, 1231}, {1942, 101, 1102}, {1943, 329, 930},
    {1944, 403, 930},  {1945, 402, 930}, {1946, 506, 930}, {1947, 420, 1005}, {1948, 418, 1003}, {1949, 410, 1002},
};
// 1940 runs "from 1 April", 1942 "up to 2 November"; 1941 is never summer
// time. 1946 ("from 6 May, except 1 October to the year's end") and 1947 ("up
// to 23 February, and 20 April to 5 October") are written as the single
// ranges that remain inside the general March-to-October rule.

constexpr int64_t WallSecondsOf(int64_t year, int32_t month, int32_t day, int32_t hour)
{
    return DaysFromCivil(year, month, day) * SecondsPerDay + hour * SecondsPerHour;
}

constexpr SummerSpan ComputeSummerTime(int64_t year)
{
    int64_t wallStart = 0;
    int64_t wallEnd = 0;
    if (year >= 1979) {
        wallStart = year <= 1980 ? WallSecondsOf(year, 4, FirstSundayOfMonth(year, 4), 3)
                                 : WallSecondsOf(year, 3, LastSundayOfMonth(year, 3), 3);
        wallEnd = year <= 1995 ? WallSecondsOf(year, 9, LastSundayOfMonth(year, 9), 2)
                               : WallSecondsOf(year, 10, LastSundayOfMonth(year, 10), 2);
    } else {
        const HistoricalLimits* limits = nullptr;
        for (const HistoricalLimits& row : historicalTable)
            if (row.Year == year)
                limits = &row;
        if (limits == nullptr)
            return {0, 0};
        const int64_t tableStart = WallSecondsOf(year, limits->First / 100, limits->First % 100, 0);
        const int64_t tableEnd = WallSecondsOf(year, limits->Last / 100, limits->Last % 100 + 1, 0);
        const int64_t ruleStart = WallSecondsOf(year, 3, LastSundayOfMonth(year, 3), 3);
        const int64_t ruleEnd = WallSecondsOf(year, 10, LastSundayOfMonth(year, 10), 2);
        wallStart = std::max(tableStart, ruleStart);
        wallEnd = std::min(tableEnd, ruleEnd);
        if (wallStart >= wallEnd)
            return {0, 0};
    }
    // The clock jumps at standard time wallStart - 1 hour; it turns back at
    // standard time wallEnd, which the clock showed as wallEnd + 1 hour.
    return {wallStart - SecondsPerHour, wallEnd};
}

// Years looked up in a table built at compile time; others are computed.
constexpr int64_t cachedFirstYear = 1900;
constexpr int64_t cachedLastYear = 2200;

constexpr std::array<SummerSpan, cachedLastYear - cachedFirstYear + 1> BuildCache()
{
    std::array<SummerSpan, cachedLastYear - cachedFirstYear + 1> cache{};
    for (int64_t year = cachedFirstYear; year <= cachedLastYear; ++year)
        cache[static_cast<size_t>(year - cachedFirstYear)] = ComputeSummerTime(year);
    return cache;
}
constexpr auto summerCache = BuildCache();

int64_t YearOfSeconds(int64_t seconds)
{
    return CivilFromDays(FloorDiv(seconds, SecondsPerDay)).Year;
}

} // namespace

int32_t IsoWeek(int64_t year, int32_t month, int32_t day)
{
    // Weeks of a year: 53 when 1 January is a Thursday, or a Wednesday in a
    // leap year; otherwise 52.
    auto weeksIn = [](int64_t y) {
        const int32_t first = Weekday(y, 1, 1);
        return first == 4 || (first == 3 && IsLeapYear(y)) ? 53 : 52;
    };
    const int64_t days = DaysFromCivil(year, month, day);
    const Date date = CivilFromDays(days);
    const int32_t ordinal = static_cast<int32_t>(days - DaysFromCivil(date.Year, 1, 1)) + 1;
    const int32_t week = (ordinal - WeekdayFromDays(days) + 10) / 7;
    if (week < 1)
        return weeksIn(date.Year - 1);
    if (week > weeksIn(date.Year))
        return 1;
    return week;
}

SummerSpan SummerTimeOf(int64_t year)
{
    if (year >= cachedFirstYear && year <= cachedLastYear)
        return summerCache[static_cast<size_t>(year - cachedFirstYear)];
    return ComputeSummerTime(year);
}

bool IsSummerStandard(int64_t localStandardSeconds)
{
    const SummerSpan span = SummerTimeOf(YearOfSeconds(localStandardSeconds));
    return localStandardSeconds >= span.Start && localStandardSeconds < span.End;
}

bool IsSummerWall(int64_t localWallSeconds)
{
    const SummerSpan span = SummerTimeOf(YearOfSeconds(localWallSeconds));
    return span.Start < span.End && localWallSeconds >= span.Start + SecondsPerHour && localWallSeconds < span.End;
}

int64_t WallToUnix(int64_t localWallSeconds, int32_t standardOffset, bool* summer)
{
    const bool inSummer = IsSummerWall(localWallSeconds);
    if (summer != nullptr)
        *summer = inSummer;
    return localWallSeconds - standardOffset - (inSummer ? SecondsPerHour : 0);
}

WallDay WallDayToUnix(int64_t dayNumber, int64_t secondsOfDay, int32_t standardOffset)
{
    const int64_t year = CivilFromDays(dayNumber).Year;
    const SummerSpan span = SummerTimeOf(year);
    const int64_t yearStart = DaysFromCivil(year, 1, 1) * SecondsPerDay;
    const int64_t yearEnd = DaysFromCivil(year + 1, 1, 1) * SecondsPerDay;
    // Times of the same year share its span; a time of day past the year's
    // end takes its own year's.
    auto toUnix = [&](int64_t wall, bool& summer) {
        summer = wall >= yearStart && wall < yearEnd
                     ? span.Start < span.End && wall >= span.Start + SecondsPerHour && wall < span.End
                     : IsSummerWall(wall);
        return wall - standardOffset - (summer ? SecondsPerHour : 0);
    };
    WallDay result{};
    bool ignored = false;
    const int64_t dayWall = dayNumber * SecondsPerDay;
    result.Unix = toUnix(dayWall + secondsOfDay, result.Summer);
    result.DayStart = toUnix(dayWall, ignored);
    result.DayEnd = toUnix(dayWall + SecondsPerDay, ignored);
    return result;
}

int64_t UnixToWall(int64_t unixSeconds, int32_t standardOffset, bool* summer)
{
    const int64_t standard = unixSeconds + standardOffset;
    const bool inSummer = IsSummerStandard(standard);
    if (summer != nullptr)
        *summer = inSummer;
    return standard + (inSummer ? SecondsPerHour : 0);
}

} // namespace civil
