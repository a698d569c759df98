#include "platform/gui/font.h"

#include <cmath>

namespace plat {

TFont::TFont() : name_("Tahoma"), size_(8), color_(clWindowText), style_(0)
{
}

void TFont::SetName(const std::string& name)
{
    if (name_ == name)
        return;
    name_ = name;
    Changed();
}

void TFont::SetSize(int points)
{
    if (size_ == points)
        return;
    size_ = points;
    Changed();
}

void TFont::SetColor(TColor color)
{
    if (color_ == color)
        return;
    color_ = color;
    Changed();
}

void TFont::SetStyle(TFontStyles style)
{
    if (style_ == style)
        return;
    style_ = style;
    Changed();
}

int TFont::PixelSize() const
{
    const int points = std::abs(size_);
    return (points * 96 + 36) / 72;
}

void TFont::Assign(const TFont& other)
{
    if (SameAs(other))
        return;
    name_ = other.name_;
    size_ = other.size_;
    color_ = other.color_;
    style_ = other.style_;
    Changed();
}

bool TFont::SameAs(const TFont& other) const
{
    return name_ == other.name_ && size_ == other.size_ && color_ == other.color_ && style_ == other.style_;
}

void TFont::Changed()
{
    if (OnChange)
        OnChange();
}

} // namespace plat
