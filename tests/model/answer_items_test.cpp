// What the Add of every collection does with an answer item, whatever the
// item: the data-received flag, PleaseSync, the count and the save queue.

#include "model/pim.h"
#include "model/records.h"
#include "tests/model/model_test_support.h"
#include "tests/model/people_test_support.h"

#include <gtest/gtest.h>

#include <functional>

using people_test::Account;
using people_test::Answer;

namespace {

struct AddRow {
    const char* name;
    const char* answer;
    uint8_t type;
    uint32_t id;
    // Organizers, sharing entries and event types leave the flag alone.
    bool setsDataReceived;
    std::function<int32_t(TNPIM&, TNString&)> add;
    std::function<void(TNPIM&, int32_t)> markPending;
    std::function<bool(TNPIM&, int32_t)> pending;
    // Answer items counted so far; empty where the collection counts none.
    std::function<int32_t(TNPIM&)> received;
    // A local change waiting for upload wins over the downloaded copy,
    // which only counts for the download.
    bool keepsLocalChange = false;
};

// A collection that counts its answer items itself.
template <class Collection, Collection TNPIM::*Member>
AddRow Counting(const char* name, const char* answer, uint8_t type, uint32_t id, bool setsDataReceived)
{
    return {name,
            answer,
            type,
            id,
            setsDataReceived,
            [](TNPIM& pim, TNString& text) { return (pim.*Member).Add(&text); },
            [](TNPIM& pim, int32_t pos) { (pim.*Member).Items[pos]->PleaseSync = true; },
            [](TNPIM& pim, int32_t pos) { return static_cast<bool>((pim.*Member).Items[pos]->PleaseSync); },
            [](TNPIM& pim) { return (pim.*Member).Received; }};
}

TNPIMOrganizer& Organizer(TNPIM& pim)
{
    return *pim.Organizers.GetOrganizerByID(512);
}

std::vector<AddRow> Rows()
{
    return {
        {"organizer", "organizer_answer.txt", raftOrganizer, 512, false,
         [](TNPIM& pim, TNString& text) { return pim.Organizers.Add(&text, false); },
         [](TNPIM& pim, int32_t pos) { pim.Organizers.Items[pos]->PleaseSync = 1; },
         [](TNPIM& pim, int32_t pos) { return pim.Organizers.Items[pos]->PleaseSync != 0; }, nullptr},
        {"record", "record_answer_all_keys.txt", raftRecord, 81234, true,
         [](TNPIM& pim, TNString& text) { return pim.Records->Add(&text); },
         [](TNPIM& pim, int32_t pos) { pim.Records->Items[pos]->PleaseSync = true; },
         [](TNPIM& pim, int32_t pos) { return pim.Records->Items[pos]->PleaseSync; },
         [](TNPIM& pim) { return Organizer(pim).recordsReceived; }, true},
        Counting<TNPIMAlerts, &TNPIM::Alerts>("alert", "alert_answer_1.txt", raftAlert, 70001, true),
        {"tag", "tag_answer.txt", raftTag, 812, true, [](TNPIM& pim, TNString& text) { return pim.Tags.Add(&text); },
         [](TNPIM& pim, int32_t pos) { pim.Tags.Items[pos]->PleaseSync = true; },
         [](TNPIM& pim, int32_t pos) { return pim.Tags.Items[pos]->PleaseSync; },
         [](TNPIM& pim) { return Organizer(pim).tagsReceived; }},
        {"tag assignment", "tags_assign_answer.txt", raftTagsAssign, 90001, true,
         [](TNPIM& pim, TNString& text) { return pim.TagsAssign.Add(&text); },
         [](TNPIM& pim, int32_t pos) { pim.TagsAssign.Items[pos]->PleaseSync = true; },
         [](TNPIM& pim, int32_t pos) { return pim.TagsAssign.Items[pos]->PleaseSync; },
         [](TNPIM& pim) { return Organizer(pim).tagsAssignReceived; }},
        Counting<TNPIMContactsRequests, &TNPIM::ContactsRequests>("contact request", "contacts_request_answer.txt",
                                                                  raftContactsRequest, 7001, true),
        Counting<TNPIMGroups, &TNPIM::Groups>("group", "group_answer.txt", raftGroup, 7101, true),
        Counting<TNPIMGroupsAssign, &TNPIM::GroupsAssign>("group assignment", "groups_assign_answer.txt",
                                                          raftGroupsAssign, 7201, true),
        Counting<TNPIMContacts, &TNPIM::Contacts>("contact", "contact_answer.txt", raftContact, 7301, true),
        Counting<TNPIMNotifications, &TNPIM::Notifications>("notification", "notification_answer.txt", raftNotification,
                                                            9100, true),
        Counting<TNPIMSharing, &TNPIM::Sharing>("sharing", "sharing_answer.txt", raftSharing, 6100, false),
        Counting<TNPIMEventTypes, &TNPIM::EventTypes>("event type", "event_type_answer.txt", raftEventType, 6200,
                                                      false),
    };
}

// The item is received, saved, changed locally, and received again.
TEST(TNPIMCollections, AddOfAnAnswerItemMarksClearsCountsAndQueues)
{
    for (const AddRow& row : Rows()) {
        SCOPED_TRACE(row.name);
        Account account;
        TNPIM& pim = account.Pim();
        TNString organizer = Answer("organizer_answer.txt");
        ASSERT_GE(pim.Organizers.Add(&organizer, false), 0);
        TNString answer = Answer(row.answer);
        int32_t pos = row.add(pim, answer);
        ASSERT_GE(pos, 0);
        pim.Save(false, false);
        ASSERT_EQ(account.set.QueueItem(row.type, row.id), -1);
        const int32_t receivedBefore = row.received ? row.received(pim) : 0;
        row.markPending(pim, pos);
        pimDataReceived = false;

        EXPECT_EQ(row.add(pim, answer), pos) << "the item of its id is updated in place";
        if (row.received) {
            EXPECT_EQ(row.received(pim), receivedBefore + 1);
        }
        if (row.keepsLocalChange) {
            EXPECT_TRUE(row.pending(pim, pos));
            EXPECT_EQ(account.set.QueueItem(row.type, row.id), -1) << "nothing of the answer is stored";
            continue;
        }
        EXPECT_EQ(pimDataReceived.load(), row.setsDataReceived);
        EXPECT_FALSE(row.pending(pim, pos));
        EXPECT_NE(account.set.QueueItem(row.type, row.id), -1);
    }
    pimDataReceived = false;
}

} // namespace
