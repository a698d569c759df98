#include "foundation/setup.h"
#include "foundation/time.h"
#include "model/event_types.h"
#include "model/organizers.h"
#include "model/pim.h"
#include "model/record.h"
#include "model/records.h"
#include "online/global.h"
#include "online/ui_tags.h"
#include "online/window_state.h"
#include "platform/gui/image.h"
#include "platform/gui/label.h"
#include "platform/gui/panel.h"
#include "platform/gui/text_metrics.h"
#include "tests/view/view_fixture.h"
#include "view/daybox_fill.h"
#include "view/image_table.h"

#include <gtest/gtest.h>

#include <cmath>
#include <stdexcept>
#include <string>
#include <vector>

namespace view_test {
namespace {

constexpr uint32_t kOrganizer = 10;

// A calendar page: a scroll box 755 wide with a day box in its content, an
// all-day bar in its third bar, and the first data set with one selected
// organizer.
class DayboxFillTest : public ViewTest {
protected:
    void SetUp() override
    {
        ViewTest::SetUp();
        Desk()->SetBounds(0, 0, 755, 2000);
        MakeDayboxBackgrounds();
        TNPIM& pim = set_.Pim();
        ASSERT_TRUE(pim.Organizers.Resize(1));
        organizer_ = pim.Organizers.Items[0];
        organizer_->ID = kOrganizer;
        organizer_->Subscribe = 1;
        organizer_->Selected = true;
        g.someRecordChangedSoUpdateViews = 0;
        g.uiTags.Clear();
        ::Setup.SetValue("Settings_ShowHiddenRecords", 0, TNSetupItem::kBool);

        current = this;
        ViewMainHooks.StartPicturesJob = [] { ++current->picturesJobs_; };
        ViewMainHooks.ScrollWheelableTo = [](int32_t position, const char*) {
            current->scrolls_.push_back(position);
            return true;
        };
    }
    void TearDown() override
    {
        g.someRecordChangedSoUpdateViews = 0;
        g.uiTags.Clear();
        ViewTest::TearDown();
        current = nullptr;
    }

    // A calendar view of `mode` from first to last (inclusive).
    void BuildView(int32_t mode, int32_t day, int32_t month, int32_t year, int32_t days, int32_t frameHeight = 600)
    {
        scroll_ = MakeScrollbox("scrollWeek", Desk());
        View.ResizeScrollbox(scroll_, 0, 0, 755, frameHeight, true, 1, 0, "test");
        plat::TWinControl* content = scroll_->Inners[0]->ContentPanel.Get();
        daybox_ = View.CreateComponent(cmpDaybox, "scrollWeek_daybox", MainForm(), content, 0, "", 1, -1, nullptr,
                                       scroll_, 3);
        ASSERT_NE(daybox_, nullptr);
        scroll_->DayboxItem = daybox_;
        daybox_->daybox_mode = mode;
        daybox_->Panel.Get()->SetBounds(0, 0, 755, frameHeight);
        bar_ = View.CreateComponent(cmpToolbar, "scrollWeek_allday", MainForm(), scroll_->ThirdBarPanel.Get(), 0, "", 1,
                                    -1, nullptr, scroll_, 3);
        bar_->LayoutCode = 0;
        bar_->Panel.Get()->SetBounds(0, 0, 755, 0);
        scroll_->ThirdBarItem = bar_;
        daybox_->Times[0].SetDateTime(day, month, 0, 0, 0, year);
        daybox_->Times[1].Copy(&daybox_->Times[0]);
        daybox_->Times[1].AddDays(days - 1);
    }

    TNPIMRecord& Event(uint32_t id, const char* text, int32_t day, int32_t month, int32_t year, int32_t hour,
                       int32_t minute, int32_t minutes, int32_t type = 3)
    {
        TNPIMRecord& record = set_.NewRecord();
        record.ID = id;
        record.Type = type;
        record.Text = TNString(text);
        record.OrganizerID = kOrganizer;
        record.Organizer = organizer_;
        record.Changed = id;
        record.HasBegin = true;
        record.Begin.SetDateTime(day, month, 0, minute, hour, year);
        record.Begin.GetTimestamp();
        if (minutes > 0) {
            record.HasEnd = true;
            record.End.SetTimestamp(record.Begin.Timestamp + int64_t{minutes} * 60);
            record.End.GetTimestamp();
            record.EventLength = minutes;
        }
        set_.Pim().Records->NoteIDChanged(set_.Pim().Records->Count - 1);
        record.AddToAllDays();
        return record;
    }

