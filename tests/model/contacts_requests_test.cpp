#include "model/contacts_requests.h"
#include "tests/model/model_test_support.h"
#include "tests/model/people_test_support.h"

#include <gtest/gtest.h>

#include <string>

using people_test::Answer;
using people_test::Attach;

namespace {

constexpr uint32_t kID = 7001;

TEST(TNPIMContactsRequest, VersionOneIsKeptAndRewrittenWithoutUpload)
{
    model_test::Environment environment;
    model_test::DataSet set;
    set.StoreRaw(raftContactsRequest, kID, model_test::ReadFixture("contacts_request_v1.bin"));

    TNPIMContactsRequests requests;
    Attach(requests, set);
    ASSERT_TRUE(
        set.ReadStored(raftContactsRequest, kID, [&](plat::ByteReader& in) { return requests.LoadItem(in) == 0; }));
    requests.FinalizeLoading();
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

    TNString form;
    EXPECT_EQ(requests.GetDataToSync(form), 0u);
    ASSERT_GE(set.QueueItem(raftContactsRequest, kID), 0);
    std::string written = set.WriteQueued(*requests.Items[0], raftContactsRequest, kID);
    EXPECT_EQ(written[0], 2);
    EXPECT_EQ(written.size(), 67u + r.RequestIP.Length);
    EXPECT_FALSE(r.Unsaved);
}

TEST(TNPIMContactsRequest, PictureStateStartsOverAfterLoad)
{
    model_test::Environment environment;
    model_test::DataSet set;
    set.StoreRaw(raftContactsRequest, kID, model_test::ReadFixture("contacts_request_v2_picture_state_7.bin"));

    TNPIMContactsRequests requests;
    Attach(requests, set);
    ASSERT_TRUE(
        set.ReadStored(raftContactsRequest, kID, [&](plat::ByteReader& in) { return requests.LoadItem(in) == 0; }));
    requests.FinalizeLoading();
    EXPECT_EQ(requests.Items[0]->ProfilePictureState, 1);
    EXPECT_EQ(requests.Items[0]->Bio.View(), "Pekařka");
    EXPECT_EQ(requests.Items[0]->Web.View(), "https://example.org/");
    EXPECT_EQ(set.QueueItem(raftContactsRequest, kID), -1);
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
