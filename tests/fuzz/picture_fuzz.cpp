// The picture readers: the first byte picks the format, the rest is the file.
// A picture that cannot be read must throw EPictureError and nothing else.

#include "platform/gui/picture.h"
#include "tests/fuzz/fuzz_target.h"

#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    constexpr plat::TGraphicFormat formats[] = {plat::TGraphicFormat::Gif, plat::TGraphicFormat::Png,
                                                plat::TGraphicFormat::Jpeg, plat::TGraphicFormat::Bitmap};
    const plat::TGraphicFormat format = formats[data[0] % 4];
    plat::TPicture picture;
    try {
        picture.LoadFromBytes(std::string_view(reinterpret_cast<const char*>(data + 1), size - 1), format);
    } catch (const plat::EPictureError&) {
    }
    return 0;
}
