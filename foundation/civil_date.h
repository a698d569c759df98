#pragma once

#include <cstdint>

// Proleptic Gregorian calendar arithmetic and the Czech summer-time rule.
// Pure functions: no C-library time call, no lock, no global state, so every
// thread may convert at once.
//
// Three second counts appear here, all counted from 1970-01-01 00:00:
// - Unix seconds: UTC.
// - local standard seconds: the local clock without summer time
//   (Unix + the zone's standard offset).
// - local wall seconds: what the local clock shows (standard + 1 hour while
//   summer time holds).
namespace civil {

constexpr int64_t SecondsPerDay = 86400;
constexpr int64_t SecondsPerHour = 3600;

struct Date {
    int64_t Year;
    int32_t Month;
    int32_t Day;
};

// Floor division and its remainder (always 0 .. divisor - 1 for a positive divisor).
constexpr int64_t FloorDiv(int64_t value, int64_t divisor)
{
    int64_t quotient = value / divisor;
    return (value % divisor != 0 && ((value < 0) != (divisor < 0))) ? quotient - 1 : quotient;
}
constexpr int64_t FloorMod(int64_t value, int64_t divisor)
{
    return value - FloorDiv(value, divisor) * divisor;
}

constexpr bool IsLeapYear(int64_t year)
{
    return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
}

// Days of a month; 0 for a month outside 1 to 12.
constexpr int32_t DaysInMonth(int64_t year, int32_t month)
{
    constexpr int32_t days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12)
        return 0;
    return month == 2 && IsLeapYear(year) ? 29 : days[month - 1];
}

constexpr int32_t DaysInYear(int64_t year)
{
    return IsLeapYear(year) ? 366 : 365;
}

constexpr bool IsValidDate(int64_t year, int32_t month, int32_t day)
{
    return day >= 1 && day <= DaysInMonth(year, month);
}

// Days since 1970-01-01. Months outside 1 to 12 roll into neighbouring years
// and days beyond the month run on into the next months, so any fields give
// one definite day.
constexpr int64_t DaysFromCivil(int64_t year, int64_t month, int64_t day)
{
    year += FloorDiv(month - 1, 12);
    month = FloorMod(month - 1, 12) + 1;
    year -= month <= 2 ? 1 : 0;
    const int64_t era = FloorDiv(year, 400);
    const int64_t yearOfEra = year - era * 400;
    const int64_t dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5;
    const int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468 + (day - 1);
}

constexpr Date CivilFromDays(int64_t days)
{
    days += 719468;
    const int64_t era = FloorDiv(days, 146097);
    const int64_t dayOfEra = days - era * 146097;
    const int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const int64_t shiftedMonth = (5 * dayOfYear + 2) / 153;
    const int32_t day = static_cast<int32_t>(dayOfYear - (153 * shiftedMonth + 2) / 5 + 1);
    const int32_t month = static_cast<int32_t>(shiftedMonth < 10 ? shiftedMonth + 3 : shiftedMonth - 9);
    return {yearOfEra + era * 400 + (month <= 2 ? 1 : 0), month, day};
}

// Weekday 1 (Monday) to 7 (Sunday) of a day count; 1970-01-01 was a Thursday.
constexpr int32_t WeekdayFromDays(int64_t days)
{
    return static_cast<int32_t>(FloorMod(days + 3, 7)) + 1;
}

constexpr int32_t Weekday(int64_t year, int32_t month, int32_t day)
{
    return WeekdayFromDays(DaysFromCivil(year, month, day));
}

// 1-based position of the date in its year; 0 when the date does not exist.
constexpr int32_t DayOfYear(int64_t year, int32_t month, int32_t day)
{
    if (!IsValidDate(year, month, day))
        return 0;
    return static_cast<int32_t>(DaysFromCivil(year, month, day) - DaysFromCivil(year, 1, 1)) + 1;
}

constexpr int32_t LastSundayOfMonth(int64_t year, int32_t month)
{
    const int32_t last = DaysInMonth(year, month);
    return last - Weekday(year, month, last) % 7;
}

constexpr int32_t FirstSundayOfMonth(int64_t year, int32_t month)
{
    return 1 + (7 - Weekday(year, month, 1)) % 7;
}

// Easter Sunday of a Gregorian year (the anonymous computus of 1876); it
// falls between 22 March and 25 April.
constexpr Date EasterSunday(int64_t year)
{
    const int64_t a = FloorMod(year, 19);
    const int64_t b = FloorDiv(year, 100);
    const int64_t c = FloorMod(year, 100);
    const int64_t h = FloorMod(19 * a + b - b / 4 - (b - (b + 8) / 25 + 1) / 3 + 15, 30);
    const int64_t l = FloorMod(32 + 2 * FloorMod(b, 4) + 2 * (c / 4) - h - c % 4, 7);
    const int64_t m = (a + 11 * h + 22 * l) / 451;
    const int64_t n = h + l - 7 * m + 114;
    return {year, static_cast<int32_t>(n / 31), static_cast<int32_t>(n % 31 + 1)};
}

// ISO 8601 week number: weeks run Monday to Sunday, week 1 holds the year's
// first Thursday. A date early in January can lie in the last week of the
// previous year, a date late in December in week 1 of the next.
int32_t IsoWeek(int64_t year, int32_t month, int32_t day);

// Summer time of one year: local standard seconds from Start up to before
// End. Empty (Start == End) in a year without summer time. The wall clock
// shows summer time from Start + 1 hour up to before End; the wall hour
// before Start + 1 hour does not exist, and the wall hour from End on comes
// twice (its first pass is summer time).
//
// From 1979 on: first Sunday of April (1979, 1980) or last Sunday of March,
// 02:00 standard, to the last Sunday of September (up to 1995) or October,
// 02:00 standard (03:00 summer time). Before 1979 only the years of the
// historical table know summer time, whole days inside its limits and within
// the last Sunday of March 03:00 to the last Sunday of October 02:00.
struct SummerSpan {
    int64_t Start;
    int64_t End;
};
SummerSpan SummerTimeOf(int64_t year);

// Whether summer time holds at a local standard time.
bool IsSummerStandard(int64_t localStandardSeconds);
// Whether a wall-clock time counts as summer time. The missing hour and the
// second pass of the repeated hour count as standard time.
bool IsSummerWall(int64_t localWallSeconds);

// Local wall seconds to Unix seconds. standardOffset is the zone's offset
// without summer time, in seconds east of UTC.
int64_t WallToUnix(int64_t localWallSeconds, int32_t standardOffset, bool* summer);
// A wall-clock time given as a day (days since 1970-01-01) and seconds into
// it, in Unix seconds, with the Unix seconds of that day's 00:00 and of the
// next day's 00:00; each as WallToUnix gives it, for one look-up of the year.
struct WallDay {
    int64_t Unix;
    bool Summer;
    int64_t DayStart;
    int64_t DayEnd;
};
WallDay WallDayToUnix(int64_t dayNumber, int64_t secondsOfDay, int32_t standardOffset);

// Unix seconds to local wall seconds.
int64_t UnixToWall(int64_t unixSeconds, int32_t standardOffset, bool* summer);

} // namespace civil
