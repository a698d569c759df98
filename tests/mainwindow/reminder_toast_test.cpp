#include "tests/mainwindow/alert_fixture.h"

#include "mainwindow/hint_window.h"
#include "model/pim.h"
#include "model/record.h"
#include "model/tags.h"
#include "model/tags_assign.h"
#include "online/global.h"
#include "online/hooks.h"
#include "platform/core/clock.h"
#include "platform/gui/label.h"
#include "platform/gui/screen.h"
#include "platform/gui/shape.h"
#include "platform/gui/timer.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace shell_test {
namespace {

constexpr int kScreenWidth = 1280;

class ReminderToast : public AlertTest {
protected:
    void TearDown() override
    {
        g.SetNotifyConstantlyRecord(nullptr);
        AlertTest::TearDown();
    }

    // The urgent record the toast shows, as the sign-in job keeps it.
    void UseRecord(const std::string& text, uint32_t id = 77)
    {
        auto record = std::make_shared<TNPIMRecord>();
        record->ID = id;
        record->ParentPIM = &data_->Pim();
        record->Importance = 99;
        record->Text.Set(text.c_str());
        g.SetNotifyConstantlyRecord(record);
    }

    // g's start of the toast, then its first tick.
    void Start()
    {
        MainWindowHooks.ArmHintTimer(0, 2500);
        timers_->Advance(2500);
    }

