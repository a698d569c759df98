#include "platform/gui/gradient.h"
#include "platform/gui/image.h"
#include "platform/gui/label.h"
#include "platform/gui/shape.h"
#include "tests/view/view_fixture.h"

#include <gtest/gtest.h>

#include <functional>

using view_test::ViewTest;

TEST_F(ViewTest, CreatingAnExistingNameReturnsTheFirstItemAndFreesTheTemplate)
{
    TNViewItem* first = MakeItem(cmpLabel, "lblName");
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->IsNew, 1);

    auto* itemTemplate = new TNViewItem();
    itemTemplate->Type = cmpButton;
    TNViewItem* second =
        View.CreateComponent(cmpButton, "lblName", MainForm(), nullptr, 0, "", 1, -1, itemTemplate, nullptr, 3);
    EXPECT_EQ(second, first);
    EXPECT_EQ(second->Type, cmpLabel);
    EXPECT_EQ(second->IsNew, 0);
    EXPECT_EQ(View.ItemsCount, 1);
}

TEST_F(ViewTest, FreedSlotsAreReusedWithNewIds)
{
    MakeItem(cmpLabel, "A");
    MakeItem(cmpLabel, "B");
    MakeItem(cmpLabel, "C");
    ASSERT_TRUE(View.DeleteComponent("B", true));
    EXPECT_EQ(View.Items[1], nullptr);

    TNViewItem* d = MakeItem(cmpLabel, "D");
    EXPECT_EQ(d->SlotIndex, 1);
    EXPECT_EQ(View.Items[1], d);
    EXPECT_EQ(d->ComponentId, 4u);
    EXPECT_EQ(View.ItemsCount, 3);
    EXPECT_EQ(View.GetComponentById(4), d);
    EXPECT_EQ(View.GetComponentPosByName("D"), 1);
}

TEST_F(ViewTest, AnItemWithAnEmptyNameIsAFreeSlot)
{
    TNViewItem* bar = MakeItem(cmpToolbar, "bar");
    TNViewItem* nameless = MakeItem(cmpLabel, "A", bar->Panel.Get());
    ASSERT_EQ(bar->ChildrenCount, 1);
    bar->TopBarItem = nameless;
    nameless->Name.Clear();
    EXPECT_EQ(View.GetComponent(""), nullptr);

    // The freed item leaves no link behind.
    TNViewItem* b = MakeItem(cmpLabel, "B");
    EXPECT_EQ(b->SlotIndex, 1);
    EXPECT_EQ(View.ItemsCount, 2);
    EXPECT_EQ(b->ComponentId, 3u);
    EXPECT_EQ(bar->ChildrenCount, 0);
    EXPECT_EQ(bar->TopBarItem, nullptr);
}

TEST_F(ViewTest, ColumnsOutsideTheFiveAreStoredAsZero)
{
    struct Case {
        int32_t column;
        int32_t stored;
        bool logged;
    } cases[] = {{-1, 0, true}, {0, 0, false}, {4, 4, false}, {5, 0, true}};
    int n = 0;
    for (const Case& c : cases) {
        const std::string name = "field" + std::to_string(n++);
        TNViewItem* item =
            View.CreateComponent(cmpEdit, name.c_str(), MainForm(), nullptr, c.column, "", 1, 0, nullptr, nullptr, 3);
        ASSERT_NE(item, nullptr);
        EXPECT_EQ(item->Column, c.stored) << c.column;
        const std::string line =
            "[TNView::CreateComponent][ERROR] Column reset to 0! column = " + std::to_string(c.column);
        EXPECT_EQ(log_.CountContaining(line.c_str()), c.logged ? 1 : 0) << c.column;
    }
}

TEST_F(ViewTest, EmptyNamesAndIdZeroFindNothing)
{
    MakeItem(cmpLabel, "A");
    EXPECT_EQ(View.CreateComponent(cmpLabel, "", MainForm(), nullptr, 0, "", 1, -1, nullptr, nullptr, 3), nullptr);
    EXPECT_EQ(View.CreateComponent(cmpLabel, nullptr, MainForm(), nullptr, 0, "", 1, -1, new TNViewItem(), nullptr, 3),
              nullptr);
    EXPECT_EQ(View.ItemsCount, 1);
    EXPECT_EQ(View.GetComponentById(0), nullptr);
    EXPECT_EQ(View.GetComponentPosByName(""), -1);
    EXPECT_EQ(View.GetComponentPosByName(nullptr), -1);
    EXPECT_EQ(View.GetComponent("a"), nullptr) << "names are case-sensitive";
    EXPECT_EQ(View.GetComponent("AB"), nullptr);
    EXPECT_FALSE(View.DeleteComponent("", true));
    EXPECT_FALSE(View.DeleteComponentById(0, true));
    EXPECT_FALSE(View.DeleteComponentById(99, true));
}

