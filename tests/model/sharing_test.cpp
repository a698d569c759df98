#include "model/sharing.h"
#include "tests/model/model_test_support.h"
#include "tests/model/people_test_support.h"

#include <gtest/gtest.h>

#include <string>

using people_test::Attach;

namespace {

struct Entry {
    uint32_t id;
    uint32_t recordID;
    int32_t deleted;
    bool hasBegin;
    int32_t beginDay;
};

void Fill(TNPIMSharing& list, std::initializer_list<Entry> entries)
{
    ASSERT_TRUE(list.Resize(static_cast<int32_t>(entries.size())));
    int32_t i = 0;
    for (const Entry& e : entries) {
        TNPIMSharingItem& s = *list.Items[i++];
        s.ID = e.id;
        s.RecordID = e.recordID;
        s.Deleted = e.deleted;
        s.OrganizerID = 512;
        s.ObjectID = 3000 + e.id;
        s.Rights = 2;
        s.HasBegin = e.hasBegin;
        s.DateBegin.SetDate(e.beginDay, 3, 2024);
        s.DateEnd.SetDate(e.beginDay + 1, 3, 2024);
    }
}

TEST(TNPIMSharing, CompareMatchesTheRecordsPresentEntries)
{
    model_test::Environment environment;
    struct Row {
        const char* name;
        std::initializer_list<Entry> local;
        std::initializer_list<Entry> server;
        bool equal;
    } const rows[] = {
        {"same entries in another order",
         {{1, 50, 0, false, 1}, {2, 50, 0, false, 1}},
         {{2, 50, 0, false, 1}, {1, 50, 0, false, 1}},
         true},
        {"deleted local entry does not count",
         {{1, 50, 0, false, 1}, {2, 50, 9, false, 1}},
         {{1, 50, 0, false, 1}},
         true},
        {"other records do not count", {{1, 50, 0, false, 1}, {3, 60, 0, false, 1}}, {{1, 50, 0, false, 1}}, true},
        {"dates without a range", {{1, 50, 0, false, 1}}, {{1, 50, 0, false, 20}}, true},
        {"dates of a range differ", {{1, 50, 0, true, 1}}, {{1, 50, 0, true, 20}}, false},
        {"entry missing from the service", {{1, 50, 0, false, 1}, {2, 50, 0, false, 1}}, {{1, 50, 0, false, 1}}, false},
        {"extra entry from the service", {{1, 50, 0, false, 1}}, {{1, 50, 0, false, 1}, {2, 50, 0, false, 1}}, false},
    };
    for (const Row& row : rows) {
        TNPIMSharing local;
        TNPIMSharing server;
        Fill(local, row.local);
        Fill(server, row.server);
        EXPECT_EQ(local.Compare(50, &server), row.equal) << row.name;
        EXPECT_TRUE(local.Compare(50, nullptr)) << row.name;
    }
}

TEST(TNPIMSharing, ConfirmedEntryIsStillFoundByItsTemporaryID)
{
    model_test::Environment environment;
    model_test::DataSet set;
    TNPIMSharing sharing;
    Attach(sharing, set);
    const uint32_t temporary = kFirstLocalID + 2;
    Fill(sharing, {{9, 50, 0, false, 1}, {temporary, 50, 0, true, 3}});
    sharing.Items[1]->PleaseSync = true;

    sharing.DataUpSynced(temporary, 6100, 1800000000);
    EXPECT_EQ(sharing.GetItemPosByID(temporary), 1);
    EXPECT_EQ(sharing.GetItemPosByID(6100), 1);
    EXPECT_EQ(sharing.GetItemPosByID(0), -1);
    EXPECT_EQ(sharing.Items[1]->OldID, temporary);
    EXPECT_EQ(sharing.Items[1]->Changed, 1800000000);

    TNPIMSharing copy;
    copy.Copy(&sharing);
    ASSERT_EQ(copy.Count, 2);
    EXPECT_TRUE(TNPIMSharingItem::Compare(*copy.Items[1], *sharing.Items[1]));
    EXPECT_EQ(copy.Items[1]->DateBegin.Den, 3);
    EXPECT_EQ(copy.NextID, sharing.NextID);
}

} // namespace
