// The calendar page's date steps, month grid, captions, titles, layout and
// author filter test, checked against std::chrono's civil calendar.

#include "mainwindow/calendar_dates.h"

#include "model/organizers.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>

namespace {

using namespace std::chrono;

TNTime Day(int y, int m, int d, uint16_t hour = 0)
{
    TNTime t;
    t.SetDate(d, m, y);
    t.NastavCas(hour, 0);
    return t;
}

year_month_day Ymd(const TNTime& t)
{
    return year_month_day{year{t.Rok}, month{t.Mesic}, day{t.Den}};
}

sys_days Civil(const TNTime& t)
{
    return sys_days{Ymd(t)};
}

std::string Text(const year_month_day& d)
{
    return std::to_string(int(d.year())) + "-" + std::to_string(unsigned(d.month())) + "-" +
           std::to_string(unsigned(d.day()));
}

// Fields equal to the civil day at that hour, with a timestamp that reads back.
void ExpectAt(const TNTime& t, sys_days expected, uint16_t hour, const std::string& what)
{
    EXPECT_EQ(Text(Ymd(t)), Text(year_month_day{expected})) << what;
    EXPECT_EQ(t.Hodina, hour) << what;
    TNTime again;
    again.Copy(&t);
    EXPECT_EQ(again.GetTimestamp(), t.Timestamp) << what;
    if (hour == 0) {
        TNTime fromStamp;
        fromStamp.SetTimestamp(t.Timestamp);
        EXPECT_EQ(Text(Ymd(fromStamp)), Text(year_month_day{expected})) << what;
        EXPECT_EQ(fromStamp.Hodina, 0) << what;
    }
}

sys_days MondayOf(sys_days d)
{
    return d - (weekday{d} - Monday);
}

const TNTime kSteps[] = {Day(2025, 3, 30),  Day(2025, 3, 31), Day(2025, 10, 26), Day(2025, 10, 27),
                         Day(2025, 12, 31), Day(2026, 1, 1),  Day(2024, 2, 29)};
// 12 March 2025 10:00 in Prague.
constexpr int64_t kNow = 1741770000;
const sys_days kToday = sys_days{2025y / March / 12};

TEST(CalendarDates, OneDayStepsLandOnTheNeighbouringDayAtMidnight)
{
    for (const TNTime& shown : kSteps) {
        const std::string what = Text(Ymd(shown));
        ExpectAt(CalendarDayStep(shown, TNCalendarStep::Today, kNow), kToday, 0, what + " today");
        ExpectAt(CalendarDayStep(shown, TNCalendarStep::Previous, kNow), Civil(shown) - days{1}, 0, what + " prev");
        ExpectAt(CalendarDayStep(shown, TNCalendarStep::Next, kNow), Civil(shown) + days{1}, 0, what + " next");
    }
}

TEST(CalendarDates, WeekStepsRunMondayToFridayOrSundayAtTheEndOfTheDay)
{
    for (const bool workWeek : {true, false}) {
        const days last{workWeek ? 4 : 6};
        for (const TNTime& shown : kSteps) {
            const std::string what = Text(Ymd(shown)) + (workWeek ? " work" : " week");
            const TNDateRange start = CalendarWeekOf(shown, workWeek);
            const sys_days monday = MondayOf(Civil(shown));
            ExpectAt(start.From, monday, 0, what + " of");
            ExpectAt(start.To, monday + last, 24, what + " of");

            const TNDateRange today = CalendarWeekStep(start.From, workWeek, TNCalendarStep::Today, kNow);
            ExpectAt(today.From, MondayOf(kToday), 0, what + " today");
            ExpectAt(today.To, MondayOf(kToday) + last, 24, what + " today");
            const TNDateRange previous = CalendarWeekStep(start.From, workWeek, TNCalendarStep::Previous, kNow);
            ExpectAt(previous.From, monday - days{7}, 0, what + " prev");
            ExpectAt(previous.To, monday - days{7} + last, 24, what + " prev");
            const TNDateRange next = CalendarWeekStep(start.From, workWeek, TNCalendarStep::Next, kNow);
            ExpectAt(next.From, monday + days{7}, 0, what + " next");
            ExpectAt(next.To, monday + days{7} + last, 24, what + " next");
        }
    }
}

TEST(CalendarDates, NextWorkWeekFromAnyWeekdayIsTheNextMonday)
{
    for (int day = 10; day <= 16; ++day) {
        const TNDateRange next = CalendarWeekStep(Day(2025, 3, day), true, TNCalendarStep::Next, kNow);
        ExpectAt(next.From, sys_days{2025y / March / 17}, 0, std::to_string(day));
        ExpectAt(next.To, sys_days{2025y / March / 21}, 24, std::to_string(day));
    }
}

TEST(CalendarDates, MonthStepsMoveTheShownMonth)
{
    for (const TNTime& shown : kSteps) {
        const year_month_day ymd = Ymd(shown);
        const year_month first = ymd.year() / ymd.month();
        const TNTime previous = CalendarMonthStep(shown, TNCalendarStep::Previous, kNow);
        EXPECT_EQ(year_month(year{previous.Rok}, month{previous.Mesic}), first - months{1}) << Text(ymd);
        const TNTime next = CalendarMonthStep(shown, TNCalendarStep::Next, kNow);
        EXPECT_EQ(year_month(year{next.Rok}, month{next.Mesic}), first + months{1}) << Text(ymd);
        const TNMonthGrid grid = MonthViewGrid(next);
        EXPECT_EQ(unsigned(Ymd(grid.ShownMonth).month()), unsigned((first + months{1}).month()));
        const TNTime today = CalendarMonthStep(shown, TNCalendarStep::Today, kNow);
        EXPECT_EQ(today.Mesic, 3);
        EXPECT_EQ(today.Rok, 2025);
    }
}

TEST(CalendarDates, MonthGridCoversEveryMonthOfTwentyTwentyToTwentyThirty)
{
    for (int y = 2020; y <= 2030; ++y) {
        for (unsigned m = 1; m <= 12; ++m) {
            const year_month ym{year{y}, month{m}};
            const sys_days firstDay{ym / 1};
            const sys_days lastDay{ym / last};
            const sys_days firstCell = MondayOf(firstDay);
            const sys_days lastCell = MondayOf(lastDay) + days{6};
            const int rows = static_cast<int>((lastCell - firstCell).count() + 1) / 7;
            const std::string what = std::to_string(y) + "-" + std::to_string(m);

            const TNMonthGrid grid = MonthViewGrid(Day(y, static_cast<int>(m), 15));
            ExpectAt(grid.Range.From, firstCell, 0, what);
            ExpectAt(grid.Range.To, lastCell, 24, what);
            ASSERT_EQ(grid.Weeks, rows) << what;
            EXPECT_GE(rows, 4);
            EXPECT_LE(rows, 6);
            for (int cell = 0; cell < 49; ++cell) {
                const int expected =
                    cell < rows * 7 ? static_cast<int>(unsigned(year_month_day{firstCell + days{cell}}.day())) : 0;
                ASSERT_EQ(grid.Days[cell / 7][cell % 7], expected) << what << " cell " << cell;
            }
        }
    }
    EXPECT_EQ(MonthViewGrid(Day(2021, 2, 1)).Weeks, 4);
    const TNMonthGrid march = MonthViewGrid(Day(2024, 3, 1));
    EXPECT_EQ(march.Weeks, 5);
    ExpectAt(march.Range.To, sys_days{2024y / March / 31}, 24, "March 2024");
}

TEST(CalendarDates, RelativeCaptionCountsCivilDays)
{
    struct Case {
        TNTime Today;
        TNTime Shown;
        const char* Caption;
        plat::TColor Color;
    };
    const Case cases[] = {
        {Day(2025, 3, 12), Day(2025, 3, 12), "St\n DNES ", 0x77CA90},
        {Day(2025, 3, 12), Day(2025, 3, 13), "Čt\n ZÍTRA ", 0xDDC681},
        {Day(2025, 3, 12), Day(2025, 3, 14), "Pá\n POZÍTŘÍ ", 0xDDC681},
        {Day(2025, 3, 12), Day(2025, 3, 15), "So\n Za 3 dny ", 0xB3B3B3},
        {Day(2025, 3, 12), Day(2025, 3, 16), "Ne\n Za 4 dny ", 0xB3B3B3},
        {Day(2025, 3, 12), Day(2025, 3, 17), "Po\n Za 5 dní ", 0xB3B3B3},
        {Day(2025, 3, 12), Day(2025, 3, 11), "Út\n VČERA ", 0x000080},
        {Day(2025, 3, 12), Day(2025, 3, 10), "Po\n Před 2 dny ", 0x000080},
        {Day(2025, 3, 12), Day(2025, 3, 2), "Ne\n Před 10 dny ", 0x000080},
        // Across the spring change of summer time.
        {Day(2025, 3, 29), Day(2025, 3, 31), "Po\n POZÍTŘÍ ", 0xDDC681},
        {Day(2025, 3, 30), Day(2025, 3, 31), "Po\n ZÍTRA ", 0xDDC681},
        {Day(2025, 1, 10), Day(2025, 5, 1), "Čt\n Za 111 dní ", 0xB3B3B3},
        {Day(2025, 10, 27, 10), Day(2025, 10, 26, 15), "Ne\n VČERA ", 0x000080},
    };
    for (const Case& c : cases) {
        const TNRelativeDay caption = RelativeDayCaption(c.Today, c.Shown);
        EXPECT_EQ(caption.Caption, c.Caption);
        EXPECT_EQ(caption.Color, c.Color) << c.Caption;
    }
}

TEST(CalendarDates, TitlesOfWeeksDaysAndMonths)
{
    EXPECT_EQ(WeekRangeTitle(Day(2025, 3, 10), Day(2025, 3, 16, 24)), "března 2025");
    EXPECT_EQ(WeekRangeTitle(Day(2025, 2, 24), Day(2025, 3, 2, 24)), "února/března 2025");
    EXPECT_EQ(WeekRangeTitle(Day(2025, 12, 29), Day(2026, 1, 4, 24)), "prosince 2025/ledna 2026");
    EXPECT_EQ(WeekDayTitle(Day(2025, 3, 12), Day(2025, 3, 12, 10)), " DNES 12.");
    EXPECT_EQ(WeekDayTitle(Day(2025, 3, 13), Day(2025, 3, 12, 10)), " 13.");
    EXPECT_EQ(WeekDayTitle(Day(2025, 4, 1), Day(2025, 3, 12, 10)), " 1.4.");
    EXPECT_EQ(MonthTitle(Day(2025, 3, 1)), "Březen 2025");
}

TEST(CalendarDates, ModesWithoutAViewShowTheOneDayView)
{
    const int32_t expected[] = {1, 1, 1, 2, 3, 4, 1, 1, 1, 1};
    for (int32_t mode = -1; mode <= 8; ++mode)
        EXPECT_EQ(CalendarViewOfMode(mode), expected[mode + 1]) << mode;
    EXPECT_STREQ(CalendarViewByName(4), "View_ByMonth");
    EXPECT_STREQ(CalendarViewByName(0), "");
}

TEST(CalendarDates, PageLayoutPlacesTheFilterColumn)
{
    struct Case {
        int32_t Show;
        TNBounds Content;
        TNBounds Filter;
        TNBounds Scrollbox;
        bool Shown;
    };
    // An 800 x 600 desk under a 32 px toolbar: the content starts at 39.
    const Case cases[] = {
        {0, {0, 39, 800, 561}, {0, 0, 0, 0}, {0, 0, 0, 0}, false},
        {1, {200, 39, 600, 561}, {0, 39, 200, 561}, {0, 0, 193, 561}, true},
        {2, {0, 39, 600, 561}, {600, 39, 200, 561}, {7, 0, 193, 561}, true},
    };
    for (const Case& c : cases) {
        const TNCalendarLayout layout = CalendarPageLayout(800, 600, 32, c.Show, 200);
        EXPECT_EQ(layout.Content, c.Content) << c.Show;
        EXPECT_EQ(layout.Filter, c.Filter) << c.Show;
        EXPECT_EQ(layout.FilterShown, c.Shown) << c.Show;
        if (c.Show > 0) {
            EXPECT_EQ(FilterScrollboxBounds(layout.Filter, c.Show), c.Scrollbox) << c.Show;
        }
    }
    const TNCalendarLayout other = CalendarPageLayout(800, 600, 32, 3, 200);
    EXPECT_TRUE(other.FilterShown);
    EXPECT_FALSE(other.FilterBoundsSet);
    EXPECT_EQ(other.Content, (TNBounds{0, 39, 800, 561}));
}

TEST(CalendarDates, AuthorFilterAnswersForAnySelectedEntryOfTheAuthor)
{
    TNPIMOrganizers organizers;
    const auto add = [&](uint8_t kind, uint32_t id, uint8_t shown) {
        const int32_t at = organizers.ResizeFilterListStruct_AddOneItem();
        ASSERT_GE(at, 0);
        organizers.FilterListKind[static_cast<size_t>(at)] = kind;
        organizers.FilterListAuthorID[static_cast<size_t>(at)] = id;
        organizers.FilterListShown[static_cast<size_t>(at)] = shown;
    };
    add(1, 10, 1);
    add(1, 11, 0);
    add(1, 12, 0);
    add(1, 12, 1);
    add(2, 13, 1);
    EXPECT_TRUE(AuthorSelectedInFilter(organizers, 10, 1));
    EXPECT_FALSE(AuthorSelectedInFilter(organizers, 11, 1));
    EXPECT_TRUE(AuthorSelectedInFilter(organizers, 12, 1));
    EXPECT_FALSE(AuthorSelectedInFilter(organizers, 13, 1));
    EXPECT_FALSE(AuthorSelectedInFilter(organizers, 99, 1));
}

} // namespace
