#include "foundation/common.h"
#include "foundation/string.h"
#include "foundation/time.h"
#include "platform/core/bytes.h"
#include "platform/testing/fake_clock.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

namespace {

// Unix seconds of a few local moments, worked out by hand (UTC + 1 hour in
// winter, + 2 hours in summer).
constexpr int64_t jan15of2024Noon = 1705316400; // 15.1.2024 12:00 CET
constexpr int64_t jul15of2024Noon = 1721037600; // 15.7.2024 12:00 CEST

class TimeTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        setenv("TZ", "Europe/Prague", 1);
        tzset();
        TNCommon::SetTimeZoneOffset(TNCommon::SystemTimeZoneOffset());
    }
    void TearDown() override { c.RefreshToday(); }
};

TNTime At(int32_t day, int32_t month, int32_t year, int32_t hour = 99, int32_t minute = 0, int32_t second = 0)
{
    TNTime value;
    value.SetDateTime(day, month, second, minute, hour, year);
    return value;
}

std::string Fields(const TNTime& value)
{
    return value.ToAnsiString() + (value.IsDST ? " S" : " W");
}

std::string Bytes(const TNString& text)
{
    return std::string(text.View());
}

// ---------------------------------------------------------------------------
// Conversions

// A new value is 1.1.1980 12:00 converted at the zone's offset of the
// moment, the same as converting those fields afresh.
TEST_F(TimeTest, NewValueIsConvertedAtTheCurrentOffset)
{
    const int32_t system = TNCommon::TimeZoneOffset();
    for (int32_t offset : {3600, 0, -18000, 19800}) {
        TNCommon::SetTimeZoneOffset(offset);
        const TNTime fresh;
        TNTime converted = fresh;
        converted.Timestamp = 0;
        converted.DayStart = 0;
        converted.DayEnd = 0;
        converted.DayNo = 0;
        converted.GetTimestamp();
        EXPECT_EQ(fresh.Timestamp, 315576000 - offset) << offset;
        EXPECT_EQ(fresh.Timestamp, converted.Timestamp) << offset;
        EXPECT_EQ(fresh.DayStart, converted.DayStart) << offset;
        EXPECT_EQ(fresh.DayEnd, converted.DayEnd) << offset;
        EXPECT_EQ(fresh.IsDST, converted.IsDST) << offset;
        EXPECT_EQ(fresh.DayNo, 2) << offset;
        EXPECT_STREQ(fresh.DayAbbrev, "Tue") << offset;
        EXPECT_EQ(fresh.Days, 101) << offset;
        EXPECT_EQ(fresh.HourMinute, 1200) << offset;
    }
    TNCommon::SetTimeZoneOffset(system);
}

