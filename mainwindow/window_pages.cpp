#include "mainwindow/window_pages.h"

#include "mainwindow/main_window.h"
#include "model/record.h"

void TNWindowPages::EditRecord(TNPIMRecord* record)
{
    Window().EditRecord(record, record != nullptr ? record->ParentID : 0, 0, nullptr, 0, 0);
}

void TNWindowPages::RunCommand(TNPageCommand command)
{
    switch (command) {
    case TNPageCommand::mnuFileAddTaskClick:
        Window().mnuFileAddTaskClick();
        break;
    case TNPageCommand::mnuFileAddSomethingNewClick:
        Window().mnuFileAddSomethingNewClick();
        break;
    case TNPageCommand::mnuFileAddBirthdayClick:
        Window().mnuFileAddBirthdayClick();
        break;
    case TNPageCommand::mnuFileAddAnniversaryClick:
        Window().mnuFileAddAnniversaryClick();
        break;
    case TNPageCommand::btnNotesListAddClick:
        Window().btnNotesListAddClick();
        break;
    default:
        TNPageServices::RunCommand(command);
        break;
    }
}

void TNWindowPages::CreateCalendarComponents()
{
    Window().CreateCalendarComponents();
}

void TNWindowPages::ResizeCalendarComponents()
{
    Window().ResizeCalendarComponents();
}

void TNWindowPages::CreateHiddenView(int32_t view)
{
    if (view >= 1 && view <= 4)
        Window().CreateCalendarView(view);
    else if (view == 5)
        Window().CreateTasksComponents();
    else if (view == 6)
        Window().CreateNotesComponents();
    else
        TNPageServices::CreateHiddenView(view);
}

void TNWindowPages::UpdateCalendarView(int32_t)
{
    // Each view refills only while it is shown.
    for (int32_t view = 1; view <= 4; ++view)
        Window().UpdateCalendarView(view, false);
}

int32_t TNWindowPages::CalendarMode()
{
    return Window().calendarViewBy;
}

void TNWindowPages::SetCalendarViewBy(int32_t viewBy)
{
    Window().calendarViewBy = viewBy;
}

TNViewItem* TNWindowPages::UpdateAllRedlines()
{
    return Window().UpdateAllRedlines();
}

void TNWindowPages::RefreshAllDayboxes(const char* caller)
{
    Window().RefreshAllDayboxes(caller);
}

void TNWindowPages::ResizeDayboxes()
{
    Window().ResizeDayboxes();
}

void TNWindowPages::SetUpDayboxModeValues(int32_t mode, bool store)
{
    Window().SetUpDayboxModeValues(mode, store);
}

void TNWindowPages::ClearSignedInPageState()
{
    Window().ClearCalendarPageState();
}

void TNWindowPages::CreateTasksComponents(int32_t)
{
    Window().CreateTasksComponents();
}

void TNWindowPages::ResizeTasksComponents(int32_t flag)
{
    Window().ResizeTasksComponents(flag != 0);
}

void TNWindowPages::CreateNotesComponents(int32_t)
{
    Window().CreateNotesComponents();
}

void TNWindowPages::ResizeNotesComponents()
{
    Window().ResizeNotesComponents();
}

void TNWindowPages::UpdateNotes()
{
    Window().UpdateNotes();
}

int32_t TNWindowPages::TasksSelectedTag()
{
    return static_cast<int32_t>(Window().TasksSelectedTag());
}

void TNWindowPages::SaveEditedNote(int32_t mode)
{
    Window().SaveEditedNote(mode);
}

void TNWindowPages::ForgetEditedNote()
{
    Window().ForgetEditedNote();
}

void TNWindowPages::SetListFilters(bool, bool)
{
    Window().SetListFilters();
}

void TNWindowPages::ShowSelectedNote(uint32_t recordId, int32_t pimSrvPos, uint32_t filterId, bool saveFirst)
{
    int32_t recordPos = -1;
    TNPIMRecord* record = recordId != 0 ? Window().GetRecordWithPos(pimSrvPos, recordId, recordPos) : nullptr;
    Window().ShowSelectedNote(record, filterId, saveFirst);
}
