#include "platform/core/thread.h"
#include "platform/gui/gui_main_loop.h"
#include "platform/gui/label.h"
#include "tests/view/view_fixture.h"

#include <gtest/gtest.h>

#include <string>

using view_test::ViewTest;

namespace {

// The record alone, without windows.
class TNViewItemTest : public ::testing::Test {
protected:
    view_test::GlobalsReady globals_;
    model_test::LogCapture log_;
};

} // namespace

TEST_F(TNViewItemTest, DayboxModeGroups)
{
    TNViewItem item;
    item.daybox_mode = 24;
    struct Case {
        int32_t mode;
        int32_t group;
    } cases[] = {{-1, 2}, {0, 0}, {8, 0}, {9, -1}, {18, 1}, {48, 4}, {78, 7}, {79, -1}, {80, -1}, {-2, -1}};
    for (const Case& c : cases)
        EXPECT_EQ(item.DayboxModeGroup(c.mode), c.group) << c.mode;
    for (int32_t mode : {9, 79, 80, -2}) {
        const std::string line = "[TNViewItem::daybox_modeGroup][ERROR] Unknown daybox_mode = " + std::to_string(mode);
        EXPECT_EQ(log_.CountContaining(line.c_str()), 1) << mode;
    }

    item.daybox_mode = 8;
    EXPECT_TRUE(item.IsDayboxMode(0));
    EXPECT_FALSE(item.IsDayboxMode(8));
    EXPECT_FALSE(item.IsDayboxMode(1));
    item.daybox_mode = 9;
    EXPECT_FALSE(item.IsDayboxMode(0));
}

TEST_F(TNViewItemTest, RecordColourTable)
{
    struct Case {
        int8_t k;
        bool shifted;
        bool selected;
        plat::TColor panel;
        plat::TColor frame;
        plat::TColor text;
    } cases[] = {
        {-3, false, false, plat::RGB(210, 215, 237), plat::RGB(210, 215, 237), plat::RGB(67, 111, 182)},
        {-3, true, false, plat::RGB(215, 220, 242), plat::RGB(210, 215, 237), plat::RGB(67, 111, 182)},
        {0, true, false, plat::RGB(215, 220, 242), plat::RGB(210, 215, 237), plat::RGB(67, 111, 182)},
        {1, false, true, plat::RGB(215, 220, 242), plat::RGB(210, 215, 237), plat::RGB(67, 111, 182)},
        {2, false, false, plat::RGB(255, 255, 255), plat::RGB(255, 255, 255), plat::RGB(0, 0, 0)},
        {2, true, false, plat::RGB(240, 240, 240), plat::RGB(255, 255, 255), plat::RGB(0, 0, 0)},
        {5, false, false, plat::RGB(255, 235, 225), plat::RGB(255, 235, 225), plat::RGB(200, 0, 0)},
        {5, false, true, plat::RGB(240, 220, 210), plat::RGB(240, 220, 210), plat::RGB(200, 0, 0)},
        {7, false, false, plat::RGB(252, 246, 204), plat::RGB(252, 246, 204), plat::RGB(102, 90, 0)},
        {7, true, false, plat::RGB(255, 251, 209), plat::RGB(252, 246, 204), plat::RGB(102, 90, 0)},
        {10, false, false, plat::RGB(251, 222, 218), plat::RGB(251, 228, 218), plat::RGB(145, 42, 29)},
        {10, false, true, plat::RGB(255, 227, 223), plat::RGB(251, 228, 218), plat::RGB(145, 42, 29)},
        {15, true, false, plat::RGB(221, 221, 221), plat::RGB(216, 216, 216), plat::RGB(106, 106, 106)},
        {16, false, false, plat::RGB(210, 215, 237), plat::RGB(210, 215, 237), plat::RGB(67, 111, 182)},
    };
    for (const Case& c : cases) {
        TNViewItem item;
        item.Selected = c.selected ? 1 : 0;
        bool shifted = c.shifted;
        plat::TColor panel = 0, frame = 0, accent = 0, text = 0;
        ASSERT_TRUE(item.GetRecordColors(c.k, &shifted, &panel, &frame, &accent, &text));
        EXPECT_EQ(panel, c.panel) << int(c.k) << " shifted " << c.shifted << " selected " << c.selected;
        EXPECT_EQ(frame, c.frame) << int(c.k);
        EXPECT_EQ(text, c.text) << int(c.k);
        EXPECT_EQ(shifted, c.shifted || c.selected) << "a selected card tells its caller";
    }
}

TEST_F(ViewTest, SetRecordColorCombinationPaintsTheCard)
{
    TNViewItem* card = MakeItem(cmpRecord, "card");
    card->CaptionLabel = new plat::TLabel(MainForm());
    ASSERT_TRUE(card->SetRecordColorCombination(7, true, false));
    EXPECT_EQ(card->Panel.Get()->Color(), plat::RGB(255, 251, 209));
    EXPECT_EQ(card->NormalOutline, plat::RGB(252, 246, 204));
    EXPECT_EQ(card->CaptionLabel.Get()->Font().Color(), plat::RGB(102, 90, 0));
    EXPECT_EQ(card->ColorCombination, 0);

    ASSERT_TRUE(card->SetRecordColorCombination(10, false, true));
    EXPECT_EQ(card->Panel.Get()->Color(), plat::RGB(251, 222, 218));
    EXPECT_EQ(card->NormalOutline, plat::RGB(251, 228, 218));
    EXPECT_EQ(card->ColorCombination, 10);
}

