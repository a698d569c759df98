#pragma once

#include "mainwindow/page_services.h"

// The pages' entries served by the main window itself: each page's methods
// and state live on TfrmMainDLMR1, and this routes the shell's calls to them.
// An entry whose page is not built yet keeps the logging stand-in of
// TNPageServices. A page reaches another page's entry through the window's
// Pages(), so a test can put a subclass here to watch one.
class TNWindowPages : public TNPageServices {
public:
    void SetWindow(TfrmMainDLMR1& window) override { window_ = &window; }

    void EditRecord(TNPIMRecord* record) override;
    void RunCommand(TNPageCommand command) override;

    // The calendar page.
    void CreateCalendarComponents() override;
    void ResizeCalendarComponents() override;
    void CreateHiddenView(int32_t view) override;
    void UpdateCalendarView(int32_t mode) override;
    int32_t CalendarMode() override;
    void SetCalendarViewBy(int32_t viewBy) override;
    TNViewItem* UpdateAllRedlines() override;
    void RefreshAllDayboxes(const char* caller) override;
    void ResizeDayboxes() override;
    void SetUpDayboxModeValues(int32_t mode, bool store) override;
    void ClearSignedInPageState() override;

    // The Tasks and Notes pages.
    void CreateTasksComponents(int32_t flag) override;
    void ResizeTasksComponents(int32_t flag) override;
    void CreateNotesComponents(int32_t flag) override;
    void ResizeNotesComponents() override;
    void UpdateNotes() override;
    int32_t TasksSelectedTag() override;
    void SaveEditedNote(int32_t mode) override;
    void ForgetEditedNote() override;
    void SetListFilters(bool scheduledTasks, bool allNotes) override;
    void ShowSelectedNote(uint32_t recordId, int32_t pimSrvPos, uint32_t filterId, bool saveFirst) override;

protected:
    TfrmMainDLMR1& Window() const { return *window_; }

private:
    TfrmMainDLMR1* window_ = nullptr;
};
