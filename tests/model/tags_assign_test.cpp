#include "foundation/record_file_set.h"
#include "model/pim.h"
#include "model/tags_assign.h"
#include "tests/model/model_test_support.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {

// The assignment of tags_assign_v1.bin.
void FillAssign(TNPIMTagsAssignItem& a)
{
    a.PleaseSync = true;
    a.ID = 90001;
    a.Created = 1700000000;
    a.Changed = 1700000700;
    a.Deleted = 0;
    a.OrganizerID = 512;
    a.RecordID = 81234;
    a.TagID = 812;
}

std::string Stored(const TNPIMTagsAssignItem& a)
{
    char text[256];
    std::snprintf(text, sizeof text, "%d %u %u %u %u %u %u %u", a.PleaseSync ? 1 : 0, a.ID, a.Created, a.Changed,
                  a.Deleted, a.OrganizerID, a.RecordID, a.TagID);
    return text;
}

// Adds an assignment to the list as the load path does: grow, then fill.
TNPIMTagsAssignItem& Append(TNPIMTagsAssign& list, uint32_t id, uint32_t recordID, uint32_t tagID)
{
    EXPECT_TRUE(list.Resize(list.Count + 1));
    TNPIMTagsAssignItem& a = *list.Items[list.Count - 1];
    a.ID = id;
    a.RecordID = recordID;
    a.TagID = tagID;
    a.OrganizerID = 512;
    list.NoteIDChanged(list.Count - 1);
    return a;
}

TEST(TNPIMTagsAssignItem, ThirtyByteBodyRoundTrip)
{
    model_test::Environment environment;
    model_test::DataSet set;
    TNPIMTagsAssign& list = set.Pim().TagsAssign;
    ASSERT_TRUE(list.Resize(1));
    FillAssign(*list.Items[0]);
    set.Queue(raftTagsAssign, 90001, 0);
    EXPECT_EQ(set.WriteQueued(*list.Items[0], raftTagsAssign, 90001), model_test::ReadFixture("tags_assign_v1.bin"));
    set.Reopen();
    TNPIMTagsAssignItem loaded;
    ASSERT_TRUE(set.ReadStored(raftTagsAssign, 90001, [&](plat::ByteReader& in) { return loaded.Load(in); }));
    EXPECT_EQ(Stored(loaded), Stored(*list.Items[0]));

    std::string v2 = model_test::ReadFixture("tags_assign_v2.bin");
    plat::ByteReader in2(v2);
    TNPIMTagsAssignItem unknown;
    EXPECT_FALSE(unknown.Load(in2));
}

TEST(TNPIMTagsAssign, AnswerIsTakenCountedAndGivesTheRecordItsTag)
{
    model_test::Environment environment;
    model_test::DataSet set;
    ASSERT_TRUE(set.Pim().Organizers.Resize(1));
    TNPIMOrganizer& organizer = *set.Pim().Organizers.Items[0];
    organizer.ID = 512;
    TNPIMTagsAssign& list = set.Pim().TagsAssign;
    TNString answer(model_test::ReadFixture("tags_assign_answer.txt"));
    ASSERT_EQ(list.Add(&answer), 0);
    EXPECT_EQ(Stored(*list.Items[0]), "0 90001 1700000000 1700000700 0 512 81234 812");
    EXPECT_EQ(organizer.tagsAssignReceived, 1);
    EXPECT_EQ(organizer.tagsAssignNewestChanged, 1700000700u);
    EXPECT_EQ(list.GetTagID(81234), 812u);
    EXPECT_GE(set.QueueItem(raftTagsAssign, 90001), 0);

    // The service deletes it: the record has no tag any more.
    TNString deleted("<ID>90001</ID><Deleted>1</Deleted>");
    ASSERT_EQ(list.Add(&deleted), 0);
    EXPECT_EQ(list.GetTagID(81234), 0u);
}

