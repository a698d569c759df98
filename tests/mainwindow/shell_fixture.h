#pragma once

// The shell test fixture: the main window on the offscreen GUI with the
// manual clock, a screen override, the page-services recorder, the message
// box and menu responders, the online hooks recorded, a clean home and data
// folder, and the log captured.

#include "mainwindow/main_window.h"
#include "mainwindow/page_services.h"
#include "model/record.h"
#include "platform/testing/gui_harness.h"
#include "platform/testing/gui_seams.h"
#include "tests/model/model_test_support.h"
#include "tests/support/scratch_folder.h"

#include <functional>
#include <thread>

namespace plat {
class MainLoop;
} // namespace plat
#include <memory>
#include <string>
#include <vector>

namespace shell_test {

// Records each page entry by name; a name in ThrowOn makes it throw.
class PageRecorder : public TNPageServices {
public:
    std::vector<std::string> Calls;
    std::string ThrowOn;
    // Runs inside every create callback (after it is recorded).
    std::function<void()> DuringCreate;
    // Runs inside every entry, after it is recorded, with its name.
    std::function<void(const std::string&)> DuringCall;
    int32_t CalendarModeValue = 1;
    // A call came on another thread than the one that made the recorder.
    bool CalledOffItsThread = false;
    bool SearchUnchanged = true;
    // What UpdateAllRedlines reports.
    TNViewItem* RedlineDaybox = nullptr;

    int Count(const std::string& name) const;

    void CreateHomepageComponents() override { Create("CreateHomepageComponents"); }
    void ResizeHomepageComponents() override { Note("ResizeHomepageComponents"); }
    void CreateCalendarComponents() override { Create("CreateCalendarComponents"); }
    void ResizeCalendarComponents() override { Note("ResizeCalendarComponents"); }
    void CreateTasksComponents(int32_t) override { Create("CreateTasksComponents"); }
    void ResizeTasksComponents(int32_t) override { Note("ResizeTasksComponents"); }
    void CreateNotesComponents(int32_t) override { Create("CreateNotesComponents"); }
    void ResizeNotesComponents() override { Note("ResizeNotesComponents"); }
    void CreatePagesComponents(int32_t) override { Create("CreatePagesComponents"); }
    void ResizePagesComponents() override { Note("ResizePagesComponents"); }
    void CreateSearchComponents(int32_t) override { Create("CreateSearchComponents"); }
    void ResizeSearchComponents() override { Note("ResizeSearchComponents"); }
    void CreateHiddenView(int32_t view) override { Note("CreateHiddenView " + std::to_string(view)); }
    void UpdateHomepageListFilters() override { Note("UpdateHomepageListFilters"); }
    void UpdateTodayList() override { Note("UpdateTodayList"); }
    void UpdateHomepageDayboxes() override { Note("UpdateHomepageDayboxes"); }
    void UpdateHpTasks() override { Note("UpdateHpTasks"); }
    void UpdateCalendarView(int32_t mode) override { Note("UpdateCalendarView " + std::to_string(mode)); }
    void UpdateNotes() override { Note("UpdateNotes"); }
    void UpdatePages() override { Note("UpdatePages"); }
    void UpdateSearch(int32_t) override { Note("UpdateSearch"); }
    void UpdateZentor(int32_t) override { Note("UpdateZentor"); }
    TNViewItem* UpdateAllRedlines() override
    {
        Note("UpdateAllRedlines");
        return RedlineDaybox;
    }
    void ResizeDayboxes() override { Note("ResizeDayboxes"); }
    void SaveEditedNote(int32_t mode) override { Note("SaveEditedNote " + std::to_string(mode)); }
    void ForgetEditedNote() override { Note("ForgetEditedNote"); }
    void HideSideboard() override { Note("HideSideboard"); }
    void EditRecord(TNPIMRecord* record) override { Note("EditRecord " + std::to_string(record->ID)); }
    void FormMouseDown() override { Note("FormMouseDown"); }
    void zentorGetUpcomingEvents(int32_t) override { Note("zentorGetUpcomingEvents"); }
    void ClearZentorListBuilt() override { Note("ClearZentorListBuilt"); }
    void OnHpTasksChange(int32_t param) override { Note("OnHpTasksChange " + std::to_string(param)); }
    void OnHpNoteChange(int32_t param) override { Note("OnHpNoteChange " + std::to_string(param)); }
    void RefreshAllDayboxes(const char* caller) override { Note(std::string("RefreshAllDayboxes ") + caller); }
    bool Pages_ShowCalendarOrPage(uint32_t id) override
    {
        Note("Pages_ShowCalendarOrPage " + std::to_string(id));
        return true;
    }
    bool Pages_ShowCalendarOrPage(int32_t pimSrvPos, uint32_t id) override
    {
        Note("Pages_ShowCalendarOrPage " + std::to_string(pimSrvPos) + " " + std::to_string(id));
        return true;
    }
    void OpenSideboard(uint32_t id, int32_t pimSrvPos, bool slideIn) override
    {
        Note("OpenSideboard " + std::to_string(id) + " " + std::to_string(pimSrvPos) + (slideIn ? " slide" : ""));
    }
    void ShowSelectedNote(uint32_t id, int32_t pimSrvPos, uint32_t filterId, bool saveFirst) override
    {
        Note("ShowSelectedNote " + std::to_string(id) + " " + std::to_string(pimSrvPos) + " " +
             std::to_string(filterId) + (saveFirst ? " save" : ""));
    }
    void ResizeHpTasks() override { Note("ResizeHpTasks"); }
    void OrganizerRecordChanged(uint32_t organizerId) override
    {
        Note("OrganizerRecordChanged " + std::to_string(organizerId));
    }
    void ReopenSideboard() override { Note("ReopenSideboard"); }
    void RunCommand(TNPageCommand command) override { Note(PageCommandName(command)); }
    void StopZentorSecondsTimer() override { Note("StopZentorSecondsTimer"); }
    void ClearSignedInPageState() override { Note("ClearSignedInPageState"); }
    void CreateZentorComponents() override { Note("CreateZentorComponents"); }
    void CreateSideboardComponents() override { Note("CreateSideboardComponents"); }
    void UpdateMenu_zentorWeeksByDaysCount() override { Note("UpdateMenu_zentorWeeksByDaysCount"); }
    void Clear_mnuCalendars() override { Note("Clear_mnuCalendars"); }
    void SetUpDayboxModeValues(int32_t mode, bool store) override
    {
        Note("SetUpDayboxModeValues " + std::to_string(mode) + (store ? " store" : ""));
    }
    void SetCalendarViewBy(int32_t viewBy) override { Note("SetCalendarViewBy " + std::to_string(viewBy)); }
    void SelectHomepageItems(int32_t tag, int32_t tagPos, int32_t note, int32_t notePos) override
    {
        Note("SelectHomepageItems " + std::to_string(tag) + " " + std::to_string(tagPos) + " " + std::to_string(note) +
             " " + std::to_string(notePos));
    }
    void SetListFilters(bool scheduled, bool allNotes) override
    {
        Note(std::string("SetListFilters ") + (scheduled ? "1" : "0") + (allNotes ? "1" : "0"));
    }
    void SetCalendarToToday() override { Note("SetCalendarToToday"); }
    int32_t CalendarMode() override { return CalendarModeValue; }
    int32_t TasksSelectedTag() override { return 0; }
    bool SearchTextUnchanged() override { return SearchUnchanged; }

private:
    void Note(const std::string& name);
    void Create(const std::string& name);
    std::thread::id thread_ = std::this_thread::get_id();
};

// The account service's address ("host:port"), plain HTTP.
void PointServiceAt(const std::string& hostAndPort);

class ShellTest : public plat::testing::OffscreenGuiTest {
protected:
    void SetUp() override;
    void TearDown() override;

