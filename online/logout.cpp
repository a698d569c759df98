#include "online/global.h"

#include "foundation/app_info.h"
#include "foundation/common.h"
#include "foundation/dirs.h"
#include "foundation/folder_helper.h"
#include "foundation/globals.h"
#include "foundation/guard.h"
#include "foundation/log.h"
#include "foundation/pim_array.h"
#include "foundation/record_file_set.h"
#include "foundation/setup.h"
#include "foundation/users.h"
#include "model/model_lock.h"
#include "model/pim.h"
#include "online/auto_update.h"
#include "online/hooks.h"
#include "online/session_hooks.h"
#include "online/window_calls.h"
#include "online/window_state.h"
#include "platform/core/clock.h"
#include "platform/core/file.h"
#include "platform/core/paths.h"
#include "platform/core/thread.h"

#include <algorithm>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr int64_t kPollMs = 25;
constexpr int32_t kPolls = 400;

// The log-out runs on the main thread: the window entries are called at
// once, in the order of its steps, not posted.
template <class Entry, class... Args> void CallWindow(Entry entry, Args... args)
{
    if (entry != nullptr)
        entry(args...);
}

// Threads that may still touch the signed-in account. The update thread
// serves the program, not the account, and may download for minutes.
bool AccountWorkersRunning()
{
    std::vector<std::string> names = plat::RunningThreadNames();
    return std::any_of(names.begin(), names.end(), [](const std::string& name) { return name != kUpdateThreadName; });
}

void WaitForWorkers()
{
    for (int32_t poll = 1; poll <= kPolls; ++poll) {
        if (g.OnlineThreadRunning == 0 && !AccountWorkersRunning())
            return;
        if (poll >= 10)
            LogTextInt("[g.OdhlasUzivatele] Waiting for the online thread and the jobs... ", poll);
        plat::SleepMilliseconds(kPollMs);
    }
    LogText("[g.OdhlasUzivatele][ERROR] The online thread or a job still runs; going on");
}

