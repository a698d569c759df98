#include "platform/gui/bitmap.h"

#include "platform/gui/canvas.h"
#include "platform/gui/internal/canvas_impl.h"
#include "platform/gui/internal/graphic_impl.h"

#include <algorithm>

namespace plat {

TBitmap::TBitmap() = default;

TBitmap::TBitmap(const TBitmap& other) : TGraphic(other)
{
}

TBitmap& TBitmap::operator=(const TBitmap& other)
{
    TGraphic::operator=(other);
    return *this;
}

TBitmap::~TBitmap() = default;

void TBitmap::SetSize(int width, int height)
{
    width = std::max(0, width);
    height = std::max(0, height);
    QImage& image = impl_->image;
    if (image.width() == width && image.height() == height)
        return;
    QImage resized;
    if (width > 0 && height > 0) {
        resized = QImage(width, height, QImage::Format_RGB32);
        resized.fill(Qt::white);
        if (!image.isNull()) {
            QPainter painter(&resized);
            painter.setCompositionMode(QPainter::CompositionMode_Source);
            painter.drawImage(0, 0, image);
        }
    }
    image = resized;
}

void TBitmap::Assign(const TGraphic& other)
{
    if (&other != this)
        *impl_ = other.Impl();
}

TCanvas& TBitmap::Canvas()
{
    if (!canvas_)
        canvas_ = std::make_unique<TCanvas>(CanvasImpl::ForImage(impl_->image));
    return *canvas_;
}

} // namespace plat
