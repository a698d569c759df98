#include "platform/gui/label.h"

#include "platform/gui/canvas.h"
#include "platform/gui/internal/canvas_impl.h"
#include "platform/gui/internal/font_face.h"
#include "platform/gui/internal/qt_bridge.h"
#include "platform/gui/text_metrics.h"

#include <algorithm>

namespace plat {

TLabel::TLabel(TComponent* owner) : TGraphicControl(owner)
{
    SetParentColor(true);
    AdjustBounds();
}

void TLabel::SetAutoSize(bool autoSize)
{
    autoSize_ = autoSize;
    AdjustBounds();
}

void TLabel::SetAlignment(TAlignment alignment)
{
    alignment_ = alignment;
    Invalidate();
}

void TLabel::SetLayout(TTextLayout layout)
{
    layout_ = layout;
    Invalidate();
}

void TLabel::SetWordWrap(bool wordWrap)
{
    wordWrap_ = wordWrap;
    AdjustBounds();
    Invalidate();
}

void TLabel::SetTransparent(bool transparent)
{
    transparent_ = transparent;
    Invalidate();
}

std::vector<std::string> TLabel::Lines() const
{
    if (wordWrap_)
        return TextMetrics::WrapText(Font(), Caption(), Width());
    return TextMetrics::SplitLines(Caption());
}

void TLabel::CaptionChanged()
{
    AdjustBounds();
    Invalidate();
}

void TLabel::FontChanged()
{
    TGraphicControl::FontChanged();
    AdjustBounds();
}

void TLabel::BoundsChanged(bool sizeChanged)
{
    TGraphicControl::BoundsChanged(sizeChanged);
    if (sizeChanged && wordWrap_)
        AdjustBounds();
}

void TLabel::AdjustBounds()
{
    if (!autoSize_ || adjusting_ || !Alive())
        return;
    adjusting_ = true;
    const std::vector<std::string> lines = Lines();
    const int height = TextMetrics::LineHeight(Font()) * static_cast<int>(lines.size());
    int width = Width();
    if (!wordWrap_) {
        width = 0;
        for (const std::string& line : lines)
            width = std::max(width, TextMetrics::TextWidth(Font(), line.empty() ? " " : line));
    }
    int left = Left();
    if (alignment_ == TAlignment::taRightJustify)
        left += Width() - width;
    SetBounds(left, Top(), width, height);
    adjusting_ = false;
}

void TLabel::Paint(TCanvas& canvas)
{
    if (!transparent_) {
        canvas.Brush.Color = Color();
        canvas.Brush.Style = TBrushStyle::bsSolid;
        canvas.FillRect(Rect(0, 0, Width(), Height()));
    }
    const std::vector<std::string> lines = Lines();
    const int lineHeight = TextMetrics::LineHeight(Font());
    const int textHeight = lineHeight * static_cast<int>(lines.size());
    int y = 0;
    if (layout_ == TTextLayout::tlCenter)
        y = (Height() - textHeight) / 2;
    else if (layout_ == TTextLayout::tlBottom)
        y = Height() - textHeight;
    PainterLease painter(canvas.Impl());
    const QColor color = ToQColor(Enabled() ? Font().Color() : clGray);
    for (const std::string& line : lines) {
        const int width = TextMetrics::TextWidth(Font(), line);
        int x = 0;
        if (alignment_ == TAlignment::taRightJustify)
            x = Width() - width;
        else if (alignment_ == TAlignment::taCenter)
            x = (Width() - width) / 2;
        DrawTextLine(*painter, Font(), x, y, line, color);
        y += lineHeight;
    }
}

} // namespace plat
