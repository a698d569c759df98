#include "foundation/program_start.h"

#include "foundation/app_info.h"
#include "foundation/common.h"
#include "foundation/dev_version.h"
#include "foundation/dirs.h"
#include "foundation/globals.h"
#include "foundation/hooks.h"
#include "foundation/task_files.h"
#include "platform/core/bus_client.h"
#include "platform/core/clock.h"
#include "platform/core/codepage.h"
#include "platform/core/identity.h"
#include "platform/core/instance_lock.h"
#include "platform/core/paths.h"

#include <cstdio>
#include <cstring>
#include <mutex>

namespace {

constexpr int64_t kRestartPauseMs = 3000;

constexpr const char* kUnusableUsersFolderText = "Do složky s daty nelze zapisovat: ";
constexpr const char* kUnusableUsersFolderEnd =
    "\nNic z toho, co v programu uděláte, by se neuložilo, a proto se program ukončí.";

std::mutex folderOverrideMutex;
std::string folderOverride;

// Development copies keep their data in folders of their own. The suffix
// always fits: a long name gives way to it rather than lose it.
void AppendDebugToProducer(TNAppInfo& app)
{
    constexpr const char* kSuffix = "DEBUG";
    size_t capacity = sizeof(app.DirProducer) - 1 - std::strlen(kSuffix);
    size_t length = std::strlen(app.DirProducer);
    if (length > capacity)
        length = capacity;
    std::memcpy(app.DirProducer + length, kSuffix, std::strlen(kSuffix) + 1);
}

// Message 1125 to every window of the running copy of one class, topmost
// first. A window that does not answer within the time-out is passed over.
void RestoreWindowsOfClass(const char* className)
{
    plat::SendToClass(className, kRestoreMainWindowMessage, 0, 0, kRestoreAnswerTimeoutMs);
}

// The users folder the main window will enter, with the names App ended up
// with; false when nothing the user does could be saved there.
bool UsersFolderIsWritable(std::string& folder)
{
    Dirs.ProducerDirName.Set(App.DirProducer);
    Dirs.ProductDirName.Set(App.DirName);
    return Dirs.UsersDirIsWritable(IsPortable != 0, folder);
}

void ReportUnusableUsersFolder(const std::string& folder)
{
    const std::string text = std::string(kUnusableUsersFolderText) + folder + kUnusableUsersFolderEnd;
    // Paths are bytes of the file system, never converted; only the text is.
    std::fprintf(stderr, "dalmora1: %s%s%s\n", plat::Cp1250ToUtf8(kUnusableUsersFolderText).c_str(), folder.c_str(),
                 plat::Cp1250ToUtf8(kUnusableUsersFolderEnd).c_str());
    ShowMessageBox(text.c_str(), "CHYBA", mbOk | mbIconError);
}

int RunFirstCopy(TNProgramWindows& windows)
{
    // An exception that escapes the windows or the loop ends the run
    // without a message; the lock is released all the same.
    try {
        windows.InitializeApplication("Dalmora");
        windows.CreateMainWindow();
        windows.CreateLogWindow();
        windows.CreateTimePicker();
        windows.Run();
    } catch (...) {
    }
    return 0;
}

} // namespace

std::string GetProgramFolder()
{
    {
        std::lock_guard<std::mutex> guard(folderOverrideMutex);
        if (!folderOverride.empty())
            return folderOverride;
    }
    std::string folder = plat::ProgramFolder();
    return !folder.empty() && folder[0] == '/' ? folder : std::string();
}

void SetProgramFolderForTest(const std::string& folder)
{
    std::lock_guard<std::mutex> guard(folderOverrideMutex);
    folderOverride = folder;
}

std::string InstanceLockName(const std::string& userName)
{
    return std::string(App.DirName) + (App.IsDev ? "DEBUG_" : "_") + userName;
}

int WinMain(const std::vector<std::string>& arguments, TNProgramWindows& windows, const TNTaskStarter& startTask)
{
    // 1. The program folder.
    std::string folder = GetProgramFolder();

    // 2. First pass: task files, or the pause of a restarted copy.
    for (size_t i = 1; i < arguments.size(); ++i) {
        if (arguments[i] == "-schtasks") {
            WriteTaskFiles(folder);
            return 0;
        }
        if (arguments[i] == "restart")
            plat::SleepMilliseconds(kRestartPauseMs);
    }

    // 3. The development file fills App again, configuration files included.
    TNDevelopmentFile development = ReadDevelopmentFile(folder);
    if (development.Found)
        InitAppInfo(App, development.Value, development.Logging);
    c.ResizePIM();

    // 4. Second pass: the run's flags.
    for (size_t i = 1; i < arguments.size(); ++i) {
        if (arguments[i] == "-autorun")
            App.IsAutorun = 1;
        else if (arguments[i] == "-restore")
            App.IsRestore = 1;
        else if (arguments[i] == "-update")
            App.IsUpdate = 1;
    }

    // 5-6. The user and the lock's name; development data apart.
    std::string lockName = InstanceLockName(plat::LoginName());
    if (App.IsDev)
        AppendDebugToProducer(App);

    // 7. The first copy. A lock that cannot be taken at all leaves the run
    // as the first copy.
    plat::InstanceLock lock;
    if (lock.Acquire(lockName) != plat::InstanceLock::Result::AlreadyHeld) {
        std::string usersFolder;
        if (!UsersFolderIsWritable(usersFolder)) {
            ReportUnusableUsersFolder(usersFolder);
            return kExitUsersFolderUnusable;
        }
        RunFirstCopy(windows);
        lock.Release();
        if (App.UpdateReady && startTask)
            startTask(kUpdateTaskName);
        return 0;
    }

    // 8. A second copy asks the running one to show itself and ends.
    RestoreWindowsOfClass(App.MainWindowClass);
    RestoreWindowsOfClass(kUniversalDialogClass);
    if (!App.IsRestore && startTask)
        startTask(kRestoreTaskName);
    return 0;
}
