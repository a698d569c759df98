#include "foundation/day_names.h"
#include "platform/testing/fake_clock.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <utility>
#include <vector>

namespace {

std::string Text(const TNString& text)
{
    return std::string(text.View());
}

std::string DayText(const TNDayNames& names, int32_t month, int32_t day, int32_t year)
{
    TNString out;
    EXPECT_TRUE(names.GetDayNamesText(month, day, year, &out));
    return Text(out);
}

bool Contains(const std::string& haystack, const std::string& needle)
{
    return haystack.find(needle) != std::string::npos;
}

class DayNamesTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(names_.FillDayNames()); }
    TNDayNames names_;
};

using TNDayNamesTable = DayNamesTest;

TEST_F(TNDayNamesTable, EveryDateHasEntriesInCalendarOrder)
{
    std::set<std::pair<int32_t, int32_t>> dates;
    std::pair<int32_t, int32_t> previous{0, 0};
    for (int32_t i = 0; i < names_.Count(); ++i) {
        const TNDayName* entry = names_.Item(i);
        std::pair<int32_t, int32_t> date{entry->Month, entry->Day};
        ASSERT_LE(previous, date) << "entry " << i << " " << Text(entry->Text);
        ASSERT_FALSE(entry->Text.IsEmpty());
        ASSERT_TRUE(entry->Kind == TNDayName::kMaleName || entry->Kind == TNDayName::kFemaleName ||
                    entry->Kind == TNDayName::kPublicHoliday || entry->Kind == TNDayName::kNotableDay);
        previous = date;
        dates.insert(date);
    }
    static constexpr int32_t kDaysInMonth[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    std::set<std::pair<int32_t, int32_t>> year;
    for (int32_t month = 1; month <= 12; ++month) {
        for (int32_t day = 1; day <= kDaysInMonth[month - 1]; ++day)
            year.insert({month, day});
    }
    EXPECT_EQ(dates, year);
    EXPECT_EQ(DayText(names_, 2, 29, 2024), "Horymír");
}

TEST_F(TNDayNamesTable, HolidaysAndNotableDaysStandOnTheirDates)
{
    struct Expected {
        int32_t Day;
        int32_t Month;
        int32_t Kind;
        std::string Text;
    };
    const std::vector<Expected> expected = {
        {1, 1, 5, "Nový rok"},
        {1, 1, 5, "Den obnovy samostatného českého státu"},
        {6, 1, 7, "Tři králové"},
        {16, 1, 7, "Den památky Jana Palacha"},
        {27, 1, 7, "Den památky obětí holocaustu a předcházení zločinům proti lidskosti"},
        {8, 3, 7, "Mezinárodní den žen"},
        {12, 3, 7, "Den přístupu České republiky k Severoatlantické smlouvě (NATO)"},
        {7, 4, 7, "Den vzdělanosti"},
        {1, 5, 5, "Svátek práce"},
        {8, 5, 5, "Den vítězství"},
        {15, 5, 7, "Den rodin"},
        {1, 6, 7, "Mezinárodní den dětí"},
        {10, 6, 7, "Vyhlazení obce Lidice"},
        {27, 6, 7, "Den památky obětí komunistického režimu"},
        {5, 7, 5, "Den slovanských věrozvěstů Cyrila a Metoděje"},
        {6, 7, 5, "Den upálení mistra Jana Husa"},
        {28, 9, 5, "Den české státnosti"},
        {28, 10, 5, "Den vzniku samostatného československého státu"},
        {2, 11, 7, "Památka zesnulých"},
        {11, 11, 7, "Den válečných veteránů"},
        {17, 11, 5, "Den boje za svobodu a demokracii"},
        {24, 12, 5, "Štědrý den"},
        {25, 12, 5, "1. svátek vánoční"},
        {26, 12, 5, "2. svátek vánoční"},
    };
    std::vector<Expected> found;
    for (int32_t i = 0; i < names_.Count(); ++i) {
        const TNDayName* entry = names_.Item(i);
        if (entry->Kind == TNDayName::kPublicHoliday || entry->Kind == TNDayName::kNotableDay)
            found.push_back({entry->Day, entry->Month, entry->Kind, Text(entry->Text)});
    }
    ASSERT_EQ(found.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(found[i].Day, expected[i].Day) << expected[i].Text;
        EXPECT_EQ(found[i].Month, expected[i].Month) << expected[i].Text;
        EXPECT_EQ(found[i].Kind, expected[i].Kind) << expected[i].Text;
        EXPECT_EQ(found[i].Text, expected[i].Text);
    }
    // The texts are the program's CP1250 bytes.
    EXPECT_EQ(found[0].Text, "Nov\xFD rok");
    EXPECT_EQ(found[21].Text, "\x8Atědr\xFD den");
}

TEST_F(TNDayNamesTable, JoinsTheTextsOfADay)
{
    EXPECT_EQ(DayText(names_, 1, 1, 2025), "Nový rok, Den obnovy samostatného českého státu");
    EXPECT_EQ(DayText(names_, 2, 30, 2025), "");
    EXPECT_EQ(DayText(names_, 12, 24, 2025), "Adam, Eva, Štědrý den");
    EXPECT_EQ(DayText(names_, 1, 6, 2025), "Kašpar, Melichar, Baltazar, Tři králové");
}

TEST_F(TNDayNamesTable, ShowsEasterOnItsOwnDatesOfEachYear)
{
    struct Easter {
        int32_t Year;
        int32_t FridayDay, FridayMonth;
        int32_t MondayDay, MondayMonth;
    };
    const Easter years[] = {
        {2022, 15, 4, 18, 4},
        {2023, 7, 4, 10, 4},
        {2024, 29, 3, 1, 4},
        {2025, 18, 4, 21, 4},
        {2026, 3, 4, 6, 4},
        {2027, 26, 3, 29, 3},
        {2028, 14, 4, 17, 4},
        {2029, 30, 3, 2, 4},
        {2030, 19, 4, 22, 4},
        // The earliest and the latest possible Easter Sunday.
        {2285, 20, 3, 23, 3},
        {2038, 23, 4, 26, 4},
    };
    for (const Easter& e : years) {
        SCOPED_TRACE(e.Year);
        int32_t fridays = 0;
        int32_t mondays = 0;
        for (int32_t month = 3; month <= 4; ++month) {
            for (int32_t day = 1; day <= 31; ++day) {
                std::string text = DayText(names_, month, day, e.Year);
                bool friday = month == e.FridayMonth && day == e.FridayDay;
                bool monday = month == e.MondayMonth && day == e.MondayDay;
                EXPECT_EQ(Contains(text, "Velký pátek"), friday) << day << "." << month << ". " << text;
                EXPECT_EQ(Contains(text, "Velikonoční pondělí"), monday) << day << "." << month << ". " << text;
                fridays += friday;
                mondays += monday;
            }
        }
        EXPECT_EQ(fridays, 1);
        EXPECT_EQ(mondays, 1);
    }
    EXPECT_EQ(DayText(names_, 4, 18, 2025), "Valérie, Velký pátek");
    EXPECT_FALSE(Contains(DayText(names_, 4, 18, 2026), "Velký pátek"));
    EXPECT_EQ(DayText(names_, 4, 6, 2026), "Vendula, Velikonoční pondělí");
}

struct SearchCase {
    const char* Name;
    int64_t Now;
    const char* Query;
    int32_t Day, Month, Year;
    int32_t Category;
    const char* Text;
};

// 15 June at noon of each year, as seconds since 1970.
constexpr int64_t kJune2025 = 1749988800;
constexpr int64_t kJune2028 = 1844683200;

TEST_F(DayNamesTest, SearchFindsEntriesInTheCurrentYear)
{
    const SearchCase cases[] = {
        {"holiday without diacritics", kJune2025, "patek", 18, 4, 2025, 30, "Velký pátek"},
        {"leap-day name in a leap year", kJune2028, "horymir", 29, 2, 2028, 20, "Horymír"},
        {"upper case and diacritics", kJune2025, "ZOFIE", 15, 5, 2025, 20, "Žofie"},
        {"notable day", kJune2025, "Lidice", 10, 6, 2025, 31, "Vyhlazení obce Lidice"},
        {"Easter Monday", kJune2028, "pondeli", 17, 4, 2028, 30, "Velikonoční pondělí"},
    };
    for (const SearchCase& c : cases) {
        SCOPED_TRACE(c.Name);
        plat::testing::ScopedFakeClock clock(c.Now);
        std::vector<TNDayNameMatch> matches;
        ASSERT_TRUE(names_.SearchDayNames(c.Query, matches));
        ASSERT_EQ(matches.size(), 1u);
        EXPECT_EQ(matches[0].Day, c.Day);
        EXPECT_EQ(matches[0].Month, c.Month);
        EXPECT_EQ(matches[0].Year, c.Year);
        EXPECT_EQ(matches[0].Category, c.Category);
        EXPECT_EQ(Text(matches[0].Text), c.Text);
    }
}

TEST_F(DayNamesTest, SearchSkipsDatesMissingFromTheYear)
{
    plat::testing::ScopedFakeClock clock(kJune2025);
    std::vector<TNDayNameMatch> matches;
    ASSERT_TRUE(names_.SearchDayNames("horymir", matches));
    EXPECT_TRUE(matches.empty());
}

TEST_F(DayNamesTest, SearchListsMatchesInCalendarOrder)
{
    // "ve" matches many names as well as both Easter days.
    std::vector<TNDayNameMatch> matches;
    ASSERT_TRUE(names_.SearchDayNames("ve", 2025, matches));
    std::vector<std::string> easter;
    for (size_t i = 0; i < matches.size(); ++i) {
        if (i > 0) {
            std::pair<int32_t, int32_t> before{matches[i - 1].Month, matches[i - 1].Day};
            std::pair<int32_t, int32_t> after{matches[i].Month, matches[i].Day};
            EXPECT_LE(before, after) << Text(matches[i].Text);
        }
        if (matches[i].Month == 4 && (matches[i].Day == 18 || matches[i].Day == 21))
            easter.push_back(Text(matches[i].Text));
    }
    EXPECT_EQ(easter, (std::vector<std::string>{"Velký pátek", "Velikonoční pondělí"}));
    ASSERT_TRUE(names_.SearchDayNames("", 2025, matches));
    EXPECT_TRUE(matches.empty());
}

TEST_F(TNDayNamesTable, TheProgramTableIsOneFilledTable)
{
    const TNDayNames& table = ProgramDayNames();
    EXPECT_EQ(&table, &ProgramDayNames());
    ASSERT_EQ(table.Count(), names_.Count());
    EXPECT_EQ(DayText(table, 2, 29, 2024), "Horymír");
}

} // namespace
