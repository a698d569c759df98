#include "foundation/common.h"
#include "platform/testing/fake_clock.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <ctime>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

namespace {

// Recorders for the data model's hooks.
std::atomic<int32_t> slotsReported{0};
std::atomic<int32_t> clearedCalls{0};
std::vector<std::tuple<int32_t, int32_t, int32_t>> wantedItems;

class CommonTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        setenv("TZ", "Europe/Prague", 1);
        tzset();
        TNCommon::SetTimeZoneOffset(3600);
        c.ClearAllYears();
        slotsReported = 0;
        clearedCalls = 0;
        wantedItems.clear();
    }
    void TearDown() override
    {
        c.Hooks.YearSlotsAdded = nullptr;
        c.Hooks.YearsCleared = nullptr;
        c.Hooks.DayItemWanted = nullptr;
        c.ClearAllYears();
        TNCommon::SetTimeZoneOffset(TNCommon::SystemTimeZoneOffset());
        c.RefreshToday();
    }
};

std::string Days(const TNDayList& list)
{
    std::string text;
    for (int32_t i = 0; i < list.Count; ++i)
        text += std::to_string(list.Days[i]) + "." + std::to_string(list.Months[i]) + "." +
                std::to_string(list.Years[i]) + " ";
    return text;
}

TEST_F(CommonTest, TimeZoneValuesSplitTheOffset)
{
    struct Case {
        int32_t offset, hours, minutes;
    };
    for (const Case& test : {Case{3600, 1, 0}, Case{19800, 5, 30}, Case{-12600, -3, -30}, Case{0, 0, 0}}) {
        TNCommon::SetTimeZoneOffset(test.offset);
        EXPECT_EQ(TNCommon::TimeZoneHours(), test.hours) << test.offset;
        EXPECT_EQ(TNCommon::TimeZoneMinutes(), test.minutes) << test.offset;
    }
}

TEST_F(CommonTest, SystemOffsetLeavesSummerTimeOut)
{
    for (int64_t now : {int64_t{1705316400}, int64_t{1721037600}}) { // January and July 2024
        plat::testing::ScopedFakeClock clock(now);
        EXPECT_EQ(TNCommon::SystemTimeZoneOffset(), 3600) << now;
    }
    setenv("TZ", "America/New_York", 1);
    tzset();
    plat::testing::ScopedFakeClock clock(1721037600);
    EXPECT_EQ(TNCommon::SystemTimeZoneOffset(), -18000);
    setenv("TZ", "Europe/Prague", 1);
    tzset();
}

TEST_F(CommonTest, YearSlotsAreAddedOnceAndReported)
{
    c.Hooks.YearSlotsAdded = [](int32_t count) { slotsReported = count; };
    EXPECT_EQ(c.GetYearPos(2024), 0);
    EXPECT_EQ(c.GetYearPos(1999), 1);
    EXPECT_EQ(slotsReported.load(), 2);
    slotsReported = 0;
    EXPECT_EQ(c.GetYearPos(2024), 0);
    EXPECT_EQ(slotsReported.load(), 0) << "an existing slot reports nothing";
    EXPECT_EQ(c.YearCount(), 2);
    EXPECT_EQ(c.YearAtPos(1), 1999);
    EXPECT_EQ(c.YearAtPos(2), 0);

    c.Hooks.YearsCleared = [] { ++clearedCalls; };
    c.ClearAllYears();
    EXPECT_EQ(c.YearCount(), 0);
    EXPECT_EQ(clearedCalls.load(), 1);
    EXPECT_EQ(c.GetYearPos(1999), 0);
}

TEST_F(CommonTest, YearDatesAreFilledFromTheStart)
{
    TNCommon::YearDates dates{};
    ASSERT_TRUE(c.GetYearDates(2023, dates));
    EXPECT_EQ(dates[0], 101);
    EXPECT_EQ(dates[58], 228);
    EXPECT_EQ(dates[59], 301);
    EXPECT_EQ(dates[364], 1231);
    EXPECT_EQ(dates[365], 0);
    ASSERT_TRUE(c.GetYearDates(2024, dates));
    EXPECT_EQ(dates[59], 229);
    EXPECT_EQ(dates[365], 1231);
    EXPECT_EQ(dates[366], 0);
    EXPECT_EQ(c.YearCount(), 2);
}

TEST_F(CommonTest, DayOfYearAndDaysInYear)
{
    struct Case {
        int32_t year, month, day, dayOfYear;
    };
    const Case cases[] = {{2024, 12, 31, 366}, {2023, 12, 31, 365}, {2023, 2, 29, 0}, {2024, 2, 29, 60},
                          {2024, 1, 1, 1},     {2024, 13, 1, 0},    {2024, 4, 31, 0}};
    for (const Case& test : cases)
        EXPECT_EQ(TNCommon::DayOfYear(test.year, test.month, test.day), test.dayOfYear)
            << test.day << "." << test.month << "." << test.year;
    EXPECT_EQ(TNCommon::DaysInYear(2024), 366);
    EXPECT_EQ(TNCommon::DaysInYear(1900), 365);
    EXPECT_EQ(TNCommon::DaysInYear(2000), 366);
    EXPECT_TRUE(TNCommon::IsLeapYear(2000));
    EXPECT_FALSE(TNCommon::IsLeapYear(2100));
}