void WaitForSave(TNPIM& pim)
{
    int32_t poll = 0;
    while (pim.SavingPimNow && poll < kPolls) {
        ++poll;
        if (poll >= 10)
            LogTextInt("[g.OdhlasUzivatele] Waiting for PIM[pim_srv_pos]->SavingPimNow... ", poll);
        plat::SleepMilliseconds(kPollMs);
    }
    if (!pim.SavingPimNow)
        return;
    // The flag stays: a save always clears it when it ends, and holds the
    // model lock meanwhile, so waiting for the lock waits for the save.
    LogText("[g.OdhlasUzivatele][ERROR] Resetting PIM[pim_srv_pos]->SavingPimNow");
    while (pim.SavingPimNow) {
        {
            TNModelWriteGuard running;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

bool SaveUserList()
{
    std::string folder = TNGlobal::EnterUsersFolder();
    return !folder.empty() && Uzivatele.Save(folder);
}

} // namespace

void TNGlobal::SaveBeforeClosingWait()
{
    Guarded("[TNGlobal::SaveBeforeClosingWait]", [&] {
        if (WindowState.IsActivePage("Login"))
            return;
        LogText("[g.SaveBeforeClosingWait][BEGIN]");
        CallWindow(PagesHooks.SaveEditedNote, 2);
        CallWindow(MainWindowHooks.UlozHodnotyNastaveni, true);
        SaveUserList();
        // A data set is skipped while the pass applies an answer; the pass
        // saves what it applied, or the log-out does.
        for (int32_t p = 0; p < PIM.Count(); ++p) {
            if (TNPIM* pim = PIM[p])
                pim->Save(false, false);
        }
        Setup.Save(Uzivatele, std::string(Dirs.UsersSetupFile.View()));
        LogText("[g.SaveBeforeClosingWait][END]");
    });
}

bool TNGlobal::OdhlasUzivatele(bool closing_application)
{
    return Guarded("[TNGlobal::OdhlasUzivatele]", false, [&] {
        // 1.-2. The windows learn of the log-out; the hot keys go.
        LogTextInt("[g.OdhlasUzivatele][BEGIN] closing_application = ", closing_application ? 1 : 0);
        CallWindow(ViewHooks.SetClosing, closing_application);
        CallWindow(MainWindowHooks.UnregisterAllHotkeys);
        if (WindowState.IsActivePage("Login")) {
            LogWrite("[g.OdhlasUzivatele][END] frmMainDLMR1->gDesk->ActivePage = ", "Login", false);
            return true;
        }
        // 3. An open note is saved first.
        LogText("[g.OdhlasUzivatele] BEFORE SaveEditedNote");
        CallWindow(PagesHooks.SaveEditedNote, 2);
        LogText("[g.OdhlasUzivatele] AFTER SaveEditedNote");

        // 4. No answer of this sign-in is applied from now on; requests still
        // on the network are cut off by their cancel check.
        CallWindow(SessionHooks.StopClockAndOnlineTimers);
        ++SignInGeneration;
        WaitForWorkers();

        // 5.-6. Under the job lock: the alert windows close.
        {
            TNUiJobLock lock = WaitUntilSyncJobIsDone("[g.OdhlasUzivatele]", 1);
            LogText("[g.OdhlasUzivatele] Close notification windows");
            for (int32_t slot = 0; slot < TNWindowState::kNotWindowSlots; ++slot)
                CallWindow(MainWindowHooks.CloseNotWindow, slot);
            AlertDisplay.Reset();
        }

        // 7.-9. The window's values, the users and the settings saved.
        LogText("Calling frmMainDLMR1->UlozHodnotyNastaveni(true);");
        CallWindow(MainWindowHooks.UlozHodnotyNastaveni, true);
        LogText("Calling Uzivatele.Save();");
        SaveUserList();
        for (int32_t p = 0; p < PIM.Count(); ++p) {
            TNPIM* pim = PIM[p];
            if (pim == nullptr)
                continue;
            LogTextInt("[g.OdhlasUzivatele] Calling PIM[pim_srv_pos]->Save(true); pim_srv_pos = ", p);
            WaitForSave(*pim);
            pim->Save(true, SaveFinalSwitch);
        }
        // A reset asked for by the user: the data files go after the last
        // save, so the next sign-in downloads everything again.
        if (ResetDataFileAtLogout.exchange(0) != 0) {
            for (int32_t p = 0; p < PIM.Count(); ++p) {
                if (PIM[p] != nullptr && PIM[p]->RecordFileSlot() >= 0)
                    raf.closeFile(PIM[p]->RecordFileSlot(), true);
            }
        }

        // 10.-12. At the end of the run the data go with the program's
        // objects: emptying a large set record by record here only delays
        // the exit.
        if (!closing_application) {
            LogText("Calling PIM[0]->CleanAll()");
            if (PIM[0] != nullptr)
                PIM[0]->CleanAll();
        }
        LogText("Calling Setup.Save()");
        Setup.Save(Uzivatele, std::string(Dirs.UsersSetupFile.View()));
        LogText("Calling ZavriInfoPanel()");
        TNWindowCalls::ZavriInfoPanel();
        SetNotifyConstantlyRecord(nullptr);

        // 13.-15. The data of the session emptied, unless the program closes.
        if (!closing_application) {
            LogText("Calling c.ClearAllYears()");
            c.ClearAllYears();
            LogText("Calling VYCISTENI POLI");
            int32_t active = Uzivatele.AktivniUzivatel;
            Uzivatele.UpdateUser(active, [](TNUser& user) {
                user.Password.Set("");
                user.Flag1 = 0;
                user.Time.SetTimestamp(0);
            });
            InstIdConfirmed = 0;
            UserLoginStatus = 0;
        }
        LogText("Calling Uzivatele.Save()");
        if (!closing_application) {
            Uzivatele.SelectedIndex = Uzivatele.AktivniUzivatel.load();
            Uzivatele.AktivniUzivatel = -1;
        }
        SaveUserList();

        // 16. The signed-in windows go, unless the program closes anyway.
        if (!closing_application) {
            CallWindow(SessionHooks.StopZentorSeconds);
            LogText("Calling View.DeleteAllDeletableComponents()");
            CallWindow(ViewHooks.DeleteAllDeletableComponents);
            LogText("Finished View.DeleteAllDeletableComponents()");
            CallWindow(PagesHooks.DestroyCalendarComponents);
            for (const char* line :
                 {"Finished DestroyCalendarComponents_Filter()", "Finished DestroyCalendarComponents_OneDayView()",
                  "Finished DestroyCalendarComponents_WorkWeekView()", "Finished DestroyCalendarComponents_WeekView()",
                  "Finished DestroyCalendarComponents_MonthView()", "Finished DestroyCalendarComponents_QuartalView()",
                  "Finished DestroyCalendarComponents_YearView()",
                  "Finished frmMainDLMR1->DestroyCalendarComponents_OneDayView etc."})
                LogText(line);
        }

        // 17. A new sign-in starts as after construction, but for the
        // installation id, the announced version and the update.
        UpdateAccount([](TNAccount& account) { account = TNAccount(); });
        SetLoginResultText(TNString());
        SetLoginTransportReason(std::string());
        uiTags.Clear();
        LogText("Calling Setup.Clear()");
        Setup.Clear();
        UiUpdateIsRunning = 0;
        apiQueueRequests.Clear();
        UploadBackOff.Clear();
        AlertStatusBackOff.Clear();
        NewSyncWanted = 0;
        DoUploadSync = 0;
        LastSyncTime = 0;
        ArrayLimit = 0;
        SyncInterval = kDefaultSyncInterval;
        IdleStatus = 0;
        LastShownConnectionState = 0;

        // 18.-19. The session's flags reset for the next sign-in.
        LogText("[g.OdhlasUzivatele][END] Calling time(&c.LogCounter);");
        if (!closing_application) {
            ResetSessionFlags();
            c.LogCounter = plat::UnixSeconds();
        }
        SaveFinalSwitch = false;
        CallWindow(SessionHooks.SetAfterOnlineLoginTag, 0);
        return true;
    });
}

void TNGlobal::SetPortableDataFolder()
{
    Guarded("[TNGlobal::SetPortableDataFolder]", [&] {
        IsPortable = 0;
        Dirs.GoToAppDir();
        std::string program = EnteredFolderOfThread();
        std::string marker;
        if (!program.empty() && plat::ReadWholeFile(program + "portable.dat", marker) && !marker.empty() &&
            marker[0] == 1)
            IsPortable = 1;
        if (IsPortable != 0) {
            std::string users = program + "Users/";
            if (plat::CreateFolders(users) && plat::IsWritableFolder(users)) {
                EnterFolderForThread(users);
                DataRootFolder.Set(users);
            } else {
                LogWrite("[g.SetPortableDataFolder][ERROR] Cannot use ", users.c_str(), false);
                IsPortable = 0;
            }
        }
        if (IsPortable == 0) {
            TNString appData = FolderHelper.GetAppDataFolder();
            DataRootFolder.Set(appData.IsEmpty() ? std::string() : std::string(appData.View()) + "/");
        }
        if (DataRootFolder.IsEmpty()) {
            Dirs.GoToAppDir();
            DataRootFolder.Set(program);
        }
    });
}
