// The password and e-mail pages: the order of their checks, and the
// service's answers through the real transport.

#include "online/download.h"
#include "platform/gui/button.h"
#include "tests/dialog/account_pages_fixture.h"
#include "tests/service/form_decoder.h"
#include "view/view_item.h"

#include "platform/gui/check_box.h"

namespace shell_test {
namespace {

const std::string k129(129, 'a');

class PasswordPagesTest : public AccountPagesTest {
protected:
    // Fills the fields and presses OK; whether the dialog closed.
    bool Submit(const char* key, const std::vector<std::pair<const char*, std::string>>& fields, bool terms = true,
                int32_t slot = 1)
    {
        bool closed = false;
        Open(
            key,
            [&](TfrmUnidlgDLMR1& dialog) {
                for (const auto& [name, text] : fields)
                    Type(name, text.c_str());
                View.SetCheckboxValue("check16Terms", terms);
                dialog.btnUlozit->Click();
                closed = dialog.saved != 0;
                focused = dialog.ActiveControl() != nullptr ? FocusedField(dialog) : "";
            },
            slot);
        return closed;
    }

    // The name of the page component whose control has the focus.
    static std::string FocusedField(TfrmUnidlgDLMR1& dialog)
    {
        TNViewItem* item = View.GetComponentByHandle(dialog.ActiveControl());
        return item != nullptr ? item->Name.Text : "";
    }

    std::string focused;
};

TEST_F(PasswordPagesTest, ChecksRunInOrderAndARefusalSendsNothing)
{
    struct Row {
        const char* name;
        const char* key;
        std::vector<std::pair<const char*, std::string>> fields;
        bool terms;
        const char* box;
        const char* focus;
    };
    const std::string ok = "heslo-123";
    const Row rows[] = {
        {"current password of 5",
         "ChangePassword",
         {{"edit15CurrentPassword", "12345"}, {"edit15NewPassword1", "novy-456"}, {"edit15NewPassword2", "novy-456"}},
         true,
         "Vyplňte položku: Položka 'Stávající heslo' není vyplněna nebo je krátká!",
         "edit15CurrentPassword"},
        {"current password of 129",
         "ChangePassword",
         {{"edit15CurrentPassword", k129}, {"edit15NewPassword1", "novy-456"}, {"edit15NewPassword2", "novy-456"}},
         true,
         "Zkraťte položku: Položka 'Stávající heslo' je příliš dlouhá.\nMaximální délka je 128 znaků.",
         "edit15CurrentPassword"},
        {"new passwords differing in case",
         "ChangePassword",
         {{"edit15CurrentPassword", ok}, {"edit15NewPassword1", "Novy-456"}, {"edit15NewPassword2", "novy-456"}},
         true,
         "Chyba: Položky 'Nové heslo' a 'Nové heslo (znovu)' nejsou stejné!",
         "edit15NewPassword2"},
        {"a new password with a blank",
         "ChangePassword",
         {{"edit15CurrentPassword", ok}, {"edit15NewPassword1", "novy 456"}, {"edit15NewPassword2", "novy 456"}},
         true,
         "Chyba: Heslo obsahuje nepovolené znaky\nMůžete kombinovat malá a VELKÁ písmena, čísla, mezery,\ntečky, "
         "pomlčky a znaky ! ? & + a podtržítko",
         "edit15NewPassword1"},
        {"a new password of 40",
         "ChangePassword",
         {{"edit15CurrentPassword", ok},
          {"edit15NewPassword1", std::string(40, 'b')},
          {"edit15NewPassword2", std::string(40, 'b')}},
         true,
         "Chyba: Heslo obsahuje nepovolené znaky\nMůžete kombinovat malá a VELKÁ písmena, čísla, mezery,\ntečky, "
         "pomlčky a znaky ! ? & + a podtržítko",
         "edit15NewPassword1"},
        {"e-mail of 4",
         "ChangeEmail",
         {{"edit16NewEmail", "a@b."}, {"edit16Password", ok}},
         true,
         "Vyplňte položku: Položka 'Nový e-mail' není vyplněna nebo je krátká!",
         "edit16NewEmail"},
        {"terms unticked before a short password",
         "ChangeEmail",
         {{"edit16NewEmail", "nova@example.test"}, {"edit16Password", "123"}},
         false,
         "Souhlas s podmínkami: Položka 'Autorizace e-mailu' Musí být zaškrtnuta.",
         "check16Terms"},
        {"e-mail password of 5",
         "ChangeEmail",
         {{"edit16NewEmail", "nova@example.test"}, {"edit16Password", "12345"}},
         true,
         "Vyplňte položku: Položka 'Vaše heslo' není vyplněna nebo je krátká!",
         "edit16Password"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        boxes.clear();
        EXPECT_FALSE(Submit(row.key, row.fields, row.terms));
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0], row.box);
        EXPECT_EQ(focused, row.focus);
    }
    EXPECT_TRUE(Sent("change-password").empty());
    EXPECT_TRUE(Sent("change-email").empty());
}

TEST_F(PasswordPagesTest, AnAddressCheckEmailRefusesShowsItsOwnBox)
{
    boxes_->boxes.clear();
    EXPECT_FALSE(Submit("ChangeEmail", {{"edit16NewEmail", "a@@b.cz"}, {"edit16Password", kPassword}}));
    EXPECT_TRUE(boxes.empty());
    ASSERT_EQ(boxes_->boxes.size(), 1u);
    EXPECT_EQ(boxes_->boxes[0].caption, "CHYBA");
    EXPECT_EQ(focused, "edit16NewEmail");
    EXPECT_TRUE(Sent("change-email").empty());
}

TEST_F(PasswordPagesTest, TheServicesAnswersReachTheUser)
{
    const std::vector<std::pair<const char*, std::string>> fields = {
        {"edit15CurrentPassword", kPassword}, {"edit15NewPassword1", "novy-456"}, {"edit15NewPassword2", "novy-456"}};
    struct Row {
        const char* name;
        std::function<void()> arrange;
        std::vector<std::pair<const char*, std::string>> fields;
        const char* box;
    };
    const Row rows[] = {
        {"offline", [] { g.UserLoginStatus = 0; }, fields, "Chyba: Pro tuto akci musíte být připojeni k internetu!"},
        {"the wrong current password",
         [] {},
         {{"edit15CurrentPassword", "spatne-1"},
          {"edit15NewPassword1", "novy-456"},
          {"edit15NewPassword2", "novy-456"}},
         "Chyba: Stávající heslo není správné."},
        {"handshake 0",
         [this] {
             accounts_.RouteApi("change-password", [](const test_service::FormFields& form,
                                                      const test_service::Account*) {
                 return "<handshake>0</handshake><inst-id>" + test_service::FieldValue(form, "InstID") + "</inst-id>";
             });
         },
         fields, "Chyba: Něco se nepovedlo (hodnota handshake = false).\nZkuste akci zopakovat."},
        {"another installation's answer",
         [this] {
             accounts_.RouteApi("change-password", [](const test_service::FormFields&, const test_service::Account*) {
                 return std::string("<handshake>1</handshake><success>1</success><inst-id>4242</inst-id>");
             });
         },
         fields, "Chyba: Něco se nepovedlo (hodnota handshake = false).\nZkuste akci zopakovat."},
        {"an escaped Response",
         [this] {
             accounts_.RouteApi(
                 "change-password", [](const test_service::FormFields& form, const test_service::Account*) {
                     return "<handshake>1</handshake><success>0</success><Response>&lt;b&gt;x</Response><inst-id>" +
                            test_service::FieldValue(form, "InstID") + "</inst-id>";
                 });
         },
         fields, "Chyba: <b>x"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        boxes.clear();
        g.UserLoginStatus = 1;
        row.arrange();
        EXPECT_FALSE(Submit("ChangePassword", row.fields));
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0], row.box);
    }
}

