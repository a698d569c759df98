// The Tasks page's controls: the layout, the tag column's selection and
// buttons, the list's title and the two menus.

#include "foundation/setup.h"
#include "mainwindow/dialog_bridge.h"
#include "mainwindow/page_lists.h"
#include "model/pim.h"
#include "model/tags.h"
#include "platform/gui/dialogs.h"
#include "platform/gui/label.h"
#include "platform/gui/menu.h"
#include "platform/gui/notebook.h"
#include "platform/gui/panel.h"
#include "platform/gui/timer.h"
#include "tests/mainwindow/pages_fixture.h"
#include "view/view.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace shell_test {
namespace {

constexpr uint32_t kMaxId = 0xFFFFFFFFu;
constexpr const char* kSpecialNames[] = {"btnTasksTags_Scheduled", "btnTasksTags_Important", "btnTasksTags_AllTasks",
                                         "btnTasksTags_WithoutTag"};

class TasksPage : public PagesTest {
protected:
    void SetUp() override
    {
        PagesTest::SetUp();
        for (const char* name : kSpecialNames)
            ::Setup.SetValue(name, 0, TNSetupItem::kBool);
        ::Setup.SetValue("btnTasksTags_AllTasks", 1, TNSetupItem::kBool);
        AddTag(300, "Nákup");
        AddTag(301, "Doma");
        SignIn();
    }
    void OpenTasks()
    {
        Click(TfrmMainDLMR1::kTasks);
        timers_->Advance(1);
    }
    TNPIMTag& AddTag(uint32_t id, const char* title)
    {
        TNPIMTags& tags = Account(0).Tags;
        EXPECT_TRUE(tags.Resize(tags.Count + 1));
        TNPIMTag& tag = *tags.Items[tags.Count - 1];
        tag.ID = id;
        tag.OrganizerID = kOrganizerID;
        tag.Title.Set(title);
        tags.NoteIDChanged(tags.Count - 1);
        return tag;
    }
    // The column's buttons as (name, caption), in order.
    std::vector<std::pair<std::string, std::string>> Buttons()
    {
        std::vector<std::pair<std::string, std::string>> buttons;
        TNViewItem* column = View.GetComponent("scrollTasksTags");
        for (int32_t i = 0; i < View.ItemsCount; ++i) {
            TNViewItem* item = View.Items[i];
            if (item != nullptr && item->Type == cmpButton && item->ParentItem == column)
                buttons.emplace_back(item->Name.Text, item->Label(2)->Caption());
        }
        return buttons;
    }
    void ClickButton(const char* name)
    {
        TNViewItem* button = View.GetComponent(name);
        ASSERT_NE(button, nullptr) << name;
        button->TitleLabel.Get()->OnClick(button->TitleLabel.Get());
    }
    bool Selected(const char* name) { return View.GetComponent(name)->Selected == 1; }
    std::string ListTitle()
    {
        TNViewItem* title = View.GetComponent("scrollTasksListToolbar_SelectedTagTitle");
        return title->Label(2) != nullptr ? title->Label(2)->Caption() : "";
    }
    int Fills() const { return LogCount("caller = TfrmMainDLMR1::timerTasksAfterTagSelectTimer_A"); }
};

TEST_F(TasksPage, TheColumnAndTheListFillTheDeskBelowTheStrip)
{
    AddRecord(Account(0), {.ID = 11, .Year = 0, .Text = "Koupit chléb"});
    AddRecord(Account(0), {.ID = 12, .Year = 0, .Text = "Zalít květiny"});
    OpenTasks();
    const int32_t top = kPageStripHeight;
    const int32_t height = Main().pTasksDesk->ClientHeight() - top;
    const int32_t width = Main().gDesk->Width();
    const plat::TPanel& column = *View.GetComponent("scrollTasksTags")->Panel.Get();
    const plat::TPanel& list = *View.GetComponent("scrollTasksList")->Panel.Get();
    EXPECT_EQ(std::vector<int32_t>({column.Left(), column.Top(), column.Width(), column.Height()}),
              std::vector<int32_t>({0, top, 256, height}));
    EXPECT_EQ(std::vector<int32_t>({list.Left(), list.Top(), list.Width(), list.Height()}),
              std::vector<int32_t>({263, top, width - 263, height}));
    EXPECT_EQ(ListTitle(), "Všechny úkoly (2)");
    EXPECT_EQ(Buttons().size(), 6u);
    EXPECT_TRUE(Selected("btnTasksTags_AllTasks"));
}

TEST_F(TasksPage, ASelectedButtonStoresItsStateAndAClickOnItAgainDoesNothing)
{
    OpenTasks();
    ClickButton("btnTasksTags_Important");
    EXPECT_TRUE(::Setup.GetBool("btnTasksTags_Important"));
    EXPECT_FALSE(::Setup.GetBool("btnTasksTags_AllTasks"));
    EXPECT_FALSE(Selected("btnTasksTags_AllTasks"));
    EXPECT_EQ(Main().timerTasksAfterTagSelect->Tag(), static_cast<int64_t>(kMaxId - 1));
    timers_->Advance(1);
    EXPECT_EQ(Main().tasksLastListedId, kMaxId - 1);

    ForgetQueue();
    ClickButton("btnTasksTags0_300");
    EXPECT_TRUE(Account(0).Tags.GetTagByID(300)->SelectedOnTasksPage);
    EXPECT_FALSE(Account(0).Tags.GetTagByID(300)->PleaseSync) << "a mark is no change to upload";
    EXPECT_FALSE(::Setup.GetBool("btnTasksTags_Important"));
    const std::vector<QueueEntry> queued = QueuedItems();
    EXPECT_TRUE(std::any_of(queued.begin(), queued.end(), [](const QueueEntry& e) { return e.ID == 300; }));
    timers_->Advance(1);

    const int fills = Fills();
    ForgetQueue();
    ClickButton("btnTasksTags0_300");
    EXPECT_TRUE(Selected("btnTasksTags0_300"));
    EXPECT_FALSE(Main().timerTasksAfterTagSelect->Enabled());
    timers_->Advance(1);
    EXPECT_EQ(Fills(), fills);
    EXPECT_TRUE(QueuedItems().empty());
}

TEST_F(TasksPage, TwoStoredSelectionsKeepTheLastOneMet)
{
    Account(0).Tags.GetTagByID(301)->SelectedOnTasksPage = true;
    OpenTasks();
    EXPECT_EQ(Main().tasksSelectedId, 301u);
    EXPECT_EQ(Main().tasksLastListedId, 301u);
    EXPECT_EQ(ListTitle(), "Doma (0)");
}

TEST_F(TasksPage, TagsRenamedOrDeletedThroughTheModelShowInTheColumn)
{
    OpenTasks();
    Account(0).Tags.GetTagByID(300)->Title.Set("Velký nákup");
    Account(0).Tags.GetTagByID(301)->Deleted = 1;
    Main().UpdateActuallyShownData("test");
    timers_->Advance(1);
    const auto buttons = Buttons();
    ASSERT_EQ(buttons.size(), 5u);
    EXPECT_EQ(buttons[4], std::make_pair(std::string("btnTasksTags0_300"), std::string("Velký nákup")));
    EXPECT_EQ(View.GetComponent("btnTasksTags0_301"), nullptr);
}

TEST_F(TasksPage, ANewTagGetsItsButtonAndASpecialButtonCannotBeEdited)
{
    OpenTasks();
    bridge_.scripts["EditTag"] = [this](TNUniDialogForm&) { AddTag(302, "Práce"); };
    Main().pmnuTasksTagsNewTagClick();
    ASSERT_EQ(bridge_.Count("EditTag"), 1);
    EXPECT_EQ(bridge_.openings.back().Params, (std::array<int32_t, 8>{}));
    EXPECT_NE(View.GetComponent("btnTasksTags0_302"), nullptr);
    EXPECT_EQ(Buttons().size(), 7u);

    Main().pmnuTasksTagsEditTagClick();
    EXPECT_EQ(bridge_.Count("EditTag"), 1) << "a special button opens no dialog";
    ASSERT_EQ(bridge_.Count("MB"), 1);
    EXPECT_EQ(bridge_.openings.back().Params[7], static_cast<int32_t>(plat::MB_ICONERROR));
    EXPECT_EQ(MessageBoxFields.Text, "Tento štítek nemůže být upravován.");
    EXPECT_EQ(MessageBoxFields.Caption, "Upravit štítek");

    ClickButton("btnTasksTags0_300");
    Main().pmnuTasksTagsEditTagClick();
    ASSERT_EQ(bridge_.Count("EditTag"), 2);
    EXPECT_EQ(bridge_.openings.back().Params[7], 300);
}

TEST_F(TasksPage, TheTagMenuNeverShowsTheDeleteItem)
{
    OpenTasks();
    ClickButton("btnTasksTags0_300");
    Main().btnTasksTagsMenuMouseDown(nullptr, plat::TMouseButton::mbLeft);
    Main().btnTasksListMenuMouseDown(nullptr, plat::TMouseButton::mbLeft);
    ASSERT_EQ(menus_->popups.size(), 2u);
    EXPECT_EQ(menus_->popups[0].captions, (std::vector<std::string>{"Nový štítek...", "Upravit štítek..."}));
    EXPECT_EQ(menus_->popups[1].captions, (std::vector<std::string>{"Přidat nový úkol..."}));
}

TEST_F(TasksPage, TheHiddenViewsBuildBothPagesOnce)
{
    Main().Pages().CreateHiddenView(5);
    Main().Pages().CreateHiddenView(6);
    ASSERT_NE(View.GetComponent("scrollTasksTags"), nullptr);
    ASSERT_NE(View.GetComponent("memoNotesNote"), nullptr);
    const auto components = [] {
        int n = 0;
        for (int32_t i = 0; i < View.ItemsCount; ++i)
            n += View.Items[i] != nullptr ? 1 : 0;
        return n;
    };
    const int built = components();
    Main().Pages().CreateHiddenView(5);
    Main().Pages().CreateHiddenView(6);
    EXPECT_EQ(components(), built);
    EXPECT_EQ(LogCount("[CreateTasksComponents] not built yet"), 0);
    EXPECT_EQ(LogCount("[CreateNotesComponents] not built yet"), 0);
}

TEST_F(TasksPage, DraggingTheThumbHandsTheListToTheScrollTimerWhichShowsTheRowsThere)
{
    for (uint32_t id = 1; id <= 40; ++id)
        AddRecord(Account(0), {.ID = id, .Year = 0, .Text = "Úkol"});
    OpenTasks();
    TNViewItem* list = View.GetComponent("scrollTasksList");
    TNViewInner* inner = View.GetActiveInner(list);
    ASSERT_EQ(inner->ListItemsCount, 40);
    while (timers_->ArmedCount() > 0)
        timers_->Advance(1);
    View.ScrollScrollboxTo(list, -600);
    ASSERT_NE(list->OnScroll, nullptr);
    list->OnScroll(list);
    EXPECT_EQ(Main().timerScrollbarMove->Tag(), 10);
    EXPECT_EQ(Main().handedOverListId, list->ComponentId);
    timers_->Advance(1);
    EXPECT_GT(inner->FirstRow, 0);
    TNViewItem* first = View.GetComponent("scrollTasksList_recordCmp0");
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->UIntValue, inner->Records->Items[inner->FirstRow]->ID);
    EXPECT_EQ(Main().timerScrollbarMove->Tag(), 0);
}

} // namespace
} // namespace shell_test