// Every hour from 1979 to 2100 converts as the system's zone database does,
// in both directions, and whatever today is. The repeated hour on the day
// summer time ends reads back as its standard-time pass.
TEST_F(TimeTest, AgreesWithSystemZoneEveryHourFrom1979To2100)
{
    ASSERT_EQ(TNCommon::TimeZoneOffset(), 3600) << "needs the zone database's Europe/Prague";
    struct Expected {
        int64_t Unix;
        int64_t Mktime;
        int16_t Year;
        int8_t Month, Day, Hour, Weekday, IsDst;
        // 1 and 2 on the two passes of a wall hour that comes twice.
        int8_t Pass;
    };
    std::tm first{};
    first.tm_year = 79;
    first.tm_mday = 1;
    first.tm_isdst = -1;
    const int64_t begin = std::mktime(&first);
    std::tm lastTm{};
    lastTm.tm_year = 200;
    lastTm.tm_mon = 11;
    lastTm.tm_mday = 31;
    lastTm.tm_hour = 23;
    lastTm.tm_isdst = -1;
    const int64_t end = std::mktime(&lastTm);

    std::vector<Expected> expected;
    expected.reserve(static_cast<size_t>((end - begin) / 3600 + 1));
    std::tm previous{};
    for (int64_t t = begin; t <= end; t += 3600) {
        const time_t now = static_cast<time_t>(t);
        std::tm local{};
        ASSERT_NE(localtime_r(&now, &local), nullptr);
        std::tm asked = local;
        asked.tm_isdst = -1;
        const int64_t back = std::mktime(&asked);
        const bool secondPass =
            !expected.empty() && previous.tm_hour == local.tm_hour && previous.tm_mday == local.tm_mday;
        if (secondPass)
            expected.back().Pass = 1;
        expected.push_back({t, back, static_cast<int16_t>(local.tm_year + 1900), static_cast<int8_t>(local.tm_mon + 1),
                            static_cast<int8_t>(local.tm_mday), static_cast<int8_t>(local.tm_hour),
                            static_cast<int8_t>(local.tm_wday == 0 ? 7 : local.tm_wday),
                            static_cast<int8_t>(local.tm_isdst > 0), static_cast<int8_t>(secondPass ? 2 : 0)});
        previous = local;
    }

    int repeatedHours = 0;
    for (int64_t today : {jan15of2024Noon, jul15of2024Noon}) {
        plat::testing::ScopedFakeClock clock(today);
        c.RefreshToday();
        int failures = 0;
        repeatedHours = 0;
        for (const Expected& e : expected) {
            TNTime fromUnix;
            fromUnix.SetTimestamp(e.Unix);
            TNTime fromFields = At(e.Day, e.Month, e.Year, e.Hour);
            // mktime picks either pass of a repeated hour; ours is the second.
            const int64_t wantedBack = e.Pass == 1 ? e.Unix + 3600 : e.Pass == 2 ? e.Unix : e.Mktime;
            repeatedHours += e.Pass == 1 ? 1 : 0;
            const bool ok = fromUnix.Rok == e.Year && fromUnix.Mesic == e.Month && fromUnix.Den == e.Day &&
                            fromUnix.Hodina == e.Hour && fromUnix.Minuta == 0 && fromUnix.IsDST == e.IsDst &&
                            fromUnix.DayNo == e.Weekday && fromUnix.Hodina < 24 && fromFields.Timestamp == wantedBack &&
                            (e.Pass != 0 || e.Mktime == e.Unix);
            if (!ok && ++failures <= 5)
                ADD_FAILURE() << "unix " << e.Unix << " gives " << Fields(fromUnix) << ", fields give "
                              << fromFields.Timestamp << " (wanted " << wantedBack << ")";
        }
        EXPECT_EQ(failures, 0) << "now = " << today;
    }
    // One repeated hour a year.
    EXPECT_EQ(repeatedHours, 2100 - 1979 + 1);
}

TEST_F(TimeTest, ConvertsAroundChangesByTheDateItself)
{
    struct Case {
        const char* name;
        TNTime value;
        int64_t unix;
        uint8_t isDst;
    };
    const Case cases[] = {
        {"last second before spring change", At(31, 3, 2024, 1, 59, 59), 1711846799, 0},
        {"first second after spring change", At(31, 3, 2024, 3, 0, 0), 1711846800, 1},
        {"repeated hour is its standard pass", At(27, 10, 2024, 2, 30, 0), 1729992600, 0},
        {"1995 ends in September", At(1, 10, 1995, 12), 812545200, 0},
        {"1996 ends in October", At(1, 10, 1996, 12), 844164000, 1},
        {"1979 starts at 02:00 (before)", At(1, 4, 1979, 1, 30), 291774600, 0},
        {"1979 starts at 02:00 (after)", At(1, 4, 1979, 3, 30), 291778200, 1},
        {"2100 is past 32 bits", At(1, 1, 2100, 1), 4102444800, 0},
        {"1960 is negative", At(1, 1, 1960, 1), -315619200, 0},
    };
    for (const Case& test : cases) {
        EXPECT_EQ(test.value.Timestamp, test.unix) << test.name;
        EXPECT_EQ(test.value.IsDST, test.isDst) << test.name;
    }

    TNTime value;
    value.SetTimestamp(1729989000); // 27.10.2024 00:30 UTC: the summer-time pass
    EXPECT_EQ(Fields(value), "27.10.2024 02:30:00 S");
    value.SetTimestamp(1729992600); // an hour later: the standard-time pass
    EXPECT_EQ(Fields(value), "27.10.2024 02:30:00 W");

    // The hour that does not exist reads back an hour later.
    TNTime gap = At(31, 3, 2024, 2, 30);
    value.SetTimestamp(gap.Timestamp);
    EXPECT_EQ(Fields(value), "31.03.2024 03:30:00 S");
}

