#include "foundation/time.h"
#include "platform/gui/bitmap.h"
#include "platform/gui/canvas.h"
#include "platform/gui/image.h"
#include "platform/gui/menu.h"
#include "platform/gui/mouse.h"
#include "platform/gui/text_metrics.h"
#include "platform/testing/gui_seams.h"
#include "tests/view/view_fixture.h"
#include "view/image_table.h"

#include <cstdlib>
#include <string>

namespace view_test {
namespace {

const std::string kGoldens = DALMORA_TEST_DATA_DIR;
const std::string kOutput = DALMORA_BINARY_DIR "gui-test-output";

class DayboxTest : public ViewTest {
protected:
    void SetUp() override
    {
        ViewTest::SetUp();
        Desk()->SetBounds(0, 0, 755, 2000);
        MakeDayboxBackgrounds();
        daybox_ = MakeItem(cmpDaybox, "daybox", Desk());
        daybox_->ResizeAllDays(7);
    }

    plat::TJvPanel* Line() const { return daybox_->FramePanel2.Get(); }
    plat::TJvPanel* TimeLabel() const { return daybox_->FramePanel1.Get(); }
    plat::TImage* Picture() const { return daybox_->Images[1].Get(); }

    TNViewItem* daybox_ = nullptr;
};

TEST_F(DayboxTest, CreatesHiddenMarkersAndLaysOutByWidth)
{
    EXPECT_FALSE(Line()->Visible());
    EXPECT_FALSE(TimeLabel()->Visible());
    EXPECT_EQ(TimeLabel()->Caption(), "00:00");
    EXPECT_EQ(Line()->Color(), 255u);
    EXPECT_EQ(TimeLabel()->Font().Color(), 0xFFFFFFu);
    EXPECT_EQ(daybox_->Panel.Get()->Parent(), Desk());

    Desk()->SetWidth(500);
    daybox_->daybox_mode = 14;
    ASSERT_TRUE(View.ResizeDaybox(daybox_, 10, 0, -1, 300, false, true, false));
    EXPECT_EQ(daybox_->Panel.Get()->Width(), 490);
    EXPECT_EQ(Picture()->Width(), 490);
    ASSERT_TRUE(View.ResizeDaybox(daybox_, 10, 0, -2, 300, false, false, false));
    EXPECT_EQ(daybox_->Panel.Get()->Width(), 480);

    EXPECT_FALSE(View.ResizeDaybox(daybox_, 40, 5, -2, 300, false, false, false)) << "left and top are not compared";
    EXPECT_EQ(daybox_->Panel.Get()->Left(), 10);
    EXPECT_TRUE(View.ResizeDaybox(daybox_, 40, 5, -2, 300, true, false, false));
    EXPECT_EQ(daybox_->Panel.Get()->Left(), 40);
    EXPECT_EQ(daybox_->Panel.Get()->Width(), 420);
}

TEST_F(DayboxTest, HeightFollowsTheScrollFrame)
{
    TNViewItem* box = MakeItem(cmpScrollbox, "scrollCal", Desk());
    ASSERT_TRUE(View.ResizeScrollbox(box, 0, 0, 755, 404, true, 1, 0, "test"));
    daybox_->ParentItem = box;
    daybox_->HeightFollowsParent = 1;
    ASSERT_TRUE(View.ResizeDaybox(daybox_, 0, 0, 700, 1000, true, false, false));
    EXPECT_EQ(daybox_->Panel.Get()->Height(), box->Scrollbox.Get()->Height());
    daybox_->HeightFollowsParent = 0;
    ASSERT_TRUE(View.ResizeDaybox(daybox_, 0, 0, 700, 1000, true, false, false));
    EXPECT_EQ(daybox_->Panel.Get()->Height(), 1000);
}

TEST_F(DayboxTest, WeekBackgroundHasDaySeparators)
{
    daybox_->daybox_mode = 34;
    ASSERT_TRUE(View.ResizeDaybox(daybox_, 0, 0, 755, -1, true, false, false));
    ASSERT_EQ(Picture()->Height(), 1920) << "the 80 px hour background";
    for (int i = 0; i < 7; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(Picture()->Picture().Bitmap().Canvas().Pixel(54 + i * 100, 700), 0xEBEBEBu);
        EXPECT_EQ(Picture()->Picture().Bitmap().Canvas().Pixel(55 + i * 100, 700), plat::clWhite);
    }
    EXPECT_EQ(ImageTable.GetImage("bgCalendarOneDay80", true)->Picture().Bitmap().Canvas().Pixel(54, 700),
              plat::clWhite)
        << "the cached image stays blank";
}

TEST_F(DayboxTest, RedLineByGroup)
{
    Desk()->SetBounds(0, 0, 755, 2000);
    daybox_->Panel.Get()->SetBounds(0, 0, 755, 1920);
    daybox_->MinuteTops = static_cast<float*>(std::malloc(1441 * sizeof(float)));
    for (int m = 0; m <= 1440; ++m)
        daybox_->MinuteTops[m] = m * 1.25f + 0.7f;
    struct Case {
        const char* name;
        int32_t mode;
        int32_t day, hour, minute;
        int32_t left, top, width;
        int32_t labelTop;
    } cases[] = {
        {"one day at 23:59", 14, 12, 23, 59, 54, 1918, 700, 1909},
        {"week on a Sunday", 34, 16, 10, 30, 655, 840, 100, 835},
        {"week on a Wednesday", 34, 12, 10, 30, 255, 840, 100, 835},
        {"dynamic takes the table truncated", 4, 12, 10, 30, 54, 788, 700, 783},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        daybox_->daybox_mode = test.mode;
        SetNow(test.day, 6, 2024, test.hour, test.minute);
        EXPECT_TRUE(View.UpdateRedline(daybox_));
        EXPECT_EQ(Line()->Left(), test.left);
        EXPECT_EQ(Line()->Top(), test.top);
        EXPECT_EQ(Line()->Width(), test.width);
        EXPECT_EQ(Line()->Height(), 1);
        EXPECT_EQ(TimeLabel()->Left(), test.left - 38);
        EXPECT_EQ(TimeLabel()->Top(), test.labelTop) << "5 above the line, clamped to the panel";
        EXPECT_EQ(TimeLabel()->Width(), 38);
        EXPECT_EQ(TimeLabel()->Height(), 11);
    }
    EXPECT_EQ(TimeLabel()->Caption(), "10:30");
    EXPECT_EQ(log_.CountContaining("[TNView::UpdateRedline] ParentItem = NULL"), 3);

    SetNow(12, 6, 2024, 0, 0);
    daybox_->daybox_mode = 14;
    View.UpdateRedline(daybox_);
    EXPECT_EQ(TimeLabel()->Top(), 0) << "clamped to the top";
    EXPECT_EQ(TimeLabel()->Caption(), "00:00");

    const int32_t top = Line()->Top();
    daybox_->daybox_mode = 44;
    EXPECT_TRUE(View.UpdateRedline(daybox_)) << "month: no line";
    daybox_->daybox_mode = 54;
    EXPECT_TRUE(View.UpdateRedline(daybox_));
    EXPECT_EQ(log_.CountContaining("[UpdateRedline][ERROR] Unhandled DayboxModeGroup = 5"), 1);
    EXPECT_EQ(Line()->Top(), top);

    daybox_->shownDaysCount = 0;
    EXPECT_FALSE(View.UpdateRedline(daybox_)) << "no day shown";
}

TEST_F(DayboxTest, RedLineOutOfViewSetsTheScrollOffset)
{
    TNViewItem* box = MakeItem(cmpScrollbox, "scrollCal", Desk());
    ASSERT_TRUE(View.ResizeScrollbox(box, 0, 0, 755, 404, true, 1, 0, "test"));
    ASSERT_EQ(box->Scrollbox.Get()->Height(), 400);
    daybox_->ParentItem = box;
    daybox_->daybox_mode = 14;
    daybox_->Panel.Get()->SetBounds(0, 0, 755, 1920);

    SetNow(12, 6, 2024, 12, 30);
    EXPECT_TRUE(View.UpdateRedline(daybox_));
    EXPECT_EQ(Line()->Top(), 1000);
    EXPECT_EQ(Line()->Tag(), 80 - 1000);
    EXPECT_EQ(TimeLabel()->Top(), -16) << "the label stays where it was";

    SetNow(12, 6, 2024, 3, 0);
    EXPECT_TRUE(View.UpdateRedline(daybox_));
    EXPECT_EQ(Line()->Tag(), 0);
    EXPECT_EQ(TimeLabel()->Top(), 240 - 5);
}

TEST_F(DayboxTest, MouseHandlers)
{
    static TNViewItem* box = nullptr;
    static int32_t clickAtEscape = 0;
    static int edits = 0;
    static TNViewItem* origin = nullptr;
    box = daybox_;
    edits = 0;
    auto* popup = new plat::TPopupMenu(MainForm());
    static plat::TPopupMenu* menu = nullptr;
    menu = popup;
    ViewMainHooks.btnESCClick = [] { clickAtEscape = box->ClickY; };
    ViewMainHooks.popupDaybox = []() -> plat::TComponent* { return menu; };
    ViewMainHooks.EditRecord = [](TNPIMRecord* record, uint32_t, TNViewItem* from) {
        EXPECT_EQ(record, nullptr);
        ++edits;
        origin = from;
    };
    plat::testing::MenuRecorder menus;
    daybox_->daybox_mode = 34;
    ASSERT_TRUE(View.ResizeDaybox(daybox_, 0, 0, 755, 900, true, false, false));
    MainForm()->Show();
    plat::testing::MouseMove(*MainForm(), 790, 590);

    daybox_->ClickY = 7;
    plat::testing::MousePress(*Picture(), 120, 300);
    EXPECT_EQ(clickAtEscape, 7) << "escape runs before the position is stored";
    EXPECT_EQ(daybox_->ClickX, 120);
    EXPECT_EQ(daybox_->ClickY, 300);
    plat::testing::MouseRelease(*Picture(), 130, 310);
    EXPECT_EQ(daybox_->ClickX, 130);
    EXPECT_TRUE(menus.popups.empty()) << "left button";

    plat::Mouse::SetCursorPos(plat::TPoint{321, 234});
    plat::testing::MousePress(*Picture(), 140, 320, plat::TMouseButton::mbRight);
    plat::testing::MouseRelease(*Picture(), 140, 320, plat::TMouseButton::mbRight);
    ASSERT_EQ(menus.popups.size(), 1u);
    EXPECT_EQ(menus.popups[0].menu, popup);
    EXPECT_EQ(menus.popups[0].x, 321);
    EXPECT_EQ(menus.popups[0].y, 234);

    plat::testing::MouseDoubleClick(*Picture(), 200, 400);
    EXPECT_EQ(edits, 1);
    EXPECT_EQ(origin, daybox_);
}

// Real fonts, as the program draws.
TEST_F(DayboxTest, GoldenWeekWithRedLine)
{
    plat::TextMetrics::SetFixed(false);
    SetNow(12, 6, 2024, 10, 30);
    daybox_->daybox_mode = 34;
    ASSERT_TRUE(View.ResizeDaybox(daybox_, 0, 0, 755, 900, true, false, false));
    Line()->Show();
    TimeLabel()->Show();
    MainForm()->Show();
    EXPECT_TRUE(plat::testing::MatchesGolden(*daybox_->Panel.Get(), kGoldens + "daybox_week.png", kOutput));
}

} // namespace
} // namespace view_test
