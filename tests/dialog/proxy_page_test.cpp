// The proxy page: its inputs' enabling, the proxy the environment names,
// the settings kept only on OK, and the connection test through the typed
// proxy against the in-process service.

#include "dialog/account_pages.h"
#include "foundation/app_info.h"
#include "foundation/dirs.h"
#include "foundation/setup.h"
#include "platform/gui/button.h"
#include "platform/gui/check_box.h"
#include "platform/gui/edit.h"
#include "platform/gui/label.h"
#include "tests/dialog/account_pages_fixture.h"
#include "tests/mainwindow/online_seams.h"

#include <cstdlib>

namespace shell_test {
namespace {

const char* const kProxyVariables[] = {"https_proxy", "HTTPS_PROXY", "http_proxy",
                                       "HTTP_PROXY",  "all_proxy",   "ALL_PROXY"};

class ProxyPageTest : public AccountPagesTest {
protected:
    void SetUp() override
    {
        AccountPagesTest::SetUp();
        for (const char* name : kProxyVariables) {
            if (const char* value = std::getenv(name))
                saved_.emplace_back(name, value);
            unsetenv(name);
        }
        SetProxySettings(false, "", "", false, "", "");
    }

    void TearDown() override
    {
        for (const char* name : kProxyVariables)
            unsetenv(name);
        for (const auto& [name, value] : saved_)
            setenv(name.c_str(), value.c_str(), 1);
        SetProxySettings(false, "", "", false, "", "");
        Dirs.UsersSetupFile.Set("");
        AccountPagesTest::TearDown();
    }

    // Opens the page, runs `during`, and closes without saving.
    void OnPage(const std::function<void(TfrmUnidlgDLMR1&, TNProxyPage&)>& during)
    {
        Open("Proxy", [&](TfrmUnidlgDLMR1& dialog) { during(dialog, *dialog.proxyPage); });
    }

    // The stored settings as one line.
    static std::string Stored()
    {
        return std::to_string(::Setup.GetBool("Proxy_Pouzivat")) + "|" +
               std::string(::Setup.GetString("Proxy_Host").View()) + "|" +
               std::string(::Setup.GetString("Proxy_Port").View()) + "|" +
               std::to_string(::Setup.GetBool("Proxy_Overovat")) + "|" +
               std::string(::Setup.GetString("Proxy_User").View()) + "|" +
               std::string(::Setup.GetString("Proxy_Pass").View());
    }

