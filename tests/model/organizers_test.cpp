#include "model/hooks.h"
#include "model/organizers.h"
#include "model/pim.h"
#include "tests/model/model_test_support.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

// The view layer's picture, as this test binary fakes it.
struct TNModelImage {
    std::string path;
};

namespace {

std::vector<std::string> loadedPaths;
std::vector<std::string> freedPaths;

TNModelImage* FakeLoad(const char* path)
{
    loadedPaths.emplace_back(path);
    return new TNModelImage{path};
}

void FakeFree(TNModelImage* image)
{
    freedPaths.push_back(image->path);
    delete image;
}

void FillOrganizer(TNPIMOrganizer& o)
{
    o.ID = 512;
    o.Created = 1600000000;
    o.Changed = 1650000000;
    o.Deleted = 0;
    o.UserID = 77;
    o.Title.Set("Rodinný kalendář");
    o.Note.Set("Společné akce");
    o.Name.Set("rodina");
    o.Type = 1;
    o.Visibility = 2;
    o.SubscribersCount = 14;
    o.CalendarIcon = 21;
    o.CalendarIconName.Set("dům");
    o.Origin = 50;
    o.Subscribe = 20;
    o.ViewSetting = 3;
}

std::string Stored(const TNPIMOrganizer& o)
{
    char text[512];
    std::snprintf(text, sizeof text, "%u %u %u %u %u [%s] [%s] [%s] %u %u %u %u [%s] %u %u view %u", o.ID, o.Created,
                  o.Changed, o.Deleted, o.UserID, o.Title.Text, o.Note.Text, o.Name.Text, o.Type, o.Visibility,
                  o.SubscribersCount, o.CalendarIcon, o.CalendarIconName.Text, o.Origin, o.Subscribe, o.ViewSetting);
    return text;
}

TEST(TNPIMOrganizer, RoundTripKeepsEveryStoredField)
{
    model_test::Environment environment;
    model_test::DataSet set;
    TNPIMOrganizers& organizers = set.Pim().Organizers;
    ASSERT_TRUE(organizers.Resize(1));
    FillOrganizer(*organizers.Items[0]);
    ASSERT_TRUE(organizers.SaveOrganizerByPos(0, false));
    std::string body = set.WriteQueued(*organizers.Items[0], raftOrganizer, 512);
    const TNPIMOrganizer& saved = *organizers.Items[0];
    EXPECT_EQ(body.size(),
              65u + saved.Title.Length + saved.Note.Length + saved.Name.Length + saved.CalendarIconName.Length);
    EXPECT_EQ(body, model_test::ReadFixture("organizer_v2.bin"));

    set.Reopen();
    TNPIMOrganizer loaded;
    ASSERT_TRUE(set.ReadStored(raftOrganizer, 512, [&](plat::ByteReader& in) { return loaded.Load(in); }));
    EXPECT_EQ(Stored(loaded), Stored(saved));
}

TEST(TNPIMOrganizer, LoadsVersionOneAndRefusesUnknownVersions)
{
    model_test::Environment environment;
    model_test::DataSet set;
    set.Pim().UserID = 77;

    TNPIMOrganizer expected;
    FillOrganizer(expected);
    expected.ViewSetting = 9;

    TNPIMOrganizer v1;
    v1.pim_srv_pos = 0;
    v1.ViewSetting = 9;
    std::string bytes = model_test::ReadFixture("organizer_v1.bin");
    plat::ByteReader in(bytes);
    ASSERT_TRUE(v1.Load(in));
    EXPECT_TRUE(in.AtEnd());
    EXPECT_EQ(Stored(v1), Stored(expected));
    EXPECT_EQ(v1.Role, 80) << "Role is computed after loading";

    TNPIMOrganizer v3;
    bytes = model_test::ReadFixture("organizer_v3.bin");
    plat::ByteReader in3(bytes);
    EXPECT_FALSE(v3.Load(in3));
    EXPECT_EQ(v3.ID, 0u);

    TNPIMOrganizer cut;
    bytes = model_test::ReadFixture("organizer_v2.bin");
    bytes.resize(bytes.size() - 2);
    plat::ByteReader inCut(bytes);
    EXPECT_FALSE(cut.Load(inCut));
}

TEST(TNPIMOrganizer, RightsFollowOriginSubscriptionAndSignIn)
{
    struct Case {
        uint32_t deleted;
        uint32_t origin;
        uint32_t subscribe;
        bool signedIn;
        int32_t role;
        bool canEdit;
        bool canEditRecords;
    };
    const Case cases[] = {
        {0, 1, 0, true, 100, true, true},   {0, 10, 5, true, 100, true, true},   {0, 50, 20, true, 80, false, true},
        {0, 50, 10, true, 60, false, true}, {0, 50, 1, true, 0, false, false},   {0, 50, 0, true, 0, false, false},
        {0, 50, 7, true, 0, false, false},  {0, 20, 20, true, 80, false, false}, {0, 1, 0, false, 0, false, true},
        {0, 50, 20, false, 0, false, true}, {5, 1, 0, true, 0, false, false},    {5, 50, 20, true, 0, false, false},
    };
    model_test::Environment environment;
    model_test::DataSet set;
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "deleted " << c.deleted << " origin " << c.origin << " subscribe "
                                        << c.subscribe << " signed in " << c.signedIn);
        set.Pim().UserID = c.signedIn ? 77 : 0;
        TNPIMOrganizer o;
        o.pim_srv_pos = 0;
        o.Deleted = c.deleted;
        o.Origin = c.origin;
        o.Subscribe = c.subscribe;
        std::unique_ptr<TNUsersRights> rights = o.GetUsersRights();
        ASSERT_NE(rights, nullptr);
        EXPECT_EQ(rights->Role, c.role);
        EXPECT_EQ(rights->CanEdit, c.canEdit);
        EXPECT_EQ(rights->Origin, c.deleted != 0 ? 0 : static_cast<int32_t>(c.origin));
        EXPECT_EQ(rights->Subscribe, c.deleted != 0 ? 0 : static_cast<int32_t>(c.subscribe));
        EXPECT_EQ(o.GetRole(), c.role);
        EXPECT_EQ(o.UserCanEditRecords(), c.canEditRecords);
    }
}

