#pragma once

#include "platform/gui/bitmap.h"

#include <vector>

namespace plat {

class TCanvas;

// Images of one fixed size.
class TImageList {
public:
    TImageList(int width, int height);

    int Width() const { return width_; }
    int Height() const { return height_; }
    int Count() const { return static_cast<int>(images_.size()); }

    // Keeps a copy of the graphic's top-left Width x Height area, drawn
    // over transparent pixels; returns its index.
    int Add(const TGraphic& graphic);
    void Clear() { images_.clear(); }

    // Draws image `index` over the bitmap's top-left corner, sizing an
    // empty bitmap to the image size first; the bitmap shows through the
    // image's transparent pixels. An index out of range changes nothing.
    void GetBitmap(int index, TBitmap& bitmap) const;
    // Image `index` with its transparency; empty out of range.
    TGraphic Image(int index) const;
    void Draw(TCanvas& canvas, int x, int y, int index) const;

private:
    int width_;
    int height_;
    std::vector<TGraphic> images_;
};

} // namespace plat
