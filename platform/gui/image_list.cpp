#include "platform/gui/image_list.h"

#include "platform/gui/canvas.h"
#include "platform/gui/internal/graphic_impl.h"

#include <QPainter>

namespace plat {

TImageList::TImageList(int width, int height) : width_(width), height_(height)
{
}

int TImageList::Add(const TGraphic& graphic)
{
    TGraphic image;
    QImage pixels(std::max(1, width_), std::max(1, height_), QImage::Format_ARGB32_Premultiplied);
    pixels.fill(Qt::transparent);
    {
        QPainter painter(&pixels);
        painter.drawImage(0, 0, graphic.Impl().Drawn());
    }
    image.Impl().image = pixels;
    image.Impl().format = TGraphicFormat::Png;
    images_.push_back(image);
    return Count() - 1;
}

void TImageList::GetBitmap(int index, TBitmap& bitmap) const
{
    if (index < 0 || index >= Count())
        return;
    if (bitmap.Empty())
        bitmap.SetSize(width_, height_);
    bitmap.Canvas().Draw(0, 0, images_[static_cast<size_t>(index)]);
}

TGraphic TImageList::Image(int index) const
{
    if (index < 0 || index >= Count())
        return TGraphic();
    return images_[static_cast<size_t>(index)];
}

void TImageList::Draw(TCanvas& canvas, int x, int y, int index) const
{
    if (index < 0 || index >= Count())
        return;
    canvas.Draw(x, y, images_[static_cast<size_t>(index)]);
}

} // namespace plat
