#include "model/contacts.h"
#include "model/contacts_requests.h"
#include "model/event_types.h"
#include "model/groups.h"
#include "model/groups_assign.h"
#include "model/notifications.h"
#include "model/sharing.h"
#include "tests/model/model_test_support.h"
#include "tests/model/people_test_support.h"

#include <gtest/gtest.h>

#include <string>

using people_test::Answer;
using people_test::Attach;

namespace {

struct Fixtures {
    const char* name;
    const char* answer;
    const char* stored;
    const char* form;
    uint32_t id;
    uint32_t changed;
};

// Answer item → Add → record → Load into a fresh collection → upload form.
template <class Collection> void RoundTrip(const Fixtures& row)
{
    SCOPED_TRACE(row.name);
    model_test::Environment environment;
    model_test::DataSet set;
    const uint8_t type = Collection::kType;
    const std::string stored = model_test::ReadFixture(row.stored);

    Collection received;
    Attach(received, set);
    TNString answer = Answer(row.answer);
    ASSERT_EQ(received.Add(&answer), 0);
    EXPECT_EQ(received.Received, 1);
    EXPECT_EQ(received.Offset, 1);
    EXPECT_EQ(received.NewestChanged, row.changed);
    ASSERT_GE(set.QueueItem(type, row.id), 0);
    EXPECT_EQ(set.WriteQueued(*received.Items[0], type, row.id), stored);

    set.Reopen();
    Collection loaded;
    Attach(loaded, set);
    ASSERT_TRUE(set.ReadStored(type, row.id, [&](plat::ByteReader& in) { return loaded.LoadItem(in) == 0; }));
    loaded.FinalizeLoading();
    EXPECT_EQ(loaded.LastRequestTime, row.changed);
    EXPECT_EQ(set.QueueItem(type, row.id), -1) << "a current body is not rewritten";

    // Whatever Load missed would be missing when the item is written again.
    set.Queue(type, row.id, 0);
    EXPECT_EQ(set.WriteQueued(*loaded.Items[0], type, row.id), stored);

    TNString nothing;
    EXPECT_EQ(loaded.GetDataToSync(nothing), 0u);
    loaded.Items[0]->PleaseSync = true;
    TNString form;
    EXPECT_EQ(loaded.GetDataToSync(form), row.id);
    EXPECT_EQ(std::string(form.View()), model_test::ReadFixture(row.form));
}

struct RoundTripRow {
    Fixtures fixtures;
    void (*run)(const Fixtures&);
};

const RoundTripRow kRoundTrips[] = {
    {{"contact request", "contacts_request_answer.txt", "contacts_request_v2.bin", "contacts_request_form.txt", 7001,
      1700000100},
     &RoundTrip<TNPIMContactsRequests>},
    {{"group", "group_answer.txt", "group_v1.bin", "group_form.txt", 7101, 1700001100}, &RoundTrip<TNPIMGroups>},
    {{"group assignment", "groups_assign_answer.txt", "groups_assign_v1.bin", "groups_assign_form.txt", 7201,
      1700002100},
     &RoundTrip<TNPIMGroupsAssign>},
    {{"contact", "contact_answer.txt", "contact_v2.bin", "contact_form.txt", 7301, 1700003100},
     &RoundTrip<TNPIMContacts>},
    {{"notification", "notification_answer.txt", "notification_v2.bin", "notification_form.txt", 9100, 1700004100},
     &RoundTrip<TNPIMNotifications>},
    {{"sharing", "sharing_answer.txt", "sharing_v1.bin", "sharing_form.txt", 6100, 1700005100},
     &RoundTrip<TNPIMSharing>},
    {{"event type", "event_type_answer.txt", "event_type_v2.bin", "event_type_form.txt", 6200, 1700006100},
     &RoundTrip<TNPIMEventTypes>},
};

TEST(TNPIMSyncedCollection, AnswerItemsSurviveTheRecordFileAndGoUpEncoded)
{
    for (const RoundTripRow& row : kRoundTrips) {
        row.run(row.fixtures);
    }
}

// A body of a version this program does not know: not kept, not queued, not
// uploaded, and its record left as it is.
template <class Collection> void UnknownVersion(const Fixtures& row)
{
    SCOPED_TRACE(row.name);
    model_test::Environment environment;
    model_test::DataSet set;
    const uint8_t type = Collection::kType;
    std::string body = model_test::ReadFixture(row.stored);
    body[0] = 9;
    people_test::StoreRaw(set, type, row.id, body);

    Collection loaded;
    Attach(loaded, set);
    int32_t pos = 0;
    set.ReadStored(type, row.id, [&](plat::ByteReader& in) {
        pos = loaded.LoadItem(in);
        return true;
    });
    EXPECT_EQ(pos, -1);
    EXPECT_EQ(loaded.Count, 0);
    loaded.FinalizeLoading();
    EXPECT_EQ(set.QueueItem(type, row.id), -1);
    EXPECT_EQ(set.QueueItem(type, 0), -1);
    TNString form;
    EXPECT_EQ(loaded.GetDataToSync(form), 0u);
    EXPECT_EQ(people_test::StoredBody(set, type, row.id), body);
}

TEST(TNPIMSyncedCollection, UnknownVersionLoadsAsNothing)
{
    const RoundTripRow rows[] = {
        {kRoundTrips[0].fixtures, &UnknownVersion<TNPIMContactsRequests>},
        {kRoundTrips[1].fixtures, &UnknownVersion<TNPIMGroups>},
        {kRoundTrips[2].fixtures, &UnknownVersion<TNPIMGroupsAssign>},
        {kRoundTrips[3].fixtures, &UnknownVersion<TNPIMContacts>},
        {kRoundTrips[4].fixtures, &UnknownVersion<TNPIMNotifications>},
        {kRoundTrips[5].fixtures, &UnknownVersion<TNPIMSharing>},
        {kRoundTrips[6].fixtures, &UnknownVersion<TNPIMEventTypes>},
    };
    for (const RoundTripRow& row : rows) {
        row.run(row.fixtures);
    }
}

// A pending item under a temporary id, confirmed under the service's id: the
// file holds it under the new id and no longer under the old one, and it is
// not pending after a restart. Confirmed again under the same id, it is
// queued so that the next save writes it.
template <class Collection> void Confirmation(const Fixtures& row)
{
    SCOPED_TRACE(row.name);
    model_test::Environment environment;
    model_test::DataSet set;
    const uint8_t type = Collection::kType;
    constexpr uint32_t kTemporary = kFirstLocalID + 4;

    Collection items;
    Attach(items, set);
    TNString answer = Answer(row.answer);
    ASSERT_EQ(items.Add(&answer), 0);
    items.Items[0]->ID = kTemporary;
    items.Items[0]->PleaseSync = true;
    set.Queue(type, kTemporary, 0);
    set.WriteQueued(*items.Items[0], type, kTemporary);

    TNString form;
    ASSERT_EQ(items.GetDataToSync(form), kTemporary);
    items.DataUpSynced(kTemporary, row.id, 0);
    EXPECT_EQ(items.Items[0]->ID, row.id);
    EXPECT_FALSE(items.Items[0]->PleaseSync);

    set.Reopen();
    EXPECT_EQ(set.StoredCount(type), 1);
    Collection loaded;
    Attach(loaded, set);
    EXPECT_FALSE(set.ReadStored(type, kTemporary, [](plat::ByteReader&) { return true; }));
    ASSERT_TRUE(set.ReadStored(type, row.id, [&](plat::ByteReader& in) { return loaded.LoadItem(in) == 0; }));
    TNString none;
    EXPECT_EQ(loaded.GetDataToSync(none), 0u);

    loaded.Items[0]->PleaseSync = true;
    loaded.DataUpSynced(row.id, row.id, 0);
    EXPECT_GE(set.QueueItem(type, row.id), 0);
}

TEST(TNPIMSyncedCollection, ConfirmedItemsAreStoredUnderTheServiceID)
{
    const RoundTripRow rows[] = {
        {kRoundTrips[0].fixtures, &Confirmation<TNPIMContactsRequests>},
        {kRoundTrips[1].fixtures, &Confirmation<TNPIMGroups>},
        {kRoundTrips[2].fixtures, &Confirmation<TNPIMGroupsAssign>},
        {kRoundTrips[3].fixtures, &Confirmation<TNPIMContacts>},
        {kRoundTrips[4].fixtures, &Confirmation<TNPIMNotifications>},
        {kRoundTrips[5].fixtures, &Confirmation<TNPIMSharing>},
        {kRoundTrips[6].fixtures, &Confirmation<TNPIMEventTypes>},
    };
    for (const RoundTripRow& row : rows) {
        row.run(row.fixtures);
    }
}

} // namespace
