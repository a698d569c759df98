#include "model/pim.h"
#include "model/record.h"
#include "tests/model/model_test_support.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>

namespace {

std::string Values(const TNPIMRecord& r)
{
    char text[512];
    std::snprintf(text, sizeof text,
                  "range %d count %d end %04u-%02u-%02u hourly %u:%02u daily %d weekly %d [%d%d%d%d%d%d%d] monthly %d "
                  "%d %d %d annually %d %d %d %d %d %d",
                  r.Range, r.Count, r.EndDate.Rok, r.EndDate.Mesic, r.EndDate.Den, r.RepeatHourly.Hodina,
                  r.RepeatHourly.Minuta, r.RepeatDaily, r.RepeatWeekly, r.RepeatWeeklyDay1, r.RepeatWeeklyDay2,
                  r.RepeatWeeklyDay3, r.RepeatWeeklyDay4, r.RepeatWeeklyDay5, r.RepeatWeeklyDay6, r.RepeatWeeklyDay7,
                  r.RepeatMonthly, r.RepeatMonthlyDayOfMonth, r.RepeatMonthlyDayOfWeekInMonth1,
                  r.RepeatMonthlyDayOfWeekInMonth2, r.RepeatAnnually, r.RepeatAnnuallyDayInMonth1,
                  r.RepeatAnnuallyDayInMonth2, r.RepeatAnnuallyDayOfWeekInMonth1, r.RepeatAnnuallyDayOfWeekInMonth2,
                  r.RepeatAnnuallyDayOfWeekInMonth3);
    return text;
}

struct Rule {
    const char* name;
    int frequency;
    std::function<void(TNPIMRecord&)> set;
};

const Rule kRules[] = {
    {"HourlyHundredHours", rfHourly,
     [](TNPIMRecord& r) {
         r.Range = 1;
         r.Count = 5;
         r.RepeatHourly.Hodina = 100;
         r.RepeatHourly.Minuta = 30;
     }},
    {"DailyUntil", rfDaily,
     [](TNPIMRecord& r) {
         r.Range = 2;
         r.EndDate.SetDate(31, 12, 2024);
         r.RepeatDaily = 3;
     }},
    {"Weekly", rfWeekly,
     [](TNPIMRecord& r) {
         r.Range = 0;
         r.RepeatWeekly = 2;
         r.RepeatWeeklyDay1 = 1;
         r.RepeatWeeklyDay3 = 1;
         r.RepeatWeeklyDay7 = 1;
     }},
    {"MonthlyDay", rfMonthly,
     [](TNPIMRecord& r) {
         r.Range = 1;
         r.Count = 12;
         r.RepeatMonthly = 14;
         r.RepeatMonthlyDayOfMonth = 99;
     }},
    {"MonthlyWeekday", rfMonthly,
     [](TNPIMRecord& r) {
         r.Range = 2;
         r.EndDate.SetDate(29, 2, 2028);
         r.RepeatMonthly = 1;
         r.RepeatMonthlyDayOfWeekInMonth1 = 99;
         r.RepeatMonthlyDayOfWeekInMonth2 = 5;
     }},
    {"AnnualDay", rfAnnually,
     [](TNPIMRecord& r) {
         r.Range = 1;
         r.Count = 3;
         r.RepeatAnnually = 1;
         r.RepeatAnnuallyDayInMonth1 = 15;
         r.RepeatAnnuallyDayInMonth2 = 8;
     }},
    {"AnnualWeekday", rfAnnually,
     [](TNPIMRecord& r) {
         r.Range = 0;
         r.RepeatAnnually = 2;
         r.RepeatAnnuallyDayOfWeekInMonth1 = 2;
         r.RepeatAnnuallyDayOfWeekInMonth2 = 2;
         r.RepeatAnnuallyDayOfWeekInMonth3 = 3;
     }},
};

TEST(TNPIMRecord, RecurrenceTextReadsBackWhatItWrote)
{
    model_test::Environment environment;
    for (const Rule& rule : kRules) {
        SCOPED_TRACE(rule.name);
        TNPIMRecord written;
        written.RecurrenceFrequency = rule.frequency;
        rule.set(written);
        written.StringifyRecurrenceSettingsToJSON();

        TNPIMRecord read;
        read.RecurrenceFrequency = rule.frequency;
        read.RecurrenceSettings = written.RecurrenceSettings;
        read.ParseRecurrenceSettingsFromJSON();
        EXPECT_EQ(Values(read), Values(written)) << written.RecurrenceSettings.Text;
    }
}

TEST(TNPIMRecord, RecurrenceTextSurvivesASaveAndALoad)
{
    model_test::Environment environment;
    for (const Rule& rule : kRules) {
        SCOPED_TRACE(rule.name);
        model_test::DataSet set;
        TNPIMRecord& record = set.NewRecord();
        record.ID = 900;
        record.RecurrenceFrequency = rule.frequency;
        rule.set(record);
        record.StringifyRecurrenceSettingsToJSON();
        set.Queue(raftRecord, record.ID, 0);
        set.WriteQueued(record, raftRecord, record.ID);

        set.Reopen();
        TNPIMRecord loaded(&set.Pim());
        ASSERT_TRUE(set.ReadStored(raftRecord, 900, [&](plat::ByteReader& in) { return loaded.Load(in); }));
        EXPECT_EQ(Values(loaded), Values(record));
    }
}

TEST(TNPIMRecord, RecurrenceTextWrittenInItsServiceForm)
{
    TNPIMRecord record;
    record.RecurrenceFrequency = rfWeekly;
    record.Range = 1;
    record.Count = 5;
    record.RepeatWeekly = 1;
    record.RepeatWeeklyDay1 = 1;
    record.StringifyRecurrenceSettingsToJSON();
    EXPECT_EQ(record.RecurrenceSettings.View(),
              std::string("{\"Range\":1,\"Count\":5,\"RepeatWeekly\":1,\"RepeatWeeklyDay1\":1,\"RepeatWeeklyDay2\":0,"
                          "\"RepeatWeeklyDay3\":0,\"RepeatWeeklyDay4\":0,\"RepeatWeeklyDay5\":0,"
                          "\"RepeatWeeklyDay6\":0,\"RepeatWeeklyDay7\":0}"));

    record.RecurrenceFrequency = rfDaily;
    record.Range = 2;
    record.EndDate.SetDate(5, 3, 2024);
    record.RepeatDaily = 2;
    record.StringifyRecurrenceSettingsToJSON();
    EXPECT_EQ(record.RecurrenceSettings.View(),
              std::string("{\"Range\":2,\"EndDate\":\"2024-03-05\",\"RepeatDaily\":2}"));
}

TEST(TNPIMRecord, RecurrenceTextReadsEitherEndDateKey)
{
    struct Case {
        const char* text;
        int day;
    };
    const Case cases[] = {
        {"{\"Range\":2,\"EndDate_Date\":\"2025-03-15\"}", 15},
        {"{\"Range\":2,\"EndDate\":\"2025-03-16\"}", 16},
        {"{\"Range\":2,\"EndDate\":\"2025-03-16\",\"EndDate_Date\":\"2025-03-17\"}", 17},
    };
    for (const Case& c : cases) {
        TNPIMRecord record;
        record.RecurrenceSettings.Set(c.text);
        record.ParseRecurrenceSettingsFromJSON();
        EXPECT_EQ(record.EndDate.Den, c.day) << c.text;
        EXPECT_EQ(record.EndDate.Mesic, 3);
        EXPECT_EQ(record.EndDate.Rok, 2025);
    }
}

TEST(TNPIMRecord, HourlyStepsAreReadAsHoursAndMinutes)
{
    struct Case {
        const char* value;
        int hours;
        int minutes;
    };
    const Case cases[] = {
        {"06:00:00", 6, 0}, {"48:00:00", 48, 0},  {"100:00:00", 100, 0}, {"168:59:00", 168, 59},
        {"3:30:00", 3, 30}, {"1000:00:00", 7, 7}, {"ab:00:00", 7, 7},    {"12", 7, 7},
    };
    for (const Case& c : cases) {
        TNPIMRecord record;
        record.RepeatHourly.Hodina = 7;
        record.RepeatHourly.Minuta = 7;
        std::string text = std::string("{\"RepeatHourly\":\"") + c.value + "\"}";
        record.RecurrenceSettings.Set(text.c_str());
        record.ParseRecurrenceSettingsFromJSON();
        EXPECT_EQ(record.RepeatHourly.Hodina, c.hours) << c.value;
        EXPECT_EQ(record.RepeatHourly.Minuta, c.minutes) << c.value;
    }
}

TEST(TNPIMRecord, RecurrenceTextResetsValuesItDoesNotHold)
{
    TNPIMRecord record;
    record.RecurrenceSettings.Set("{\"Range\":2,\"EndDate\":\"2025-03-16\",\"RepeatWeekly\":2,\"RepeatWeeklyDay4\":1,"
                                  "\"RepeatMonthly\":3,\"RepeatAnnually\":4}");
    record.ParseRecurrenceSettingsFromJSON();
    record.RecurrenceSettings.Set("{\"Range\":1,\"Count\":4,\"RepeatDaily\":1}");
    record.ParseRecurrenceSettingsFromJSON();
    EXPECT_EQ(Values(record), "range 1 count 4 end 2025-03-16 hourly 12:00 daily 1 weekly 0 [0000000] monthly 0 0 0 "
                              "0 annually 0 0 0 0 0 0");
}

} // namespace
