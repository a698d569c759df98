#include "tests/online/online_world.h"

#include "foundation/app_info.h"
#include "foundation/common.h"
#include "foundation/dirs.h"
#include "foundation/globals.h"
#include "foundation/hooks.h"
#include "foundation/log.h"
#include "foundation/record_file_set.h"
#include "foundation/users.h"
#include "model/pim.h"
#include "online/global.h"
#include "online/hooks.h"
#include "online/window_state.h"
#include "platform/core/clock.h"
#include "platform/core/codepage.h"
#include "platform/core/thread.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

namespace online_test {

test_service::Account Alice()
{
    test_service::Account alice;
    alice.UserID = kAliceID;
    alice.Password = kAlicePassword;
    alice.UserName = "alice";
    alice.Email = kAliceLogin;
    alice.FirstName = "Alice";
    alice.LastName = "Nov\xE1kov\xE1";
    alice.MainOrganizer = 501;
    return alice;
}

void OnlineWorld::SetUp()
{
    ServiceTest::SetUp();
    char pattern[] = "/tmp/online-world-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    root_ = pattern;
    setenv("XDG_DATA_HOME", (root_ + "/data").c_str(), 1);

    RebuildGlobals();

    // A visible log window that keeps every line, for the password scan.
    FoundationHooks.LogWindow = {&logWindowVisible_, &logWindowBusy_, [](const char* line) {
                                     std::lock_guard<std::mutex> guard(logWindowMutex_);
                                     logWindowLines_ += line;
                                     logWindowLines_ += '\n';
                                 }};
    loop_ = std::make_unique<plat::HeadlessMainLoop>();
    plat::SetMainLoop(loop_.get());
    accounts_.AddAccount(Alice());
}

void OnlineWorld::RebuildGlobals()
{
    // Fresh globals: g, the user list, the settings and the data set.
    DestroyGlobals();
    InstallPIMFactory();
    InstallOnlineGlobals();
    ASSERT_TRUE(ConstructGlobals());
    App.PimServersCount = 1;
    std::snprintf(App.ApiProtocol[0], sizeof(App.ApiProtocol[0]), "http");
    std::snprintf(App.ApiDomain[0], sizeof(App.ApiDomain[0]), "127.0.0.1:%u/index.php", service_.Port());
    std::snprintf(App.WebDomain[0], sizeof(App.WebDomain[0]), "127.0.0.1:%u", service_.Port());
    ASSERT_TRUE(BuildServerAddresses(App));
    ASSERT_TRUE(c.ResizePIM());
    Dirs.ProducerDirName.Set(App.DirProducer);
    Dirs.ProductDirName.Set(App.DirName);
    std::filesystem::create_directories(root_ + "/log");
    SetLogDir((root_ + "/log/").c_str());
    App.WriteLog = 1;
    g.NetBIOSName.Set("BUILDHOST");
}

void OnlineWorld::TearDown()
{
    // Jobs end before the loop and the globals go.
    EXPECT_TRUE(plat::WaitForRunningThreads(10000));
    // No form of a test password in any log or in the log window.
    const std::string logs = AllLogBytes() + LogWindowLines();
    EXPECT_EQ(FindPasswordForm(logs, kAlicePassword), "");
    FoundationHooks.LogWindow = {};
    {
        std::lock_guard<std::mutex> guard(logWindowMutex_);
        logWindowLines_.clear();
    }
    Pump();
    plat::SetMainLoop(nullptr);
    loop_.reset();
    ViewHooks = TNViewHooks{};
    MainWindowHooks = TNMainWindowHooks{};
    PagesHooks = TNPagesHooks{};
    DialogHooks = TNDialogHooks{};
    OnlineHooks = TNOnlineHooks{};
    WindowState.Reset();
    DestroyGlobals();
    ASSERT_TRUE(ConstructGlobals());
    std::error_code ignored;
    std::filesystem::remove_all(root_, ignored);
    ServiceTest::TearDown();
}

void OnlineWorld::Pump()
{
    while (loop_->RunPendingTasks() > 0) {
    }
}

bool OnlineWorld::PumpUntil(const std::function<bool()>& done, int timeoutMs)
{
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        if (loop_->RunPendingTasks() == 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

void OnlineWorld::MakeActiveUser(uint32_t userId, const char* login, const char* password)
{
    TNString typed(login);
    TNString name(login);
    TNString pass(password);
    int32_t index = Uzivatele.AddOrUpdate(&typed, &name, userId, 1, &pass);
    ASSERT_GE(index, 0);
    Uzivatele.AktivniUzivatel = index;
    App.raFileAllPIM = raf.AddFile();
}

std::string OnlineWorld::AllLogBytes() const
{
    std::string bytes;
    for (const auto& entry : std::filesystem::directory_iterator(root_ + "/log")) {
        std::ifstream in(entry.path(), std::ios::binary);
        std::ostringstream content;
        content << in.rdbuf();
        bytes += content.str();
    }
    return bytes;
}

std::string OnlineWorld::LogWindowLines() const
{
    std::lock_guard<std::mutex> guard(logWindowMutex_);
    return logWindowLines_;
}

int OnlineWorld::LogLinesContaining(const std::string& text) const
{
    std::string wanted = plat::Cp1250ToUtf8(text);
    std::istringstream lines(AllLogBytes());
    int count = 0;
    for (std::string line; std::getline(lines, line);)
        count += line.find(wanted) != std::string::npos ? 1 : 0;
    return count;
}

std::string OnlineWorld::UsersFile() const
{
    return root_ + "/data/" + std::string(App.DirProducer) + "/" + TNUsers::kFileName;
}

} // namespace online_test