TEST_F(ViewTest, ExhaustedIdsGiveZero)
{
    View.LastComponentId = TNView::kLastComponentIdLimit;
    TNViewItem* item = MakeItem(cmpLabel, "late");
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->ComponentId, 0u);
    EXPECT_EQ(log_.CountContaining("[TNView::GetNewComponentId][ERROR]"), 1);
    EXPECT_EQ(View.GetComponentById(0), nullptr);
}

TEST_F(ViewTest, DeleteByIdDeletesThatName)
{
    TNViewItem* a = MakeItem(cmpLabel, "A");
    const uint32_t id = a->ComponentId;
    EXPECT_TRUE(View.DeleteComponentById(id, true));
    EXPECT_EQ(View.GetComponent("A"), nullptr);
    EXPECT_FALSE(View.DeleteComponentById(id, true));
}

TEST_F(ViewTest, ButtonsTakeTheColourDefaultsAndTemplatesOverrideThem)
{
    TNViewItem* button = MakeItem(cmpButton, "btnPlain");
    EXPECT_EQ(button->NormalStart, 0xFBFBFBu);
    EXPECT_EQ(button->ActiveEnd, 0xEDCA9Eu);
    EXPECT_EQ(button->NormalOutline, 0xD8E9ECu);
    EXPECT_EQ(button->ActiveOutline, 0xBE6E19u);
    EXPECT_EQ(MakeItem(cmpLabel, "lblPlain")->NormalStart, 0u);

    auto* itemTemplate = new TNViewItem();
    itemTemplate->Type = cmpButton;
    itemTemplate->Name.Set("btnFromTemplate");
    itemTemplate->OwnerForm = MainForm();
    itemTemplate->CaptionPosition = 0;
    itemTemplate->RightAligned = 1;
    itemTemplate->ActiveStart = 0x123456;
    itemTemplate->ButtonTitle.Set("Titulek");
    TNViewItem* made = View.CreateComponentFromTemplate(itemTemplate);
    ASSERT_NE(made, nullptr);
    EXPECT_NE(made, itemTemplate);
    EXPECT_EQ(made->Type, cmpButton);
    EXPECT_EQ(made->CaptionPosition, 0);
    EXPECT_EQ(made->RightAligned, 1);
    EXPECT_EQ(made->ActiveStart, 0x123456u);
    EXPECT_EQ(made->NormalStart, 0xFBFBFBu);
    EXPECT_STREQ(made->ButtonTitle.Text, "Titulek");
}