    int64_t State() { return Main().timerHint->Tag(); }
    TfrmHint& Hint() { return *Main().frmHint; }
};

TEST_F(ReminderToast, SlidesInHoldsSlidesOutAndResets)
{
    UseRecord("Zaplatit nájem");
    Start();
    ASSERT_NE(Main().frmHint, nullptr);
    EXPECT_EQ(Main().lastToastTime, plat::UnixSeconds());
    EXPECT_EQ(State(), 1);
    EXPECT_EQ(Hint().AlphaBlendValue(), 0);
    const int top = Hint().Top();
    EXPECT_EQ(top, -Hint().Height());
    EXPECT_FALSE(plat::testing::WindowMapped(Hint()));

    for (int step = 1; step <= 17; ++step) {
        timers_->Advance(28);
        EXPECT_EQ(Hint().AlphaBlendValue(), std::min(15 * step, 255)) << step;
        EXPECT_EQ(Hint().Top(), top + 7 * step) << step;
    }
    timers_->Advance(28);
    EXPECT_EQ(State(), 2);
    EXPECT_EQ(Main().timerHint->Interval(), 4000u);
    timers_->Advance(3999);
    EXPECT_EQ(State(), 2);
    timers_->Advance(1);
    EXPECT_EQ(State(), 3);

    for (int step = 1; step <= 17; ++step) {
        timers_->Advance(10);
        EXPECT_EQ(Hint().AlphaBlendValue(), 255 - 15 * step) << step;
        EXPECT_EQ(Hint().Top(), top + 7 * (17 - step)) << step;
    }
    timers_->Advance(10);
    EXPECT_EQ(State(), 4);
    timers_->Advance(10);
    EXPECT_EQ(State(), 0);
    EXPECT_FALSE(Main().timerHint->Enabled());
    EXPECT_EQ(Hint().AlphaBlendValue(), 0);
}

TEST_F(ReminderToast, CloseDuringTheSlideInReversesFromWhereItIs)
{
    UseRecord("Zaplatit nájem");
    Start();
    const int top = Hint().Top();
    for (int step = 0; step < 5; ++step)
        timers_->Advance(28);
    ASSERT_EQ(Hint().AlphaBlendValue(), 75);
    Main().frmHint->lblClose->Click();
    EXPECT_EQ(State(), 3);
    EXPECT_EQ(Main().timerHint->Interval(), 1u);
    for (int step = 1; step <= 5; ++step) {
        timers_->Advance(10);
        EXPECT_EQ(Hint().AlphaBlendValue(), 75 - 15 * step);
        EXPECT_EQ(Hint().Top(), top + 7 * (5 - step));
    }
    timers_->Advance(10);
    timers_->Advance(10);
    EXPECT_EQ(State(), 0);
    EXPECT_FALSE(Main().timerHint->Enabled());
}

TEST_F(ReminderToast, HoveringHoldsItAndALateLeaveBringsNothingBack)
{
    UseRecord("Zaplatit nájem");
    Start();
    for (int step = 0; step < 18; ++step)
        timers_->Advance(28);
    ASSERT_EQ(State(), 2);
    timers_->Advance(3000);

    Hint().lblText->MouseEnter();
    EXPECT_EQ(Hint().lblText->Font().Color(), 0xC80000u);
    timers_->Advance(60000);
    EXPECT_EQ(State(), 2);
    Hint().lblText->MouseLeave();
    EXPECT_EQ(Hint().lblText->Font().Color(), plat::clBlack);
    // The hold starts again with its full time.
    timers_->Advance(3999);
    EXPECT_EQ(State(), 2);
    timers_->Advance(1);
    EXPECT_EQ(State(), 3);

    for (int step = 0; step < 19; ++step)
        timers_->Advance(10);
    ASSERT_EQ(State(), 0);
    // Unmapping the window sends a leave; the toast stays away.
    Hint().lblClose->MouseLeave();
    Hint().lblText->MouseLeave();
    EXPECT_FALSE(Main().timerHint->Enabled());
    timers_->Advance(5000);
    EXPECT_EQ(Hint().AlphaBlendValue(), 0);
    EXPECT_EQ(State(), 0);
}

TEST_F(ReminderToast, TheWindowFitsItsText)
{
    UseRecord("Krátce");
    Start();
    EXPECT_EQ(Hint().ClientWidth(), 286);
    EXPECT_EQ(Hint().Left(), kScreenWidth / 2 - 143);
    const plat::TLabel& text = *Hint().lblText;
    EXPECT_EQ(text.Left(), (286 - text.Width()) / 2);
    EXPECT_EQ(Hint().ClientHeight(), text.Height() + 2 * 16 + 16 + 6);
    EXPECT_EQ(Hint().shpOuter->BoundsRect(), (plat::TRect{0, 0, 286, Hint().ClientHeight()}));
    EXPECT_EQ(Hint().shpInner->BoundsRect(), (plat::TRect{1, 1, 285, Hint().ClientHeight() - 1}));
    const plat::TLabel& close = *Hint().lblClose;
    EXPECT_EQ(close.Caption(), "[X]");
    EXPECT_EQ(close.Left() + close.Width() - 1, text.Left() + text.Width());
    EXPECT_EQ(close.Top(), 16 + text.Height() + 4);
    EXPECT_EQ(Hint().lblHelp->Left(), close.Left() - Hint().lblHelp->Width() - 6);

    // A text wider than the screen is cut to the screen less 72 pixels.
    UseRecord(std::string(400, 'W'));
    Start();
    EXPECT_EQ(Hint().lblText->Width(), kScreenWidth - 72);
    EXPECT_EQ(Hint().ClientWidth(), kScreenWidth - 72 + 36);
}

TEST_F(ReminderToast, ShowsTheRecordsTagOrNone)
{
    UseRecord("Bez štítku");
    Start();
    const plat::TLabel& tag = *Hint().lblTag;
    EXPECT_EQ(tag.BoundsRect(), (plat::TRect{-99, -99, -99, -99}));
    EXPECT_EQ(tag.Caption(), "");

    TNPIM& pim = data_->Pim();
    ASSERT_TRUE(pim.Tags.Resize(1));
    pim.Tags.Items[0]->ID = 812;
    pim.Tags.Items[0]->Title.Set("Domácnost");
    pim.Tags.NoteIDChanged(0);
    pim.TagsAssign.AddAssign(78, 812, 501);
    UseRecord("Se štítkem", 78);
    Start();
    EXPECT_EQ(tag.Caption(), "Domácnost");
    EXPECT_EQ(tag.Hint(), "Štítek");
    EXPECT_EQ(tag.Color(), 0xC8C3BEu);
    EXPECT_EQ(tag.Left(), Hint().lblText->Left());
    EXPECT_EQ(tag.Height(), 16);
    EXPECT_GT(tag.Width(), 6);
}

TEST_F(ReminderToast, WithoutARecordNothingShows)
{
    Start();
    EXPECT_FALSE(Main().timerHint->Enabled());
    EXPECT_EQ(State(), 0);
    ASSERT_NE(Main().frmHint, nullptr);
    EXPECT_EQ(Hint().AlphaBlendValue(), 0);
    EXPECT_FALSE(plat::testing::WindowMapped(Hint()));
}

TEST_F(ReminderToast, HelpExplainsAndTheTextOpensTheRecord)
{
    UseRecord("Zaplatit nájem");
    Start();
    Hint().lblHelp->Click();
    EXPECT_EQ(State(), 3);
    ASSERT_EQ(boxes_->boxes.size(), 1u);
    EXPECT_EQ(boxes_->boxes[0].caption, "O antiprokrastinační funkci");
    const std::string& text = boxes_->boxes[0].text;
    EXPECT_EQ(text.rfind("Antiprokrastinační funkce Dalmora\n\nPokud libovolnému záznamu", 0), 0u);
    EXPECT_NE(text.find("desktopová verze Dalmora na záznam upozorňuje malým oknem"), std::string::npos);
    EXPECT_NE(text.find("\n\nNastavení funkce naleznete v hlavním okně Dalmora nahoře v menu Nastavení - "
                        "Antiprokrastinační funkce.\n"),
              std::string::npos);

    Main().timerHint->SetEnabled(false);
    Hint().lblText->Click();
    EXPECT_EQ(State(), 3);
    EXPECT_TRUE(Main().timerHint->Enabled());
    EXPECT_EQ(Main().timerAddSomethingNew->Tag(), 1);
    EXPECT_TRUE(Main().timerAddSomethingNew->Enabled());
}

} // namespace
} // namespace shell_test
