#include "online/ui_tags.h"

const char* uiTagName(int16_t tag)
{
    switch (tag) {
    case __uiOnlineButLoginFailed:
        return "__uiOnlineButLoginFailed";
    case __uiOfflineOrDownloadError:
        return "__uiOfflineOrDownloadError";
    case __uiNone:
        return "__uiNone";
    case __uiOnlineAndLogged:
        return "__uiOnlineAndLogged";
    case __uiOnlineAndLoginNotTested:
        return "__uiOnlineAndLoginNotTested";
    case __uiCloseApplication:
        return "__uiCloseApplication";
    case __uiUpdateShownData:
        return "__uiUpdateShownData";
    case __uiUpdateHpTasks:
        return "__uiUpdateHpTasks";
    case __uiUpdateHeaderUser:
        return "__uiUpdateHeaderUser";
    case __uiRunAppUpdate:
        return "__uiRunAppUpdate";
    case __uiUpdateHpNotesAndTasks:
        return "__uiUpdateHpNotesAndTasks";
    case __uiUpdateShownData_NoSync:
        return "__uiUpdateShownData_NoSync";
    case __uiOpenEditedOrganizer:
        return "__uiOpenEditedOrganizer";
    case __uiUpdateShownData_RefreshAllDayboxes:
        return "__uiUpdateShownData_RefreshAllDayboxes";
    case __uiTextLogingUser:
        return "__uiTextLogingUser";
    case __uiTextUserLogged:
        return "__uiTextUserLogged";
    case __uiTextLoadingData:
        return "__uiTextLoadingData";
    case __uiTextLoadingDataCount:
        return "__uiTextLoadingDataCount";
    case __uiTextWorking:
        return "__uiTextWorking";
    case __uiTextRunningApplication:
        return "__uiTextRunningApplication";
    case __uiStatusText_Synchronising:
        return "__uiStatusText_Synchronising";
    case __uiStatusText_Empty:
        return "__uiStatusText_Empty";
    case __uiUpdateZentor:
        return "__uiUpdateZentor";
    case __uiUpdateSubscribedOrganizers:
        return "__uiUpdateSubscribedOrganizers";
    case __uiUpdateSideboard:
        return "__uiUpdateSideboard";
    case __uiDeactivatedUser:
        return "__uiDeactivatedUser";
    default:
        return "";
    }
}

std::string uiTagToStr(int16_t tag)
{
    return std::string(uiTagName(tag)) + " (" + std::to_string(tag) + ")";
}