TEST_F(CommonTest, CollectsTheDaysARangeOccupies)
{
    struct Case {
        const char* name;
        int32_t startYear, startMonth, startDay, endYear, endMonth, endDay, endHour, endMinute;
        const char* days;
    };
    const Case cases[] = {
        {"across the year to 00:00", 2024, 12, 31, 2025, 1, 1, 0, 0, "31.12.2024 "},
        {"across the year to 10:00", 2024, 12, 31, 2025, 1, 1, 10, 0, "31.12.2024 1.1.2025 "},
        {"within a year to 00:00", 2024, 3, 10, 2024, 3, 12, 0, 0, "10.3.2024 11.3.2024 "},
        {"within a year to 00:01", 2024, 3, 10, 2024, 3, 12, 0, 1, "10.3.2024 11.3.2024 12.3.2024 "},
        {"one day at 00:00", 2024, 3, 10, 2024, 3, 10, 0, 0, "10.3.2024 "},
        {"over leap day", 2024, 2, 28, 2024, 3, 1, 12, 0, "28.2.2024 29.2.2024 1.3.2024 "},
        {"end before start", 2024, 3, 10, 2024, 3, 8, 12, 0, "10.3.2024 "},
        {"cut at the year bounds", 2100, 12, 30, 2101, 1, 2, 12, 0, "30.12.2100 31.12.2100 "},
    };
    for (const Case& test : cases) {
        TNDayList list;
        ASSERT_TRUE(c.CollectDaysInRange(test.startYear, test.startMonth, test.startDay, test.endYear, test.endMonth,
                                         test.endDay, &list, test.endHour, test.endMinute))
            << test.name;
        EXPECT_EQ(Days(list), test.days) << test.name;
        ASSERT_EQ(list.Years.size(), static_cast<size_t>(list.Count) + 2) << test.name;
        EXPECT_EQ(list.Years[list.Count] + list.Years[list.Count + 1] + list.Months[list.Count] + list.Days[list.Count],
                  0)
            << test.name;
    }

    TNDayList list;
    EXPECT_FALSE(c.CollectDaysInRange(2023, 2, 29, 2023, 3, 2, &list, 0, 0));
    EXPECT_EQ(list.Count, 0);
    // A long range followed by a short one leaves zeros after the short one.
    ASSERT_TRUE(c.CollectDaysInRange(2020, 1, 1, 2021, 1, 1, &list, 0, 0));
    EXPECT_EQ(list.Count, 366);
    ASSERT_TRUE(c.CollectDaysInRange(2020, 1, 1, 2020, 1, 2, &list, 0, 0));
    EXPECT_EQ(list.Count, 1);
    EXPECT_EQ(list.Days[1] + list.Days[2], 0);
}

TEST_F(CommonTest, GetDayNoWithoutModelTouchesNothing)
{
    EXPECT_EQ(c.getDayNo(1, 1, 2021, -1), 5);
    EXPECT_EQ(c.getDayNo(29, 2, 2024, -1), 4);
    EXPECT_EQ(c.getDayNo(1, 1, 1, -1), 1);
    EXPECT_EQ(c.getDayNo(31, 12, 9999, -1), 5);
    EXPECT_EQ(c.getDayNo(29, 2, 2023, -1), -1);
    EXPECT_EQ(c.getDayNo(1, 1, 10000, -1), -1);
    EXPECT_EQ(c.YearCount(), 0);

    c.Hooks.DayItemWanted = [](int32_t year, int32_t month, int32_t day) {
        wantedItems.emplace_back(year, month, day);
    };
    EXPECT_EQ(c.getDayNo(27, 10, 2024, -1), 7);
    ASSERT_EQ(wantedItems.size(), 1u);
    EXPECT_EQ(wantedItems[0], std::make_tuple(2024, 10, 27));
}

TEST_F(CommonTest, TomorrowIsTheNextDateOnAChangeDay)
{
    // 31.3.2024 10:00, a 23-hour day.
    plat::testing::ScopedFakeClock clock(1711872000);
    c.RefreshToday();
    EXPECT_EQ(c.CopyOfToday().ToAnsiString(), "31.03.2024 00:00:00");
    EXPECT_EQ(c.CopyOfTomorrow().ToAnsiString(), "01.04.2024 00:00:00");
    const TNCommon::DayBounds bounds = c.GetDayBounds();
    EXPECT_EQ(bounds.TodayEnd - bounds.TodayStart, 82800);
    EXPECT_EQ(bounds.TomorrowStart, bounds.TodayEnd);
}

// Conversions and year slots from several threads at once; run under
// ThreadSanitizer to see races.
TEST_F(CommonTest, ThreadsConvertAndAddYearsAtOnce)
{
    const char* env = std::getenv("DALMORA_THREAD_ROUNDS");
    const int rounds = env != nullptr ? std::atoi(env) : 2000;
    c.Hooks.YearSlotsAdded = [](int32_t count) {
        int32_t seen = slotsReported.load();
        while (count > seen && !slotsReported.compare_exchange_weak(seen, count)) {
        }
    };
    std::atomic<int> failures{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([t, rounds, &failures] {
            for (int i = 0; i < rounds; ++i) {
                const int32_t year = 1990 + (i * 7 + t) % 60;
                TNTime value;
                value.SetDateTime(1 + i % 28, 1 + i % 12, i % 60, i % 60, i % 24, year);
                TNTime back;
                back.SetTimestamp(value.Timestamp);
                if (back.Timestamp != value.Timestamp || back.Rok != value.Rok)
                    ++failures;
                const int32_t pos = c.GetYearPos(year);
                if (pos < 0 || c.YearAtPos(pos) != year)
                    ++failures;
                if (value.IsToday() && value.Rok < 2000)
                    ++failures;
                TNDayList list;
                c.CollectDaysInRange(year, 12, 30, year + 1, 1, 2, &list, 0, 0);
                if (list.Count != 3)
                    ++failures;
            }
        });
    }
    for (int i = 0; i < 200; ++i)
        c.RefreshToday();
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(failures.load(), 0);
    EXPECT_EQ(c.YearCount(), 60);
    EXPECT_EQ(slotsReported.load(), 60);
}

} // namespace
