#include "model/record.h"
#include "tests/model/model_test_support.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct Case {
    const char* name;
    int frequency;
    const char* settings;
    const char* sentence; // UTF-8 source; compiled to CP1250 like the program's texts
};

// One row per frequency and step form, the ordinal forms by weekday, the day
// codes and a few month locatives.
const Case kCases[] = {
    {"None", 0, "{}", "Neopakuje se [Změnit]"},
    {"HourlyOne", 1, "{\"RepeatHourly\":\"01:00:00\"}", "Každou 1 hodinu [Změnit]"},
    {"HourlyThreeAndMinute", 1, "{\"RepeatHourly\":\"03:01:00\"}", "Každé 3 hodiny a 1 minutu [Změnit]"},
    {"HourlySevenAndMinutes", 1, "{\"RepeatHourly\":\"07:30:00\"}", "Každých 7 hodin a 30 minut [Změnit]"},
    {"HourlyTwoMinutes", 1, "{\"RepeatHourly\":\"01:04:00\"}", "Každou 1 hodinu a 4 minuty [Změnit]"},
    {"DailyOne", 2, "{\"RepeatDaily\":1}", "Každý 1 den [Změnit]"},
    {"DailyThree", 2, "{\"RepeatDaily\":3}", "Každé 3 dny [Změnit]"},
    {"DailySeven", 2, "{\"RepeatDaily\":7}", "Každých 7 dní [Změnit]"},
    {"WeeklyOneTwoDays", 3, "{\"RepeatWeekly\":1,\"RepeatWeeklyDay1\":1,\"RepeatWeeklyDay3\":1}",
     "Každý týden v pondělí a středu [Změnit]"},
    {"WeeklyThreeFourDays", 3,
     "{\"RepeatWeekly\":3,\"RepeatWeeklyDay2\":1,\"RepeatWeeklyDay4\":1,\"RepeatWeeklyDay5\":1,"
     "\"RepeatWeeklyDay6\":1}",
     "Každé 3 týdny v úterý, čtvrtek, pátek a sobotu [Změnit]"},
    {"WeeklySevenOneDay", 3, "{\"RepeatWeekly\":7,\"RepeatWeeklyDay7\":1}", "Každých 7 týdnů v neděli [Změnit]"},
    {"WeeklyEveryDay", 3,
     "{\"RepeatWeekly\":1,\"RepeatWeeklyDay1\":1,\"RepeatWeeklyDay2\":1,\"RepeatWeeklyDay3\":1,"
     "\"RepeatWeeklyDay4\":1,\"RepeatWeeklyDay5\":1,\"RepeatWeeklyDay6\":1,\"RepeatWeeklyDay7\":1}",
     "Každý týden, každý den v daném týdnu [Změnit]"},
    {"MonthlyOneDay", 4, "{\"RepeatMonthly\":1,\"RepeatMonthlyDayOfMonth\":15}",
     "Každý měsíc, vždy 15. den v daném měsíci [Změnit]"},
    {"MonthlyThree96", 4, "{\"RepeatMonthly\":3,\"RepeatMonthlyDayOfMonth\":96}",
     "Každé 3 měsíce, vždy 3 dny před koncem daného měsíce [Změnit]"},
    {"MonthlySeven97", 4, "{\"RepeatMonthly\":7,\"RepeatMonthlyDayOfMonth\":97}",
     "Každých 7 měsíců, vždy 2 dny před koncem daného měsíce [Změnit]"},
    {"Monthly98", 4, "{\"RepeatMonthly\":1,\"RepeatMonthlyDayOfMonth\":98}",
     "Každý měsíc, vždy předposlední den v daném měsíci [Změnit]"},
    {"Monthly99", 4, "{\"RepeatMonthly\":1,\"RepeatMonthlyDayOfMonth\":99}",
     "Každý měsíc, vždy poslední den v daném měsíci [Změnit]"},
    {"MonthlyFirstFriday", 4,
     "{\"RepeatMonthly\":1,\"RepeatMonthlyDayOfWeekInMonth1\":1,\"RepeatMonthlyDayOfWeekInMonth2\":5}",
     "Každý měsíc, vždy první pátek v daném měsíci [Změnit]"},
    {"MonthlySecondMonday", 4,
     "{\"RepeatMonthly\":1,\"RepeatMonthlyDayOfWeekInMonth1\":2,\"RepeatMonthlyDayOfWeekInMonth2\":1}",
     "Každý měsíc, vždy druhé pondělí v daném měsíci [Změnit]"},
    {"MonthlySecondWednesday", 4,
     "{\"RepeatMonthly\":1,\"RepeatMonthlyDayOfWeekInMonth1\":2,\"RepeatMonthlyDayOfWeekInMonth2\":3}",
     "Každý měsíc, vždy druhou středu v daném měsíci [Změnit]"},
    {"MonthlySecondThursday", 4,
     "{\"RepeatMonthly\":1,\"RepeatMonthlyDayOfWeekInMonth1\":2,\"RepeatMonthlyDayOfWeekInMonth2\":4}",
     "Každý měsíc, vždy druhá čtvrtek v daném měsíci [Změnit]"},
    {"MonthlyThirdSaturday", 4,
     "{\"RepeatMonthly\":1,\"RepeatMonthlyDayOfWeekInMonth1\":3,\"RepeatMonthlyDayOfWeekInMonth2\":6}",
     "Každý měsíc, vždy třetí sobotu v daném měsíci [Změnit]"},
    {"MonthlyFourthTuesday", 4,
     "{\"RepeatMonthly\":1,\"RepeatMonthlyDayOfWeekInMonth1\":4,\"RepeatMonthlyDayOfWeekInMonth2\":2}",
     "Každý měsíc, vždy čtvrté úterý v daném měsíci [Změnit]"},
    {"MonthlyFourthSunday", 4,
     "{\"RepeatMonthly\":1,\"RepeatMonthlyDayOfWeekInMonth1\":4,\"RepeatMonthlyDayOfWeekInMonth2\":7}",
     "Každý měsíc, vždy čtvrtou neděli v daném měsíci [Změnit]"},
    {"MonthlyFourthFriday", 4,
     "{\"RepeatMonthly\":1,\"RepeatMonthlyDayOfWeekInMonth1\":4,\"RepeatMonthlyDayOfWeekInMonth2\":5}",
     "Každý měsíc, vždy čtvrtý pátek v daném měsíci [Změnit]"},
    {"MonthlyLastSunday", 4,
     "{\"RepeatMonthly\":1,\"RepeatMonthlyDayOfWeekInMonth1\":99,\"RepeatMonthlyDayOfWeekInMonth2\":7}",
     "Každý měsíc, vždy poslední neděli v daném měsíci [Změnit]"},
    {"AnnualOneDayInAugust", 5,
     "{\"RepeatAnnually\":1,\"RepeatAnnuallyDayInMonth1\":15,\"RepeatAnnuallyDayInMonth2\":8}",
     "Každý rok, vždy 15. den v srpnu daného roku [Změnit]"},
    {"AnnualThree96InJanuary", 5,
     "{\"RepeatAnnually\":3,\"RepeatAnnuallyDayInMonth1\":96,\"RepeatAnnuallyDayInMonth2\":1}",
     "Každé 3 roky, vždy .3 den v lednu daného roku [Změnit]"},
    {"AnnualSeven97InJuly", 5,
     "{\"RepeatAnnually\":7,\"RepeatAnnuallyDayInMonth1\":97,\"RepeatAnnuallyDayInMonth2\":7}",
     "Každých 7 let, vždy .2 den v červenci daného roku [Změnit]"},
    {"Annual98InFebruary", 5, "{\"RepeatAnnually\":1,\"RepeatAnnuallyDayInMonth1\":98,\"RepeatAnnuallyDayInMonth2\":2}",
     "Každý rok, vždy předposlední den v únoru daného roku [Změnit]"},
    {"Annual99InDecember", 5,
     "{\"RepeatAnnually\":1,\"RepeatAnnuallyDayInMonth1\":99,\"RepeatAnnuallyDayInMonth2\":12}",
     "Každý rok, vždy poslední den v prosinci daného roku [Změnit]"},
    {"AnnualLastSundayOfOctober", 5,
     "{\"RepeatAnnually\":1,\"RepeatAnnuallyDayOfWeekInMonth1\":99,\"RepeatAnnuallyDayOfWeekInMonth2\":7,"
     "\"RepeatAnnuallyDayOfWeekInMonth3\":10}",
     "Každý rok, vždy poslední neděli v říjnu daného roku [Změnit]"},
    {"AnnualSecondTuesdayOfMarch", 5,
     "{\"RepeatAnnually\":1,\"RepeatAnnuallyDayOfWeekInMonth1\":2,\"RepeatAnnuallyDayOfWeekInMonth2\":2,"
     "\"RepeatAnnuallyDayOfWeekInMonth3\":3}",
     "Každý rok, vždy druhé úterý v březnu daného roku [Změnit]"},
};

TEST(TNPIMRecord, DescribesItsRuleInCzech)
{
    model_test::Environment environment;
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        TNPIMRecord record;
        record.RecurrenceFrequency = c.frequency;
        record.RecurrenceSettings.Set(c.settings);
        record.ParseRecurrenceSettingsFromJSON();
        TNString sentence;
        record.GetRecurrenceTitleString(&sentence);
        EXPECT_EQ(sentence.View(), std::string(c.sentence));
    }
}

TEST(TNPIMRecord, AnOccurrenceNamesItsMaster)
{
    model_test::Environment environment;
    TNPIMRecord record;
    record.RecurrenceFrequency = rfDaily;
    record.RecurrenceSettings.Set("{\"RepeatDaily\":3}");
    record.ParseRecurrenceSettingsFromJSON();
    record.RecurrenceMasterID = 81234;
    TNString sentence;
    record.GetRecurrenceTitleString(&sentence);
    EXPECT_EQ(sentence.View(), std::string("Toto je opakovaný výskyt záznamu s ID 81234"));
}

} // namespace
