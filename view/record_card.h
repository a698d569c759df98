#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace plat {
class TFont;
}

// Display types of a record card; anything else is a plain card.
constexpr int32_t kCardTaskRow = 1;
constexpr int32_t kCardNote = 2;
constexpr int32_t kCardPlain111 = 111;
constexpr int32_t kCardPlaceholder = 126;
constexpr int32_t kCardPlain127 = 127;
constexpr int32_t kCardOrganizer = 222;

// Word-wraps a card's text into at most `maxLines` lines of `width` pixels,
// the first line `indent` narrower. Leading blanks and line breaks are
// dropped, a run of line breaks ends one line, a word wider than the line
// stands alone. Returns the number of lines.
int32_t WrapRecordText(const plat::TFont& font, std::string_view text, int32_t indent, int32_t width, int32_t maxLines,
                       std::vector<std::string>* lines);
