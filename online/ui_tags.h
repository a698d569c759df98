#pragma once

#include <cstdint>
#include <string>

// The UI-update tags that workers queue for the main window.
enum TNUiTag : int16_t {
    __uiOnlineButLoginFailed = -2,
    __uiOfflineOrDownloadError = -1,
    __uiNone = 0,
    __uiOnlineAndLogged = 1,
    __uiOnlineAndLoginNotTested = 2,
    __uiCloseApplication = 3,
    __uiUpdateShownData = 4,
    __uiUpdateHpTasks = 5,
    __uiUpdateHeaderUser = 6,
    __uiRunAppUpdate = 7,
    __uiUpdateHpNotesAndTasks = 8,
    __uiUpdateShownData_NoSync = 9,
    __uiOpenEditedOrganizer = 10,
    // Has no name: asks for a fast pass.
    __uiFastSync = 11,
    __uiUpdateShownData_RefreshAllDayboxes = 12,
    __uiTextLogingUser = 100,
    __uiTextUserLogged = 101,
    __uiTextLoadingData = 102,
    __uiTextLoadingDataCount = 103,
    __uiTextWorking = 104,
    __uiTextRunningApplication = 105,
    __uiStatusText_Synchronising = 106,
    __uiStatusText_Empty = 107,
    __uiUpdateZentor = 200,
    __uiUpdateSubscribedOrganizers = 201,
    __uiUpdateSideboard = 202,
    __uiDeactivatedUser = 997,
};

// The tag's name; "" for 11 and for unknown values.
const char* uiTagName(int16_t tag);
// As the consumer logs it: the name, " (", the number and ")".
std::string uiTagToStr(int16_t tag);
