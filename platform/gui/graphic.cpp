#include "platform/gui/graphic.h"

#include "platform/gui/internal/graphic_impl.h"

namespace plat {

TGraphic::TGraphic() : impl_(std::make_unique<GraphicImpl>())
{
}

TGraphic::TGraphic(const TGraphic& other) : impl_(std::make_unique<GraphicImpl>(*other.impl_))
{
}

TGraphic& TGraphic::operator=(const TGraphic& other)
{
    if (this != &other)
        *impl_ = *other.impl_;
    return *this;
}

TGraphic::~TGraphic() = default;

int TGraphic::Width() const
{
    return impl_->image.width();
}

int TGraphic::Height() const
{
    return impl_->image.height();
}

bool TGraphic::Empty() const
{
    return impl_->image.isNull();
}

TGraphicFormat TGraphic::Format() const
{
    return impl_->format;
}

bool TGraphic::Transparent() const
{
    return impl_->transparent;
}

void TGraphic::SetTransparent(bool transparent)
{
    impl_->transparent = transparent;
}

bool GraphicImpl::BlendsAlpha() const
{
    return format == TGraphicFormat::Png || format == TGraphicFormat::Gif;
}

QImage GraphicImpl::Drawn() const
{
    if (BlendsAlpha() || !transparent || image.isNull())
        return image;
    QImage keyed = image.convertToFormat(QImage::Format_ARGB32);
    const QRgb key = keyed.pixel(0, keyed.height() - 1) | 0xFF000000u;
    for (int y = 0; y < keyed.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(keyed.scanLine(y));
        for (int x = 0; x < keyed.width(); ++x)
            if ((row[x] | 0xFF000000u) == key)
                row[x] = 0;
    }
    return keyed;
}

} // namespace plat
