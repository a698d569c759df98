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
    default:
        TNPageServices::RunCommand(command);
        break;
    }
}
