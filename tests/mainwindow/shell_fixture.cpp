#include "tests/mainwindow/shell_fixture.h"

#include "foundation/app_info.h"
#include "foundation/common.h"
#include "foundation/globals.h"
#include "foundation/log.h"
#include "foundation/users.h"
#include "online/global.h"
#include "online/window_state.h"
#include "platform/core/codepage.h"
#include "platform/core/thread.h"
#include "platform/gui/gui_main_loop.h"
#include "platform/gui/notebook.h"
#include "platform/gui/panel.h"
#include "platform/gui/screen.h"
#include "platform/gui/timer.h"
#include "view/hooks.h"
#include "view/view.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace shell_test {

int ShellTest::picturesJobs = 0;
void (*ShellTest::windowPicturesJob)() = nullptr;

namespace {

plat::GuiMainLoop* guiLoop = nullptr;

// The program's globals once per process, View joined to them.
void GlobalsOnce()
{
    static model_test::Environment* environment = [] {
        InstallOnlineGlobals();
        InstallViewGlobals();
        InstallViewHooks();
        return new model_test::Environment();
    }();
    (void)environment;
    // Posted window calls run on the GUI's loop, as in the program.
    if (guiLoop == nullptr) {
        guiLoop = new plat::GuiMainLoop();
        plat::SetMainLoop(guiLoop);
    }
}

} // namespace

plat::MainLoop& ShellTest::Loop()
{
    GlobalsOnce();
    return *guiLoop;
}

int PageRecorder::Count(const std::string& name) const
{
    return static_cast<int>(std::count(Calls.begin(), Calls.end(), name));
}

void PageRecorder::Note(const std::string& name)
{
    if (std::this_thread::get_id() != thread_)
        CalledOffItsThread = true;
    Calls.push_back(name);
    if (DuringCall)
        DuringCall(name);
    if (!ThrowOn.empty() && name == ThrowOn)
        throw std::runtime_error("page callback failed: " + name);
}

void PageRecorder::Create(const std::string& name)
{
    Note(name);
    if (DuringCreate)
        DuringCreate();
}

void ShellTest::SetUp()
{
    OffscreenGuiTest::SetUp();
    UseFixedMetrics();
    GlobalsOnce();
    for (const char* variable : {"HOME", "XDG_DATA_HOME", "XDG_CONFIG_HOME"})
        setenv(variable, home_.Path().c_str(), 1);
    logFolder_ = home_.Path() + "log/";
    std::filesystem::create_directories(logFolder_);
    App.IsDev = 1;
    App.IsAutorun = 0;
    App.IsUpdate = 0;
    App.WriteLog = 1;
    SetLogMutexName("shell-test-log");
    g.Close = 0;
    g.runningLogin = false;
    g.GeometryRestoredOnce = false;
    g.OnlineTimerTag = 0;
    c.ExitAllowed = 0;
    App.IsAutorun = 0;
    // Nothing leaves the machine: the service's address refuses at once, and
    // the empty login page's report counts as sent.
    PointServiceAt("127.0.0.1:1");
    g.emptyLoginWindowStatsSent = 1;
    g.StartPageWanted = 1;
    g.LoginInProgress = 0;
    Uzivatele.Resize(0);
    Uzivatele.AktivniUzivatel = -1;
    Uzivatele.SelectedIndex = -1;
    c.RealExit = 0;
    DestroyViewGlobals();
    ConstructViewGlobals();
    WindowState.Reset();

    plat::ScreenGeometry screen;
    screen.width = screen.desktopWidth = 1280;
    screen.height = screen.desktopHeight = 1024;
    screen.workArea = plat::TRect{0, 30, 1280, 1024};
    plat::Screen::SetOverride(screen);
    timers_ = std::make_unique<plat::testing::ManualTimers>();
    boxes_ = std::make_unique<plat::testing::MessageBoxResponder>();
    menus_ = std::make_unique<plat::testing::MenuRecorder>();
    picturesJobs = 0;
    MakeMainWindow();
}

