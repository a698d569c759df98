#include "platform/gui/gradient.h"
#include "platform/gui/image.h"
#include "platform/gui/label.h"
#include "platform/gui/shape.h"
#include "tests/view/view_fixture.h"
#include "view/image_table.h"

#include <functional>

namespace view_test {
namespace {

class ButtonTest : public ViewTest {
protected:
    void SetUp() override
    {
        ViewTest::SetUp();
        ImageTable.CreateBlankImage("imgIcon", 16, 16, plat::RGB(0, 0, 200));
        ImageTable.CreateBlankImage("imgCheckboxCheckedWhiteBG", 14, 14, plat::RGB(0, 200, 0));
        ImageTable.CreateBlankImage("imgCheckboxUnchecked", 14, 14, plat::RGB(200, 0, 0));
        ImageTable.CreateBlankImage("imgDropdownSilver", 7, 8, plat::RGB(90, 90, 90));
    }

    // A button with frame 1 and no padding; `shape` sets the template.
    TNViewItem* Button(const char* name, const char* title, const std::function<void(TNViewItem&)>& shape = {},
                       const char* caption = "")
    {
        auto* form = new TNViewItem();
        form->Init();
        form->ButtonTitle = TNString(title);
        form->FrameWidth = 1;
        form->TextInsetX = 0;
        form->TextInsetY = 0;
        // A template carries the active gradient; callers give the view's.
        form->ActiveStart = View.ButtonColors[4];
        form->ActiveEnd = View.ButtonColors[5];
        if (shape)
            shape(*form);
        return View.CreateComponent(cmpButton, name, MainForm(), Desk(), 0, caption, 1, -1, form, nullptr, 3);
    }