TEST(TNPIMTagsAssign, RecordTagIsTheFirstLiveAssignmentInListOrder)
{
    model_test::Environment environment;
    model_test::DataSet set;
    TNPIMTagsAssign& list = set.Pim().TagsAssign;
    Append(list, 1, 50, 700);
    Append(list, 2, 60, 701);
    Append(list, 3, 50, 702);
    list.FinalizeLoading();
    EXPECT_EQ(list.GetTagID(50), 700u);
    EXPECT_EQ(list.GetTagID(61), 0u);

    list.Items[0]->Deleted = 1;
    list.RebuildRecordMap();
    EXPECT_EQ(list.GetTagID(50), 702u);

    list.Items[0]->Deleted = 0;
    list.DeleteAssign(50);
    EXPECT_EQ(list.Items[0]->Deleted, 1u);
    EXPECT_EQ(list.Items[2]->Deleted, 1u);
    EXPECT_TRUE(list.Items[2]->PleaseSync);
    EXPECT_EQ(list.GetTagID(50), 0u);
    EXPECT_EQ(list.GetTagID(60), 701u);

    list.AddAssign(50, 703, 512);
    ASSERT_EQ(list.Count, 4);
    const TNPIMTagsAssignItem& added = *list.Items[3];
    EXPECT_GE(added.ID, kFirstLocalID);
    EXPECT_TRUE(added.PleaseSync);
    EXPECT_EQ(list.GetTagID(50), 703u);
    EXPECT_GE(set.QueueItem(raftTagsAssign, added.ID), 0);

    // Shrinking the list (an unreadable item dropped at load) keeps the map true.
    ASSERT_TRUE(list.Resize(3));
    EXPECT_EQ(list.GetTagID(50), 0u);
}

TEST(TNPIMTagsAssign, GetTagResolvesThroughTheDataSetsTags)
{
    model_test::Environment environment;
    model_test::DataSet set;
    TNPIMTags& tags = set.Pim().Tags;
    ASSERT_TRUE(tags.Resize(1));
    tags.Items[0]->ID = 812;
    tags.NoteIDChanged(0);
    TNPIMTagsAssign& list = set.Pim().TagsAssign;
    Append(list, 1, 50, 812);
    Append(list, 2, 60, 999);
    list.FinalizeLoading();
    EXPECT_EQ(list.GetTag(50), tags.Items[0]);
    EXPECT_EQ(list.GetTag(60), nullptr);
    EXPECT_EQ(list.GetTag(70), nullptr);
}

TEST(TNPIMTagsAssign, UploadFormAndConfirmationUnderANewId)
{
    model_test::Environment environment;
    model_test::DataSet set;
    TNPIMTagsAssign& list = set.Pim().TagsAssign;
    Append(list, 90001, 81234, 812);
    Append(list, kFirstLocalID + 4, 81235, 812).Deleted = 1;
    list.FinalizeLoading();
    EXPECT_EQ(list.NextID, kFirstLocalID + 5);
    set.Queue(raftTagsAssign, kFirstLocalID + 4, 1);
    set.WriteQueued(*list.Items[1], raftTagsAssign, kFirstLocalID + 4);

    TNString text;
    EXPECT_EQ(list.GetDataToSync(&text), kFirstLocalID + 4) << "a temporary id is pending without PleaseSync";
    EXPECT_TRUE(list.Items[1]->PleaseSync);
    EXPECT_STREQ(text.Text, "&ItemID=4200000005&Deleted=1&OrganizerID=512&RecordID=81235&TagID=812");

    list.DataUpSynced(kFirstLocalID + 4, 90002, 1700005000);
    EXPECT_EQ(list.GetItemPosByID(kFirstLocalID + 4), 1);
    EXPECT_EQ(list.GetItemPosByID(90002), 1);
    TNString none;
    EXPECT_EQ(list.GetDataToSync(&none), 0u);
    set.Reopen();
    EXPECT_EQ(set.StoredCount(raftTagsAssign), 0) << "the confirmed deletion leaves a hole only";
}

TEST(TNPIMTagsAssign, RecordConfirmedUnderANewIdTakesItsAssignments)
{
    model_test::Environment environment;
    model_test::DataSet set;
    TNPIMTagsAssign& list = set.Pim().TagsAssign;
    list.AddAssign(kFirstLocalID, 812, 512);
    list.Items[0]->PleaseSync = false;
    list.RecordIDChanged(kFirstLocalID, 5123);
    EXPECT_EQ(list.GetTagID(5123), 812u);
    EXPECT_EQ(list.GetTagID(kFirstLocalID), 0u);
    EXPECT_TRUE(list.Items[0]->PleaseSync);
    TNString text;
    list.GetDataToSync(&text);
    EXPECT_NE(std::string(text.Text).find("&RecordID=5123&"), std::string::npos);
}

} // namespace