TEST_F(PasswordPagesTest, ANewPasswordIsUsedByEveryLaterRequest)
{
    EXPECT_TRUE(Submit("ChangePassword", {{"edit15CurrentPassword", kPassword},
                                          {"edit15NewPassword1", "novy-456"},
                                          {"edit15NewPassword2", "novy-456"}}));
    EXPECT_TRUE(boxes.empty());
    ASSERT_EQ(Sent("change-password").size(), 1u);
    EXPECT_EQ(test_service::FieldValue(Sent("change-password")[0].Fields, "userId"), std::to_string(kUserID));
    EXPECT_EQ(accounts_.AccountByID(kUserID).Password, "novy-456");

    // The next head authenticates with it: the service answers handshake 1.
    TNFormBuilder body;
    ASSERT_TRUE(g.Sync2SetRequest("mark-all-notifications-as-read", nullptr, 1, &body));
    TNDownload download;
    ASSERT_TRUE(g.PostToApiAt(0, body.Text(), download));
    EXPECT_NE(download.DocumentBytes().find("<handshake>1</handshake>"), std::string::npos) << download.DocumentBytes();

    // The log names the requests but neither password.
    const std::string log = LogText();
    EXPECT_NE(log.find("ApiReq=change%2Dpassword"), std::string::npos);
    EXPECT_EQ(log.find(kPassword), std::string::npos);
    EXPECT_EQ(log.find("novy-456"), std::string::npos);
}

TEST_F(PasswordPagesTest, AnEmailChangeWaitsForConfirmation)
{
    struct Row {
        int32_t slot;
        const char* caption;
    };
    const Row rows[] = {{1, "Změnit primární e-mail"},
                        {2, "Změnit sekundární e-mail"},
                        {3, "Změnit terciární e-mail"},
                        {0, "Změnit e-mail"}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.slot);
        std::string caption;
        bool closed = false;
        step = [&](TfrmUnidlgDLMR1& dialog) {
            caption = dialog.Caption();
            Type("edit16NewEmail", "nova@example.test");
            View.SetCheckboxValue("check16Terms", true);
            Type("edit16Password", kPassword);
            dialog.btnUlozit->Click();
            closed = dialog.saved != 0;
        };
        // The account menu's opener passes the slot in i1.
        Main().mnuChangeEmailClick(row.slot);
        step = nullptr;
        EXPECT_EQ(caption, row.caption);
        EXPECT_TRUE(closed);
        int slot = -1;
        EXPECT_EQ(actions_.PendingEmail(kUserID, &slot), "nova@example.test");
        EXPECT_EQ(slot, row.slot);
        EXPECT_EQ(test_service::FieldValue(Sent("change-email").back().Fields, "emailType"), std::to_string(row.slot));
    }
    EXPECT_EQ(accounts_.AccountByID(kUserID).Email, "alice@example.test") << "not before the confirmation";
    // The last change asked for slot 0: confirm a primary one.
    EXPECT_TRUE(Submit("ChangeEmail", {{"edit16NewEmail", "nova@example.test"}, {"edit16Password", kPassword}}));
    EXPECT_TRUE(actions_.ConfirmPendingEmail(kUserID));
    EXPECT_EQ(accounts_.AccountByID(kUserID).Email, "nova@example.test");
}

} // namespace
} // namespace shell_test
