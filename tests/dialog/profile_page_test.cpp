// The basic profile page: its checks, the names sent at once and kept for
// the next pass when the service refuses, and the mandatory dialog.

#include "dialog/account_pages.h"
#include "model/model_lock.h"
#include "platform/gui/button.h"
#include "platform/gui/edit.h"
#include "platform/gui/label.h"
#include "tests/dialog/account_pages_fixture.h"
#include "tests/service/form_decoder.h"

#include <atomic>
#include <mutex>
#include <thread>

namespace shell_test {
namespace {

class ProfilePageTest : public AccountPagesTest {
protected:
    void StoreNames(const char* first, const char* last)
    {
        g.UpdateAccount([&](TNAccount& account) {
            account.FirstName.Set(first);
            account.LastName.Set(last);
        });
    }

    // Types the names and presses OK; whether the dialog closed.
    bool Save(const char* first, const char* last, int32_t mandatory = 0)
    {
        bool closed = false;
        Open(
            "BasicProfileSettings",
            [&](TfrmUnidlgDLMR1& dialog) {
                dialog.profilePage->edit11FirstName->SetText(first);
                dialog.profilePage->edit11LastName->SetText(last);
                dialog.btnUlozit->Click();
                closed = dialog.saved != 0;
                if (!closed && mandatory != 0)
                    dialog.saved = 1;
            },
            0, 0, mandatory);
        return closed;
    }
};

TEST_F(ProfilePageTest, ShowsTheStoredOrPendingNamesAndTheAccount)
{
    g.UpdateAccount([](TNAccount& account) {
        account.NewFirstName.Set("Jana");
        account.LastName.Set("Dvořáková");
        account.UserName.Set(kLogin);
        account.Email.Set("alice@example.test");
    });
    Open("BasicProfileSettings", [&](TfrmUnidlgDLMR1& dialog) {
        EXPECT_EQ(dialog.profilePage->edit11FirstName->Text(), "Jana");
        EXPECT_EQ(dialog.profilePage->edit11LastName->Text(), "Dvořáková");
        EXPECT_EQ(dialog.profilePage->label11UserID->Caption(), std::to_string(kUserID));
        EXPECT_EQ(dialog.profilePage->label11Username->Caption(), kLogin);
        EXPECT_EQ(dialog.profilePage->label11Email->Caption(), "alice@example.test");
        EXPECT_EQ(dialog.ActiveControl(), dialog.profilePage->edit11FirstName);
    });
}

TEST_F(ProfilePageTest, ChecksTheNamesAndSendsOnlyAChange)
{
    struct Row {
        const char* name;
        const char* storedFirst;
        const char* storedLast;
        const char* first;
        const char* last;
        bool closes;
        const char* box;
        const char* sentFirst;
        const char* sentLast;
    };
    const Row rows[] = {
        {"blanks are trimmed", "", "", "  Jan ", " Novák", true, nullptr, "Jan", "Novák"},
        {"unchanged names", "Jan", "Novák", "Jan", " Novák ", true, nullptr, nullptr, nullptr},
        {"an empty first name", "", "", "  ", "Novák", false, "Chyba: Položka \"Křestní jméno\" nesmí být prázdná!",
         nullptr, nullptr},
        {"an empty last name", "Jan", "Novák", "Jan", "", false, "Chyba: Položka \"Příjmení\" nesmí být prázdná!",
         nullptr, nullptr},
        {"an ampersand", "Jan", "Novák", "Anna & Jan", "Nováková", true, nullptr, "Anna & Jan", "Nováková"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        StoreNames(row.storedFirst, row.storedLast);
        boxes.clear();
        const size_t sentBefore = Sent("save-basic-profile-settings").size();
        EXPECT_EQ(Save(row.first, row.last), row.closes);
        if (row.box != nullptr) {
            ASSERT_EQ(boxes.size(), 1u);
            EXPECT_EQ(boxes[0], row.box);
        } else {
            EXPECT_TRUE(boxes.empty());
        }
        const auto sent = Sent("save-basic-profile-settings");
        if (row.sentFirst == nullptr) {
            EXPECT_EQ(sent.size(), sentBefore);
            continue;
        }
        ASSERT_EQ(sent.size(), sentBefore + 1);
        EXPECT_EQ(test_service::FieldValue(sent.back().Fields, "FirstName"), row.sentFirst);
        EXPECT_EQ(test_service::FieldValue(sent.back().Fields, "LastName"), row.sentLast);
        EXPECT_EQ(std::string(g.Account().FirstName.View()), row.sentFirst) << "the service's answer taken";
        EXPECT_EQ(g.pleaseSaveBasicProfileSettings.load(), 0);
        EXPECT_EQ(Sent("get-users-organizers").empty(), false);
    }
}

TEST_F(ProfilePageTest, ARefusedSaveStaysPendingForTheNextPass)
{
    accounts_.ArmApiFault("save-basic-profile-settings", test_service::ApiFault::Refuse());
    EXPECT_TRUE(Save("Jan", "Novák"));
    EXPECT_EQ(g.pleaseSaveBasicProfileSettings.load(), 1);
    EXPECT_EQ(std::string(g.Account().NewFirstName.View()), "Jan");
    EXPECT_EQ(std::string(g.Account().NewLastName.View()), "Novák");
}

TEST_F(ProfilePageTest, AMandatoryDialogStaysUntilNamesAreStored)
{
    bool stayed = false;
    // The clock's prompt opens it with the mandatory flag.
    Open(
        "BasicProfileSettings",
        [&](TfrmUnidlgDLMR1& dialog) {
            dialog.btnZavrit->Click();
            stayed = dialog.Visible();
            dialog.profilePage->edit11FirstName->SetText("Jan");
            dialog.profilePage->edit11LastName->SetText("Novák");
            dialog.btnUlozit->Click();
        },
        0, 0, 1);
    EXPECT_TRUE(stayed);
    ASSERT_FALSE(boxes.empty());
    EXPECT_EQ(boxes[0].rfind("Nastavte svůj profil: Toto okno nelze zavřít", 0), 0u) << boxes[0];
    EXPECT_EQ(Sent("save-basic-profile-settings").size(), 1u);
}

TEST_F(ProfilePageTest, TheModelLockIsFreeDuringBothRequests)
{
    std::atomic<int> freeDuring{0};
    auto probe = [&](const test_service::FormFields&, const test_service::Account*) {
        std::thread other([&] {
            TNModelWriteGuard lock(std::try_to_lock);
            if (lock.Held())
                ++freeDuring;
        });
        other.join();
        return std::string("<handshake>1</handshake><success>1</success>");
    };
    accounts_.RouteApi("save-basic-profile-settings", probe);
    accounts_.RouteApi("get-users-organizers", probe);
    EXPECT_TRUE(Save("Jan", "Novák"));
    EXPECT_EQ(freeDuring.load(), 2);
}

} // namespace
} // namespace shell_test