TEST_F(TimeTest, SummerTimeFollowsTheYearsRules)
{
    struct Case {
        const char* name;
        TNTime value;
        uint8_t isDst;
    };
    const Case cases[] = {
        {"1941 is never summer time", At(15, 7, 1941, 12), 0},
        {"July 2015", At(15, 7, 2015, 12), 1},
        {"1916 inside its limits", At(1, 10, 1916, 12), 1},
        {"1916 after its limits", At(2, 10, 1916, 12), 0},
        {"1946 cut at October", At(1, 10, 1946, 12), 0},
        {"1946 from 6 May", At(6, 5, 1946, 0, 30), 1},
        {"1946 before 6 May", At(5, 5, 1946, 12), 0},
        {"1960 has none", At(15, 7, 1960, 12), 0},
        {"9999 follows the current rule", At(15, 7, 9999, 12), 1},
    };
    for (const Case& test : cases) {
        EXPECT_EQ(test.value.IsDST, test.isDst) << test.name;
        TNTime back;
        back.SetTimestamp(test.value.Timestamp);
        EXPECT_EQ(Fields(back), Fields(test.value)) << test.name;
    }

    int32_t correction = 0;
    EXPECT_FALSE(TNTime::isInDSTZone(2024, 331, correction, false, 159));
    EXPECT_EQ(correction, -60);
    EXPECT_TRUE(TNTime::isInDSTZone(2024, 331, correction, false, 300));
    EXPECT_TRUE(TNTime::isInDSTZone(2024, 1027, correction, false, 159));
    EXPECT_EQ(correction, 60);
    EXPECT_FALSE(TNTime::isInDSTZone(2024, 1027, correction, false, 200));
    EXPECT_TRUE(TNTime::isInDSTZone(2024, 715, correction, false, 0));
    EXPECT_EQ(correction, 0);
}

TEST_F(TimeTest, DayBoundsAreTheDatesOwnMidnights)
{
    struct Case {
        const char* name;
        TNTime value;
        int64_t dayStart;
        int64_t length;
    };
    const Case cases[] = {
        {"spring change day", At(31, 3, 2024, 10), 1711839600, 82800},
        {"autumn change day", At(27, 10, 2024, 10), 1729980000, 90000},
        {"ordinary summer day", At(15, 7, 2024, 10), 1720994400, 86400},
        {"date only", At(27, 10, 2024), 1729980000, 90000},
    };
    for (const Case& test : cases) {
        EXPECT_EQ(test.value.DayStart, test.dayStart) << test.name;
        EXPECT_EQ(test.value.DayEnd - test.value.DayStart, test.length) << test.name;
    }
}

TEST_F(TimeTest, HourTwentyFourIsTheEndOfItsDate)
{
    TNTime end = At(31, 3, 2024, 24);
    EXPECT_EQ(end.Timestamp, end.DayEnd);
    EXPECT_EQ(end.Den, 31);

    TNTime beyond = At(31, 3, 2024, 24, 30, 10);
    EXPECT_EQ(beyond.Timestamp, end.Timestamp) << "24:30 is cut to 24:00";

    TNTime midnight;
    midnight.SetTimestamp(end.Timestamp);
    EXPECT_EQ(Fields(midnight), "01.04.2024 00:00:00 S");
}

