#include "model/contacts_requests.h"
#include "tests/model/model_test_support.h"
#include "tests/model/people_test_support.h"

#include <gtest/gtest.h>

#include <string>

using people_test::Answer;
using people_test::Attach;

namespace {

constexpr uint32_t kID = 7001;

TEST(TNPIMContactsRequest, VersionOneLoadsItsTwelveFields)
{
    people_test::Account account;
    account.set.StoreRaw(raftContactsRequest, kID, model_test::ReadFixture("contacts_request_v1.bin"));
    account.Load();
    TNPIMContactsRequests& requests = account.Pim().ContactsRequests;
    ASSERT_EQ(requests.Count, 1);
    const TNPIMContactsRequest& r = *requests.Items[0];
    EXPECT_FALSE(r.PleaseSync);
    EXPECT_EQ(r.ID, kID);
    EXPECT_EQ(r.Created, 1700000000);
    EXPECT_EQ(r.Changed, 1700000100);
    EXPECT_EQ(r.Deleted, 0);
    EXPECT_EQ(r.UserID, 3001u);
    EXPECT_EQ(r.ContactUserID, 77u);
    EXPECT_EQ(r.RequestIP.View(), "192.168.0.10");
    EXPECT_EQ(r.AcceptanceType, 200);
    EXPECT_EQ(r.AcceptanceTimestamp, 1700000200);
    EXPECT_EQ(r.EmailID, 55u);
    EXPECT_TRUE(r.FullName.IsEmpty());
    EXPECT_EQ(r.ProfilePicture, 0u);
    EXPECT_TRUE(r.Unsaved);

    EXPECT_GE(account.set.QueueItem(raftContactsRequest, kID), 0);
}

TEST(TNPIMContactsRequest, PictureStateStartsOverAfterLoad)
{
    people_test::Account account;
    account.set.StoreRaw(raftContactsRequest, kID, model_test::ReadFixture("contacts_request_v2_picture_state_7.bin"));
    account.Load();
    TNPIMContactsRequests& requests = account.Pim().ContactsRequests;
    ASSERT_EQ(requests.Count, 1);
    EXPECT_EQ(requests.Items[0]->ProfilePictureState, 1);
    EXPECT_EQ(requests.Items[0]->Bio.View(), "Pekařka");
    EXPECT_EQ(requests.Items[0]->Web.View(), "https://example.org/");
    EXPECT_EQ(account.set.QueueItem(raftContactsRequest, kID), -1);
}

TEST(TNPIMContactsRequests, AnswersAndConfirmationsKeepWhatTheyDoNotCarry)
{
    model_test::Environment environment;
    model_test::DataSet set;
    TNPIMContactsRequests requests;
    Attach(requests, set);
    TNString answer = Answer("contacts_request_answer.txt");
    ASSERT_EQ(requests.Add(&answer), 0);
    // As the object-data request fills it in.
    requests.Items[0]->FullName.Set("Jana D.");
    requests.Items[0]->Bio.Set("Peče chleba");

    TNString update("<ID>7001</ID><Changed>1700000300</Changed><City>Olomouc</City>");
    ASSERT_EQ(requests.Add(&update), 0);
    TNPIMContactsRequest& r = *requests.Items[0];
    EXPECT_EQ(r.FullName.View(), "Jana D.");
    EXPECT_EQ(r.Bio.View(), "Peče chleba");
    EXPECT_EQ(r.City.View(), "Olomouc");
    EXPECT_EQ(r.Changed, 1700000300);
    EXPECT_EQ(requests.Count, 1);
    EXPECT_EQ(requests.Received, 2);
    EXPECT_EQ(requests.NewestChanged, 1700000300u);

    r.PleaseSync = true;
    set.WriteQueued(r, raftContactsRequest, kID);
    requests.DataUpSynced(kID, kID, 1800000000);
    EXPECT_EQ(r.Changed, 1700000300);
    EXPECT_FALSE(r.PleaseSync);
    EXPECT_GE(set.QueueItem(raftContactsRequest, kID), 0);
}

} // namespace
