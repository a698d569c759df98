#include "model/pim.h"
#include "model/record.h"
#include "model/records.h"
#include "platform/gui/panel.h"
#include "tests/view/view_fixture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace view_test {
namespace {

// A tool bar 755 wide over a week of seven days 100 wide (dw).
class RecordStripsTest : public ViewTest {
protected:
    static constexpr int32_t kDayWidth = 100;
    static constexpr int32_t kLine = 20;

    void SetUp() override
    {
        ViewTest::SetUp();
        Desk()->SetBounds(0, 0, 755, 600);
        bar_ = MakeItem(cmpToolbar, "bar", Desk());
        bar_->Panel.Get()->SetBounds(0, 0, 755, 40);
    }

    // One card of a record on a day of the bar.
    TNViewItem* AddCard(uint32_t recordId, int32_t dayPos, int32_t days = 7, int32_t mode = 34)
    {
        TNPIMRecord* record = set_.Pim().Records->GetRecordByID(recordId);
        if (record == nullptr) {
            record = &set_.NewRecord();
            record->ID = recordId;
            record->Text = TNString("Záznam");
            set_.Pim().Records->NoteIDChanged(set_.Pim().Records->Count - 1);
        }
        const std::string name = "card_" + std::to_string(recordId) + "_" + std::to_string(dayPos);
        TNViewItem* card = View.CreateComponent(cmpRecord, name.c_str(), MainForm(), bar_->Panel.Get(), 0, "Záznam", 1,
                                                -1, nullptr, nullptr, 3);
        EXPECT_NE(card, nullptr);
        TNView::SetCardRecord(card, record);
        card->dayPos = dayPos;
        card->shownDaysCount = days;
        card->daybox_mode = mode;
        return card;
    }

    void Pack() { View.ResizeToolbar_cmpRecordComponents_WorkWeek_and_Week(bar_, 0, kLine, 0); }

    static int32_t Line(TNViewItem* card) { return (card->Panel.Get()->Top() - 1) / kLine; }

    model_test::DataSet set_;
    TNViewItem* bar_ = nullptr;
};

TEST_F(RecordStripsTest, LongerAndEarlierRecordsTakeTheUpperLines)
{
    TNViewItem* monday = AddCard(1, 0);
    TNViewItem* tuesdayOfLong = AddCard(1, 1);
    AddCard(1, 2);
    TNViewItem* tuesday = AddCard(2, 1);
    TNViewItem* thursday = AddCard(3, 3);
    Pack();
    EXPECT_EQ(Line(monday), 0);
    EXPECT_EQ(monday->Panel.Get()->Left(), 55);
    EXPECT_EQ(monday->Panel.Get()->Width(), 3 * kDayWidth - 7);
    EXPECT_EQ(Line(tuesday), 1) << "line 0 is taken on Tuesday";
    EXPECT_EQ(tuesday->Panel.Get()->Left(), 55 + kDayWidth);
    EXPECT_EQ(tuesday->Panel.Get()->Width(), kDayWidth - 7);
    EXPECT_EQ(Line(thursday), 0) << "nothing earlier reaches Thursday";
    EXPECT_EQ(thursday->Panel.Get()->Left(), 55 + 3 * kDayWidth);
    EXPECT_FALSE(tuesdayOfLong->Panel.Get()->Visible()) << "the first card spans the days";
    EXPECT_EQ(bar_->Panel.Get()->Height(), 2 * kLine + 1);
}

TEST_F(RecordStripsTest, OfTwoRecordsStartingTheSameDayTheLongerGoesFirst)
{
    TNViewItem* shortOne = AddCard(1, 2);
    TNViewItem* longOne = AddCard(2, 2);
    AddCard(2, 3);
    Pack();
    EXPECT_EQ(Line(longOne), 0);
    EXPECT_EQ(Line(shortOne), 1);
}

TEST_F(RecordStripsTest, TiesKeepTheExchangeSortsOrder)
{
    TNViewItem* b1 = AddCard(11, 1);
    TNViewItem* b2 = AddCard(12, 1);
    TNViewItem* a = AddCard(10, 0);
    Pack();
    EXPECT_EQ(Line(a), 0);
    EXPECT_EQ(Line(b2), 0) << "order A, B2, B1";
    EXPECT_EQ(Line(b1), 1);
}

TEST_F(RecordStripsTest, ToolbarLayoutPacksOneLineForOneDayRecords)
{
    std::vector<TNViewItem*> cards;
    for (int32_t day = 0; day < 5; ++day)
        cards.push_back(AddCard(100 + day, day));
    bar_->LastWidth = -1;
    ASSERT_TRUE(View.ResizeToolbar(bar_, 0, 0, 755, 0, true));
    EXPECT_EQ(bar_->Panel.Get()->Height(), kLine + 1) << "five lines before packing, one after";
    for (TNViewItem* card : cards)
        EXPECT_EQ(Line(card), 0);
}

TEST_F(RecordStripsTest, BadDaysPlaceNothing)
{
    TNViewItem* outside = AddCard(1, 7);
    TNViewItem* inside = AddCard(2, 6);
    Pack();
    EXPECT_EQ(log_.CountContaining("dayPos out of the bar's days"), 1);
    EXPECT_EQ(outside->Panel.Get()->Left(), -100) << "not placed";
    EXPECT_EQ(inside->Panel.Get()->Left(), 55 + 6 * kDayWidth);

    outside->dayPos = 0;
    inside->shownDaysCount = 0;
    outside->shownDaysCount = 0;
    Pack();
    EXPECT_EQ(bar_->Panel.Get()->Height(), 0) << "0 days place nothing";
}

TEST_F(RecordStripsTest, OnlyTheFirst1440RecordsAreGrouped)
{
    for (uint32_t id = 1; id <= 1441; ++id)
        AddCard(id, 0, 1, 24);
    TNViewItem* last = View.GetComponent("card_1441_0");
    ASSERT_NE(last, nullptr);
    Pack();
    EXPECT_EQ(last->Panel.Get()->Left(), -100) << "the 1,441st is not placed";
    EXPECT_EQ(View.GetComponent("card_1440_0")->Panel.Get()->Top(), 1439 * kLine + 1);
}

TEST_F(RecordStripsTest, MonthBarsLogAndOtherViewsStack)
{
    TNViewItem* month = AddCard(1, 0, 1, 44);
    bar_->LastWidth = -1;
    View.ResizeToolbar(bar_, 0, 0, 755, 0, true);
    EXPECT_EQ(log_.CountContaining("case dayboxModeGroupMonth; no cmpRecord components should be here"), 1);
    EXPECT_EQ(month->Panel.Get()->Left(), -100);

    month->daybox_mode = 14;
    TNViewItem* second = AddCard(2, 0, 1, 14);
    second->AutoHeight = 1;
    View.StackToolbarRecords(bar_, 693, kLine);
    EXPECT_EQ(month->Panel.Get()->Top(), 1);
    EXPECT_EQ(month->Panel.Get()->Left(), 55);
    EXPECT_EQ(month->Panel.Get()->Width(), 693);
    EXPECT_EQ(second->Panel.Get()->Top(), 1 + month->Panel.Get()->Height()) << "one under the other";
}

} // namespace
} // namespace view_test
