#include "platform/gui/panel.h"

#include "platform/gui/canvas.h"
#include "platform/gui/text_metrics.h"

namespace plat {

TPanel::TPanel(TComponent* owner) : TWinControl(owner)
{
    SetBounds(0, 0, 185, 41);
}

void TPanel::SetAlignment(TAlignment alignment)
{
    alignment_ = alignment;
    Invalidate();
}

void TPanel::SetBevelOuter(TBevelCut bevel)
{
    bevelOuter_ = bevel;
    Realign();
    Invalidate();
}

void TPanel::SetBevelInner(TBevelCut bevel)
{
    bevelInner_ = bevel;
    Realign();
    Invalidate();
}

void TPanel::SetBevelWidth(int width)
{
    bevelWidth_ = width;
    Realign();
    Invalidate();
}

int TPanel::BevelInset() const
{
    int inset = 0;
    if (bevelOuter_ != TBevelCut::bvNone)
        inset += bevelWidth_;
    if (bevelInner_ != TBevelCut::bvNone)
        inset += bevelWidth_;
    return inset;
}

TRect TPanel::AlignRect() const
{
    TRect rect = TWinControl::AlignRect();
    const int inset = BevelInset();
    return Rect(rect.Left + inset, rect.Top + inset, rect.Right - inset, rect.Bottom - inset);
}

void TPanel::PaintBevel(TCanvas& canvas, TRect& rect, TBevelCut cut) const
{
    if (cut == TBevelCut::bvNone)
        return;
    const TColor topLeft = cut == TBevelCut::bvRaised ? clBtnHighlight : clBtnShadow;
    const TColor bottomRight = cut == TBevelCut::bvRaised ? clBtnShadow : clBtnHighlight;
    for (int i = 0; i < bevelWidth_; ++i) {
        canvas.Brush.Color = topLeft;
        canvas.FillRect(Rect(rect.Left, rect.Top, rect.Right, rect.Top + 1));
        canvas.FillRect(Rect(rect.Left, rect.Top, rect.Left + 1, rect.Bottom));
        canvas.Brush.Color = bottomRight;
        canvas.FillRect(Rect(rect.Left, rect.Bottom - 1, rect.Right, rect.Bottom));
        canvas.FillRect(Rect(rect.Right - 1, rect.Top, rect.Right, rect.Bottom));
        rect = Rect(rect.Left + 1, rect.Top + 1, rect.Right - 1, rect.Bottom - 1);
    }
}

void TPanel::PaintWindow(TCanvas& canvas)
{
    TWinControl::PaintWindow(canvas);
    TRect rect = Rect(0, 0, ClientWidth(), ClientHeight());
    canvas.Brush.Style = TBrushStyle::bsSolid;
    PaintBevel(canvas, rect, bevelOuter_);
    PaintBevel(canvas, rect, bevelInner_);
    if (Caption().empty())
        return;
    canvas.Font.Assign(Font());
    canvas.Brush.Style = TBrushStyle::bsClear;
    const int width = canvas.TextWidth(Caption());
    const int height = canvas.TextHeight(Caption());
    const TRect inner = AlignRect();
    int x = inner.Left;
    if (alignment_ == TAlignment::taCenter)
        x = (ClientWidth() - width) / 2;
    else if (alignment_ == TAlignment::taRightJustify)
        x = inner.Right - width;
    canvas.TextOut(x, (ClientHeight() - height) / 2, Caption());
}

} // namespace plat