    void Fill() { View.UpdateDaybox(daybox_, scroll_, 10); }

    std::vector<TNViewItem*> Cards(TNViewItem* parent) const
    {
        std::vector<TNViewItem*> cards;
        for (int32_t i = 0; i < parent->ChildrenCount; ++i) {
            if (parent->Children[i] != nullptr && parent->Children[i]->Type == cmpRecord)
                cards.push_back(parent->Children[i]);
        }
        return cards;
    }

    TNViewItem* Card(int32_t dayPos, int32_t days, uint32_t id) const
    {
        const std::string name = "scrollWeek_daybox_recordCmp_" + std::to_string(dayPos) + "of" + std::to_string(days) +
                                 "_" + std::to_string(id);
        return View.GetComponent(name.c_str());
    }

    // "name: left, top, width, height" of every card under the parent, in
    // the order of the parent's children, the common prefix of names cut.
    std::vector<std::string> CardRects(TNViewItem* parent) const
    {
        std::vector<std::string> rects;
        for (TNViewItem* card : Cards(parent)) {
            const plat::TRect r = card->Panel.Get()->BoundsRect();
            std::string name(card->Name.View());
            name.erase(0, name.rfind("recordCmp_") + 10);
            rects.push_back(name + ": " + std::to_string(r.Left) + ", " + std::to_string(r.Top) + ", " +
                            std::to_string(r.Width()) + ", " + std::to_string(r.Height()));
        }
        return rects;
    }

