#pragma once

// The account pages on the real dialog, model and transport: the pages'
// fixture with the in-process service holding the signed-in user, every
// dialog message box recorded and closed, and a step run in the modal loop
// of the page under test.

#include "dialog/unidlg.h"
#include "dialog/unidlg_pages.h"
#include "foundation/hooks.h"
#include "foundation/users.h"
#include "mainwindow/dialog_bridge.h"
#include "mainwindow/main_window.h"
#include "online/global.h"
#include "online/session_hooks.h"
#include "online/transport.h"
#include "platform/gui/dialogs.h"
#include "platform/testing/gui_seams.h"
#include "tests/mainwindow/pages_fixture.h"
#include "tests/service/account_actions.h"
#include "tests/service/account_service.h"
#include "tests/service/one_shot_routes.h"
#include "tests/service/sync_service.h"
#include "tests/service/test_service.h"
#include "view/hooks.h"
#include "view/view.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace shell_test {

class AccountPagesTest : public PagesTest {
protected:
    static constexpr const char* kLogin = "alice";
    static constexpr const char* kPassword = "heslo-123";

    AccountPagesTest()
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
        alice.UserID = kUserID;
        alice.Password = kPassword;
        alice.UserName = kLogin;
        alice.Email = "alice@example.test";
        alice.MainOrganizer = kOrganizerID;
        accounts_.AddAccount(alice);
        sync_.AddOrganizer(kOrganizerID, kUserID, 1, 1, "alice");
        PagesTest::SetUp();
        PointServiceAt("127.0.0.1:" + std::to_string(service_.Port()));
        TNString login(kLogin);
        TNString name(kLogin);
        TNString password(kPassword);
        Uzivatele.AktivniUzivatel = Uzivatele.AddOrUpdate(&login, &name, kUserID, 0, &password);
        g.UpdateAccount([](TNAccount& account) { account = TNAccount(); });
        g.SetActivePassword(password);
        g.UserLoginStatus = 1;
        g.pleaseSaveBasicProfileSettings = 0;
        g.basicProfileSettingsChanged = 0;
        InstallUniversalDialog();
        // The program's plain boxes, as the program window sets them up.
        FoundationHooks.MessageBox = [](const char* text, const char* caption, uint32_t flags) -> int32_t {
            return plat::MessageBox(text != nullptr ? text : "", caption != nullptr ? caption : "", flags);
        };
        script_ = std::make_unique<plat::testing::ScopedModalScript>([this](plat::TForm& form) {
            auto* dialog = dynamic_cast<TfrmUnidlgDLMR1*>(&form);
            if (dialog == nullptr)
                return;
            if (dialog->Key == "MB") {
                boxes.push_back(MessageBoxFields.Caption + ": " + MessageBoxFields.Text);
                dialog->Close();
                return;
            }
            opened.push_back(dialog->Key);
            if (step)
                step(*dialog);
            if (dialog->Visible())
                dialog->Close();
        });
    }

    void TearDown() override
    {
        script_.reset();
        FoundationHooks.MessageBox = nullptr;
        SetUniDialogFactory(nullptr);
        ViewDialogHooks = TNViewDialogHooks{};
        SessionHooks = TNSessionHooks{};
        g.UserLoginStatus = 0;
        g.NewAccount.Reset();
        g.UpdateAccount([](TNAccount& account) { account = TNAccount(); });
        PagesTest::TearDown();
        SetTransportConfig(TNTransportConfig());
        service_.Stop();
    }

    // Opens a page from the main window with `during` run in its loop.
    int32_t Open(const char* key, std::function<void(TfrmUnidlgDLMR1&)> during, int32_t i1 = 0, int32_t i6 = 0,
                 int32_t i8 = 0)
    {
        step = std::move(during);
        const int32_t slot = Main().UniDialog(key, nullptr, i1, 0, 0, 0, 0, i6, 0, i8);
        step = nullptr;
        return slot;
    }

    // The requests of a name the service received.
    std::vector<test_service::ApiRequest> Sent(const char* name) const { return accounts_.RequestsNamed(name); }

    static void Type(const char* name, const char* text) { View.SetText(name, text, false, 0); }

    std::vector<std::string> boxes;
    std::vector<std::string> opened;
    std::function<void(TfrmUnidlgDLMR1&)> step;
    std::unique_ptr<plat::testing::ScopedModalScript> script_;

    test_service::TestService service_;
    test_service::AccountService accounts_;
    test_service::SyncService sync_;
    test_service::OneShotRoutes oneShot_;
    test_service::AccountActions actions_;
};

} // namespace shell_test
