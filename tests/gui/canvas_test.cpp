#include "platform/gui/bitmap.h"
#include "platform/gui/canvas.h"
#include "platform/gui/form.h"
#include "platform/gui/gradient.h"
#include "platform/gui/image_list.h"
#include "platform/gui/picture.h"
#include "platform/gui/shape.h"
#include "platform/testing/gui_harness.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace plat {
namespace {

class Canvas : public testing::OffscreenGuiTest {
protected:
    static TBitmap White(int width, int height)
    {
        TBitmap bitmap;
        bitmap.SetSize(width, height);
        return bitmap;
    }
};

bool Near(TColor actual, TColor expected, int tolerance)
{
    return std::abs(static_cast<int>(GetRValue(actual)) - static_cast<int>(GetRValue(expected))) <= tolerance &&
           std::abs(static_cast<int>(GetGValue(actual)) - static_cast<int>(GetGValue(expected))) <= tolerance &&
           std::abs(static_cast<int>(GetBValue(actual)) - static_cast<int>(GetBValue(expected))) <= tolerance;
}

TEST_F(Canvas, RectanglesAndLinesLeaveOutTheirFarEdge)
{
    TBitmap bitmap = White(20, 20);
    TCanvas& canvas = bitmap.Canvas();
    canvas.Brush.Color = clRed;
    canvas.FillRect(Rect(2, 2, 6, 6));
    EXPECT_EQ(canvas.Pixel(2, 2), clRed);
    EXPECT_EQ(canvas.Pixel(5, 5), clRed);
    EXPECT_EQ(canvas.Pixel(6, 5), clWhite) << "right column left out";
    EXPECT_EQ(canvas.Pixel(5, 6), clWhite) << "bottom row left out";

    canvas.Pen.Color = clBlue;
    canvas.Brush.Color = clLime;
    canvas.Rectangle(8, 8, 14, 12);
    EXPECT_EQ(canvas.Pixel(8, 8), clBlue);
    EXPECT_EQ(canvas.Pixel(13, 11), clBlue) << "outline on the last column and row";
    EXPECT_EQ(canvas.Pixel(10, 10), clLime);
    EXPECT_EQ(canvas.Pixel(14, 11), clWhite);

    canvas.Pen.Color = clBlack;
    canvas.MoveTo(0, 15);
    canvas.LineTo(10, 15);
    EXPECT_EQ(canvas.Pixel(0, 15), clBlack);
    EXPECT_EQ(canvas.Pixel(9, 15), clBlack);
    EXPECT_EQ(canvas.Pixel(10, 15), clWhite) << "end point left out";
    canvas.MoveTo(0, 0);
    canvas.LineTo(5, 5);
    EXPECT_EQ(canvas.Pixel(4, 4), clBlack);
    EXPECT_EQ(canvas.PenPos(), (TPoint{5, 5}));
}

TEST_F(Canvas, TextOutFillsTheCellOnlyWithASolidBrush)
{
    TBitmap bitmap = White(80, 40);
    TCanvas& canvas = bitmap.Canvas();
    canvas.Font.SetName("Arial");
    canvas.Font.SetSize(10);
    canvas.Brush.Color = clYellow;
    canvas.TextOut(2, 3, "x ");
    const int right = 2 + canvas.TextWidth("x ") - 1;
    const int bottom = 3 + canvas.TextHeight("x ") - 1;
    EXPECT_EQ(canvas.Pixel(right, bottom), clYellow);
    EXPECT_EQ(canvas.Pixel(right + 1, bottom), clWhite);

    canvas.Brush.Style = TBrushStyle::bsClear;
    canvas.TextOut(2, 20, "x ");
    EXPECT_EQ(canvas.Pixel(right, 20 + canvas.TextHeight("x") - 1), clWhite);
}

TEST_F(Canvas, PicturesDrawByTheirFormat)
{
    TPicture halfRed;
    halfRed.LoadFromFile(DALMORA_TEST_DATA_DIR "half_red.png");
    TBitmap bitmap = White(10, 10);
    bitmap.Canvas().Draw(1, 1, *halfRed.Graphic());
    EXPECT_TRUE(Near(bitmap.Canvas().Pixel(2, 2), RGB(255, 128, 128), 2)) << std::hex << bitmap.Canvas().Pixel(2, 2);
    EXPECT_EQ(bitmap.Canvas().Pixel(6, 6), clWhite);

    TPicture glyph;
    glyph.LoadFromFile(DALMORA_TEST_DATA_DIR "glyph.bmp");
    TBitmap opaque = White(10, 10);
    opaque.Canvas().Draw(0, 0, *glyph.Graphic());
    EXPECT_EQ(opaque.Canvas().Pixel(0, 0), RGB(255, 0, 255)) << "opaque unless transparent";
    glyph.Graphic()->SetTransparent(true);
    TBitmap keyed = White(10, 10);
    keyed.Canvas().Draw(0, 0, *glyph.Graphic());
    EXPECT_EQ(keyed.Canvas().Pixel(0, 0), clWhite) << "the bottom-left colour is see-through";
    EXPECT_EQ(keyed.Canvas().Pixel(3, 2), clBlack);
}

TEST_F(Canvas, ImageListCopiesOntoABitmapKeepingItUnderTransparentPixels)
{
    TPicture gif;
    gif.LoadFromFile(DALMORA_TEST_DATA_DIR "sample.gif");
    TImageList list(5, 4);
    EXPECT_EQ(list.Add(*gif.Graphic()), 0);
    EXPECT_EQ(list.Count(), 1);
    TBitmap bitmap = White(5, 4);
    list.GetBitmap(0, bitmap);
    EXPECT_EQ(bitmap.Canvas().Pixel(0, 0), clWhite) << "transparent index";
    EXPECT_EQ(bitmap.Canvas().Pixel(1, 0), clRed);
    EXPECT_EQ(bitmap.Canvas().Pixel(4, 3), clBlue);

    TBitmap untouched = White(5, 4);
    untouched.Canvas().Brush.Color = clLime;
    untouched.Canvas().FillRect(Rect(0, 0, 5, 4));
    list.GetBitmap(1, untouched);
    list.GetBitmap(-1, untouched);
    EXPECT_EQ(untouched.Canvas().Pixel(1, 0), clLime) << "out of range changes nothing";
}

TEST_F(Canvas, GradientAndShapeOnAForm)
{
    TOwned<TForm> form(new TForm);
    form->SetBounds(0, 0, 200, 200);
    form->SetColor(clWhite);
    auto* gradient = new TJvGradient(form.get());
    gradient->SetBounds(0, 0, 50, 60);
    gradient->SetColors(0xFBFBFB, 0xC4D3DC);
    gradient->SetParent(form.get());
    auto* shape = new TShape(form.get());
    shape->SetBounds(100, 100, 20, 10);
    shape->SetPen(TPen{clBlue, 1, TPenStyle::psSolid});
    shape->SetBrush(TBrush{clRed, TBrushStyle::bsClear});
    shape->SetParent(form.get());
    form->Show();
    testing::Flush();

    EXPECT_TRUE(Near(testing::Probe(*gradient, 10, 0), 0xFBFBFB, 2));
    EXPECT_TRUE(Near(testing::Probe(*gradient, 10, 59), 0xC4D3DC, 2));
    for (const TPoint p : {TPoint{0, 0}, TPoint{19, 0}, TPoint{0, 9}, TPoint{19, 9}, TPoint{10, 9}})
        EXPECT_EQ(testing::Probe(*shape, p.x, p.y), clBlue) << p.x << "," << p.y;
    EXPECT_EQ(testing::Probe(*shape, 10, 5), clWhite) << "a clear brush leaves the inside";
}

} // namespace
} // namespace plat