void ShellTest::TearDown()
{
    // Jobs and workers the test started end before the window goes.
    EXPECT_TRUE(plat::WaitForRunningThreads(10000));
    main_.reset();
    ViewMainHooks.StartPicturesJob = nullptr;
    plat::Application::SetMainForm(nullptr);
    menus_.reset();
    boxes_.reset();
    timers_.reset();
    plat::Screen::ClearOverride();
    DestroyViewGlobals();
    ConstructViewGlobals();
    App.WriteLog = 0;
    OffscreenGuiTest::TearDown();
}

void ShellTest::MakeMainWindow()
{
    auto pages = std::make_unique<PageRecorder>();
    PageRecorder* recorder = pages.get();
    MakeMainWindow(std::move(pages));
    pages_ = recorder;
}

void ShellTest::MakeMainWindow(std::unique_ptr<TNPageServices> pages)
{
    main_.reset();
    pages_ = nullptr;
    main_.reset(new TfrmMainDLMR1(nullptr, std::move(pages)));
    plat::Application::SetMainForm(main_.get());
    // Refreshes count their pictures jobs; the window's own starter stays at
    // hand for the test that runs it.
    windowPicturesJob = ViewMainHooks.StartPicturesJob;
    ViewMainHooks.StartPicturesJob = [] { ++picturesJobs; };
    // The login page arms the first online pass; the shell's tests start
    // passes only where they say so.
    Main().timerOnline->SetEnabled(false);
    // The constructor logs into the users folder; the rest goes here.
    SetLogDir(logFolder_.c_str());
}

void ShellTest::Settle()
{
    timers_->Advance(1000);
    if (pages_ != nullptr)
        Pages().Calls.clear();
}

int32_t ShellTest::RememberAccount(const char* login, const char* password, bool automatic, bool active,
                                   uint32_t userId)
{
    TNString typed(login);
    TNString name(login);
    TNString pass(password);
    const int32_t index = Uzivatele.AddOrUpdate(&typed, &name, userId, automatic ? 1 : 0, &pass);
    if (active)
        Uzivatele.AktivniUzivatel = index;
    EXPECT_TRUE(Uzivatele.Save(TNGlobal::EnterUsersFolder()));
    return index;
}

void PointServiceAt(const std::string& hostAndPort)
{
    App.PimServersCount = 1;
    std::snprintf(App.ApiProtocol[0], sizeof(App.ApiProtocol[0]), "http");
    std::snprintf(App.ApiDomain[0], sizeof(App.ApiDomain[0]), "%s/index.php", hostAndPort.c_str());
    std::snprintf(App.WebDomain[0], sizeof(App.WebDomain[0]), "%s", hostAndPort.c_str());
    std::snprintf(App.WebProtocol[0], sizeof(App.WebProtocol[0]), "http");
    BuildServerAddresses(App);
}

void ShellTest::SignIn(int width)
{
    Main().signedIn = 1;
    Main().SetBounds(0, 0, width, 739);
    Main().CreateControlComponents(Main().pControl);
    Main().Show();
    Main().ClickOnControlButton("btnControlHomepage");
    if (pages_ != nullptr)
        Pages().Calls.clear();
}

void ShellTest::Click(int32_t id)
{
    const char* names[] = {"btnControlHomepage", "btnControlCalendar", "btnControlTasks",
                           "btnControlNotes",    "btnControlPages",    "btnControlSearch"};
    const int32_t ids[] = {1, 2, 3, 4, 7, 88};
    for (int i = 0; i < 6; ++i) {
        if (ids[i] == id)
            Main().ClickOnControlButton(names[i]);
    }
}

std::string ShellTest::LogText() const
{
    std::string all;
    for (const auto& entry : std::filesystem::directory_iterator(logFolder_)) {
        std::ifstream in(entry.path());
        all.append(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    return all;
}

int ShellTest::LogCount(const char* text) const
{
    const std::string wanted = plat::Cp1250ToUtf8(text);
    const std::string all = LogText();
    int count = 0;
    for (size_t at = all.find(wanted); at != std::string::npos; at = all.find(wanted, at + 1))
        ++count;
    return count;
}

} // namespace shell_test
