#include "platform/gui/form.h"
#include "platform/gui/label.h"
#include "platform/gui/text_metrics.h"
#include "platform/testing/gui_harness.h"

#include <gtest/gtest.h>

namespace plat {
namespace {

class TextMetricsTest : public testing::OffscreenGuiTest {};

TFont FontOf(const char* name, int size)
{
    TFont font;
    font.SetName(name);
    font.SetSize(size);
    return font;
}

TEST_F(TextMetricsTest, PointsBecomePixelsAt96Dpi)
{
    const int table[][2] = {{7, 9}, {8, 11}, {9, 12}, {10, 13}, {13, 17}, {14, 19}};
    for (const auto& row : table)
        EXPECT_EQ(FontOf("Arial", row[0]).PixelSize(), row[1]) << row[0] << " pt";
}

TEST_F(TextMetricsTest, FamiliesMapToInstalledFacesAndReadBackAsSet)
{
    const char* table[][2] = {
        {"Roboto Condensed", "Roboto Condensed"}, {"Arial", "Liberation Sans"},    {"Tahoma", "DejaVu Sans"},
        {"MS Sans Serif", "DejaVu Sans"},         {"No Such Face", "DejaVu Sans"}, {"Webdings", "DejaVu Sans"}};
    for (const auto& row : table) {
        EXPECT_EQ(TextMetrics::ResolvedFamily(row[0]), row[1]) << row[0];
        EXPECT_EQ(FontOf(row[0], 9).Name(), row[0]);
    }
}

TEST_F(TextMetricsTest, RealWidthsAreSumsOfWholeAdvances)
{
    for (const char* family : {"Roboto Condensed", "Arial", "Tahoma"}) {
        SCOPED_TRACE(family);
        const TFont font = FontOf(family, 10);
        EXPECT_GT(TextMetrics::TextWidth(font, "ab "), TextMetrics::TextWidth(font, "ab"));
        EXPECT_EQ(TextMetrics::TextWidth(font, "AV"),
                  TextMetrics::TextWidth(font, "A") + TextMetrics::TextWidth(font, "V"));
        EXPECT_EQ(TextMetrics::TextWidth(font, "fi"),
                  TextMetrics::TextWidth(font, "f") + TextMetrics::TextWidth(font, "i"));
        EXPECT_GT(TextMetrics::TextWidth(font, std::string(1, '\x1A')), 0);
        EXPECT_GT(TextMetrics::LineHeight(font), font.PixelSize());
        EXPECT_GT(TextMetrics::AverageCharWidth(font), 0);
    }
    // A bigger size is wider; the Webdings arrow has a glyph.
    EXPECT_GT(TextMetrics::TextWidth(FontOf("Arial", 14), "abc"), TextMetrics::TextWidth(FontOf("Arial", 8), "abc"));
    EXPECT_GT(TextMetrics::TextWidth(FontOf("Webdings", 10), "6"), 0);
}

TEST_F(TextMetricsTest, FixedMetricsAndWrapping)
{
    UseFixedMetrics();
    const TFont font = FontOf("Arial", 10);
    EXPECT_EQ(TextMetrics::TextWidth(font, "abc d"), 35);
    EXPECT_EQ(TextMetrics::LineHeight(font), 15);

    struct Case {
        const char* name;
        const char* text;
        int width;
        std::vector<std::string> lines;
    };
    const Case cases[] = {
        {"greedy", "aaa bbb ccc dddddddddddddd", 70, {"aaa bbb", "ccc", "dddddddddddddd"}},
        {"line breaks", "a\r\nb\nc\rd", 100, {"a", "b", "c", "d"}},
        {"runs of blanks kept", "a   b", 100, {"a   b"}},
        {"indentation kept", "  a b\n    c", 100, {"  a b", "    c"}},
        {"blanks at a break dropped", "aaa    bbb", 40, {"aaa", "bbb"}},
        {"only blanks", "   ", 100, {""}},
        {"zero width: a word a line", "aa bb cc", 0, {"aa", "bb", "cc"}},
        {"negative width", "aa bb", -50, {"aa", "bb"}},
        {"empty", "", 10, {""}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(TextMetrics::WrapText(font, c.text, c.width), c.lines) << c.name;
}

TEST_F(TextMetricsTest, AutoSizedLabelsFollowTheirCaptionAtOnce)
{
    UseFixedMetrics();
    TOwned<TForm> form(new TForm);
    auto* label = new TLabel(form.get());
    label->SetCaption("abcd");
    EXPECT_EQ(label->Width(), 28);
    EXPECT_EQ(label->Height(), 15);
    label->SetCaption("");
    EXPECT_EQ(label->Width(), 7) << "an empty caption measures as one blank";

    auto* right = new TLabel(form.get());
    right->SetAlignment(TAlignment::taRightJustify);
    right->SetBounds(100, 0, 14, 15);
    right->SetCaption("abcdef");
    EXPECT_EQ(right->Left() + right->Width(), 114) << "keeps its right edge";
    EXPECT_EQ(right->Width(), 42);

    auto* wrapped = new TLabel(form.get());
    wrapped->SetWordWrap(true);
    wrapped->SetBounds(0, 0, 70, 15);
    wrapped->SetCaption("aaa bbb ccc dddddddddddddd");
    EXPECT_EQ(wrapped->Width(), 70);
    EXPECT_EQ(wrapped->Height(), 45);
    wrapped->SetWidth(0);
    EXPECT_EQ(wrapped->Height(), 60) << "collapsed: a word a line";
}

} // namespace
} // namespace plat
