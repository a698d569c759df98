#pragma once

#include "platform/gui/types.h"

#include <functional>
#include <string>

namespace plat {

using TFontStyles = unsigned;
constexpr TFontStyles fsBold = 1;
constexpr TFontStyles fsItalic = 2;
constexpr TFontStyles fsUnderline = 4;
constexpr TFontStyles fsStrikeOut = 8;

// A font as the program asks for it: the family name reads back as set, the
// size is in points at 96 dpi. Which installed face draws it is the text
// metrics service's business.
class TFont {
public:
    TFont();

    const std::string& Name() const { return name_; }
    void SetName(const std::string& name);
    int Size() const { return size_; }
    void SetSize(int points);
    TColor Color() const { return color_; }
    void SetColor(TColor color);
    TFontStyles Style() const { return style_; }
    void SetStyle(TFontStyles style);

    // Pixels of the em: size x 96 / 72, rounded.
    int PixelSize() const;

    // Copies name, size, colour and style; one change notification.
    void Assign(const TFont& other);
    bool SameAs(const TFont& other) const;

    // Called after every change.
    std::function<void()> OnChange;

private:
    void Changed();

    std::string name_;
    int size_;
    TColor color_;
    TFontStyles style_;
};

} // namespace plat