TEST_F(ViewTest, ChildListReplacesByNameAndRejectsBadPositions)
{
    TNViewItem* parent = MakeItem(cmpToolbar, "bar");
    TNViewItem* a = MakeItem(cmpButton, "a");
    TNViewItem* b = MakeItem(cmpButton, "b");
    EXPECT_EQ(parent->AddChild(a), 0);
    EXPECT_EQ(parent->AddChild(b), 1);

    TNViewItem stranger;
    stranger.Name.Set("a");
    EXPECT_EQ(parent->AddChild(&stranger), 0);
    EXPECT_EQ(parent->ChildrenCount, 2);
    EXPECT_EQ(parent->Children[0], &stranger);

    EXPECT_FALSE(parent->DeleteChildByPos(-1));
    EXPECT_FALSE(parent->DeleteChildByPos(2));
    EXPECT_EQ(parent->ChildrenCount, 2);
    EXPECT_TRUE(parent->DeleteChildByPos(0));
    ASSERT_EQ(parent->ChildrenCount, 1);
    EXPECT_EQ(parent->Children[0], b);
    EXPECT_TRUE(parent->ResizeChildren(0));
    EXPECT_EQ(parent->Children, nullptr);
}

TEST_F(ViewTest, ClickAddsATagOnlyWhenAsked)
{
    TNViewItem* icon = MakeItem(cmpIconButton, "btnAddTag");
    icon->Click(nullptr);
    EXPECT_EQ(recorder_.Count("AddTagFromEditRecordDialog"), 0);
    icon->ClickAddsTag = 1;
    icon->Click(nullptr);
    EXPECT_EQ(recorder_.Count("AddTagFromEditRecordDialog"), 1);
}

TEST_F(ViewTest, UnsetHooksLogAndGiveTheirDefault)
{
    ViewMainHooks.AddTagFromEditRecordDialog = nullptr;
    TNViewItem* icon = MakeItem(cmpIconButton, "btnAddTag");
    icon->ClickAddsTag = 1;
    icon->Click(nullptr);
    EXPECT_EQ(log_.CountContaining("[ViewHooks::AddTagFromEditRecordDialog][NULL]"), 1);
    EXPECT_EQ(ViewMain::DayCellSize(), 34);
    EXPECT_EQ(ViewDialog::UniDialog("Proxy", nullptr, nullptr), -1);
    EXPECT_TRUE(ViewMain::RecordPassesAuthorFilter(nullptr));
}

TEST_F(ViewTest, PerDayArraysAndListStates)
{
    TNViewItem* daybox = MakeItem(cmpDaybox, "daybox");
    ASSERT_TRUE(daybox->ResizeAllDays(7));
    EXPECT_EQ(daybox->shownDaysCount, 7);
    daybox->DayValues1[6] = 3;
    ASSERT_TRUE(daybox->ResizeAllDays(9));
    EXPECT_EQ(daybox->DayValues1[6], 3);
    EXPECT_EQ(daybox->DayValues2[8], 0);
    ASSERT_TRUE(daybox->ResizeAllDays(0));
    EXPECT_EQ(daybox->DayValues1, nullptr);
    EXPECT_EQ(daybox->shownDaysCount, 0);

    TNViewItem* box = MakeScrollbox("box");
    EXPECT_EQ(box->ActiveInnerPos, 0);
    TNViewInner* inner = box->Inners[0];
    EXPECT_EQ(inner->Position, 0);
    EXPECT_EQ(inner->LastTagID, -9999);
    EXPECT_EQ(static_cast<uint32_t>(inner->Marker), 4294967295u - 9999u);
    EXPECT_EQ(inner->ContentPanel.Get()->Parent(), box->Scrollbox.Get());
    EXPECT_EQ(View.GetActiveInner(box), inner);
    View.CreateChildRecordLists(box);
    EXPECT_NE(inner->Records, nullptr);
    inner->Heights = static_cast<int32_t*>(std::calloc(4, sizeof(int32_t)));
    inner->Tops = static_cast<int32_t*>(std::calloc(4, sizeof(int32_t)));
    EXPECT_TRUE(box->ResizeInners(0));
    EXPECT_EQ(box->InnersCount, 0);
    EXPECT_EQ(View.GetActiveInner(box), nullptr);
}

