#pragma once

// Internal: the cached drawing face of a TFont. Includes Qt.

#include "platform/gui/font.h"

#include <QColor>
#include <QFont>
#include <QRawFont>

#include <cstdint>
#include <string_view>

class QPainter;

namespace plat {

// One CP1250 byte as drawn: which raw font (primary or fallback), which
// glyph, and its whole-pixel advance.
struct FontFace {
    QFont font;
    QRawFont raw[2];
    uint16_t glyph[256] = {};
    uint8_t rawIndex[256] = {};
    int advance[256] = {};
    int ascent = 0;
    int descent = 0;
    int averageCharWidth = 0;
    int underlinePosition = 1;
    int lineThickness = 1;
};

const FontFace& FaceFor(const TFont& font);

// Advance of one byte under the current metrics (fixed or real).
int AdvanceOf(const FontFace& face, unsigned char byte);

// Draws one line of CP1250 text with the top of its cell at x, top, each
// character at its whole-pixel position; underline and strike-out as the
// font's style asks. Returns the text's width.
int DrawTextLine(QPainter& painter, const TFont& font, int x, int top, std::string_view text, const QColor& color);

} // namespace plat
