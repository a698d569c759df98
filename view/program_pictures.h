#pragma once

#include <cstdint>
#include <span>

// One picture file of the program's "images" folder: where it lies below the
// program folder, its size in pixels, the image-table name under which the
// main window loads it at start-up (null for a file loaded where it is
// used), and its place in the main window's action list of tray and
// status-bar icons (-1 for none). The build draws every file of this table;
// the program and its tests read it.
struct TNProgramPicture {
    const char* File;
    int16_t Width;
    int16_t Height;
    const char* ImageName;
    int8_t ActionIndex;
};

// Every picture file, the 66 named images of start-up first, in their order.
std::span<const TNProgramPicture> ProgramPictures();

// The entry of a file ("images/...") or null.
const TNProgramPicture* FindProgramPicture(const char* file);

// The main window's action list has this many 16 x 16 slots; a slot without
// a picture of the table stays empty.
constexpr int kActionPictureCount = 18;
