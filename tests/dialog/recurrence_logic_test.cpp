// The recurrence page's window-free rules: the choosers' mapping, the
// presets from a record and today, the shown components, the rule the
// components give with its text, the checks of OK and the preview text.

#include "dialog/recurrence_logic.h"

#include "foundation/common.h"
#include "foundation/time.h"
#include "model/record.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

namespace {

class RecurrenceLogicTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        setenv("TZ", "Europe/Prague", 1);
        tzset();
        TNCommon::SetTimeZoneOffset(TNCommon::SystemTimeZoneOffset());
    }
};

// Thursday 11 June 2026.
constexpr TNRecurrenceToday kToday{2026, 6, 11, 4};

TEST_F(RecurrenceLogicTest, ChooserEntriesMapToRuleValuesBothWays)
{
    for (int32_t index = 0; index <= 32; ++index) {
        const int32_t value = RecurrenceDayValue(index);
        EXPECT_EQ(value, index <= 28 ? index : index + 67) << index;
        EXPECT_EQ(RecurrenceDayIndex(value), index) << index;
    }
    for (int32_t index = 0; index <= 5; ++index)
        EXPECT_EQ(RecurrenceWeekIndex(RecurrenceWeekValue(index)), index) << index;
    EXPECT_EQ(RecurrenceWeekValue(5), 99);
    // Values no entry stands for show as unset.
    for (int32_t value : {29, 31, 95, 100, -1})
        EXPECT_EQ(RecurrenceDayIndex(value), 0) << value;
    EXPECT_EQ(RecurrenceWeekIndex(7), 0);
    EXPECT_EQ(RecurrenceMonthlyDayEntries().size(), 33u);
    EXPECT_EQ(RecurrenceMonthlyDayEntries()[32], "Každý poslední den v měsíci");
    EXPECT_EQ(RecurrenceAnnualDayEntries()[29], "Tři dny před koncem měsíce");
    EXPECT_EQ(RecurrenceWeekEntries()[5], "Poslední");
    EXPECT_EQ(RecurrenceMonthEntries()[2], "v březnu");
}

