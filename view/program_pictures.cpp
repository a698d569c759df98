#include "view/program_pictures.h"

#include <cstring>

namespace {

constexpr TNProgramPicture kPictures[] = {
    // The named images of start-up, in their order.
    {"images/sand-clock-24x24.png", 24, 24, "imgSandClock24", -1},
    {"images/refresh-24x24.png", 24, 24, "imgRefresh24", -1},
    {"images/search-24x24.png", 24, 24, "imgSearch24", -1},
    {"images/bell-24x24.png", 24, 24, "imgBell24", -1},
    {"images/bell-with-red-dot-24x24.png", 24, 24, "imgBellWithRedDot24", -1},
    {"images/chats-24x24.png", 24, 24, "imgChats24", -1},
    {"images/dalmora-32x32.png", 32, 32, "imgDalmora32", -1},
    {"images/user-photo-blank-header-32x32.png", 32, 32, "imgUserPhotoBlankHeader32", -1},
    {"images/user-photo-blank-header-48x48.png", 48, 48, "imgUserPhotoBlankHeader48", -1},
    {"images/contacts-groups.bmp", 16, 16, "imgSkupina", -1},
    {"images/user-photo.bmp", 16, 16, "imgKontakt", -1},
    {"images/menu-gray-16x16.png", 16, 16, "imgMenu", -1},
    {"images/hamburger-menu-24x24.png", 24, 24, "imgHamburgerMenu24", -1},
    {"images/calendar-type-normal-16x16.png", 16, 16, "imgCalendarTypeNormal", -1},
    {"images/close-x-black-16x16.png", 16, 16, "imgCloseXBlack", -1},
    {"images/small-close-x-black-16x16.png", 16, 16, "imgSmallCloseXBlack", -1},
    {"images/filter-16x16.png", 16, 16, "imgFilter16", -1},
    {"images/add-green-circle-16x16.png", 16, 16, "imgAdd", -1},
    {"images/add-24x24.png", 24, 24, "imgAdd24", -1},
    {"images/add-calendar-16x16.png", 16, 16, "imgAddCalendar16", -1},
    {"images/subscribe-16x16.png", 16, 16, "imgSubscribe16", -1},
    {"images/arrow-next-16x16.png", 16, 16, "imgArrowNext", -1},
    {"images/arrow-previous-16x16.png", 16, 16, "imgArrowPrevious", -1},
    {"images/today-16x16.png", 16, 16, "imgToday", -1},
    {"images/checkbox-checked-black-14x14.png", 14, 14, "imgCheckboxChecked", -1},
    {"images/checkbox-checked-black-whitebg-14x14.png", 14, 14, "imgCheckboxCheckedWhiteBG", -1},
    {"images/checkbox-unchecked-black-14x14.png", 14, 14, "imgCheckboxUnchecked", -1},
    {"images/checkbox-unchecked-black-whitebg-14x14.png", 14, 14, "imgCheckboxUncheckedWhiteBG", -1},
    {"images/control/color/homepage-28x28.png", 28, 28, "imgControlHomepage", -1},
    {"images/control/color/calendar-28x28.png", 28, 28, "imgControlCalendar", -1},
    {"images/control/color/tasklist-28x28.png", 28, 28, "imgControlTasks", -1},
    {"images/control/color/notes-28x28.png", 28, 28, "imgControlNotes", -1},
    {"images/control/color/pages-28x28.png", 28, 28, "imgControlPages", -1},
    {"images/control/color/search-28x28.png", 28, 28, "imgControlSearch", -1},
    {"images/dropdown-silver-7x8.png", 7, 8, "imgDropdownSilver", -1},
    {"images/arrow-tree-up-silver-14x14.png", 14, 14, "imgArrowTreeUp", -1},
    {"images/blank-14x14.png", 14, 14, "imgBlank14", -1},
    {"images/blue-pencil-14x14.png", 14, 14, "imgBluePencil", -1},
    {"images/transparent-14x14.png", 14, 14, "imgTransparent14", -1},
    {"images/add-blue-circle.png", 16, 16, "imgNewSubrecord", -1},
    {"images/add-disabled-circle.png", 16, 16, "imgNewSubrecordDisabled", -1},
    {"images/finished-green-12x12.png", 12, 12, "imgFinishedGreen12", -1},
    {"images/shared-silver-12x12.png", 12, 12, "imgSharedSilver12", -1},
    {"images/recurring-silver-12x12.png", 12, 12, "imgRecurringSilver12", -1},
    {"images/place-silver-12x12.png", 12, 12, "imgPlaceSilver12", -1},
    {"images/note-silver-12x12.png", 12, 12, "imgNoteSilver12", -1},
    {"images/alert-silver-12x12.png", 12, 12, "imgAlertSilver12", -1},
    {"images/clock-14x14.png", 14, 14, "imgClock", -1},
    {"images/info-silver.png", 14, 14, "imgInfoSilver", -1},
    {"images/note-pin-icon-24x24.png", 24, 24, "imgNotePinIcon", -1},
    {"images/tasks-24x24.png", 24, 24, "imgTasks24", -1},
    {"images/importance-blank-9x14.png", 9, 14, "imgImportanceBlank", -1},
    {"images/importance-0-9x14.png", 9, 14, "imgImportance0", -1},
    {"images/importance-10-9x14.png", 9, 14, "imgImportance10", -1},
    {"images/importance-99-9x14.png", 9, 14, "imgImportance99", -1},
    {"images/importance-minus10-9x14.png", 9, 14, "imgImportanceMinus10", -1},
    {"images/checkmark-silver-10x12.png", 10, 12, "imgCheckmarkSilver", -1},
    {"images/checkmark-blue-10x12.png", 10, 12, "imgCheckmarkBlue", -1},
    {"images/pages-16x16.png", 16, 16, "imgPages16", -1},
    {"images/organizer-layout-48x48.png", 48, 48, "imgOrganizerNoIcon48", -1},
    {"images/organizer-layout-16x16.png", 16, 16, "imgOrganizerNoIcon16", -1},
    {"images/go-back-32x32.png", 32, 32, "imgGoBack32", -1},
    {"images/invite-users-16x16.png", 16, 16, "imgInviteUsers16", -1},
    {"images/picture-24x24.png", 24, 24, "imgPicture24", -1},
    {"images/picture-silver-24x24.png", 24, 24, "imgPictureSilver24", -1},
    {"images/web-16x16.png", 16, 16, "imgWeb16", -1},

    // Loaded where they are used: the alert window's and the main window's
    // logo, the grid and the empty picture of picture fields, the glyphs of
    // the icon and share buttons.
    {"images/dalmora-64x64.png", 64, 64, nullptr, -1},
    {"images/grid.jpg", 400, 300, nullptr, -1},
    {"images/empty-image.png", 96, 96, nullptr, -1},
    {"images/add-blue-circle.bmp", 16, 16, nullptr, -1},
    {"images/add-green-circle.bmp", 16, 16, nullptr, -1},

    // The action list: the tray's logo in its states (release and
    // development), and the status bar's message, support, photo-page and
    // warning icons; the social-network panels share the two logos.
    {"images/status/message-16x16.png", 16, 16, nullptr, 1},
    {"images/tray/dalmora-dev-16x16.png", 16, 16, nullptr, 2},
    {"images/tray/dalmora-16x16.png", 16, 16, nullptr, 3},
    {"images/tray/dalmora-blink-16x16.png", 16, 16, nullptr, 4},
    {"images/tray/dalmora-offline-16x16.png", 16, 16, nullptr, 5},
    {"images/tray/dalmora-unread-16x16.png", 16, 16, nullptr, 6},
    {"images/tray/dalmora-dev-unread-16x16.png", 16, 16, nullptr, 7},
    {"images/status/support-16x16.png", 16, 16, nullptr, 8},
    {"images/status/photos-16x16.png", 16, 16, nullptr, 15},
    {"images/status/warning-16x16.png", 16, 16, nullptr, 17},
};

} // namespace

std::span<const TNProgramPicture> ProgramPictures()
{
    return kPictures;
}

const TNProgramPicture* FindProgramPicture(const char* file)
{
    for (const TNProgramPicture& picture : kPictures) {
        if (file != nullptr && std::strcmp(picture.File, file) == 0)
            return &picture;
    }
    return nullptr;
}