TEST_F(ViewTest, AccessorsOnLayerControls)
{
    TNViewItem* label = MakeItem(cmpLabel, "lblInfo");
    label->Labels[2] = new plat::TLabel(MainForm());
    EXPECT_TRUE(View.SetText("lblInfo", "Ahoj", true, plat::clRed));
    EXPECT_EQ(label->Label(4)->Caption(), "Ahoj");
    EXPECT_EQ(label->Label(4)->Font().Color(), plat::clRed);
    EXPECT_TRUE(View.SetText("lblInfo", "Znovu", false, plat::clBlue));
    EXPECT_EQ(label->Label(4)->Font().Color(), plat::clRed);
    EXPECT_FALSE(View.SetText("nobody", "x", false, 0));
    EXPECT_FALSE(View.SetText("btn", "x", false, 0)) << "unknown names and other kinds";

    label->Panel.Get()->SetBounds(0, 0, 120, 40);
    EXPECT_EQ(View.GetHeight("lblInfo"), 40);
    EXPECT_EQ(View.GetWidth("lblInfo"), 120);
    EXPECT_TRUE(View.ShowOrHideShowComponent(label, false));
    EXPECT_FALSE(label->Panel.Get()->Visible());
    EXPECT_EQ(View.GetHeight("lblInfo"), 0);
    EXPECT_EQ(View.GetWidth("lblInfo"), 0);
    EXPECT_EQ(label->DeskHeight(), 0);
    EXPECT_TRUE(View.SetComponentVisibility("lblInfo", true));
    EXPECT_EQ(label->Shown, 1);
    EXPECT_FALSE(View.IsShown(nullptr));

    EXPECT_EQ(View.GetHeight("missing"), 0);
    EXPECT_EQ(log_.CountContaining("[TNView::GetHeight][ERROR] Item not found; name = missing"), 1);
    EXPECT_EQ(View.GetWidth("missing"), 0);

    label->Value = 42;
    EXPECT_EQ(View.GetValue("lblInfo"), 42);
    EXPECT_EQ(View.GetValue("missing"), 0);
}

TEST_F(ViewTest, SetButtonTitleShowsOrHidesTheSubtitle)
{
    TNViewItem* button = MakeItem(cmpButton, "btnTitle");
    button->Labels[0] = new plat::TLabel(MainForm());
    button->Labels[1] = new plat::TLabel(MainForm());
    EXPECT_TRUE(View.SetButtonTitle(button, "Dnes", "12 úkolů", plat::clRed, plat::clWhite, true, true));
    EXPECT_EQ(button->Label(2)->Caption(), "Dnes");
    EXPECT_EQ(button->Label(3)->Caption(), "12 úkolů");
    EXPECT_TRUE(button->Label(3)->Visible());
    EXPECT_TRUE(button->Label(3)->Transparent());
    EXPECT_TRUE(View.SetButtonTitle(button, "Dnes", "", plat::clRed, plat::clWhite, false, false));
    EXPECT_FALSE(button->Label(3)->Visible());
    EXPECT_EQ(button->Label(3)->Caption(), "");
    EXPECT_FALSE(View.SetButtonTitle(MakeItem(cmpLabel, "lbl"), "x", "", 0, 0, false, false));
}

TEST_F(ViewTest, SelectedScrollboxChild)
{
    TNViewItem* box = MakeScrollbox("list");
    ASSERT_EQ(box->AddInner(), 1);
    plat::TWinControl* shown = box->Inners[0]->ContentPanel.Get();
    plat::TWinControl* hidden = box->Inners[1]->ContentPanel.Get();
    EXPECT_EQ(View.GetSelectedScrollboxChild(box), nullptr) << "no card";

    TNViewItem* plain = MakeItem(cmpRecord, "plain", shown);
    TNViewItem* elsewhere = MakeItem(cmpRecord, "elsewhere", hidden);
    elsewhere->Selected = 1;
    TNViewItem* button = MakeItem(cmpButton, "button", shown);
    button->Selected = 1;
    EXPECT_EQ(View.GetSelectedScrollboxChild(box), nullptr) << "selected only on the inactive list or another kind";

    TNViewItem* chosen = MakeItem(cmpRecord, "chosen", shown);
    chosen->Selected = 1;
    EXPECT_EQ(View.GetSelectedScrollboxChild(box), chosen);
    box->ActiveInnerPos = 1;
    EXPECT_EQ(View.GetSelectedScrollboxChild(box), elsewhere);
    EXPECT_EQ(View.GetSelectedScrollboxChild(nullptr), nullptr);
    EXPECT_EQ(View.GetSelectedScrollboxChild(plain), nullptr);
}

TEST_F(ViewTest, TextWidthUsesTheLayersMetrics)
{
    plat::TFont font;
    EXPECT_EQ(TNView::GetTextWidth("abc d", font), 35);
    EXPECT_EQ(TNView::GetTextWidth(nullptr, font), 0);
}

// The main window starts the pictures job; without one the call only logs.
TEST_F(ViewTest, PicturesJobWaitsForTheMainWindow)
{
    ViewMain::StartPicturesJob();
    EXPECT_EQ(plat::RunningThreadCount(), 0);
    EXPECT_EQ(log_.CountContaining("[ViewHooks::StartPicturesJob][NULL]"), 1);

    static int started = 0;
    ViewMainHooks.StartPicturesJob = [] { ++started; };
    ViewMain::StartPicturesJob();
    ViewMainHooks.StartPicturesJob = nullptr;
    EXPECT_EQ(started, 1);
}