TEST_F(RecurrenceLogicTest, PresetsFromTheRecordAndToday)
{
    struct Row {
        const char* name;
        TNRecurrenceToday today;
        std::function<void(TNPIMRecord&)> stored;
        std::function<void(const TNRecurrenceComponents&)> check;
    };
    const auto nothing = [](TNPIMRecord&) {};
    const Row rows[] = {
        {"monthly day 96", kToday, [](TNPIMRecord& r) { r.RepeatMonthlyDayOfMonth = 96; },
         [](const TNRecurrenceComponents& c) { EXPECT_EQ(c.MonthlyDay, 29); }},
        {"monthly day 97", kToday, [](TNPIMRecord& r) { r.RepeatMonthlyDayOfMonth = 97; },
         [](const TNRecurrenceComponents& c) { EXPECT_EQ(c.MonthlyDay, 30); }},
        {"monthly day 98", kToday, [](TNPIMRecord& r) { r.RepeatMonthlyDayOfMonth = 98; },
         [](const TNRecurrenceComponents& c) { EXPECT_EQ(c.MonthlyDay, 31); }},
        {"monthly day 99, annual day 99", kToday,
         [](TNPIMRecord& r) {
             r.RepeatMonthlyDayOfMonth = 99;
             r.RepeatAnnuallyDayInMonth1 = 99;
             r.RepeatAnnuallyDayInMonth2 = 2;
         },
         [](const TNRecurrenceComponents& c) {
             EXPECT_EQ(c.MonthlyDay, 32);
             EXPECT_EQ(c.AnnualDay, 32);
             EXPECT_EQ(c.AnnualDayMonth, 1);
         }},
        {"week 99 is the last", kToday,
         [](TNPIMRecord& r) {
             r.RepeatMonthlyDayOfWeekInMonth1 = 99;
             r.RepeatMonthlyDayOfWeekInMonth2 = 5;
             r.RepeatAnnuallyDayOfWeekInMonth1 = 99;
         },
         [](const TNRecurrenceComponents& c) {
             EXPECT_EQ(RecurrenceWeekEntries()[static_cast<size_t>(c.MonthlyWeek)], "Poslední");
             EXPECT_EQ(c.MonthlyWeekday, 5);
             // A week without a day keeps the day unset.
             EXPECT_EQ(c.MonthlyDay, 0);
             EXPECT_EQ(c.AnnualWeek, 5);
             EXPECT_EQ(c.AnnualDay, 0);
         }},
        {"weekly Tuesday and Friday", kToday,
         [](TNPIMRecord& r) {
             r.RecurrenceFrequency = rfWeekly;
             r.RepeatWeeklyDay2 = 1;
             r.RepeatWeeklyDay5 = 1;
         },
         [](const TNRecurrenceComponents& c) {
             EXPECT_EQ(c.Frequency, rfWeekly);
             EXPECT_EQ(std::vector<bool>(c.WeeklyDays, c.WeeklyDays + 7),
                       (std::vector<bool>{false, true, false, false, true, false, false}));
         }},
        {"another frequency checks today's weekday only", kToday,
         [](TNPIMRecord& r) {
             r.RecurrenceFrequency = rfDaily;
             r.RepeatWeeklyDay2 = 1;
         },
         [](const TNRecurrenceComponents& c) {
             EXPECT_EQ(std::vector<bool>(c.WeeklyDays, c.WeeklyDays + 7),
                       (std::vector<bool>{false, false, false, true, false, false, false}));
         }},
        {"today the 30th, nothing stored",
         {2026, 4, 30, 4},
         nothing,
         [](const TNRecurrenceComponents& c) {
             EXPECT_EQ(RecurrenceMonthlyDayEntries()[static_cast<size_t>(c.MonthlyDay)],
                       "Nenastaveno. Opakovat podle pravidla níže");
             EXPECT_EQ(c.AnnualDay, 0);
             EXPECT_EQ(c.AnnualDayMonth, 3);
         }},
        {"today the 12th",
         {2026, 5, 12, 2},
         nothing,
         [](const TNRecurrenceComponents& c) {
             EXPECT_EQ(c.MonthlyDay, 12);
             EXPECT_EQ(c.MonthlyWeekday, 2);
             EXPECT_EQ(c.AnnualDay, 12);
             EXPECT_EQ(c.AnnualWeekday, 2);
             EXPECT_EQ(c.AnnualWeekMonth, 4);
         }},
        {"end date at 1.1.1980", kToday, [](TNPIMRecord& r) { r.EndDate.SetDate(1, 1, 1980); },
         [](const TNRecurrenceComponents& c) { EXPECT_EQ(c.EndDate, TNEditorDate::DateOnly(2026, 6, 18)); }},
        {"end date before 1980",
         {2026, 12, 28, 1},
         [](TNPIMRecord& r) { r.EndDate.SetDate(31, 12, 1979); },
         [](const TNRecurrenceComponents& c) { EXPECT_EQ(c.EndDate, TNEditorDate::DateOnly(2027, 1, 4)); }},
        {"a later end date is kept", kToday, [](TNPIMRecord& r) { r.EndDate.SetDate(2, 1, 1980); },
         [](const TNRecurrenceComponents& c) { EXPECT_EQ(c.EndDate, TNEditorDate::DateOnly(1980, 1, 2)); }},
        {"nothing stored", kToday, nothing,
         [](const TNRecurrenceComponents& c) {
             EXPECT_EQ(c.Frequency, 0);
             EXPECT_EQ(c.Range, 0);
             EXPECT_EQ(c.Count, "5");
             EXPECT_EQ(c.HourlyHours, "3");
             EXPECT_EQ(c.HourlyMinutes, "0");
             for (const std::string* interval : {&c.Daily, &c.Weekly, &c.Monthly, &c.Annually})
                 EXPECT_EQ(*interval, "1");
             EXPECT_EQ(c.MonthlyDay, 11);
         }},
        {"stored values", kToday,
         [](TNPIMRecord& r) {
             r.RecurrenceFrequency = rfHourly;
             r.Range = 1;
             r.Count = 12;
             r.RepeatHourly.Hodina = 100;
             r.RepeatHourly.Minuta = 15;
             r.RepeatDaily = 4;
             r.RepeatAnnually = 2;
         },
         [](const TNRecurrenceComponents& c) {
             EXPECT_EQ(c.Frequency, rfHourly);
             EXPECT_EQ(c.Range, 1);
             EXPECT_EQ(c.Count, "12");
             EXPECT_EQ(c.HourlyHours, "100");
             EXPECT_EQ(c.HourlyMinutes, "15");
             EXPECT_EQ(c.Daily, "4");
             EXPECT_EQ(c.Weekly, "1");
             EXPECT_EQ(c.Annually, "2");
         }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        TNPIMRecord record;
        row.stored(record);
        row.check(RecurrencePresets(&record, row.today));
    }
    // Without a record: the defaults, today for the end date.
    const TNRecurrenceComponents none = RecurrencePresets(nullptr, kToday);
    EXPECT_EQ(none.EndDate, TNEditorDate::DateOnly(2026, 6, 11));
    EXPECT_EQ(none.Count, "5");
    EXPECT_TRUE(none.WeeklyDays[3]);
}

TEST_F(RecurrenceLogicTest, FrequencyMentionsNoHoursForARecordWithoutTime)
{
    EXPECT_EQ(RecurrenceFrequencyEntries(true)[1], "Po hodinách");
    EXPECT_EQ(RecurrenceFrequencyEntries(false)[1], "-----------");
    EXPECT_EQ(RecurrenceFrequencyEntries(false).size(), 6u);
}

TEST_F(RecurrenceLogicTest, ShownComponentsForEachFrequencyAndRange)
{
    const std::vector<std::string> groups[6] = {
        {},
        {"edit8RepeatHourly"},
        {"edit8RepeatDaily"},
        {"edit8RepeatWeekly", "check8WeeklyDay1", "check8WeeklyDay2", "check8WeeklyDay3", "check8WeeklyDay4",
         "check8WeeklyDay5", "check8WeeklyDay6", "check8WeeklyDay7"},
        {"edit8RepeatMonthly", "select8MonthlyDayOfMonth", "select8MonthlyDayOfWeekInMonth"},
        {"edit8RepeatAnnually", "select8AnnuallyDayInMonth", "select8AnnuallyDayOfWeekInMonth"},
    };
    for (int32_t frequency = 0; frequency <= 5; ++frequency) {
        for (int32_t range = 0; range <= 2; ++range) {
            SCOPED_TRACE(testing::Message() << "frequency " << frequency << ", range " << range);
            const TNRecurrenceShown shown = RecurrenceShownComponents(frequency, range);
            std::vector<std::string> expected{"label8Settings"};
            if (frequency != 0) {
                expected.push_back("list8Range");
                if (range == 1)
                    expected.push_back("edit8Count");
                if (range == 2)
                    expected.push_back("date8EndDate");
                expected.insert(expected.end(), groups[frequency].begin(), groups[frequency].end());
            }
            std::vector<std::string> visible = shown.Visible;
            std::sort(visible.begin(), visible.end());
            std::sort(expected.begin(), expected.end());
            EXPECT_EQ(visible, expected);
            EXPECT_EQ(std::count(visible.begin(), visible.end(), "label8Range"), 0);
            for (const std::string& name : visible) {
                const auto& all = RecurrenceSwitchedComponents();
                EXPECT_NE(std::find(all.begin(), all.end(), name), all.end()) << name;
            }
            if (frequency == 0) {
                EXPECT_EQ(shown.SettingsText.rfind("Zvolte možnost opakování ve sloupci Frekvence\n\nTip:\n", 0), 0u);
                EXPECT_NE(shown.SettingsText.find("\"Při nesplnění\",\n"), std::string::npos);
                const std::string last = "opakovaný záznam.";
                EXPECT_EQ(shown.SettingsText.substr(shown.SettingsText.size() - last.size()), last);
            } else {
                EXPECT_EQ(shown.SettingsText, "");
            }
        }
    }
}

TNRecurrenceComponents Cleared()
{
    return {};
}

TEST_F(RecurrenceLogicTest, RuleFromTheComponents)
{
    struct Row {
        const char* name;
        std::function<void(TNRecurrenceComponents&)> set;
        std::function<void(const TNPIMRecord&)> fields;
        const char* text;
    };
    const Row rows[] = {
        {"weekly on Monday, count 5",
         [](TNRecurrenceComponents& c) {
             c.Frequency = rfWeekly;
             c.Range = 1;
             c.Count = "5";
             c.Weekly = "1";
             c.WeeklyDays[0] = true;
         },
         [](const TNPIMRecord& r) {
             EXPECT_EQ(r.RecurrenceFrequency, rfWeekly);
             EXPECT_EQ(r.RepeatWeeklyDay1, 1);
             EXPECT_EQ(r.RepeatWeeklyDay2, 0);
         },
         "{\"Range\":1,\"Count\":5,\"RepeatWeekly\":1,\"RepeatWeeklyDay1\":1,\"RepeatWeeklyDay2\":0,"
         "\"RepeatWeeklyDay3\":0,\"RepeatWeeklyDay4\":0,\"RepeatWeeklyDay5\":0,\"RepeatWeeklyDay6\":0,"
         "\"RepeatWeeklyDay7\":0}"},
        {"monthly last day",
         [](TNRecurrenceComponents& c) {
             c.Frequency = rfMonthly;
             c.Monthly = "2";
             c.MonthlyDay = 32;
         },
         [](const TNPIMRecord& r) { EXPECT_EQ(r.RepeatMonthlyDayOfMonth, 99); },
         "{\"Range\":0,\"RepeatMonthly\":2,\"RepeatMonthlyDayOfMonth\":99,\"RepeatMonthlyDayOfWeekInMonth1\":0,"
         "\"RepeatMonthlyDayOfWeekInMonth2\":0}"},
        {"yearly last week in March",
         [](TNRecurrenceComponents& c) {
             c.Frequency = rfAnnually;
             c.Annually = "1";
             c.AnnualWeek = 5;
             c.AnnualWeekday = 5;
             c.AnnualWeekMonth = 2;
         },
         [](const TNPIMRecord& r) {
             EXPECT_EQ(r.RepeatAnnuallyDayOfWeekInMonth1, 99);
             EXPECT_EQ(r.RepeatAnnuallyDayOfWeekInMonth3, 3);
         },
         "{\"Range\":0,\"RepeatAnnually\":1,\"RepeatAnnuallyDayInMonth1\":0,\"RepeatAnnuallyDayInMonth2\":1,"
         "\"RepeatAnnuallyDayOfWeekInMonth1\":99,\"RepeatAnnuallyDayOfWeekInMonth2\":5,"
         "\"RepeatAnnuallyDayOfWeekInMonth3\":3}"},
        {"hourly 2 h 30 min until a date",
         [](TNRecurrenceComponents& c) {
             c.Frequency = rfHourly;
             c.Range = 2;
             c.EndDate = TNEditorDate::DateOnly(2026, 7, 1);
             c.HourlyHours = "2";
             c.HourlyMinutes = "30";
         },
         [](const TNPIMRecord& r) {
             EXPECT_EQ(r.RepeatHourly.Hodina, 2);
             EXPECT_EQ(r.RepeatHourly.Minuta, 30);
             EXPECT_EQ(r.EndDate.Den, 1);
             EXPECT_EQ(r.EndDate.Mesic, 7);
         },
         "{\"Range\":2,\"EndDate\":\"2026-07-01\",\"RepeatHourly\":\"02:30:00\"}"},
        {"no repeat clears everything",
         [](TNRecurrenceComponents& c) {
             c.Frequency = rfNone;
             c.Range = 1;
             c.Count = "7";
             c.Daily = "3";
         },
         [](const TNPIMRecord& r) {
             EXPECT_EQ(r.RecurrenceFrequency, 0);
             EXPECT_EQ(r.Range, 0);
             EXPECT_EQ(r.Count, 0);
             EXPECT_EQ(r.RepeatDaily, 0);
             EXPECT_EQ(r.RepeatWeeklyDay3, 0);
             EXPECT_EQ(r.RepeatMonthlyDayOfMonth, 0);
             EXPECT_EQ(r.RecurrenceMasterID, 0u);
             EXPECT_EQ(r.EndDate.Rok, 2000);
         },
         "{\"Range\":0}"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        TNRecurrenceComponents c = Cleared();
        row.set(c);
        TNPIMRecord record;
        // A rule written before: every field of it goes.
        record.RecurrenceMasterID = 5;
        record.RepeatWeeklyDay3 = 1;
        record.RepeatMonthlyDayOfMonth = 4;
        WriteRecurrenceRule(record, c);
        row.fields(record);
        EXPECT_EQ(record.RecurrenceSettings.View(), row.text);

        // Read back, the text gives the same components.
        TNPIMRecord reread;
        reread.RecurrenceFrequency = record.RecurrenceFrequency;
        reread.RecurrenceSettings.Set(record.RecurrenceSettings.Text);
        reread.ParseRecurrenceSettingsFromJSON();
        TNRecurrenceComponents back = RecurrencePresets(&reread, kToday);
        TNRecurrenceComponents expected = RecurrencePresets(&record, kToday);
        EXPECT_EQ(back.Frequency, expected.Frequency);
        EXPECT_EQ(back.Range, expected.Range);
        EXPECT_EQ(back.Count, expected.Count);
        // The text carries the end date only for a rule that ends on one.
        if (c.Frequency != rfNone && c.Range == 2) {
            EXPECT_EQ(back.EndDate, expected.EndDate);
        }
        EXPECT_EQ(back.HourlyHours, expected.HourlyHours);
        EXPECT_EQ(back.HourlyMinutes, expected.HourlyMinutes);
        EXPECT_EQ(std::vector<bool>(back.WeeklyDays, back.WeeklyDays + 7),
                  std::vector<bool>(expected.WeeklyDays, expected.WeeklyDays + 7));
        EXPECT_EQ(back.MonthlyDay, expected.MonthlyDay);
        EXPECT_EQ(back.Monthly, expected.Monthly);
        EXPECT_EQ(back.AnnualWeek, expected.AnnualWeek);
        EXPECT_EQ(back.AnnualWeekMonth, expected.AnnualWeekMonth);
        if (c.Frequency != rfNone) {
            EXPECT_EQ(back.Frequency, c.Frequency);
            EXPECT_EQ(back.Range, c.Range);
        }
    }
}

TEST_F(RecurrenceLogicTest, ChecksOfOk)
{
    struct Row {
        const char* name;
        std::function<void(TNRecurrenceComponents&)> set;
        const char* text;
        const char* focus;
    };
    const auto weekly = [](TNRecurrenceComponents& c) {
        c.Frequency = rfWeekly;
        c.Weekly = "1";
        c.WeeklyDays[2] = true;
    };
    const Row rows[] = {
        {"weekly without a day",
         [](TNRecurrenceComponents& c) {
             c.Frequency = rfWeekly;
             c.Weekly = "1";
         },
         "Zaškrtněte nejméně jeden den v týdnu.", "check8WeeklyDay1"},
        {"weekly on Wednesday", weekly, "", ""},
        {"monthly weekday without week",
         [](TNRecurrenceComponents& c) {
             c.Frequency = rfMonthly;
             c.Monthly = "1";
             c.MonthlyWeekday = 3;
         },
         "Vyberte den opakování.", "select8MonthlyDayOfMonth"},
        {"yearly weekday alone",
         [](TNRecurrenceComponents& c) {
             c.Frequency = rfAnnually;
             c.Annually = "1";
             c.AnnualWeekday = 3;
         },
         "", ""},
        {"yearly nothing chosen",
         [](TNRecurrenceComponents& c) {
             c.Frequency = rfAnnually;
             c.Annually = "1";
         },
         "Vyberte den opakování.", "select8AnnuallyDayInMonth"},
        {"daily emptied", [](TNRecurrenceComponents& c) { c.Frequency = rfDaily; },
         "Položka 'Opakovat každých X dní' musí být číslo od 1 do 999.", "edit8RepeatDaily"},
        {"weekly emptied",
         [&](TNRecurrenceComponents& c) {
             weekly(c);
             c.Weekly = "";
         },
         "Položka 'Opakovat každých X týdnů' musí být číslo od 1 do 999.", "edit8RepeatWeekly"},
        {"monthly emptied",
         [](TNRecurrenceComponents& c) {
             c.Frequency = rfMonthly;
             c.MonthlyDay = 4;
         },
         "Položka 'Opakovat každých X měsíců' musí být číslo od 1 do 999.", "edit8RepeatMonthly"},
        {"yearly 1000",
         [](TNRecurrenceComponents& c) {
             c.Frequency = rfAnnually;
             c.Annually = "1000";
             c.AnnualDay = 4;
         },
         "Položka 'Opakovat každých X roků' musí být číslo od 1 do 999.", "edit8RepeatAnnually"},
        {"hourly 0:00",
         [](TNRecurrenceComponents& c) {
             c.Frequency = rfHourly;
             c.HourlyHours = "0";
             c.HourlyMinutes = "";
         },
         "Položka 'Opakovat po hodinách a minutách' musí být delší než 0 minut.", "edit8RepeatHourly"},
        {"hourly 0:01",
         [](TNRecurrenceComponents& c) {
             c.Frequency = rfHourly;
             c.HourlyMinutes = "1";
         },
         "", ""},
        {"count emptied",
         [&](TNRecurrenceComponents& c) {
             weekly(c);
             c.Range = 1;
         },
         "Položka 'Počet opakování' musí být číslo od 1 do 1000.", "edit8Count"},
        {"count 1000, interval 999",
         [](TNRecurrenceComponents& c) {
             c.Frequency = rfDaily;
             c.Daily = "999";
             c.Range = 1;
             c.Count = "1000";
         },
         "", ""},
        {"count 1001",
         [](TNRecurrenceComponents& c) {
             c.Frequency = rfDaily;
             c.Daily = "1";
             c.Range = 1;
             c.Count = "1001";
         },
         "Položka 'Počet opakování' musí být číslo od 1 do 1000.", "edit8Count"},
        {"count unused without range 1",
         [](TNRecurrenceComponents& c) {
             c.Frequency = rfDaily;
             c.Daily = "1";
             c.Range = 2;
         },
         "", ""},
        {"no repeat checks nothing",
         [](TNRecurrenceComponents& c) {
             c.Range = 1;
             c.Daily = "";
         },
         "", ""},
    };
    for (const Row& row : rows) {
        TNRecurrenceComponents c = Cleared();
        row.set(c);
        const TNRecurrenceCheck check = CheckRecurrenceRule(c);
        EXPECT_EQ(check.Text, row.text) << row.name;
        EXPECT_EQ(check.Focus, row.focus) << row.name;
    }
}

TEST_F(RecurrenceLogicTest, PreviewTextBreaksAfterEveryThirdEntry)
{
    TNTime begin;
    begin.SetDate(1, 6, 2026);
    begin.NastavCas(10, 0);
    std::vector<TNRecurrenceEntry> occurrences;
    for (uint8_t day = 2; day <= 7; ++day)
        occurrences.push_back({10, 5, 2026, 6, day, static_cast<uint8_t>(day)});
    EXPECT_EQ(RecurrencePreviewText(begin, occurrences),
              " - Po 1. 6. 2026 10:00   - Út 2. 6. 2026 10:05   - St 3. 6. 2026 10:05 \n"
              " - Čt 4. 6. 2026 10:05   - Pá 5. 6. 2026 10:05   - So 6. 6. 2026 10:05 \n"
              " - Ne 7. 6. 2026 10:05 ");
    EXPECT_EQ(RecurrencePreviewText(begin, {}), "");

    // Without a time the hour 99 is never printed.
    TNTime dateOnly;
    dateOnly.SetDate(1, 6, 2026);
    dateOnly.NastavCas(TNTime::NoTime, 0);
    EXPECT_EQ(RecurrencePreviewText(dateOnly, {{7, 0, 2026, 6, 2, 2}}), " - Po 1. 6. 2026   - Út 2. 6. 2026 ");
}

} // namespace