TEST(TNPIMOrganizers, AddTakesOverAnAnswerAndQueuesIt)
{
    model_test::Environment environment;
    model_test::DataSet set;
    set.Pim().UserID = 77;
    TNPIMOrganizers& organizers = set.Pim().Organizers;
    TNString answer(model_test::ReadFixture("organizer_answer.txt"));
    ASSERT_EQ(organizers.Add(&answer, false), 0);
    const TNPIMOrganizer& o = *organizers.Items[0];
    TNPIMOrganizer expected;
    FillOrganizer(expected);
    expected.Title.Set("Rodinný & pracovní");
    expected.ViewSetting = 0;
    EXPECT_EQ(Stored(o), Stored(expected));
    EXPECT_EQ(o.Role, 80);
    EXPECT_EQ(o.Unsaved, 1);
    EXPECT_EQ(o.PleaseSync, 0);
    EXPECT_EQ(organizers.LastReq, 1650000000u);
    EXPECT_GE(set.QueueItem(raftOrganizer, 512), 0);

    TNString again(model_test::ReadFixture("organizer_answer_without_title.txt"));
    EXPECT_EQ(organizers.Add(&again, false), 0);
    EXPECT_EQ(organizers.Count, 1);
    EXPECT_EQ(o.Title.View(), std::string("Rodinný & pracovní")) << "a missing title keeps the title";
    EXPECT_EQ(o.Changed, 1660000000u);
    EXPECT_EQ(o.CalendarIcon, 22u);
    EXPECT_EQ(organizers.LastReq, 1660000000u);

    TNString other("<ID>600</ID><Changed>5</Changed>");
    EXPECT_EQ(organizers.Add(&other, false), 1);
    EXPECT_EQ(organizers.Add(nullptr, false), -1);
}

