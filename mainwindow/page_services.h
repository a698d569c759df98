#pragma once

#include <cstdint>

class TNPIMRecord;
class TNViewItem;
class TfrmMainDLMR1;

// What the shell calls of its pages (home page, calendar views, Zentor panel,
// lists, organizer pages, search, side panel). The main window holds one;
// until the pages exist each entry logs "[<name>] not built yet" and returns
// its default, and tests put a recorder in its place.
// The page commands the shell's menus run, each named as its handler.
enum class TNPageCommand : int32_t {
    mnuFileAddTaskClick,
    mnuFileAddSomethingNewClick,
    mnuFileAddBirthdayClick,
    mnuFileAddAnniversaryClick,
    mnuAddNewOrganizerClick,
    // A new note (the Notes page's add command).
    btnNotesListAddClick,
    btnTodayPreviousClick,
    btnTodayNextClick,
    btnTodayTodayClick,
    btnZentorTomorrowClick,
    btnZentorThisWeekClick,
    btnZentorNextWeekClick,
    btnZentorThisMonthClick,
    btnZentorNextMonthClick,
    // The pages view forgets its shown organizer and opens on the list.
    ShowOrganizerList,
};
const char* PageCommandName(TNPageCommand command);

class TNPageServices {
public:
    virtual ~TNPageServices() = default;

    // Control-bar builders and layouts, one pair per page.
    virtual void CreateHomepageComponents();
    virtual void ResizeHomepageComponents();
    virtual void CreateCalendarComponents();
    virtual void ResizeCalendarComponents();
    virtual void CreateTasksComponents(int32_t flag);
    virtual void ResizeTasksComponents(int32_t flag);
    virtual void CreateNotesComponents(int32_t flag);
    virtual void ResizeNotesComponents();
    virtual void CreatePagesComponents(int32_t flag);
    virtual void ResizePagesComponents();
    virtual void CreateSearchComponents(int32_t flag);
    virtual void ResizeSearchComponents();

    // The views built hidden after sign-in: 1 one-day, 2 work-week, 3 week,
    // 4 month, 5 tasks, 6 notes, 7 pages, 8 search.
    virtual void CreateHiddenView(int32_t view);

    // Refreshers.
    virtual void UpdateHomepageListFilters();
    virtual void UpdateTodayList();
    virtual void UpdateHomepageDayboxes();
    virtual void UpdateHpTasks();
    // Calendar modes 1 one-day, 2 work-week, 3 week, 4 month.
    virtual void UpdateCalendarView(int32_t mode);
    virtual void UpdateNotes();
    virtual void UpdatePages();
    virtual void UpdateSearch(int32_t mode);
    virtual void UpdateZentor(int32_t changed);
    // Moves the red line of every built view's day box; the day box of the
    // last view that has one, or null.
    virtual TNViewItem* UpdateAllRedlines();
    virtual void ResizeDayboxes();

    // The record editor on a record (an alert window's open command).
    virtual void EditRecord(TNPIMRecord* record) = 0;

    // The record side panel for the record of that id in that account;
    // `slideIn` lets it slide in.
    virtual void OpenSideboard(uint32_t recordId, int32_t pimSrvPos, bool slideIn);
    // The Notes page shows that note; a non-zero `filterId` shows it only
    // while it is the shown note; `saveFirst` stores the edited note before.
    virtual void ShowSelectedNote(uint32_t recordId, int32_t pimSrvPos, uint32_t filterId, bool saveFirst);
    // Lays the home page's task list out again.
    virtual void ResizeHpTasks();
    // A record of that organizer changed: its organizer page refills at its
    // next update.
    virtual void OrganizerRecordChanged(uint32_t organizerId);

    // Notes and the side panel.
    virtual void SaveEditedNote(int32_t mode);
    virtual void ForgetEditedNote();
    virtual void HideSideboard();
    // The mouse-down handler of the window's panels and drawn buttons.
    virtual void FormMouseDown();

    // The pages' commands that menus, the tray and keys run.
    virtual void RunCommand(TNPageCommand command);

    // Page state the shell reads.
    virtual int32_t CalendarMode();
    virtual int32_t TasksSelectedTag();
    // The search text equals the text searched last.
    virtual bool SearchTextUnchanged();

    // What the UI-update tags ask of the pages.
    virtual void zentorGetUpcomingEvents(int32_t refresh);
    virtual void ClearZentorListBuilt();
    virtual void OnHpTasksChange(int32_t param);
    virtual void OnHpNoteChange(int32_t param);
    virtual void RefreshAllDayboxes(const char* caller);
    virtual bool Pages_ShowCalendarOrPage(uint32_t organizerId);
    // The same for an organizer of that account.
    virtual bool Pages_ShowCalendarOrPage(int32_t pimSrvPos, uint32_t organizerId);
    // The organizer's page on the service's web.
    virtual void OpenOrganizerWeb(uint32_t organizerId);
    // The side panel again on the record it shows, its open counter at 0.
    virtual void ReopenSideboard();

    // What the settings step asks of the pages.
    virtual void StopZentorSecondsTimer();
    // The per-server values and the cached organizer list of the pages.
    virtual void ClearSignedInPageState();
    virtual void CreateZentorComponents();
    virtual void CreateSideboardComponents();
    virtual void UpdateMenu_zentorWeeksByDaysCount();
    virtual void Clear_mnuCalendars();
    // Row height and card font of the home page's day box; `store` saves
    // "homepageCalendarDayboxMode".
    virtual void SetUpDayboxModeValues(int32_t mode, bool store);
    virtual void SetCalendarViewBy(int32_t viewBy);
    // The home page's task list (tag, server position) and note.
    virtual void SelectHomepageItems(int32_t tasksTagId, int32_t tasksPimSrvPos, int32_t noteId, int32_t notePimSrvPos);
    virtual void SetListFilters(bool scheduledTasks, bool allNotes);
    // The calendar pages move to today (after a change of day).
    virtual void SetCalendarToToday();

    // The window these pages serve, told once by its constructor.
    virtual void SetWindow(TfrmMainDLMR1& window);

protected:
    static void NotBuiltYet(const char* name);
};
