// The account pages as they are drawn: the wizard refusing a password, a
// contact request with its whole profile, the primary e-mail change.

#include "dialog/account_pages.h"
#include "model/contacts_requests.h"
#include "model/pim.h"
#include "platform/gui/button.h"
#include "platform/gui/edit.h"
#include "platform/testing/gui_harness.h"
#include "tests/dialog/account_pages_fixture.h"
#include "view/image_table.h"

namespace shell_test {
namespace {

const std::string kGoldens = DALMORA_TEST_DATA_DIR;
const std::string kOutput = std::string(DALMORA_BINARY_DIR) + "gui-test-output";

class AccountPagesLookTest : public AccountPagesTest {};

TEST_F(AccountPagesLookTest, TheWizardRefusingAPassword)
{
    g.UserLoginStatus = 0;
    g.NewAccount.Update([](TNNewAccountState::Texts& texts) { texts.UserPath.Set("novy-uzivatel"); });
    Open("NewUser", [&](TfrmUnidlgDLMR1& dialog) {
        TNNewUserPage& page = *dialog.newUserPage;
        // Straight to the password step, as Continue from a free name goes.
        dialog.Params[1] = 1;
        timers_->Advance(500);
        for (int i = 0; i < 4; ++i)
            timers_->Advance(50);
        page.edit6Value->SetText("a b!?&+_");
        plat::testing::Flush();
        EXPECT_TRUE(plat::testing::MatchesGolden(dialog, kGoldens + "new_account_password.png", kOutput));
    });
}

TEST_F(AccountPagesLookTest, AContactRequestWithItsWholeProfile)
{
    ImageTable.CreateBlankImage("imgUserPhotoBlankHeader32", 32, 32, 0xC0C0C0);
    TNPIMContactsRequests& requests = Account(0).ContactsRequests;
    ASSERT_TRUE(requests.Resize(1));
    TNPIMContactsRequest& request = *requests.Items[0];
    request.ID = 9100;
    request.FullName.Set("Jan Novák");
    request.Bio.Set("Fotograf a cestovatel.");
    request.Web.Set("https://jan.example/");
    request.Company.Set("Novák & syn");
    request.City.Set("Brno");
    Open(
        "ContactRequest",
        [&](TfrmUnidlgDLMR1& dialog) {
            plat::testing::Flush();
            EXPECT_TRUE(plat::testing::MatchesGolden(dialog, kGoldens + "contact_request.png", kOutput));
        },
        0, 0, 9100);
}

TEST_F(AccountPagesLookTest, ThePrimaryEmailChange)
{
    g.UpdateAccount([](TNAccount& account) { account.Email.Set("alice@example.test"); });
    Open(
        "ChangeEmail",
        [&](TfrmUnidlgDLMR1& dialog) {
            plat::testing::Flush();
            EXPECT_TRUE(plat::testing::MatchesGolden(dialog, kGoldens + "change_email.png", kOutput));
        },
        1);
}

} // namespace
} // namespace shell_test