TEST(TNPIMOrganizers, ReadableTitleFollowsRenames)
{
    model_test::Environment environment;
    model_test::DataSet set;
    TNPIMOrganizers& organizers = set.Pim().Organizers;
    TNString answer("<ID>512</ID><Title>Práce</Title>");
    organizers.Add(&answer, false);
    EXPECT_EQ(organizers.GetReadableTitleByID(512).View(), std::string("Práce"));

    TNString renamed("<ID>512</ID><Title>Škola</Title>");
    organizers.Add(&renamed, false);
    EXPECT_EQ(organizers.GetReadableTitleByID(512).View(), std::string("Škola"));

    TNString untitled("<ID>77</ID>");
    organizers.Add(&untitled, false);
    EXPECT_EQ(organizers.GetReadableTitleByID(77).View(), std::string("OrganizerID: 77"));
    organizers.Items[1]->SecondTitle.Set("Sdílený");
    EXPECT_EQ(organizers.GetReadableTitleByID(77).View(), std::string("Sdílený"));

    TNString out;
    EXPECT_TRUE(organizers.GetReadableTitleByID_2(512, &out));
    EXPECT_EQ(out.View(), std::string("Škola"));
    EXPECT_FALSE(organizers.GetReadableTitleByID_2(999, &out));
}

TEST(TNPIMOrganizers, PicturesComeThroughTheHookOncePerIcon)
{
    model_test::Environment environment;
    model_test::DataSet set;
    ModelHooks.LoadImage = FakeLoad;
    ModelHooks.FreeImage = FakeFree;
    loadedPaths.clear();
    freedPaths.clear();
    {
        TNPIMOrganizers& organizers = set.Pim().Organizers;
        TNString answer("<ID>512</ID><CalendarIcon>21</CalendarIcon>");
        organizers.Add(&answer, false);
        TNPIMOrganizer* o = organizers.Items[0];

        TNModelImage* image = organizers.getImageByWidth(o, 64);
        ASSERT_NE(image, nullptr);
        ASSERT_EQ(loadedPaths.size(), 1u);
        std::string expected = set.UserFolder() + set.Domain() + "/Organizers/512/21-w64.jpg";
        EXPECT_EQ(loadedPaths[0], expected);
        EXPECT_EQ(organizers.getImageByWidth(o, 64), image) << "cached";
        EXPECT_EQ(organizers.getImageByWidth(o, 196), organizers.getImageByWidth(o, 196));
        EXPECT_EQ(loadedPaths.size(), 2u);
        EXPECT_EQ(loadedPaths[1], set.UserFolder() + set.Domain() + "/Organizers/512/21-w196.jpg");
        EXPECT_EQ(organizers.getImageByWidth(o, 192), nullptr) << "192 is not one of the widths";
        EXPECT_EQ(loadedPaths.size(), 2u);

        TNString newIcon("<ID>512</ID><CalendarIcon>30</CalendarIcon>");
        organizers.Add(&newIcon, false);
        ASSERT_NE(organizers.getImageByWidth(o, 64), nullptr);
        EXPECT_EQ(loadedPaths.back(), set.UserFolder() + set.Domain() + "/Organizers/512/30-w64.jpg");
        EXPECT_EQ(freedPaths.size(), 2u) << "the old icon's pictures are freed";

        model_test::LogCapture log;
        TNString missing("<ID>512</ID><CalendarIcon>99</CalendarIcon>");
        organizers.Add(&missing, false);
        ModelHooks.LoadImage = [](const char* path) -> TNModelImage* {
            loadedPaths.emplace_back(path);
            return nullptr;
        };
        EXPECT_EQ(organizers.getImageByWidth(o, 16), nullptr);
        EXPECT_EQ(loadedPaths.back(), set.UserFolder() + set.Domain() + "/Organizers/512/99-w16.jpg");
        EXPECT_EQ(log.CountContaining("[TNPIMOrganizers::getImageByWidth][ERROR][NULL] Not loaded "
                                      "full_requested_image_path = "),
                  1);
        organizers.DestroyImages();
    }
    EXPECT_EQ(freedPaths.size(), 3u);
    ModelHooks = TNModelHooks();
}

TEST(TNPIMOrganizers, SortPutsTheAccountsOwnOrganizerFirst)
{
    model_test::Environment environment;
    model_test::DataSet set;
    TNPIMOrganizers& organizers = set.Pim().Organizers;
    const uint32_t ids[] = {10, 20, 30, 40, 50};
    ASSERT_TRUE(organizers.Resize(5));
    for (int i = 0; i < 5; ++i) {
        organizers.Items[i]->ID = ids[i];
    }
    organizers.SortOrganizers();
    EXPECT_EQ(organizers.Items[0]->ID, 10u) << "no main organizer: nothing moves";

    set.Pim().Records->UserOrganizerID = 40;
    organizers.SortOrganizers();
    const uint32_t sorted[] = {40, 10, 20, 30, 50};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(organizers.Items[i]->ID, sorted[i]) << i;
    }
}

