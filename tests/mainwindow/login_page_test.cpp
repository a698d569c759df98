#include "foundation/app_info.h"
#include "foundation/users.h"
#include "mainwindow/dialog_bridge.h"
#include "online/global.h"
#include "online/hooks.h"
#include "platform/core/thread.h"
#include "platform/gui/button.h"
#include "platform/gui/combo_box.h"
#include "platform/gui/edit.h"
#include "platform/gui/flat_button.h"
#include "platform/gui/label.h"
#include "platform/gui/notebook.h"
#include "platform/gui/timer.h"
#include "platform/testing/fake_clock.h"
#include "tests/mainwindow/shell_fixture.h"
#include "tests/mainwindow/shell_recorders.h"

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

namespace shell_test {
namespace {

int fastPasses = 0;

class LoginPageTest : public ShellTest {
protected:
    void SetUp() override
    {
        ShellTest::SetUp();
        Settle();
        fastPasses = 0;
        // The name test's pass is counted, not run.
        MainWindowHooks.ArmOnlineTimer = [](int32_t) { ++fastPasses; };
        g.NewAccount.Reset();
    }
    void TearDown() override
    {
        g.NewAccount.Reset();
        ShellTest::TearDown();
    }

    // The user's typing as the edit reports it.
    void TypeName(const std::string& text)
    {
        Main().edit9Login->SetText(text);
        Main().edit9LoginChange();
    }
    void TypePassword(const std::string& text) { Main().edit9Pass->SetText(text); }
    void Run(int64_t ms)
    {
        plat::testing::Flush();
        timers_->Advance(ms);
        plat::testing::Flush();
    }
    std::string Hint() { return Main().label9LoginTest->Caption(); }
    plat::TColor HintColour() { return Main().label9LoginTest->Font().Color(); }
};

TEST_F(LoginPageTest, TheLoginWindowCanNeitherBeResizedNorMaximised)
{
    Main().Show();
    plat::testing::Flush();
    EXPECT_EQ(Main().gDesk->ActivePage(), "Login");
    EXPECT_FALSE(plat::testing::UserCanResize(Main()));
    EXPECT_FALSE(plat::testing::HasMaximizeButton(Main()));
    EXPECT_EQ(Main().ClientWidth(), 280);

    // A sizeable border gives both back, as the signed-in window has them.
    Main().SetBorderStyle(plat::TFormBorderStyle::bsSizeable);
    Main().SetBorderIcons(Main().BorderIcons() | plat::biMaximize);
    EXPECT_TRUE(plat::testing::UserCanResize(Main()));
    EXPECT_TRUE(plat::testing::HasMaximizeButton(Main()));
}

TEST_F(LoginPageTest, TheNameCheckTellsWhatWasTypedAndGatesTheButton)
{
    struct Case {
        const char* name;
        const char* hint;
        plat::TColor colour;
        bool valid;
    };
    const Case cases[] = {
        {"", "Pokud jste ještě Dalmora nepoužívali, klikněte na tlačítko \"Jsem zde poprvé\"", 0xFFFF00, false},
        {"@", "Pokud jste ještě Dalmora nepoužívali, klikněte na tlačítko \"Jsem zde poprvé\"", 0xFFFF00, false},
        {"jan.novak@example.com", "E-mail vyplněn správně.", 0xFFFFFF, true},
        {"12345", "ID uživatele vyplněno správně.", 0xFFFFFF, true},
        {"jan.novak", "Uživatelské jméno vyplněno správně.", 0xFFFFFF, true},
        {"jan novak", "Vyplňte Váš e-mail ve tvaru jan.novak@example.com", 0xC0C0C0, false},
    };
    for (const char* password : {"secret1", "ab"}) {
        TypePassword(password);
        const bool passwordValid = std::string(password) == "secret1";
        for (const Case& item : cases) {
            SCOPED_TRACE(std::string(item.name) + " / " + password);
            TypeName(item.name);
            EXPECT_EQ(Hint(), item.hint);
            EXPECT_EQ(HintColour(), item.colour);
            EXPECT_EQ(Main().loginValid, item.valid);
            EXPECT_EQ(Main().btn9Login->Enabled(), item.valid && passwordValid);
            if (!(item.valid && passwordValid)) {
                // Enter, or a click that got through, starts nothing.
                Main().btn9LoginClick();
                EXPECT_EQ(g.LoginInProgress.load(), 0);
                EXPECT_EQ(Main().btn9Login->Caption(), "Přihlásit");
            }
        }
    }
}

TEST_F(LoginPageTest, TheNameTestRunsASecondAfterTheLastChangeOncePerName)
{
    TypeName("alice");
    Run(999);
    EXPECT_EQ(fastPasses, 0);
    EXPECT_EQ(g.NewAccount.PreLoginTestPending.load(), 0);
    Run(1);
    EXPECT_EQ(fastPasses, 1);
    EXPECT_EQ(g.NewAccount.PreLoginTestPending.load(), 1);
    EXPECT_EQ(std::string(g.NewAccount.Get().TypedLogin.View()), "alice");
    EXPECT_EQ(LogCount("[FastSync] caller = timerRunPreloginTestTimer"), 1);

    // The pass took it; the same name typed again is not tested again.
    g.NewAccount.PreLoginTestPending = 0;
    TypeName("alic");
    Run(500);
    TypeName("alice");
    Run(3000);
    EXPECT_EQ(fastPasses, 1);

    // Each change restarts the second.
    TypeName("bob");
    Run(600);
    TypeName("bobby");
    Run(600);
    EXPECT_EQ(fastPasses, 1);
    Run(400);
    EXPECT_EQ(fastPasses, 2);
    EXPECT_EQ(std::string(g.NewAccount.Get().TypedLogin.View()), "bobby");

    // Nothing while a test is pending, nor while the name is a remembered one.
    TypeName("carol");
    Run(2000);
    EXPECT_EQ(fastPasses, 2) << "a test is still pending";
    g.NewAccount.PreLoginTestPending = 0;
    Main().edit9Login->SetTag(99);
    TypeName("dave");
    Run(2000);
    EXPECT_EQ(fastPasses, 2);
}

TEST_F(LoginPageTest, TheOnlinePassAnswerShowsWhetherTheAccountExists)
{
    TypeName("alice");
    MainWindowHooks.ArmMainFromOnline(1);
    Run(10);
    EXPECT_EQ(Hint(), "V pořádku, účet existuje. Zadejte heslo");
    EXPECT_EQ(HintColour(), plat::RGB(0, 255, 0));
    EXPECT_EQ(Main().timerMainFromOnline->Tag(), 0);
    EXPECT_FALSE(Main().timerMainFromOnline->Enabled());

    MainWindowHooks.ArmMainFromOnline(2);
    Run(10);
    EXPECT_EQ(Hint(), "Uživatelský účet neexistuje.");
    EXPECT_EQ(HintColour(), plat::RGB(255, 0, 0));
    EXPECT_EQ(LogCount("[TfrmMainDLMR1::timerMainFormOnlineTimer][END]"), 2);
}

TEST_F(LoginPageTest, TheFirstTimeButtonBlinksUntilTheNameHasTwoCharacters)
{
    MakeMainWindow();
    ASSERT_EQ(Main().edit9Login->Text(), "@");
    EXPECT_EQ(Main().timerDblClickTimer->Tag(), 999);
    EXPECT_EQ(Main().btn9NewAccount->Font().Color(), plat::clBlack);
    Run(1000);
    EXPECT_EQ(Main().btn9NewAccount->Font().Color(), plat::RGB(0xC3, 0xC3, 0xC3));
    Run(1000);
    EXPECT_EQ(Main().btn9NewAccount->Font().Color(), plat::clBlack);
    Run(1000);
    TypeName("ab");
    Run(1000);
    EXPECT_FALSE(Main().timerDblClickTimer->Enabled());
    EXPECT_EQ(Main().timerDblClickTimer->Tag(), 0);
}

TEST_F(LoginPageTest, RememberedAccountsFillThePage)
{
    struct Case {
        const char* what;
        std::function<void()> remember;
        const char* name;
        const char* password;
        int64_t tag;
        bool autoSignIn;
    };
    const Case cases[] = {
        {"active with automatic sign-in", [this] { RememberAccount("alice", "secret1", true); }, "alice", "secret1", 99,
         true},
        {"active without it", [this] { RememberAccount("alice", "secret1", false); }, "alice", "", 0, false},
        {"a valid selected index",
         [this] {
             RememberAccount("alice", "secret1", false, false);
             Uzivatele.SelectedIndex = RememberAccount("bob", "secret2", false, false);
         },
         "bob", "", 0, false},
        {"none", [] {}, "@", "", 0, false},
    };
    for (const Case& item : cases) {
        SCOPED_TRACE(item.what);
        Uzivatele.Resize(0);
        Uzivatele.AktivniUzivatel = -1;
        Uzivatele.SelectedIndex = -1;
        item.remember();
        MakeMainWindow();
        EXPECT_EQ(Main().edit9Login->Text(), item.name);
        EXPECT_EQ(Main().edit9Pass->Text(), item.password);
        EXPECT_EQ(Main().edit9Login->Tag(), item.tag);
        EXPECT_EQ(Main().timerAutoLogin->Enabled(), item.autoSignIn);
        EXPECT_EQ(Main().edit9Login->Enabled(), !item.autoSignIn) << "the controls wait for the sign-in";
        EXPECT_EQ(g.LoginInProgress.load(), item.autoSignIn ? 1 : 0);
        EXPECT_EQ(Main().gDesk->ActivePage(), "Login");
        if (item.name != std::string("@")) {
            EXPECT_EQ(Main().edit9Login->Items().size(), Uzivatele.Count() > 0 ? size_t(Uzivatele.Count()) : 0u);
        }
        Main().timerAutoLogin->SetEnabled(false);
        g.LoginInProgress = 0;
    }
}

TEST_F(LoginPageTest, TheSignInAnswerDecidesBetweenTheBoxTheRetryAndSilence)
{
    plat::testing::FakeClock clock(1700000000000);
    plat::Clock& previousClock = plat::CurrentClock();
    plat::SetClock(&clock);
    std::vector<uint8_t> openFlag;
    boxes_->during = [&] { openFlag.push_back(MessageBoxShown.load()); };
    App.IsAutorun = 1;

    // No usable answer while signing in by itself: again in 10 s, no box.
    Main().autoLoginPending = true;
    Main().btn9LoginClick_afterSync(false, 0, "");
    EXPECT_TRUE(Main().timerAutoLogin->Enabled());
    EXPECT_EQ(Main().timerAutoLogin->Interval(), 10000u);
    EXPECT_TRUE(boxes_->boxes.empty());

    // A refusal: the service's text word for word, once its entities are read.
    Main().timerAutoLogin->SetEnabled(false);
    Main().btn9LoginClick_afterSync(false, -1, "Chybné heslo &lt;b&gt;x&lt;/b&gt;");
    ASSERT_EQ(boxes_->boxes.size(), 1u);
    EXPECT_EQ(boxes_->boxes[0].text, "Chybné heslo <b>x</b>");
    EXPECT_EQ(boxes_->boxes[0].caption, "Chyba přihlašování");
    EXPECT_EQ(boxes_->boxes[0].flags & 0xF0, 0x10u) << "the error icon";
    EXPECT_EQ(openFlag, std::vector<uint8_t>{1});
    const std::vector<int64_t> sleeps = clock.Sleeps();
    EXPECT_EQ(std::count(sleeps.begin(), sleeps.end(), 300), 1) << "the pause before the box";
    EXPECT_EQ(MessageBoxShown.load(), 0);
    EXPECT_FALSE(Main().autoLoginPending);
    EXPECT_EQ(App.IsAutorun, 0);
    EXPECT_EQ(Main().signedIn.load(), 0);
    EXPECT_TRUE(Main().btn9Login->Enabled() == (Main().loginValid && Main().passwordValid));
    EXPECT_EQ(Main().btn9Login->Caption(), "Přihlásit");

    // Without the automatic sign-in pending, no answer means nothing.
    Main().btn9LoginClick_afterSync(false, 0, "");
    EXPECT_FALSE(Main().timerAutoLogin->Enabled());
    EXPECT_EQ(boxes_->boxes.size(), 1u);
    boxes_->during = nullptr;
    plat::SetClock(&previousClock);
}

TEST_F(LoginPageTest, TheTrayLogOutWaitsForASignedInUser)
{
    SignIn();
    Main().signedIn = 0;
    Main().pmnuUserLogoutClick();
    EXPECT_EQ(LogCount("[g.OdhlasUzivatele][BEGIN]"), 0);
    EXPECT_EQ(Main().gDesk->ActivePage(), "Homepage");

    Main().signedIn = 1;
    Main().pmnuUserLogoutClick();
    EXPECT_EQ(LogCount("[g.OdhlasUzivatele][BEGIN] closing_application = 0"), 1);
    EXPECT_EQ(Main().gDesk->ActivePage(), "Login");
    EXPECT_EQ(Main().signedIn.load(), 0);
}

} // namespace
} // namespace shell_test

