#include "platform/gui/canvas.h"

#include "platform/gui/graphic.h"
#include "platform/gui/internal/canvas_impl.h"
#include "platform/gui/internal/font_face.h"
#include "platform/gui/internal/graphic_impl.h"
#include "platform/gui/internal/qt_bridge.h"
#include "platform/gui/text_metrics.h"

#include <cstdlib>
#include <vector>

namespace plat {
namespace {

Qt::PenStyle ToQtPenStyle(TPenStyle style)
{
    switch (style) {
    case TPenStyle::psDash:
        return Qt::DashLine;
    case TPenStyle::psDot:
        return Qt::DotLine;
    case TPenStyle::psDashDot:
        return Qt::DashDotLine;
    case TPenStyle::psClear:
        return Qt::NoPen;
    case TPenStyle::psSolid:
        break;
    }
    return Qt::SolidLine;
}

// The pixels of a line from `from` to `to`, leaving out `to`.
std::vector<QPoint> LinePixels(QPoint from, QPoint to)
{
    std::vector<QPoint> pixels;
    int x = from.x();
    int y = from.y();
    const int dx = std::abs(to.x() - x);
    const int dy = -std::abs(to.y() - y);
    const int sx = x < to.x() ? 1 : -1;
    const int sy = y < to.y() ? 1 : -1;
    int error = dx + dy;
    while (x != to.x() || y != to.y()) {
        pixels.emplace_back(x, y);
        const int doubled = 2 * error;
        if (doubled >= dy) {
            error += dy;
            x += sx;
        }
        if (doubled <= dx) {
            error += dx;
            y += sy;
        }
    }
    return pixels;
}

} // namespace

std::unique_ptr<CanvasImpl> CanvasImpl::ForPainter(QPainter& painter)
{
    auto impl = std::make_unique<CanvasImpl>();
    impl->painter = &painter;
    return impl;
}

std::unique_ptr<CanvasImpl> CanvasImpl::ForImage(QImage& image)
{
    auto impl = std::make_unique<CanvasImpl>();
    impl->image = &image;
    return impl;
}

PainterLease::PainterLease(const CanvasImpl& impl)
{
    if (impl.painter != nullptr) {
        painter_ = impl.painter;
    } else {
        own_.emplace(impl.image);
        painter_ = &*own_;
    }
    painter_->setRenderHint(QPainter::Antialiasing, false);
}

TCanvas::TCanvas(std::unique_ptr<CanvasImpl> impl) : impl_(std::move(impl))
{
}

TCanvas::~TCanvas() = default;

void TCanvas::FillRect(const TRect& rect)
{
    if (Brush.Style == TBrushStyle::bsClear || rect.Width() <= 0 || rect.Height() <= 0)
        return;
    if (impl_->image != nullptr && impl_->image->isNull())
        return;
    PainterLease painter(*impl_);
    painter->fillRect(ToQRect(rect), ToQColor(Brush.Color));
}

void TCanvas::Rectangle(int left, int top, int right, int bottom)
{
    if (right <= left || bottom <= top)
        return;
    const int pen = Pen.Style == TPenStyle::psClear ? 0 : std::max(1, Pen.Width);
    FillRect(Rect(left + pen, top + pen, right - pen, bottom - pen));
    if (pen == 0 || (impl_->image != nullptr && impl_->image->isNull()))
        return;
    PainterLease painter(*impl_);
    const QColor color = ToQColor(Pen.Color);
    const int width = right - left;
    const int height = bottom - top;
    painter->fillRect(QRect(left, top, width, std::min(pen, height)), color);
    painter->fillRect(QRect(left, bottom - std::min(pen, height), width, std::min(pen, height)), color);
    painter->fillRect(QRect(left, top, std::min(pen, width), height), color);
    painter->fillRect(QRect(right - std::min(pen, width), top, std::min(pen, width), height), color);
}

void TCanvas::MoveTo(int x, int y)
{
    impl_->penPos = TPoint{x, y};
}

void TCanvas::LineTo(int x, int y)
{
    const QPoint from(impl_->penPos.x, impl_->penPos.y);
    const QPoint to(x, y);
    impl_->penPos = TPoint{x, y};
    if (Pen.Style == TPenStyle::psClear || (impl_->image != nullptr && impl_->image->isNull()))
        return;
    PainterLease painter(*impl_);
    if (Pen.Width <= 1 && Pen.Style == TPenStyle::psSolid) {
        const std::vector<QPoint> pixels = LinePixels(from, to);
        painter->setPen(QPen(ToQColor(Pen.Color), 1));
        painter->drawPoints(pixels.data(), static_cast<int>(pixels.size()));
        return;
    }
    painter->setPen(QPen(ToQColor(Pen.Color), std::max(1, Pen.Width), ToQtPenStyle(Pen.Style), Qt::FlatCap));
    painter->drawLine(from, to);
}

TPoint TCanvas::PenPos() const
{
    return impl_->penPos;
}

void TCanvas::TextOut(int x, int y, const std::string& text)
{
    const int width = TextMetrics::TextWidth(Font, text);
    if (impl_->image != nullptr && impl_->image->isNull()) {
        impl_->penPos = TPoint{x + width, y};
        return;
    }
    if (Brush.Style == TBrushStyle::bsSolid)
        FillRect(Bounds(x, y, width, TextMetrics::LineHeight(Font)));
    PainterLease painter(*impl_);
    DrawTextLine(*painter, Font, x, y, text, ToQColor(Font.Color()));
    impl_->penPos = TPoint{x + width, y};
}

int TCanvas::TextWidth(const std::string& text) const
{
    return TextMetrics::TextWidth(Font, text);
}

int TCanvas::TextHeight(const std::string&) const
{
    return TextMetrics::LineHeight(Font);
}

void TCanvas::Draw(int x, int y, const TGraphic& graphic)
{
    if (graphic.Empty() || (impl_->image != nullptr && impl_->image->isNull()))
        return;
    PainterLease painter(*impl_);
    painter->drawImage(x, y, graphic.Impl().Drawn());
}

void TCanvas::StretchDraw(const TRect& rect, const TGraphic& graphic)
{
    if (graphic.Empty() || rect.Width() <= 0 || rect.Height() <= 0 ||
        (impl_->image != nullptr && impl_->image->isNull()))
        return;
    PainterLease painter(*impl_);
    painter->setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter->drawImage(ToQRect(rect), graphic.Impl().Drawn());
}

TColor TCanvas::Pixel(int x, int y) const
{
    if (impl_->image == nullptr || !impl_->image->valid(x, y))
        return 0;
    return FromQRgb(impl_->image->pixel(x, y));
}

void TCanvas::SetPixel(int x, int y, TColor color)
{
    if (impl_->image == nullptr || !impl_->image->valid(x, y))
        return;
    impl_->image->setPixel(x, y, ToQColor(color).rgb());
}

} // namespace plat
