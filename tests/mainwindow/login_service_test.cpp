// The login page against the in-process test service, through the real
// transport, the job thread and the online pass.

#include "foundation/app_info.h"
#include "foundation/dirs.h"
#include "foundation/pim_array.h"
#include "foundation/setup.h"
#include "foundation/users.h"
#include "mainwindow/dialog_bridge.h"
#include "model/pim.h"
#include "online/global.h"
#include "online/hooks.h"
#include "online/transport.h"
#include "online/window_state.h"
#include "platform/core/file.h"
#include "platform/core/thread.h"
#include "platform/gui/button.h"
#include "platform/gui/combo_box.h"
#include "platform/gui/edit.h"
#include "platform/gui/label.h"
#include "platform/gui/notebook.h"
#include "platform/gui/timer.h"
#include "platform/gui/tray_icon.h"
#include "tests/mainwindow/shell_fixture.h"
#include "tests/service/account_actions.h"
#include "tests/service/account_service.h"
#include "tests/service/one_shot_routes.h"
#include "tests/service/sync_service.h"
#include "tests/service/test_service.h"
#include "view/view.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

namespace shell_test {
namespace {

constexpr uint32_t kAliceID = 1001;
constexpr const char* kAliceLogin = "alice";
constexpr const char* kAlicePassword = "heslo-123";

std::atomic<int> fastArms{0};
void (*windowArmOnlineTimer)(int32_t) = nullptr;

class LoginServiceTest : public ShellTest {
protected:
    LoginServiceTest()
        : accounts_(service_), sync_(accounts_), oneShot_(service_, accounts_), actions_(accounts_, sync_, &oneShot_)
    {
    }

    void SetUp() override
    {
        static const bool transport = [] {
            InitTransport();
            return true;
        }();
        (void)transport;
        ASSERT_TRUE(service_.Start());
        TNTransportConfig config;
        config.ConnectTimeoutMs = 1000;
        config.LowSpeedSeconds = 1;
        config.TotalTimeoutMs = 3000;
        SetTransportConfig(config);
        test_service::Account alice;
        alice.UserID = kAliceID;
        alice.Password = kAlicePassword;
        alice.UserName = kAliceLogin;
        alice.Email = "alice@example.test";
        alice.FirstName = "Alice";
        alice.MainOrganizer = 501;
        accounts_.AddAccount(alice);
        sync_.AddOrganizer(501, kAliceID, 1, 1, "Alice");
        ShellTest::SetUp();
        PointServiceAt("127.0.0.1:" + std::to_string(service_.Port()));
        if (PIM.Count() == 0) {
            InstallPIMFactory();
            ASSERT_TRUE(c.ResizePIM());
        }
        g.FastPassDelayMs = 2;
        g.FullResyncInterval = INT64_MAX / 4;
        g.UserLoginStatus = 0;
        fastArms = 0;
    }

    void TearDown() override
    {
        // Passes and jobs end before the window and the service go.
        g.Close = 1;
        EXPECT_TRUE(plat::WaitForRunningThreads(10000));
        if (Main().signedIn == 1)
            g.OdhlasUzivatele(false);
        ShellTest::TearDown();
        g.Close = 0;
        g.UserLoginStatus = 0;
        g.FastPassDelayMs = 250;
        g.FullResyncInterval = 86400;
        g.OnlineTimerTag = 0;
        SetTransportConfig(TNTransportConfig());
        service_.Stop();
    }

    // A new run of the program: its window shows the login page, with the
    // online timer the page arms and the 1-ms arms counted.
    void StartRun()
    {
        MakeMainWindow();
        windowArmOnlineTimer = MainWindowHooks.ArmOnlineTimer;
        MainWindowHooks.ArmOnlineTimer = [](int32_t intervalMs) {
            if (intervalMs == 1)
                ++fastArms;
            windowArmOnlineTimer(intervalMs);
        };
        Main().timerOnline->SetEnabled(true);
    }

