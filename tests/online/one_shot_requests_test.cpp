#include "foundation/app_info.h"
#include "foundation/hooks.h"
#include "foundation/setup.h"
#include "online/global.h"
#include "online/headless_host.h"
#include "online/hooks.h"
#include "online/online_steps.h"
#include "online/session_hooks.h"
#include "platform/core/shell_open.h"
#include "platform/core/thread.h"
#include "tests/online/online_world.h"
#include "tests/service/one_shot_routes.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace online_test {
namespace {

// What the windows were told, and on which thread.
struct Seen {
    std::mutex Mutex;
    std::vector<std::string> Calls;
    std::vector<std::string> Opened;
    std::thread::id MainThread;
    bool OffMainThread = false;
    bool DialogOpen = true;
    std::string FilledLogin;
    std::string FilledPassword;

    void Add(const std::string& call)
    {
        std::lock_guard<std::mutex> guard(Mutex);
        if (std::this_thread::get_id() != MainThread)
            OffMainThread = true;
        Calls.push_back(call);
    }
};
Seen* seen = nullptr;

class OneShotTest : public OnlineWorld {
protected:
    OneShotTest() : routes_(service_, accounts_) {}
    void SetUp() override
    {
        OnlineWorld::SetUp();
        seen_.MainThread = std::this_thread::get_id();
        seen = &seen_;
        SessionHooks.NewAccountDialogOpen = [] { return seen->DialogOpen; };
        SessionHooks.SetNewAccountResult = [](const char* text, uint32_t colour, bool enabled) {
            seen->Add(std::string(text) + "|" + std::to_string(colour) + "|" + (enabled ? "on" : "off"));
        };
        SessionHooks.CloseNewAccountDialog = [] { seen->Add("close"); };
        SessionHooks.FillLoginFields = [](const char* login, const char* password) {
            seen->FilledLogin = login;
            seen->FilledPassword = password;
            seen->Add("fill");
        };
        MainWindowHooks.ArmAutoLogin = [](int32_t tag, int32_t interval) {
            seen->Add("autologin " + std::to_string(tag) + " " + std::to_string(interval));
        };
        MainWindowHooks.ArmMainFromOnline = [](int32_t tag) { seen->Add("mainfromonline " + std::to_string(tag)); };
        FoundationHooks.MessageBox = [](const char* text, const char* caption, uint32_t flags) {
            seen->Add(std::string("box ") + caption + " " + std::to_string(flags) + " " + text);
            return int32_t(mrOk);
        };
        plat::SetShellStarter([](const std::vector<std::string>& argv, int*) {
            std::lock_guard<std::mutex> guard(seen->Mutex);
            seen->Opened.push_back(argv.back());
            return true;
        });
    }
    void TearDown() override
    {
        plat::SetShellStarter(nullptr);
        SessionHooks = TNSessionHooks{};
        FoundationHooks.MessageBox = nullptr;
        OnlineWorld::TearDown();
        seen = nullptr;
    }

    // The API address at a port that refuses connections.
    void PointAtDeadPort()
    {
        std::snprintf(App.ApiDomain[0], sizeof(App.ApiDomain[0]), "127.0.0.1:%u/index.php", DeadPort());
        ASSERT_TRUE(BuildServerAddresses(App));
    }

    // An answer of our own for a request name.
    void Answer(const std::string& name, const std::string& body)
    {
        accounts_.RouteOwnFormat(
            name, [body](const test_service::FormFields&, const test_service::Account*) { return body; });
    }

    std::vector<std::string> Calls()
    {
        Pump();
        std::lock_guard<std::mutex> guard(seen_.Mutex);
        return seen_.Calls;
    }

