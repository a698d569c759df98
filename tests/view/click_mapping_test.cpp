#include "foundation/common.h"
#include "foundation/hooks.h"
#include "tests/view/view_fixture.h"

#include <cstdlib>
#include <string>
#include <vector>

namespace view_test {
namespace {

struct ShownBox {
    std::string text;
    std::string caption;
};
std::vector<ShownBox>* shownBoxes = nullptr;

class ClickMappingTest : public ViewTest {
protected:
    void SetUp() override
    {
        ViewTest::SetUp();
        Desk()->SetBounds(0, 0, 800, 2000);
        daybox_ = MakeItem(cmpDaybox, "daybox", Desk());
        daybox_->QuarterRowHeight = 20;
        savedMessageBox_ = FoundationHooks.MessageBox;
        shownBoxes = &boxes_;
        FoundationHooks.MessageBox = [](const char* text, const char* caption, uint32_t) -> int32_t {
            shownBoxes->push_back({text, caption});
            return mrOk;
        };
    }
    void TearDown() override
    {
        FoundationHooks.MessageBox = savedMessageBox_;
        shownBoxes = nullptr;
        ViewTest::TearDown();
    }

    void SetFirstDay(int32_t day, int32_t month, int32_t year) { daybox_->Times[0].SetDate(day, month, year); }

    TNViewItem* daybox_ = nullptr;
    std::vector<ShownBox> boxes_;
    int32_t (*savedMessageBox_)(const char*, const char*, uint32_t) = nullptr;
};

TEST_F(ClickMappingTest, TimeOfDayByRows)
{
    struct Case {
        const char* name;
        int32_t mode;
        int32_t rowHeight;
        int32_t y;
        int32_t hour, minute;
    } cases[] = {
        {"top of the day", 14, 20, 0, 0, 0},
        {"last pixel of the first hour's quarter", 14, 20, 95, 1, 0},
        {"inside the third quarter", 14, 20, 139, 1, 30},
        {"top of the fourth quarter", 14, 20, 140, 1, 45},
        {"last row of the day", 14, 20, 1919, 23, 45},
        {"month group maps alike", 44, 20, 140, 1, 45},
        {"no row height yet", 14, 0, 140, -999, -999},
        {"group without a mapping", 74, 20, 140, -999, -999},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        daybox_->daybox_mode = test.mode;
        daybox_->QuarterRowHeight = test.rowHeight;
        daybox_->ClickY = test.y;
        int32_t hour = -999;
        int32_t minute = -999;
        daybox_->GetTimeFromClickPos(&hour, &minute);
        EXPECT_EQ(hour, test.hour);
        EXPECT_EQ(minute, test.minute);
    }
    EXPECT_EQ(log_.CountContaining("[TNViewItem::GetTimeFromClickPos][ERROR] QuarterRowHeight <= 0"), 1);
    EXPECT_EQ(log_.CountContaining("[TNViewItem::GetTimeFromClickPos][ERROR][DEFAULT]"), 1);
}

TEST_F(ClickMappingTest, TimeOfDayFromTheMinuteTable)
{
    daybox_->daybox_mode = 4;
    int32_t hour = -1;
    int32_t minute = -1;
    EXPECT_EQ(daybox_->GetTimeFromClickPos(&hour, &minute), 0) << "no table";
    EXPECT_EQ(hour, 0);
    EXPECT_EQ(minute, 0);

    // Uneven steps: the morning is squeezed, the working day spread.
    daybox_->MinuteTops = static_cast<float*>(std::malloc(1441 * sizeof(float)));
    for (int m = 0; m <= 1440; ++m)
        daybox_->MinuteTops[m] = m < 480 ? m * 0.25f : 120.0f + (m - 480) * 1.5f;
    const float top600 = daybox_->MinuteTops[600];
    const float top601 = daybox_->MinuteTops[601];
    ASSERT_EQ(top601 - top600, 1.5f);

    daybox_->ClickY = static_cast<int32_t>(top600) + 1;
    EXPECT_EQ(daybox_->GetTimeFromClickPos(&hour, &minute), 600);
    EXPECT_EQ(hour, 10);
    EXPECT_EQ(minute, 0);
    daybox_->MinuteTops[601] = 301.0f;
    daybox_->ClickY = 301;
    EXPECT_EQ(daybox_->GetTimeFromClickPos(&hour, &minute), 601);
    EXPECT_EQ(minute, 1);
}

TEST_F(ClickMappingTest, WeekViewDates)
{
    struct Case {
        const char* name;
        int32_t days;
        int32_t width;
        int32_t firstDay, firstMonth, firstYear;
        int32_t x;
        int32_t day, month, year;
    } cases[] = {
        {"left column edge", 7, 755, 10, 6, 2024, 55, 10, 6, 2024},
        {"right edge is the next day", 7, 755, 10, 6, 2024, 155, 11, 6, 2024},
        {"Sunday column", 7, 755, 10, 6, 2024, 754, 16, 6, 2024},
        {"work week across a month end", 5, 555, 29, 1, 2024, 355, 1, 2, 2024},
        {"work week across a year end", 5, 555, 30, 12, 2024, 255, 1, 1, 2025},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        daybox_->Panel.Get()->SetWidth(test.width);
        daybox_->shownDaysCount = test.days;
        SetFirstDay(test.firstDay, test.firstMonth, test.firstYear);
        daybox_->ClickX = test.x;
        daybox_->ClickY = 140;
        int32_t hour = 0, minute = 0, day = 0, month = 0, year = 0;
        EXPECT_TRUE(daybox_->GetTimeFromClickPos_WeekView(&hour, &minute, &day, &month, &year));
        EXPECT_EQ(day, test.day);
        EXPECT_EQ(month, test.month);
        EXPECT_EQ(year, test.year);
        EXPECT_EQ(hour, 1);
        EXPECT_EQ(minute, 45);
        day = month = year = 0;
        EXPECT_TRUE(daybox_->GetDateFromClickPos_WeekView(&day, &month, &year));
        EXPECT_EQ(day, test.day);
    }
    EXPECT_TRUE(boxes_.empty());
}

TEST_F(ClickMappingTest, WeekViewOutsideTheColumnsAndWithoutDays)
{
    const TNTime today = c.CopyOfToday();
    daybox_->Panel.Get()->SetWidth(755);
    daybox_->shownDaysCount = 7;
    SetFirstDay(10, 6, 2024);
    daybox_->ClickX = 54;
    int32_t hour = 0, minute = 0, day = 0, month = 0, year = 0;
    daybox_->GetTimeFromClickPos_WeekView(&hour, &minute, &day, &month, &year);
    EXPECT_EQ(day, today.Den) << "the hour column keeps today";
    EXPECT_EQ(month, today.Mesic);
    EXPECT_EQ(year, today.Rok);

    daybox_->shownDaysCount = 0;
    daybox_->ClickY = 1919;
    daybox_->GetTimeFromClickPos_WeekView(&hour, &minute, &day, &month, &year);
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0].text, "shownDaysCount <= 0 ve funkci GetTimeFromClickPos_WeekView!");
    EXPECT_EQ(boxes_[0].caption, "Chyba");
    EXPECT_EQ(hour, 23) << "the time is still mapped";
    EXPECT_EQ(minute, 45);
    daybox_->GetDateFromClickPos_WeekView(&day, &month, &year);
    ASSERT_EQ(boxes_.size(), 2u);
    EXPECT_EQ(boxes_[1].text, "shownDaysCount <= ve 0 funkci GetDateFromClickPos_WeekView!");
}