TEST_F(TimeTest, CreateTimeInfoFillsTheNineFields)
{
    std::tm ours{};
    ASSERT_TRUE(createTimeInfo(&ours, 1729989000));
    const time_t t = 1729989000;
    std::tm system{};
    localtime_r(&t, &system);
    EXPECT_EQ(ours.tm_sec, system.tm_sec);
    EXPECT_EQ(ours.tm_min, system.tm_min);
    EXPECT_EQ(ours.tm_hour, system.tm_hour);
    EXPECT_EQ(ours.tm_mday, system.tm_mday);
    EXPECT_EQ(ours.tm_mon, system.tm_mon);
    EXPECT_EQ(ours.tm_year, system.tm_year);
    EXPECT_EQ(ours.tm_wday, system.tm_wday);
    EXPECT_EQ(ours.tm_yday, system.tm_yday);
    EXPECT_EQ(ours.tm_isdst, system.tm_isdst);
    EXPECT_FALSE(createTimeInfo(nullptr, 0));

    plat::testing::ScopedFakeClock clock(jul15of2024Noon);
    ASSERT_TRUE(createTimeInfo(&ours, 0));
    EXPECT_EQ(ours.tm_hour, 12);
    EXPECT_EQ(ours.tm_mon, 6);
}

// ---------------------------------------------------------------------------
// Setting, validation and parsing

TEST_F(TimeTest, ValidatesWhatItIsGiven)
{
    EXPECT_EQ(Fields(TNTime()), "01.01.1980 12:00:00 W");
    EXPECT_EQ(TNTime().DayNo, 2);

    TNTime value;
    value.SetDate(31, 2, 2009);
    EXPECT_EQ(value.ToAnsiString().substr(0, 10), "01.02.2009");
    EXPECT_EQ(value.SetDay, 1);

    ASSERT_TRUE(value.SetDateFromString("0000-00-00"));
    EXPECT_EQ(value.ToAnsiString().substr(0, 10), "01.01.1980");

    ASSERT_TRUE(value.SetDateFromString("2024-02-29"));
    EXPECT_EQ(value.ToAnsiString().substr(0, 10), "29.02.2024");
    const TNTime before = value;
    EXPECT_FALSE(value.SetDateFromString("2024-3-01"));
    EXPECT_EQ(value.Compare(before), 0);
    EXPECT_EQ(value.Timestamp, before.Timestamp);

    ASSERT_TRUE(value.SetTimeFromString("07:05:09"));
    EXPECT_EQ(Fields(value), "29.02.2024 07:05:09 W");
    ASSERT_TRUE(value.SetTimeFromString("99:00:00"));
    EXPECT_EQ(value.Hodina, 99);
    EXPECT_EQ(value.Timestamp, value.DayStart);
    EXPECT_FALSE(value.SetTimeFromString("7:05:09"));
    ASSERT_TRUE(value.SetTimeFromString("25:61:61"));
    EXPECT_EQ(value.GetTimestamp(), value.DayStart) << "every part out of range becomes 0";
}

TEST_F(TimeTest, CountsCalendarDaysAcrossChanges)
{
    struct Case {
        const char* name;
        TNTime a;
        TNTime b;
        int32_t days;
    };
    const Case cases[] = {
        {"same date", At(15, 7, 2024, 23, 59), At(15, 7, 2024, 0), 1},
        {"next date", At(15, 7, 2024), At(16, 7, 2024), 2},
        {"over spring change", At(31, 3, 2024, 23), At(1, 4, 2024, 0), 2},
        {"spring change day itself", At(31, 3, 2024), At(31, 3, 2024, 23), 1},
        {"over autumn change", At(27, 10, 2024, 0), At(28, 10, 2024, 0), 2},
        {"over a year", At(1, 1, 2024), At(1, 1, 2025), 367},
        {"backwards", At(16, 7, 2024), At(15, 7, 2024), 0},
    };
    for (const Case& test : cases)
        EXPECT_EQ(TNTime::DaysBetween(test.a, test.b), test.days) << test.name;
}

