// The new-account wizard on the real dialog: the reveal, the live check,
// Continue held back until a step allows it, and the tests and the
// creation worked off by the online pass against the in-process service.

#include "dialog/account_pages.h"
#include "online/online_steps.h"
#include "platform/gui/button.h"
#include "platform/gui/edit.h"
#include "platform/gui/label.h"
#include "platform/gui/panel.h"
#include "platform/gui/timer.h"
#include "platform/testing/gui_harness.h"
#include "tests/dialog/account_pages_fixture.h"

#include <chrono>
#include <thread>

namespace shell_test {
namespace {

constexpr const char* kName = "novy-uzivatel";
constexpr const char* kEmail = "novy@example.test";
constexpr const char* kNewPassword = "heslo-456";

class NewAccountWizardTest : public AccountPagesTest {
protected:
    void SetUp() override
    {
        AccountPagesTest::SetUp();
        // The wizard belongs to the login page: nobody is signed in.
        g.UserLoginStatus = 0;
    }

    // The reveal of the step: the first tick after `firstMs`, then one
    // group every 50 ms.
    void Reveal(int64_t firstMs = 500)
    {
        timers_->Advance(firstMs);
        for (int i = 0; i < 4; ++i)
            timers_->Advance(50);
    }

    // What the next online pass does for the wizard, and its posted answers.
    static void Pass()
    {
        online::onlineProceedTests();
        online::onlineCreateNewAccount();
        plat::testing::Flush();
    }

    // A pass, then the posted answers until `done`: the online timer the
    // page arms may have started a pass of its own that took the work.
    static bool PassUntil(const std::function<bool()>& done)
    {
        Pass();
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (!done()) {
            if (std::chrono::steady_clock::now() > deadline)
                return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
            plat::testing::Flush();
        }
        return true;
    }

    static void TypeValue(TNNewUserPage& page, const char* text) { page.edit6Value->SetText(text); }