    static inline DayboxFillTest* current = nullptr;
    model_test::DataSet set_;
    TNPIMOrganizer* organizer_ = nullptr;
    TNViewItem* scroll_ = nullptr;
    TNViewItem* daybox_ = nullptr;
    TNViewItem* bar_ = nullptr;
    int picturesJobs_ = 0;
    std::vector<int32_t> scrolls_;
};

TEST_F(DayboxFillTest, WeekCardsByTimeAndOverlap)
{
    BuildView(34, 4, 3, 2024, 7);
    Event(5001, "Schůzka", 6, 3, 2024, 10, 0, 60);
    Event(5002, "Porada", 6, 3, 2024, 10, 30, 90);
    Event(5003, "Noční", 4, 3, 2024, 22, 0, 240);
    Event(5004, "Celý den", 5, 3, 2024, 99, 0, 0);
    Fill();

    // Column width: (755 - 55 - 6) / 7 - 7 = 92.
    TNViewItem* first = Card(2, 7, 5001);
    TNViewItem* second = Card(2, 7, 5002);
    ASSERT_NE(first, nullptr) << "scrollWeek_daybox_recordCmp_2of7_5001";
    ASSERT_NE(second, nullptr);
    const int32_t w = (92 - 3) / 2;
    EXPECT_EQ(first->Panel.Get()->Width(), w);
    EXPECT_EQ(second->Panel.Get()->Width(), w);
    EXPECT_EQ(second->Panel.Get()->Left() - first->Panel.Get()->Left(), w + 3);
    EXPECT_EQ(first->Panel.Get()->Left(), (7 + 92) * 2 + 55);
    EXPECT_EQ(first->Panel.Get()->Top(), 800);
    EXPECT_EQ(first->ColumnsCount, 2);
    EXPECT_EQ(second->ColumnPos, 1);

    TNViewItem* night = Card(0, 7, 5003);
    ASSERT_NE(night, nullptr);
    EXPECT_EQ(night->Panel.Get()->Top(), 1760);
    EXPECT_EQ(night->Panel.Get()->Height(), 160);
    EXPECT_EQ(night->ParentItem, daybox_);
    TNViewItem* nextDay = Card(1, 7, 5003);
    ASSERT_NE(nextDay, nullptr);
    EXPECT_EQ(nextDay->ParentItem, bar_) << "the rest of the night lies in the all-day bar";
    TNViewItem* allDay = Card(1, 7, 5004);
    ASSERT_NE(allDay, nullptr);
    EXPECT_EQ(allDay->ParentItem, bar_) << "hour 99 is all-day";
    EXPECT_EQ(scroll_->ThirdBarShown, 1);
    EXPECT_GT(scroll_->ThirdBarHeight, 0);
    EXPECT_EQ(Cards(daybox_).size(), 3u) << "an empty day has no cards";
    EXPECT_EQ(first->TitleLabel.Get()->Caption(), "Schůzka");
    EXPECT_EQ(first->CaptionLabel.Get()->Hint(),
              "10:00\nSchůzka\nOd: 06.03.2024 10:00\nDo: 06.03.2024 11:00\nDélka v minutách: 60");
    EXPECT_EQ(allDay->CaptionLabel.Get()->Hint(), "Celý den\nOd: 05.03.2024");
}

// A record shares a column group only with one it begins inside: one that
// begins as another ends stands beside it at full width. A case a day.
TEST_F(DayboxFillTest, RecordsShareColumnsOnlyWhenOneBeginsInsideAnother)
{
    struct Case {
        const char* name;
        int32_t secondHour;
        int32_t secondMinute;
        int32_t columns;
    };
    const Case cases[] = {
        {"back to back", 11, 0, 1},
        {"a minute inside", 10, 59, 2},
        {"the same beginning", 10, 0, 2},
    };
    BuildView(34, 4, 3, 2024, 7);
    for (int32_t day = 0; day < 3; ++day) {
        const Case& c = cases[day];
        const uint32_t first = 10u * static_cast<uint32_t>(day) + 1;
        Event(first, "A", 4 + day, 3, 2024, 10, 0, 60);
        Event(first + 1, "B", 4 + day, 3, 2024, c.secondHour, c.secondMinute, 60);
    }
    Fill();
    // Columns 92 wide, 3 apart inside a group.
    for (int32_t day = 0; day < 3; ++day) {
        const Case& c = cases[day];
        SCOPED_TRACE(c.name);
        const int32_t w = (92 - 3 * (c.columns - 1)) / c.columns;
        const uint32_t first = 10u * static_cast<uint32_t>(day) + 1;
        for (uint32_t id : {first, first + 1}) {
            TNViewItem* card = Card(day, 7, id);
            ASSERT_NE(card, nullptr) << id;
            EXPECT_EQ(card->ColumnsCount, c.columns) << id;
            EXPECT_EQ(card->Panel.Get()->Width(), w) << id;
            EXPECT_EQ(card->Panel.Get()->Left(), 55 + day * (92 + 7) + card->ColumnPos * (w + 3)) << id;
        }
    }
}

TEST_F(DayboxFillTest, AThirdRecordInsideTheFirstJoinsTheGroup)
{
    BuildView(14, 6, 3, 2024, 1);
    Event(1, "A", 6, 3, 2024, 10, 0, 120);
    Event(2, "B", 6, 3, 2024, 10, 15, 15);
    Event(3, "C", 6, 3, 2024, 11, 0, 30);
    Fill();
    // One day: (755 - 55) - 7 = 693 for the group of three.
    const int32_t w = (693 - 6) / 3;
    for (uint32_t id : {1u, 2u, 3u}) {
        TNViewItem* card = Card(0, 1, id);
        ASSERT_NE(card, nullptr);
        EXPECT_EQ(card->ColumnsCount, 3) << id;
        EXPECT_EQ(card->Panel.Get()->Width(), w) << id;
        EXPECT_EQ(card->Panel.Get()->Left(), 55 + static_cast<int32_t>(id - 1) * (w + 3)) << id;
    }
}

TEST_F(DayboxFillTest, WhichRecordsAreShown)
{
    BuildView(14, 6, 3, 2024, 1);
    TNPIMRecord& hidden = Event(1, "Skrytý", 6, 3, 2024, 8, 0, 30);
    hidden.Hidden = true;
    Event(2, "Smazaný", 6, 3, 2024, 9, 0, 30).Deleted = 1;
    Event(3, "Viditelný", 6, 3, 2024, 10, 0, 30);
    Fill();
    EXPECT_EQ(Card(0, 1, 1), nullptr);
    EXPECT_EQ(Card(0, 1, 2), nullptr);
    EXPECT_NE(Card(0, 1, 3), nullptr);

    ::Setup.SetValue("Settings_ShowHiddenRecords", 1, TNSetupItem::kBool);
    Fill();
    EXPECT_NE(Card(0, 1, 1), nullptr) << "the setting changed: a rebuild";
    ::Setup.SetValue("Settings_ShowHiddenRecords", 0, TNSetupItem::kBool);

    struct Case {
        uint32_t deleted, subscribe;
        bool selected;
        uint32_t origin;
        bool shown;
    };
    const Case cases[] = {
        {0, 1, true, 0, true},   {1, 1, true, 0, false},  {0, 0, true, 0, false},
        {0, 1, false, 0, false}, {0, 1, false, 20, true},
    };
    for (const Case& c : cases) {
        organizer_->Deleted = c.deleted;
        organizer_->Subscribe = c.subscribe;
        organizer_->Selected = c.selected;
        organizer_->Origin = c.origin;
        g.someRecordChangedSoUpdateViews = 1;
        Fill();
        EXPECT_EQ(Card(0, 1, 3) != nullptr, c.shown) << c.deleted << c.subscribe << c.selected << c.origin;
    }

    static int asked = 0;
    static bool filterOn = false;
    asked = 0;
    ViewMainHooks.AuthorFilterOn = [] { return filterOn; };
    ViewMainHooks.RecordIsVisibleByFilter = [](TNPIMRecord* record) {
        ++asked;
        return record->ID != 3;
    };
    g.someRecordChangedSoUpdateViews = 1;
    Fill();
    EXPECT_EQ(asked, 0) << "asked only while the filter is on";
    filterOn = true;
    g.someRecordChangedSoUpdateViews = 1;
    Fill();
    EXPECT_GT(asked, 0);
    EXPECT_EQ(Card(0, 1, 3), nullptr);
}

TEST_F(DayboxFillTest, OnlyTheFirst1440RecordsOfADay)
{
    BuildView(14, 6, 3, 2024, 1);
    for (uint32_t id = 1; id <= 1441; ++id)
        Event(id, "x", 6, 3, 2024, 10, 0, 30);
    Fill();
    EXPECT_EQ(Cards(daybox_).size(), 1440u);
}

TEST_F(DayboxFillTest, UnchangedCallsRebuildNothingButPlaceTheRedline)
{
    SetNow(6, 3, 2024, 10, 0);
    BuildView(34, 4, 3, 2024, 7);
    Event(1, "A", 6, 3, 2024, 9, 0, 30);
    Fill();
    EXPECT_EQ(picturesJobs_, 1);
    TNViewItem* card = Card(2, 7, 1);
    ASSERT_NE(card, nullptr);
    EXPECT_TRUE(daybox_->FramePanel2.Get()->Visible());
    EXPECT_EQ(daybox_->FramePanel1.Get()->Tag(), 1) << "scrolled to the line once";
    ASSERT_FALSE(scrolls_.empty());
    EXPECT_EQ(scrolls_.back(), daybox_->FramePanel2.Get()->Tag());
    const size_t scrolled = scrolls_.size();

    SetNow(6, 3, 2024, 11, 0);
    Fill();
    EXPECT_EQ(picturesJobs_, 1) << "nothing changed: no rebuild, no pictures job";
    EXPECT_EQ(Card(2, 7, 1), card) << "the same card";
    EXPECT_EQ(daybox_->FramePanel2.Get()->Top(), (660 * 100 / 15 * 20) / 100) << "the line still moves";
    EXPECT_EQ(scrolls_.size(), scrolled);

    SetNow(11, 3, 2024, 0, 0);
    Fill();
    EXPECT_TRUE(daybox_->FramePanel2.Get()->Visible()) << "the last day's next midnight is included";
    SetNow(11, 3, 2024, 0, 1);
    Fill();
    EXPECT_FALSE(daybox_->FramePanel2.Get()->Visible());
    SetNow(3, 3, 2024, 23, 59);
    Fill();
    EXPECT_FALSE(daybox_->FramePanel2.Get()->Visible());

    g.someRecordChangedSoUpdateViews = 2;
    Fill();
    EXPECT_EQ(picturesJobs_, 2) << "forced";
    EXPECT_EQ(g.someRecordChangedSoUpdateViews.load(), 1);
    EXPECT_EQ(TakeQueuedUiTags(), (std::vector<int16_t>{__uiFastSync, __uiUpdateShownData_NoSync}));
    Fill();
    EXPECT_EQ(picturesJobs_, 3);
    EXPECT_EQ(g.someRecordChangedSoUpdateViews.load(), 0);
    EXPECT_TRUE(TakeQueuedUiTags().empty());
}

TEST_F(DayboxFillTest, BusyByteAndMissingData)
{
    BuildView(14, 6, 3, 2024, 1);
    Event(1, "A", 6, 3, 2024, 9, 0, 30);
    static bool fail = true;
    fail = true;
    ViewMainHooks.AuthorFilterOn = [] { return true; };
    ViewMainHooks.RecordIsVisibleByFilter = [](TNPIMRecord*) -> bool {
        if (fail)
            throw std::runtime_error("filter failed");
        return true;
    };
    Fill();
    EXPECT_EQ(daybox_->FillBusy, 0) << "cleared on the way out";
    fail = false;
    g.someRecordChangedSoUpdateViews = 1;
    Fill();
    EXPECT_NE(Card(0, 1, 1), nullptr) << "the next call rebuilds";

    daybox_->FillBusy = 1;
    g.someRecordChangedSoUpdateViews = 1;
    Fill();
    EXPECT_EQ(g.someRecordChangedSoUpdateViews.load(), 1) << "a re-entrant call returns at once";
    daybox_->FillBusy = 0;

    for (int round = 0; round < 3; ++round) {
        g.someRecordChangedSoUpdateViews = 1;
        Fill();
    }
    EXPECT_EQ(Cards(daybox_).size(), 1u) << "only the current cards";
    EXPECT_EQ(Cards(bar_).size(), 0u);
}

TEST_F(DayboxFillTest, WithoutTheFirstDataSetNothingIsRead)
{
    TNPIM* pim = PIM[0];
    ASSERT_NE(pim, nullptr);
    BuildView(14, 6, 3, 2024, 1);
    Event(1, "A", 6, 3, 2024, 9, 0, 30);
    // The data set array emptied, as after a failed load; the set itself
    // lives on and goes back in.
    ASSERT_EQ(PIM.Count(), 1);
    PIM.Clear([](TNPIM*) {});
    Fill();
    EXPECT_EQ(log_.CountContaining("[UpdateDaybox][ERROR] PIM[0] = NULL"), 1);
    EXPECT_EQ(daybox_->FillBusy, 0);
    ASSERT_TRUE(PIM.Append(pim));
}

TEST_F(DayboxFillTest, AnniversariesBirthdaysAndEventTypes)
{
    BuildView(14, 5, 3, 2024, 1);
    Event(7000, "Svatba", 5, 3, 2000, 99, 0, 0, 7);
    TNPIMRecord& copy = Event(7001, "Svatba", 5, 3, 2024, 99, 0, 0, 7);
    copy.Virtual = true;
    copy.MasterPos = 0;
    TNPIMRecord& birthday = Event(8001, "Jana", 5, 3, 2024, 99, 0, 0, 8);
    (void)birthday;
    TNPIM& pim = set_.Pim();
    ASSERT_TRUE(pim.EventTypes.Resize(1));
    pim.EventTypes.Items[0]->ID = 3;
    pim.EventTypes.Items[0]->ShowBeforeText = true;
    pim.EventTypes.Items[0]->DisplayTitle = TNString("Typ");
    Event(9001, "Text", 5, 3, 2024, 10, 0, 30).EventType = 3;
    Fill();
    TNViewItem* anniversary = View.GetComponent("scrollWeek_daybox_recordCmp_0of1_7001");
    ASSERT_NE(anniversary, nullptr);
    EXPECT_EQ(anniversary->TitleLabel.Get()->Caption(), "[2000] Svatba (24. výročí)");
    EXPECT_GE(View.GetShownRecord(7000), 0) << "the master is listed for the pictures";
    EXPECT_EQ(View.GetShownRecord(7001), -1);
    TNViewItem* born = View.GetComponent("scrollWeek_daybox_recordCmp_0of1_8001");
    ASSERT_NE(born, nullptr);
    EXPECT_EQ(born->TitleLabel.Get()->Caption(), "[2024] Jana");
    EXPECT_EQ(Card(0, 1, 9001)->TitleLabel.Get()->Caption(), "Typ: Text");
}

TEST_F(DayboxFillTest, DayTitleColoursAndDayNames)
{
    TNViewItem* title = MakeItem(cmpButton, "title", Desk());
    struct Case {
        int32_t day;
        plat::TColor color;
    };
    const Case cases[] = {{15, 0xF2F9F4}, {16, 0xFBF9F1}, {17, 0xFBF9F1}, {14, 0xE6E6F2}, {18, 0xFFFFFF}};
    SetNow(15, 6, 2024, 12, 0);
    BuildView(14, 15, 6, 2024, 1);
    scroll_->LeftColumnButtonItem = title;
    TNViewItem* names = View.CreateComponent(cmpToolbar, "scrollWeek_names", MainForm(), scroll_->TopBarPanel.Get(), 0,
                                             "", 1, -1, nullptr, scroll_, 3);
    names->LayoutCode = 777;
    scroll_->TopBarItem = names;
    TNViewItem* dayName = MakeItem(cmpButton, "scrollWeek_names_DayName", names->Panel.Get());
    for (const Case& c : cases) {
        daybox_->Times[0].SetDateTime(c.day, 6, 0, 0, 0, 2024);
        daybox_->Times[1].Copy(&daybox_->Times[0]);
        Fill();
        EXPECT_EQ(title->NormalStart, c.color) << c.day;
    }
    ASSERT_NE(dayName->Label(2), nullptr);
    EXPECT_FALSE(dayName->Label(2)->Caption().empty()) << "the name-day text of the first day";
}

TEST_F(DayboxFillTest, MonthGridAndCells)
{
    BuildView(44, 1, 3, 2024, 35, 500);
    daybox_->Panel.Get()->SetBounds(0, 0, 700, 500);
    EXPECT_TRUE(View.CalcWidthsAnsHeightsOfMonthViewCalendar(daybox_, 700, 500, 7, 5));
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(daybox_->MonthColumnWidths[i], 100);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(daybox_->MonthRowHeights[i], 100);
    EXPECT_TRUE(View.CalcWidthsAnsHeightsOfMonthViewCalendar(daybox_, 701, 500, 7, 5));
    EXPECT_EQ(daybox_->MonthColumnWidths[0], 101);
    EXPECT_EQ(daybox_->MonthColumnWidths[1], 100);
    EXPECT_FALSE(View.CalcWidthsAnsHeightsOfMonthViewCalendar(daybox_, 700, 500, 7, 0));
    EXPECT_FALSE(View.CalcWidthsAnsHeightsOfMonthViewCalendar(daybox_, 700, 500, 8, 5));
    EXPECT_EQ(log_.CountContaining("[TNView::CalcWidthsAnsHeightsOfMonthViewCalendar][ERROR]"), 4);

    daybox_->MonthRows = 5;
    for (uint32_t id = 1; id <= 6; ++id)
        Event(id, "Akce", 9, 3, 2024, 8 + static_cast<int32_t>(id), 5, 30);
    Fill();
    // 9 March is day position 8: second row, second column.
    TNViewItem* fifth = Card(8, 35, 5);
    TNViewItem* sixth = Card(8, 35, 6);
    ASSERT_NE(fifth, nullptr);
    ASSERT_NE(sixth, nullptr);
    EXPECT_EQ(fifth->MonthPos, 4);
    EXPECT_EQ(fifth->Panel.Get()->Width(), 93);
    EXPECT_EQ(fifth->Panel.Get()->Height(), 15);
    EXPECT_EQ(fifth->Panel.Get()->Left(), 100);
    EXPECT_EQ(fifth->Panel.Get()->Top(), 16 + 100 + 16 * 4 + 1);
    EXPECT_EQ(sixth->Panel.Get()->Width(), 0) << "n = 5 does not fit its cell";
    EXPECT_EQ(sixth->Panel.Get()->Height(), 0);
    EXPECT_EQ(fifth->Labels[1].Get()->Caption(), "13:05");
}

TEST_F(DayboxFillTest, HomePagePadsAndMinuteTable)
{
    BuildView(4, 6, 3, 2024, 1, 500);
    Event(1, "A", 6, 3, 2024, 8, 0, 60);
    Fill();
    TNViewItem* card = Card(0, 1, 1);
    ASSERT_NE(card, nullptr);
    EXPECT_EQ(card->Panel.Get()->Top(), 20) << "top pad of one row";
    EXPECT_EQ(card->Panel.Get()->Height(), 80);
    ASSERT_NE(daybox_->MinuteTops, nullptr);
    EXPECT_EQ(daybox_->MinuteTops[480], 20.0f);
    EXPECT_EQ(daybox_->MinuteTops[540], 100.0f);
    EXPECT_EQ(daybox_->MinuteTops[1440], 120.0f) << "record, then a bottom pad of one row";
    EXPECT_EQ(daybox_->Panel.Get()->Height(), scroll_->Scrollbox.Get()->Height()) << "at least the frame's height";
}

TEST(DayboxDynamicLayout, GapsShrinkAndTheMinuteTableRises)
{
    // Runs at 06:00 (60 min), 12:00 (60 min) and 20:00 (30 min); a row 20.
    TNPIMRecord records[4];
    TNDayboxDay day;
    for (TNPIMRecord& record : records)
        day.Records.push_back(&record);
    day.Prepare();
    const int32_t begins[] = {360, 720, 720, 1200};
    const int32_t lengths[] = {60, 60, 30, 30};
    for (size_t i = 0; i < 4; ++i) {
        day.Begin[i] = begins[i];
        day.Length[i] = lengths[i];
    }
    // The two runs at 12:00 form a group: the second follows the first.
    day.Groups = {{1, 2}};
    day.Group[1] = day.Group[2] = 0;
    day.Offset[2] = 50;
    float minutes[1441];

    struct Case {
        int32_t available;
        std::vector<int32_t> gaps;
    };
    // Heights 80 + 80 + 40 = 200, pads 20 + 20; the gaps after the runs of
    // 06:00 and 12:00 are 300 and 420 minutes, 400 and 560 px.
    const Case cases[] = {
        {5000, {400, 560, 0, 0}},
        // Room 300 - 40 - 200 = 60 > 2 rows: in proportion, 960 * 100 / 60.
        {300, {400 * 100 / (960 * 100 / 60), 560 * 100 / (960 * 100 / 60), 0, 0}},
        // Room 40 - 40 - 200 < 2 rows: a row each.
        {40, {20, 20, 0, 0}},
    };
    for (const Case& c : cases) {
        const TNDayboxDynamicLayout layout =
            Daybox_RecalcBeginsAndHeights_ModeDynamic(day, 20, c.available, false, minutes);
        ASSERT_EQ(layout.Segments.size(), 4u);
        for (size_t i = 0; i < 4; ++i)
            EXPECT_EQ(layout.Segments[i].GapPixels, c.gaps[i]) << c.available << " " << i;
        EXPECT_EQ(layout.Segments[2].Anchor, 1);
        EXPECT_EQ(layout.Segments[2].Top, layout.Segments[1].Top);
        EXPECT_EQ(minutes[1440], static_cast<float>(layout.TotalHeight));
        int decreases = 0;
        for (int m = 1; m <= 1440; ++m)
            decreases += minutes[m - 1] > minutes[m] ? 1 : 0;
        EXPECT_EQ(decreases, 0);
        TNViewItem box;
        box.daybox_mode = 4;
        box.MinuteTops = minutes;
        for (const TNDayboxSegment& segment : layout.Segments) {
            if (segment.Anchor >= 0)
                continue;
            box.ClickY = segment.Top;
            int32_t hour = 0, minute = 0;
            EXPECT_EQ(box.GetTimeFromClickPos(&hour, &minute), segment.StartMinute) << c.available;
        }
        // The table is the test's own.
        box.MinuteTops = nullptr;
    }

    // Two runs at the same minute, and one that ends at midnight: no
    // breakpoint distance of 0 reaches the table.
    day.Groups.clear();
    day.Group.assign(4, -1);
    day.Offset.assign(4, 0);
    day.Begin = {600, 600, 700, 1380};
    day.Length = {30, 30, 30, 60};
    const TNDayboxDynamicLayout layout = Daybox_RecalcBeginsAndHeights_ModeDynamic(day, 20, 5000, true, minutes);
    for (int m = 0; m <= 1440; ++m)
        ASSERT_TRUE(std::isfinite(minutes[m])) << m;
    EXPECT_EQ(minutes[1440], static_cast<float>(layout.TotalHeight));
}

TEST_F(DayboxFillTest, AnEmptyHomeDayReusesItsBackground)
{
    BuildView(4, 6, 3, 2024, 1, 480);
    Fill();
    plat::TImage* empty = ImageTable.GetImage("bgCalendarOneDay_ModeDynamic_Empty", true);
    ASSERT_NE(empty, nullptr);
    const int32_t frame = scroll_->Scrollbox.Get()->Height();
    EXPECT_EQ(empty->Height(), frame);
    EXPECT_EQ(daybox_->Panel.Get()->Height(), frame);
    g.someRecordChangedSoUpdateViews = 1;
    Fill();
    EXPECT_EQ(ImageTable.GetImage("bgCalendarOneDay_ModeDynamic_Empty", true), empty) << "same object";
    EXPECT_FLOAT_EQ(daybox_->MinuteTops[60], frame / 24.0f) << "24 equal hours";
}

} // namespace
} // namespace view_test