TEST_F(TimeTest, WeekOfYearIsIso)
{
    struct Case {
        TNTime date;
        int32_t week;
    };
    const Case cases[] = {
        {At(1, 1, 2021), 53},   {At(3, 1, 2021), 53},  {At(4, 1, 2021), 1},
        {At(7, 1, 2024), 1},    {At(30, 12, 2024), 1}, {At(28, 12, 2026), 53},
        {At(31, 12, 2023), 52}, {At(29, 12, 2025), 1}, {At(1, 1, 2027), 53},
    };
    for (const Case& test : cases)
        EXPECT_EQ(test.date.GetWeekOfYear(), test.week) << test.date.ToAnsiString();
}

// ---------------------------------------------------------------------------
// Moves

TEST_F(TimeTest, WeekMovesLandOnTheirWeekdayAndKeepTheTime)
{
    struct Move {
        const char* name;
        void (TNTime::*move)();
        int32_t weekday;
    };
    const Move moves[] = {
        {"SetPreviousMonday", &TNTime::SetPreviousMonday, 1}, {"SetNextMonday", &TNTime::SetNextMonday, 1},
        {"SetWeekFriday", &TNTime::SetWeekFriday, 5},         {"SetWeekSunday", &TNTime::SetWeekSunday, 7},
        {"SetMonthViewStart", &TNTime::SetMonthViewStart, 1}, {"SetMonthViewEnd", &TNTime::SetMonthViewEnd, 7},
    };
    // Every day of the change weeks of 2024 and 2025, at a time that lies
    // after the change hour.
    const TNTime weeks[] = {At(25, 3, 2024, 10, 15), At(21, 10, 2024, 10, 15), At(24, 3, 2025, 10, 15),
                            At(20, 10, 2025, 10, 15)};
    for (const TNTime& monday : weeks) {
        for (int day = 0; day < 7; ++day) {
            TNTime start = monday;
            start.AddDays(day);
            for (const Move& move : moves) {
                TNTime value = start;
                (value.*move.move)();
                EXPECT_EQ(value.DayNo, move.weekday) << move.name << " from " << start.ToAnsiString();
                EXPECT_EQ(value.HourMinute, 1015) << move.name << " from " << start.ToAnsiString();
                const int32_t span = TNTime::DaysBetween(start, value);
                EXPECT_LE(std::abs(span), 43) << move.name;
            }
        }
    }

    TNTime sunday = At(31, 3, 2024, 10, 15);
    sunday.SetPreviousMonday();
    EXPECT_EQ(sunday.ToAnsiString(), "25.03.2024 10:15:00");
    TNTime monday = At(25, 3, 2024, 10, 15);
    monday.SetPreviousMonday();
    EXPECT_EQ(monday.ToAnsiString(), "18.03.2024 10:15:00") << "a Monday gives the Monday before";
    TNTime saturday = At(2, 11, 2024, 10, 15);
    saturday.SetWeekFriday();
    EXPECT_EQ(saturday.ToAnsiString(), "01.11.2024 10:15:00");
    TNTime grid = At(15, 10, 2024, 10, 15);
    grid.SetMonthViewStart();
    EXPECT_EQ(grid.ToAnsiString(), "30.09.2024 10:15:00");
    grid = At(15, 3, 2024, 10, 15);
    grid.SetMonthViewEnd();
    EXPECT_EQ(grid.ToAnsiString(), "31.03.2024 10:15:00");
}

