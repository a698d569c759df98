#include "foundation/app_info.h"
#include "online/hooks.h"
#include "platform/core/paths.h"
#include "platform/gui/gradient.h"
#include "platform/gui/image.h"
#include "platform/gui/label.h"
#include "tests/view/view_fixture.h"

#include <cstdio>
#include <string>

namespace view_test {
namespace {

using plat::testing::MouseClick;
using plat::testing::MouseMove;
using plat::testing::Probe;

class StatusPanelTest : public ViewTest {
protected:
    TNStatusBar& Make(const char* text, int icon, bool clickable = false)
    {
        EXPECT_TRUE(bar_.Create(5, MainForm(), clickable, false, icon, text, MainForm()));
        bar_.SetBounds(0, 0, -1, 24);
        return bar_;
    }
    int Width() const { return bar_.Panel()->Width(); }

    TNStatusBar bar_;
};

TEST_F(StatusPanelTest, FitsItsContent)
{
    Make("abc", -1);
    EXPECT_EQ(Width(), 37);
    EXPECT_EQ(bar_.Label()->Left(), 8);
    EXPECT_EQ(bar_.Label()->Top(), 5);
}

TEST_F(StatusPanelTest, FitsItsContentWithAnIcon)
{
    Make("abc", 0);
    EXPECT_EQ(Width(), 52);
    EXPECT_EQ(bar_.Icon()->BoundsRect(), plat::Bounds(5, 4, 16, 16));
    EXPECT_EQ(bar_.Label()->Left(), 24);
    EXPECT_EQ(bar_.Label()->Top(), 5);
}

TEST_F(StatusPanelTest, EmptyTextShrinksToTheIconOrToNothing)
{
    Make("", -1);
    EXPECT_EQ(Width(), 0);
    TNStatusBar withIcon;
    ASSERT_TRUE(withIcon.Create(0, MainForm(), false, false, 2, "", MainForm()));
    withIcon.SetBounds(0, 0, -1, 24);
    EXPECT_EQ(withIcon.Panel()->Width(), 18);
    EXPECT_EQ(withIcon.Icon()->Left(), 1);
}

TEST_F(StatusPanelTest, NoTextShowsDashesAndFitsAgain)
{
    Make("", -1);
    bar_.SetText(nullptr, nullptr);
    EXPECT_EQ(bar_.Label()->Caption(), "---");
    EXPECT_EQ(bar_.TextWidth, 21);
    EXPECT_EQ(bar_.Panel()->Tag(), -1);
    EXPECT_EQ(Width(), 8 + 21 + 8);
    bar_.SetText("abcdef", "tip");
    EXPECT_EQ(Width(), 8 + 42 + 8);
    EXPECT_EQ(bar_.Label()->Hint(), "tip");
}

TEST_F(StatusPanelTest, HoverHighlightsThenShowsTheNormalColours)
{
    Make("abc", -1, true);
    bar_.SetGradient(0x112233, 0x445566, "tip");
    MainForm()->Show();
    plat::TJvGradient& gradient = *bar_.Gradient();
    const int bottom = gradient.Height() - 1;
    EXPECT_EQ(Probe(gradient, 2, 0), 0x112233u);

    // From a known place: a move to where the pointer already is is no move.
    MouseMove(*MainForm(), 500, 500);
    MouseMove(*bar_.Overlay(), 10, 10);
    EXPECT_EQ(Probe(gradient, 2, 0), 0xB8EEFFu);
    EXPECT_EQ(Probe(gradient, 2, bottom), 0x00C3FFu);
    EXPECT_EQ(bar_.Label()->Font().Color(), 0xFF0000u);
    EXPECT_NE(bar_.Label()->Font().Style() & plat::fsUnderline, 0u);

    MouseMove(*MainForm(), 500, 500);
    EXPECT_EQ(Probe(gradient, 2, 0), 0xFBFBFBu);
    EXPECT_EQ(Probe(gradient, 2, bottom), 0xC4D3DCu);
    EXPECT_EQ(bar_.Label()->Font().Style() & plat::fsUnderline, 0u);

    MouseClick(*bar_.Overlay(), 10, 10);
    EXPECT_EQ(recorder_.Count("StatusClick"), 1);
    EXPECT_EQ(recorder_.LastStatusTag, 5);
}

TEST_F(StatusPanelTest, OverlayOutlivingItsPanelObjectIgnoresTheMouse)
{
    plat::TLabel* overlay = nullptr;
    {
        TNStatusBar gone;
        ASSERT_TRUE(gone.Create(0, MainForm(), true, false, -1, "abc", MainForm()));
        overlay = gone.Overlay();
    }
    overlay->MouseEnter();
    overlay->MouseLeave();
    EXPECT_TRUE(overlay->Alive());
}

TEST_F(StatusPanelTest, IconIndexOutsideTheListKeepsThePicture)
{
    Make("abc", 3);
    plat::TImage& icon = *bar_.Icon();
    EXPECT_EQ(Probe(icon, 8, 8), ActionIconColor(3));
    bar_.SetIconIndex(ActionImages()->Count(), true);
    EXPECT_TRUE(icon.Visible());
    EXPECT_EQ(Probe(icon, 8, 8), ActionIconColor(3));
    bar_.SetIconIndex(4, false);
    EXPECT_FALSE(icon.Visible());
}

// The main window's frame: every fixed panel shown, pSpare3 21 high.
class MainLayoutTest : public ViewTest {
protected:
    void SetUp() override
    {
        ViewTest::SetUp();
        FixedPanel(mpSpare3)->SetHeight(21);
    }
    void Layout(int width, int height)
    {
        MainForm()->SetBounds(0, 0, width, height);
        View.ResizeMainForm();
    }
    plat::TRect Bounds(TNMainPanel panel) const { return FixedPanel(panel)->BoundsRect(); }
    plat::TPanel* Status(int number) const { return View.StatusBars[number - 1].Panel(); }
    bool TimerArmed() const { return ResizeTimer()->Enabled() && ResizeTimer()->Interval() == 1; }
};

TEST_F(MainLayoutTest, FramesTheDeskAt1024By768)
{
    Layout(1024, 768);
    EXPECT_EQ(768 - Status(9)->Top(), 26);
    EXPECT_EQ(Bounds(mpHeader), plat::Bounds(0, 30, 1007, 63));
    EXPECT_EQ(Bounds(mpControl), plat::Bounds(0, 93, 104, 675));
    EXPECT_EQ(Bounds(mpSpare2), plat::Bounds(975, 93, 32, 649));
    EXPECT_EQ(Bounds(mpSpare3), plat::Bounds(104, 721, 871, 21));
    EXPECT_EQ(Bounds(mpZentor), plat::Bounds(104, 93, 245, 628));
    EXPECT_EQ(Desk()->BoundsRect(), plat::Bounds(362, 107, 599, 600));
    EXPECT_TRUE(TimerArmed());
}

TEST_F(MainLayoutTest, NarrowAndShortWindowsShrinkTheFrame)
{
    FixedPanel(mpZentor)->SetVisible(false);
    for (int width : {800, 801}) {
        const int heights[] = {699, 700, 749, 750};
        const int headers[] = {43, 53, 53, 63};
        for (int i = 0; i < 4; ++i) {
            const int height = heights[i];
            SCOPED_TRACE(testing::Message() << width << " x " << height);
            ResizeTimer()->SetEnabled(false);
            Layout(width, height);
            const int hh = headers[i];
            EXPECT_EQ(Bounds(mpHeader).Height(), hh);
            if (width == 800) {
                EXPECT_EQ(Bounds(mpControl), plat::Bounds(0, height - 64 - 26, width, 64));
                EXPECT_EQ(Desk()->Left(), 14);
            } else {
                EXPECT_EQ(Bounds(mpControl), plat::Bounds(0, 30 + hh, 104, height - 30 - hh));
                EXPECT_EQ(Desk()->Left(), 104);
            }
            EXPECT_TRUE(TimerArmed());
        }
    }
}

TEST_F(MainLayoutTest, LoginPageHasNoMarginAndHelperPageMovesNothing)
{
    Pages()->SetActivePage("Login");
    Layout(1024, 768);
    EXPECT_EQ(Desk()->BoundsRect(), plat::Bounds(349, 93, 626, 628));

    Pages()->SetActivePage("Pomocne");
    ResizeTimer()->SetEnabled(false);
    plat::TRect before = Desk()->BoundsRect();
    Layout(900, 700);
    EXPECT_EQ(Desk()->BoundsRect(), before);
    EXPECT_EQ(Bounds(mpHeader), plat::Bounds(0, 30, 1007, 63));
    EXPECT_FALSE(ResizeTimer()->Enabled());
}

TEST_F(MainLayoutTest, StatusPanelsStandRightToLeft)
{
    Layout(1024, 768);
    char version[16];
    std::snprintf(version, sizeof version, "%d.%02d", App.VersionMajor, App.VersionMinor);
    EXPECT_EQ(View.StatusBars[1].Label()->Caption(), version);
    EXPECT_EQ(View.StatusBars[6].Label()->Caption(), "Připojuji k serveru...");
    const std::string hint = View.StatusBars[1].Overlay()->Hint();
    EXPECT_EQ(hint.rfind("Verze aplikace\n", 0), 0u);
    EXPECT_EQ(hint.substr(hint.rfind('\n') + 1), plat::ProgramFile());
    EXPECT_EQ(View.StatusBars[5].Overlay()->Hint(), "Technická podpora na internetu");
    EXPECT_EQ(Status(1)->Left() + Status(1)->Width(), 1024 - 2);
    EXPECT_EQ(Status(1)->Width(), 10);
    EXPECT_EQ(Status(7)->Left() + Status(7)->Width(), Status(6)->Left() - 2);

    for (int number : {7, 8}) {
        View.StatusBars[number - 1].SetIconIndex(0, false);
        View.StatusBars[number - 1].SetText("", nullptr);
    }
    View.ResizeMainStatusBar();
    EXPECT_EQ(Status(7)->Width(), 0);
    EXPECT_EQ(Status(8)->Width(), 0);
    EXPECT_EQ(Status(9)->Left(), 2);
    EXPECT_EQ(Status(9)->Left() + Status(9)->Width(), Status(6)->Left() - 2);

    MainForm()->Show();
    MouseClick(*View.StatusBars[5].Overlay(), 3, 3);
    EXPECT_EQ(recorder_.LastStatusTag, 4);
    MouseClick(*View.StatusBars[1].Overlay(), 3, 3);
    EXPECT_EQ(recorder_.LastStatusTag, 1);
}

// The online layer's status-bar calls, as the view installs them: panel 1
// takes the connection's colours and text, panel 2 the version without
// losing its hint, panel 8 the warning, which then takes its place.
TEST_F(MainLayoutTest, TheOnlineLayerReachesTheStatusPanels)
{
    Layout(1024, 768);
    const std::string versionHint = View.StatusBars[1].Overlay()->Hint();
    ViewHooks.SetStatusBarGradient(0, 0x00FF00, 0x008000);
    ViewHooks.SetStatusBarHint(0, "Aplikace je připojena k serveru");
    ViewHooks.SetStatusBarText(1, "9.99");
    ViewHooks.SetStatusBarText(7, "Málo místa na disku");
    ViewHooks.SetStatusBarHint(7, "Uvolněte místo na disku.");
    ViewHooks.SetStatusBarIcon(6, 1);
    ViewHooks.ResizeMainStatusBar();
    // Out of range: nothing happens.
    ViewHooks.SetStatusBarText(9, "x");
    ViewHooks.SetStatusBarText(-1, "x");

    const TNStatusBar& connection = View.StatusBars[0];
    EXPECT_EQ(connection.Gradient()->StartColor(), 0x00FF00u);
    EXPECT_EQ(connection.Gradient()->EndColor(), 0x008000u);
    EXPECT_EQ(connection.Gradient()->Hint(), "Aplikace je připojena k serveru");
    EXPECT_EQ(View.StatusBars[1].Label()->Caption(), "9.99");
    EXPECT_EQ(View.StatusBars[1].Overlay()->Hint(), versionHint);
    EXPECT_EQ(View.StatusBars[7].Label()->Caption(), "Málo místa na disku");
    EXPECT_EQ(View.StatusBars[7].Label()->Hint(), "Uvolněte místo na disku.");
    EXPECT_TRUE(View.StatusBars[6].Icon()->Visible());
    EXPECT_GT(Status(8)->Width(), 0);
    EXPECT_EQ(Status(8)->Left() + Status(8)->Width(), Status(7)->Left() - 2);
    EXPECT_EQ(Status(9)->Left() + Status(9)->Width(), Status(8)->Left() - 2);
}

} // namespace
} // namespace view_test
