#pragma once

#include "platform/gui/font.h"
#include "platform/gui/types.h"

#include <memory>
#include <string>

namespace plat {

class TGraphic;
struct CanvasImpl;

struct TPen {
    TColor Color = clBlack;
    int Width = 1;
    TPenStyle Style = TPenStyle::psSolid;
};

struct TBrush {
    TColor Color = clWhite;
    TBrushStyle Style = TBrushStyle::bsSolid;
};

// Drawing as the program's pixel layouts assume: rectangles leave out their
// right column and bottom row, an outline lies on the first and last columns
// and rows, a line leaves out its end point, nothing is antialiased but text.
class TCanvas {
public:
    explicit TCanvas(std::unique_ptr<CanvasImpl> impl);
    ~TCanvas();
    TCanvas(const TCanvas&) = delete;
    TCanvas& operator=(const TCanvas&) = delete;

    TPen Pen;
    TBrush Brush;
    TFont Font;

    // With the brush; a clear brush fills nothing.
    void FillRect(const TRect& rect);
    // Outline with the pen, inside with the brush.
    void Rectangle(int left, int top, int right, int bottom);
    void Rectangle(const TRect& rect) { Rectangle(rect.Left, rect.Top, rect.Right, rect.Bottom); }
    void MoveTo(int x, int y);
    void LineTo(int x, int y);
    TPoint PenPos() const;

    // The text cell's top-left lies at x, y; a solid brush fills the cell
    // (text width x line height) first. The pen moves to the cell's end.
    void TextOut(int x, int y, const std::string& text);
    int TextWidth(const std::string& text) const;
    int TextHeight(const std::string& text) const;

    // A PNG or GIF blends by alpha, a JPEG is opaque, a bitmap is opaque
    // unless transparent, when its bottom-left colour is see-through.
    void Draw(int x, int y, const TGraphic& graphic);
    void StretchDraw(const TRect& rect, const TGraphic& graphic);

    TColor Pixel(int x, int y) const;
    void SetPixel(int x, int y, TColor color);

    CanvasImpl& Impl() const { return *impl_; }

private:
    std::unique_ptr<CanvasImpl> impl_;
};

} // namespace plat
