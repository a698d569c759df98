#include "foundation/log.h"
#include "online/window_state.h"
#include "platform/gui/label.h"
#include "platform/gui/notebook.h"
#include "platform/gui/panel.h"
#include "platform/gui/timer.h"
#include "tests/mainwindow/shell_fixture.h"
#include "view/view.h"

namespace shell_test {
namespace {

using ControlBarTest = ShellTest;

const char* const kButtons[] = {"btnControlHomepage", "btnControlCalendar", "btnControlTasks",
                                "btnControlNotes",    "btnControlPages",    "btnControlSearch"};

plat::TPanel* ButtonPanel(const char* name)
{
    TNViewItem* item = View.GetComponent(name);
    return item != nullptr ? item->Panel.Get() : nullptr;
}

TEST_F(ControlBarTest, ANarrowWindowShowsARowOfSquaresAndAWideOneACaptionedColumn)
{
    SignIn(1016);
    struct Case {
        int width;
        int side;
        bool row;
        bool captions;
    };
    for (const Case& c : {Case{800, 50, true, false}, Case{801, 77, false, true}}) {
        SCOPED_TRACE(c.width);
        Main().ResizeControl(c.width, 700, c.row ? 64 : 0, c.row ? 0 : 104);
        for (int i = 0; i < 6; ++i) {
            plat::TPanel* panel = ButtonPanel(kButtons[i]);
            ASSERT_NE(panel, nullptr);
            EXPECT_EQ(panel->Width(), c.side) << kButtons[i];
            EXPECT_EQ(panel->Height(), c.side) << kButtons[i];
            EXPECT_EQ(panel->Left(), c.row ? 14 + i * c.side : 14) << kButtons[i];
            EXPECT_EQ(panel->Top(), c.row ? 7 : 14 + i * c.side) << kButtons[i];
            TNViewItem* item = View.GetComponent(kButtons[i]);
            EXPECT_EQ(!item->Labels[0].Get()->Caption().empty(), c.captions) << kButtons[i];
        }
    }
    EXPECT_STREQ(View.GetComponent("btnControlCalendar")->ButtonTitle.Text, "KALENDÁŘ");
}

TEST_F(ControlBarTest, ACaptionTurnsBackToItsGreyOnceTheMouseHasPassed)
{
    SignIn(1016);
    Main().ResizeControl(801, 700, 0, 104);
    int passed = 0;
    for (const char* name : kButtons) {
        SCOPED_TRACE(name);
        TNViewItem* item = View.GetComponent(name);
        ASSERT_NE(item, nullptr);
        if (item->Active == 1)
            continue;
        plat::TLabel* caption = item->Labels[0].Get();
        ASSERT_EQ(caption->Font().Color(), 0x646464u);
        View.ButtonMouseEnter(item->TitleLabel.Get());
        View.ButtonMouseLeave(item->TitleLabel.Get());
        EXPECT_EQ(caption->Font().Color(), 0x646464u);
        ++passed;
    }
    EXPECT_GE(passed, 5);
}

TEST_F(ControlBarTest, SwitchingBuildsOncePicksThePageAndShowsZentorBesideDatedPagesOnly)
{
    SignIn();
    struct Case {
        int32_t id;
        const char* page;
        const char* create;
        bool zentor;
        const char* button;
    };
    const Case cases[] = {
        {2, "Calendar", "CreateCalendarComponents", true, "btnControlCalendar"},
        {3, "Tasks", "CreateTasksComponents", true, "btnControlTasks"},
        {4, "Notes", "CreateNotesComponents", true, "btnControlNotes"},
        {7, "Pages", "CreatePagesComponents", false, "btnControlPages"},
        {88, "Search", "CreateSearchComponents", false, "btnControlSearch"},
        {1, "Homepage", "CreateHomepageComponents", true, "btnControlHomepage"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.page);
        Click(c.id);
        Click(c.id);
        EXPECT_EQ(Main().gDesk->ActivePage(), c.page);
        EXPECT_EQ(Main().controlActive, c.id);
        EXPECT_EQ(Main().pZentor->Visible(), c.zentor);
        EXPECT_EQ(Pages().Count(c.create), c.id == 1 ? 0 : 1) << "built on first use only";
        EXPECT_TRUE(View.GetComponent(c.button)->Active);
        EXPECT_TRUE(Main().pDesk->Visible());
        EXPECT_EQ(Main().UpdateCount(), 0);
    }
    // Clicking the active button again refreshes the page.
    EXPECT_GE(Pages().Count("UpdatePages"), 2);
    EXPECT_EQ(WindowState.ActivePage(), "Homepage");

    // Any other id opens the home page.
    Click(2);
    Main().controlOpenRequestedView(5);
    EXPECT_EQ(Main().gDesk->ActivePage(), "Homepage");
}

TEST_F(ControlBarTest, LeavingAPageWithANoteSavesIt)
{
    SignIn();
    Click(4);
    EXPECT_EQ(Pages().Count("SaveEditedNote 1"), 1) << "leaving the home page";
    Click(2);
    EXPECT_EQ(Pages().Count("SaveEditedNote 2"), 1) << "leaving the notes";
    EXPECT_EQ(Pages().Count("ForgetEditedNote"), 1);
}

TEST_F(ControlBarTest, AClickFromInsideACallbackIsDropped)
{
    SignIn();
    Pages().DuringCreate = [this] { Click(3); };
    Click(2);
    EXPECT_EQ(Main().gDesk->ActivePage(), "Calendar");
    EXPECT_EQ(Pages().Count("CreateTasksComponents"), 0);
}

TEST_F(ControlBarTest, RefreshesSkipTheLoginPageAndTag9SkipsOnePictureJob)
{
    Main().UpdateActuallyShownData("test");
    EXPECT_EQ(LogCount("[UpdateActuallyShownData][RETURN] gDesk->ActivePage = Login; caller = test"), 1);
    EXPECT_EQ(LogCount("[UpdateActuallyShownData][BEGIN]"), 0);
    EXPECT_EQ(picturesJobs, 0);

    SignIn();
    picturesJobs = 0;
    Main().noSyncInUpdateActuallyShownData = true;
    Main().UpdateActuallyShownData("tag 9");
    EXPECT_EQ(picturesJobs, 0);
    Main().UpdateActuallyShownData("next");
    EXPECT_EQ(picturesJobs, 1);
}

TEST_F(ControlBarTest, AThrowingCallbackLeavesTheBarWorkingAndTheWindowPainted)
{
    SignIn();
    Pages().ThrowOn = "CreateCalendarComponents";
    Click(2);
    EXPECT_TRUE(Main().pDesk->Visible());
    EXPECT_EQ(Main().UpdateCount(), 0);
    EXPECT_EQ(Main().controlClickBusy.load(), 0);
    Click(3);
    EXPECT_EQ(Main().gDesk->ActivePage(), "Tasks");

    // The escape step and the desk layout release their bytes too.
    Pages().ThrowOn = "HideSideboard";
    const int escapes = Pages().Count("HideSideboard");
    Main().btnESCClick();
    Main().btnESCClick();
    EXPECT_EQ(Pages().Count("HideSideboard"), escapes + 2);
    EXPECT_EQ(Main().escBusy.load(), 0);
    Pages().ThrowOn = "ResizeTasksComponents";
    const int layouts = Pages().Count("ResizeTasksComponents");
    Main().pDeskResize();
    Main().pDeskResize();
    EXPECT_EQ(Pages().Count("ResizeTasksComponents"), layouts + 2);
    EXPECT_EQ(Main().deskResizeBusy.load(), 0);
}

} // namespace
} // namespace shell_test