TEST_F(TimeTest, DayAndMonthStepsFollowTheCalendar)
{
    TNTime value = At(31, 3, 2024, 12);
    value.PreviousDay();
    EXPECT_EQ(Fields(value), "30.03.2024 12:00:00 W");
    value.NextDay();
    value.NextDay();
    EXPECT_EQ(Fields(value), "01.04.2024 12:00:00 S");
    value = At(31, 12, 2024, 8);
    value.NextDay();
    EXPECT_EQ(value.ToAnsiString(), "01.01.2025 08:00:00");

    value = At(31, 12, 2024, 8);
    value.NextMonth();
    EXPECT_EQ(value.ToAnsiString(), "01.01.2025 08:00:00");
    value = At(15, 1, 2024, 8);
    value.PreviousMonth();
    EXPECT_EQ(value.ToAnsiString(), "01.12.2023 08:00:00");

    value = At(31, 1, 2024, 8);
    value.AddMonths(1);
    EXPECT_EQ(value.ToAnsiString(), "29.02.2024 08:00:00");
    value = At(31, 1, 2023, 8);
    value.AddMonths(1);
    EXPECT_EQ(value.ToAnsiString(), "28.02.2023 08:00:00");
    value = At(31, 3, 2024, 8);
    value.AddMonths(-13);
    EXPECT_EQ(value.ToAnsiString(), "28.02.2023 08:00:00");

    value = At(17, 2, 2024, 8, 30);
    value.SetFirstDayOfMonth();
    EXPECT_EQ(value.ToAnsiString(), "01.02.2024 00:00:00");
    value = At(17, 2, 2024, 8, 30);
    value.SetLastDayOfMonth();
    EXPECT_EQ(value.ToAnsiString(), "29.02.2024 08:30:00");
    EXPECT_EQ(value.DaysInMonth(), 29);
}

TEST_F(TimeTest, NthWeekdayOfMonth)
{
    // March 2024 begins on a Friday; its Sundays are 3, 10, 17, 24 and 31.
    struct Case {
        const char* name;
        int32_t fromDay;
        int32_t n;
        int32_t weekday;
        int32_t day;
    };
    const Case cases[] = {
        {"first Sunday", 1, 1, 7, 3},
        {"first Friday", 1, 1, 5, 1},
        {"fifth Sunday", 1, 5, 7, 31},
        {"fifth Monday does not exist", 1, 5, 1, 0},
        {"last Monday", 1, 99, 1, 25},
        {"last Sunday", 1, 99, 7, 31},
        {"before the value's day", 10, 1, 7, 0},
        {"on the value's day", 10, 2, 7, 10},
        {"bad weekday", 1, 1, 8, 0},
        {"bad n", 1, 0, 1, 0},
    };
    for (const Case& test : cases)
        EXPECT_EQ(At(test.fromDay, 3, 2024).GetNthWeekdayOfMonth(test.n, test.weekday), test.day) << test.name;
}

// ---------------------------------------------------------------------------
// Today

TEST_F(TimeTest, TodayAndTomorrowComeFromTheClock)
{
    // 27.10.2024 10:00, a 25-hour day.
    plat::testing::ScopedFakeClock clock(1730019600);
    c.RefreshToday();
    const TNTime today = c.CopyOfToday();
    const TNTime tomorrow = c.CopyOfTomorrow();
    EXPECT_EQ(Fields(today), "27.10.2024 00:00:00 S");
    EXPECT_EQ(Fields(tomorrow), "28.10.2024 00:00:00 W");

    struct Case {
        const char* name;
        TNTime value;
        bool isToday, isTomorrow, isBeforeToday, isOlderThanWeek;
    };
    const Case cases[] = {
        {"last second of today", At(27, 10, 2024, 23, 59, 59), true, false, false, false},
        {"24:00 of today", At(27, 10, 2024, 24), true, false, false, false},
        {"date only today", At(27, 10, 2024), true, false, false, false},
        {"tomorrow 00:00", At(28, 10, 2024, 0), false, true, false, false},
        {"24:00 of tomorrow", At(28, 10, 2024, 24), false, true, false, false},
        {"yesterday evening", At(26, 10, 2024, 23, 59, 59), false, false, true, false},
        {"seven days back", At(20, 10, 2024, 0), false, false, true, false},
        {"just before seven days back", At(19, 10, 2024, 23, 59, 59), false, false, true, true},
    };
    for (const Case& test : cases) {
        EXPECT_EQ(test.value.IsToday(), test.isToday) << test.name;
        EXPECT_EQ(test.value.IsTomorrow(), test.isTomorrow) << test.name;
        EXPECT_EQ(test.value.IsBeforeToday(), test.isBeforeToday) << test.name;
        EXPECT_EQ(test.value.IsOlderThanWeek(), test.isOlderThanWeek) << test.name;
    }

    TNTime value;
    value.SetTomorrow();
    EXPECT_EQ(Fields(value), "28.10.2024 00:00:00 W");
    value.SetCurrentMonday();
    EXPECT_EQ(Fields(value), "21.10.2024 00:00:00 S");
    value.SetFirstDayOfCurrentMonth();
    EXPECT_EQ(Fields(value), "01.10.2024 00:00:00 S");
}