    // Steps 0 to 4 typed and continued, each once the page allows it.
    void WalkToTheEnd(TfrmUnidlgDLMR1& dialog, const char* name = kName, const char* email = kEmail)
    {
        TNNewUserPage& page = *dialog.newUserPage;
        Reveal();
        TypeValue(page, name);
        ASSERT_TRUE(PassUntil([&] { return page.btn6Continue->Enabled(); }));
        page.btn6Continue->Click();
        Reveal();
        TypeValue(page, kNewPassword);
        ASSERT_TRUE(page.btn6Continue->Enabled());
        page.btn6Continue->Click();
        Reveal();
        TypeValue(page, email);
        ASSERT_TRUE(PassUntil([&] { return page.btn6Continue->Enabled(); }));
        page.btn6Continue->Click();
        Reveal();
        ASSERT_TRUE(page.btn6Continue->Enabled());
        page.btn6Continue->Click();
        Reveal();
        TypeValue(page, kNewPassword);
        ASSERT_TRUE(page.btn6Continue->Enabled());
        page.btn6Continue->Click();
        timers_->Advance(500);
        EXPECT_EQ(page.label6Hint->Caption(), "Vytvářím účet...");
        EXPECT_EQ(g.NewAccount.RequestPending.load(), 1);
    }
};

TEST_F(NewAccountWizardTest, RevealsOneGroupPerTickAndGoesBackWithTheValuesKept)
{
    Open("NewUser", [&](TfrmUnidlgDLMR1& dialog) {
        TNNewUserPage& page = *dialog.newUserPage;
        EXPECT_FALSE(dialog.pNadpis->Visible());
        EXPECT_FALSE(page.label6Hint->Visible());
        timers_->Advance(500);
        EXPECT_TRUE(page.label6Hint->Visible());
        EXPECT_EQ(page.label6Hint->Caption(), "Uživatelské jméno");
        EXPECT_FALSE(page.label6Title->Visible());
        timers_->Advance(50);
        EXPECT_TRUE(page.label6Title->Visible());
        EXPECT_FALSE(page.edit6Value->Visible());
        timers_->Advance(50);
        EXPECT_TRUE(page.edit6Value->Visible());
        EXPECT_EQ(dialog.ActiveControl(), page.edit6Value);
        timers_->Advance(50);
        EXPECT_TRUE(page.btn6Continue->Visible());
        EXPECT_FALSE(page.btn6Back->Visible()) << "no way back from the first step";
        EXPECT_FALSE(page.label6Info->Visible());
        timers_->Advance(50);
        EXPECT_TRUE(page.label6Info->Visible());

        // Step 0: Continue waits for the service's "NotFound" for this text.
        TypeValue(page, kName);
        EXPECT_FALSE(page.btn6Continue->Enabled());
        EXPECT_EQ(g.NewAccount.UserPathTest.load(), 1);
        EXPECT_TRUE(PassUntil([&] { return page.btn6Continue->Enabled(); }));
        EXPECT_EQ(page.label6Info->Caption().rfind("Skvělé! Toto uživatelské jméno je volné", 0), 0u);
        TypeValue(page, "novy-uzivatel2");
        EXPECT_FALSE(page.btn6Continue->Enabled()) << "a keystroke waits for a new answer";
        ASSERT_TRUE(PassUntil([&] { return page.btn6Continue->Enabled(); }));
        page.btn6Continue->Click();
        Reveal();

        // Step 1: a short password holds Continue, Enter included.
        EXPECT_EQ(page.edit6Value->PasswordChar(), '*');
        TypeValue(page, "12345");
        EXPECT_FALSE(page.btn6Continue->Enabled());
        dialog.btn6ContinueClick();
        EXPECT_EQ(page.label6Hint->Caption(), "Heslo");
        TypeValue(page, kNewPassword);
        EXPECT_TRUE(page.btn6Continue->Enabled());
        page.btn6Continue->Click();
        Reveal();
        TypeValue(page, kEmail);
        ASSERT_TRUE(PassUntil([&] { return page.btn6Continue->Enabled(); }));
        page.btn6Continue->Click();
        Reveal();
        EXPECT_EQ(page.btn6Continue->Caption(), "Souhlasím");
        EXPECT_TRUE(page.label6Terms->Visible());
        page.btn6Continue->Click();
        Reveal();

        // Step 4: a mismatch holds Continue; three times back is step 1.
        TypeValue(page, "heslo-457");
        EXPECT_FALSE(page.btn6Continue->Enabled());
        dialog.btn6ContinueClick();
        EXPECT_EQ(page.label6Hint->Caption(), "Heslo znovu");
        for (int i = 0; i < 3; ++i) {
            page.btn6Back->Click();
            Reveal(50);
        }
        EXPECT_EQ(page.label6Hint->Caption(), "Heslo");
        EXPECT_EQ(page.edit6Value->Text(), kNewPassword);
        EXPECT_TRUE(page.btn6Continue->Enabled());
    });
    EXPECT_EQ(g.NewAccount.PageActive.load(), 0);
    EXPECT_TRUE(g.NewAccount.Get().Password.IsEmpty()) << "a close with nothing pending forgets the texts";
}

TEST_F(NewAccountWizardTest, CreatesTheAccountAndClosesThePage)
{
    Open("NewUser", [&](TfrmUnidlgDLMR1& dialog) {
        WalkToTheEnd(dialog);
        EXPECT_TRUE(PassUntil([&] { return dialog.saved != 0; })) << "closed by the page's hook";
    });
    const test_service::Account made = accounts_.AccountByLogin(kEmail);
    ASSERT_NE(made.UserID, 0u);
    EXPECT_EQ(made.Password, kNewPassword);
    EXPECT_EQ(made.UserName, kName);
    EXPECT_EQ(made.Email, kEmail);
    const std::string log = LogText();
    EXPECT_NE(log.find("ApiReq=create%2Dnew%2Daccount"), std::string::npos);
    EXPECT_EQ(log.find(kNewPassword), std::string::npos);
}

TEST_F(NewAccountWizardTest, ARefusedCreationGoesBackToTheStepToChange)
{
    struct Row {
        const char* name;
        const char* userName;
        const char* email;
        std::function<void(test_service::AccountService&)> takeAway;
        const char* hint;
        const char* reason;
    };
    const Row rows[] = {
        {"the user name taken meanwhile", "novy-a", "a@example.test",
         [](test_service::AccountService& accounts) {
             test_service::Account other;
             other.UserID = 4001;
             other.UserName = "novy-a";
             other.Password = "x";
             accounts.AddAccount(other);
         },
         "Uživatelské jméno", "Tak bohužel...\nToto uživatelské jméno již někdo používá\nVymyslete si jiné"},
        {"the address taken meanwhile", "novy-b", "b@example.test",
         [](test_service::AccountService& accounts) {
             test_service::Account other;
             other.UserID = 4002;
             other.UserName = "jiny";
             other.Email = "b@example.test";
             other.Password = "x";
             accounts.AddAccount(other);
         },
         "E-mailová adresa", nullptr},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Open("NewUser", [&](TfrmUnidlgDLMR1& dialog) {
            TNNewUserPage& page = *dialog.newUserPage;
            WalkToTheEnd(dialog, row.userName, row.email);
            row.takeAway(accounts_);
            ASSERT_TRUE(PassUntil([&] { return page.label6Hint->Caption() != "Vytvářím účet..."; }));
            ASSERT_EQ(dialog.saved, 0);
            EXPECT_EQ(page.label6Hint->Caption(), row.hint);
            if (row.reason != nullptr)
                EXPECT_EQ(page.label6Info->Caption(), row.reason);
            else
                EXPECT_EQ(page.label6Info->Caption().rfind("Účet již existuje...", 0), 0u);
            EXPECT_EQ(page.label6Info->Font().Color(), 0x0000FFu);
            EXPECT_FALSE(page.btn6Continue->Enabled());
        });
    }
}

} // namespace
} // namespace shell_test
