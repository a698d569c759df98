#include "model/record.h"
#include "tests/model/model_test_support.h"
#include "tests/model/recurrence_cases.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <utility>

namespace {

// The rule as the service writes it, built here by hand.
std::string RuleText(const reference::Rule& rule)
{
    char buffer[512];
    std::string text = "{";
    std::snprintf(buffer, sizeof buffer, "\"Range\":%d", rule.range);
    text += buffer;
    if (rule.range == 1) {
        std::snprintf(buffer, sizeof buffer, ",\"Count\":%d", rule.count);
        text += buffer;
    }
    if (rule.range == 2) {
        std::snprintf(buffer, sizeof buffer, ",\"EndDate_Date\":\"%04d-%02d-%02d\"", rule.endDate.year,
                      rule.endDate.month, rule.endDate.day);
        text += buffer;
    }
    switch (rule.frequency) {
    case 1:
        std::snprintf(buffer, sizeof buffer, ",\"RepeatHourly\":\"%02d:%02d:00\"", rule.hourlyHours,
                      rule.hourlyMinutes);
        break;
    case 2:
        std::snprintf(buffer, sizeof buffer, ",\"RepeatDaily\":%d", rule.step);
        break;
    case 3: {
        int n = std::snprintf(buffer, sizeof buffer, ",\"RepeatWeekly\":%d", rule.step);
        for (int d = 1; d <= 7; ++d) {
            n += std::snprintf(buffer + n, sizeof buffer - n, ",\"RepeatWeeklyDay%d\":%d", d, rule.weekdays[d] ? 1 : 0);
        }
        break;
    }
    case 4:
        std::snprintf(buffer, sizeof buffer,
                      ",\"RepeatMonthly\":%d,\"RepeatMonthlyDayOfMonth\":%d,\"RepeatMonthlyDayOfWeekInMonth1\":%d,"
                      "\"RepeatMonthlyDayOfWeekInMonth2\":%d",
                      rule.step, rule.dayCode, rule.ordinal, rule.weekday);
        break;
    case 5:
        std::snprintf(buffer, sizeof buffer,
                      ",\"RepeatAnnually\":%d,\"RepeatAnnuallyDayInMonth1\":%d,\"RepeatAnnuallyDayInMonth2\":%d,"
                      "\"RepeatAnnuallyDayOfWeekInMonth1\":%d,\"RepeatAnnuallyDayOfWeekInMonth2\":%d,"
                      "\"RepeatAnnuallyDayOfWeekInMonth3\":%d",
                      rule.step, rule.dayCode > 0 ? rule.dayCode : 0, rule.dayCode > 0 ? rule.month : 0, rule.ordinal,
                      rule.weekday, rule.dayCode > 0 ? 0 : rule.month);
        break;
    default:
        buffer[0] = 0;
        break;
    }
    text += buffer;
    return text + "}";
}

void SetUpRecord(TNPIMRecord& record, const reference::Begin& begin, const reference::Rule& rule)
{
    record.ID = 4711;
    record.HasBegin = true;
    record.Begin.SetDateTime(begin.date.day, begin.date.month, begin.second, begin.minute, begin.hour, begin.date.year);
    record.RecurrenceFrequency = rule.frequency;
    record.RecurrenceSettings.Set(RuleText(rule).c_str());
}

std::vector<std::string> Listed(const TNPIMRecord& record)
{
    std::vector<std::string> out;
    for (const TNRecurrenceEntry& e : record.RecurrenceArray) {
        out.push_back(reference::ToText({e.Year, e.Month, e.Day, e.Hour, e.Minute, e.Weekday}));
    }
    return out;
}

std::vector<std::string> Listed(const std::vector<reference::Occurrence>& list)
{
    std::vector<std::string> out;
    for (const reference::Occurrence& o : list) {
        out.push_back(reference::ToText(o));
    }
    return out;
}

TEST(TNPIMRecord, ExpansionListsWhatTheReferenceLists)
{
    model_test::Environment environment;
    for (const recurrence_cases::Case& c : recurrence_cases::All()) {
        SCOPED_TRACE(c.name);
        TNPIMRecord record;
        SetUpRecord(record, c.begin, c.rule);
        int32_t counted = record.CreateRecurrenceArray(false, c.rule.previewMaximum);
        std::vector<std::string> expected = Listed(reference::Expand(c.begin, c.rule));
        EXPECT_EQ(Listed(record), expected);
        EXPECT_EQ(counted, static_cast<int32_t>(expected.size()));
    }
}

// Rules over many starting days and steps, so every month length, leap day
// and change of clock meets the arithmetic somewhere.
TEST(TNPIMRecord, ExpansionAgreesWithTheReferenceOverManyStarts)
{
    model_test::Environment environment;
    int checked = 0;
    for (int dayOffset = 0; dayOffset < 400; dayOffset += 7) {
        reference::Date start = reference::FromDayNumber(reference::DayNumber(2023, 12, 20) + dayOffset);
        for (auto [hour, second] : {std::pair{0, 0}, {2, 0}, {23, 0}, {99, 0}, {10, 45}}) {
            reference::Begin begin{start, hour, hour == 99 ? 0 : 30, second};
            std::vector<reference::Rule> rules;
            rules.push_back(recurrence_cases::Daily(1 + dayOffset % 5, 1, 40));
            rules.push_back(recurrence_cases::Weekly(1 + dayOffset % 3, {1, 4, 7}, 1, 30));
            rules.push_back(recurrence_cases::MonthlyDay(1 + dayOffset % 4, 96 + dayOffset % 4, 20));
            rules.push_back(recurrence_cases::MonthlyDay(1, 1 + dayOffset % 28, 20));
            rules.push_back(
                recurrence_cases::MonthlyWeekday(1 + dayOffset % 2, 1 + dayOffset % 4, 1 + dayOffset % 7, 20));
            rules.push_back(recurrence_cases::MonthlyWeekday(1, 99, 7, 20));
            rules.push_back(recurrence_cases::AnnualDay(1, 99, 2, 8));
            rules.push_back(recurrence_cases::AnnualWeekday(2, 99, 7, 3, 8));
            rules.push_back(
                recurrence_cases::AnnualWeekday(1, 1 + dayOffset % 4, 1 + dayOffset % 7, 1 + dayOffset % 12, 8));
            rules.push_back(recurrence_cases::Hourly(1 + dayOffset % 30, 15, 1, 60));
            reference::Rule ending = recurrence_cases::Daily(2, 2, 0);
            ending.endDate = reference::FromDayNumber(reference::DayNumber(start.year, start.month, start.day) + 9);
            rules.push_back(ending);
            for (const reference::Rule& rule : rules) {
                TNPIMRecord record;
                SetUpRecord(record, begin, rule);
                record.CreateRecurrenceArray(false, 0);
                ASSERT_EQ(Listed(record), Listed(reference::Expand(begin, rule)))
                    << RuleText(rule) << " from " << start.year << "-" << start.month << "-" << start.day << " "
                    << "hour " << hour << " second " << second;
                ++checked;
            }
        }
    }
    EXPECT_GT(checked, 2000);
}

TEST(TNPIMRecord, RulesOutsideTheirRangesListNothingAndLogOnce)
{
    struct Case {
        const char* name;
        int frequency;
        const char* settings;
    };
    const Case cases[] = {
        {"DailyZero", 2, "{\"Range\":0,\"RepeatDaily\":0}"},
        {"DailyMissing", 2, "{\"Range\":0}"},
        {"WeeklyZero", 3, "{\"Range\":0,\"RepeatWeekly\":0,\"RepeatWeeklyDay1\":1}"},
        {"MonthlyZero", 4, "{\"Range\":0,\"RepeatMonthly\":0,\"RepeatMonthlyDayOfMonth\":5}"},
        {"AnnualZero", 5,
         "{\"Range\":0,\"RepeatAnnually\":0,\"RepeatAnnuallyDayInMonth1\":5,"
         "\"RepeatAnnuallyDayInMonth2\":5}"},
        {"HourlyZero", 1, "{\"Range\":0,\"RepeatHourly\":\"00:00:00\"}"},
        {"HourlyMinutes", 1, "{\"Range\":0,\"RepeatHourly\":\"01:75:00\"}"},
        {"HourlyAboveAWeek", 1, "{\"Range\":0,\"RepeatHourly\":\"169:00:00\"}"},
        {"StepThousand", 2, "{\"Range\":0,\"RepeatDaily\":1000}"},
        {"DayCodeFifty", 4, "{\"Range\":0,\"RepeatMonthly\":1,\"RepeatMonthlyDayOfMonth\":50}"},
        {"OrdinalFive", 4,
         "{\"Range\":0,\"RepeatMonthly\":1,\"RepeatMonthlyDayOfWeekInMonth1\":5,"
         "\"RepeatMonthlyDayOfWeekInMonth2\":2}"},
        {"WeekdayEight", 5,
         "{\"Range\":0,\"RepeatAnnually\":1,\"RepeatAnnuallyDayOfWeekInMonth1\":1,"
         "\"RepeatAnnuallyDayOfWeekInMonth2\":8,\"RepeatAnnuallyDayOfWeekInMonth3\":3}"},
        {"MonthThirteen", 5,
         "{\"Range\":0,\"RepeatAnnually\":1,\"RepeatAnnuallyDayInMonth1\":5,"
         "\"RepeatAnnuallyDayInMonth2\":13}"},
        {"WeekdayRuleMonthThirteen", 5,
         "{\"Range\":0,\"RepeatAnnually\":1,\"RepeatAnnuallyDayOfWeekInMonth1\":2,"
         "\"RepeatAnnuallyDayOfWeekInMonth2\":2,\"RepeatAnnuallyDayOfWeekInMonth3\":13}"},
    };
    model_test::Environment environment;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        model_test::LogCapture log;
        TNPIMRecord record;
        record.Begin.SetDateTime(10, 3, 0, 30, 8, 2024);
        record.RecurrenceFrequency = c.frequency;
        record.RecurrenceSettings.Set(c.settings);
        EXPECT_EQ(record.CreateRecurrenceArray(true, 0), 0);
        EXPECT_TRUE(record.RecurrenceArray.empty());
        EXPECT_EQ(log.CountContaining("[TNPIMRecord::CreateRecurrenceArray][ERROR] "), 1);
    }
}

