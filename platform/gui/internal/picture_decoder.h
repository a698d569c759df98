#pragma once

// Internal: picture bytes to pixels. Includes Qt.

#include "platform/gui/graphic.h"

#include <QImage>

#include <string_view>

namespace plat {

// Throws EPictureError for bad or oversized data.
QImage DecodePicture(std::string_view bytes, TGraphicFormat format);
// The first frame of a GIF through giflib; the transparent index becomes
// transparent.
QImage DecodeGif(std::string_view bytes);
// Throws EPictureError when a picture of that size is refused.
void CheckPictureSize(long long width, long long height);

} // namespace plat
