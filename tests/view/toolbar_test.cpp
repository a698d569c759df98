#include "platform/gui/panel.h"
#include "tests/view/view_fixture.h"

#include <string>

namespace view_test {
namespace {

class ToolbarTest : public ViewTest {
protected:
    void SetUp() override
    {
        ViewTest::SetUp();
        Desk()->SetBounds(0, 0, 600, 400);
        bar_ = MakeItem(cmpToolbar, "scrollCalendar_WeekToolbar", Desk());
    }

    // A button of the bar, `width` wide.
    TNViewItem* AddButton(const char* name, uint8_t rightAligned, int32_t width)
    {
        TNViewItem* prepared = View.priToolbar(bar_, cmpButton, name, rightAligned);
        EXPECT_NE(prepared, nullptr);
        TNViewItem* button = View.AddToolbarComponent(prepared);
        EXPECT_NE(button, nullptr);
        button->Panel.Get()->SetBounds(0, 0, width, 30);
        return button;
    }

    plat::TPanel* PanelOf(TNViewItem* item) const { return item->Panel.Get(); }

    TNViewItem* bar_ = nullptr;
};

TEST_F(ToolbarTest, CreatesItsPanelOnTheParent)
{
    plat::TPanel* panel = PanelOf(bar_);
    EXPECT_EQ(panel->Parent(), Desk());
    EXPECT_EQ(panel->Color(), Desk()->Color());
    panel->MouseDown(plat::TMouseButton::mbLeft, 0, 2, 2);
    EXPECT_EQ(recorder_.Count("FormMouseDown"), 1) << "a main-window bar";
}

TEST_F(ToolbarTest, LaysOutLeftRightHiddenAndFillingChildren)
{
    TNViewItem* left = AddButton("Left", 0, 60);
    TNViewItem* right = AddButton("Right", 1, 70);
    TNViewItem* hidden = AddButton("Hidden", 0, 90);
    hidden->Shown = 0;
    PanelOf(hidden)->Hide();
    TNViewItem* fill = AddButton("Fill", 0, 20);
    fill->LayoutCode = -999;
    ASSERT_EQ(bar_->ChildrenCount, 4);

    ASSERT_TRUE(View.ResizeToolbar(bar_, 0, 0, 500, 30, true));
    EXPECT_EQ(PanelOf(bar_)->Width(), 500);
    EXPECT_EQ(PanelOf(bar_)->Height(), 30);
    EXPECT_EQ(PanelOf(left)->Left(), 0);
    EXPECT_EQ(PanelOf(fill)->Left(), 60) << "the hidden child takes no room";
    EXPECT_EQ(PanelOf(fill)->Width(), 440) << "the last child fills the rest";
    EXPECT_EQ(PanelOf(right)->Left(), 430);

    PanelOf(left)->SetLeft(200);
    EXPECT_FALSE(View.ResizeToolbar(bar_, 0, 0, 500, 30, false)) << "equal bounds";
    EXPECT_EQ(PanelOf(left)->Left(), 200);
    EXPECT_TRUE(View.ResizeToolbar(bar_, 0, 0, 500, 30, true));
    EXPECT_EQ(PanelOf(left)->Left(), 0);

    for (int32_t code : {555, 777}) {
        SCOPED_TRACE(code);
        bar_->LayoutCode = code;
        PanelOf(left)->SetLeft(200);
        EXPECT_TRUE(View.ResizeToolbar(bar_, 5, 0, 450, 30, true));
        EXPECT_EQ(PanelOf(bar_)->Left(), 5);
        EXPECT_EQ(PanelOf(bar_)->Width(), 450);
        EXPECT_EQ(PanelOf(left)->Left(), 200) << "the bar lays out only itself";
    }
}

TEST_F(ToolbarTest, HeightRules)
{
    struct Case {
        const char* name;
        int32_t records;
        int32_t buttons;
        int32_t height;
        int32_t expected;
    } cases[] = {
        {"no children", 0, 0, 30, 0},
        {"height given", 0, 1, 30, 30},
        {"fills the parent", 0, 1, -1, 400},
        {"records, one line each", 2, 1, 30, 2 * 20 + 1},
    };
    int made = 0;
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        while (bar_->ChildrenCount < test.buttons)
            AddButton(("b" + std::to_string(made++)).c_str(), 0, 40);
        for (int i = 0; i < test.records; ++i)
            MakeItem(cmpRecord, ("rec" + std::to_string(i)).c_str(), PanelOf(bar_));
        View.ResizeToolbar(bar_, 0, 0, 500, test.height, true);
        EXPECT_EQ(PanelOf(bar_)->Height(), test.expected);
    }
}

TEST_F(ToolbarTest, PreparesNamedComponents)
{
    TNViewItem* prepared = View.priToolbar(bar_, cmpButton, "DayTitle2", 1);
    ASSERT_NE(prepared, nullptr);
    EXPECT_STREQ(prepared->Name.Text, "scrollCalendar_WeekToolbar_DayTitle2");
    EXPECT_EQ(prepared->ParentItem, bar_);
    EXPECT_EQ(prepared->ParentControl.Get(), PanelOf(bar_));
    EXPECT_EQ(prepared->OwnerForm.Get(), MainForm());
    EXPECT_EQ(prepared->RightAligned, 1);
    EXPECT_EQ(prepared->FrameWidth, 0);
    EXPECT_EQ(prepared->HeightFollowsParent, 1);
    TNViewItem* made = View.AddToolbarComponent(prepared);
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(View.GetComponent("scrollCalendar_WeekToolbar_DayTitle2"), made);

    TNViewItem* again = View.priToolbar(bar_, cmpButton, "DayTitle2", 0);
    EXPECT_EQ(View.AddToolbarComponent(again), made) << "an existing name; the description is freed";

    TNViewItem* longBar = MakeItem(cmpToolbar, std::string(200, 'b').c_str(), Desk());
    TNViewItem* fits = View.priToolbar(longBar, cmpButton, std::string(56, 'n').c_str(), 0);
    ASSERT_NE(fits, nullptr) << "256 together";
    delete fits;
    EXPECT_EQ(View.priToolbar(longBar, cmpButton, std::string(57, 'n').c_str(), 0), nullptr);
    EXPECT_EQ(log_.CountContaining("[TNView::priToolbar][ERROR] full_name too long!"), 1);

    EXPECT_EQ(View.priToolbar(nullptr, cmpButton, "x", 0), nullptr);
    EXPECT_EQ(View.priToolbar(bar_, cmpButton, "", 0), nullptr);
    EXPECT_EQ(log_.CountContaining("[TNView::priToolbar][ERROR] No scrollbox_item or ToolbarItem or name!"), 2);
    EXPECT_EQ(View.AddToolbarComponent(nullptr), nullptr);
    EXPECT_EQ(log_.CountContaining("[TNView::AddToolbarComponent][ERROR] No component created!"), 1);
}

TEST_F(ToolbarTest, BackgroundColoursBarAndChildren)
{
    TNViewItem* button = AddButton("Button", 0, 60);
    TNViewItem* record = MakeItem(cmpRecord, "rec", PanelOf(bar_));
    PanelOf(record)->SetColor(0x123456);
    EXPECT_TRUE(View.SetToolbarBackground(bar_, 0x00AA00));
    EXPECT_EQ(PanelOf(bar_)->Color(), 0x00AA00u);
    EXPECT_EQ(PanelOf(button)->Color(), 0x00AA00u);
    EXPECT_EQ(button->NormalStart, 0x00AA00u);
    EXPECT_EQ(button->NormalEnd, 0x00AA00u);
    EXPECT_EQ(button->NormalOutline, 0x00AA00u);
    EXPECT_EQ(PanelOf(record)->Color(), 0x123456u) << "records keep their colours";

    EXPECT_FALSE(View.SetToolbarBackground(nullptr, 0));
    EXPECT_EQ(log_.CountContaining("[TNView::SetToolbarBackground][ERROR] item == NULL || item->Name.IsEmpty()"), 1);
}

} // namespace
} // namespace view_test
