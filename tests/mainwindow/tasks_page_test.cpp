// The Tasks page's list fill: titles and sorts by selection, what is
// collected, and when the shown list is replaced.

#include "mainwindow/tasks_page.h"

#include "model/pim.h"
#include "model/record_lists.h"
#include "platform/gui/panel.h"
#include "platform/gui/timer.h"
#include "tests/mainwindow/pages_fixture.h"
#include "view/view.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

namespace shell_test {
namespace {

constexpr uint32_t kMaxId = 0xFFFFFFFFu;

TEST(TasksSelection, TitlesAndSortsBySelectionId)
{
    struct Case {
        uint32_t id;
        const char* tagTitle;
        bool hasTitle;
        const char* title;
        TNRecordListSort sort;
    };
    const Case cases[] = {
        {kMaxId, nullptr, true, "Naplánované úkoly (3)", TNPIM::SortRecords_Scheduled},
        {kMaxId - 1, nullptr, true, "Důležité úkoly (3)", TNPIM::SortRecords_Important},
        {kMaxId - 2, nullptr, true, "Všechny úkoly (3)", TNPIM::SortRecords_Default},
        {kMaxId - 3, nullptr, true, "Úkoly bez štítku (3)", TNPIM::SortRecords_Default},
        {kMaxId - 4, "Nákup", false, "", nullptr},
        {0, "Nákup", false, "", nullptr},
        {17, "Nákup", true, "Nákup (3)", TNPIM::SortRecords_Default},
        {17, nullptr, false, "", TNPIM::SortRecords_Default},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.id);
        const TNTasksSelection selection = TasksSelectionFor(c.id, c.tagTitle, 3);
        EXPECT_EQ(selection.HasTitle, c.hasTitle);
        EXPECT_EQ(selection.Title, c.title);
        EXPECT_EQ(selection.Sort, c.sort);
    }
}

TEST(TasksReload, OnlyAChangedListIsReplaced)
{
    TNPIMRecord a(nullptr), b(nullptr), other(nullptr);
    a.ID = 1;
    a.Changed = 100;
    b.ID = 2;
    b.Changed = 100;
    other.ID = 3;
    TNPIMRecordList list;
    int32_t count = 0;
    list.Append(&a, &count);
    list.Append(&b, &count);
    const std::vector<TNShownRow> shown = ShownRowsOf(list, count);

    EXPECT_FALSE(RecordListNeedsReload(&shown, 9, list, count, 9)) << "the same list";
    EXPECT_TRUE(RecordListNeedsReload(nullptr, 9, list, count, 9)) << "nothing shown yet";
    EXPECT_TRUE(RecordListNeedsReload(&shown, 8, list, count, 9)) << "another selection";
    b.Changed = 101;
    EXPECT_TRUE(RecordListNeedsReload(&shown, 9, list, count, 9)) << "a record edited in place";
    b.Changed = 100;
    list.Items[1] = &other;
    EXPECT_TRUE(RecordListNeedsReload(&shown, 9, list, count, 9)) << "another record at a position";
    list.Items[1] = &b;
    list.Append(&other, &count);
    EXPECT_TRUE(RecordListNeedsReload(&shown, 9, list, count, 9)) << "another count";
}

class TasksCollect : public PagesTest {};

TEST_F(TasksCollect, AllTasksOfEveryDataSet)
{
    AddRecord(Account(0), {.ID = 11, .Year = 0, .Text = "Běžný"});
    AddRecord(Account(0), {.ID = 12, .Year = 0, .Text = "Druhý"});
    AddRecord(Account(0), {.ID = 13, .Type = rtEvent, .Text = "Schůzka"});
    AddRecord(SecondAccount(), {.ID = 21, .Year = 0, .Text = "Druhý účet"});

    TNPIMRecordList list;
    int32_t count = 0;
    TNTasksSelection selection;
    EXPECT_EQ(CollectTasks(kMaxId - 2, nullptr, false, 0, &list, &count, &selection), 3);
    EXPECT_EQ(selection.Title, "Všechny úkoly (3)");
    std::vector<uint32_t> ids;
    for (int32_t i = 0; i < count; ++i)
        ids.push_back(list.Items[static_cast<size_t>(i)]->ID);
    EXPECT_EQ(std::count(ids.begin(), ids.end(), 13u), 0) << "an event is no task";
    EXPECT_EQ(std::count(ids.begin(), ids.end(), 21u), 1) << "the second account's task";
}

} // namespace
} // namespace shell_test

namespace shell_test {
namespace {

class TasksFill : public PagesTest {
protected:
    void SetUp() override
    {
        PagesTest::SetUp();
        SignIn();
        Main().pTasksDesk->SetVisible(true);
        Main().pTasksDesk->SetBounds(0, 0, 600, 500);
        list_ = View.CreateComponent(cmpScrollbox, "scrollTasksList", &Main(), Main().pTasksDesk, 0, "", 1, -1, nullptr,
                                     nullptr, 3);
        ASSERT_NE(list_, nullptr);
        list_->ListKind = 1;
        View.ResizeScrollbox(list_, 0, 0, 400, 120, true, 1, 0, "test");
        Main().CreateRecordsPool(list_);
        for (uint32_t id = 1; id <= 30; ++id)
            AddRecord(Account(0), {.ID = id, .Year = 0, .Text = "Úkol"});
    }
    // The fill for that selection; how many times it painted.
    int Fill(uint32_t id)
    {
        model_test::LogCapture log;
        Main().timerTasksAfterTagSelect->SetTag(id);
        Main().timerTasksAfterTagSelect->SetEnabled(true);
        timers_->Advance(1);
        return log.CountContaining("caller = TfrmMainDLMR1::timerTasksAfterTagSelectTimer_A");
    }
    int32_t Offset() const { return -View.GetActiveInner(list_)->ContentPanel.Get()->Top(); }

    TNViewItem* list_ = nullptr;
};

TEST_F(TasksFill, TheSameListKeepsItsPlaceAndAChangedOneIsPaintedAgain)
{
    EXPECT_EQ(Fill(kMaxId - 2), 1);
    EXPECT_EQ(View.GetActiveInner(list_)->ListItemsCount, 30);
    EXPECT_EQ(Main().tasksLastListedId, kMaxId - 2);
    View.ScrollScrollboxTo(list_, -100);
    ASSERT_EQ(Offset(), 100);

    EXPECT_EQ(Fill(kMaxId - 2), 0) << "nothing changed";
    EXPECT_EQ(Offset(), 100);
    RecordAt(Account(0), 4).Changed += 60;
    EXPECT_EQ(Fill(kMaxId - 2), 1) << "a newer change stamp";
    EXPECT_EQ(Offset(), 100) << "the same selection keeps its place";
    EXPECT_EQ(Fill(kMaxId - 3), 1) << "another selection";
    EXPECT_EQ(Offset(), 0);
    AddRecord(Account(0), {.ID = 31, .Year = 0, .Text = "Nový"});
    EXPECT_EQ(Fill(kMaxId - 3), 1) << "another count";
    EXPECT_EQ(View.GetActiveInner(list_)->ListItemsCount, 31);
}

} // namespace
} // namespace shell_test
