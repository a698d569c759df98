#pragma once

// Repeat rules with the dates they must list. `expected` is the start of the
// list written out by hand; the reference expansion must agree with it, and
// the model must agree with the reference on the whole list.

#include "tests/model/recurrence_reference.h"

#include <string>
#include <vector>

namespace recurrence_cases {

struct Expected {
    int year;
    int month;
    int day;
    int hour;
    int minute;
};

struct Case {
    const char* name;
    reference::Begin begin;
    reference::Rule rule;
    std::vector<Expected> expected;
    // -1: the list holds exactly `expected`; otherwise its full length.
    int length = -1;
};

inline reference::Rule Daily(int step, int range, int count, reference::Date end = {})
{
    reference::Rule r;
    r.frequency = 2;
    r.step = step;
    r.range = range;
    r.count = count;
    r.endDate = end;
    return r;
}

inline reference::Rule Weekly(int step, std::initializer_list<int> days, int range, int count)
{
    reference::Rule r;
    r.frequency = 3;
    r.step = step;
    for (int d : days) {
        r.weekdays[d] = true;
    }
    r.range = range;
    r.count = count;
    return r;
}

inline reference::Rule MonthlyDay(int step, int dayCode, int count)
{
    reference::Rule r;
    r.frequency = 4;
    r.step = step;
    r.dayCode = dayCode;
    r.range = 1;
    r.count = count;
    return r;
}

inline reference::Rule MonthlyWeekday(int step, int ordinal, int weekday, int count)
{
    reference::Rule r;
    r.frequency = 4;
    r.step = step;
    r.ordinal = ordinal;
    r.weekday = weekday;
    r.range = 1;
    r.count = count;
    return r;
}

inline reference::Rule AnnualDay(int step, int dayCode, int month, int count)
{
    reference::Rule r;
    r.frequency = 5;
    r.step = step;
    r.dayCode = dayCode;
    r.month = month;
    r.range = 1;
    r.count = count;
    return r;
}

inline reference::Rule AnnualWeekday(int step, int ordinal, int weekday, int month, int count)
{
    reference::Rule r;
    r.frequency = 5;
    r.step = step;
    r.ordinal = ordinal;
    r.weekday = weekday;
    r.month = month;
    r.range = 1;
    r.count = count;
    return r;
}

inline reference::Rule Hourly(int hours, int minutes, int range, int count, reference::Date end = {})
{
    reference::Rule r;
    r.frequency = 1;
    r.hourlyHours = hours;
    r.hourlyMinutes = minutes;
    r.range = range;
    r.count = count;
    r.endDate = end;
    return r;
}

inline reference::Rule WithPreview(reference::Rule r, int maximum)
{
    r.previewMaximum = maximum;
    return r;
}

inline reference::Begin At(int year, int month, int day, int hour = 99, int minute = 0, int second = 0)
{
    return {{year, month, day}, hour, minute, second};
}

inline std::vector<Case> All()
{
    return {
        {"DailyCountThree",
         At(2024, 3, 10, 8, 30),
         Daily(1, 1, 3),
         {{2024, 3, 11, 8, 30}, {2024, 3, 12, 8, 30}, {2024, 3, 13, 8, 30}}},
        {"DailyAfterMidnightAcrossAutumnChange",
         At(2024, 10, 25, 0, 30),
         Daily(1, 1, 5),
         {{2024, 10, 26, 0, 30},
          {2024, 10, 27, 0, 30},
          {2024, 10, 28, 0, 30},
          {2024, 10, 29, 0, 30},
          {2024, 10, 30, 0, 30}}},
        {"DailyBeforeMidnightAcrossSpringChange",
         At(2025, 3, 28, 23, 30),
         Daily(1, 1, 4),
         {{2025, 3, 29, 23, 30}, {2025, 3, 30, 23, 30}, {2025, 3, 31, 23, 30}, {2025, 4, 1, 23, 30}}},
        {"DailyInsideTheSpringGap",
         At(2024, 3, 29, 2, 30),
         Daily(1, 1, 4),
         {{2024, 3, 30, 2, 30}, {2024, 3, 31, 2, 30}, {2024, 4, 1, 2, 30}, {2024, 4, 2, 2, 30}}},
        {"DailyEveryTenthDayOverYearEnd",
         At(2024, 12, 20, 18, 0),
         Daily(10, 1, 3),
         {{2024, 12, 30, 18, 0}, {2025, 1, 9, 18, 0}, {2025, 1, 19, 18, 0}}},
        {"DailyEndDateOnARuleDay",
         At(2024, 3, 1, 8, 0),
         Daily(1, 2, 0, {2024, 3, 5}),
         {{2024, 3, 2, 8, 0}, {2024, 3, 3, 8, 0}, {2024, 3, 4, 8, 0}}},
        {"DailyCountZero", At(2024, 3, 1, 8, 0), Daily(1, 1, 0), {}},
        {"DailyWithoutEnd", At(2024, 1, 1, 12, 0), Daily(1, 0, 0), {{2024, 1, 2, 12, 0}}, 1000},
        {"DailyDateOnlyAtSeven",
         At(2024, 2, 27),
         Daily(1, 1, 3),
         {{2024, 2, 28, 7, 0}, {2024, 2, 29, 7, 0}, {2024, 3, 1, 7, 0}}},
        {"WeeklySundayAfterMidnight",
         At(2024, 10, 20, 0, 30),
         Weekly(1, {7}, 1, 3),
         {{2024, 10, 27, 0, 30}, {2024, 11, 3, 0, 30}, {2024, 11, 10, 0, 30}}},
        {"WeeklySundayBeforeMidnight",
         At(2025, 3, 23, 23, 30),
         Weekly(1, {7}, 1, 2),
         {{2025, 3, 30, 23, 30}, {2025, 4, 6, 23, 30}}},
        {"WeeklyMondayWednesdayEveryTwoWeeks",
         At(2024, 3, 6, 10, 0),
         Weekly(2, {1, 3}, 1, 4),
         {{2024, 3, 18, 10, 0}, {2024, 3, 20, 10, 0}, {2024, 4, 1, 10, 0}, {2024, 4, 3, 10, 0}}},
        {"WeeklyMondayWednesdayDateOnly",
         At(2024, 3, 6),
         Weekly(2, {1, 3}, 1, 4),
         {{2024, 3, 6, 7, 0}, {2024, 3, 18, 7, 0}, {2024, 3, 20, 7, 0}, {2024, 4, 1, 7, 0}}},
        {"WeeklyEveryDayPreviewEleven",
         At(2024, 12, 28, 9, 15),
         WithPreview(Weekly(1, {1, 2, 3, 4, 5, 6, 7}, 0, 0), 11),
         {{2024, 12, 29, 9, 15}, {2024, 12, 30, 9, 15}},
         11},
        {"WeeklyWithoutEnd", At(2024, 1, 1, 12, 0), Weekly(1, {1}, 0, 0), {{2024, 1, 8, 12, 0}}, 1000},
        {"MonthlyLastDay",
         At(2024, 1, 31, 9, 0),
         MonthlyDay(1, 99, 3),
         {{2024, 2, 29, 9, 0}, {2024, 3, 31, 9, 0}, {2024, 4, 30, 9, 0}}},
        {"MonthlyThreeDaysBeforeLast",
         At(2024, 1, 10, 12, 0),
         MonthlyDay(1, 96, 3),
         {{2024, 2, 26, 12, 0}, {2024, 3, 28, 12, 0}, {2024, 4, 27, 12, 0}}},
        {"MonthlyEveryFourteenMonths",
         At(2024, 11, 15, 10, 0),
         MonthlyDay(14, 15, 2),
         {{2026, 1, 15, 10, 0}, {2027, 3, 15, 10, 0}}},
        {"MonthlyDateOnlyListsItsOwnDate",
         At(2024, 5, 3),
         MonthlyDay(1, 20, 3),
         {{2024, 5, 3, 7, 0}, {2024, 6, 20, 7, 0}, {2024, 7, 20, 7, 0}}},
        {"MonthlySecondTuesday",
         At(2024, 2, 20, 18, 0),
         MonthlyWeekday(1, 2, 2, 2),
         {{2024, 3, 12, 18, 0}, {2024, 4, 9, 18, 0}}},
        {"MonthlyLastFriday",
         At(2024, 2, 20, 18, 0),
         MonthlyWeekday(1, 99, 5, 2),
         {{2024, 2, 23, 18, 0}, {2024, 3, 29, 18, 0}}},
        {"MonthlyFirstMondayEveryThirdMonth",
         At(2024, 11, 4, 8, 0),
         MonthlyWeekday(3, 1, 1, 3),
         {{2025, 2, 3, 8, 0}, {2025, 5, 5, 8, 0}, {2025, 8, 4, 8, 0}}},
        {"AnnualFifteenthOfAugust",
         At(2020, 8, 15, 10, 0),
         AnnualDay(1, 15, 8, 3),
         {{2021, 8, 15, 10, 0}, {2022, 8, 15, 10, 0}, {2023, 8, 15, 10, 0}}},
        {"AnnualLastDayOfFebruary",
         At(2023, 2, 28, 6, 0),
         AnnualDay(1, 99, 2, 3),
         {{2024, 2, 29, 6, 0}, {2025, 2, 28, 6, 0}, {2026, 2, 28, 6, 0}}},
        {"AnnualLastSundayOfOctober",
         At(2024, 1, 15, 9, 0),
         AnnualWeekday(1, 99, 7, 10, 2),
         {{2024, 10, 27, 9, 0}, {2025, 10, 26, 9, 0}}},
        {"AnnualSecondTuesdayOfMarchAfterMarch",
         At(2024, 6, 1, 9, 0),
         AnnualWeekday(1, 2, 2, 3, 2),
         {{2025, 3, 11, 9, 0}, {2026, 3, 10, 9, 0}}},
        {"HourlySixAcrossAutumnChange",
         At(2024, 10, 26, 18, 0),
         Hourly(6, 0, 1, 3),
         {{2024, 10, 27, 0, 0}, {2024, 10, 27, 5, 0}, {2024, 10, 27, 11, 0}}},
        {"HourlyThreeThirtyAcrossSpringChange",
         At(2025, 3, 29, 20, 0),
         Hourly(3, 30, 1, 2),
         {{2025, 3, 29, 23, 30}, {2025, 3, 30, 4, 0}}},
        {"HourlyEndDate",
         At(2024, 5, 1, 20, 0),
         Hourly(1, 30, 2, 0, {2024, 5, 2}),
         {{2024, 5, 1, 21, 30}, {2024, 5, 1, 23, 0}}},
        {"HourlyHundredHours", At(2024, 5, 1, 20, 0), Hourly(100, 0, 1, 2), {{2024, 5, 6, 0, 0}, {2024, 5, 10, 4, 0}}},
        // A Begin with seconds is still Begin: every form skips it alike.
        {"WeeklyBeginWithSeconds",
         At(2024, 5, 15, 10, 0, 30),
         Weekly(1, {3}, 1, 3),
         {{2024, 5, 22, 10, 0}, {2024, 5, 29, 10, 0}, {2024, 6, 5, 10, 0}}},
        {"DailyBeginWithSeconds",
         At(2024, 3, 10, 8, 30, 45),
         Daily(1, 1, 3),
         {{2024, 3, 11, 8, 30}, {2024, 3, 12, 8, 30}, {2024, 3, 13, 8, 30}}},
        {"MonthlyLastDayBeginWithSeconds",
         At(2024, 1, 31, 9, 0, 15),
         MonthlyDay(1, 99, 3),
         {{2024, 2, 29, 9, 0}, {2024, 3, 31, 9, 0}, {2024, 4, 30, 9, 0}}},
        {"MonthlySecondTuesdayBeginWithSeconds",
         At(2024, 3, 12, 18, 0, 59),
         MonthlyWeekday(1, 2, 2, 2),
         {{2024, 4, 9, 18, 0}, {2024, 5, 14, 18, 0}}},
        {"AnnualFifteenthOfAugustBeginWithSeconds",
         At(2020, 8, 15, 10, 0, 1),
         AnnualDay(1, 15, 8, 2),
         {{2021, 8, 15, 10, 0}, {2022, 8, 15, 10, 0}}},
        {"AnnualLastSundayOfOctoberBeginWithSeconds",
         At(2024, 10, 27, 9, 0, 30),
         AnnualWeekday(1, 99, 7, 10, 2),
         {{2025, 10, 26, 9, 0}, {2026, 10, 25, 9, 0}}},
        {"HourlyBeginWithSeconds",
         At(2024, 5, 1, 20, 0, 30),
         Hourly(1, 30, 1, 2),
         {{2024, 5, 1, 21, 30}, {2024, 5, 1, 23, 0}}},
    };
}

} // namespace recurrence_cases
