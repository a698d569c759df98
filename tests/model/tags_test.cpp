#include "foundation/record_file_set.h"
#include "model/pim.h"
#include "model/tags.h"
#include "tests/model/model_test_support.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {

// The tag of tag_v2.bin.
void FillTag(TNPIMTag& t)
{
    t.PleaseSync = true;
    t.ID = 812;
    t.Created = 1700000000;
    t.Changed = 1700000900;
    t.Deleted = 0;
    t.OrganizerID = 512;
    t.Title.Set("Výlety");
    t.SelectedOnTasksPage = true;
    t.SelectedOnNotesPage = false;
    t.Reserved1 = 7;
    t.Reserved2 = 123456;
    t.Reserved3 = 654321;
    t.ReservedText1.Set("rezerva");
    t.ReservedText2.Set("žluť");
}

std::string Stored(const TNPIMTag& t)
{
    char text[512];
    std::snprintf(text, sizeof text, "%d %u %u %u %u %u [%s] %d %d %d %u %u [%s] [%s]", t.PleaseSync ? 1 : 0, t.ID,
                  t.Created, t.Changed, t.Deleted, t.OrganizerID, t.Title.Text, t.SelectedOnTasksPage ? 1 : 0,
                  t.SelectedOnNotesPage ? 1 : 0, t.Reserved1, t.Reserved2, t.Reserved3, t.ReservedText1.Text,
                  t.ReservedText2.Text);
    return text;
}

TNPIMOrganizer& AddOrganizer(TNPIM& pim, uint32_t id)
{
    EXPECT_TRUE(pim.Organizers.Resize(pim.Organizers.Count + 1));
    TNPIMOrganizer& o = *pim.Organizers.Items[pim.Organizers.Count - 1];
    o.ID = id;
    return o;
}

TEST(TNPIMTag, VersionTwoRoundTripAndVersionOneFixture)
{
    model_test::Environment environment;
    model_test::DataSet set;
    TNPIMTags& tags = set.Pim().Tags;
    ASSERT_TRUE(tags.Resize(1));
    FillTag(*tags.Items[0]);
    tags.QueueForSave(0);
    std::string body = set.WriteQueued(*tags.Items[0], raftTag, 812);
    const TNPIMTag& saved = *tags.Items[0];
    EXPECT_EQ(body.size(), 45u + saved.Title.Length + saved.ReservedText1.Length + saved.ReservedText2.Length);
    EXPECT_EQ(body, model_test::ReadFixture("tag_v2.bin"));
    set.Reopen();
    TNPIMTag loaded;
    ASSERT_TRUE(set.ReadStored(raftTag, 812, [&](plat::ByteReader& in) { return loaded.Load(in); }));
    EXPECT_EQ(Stored(loaded), Stored(saved));

    TNPIMTag expected;
    FillTag(expected);
    expected.Reserved1 = 0;
    expected.Reserved2 = 0;
    expected.Reserved3 = 0;
    expected.ReservedText1.Set("");
    expected.ReservedText2.Set("");
    std::string v1 = model_test::ReadFixture("tag_v1.bin");
    plat::ByteReader in1(v1);
    TNPIMTag old;
    ASSERT_TRUE(old.Load(in1));
    EXPECT_TRUE(in1.AtEnd());
    EXPECT_EQ(Stored(old), Stored(expected));
}

TEST(TNPIMTag, UnknownVersionIsUnreadable)
{
    std::string v3 = model_test::ReadFixture("tag_v3.bin");
    plat::ByteReader in(v3);
    TNPIMTag t;
    EXPECT_FALSE(t.Load(in));
}

TEST(TNPIMTags, AnswerIsDecodedCountedAndItsFormEncoded)
{
    model_test::Environment environment;
    model_test::DataSet set;
    TNPIMOrganizer& organizer = AddOrganizer(set.Pim(), 512);
    TNPIMTags& tags = set.Pim().Tags;
    TNString answer(model_test::ReadFixture("tag_answer.txt"));
    ASSERT_EQ(tags.Add(&answer), 0);
    const TNPIMTag& t = *tags.Items[0];
    EXPECT_STREQ(t.Title.Text, "Práce & hry");
    EXPECT_EQ(organizer.tagsReceived, 1);
    EXPECT_EQ(organizer.tagsOffset, 1);
    EXPECT_EQ(organizer.tagsNewestChanged, 1700000900u);
    EXPECT_EQ(set.Pim().LastRequests.GetHigher(raftTag, 512, 0), 1700000900u);
    EXPECT_GE(set.QueueItem(raftTag, 812), 0);

    TNString form;
    t.GetDataToSync(&form);
    EXPECT_STREQ(form.Text, "&ItemID=812&Deleted=0&OrganizerID=512&Title=Pr%E1ce+%26+hry");
}

