#pragma once

#include "platform/gui/graphic.h"

#include <memory>

namespace plat {

class TCanvas;

// A 24-bit picture to draw on; new area is white.
class TBitmap : public TGraphic {
public:
    TBitmap();
    TBitmap(const TBitmap& other);
    TBitmap& operator=(const TBitmap& other);
    ~TBitmap() override;

    void SetSize(int width, int height);
    void SetWidth(int width) { SetSize(width, Height()); }
    void SetHeight(int height) { SetSize(Width(), height); }

    // Copies the pixels and the format of any graphic.
    void Assign(const TGraphic& other);

    TCanvas& Canvas();

private:
    std::unique_ptr<TCanvas> canvas_;
};

} // namespace plat
