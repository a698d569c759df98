#include "platform/gui/gradient.h"

#include "platform/gui/canvas.h"

namespace plat {
namespace {

unsigned Blend(unsigned from, unsigned to, int row, int last)
{
    if (last <= 0)
        return from;
    return static_cast<unsigned>((static_cast<int>(from) * (last - row) + static_cast<int>(to) * row + last / 2) /
                                 last);
}

} // namespace

TJvGradient::TJvGradient(TComponent* owner) : TGraphicControl(owner)
{
    SetBounds(0, 0, 100, 100);
}

void TJvGradient::SetStartColor(TColor color)
{
    SetColors(color, endColor_);
}

void TJvGradient::SetEndColor(TColor color)
{
    SetColors(startColor_, color);
}

void TJvGradient::SetColors(TColor start, TColor end)
{
    if (start == startColor_ && end == endColor_)
        return;
    startColor_ = start;
    endColor_ = end;
    Invalidate();
}

void TJvGradient::Paint(TCanvas& canvas)
{
    const int last = Height() - 1;
    canvas.Brush.Style = TBrushStyle::bsSolid;
    for (int row = 0; row < Height(); ++row) {
        canvas.Brush.Color = RGB(Blend(GetRValue(startColor_), GetRValue(endColor_), row, last),
                                 Blend(GetGValue(startColor_), GetGValue(endColor_), row, last),
                                 Blend(GetBValue(startColor_), GetBValue(endColor_), row, last));
        canvas.FillRect(Rect(0, row, Width(), row + 1));
    }
}

} // namespace plat
