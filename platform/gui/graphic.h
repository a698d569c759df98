#pragma once

#include "platform/gui/types.h"

#include <memory>

namespace plat {

struct GraphicImpl;

// Where a graphic's pixels came from; it decides how they are drawn.
enum class TGraphicFormat { Bitmap, Png, Jpeg, Gif };

// Pixels with their format. Copies are cheap and independent: a change to
// one never shows in another.
class TGraphic {
public:
    TGraphic();
    TGraphic(const TGraphic& other);
    TGraphic& operator=(const TGraphic& other);
    virtual ~TGraphic();

    int Width() const;
    int Height() const;
    bool Empty() const;
    TGraphicFormat Format() const;

    // For bitmaps: the bottom-left pixel's colour is see-through.
    bool Transparent() const;
    void SetTransparent(bool transparent);

    GraphicImpl& Impl() const { return *impl_; }

protected:
    std::unique_ptr<GraphicImpl> impl_;
};

} // namespace plat