TEST(TNPIMRecord, RulesWithoutAFormListNothingQuietly)
{
    const std::pair<int, const char*> cases[] = {
        {3, "{\"Range\":0,\"RepeatWeekly\":1}"},
        {4, "{\"Range\":0,\"RepeatMonthly\":1}"},
        {5, "{\"Range\":0,\"RepeatAnnually\":1}"},
        {0, "{\"Range\":0,\"RepeatDaily\":1}"},
    };
    model_test::Environment environment;
    for (const auto& [frequency, settings] : cases) {
        SCOPED_TRACE(settings);
        model_test::LogCapture log;
        TNPIMRecord record;
        record.Begin.SetDateTime(10, 3, 0, 30, 8, 2024);
        record.RecurrenceFrequency = frequency;
        record.RecurrenceSettings.Set(settings);
        EXPECT_EQ(record.CreateRecurrenceArray(false, 0), 0);
        EXPECT_EQ(log.CountContaining("[ERROR]"), 0);
    }
}

int CountOf(const TNString& text, char ch)
{
    return static_cast<int>(std::count(text.Text, text.Text + text.Length, ch));
}

TEST(TNPIMRecord, RequestStringsHoldAHundredOccurrencesEach)
{
    model_test::Environment environment;
    TNPIMRecord record;
    record.Begin.SetDateTime(1, 1, 0, 30, 8, 2024);
    record.RecurrenceFrequency = rfDaily;
    record.RecurrenceSettings.Set("{\"Range\":1,\"Count\":250,\"RepeatDaily\":1}");
    ASSERT_EQ(record.CreateRecurrenceArray(true, 0), 250);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(std::string(record.RecurrenceDates[i].Text, 3), "&d=") << i;
        EXPECT_EQ(std::string(record.RecurrenceTimes[i].Text, 3), "&t=") << i;
        EXPECT_EQ(CountOf(record.RecurrenceDates[i], ';'), i < 2 ? 100 : 50) << i;
        EXPECT_EQ(CountOf(record.RecurrenceTimes[i], ';'), i < 2 ? 100 : 50) << i;
    }
    for (int i = 3; i < TNPIMRecord::kRequestStrings; ++i) {
        EXPECT_TRUE(record.RecurrenceDates[i].IsEmpty()) << i;
        EXPECT_TRUE(record.RecurrenceTimes[i].IsEmpty()) << i;
    }
    EXPECT_EQ(std::string(record.RecurrenceDates[0].Text).substr(0, 32), "&d=2024%2D01%2D02;2024%2D01%2D03");
    EXPECT_EQ(std::string(record.RecurrenceTimes[0].Text).substr(0, 17), "&t=08%3A30%3A00;0");
    EXPECT_EQ(std::string(record.RecurrenceDates[2].Text).substr(0, 18), "&d=2024%2D07%2D20;");

    // A thousand candidates fill all ten; the last is sent but not counted.
    record.RecurrenceSettings.Set("{\"Range\":0,\"RepeatDaily\":1}");
    EXPECT_EQ(record.CreateRecurrenceArray(true, 0), 999);
    EXPECT_EQ(record.RecurrenceArray.size(), 1000u);
    for (int i = 0; i < TNPIMRecord::kRequestStrings; ++i) {
        EXPECT_EQ(CountOf(record.RecurrenceDates[i], ';'), 100) << i;
        EXPECT_EQ(CountOf(record.RecurrenceTimes[i], ';'), 100) << i;
    }
    EXPECT_NE(std::string(record.RecurrenceDates[9].Text).find("2026%2D09%2D27;"), std::string::npos);

    // A shorter expansion after it keeps nothing of the longer one.
    record.RecurrenceSettings.Set("{\"Range\":1,\"Count\":2,\"RepeatDaily\":1}");
    ASSERT_EQ(record.CreateRecurrenceArray(true, 0), 2);
    EXPECT_EQ(std::string(record.RecurrenceDates[0].Text), "&d=2024%2D01%2D02;2024%2D01%2D03;");
    EXPECT_EQ(std::string(record.RecurrenceTimes[0].Text), "&t=08%3A30%3A00;08%3A30%3A00;");
    for (int i = 1; i < TNPIMRecord::kRequestStrings; ++i) {
        EXPECT_TRUE(record.RecurrenceDates[i].IsEmpty()) << i;
    }
}

