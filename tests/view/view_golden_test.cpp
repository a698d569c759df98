#include "platform/gui/gradient.h"
#include "platform/gui/label.h"
#include "platform/gui/text_metrics.h"
#include "tests/view/view_fixture.h"
#include "view/image_table.h"

#include <cstdlib>
#include <string>

namespace view_test {
namespace {

const std::string kGoldens = DALMORA_TEST_DATA_DIR;
const std::string kOutput = DALMORA_BINARY_DIR "gui-test-output";

int ChannelDistance(plat::TColor a, plat::TColor b)
{
    int most = 0;
    for (int shift : {0, 8, 16})
        most = std::max(most, std::abs(static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF)));
    return most;
}

// Real fonts, as the program draws.
class ViewGoldenTest : public ViewTest {
protected:
    void SetUp() override
    {
        ViewTest::SetUp();
        plat::TextMetrics::SetFixed(false);
    }
};

TEST_F(ViewGoldenTest, MainFrameWithItsStatusBar)
{
    FixedPanel(mpSpare3)->SetHeight(21);
    MainForm()->SetBounds(0, 0, 1024, 768);
    View.ResizeMainForm();
    View.StatusBars[6].SetText("Připojuji k serveru...", nullptr);
    MainForm()->Show();
    EXPECT_TRUE(plat::testing::MatchesGolden(*MainForm(), kGoldens + "main_frame.png", kOutput));
}

TEST_F(ViewGoldenTest, ButtonLooks)
{
    ImageTable.CreateBlankImage("imgIcon", 16, 16, plat::RGB(40, 120, 200));
    auto* strip = new plat::TPanel(MainForm());
    strip->SetParent(MainForm());
    strip->SetBevelOuter(plat::TBevelCut::bvNone);
    strip->SetColor(View.FormColor);
    strip->SetBounds(0, 0, 330, 40);
    const char* names[] = {"normal", "hover", "active"};
    for (int i = 0; i < 3; ++i) {
        auto* shape = new TNViewItem();
        shape->Init();
        View.SetDefaultsByItemType(shape, cmpButton);
        shape->ButtonTitle = TNString("Týden");
        shape->IconName = TNString("imgIcon");
        shape->IconPosition = 3;
        shape->AutoWidth = 1;
        shape->TextInsetX = 4;
        TNViewItem* button =
            View.CreateComponent(cmpButton, names[i], MainForm(), strip, 0, "", 1, -1, shape, nullptr, 3);
        ASSERT_NE(button, nullptr);
        button->UnderlineOnHover = 1;
        View.SetButtonTitle(button, "Týden", "3", plat::clWhite, 0x808080, false, false);
        View.ResizeComponent(button, 8 + 105 * i, 4, 0, 32, true);
        if (i == 1)
            View.ButtonHoverOn(button);
        if (i == 2)
            button->SetActiveButtonColors(true);
    }
    MainForm()->Show();
    EXPECT_TRUE(plat::testing::MatchesGolden(*strip, kGoldens + "button_looks.png", kOutput));
}

TEST_F(ViewGoldenTest, DayTitle)
{
    TNViewItem* title =
        View.CreateComponent(cmpDayTitle, "title", MainForm(), Desk(), 0, "", 1, -1, nullptr, nullptr, 3);
    ASSERT_NE(title, nullptr);
    title->Label(2)->SetCaption("ČT");
    title->Label(3)->SetCaption("5. ");
    title->Label(4)->SetCaption("prosinec 2026");
    title->Label(5)->SetCaption("49. TÝDEN");
    title->Label(6)->SetCaption("16:05");
    View.ResizeComponent(title, 0, 0, 243, 52, true);
    MainForm()->Show();
    plat::TPanel& panel = *title->Panel.Get();
    EXPECT_LE(ChannelDistance(plat::testing::Probe(panel, 2, 0), 0xBE6E19), 2);
    EXPECT_LE(ChannelDistance(plat::testing::Probe(panel, 2, 51), 0x965A0F), 2);
    EXPECT_TRUE(plat::testing::MatchesGolden(panel, kGoldens + "day_title.png", kOutput));
}

} // namespace
} // namespace view_test
