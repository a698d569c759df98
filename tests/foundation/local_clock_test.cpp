#include "foundation/local_clock.h"
#include "platform/testing/fake_clock.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

namespace {

class LocalClock : public ::testing::Test {
protected:
    void SetUp() override
    {
        setenv("TZ", "Europe/Prague", 1);
        tzset();
        TNLocalClock::SetZoneOffset(3600);
    }
    void TearDown() override
    {
        TNLocalClock::SetZoneOffset(TNLocalClock::SystemZoneOffset());
        TNLocalClock::RefreshToday();
    }
};

TEST_F(LocalClock, NowFollowsTheClockSeam)
{
    plat::testing::ScopedFakeClock clock(1700000000);
    EXPECT_EQ(TNLocalClock::Now(), 1700000000);
    EXPECT_EQ(TNLocalClock::Now32(), 1700000000u);
    clock->Advance(2500);
    EXPECT_EQ(TNLocalClock::Now(), 1700000002);
}

// The fields agree with the C library's zone database on every hour of a
// year with both changes, and on the seconds around them.
TEST_F(LocalClock, FieldsAgreeWithTheSystemAcrossTheChanges)
{
    auto check = [](int64_t moment) {
        const time_t t = static_cast<time_t>(moment);
        std::tm system{};
        ASSERT_NE(localtime_r(&t, &system), nullptr);
        const std::tm ours = TNLocalClock::Fields(moment);
        EXPECT_EQ(ours.tm_sec, system.tm_sec) << moment;
        EXPECT_EQ(ours.tm_min, system.tm_min) << moment;
        EXPECT_EQ(ours.tm_hour, system.tm_hour) << moment;
        EXPECT_EQ(ours.tm_mday, system.tm_mday) << moment;
        EXPECT_EQ(ours.tm_mon, system.tm_mon) << moment;
        EXPECT_EQ(ours.tm_year, system.tm_year) << moment;
        EXPECT_EQ(ours.tm_wday, system.tm_wday) << moment;
        EXPECT_EQ(ours.tm_yday, system.tm_yday) << moment;
        EXPECT_EQ(ours.tm_isdst, system.tm_isdst) << moment;
    };
    for (int64_t moment = 1704063600; moment < 1735686000; moment += 3600 + 17) // 2024, drifting seconds
        check(moment);
    for (int64_t change : {int64_t{1711846800}, int64_t{1729990800}}) // 31.3. and 27.10.2024, 01:00 UTC
        for (int64_t delta = -2; delta <= 2; ++delta)
            check(change + delta);
}

TEST_F(LocalClock, TodaysBoundsFollowTheClockAndTheOffset)
{
    const struct {
        const char* name;
        int64_t now;
        int32_t offset;
        TNLocalClock::DayBounds bounds;
    } cases[] = {
        {"spring change day: 23 hours", 1711872000, 3600, {1711839600, 1711922400, 1711922400, 1712008800, 1711234800}},
        {"autumn change day: 25 hours", 1729992600, 3600, {1729980000, 1730070000, 1730070000, 1730156400, 1729375200}},
        {"offset 0 moves the day", 1711872000, 0, {1711843200, 1711926000, 1711926000, 1712012400, 1711238400}},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.name);
        plat::testing::ScopedFakeClock clock(row.now);
        TNLocalClock::SetZoneOffset(row.offset);
        TNLocalClock::RefreshToday();
        const TNLocalClock::DayBounds bounds = TNLocalClock::TodayBounds();
        EXPECT_EQ(bounds.TodayStart, row.bounds.TodayStart);
        EXPECT_EQ(bounds.TodayEnd, row.bounds.TodayEnd);
        EXPECT_EQ(bounds.TomorrowStart, row.bounds.TomorrowStart);
        EXPECT_EQ(bounds.TomorrowEnd, row.bounds.TomorrowEnd);
        EXPECT_EQ(bounds.WeekAgoStart, row.bounds.WeekAgoStart);
    }
}

TEST_F(LocalClock, BoundsStayUntilRefreshed)
{
    plat::testing::ScopedFakeClock clock(1711872000);
    const TNLocalClock::DayBounds before = TNLocalClock::RefreshToday();
    clock->Advance(int64_t{2} * 86400 * 1000);
    EXPECT_EQ(TNLocalClock::TodayBounds().TodayStart, before.TodayStart);
    EXPECT_EQ(TNLocalClock::RefreshToday().TodayStart, before.TomorrowEnd);
}

} // namespace
