#include "foundation/app_info.h"
#include "foundation/hooks.h"
#include "mainwindow/outside_addresses.h"
#include "platform/gui/button.h"
#include "platform/gui/combo_box.h"
#include "platform/gui/edit.h"
#include "platform/gui/edit_operations.h"
#include "platform/gui/label.h"
#include "platform/gui/menu.h"
#include "platform/gui/notebook.h"
#include "platform/gui/panel.h"
#include "platform/gui/screen.h"
#include "platform/gui/timer.h"
#include "tests/mainwindow/shell_fixture.h"
#include "tests/mainwindow/shell_recorders.h"
#include "view/view.h"
#include "view/view_item.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace shell_test {
namespace {

constexpr uint16_t kKeyEscape = 0x1B;

class InputPathsTest : public ShellTest {
protected:
    void SetUp() override
    {
        ShellTest::SetUp();
        FoundationHooks.ActiveControlClass = &plat::ActiveControlClassName;
        FoundationHooks.EditActiveControl = &plat::EditActiveControl;
        SignIn();
    }
    void TearDown() override
    {
        FoundationHooks.ActiveControlClass = nullptr;
        FoundationHooks.EditActiveControl = nullptr;
        ShellTest::TearDown();
    }
    plat::TFlatEdit* FocusedEdit(const char* text)
    {
        auto* edit = new plat::TFlatEdit(&Main());
        edit->SetBounds(10, 10, 200, 22);
        edit->SetParent(Main().pHpDesk);
        edit->SetText(text);
        edit->SetFocus();
        return edit;
    }
    ShellRecorder shell_;
};

TEST_F(InputPathsTest, EditShortCutsRunTheirCommandOncePerKey)
{
    plat::TFlatEdit* edit = FocusedEdit("Příliš");
    plat::testing::TapKey(*edit, 'B', plat::ssCtrl);
    EXPECT_EQ(plat::Clipboard::Text(), "Příliš");

    plat::Clipboard::SetText("Z");
    edit->SetText("ab");
    edit->SetSelStart(2);
    plat::testing::TapKey(*edit, 'V', plat::ssCtrl);
    EXPECT_EQ(edit->Text(), "abZ");
}

TEST_F(InputPathsTest, TheTextMenuFocusesOnlyTheEditClassesItServes)
{
    plat::TFlatEdit* other = FocusedEdit("jiné");
    auto* edit = new plat::TFlatEdit(&Main());
    edit->SetParent(Main().pHpDesk);
    auto* combo = new plat::TFlatComboBox(&Main());
    combo->SetParent(Main().pHpDesk);
    auto* button = new plat::TButton(&Main());
    button->SetParent(Main().pHpDesk);
    struct Case {
        plat::TWinControl* control;
        bool focused;
    };
    for (const Case& c : {Case{edit, true}, Case{combo, true}, Case{button, false}}) {
        SCOPED_TRACE(c.control->ClassName());
        other->SetFocus();
        Main().popupText->SetPopupComponent(c.control);
        Main().popupTextPopup();
        EXPECT_EQ(c.control->Focused(), c.focused);
        EXPECT_EQ(other->Focused(), !c.focused);
    }
}

class WheelTest : public InputPathsTest {
protected:
    // A scroll box on the home page's desk, 200 high, of its content height.
    TNViewItem* Box(const char* name, int32_t contentHeight, plat::TWinControl* desk = nullptr)
    {
        TNViewItem* box = View.CreateComponent(cmpScrollbox, name, &Main(), desk != nullptr ? desk : Main().pHpDesk, 0,
                                               "", 1, -1, nullptr, nullptr, 3);
        EXPECT_NE(box, nullptr);
        box->FrameWidth = 0;
        box->FrameInset = 0;
        box->KindValue15 = 40;
        View.GetActiveInner(box)->ContentPanel.Get()->SetHeight(contentHeight);
        EXPECT_TRUE(View.ResizeScrollbox(box, 10, 20, 300, 200, true, 1, 0, "test"));
        return box;
    }
    plat::TPoint At(TNViewItem* box, int x, int y) const { return box->Scrollbox.Get()->ClientToScreen({x, y}); }
    static int32_t Top(TNViewItem* box) { return View.GetActiveInner(box)->ContentPanel.Get()->Top(); }
};

TEST_F(WheelTest, TheBoxUnderTheMouseTakesTheWheel)
{
    Main().pHpDesk->SetVisible(true);
    Main().pHpDesk->SetBounds(0, 0, 600, 500);
    TNViewItem* list = Box("scrollList", 200);
    list->ListKind = 2;
    TNViewInner* rows = View.GetActiveInner(list);
    rows->ListItemsCount = 25;
    rows->VisibleRows = 10;

    struct Case {
        const char* name;
        int32_t firstRow;
        bool up;
        int32_t firstRowAfter;
    };
    const Case cases[] = {{"rows 0-9 of 25 move down", 0, false, 1},
                          {"rows 15-24 stay at the end", 15, false, 15},
                          {"up from the top stays", 0, true, 0},
                          {"up moves back", 5, true, 4}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        rows->FirstRow = c.firstRow;
        Main().timerScrollbarMove->SetEnabled(false);
        EXPECT_TRUE(Main().MouseWheel(At(list, 50, 50), c.up));
        EXPECT_EQ(rows->FirstRow, c.firstRowAfter);
        EXPECT_EQ(Main().timerScrollbarMove->Enabled(), c.firstRow != c.firstRowAfter);
    }
    // The timer learns the list's kind; the box itself is named apart.
    EXPECT_EQ(Main().timerScrollbarMove->Tag(), list->ListKind);
    EXPECT_EQ(Main().wheelMovedComponentId, list->ComponentId);
    View.DeleteComponent("scrollList", false);

    TNViewItem* tall = Box("scrollTall", 500);
    struct Move {
        bool up;
        int32_t top;
    };
    // A 40-pixel step, down to -(500 - 200) and back up to 0.
    std::vector<int32_t> tops;
    for (const Move& move : {Move{false, -40}, Move{true, 0}, Move{true, 0}}) {
        EXPECT_TRUE(Main().MouseWheel(At(tall, 1, 1), move.up));
        EXPECT_EQ(Top(tall), move.top);
    }
    for (int step = 0; step < 10; ++step)
        Main().MouseWheel(At(tall, 1, 1), false);
    EXPECT_EQ(Top(tall), -300);
    View.DeleteComponent("scrollTall", false);

    TNViewItem* shortBox = Box("scrollShort", 100);
    EXPECT_TRUE(Main().MouseWheel(At(shortBox, 5, 5), false));
    EXPECT_EQ(Top(shortBox), 0);
}

TEST_F(WheelTest, TheNewestOfOverlappingBoxesTakesTheWheel)
{
    Main().pHpDesk->SetVisible(true);
    Main().pHpDesk->SetBounds(0, 0, 600, 500);
    TNViewItem* spare =
        View.CreateComponent(cmpEdit, "editSpare", &Main(), Main().pHpDesk, 0, "", 1, -1, nullptr, nullptr, 3);
    ASSERT_NE(spare, nullptr);
    TNViewItem* older = Box("scrollOlder", 500);
    TNViewItem* newer = Box("scrollNewer", 500);
    EXPECT_TRUE(Main().MouseWheel(At(newer, 5, 5), false));
    EXPECT_EQ(Top(newer), -40);
    EXPECT_EQ(Top(older), 0);

    // The newest box may sit in a slot freed before the others.
    const int32_t freedSlot = spare->SlotIndex;
    View.DeleteComponent("editSpare", false);
    TNViewItem* newest = Box("scrollNewest", 500);
    ASSERT_EQ(newest->SlotIndex, freedSlot);
    ASSERT_LT(newest->SlotIndex, older->SlotIndex);
    EXPECT_TRUE(Main().MouseWheel(At(newest, 5, 5), false));
    EXPECT_EQ(Top(newest), -40);
    EXPECT_EQ(Top(newer), -40);

    // Hidden, the newest lets the wheel through to the one below.
    newest->Shown = 0;
    EXPECT_TRUE(Main().MouseWheel(At(newer, 5, 5), false));
    EXPECT_EQ(Top(newer), -80);
    EXPECT_EQ(Top(newest), -40);
}

TEST_F(WheelTest, EdgesPagesAndOtherKinds)
{
    Main().pHpDesk->SetVisible(true);
    Main().pHpDesk->SetBounds(0, 0, 600, 500);
    TNViewItem* box = Box("scrollEdges", 500);
    const int width = box->Scrollbox.Get()->ClientWidth();
    const int height = box->Scrollbox.Get()->ClientHeight();
    struct Case {
        const char* name;
        int x;
        int y;
        bool handled;
    };
    const Case cases[] = {{"left and top edge", 0, 0, true},
                          {"last pixel inside", width - 1, height - 1, true},
                          {"right edge", width, 5, false},
                          {"bottom edge", 5, height, false},
                          {"outside", -5, -5, false}};
    for (const Case& c : cases)
        EXPECT_EQ(Main().MouseWheel(At(box, c.x, c.y), false), c.handled) << c.name;

    // A box of a page not shown does not take the wheel.
    Main().pCalendarDesk->SetBounds(0, 0, 600, 500);
    TNViewItem* hidden = Box("scrollCalendar", 500, Main().pCalendarDesk);
    View.DeleteComponent("scrollEdges", false);
    EXPECT_FALSE(Main().MouseWheel(At(hidden, 5, 5), false));
    EXPECT_EQ(Top(hidden), 0);

    // Another kind with a wheel control is logged and still consumes it.
    TNViewItem* other =
        View.CreateComponent(cmpEdit, "editWheel", &Main(), Main().pHpDesk, 0, "", 1, -1, nullptr, nullptr, 3);
    ASSERT_NE(other, nullptr);
    auto* panel = new plat::TJvPanel(&Main());
    panel->SetBounds(0, 0, 100, 100);
    panel->SetParent(Main().pHpDesk);
    other->Scrollbox = panel;
    EXPECT_TRUE(Main().MouseWheel(panel->ClientToScreen({10, 10}), true));
    EXPECT_EQ(LogCount("[TfrmMainDLMR1::MouseWheel] Unhandled item type! "), 1);
}

TEST_F(InputPathsTest, EscapeInTheEmptyHeaderSearchLeavesItForTheEscapeButton)
{
    TNViewItem* search =
        View.CreateComponent(cmpEdit, "editHeaderSearch", &Main(), Main().pHpDesk, 0, "", 1, -1, nullptr, nullptr, 3);
    ASSERT_NE(search, nullptr);
    plat::TFlatEdit* edit = search->Edits[0].Get();
    ASSERT_NE(edit, nullptr);
    // The header's placeholder comes back when the empty edit is left.
    edit->OnExit = [edit](plat::TComponent*) {
        if (edit->Text().empty())
            edit->SetText("Hledat...");
    };
    edit->SetText("");
    edit->SetFocus();
    ASSERT_TRUE(edit->Focused());
    plat::testing::TapKey(*edit, kKeyEscape);
    EXPECT_TRUE(Main().btnESC->Focused());
    EXPECT_EQ(edit->Text(), "Hledat...");
    EXPECT_EQ(Pages().Count("HideSideboard"), 1);

    // Inside its own run the escape step does nothing more.
    Pages().Calls.clear();
    Main().escBusy = 1;
    Main().btnESCClick();
    Main().escBusy = 0;
    EXPECT_TRUE(Pages().Calls.empty());
}

TEST_F(InputPathsTest, AStatusPanelOpensTheTargetOfItsTag)
{
    struct Case {
        int64_t tag;
        std::string opened;
        int dialogs;
    };
    BridgeRecorder bridge;
    OutsideAddresses.StatusBarPartner = "https://partner.example/";
    const std::string twitter = "https://" + [] {
        const std::string hint = App.TwitterCaption;
        return hint.substr(hint.find_last_of('\n') + 1);
    }();
    const Case cases[] = {
        {0, App.WebUrl, 0},       {1, "", 1},
        {2, twitter, 0},          {3, App.FacebookUrl, 0},
        {4, App.SupportUrl, 0},   {5, "https://partner.example/", 0},
        {6, App.InstagramUrl, 0}, {7, App.WindowsPageUrl, 0},
        {42, App.WebUrl, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.tag);
        shell_.Clear();
        bridge.keys.clear();
        plat::TOwned<plat::TLabel> label(new plat::TLabel(nullptr));
        label->SetTag(c.tag);
        Main().StatusClick(label.get());
        EXPECT_EQ(shell_.Opened(), c.opened.empty() ? std::vector<std::string>{} : std::vector<std::string>{c.opened});
        EXPECT_EQ(bridge.keys, c.dialogs == 1 ? std::vector<std::string>{"OProgramu"} : std::vector<std::string>{});
    }
    OutsideAddresses = TNOutsideAddresses{};
    plat::TOwned<plat::TLabel> label(new plat::TLabel(nullptr));
    label->SetTag(5);
    shell_.Clear();
    Main().StatusClick(label.get());
    EXPECT_TRUE(shell_.Opened().empty());
    EXPECT_EQ(LogCount("[TfrmMainDLMR1::StatusClick] No address configured; nothing opened."), 1);
}

TEST_F(InputPathsTest, CloseLinksInvertOnHover)
{
    plat::TOwned<plat::TLabel> owned(new plat::TLabel(nullptr));
    plat::TLabel* link = owned.get();
    Main().LinkCloseMouseEnter(link);
    EXPECT_EQ(link->Font().Color(), 0x000000u);
    EXPECT_EQ(link->Color(), 0xFFFFFFu);
    Main().LinkCloseMouseLeave(link);
    EXPECT_EQ(link->Font().Color(), 0xFFFFFFu);
    EXPECT_EQ(link->Color(), 0x000000u);
}

TEST_F(InputPathsTest, TheLoginTimerMarksTheWaitAsOverOnce)
{
    Main().timerLogin->SetEnabled(true);
    timers_->Advance(15000);
    EXPECT_TRUE(Main().loginWaitPassed);
    EXPECT_FALSE(Main().timerLogin->Enabled());
    EXPECT_EQ(LogCount("[TfrmMainDLMR1::timerLoginTimer][END]"), 1);
}

} // namespace
} // namespace shell_test