TEST(TNPIMOrganizers, FinalizeLoadingSetsTheDownloadTimes)
{
    model_test::Environment environment;
    model_test::DataSet set;
    TNPIMOrganizers& organizers = set.Pim().Organizers;
    ASSERT_TRUE(organizers.Resize(3));
    organizers.Items[0]->ID = 5;
    organizers.Items[0]->UserID = 77;
    organizers.Items[0]->Changed = 300;
    organizers.Items[1]->ID = kFirstLocalID + 4;
    organizers.Items[1]->UserID = 77;
    organizers.Items[1]->Changed = 900;
    organizers.Items[1]->Deleted = 1;
    organizers.Items[2]->ID = 7;
    organizers.Items[2]->UserID = 77;
    organizers.Items[2]->Changed = 500;
    organizers.FinalizeLoading();
    EXPECT_EQ(organizers.OrganizersLastReq, 500u) << "newest change of the organizers not deleted";
    EXPECT_EQ(organizers.LastReq, 900u);
    EXPECT_EQ(organizers.NextID, kFirstLocalID + 5);

    model_test::LogCapture log;
    organizers.Items[2]->UserID = 0;
    organizers.FinalizeLoading();
    EXPECT_EQ(organizers.OrganizersLastReq, 0u);
    EXPECT_EQ(log.CountContaining("[TNPIMOrganizers::FinalizeLoading] UserID = 0; Setting LastReq to 0; "
                                  "OrganizerID = 7"),
              1);
}

TEST(TNPIMOrganizers, AuthorFilterListsEachAuthorOnce)
{
    model_test::Environment environment;
    model_test::DataSet set;
    TNPIMOrganizers& organizers = set.Pim().Organizers;
    EXPECT_EQ(organizers.AddAuthorToFilterList(0), -1);
    EXPECT_EQ(organizers.AddAuthorToFilterList(77), 0);
    EXPECT_EQ(organizers.AddAuthorToFilterList(12), 1);
    EXPECT_EQ(organizers.AddAuthorToFilterList(77), 0);
    EXPECT_EQ(organizers.FilterListCount, 2);
    EXPECT_EQ(organizers.FilterListName[1].View(), std::string("Uživatel s ID 12"));
    EXPECT_EQ(organizers.FilterListShown[0], 1);
    EXPECT_EQ(organizers.FindInFilterList(12, TNPIMOrganizers::kFilterAuthor), 1);
    EXPECT_EQ(organizers.FindInFilterList(12, 2), -1);
    organizers.CleanFilterListStruct();
    EXPECT_EQ(organizers.FilterListCount, 0);
    EXPECT_EQ(organizers.FindInFilterList(77, TNPIMOrganizers::kFilterAuthor), -1);
}

TEST(TNPIMOrganizers, AuthorFilterNamesKnownContactsLastNameFirst)
{
    model_test::Environment environment;
    model_test::DataSet set;
    TNPIMOrganizers& organizers = set.Pim().Organizers;
    TNPIMContacts& contacts = set.Pim().Contacts;
    ASSERT_TRUE(contacts.Resize(1));
    contacts.Items[0]->ContactUserID = 12;
    contacts.Items[0]->FirstName.Set("Jan");
    contacts.Items[0]->LastName.Set("Novák");
    contacts.Items[0]->DisplayAs.Set("Honza");

    EXPECT_EQ(organizers.AddAuthorToFilterList(12), 0);
    EXPECT_EQ(organizers.AddAuthorToFilterList(13), 1);
    EXPECT_EQ(organizers.FilterListName[0].View(), std::string("Novák Jan"));
    EXPECT_EQ(organizers.FilterListName[1].View(), std::string("Uživatel s ID 13"));

    // A contact that arrives after the author was listed names it on the
    // next pass.
    ASSERT_TRUE(contacts.Resize(2));
    contacts.Items[1]->ContactUserID = 13;
    contacts.Items[1]->FirstName.Set("Eva");
    contacts.Items[1]->LastName.Set("Dvořáková");
    organizers.NameFilterListAuthors();
    EXPECT_EQ(organizers.FilterListName[1].View(), std::string("Dvořáková Eva"));
}

} // namespace
