#pragma once

#include "platform/gui/font.h"

#include <string>
#include <string_view>
#include <vector>

namespace plat {

// The one place text is measured. Texts are CP1250 bytes. A text's width is
// the sum of its characters' whole-pixel advances (no kerning, no
// ligatures), and the layer draws characters at exactly those positions.
// Main thread only; faces are cached per family, size and style.
class TextMetrics {
public:
    // Blanks count.
    static int TextWidth(const TFont& font, std::string_view text);
    // Ascent plus descent.
    static int LineHeight(const TFont& font);
    static int Ascent(const TFont& font);
    static int AverageCharWidth(const TFont& font);

    // Breaks at blanks and line breaks (CR, LF, CR LF) so that each line fits
    // `width`; a word wider than `width` stands alone on its line, and at a
    // width of 0 or less every word does. Runs of blanks between words fold
    // into one; an empty text is one empty line.
    static std::vector<std::string> WrapText(const TFont& font, std::string_view text, int width);
    // Splits at line breaks only.
    static std::vector<std::string> SplitLines(std::string_view text);

    // Fixed metrics for tests: every byte 7 px wide, lines 15 px high.
    static void SetFixed(bool fixed);
    static bool IsFixed();

    // The installed family that draws a requested one.
    static std::string ResolvedFamily(const std::string& requested);
};

} // namespace plat
