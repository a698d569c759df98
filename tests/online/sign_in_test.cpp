#include "foundation/app_info.h"
#include "foundation/pim_array.h"
#include "foundation/setup.h"
#include "foundation/users.h"
#include "model/pim.h"
#include "online/global.h"
#include "platform/core/clock.h"
#include "tests/online/online_world.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace online_test {
namespace {

using SignInTest = OnlineWorld;

struct SignInResult {
    bool accepted = false;
    int32_t resno = 0;
    TNString text;
    std::vector<int16_t> tags;
};

SignInResult SignIn(const char* login, const char* password)
{
    SignInResult result;
    result.accepted = g.Synchronise(0, 0, &result.text, &result.resno, TNString(password), TNString(login));
    int16_t tag = 0;
    uint32_t param = 0;
    while (g.uiTags.Take(&tag, &param))
        result.tags.push_back(tag);
    return result;
}

TEST_F(SignInTest, TheServiceReadsLoginAndPasswordByteForByte)
{
    ASSERT_TRUE(SignIn(kAliceLogin, kAlicePassword).accepted);
    auto logins = accounts_.RequestsNamed("login");
    ASSERT_EQ(logins.size(), 1u);
    EXPECT_EQ(test_service::FieldValue(logins[0].Fields, "Username"), kAliceLogin);
    EXPECT_EQ(test_service::FieldValue(logins[0].Fields, "Pass"), kAlicePassword);
    EXPECT_EQ(test_service::FieldValue(logins[0].Fields, "NetBIOSName"), "BUILDHOST");

    // A login that looks like another field stays one value.
    EXPECT_FALSE(SignIn("x&UserID=5", "y").accepted);
    logins = accounts_.RequestsNamed("login");
    ASSERT_EQ(logins.size(), 2u);
    EXPECT_EQ(test_service::FieldValue(logins[1].Fields, "Username"), "x&UserID=5");
    for (const auto& field : logins[1].Fields)
        EXPECT_NE(field.first, "UserID");
}

TEST_F(SignInTest, OutcomeTable)
{
    enum class Serve { Normally, Silently, Refused, Dead, ErrorPage };
    struct Case {
        const char* name;
        Serve serve;
        const char* password;
        bool accepted;
        int32_t resno;
        int16_t lastTag;
        int32_t syncInterval;
    };
    const Case cases[] = {
        {"accepted", Serve::Normally, kAlicePassword, true, 1, __uiOnlineAndLogged, 3},
        {"wrong password", Serve::Normally, "wrong", false, -1, __uiOfflineOrDownloadError, 60},
        {"refused without a message", Serve::Silently, kAlicePassword, false, 1, __uiOnlineButLoginFailed, 1200},
        {"connection refused", Serve::Dead, kAlicePassword, false, 0, __uiOfflineOrDownloadError, 60},
        {"error page", Serve::ErrorPage, kAlicePassword, false, 0, __uiOfflineOrDownloadError, 60},
    };
    accounts_.SetSyncInterval(3);
    const std::string liveDomain = App.ApiDomain[0];
    for (const Case& c : cases) {
        // Every row starts signed out.
        Uzivatele.Resize(0);
        Uzivatele.AktivniUzivatel = -1;
        PIM[0]->UserID = 0;
        PIM[0]->Records->UserOrganizerID = 0;
        g.SyncInterval = TNGlobal::kDefaultSyncInterval;
        g.UpdateAccount([](TNAccount& account) { account = TNAccount(); });
        accounts_.SetLoginRefusedSilently(c.serve == Serve::Silently);
        std::snprintf(App.ApiDomain[0], sizeof(App.ApiDomain[0]), "%s",
                      c.serve == Serve::Dead ? ("127.0.0.1:" + std::to_string(DeadPort()) + "/index.php").c_str()
                                             : liveDomain.c_str());
        ASSERT_TRUE(BuildServerAddresses(App));
        if (c.serve == Serve::ErrorPage)
            service_.ArmFault(test_service::AccountService::kApiPath,
                              test_service::Fault::WithStatus(500, "<resno>1</resno><UserLoginOK>1</UserLoginOK>"));

        SignInResult result = SignIn(kAliceLogin, c.password);
        EXPECT_EQ(result.accepted, c.accepted) << c.name;
        EXPECT_EQ(result.resno, c.resno) << c.name;
        ASSERT_FALSE(result.tags.empty()) << c.name;
        EXPECT_EQ(result.tags.back(), c.lastTag) << c.name;
        EXPECT_EQ(g.SyncInterval, c.syncInterval) << c.name;
        EXPECT_EQ(g.Online, c.serve == Serve::Dead || c.serve == Serve::ErrorPage ? 0 : 1) << c.name;
        // The list is written by the login page's continuation, never here.
        EXPECT_FALSE(std::filesystem::exists(UsersFile())) << c.name;
        TNUser active;
        TNAccount account = g.Account();
        if (c.accepted) {
            ASSERT_TRUE(Uzivatele.GetActiveUser(&active)) << c.name;
            EXPECT_EQ(std::string(active.Login.View()), kAliceLogin);
            EXPECT_EQ(std::string(active.UserName.View()), "alice");
            EXPECT_EQ(active.UserID, kAliceID);
            EXPECT_EQ(std::string(active.Password.View()), kAlicePassword);
            EXPECT_EQ(PIM[0]->UserID, kAliceID);
            EXPECT_EQ(PIM[0]->Records->UserOrganizerID, 501u);
            EXPECT_EQ(account.UserOrganizerID, 501u);
            EXPECT_EQ(std::string(account.FirstName.View()), "Alice");
            EXPECT_EQ(std::string(account.LastName.View()), "Nov\xE1kov\xE1");
            EXPECT_EQ(std::string(::Setup.GetString("SmsUcet_Username").View()), kAliceLogin);
        } else {
            EXPECT_FALSE(Uzivatele.GetActiveUser(&active)) << c.name;
            EXPECT_EQ(Uzivatele.Count(), 0) << c.name;
            EXPECT_EQ(PIM[0]->UserID, 0u) << c.name;
            EXPECT_EQ(PIM[0]->Records->UserOrganizerID, 0u) << c.name;
            EXPECT_TRUE(account.FirstName.IsEmpty()) << c.name;
        }
        if (c.resno == -1) {
            EXPECT_EQ(std::string(result.text.View()), "Nespr\xE1vn\xE9 p\xF8ihla\x9Aovac\xED jm\xE9no nebo heslo.");
        }
    }

    // No log holds the password, raw, encoded or as UTF-8.
    std::string logs = AllLogBytes();
    EXPECT_NE(logs.find("&Pass="), std::string::npos);
    for (const char* form : {"p&ss +1", "p%26ss", "p&amp;ss"})
        EXPECT_EQ(logs.find(form), std::string::npos) << form;
}

TEST_F(SignInTest, AccountKeysInsideItemsAreNeverTheAccount)
{
    MakeActiveUser(kAliceID, "alice", kAlicePassword);
    Uzivatele.UpdateUser(Uzivatele.AktivniUzivatel, [](TNUser& user) { user.Settings.Set("{\"mine\":1}"); });
    PIM[0]->UserID = kAliceID;
    accounts_.OmitAccountKeys({"Deleted", "UserID", "Settings"});
    accounts_.SetSyncBlock("<api-sync-pim><Organizers><0><ID>777</ID><Deleted>5</Deleted><UserID>77</UserID>"
                           "<Settings>{&quot;FinishedTasksTimeout&quot;:9}</Settings></0></Organizers></api-sync-pim>");

    SignInResult result = SignIn("alice", kAlicePassword);
    ASSERT_TRUE(result.accepted);
    for (int16_t tag : result.tags)
        EXPECT_NE(tag, __uiDeactivatedUser);
    EXPECT_EQ(PIM[0]->UserID, kAliceID);
    TNUser active;
    ASSERT_TRUE(Uzivatele.GetActiveUser(&active));
    EXPECT_EQ(active.UserID, kAliceID);
    EXPECT_EQ(std::string(active.Settings.View()), "{\"mine\":1}");
    EXPECT_EQ(active.Deleted, 0);
}

TEST_F(SignInTest, AMissingMessageClearsTheOldOneAndStampsCountByPresence)
{
    g.UpdateAccount([](TNAccount& account) { account.MessageID = 12; });
    const int64_t before = plat::UnixSeconds();
    ASSERT_TRUE(SignIn(kAliceLogin, kAlicePassword).accepted);
    EXPECT_EQ(g.Account().MessageID, 0u);
    // The service sends LastPimUpdateTime 0: its presence is what counts.
    EXPECT_GE(PIM[0]->LastPimUpdateTime, before);
    EXPECT_GE(PIM[0]->UsersOrganizersRecalcTime, before);
    EXPECT_EQ(g.InstID, 77u);
    EXPECT_EQ(g.InstIdConfirmed, 1);
}

TEST_F(SignInTest, AConfirmedNewPasswordReplacesTheStoredOne)
{
    MakeActiveUser(kAliceID, kAliceLogin, kAlicePassword);
    ASSERT_TRUE(g.SetActivePassword(TNString("nov\xE9")));
    TNUser active;
    ASSERT_TRUE(Uzivatele.GetActiveUser(&active));
    EXPECT_EQ(std::string(active.Password.View()), "nov\xE9");
    EXPECT_EQ(std::string(g.Account().Password.View()), "nov\xE9");
    // The entry remembers its password, so the file holds the new one.
    TNUsers stored;
    ASSERT_TRUE(stored.Load(UsersFile().substr(0, UsersFile().rfind('/') + 1)));
    TNUser reread;
    ASSERT_TRUE(stored.GetUser(0, &reread));
    EXPECT_EQ(std::string(reread.Password.View()), "nov\xE9");
}

} // namespace
} // namespace online_test