    // A fresh main window (the old one goes first) with the page-services
    // recorder, or with the given pages.
    void MakeMainWindow();
    void MakeMainWindow(std::unique_ptr<TNPageServices> pages);
    // Runs what the showing of the login page armed, then forgets the pages'
    // calls so far.
    void Settle();
    // A remembered account of the user list, saved as the login page reads
    // it; its index.
    int32_t RememberAccount(const char* login, const char* password, bool automatic, bool active = true,
                            uint32_t userId = 1001);
    // The signed-in frame: the control bar built and the home page shown.
    void SignIn(int width = 1016);
    // Clicks a control-bar button by view id.
    void Click(int32_t id);
    // Log lines containing the text since the fixture began.
    int LogCount(const char* text) const;
    std::string LogText() const;

    TfrmMainDLMR1& Main() { return *main_; }
    // The GUI loop the program's posted calls and the window bus run on.
    static plat::MainLoop& Loop();
    PageRecorder& Pages() { return *pages_; }

    testing_support::ScratchFolder home_;
    std::unique_ptr<plat::testing::ManualTimers> timers_;
    std::unique_ptr<plat::testing::MessageBoxResponder> boxes_;
    std::unique_ptr<plat::testing::MenuRecorder> menus_;
    // Pictures jobs started by refreshes.
    static int picturesJobs;
    // The main window's own entry for them.
    static void (*windowPicturesJob)();
    std::vector<int32_t> onlineArms;

private:
    plat::TOwned<TfrmMainDLMR1> main_;
    PageRecorder* pages_ = nullptr;
    std::string logFolder_;
};

} // namespace shell_test