// Every control field the look-up compares, and the ones it must not.
TEST_F(ViewTest, ControlsFindTheirOwningItem)
{
    TNViewItem* box = MakeScrollbox("scrollBox");
    ASSERT_EQ(box->AddInner(), 1);
    plat::TForm* form = MainForm();
    box->FramePanel1 = new plat::TJvPanel(form);
    box->LeftColumnPanel = new plat::TJvPanel(form);
    box->TopBarPanel = new plat::TJvPanel(form);
    box->SecondBarPanel = new plat::TJvPanel(form);
    box->ThirdBarPanel = new plat::TJvPanel(form);
    box->TrackPanel = new plat::TJvPanel(form);
    box->Thumb = new plat::TLabel(form);
    box->CaptionLabel = new plat::TLabel(form);
    for (auto& label : box->Labels)
        label = new plat::TLabel(form);
    for (auto& image : box->Images)
        image = new plat::TImage(form);
    for (auto& shape : box->Shapes)
        shape = new plat::TShape(form);
    box->Gradient = new plat::TJvGradient(form);
    box->TitleLabel = new plat::TLabel(form);
    box->HintLabel = new plat::TLabel(form);
    view_test::FreeProbe* further = nullptr;
    box->FurtherSlots[0] = further = new view_test::FreeProbe(form, "further", &freed_);
    box->FurtherSlots[1] = new view_test::FreeProbe(form, "further2", &freed_);

    struct Case {
        const char* role;
        plat::TComponent* control;
        bool owned;
    } cases[] = {
        {"panel", box->Panel.Get(), true},
        {"scroll frame", box->Scrollbox.Get(), true},
        {"left column", box->LeftColumnPanel.Get(), true},
        {"top bar", box->TopBarPanel.Get(), true},
        {"second bar", box->SecondBarPanel.Get(), true},
        {"third bar", box->ThirdBarPanel.Get(), true},
        {"track", box->TrackPanel.Get(), true},
        {"thumb", box->Thumb.Get(), true},
        {"caption label", box->CaptionLabel.Get(), true},
        {"label 2", box->Label(2), false},
        {"label 3", box->Label(3), false},
        {"label 4", box->Label(4), true},
        {"label 9", box->Label(9), true},
        {"picture 1", box->Images[0].Get(), false},
        {"icon picture", box->Images[1].Get(), true},
        {"picture 3", box->Images[2].Get(), false},
        {"picture 4", box->Images[3].Get(), false},
        {"frame panel", box->FramePanel1.Get(), false},
        {"gradient", box->Gradient.Get(), false},
        {"shape 1", box->Shapes[0].Get(), false},
        {"shape 4", box->Shapes[3].Get(), false},
        {"title label", box->TitleLabel.Get(), true},
        {"hint label", box->HintLabel.Get(), true},
        {"first further slot", further, true},
        {"second further slot", box->FurtherSlots[1].Get(), false},
        {"first list state", box->Inners[0]->ContentPanel.Get(), true},
        {"second list state", box->Inners[1]->ContentPanel.Get(), true},
        {"a stranger", FixedPanel(mpHeader), false},
        {"none", nullptr, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(View.GetComponentByHandle(c.control), c.owned ? box : nullptr) << c.role;

    TNViewItem* row = MakeItem(cmpRecord, "row", box->Inners[1]->ContentPanel.Get());
    ASSERT_EQ(box->ChildrenCount, 1);
    EXPECT_EQ(box->Children[0], row);
    EXPECT_EQ(View.GetComponentByHandle(row->Panel.Get()), row);

    // The list state's panel passes the main window's mouse-down on.
    box->Inners[0]->ContentPanel.Get()->MouseDown(plat::TMouseButton::mbLeft, 0, 1, 1);
    EXPECT_EQ(recorder_.Count("FormMouseDown"), 1);
}

TEST_F(ViewTest, CaptionColumnsOfOneFormParentAndColumn)
{
    plat::TPanel* page = FixedPanel(mpSpare1);
    auto field = [&](const char* name, int32_t column, int32_t position, int32_t width, plat::TWinControl* parent,
                     plat::TForm* owner) {
        TNViewItem* item =
            View.CreateComponent(cmpEdit, name, owner, parent, column, "", 1, -1, nullptr, nullptr, position);
        item->CaptionWidths[column] = width;
        return item;
    };
    TNViewItem* left = field("left", 1, 1, 40, page, MainForm());
    TNViewItem* right = field("right", 1, 3, 90, page, MainForm());
    TNViewItem* above = field("above", 1, 0, 300, page, MainForm());
    TNViewItem* otherColumn = field("otherColumn", 2, 1, 500, page, MainForm());
    TNViewItem* otherParent = field("otherParent", 1, 1, 600, FixedPanel(mpSpare2), MainForm());
    TNViewItem* otherForm = field("otherForm", 1, 1, 700, page, DialogForm());
    TNViewItem* secondRight = field("secondRight", 1, 3, 20, page, MainForm());

    EXPECT_EQ(View.GetCaptionMaxWidth(MainForm(), page, 1), 90);
    EXPECT_EQ(View.GetCaptionMaxWidth(MainForm(), page, 3), 0);
    EXPECT_EQ(View.GetCaptionMaxWidth(MainForm(), page, 9), 0);

    View.SetCaptionMaxWidth(MainForm(), page, 120, 1, right);
    EXPECT_EQ(left->CaptionWidths[1], 120);
    EXPECT_EQ(right->CaptionWidths[1], 120);
    EXPECT_EQ(secondRight->CaptionWidths[1], 20);
    EXPECT_EQ(above->CaptionWidths[1], 300);
    EXPECT_EQ(otherColumn->CaptionWidths[2], 500);
    EXPECT_EQ(otherParent->CaptionWidths[1], 600);
    EXPECT_EQ(otherForm->CaptionWidths[1], 700);

    View.SetCaptionMaxWidth(MainForm(), page, 10, 1, nullptr);
    EXPECT_EQ(left->CaptionWidths[1], 120);
}