TEST(TNPIMTags, ConfirmedUnderANewIdIsFoundByBothAndStoredOnlyUnderTheNew)
{
    model_test::Environment environment;
    model_test::ActiveUser user{77};
    model_test::DataSet set;
    TNPIMTags& tags = set.Pim().Tags;
    ASSERT_TRUE(tags.Resize(1));
    FillTag(*tags.Items[0]);
    tags.Items[0]->ID = 4200000005u;
    tags.NoteIDChanged(0);
    tags.QueueForSave(0);
    set.WriteQueued(*tags.Items[0], raftTag, 4200000005u);

    tags.DataUpSynced(4200000005u, 812, 1700009999);
    EXPECT_EQ(tags.GetTagByID(4200000005u), tags.Items[0]);
    EXPECT_EQ(tags.GetTagByID(812), tags.Items[0]);
    EXPECT_FALSE(tags.Items[0]->PleaseSync);
    EXPECT_EQ(tags.Items[0]->Changed, 1700009999u);

    set.Pim().Save(false, false);
    set.Reopen();
    EXPECT_EQ(set.StoredCount(raftTag), 1);
    TNPIMTag loaded;
    ASSERT_TRUE(set.ReadStored(raftTag, 812, [&](plat::ByteReader& in) { return loaded.Load(in); }));
    EXPECT_FALSE(loaded.PleaseSync);
    EXPECT_EQ(loaded.Changed, 1700009999u);
}

TEST(TNPIMTags, ConfirmedUnderTheSameIdIsQueued)
{
    model_test::Environment environment;
    model_test::DataSet set;
    TNPIMTags& tags = set.Pim().Tags;
    ASSERT_TRUE(tags.Resize(1));
    FillTag(*tags.Items[0]);
    tags.NoteIDChanged(0);
    tags.DataUpSynced(812, 812, 0);
    EXPECT_FALSE(tags.Items[0]->PleaseSync);
    EXPECT_EQ(tags.Items[0]->Changed, 1700000900u);
    EXPECT_GE(set.QueueItem(raftTag, 812), 0);
}

TEST(TNPIMTags, TagWithoutOrganizerNeverGoesUpNorBlocksOthers)
{
    model_test::Environment environment;
    model_test::LogCapture log;
    TNPIMTags tags;
    ASSERT_TRUE(tags.Resize(2));
    FillTag(*tags.Items[0]);
    tags.Items[0]->OrganizerID = 0;
    tags.Items[0]->ID = kFirstLocalID;
    FillTag(*tags.Items[1]);

    TNString text;
    EXPECT_EQ(tags.GetDataToSync(&text), 812u);
    EXPECT_EQ(log.CountContaining("[TNPIMTags::GetDataToSync][ERROR] OrganizerID = 0! Tag's title = Výlety"), 1);
    tags.Items[1]->PleaseSync = false;
    TNString none;
    EXPECT_EQ(tags.GetDataToSync(&none), 0u);
    EXPECT_EQ(tags.Items[0]->ID, kFirstLocalID) << "it stays pending";
}

TEST(TNPIMTags, NextIdSkipsIdsInUse)
{
    TNPIMTags tags;
    ASSERT_TRUE(tags.Resize(3));
    for (int32_t i = 0; i < 3; ++i) {
        tags.Items[i]->ID = kFirstLocalID + static_cast<uint32_t>(i);
        tags.NoteIDChanged(i);
    }
    EXPECT_EQ(tags.GetNextID(), 4200000004u);
    EXPECT_EQ(tags.NextID, 4200000005u);

    tags.NextID = kFirstLocalID;
    tags.FinalizeLoading();
    EXPECT_EQ(tags.NextID, 4200000004u) << "one above the highest temporary id after loading";
}

TEST(TNPIMTags, TitleLookUpSkipsDeletedTags)
{
    TNPIMTags tags;
    ASSERT_TRUE(tags.Resize(3));
    tags.Items[0]->ID = 1;
    tags.Items[0]->Title.Set("Práce");
    tags.Items[0]->Deleted = 1;
    tags.Items[1]->ID = 2;
    tags.Items[1]->Title.Set("Prácička");
    tags.Items[2]->ID = 3;
    tags.Items[2]->Title.Set("práce");
    EXPECT_EQ(tags.GetTagByTitle(TNString("Práce")), tags.Items[2]) << "A-Z case is ignored";
    EXPECT_EQ(tags.GetTagByTitle(TNString("Prace")), nullptr) << "diacritics are not folded";
}

} // namespace