TEST(TNPIMRecord, SetsAnEntryFromATimeInsideTheArrayOnly)
{
    model_test::Environment environment;
    TNPIMRecord record;
    ASSERT_TRUE(record.ResizeRecurrenceArray(2));
    TNTime time;
    time.SetDateTime(31, 12, 0, 59, 23, 2099);
    EXPECT_TRUE(record.SetRecurrenceArrayValues(1, time));
    EXPECT_FALSE(record.SetRecurrenceArrayValues(2, time));
    EXPECT_FALSE(record.SetRecurrenceArrayValues(-1, time));
    const TNRecurrenceEntry& e = record.RecurrenceArray[1];
    EXPECT_EQ(reference::ToText({e.Year, e.Month, e.Day, e.Hour, e.Minute, e.Weekday}), "2099-12-31 23:59 (4)");
    EXPECT_EQ(record.RecurrenceArray[0].Year, 0);
    ASSERT_TRUE(record.ResizeRecurrenceArray(0));
    EXPECT_TRUE(record.RecurrenceArray.empty());
}

TEST(TNPIMRecord, YearlyCopiesOfTheTwentyNinthOfFebruary)
{
    model_test::Environment environment;
    TNTime master;
    master.SetDateTime(29, 2, 0, 0, 99, 2024);
    const int expected[][3] = {{2025, 2, 28}, {2026, 2, 28}, {2027, 2, 28}, {2028, 2, 29}, {2100, 2, 28}};
    for (const auto& e : expected) {
        TNTime copy;
        copy.Copy(&master);
        TNPIMRecord::SetYearlyCopyDate(copy, master, e[0]);
        EXPECT_EQ(copy.Rok, e[0]);
        EXPECT_EQ(copy.Mesic, e[1]) << e[0];
        EXPECT_EQ(copy.Den, e[2]) << e[0];
        EXPECT_EQ(copy.Hodina, TNTime::NoTime);
    }
    TNTime may;
    may.SetDateTime(17, 5, 0, 45, 9, 1990);
    TNTime copy;
    copy.Copy(&may);
    TNPIMRecord::SetYearlyCopyDate(copy, may, 2031);
    EXPECT_EQ(copy.Den, 17);
    EXPECT_EQ(copy.Mesic, 5);
    EXPECT_EQ(copy.Rok, 2031);
    EXPECT_EQ(copy.Hodina, 9);
    EXPECT_EQ(copy.Minuta, 45);
}

} // namespace
