#pragma once

// Internal: a graphic's pixels. Includes Qt.

#include "platform/gui/graphic.h"

#include <QImage>

namespace plat {

struct GraphicImpl {
    QImage image;
    TGraphicFormat format = TGraphicFormat::Bitmap;
    bool transparent = false;

    // The pixels as drawn: keyed by the bottom-left colour for a
    // transparent bitmap or JPEG, as they are otherwise.
    QImage Drawn() const;
    bool BlendsAlpha() const;
};

} // namespace plat
