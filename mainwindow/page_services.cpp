#include "mainwindow/page_services.h"

#include "foundation/log.h"

#include <string>

void TNPageServices::NotBuiltYet(const char* name)
{
    LogText(("[" + std::string(name) + "] not built yet").c_str());
}

void TNPageServices::SetWindow(TfrmMainDLMR1&)
{
}

void TNPageServices::OpenSideboard(uint32_t, int32_t, bool)
{
    NotBuiltYet("OpenSideboard");
}
void TNPageServices::ShowSelectedNote(uint32_t, int32_t, uint32_t, bool)
{
    NotBuiltYet("ShowSelectedNote");
}
void TNPageServices::ResizeHpTasks()
{
    NotBuiltYet("ResizeHpTasks");
}
void TNPageServices::OrganizerRecordChanged(uint32_t)
{
    NotBuiltYet("OrganizerRecordChanged");
}

const char* PageCommandName(TNPageCommand command)
{
    static constexpr const char* kNames[] = {
        "mnuFileAddTaskClick",        "mnuFileAddSomethingNewClick", "mnuFileAddBirthdayClick",
        "mnuFileAddAnniversaryClick", "mnuAddNewOrganizerClick",     "btnNotesListAddClick",
        "btnTodayPreviousClick",      "btnTodayNextClick",           "btnTodayTodayClick",
        "btnZentorTomorrowClick",     "btnZentorThisWeekClick",      "btnZentorNextWeekClick",
        "btnZentorThisMonthClick",    "btnZentorNextMonthClick",     "ShowOrganizerList"};
    const auto index = static_cast<size_t>(command);
    return index < sizeof kNames / sizeof kNames[0] ? kNames[index] : "";
}

void TNPageServices::RunCommand(TNPageCommand command)
{
    NotBuiltYet(PageCommandName(command));
}

void TNPageServices::CreateHomepageComponents()
{
    NotBuiltYet("CreateHomepageComponents");
}
void TNPageServices::ResizeHomepageComponents()
{
    NotBuiltYet("ResizeHomepageComponents");
}
void TNPageServices::CreateCalendarComponents()
{
    NotBuiltYet("CreateCalendarComponents");
}
void TNPageServices::ResizeCalendarComponents()
{
    NotBuiltYet("ResizeCalendarComponents");
}
void TNPageServices::CreateTasksComponents(int32_t)
{
    NotBuiltYet("CreateTasksComponents");
}
void TNPageServices::ResizeTasksComponents(int32_t)
{
    NotBuiltYet("ResizeTasksComponents");
}
void TNPageServices::CreateNotesComponents(int32_t)
{
    NotBuiltYet("CreateNotesComponents");
}
void TNPageServices::ResizeNotesComponents()
{
    NotBuiltYet("ResizeNotesComponents");
}
void TNPageServices::CreatePagesComponents(int32_t)
{
    NotBuiltYet("CreatePagesComponents");
}
void TNPageServices::ResizePagesComponents()
{
    NotBuiltYet("ResizePagesComponents");
}
void TNPageServices::CreateSearchComponents(int32_t)
{
    NotBuiltYet("CreateSearchComponents");
}
void TNPageServices::ResizeSearchComponents()
{
    NotBuiltYet("ResizeSearchComponents");
}

void TNPageServices::CreateHiddenView(int32_t view)
{
    static const char* const names[] = {"CreateOneDayView",      "CreateWorkWeekView",    "CreateWeekView",
                                        "CreateMonthView",       "CreateTasksComponents", "CreateNotesComponents",
                                        "CreatePagesComponents", "CreateSearchComponents"};
    if (view >= 1 && view <= 8)
        NotBuiltYet(names[view - 1]);
}