    // Turns of the loop with the manual clock moving 10 ms each, until
    // `done` or the real time-out.
    bool RunUntil(const std::function<bool()>& done, int timeoutMs = 20000)
    {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (!done()) {
            if (std::chrono::steady_clock::now() > deadline)
                return false;
            plat::testing::Flush();
            timers_->Advance(10);
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return true;
    }

    // The page tells a sign-in without an answer: the start of the
    // transport's reason in the text, which keeps to the lines above the
    // proxy link, and the whole reason in its hint.
    void ExpectNoAnswerShown(const std::string& ending)
    {
        const std::string reason = g.LoginTransportReason();
        ASSERT_FALSE(reason.empty());
        const plat::TLabel& label = *Main().label9LoginTest;
        const std::string caption = label.Caption();
        const std::string start = "Služba nedostupná nebo nedůvěryhodná: " + reason.substr(0, reason.find(' '));
        EXPECT_EQ(caption.rfind(start, 0), 0u) << caption;
        ASSERT_GE(caption.size(), ending.size());
        EXPECT_EQ(caption.substr(caption.size() - ending.size()), ending);
        EXPECT_EQ(label.Hint(), reason);
        EXPECT_TRUE(label.ShowHint());
        plat::testing::Flush();
        EXPECT_LE(label.Top() + label.Height(), Main().label9Proxy->Top());
    }

    void Type(const char* login, const char* password)
    {
        Main().edit9Login->SetText(login);
        Main().edit9LoginChange();
        Main().edit9Pass->SetText(password);
    }

    test_service::TestService service_;
    test_service::AccountService accounts_;
    test_service::SyncService sync_;
    test_service::OneShotRoutes oneShot_;
    test_service::AccountActions actions_;
};

TEST_F(LoginServiceTest, AliceSignsInThroughThePage)
{
    StartRun();
    Type(kAliceLogin, kAlicePassword);
    ASSERT_TRUE(Main().btn9Login->Enabled());
    Main().btn9Login->Click();
    EXPECT_EQ(Main().btn9Login->Caption(), "Přihlašování...");
    EXPECT_FALSE(Main().edit9Login->Enabled());

    ASSERT_TRUE(RunUntil([&] { return Main().btn9Login->Caption() == "Načítání..."; }));
    ASSERT_TRUE(RunUntil([&] { return Main().signedIn == 1; }));
    const int armsAtSignIn = fastArms;
    plat::testing::Flush();
    EXPECT_EQ(fastArms - armsAtSignIn, 1) << "one RunOnlineNow follows";

    // The texts' tags wait in the queue behind those the sign-in posted.
    ASSERT_TRUE(RunUntil([&] { return LogCount("ui_tag = __uiTextUserLogged (101)") == 1; }));
    const std::string log = LogText();
    const size_t signingIn = log.find("ui_tag = __uiTextLogingUser (100)");
    const size_t signedInLine = log.find("ui_tag = __uiTextUserLogged (101)");
    ASSERT_NE(signingIn, std::string::npos);
    ASSERT_NE(signedInLine, std::string::npos);
    EXPECT_LT(signingIn, signedInLine);
    EXPECT_EQ(LogCount("[TLogin][BEGIN] Tag = 2"), 1) << "the local data loaded";
    EXPECT_EQ(g.UserLoginStatus.load(), 1);
    EXPECT_EQ(Main().gDesk->ActivePage(), "Homepage");
    EXPECT_EQ(Main().btn9Login->Caption(), "Přihlásit");
    EXPECT_FALSE(Main().autoLoginPending);

    // Her account is remembered, and her settings file names her.
    TNUsers remembered;
    ASSERT_TRUE(remembered.Load(TNGlobal::EnterUsersFolder()));
    TNUser active;
    ASSERT_TRUE(remembered.GetActiveUser(&active));
    EXPECT_EQ(std::string(active.Login.View()), kAliceLogin);
    EXPECT_EQ(active.UserID, kAliceID);
    TNSetup settings;
    ASSERT_TRUE(settings.Load(remembered, std::string(Dirs.UsersSetupFile.View())));
    EXPECT_EQ(std::string(settings.GetString("SmsUcet_Username").View()), kAliceLogin);

    // The log-out returns to the page.
    Main().mnuUserLogoutClick();
    EXPECT_EQ(Main().gDesk->ActivePage(), "Login");
    EXPECT_EQ(Main().signedIn.load(), 0);
}

TEST_F(LoginServiceTest, AHiddenStartSignsInByItselfAppliesTheSettingsAndStaysHidden)
{
    RememberAccount(kAliceLogin, kAlicePassword, true, true, kAliceID);
    App.IsAutorun = 1;
    StartRun();
    ASSERT_TRUE(RunUntil([&] { return Main().signedIn == 1; }));

    EXPECT_EQ(Main().settingsApplied.load(), 1);
    EXPECT_EQ(Main().gDesk->ActivePage(), "Homepage");
    EXPECT_TRUE(Main().timerHodiny->Enabled());
    EXPECT_FALSE(Main().trayIcon->ApplicationVisible()) << "no start-up setting: kept hidden";
    EXPECT_EQ(App.IsAutorun, 0);
    EXPECT_LT(LogText().find("[AktivujNastaveni][BEGIN]"), LogText().find("[AktivujNastaveni][END]"));
    // The settings file holds what the settings step created.
    TNUsers remembered;
    ASSERT_TRUE(remembered.Load(TNGlobal::EnterUsersFolder()));
    TNSetup settings;
    ASSERT_TRUE(settings.Load(remembered, std::string(Dirs.UsersSetupFile.View())));
    EXPECT_EQ(settings.GetInt("homepageCalendarDayboxMode"), 4);
    EXPECT_TRUE(settings.GetBool("Settings_ShortcutMainWindow"));
}

TEST_F(LoginServiceTest, ARefusalShowsTheServicesTextLiterally)
{
    accounts_.RouteApi("login", [](const test_service::FormFields&, const test_service::Account*) {
        return std::string("<resno>-1</resno><result>Chybné heslo &lt;b&gt;x&lt;/b&gt;</result>");
    });
    StartRun();
    std::vector<uint8_t> openFlag;
    boxes_->during = [&] { openFlag.push_back(MessageBoxShown.load()); };
    App.IsAutorun = 1;
    Type(kAliceLogin, "spatne-heslo");
    Main().btn9Login->Click();
    ASSERT_TRUE(RunUntil([&] { return !boxes_->boxes.empty(); }));
    EXPECT_EQ(boxes_->boxes[0].caption, "Chyba přihlašování");
    EXPECT_EQ(boxes_->boxes[0].text, "Chybné heslo <b>x</b>");
    EXPECT_EQ(boxes_->boxes[0].flags & 0xF0, 0x10u);
    EXPECT_EQ(openFlag, std::vector<uint8_t>{1});
    EXPECT_FALSE(Main().autoLoginPending);
    EXPECT_EQ(App.IsAutorun, 0);
    EXPECT_EQ(Main().signedIn.load(), 0);
    EXPECT_TRUE(Main().edit9Login->Enabled());
    boxes_->during = nullptr;
}

TEST_F(LoginServiceTest, WithoutTheServiceTheAutomaticSignInRetriesEveryTenSeconds)
{
    RememberAccount(kAliceLogin, kAlicePassword, true);
    service_.Stop();
    StartRun();
    Main().timerOnline->SetEnabled(false);
    ASSERT_TRUE(Main().timerAutoLogin->Enabled());
    auto attempts = [&] { return LogCount("[TLogin][BEGIN] Tag = 1"); };
    ASSERT_TRUE(RunUntil([&] { return attempts() == 1 && !g.runningLogin && Main().timerAutoLogin->Enabled(); }));
    EXPECT_EQ(Main().timerAutoLogin->Interval(), 10000u);
    timers_->Advance(9000);
    EXPECT_EQ(attempts(), 1);
    ASSERT_TRUE(RunUntil([&] { return attempts() == 2 && !g.runningLogin && Main().timerAutoLogin->Enabled(); }));
    EXPECT_TRUE(boxes_->boxes.empty());
    EXPECT_TRUE(Main().autoLoginPending);
    EXPECT_EQ(Main().signedIn.load(), 0);
}

TEST_F(LoginServiceTest, ATypedExistingLoginIsConfirmedByARealPass)
{
    StartRun();
    Type(kAliceLogin, "");
    ASSERT_TRUE(
        RunUntil([&] { return Main().label9LoginTest->Caption() == "V pořádku, účet existuje. Zadejte heslo"; }));
    EXPECT_EQ(accounts_.RequestsNamed("username-exists").size(), 1u);
    Type("nikdo", "");
    ASSERT_TRUE(RunUntil([&] { return Main().label9LoginTest->Caption() == "Uživatelský účet neexistuje."; }));
}

TEST_F(LoginServiceTest, TheEmptyPageIsReportedOncePerRunAndNeverFromTheMainThread)
{
    // The report is held at the service until the window is built: a
    // window that sent it itself could not have been built meanwhile.
    std::mutex mutex;
    std::condition_variable changed;
    bool windowBuilt = false;
    int reports = 0;
    bool arrivedWhileBuilding = false;
    accounts_.RouteApi("send-stats", [&](const test_service::FormFields&, const test_service::Account*) {
        std::unique_lock<std::mutex> lock(mutex);
        ++reports;
        if (!changed.wait_for(lock, std::chrono::seconds(5), [&] { return windowBuilt; }))
            arrivedWhileBuilding = true;
        return std::string("<handshake>1</handshake><success>1</success>");
    });
    g.emptyLoginWindowStatsSent = 0;
    StartRun();
    {
        std::lock_guard<std::mutex> lock(mutex);
        windowBuilt = true;
    }
    changed.notify_all();
    ASSERT_TRUE(plat::WaitForRunningThreads(10000));
    Main().ShowLoginForm();
    ASSERT_TRUE(plat::WaitForRunningThreads(10000));
    {
        std::lock_guard<std::mutex> lock(mutex);
        EXPECT_EQ(reports, 1);
        EXPECT_FALSE(arrivedWhileBuilding);
    }
    g.emptyLoginWindowStatsSent = 1;
    // The handler's state ends with the test.
    accounts_.RouteApi("send-stats", [](const test_service::FormFields&, const test_service::Account*) {
        return std::string("<handshake>1</handshake><success>1</success>");
    });
}

TEST_F(LoginServiceTest, AfterSignInTheHeaderShowsHerNamesAndTheBellHerNotifications)
{
    // Her surname, which the fixture's account lacks.
    ASSERT_TRUE(accounts_.ChangeAccount(kAliceID, [](test_service::Account& alice) { alice.LastName = "Nováková"; }));
    sync_.Seed(
        test_service::kContacts,
        {{"UserID", std::to_string(kAliceID)}, {"ContactUserID", "1002"}, {"FirstName", "Bob"}, {"LastName", "Malý"}});
    for (int i = 0; i < 3; ++i) {
        const uint32_t record = sync_.SeedRecord(501, "Oběd " + std::to_string(i));
        sync_.Seed(test_service::kNotifications,
                   {{"RecipientUserID", std::to_string(kAliceID)},
                    {"Type", "10"},
                    {"Settings", "{\"SenderUserID\":1002,\"OrganizerID\":501,\"RecordID\":" + std::to_string(record) +
                                     ",\"Data\":\"\"}"}});
    }
    StartRun();
    Type(kAliceLogin, kAlicePassword);
    Main().btn9Login->Click();
    ASSERT_TRUE(RunUntil([&] { return Main().signedIn == 1; }));
    // The settings step makes the header once signed in.
    Main().CreateHeaderComponents();
    ASSERT_TRUE(RunUntil([&] { return Main().UpdateHeaderBell() == 3; }));
    Main().DispatchUiTag(__uiUpdateHeaderUser, 0);

    const TNHeaderUser shown = ::WindowState.HeaderUser();
    EXPECT_EQ(shown.Text.View(), "Alice\nNováková");
    EXPECT_EQ(View.GetComponent("btnHeaderBell")->Value, 3);
    EXPECT_EQ(Main().trayIcon->IconIndex(), App.TrayIconUnread);
    EXPECT_EQ(Main().gDesk->ActivePage(), "Homepage");
}

TEST_F(LoginServiceTest, WithTheServiceSilentThePageSaysSoAndSignsInOnceItAnswers)
{
    // The service resets every connection: the sign-in gets no answer.
    RememberAccount(kAliceLogin, kAlicePassword, true);
    service_.ArmFault(test_service::AccountService::kApiPath, test_service::Fault::Reset(), test_service::kAlways);
    StartRun();
    ASSERT_TRUE(RunUntil([&] {
        return LogCount("[TLogin][BEGIN] Tag = 1") == 1 && !g.runningLogin && Main().timerAutoLogin->Enabled();
    }));
    // The tags the job posted are worked off too.
    RunUntil([] { return false; }, 300);
    // The cut connection is the transport's reason.
    ExpectNoAnswerShown(" Další pokus za 10 s.");
    EXPECT_EQ(LogCount("ui_tag = __uiTextUserLogged (101)"), 0);
    EXPECT_EQ(Main().signedIn.load(), 0);

    // The service is back: the retry 10 s later signs her in.
    service_.DisarmFaults();
    ASSERT_TRUE(RunUntil([&] { return Main().signedIn == 1; }));
    ASSERT_TRUE(RunUntil([&] { return LogCount("ui_tag = __uiTextUserLogged (101)") == 1; }));
    EXPECT_EQ(Main().gDesk->ActivePage(), "Homepage");
    EXPECT_EQ(Main().label9LoginTest->Caption().rfind("Služba ned", 0), std::string::npos);
}

// A service that could not be reached or was not trusted is told from a
// refused password, with the transport's reason, and never in the refusal's
// message box.
TEST_F(LoginServiceTest, AnUntrustedOrRedirectingServiceIsToldFromARefusedPasswordWithTheReason)
{
    test_service::Options tlsOptions;
    tlsOptions.Tls = true;
    test_service::TestService tls(tlsOptions);
    ASSERT_TRUE(tls.Start());
    test_service::AccountService tlsAccounts(tls);
    const std::string port = std::to_string(service_.Port());
    struct Case {
        const char* name;
        std::function<void()> arm;
        // The transport's reason; empty for a refused password, which has
        // its box.
        std::string reason;
    };
    const Case cases[] = {
        {"a self-signed certificate without the CA",
         [&] {
             PointServiceAt("127.0.0.1:" + std::to_string(tls.Port()));
             std::snprintf(App.ApiProtocol[0], sizeof(App.ApiProtocol[0]), "https");
             ASSERT_TRUE(BuildServerAddresses(App));
         },
         "SSL certificate problem"},
        {"a redirect to another host",
         [&] {
             service_.ArmFault(test_service::AccountService::kApiPath,
                               test_service::Fault::Redirect(307, "http://localhost:" + port + "/index.php"),
                               test_service::kAlways);
         },
         "redirect refused: http://localhost:" + port + "/index.php"},
        {"a refused password", [] {}, ""},
    };
    StartRun();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PointServiceAt("127.0.0.1:" + port);
        service_.DisarmFaults();
        boxes_->boxes.clear();
        Main().timerAutoLogin->SetEnabled(false);
        Main().autoLoginPending = false;
        c.arm();
        const int attempts = LogCount("[TLogin][BEGIN] Tag = 1");
        Type(kAliceLogin, c.reason.empty() ? "spatne-heslo" : kAlicePassword);
        Main().btn9Login->Click();
        ASSERT_TRUE(RunUntil([&] {
            return LogCount("[TLogin][BEGIN] Tag = 1") == attempts + 1 && !g.runningLogin &&
                   Main().btn9Login->Caption() == "Přihlásit";
        }));
        RunUntil([] { return false; }, 300);
        EXPECT_EQ(Main().signedIn.load(), 0);
        if (c.reason.empty()) {
            ASSERT_EQ(boxes_->boxes.size(), 1u);
            EXPECT_EQ(boxes_->boxes[0].caption, "Chyba přihlašování");
            EXPECT_EQ(Main().label9LoginTest->Caption().rfind("Služba ned", 0), std::string::npos);
            EXPECT_EQ(g.LoginTransportReason(), "");
            continue;
        }
        EXPECT_TRUE(boxes_->boxes.empty()) << "not a refused password";
        EXPECT_EQ(g.LoginTransportReason().rfind(c.reason, 0), 0u) << g.LoginTransportReason();
        ExpectNoAnswerShown(" Zkuste to později.");
    }
}

} // namespace
} // namespace shell_test
