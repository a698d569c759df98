#include "platform/gui/flat_button.h"
#include "platform/gui/form.h"
#include "platform/gui/panel.h"
#include "tests/gui/gui_test_support.h"

#include <gtest/gtest.h>

namespace plat {
namespace {

class Buttons : public testing::OffscreenGuiTest {
protected:
    void SetUp() override
    {
        OffscreenGuiTest::SetUp();
        form.reset(new TForm);
        form->SetBounds(0, 0, 300, 200);
        form->SetColor(clWhite);
        form->Show();
    }
    TOwned<TForm> form;
};

TEST_F(Buttons, FlatButtonPaintsItsColourSlotsAndClicks)
{
    auto* button = new TFlatButton(form.get());
    button->SetParent(form.get());
    button->SetBounds(10, 10, 80, 25);
    button->SetColor(clYellow);
    button->SetColorFocused(clLime);
    button->SetColorDown(clBlue);
    button->SetColorBorder(clRed);
    int clicks = 0;
    button->OnClick = [&](TComponent*) { ++clicks; };
    EXPECT_EQ(testing::Probe(*button, 0, 0), clRed);
    EXPECT_EQ(testing::Probe(*button, 4, 4), clYellow);
    testing::MouseMove(*button, 4, 4);
    EXPECT_EQ(testing::Probe(*button, 4, 4), clLime);
    testing::MousePress(*button, 4, 4);
    EXPECT_EQ(testing::Probe(*button, 4, 4), clBlue);
    testing::MouseRelease(*button, 4, 4);
    EXPECT_EQ(clicks, 1);
}

TEST_F(Buttons, SpaceOnAFocusedFlatButtonPressesItAndClicksOnRelease)
{
    auto* button = new TFlatButton(form.get());
    button->SetParent(form.get());
    button->SetBounds(10, 10, 80, 25);
    button->SetColorDown(clBlue);
    int clicks = 0;
    int keyDowns = 0;
    button->OnClick = [&](TComponent*) { ++clicks; };
    button->OnKeyDown = [&](TComponent*, uint16_t&, TShiftState) { ++keyDowns; };
    button->SetFocus();
    testing::SendKey(*button, 0x20, 0, true);
    for (int i = 0; i < 3; ++i) {
        testing::SendKey(*button, 0x20, 0, false, true);
        testing::SendKey(*button, 0x20, 0, true, true);
    }
    EXPECT_EQ(testing::Probe(*button, 4, 4), clBlue) << "held down";
    EXPECT_EQ(clicks, 0) << "a button clicks on release";
    testing::SendKey(*button, 0x20, 0, false);
    EXPECT_EQ(clicks, 1) << "a held Space clicks once";
    EXPECT_EQ(keyDowns, 4) << "the program sees every press";
    EXPECT_NE(testing::Probe(*button, 4, 4), clBlue) << "released";

    button->OnKeyDown = [](TComponent*, uint16_t& key, TShiftState) { key = 0; };
    testing::TapKey(*button, 0x20);
    EXPECT_EQ(clicks, 1) << "key 0 in OnKeyDown stops the press";
    button->OnKeyDown = nullptr;
    testing::TapKey(*button, 0x20, ssCtrl);
    EXPECT_EQ(clicks, 1) << "Ctrl+Space is no click";
}

TEST_F(Buttons, SpeedButtonDrawsItsGlyphWithTheCornerColourSeeThrough)
{
    auto* panel = new TPanel(form.get());
    panel->SetParent(form.get());
    panel->SetBounds(0, 0, 100, 50);
    panel->SetColor(clWhite);
    panel->SetBevelOuter(TBevelCut::bvNone);
    auto* button = new TSpeedButton(form.get());
    button->SetParent(panel);
    button->SetBounds(10, 10, 40, 20);
    button->SetFlat(true);
    button->SetMargin(1);
    button->Glyph().LoadFromFile(DALMORA_TEST_DATA_DIR "glyph.bmp");
    int clicks = 0;
    button->OnClick = [&](TComponent*) { ++clicks; };
    // The 8 x 6 glyph sits at x 1, vertically centred (top 7).
    EXPECT_EQ(testing::Probe(*button, 1, 7), clWhite) << "the bottom-left colour is see-through";
    EXPECT_EQ(testing::Probe(*button, 4, 9), clBlack);
    EXPECT_EQ(testing::Probe(*button, 0, 0), clWhite) << "flat: no frame";
    testing::MouseClick(*button, 20, 10);
    EXPECT_EQ(clicks, 1);
}

} // namespace
} // namespace plat
