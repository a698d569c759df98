// Record lists: the date label and colours of a card, where a scrolled list
// starts, and the pool of cards a list paints with.

#include "mainwindow/record_lists.h"

#include "foundation/common.h"
#include "model/pim.h"
#include "model/record_lists.h"
#include "model/records.h"
#include "platform/gui/label.h"
#include "platform/gui/panel.h"
#include "platform/gui/timer.h"
#include "platform/testing/gui_harness.h"
#include "tests/mainwindow/pages_fixture.h"
#include "view/record_card.h"
#include "view/view.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace shell_test {
namespace {

TNTime At(int day, int month, int year, int hour = 99, int minute = 0)
{
    TNTime time;
    time.SetDate(day, month, year);
    time.Hodina = static_cast<uint16_t>(hour);
    time.Minuta = static_cast<uint16_t>(minute);
    time.Sekunda = 0;
    return time;
}

TEST(CardDateLabel, TextAndColoursFollowTheBeginAgainstTodayAndTomorrow)
{
    const TNTime today = At(12, 3, 2025);
    const TNTime tomorrow = At(13, 3, 2025);
    struct Case {
        const char* name;
        bool hasBegin;
        TNTime begin;
        const char* text;
        plat::TColor background;
        plat::TColor textColor;
    };
    const Case cases[] = {
        {"today with a time", true, At(12, 3, 2025, 14, 30), " DNES 14:30 ", 0x77CA90, 0xFFFFFF},
        {"today without a time", true, At(12, 3, 2025), " DNES ", 0x77CA90, 0xFFFFFF},
        {"tomorrow", true, At(13, 3, 2025, 9, 0), " ZÍTRA 09:00 ", 0xE9C057, 0xFFFFFF},
        {"past, this year", true, At(3, 2, 2025, 8, 0), " 3.2. 08:00 ", 0x000080, 0xFFFFFF},
        {"past, another year, undated", true, At(3, 2, 2024), " 3.2.2024 ", 0x000080, 0xFFFFFF},
        {"later this year", true, At(20, 4, 2025), " 20.4. ", 0xFFFFFF, 0x000000},
        {"later, another year", true, At(20, 4, 2026), " 20.4.2026 ", 0xFFFFFF, 0x000000},
        {"midnight is a time", true, At(20, 4, 2025, 0, 0), " 20.4. 00:00 ", 0xFFFFFF, 0x000000},
        {"no begin", false, At(12, 3, 2025, 14, 30), "", 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const TNCardDateLabel label = CardDateLabel(c.hasBegin, c.begin, today, tomorrow);
        EXPECT_EQ(label.Text, c.text);
        EXPECT_EQ(label.Background, c.background);
        EXPECT_EQ(label.TextColor, c.textColor);
    }
    EXPECT_EQ(CardDateLabel(true, At(1, 1, 2026), At(31, 12, 2025), At(1, 1, 2026)).Text, " ZÍTRA ");
}

TEST(CardColorCombination, TasksByImportanceNotesAndOrganizersTheirOwn)
{
    for (int32_t type : {1, 111}) {
        SCOPED_TRACE(type);
        EXPECT_EQ(CardColorCombination(type, 10), 4);
        EXPECT_EQ(CardColorCombination(type, 99), 5);
        EXPECT_EQ(CardColorCombination(type, -10), 6);
        EXPECT_EQ(CardColorCombination(type, 0), 2);
    }
    EXPECT_EQ(CardColorCombination(2, 99), 3);
    EXPECT_EQ(CardColorCombination(222, 10), 3);
    EXPECT_EQ(CardColorCombination(17, 99), 1);
}

TEST(FirstVisibleItem, FromTheOffsetOrCountedBackFromTheEnd)
{
    const std::vector<int32_t> measured = {20, 30, 25, 40, 10}; // 125 in all
    const std::vector<int32_t> partly = {20, 30, -1, -1, -1};
    struct Case {
        const char* name;
        const std::vector<int32_t>* heights;
        int32_t offset;
        int32_t first;
    };
    const Case cases[] = {
        {"offset 0", &measured, 0, 0},
        {"on an item's top", &measured, 20, 1},
        {"inside an item", &measured, 35, 1},
        {"the last full screen starts inside item 2", &measured, 74, 2},
        {"beyond the last full screen: the last 50 px hold items 3 and 4", &measured, 100, 3},
        {"inside the measured part", &partly, 35, 1},
        {"beyond the measured part: the first unmeasured item", &partly, 70, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(FirstVisibleItem(c.offset, 50, c.heights->data(), static_cast<int32_t>(c.heights->size())), c.first);
    }
    EXPECT_EQ(FirstVisibleItem(30, 50, nullptr, 0), 0);
    EXPECT_EQ(RecordsPoolSizeFor(1024, 25), 40);
    EXPECT_EQ(RecordsPoolSizeFor(10, 25), 1);
}

class RecordListTest : public PagesTest {
protected:
    static constexpr int32_t kBoxHeight = 300;

    void SetUp() override
    {
        PagesTest::SetUp();
        SignIn();
        c.RefreshToday();
        Main().pHpDesk->SetVisible(true);
        Main().pHpDesk->SetBounds(0, 0, 600, 500);
        list_ = View.CreateComponent(cmpScrollbox, "scrollTestList", &Main(), Main().pHpDesk, 0, "", 1, -1, nullptr,
                                     nullptr, 3);
        ASSERT_NE(list_, nullptr);
        list_->ListKind = 1;
        list_->FrameWidth = 0;
        list_->FrameInset = 0;
        View.ResizeScrollbox(list_, 0, 0, 400, kBoxHeight, true, 1, 0, "test");
        Main().CreateRecordsPool(list_);
    }

    // `count` tasks in the first data set, "Úkol <n>" with ids from 1.
    void AddTasks(int32_t count)
    {
        TNPIMRecords& records = *Account(0).Records;
        const int32_t first = records.Count;
        ASSERT_TRUE(records.Resize(first + count));
        for (int32_t i = 0; i < count; ++i) {
            TNPIMRecord& record = *records.Items[first + i];
            record.ID = static_cast<uint32_t>(first + i + 1);
            record.Type = rtTask;
            record.Text.Set(("Úkol " + std::to_string(first + i + 1)).c_str());
            records.NoteIDChanged(first + i);
        }
    }

    // The list shows every record of the first data set.
    void ListAll()
    {
        TNPIMRecords& records = *Account(0).Records;
        TNPIMRecordList result;
        int32_t count = 0;
        for (int32_t i = 0; i < records.Count; ++i)
            result.Append(records.Items[i], &count);
        Main().SetListRecords(list_, result, count);
    }

    TNViewItem* Slot(int32_t slot)
    {
        return View.GetComponent(("scrollTestList_recordCmp" + std::to_string(slot)).c_str());
    }
    TNViewInner& Inner() { return *View.GetActiveInner(list_); }
    int32_t CardCount() const
    {
        int32_t cards = 0;
        for (int32_t i = 0; i < View.ItemsCount; ++i) {
            if (View.Items[i] != nullptr && View.Items[i]->Type == cmpRecord)
                ++cards;
        }
        return cards;
    }
    void Paint() { Main().PaintRecordsComponentsList(list_, false, "test", false); }

    TNViewItem* list_ = nullptr;
};

TEST_F(RecordListTest, ALongListPaintsWithThePoolAndTheWheelMovesItOneRowAStep)
{
    const int32_t pool = Main().RecordsPoolSize();
    EXPECT_GT(Main().smallestCardHeightUnit, 0);
    EXPECT_EQ(pool, 1024 / Main().smallestCardHeightUnit);
    EXPECT_EQ(CardCount(), pool);
    AddTasks(1000);
    ListAll();
    Paint();
    EXPECT_EQ(Slot(0)->record_id, 1u);
    EXPECT_GT(Inner().VisibleRows, 0);

    plat::TJvPanel* frame = list_->Scrollbox.Get();
    for (uint32_t step = 1; step <= 100; ++step) {
        plat::testing::MouseWheel(*frame, 20, 20, -120);
        plat::testing::Flush();
        EXPECT_EQ(Main().timerScrollbarMove->Tag(), 1) << step;
        timers_->Advance(1);
        ASSERT_EQ(Slot(0)->record_id, step + 1) << step;
        EXPECT_EQ(Main().timerScrollbarMove->Tag(), 0);
        EXPECT_EQ(Slot(0)->Panel.Get()->Top(), -Inner().ContentPanel.Get()->Top()) << step;
    }
    EXPECT_EQ(CardCount(), pool);
    EXPECT_EQ(Main().wheelMovedComponentId, 0u);
}

TEST_F(RecordListTest, AShortListHidesTheRestAndAnEmptyOneIsAsHighAsTheBox)
{
    AddTasks(3);
    ListAll();
    Paint();
    for (int32_t slot = 0; slot < 3; ++slot) {
        EXPECT_TRUE(Slot(slot)->Panel.Get()->Visible());
        EXPECT_EQ(Slot(slot)->record_id, static_cast<uint32_t>(slot + 1));
    }
    for (int32_t slot = 3; slot < Main().RecordsPoolSize(); ++slot) {
        EXPECT_FALSE(Slot(slot)->Panel.Get()->Visible()) << slot;
        EXPECT_EQ(Slot(slot)->UIntValue, 0u) << slot;
        EXPECT_EQ(Slot(slot)->record_id, 0u) << slot;
    }

    TNPIMRecordList none;
    Main().SetListRecords(list_, none, 0);
    Paint();
    EXPECT_FALSE(Slot(0)->Panel.Get()->Visible());
    EXPECT_EQ(Inner().ContentPanel.Get()->Height(), list_->Scrollbox.Get()->Height());
}

TEST_F(RecordListTest, MeasuringGoesOnInTheBoxTimerUntilEveryHeightIsSet)
{
    const int32_t pool = Main().RecordsPoolSize();
    AddTasks(3 * pool + 5);
    ListAll();
    Paint();
    const int32_t count = Inner().ListItemsCount;
    EXPECT_EQ(Inner().Heights[pool - 1] > 0, true);
    EXPECT_EQ(Inner().Heights[pool], -1);
    for (int pass = 0; pass < 10 && Inner().Heights[count - 1] < 0; ++pass)
        timers_->Advance(1);
    int64_t sum = 0;
    for (int32_t i = 0; i < count; ++i) {
        ASSERT_GT(Inner().Heights[i], 0) << i;
        EXPECT_EQ(Inner().Tops[i], sum) << i;
        sum += Inner().Heights[i];
    }
    EXPECT_EQ(Inner().ContentPanel.Get()->Height(), sum);
    EXPECT_FALSE(list_->RepaintTimer.Get()->Enabled());
    // The measuring passes left the shown rows where they were.
    EXPECT_EQ(Slot(0)->record_id, 1u);
    EXPECT_EQ(Slot(0)->Panel.Get()->Top(), 0);
}

TEST_F(RecordListTest, ACardShowsItsRecordsDateLabelTitleAndColours)
{
    AddTasks(2);
    TNPIMRecord& important = *Account(0).Records->Items[0];
    important.Importance = 99;
    important.HasBegin = true;
    important.Begin = At(11, 3, 2025, 14, 30);
    TNPIMRecord& note = *Account(0).Records->Items[1];
    note.Type = rtNote;
    note.PlainNote.Set("Nákup\nmléko");
    note.Note.Set("Nákup<br />mléko");
    ListAll();
    Paint();
    EXPECT_EQ(Slot(0)->Labels[1].Get()->Caption(), " DNES 14:30 ");
    EXPECT_EQ(Slot(0)->Labels[1].Get()->Color(), 0x77CA90u);
    EXPECT_EQ(Slot(0)->TitleLabel.Get()->Caption(), "Úkol 1");
    EXPECT_EQ(Slot(0)->ColorCombination, 5);
    EXPECT_EQ(Slot(1)->Labels[1].Get()->Caption(), "");
    EXPECT_EQ(Slot(1)->ColorCombination, 2);
    std::unique_ptr<TNString> title = note.GetNoteTitle();
    EXPECT_EQ(Slot(1)->TitleLabel.Get()->Caption(), title->Text != nullptr ? title->Text : "");

    EXPECT_EQ(Main().UpdateRecordComponent(0, nullptr, 1, list_), nullptr);
}

TEST_F(RecordListTest, APaintAfterALoadReadsNoFreedRecordAndAsksForARefill)
{
    AddTasks(5);
    ListAll();
    Paint();
    // The data set was emptied and filled again (a load): the list's
    // pointers are older than the shown data.
    TNView::NoteShownDataReplaced();
    Account(0).Records->Resize(0);
    AddTasks(2);
    Paint();
    EXPECT_EQ(Inner().ListItemsCount, 0);
    EXPECT_FALSE(Slot(0)->Panel.Get()->Visible());
    ListAll();
    Paint();
    EXPECT_EQ(Slot(1)->record_id, 2u);
    EXPECT_FALSE(Slot(2)->Panel.Get()->Visible());
}

} // namespace
} // namespace shell_test

namespace shell_test {
namespace {

class ScrollRepaintTest : public RecordListTest {
protected:
    TNViewItem* EmptyList(const char* name)
    {
        TNViewItem* box =
            View.CreateComponent(cmpScrollbox, name, &Main(), Main().pHpDesk, 0, "", 1, -1, nullptr, nullptr, 3);
        View.ResizeScrollbox(box, 0, 0, 200, 200, true, 1, 0, "test");
        TNPIMRecordList none;
        Main().SetListRecords(box, none, 0);
        return box;
    }
};

TEST_F(ScrollRepaintTest, TheTagAndTheViewChooseTheListAndTheCallers)
{
    EmptyList("scrollHpTasks");
    TNViewItem* tasks = EmptyList("scrollTasksList");
    EmptyList("scrollNotesList");
    struct Case {
        int64_t tag;
        int8_t view;
        bool handedOver;
        const char* paint;
        const char* layout;
        const char* defaultLog;
    };
    const Case cases[] = {
        {1, 1, false, "_A", "_A", nullptr},
        {1, 3, false, "_B", "_B", nullptr},
        {1, 4, true, "_C", "_C", nullptr},
        {1, 4, false, nullptr, nullptr, "[DEFAULT][A]"},
        {2, 1, false, "_G", "_D", nullptr},
        {10, 1, false, "_D", nullptr, nullptr},
        {10, 3, false, "_E", nullptr, nullptr},
        {10, 4, true, "_F", nullptr, nullptr},
        {10, 4, false, nullptr, nullptr, "[DEFAULT][B]"},
        {20, 3, false, "_H", nullptr, nullptr},
        {5, 1, true, "_I", nullptr, nullptr},
        {5, 1, false, nullptr, nullptr, "[DEFAULT][C]"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.tag) + " in view " + std::to_string(c.view));
        model_test::LogCapture log;
        Main().controlActive = c.view;
        Main().handedOverListId = c.handedOver ? tasks->ComponentId : 0;
        Main().timerScrollbarMove->SetTag(c.tag);
        Main().timerScrollbarMove->SetEnabled(true);
        timers_->Advance(5);
        EXPECT_FALSE(Main().timerScrollbarMove->Enabled());
        EXPECT_EQ(Main().timerScrollbarMove->Tag(), 0);
        const std::string caller = "TfrmMainDLMR1::timerScrollbarMoveTimer";
        EXPECT_EQ(log.CountContaining("[PaintRecordsComponentsList][BEGIN]"), c.paint != nullptr ? 1 : 0);
        if (c.paint != nullptr) {
            EXPECT_EQ(log.CountContaining(("[PaintRecordsComponentsList][BEGIN] caller = " + caller + c.paint).c_str()),
                      1);
        }
        EXPECT_EQ(log.CountContaining(("[TNView::ResizeScrollbox][END] " + caller).c_str()),
                  c.layout != nullptr ? 1 : 0);
        if (c.layout != nullptr) {
            EXPECT_EQ(log.CountContaining(("[TNView::ResizeScrollbox][END] " + caller + c.layout).c_str()), 1);
        }
        if (c.defaultLog != nullptr) {
            const std::string line = std::string("[timerScrollbarMoveTimer]") + c.defaultLog +
                                     " timerScrollbarMove->Tag = " + std::to_string(c.tag);
            EXPECT_EQ(log.CountContaining(line.c_str()), 1);
        }
    }
}

} // namespace
} // namespace shell_test
