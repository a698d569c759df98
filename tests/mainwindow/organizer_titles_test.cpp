// The display texts of organizers and whether the user may write in them.

#include "mainwindow/organizer_titles.h"

#include "tests/mainwindow/pages_fixture.h"

#include "foundation/pim_array.h"
#include "model/contacts.h"
#include "model/organizers.h"
#include "model/pim.h"
#include "online/global.h"

#include <gtest/gtest.h>

#include <string>

namespace shell_test {
namespace {

TEST(OrganizerDisplayTitle, TakesTheFirstSourceThatGivesAText)
{
    TNOrganizerTitleSources user;
    user.ProfileSetUp = true;
    user.FirstName = "Jan";
    user.LastName = "Novák";
    user.OwnerID = 77;
    user.OwnerIsUser = true;
    user.Origin = 1;
    user.ID = 501;
    struct Case {
        const char* name;
        TNOrganizerTitleSources sources;
        const char* title;
    };
    auto with = [](TNOrganizerTitleSources s, auto change) {
        change(s);
        return s;
    };
    const Case cases[] = {
        {"the user's untitled main calendar", user, "Jan Novák"},
        {"a title", with(user, [](auto& s) { s.Title = "Rodina"; }), "Rodina"},
        {"the user's own other calendar", with(user, [](auto& s) { s.Origin = 10; }), "Jan Novák"},
        {"another owner's name",
         with(user,
              [](auto& s) {
                  s.OwnerIsUser = false;
                  s.OwnerContactName = "Eva Malá";
              }),
         "Eva Malá"},
        {"the user's own organizer",
         with(user,
              [](auto& s) {
                  s.OwnerID = 0;
                  s.UsersOwn = true;
              }),
         "Můj kalendář"},
        {"an owner without contact",
         with(user,
              [](auto& s) {
                  s.OwnerIsUser = false;
                  s.WebName = "rodina";
              }),
         "rodina"},
        {"nothing but the id",
         with(user,
              [](auto& s) {
                  s.OwnerID = 0;
                  s.ID = 77;
              }),
         "OrganizerID: 77"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(OrganizerDisplayTitle(c.sources), c.title) << c.name;
}

class AccessibleOrganizer : public PagesTest {
protected:
    void SetUp() override
    {
        PagesTest::SetUp();
        g.UpdateAccount([](TNAccount& account) {
            account.FirstName.Set("Jan");
            account.LastName.Set("Novák");
            account.UserOrganizerID = kOrganizerID;
        });
    }
    void TearDown() override
    {
        g.UpdateAccount([](TNAccount& account) { account = TNAccount(); });
        PagesTest::TearDown();
    }
    void AddContact(uint32_t userId, const char* first, const char* last)
    {
        TNPIMContacts& contacts = Account(0).Contacts;
        ASSERT_TRUE(contacts.Resize(contacts.Count + 1));
        TNPIMContact& contact = *contacts.Items[contacts.Count - 1];
        contact.ContactUserID = userId;
        contact.FirstName.Set(first);
        contact.LastName.Set(last);
    }
};

TEST_F(AccessibleOrganizer, FillsTitlesAndTellsWhetherTheUserMayWrite)
{
    AddContact(88, "Eva", "Malá");
    TNPIMOrganizer& own = *Account(0).Organizers.GetOrganizerByID(kOrganizerID);
    TNPIMOrganizer& followed = AddOrganizer(Account(0), 601, 50, 1);
    followed.UserID = 88;
    TNPIMOrganizer& cached = AddOrganizer(Account(0), 602, 10);
    cached.ReadableTitle.Set("Dříve");
    TNPIMOrganizer& page = AddOrganizer(Account(0), 603, 20, 5);
    page.UserID = 88;
    TNPIMOrganizer& stranger = AddOrganizer(Account(0), 604, 20, 5);
    stranger.UserID = 99;
    struct Case {
        TNPIMOrganizer* organizer;
        bool accessible;
        const char* title;
        const char* owner;
    };
    const Case cases[] = {
        {&own, true, "Jan Novák", ""},  {&followed, false, "Eva Malá", ""}, {&cached, true, "Dříve", ""},
        {&page, false, "", "Eva Malá"}, {&stranger, false, "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.organizer->ID);
        bool accessible = !c.accessible;
        Main().GetAccessibleOrganizer(c.organizer, accessible);
        EXPECT_EQ(accessible, c.accessible);
        EXPECT_EQ(c.organizer->ReadableTitle.View(), c.title);
        EXPECT_EQ(c.organizer->SecondTitle.View(), c.owner);
    }
    EXPECT_EQ(LogCount("[TfrmMainDLMR1::GetAccessibleOrganizer][B][NULL] contact = NULL; organizer->ID = 604"), 1);
    EXPECT_EQ(LogCount("[TfrmMainDLMR1::GetAccessibleOrganizer][B][NULL] organizer->UserID = 99"), 1);
}

TEST_F(AccessibleOrganizer, LeavesMissingAndDeletedOrganizersAlone)
{
    bool accessible = true;
    Main().GetAccessibleOrganizer(nullptr, accessible);
    EXPECT_FALSE(accessible);
    EXPECT_EQ(LogCount("[TfrmMainDLMR1::GetAccessibleOrganizer][ERROR] organizer = NULL"), 1);

    TNPIMOrganizer& deleted = AddOrganizer(Account(0), 605);
    deleted.Deleted = 1;
    accessible = true;
    Main().GetAccessibleOrganizer(&deleted, accessible);
    EXPECT_FALSE(accessible);
    EXPECT_TRUE(deleted.ReadableTitle.IsEmpty());
}

} // namespace
} // namespace shell_test
