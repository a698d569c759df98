// The program wired as app/main.cpp wires it, started up to its main loop;
// there, in place of the loop, it prints every entry of every hook table,
// one "<table>.<entry> set|null" line each, and ends. A table whose entries
// the list below does not cover in full prints "<table> incomplete".
#include "app/wiring.h"
#include "foundation/common.h"
#include "foundation/globals.h"
#include "foundation/hooks.h"
#include "foundation/program_start.h"
#include "mainwindow/program_windows.h"
#include "model/hooks.h"
#include "online/end_of_run.h"
#include "online/hooks.h"
#include "online/screen.h"
#include "online/session_hooks.h"
#include "view/hooks.h"
#include "view/view_item.h"

#include <atomic>
#include <cstdio>
#include <string>
#include <type_traits>
#include <vector>

namespace {

template <class T> struct IsAtomic : std::false_type {
};
template <class T> struct IsAtomic<std::atomic<T>> : std::true_type {
};

template <class Field> bool IsSet(const Field& field)
{
    if constexpr (IsAtomic<Field>::value)
        return field.load() != nullptr;
    else
        return field != nullptr;
}

// Prints the entries of one table; on its end, whether they covered all of
// its bytes, so an entry added to a table and not here shows.
template <class Table> class TableWalk {
public:
    TableWalk(const char* name, const Table& table) : name_(name), table_(table) {}
    ~TableWalk()
    {
        if (covered_ != sizeof(Table))
            std::printf("%s incomplete\n", name_.c_str());
    }
    TableWalk(const TableWalk&) = delete;
    TableWalk& operator=(const TableWalk&) = delete;

    template <class Field> void operator()(const char* entry, Field Table::*member)
    {
        std::printf("%s.%s %s\n", name_.c_str(), entry, IsSet(table_.*member) ? "set" : "null");
        covered_ += sizeof(Field);
    }
    // A table inside this one, walked on its own.
    void Nested(size_t size) { covered_ += size; }

private:
    std::string name_;
    const Table& table_;
    size_t covered_ = 0;
};

void PrintFoundationTables()
{
    {
        using F = TNFoundationHooks;
        TableWalk<F> walk("FoundationHooks", FoundationHooks);
        walk("MessageBox", &F::MessageBox);
        walk("ResetCursor", &F::ResetCursor);
        walk("SetWaitCursor", &F::SetWaitCursor);
        walk.Nested(sizeof(TNLogWindowSink));
        walk("EmergencyClose", &F::EmergencyClose);
        walk("IdleSeconds", &F::IdleSeconds);
        walk("CreatePIM", &F::CreatePIM);
        walk("DestroyPIM", &F::DestroyPIM);
        walk("ConstructHigherGlobals", &F::ConstructHigherGlobals);
        walk("DestroyHigherGlobals", &F::DestroyHigherGlobals);
        walk("ScreenSize", &F::ScreenSize);
        walk("ActiveControlClass", &F::ActiveControlClass);
        walk("EditActiveControl", &F::EditActiveControl);
        walk("WorkArea", &F::WorkArea);
        walk("ControlBounds", &F::ControlBounds);
        walk("SetControlBounds", &F::SetControlBounds);
        walk("FillAndOutline", &F::FillAndOutline);
    }
    {
        using L = TNLogWindowSink;
        TableWalk<L> walk("FoundationHooks.LogWindow", FoundationHooks.LogWindow);
        walk("Visible", &L::Visible);
        walk("Busy", &L::Busy);
        walk("Append", &L::Append);
    }
    {
        using C = TNCommonHooks;
        TableWalk<C> walk("c.Hooks", c.Hooks);
        walk("YearSlotsAdded", &C::YearSlotsAdded);
        walk("YearsCleared", &C::YearsCleared);
        walk("DayItemWanted", &C::DayItemWanted);
    }
    {
        using M = TNModelHooks;
        TableWalk<M> walk("ModelHooks", ModelHooks);
        walk("LoadImage", &M::LoadImage);
        walk("FreeImage", &M::FreeImage);
        walk("ShownDataReplaced", &M::ShownDataReplaced);
        walk("SaveFinished", &M::SaveFinished);
    }
}

void PrintOnlineTables()
{
    {
        using V = TNViewHooks;
        TableWalk<V> walk("ViewHooks", ViewHooks);
        walk("SetStatusBarText", &V::SetStatusBarText);
        walk("SetStatusBarIcon", &V::SetStatusBarIcon);
        walk("SetStatusBarGradient", &V::SetStatusBarGradient);
        walk("SetStatusBarHint", &V::SetStatusBarHint);
        walk("ResizeMainStatusBar", &V::ResizeMainStatusBar);
        walk("SetComponentText", &V::SetComponentText);
        walk("DeleteAllDeletableComponents", &V::DeleteAllDeletableComponents);
        walk("SetClosing", &V::SetClosing);
    }
    {
        using W = TNMainWindowHooks;
        TableWalk<W> walk("MainWindowHooks", MainWindowHooks);
        walk("ArmOnlineTimer", &W::ArmOnlineTimer);
        walk("SetOnlineTimerTag", &W::SetOnlineTimerTag);
        walk("WakeUiTagConsumer", &W::WakeUiTagConsumer);
        walk("ArmAfterOnlineLogin", &W::ArmAfterOnlineLogin);
        walk("ArmAutoLogin", &W::ArmAutoLogin);
        walk("ArmNotTimer", &W::ArmNotTimer);
        walk("ArmMainFromOnline", &W::ArmMainFromOnline);
        walk("ArmInfoPruh", &W::ArmInfoPruh);
        walk("ArmHintTimer", &W::ArmHintTimer);
        walk("ShowApplication", &W::ShowApplication);
        walk("UpozorniNaNovouVerzi", &W::UpozorniNaNovouVerzi);
        walk("StatusVersionBlink", &W::StatusVersionBlink);
        walk("CloseNotWindow", &W::CloseNotWindow);
        walk("UpdateNotWindowPosition", &W::UpdateNotWindowPosition);
        walk("TurnMonitorOn", &W::TurnMonitorOn);
        walk("ReplaceShownNoteId", &W::ReplaceShownNoteId);
        walk("UnregisterAllHotkeys", &W::UnregisterAllHotkeys);
        walk("UlozHodnotyNastaveni", &W::UlozHodnotyNastaveni);
        walk("PlaySoundA", &W::PlaySoundA);
        walk("gDeskPageChanged", &W::gDeskPageChanged);
        walk("ZavriInfoPanel", &W::ZavriInfoPanel);
    }
    {
        using P = TNPagesHooks;
        TableWalk<P> walk("PagesHooks", PagesHooks);
        walk("SaveEditedNote", &P::SaveEditedNote);
        walk("DestroyCalendarComponents", &P::DestroyCalendarComponents);
        walk("HandOverSearchResults", &P::HandOverSearchResults);
        walk("SetOrganizerToOpen", &P::SetOrganizerToOpen);
    }
    {
        using D = TNDialogHooks;
        TableWalk<D> walk("DialogHooks", DialogHooks);
        walk("HandOverRecordFromServer", &D::HandOverRecordFromServer);
    }
    {
        using O = TNOnlineHooks;
        TableWalk<O> walk("OnlineHooks", OnlineHooks);
        walk("BeginAutoUpdate", &O::BeginAutoUpdate);
    }
    {
        using S = TNScreenHooks;
        TableWalk<S> walk("ScreenHooks", ScreenHooks);
        walk("ScreenSize", &S::ScreenSize);
        walk("WorkArea", &S::WorkArea);
        walk("MainWindowBounds", &S::MainWindowBounds);
        walk("MainWindowMaximized", &S::MainWindowMaximized);
        walk("ApplicationVisible", &S::ApplicationVisible);
        walk("SetMainWindowNormal", &S::SetMainWindowNormal);
        walk("SetMainWindowBounds", &S::SetMainWindowBounds);
        walk("SetMainWindowTopValue", &S::SetMainWindowTopValue);
        walk("ArmMaximizeMainWindow", &S::ArmMaximizeMainWindow);
        walk("ArmResize", &S::ArmResize);
    }
    {
        using E = TNSessionHooks;
        TableWalk<E> walk("SessionHooks", SessionHooks);
        walk("NewAccountDialogOpen", &E::NewAccountDialogOpen);
        walk("SetNewAccountResult", &E::SetNewAccountResult);
        walk("NewAccountCreationFailed", &E::NewAccountCreationFailed);
        walk("CloseNewAccountDialog", &E::CloseNewAccountDialog);
        walk("FillLoginFields", &E::FillLoginFields);
        walk("NotTimerEnabled", &E::NotTimerEnabled);
        walk("StopClockAndOnlineTimers", &E::StopClockAndOnlineTimers);
        walk("StopZentorSeconds", &E::StopZentorSeconds);
        walk("SetAfterOnlineLoginTag", &E::SetAfterOnlineLoginTag);
    }
}

void PrintViewTables()
{
    {
        using R = TNViewRegistryHooks;
        TableWalk<R> walk("ViewRegistryHooks", ViewRegistryHooks);
        walk("NameChanged", &R::NameChanged);
        walk("ControlAssigned", &R::ControlAssigned);
    }
    {
        using M = TNViewMainHooks;
        TableWalk<M> walk("ViewMainHooks", ViewMainHooks);
        walk("EditRecord", &M::EditRecord);
        walk("OpenSideboard", &M::OpenSideboard);
        walk("DeleteRecordById", &M::DeleteRecordById);
        walk("ChangedRecordSaveSequence", &M::ChangedRecordSaveSequence);
        walk("AddTagFromEditRecordDialog", &M::AddTagFromEditRecordDialog);
        walk("RemoveSharingItem", &M::RemoveSharingItem);
        walk("PaintRecordsComponentsList", &M::PaintRecordsComponentsList);
        walk("RecordIsVisibleByFilter", &M::RecordIsVisibleByFilter);
        walk("AuthorFilterOn", &M::AuthorFilterOn);
        walk("ScrollWheelableTo", &M::ScrollWheelableTo);
        walk("btnESCClick", &M::btnESCClick);
        walk("ResizeZentor", &M::ResizeZentor);
        walk("ResizeHeaderComponents", &M::ResizeHeaderComponents);
        walk("ResizeControl", &M::ResizeControl);
        walk("ResizeScrollbar", &M::ResizeScrollbar);
        walk("FormMouseDown", &M::FormMouseDown);
        walk("StatusClick", &M::StatusClick);
        walk("recordClick", &M::recordClick);
        walk("recordDblClick", &M::recordDblClick);
        walk("recordMouseUp", &M::recordMouseUp);
        walk("MainForm", &M::MainForm);
        walk("gDesk", &M::gDesk);
        walk("pDesk", &M::pDesk);
        walk("FixedPanel", &M::FixedPanel);
        walk("imagelistAction", &M::imagelistAction);
        walk("popupText", &M::popupText);
        walk("popupDaybox", &M::popupDaybox);
        walk("popupRecordImportance", &M::popupRecordImportance);
        walk("SetRecordImportancePimPos", &M::SetRecordImportancePimPos);
        walk("timerResize", &M::timerResize);
        walk("DayCellSize", &M::DayCellSize);
        walk("StartPicturesJob", &M::StartPicturesJob);
    }
    {
        using D = TNViewDialogHooks;
        TableWalk<D> walk("ViewDialogHooks", ViewDialogHooks);
        walk("Form", &D::Form);
        walk("popupText", &D::popupText);
        walk("EditedRecordId", &D::EditedRecordId);
        walk("ShareWithGroups", &D::ShareWithGroups);
        walk("ShareWithContacts", &D::ShareWithContacts);
        walk("UniDialog", &D::UniDialog);
        walk("FormResize", &D::FormResize);
        walk("ShowTimePicker", &D::ShowTimePicker);
    }
}

// The program's windows, with the table printed where the loop would run.
class TNWindowsThatPrintHooks final : public TNProgramWindows {
public:
    explicit TNWindowsThatPrintHooks(TNProgramWindows& windows) : windows_(windows) {}

    void InitializeApplication(const char* title) override { windows_.InitializeApplication(title); }
    void CreateMainWindow() override { windows_.CreateMainWindow(); }
    void CreateLogWindow() override { windows_.CreateLogWindow(); }
    void CreateTimePicker() override { windows_.CreateTimePicker(); }
    void Run() override
    {
        PrintFoundationTables();
        PrintOnlineTables();
        PrintViewTables();
        std::puts("end");
        std::fflush(stdout);
    }

private:
    TNProgramWindows& windows_;
};

} // namespace

int main(int argc, char** argv)
{
    InstallProgramHooks();
    if (!ConstructGlobals())
        return 1;
    {
        std::vector<std::string> arguments(argv, argv + argc);
        TNMainProgramWindows windows;
        TNWindowsThatPrintHooks printing(windows);
        WinMain(arguments, printing, nullptr);
    }
    EndRunUnderThreads(0);
    DestroyGlobals();
    return 0;
}

#if defined(__SANITIZE_ADDRESS__)
// Fontconfig and D-Bus, which Qt opens, keep allocations they never free;
// under LeakSanitizer they are not the program's.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libfontconfig.so\nleak:libdbus-1.so\n";
}
#endif
