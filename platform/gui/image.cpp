#include "platform/gui/image.h"

#include "platform/gui/bitmap.h"
#include "platform/gui/canvas.h"

#include <algorithm>

namespace plat {

TImage::TImage(TComponent* owner) : TGraphicControl(owner)
{
    SetBounds(0, 0, 105, 105);
    picture_.OnChange = [this] { PictureChanged(); };
}

TImage::~TImage()
{
    picture_.OnChange = nullptr;
}

void TImage::SetAutoSize(bool autoSize)
{
    autoSize_ = autoSize;
    PictureChanged();
}

void TImage::SetCenter(bool center)
{
    center_ = center;
    Invalidate();
}

void TImage::SetStretch(bool stretch)
{
    stretch_ = stretch;
    Invalidate();
}

void TImage::SetProportional(bool proportional)
{
    proportional_ = proportional;
    Invalidate();
}

void TImage::SetTransparent(bool transparent)
{
    transparent_ = transparent;
    if (picture_.Graphic() != nullptr)
        picture_.Graphic()->SetTransparent(transparent);
    Invalidate();
}

void TImage::PictureChanged()
{
    if (!Alive())
        return;
    if (picture_.Graphic() != nullptr && transparent_)
        picture_.Graphic()->SetTransparent(true);
    if (autoSize_ && picture_.Width() > 0 && picture_.Height() > 0)
        SetBounds(Left(), Top(), picture_.Width(), picture_.Height());
    Invalidate();
}

TCanvas& TImage::Canvas()
{
    if (picture_.Graphic() == nullptr) {
        TBitmap bitmap;
        bitmap.SetSize(Width(), Height());
        picture_.Assign(bitmap);
    }
    Invalidate();
    return picture_.Bitmap().Canvas();
}

TRect TImage::DestinationRect() const
{
    const int pictureWidth = picture_.Width();
    const int pictureHeight = picture_.Height();
    int width = pictureWidth;
    int height = pictureHeight;
    if (stretch_ || (proportional_ && (width > Width() || height > Height()))) {
        if (proportional_ && width > 0 && height > 0) {
            // Fit inside keeping the aspect ratio.
            if (static_cast<long long>(Width()) * height > static_cast<long long>(Height()) * width) {
                width = static_cast<int>(static_cast<long long>(Height()) * pictureWidth / pictureHeight);
                height = Height();
            } else {
                height = static_cast<int>(static_cast<long long>(Width()) * pictureHeight / pictureWidth);
                width = Width();
            }
        } else {
            width = Width();
            height = Height();
        }
    }
    int left = 0;
    int top = 0;
    if (center_) {
        left = (Width() - width) / 2;
        top = (Height() - height) / 2;
    }
    return Bounds(left, top, width, height);
}

void TImage::Paint(TCanvas& canvas)
{
    const TGraphic* graphic = picture_.Graphic();
    if (graphic == nullptr || graphic->Empty())
        return;
    const TRect destination = DestinationRect();
    if (destination.Width() == graphic->Width() && destination.Height() == graphic->Height())
        canvas.Draw(destination.Left, destination.Top, *graphic);
    else
        canvas.StretchDraw(destination, *graphic);
}

} // namespace plat