namespace shell_test {
namespace {

const std::string kGoldens = DALMORA_TEST_DATA_DIR;
const std::string kOutput = DALMORA_BINARY_DIR "gui-test-output";

class TasksPageLook : public TasksPage {};

// The column with its selected button, the title with the count, and the
// cards in the colours of their importance with their date labels.
TEST_F(TasksPageLook, TheTasksPageAsItIsDrawn)
{
    c.RefreshToday();
    struct Task {
        uint32_t id;
        int32_t importance;
        int32_t day;
        int32_t hour;
        const char* text;
    };
    const Task tasks[] = {{11, 99, 11, 14, "Zaplatit nájem"},
                          {12, 10, 12, 9, "Připravit prezentaci"},
                          {13, 0, 3, 8, "Vrátit knihy"},
                          {14, -10, 0, 0, "Umýt okna"}};
    for (const Task& task : tasks) {
        const int32_t pos = AddRecord(Account(0), {.ID = task.id,
                                                   .Year = task.day == 0 ? 0 : 2025,
                                                   .Month = 3,
                                                   .Day = task.day,
                                                   .Hour = task.hour,
                                                   .Text = task.text});
        RecordAt(Account(0), pos).Importance = task.importance;
    }
    OpenTasks();
    ASSERT_EQ(ListTitle(), "Všechny úkoly (4)");
    Main().Show();
    EXPECT_TRUE(plat::testing::MatchesGolden(*Main().pTasksDesk, kGoldens + "tasks_page.png", kOutput));
}

} // namespace
} // namespace shell_test
