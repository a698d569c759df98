#include "online/hooks.h"
#include "tests/view/view_fixture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using view_test::ViewTest;

namespace {

class DeletionTest : public ViewTest {
protected:
    // A scroll box holding a tool bar with two buttons and a day box with
    // three cards; every item reports when its controls are freed.
    void BuildTree()
    {
        box_ = MakeScrollbox("box");
        plat::TWinControl* content = box_->Inners[0]->ContentPanel.Get();
        toolbar_ = Make(cmpToolbar, "toolbar", content);
        box_->TopBarItem = toolbar_;
        box_->SecondBarItem = toolbar_;
        box_->ThirdBarItem = toolbar_;
        Make(cmpButton, "button1", toolbar_->Panel.Get());
        Make(cmpButton, "button2", toolbar_->Panel.Get());
        daybox_ = Make(cmpDaybox, "daybox", content);
        box_->DayboxItem = daybox_;
        for (const char* card : {"card1", "card2", "card3"})
            Make(cmpRecord, card, daybox_->Panel.Get())->ParentItem = daybox_;
        box_->FurtherSlots[1] = new view_test::FreeProbe(MainForm(), "box", &freed_);
    }

    TNViewItem* Make(int8_t kind, const char* name, plat::TWinControl* parent)
    {
        TNViewItem* item = MakeItem(kind, name, parent);
        item->FurtherSlots[1] = new view_test::FreeProbe(MainForm(), name, &freed_);
        return item;
    }

    int LiveItems() const
    {
        int live = 0;
        for (int32_t i = 0; i < View.ItemsCount; ++i)
            live += View.Items[i] != nullptr ? 1 : 0;
        return live;
    }

    TNViewItem* box_ = nullptr;
    TNViewItem* toolbar_ = nullptr;
    TNViewItem* daybox_ = nullptr;
};

} // namespace

TEST_F(DeletionTest, DeletingAScrollBoxGoesDeepestLastChildFirst)
{
    BuildTree();
    ASSERT_EQ(box_->ChildrenCount, 2);
    ASSERT_EQ(toolbar_->ChildrenCount, 2);
    ASSERT_EQ(daybox_->ChildrenCount, 3);

    EXPECT_TRUE(View.DeleteComponent("box", true));
    const std::vector<std::string> order = {"card3",   "card2",   "card1",   "daybox",
                                            "button2", "button1", "toolbar", "box"};
    EXPECT_EQ(freed_, order);
    EXPECT_EQ(LiveItems(), 0);
    EXPECT_EQ(View.ItemsCount, 8);
}

TEST_F(DeletionTest, DeletingAChildClearsEveryLinkToIt)
{
    BuildTree();
    EXPECT_TRUE(View.DeleteComponent("toolbar", true));
    EXPECT_EQ(box_->TopBarItem, nullptr);
    EXPECT_EQ(box_->SecondBarItem, nullptr);
    EXPECT_EQ(box_->ThirdBarItem, nullptr);
    ASSERT_EQ(box_->ChildrenCount, 1);
    EXPECT_EQ(box_->Children[0], daybox_);
    EXPECT_EQ(View.GetComponent("button1"), nullptr);

    // Without detach the parent lets go of the child too; so do the cards.
    EXPECT_TRUE(View.DeleteComponent("daybox", false));
    EXPECT_EQ(box_->ChildrenCount, 0);
    EXPECT_EQ(box_->DayboxItem, nullptr);
    EXPECT_EQ(View.GetComponent("card1"), nullptr);

    // Runs clean in the sanitizer build: nothing left points at a freed item.
    TNViewItem* again = MakeItem(cmpToolbar, "toolbar", box_->Inners[0]->ContentPanel.Get());
    EXPECT_EQ(box_->AddChild(again), 0);
    EXPECT_TRUE(View.DeleteComponent("box", true));
    EXPECT_EQ(LiveItems(), 0);
}

TEST_F(DeletionTest, ACardDeletedAloneLeavesItsDayBoxAndItsParentLink)
{
    BuildTree();
    TNViewItem* card = View.GetComponent("card2");
    EXPECT_TRUE(View.DeleteComponent("card2", false));
    ASSERT_EQ(daybox_->ChildrenCount, 2);
    EXPECT_NE(daybox_->Children[0], card);
    EXPECT_NE(daybox_->Children[1], card);
    EXPECT_TRUE(View.DeleteComponent("daybox", true));
    EXPECT_EQ(freed_.back(), "daybox");
    EXPECT_EQ(LiveItems(), 4);
}

TEST_F(DeletionTest, DeletingByFormTakesOnlyThatFormsItems)
{
    MakeItem(cmpLabel, "mainLabel", FixedPanel(mpSpare1));
    TNViewItem* dialogBox = MakeItem(cmpScrollbox, "dlgBox", nullptr, DialogForm());
    MakeItem(cmpEdit, "dlgEdit", dialogBox->Panel.Get(), DialogForm());
    MakeItem(cmpEdit, "dlgOther", nullptr, DialogForm());
    MakeItem(cmpButton, "mainButton");

    View.DeleteComponentsByFormHandle(DialogForm());
    EXPECT_EQ(View.GetComponent("dlgBox"), nullptr);
    EXPECT_EQ(View.GetComponent("dlgEdit"), nullptr);
    EXPECT_EQ(View.GetComponent("dlgOther"), nullptr);
    EXPECT_NE(View.GetComponent("mainLabel"), nullptr);
    EXPECT_NE(View.GetComponent("mainButton"), nullptr);

    View.DeleteComponentsByFormHandle(nullptr);
    EXPECT_EQ(LiveItems(), 2);
    View.DeleteAllDeletableComponents();
    EXPECT_EQ(LiveItems(), 0);
}

TEST_F(DeletionTest, ClosingDestroyLeavesTheItems)
{
    BuildTree();
    const int begins = log_.CountContaining("[TNView::Destroy][BEGIN]");
    const int ends = log_.CountContaining("[TNView::Destroy][END]");
    View.ClosingApplication = 1;
    View.Destroy();
    EXPECT_EQ(View.Destroyed, 1);
    EXPECT_EQ(LiveItems(), 8);
    EXPECT_TRUE(freed_.empty());
    EXPECT_EQ(log_.CountContaining("[TNView::Destroy][BEGIN]"), begins + 1);
    EXPECT_EQ(log_.CountContaining("[TNView::Destroy][END]"), ends + 1);
}

TEST_F(DeletionTest, DestroyAfterTheOwnerFormWasFreedRunsClean)
{
    plat::TForm* dialog = new plat::TForm();
    TNViewItem* box = MakeItem(cmpScrollbox, "dlgBox", nullptr, dialog);
    MakeItem(cmpEdit, "dlgEdit", box->Panel.Get(), dialog);
    dialog->Free();
    EXPECT_EQ(box->Panel.Get(), nullptr);

    View.Destroy();
    EXPECT_EQ(View.Destroyed, 1);
    EXPECT_EQ(View.ItemsCount, 0);
    EXPECT_EQ(View.Items, nullptr);
}

// The log-out of the online layer reaches the view through its hooks.
TEST_F(DeletionTest, LogOutMarksClosingAndDeletesEveryComponent)
{
    BuildTree();
    ViewHooks.SetClosing(true);
    EXPECT_EQ(View.ClosingApplication, 1);
    ViewHooks.DeleteAllDeletableComponents();
    EXPECT_EQ(LiveItems(), 0);
    ViewHooks.SetClosing(false);
    EXPECT_EQ(View.ClosingApplication, 0);
}
