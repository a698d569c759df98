// Runs under Xvfb (CTest label "xvfb"): tools/run-dalmora's demo path as a
// new user meets it. The script starts its demo service and writes the server
// file; the login and password it prints are typed into the login page with
// the keyboard; the demo's alert due a minute after the start opens its
// window; and when dalmora1 ends, nothing the script started is left.
//
// The script runs the programs as built, from a build folder of the test's
// own: a copy of dalmora1 with logging switched on (so its steps can be
// waited for), its pictures and sounds, and the test service.
#include "tests/app/screen_driver.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

using namespace real_program;
using SteadyClock = std::chrono::steady_clock;

// Where the login page's edits lie in its window (the panel fills the
// client area from its top left corner; Xvfb draws no frame).
constexpr int kLoginEditX = 27 + 100;
constexpr int kLoginEditY = 346 + 11;
constexpr int kPasswordEditX = 27 + 100;
constexpr int kPasswordEditY = 394 + 10;
// An alert's window keeps this far from the screen's right edge.
constexpr int kAlertRightMargin = 20;

constexpr const char* kLoginPageShown = "[TfrmMainDLMR1::ShowLoginForm][END]";
constexpr const char* kHomePage = "gDesk->ActivePage = Homepage";
constexpr const char* kAlertShownFrom = "[frmNotDLMR1[";
constexpr const char* kAlertShownTo = "]][BringToFront]";

// The children of `parent` now, read from /proc.
std::vector<pid_t> ChildrenOf(pid_t parent)
{
    std::vector<pid_t> children;
    DIR* proc = opendir("/proc");
    if (proc == nullptr)
        return children;
    while (dirent* entry = readdir(proc)) {
        const pid_t pid = static_cast<pid_t>(std::atoi(entry->d_name));
        if (pid <= 0)
            continue;
        std::ifstream stat(std::string("/proc/") + entry->d_name + "/stat");
        std::string line;
        if (!std::getline(stat, line))
            continue;
        // "pid (name) state ppid ...": the name may hold spaces and brackets.
        const size_t close = line.rfind(')');
        if (close == std::string::npos)
            continue;
        std::istringstream rest(line.substr(close + 1));
        char state = 0;
        pid_t ppid = 0;
        if (rest >> state >> ppid && ppid == parent)
            children.push_back(pid);
    }
    closedir(proc);
    return children;
}

// The process still exists (a zombie not yet reaped counts as gone).
bool IsAlive(pid_t pid)
{
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    if (!std::getline(stat, line))
        return false;
    const size_t close = line.rfind(')');
    return close != std::string::npos && line.size() > close + 2 && line[close + 2] != 'Z';
}

// The name of the running program, as /proc shows it.
std::string CommandName(pid_t pid)
{
    std::ifstream comm("/proc/" + std::to_string(pid) + "/comm");
    std::string name;
    std::getline(comm, name);
    return name;
}

class RunCommandOnScreen : public KillerFixture {
protected:
    void SetUp() override
    {
        const char* display = std::getenv("DISPLAY");
        if (display == nullptr || *display == '\0')
            GTEST_SKIP() << "no X11 display";
        const std::string shown = display;
        KillerFixture::SetUp();
        // The private environment hides the display; the program shows on it.
        setenv("DISPLAY", shown.c_str(), 1);
        setenv("QT_QPA_PLATFORM", "xcb", 1);

        // The build folder the script runs from, laid out as a build's.
        const std::filesystem::path built = std::filesystem::path(DALMORA_PROGRAM).parent_path();
        const std::string build = root_ + "build/";
        Install(DALMORA_PROGRAM, "dalmora1", build + "app/");
        ASSERT_TRUE(plat::WriteFileAtomically(build + "app/development-version.txt", "01"));
        for (const char* folder : {"images", "Sounds"}) {
            std::error_code error;
            std::filesystem::create_directory_symlink(built / folder, build + "app/" + folder, error);
            ASSERT_FALSE(error) << folder << ": " << error.message();
        }
        ASSERT_TRUE(plat::CreateFolders(build + "tests/service/"));
        std::error_code error;
        std::filesystem::create_symlink(DALMORA_TEST_SERVICE, build + "tests/service/dalmora-test-service", error);
        ASSERT_FALSE(error) << error.message();

        setenv("DALMORA_RUN_NO_BUILD", "1", 1);
        setenv("DALMORA_RUN_BUILD", build.c_str(), 1);
        setenv("DALMORA_RUN_FOLDER", (root_ + "demo").c_str(), 1);
    }

