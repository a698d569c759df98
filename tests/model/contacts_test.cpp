#include "foundation/app_info.h"
#include "model/contacts.h"
#include "model/hooks.h"
#include "model/model_lock.h"
#include "tests/model/model_test_support.h"
#include "tests/model/people_test_support.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

// The view layer's picture, as this test binary fakes it.
struct TNModelImage {
    std::string path;
};

using people_test::Answer;
using people_test::Attach;

namespace {

std::vector<std::string> loadedPictures;

TNModelImage* FakeLoad(const char* path)
{
    loadedPictures.emplace_back(path);
    return new TNModelImage{path};
}

void FakeFree(TNModelImage* image)
{
    delete image;
}

TEST(TNPIMContact, FullNameIsDisplayAsOrFirstAndLastName)
{
    model_test::Environment environment;
    model_test::DataSet set;
    TNPIMContacts contacts;
    Attach(contacts, set);
    struct Row {
        const char* name;
        const char* displayAs;
        const char* first;
        const char* last;
        const char* full;
        const char* lastFirst;
    } const rows[] = {
        {"display name set", "Honza", "Jan", "Novák", "Honza", "Novák Jan"},
        {"display name empty", "", "Jan", "Novák", "Jan Novák", "Novák Jan"},
        {"no last name", "", "Jan", "", "Jan ", " Jan"},
        {"no names at all", "", "", "", " ", " "},
    };
    ASSERT_TRUE(contacts.Resize(static_cast<int32_t>(std::size(rows))));
    for (uint32_t i = 0; i < std::size(rows); ++i) {
        TNPIMContact& k = *contacts.Items[i];
        k.ContactUserID = 100 + i;
        k.DisplayAs.Set(rows[i].displayAs);
        k.FirstName.Set(rows[i].first);
        k.LastName.Set(rows[i].last);
    }
    for (uint32_t i = 0; i < std::size(rows); ++i) {
        const Row& row = rows[i];
        EXPECT_EQ(contacts.Items[i]->GetFullName().View(), row.full) << row.name;
        TNString full("unchanged");
        EXPECT_TRUE(contacts.GetFullNameByContactUserID(100 + i, full));
        EXPECT_EQ(full.View(), row.full) << row.name;
        TNString lastFirst;
        EXPECT_TRUE(contacts.GetFullNameByContactUserID_LastNameFirst(100 + i, lastFirst));
        EXPECT_EQ(lastFirst.View(), row.lastFirst) << row.name;
    }
    TNString untouched("unchanged");
    EXPECT_FALSE(contacts.GetFullNameByContactUserID(999, untouched));
    EXPECT_FALSE(contacts.GetFullNameByContactUserID_LastNameFirst(999, untouched));
    EXPECT_EQ(untouched.View(), "unchanged");
}

TEST(TNPIMContacts, RenameThroughAnAnswerChangesTheFullName)
{
    model_test::Environment environment;
    model_test::DataSet set;
    TNPIMContacts contacts;
    Attach(contacts, set);
    TNString answer = Answer("contact_answer.txt");
    ASSERT_EQ(contacts.Add(&answer), 0);
    TNPIMContact& k = *contacts.Items[0];
    EXPECT_EQ(k.GetFullName().View(), "Jan Novák");

    TNString other("<ID>7301</ID><City>Brno</City>");
    contacts.Add(&other);
    EXPECT_EQ(k.GetFullName().View(), "Jan Novák");

    TNString renamed("<ID>7301</ID><LastName>Dvořák</LastName>");
    contacts.Add(&renamed);
    EXPECT_EQ(k.GetFullName().View(), "Jan Dvořák");

    TNString displayed("<ID>7301</ID><DisplayAs>Honza &amp; spol.</DisplayAs>");
    contacts.Add(&displayed);
    EXPECT_EQ(k.GetFullName().View(), "Honza & spol.");
    EXPECT_EQ(contacts.Count, 1);
}

// The window asks for names while it draws, holding the model lock shared,
// and another reader may ask at the same time: a name lookup is a reader, so
// that the cached name is never built by two threads at once.
TEST(TNPIMContacts, NamesAreLookedUpByReadersAtTheSameTime)
{
    model_test::Environment environment;
    model_test::DataSet set;
    TNPIMContacts contacts;
    Attach(contacts, set);
    constexpr int kContacts = 64;
    ASSERT_TRUE(contacts.Resize(kContacts));
    for (int i = 0; i < kContacts; ++i) {
        contacts.Items[i]->ContactUserID = 500 + static_cast<uint32_t>(i);
        contacts.Items[i]->FirstName.Set("Jan");
        contacts.Items[i]->LastName.Set("Novák");
    }
    auto reader = [&](std::vector<std::string>& names) {
        TNModelReadGuard lock;
        for (int i = 0; i < kContacts; ++i) {
            TNString name;
            if (contacts.GetFullNameByContactUserID(500 + static_cast<uint32_t>(i), name)) {
                names.emplace_back(name.View());
            }
            TNString lastFirst;
            if (contacts.GetFullNameByContactUserID_LastNameFirst(500 + static_cast<uint32_t>(i), lastFirst)) {
                names.emplace_back(lastFirst.View());
            }
            names.emplace_back(contacts.Items[i]->GetFullName().View());
        }
    };
    std::vector<std::string> first;
    std::vector<std::string> second;
    std::thread other([&] { reader(second); });
    reader(first);
    other.join();
    for (const auto* names : {&first, &second}) {
        ASSERT_EQ(names->size(), 3u * kContacts);
        for (size_t i = 0; i < names->size(); ++i) {
            EXPECT_EQ((*names)[i], i % 3 == 1 ? "Novák Jan" : "Jan Novák") << i;
        }
    }
}

TEST(TNPIMContacts, MissingContactUserIDIsLogged)
{
    model_test::Environment environment;
    model_test::LogCapture log;
    TNPIMContacts contacts;
    contacts.Init();
    EXPECT_EQ(contacts.GetItemByContactUserID(4242), nullptr);
    EXPECT_EQ(log.CountContaining("[TNPIMContacts::GetItemByContactUserID][NOT_FOUND] contact_user_id = 4242"), 1);
}

class TNPIMContactsImages : public ::testing::Test {
protected:
    void SetUp() override
    {
        saved_ = ModelHooks;
        ModelHooks.LoadImage = FakeLoad;
        ModelHooks.FreeImage = FakeFree;
        loadedPictures.clear();
        Attach(contacts_, set_);
        ASSERT_TRUE(contacts_.Resize(1));
        contacts_.Items[0]->ContactUserID = 77;
        contacts_.Items[0]->ProfilePicture = 9002;
        contacts_.Items[0]->ProfilePictureState = 9002;
        folder_ = set_.UserFolder() + set_.Domain() + "/Profiles/77/";
        std::filesystem::create_directories(folder_);
    }
    void TearDown() override
    {
        contacts_.Destroy();
        ModelHooks = saved_;
    }
    void Touch(const std::string& name) { std::ofstream(folder_ + name) << "jpeg"; }