namespace shell_test {
namespace {

TEST_F(LoginPageTest, TheAccountCommandsOpenTheirDialogs)
{
    BridgeRecorder bridge;
    struct Case {
        std::function<void()> command;
        const char* key;
        int32_t which;
    };
    const Case cases[] = {
        {[this] { Main().mnuChangeEmailClick(0); }, "ChangeEmail", 0},
        {[this] { Main().mnuChangeEmailClick(2); }, "ChangeEmail", 2},
        {[this] { Main().mnuChangePasswordClick(); }, "ChangePassword", 0},
        {[this] { Main().label9ProxyClick(); }, "Proxy", 0},
        {[this] { Main().btn9NewAccountClick(); }, "NewUser", 0},
    };
    for (const Case& item : cases) {
        SCOPED_TRACE(item.key);
        bridge.keys.clear();
        item.command();
        EXPECT_EQ(bridge.keys, (std::vector<std::string>{item.key}));
    }
    // The new-account button also reports its click and stops the blink.
    ASSERT_TRUE(plat::WaitForRunningThreads(10000));
    EXPECT_EQ(LogCount("[TLogin][BEGIN] Tag = 3"), 1);
    EXPECT_FALSE(Main().timerDblClickTimer->Enabled());
}

} // namespace
} // namespace shell_test
