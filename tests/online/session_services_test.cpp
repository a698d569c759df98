#include "foundation/app_info.h"
#include "foundation/dirs.h"
#include "foundation/globals.h"
#include "foundation/hooks.h"
#include "foundation/setup.h"
#include "model/record.h"
#include "online/global.h"
#include "online/hooks.h"
#include "online/online_steps.h"
#include "platform/core/autostart.h"
#include "platform/core/codepage.h"
#include "platform/core/paths.h"
#include "tests/online/online_world.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace online_test {
namespace {

std::vector<std::string>* barCalls = nullptr;

class SessionServicesTest : public OnlineWorld {
protected:
    void SetUp() override
    {
        OnlineWorld::SetUp();
        barCalls = &calls_;
        ViewHooks.SetStatusBarGradient = [](int32_t item, uint32_t from, uint32_t to) {
            barCalls->push_back("gradient " + std::to_string(item) + " " + std::to_string(from) + " " +
                                std::to_string(to));
        };
        ViewHooks.SetStatusBarHint = [](int32_t item, const char* hint) {
            barCalls->push_back("hint " + std::to_string(item) + " " + hint);
        };
        ViewHooks.SetStatusBarText = [](int32_t item, const char* text) {
            barCalls->push_back("text " + std::to_string(item) + " " + text);
        };
        ViewHooks.ResizeMainStatusBar = [] { barCalls->push_back("resize"); };
        MainWindowHooks.ArmHintTimer = [](int32_t tag, int32_t interval) {
            barCalls->push_back("hinttimer " + std::to_string(tag) + " " + std::to_string(interval));
        };
    }
    void TearDown() override
    {
        FoundationHooks.IdleSeconds = nullptr;
        App.IsDev = 0;
        OnlineWorld::TearDown();
        barCalls = nullptr;
    }
    std::vector<std::string> TakeCalls()
    {
        Pump();
        std::vector<std::string> taken;
        taken.swap(calls_);
        return taken;
    }
    void UseApiProtocol(const char* protocol)
    {
        std::snprintf(App.ApiProtocol[0], sizeof(App.ApiProtocol[0]), "%s", protocol);
        ASSERT_TRUE(BuildServerAddresses(App));
    }

    std::vector<std::string> calls_;
};

bool Contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

TEST_F(SessionServicesTest, ConnectionTextIsSecureOnlyOverHttps)
{
    g.Online = 0;
    g.UpdateConnectionStatusText(1, 1, 0);
    std::vector<std::string> calls = TakeCalls();
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0], "gradient 0 65280 32768");
    EXPECT_TRUE(Contains(calls[1], "nešifrovaným kanálem"));
    EXPECT_TRUE(Contains(calls[1], App.WebDomainText));
    EXPECT_EQ(g.Online, 1);

    // The same state again: the hint alone.
    g.UpdateConnectionStatusText(1, 1, 0);
    calls = TakeCalls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].substr(0, 6), "hint 0");

    UseApiProtocol("https");
    g.UpdateConnectionStatusText(1, 1, 1);
    calls = TakeCalls();
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_TRUE(Contains(calls[1], "zabezpečeným kanálem"));

    g.UpdateConnectionStatusText(-1, 1, 0);
    calls = TakeCalls();
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0], "gradient 0 255 128");
    EXPECT_TRUE(Contains(calls[1], "Aplikace není připojena k serveru\nJste připojeni k internetu?\nPoslední pokus"));
    EXPECT_EQ(g.Online, 0);
}

TEST_F(SessionServicesTest, TheVersionPanelChangesOnlyWithTheVersionOrWhenForced)
{
    const int32_t major = App.VersionMajor;
    const int32_t minor = App.VersionMinor;
    App.VersionMajor = 3;
    App.VersionMinor = 7;
    g.ShownVersionMajor = -1;
    g.UpdateStatusBarVersion(false);
    EXPECT_EQ(TakeCalls(), (std::vector<std::string>{"text 1 3.07", "resize"}));
    g.UpdateStatusBarVersion(false);
    EXPECT_TRUE(TakeCalls().empty()) << "the same version is not shown again";
    g.UpdateStatusBarVersion(true);
    EXPECT_EQ(TakeCalls().size(), 2u);
    App.VersionMinor = 12;
    g.UpdateStatusBarVersion(false);
    EXPECT_EQ(TakeCalls(), (std::vector<std::string>{"text 1 3.12", "resize"}));
    App.VersionMajor = major;
    App.VersionMinor = minor;
}

uint32_t idleSeconds = 0;

