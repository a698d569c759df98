#include "platform/gui/picture.h"

#include "platform/core/file.h"
#include "platform/gui/bitmap.h"
#include "platform/gui/internal/graphic_impl.h"
#include "platform/gui/internal/picture_decoder.h"

#include <cctype>

namespace plat {
namespace {

bool EndsWithNoCase(const std::string& text, std::string_view suffix)
{
    if (text.size() < suffix.size())
        return false;
    for (size_t i = 0; i < suffix.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(text[text.size() - suffix.size() + i])) != suffix[i])
            return false;
    return true;
}

TGraphicFormat FormatOfPath(const std::string& path)
{
    if (EndsWithNoCase(path, ".png"))
        return TGraphicFormat::Png;
    if (EndsWithNoCase(path, ".jpg") || EndsWithNoCase(path, ".jpeg"))
        return TGraphicFormat::Jpeg;
    if (EndsWithNoCase(path, ".bmp"))
        return TGraphicFormat::Bitmap;
    if (EndsWithNoCase(path, ".gif"))
        return TGraphicFormat::Gif;
    throw EPictureError("unknown picture format: " + path);
}

} // namespace

TPicture::TPicture() = default;
TPicture::~TPicture() = default;

void TPicture::LoadFromFile(const std::string& path)
{
    const TGraphicFormat format = FormatOfPath(path);
    std::string bytes;
    if (!ReadWholeFile(path, bytes, static_cast<uint64_t>(kMaxPictureBytes)))
        throw EPictureError("cannot read " + path);
    LoadFromBytes(bytes, format);
}

void TPicture::LoadFromBytes(std::string_view bytes, TGraphicFormat format)
{
    auto graphic = std::make_unique<TGraphic>();
    graphic->Impl().image = DecodePicture(bytes, format);
    graphic->Impl().format = format;
    graphic_ = std::move(graphic);
    Changed();
}

void TPicture::Assign(const TPicture& other)
{
    if (&other == this)
        return;
    if (other.graphic_)
        Assign(*other.graphic_);
    else
        Clear();
}

void TPicture::Assign(const TGraphic& graphic)
{
    if (dynamic_cast<const TBitmap*>(&graphic) != nullptr)
        graphic_ = std::make_unique<TBitmap>(static_cast<const TBitmap&>(graphic));
    else
        graphic_ = std::make_unique<TGraphic>(graphic);
    Changed();
}

void TPicture::Clear()
{
    graphic_.reset();
    Changed();
}

TBitmap& TPicture::Bitmap()
{
    if (auto* bitmap = dynamic_cast<TBitmap*>(graphic_.get()))
        return *bitmap;
    auto bitmap = std::make_unique<TBitmap>();
    if (graphic_)
        bitmap->Assign(*graphic_);
    graphic_ = std::move(bitmap);
    Changed();
    return static_cast<TBitmap&>(*graphic_);
}

int TPicture::Width() const
{
    return graphic_ ? graphic_->Width() : 0;
}

int TPicture::Height() const
{
    return graphic_ ? graphic_->Height() : 0;
}

void TPicture::Changed()
{
    if (OnChange)
        OnChange();
}

} // namespace plat
