#pragma once

#include <cstdint>
#include <string>

// The parts of the record side panel that need no controls: what each row
// says, whether a subtask may be added, and where the picture stands.

// The author row's caption: empty for the signed-in user's own record, else
// "Autor: " and the contact's full name when known, else "Kalendář: " and
// the calendar's title when known, else "Autor: " and the creator's number.
// A null name or title is not known.
std::string SideboardAuthorCaption(uint32_t creatorId, uint32_t userId, const char* contactName,
                                   const char* calendarTitle);

// The title row's caption: a note's title, any other record's text;
// "[Bez nadpisu]" when that is empty.
std::string SideboardTitleCaption(int32_t type, const char* noteTitle, const char* text);

// A subtask may be added to a real record without a parent, not a note, a
// name day, a birthday or an anniversary, that the user may edit.
bool SideboardNewSubtaskAllowed(bool isVirtual, uint32_t parentId, int32_t type, bool mayEdit);

// The picture's bounds under the rows stacked so far, in a panel `width`
// wide: 32 from the left, 7 below, as wide as the panel less 42, as high as
// the picture's proportions give (integer steps, as the layout has them).
struct TNSideboardPictureBounds {
    int32_t Left = 0;
    int32_t Top = 0;
    int32_t Width = 0;
    int32_t Height = 0;
};
TNSideboardPictureBounds SideboardPictureBounds(int32_t width, int32_t contentHeight, int32_t pictureWidth,
                                                int32_t pictureHeight);

// What the picture row shows: the picture, the sand clock while job 9
// loads it, or that the record has none.
enum class TNSideboardPictureState { NoPicture, Loading, Shown };
// `hasPicture`: the record names a picture; `cached`: its file is here;
// `jobRan`: job 9 ran for this opening on this record already.
TNSideboardPictureState SideboardPictureState(bool hasPicture, bool cached, bool jobRan);