TEST_F(SessionServicesTest, IdleStatusByIdleSeconds)
{
    FoundationHooks.IdleSeconds = [] { return idleSeconds; };
    struct Case {
        int32_t Dev;
        uint32_t Idle;
        int32_t Status;
    } cases[] = {
        {0, 0, 1}, {0, 119, 1}, {0, 120, 2}, {0, 599, 2}, {0, 600, 3}, {1, 14, 1}, {1, 15, 2}, {1, 299, 2}, {1, 300, 3},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(std::to_string(row.Dev) + " " + std::to_string(row.Idle));
        App.IsDev = row.Dev;
        idleSeconds = row.Idle;
        EXPECT_EQ(g.GetUserIdleStatus(), row.Status);
        EXPECT_EQ(g.IdleSeconds, static_cast<int32_t>(row.Idle));
    }
    EXPECT_EQ(g.uiTags.Count(), 0);
}

TEST_F(SessionServicesTest, IdleWithAPendingUpdateClosesForIt)
{
    FoundationHooks.IdleSeconds = [] { return idleSeconds; };
    idleSeconds = 0;
    auto record = std::make_shared<TNPIMRecord>();
    g.SetNotifyConstantlyRecord(record);
    online::onlineGetIdleStatus();
    EXPECT_EQ(TakeCalls(), (std::vector<std::string>{"hinttimer 0 2500"}));

    g.UpdatePending = 1;
    idleSeconds = 130;
    online::onlineGetIdleStatus();
    int16_t tag = 0;
    uint32_t param = 0;
    ASSERT_TRUE(g.uiTags.Take(&tag, &param));
    EXPECT_EQ(tag, __uiCloseApplication);
    EXPECT_EQ(App.UpdateReady, 1);
    App.UpdateReady = 0;
    // No change of status: nothing more.
    online::onlineGetIdleStatus();
    EXPECT_EQ(g.uiTags.Count(), 0);
}

TEST_F(SessionServicesTest, AutorunWritesAndRemovesTheEntry)
{
    setenv("XDG_CONFIG_HOME", (Root() + "/config").c_str(), 1);
    std::snprintf(App.ApplicationName, sizeof(App.ApplicationName), "Dalmora");
    std::snprintf(App.VendorPrefix, sizeof(App.VendorPrefix), "Firma");
    std::string plain = Root() + "/config/autostart/Dalmora.desktop";
    std::string prefixed = Root() + "/config/autostart/Firma-Dalmora.desktop";

    ASSERT_TRUE(g.SetAutorun(1, 0));
    ASSERT_TRUE(std::filesystem::exists(plain));
    std::ifstream in(plain);
    std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_TRUE(Contains(content, "Exec=\"" + plat::ProgramFile() + "\" -autorun\n"));
    ASSERT_TRUE(g.SetAutorun(1, 1));
    EXPECT_TRUE(std::filesystem::exists(prefixed));
    ASSERT_TRUE(g.SetAutorun(0, 1));
    EXPECT_FALSE(std::filesystem::exists(prefixed));

    // A prefix of three characters or less is left out.
    std::snprintf(App.VendorPrefix, sizeof(App.VendorPrefix), "Abc");
    ASSERT_TRUE(g.SetAutorun(0, 1));
    EXPECT_FALSE(std::filesystem::exists(plain));
    unsetenv("XDG_CONFIG_HOME");
}

TEST_F(SessionServicesTest, PortableMarkerChoosesTheDataRoot)
{
    std::string program = Root() + "/program/";
    std::filesystem::create_directories(program);
    std::string saved(Dirs.AppDir.View());
    Dirs.AppDir.Set(program);
    std::string appData = plat::AppDataFolder();
    struct Case {
        const char* Name;
        const char* Bytes;
        size_t Size;
        bool Present;
        bool Portable;
    } cases[] = {
        {"first byte 1", "\x01\x00", 2, true, true},
        {"first byte 0", "\x00", 1, true, false},
        {"first byte 2", "\x02", 1, true, false},
        {"empty", "", 0, true, false},
        {"missing", "", 0, false, false},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.Name);
        std::filesystem::remove(program + "portable.dat");
        if (row.Present)
            std::ofstream(program + "portable.dat", std::ios::binary).write(row.Bytes, row.Size);
        TNGlobal::SetPortableDataFolder();
        EXPECT_EQ(IsPortable, row.Portable ? 1 : 0);
        EXPECT_EQ(std::string(DataRootFolder.View()), row.Portable ? program + "Users/" : appData);
    }

    // A program folder nobody may write in: the application data, and a log line.
    if (geteuid() != 0) {
        std::filesystem::remove_all(program + "Users");
        std::ofstream(program + "portable.dat", std::ios::binary).write("\x01", 1);
        ASSERT_EQ(chmod(program.c_str(), 0500), 0);
        TNGlobal::SetPortableDataFolder();
        chmod(program.c_str(), 0700);
        EXPECT_EQ(IsPortable, 0);
        EXPECT_EQ(std::string(DataRootFolder.View()), appData);
        EXPECT_EQ(LogLinesContaining("[g.SetPortableDataFolder][ERROR] Cannot use "), 1);
    }
    Dirs.AppDir.Set(saved);
    IsPortable = 0;
}

} // namespace
} // namespace online_test
