#pragma once

#include <cstdint>

// Where the header bar's controls go for a header width: pure arithmetic on
// the controls' widths, so the layout can be checked and timed alone.

// The widths of the header's buttons as laid out (after their captions were
// set for this width); chats is -1 when that button does not exist.
struct TNHeaderWidths {
    int32_t menu = 0;
    int32_t logo = 0;
    int32_t search = 0;
    int32_t find = 0;
    int32_t bell = 0;
    int32_t user = 0;
    int32_t add = 0;
    int32_t chats = -1;
};

// The left edges of the controls; the edit's width, 0 when the search group
// has no room, and then the find button is hidden.
struct TNHeaderPlacement {
    int32_t gap = 0;
    int32_t menuLeft = 0;
    int32_t logoLeft = 0;
    int32_t addLeft = 0;
    int32_t userLeft = 0;
    int32_t chatsLeft = 0;
    int32_t bellLeft = 0;
    bool findShown = false;
    int32_t findLeft = 0;
    int32_t editLeft = 0;
    int32_t editWidth = 0;
    int32_t searchLeft = 0;
};

// The gap between controls: 14, 7 from 300 to 399 px, 4 below 300.
int32_t HeaderGap(int32_t width);
// The logo's caption: none below 360 px, "DL" below 512, else "Dalmora".
const char* HeaderLogoCaption(int32_t width);
// The user button shows its name lines from 400 px.
bool HeaderShowsUserCaption(int32_t width);
TNHeaderPlacement PlaceHeaderComponents(int32_t width, const TNHeaderWidths& widths);