    void TearDown() override
    {
        // Whatever the script started and a failed test left running.
        for (const pid_t pid : started_) {
            if (IsAlive(pid))
                kill(pid, SIGKILL);
        }
        for (const char* name : {"DALMORA_RUN_NO_BUILD", "DALMORA_RUN_BUILD", "DALMORA_RUN_FOLDER"})
            unsetenv(name);
        KillerFixture::TearDown();
    }

    // Notes the script's children so far; the pid of the one named `name`
    // (0 without one).
    pid_t NoteChildren(const testenv::Child& script, const std::string& name)
    {
        pid_t found = 0;
        for (const pid_t pid : ChildrenOf(script.Pid())) {
            started_.insert(pid);
            if (CommandName(pid) == name)
                found = pid;
        }
        return found;
    }

    // The log of the run's dalmora1: the demo keeps its data, and the log
    // with it, in the run folder.
    std::string RunLog() const
    {
        const std::string folder = root_ + "demo/data/Dalmora/";
        std::vector<std::string> names;
        if (DIR* dir = opendir(folder.c_str())) {
            while (dirent* entry = readdir(dir)) {
                if (std::string(entry->d_name).rfind("log-", 0) == 0)
                    names.push_back(entry->d_name);
            }
            closedir(dir);
        }
        std::sort(names.begin(), names.end());
        std::string all;
        for (const std::string& name : names) {
            std::string text;
            if (plat::ReadWholeFile(folder + name, text))
                all += text;
        }
        return all;
    }

    bool WaitForRunLog(const std::string& needle, int ms)
    {
        return testenv::WaitUntil([&] { return RunLog().find(needle) != std::string::npos; }, ms);
    }

    std::set<pid_t> started_;
};

