#include "online/global.h"
#include "platform/gui/button.h"
#include "platform/gui/edit.h"
#include "platform/gui/label.h"
#include "platform/gui/menu.h"
#include "platform/gui/notebook.h"
#include "platform/gui/panel.h"
#include "platform/gui/timer.h"
#include "platform/testing/gui_harness.h"
#include "tests/mainwindow/header_fixture.h"
#include "view/view.h"

#include <gtest/gtest.h>

#include <functional>
#include <utility>

namespace shell_test {
namespace {

constexpr uint16_t kVkReturn = 13;
constexpr uint16_t kVkRight = 0x27;

class HeaderSearchTest : public HeaderTest {
protected:
    void SetUp() override
    {
        HeaderTest::SetUp();
        // The search page's own edit, as its page makes it.
        TNViewItem* page = View.CreateComponent(cmpEdit, "editSearchSearch", &Main(), Main().pSearchDesk, 0, "", 1, -1,
                                                nullptr, nullptr, 3);
        page->Edits[0].Get()->SetText("Hledat...");
        Main().BindSearchEdit(page);
        View.ResizeComponent(page, 10, 10, 200, -1, true);
        ASSERT_TRUE(plat::testing::WaitUntilExposed(Main()));
    }
    plat::TFlatEdit& Header() { return *Edit("editHeaderSearch"); }
    plat::TFlatEdit& Page() { return *Edit("editSearchSearch"); }
    // Typing as a user does. The harness's characters carry no key code, so
    // no key-down reaches the edit; a caret key stands in for the key downs
    // real typing gives.
    static void Type(plat::TFlatEdit& edit, const char* text)
    {
        plat::testing::TypeText(edit, text);
        plat::testing::TapKey(edit, kVkRight);
    }
    void LeaveTheEdit()
    {
        Main().btnESC->SetFocus();
        plat::testing::Flush();
    }
};

TEST_F(HeaderSearchTest, FocusClearsThePlaceholderAndLeavingEmptyBringsItBack)
{
    Header().SetFocus();
    plat::testing::Flush();
    EXPECT_EQ(Header().Text(), "");
    EXPECT_EQ(Header().Font().Color(), plat::clBlack);
    EXPECT_EQ(Header().BorderColor(), 0xD77800u);
    EXPECT_EQ(Main().FocusedSearchField(), &Header());
    EXPECT_GE(LogCount("[ShowAndResizeSuggestorPanel][BringToFront]"), 1);

    LeaveTheEdit();
    EXPECT_EQ(Header().Text(), "Hledat...");
    EXPECT_EQ(Header().Font().Color(), 0x808080u);
    EXPECT_EQ(Header().BorderColor(), 0xA9A9A9u);
    EXPECT_EQ(Header().Tag(), 0);
    EXPECT_EQ(Main().FocusedSearchField(), nullptr);
    EXPECT_EQ(Main().pSuggestor->Width(), 0);

    // A typed text stays when the focus goes and comes back.
    Header().SetFocus();
    plat::testing::Flush();
    Type(Header(), "ab");
    LeaveTheEdit();
    Header().SetFocus();
    plat::testing::Flush();
    EXPECT_EQ(Header().Text(), "ab");
    EXPECT_EQ(Header().Tag(), 1);
}

// The frame turns blue with the focus, however the focus came: by a click or
// given by the program (the window back from the tray); the edit stays white.
TEST_F(HeaderSearchTest, TheFrameTurnsBlueWithTheFocusByClickAndByTheProgram)
{
    const plat::TColor blue = 0xD77800;
    auto frameAndFill = [&] {
        plat::testing::Flush();
        plat::testing::Render(Header());
        const int middle = Header().Height() / 2;
        return std::pair{plat::testing::Probe(Header(), 0, middle), plat::testing::Probe(Header(), 1, middle)};
    };
    LeaveTheEdit();
    EXPECT_EQ(frameAndFill(), std::pair(plat::TColor{0xA9A9A9}, plat::clWhite));
    struct Way {
        const char* name;
        std::function<void()> focus;
    };
    const Way ways[] = {
        {"a click", [&] { plat::testing::MouseClick(Header(), Header().Width() / 2, Header().Height() / 2); }},
        {"the program", [&] { Header().SetFocus(); }},
    };
    for (const Way& way : ways) {
        SCOPED_TRACE(way.name);
        way.focus();
        EXPECT_TRUE(Header().Focused());
        EXPECT_EQ(frameAndFill(), std::pair(blue, plat::clWhite));
        LeaveTheEdit();
        EXPECT_EQ(frameAndFill(), std::pair(plat::TColor{0xA9A9A9}, plat::clWhite));
    }
}

// A click into the placeholder of a window that the window system has not
// activated (the main window shown again after the sign-in): Qt gives the
// edit the keys but no focus-in. The typed text stands alone, and Enter
// searches for it.
TEST_F(HeaderSearchTest, AClickIntoThePlaceholderOfAnInactiveWindowTypesTheTextAloneAndEnterSearches)
{
    LeaveTheEdit();
    ASSERT_EQ(Header().Text(), "Hledat...");
    plat::testing::SimulateOtherProgramActivated();
    plat::testing::MouseClick(Header(), Header().Width() / 2, Header().Height() / 2);
    plat::testing::Flush();
    EXPECT_TRUE(Header().Focused());
    Type(Header(), "ab");
    EXPECT_EQ(Header().Text(), "ab");
    plat::testing::TapKey(Header(), kVkReturn);
    plat::testing::Flush();
    EXPECT_TRUE(boxes_->boxes.empty());
    EXPECT_EQ(Main().gDesk->ActivePage(), "Search");
    EXPECT_EQ(g.SearchText().View(), "ab");
}

TEST_F(HeaderSearchTest, OneCharacterIsRefusedAndThePageStays)
{
    Header().SetFocus();
    Type(Header(), "a");
    plat::testing::TapKey(Header(), kVkReturn);
    plat::testing::Flush();
    ASSERT_EQ(boxes_->boxes.size(), 1u);
    EXPECT_EQ(boxes_->boxes[0].text, "Pro vyhledávání zadejte nejméně dva znaky.");
    EXPECT_EQ(boxes_->boxes[0].caption, "Hledání");
    EXPECT_EQ(Main().controlActive, TfrmMainDLMR1::kHomepage);
    EXPECT_TRUE(Header().Focused());

    // The find button with the placeholder untouched is refused the same way.
    LeaveTheEdit();
    Main().mnuFindClick(Item("btnHeaderFind")->TitleLabel.Get());
    EXPECT_EQ(boxes_->boxes.size(), 2u);
    EXPECT_EQ(Main().controlActive, TfrmMainDLMR1::kHomepage);
}

TEST_F(HeaderSearchTest, EnterInTheHeaderOpensTheSearchPageWithTheText)
{
    Click(TfrmMainDLMR1::kCalendar);
    Header().SetFocus();
    Type(Header(), "abc");
    plat::testing::TapKey(Header(), kVkReturn);
    plat::testing::Flush();
    EXPECT_TRUE(boxes_->boxes.empty());
    EXPECT_EQ(Main().gDesk->ActivePage(), "Search");
    EXPECT_EQ(Main().controlActive, TfrmMainDLMR1::kSearch);
    EXPECT_EQ(Main().searchReturnPage, TfrmMainDLMR1::kCalendar);
    EXPECT_EQ(Page().Text(), "abc");
    EXPECT_EQ(g.SearchText().View(), "abc");
    timers_->Advance(50);
    plat::testing::Flush();
    EXPECT_TRUE(Page().Focused());
    EXPECT_EQ(Main().FocusedSearchField(), &Page());
}

TEST_F(HeaderSearchTest, CtrlFOnAnotherPageOpensTheSearchPageWithTheFocusInItsEdit)
{
    Click(TfrmMainDLMR1::kTasks);
    plat::testing::TapWindowKey(Main(), 'F', plat::ssCtrl);
    plat::testing::Flush();
    timers_->Advance(50);
    plat::testing::Flush();
    EXPECT_EQ(Main().gDesk->ActivePage(), "Search");
    EXPECT_TRUE(Page().Focused());
    EXPECT_TRUE(boxes_->boxes.empty());
}

TEST_F(HeaderSearchTest, TheSearchTimerRefreshesThePageOnceWhenAsked)
{
    Main().timerSearch->SetTag(1);
    Main().timerSearch->SetEnabled(true);
    timers_->Advance(5);
    EXPECT_EQ(Pages().Count("UpdateSearch"), 1);
    EXPECT_FALSE(Main().timerSearch->Enabled());
    EXPECT_EQ(Main().timerSearch->Tag(), 0);

    Main().timerSearch->SetEnabled(true);
    timers_->Advance(5);
    EXPECT_EQ(Pages().Count("UpdateSearch"), 1);
}

} // namespace
} // namespace shell_test