// ---------------------------------------------------------------------------
// Texts

TEST_F(TimeTest, CzechTextsAreCp1250)
{
    TNTime thursday = At(1, 2, 2024, 9, 5, 7);
    auto name = thursday.NewDayName(-1);
    EXPECT_EQ(Bytes(*name), "\xC8\x74\x76\x72\x74\x65\x6B"); // "Čtvrtek"
    EXPECT_EQ(Bytes(*thursday.NewDayNameGenitive(2)), "\xFA\x74\x65\x72\xFD");
    EXPECT_EQ(Bytes(*thursday.NewDayAbbrev(-1)), "\xC8t");
    EXPECT_EQ(Bytes(*thursday.NewDayAbbrev(9)), "9");
    EXPECT_EQ(Bytes(*thursday.NewDayName(0)), "ERROR");

    TNString text;
    thursday.GetDayName(&text);
    EXPECT_EQ(Bytes(text), "\xC8tvrtek 1. \xFAnora 2024");
    thursday.ToString(&text);
    EXPECT_EQ(Bytes(text), "01.02.2024 09:05:07");
    thursday.ToStringAt(&text);
    EXPECT_EQ(Bytes(text), "01.02.2024 v 09:05");
    thursday.GetDateIso(&text);
    EXPECT_EQ(Bytes(text), "2024-02-01");
    thursday.GetTimeText(&text);
    EXPECT_EQ(Bytes(text), "09:05:07");
    EXPECT_EQ(thursday.ToYmdAnsiString(), "20240201");
    thursday.GetDayText(&text, true);
    EXPECT_EQ(Bytes(text), "1");
    thursday.GetDayText(&text, false);
    EXPECT_EQ(Bytes(text), "01");
    TNTime::MonthNameToStr(7, &text);
    EXPECT_EQ(Bytes(text), "\xC8\x65rvenec");
    TNTime::MonthNameToStrEx(9, &text, " 2024");
    EXPECT_EQ(Bytes(text), "Z\xE1\xF8 2024");
    TNTime::GetMonthGenitive(13, &text);
    EXPECT_EQ(Bytes(text), "13");
}

TEST_F(TimeTest, RangeTexts)
{
    struct Case {
        const char* name;
        TNTime start;
        TNTime end;
        bool withEnd;
        const char* text;
    };
    const Case cases[] = {
        {"one day without times", At(1, 2, 2024), At(1, 2, 2024), true, "\xC8tvrtek 1. \xFAnora"},
        {"one day with times", At(1, 2, 2024, 9, 5), At(1, 2, 2024, 10, 30), true,
         "\xC8tvrtek 1. \xFAnora\n09:05 - 10:30"},
        {"start only", At(1, 2, 2024, 9, 5), At(3, 2, 2024, 10, 30), false, "\xC8tvrtek 1. \xFAnora\n09:05"},
        {"several days with times", At(1, 2, 2024, 9, 5), At(3, 2, 2024, 10, 30), true,
         "od \xE8tvrtka 1. \xFAnora 09:05\ndo soboty 3. \xFAnora 10:30"},
        {"several days without times", At(31, 1, 2024), At(3, 2, 2024), true,
         "od st\xF8\x65\x64y 31. ledna\ndo soboty 3. \xFAnora"},
    };
    for (const Case& test : cases) {
        TNString text;
        TNTime::GetRangeText(test.start, test.end, test.withEnd, &text);
        EXPECT_EQ(Bytes(text), test.text) << test.name;
    }
}

