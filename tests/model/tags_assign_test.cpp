#include "foundation/record_file_set.h"
#include "model/pim.h"
#include "model/tags_assign.h"
#include "tests/model/data_set_fixture.h"
#include "tests/model/model_test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <set>
#include <string>
#include <vector>

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
    model_test::ActiveUser user{77};
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
    set.Pim().Save(false, false);
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

using TNPIMTagsData = model_test::DataSetTest;

int32_t Iterations(int32_t fallback)
{
    const char* text = std::getenv("DALMORA_PROPERTY_ITERATIONS");
    return text != nullptr ? std::max(1, std::atoi(text)) : fallback;
}

// The look-up as the collections' contract states it: a walk of the slots.
template <class Collection> int32_t ScanForID(const Collection& items, uint32_t id)
{
    for (int32_t i = 0; i < items.Count; ++i) {
        const auto* item = items.Items[i];
        if (item == nullptr) {
            continue;
        }
        if (item->ID == id) {
            return i;
        }
        if constexpr (requires { item->OldID; }) {
            if (id >= kFirstLocalID && item->OldID == id) {
                return i;
            }
        }
    }
    return -1;
}

// Tags, assignments and alerts share the indexed look-up.
TEST_F(TNPIMTagsData, IdIndexAnswersAsTheScanOverRandomChanges)
{
    AddOrganizer(512);
    TNPIMTagsAssign* assigns = &Pim().TagsAssign;
    TNPIMTags* tags = &Pim().Tags;
    TNPIMAlerts* alerts = &Pim().Alerts;
    std::mt19937 random(20241210);
    uint32_t nextServiceID = 9000;
    const int32_t steps = Iterations(300);
    for (int32_t step = 0; step < steps; ++step) {
        int32_t op = static_cast<int32_t>(random() % 100);
        char text[256];
        if (op < 25) {
            // An answer item, often for an id already there; now and then
            // one without an id.
            bool noID = random() % 20 == 0;
            uint32_t id = 500 + random() % 40;
            std::snprintf(text, sizeof text, "%s<Changed>%d</Changed><Deleted>%d</Deleted><RecordID>%u</RecordID>",
                          noID ? "" : ("<ID>" + std::to_string(id) + "</ID>").c_str(), 1718000000 + step,
                          random() % 8 == 0 ? 1 : 0, static_cast<uint32_t>(100 + random() % 10));
            TNString answer(text);
            uint32_t which = random() % 3;
            if (which == 0) {
                assigns->Add(&answer);
            } else if (which == 1) {
                tags->Add(&answer);
            } else {
                alerts->Add(&answer);
            }
        } else if (op < 45) {
            // New items as the editors make them.
            if (random() % 2 == 0) {
                assigns->AddAssign(100 + random() % 10, 812, 512);
            } else {
                uint32_t id = tags->GetNextID();
                ASSERT_TRUE(tags->Resize(tags->Count + 1));
                tags->Items[tags->Count - 1]->ID = id;
                tags->Items[tags->Count - 1]->OrganizerID = 512;
                tags->NoteIDChanged(tags->Count - 1);
                tags->QueueForSave(tags->Count - 1);
            }
        } else if (op < 70) {
            // A confirmation of a pending item, under a new id or its own.
            uint32_t which = random() % 3;
            int32_t count = which == 0 ? assigns->Count : which == 1 ? tags->Count : alerts->Count;
            if (count > 0) {
                int32_t pos = static_cast<int32_t>(random() % static_cast<uint32_t>(count));
                uint32_t id = which == 0   ? assigns->Items[pos]->ID
                              : which == 1 ? tags->Items[pos]->ID
                                           : alerts->Items[pos]->ID;
                uint32_t newID = id >= kFirstLocalID || id == 0 || random() % 3 == 0 ? nextServiceID++ : id;
                int32_t code = which == 0   ? TNPIM::kUploadTagsAssign
                               : which == 1 ? TNPIM::kUploadTags
                                            : TNPIM::kUploadAlerts;
                Pim().DataUpSynced(code, id, 1718100000 + step, newID);
            }
        } else if (op < 95) {
            int32_t change = static_cast<int32_t>(random() % 7) - 4;
            uint32_t which = random() % 3;
            if (which == 0) {
                ASSERT_TRUE(assigns->Resize(std::max(0, assigns->Count + change)));
            } else if (which == 1) {
                ASSERT_TRUE(tags->Resize(std::max(0, tags->Count + change)));
            } else {
                ASSERT_TRUE(alerts->Resize(std::max(0, alerts->Count + change)));
            }
        } else {
            TNPIM& fresh = SaveAndReload();
            assigns = &fresh.TagsAssign;
            tags = &fresh.Tags;
            alerts = &fresh.Alerts;
        }

        std::set<uint32_t> probes = {0, 1, 512, 9000, kFirstLocalID, kFirstLocalID + 1};
        for (int32_t i = 0; i < assigns->Count; ++i) {
            probes.insert(assigns->Items[i]->ID);
            probes.insert(assigns->Items[i]->OldID);
        }
        for (int32_t i = 0; i < tags->Count; ++i) {
            probes.insert(tags->Items[i]->ID);
            probes.insert(tags->Items[i]->OldID);
        }
        for (int32_t i = 0; i < alerts->Count; ++i) {
            probes.insert(alerts->Items[i]->ID);
        }
        for (uint32_t id : probes) {
            ASSERT_EQ(assigns->GetItemPosByID(id), ScanForID(*assigns, id)) << "step " << step << " id " << id;
            ASSERT_EQ(tags->GetItemPosByID(id), ScanForID(*tags, id)) << "step " << step << " id " << id;
            ASSERT_EQ(alerts->GetItemPosByID(id), ScanForID(*alerts, id)) << "step " << step << " id " << id;
        }
        // A new id skips every id in use.
        uint32_t next = tags->NextID;
        uint32_t newID = tags->GetNextID();
        for (int32_t i = 0; i < tags->Count; ++i) {
            ASSERT_NE(tags->Items[i]->ID, newID) << "step " << step;
        }
        tags->NextID = next;
    }
    EXPECT_EQ(log_.CountContaining("stale id index"), 0);
}

} // namespace
