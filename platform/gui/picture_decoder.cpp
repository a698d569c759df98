#include "platform/gui/internal/picture_decoder.h"

#include "platform/gui/picture.h"

#include <QBuffer>
#include <QByteArray>
#include <QImageReader>

namespace plat {

void CheckPictureSize(long long width, long long height)
{
    if (width <= 0 || height <= 0)
        throw EPictureError("the picture has no size");
    if (width > kMaxPictureSide || height > kMaxPictureSide || width * height * 4 > kMaxPictureBytes)
        throw EPictureError("the picture is too large");
}

QImage DecodePicture(std::string_view bytes, TGraphicFormat format)
{
    if (format == TGraphicFormat::Gif)
        return DecodeGif(bytes);
    const char* name = format == TGraphicFormat::Png ? "png" : format == TGraphicFormat::Jpeg ? "jpeg" : "bmp";
    QByteArray data = QByteArray::fromRawData(bytes.data(), static_cast<qsizetype>(bytes.size()));
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, name);
    // Only the named format: a GIF never reaches Qt's GIF reader.
    reader.setAutoDetectImageFormat(false);
    reader.setDecideFormatFromContent(false);
    reader.setAutoTransform(false);
    if (!reader.canRead())
        throw EPictureError("not a picture of its format");
    const QSize size = reader.size();
    CheckPictureSize(size.width(), size.height());
    QImage image;
    if (!reader.read(&image) || image.isNull())
        throw EPictureError("the picture could not be decoded");
    CheckPictureSize(image.width(), image.height());
    if (format == TGraphicFormat::Png)
        return image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    return image.convertToFormat(QImage::Format_RGB32);
}

} // namespace plat