    test_service::OneShotRoutes routes_;
    Seen seen_;
};

TEST_F(OneShotTest, UsernameTestReadsItsAnswerCaseSensitively)
{
    EXPECT_EQ(g.UsernameExists(TNString(kAliceLogin)), 1);
    EXPECT_EQ(std::string(g.NewAccount.Get().UsernameEmail.View()), kAliceLogin);
    EXPECT_EQ(g.UsernameExists(TNString("nobody")), 2);
    Answer("username-exists", "<result>ok</result>");
    EXPECT_EQ(g.UsernameExists(TNString("alice")), -1);
    PointAtDeadPort();
    EXPECT_EQ(g.UsernameExists(TNString("alice")), 0);
}

TEST_F(OneShotTest, FreeNameAndEmailTestsColourTheOpenPageOnTheMainThread)
{
    EXPECT_EQ(g.UsernamePathNotExists(TNString("bob")), 1);
    EXPECT_EQ(g.EmailNotExists(TNString(kAliceLogin)), 2);
    std::vector<std::string> calls = Calls();
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0], "Skvělé! Toto uživatelské jméno je volné\nMůžete jej použít\nKlikněte na Pokračovat|65280|on");
    EXPECT_EQ(calls[1].substr(0, 20), "Účet již existuje...");
    EXPECT_NE(calls[1].find("|13158655|off"), std::string::npos);
    EXPECT_FALSE(seen_.OffMainThread);

    // A dialog closed before the answer arrived gets nothing.
    seen_.DialogOpen = false;
    EXPECT_EQ(g.UsernamePathNotExists(TNString("alice")), 2);
    EXPECT_EQ(Calls().size(), 2u);
    Answer("email-not-exists", "<result>Maybe</result>");
    EXPECT_EQ(g.EmailNotExists(TNString("x@y.test")), -1);
}

TEST_F(OneShotTest, PreLoginTestSendsOnlyForAPossibleLogin)
{
    g.NewAccount.PreLoginTestPending = 1;
    g.NewAccount.Update([](TNNewAccountState::Texts& texts) { texts.TypedLogin.Set("a b"); });
    online::onlineProceedTests();
    EXPECT_EQ(g.NewAccount.PreLoginTestPending, 1);
    EXPECT_TRUE(accounts_.RequestsNamed("username-exists").empty());

    g.NewAccount.Update([](TNNewAccountState::Texts& texts) { texts.TypedLogin.Set(kAliceLogin); });
    online::onlineProceedTests();
    EXPECT_EQ(g.NewAccount.PreLoginTestPending, 0);
    EXPECT_EQ(Calls(), (std::vector<std::string>{"mainfromonline 1"}));
}

TEST_F(OneShotTest, CreatedAccountFillsTheLoginAndSignsIn)
{
    TNHeadlessHost host;
    // The login page's automatic sign-in with the filled fields.
    static TNHeadlessHost* signer = nullptr;
    signer = &host;
    MainWindowHooks.ArmAutoLogin = [](int32_t tag, int32_t interval) {
        seen->Add("autologin " + std::to_string(tag) + " " + std::to_string(interval));
        signer->SignIn(seen->FilledLogin.c_str(), seen->FilledPassword.c_str());
    };
    g.NewAccount.Update([](TNNewAccountState::Texts& texts) {
        texts.UserName.Set("bob@example.test");
        texts.Password.Set("b&b %2");
        texts.UserPath.Set("bob");
    });
    g.NewAccount.RequestPending = 1;
    online::onlineCreateNewAccount();
    EXPECT_EQ(g.NewAccount.RequestPending, 0);
    ASSERT_TRUE(PumpUntil([] { return g.UserLoginStatus == 1; }));
    EXPECT_EQ(Calls(), (std::vector<std::string>{"fill", "close", "autologin 0 250"}));
    EXPECT_EQ(seen_.FilledPassword, "b&b %2");
    EXPECT_EQ(accounts_.AccountByLogin("bob").Email, "bob@example.test");
    ASSERT_TRUE(plat::WaitForRunningThreads(5000));
    Pump();
}

TEST_F(OneShotTest, AccountCreationResults)
{
    struct Case {
        const char* Name;
        const char* Login;
        const char* Path;
        int32_t Result;
    } cases[] = {
        {"login taken", kAliceLogin, "newpath", 2},
        {"user name taken", "new@example.test", "alice", 3},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.Name);
        EXPECT_EQ(g.CreateNewAccount(TNString(row.Login), TNString("pw"), TNString(row.Path)), row.Result);
    }
    Answer("create-new-account", "<result>Later</result>");
    EXPECT_EQ(g.CreateNewAccount(TNString("c@example.test"), TNString("pw"), TNString("c")), -1);
    PointAtDeadPort();
    EXPECT_EQ(g.CreateNewAccount(TNString("c@example.test"), TNString("pw"), TNString("c")), -1);
    EXPECT_EQ(g.NewAccount.RequestPending, 1);
    EXPECT_TRUE(Calls().empty());
}