void TNPageServices::UpdateHomepageListFilters()
{
    NotBuiltYet("UpdateHomepageListFilters");
}
void TNPageServices::UpdateTodayList()
{
    NotBuiltYet("UpdateTodayList");
}
void TNPageServices::UpdateHomepageDayboxes()
{
    NotBuiltYet("UpdateHomepageDayboxes");
}
void TNPageServices::UpdateHpTasks()
{
    NotBuiltYet("UpdateHpTasks");
}
void TNPageServices::UpdateCalendarView(int32_t)
{
    NotBuiltYet("UpdateActuallyShownData_CalendarView");
}
void TNPageServices::UpdateNotes()
{
    NotBuiltYet("UpdateNotes");
}
void TNPageServices::UpdatePages()
{
    NotBuiltYet("UpdatePages");
}
void TNPageServices::UpdateSearch(int32_t)
{
    NotBuiltYet("UpdateSearch");
}
void TNPageServices::UpdateZentor(int32_t)
{
    NotBuiltYet("UpdateZentor");
}
TNViewItem* TNPageServices::UpdateAllRedlines()
{
    NotBuiltYet("UpdateAllRedlines");
    return nullptr;
}
void TNPageServices::ResizeDayboxes()
{
    NotBuiltYet("ResizeDayboxes");
}
void TNPageServices::SaveEditedNote(int32_t)
{
    NotBuiltYet("SaveEditedNote");
}
void TNPageServices::ForgetEditedNote()
{
    NotBuiltYet("ForgetEditedNote");
}
void TNPageServices::HideSideboard()
{
    NotBuiltYet("HideSideboard");
}
void TNPageServices::FormMouseDown()
{
    NotBuiltYet("FormMouseDown");
}

int32_t TNPageServices::CalendarMode()
{
    NotBuiltYet("CalendarMode");
    return 1;
}

int32_t TNPageServices::TasksSelectedTag()
{
    NotBuiltYet("TasksSelectedTag");
    return 0;
}

bool TNPageServices::SearchTextUnchanged()
{
    NotBuiltYet("SearchTextUnchanged");
    return true;
}

void TNPageServices::zentorGetUpcomingEvents(int32_t)
{
    NotBuiltYet("zentorGetUpcomingEvents");
}
void TNPageServices::ClearZentorListBuilt()
{
    NotBuiltYet("ClearZentorListBuilt");
}
void TNPageServices::OnHpTasksChange(int32_t)
{
    NotBuiltYet("OnHpTasksChange");
}
void TNPageServices::OnHpNoteChange(int32_t)
{
    NotBuiltYet("OnHpNoteChange");
}
void TNPageServices::RefreshAllDayboxes(const char*)
{
    NotBuiltYet("RefreshAllDayboxes");
}
bool TNPageServices::Pages_ShowCalendarOrPage(uint32_t)
{
    NotBuiltYet("Pages_ShowCalendarOrPage");
    return false;
}
bool TNPageServices::Pages_ShowCalendarOrPage(int32_t, uint32_t)
{
    NotBuiltYet("Pages_ShowCalendarOrPage");
    return false;
}
void TNPageServices::OpenOrganizerWeb(uint32_t)
{
    NotBuiltYet("OpenOrganizerWeb");
}
void TNPageServices::ReopenSideboard()
{
    NotBuiltYet("ReopenSideboard");
}
void TNPageServices::StopZentorSecondsTimer()
{
    NotBuiltYet("StopZentorSecondsTimer");
}
void TNPageServices::ClearSignedInPageState()
{
    NotBuiltYet("ClearSignedInPageState");
}
void TNPageServices::CreateZentorComponents()
{
    NotBuiltYet("CreateZentorComponents");
}
void TNPageServices::CreateSideboardComponents()
{
    NotBuiltYet("CreateSideboardComponents");
}
void TNPageServices::UpdateMenu_zentorWeeksByDaysCount()
{
    NotBuiltYet("UpdateMenu_zentorWeeksByDaysCount");
}
void TNPageServices::Clear_mnuCalendars()
{
    NotBuiltYet("Clear_mnuCalendars");
}
void TNPageServices::SetUpDayboxModeValues(int32_t, bool)
{
    NotBuiltYet("SetUpDayboxModeValues");
}
void TNPageServices::SetCalendarViewBy(int32_t)
{
    NotBuiltYet("SetCalendarViewBy");
}
void TNPageServices::SelectHomepageItems(int32_t, int32_t, int32_t, int32_t)
{
    NotBuiltYet("SelectHomepageItems");
}
void TNPageServices::SetListFilters(bool, bool)
{
    NotBuiltYet("SetListFilters");
}
void TNPageServices::SetCalendarToToday()
{
    NotBuiltYet("SetCalendarToToday");
}