class MonthMappingTest : public ClickMappingTest {
protected:
    // Four week rows 50 high, seven columns 100 wide.
    void FillGrid(const std::vector<int32_t>& cells)
    {
        daybox_->MonthRows = static_cast<int32_t>(cells.size() / 7);
        daybox_->MonthDayTable = static_cast<int32_t*>(std::malloc(cells.size() * sizeof(int32_t)));
        daybox_->MonthColumnWidths = static_cast<int32_t*>(std::malloc(7 * sizeof(int32_t)));
        daybox_->MonthRowHeights = static_cast<int32_t*>(std::malloc(daybox_->MonthRows * sizeof(int32_t)));
        for (size_t i = 0; i < cells.size(); ++i)
            daybox_->MonthDayTable[i] = cells[i];
        for (int i = 0; i < 7; ++i)
            daybox_->MonthColumnWidths[i] = 100;
        for (int i = 0; i < daybox_->MonthRows; ++i)
            daybox_->MonthRowHeights[i] = 50;
    }
};

TEST_F(MonthMappingTest, CellsMapToTheirMonth)
{
    FillGrid({28, 29, 30, 31, 1,  2,  3,  //
              4,  5,  6,  7,  8,  9,  10, //
              25, 26, 27, 28, 29, 30, 31, //
              1,  2,  3,  0,  0,  0,  0});
    struct Case {
        const char* name;
        int32_t firstMonth, firstYear;
        int32_t x, y;
        int32_t day, month, year;
    } cases[] = {
        {"leading day of the previous month", 10, 2024, 5, 5, 28, 10, 2024},
        {"after the first 1", 10, 2024, 550, 10, 2, 11, 2024},
        {"after the second 1", 10, 2024, 150, 160, 2, 12, 2024},
        {"December rolls into January", 11, 2024, 250, 199, 3, 1, 2025},
        {"empty cell", 10, 2024, 650, 175, -1, 12, 2024},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        SetFirstDay(28, test.firstMonth, test.firstYear);
        daybox_->ClickX = test.x;
        daybox_->ClickY = test.y;
        int32_t hour = -999, minute = -999, day = 0, month = 0, year = 0;
        EXPECT_TRUE(daybox_->GetTimeFromClickPos_MonthView(&hour, &minute, &day, &month, &year));
        EXPECT_EQ(day, test.day);
        EXPECT_EQ(month, test.month);
        EXPECT_EQ(year, test.year);
        EXPECT_EQ(hour, 8);
        EXPECT_EQ(minute, 0);
    }

    daybox_->ClickY = 500;
    int32_t hour = -999, minute = -999, day = 0, month = 0, year = 0;
    EXPECT_FALSE(daybox_->GetTimeFromClickPos_MonthView(&hour, &minute, &day, &month, &year));
    EXPECT_EQ(hour, -999) << "outside the grid the time is left alone";
    EXPECT_EQ(minute, -999);
}

TEST_F(MonthMappingTest, NoGridKeepsTheStartValues)
{
    SetFirstDay(28, 10, 2024);
    daybox_->MonthRows = 4;
    int32_t hour = -999, minute = -999, day = 17, month = 0, year = 0;
    EXPECT_FALSE(daybox_->GetTimeFromClickPos_MonthView(&hour, &minute, &day, &month, &year));
    EXPECT_EQ(day, 17);
    EXPECT_EQ(month, 10);
    EXPECT_EQ(year, 2024);
    EXPECT_EQ(hour, -999);
}

} // namespace
} // namespace view_test