TEST_F(RunCommandOnScreen, TheDemoSignsInWithThePrintedLoginAndItsFirstAlertOpensItsWindow)
{
    testenv::Child script;
    const auto start = SteadyClock::now();
    ASSERT_TRUE(script.Spawn({"/bin/bash", DALMORA_RUN_COMMAND}));
    std::string serviceLine;
    std::string accountLine;
    ASSERT_TRUE(script.ReadUntilPrefix("Demo service: http://", serviceLine));
    ASSERT_TRUE(script.ReadUntilPrefix("Demo account: login ", accountLine));
    const pid_t service = NoteChildren(script, "dalmora-test-se");
    ASSERT_NE(service, 0) << "the demo service is not the script's";
    // "Demo service: http://127.0.0.1:PORT (controls: ...)"
    const std::string shown = serviceLine.substr(std::strlen("Demo service: "));
    const std::string controls = shown.substr(0, shown.find(' ')) + "/__test/connections";
    ASSERT_NE(Get(controls), "") << "the printed service does not answer";

    // "Demo account: login alice, password demo-heslo"
    const std::string account = accountLine.substr(std::string("Demo account: login ").size());
    const std::string login = account.substr(0, account.find(','));
    const std::string password = account.substr(account.find("password ") + 9);
    ASSERT_FALSE(login.empty());
    ASSERT_FALSE(password.empty());

    // The login page shows; a click into an edit gives it the keyboard.
    pid_t program = 0;
    ASSERT_TRUE(testenv::WaitUntil([&] { return (program = NoteChildren(script, "dalmora1")) != 0; }, 10000));
    ASSERT_TRUE(WaitForRunLog(kLoginPageShown, 30000)) << RunLog();
    ScreenWindow page;
    ASSERT_TRUE(testenv::WaitUntil(
        [&] {
            for (const ScreenWindow& window : VisibleWindowsOf(program)) {
                if (window.area.Left >= 0 && window.area.Top >= 0 && window.area.Width() >= 280 &&
                    window.area.Height() >= 580)
                    page = window;
            }
            return page.id != 0;
        },
        10000))
        << "no login page on the screen";
    ASSERT_TRUE(FocusWindow(page.id));

    // The login edit starts with "@": all of it is replaced.
    ASSERT_TRUE(ClickAt(page.area.Left + kLoginEditX, page.area.Top + kLoginEditY));
    ASSERT_TRUE(PressKeys("ctrl+a"));
    ASSERT_TRUE(TypeText(login));
    ASSERT_TRUE(ClickAt(page.area.Left + kPasswordEditX, page.area.Top + kPasswordEditY));
    ASSERT_TRUE(PressKeys("ctrl+a"));
    ASSERT_TRUE(TypeText(password));
    ASSERT_TRUE(PressKeys("Return"));

    ASSERT_TRUE(WaitForRunLog(kHomePage, 60000)) << "the printed login did not sign in\n" << RunLog();
    EXPECT_NE(RunLog().find("ApiReq=login&"), std::string::npos);
    EXPECT_NE(RunLog().find("&Username=" + login + "&"), std::string::npos) << "not the typed login";
    EXPECT_EQ(Count(RunLog(), "[TNWindowCalls][NO_WINDOW]"), 0);

    // The first demo alert falls due a minute after the service started;
    // the next one only four minutes later.
    const int left =
        120000 -
        static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(SteadyClock::now() - start).count());
    ASSERT_TRUE(testenv::WaitUntil(
        [&] {
            const std::string log = RunLog();
            const size_t at = log.find(kAlertShownFrom);
            return at != std::string::npos && log.find(kAlertShownTo, at) != std::string::npos;
        },
        std::max(left, 1)))
        << "no alert window within two minutes of the start\n"
        << RunLog();
    const auto shownAfter = std::chrono::duration_cast<std::chrono::seconds>(SteadyClock::now() - start).count();
    RecordProperty("AlertShownAfterSeconds", static_cast<int>(shownAfter));

    // The window shows on the screen, at its right edge.
    std::istringstream geometry(Xdotool({"getdisplaygeometry"}).value_or(""));
    int screenWidth = 0;
    int screenHeight = 0;
    ASSERT_TRUE(geometry >> screenWidth >> screenHeight);
    ScreenWindow alert;
    EXPECT_TRUE(testenv::WaitUntil(
        [&] {
            for (const ScreenWindow& window : VisibleWindowsOf(program)) {
                if (window.id != page.id && window.area.Right == screenWidth - kAlertRightMargin &&
                    window.area.Top >= 0 && window.area.Bottom <= screenHeight && window.area.Height() > 0)
                    alert = window;
            }
            return alert.id != 0;
        },
        10000))
        << "the alert's window is not on the screen";

    // dalmora1 ends; the script ends with it and stops its service.
    ASSERT_EQ(kill(program, SIGTERM), 0);
    int status = -1;
    ASSERT_TRUE(script.Wait(status, 15000)) << "the script outlived dalmora1";
    EXPECT_TRUE(ExitedWithZero(status)) << status;
    for (const pid_t pid : started_)
        EXPECT_TRUE(testenv::WaitUntil([&] { return !IsAlive(pid); }, 5000)) << "left running: " << CommandName(pid);
    EXPECT_FALSE(IsAlive(service));
    EXPECT_EQ(Get(controls), "") << "the printed service still answers";
}

} // namespace
