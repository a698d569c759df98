#include "platform/gui/internal/picture_decoder.h"
#include "platform/gui/picture.h"

#include <gif_lib.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <memory>
#include <vector>

namespace plat {
namespace {

std::atomic<int> gifDecoderCalls{0};

struct MemoryReader {
    std::string_view bytes;
    size_t position = 0;
};

// giflib reads through this; it never gets past the end of the data.
int ReadFromMemory(GifFileType* gif, GifByteType* buffer, int length)
{
    auto* reader = static_cast<MemoryReader*>(gif->UserData);
    if (length <= 0)
        return 0;
    const size_t left = reader->bytes.size() - reader->position;
    const size_t count = std::min(static_cast<size_t>(length), left);
    std::memcpy(buffer, reader->bytes.data() + reader->position, count);
    reader->position += count;
    return static_cast<int>(count);
}

struct GifCloser {
    void operator()(GifFileType* gif) const
    {
        int error = 0;
        DGifCloseFile(gif, &error);
    }
};

// The transparent index of a graphics control block, or -1.
int TransparentIndexOf(const GifByteType* block)
{
    if (block == nullptr || block[0] < 4 || (block[1] & 1) == 0)
        return -1;
    return block[4];
}

void ReadFrame(GifFileType* gif, int transparent, QImage& canvas)
{
    const GifImageDesc& desc = gif->Image;
    CheckPictureSize(desc.Width, desc.Height);
    const ColorMapObject* colours = desc.ColorMap != nullptr ? desc.ColorMap : gif->SColorMap;
    if (colours == nullptr || colours->Colors == nullptr)
        throw EPictureError("the GIF has no colour table");
    std::vector<GifPixelType> line(static_cast<size_t>(desc.Width));
    std::vector<int> rows;
    rows.reserve(static_cast<size_t>(desc.Height));
    if (desc.Interlace) {
        const int starts[] = {0, 4, 2, 1};
        const int steps[] = {8, 8, 4, 2};
        for (int pass = 0; pass < 4; ++pass)
            for (int row = starts[pass]; row < desc.Height; row += steps[pass])
                rows.push_back(row);
    } else {
        for (int row = 0; row < desc.Height; ++row)
            rows.push_back(row);
    }
    for (const int row : rows) {
        if (DGifGetLine(gif, line.data(), desc.Width) != GIF_OK)
            throw EPictureError("the GIF is damaged");
        const int y = desc.Top + row;
        if (y < 0 || y >= canvas.height())
            continue;
        auto* pixels = reinterpret_cast<QRgb*>(canvas.scanLine(y));
        for (int column = 0; column < desc.Width; ++column) {
            const int x = desc.Left + column;
            const int index = line[static_cast<size_t>(column)];
            if (x < 0 || x >= canvas.width() || index == transparent || index >= colours->ColorCount)
                continue;
            const GifColorType& colour = colours->Colors[index];
            pixels[x] = qRgb(colour.Red, colour.Green, colour.Blue);
        }
    }
}

} // namespace

int GifDecoderCalls()
{
    return gifDecoderCalls.load();
}

QImage DecodeGif(std::string_view bytes)
{
    ++gifDecoderCalls;
    MemoryReader reader{bytes};
    int error = 0;
    std::unique_ptr<GifFileType, GifCloser> gif(DGifOpen(&reader, ReadFromMemory, &error));
    if (!gif)
        throw EPictureError("not a GIF picture");
    int transparent = -1;
    for (;;) {
        GifRecordType type = UNDEFINED_RECORD_TYPE;
        if (DGifGetRecordType(gif.get(), &type) != GIF_OK)
            throw EPictureError("the GIF is damaged");
        if (type == TERMINATE_RECORD_TYPE)
            throw EPictureError("the GIF holds no picture");
        if (type == EXTENSION_RECORD_TYPE) {
            int code = 0;
            GifByteType* block = nullptr;
            if (DGifGetExtension(gif.get(), &code, &block) != GIF_OK)
                throw EPictureError("the GIF is damaged");
            if (code == GRAPHICS_EXT_FUNC_CODE)
                transparent = TransparentIndexOf(block);
            while (block != nullptr)
                if (DGifGetExtensionNext(gif.get(), &block) != GIF_OK)
                    throw EPictureError("the GIF is damaged");
            continue;
        }
        if (type != IMAGE_DESC_RECORD_TYPE)
            continue;
        if (DGifGetImageDesc(gif.get()) != GIF_OK)
            throw EPictureError("the GIF is damaged");
        const GifImageDesc& desc = gif->Image;
        int width = gif->SWidth > 0 ? gif->SWidth : desc.Left + desc.Width;
        int height = gif->SHeight > 0 ? gif->SHeight : desc.Top + desc.Height;
        CheckPictureSize(width, height);
        QImage canvas(width, height, QImage::Format_ARGB32);
        canvas.fill(Qt::transparent);
        ReadFrame(gif.get(), transparent, canvas);
        return canvas.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    }
}

} // namespace plat
