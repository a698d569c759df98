#include "platform/gui/bevel.h"

#include "platform/gui/canvas.h"

namespace plat {

TBevel::TBevel(TComponent* owner) : TGraphicControl(owner)
{
    SetBounds(0, 0, 50, 50);
}

void TBevel::SetShape(TBevelShape shape)
{
    shape_ = shape;
    Invalidate();
}

void TBevel::SetStyle(TBevelStyle style)
{
    style_ = style;
    Invalidate();
}

void TBevel::Paint(TCanvas& canvas)
{
    const TColor first = style_ == TBevelStyle::bsLowered ? clBtnShadow : clBtnHighlight;
    const TColor second = style_ == TBevelStyle::bsLowered ? clBtnHighlight : clBtnShadow;
    const int w = Width();
    const int h = Height();
    canvas.Brush.Style = TBrushStyle::bsSolid;
    const auto line = [&canvas](TColor color, TRect rect) {
        canvas.Brush.Color = color;
        canvas.FillRect(rect);
    };
    switch (shape_) {
    case TBevelShape::bsTopLine:
        line(first, Rect(0, 0, w, 1));
        line(second, Rect(0, 1, w, 2));
        break;
    case TBevelShape::bsBottomLine:
        line(first, Rect(0, h - 2, w, h - 1));
        line(second, Rect(0, h - 1, w, h));
        break;
    case TBevelShape::bsLeftLine:
        line(first, Rect(0, 0, 1, h));
        line(second, Rect(1, 0, 2, h));
        break;
    case TBevelShape::bsRightLine:
        line(first, Rect(w - 2, 0, w - 1, h));
        line(second, Rect(w - 1, 0, w, h));
        break;
    case TBevelShape::bsBox:
    case TBevelShape::bsFrame:
        line(first, Rect(0, 0, w, 1));
        line(first, Rect(0, 0, 1, h));
        line(second, Rect(0, h - 1, w, h));
        line(second, Rect(w - 1, 0, w, h));
        break;
    }
}

} // namespace plat