    static int PanelWidth(TNViewItem* item) { return item->Panel.Get()->Width(); }
};

TEST_F(ButtonTest, AutomaticWidthAddsTextIconMarksAndGaps)
{
    const struct {
        const char* name;
        const char* title;
        std::function<void(TNViewItem&)> shape;
        int width;
    } cases[] = {
        {"text", "Týden", [](TNViewItem&) {}, 41},
        {"iconLeft", "Týden",
         [](TNViewItem& b) {
             b.IconName = TNString("imgIcon");
             b.IconPosition = 3;
         },
         63},
        {"checkRight", "Týden",
         [](TNViewItem& b) {
             b.HasCheckbox = 1;
             b.CheckboxSide = 4;
         },
         59},
        {"dropDown", "Týden", [](TNViewItem& b) { b.HasDropDown = 1; }, 55},
        {"iconOnly", "",
         [](TNViewItem& b) {
             b.IconName = TNString("imgIcon");
             b.IconPosition = 1;
         },
         22},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TNViewItem* item = Button(c.name, c.title, [&](TNViewItem& b) {
            b.AutoWidth = 1;
            c.shape(b);
        });
        ASSERT_NE(item, nullptr);
        View.ResizeComponent(item, 0, 0, 100, 28, true);
        EXPECT_EQ(PanelWidth(item), c.width);
    }
}

TEST_F(ButtonTest, DropDownMarkEndsTheIconAndTextRowInsideTheGradient)
{
    TNViewItem* item = Button("menu", "Den", [](TNViewItem& b) {
        b.IconName = TNString("imgIcon");
        b.IconPosition = 3;
        b.HasDropDown = 1;
    });
    View.SetButtonTitle(item, "Den", "7", plat::clWhite, 0x808080, false, false);
    View.ResizeComponent(item, 0, 0, 120, 30, true);
    plat::TLabel* text = item->Label(2);
    plat::TLabel* badge = item->Label(3);
    plat::TImage* mark = item->Images[3].Get();
    EXPECT_EQ(badge->Left(), text->Left() + text->Width() + item->BadgeGap);
    EXPECT_EQ(mark->Left(), badge->Left() + badge->Width() + item->DropDownGap);
    EXPECT_EQ(mark->Top(), (30 - 8) / 2 + 1);

    // A narrow button keeps the mark inside its gradient.
    View.ResizeComponent(item, 0, 0, 40, 30, true);
    plat::TRect gradient = item->Gradient.Get()->BoundsRect();
    EXPECT_LE(mark->Left() + mark->Width(), gradient.Right);
}

TEST_F(ButtonTest, WrappedTextSetsTheHeightUpToItsMaximum)
{
    TNViewItem* item = Button("wrap", "aaaaaaaaaa bbbbbbbbbb cccccccccc", [](TNViewItem& b) { b.WordWrap = 1; });
    // Text room 100: the width less the frame (2 x 1 + 2).
    View.ResizeComponent(item, 0, 0, 104, 28, true);
    EXPECT_EQ(item->Panel.Get()->Height(), 49);
    item->MaxTextHeight = 30;
    View.ResizeComponent(item, 0, 0, 104, 28, true);
    EXPECT_EQ(item->Panel.Get()->Height(), 34);
}

TEST_F(ButtonTest, ZeroSizeHidesThePanelAndLeavesTheChildren)
{
    TNViewItem* item = Button("zero", "Den");
    View.ResizeComponent(item, 0, 0, 80, 30, true);
    plat::TRect gradient = item->Gradient.Get()->BoundsRect();
    View.ResizeComponent(item, 5, 6, 0, 0, true);
    EXPECT_EQ(item->Panel.Get()->BoundsRect(), plat::Bounds(5, 6, 0, 0));
    EXPECT_EQ(item->Gradient.Get()->BoundsRect(), gradient);
}

TEST_F(ButtonTest, LayoutRunsAgainOnlyWhenForcedOrTheCaptionColumnGrew)
{
    TNViewItem* item = Button("first", "Den", {}, "Ab");
    View.ResizeComponent(item, 0, 0, 120, 30, true);
    EXPECT_EQ(item->Shapes[0].Get()->Left(), 3 * 7 + 14);
    item->Panel.Get()->SetWidth(50);
    View.ResizeComponent(item, 0, 0, 120, 30, false);
    EXPECT_EQ(PanelWidth(item), 50);
    View.ResizeComponent(item, 0, 0, 120, 30, true);
    EXPECT_EQ(PanelWidth(item), 120);

    // A wider caption joins the column: the next plain layout moves the frame.
    Button("second", "Den", {}, "Abcdef");
    View.ResizeComponent(item, 0, 0, 120, 30, false);
    EXPECT_EQ(item->Shapes[0].Get()->Left(), 7 * 7 + 14);
}

TEST_F(ButtonTest, HoverShowsTheHighlightUnlessDisabledOrActive)
{
    const struct {
        const char* name;
        bool enabled;
        bool active;
        bool underline;
        plat::TColor hoverStart;
        bool underlined;
    } cases[] = {
        {"plain", true, false, false, 0xF5F5F5, false},
        {"underlined", true, false, true, 0xF5F5F5, true},
        {"disabled", false, false, true, 0xFBFBFB, false},
        {"active", true, true, true, 0xFFFCF9, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TNViewItem* item = Button(c.name, "Den");
        item->UnderlineOnHover = c.underline ? 1 : 0;
        item->HoverText = plat::RGB(0, 0, 255);
        if (!c.enabled)
            item->SetButtonDisabled();
        item->SetActiveButtonColors(c.active);
        plat::TJvGradient* gradient = item->Gradient.Get();
        plat::TLabel* text = item->Label(2);

        View.ButtonHoverOn(item);
        EXPECT_EQ(gradient->StartColor(), c.hoverStart);
        EXPECT_EQ((text->Font().Style() & plat::fsUnderline) != 0, c.underlined);
        if (c.enabled && !c.active) {
            EXPECT_EQ(text->Font().Color(), plat::RGB(0, 0, 255));
        }
        View.ButtonHoverOff(item);
        EXPECT_EQ(gradient->StartColor(), c.active ? 0xFFFCF9u : 0xFBFBFBu);
        EXPECT_EQ(gradient->EndColor(), c.active ? 0xEDCA9Eu : 0xC4D3DCu);
        EXPECT_EQ(text->Font().Style() & plat::fsUnderline, 0u);
    }
}

int clicks = 0;

TEST_F(ButtonTest, CheckOverlayTogglesTheMarkAndCallsBack)
{
    TNViewItem* item = Button("check", "Den", [](TNViewItem& b) { b.HasCheckbox = 1; });
    clicks = 0;
    item->OnButtonClick = [](TNViewItem*) { ++clicks; };
    View.ResizeComponent(item, 0, 0, 100, 30, true);
    plat::TImage* mark = item->Images[2].Get();
    plat::TLabel* overlay = item->HintLabel.Get();
    EXPECT_EQ(overlay->BoundsRect(), mark->BoundsRect());
    EXPECT_EQ(mark->BoundsRect(), plat::Bounds(5, 8, 14, 14));

    overlay->Click();
    EXPECT_EQ(item->Marked, 1);
    EXPECT_EQ(plat::testing::Probe(*mark, 3, 3), plat::RGB(0, 200, 0));
    overlay->Click();
    EXPECT_EQ(item->Marked, 0);
    EXPECT_EQ(plat::testing::Probe(*mark, 3, 3), plat::RGB(200, 0, 0));
    EXPECT_EQ(clicks, 2);

    EXPECT_TRUE(View.SetCheckboxValue("check", true));
    EXPECT_EQ(item->Marked, 1);
}

TEST_F(ButtonTest, ColourSettersActOnTheirShapes)
{
    TNViewItem* item = Button("colours", "Den");
    item->ActiveBorder1 = 0x111111;
    item->ActiveBorder2 = 0x222222;
    item->SetActiveButtonColors(true);
    EXPECT_EQ(item->Active, 1);
    EXPECT_EQ(item->Shapes[0].Get()->Pen().Color, View.AccentColor);
    EXPECT_EQ(item->Shapes[2].Get()->Pen().Color, 0x111111u);
    EXPECT_EQ(item->Shapes[3].Get()->Pen().Color, 0x222222u);
    item->SetActiveButtonColors(false);
    EXPECT_EQ(item->Shapes[0].Get()->Pen().Color, 0xD8E9ECu);
    EXPECT_EQ(item->Shapes[2].Get()->Pen().Color, 0xE6E6E6u);

    item->SetFlatButtonHiColors(0x333333);
    EXPECT_EQ(item->HoverStart, 0x333333u);
    EXPECT_EQ(item->ActiveOutline, 0x333333u);
    EXPECT_EQ(item->Gradient.Get()->StartColor(), 0xFBFBFBu);
    item->SetFlatButtonColors(0x444444);
    EXPECT_EQ(item->Gradient.Get()->EndColor(), 0x444444u);
    EXPECT_EQ(item->Shapes[3].Get()->Brush().Color, 0x444444u);

    item->SetCheckboxColors(0x555555);
    EXPECT_EQ(item->Panel.Get()->Color(), 0x555555u);
    EXPECT_FALSE(item->Shapes[2].Get()->Visible());
    EXPECT_FALSE(item->Shapes[3].Get()->Visible());
    EXPECT_FALSE(item->Gradient.Get()->Visible());
    EXPECT_TRUE(item->Shapes[0].Get()->Visible());

    item->SetButtonDisabled();
    EXPECT_EQ(item->Enabled, 0);
    EXPECT_FALSE(item->Images[1].Get()->Enabled());
}

class DayTitleTest : public ViewTest {};

TEST_F(DayTitleTest, KeepsItsHeightAndFollowsTheDayNumber)
{
    TNViewItem* title =
        View.CreateComponent(cmpDayTitle, "title", MainForm(), Desk(), 0, "", 1, -1, nullptr, nullptr, 3);
    ASSERT_NE(title, nullptr);
    plat::TPanel* panel = title->Panel.Get();
    EXPECT_EQ(panel->Width(), 243);
    EXPECT_EQ(title->Label(4)->Left(), 70);
    EXPECT_EQ(title->Label(6)->Left(), 198);
    EXPECT_EQ(View.ClockPanel.Get(), panel);
    EXPECT_EQ(View.ClockLabel.Get(), title->Label(6));

    for (int height : {0, 10, 52, 200}) {
        View.ResizeComponent(title, 3, 4, 300, height, true);
        EXPECT_EQ(panel->BoundsRect(), plat::Bounds(3, 4, 300, 52));
    }
    EXPECT_EQ(title->TitleLabel.Get()->BoundsRect(), plat::Bounds(0, 0, 300, 52));
    title->Label(3)->SetCaption("5. ");
    View.ResizeComponent(title, 3, 4, 300, 52, true);
    EXPECT_EQ(title->Label(4)->Left(), 63);

    TNViewItem* second =
        View.CreateComponent(cmpDayTitle, "second", MainForm(), Desk(), 0, "", 1, -1, nullptr, nullptr, 3);
    EXPECT_EQ(View.ClockPanel.Get(), second->Panel.Get());
    EXPECT_TRUE(View.DeleteComponent("second", true));
    EXPECT_EQ(View.ClockPanel.Get(), nullptr);
    EXPECT_EQ(View.ClockLabel.Get(), nullptr);
}

} // namespace
} // namespace view_test
