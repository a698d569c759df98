#include "platform/core/codepage.h"
#include "platform/gui/form.h"
#include "platform/gui/label.h"
#include "platform/gui/panel.h"
#include "platform/testing/gui_harness.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstring>

namespace plat {
namespace {

class Texts : public testing::OffscreenGuiTest {};

TEST_F(Texts, Cp1250CaptionsShowTheirCharacters)
{
    const std::string utf8 = "\xC5\xBDlu\xC5\xA5ou\xC4\x8Dk\xC3\xBD k\xC5\xAF\xC5\x88"; // Žluťoučký kůň
    const std::string cp1250 = Utf8ToCp1250(utf8);
    ASSERT_EQ(cp1250.size(), 13u);
    TOwned<TForm> form(new TForm);
    form->SetCaption(cp1250);
    EXPECT_EQ(form->Caption(), cp1250);
    EXPECT_EQ(testing::WindowTitle(*form), utf8);
}

TEST_F(Texts, TypedCharactersArriveAsCp1250Bytes)
{
    TOwned<TForm> form(new TForm);
    form->Show();
    std::string typed;
    form->OnKeyPress = [&](TComponent*, char& key) { typed += key; };
    testing::TypeText(*form, "\xC5\x99\xE2\x82\xAC\xE2\x9C\x93"); // ř€✓
    EXPECT_EQ(typed, "\xF8\x80\x3F");
}

TEST_F(Texts, MarkupInCaptionsAndHintsStaysLiteral)
{
    UseFixedMetrics();
    const std::string markup = "<b>x</b> &amp;";
    ASSERT_EQ(markup.size(), 14u);
    TOwned<TForm> form(new TForm);
    auto* label = new TLabel(form.get());
    label->SetCaption(markup);
    label->SetHint(markup);
    label->SetShowHint(true);
    auto* panel = new TPanel(form.get());
    panel->SetCaption(markup);
    panel->SetHint(markup);
    panel->SetShowHint(true);
    EXPECT_EQ(label->Width(), 14 * 7) << "every character is measured and drawn";
    EXPECT_EQ(testing::ShownToolTip(*label), markup);
    EXPECT_EQ(testing::ShownToolTip(*panel), markup);
    EXPECT_EQ(panel->Caption(), markup);
}

TEST_F(Texts, NumbersStayInTheCLocale)
{
    EXPECT_STREQ(std::setlocale(LC_NUMERIC, nullptr), "C");
}

} // namespace
} // namespace plat
