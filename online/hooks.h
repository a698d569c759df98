#pragma once

#include <cstdint>
#include <memory>

class TNPIMRecord;
class TNPIMRecordList;
class TNPIMSharing;

// Calls from the online layer up into the windows. The view, main-window and
// dialog libraries fill these tables at start-up, the headless host fills
// them for runs without windows, and tests fill them with recorders. Every
// entry runs on the main loop's thread: the online layer reaches them only
// through TNWindowCalls (window_calls.h), which posts the call and returns at
// once. An unset entry is logged and does nothing.

// The view component framework.
struct TNViewHooks {
    // The main status bar's items: text, icon, gradient, hint.
    void (*SetStatusBarText)(int32_t item, const char* text) = nullptr;
    void (*SetStatusBarIcon)(int32_t item, int32_t iconIndex) = nullptr;
    void (*SetStatusBarGradient)(int32_t item, uint32_t colourFrom, uint32_t colourTo) = nullptr;
    void (*SetStatusBarHint)(int32_t item, const char* hint) = nullptr;
    void (*ResizeMainStatusBar)() = nullptr;
    // TNView::SetText: the text of a component found by name.
    void (*SetComponentText)(const char* name, const char* text) = nullptr;
    void (*DeleteAllDeletableComponents)() = nullptr;
    // View's closing flag, set by the log-out before anything else.
    void (*SetClosing)(bool closing) = nullptr;
};

// The main window shell.
struct TNMainWindowHooks {
    // timerOnline: interval (1 ms = at once) and switched on; its Tag.
    void (*ArmOnlineTimer)(int32_t intervalMs) = nullptr;
    void (*SetOnlineTimerTag)(int32_t tag) = nullptr;
    // Switches on timerUpdateUI, the consumer of the UI-update tag queue.
    void (*WakeUiTagConsumer)() = nullptr;
    // Sets the timer's Tag and switches it on.
    void (*ArmAfterOnlineLogin)(int32_t tag) = nullptr;
    void (*ArmAutoLogin)(int32_t tag, int32_t intervalMs) = nullptr;
    void (*ArmNotTimer)(int32_t tag, int32_t intervalMs) = nullptr;
    void (*ArmMainFromOnline)(int32_t tag) = nullptr;
    void (*ArmInfoPruh)(int32_t tag) = nullptr;
    void (*ArmHintTimer)(int32_t tag, int32_t intervalMs) = nullptr;
    void (*ShowApplication)(const char* caller, int32_t showCommand) = nullptr;
    void (*UpozorniNaNovouVerzi)() = nullptr;
    // text may be null: only the colour changes.
    void (*StatusVersionBlink)(uint32_t colour, const char* text) = nullptr;
    // The alert windows of the six slots.
    void (*CloseNotWindow)(int32_t slot) = nullptr;
    void (*UpdateNotWindowPosition)(int32_t slot) = nullptr;
    void (*TurnMonitorOn)() = nullptr;
    // The note editors show a note by id; an upload gave it a new one.
    void (*ReplaceShownNoteId)(uint32_t oldId, uint32_t newId) = nullptr;
    void (*UnregisterAllHotkeys)() = nullptr;
    void (*UlozHodnotyNastaveni)(bool flag) = nullptr;
    void (*PlaySoundA)(int32_t sound) = nullptr;
    void (*gDeskPageChanged)() = nullptr;
    // Closes the information strip, keeping its messages.
    void (*ZavriInfoPanel)() = nullptr;
};

// The main window's pages.
struct TNPagesHooks {
    void (*SaveEditedNote)(int32_t mode) = nullptr;
    // DestroyCalendarComponents_Filter, _OneDayView, _WorkWeekView,
    // _WeekView and _MonthView, in this order, each with true.
    void (*DestroyCalendarComponents)() = nullptr;
    // The search job's results, its own list with `count` entries: the page
    // sorts them (PrepareSearchResults) and arms timerSearch with Tag 1,
    // which shows them.
    void (*HandOverSearchResults)(std::shared_ptr<TNPIMRecordList> results, int32_t count) = nullptr;
    // The organizer the main window opens on __uiOpenEditedOrganizer.
    void (*SetOrganizerToOpen)(uint32_t organizerId) = nullptr;
};

// The universal dialog.
struct TNDialogHooks {
    // Job 4: the record (and its sharing list, may be null) as the service
    // has it, for the editor at that nesting depth. The dialog applies them,
    // and arms timerUpdateUniDlgUi with Tag 1 and 250 ms, only when the
    // dialog open at that depth is still the one with dialogId: a dialog
    // opened later at the same depth must not get another record.
    void (*HandOverRecordFromServer)(int32_t dialogIndex, uint64_t dialogId, std::shared_ptr<const TNPIMRecord> record,
                                     std::shared_ptr<const TNPIMSharing> sharing) = nullptr;
};

// Calls that stay on the calling thread.
struct TNOnlineHooks {
    // Starts the automatic update for an announced version.
    void (*BeginAutoUpdate)(int32_t newestVersion) = nullptr;
};

extern TNViewHooks ViewHooks;
extern TNMainWindowHooks MainWindowHooks;
extern TNPagesHooks PagesHooks;
extern TNDialogHooks DialogHooks;
extern TNOnlineHooks OnlineHooks;