// ---------------------------------------------------------------------------
// On-disk form

TEST_F(TimeTest, DiskFormsRoundTrip)
{
    struct Case {
        const char* name;
        bool withSecond;
        bool withSpare;
        std::string bytes;
    };
    // 27.10.2024 02:30:45, Spare 0x1234.
    const Case cases[] = {
        {"6 bytes", false, false, std::string("\x1B\x0A\xE8\x07\x02\x1E", 6)},
        {"7 bytes", true, false, std::string("\x1B\x0A\xE8\x07\x02\x1E\x2D", 7)},
        {"9 bytes", true, true, std::string("\x1B\x0A\xE8\x07\x02\x1E\x2D\x34\x12", 9)},
    };
    TNTime source = At(27, 10, 2024, 2, 30, 45);
    source.Spare = 0x1234;
    for (const Case& test : cases) {
        std::string written;
        plat::ByteWriter writer(written);
        source.Save(test.withSecond, test.withSpare, writer);
        EXPECT_EQ(written, test.bytes) << test.name;

        TNTime loaded;
        plat::ByteReader reader(test.bytes);
        ASSERT_TRUE(loaded.Load(test.withSecond, test.withSpare, reader)) << test.name;
        EXPECT_TRUE(reader.AtEnd()) << test.name;
        EXPECT_EQ(loaded.ToAnsiString().substr(0, 16), "27.10.2024 02:30") << test.name;
        EXPECT_EQ(loaded.Sekunda, test.withSecond ? 45 : 0) << test.name;
        EXPECT_EQ(loaded.Spare, test.withSpare ? 0x1234 : 0) << test.name;
        EXPECT_EQ(loaded.SetYear, 2024) << test.name;
        EXPECT_EQ(loaded.Timestamp, test.withSecond ? source.Timestamp : source.Timestamp - 45) << test.name;

        // Every shorter form fails and changes nothing.
        for (size_t length = 0; length < test.bytes.size(); ++length) {
            TNTime untouched = At(1, 1, 2000, 1);
            const TNTime before = untouched;
            plat::ByteReader shortReader(std::string_view(test.bytes).substr(0, length));
            EXPECT_FALSE(untouched.Load(test.withSecond, test.withSpare, shortReader)) << test.name << " " << length;
            EXPECT_EQ(untouched.Compare(before), 0) << test.name << " " << length;
            EXPECT_EQ(untouched.Timestamp, before.Timestamp) << test.name << " " << length;
            EXPECT_EQ(shortReader.Position(), 0u);
        }
    }
}

TEST_F(TimeTest, LoadValidatesTheFields)
{
    // 31.2.2009 30:70, then the same day with 99:00:00 (no time).
    const std::string bytes("\x1F\x02\xD9\x07\x1E\x46\x00"
                            "\x0F\x07\xE8\x07\x63\x00\x00",
                            14);
    plat::ByteReader reader(bytes);
    TNTime value;
    ASSERT_TRUE(value.Load(true, false, reader));
    EXPECT_EQ(value.ToAnsiString(), "01.02.2009 00:00:00");
    EXPECT_EQ(value.SetDay, 1);
    ASSERT_TRUE(value.Load(true, false, reader));
    EXPECT_EQ(value.Hodina, 99);
    EXPECT_EQ(value.Timestamp, value.DayStart);
}

TEST_F(TimeTest, ToDateTimeGivesThePlainDate)
{
    EXPECT_EQ(At(29, 2, 2024, 10).ToDateTime(), (plat::Date{2024, 2, 29}));
    TNTime broken = At(29, 2, 2024, 10);
    broken.Den = 30;
    EXPECT_EQ(broken.ToDateTime(), (plat::Date{2024, 2, 1}));
}

} // namespace
