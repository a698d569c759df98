#include "tests/view/view_fixture.h"

#include <gtest/gtest.h>

using view_test::ViewTest;

namespace {

class DesksTest : public ViewTest {
protected:
    plat::TPanel* NewWindow()
    {
        auto* window = new plat::TPanel(MainForm());
        window->SetParent(MainForm());
        return window;
    }

    bool NoSlotHoldsAFreedItem() const
    {
        for (int32_t i = 0; i < View.DesksCount; ++i) {
            TNViewItem* desk = View.Desks[i];
            if (desk != nullptr && View.GetComponentById(desk->ComponentId) != desk)
                return false;
        }
        return true;
    }
};

} // namespace

TEST_F(DesksTest, BindingASecondItemToAWindowReplacesTheFirst)
{
    plat::TPanel* window = NewWindow();
    TNViewItem* first = MakeItem(cmpScrollbox, "first");
    TNViewItem* second = MakeItem(cmpScrollbox, "second");
    EXPECT_EQ(View.SetDesk(first, window, "Homepage"), 0);
    EXPECT_EQ(View.SetDesk(second, window, "Homepage2"), 0);
    EXPECT_EQ(View.DesksCount, 1);
    EXPECT_EQ(View.Desks[0], second);
    EXPECT_EQ(second->DeskPos, 0);
    EXPECT_EQ(second->DeskName, "Homepage2");
    EXPECT_EQ(second->DeskWindow.Get(), window);
    EXPECT_EQ(first->DeskPos, -1);
    EXPECT_EQ(View.SetDesk(nullptr, window, "none"), -1);

    // Deleting the replaced item leaves the desk of the new one alone.
    EXPECT_TRUE(View.DeleteComponent("first", true));
    EXPECT_EQ(View.DesksCount, 1);
    EXPECT_EQ(View.Desks[0], second);
}

TEST_F(DesksTest, DeletingADeskSlotKeepsTheOrderAndRenumbers)
{
    TNViewItem* a = MakeItem(cmpScrollbox, "A");
    TNViewItem* b = MakeItem(cmpScrollbox, "B");
    TNViewItem* c = MakeItem(cmpScrollbox, "C");
    EXPECT_EQ(View.SetDesk(a, NewWindow(), "A"), 0);
    EXPECT_EQ(View.SetDesk(b, NewWindow(), "B"), 1);
    EXPECT_EQ(View.SetDesk(c, NewWindow(), "C"), 2);

    EXPECT_EQ(View.DeleteDeskByPos(3), 0);
    EXPECT_EQ(View.DeleteDeskByPos(-1), 0);
    EXPECT_EQ(View.DeleteDeskByPos(0), 1);
    ASSERT_EQ(View.DesksCount, 2);
    EXPECT_EQ(View.Desks[0], b);
    EXPECT_EQ(View.Desks[1], c);
    EXPECT_EQ(a->DeskPos, -1);
    EXPECT_EQ(b->DeskPos, 0);
    EXPECT_EQ(c->DeskPos, 1);

    EXPECT_TRUE(View.DeleteComponent("B", true));
    ASSERT_EQ(View.DesksCount, 1);
    EXPECT_EQ(View.Desks[0], c);
    EXPECT_EQ(c->DeskPos, 0);
    EXPECT_TRUE(NoSlotHoldsAFreedItem());

    EXPECT_TRUE(View.DeleteComponent("C", true));
    EXPECT_EQ(View.DesksCount, 0);
    EXPECT_EQ(View.DeleteDeskByPos(0), 0);
}

TEST_F(DesksTest, ResizeDesksMakesTheListExactlyThatLong)
{
    EXPECT_TRUE(View.ResizeDesks(3));
    EXPECT_EQ(View.DesksCount, 3);
    EXPECT_EQ(View.Desks[2], nullptr);
    EXPECT_TRUE(View.ResizeDesks(0));
    EXPECT_EQ(View.DesksCount, 0);
    EXPECT_EQ(View.Desks, nullptr);
}
