#include "mainwindow/header_layout.h"

#include <algorithm>

namespace {

// Room the search group needs beside its two buttons before the find button
// shows.
constexpr int32_t kMinimumSearchRoom = 64;
constexpr int32_t kMaximumEditWidth = 224;

} // namespace

int32_t HeaderGap(int32_t width)
{
    if (width < 300)
        return 4;
    return width < 400 ? 7 : 14;
}

const char* HeaderLogoCaption(int32_t width)
{
    if (width < 360)
        return "";
    return width < 512 ? "DL" : "Dalmora";
}

bool HeaderShowsUserCaption(int32_t width)
{
    return width >= 400;
}

TNHeaderPlacement PlaceHeaderComponents(int32_t width, const TNHeaderWidths& widths)
{
    TNHeaderPlacement place;
    const int32_t g = HeaderGap(width);
    place.gap = g;

    // Left side.
    place.menuLeft = g;
    place.logoLeft = g + widths.menu + g;

    // Right side, from the edge inwards: each control a gap left of the last.
    int32_t r = width;
    auto placeLeftOf = [&](int32_t controlWidth) {
        r -= controlWidth + g;
        return r;
    };
    place.addLeft = placeLeftOf(widths.add);
    place.userLeft = placeLeftOf(widths.user);
    if (widths.chats >= 0)
        place.chatsLeft = placeLeftOf(widths.chats);
    place.bellLeft = placeLeftOf(widths.bell);

    // The search group in what is left between the logo and r.
    const int32_t s = widths.search;
    const int32_t f = widths.find;
    const int32_t space = r - (place.logoLeft + widths.logo) - 2 * g;
    if (space - (f + s) >= kMinimumSearchRoom) {
        place.findShown = true;
        place.findLeft = r - (f + g);
        r = place.findLeft;
        place.editWidth = std::min(kMaximumEditWidth, space - s - f);
    } else {
        r -= g;
        place.editWidth = 0;
    }
    place.editLeft = r - place.editWidth;
    place.searchLeft = place.editLeft - s;
    return place;
}
