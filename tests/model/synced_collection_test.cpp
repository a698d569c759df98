#include "model/pim.h"
#include "tests/model/fake_upload.h"
#include "tests/model/model_test_support.h"
#include "tests/model/people_test_support.h"

#include <gtest/gtest.h>

#include <string>

using people_test::Account;
using people_test::Answer;
using people_test::StoredBody;

namespace {

struct Fixtures {
    const char* name;
    const char* answer;
    const char* stored;
    const char* form;
    uint32_t id;
    uint32_t changed;
};

const Fixtures kContactsRequest{
    "contact request", "contacts_request_answer.txt", "contacts_request_v2.bin", "contacts_request_form.txt", 7001,
    1700000100};
const Fixtures kGroup{"group", "group_answer.txt", "group_v1.bin", "group_form.txt", 7101, 1700001100};
const Fixtures kGroupsAssign{
    "group assignment", "groups_assign_answer.txt", "groups_assign_v1.bin", "groups_assign_form.txt", 7201, 1700002100};
const Fixtures kContact{"contact", "contact_answer.txt", "contact_v2.bin", "contact_form.txt", 7301, 1700003100};
const Fixtures kNotification{
    "notification", "notification_answer.txt", "notification_v2.bin", "notification_form.txt", 9100, 1700004100};
const Fixtures kSharing{"sharing", "sharing_answer.txt", "sharing_v1.bin", "sharing_form.txt", 6100, 1700005100};
const Fixtures kEventType{"event type", "event_type_answer.txt", "event_type_v2.bin", "event_type_form.txt", 6200,
                          1700006100};

// Answer item → Add → Save → Load → upload form.
template <class Collection, Collection TNPIM::*Member> void RoundTrip(const Fixtures& row)
{
    SCOPED_TRACE(row.name);
    Account account;
    const uint8_t type = Collection::kType;
    const std::string stored = model_test::ReadFixture(row.stored);

    Collection& received = account.Pim().*Member;
    TNString answer = Answer(row.answer);
    ASSERT_EQ(received.Add(&answer), 0);
    EXPECT_EQ(received.Received, 1);
    EXPECT_EQ(received.Offset, 1);
    EXPECT_EQ(received.NewestChanged, row.changed);
    account.Restart();
    EXPECT_EQ(StoredBody(account.set, type, row.id), stored);

    Collection& loaded = account.Pim().*Member;
    ASSERT_EQ(loaded.Count, 1);
    EXPECT_EQ(loaded.Received, 0);
    EXPECT_EQ(loaded.LastRequestTime, row.changed);
    EXPECT_EQ(account.set.QueueItem(type, row.id), -1) << "a current body is not rewritten";

    // Whatever Load missed would be missing when the item is written again.
    ASSERT_TRUE(loaded.QueueItem(0));
    account.Restart();
    EXPECT_EQ(StoredBody(account.set, type, row.id), stored);

    TNString nothing;
    EXPECT_EQ(loaded.GetDataToSync(nothing), 0u);
    loaded.Items[0]->PleaseSync = true;
    TNString form;
    EXPECT_EQ(loaded.GetDataToSync(form), row.id);
    EXPECT_EQ(std::string(form.View()), model_test::ReadFixture(row.form));
}

struct Row {
    const Fixtures& fixtures;
    void (*run)(const Fixtures&);
};

TEST(TNPIMSyncedCollection, AnswerItemsSurviveTheDataFileAndGoUpEncoded)
{
    const Row rows[] = {
        {kContactsRequest, &RoundTrip<TNPIMContactsRequests, &TNPIM::ContactsRequests>},
        {kGroup, &RoundTrip<TNPIMGroups, &TNPIM::Groups>},
        {kGroupsAssign, &RoundTrip<TNPIMGroupsAssign, &TNPIM::GroupsAssign>},
        {kContact, &RoundTrip<TNPIMContacts, &TNPIM::Contacts>},
        {kNotification, &RoundTrip<TNPIMNotifications, &TNPIM::Notifications>},
        {kSharing, &RoundTrip<TNPIMSharing, &TNPIM::Sharing>},
        {kEventType, &RoundTrip<TNPIMEventTypes, &TNPIM::EventTypes>},
    };
    for (const Row& row : rows) {
        row.run(row.fixtures);
    }
}

// A body of a version this program does not know: not kept, not uploaded,
// and the file left byte for byte as it was.
template <class Collection, Collection TNPIM::*Member> void UnknownVersion(const Fixtures& row)
{
    SCOPED_TRACE(row.name);
    Account account;
    std::string body = model_test::ReadFixture(row.stored);
    body[0] = 9;
    account.set.StoreRaw(Collection::kType, row.id, body);
    account.set.Reopen();
    std::string before = account.set.FileBytes();

    account.Pim().Load(nullptr);
    Collection& loaded = account.Pim().*Member;
    EXPECT_EQ(loaded.Count, 0);
    TNString form;
    EXPECT_EQ(loaded.GetDataToSync(form), 0u);
    account.Pim().Save(false, false);
    EXPECT_EQ(account.set.FileBytes(), before);
}

TEST(TNPIMSyncedCollection, UnknownVersionLoadsAsNothingAndStaysInTheFile)
{
    const Row rows[] = {
        {kContactsRequest, &UnknownVersion<TNPIMContactsRequests, &TNPIM::ContactsRequests>},
        {kGroup, &UnknownVersion<TNPIMGroups, &TNPIM::Groups>},
        {kGroupsAssign, &UnknownVersion<TNPIMGroupsAssign, &TNPIM::GroupsAssign>},
        {kContact, &UnknownVersion<TNPIMContacts, &TNPIM::Contacts>},
        {kNotification, &UnknownVersion<TNPIMNotifications, &TNPIM::Notifications>},
        {kSharing, &UnknownVersion<TNPIMSharing, &TNPIM::Sharing>},
        {kEventType, &UnknownVersion<TNPIMEventTypes, &TNPIM::EventTypes>},
    };
    for (const Row& row : rows) {
        row.run(row.fixtures);
    }
}

// A pending item under a temporary id, confirmed under the service's id:
// the file keeps it under the old id until the save of the confirmations,
// which moves it to the new id, and after a restart it is not pending. Confirmed again under the same id,
// it is queued so that the next save writes it.
template <class Collection, Collection TNPIM::*Member> void Confirmation(const Fixtures& row)
{
    SCOPED_TRACE(row.name);
    Account account;
    const uint8_t type = Collection::kType;
    constexpr uint32_t kTemporary = kFirstLocalID + 4;

    Collection& items = account.Pim().*Member;
    TNString answer = Answer(row.answer);
    ASSERT_EQ(items.Add(&answer), 0);
    items.Items[0]->ID = kTemporary;
    items.Items[0]->PleaseSync = true;
    ASSERT_TRUE(items.QueueItem(0));
    account.Restart();
    ASSERT_EQ(StoredBody(account.set, type, kTemporary).size(), model_test::ReadFixture(row.stored).size());

    Collection& pending = account.Pim().*Member;
    TNString form;
    ASSERT_EQ(pending.GetDataToSync(form), kTemporary);
    pending.DataUpSynced(kTemporary, row.id, 0);
    EXPECT_EQ(pending.Items[0]->ID, row.id);
    EXPECT_FALSE(pending.Items[0]->PleaseSync);
    // Queued only: a crash now leaves it pending under its old id.
    EXPECT_FALSE(StoredBody(account.set, type, kTemporary).empty());
    EXPECT_TRUE(StoredBody(account.set, type, row.id).empty());
    account.Pim().Save(false, false);
    EXPECT_TRUE(StoredBody(account.set, type, kTemporary).empty());
    EXPECT_EQ(StoredBody(account.set, type, row.id), model_test::ReadFixture(row.stored));

    account.Restart();
    Collection& loaded = account.Pim().*Member;
    ASSERT_EQ(loaded.Count, 1);
    EXPECT_EQ(account.set.StoredCount(type), 1);
    TNString none;
    EXPECT_EQ(loaded.GetDataToSync(none), 0u);

    loaded.Items[0]->PleaseSync = true;
    loaded.DataUpSynced(row.id, row.id, 0);
    EXPECT_GE(account.set.QueueItem(type, row.id), 0);
}

TEST(TNPIMSyncedCollection, ConfirmedItemsAreStoredUnderTheServiceID)
{
    const Row rows[] = {
        {kContactsRequest, &Confirmation<TNPIMContactsRequests, &TNPIM::ContactsRequests>},
        {kGroup, &Confirmation<TNPIMGroups, &TNPIM::Groups>},
        {kGroupsAssign, &Confirmation<TNPIMGroupsAssign, &TNPIM::GroupsAssign>},
        {kContact, &Confirmation<TNPIMContacts, &TNPIM::Contacts>},
        {kNotification, &Confirmation<TNPIMNotifications, &TNPIM::Notifications>},
        {kSharing, &Confirmation<TNPIMSharing, &TNPIM::Sharing>},
        {kEventType, &Confirmation<TNPIMEventTypes, &TNPIM::EventTypes>},
    };
    for (const Row& row : rows) {
        row.run(row.fixtures);
    }
}

// Version 1 contact requests and notifications are kept, written as the
// current version at the next save, and never offered for upload.
template <class Collection, Collection TNPIM::*Member>
void VersionOne(const Fixtures& row, const char* oldBody, size_t rewrittenSize)
{
    SCOPED_TRACE(row.name);
    Account account;
    const uint8_t type = Collection::kType;
    account.set.StoreRaw(type, row.id, model_test::ReadFixture(oldBody));
    account.set.Reopen();

    account.Pim().Load(nullptr);
    Collection& loaded = account.Pim().*Member;
    ASSERT_EQ(loaded.Count, 1);
    EXPECT_FALSE(loaded.Items[0]->PleaseSync);
    EXPECT_GE(account.set.QueueItem(type, row.id), 0);
    TNString form;
    EXPECT_EQ(loaded.GetDataToSync(form), 0u);

    account.Restart();
    std::string body = StoredBody(account.set, type, row.id);
    ASSERT_FALSE(body.empty());
    EXPECT_EQ(body[0], 2);
    EXPECT_EQ(body.size(), rewrittenSize);
    ASSERT_EQ((account.Pim().*Member).Count, 1);
    EXPECT_EQ((account.Pim().*Member).GetDataToSync(form), 0u);
}

TEST(TNPIMSyncedCollection, VersionOneIsRewrittenWithoutUpload)
{
    // 67 bytes and the request address; the names stay empty.
    VersionOne<TNPIMContactsRequests, &TNPIM::ContactsRequests>(kContactsRequest, "contacts_request_v1.bin",
                                                                67 + std::string("192.168.0.10").size());
    // The stored strings as they were, and four empty reserved ones.
    VersionOne<TNPIMNotifications, &TNPIM::Notifications>(kNotification, "notification_v1.bin",
                                                          model_test::ReadFixture("notification_v2.bin").size());
}

// A local deletion survives a restart while it waits for upload, goes up,
// and leaves a hole once the service has it.
template <class Collection, Collection TNPIM::*Member>
void DeletionWaitsForUpload(const Fixtures& row, int32_t code, void (*deleteLocally)(Collection&))
{
    SCOPED_TRACE(row.name);
    Account account;
    const uint8_t type = Collection::kType;
    TNString answer = Answer(row.answer);
    ASSERT_EQ((account.Pim().*Member).Add(&answer), 0);
    account.Restart();

    deleteLocally(account.Pim().*Member);
    account.Restart();
    Collection& pending = account.Pim().*Member;
    ASSERT_EQ(pending.Count, 1);
    EXPECT_EQ(pending.Items[0]->Deleted, 1718445600);
    model_test::FakeUploadService service;
    ASSERT_EQ(service.Drain(account.Pim()), 1);
    EXPECT_EQ(service.Sent[0].code, code);
    EXPECT_NE(service.Sent[0].form.find("&Deleted=1718445600&"), std::string::npos);

    account.Restart();
    EXPECT_EQ(account.set.StoredCount(type), 0);
    EXPECT_EQ((account.Pim().*Member).Count, 0);
}

TEST(TNPIMSyncedCollection, LocalDeletionWaitsForUpload)
{
    DeletionWaitsForUpload<TNPIMNotifications, &TNPIM::Notifications>(
        kNotification, TNPIM::kUploadNotifications,
        [](TNPIMNotifications& notes) { ASSERT_TRUE(notes.DeleteItem(9100)); });
    // As the object-data request deletes a request whose sender is gone.
    DeletionWaitsForUpload<TNPIMContactsRequests, &TNPIM::ContactsRequests>(
        kContactsRequest, TNPIM::kUploadContactsRequests, [](TNPIMContactsRequests& requests) {
            requests.Items[0]->Deleted = 1718445600;
            requests.Items[0]->PleaseSync = true;
            requests.Items[0]->Unsaved = true;
            ASSERT_TRUE(requests.QueueItem(0));
        });
}

} // namespace