    model_test::Environment environment_;
    model_test::DataSet set_;
    TNPIMContacts contacts_;
    std::string folder_;
    TNModelHooks saved_;
};

TEST_F(TNPIMContactsImages, WidthOutsideTheTableTouchesNoFile)
{
    Touch("9002.jpg");
    EXPECT_EQ(contacts_.getImageByWidth(77, 192), nullptr);
    EXPECT_EQ(contacts_.getImageByWidth(77, 0), nullptr);
    EXPECT_TRUE(loadedPictures.empty());
    EXPECT_TRUE(std::filesystem::exists(folder_ + "9002.jpg"));
    EXPECT_EQ(contacts_.Items[0]->ProfilePictureState, 9002);
}

TEST_F(TNPIMContactsImages, MissingWidthDropsTheFullPictureForAFreshFetch)
{
    Touch("9002.jpg");
    EXPECT_EQ(contacts_.getImageByWidth(77, 64), nullptr);
    EXPECT_FALSE(std::filesystem::exists(folder_ + "9002.jpg"));
    EXPECT_EQ(contacts_.Items[0]->ProfilePictureState, 0);
    EXPECT_TRUE(loadedPictures.empty());
}

TEST_F(TNPIMContactsImages, PresentWidthLoadsOnceThroughTheHook)
{
    Touch("9002-w64.jpg");
    TNModelImage* image = contacts_.getImageByWidth(77, 64);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->path, folder_ + "9002-w64.jpg");
    EXPECT_EQ(contacts_.getImageByWidth(77, 64), image);
    EXPECT_EQ(loadedPictures.size(), 1u);
    EXPECT_EQ(contacts_.getImageByWidth(78, 64), nullptr);
}

TEST(TNPIMContact, VersionOneLoadsWithoutMainOrganizer)
{
    people_test::Account account;
    account.set.StoreRaw(raftContact, 7301, model_test::ReadFixture("contact_v1.bin"));
    account.Load();
    TNPIMContacts& contacts = account.Pim().Contacts;
    ASSERT_EQ(contacts.Count, 1);
    const TNPIMContact& k = *contacts.Items[0];
    EXPECT_EQ(k.MainOrganizerID, 0u);
    EXPECT_EQ(k.ContactUserID, 77u);
    EXPECT_EQ(k.FirstName.View(), "Jan");
    EXPECT_EQ(k.AcademicTitles.View(), "Ing. Ph.D.");
    EXPECT_EQ(k.ProfilePicture, 9002u);
}

} // namespace
