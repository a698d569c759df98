#pragma once

#include <functional>
#include <string>
#include <vector>

// The program's start: the command line, the development file, the
// single-instance guard, the windows and the message loop. `main` builds the
// global objects, calls WinMain and destroys them again.

// What the entry function needs of the windows: the application object and
// its three windows, created in this order, and the message loop.
class TNProgramWindows {
public:
    virtual ~TNProgramWindows() = default;
    // Initialises the application object and sets its title.
    virtual void InitializeApplication(const char* title) = 0;
    virtual void CreateMainWindow() = 0;
    virtual void CreateLogWindow() = 0;
    virtual void CreateTimePicker() = 0;
    // Runs the message loop until the application ends.
    virtual void Run() = 0;
};

// Starts a scheduled task by name (RunScheduledTask in the program).
using TNTaskStarter = std::function<void(const std::string& name)>;

// Message a second copy sends to the running copy's windows (WM_USER+101):
// restore the main window.
constexpr unsigned kRestoreMainWindowMessage = 1125;
// The universal dialog's window class.
inline constexpr const char* kUniversalDialogClass = "TfrmUnidlgDLMR1";
// How long a second copy waits for each window's answer.
constexpr int kRestoreAnswerTimeoutMs = 5000;

// The status of a run that ended because its users folder cannot be written.
constexpr int kExitUsersFolderUnusable = 2;

// The entry function. `arguments` is the whole command line, the program
// first. Returns 0, or kExitUsersFolderUnusable when the first copy cannot
// write in its users folder: it says so on standard error and in a message
// box naming the folder, and creates no window.
int WinMain(const std::vector<std::string>& arguments, TNProgramWindows& windows, const TNTaskStarter& startTask);

// The name of the single-instance lock: "<DirName>_<user>", in development
// mode "<DirName>DEBUG_<user>".
std::string InstanceLockName(const std::string& userName);

// The program folder, ending with '/'; empty when it cannot be worked out.
// The development, configuration and task files lie in it.
std::string GetProgramFolder();
// Test seam: a folder that stands in for the program folder; empty restores
// the real one.
void SetProgramFolderForTest(const std::string& folder);