    std::vector<std::pair<std::string, std::string>> saved_;
};

TEST_F(ProxyPageTest, UseAndAuthEnableTheirInputs)
{
    struct Row {
        bool use;
        bool auth;
        bool hostEnabled;
        bool userEnabled;
    };
    const Row rows[] = {{false, false, false, false},
                        {false, true, false, false},
                        {true, false, true, false},
                        {true, true, true, true}};
    OnPage([&](TfrmUnidlgDLMR1& dialog, TNProxyPage& page) {
        EXPECT_EQ(dialog.ActiveControl(), page.checkPouzivatProxy);
        for (const Row& row : rows) {
            SCOPED_TRACE(std::to_string(row.use) + std::to_string(row.auth));
            page.checkPouzivatProxy->SetChecked(row.use);
            page.checkPouzivatOvereniProxy->SetChecked(row.auth);
            dialog.checkPouzivatProxyClick();
            EXPECT_EQ(page.editProxyHost->Enabled(), row.hostEnabled);
            EXPECT_EQ(page.editProxyPort->Enabled(), row.hostEnabled);
            EXPECT_EQ(page.checkPouzivatOvereniProxy->Enabled(), row.hostEnabled);
            EXPECT_EQ(page.editProxyUser->Enabled(), row.userEnabled);
            EXPECT_EQ(page.editProxyPass->Enabled(), row.userEnabled);
            EXPECT_EQ(page.labelProxyPass->Enabled(), row.userEnabled);
        }
    });
}

TEST_F(ProxyPageTest, TakesTheProxyTheEnvironmentNames)
{
    struct Row {
        const char* name;
        const char* variable;
        const char* value;
        bool use;
        const char* host;
        const char* port;
        const char* caption;
        bool portFocused;
    };
    const Row rows[] = {
        {"host and port", "https_proxy", "proxy.example:8080", true, "proxy.example", "8080", "Hotovo", false},
        {"several colons", "http_proxy", "a:b:8080", true, "a:b", "8080", "Hotovo", false},
        {"a bracketed IPv6 host", "https_proxy", "[::1]:3128", true, "[::1]", "3128", "Hotovo", false},
        {"scheme, user and path", "all_proxy", "http://user:pw@h.example:3128/", true, "h.example", "3128", "Hotovo",
         false},
        {"no port", "https_proxy", "proxy.example", true, "proxy.example", "", "Hotovo", true},
        {"no host", "https_proxy", "http://", false, "", "", "Chyba", false},
        {"nothing set", nullptr, nullptr, false, "", "", "Nenastaveno", false},
        {"upper case only", "HTTPS_PROXY", "big.example:81", true, "big.example", "81", "Hotovo", false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        for (const char* name : kProxyVariables)
            unsetenv(name);
        if (row.variable != nullptr)
            setenv(row.variable, row.value, 1);
        boxes_->boxes.clear();
        OnPage([&](TfrmUnidlgDLMR1& dialog, TNProxyPage& page) {
            page.checkPouzivatOvereniProxy->SetChecked(true);
            dialog.btnAutoProxyClick();
            EXPECT_EQ(page.checkPouzivatProxy->Checked(), row.use);
            EXPECT_FALSE(page.checkPouzivatOvereniProxy->Checked() && row.use);
            EXPECT_EQ(page.editProxyHost->Text(), row.host);
            EXPECT_EQ(page.editProxyPort->Text(), row.port);
            EXPECT_EQ(dialog.ActiveControl() == page.editProxyPort, row.portFocused);
        });
        ASSERT_EQ(boxes_->boxes.size(), 1u);
        EXPECT_EQ(boxes_->boxes[0].caption, row.caption);
        EXPECT_EQ(Stored(), "0|||0||") << "nothing is stored before OK";
    }
}

TEST_F(ProxyPageTest, OkStoresTheSixSettingsInTheSettingsFile)
{
    const std::string file = home_.Path() + "setup-proxy.dat";
    Dirs.UsersSetupFile.Set(file.c_str());
    Open("Proxy", [&](TfrmUnidlgDLMR1& dialog) {
        TNProxyPage& page = *dialog.proxyPage;
        page.checkPouzivatProxy->SetChecked(true);
        page.editProxyHost->SetText("proxy.example");
        page.editProxyPort->SetText("3128");
        page.checkPouzivatOvereniProxy->SetChecked(true);
        page.editProxyUser->SetText("jana");
        page.editProxyPass->SetText("tajne-heslo");
        dialog.btnUlozit->Click();
    });
    EXPECT_EQ(Stored(), "1|proxy.example|3128|1|jana|tajne-heslo");
    TNSetup read;
    ASSERT_TRUE(read.Load(Uzivatele, file));
    EXPECT_TRUE(read.GetBool("Proxy_Pouzivat"));
    EXPECT_EQ(std::string(read.GetString("Proxy_Host").View()), "proxy.example");
    EXPECT_EQ(std::string(read.GetString("Proxy_Port").View()), "3128");
    EXPECT_TRUE(read.GetBool("Proxy_Overovat"));
    EXPECT_EQ(std::string(read.GetString("Proxy_User").View()), "jana");
    EXPECT_EQ(std::string(read.GetString("Proxy_Pass").View()), "tajne-heslo");

    // The page shows them again.
    Open("Proxy", [&](TfrmUnidlgDLMR1& dialog) {
        EXPECT_TRUE(dialog.proxyPage->checkPouzivatProxy->Checked());
        EXPECT_EQ(dialog.proxyPage->editProxyPass->Text(), "tajne-heslo");
        EXPECT_EQ(dialog.proxyPage->editProxyPass->PasswordChar(), '*');
        EXPECT_TRUE(dialog.proxyPage->editProxyUser->Enabled());
    });
}

TEST_F(ProxyPageTest, TheConnectionTestReportsWhatCameBack)
{
    ScopedShortTimeouts timeouts;
    struct Row {
        const char* name;
        std::function<void()> arrange;
        const char* caption;
    };
    const Row rows[] = {
        {"the check string", [] {}, "Úspěšné spojení"},
        {"the check string and a line break",
         [this] {
             service_.Route("/test.php", [](const test_service::Request&) {
                 return test_service::Response::Text("[ServerCheck:1:]\n");
             });
         },
         "Chyba"},
        {"a stalled answer",
         [this] {
             test_service::Fault stall;
             stall.Type = test_service::Fault::Kind::Stall;
             stall.Milliseconds = 5000;
             service_.ArmFault("/test.php", stall);
         },
         "Chyba"},
        {"a closed port",
         [] { std::snprintf(App.ServerTestUrl, sizeof(App.ServerTestUrl), "http://127.0.0.1:1/test.php"); }, "Chyba"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        row.arrange();
        boxes_->boxes.clear();
        OnPage([&](TfrmUnidlgDLMR1& dialog, TNProxyPage&) { dialog.btnNastaveniProxyClick(); });
        ASSERT_EQ(boxes_->boxes.size(), 1u);
        EXPECT_EQ(boxes_->boxes[0].caption, row.caption);
        EXPECT_EQ(Stored(), "0|||0||");
    }
}

TEST_F(ProxyPageTest, TheConnectionTestGoesThroughTheTypedProxy)
{
    ScopedShortTimeouts timeouts;
    test_service::Options options;
    options.Proxy = true;
    options.ProxyUser = "jana";
    options.ProxyPass = "tajne-heslo";
    test_service::TestService proxy(options);
    ASSERT_TRUE(proxy.Start());
    struct Row {
        bool auth;
        const char* caption;
    };
    for (const Row& row : {Row{true, "Úspěšné spojení"}, Row{false, "Chyba"}}) {
        SCOPED_TRACE(row.auth);
        boxes_->boxes.clear();
        OnPage([&](TfrmUnidlgDLMR1& dialog, TNProxyPage& page) {
            page.checkPouzivatProxy->SetChecked(true);
            page.editProxyHost->SetText("127.0.0.1");
            page.editProxyPort->SetText(std::to_string(proxy.Port()));
            page.checkPouzivatOvereniProxy->SetChecked(row.auth);
            page.editProxyUser->SetText("jana");
            page.editProxyPass->SetText("tajne-heslo");
            dialog.btnNastaveniProxyClick();
        });
        ASSERT_EQ(boxes_->boxes.size(), 1u);
        EXPECT_EQ(boxes_->boxes[0].caption, row.caption);
        const auto log = proxy.ProxyLog();
        ASSERT_FALSE(log.empty());
        EXPECT_EQ(log.back().Target, App.ServerTestUrl) << "absolute form";
        EXPECT_EQ(log.back().Authorization.empty(), !row.auth);
    }
    EXPECT_EQ(Stored(), "0|||0||");
    EXPECT_EQ(LogText().find("tajne-heslo"), std::string::npos);
    proxy.Stop();
}

} // namespace
} // namespace shell_test
