#pragma once

#include "platform/gui/graphic.h"

#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

namespace plat {

class TBitmap;

// A picture file that could not be read or decoded. The picture that threw
// keeps what it held.
class EPictureError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Holds one graphic, or none.
class TPicture {
public:
    TPicture();
    ~TPicture();
    TPicture(const TPicture&) = delete;
    TPicture& operator=(const TPicture&) = delete;

    // The format follows the extension, whatever its case: .png, .jpg,
    // .jpeg, .bmp, .gif. The path's bytes are used as they are. Files and
    // headers beyond the size limits are refused before decoding.
    void LoadFromFile(const std::string& path);
    void LoadFromBytes(std::string_view bytes, TGraphicFormat format);

    // Copies; later changes to either never show in the other.
    void Assign(const TPicture& other);
    void Assign(const TGraphic& graphic);
    void Clear();

    // Null when empty.
    TGraphic* Graphic() const { return graphic_.get(); }
    // The graphic as a bitmap to draw on; made (empty) when there is none.
    TBitmap& Bitmap();
    int Width() const;
    int Height() const;

    // After every change.
    std::function<void()> OnChange;

private:
    void Changed();

    std::unique_ptr<TGraphic> graphic_;
};

// The largest side and pixel area a picture file may claim.
constexpr int kMaxPictureSide = 16384;
constexpr long long kMaxPictureBytes = 128LL * 1024 * 1024;

// Test seam: how many GIF files went through the GIF decoder.
int GifDecoderCalls();

} // namespace plat