namespace view_test {
namespace {

const std::string kGoldens = DALMORA_TEST_DATA_DIR;
const std::string kOutput = DALMORA_BINARY_DIR "gui-test-output";

// Real fonts, as the program draws.
TEST_F(DayboxFillTest, GoldenWeekOfTwentyRecords)
{
    plat::TextMetrics::SetFixed(false);
    BuildView(34, 4, 3, 2024, 7, 900);
    View.ResizeDaybox(daybox_, 0, 0, 755, 900, true, true, false);
    uint32_t id = 1;
    // Three that overlap on Tuesday, two that last several days.
    Event(id++, "Porada", 5, 3, 2024, 9, 0, 90);
    Event(id++, "Telefonát", 5, 3, 2024, 9, 30, 30);
    Event(id++, "Oběd", 5, 3, 2024, 10, 0, 60);
    Event(id++, "Konference", 6, 3, 2024, 99, 0, 0).End.SetDateTime(8, 3, 0, 0, 99, 2024);
    Event(id++, "Noční směna", 7, 3, 2024, 20, 0, 720);
    const int32_t hours[] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 2, 5, 7, 3, 1};
    for (int32_t i = 0; i < 15; ++i)
        Event(id++, "Schůzka", 4 + i % 7, 3, 2024, hours[i], 0, 45);
    Fill();
    // The golden's tolerance is for glyph edges: the cards stand exactly.
    // Day d's column starts at 55 + 99 d and is 92 wide, an hour is 80
    // pixels; a group of n shares the column with 3 pixels between (Tuesday
    // 9:00 holds four of 20).
    const std::vector<std::string> weekCards = {
        "0of7_6: 55, 80, 44, 60",     "0of7_20: 102, 80, 44, 60",  "0of7_13: 55, 640, 92, 60",
        "1of7_7: 154, 160, 92, 60",   "1of7_1: 154, 720, 20, 120", "1of7_14: 177, 720, 20, 60",
        "1of7_2: 200, 760, 20, 40",   "1of7_3: 223, 800, 20, 80",  "2of7_8: 253, 240, 92, 60",
        "2of7_15: 253, 800, 92, 60",  "3of7_16: 352, 160, 92, 60", "3of7_9: 352, 320, 92, 60",
        "3of7_5: 352, 1600, 92, 320", "4of7_10: 451, 400, 44, 60", "4of7_17: 498, 400, 44, 60",
        "5of7_11: 550, 480, 92, 60",  "5of7_18: 550, 560, 92, 60", "6of7_19: 649, 240, 92, 60",
        "6of7_12: 649, 560, 92, 60"};
    EXPECT_EQ(CardRects(daybox_), weekCards);
    MainForm()->Show();
    EXPECT_TRUE(plat::testing::MatchesGolden(*daybox_->Panel.Get(), kGoldens + "daybox_week_filled.png", kOutput));
}

TEST_F(DayboxFillTest, GoldenMonthCellOfFiveRecords)
{
    plat::TextMetrics::SetFixed(false);
    BuildView(44, 4, 3, 2024, 35, 500);
    daybox_->Panel.Get()->SetBounds(0, 0, 700, 500);
    daybox_->Panel.Get()->SetColor(plat::clWhite);
    daybox_->MonthRows = 5;
    for (uint32_t id = 1; id <= 5; ++id)
        Event(id, "Akce", 4, 3, 2024, 8 + static_cast<int32_t>(id), 0, 30);
    Fill();
    // One under the other in the first cell, 16 pixels apart.
    const std::vector<std::string> monthCards = {"0of35_1: 0, 17, 93, 15", "0of35_2: 0, 33, 93, 15",
                                                 "0of35_3: 0, 49, 93, 15", "0of35_4: 0, 65, 93, 15",
                                                 "0of35_5: 0, 81, 93, 15"};
    EXPECT_EQ(CardRects(daybox_), monthCards);
    MainForm()->Show();
    EXPECT_TRUE(plat::testing::MatchesGolden(*daybox_->Panel.Get(), kGoldens + "daybox_month_cell.png", kOutput));
}

} // namespace
} // namespace view_test
