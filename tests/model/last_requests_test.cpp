#include "model/last_requests.h"
#include "model/pim.h"
#include "tests/model/model_test_support.h"

#include <gtest/gtest.h>

namespace {

TEST(TNPIMLastRequests, OnlyANewerTimeIsTakenAndQueued)
{
    model_test::Environment environment;
    model_test::DataSet set;
    TNPIMLastRequests& times = set.Pim().LastRequests;
    times.SetItem(raftRecord, 512, 1000);
    ASSERT_EQ(times.Count, 1);
    ASSERT_GE(set.QueueItem(raftLastRequest, raftRecord), 0);
    set.WriteQueued(*times.Items[0], raftLastRequest, raftRecord);
    EXPECT_EQ(set.QueueItem(raftLastRequest, raftRecord), -1) << "written";

    times.SetItem(raftRecord, 512, 999);
    times.SetItem(raftRecord, 512, 1000);
    EXPECT_EQ(times.Items[0]->Time, 1000u);
    EXPECT_EQ(set.QueueItem(raftLastRequest, raftRecord), -1) << "an older time queues nothing";

    times.SetItem(raftRecord, 512, 1001);
    EXPECT_EQ(times.Items[0]->Time, 1001u);
    EXPECT_GE(set.QueueItem(raftLastRequest, raftRecord), 0);

    EXPECT_EQ(times.GetHigher(raftRecord, 512, 50), 1001u);
    EXPECT_EQ(times.GetHigher(raftRecord, 512, 5000), 5000u);
    EXPECT_EQ(times.GetHigher(raftTag, 512, 50), 50u) << "unknown type";
    EXPECT_EQ(times.GetHigher(raftRecord, 513, 50), 50u) << "unknown organizer";

    times.Items[0]->Deleted = 1;
    EXPECT_EQ(times.GetHigher(raftRecord, 512, 50), 50u) << "a deleted entry is ignored";
    times.SetItem(raftRecord, 512, 40);
    EXPECT_EQ(times.Count, 2) << "a deleted entry is not reused";
}

TEST(TNPIMLastRequests, OneStoredEntryPerTypeByte)
{
    model_test::Environment environment;
    model_test::DataSet set;
    TNPIMLastRequests& times = set.Pim().LastRequests;
    times.SetItem(raftRecord, 512, 1000);
    times.SetItem(raftRecord, 600, 2000);
    times.SetItem(raftTag, 512, 3000);
    ASSERT_EQ(times.Count, 3);
    EXPECT_EQ(times.GetItemPosByID(raftRecord), 0);
    EXPECT_EQ(times.GetItemPosByID(raftTag), 2);
    EXPECT_EQ(times.GetItemPosByID(raftTagsAssign), -1);

    // Both type-2 entries share one queue item and one record: the later wins.
    std::string body = set.WriteQueued(*times.Items[1], raftLastRequest, raftRecord);
    EXPECT_EQ(body.size(), 17u);
    EXPECT_EQ(body, std::string("\x01\x02\x00\x00\x00\x58\x02\x00\x00\xD0\x07\x00\x00\x00\x00\x00\x00", 17));
    set.WriteQueued(*times.Items[2], raftLastRequest, raftTag);

    set.Reopen();
    TNPIMLastRequest record;
    ASSERT_TRUE(set.ReadStored(raftLastRequest, raftRecord, [&](plat::ByteReader& in) { return record.Load(in); }));
    EXPECT_EQ(record.Type, raftRecord);
    EXPECT_EQ(record.ID, 600u);
    EXPECT_EQ(record.Time, 2000u);
    TNPIMLastRequest tag;
    ASSERT_TRUE(set.ReadStored(raftLastRequest, raftTag, [&](plat::ByteReader& in) { return tag.Load(in); }));
    EXPECT_EQ(tag.ID, 512u);
    EXPECT_EQ(set.StoredCount(raftLastRequest), 2);
}

TEST(TNPIMLastRequest, RefusesAnUnknownVersionOrAShortBody)
{
    const std::string unknown("\x02\x02\x00\x00\x00\x58\x02\x00\x00\xD0\x07\x00\x00\x00\x00\x00\x00", 17);
    const std::string shortBody("\x01\x02\x00\x00\x00\x58\x02\x00\x00\xD0\x07\x00\x00\x00\x00\x00", 16);
    for (const std::string& bytes : {unknown, shortBody}) {
        TNPIMLastRequest entry;
        plat::ByteReader in(bytes);
        EXPECT_FALSE(entry.Load(in));
        EXPECT_EQ(entry.Type, 0);
        EXPECT_EQ(entry.ID, 0u);
        EXPECT_EQ(entry.Time, 0u);
    }
}

} // namespace