TEST_F(OneShotTest, NewerVersionStartsTheUpdateOnceAndQueuesTagTwo)
{
    static int begun = 0;
    begun = 0;
    OnlineHooks.BeginAutoUpdate = [](int32_t version) { begun += version == 168 ? 1 : 100; };
    accounts_.SetNewestVersion(168);
    g.NewAccount.NewestVersionTest = 1;
    online::onlineProceedTests();
    EXPECT_EQ(begun, 1);
    EXPECT_EQ(g.NewAccount.NewestVersionTest, 0);
    int16_t tag = 0;
    uint32_t param = 0;
    ASSERT_TRUE(g.uiTags.Take(&tag, &param));
    EXPECT_EQ(tag, __uiOnlineAndLoginNotTested);
}

TEST_F(OneShotTest, LongLoginAuthenticatesEveryRequestWithCredentials)
{
    std::string login = std::string(48, 'l') + "@example.test";
    ASSERT_EQ(login.size(), 61u);
    test_service::Account carol;
    carol.UserID = 1003;
    carol.Password = "c";
    carol.UserName = "carol";
    carol.Email = login;
    accounts_.AddAccount(carol);
    MakeActiveUser(1003, login.c_str(), "c");
    g.UpdateAccount([](TNAccount& account) { account.Password.Set("c"); });
    // What the sign-in stores under the setting is cut to 50 characters.
    ::Setup.SetString("SmsUcet_Username", login.substr(0, 50).c_str(), TNSetupItem::kText8);

    EXPECT_TRUE(g.FlagMessageForUsers(g.OneShotLogin(), TNString("c"), false, 42));
    EXPECT_TRUE(routes_.MessageFlagged(1003, 42));
    TNString link;
    EXPECT_TRUE(g.GetOneTimeLoginLink(g.OneShotLogin(), TNString("c"), true, &link));
    routes_.MarkAlertHandled(9);
    EXPECT_FALSE(g.GetAlertOnDisplayStatus(9, 501, TNString("c"), g.OneShotLogin()));
    for (const auto& request : accounts_.Requests())
        EXPECT_EQ(test_service::FieldValue(request.Fields, "Username"), login) << request.Name;
    EXPECT_TRUE(Calls().empty());
}

TEST_F(OneShotTest, WebPageOpensSignedInThroughTheLink)
{
    g.UserLoginStatus = 0;
    EXPECT_TRUE(g.OpenWebPageLoggedIn(TNString("https://example.test/a")));
    EXPECT_TRUE(g.OpenWebPageLoggedIn(TNString()));

    MakeActiveUser(kAliceID, kAliceLogin, kAlicePassword);
    g.UpdateAccount([](TNAccount& account) { account.Password.Set(kAlicePassword); });
    g.UserLoginStatus = 1;
    EXPECT_TRUE(g.OpenWebPageLoggedIn(TNString()));
    // From the menus, on the worker.
    ASSERT_TRUE(g.StartOpenWebPageLoggedIn(TNString("https://example.test/kalendare/?a=1&b=2")));
    ASSERT_TRUE(PumpUntil([this] {
        std::lock_guard<std::mutex> guard(seen_.Mutex);
        return seen_.Opened.size() == 4;
    }));
    std::vector<std::string> opened = seen_.Opened;
    ASSERT_EQ(opened.size(), 4u);
    EXPECT_EQ(opened[0], "https://example.test/a");
    EXPECT_EQ(opened[1], App.WebUrl);
    std::string link = Url("/login?token=t1");
    EXPECT_EQ(opened[2], link);
    EXPECT_EQ(opened[3],
              Url("/login?token=t2") + "&OneTimeReload=https%3A%2F%2Fexample%2Etest%2Fkalendare%2F%3Fa%3D1%26b%3D2");

    // A failure shows its box on the main loop.
    PointAtDeadPort();
    EXPECT_FALSE(g.OpenWebPageLoggedIn(TNString()));
    std::vector<std::string> calls = Calls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].substr(0, 15), "box Chyba 16 Ne");
    EXPECT_FALSE(seen_.OffMainThread);
}

} // namespace
} // namespace online_test
