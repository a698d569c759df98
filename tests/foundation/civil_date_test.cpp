#include "foundation/civil_date.h"

#include <gtest/gtest.h>

#include <ctime>

namespace {

// Walks every day from 1.1.0001 to 31.12.9999 by counting days in months,
// and checks the closed-form conversions and the weekday against the walk.
TEST(CivilDate, ConversionsMatchADayByDayWalk)
{
    int64_t days = civil::DaysFromCivil(1, 1, 1);
    int32_t weekday = 1; // 1.1.0001 was a Monday
    int failures = 0;
    for (int64_t year = 1; year <= 9999; ++year) {
        for (int32_t month = 1; month <= 12; ++month) {
            for (int32_t day = 1; day <= civil::DaysInMonth(year, month); ++day, ++days) {
                const civil::Date date = civil::CivilFromDays(days);
                const bool ok = civil::DaysFromCivil(year, month, day) == days && date.Year == year &&
                                date.Month == month && date.Day == day && civil::WeekdayFromDays(days) == weekday;
                if (!ok && ++failures <= 5)
                    ADD_FAILURE() << day << "." << month << "." << year;
                weekday = weekday % 7 + 1;
            }
        }
    }
    EXPECT_EQ(failures, 0);
    EXPECT_EQ(civil::DaysFromCivil(1970, 1, 1), 0);
    EXPECT_EQ(days, civil::DaysFromCivil(10000, 1, 1));
}

TEST(CivilDate, FieldsOutOfRangeRollOver)
{
    EXPECT_EQ(civil::DaysFromCivil(2024, 13, 1), civil::DaysFromCivil(2025, 1, 1));
    EXPECT_EQ(civil::DaysFromCivil(2024, 0, 1), civil::DaysFromCivil(2023, 12, 1));
    EXPECT_EQ(civil::DaysFromCivil(2023, 2, 29), civil::DaysFromCivil(2023, 3, 1));
    EXPECT_EQ(civil::DaysFromCivil(2024, 3, 0), civil::DaysFromCivil(2024, 2, 29));
}

TEST(CivilDate, LeapYearsAndMonthLengths)
{
    EXPECT_TRUE(civil::IsLeapYear(2000));
    EXPECT_TRUE(civil::IsLeapYear(2024));
    EXPECT_FALSE(civil::IsLeapYear(1900));
    EXPECT_FALSE(civil::IsLeapYear(2023));
    EXPECT_EQ(civil::DaysInMonth(2024, 2), 29);
    EXPECT_EQ(civil::DaysInMonth(1900, 2), 28);
    EXPECT_EQ(civil::DaysInMonth(2024, 4), 30);
    EXPECT_EQ(civil::DaysInMonth(2024, 0), 0);
    EXPECT_EQ(civil::DaysInMonth(2024, 13), 0);
    EXPECT_EQ(civil::LastSundayOfMonth(2024, 3), 31);
    EXPECT_EQ(civil::LastSundayOfMonth(2024, 10), 27);
    EXPECT_EQ(civil::LastSundayOfMonth(2025, 3), 30);
    EXPECT_EQ(civil::FirstSundayOfMonth(1979, 4), 1);
    EXPECT_EQ(civil::FirstSundayOfMonth(1980, 4), 6);
}

// The C library's "%V" works from the broken-down fields alone, with no zone.
TEST(CivilDate, IsoWeekMatchesStrftimeFrom1900To2100)
{
    int failures = 0;
    for (int64_t days = civil::DaysFromCivil(1900, 1, 1); days <= civil::DaysFromCivil(2100, 12, 31); ++days) {
        const civil::Date date = civil::CivilFromDays(days);
        std::tm fields{};
        fields.tm_year = static_cast<int>(date.Year) - 1900;
        fields.tm_mon = date.Month - 1;
        fields.tm_mday = date.Day;
        fields.tm_wday = civil::WeekdayFromDays(days) % 7;
        fields.tm_yday = civil::DayOfYear(date.Year, date.Month, date.Day) - 1;
        char text[8];
        std::strftime(text, sizeof text, "%V", &fields);
        if (std::atoi(text) != civil::IsoWeek(date.Year, date.Month, date.Day) && ++failures <= 5)
            ADD_FAILURE() << date.Day << "." << date.Month << "." << date.Year << " is week " << text;
    }
    EXPECT_EQ(failures, 0);
}

TEST(CivilDate, SummerTimeSpans)
{
    struct Case {
        const char* name;
        int64_t year;
        int64_t startWall; // first summer-time wall second
        int64_t end;       // first standard-time wall second after it
    };
    auto at = [](int64_t year, int32_t month, int32_t day, int32_t hour) {
        return civil::DaysFromCivil(year, month, day) * civil::SecondsPerDay + hour * civil::SecondsPerHour;
    };
    const Case cases[] = {
        {"1916 table limits", 1916, at(1916, 4, 30, 0), at(1916, 10, 2, 0)},
        {"1942 general start, table end cut by rule", 1942, at(1942, 3, 29, 3), at(1942, 10, 25, 2)},
        {"1979 first Sunday of April to September", 1979, at(1979, 4, 1, 3), at(1979, 9, 30, 2)},
        {"1995 last Sunday of September", 1995, at(1995, 3, 26, 3), at(1995, 9, 24, 2)},
        {"1996 last Sunday of October", 1996, at(1996, 3, 31, 3), at(1996, 10, 27, 2)},
        {"2300 beyond the cached years", 2300, at(2300, 3, 25, 3), at(2300, 10, 28, 2)},
    };
    for (const Case& test : cases) {
        const civil::SummerSpan span = civil::SummerTimeOf(test.year);
        EXPECT_EQ(span.Start + civil::SecondsPerHour, test.startWall) << test.name;
        EXPECT_EQ(span.End, test.end) << test.name;
    }
    for (int64_t year : {1915, 1941, 1950, 1978}) {
        const civil::SummerSpan span = civil::SummerTimeOf(year);
        EXPECT_EQ(span.Start, span.End) << year;
        EXPECT_FALSE(civil::IsSummerWall(at(year, 7, 1, 12))) << year;
    }
}

// The one-look-up day conversion must agree with converting each of its
// three times alone: on the change days, at the ends of the year, and for
// times of day that run into the next day or year.
TEST(CivilDate, WallDayConversionMatchesSingleConversions)
{
    const int64_t secondsOfDay[] = {0, 2 * civil::SecondsPerHour - 1, 2 * civil::SecondsPerHour,
                                    2 * civil::SecondsPerHour + 1800, 3 * civil::SecondsPerHour,
                                    12 * civil::SecondsPerHour, civil::SecondsPerDay - 1, civil::SecondsPerDay,
                                    30 * civil::SecondsPerHour, 99 * civil::SecondsPerHour,
                                    // Unchecked hour fields reach months ahead.
                                    2880 * civil::SecondsPerHour, 65535 * civil::SecondsPerHour + 59 * 60 + 59};
    auto check = [&](int64_t day) {
        for (int32_t offset : {3600, 0, -18000}) {
            for (int64_t seconds : secondsOfDay) {
                const civil::WallDay got = civil::WallDayToUnix(day, seconds, offset);
                bool summer = false;
                const int64_t unix = civil::WallToUnix(day * civil::SecondsPerDay + seconds, offset, &summer);
                ASSERT_EQ(got.Unix, unix) << day << " " << seconds << " " << offset;
                ASSERT_EQ(got.Summer, summer) << day << " " << seconds << " " << offset;
                ASSERT_EQ(got.DayStart, civil::WallToUnix(day * civil::SecondsPerDay, offset, nullptr)) << day;
                ASSERT_EQ(got.DayEnd, civil::WallToUnix((day + 1) * civil::SecondsPerDay, offset, nullptr)) << day;
            }
        }
    };
    for (int64_t year : {1916, 1942, 1946, 1979, 1980, 1995, 1996, 2024, 2199, 2200, 2201, 2300}) {
        const civil::SummerSpan span = civil::SummerTimeOf(year);
        for (int64_t edge : {span.Start, span.Start + civil::SecondsPerHour, span.End}) {
            const int64_t day = civil::FloorDiv(edge, civil::SecondsPerDay);
            for (int64_t near = day - 1; near <= day + 1; ++near)
                check(near);
        }
        const int64_t newYear = civil::DaysFromCivil(year, 1, 1);
        for (int64_t near = newYear - 2; near <= newYear + 1; ++near)
            check(near);
    }
    // Every day of a few years, summer-time years and others.
    for (int64_t year : {1941, 1947, 2025}) {
        for (int64_t day = civil::DaysFromCivil(year, 1, 1); day < civil::DaysFromCivil(year + 1, 1, 1); ++day)
            check(day);
    }
}

} // namespace

TEST(CivilDate, EasterSundayOfKnownYears)
{
    struct Case {
        int64_t Year;
        int32_t Month;
        int32_t Day;
    };
    // Includes the earliest (22 March) and latest (25 April) possible dates.
    const Case cases[] = {{1818, 3, 22}, {1943, 4, 25}, {2000, 4, 23}, {2024, 3, 31},
                          {2025, 4, 20}, {2038, 4, 25}, {2285, 3, 22}};
    for (const Case& e : cases) {
        const civil::Date easter = civil::EasterSunday(e.Year);
        EXPECT_EQ(easter.Month, e.Month) << e.Year;
        EXPECT_EQ(easter.Day, e.Day) << e.Year;
        EXPECT_EQ(civil::Weekday(e.Year, easter.Month, easter.Day), 7) << e.Year;
    }
}
