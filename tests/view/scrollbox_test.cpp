#include "online/global.h"
#include "platform/gui/label.h"
#include "platform/testing/gui_seams.h"
#include "tests/view/view_fixture.h"

#include <cstdlib>
#include <stdexcept>
#include <string>

namespace view_test {
namespace {

class ScrollboxTest : public ViewTest {
protected:
    void SetUp() override
    {
        ViewTest::SetUp();
        Desk()->SetBounds(0, 0, 400, 500);
        box_ = MakeItem(cmpScrollbox, "scrollTest", Desk());
        box_->FrameWidth = 1;
        box_->FrameInset = 1;
    }

    plat::TJvPanel* Content() const { return box_->Inners[box_->ActiveInnerPos]->ContentPanel.Get(); }
    plat::TJvPanel* Frame() const { return box_->Scrollbox.Get(); }
    plat::TLabel* Thumb() const { return box_->Thumb.Get(); }

    // A layout whose frame is `frameHeight` high over content of `content`.
    bool LayOut(int32_t frameHeight, int32_t content, bool force = true)
    {
        Content()->SetHeight(content);
        return View.ResizeScrollbox(box_, 0, 0, 200, frameHeight + 4, force, 1, 0, "test");
    }

    TNViewItem* box_ = nullptr;
};

TEST_F(ScrollboxTest, LayoutSizesFrameContentAndBar)
{
    struct Case {
        const char* name;
        int32_t content;
        uint8_t alwaysShow;
        int32_t barWidth;
        int32_t contentHeight;
    } cases[] = {
        {"content taller than the frame", 300, 0, 10, 300},
        {"content shorter than the frame", 100, 0, 0, 200},
        {"content shorter, bar always shown", 100, 1, 10, 200},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        box_->AlwaysShowScrollbar = test.alwaysShow;
        ASSERT_TRUE(LayOut(200, test.content));
        EXPECT_EQ(Frame()->Height(), 200);
        EXPECT_EQ(box_->TrackPanel.Get()->Width(), test.barWidth);
        EXPECT_EQ(box_->TrackPanel.Get()->Left(), Frame()->Width() - test.barWidth);
        EXPECT_EQ(Content()->Width(), Frame()->Width() - test.barWidth);
        EXPECT_EQ(Content()->Height(), test.contentHeight);
    }
}

TEST_F(ScrollboxTest, HeightRulesAndTheEarlyReturn)
{
    box_->FrameInset = 4;
    Content()->SetHeight(120);
    ASSERT_TRUE(View.ResizeScrollbox(box_, 0, 0, 200, -2, false, 1, 0, "test"));
    EXPECT_EQ(box_->Panel.Get()->Height(), 130) << "2b + content + 2p";

    TNViewItem* bar = MakeItem(cmpToolbar, "scrollTest_Top", box_->TopBarPanel.Get());
    bar->Panel.Get()->SetHeight(40);
    box_->TopBarItem = bar;
    box_->TopBarShown = 1;
    box_->TopBarHeight = 40;
    Content()->SetHeight(120);
    ASSERT_TRUE(View.ResizeScrollbox(box_, 0, 0, 200, -2, true, 1, 0, "test"));
    EXPECT_EQ(box_->Panel.Get()->Height(), 170) << "plus the shown top tool bar";

    EXPECT_FALSE(View.ResizeScrollbox(box_, 0, 0, 200, -2, false, 1, 0, "test"));
    EXPECT_EQ(log_.CountContaining("Prevent unnecessary resizing; item->Name = scrollTest"), 1);
    EXPECT_TRUE(View.ResizeScrollbox(box_, -1, -1, -1, -1, false, 1, 0, "test")) << "bounds from the panel";

    const int32_t before = box_->Panel.Get()->Height();
    EXPECT_TRUE(View.ResizeScrollbox(box_, 0, 0, 250, -3, false, 1, 0, "test"));
    EXPECT_EQ(box_->Panel.Get()->Height(), before);
    EXPECT_EQ(log_.CountContaining("[TNView::ResizeScrollbox][ERROR] Unknown height; item->Name = scrollTest"), 1);
}

uint8_t flagSeen = 0;

void EnlargeContent(TNViewItem*, int32_t*, int32_t* height)
{
    flagSeen = g.ScrollboxBeforeResize;
    *height += 50;
}

void ThrowingBeforeResize(TNViewItem*, int32_t*, int32_t*)
{
    flagSeen = g.ScrollboxBeforeResize;
    throw std::runtime_error("callback failed");
}

void ShrinkFrame(TNViewItem*, int32_t* width, int32_t* height)
{
    *width = 150;
    *height = 700;
}

TEST_F(ScrollboxTest, CallbacksTakePartInTheLayout)
{
    ASSERT_TRUE(LayOut(200, 300));
    box_->OnBeforeResize = EnlargeContent;
    EXPECT_TRUE(View.ResizeScrollbox(box_, 0, 0, 200, 204, false, 1, 7, "test")) << "forced by the enlarged content";
    EXPECT_EQ(flagSeen, 7);
    EXPECT_EQ(g.ScrollboxBeforeResize.load(), 0);
    EXPECT_EQ(Content()->Height(), 350);

    box_->OnBeforeResize = ThrowingBeforeResize;
    flagSeen = 0;
    EXPECT_FALSE(View.ResizeScrollbox(box_, 0, 0, 200, 204, true, 1, 9, "test"));
    EXPECT_EQ(flagSeen, 9);
    EXPECT_EQ(g.ScrollboxBeforeResize.load(), 0) << "cleared after a throwing callback";

    box_->OnBeforeResize = nullptr;
    box_->OnContentResize = ShrinkFrame;
    ASSERT_TRUE(View.ResizeScrollbox(box_, 0, 0, 200, 204, true, 1, 0, "test"));
    EXPECT_EQ(Content()->Height(), 700) << "the callback's frame size becomes the content size";
    EXPECT_EQ(Content()->Width(), Frame()->Width() - 10);
}

TEST_F(ScrollboxTest, WidthChangeDropsCachedRows)
{
    ASSERT_TRUE(LayOut(200, 300));
    TNViewInner* inner = box_->Inners[0];
    inner->ListItemsCount = 3;
    inner->Heights = static_cast<int32_t*>(std::calloc(3, sizeof(int32_t)));
    inner->Tops = static_cast<int32_t*>(std::calloc(3, sizeof(int32_t)));
    inner->Heights[2] = 40;
    inner->LastTagID = 5;
    ASSERT_TRUE(View.ResizeScrollbox(box_, 0, 0, 200, 300, false, 1, 0, "test"));
    EXPECT_EQ(inner->Heights[2], 40) << "same width keeps the rows";
    EXPECT_EQ(inner->LastTagID, 5);
    ASSERT_TRUE(View.ResizeScrollbox(box_, 0, 0, 260, 300, false, 1, 0, "test"));
    EXPECT_EQ(inner->Heights[2], -1);
    EXPECT_EQ(inner->Tops[0], -1);
    EXPECT_EQ(inner->LastTagID, -9999);
}

TEST_F(ScrollboxTest, ThumbDragsTheContent)
{
    MainForm()->Show();
    ASSERT_TRUE(LayOut(200, 300));
    plat::TLabel* thumb = Thumb();
    ASSERT_EQ(thumb->Height(), 133);

    plat::testing::MouseMove(*MainForm(), 700, 550);
    plat::testing::MouseMove(*thumb, 3, 3);
    EXPECT_EQ(thumb->Color(), 0xA6A6A6u);
    plat::testing::MousePress(*thumb, 3, 0);
    EXPECT_EQ(thumb->Color(), 0x696969u);
    plat::testing::MouseMove(*thumb, 3, 40);
    EXPECT_EQ(thumb->Top(), 40);
    plat::testing::MouseMove(*box_->TrackPanel.Get(), 5, 199);
    EXPECT_EQ(thumb->Top(), 200 - 133) << "a move below the thumb still drags it";
    EXPECT_EQ(Content()->Top(), -(300 - 200)) << "track bottom shows the content's end exactly";
    plat::testing::MouseRelease(*box_->TrackPanel.Get(), 5, 199);
    EXPECT_EQ(thumb->Color(), 0xCDCDCDu);

    plat::testing::MouseMove(*thumb, 3, 5);
    plat::testing::MouseMove(*thumb, 3, 1);
    EXPECT_EQ(Content()->Top(), -100) << "no drag after the release";
}

TEST_F(ScrollboxTest, ThumbInVirtualModeKeepsTheOffset)
{
    MainForm()->Show();
    box_->VirtualHeight = 300;
    box_->AlwaysShowScrollbar = 1;
    ASSERT_TRUE(LayOut(200, 200));
    plat::TLabel* thumb = Thumb();
    plat::testing::MousePress(*thumb, 3, 0);
    plat::testing::MouseMove(*box_->TrackPanel.Get(), 5, 199);
    plat::testing::MouseRelease(*box_->TrackPanel.Get(), 5, 199);
    EXPECT_EQ(Content()->Top(), 0);
    EXPECT_EQ(box_->VirtualOffset, -(300 - 200));
}

TEST_F(ScrollboxTest, ScrollbarMaths)
{
    struct Case {
        const char* name;
        int32_t frame, content, virtualHeight, rows, firstRow, visibleRows, contentTop;
        int32_t thumbHeight, thumbTop;
    } cases[] = {
        {"content twice the frame", 200, 400, -1, 0, 0, 0, 0, 100, 0},
        {"content half scrolled", 200, 400, -1, 0, 0, 0, -100, 100, 50},
        {"content shorter than the frame", 200, 100, -1, 0, 0, 0, 0, 200, 0},
        {"empty content", 200, 0, -1, 0, 0, 0, 0, 200, 0},
        {"tall content at its end", 200, 300000, -1, 0, 0, 0, -(300000 - 200), 0, 200},
        {"virtual, middle", 200, 200, 1000, 51, 10, 10, 0, 40, 40},
        {"virtual, last page", 200, 200, 1000, 50, 45, 10, 0, 40, 160},
        {"virtual, first row", 200, 200, 1000, 51, 0, 10, 0, 40, 0},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        Frame()->SetHeight(test.frame);
        Content()->SetBounds(0, test.contentTop, 100, test.content);
        box_->VirtualHeight = test.virtualHeight;
        TNViewInner* inner = box_->Inners[0];
        inner->ListItemsCount = test.rows;
        inner->FirstRow = test.firstRow;
        inner->VisibleRows = test.visibleRows;
        EXPECT_EQ(box_->UpdateScrollbarHeight(1, test.content), test.thumbHeight);
        EXPECT_EQ(Thumb()->Height(), test.thumbHeight);
        EXPECT_TRUE(box_->UpdateScrollbarPosition());
        EXPECT_EQ(Thumb()->Top(), test.thumbTop);
    }
    EXPECT_EQ(box_->VirtualOffset, 0) << "first row 0";
    box_->Inners[0]->FirstRow = 45;
    box_->Inners[0]->ListItemsCount = 50;
    box_->UpdateScrollbarPosition();
    EXPECT_EQ(box_->VirtualOffset, 45 * (1000 / 49));

    TNViewItem* other = MakeItem(cmpLabel, "lblOther");
    EXPECT_FALSE(other->UpdateScrollbarPosition());
    EXPECT_EQ(log_.CountContaining("[TNViewItem::UpdateScrollbarPosition][DEFAULT] item->Name = lblOther"), 1);
}

TEST_F(ScrollboxTest, ScrollScrollboxToClampsAndMovesTheThumb)
{
    ASSERT_TRUE(LayOut(200, 400));
    struct Case {
        const char* name;
        int32_t position;
        int32_t contentTop;
        int32_t thumbTop;
    } cases[] = {
        {"positive goes to the top", 50, 0, 0},
        {"inside the range", -100, -100, 50},
        {"below the end stops there", -1000, -200, 100},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        EXPECT_TRUE(View.ScrollScrollboxTo(box_, test.position));
        EXPECT_EQ(Content()->Top(), test.contentTop);
        EXPECT_EQ(Thumb()->Top(), test.thumbTop);
    }
}

TEST_F(ScrollboxTest, LayoutHandsTheScrollPositionToTheMainWindow)
{
    // As the main window does: the box by name, then ScrollScrollboxTo.
    ViewMainHooks.ScrollWheelableTo = [](int32_t position, const char* name) {
        return View.ScrollScrollboxTo(View.GetComponent(name), position);
    };
    ASSERT_TRUE(LayOut(200, 800));
    Content()->SetTop(-550);
    ASSERT_TRUE(LayOut(200, 400));
    EXPECT_EQ(Content()->Top(), -200) << "a shorter content stays filled to the frame's bottom";
    EXPECT_EQ(Thumb()->Top(), 100);
}

TEST_F(ScrollboxTest, ListStatesAreMadeAndFreedWhole)
{
    EXPECT_EQ(box_->AddInner(), 1);
    EXPECT_EQ(box_->AddInner(), 2);
    plat::TJvPanel* content = box_->Inners[2]->ContentPanel.Get();
    EXPECT_EQ(content->Parent(), Frame());
    EXPECT_EQ(content->Color(), box_->Panel.Get()->Color());
    content->MouseDown(plat::TMouseButton::mbLeft, 0, 1, 1);
    EXPECT_EQ(recorder_.Count("FormMouseDown"), 1);

    for (int32_t i = 0; i < 3; ++i) {
        TNViewInner* inner = box_->Inners[i];
        View.CreateChildRecordLists(box_);
        inner->Tops = static_cast<int32_t*>(std::malloc(4 * sizeof(int32_t)));
        inner->Heights = static_cast<int32_t*>(std::malloc(4 * sizeof(int32_t)));
    }
    plat::TWeakRef<plat::TJvPanel> dropped = box_->Inners[2]->ContentPanel;
    EXPECT_TRUE(box_->ResizeInners(1));
    EXPECT_EQ(box_->InnersCount, 1);
    EXPECT_EQ(dropped.Get(), nullptr) << "a dropped list state takes its content panel";
    EXPECT_TRUE(box_->ResizeInners(0));
}

TEST_F(ScrollboxTest, RepaintTimerFiresOnce)
{
    plat::testing::ManualTimers timers;
    static int calls = 0;
    static TNViewItem* painted = nullptr;
    static std::string caller;
    calls = 0;
    ViewMainHooks.PaintRecordsComponentsList = [](TNViewItem* item, bool flag1, const char* text, bool flag2) {
        ++calls;
        painted = item;
        caller = text;
        EXPECT_TRUE(flag1);
        EXPECT_TRUE(flag2);
    };
    ASSERT_TRUE(box_->CreateTimerCalcScrollbox(true));
    plat::TTimer* timer = box_->RepaintTimer.Get();
    ASSERT_NE(timer, nullptr);
    EXPECT_EQ(timer->Interval(), 1000u);
    timers.Advance(999);
    EXPECT_EQ(calls, 0);
    timers.Advance(1);
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(painted, box_);
    EXPECT_EQ(caller, "TNViewItem::timerCalcScrollboxTimer_A");
    EXPECT_FALSE(timer->Enabled());
    timers.Advance(5000);
    EXPECT_EQ(calls, 1);
}

} // namespace
} // namespace view_test
