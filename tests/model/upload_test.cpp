#include "foundation/record_file_set.h"
#include "model/pim.h"
#include "model/upload.h"
#include "tests/model/data_set_fixture.h"
#include "tests/model/fake_upload.h"
#include "tests/model/model_test_support.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using model_test::ReadFixture;

class TNPIMUpload : public ::testing::Test {
protected:
    model_test::Environment environment_;
    model_test::LogCapture log_;
    model_test::ActiveUser user_{77};
    model_test::DataSet set_;

    TNPIM& Pim() { return set_.Pim(); }

    void SetUp() override
    {
        ASSERT_TRUE(Pim().Organizers.Resize(1));
        Pim().Organizers.Items[0]->ID = 512;
    }

    TNPIMTag& AddTag(uint32_t id, bool pending)
    {
        TNPIMTags& tags = Pim().Tags;
        EXPECT_TRUE(tags.Resize(tags.Count + 1));
        TNPIMTag& t = *tags.Items[tags.Count - 1];
        t.ID = id;
        tags.NoteIDChanged(tags.Count - 1);
        t.OrganizerID = 512;
        t.Title.Set("Práce");
        t.PleaseSync = pending;
        tags.QueueForSave(tags.Count - 1);
        return t;
    }

    TNPIMAlert& AddAlert(uint32_t id, bool pending)
    {
        TNPIMAlerts& alerts = Pim().Alerts;
        EXPECT_TRUE(alerts.Resize(alerts.Count + 1));
        TNPIMAlert& a = *alerts.Items[alerts.Count - 1];
        a.ID = id;
        alerts.NoteIDChanged(alerts.Count - 1);
        a.RecordID = 81234;
        a.PleaseSync = pending;
        alerts.QueueForSave(alerts.Count - 1);
        return a;
    }

    std::vector<uint32_t> StoredIDs() const
    {
        std::vector<uint32_t> ids;
        for (const TNRAFileIndexEntry& entry : raf.Items[static_cast<size_t>(set_.Fid())]->index) {
            if (!entry.IsHole()) {
                ids.push_back(entry.id);
            }
        }
        return ids;
    }
};

TEST_F(TNPIMUpload, CollectionsGoUpInTheTablesOrder)
{
    AddAlert(70001, true);
    AddTag(kFirstLocalID, false);
    Pim().TagsAssign.AddAssign(81234, 812, 512);

    model_test::FakeUploadService service;
    EXPECT_EQ(service.Drain(Pim()), 3);
    ASSERT_EQ(service.Sent.size(), 3u);
    EXPECT_EQ(service.Sent[0].code, TNPIM::kUploadTagsAssign);
    EXPECT_EQ(service.Sent[0].form, "&ItemID=4200000001&Deleted=0&OrganizerID=512&RecordID=81234&TagID=812");
    EXPECT_EQ(service.Sent[1].code, TNPIM::kUploadTags);
    EXPECT_EQ(service.Sent[1].form, "&ItemID=4200000001&Deleted=0&OrganizerID=512&Title=Pr%E1ce");
    EXPECT_EQ(service.Sent[2].code, TNPIM::kUploadAlerts);
    EXPECT_EQ(log_.CountContaining("[TNPIM::GetDataToSync] pimTagsAssign"), 1);
    EXPECT_EQ(log_.CountContaining("[TNPIM::GetDataToSync] pimAlerts"), 1);

    int32_t code = 77;
    TNString text;
    EXPECT_EQ(Pim().GetDataToSync(&code, &text), 0u);
    EXPECT_EQ(code, 77) << "nothing pending leaves the code alone";
    EXPECT_EQ(log_.CountContaining("[TNPIM::GetDataToSync][END][NOTHING_FOUND]"), 2);
}

TEST_F(TNPIMUpload, AssignmentOfANewTagWaitsForTheTagsServiceId)
{
    TNPIMTag& tag = AddTag(Pim().Tags.GetNextID(), true);
    Pim().TagsAssign.AddAssign(81234, tag.ID, 512);
    model_test::FakeUploadService service;
    EXPECT_EQ(service.Drain(Pim()), 2);
    ASSERT_EQ(service.Sent.size(), 2u);
    EXPECT_EQ(service.Sent[0].code, TNPIM::kUploadTags);
    EXPECT_EQ(service.Sent[1].code, TNPIM::kUploadTagsAssign);
    EXPECT_EQ(service.Sent[1].form, "&ItemID=4200000001&Deleted=0&OrganizerID=512&RecordID=81234&TagID=600000");
    EXPECT_EQ(Pim().GetRecordsAssignedTagID(81234), 600000u);
    EXPECT_EQ(Pim().TagsAssign.GetTag(81234), &tag);
}

TEST_F(TNPIMUpload, AssignmentMadeUnderAConfirmedTagsOldIdTakesItsServiceId)
{
    TNPIMTag& tag = AddTag(Pim().Tags.GetNextID(), true);
    uint32_t temp = tag.ID;
    model_test::FakeUploadService service;
    ASSERT_EQ(service.Drain(Pim()), 1);
    // An editor still holding the tag's old id.
    Pim().TagsAssign.AddAssign(81234, temp, 512);
    ASSERT_EQ(service.Drain(Pim()), 1);
    EXPECT_EQ(service.Sent[1].form, "&ItemID=4200000001&Deleted=0&OrganizerID=512&RecordID=81234&TagID=600000");
    EXPECT_EQ(Pim().GetRecordsAssignedTagID(81234), 600000u);
}

TEST_F(TNPIMUpload, UnansweredItemIsOfferedAgainFirst)
{
    AddTag(812, true);
    AddTag(813, true);
    for (int attempt = 0; attempt < 2; ++attempt) {
        int32_t code = 0;
        TNString text;
        EXPECT_EQ(Pim().GetDataToSync(&code, &text), 812u);
        EXPECT_EQ(code, TNPIM::kUploadTags);
    }
}

TEST_F(TNPIMUpload, ImpossibleAnswersChangeNothing)
{
    TNPIMTag& tag = AddTag(kFirstLocalID + 2, true);
    struct Case {
        const char* name;
        int32_t code;
        uint32_t newID;
        const char* logged;
    };
    const Case cases[] = {
        {"new id 0", TNPIM::kUploadTags, 0, "[TNPIM::DataUpSynced][ERROR] uploaded_sync_new_id = 0"},
        {"temporary new id", TNPIM::kUploadTags, kFirstLocalID,
         "[TNPIM::DataUpSynced][ERROR] uploaded_sync_new_id = 4200000001"},
        {"code 10", 10, 812, nullptr},
        {"code 0", 0, 812, nullptr},
        {"code 13", 13, 812, nullptr},
    };
    for (const Case& testCase : cases) {
        EXPECT_FALSE(Pim().DataUpSynced(testCase.code, kFirstLocalID + 2, 1718500001, testCase.newID)) << testCase.name;
        EXPECT_EQ(tag.ID, kFirstLocalID + 2) << testCase.name;
        EXPECT_TRUE(tag.PleaseSync) << testCase.name;
        if (testCase.logged != nullptr) {
            EXPECT_EQ(log_.CountContaining(testCase.logged), 1) << testCase.name;
        }
    }
    EXPECT_TRUE(IsAcceptableNewID(812));
    EXPECT_TRUE(IsAcceptableNewID(kFirstLocalID - 1));

    int32_t code = 0;
    TNString text;
    EXPECT_EQ(Pim().GetDataToSync(&code, &text), kFirstLocalID + 2) << "it stays pending";
}

TEST_F(TNPIMUpload, RecordConfirmedUnderANewIdCarriesItsAssignments)
{
    Pim().TagsAssign.AddAssign(kFirstLocalID + 7, 812, 512);
    model_test::FakeUploadService service;
    ASSERT_TRUE(Pim().DataUpSynced(TNPIM::kUploadRecords, kFirstLocalID + 7, 1718500001, 5123));
    EXPECT_EQ(Pim().GetRecordsAssignedTagID(5123), 812u);
    ASSERT_EQ(service.Drain(Pim()), 1);
    EXPECT_NE(service.Sent[0].form.find("&RecordID=5123&"), std::string::npos);
}

TEST_F(TNPIMUpload, DrainLeavesOnlyServiceIdsAndHolesAcrossRestarts)
{
    // New, changed and deleted items of every collection here.
    AddTag(812, false);
    AddTag(813, false);
    Pim().TagsAssign.AddAssign(81235, 813, 512);
    Pim().Save(false, false);
    ASSERT_EQ(Pim().TagsAssign.Items[0]->ID, kFirstLocalID);
    model_test::FakeUploadService service;
    ASSERT_EQ(service.Drain(Pim()), 1);

    TNPIMTag& newTag = AddTag(Pim().Tags.GetNextID(), true);
    newTag.Title.Set("Nový & lepší");
    Pim().Tags.Items[0]->PleaseSync = true; // changed
    Pim().Tags.QueueForSave(0);
    Pim().Tags.Items[1]->Deleted = 1; // deleted
    Pim().Tags.Items[1]->PleaseSync = true;
    Pim().Tags.QueueForSave(1);
    Pim().TagsAssign.DeleteAssign(81235);
    Pim().TagsAssign.AddAssign(81234, 812, 512);
    AddAlert(70001, true);
    AddAlert(70002, true).Deleted = TNPIMAlert::kDeletedByUser;
    Pim().Alerts.QueueForSave(1);

    // A restart before the upload keeps every change, deletions too.
    Pim().Save(false, false);
    set_.Reopen();
    Pim().Load(nullptr);
    ASSERT_EQ(Pim().Tags.Count, 3);
    ASSERT_EQ(Pim().TagsAssign.Count, 2);
    ASSERT_EQ(Pim().Alerts.Count, 2);

    service.Sent.clear();
    EXPECT_EQ(service.Drain(Pim()), 7);

    EXPECT_EQ(service.Drain(Pim()), 0);

    Pim().Save(false, false);
    set_.Reopen();
    Pim().Load(nullptr);
    EXPECT_EQ(service.Drain(Pim()), 0) << "nothing is pending after a restart";
    for (uint32_t id : StoredIDs()) {
        EXPECT_LT(id, kFirstLocalID);
    }
    EXPECT_EQ(set_.StoredCount(raftTag), 2) << "the deleted tag is a hole";
    EXPECT_EQ(set_.StoredCount(raftTagsAssign), 1) << "the deleted assignment is a hole";
    EXPECT_EQ(set_.StoredCount(raftAlert), 1) << "the deleted alert is a hole";
    EXPECT_EQ(Pim().GetRecordsAssignedTagID(81234), 812u);
    EXPECT_EQ(Pim().GetRecordsAssignedTagID(81235), 0u);
    EXPECT_NE(Pim().Tags.GetTagByTitle(TNString("Nový & lepší")), nullptr);
}

TEST_F(TNPIMUpload, UnknownVersionsLoadAsNothingAndNeverGoUp)
{
    set_.StoreRaw(raftAlert, 70001, ReadFixture("alert_v2.bin"));
    set_.StoreRaw(raftTag, 814, ReadFixture("tag_v3.bin"));
    set_.StoreRaw(raftTagsAssign, 90001, ReadFixture("tags_assign_v2.bin"));
    // Under the id its body holds: a body under another id does not load.
    set_.StoreRaw(raftTag, 812, ReadFixture("tag_v1.bin"));
    set_.Reopen();
    std::string before = set_.FileBytes();

    Pim().Load(nullptr);
    EXPECT_EQ(Pim().Alerts.Count, 0);
    ASSERT_EQ(Pim().Tags.Count, 1);
    EXPECT_EQ(Pim().TagsAssign.Count, 0);
    Pim().Tags.Items[0]->PleaseSync = false;
    model_test::FakeUploadService service;
    EXPECT_EQ(service.Drain(Pim()), 0);
    Pim().Save(false, false);
    EXPECT_EQ(set_.FileBytes(), before);
}

// Three items of a people collection: a new one under a temporary id, a
// changed one and a deleted one, each waiting for upload and queued.
template <class Collection> void AddPending(Collection& items, uint32_t serviceID)
{
    int32_t first = items.Count;
    ASSERT_TRUE(items.Resize(first + 3));
    items.Items[first]->ID = kFirstLocalID + serviceID;
    items.Items[first + 1]->ID = serviceID + 1;
    items.Items[first + 2]->ID = serviceID + 2;
    items.Items[first + 2]->Deleted = 1718445600;
    for (int32_t pos = first; pos < first + 3; ++pos) {
        items.Items[pos]->Changed = 1700000000;
        items.Items[pos]->PleaseSync = true;
        ASSERT_TRUE(items.QueueItem(pos));
    }
}

TEST_F(TNPIMUpload, DrainCoversEveryPeopleCollectionAcrossRestarts)
{
    AddPending(Pim().Groups, 100);
    AddPending(Pim().GroupsAssign, 200);
    AddPending(Pim().Contacts, 300);
    AddPending(Pim().Notifications, 400);
    AddPending(Pim().ContactsRequests, 500);
    AddPending(Pim().Sharing, 600);
    AddPending(Pim().EventTypes, 700);

    // A restart before the upload keeps every change, deletions too.
    Pim().Save(false, false);
    set_.Reopen();
    Pim().Load(nullptr);

    model_test::FakeUploadService service;
    ASSERT_EQ(service.Drain(Pim()), 21);
    const int32_t codes[] = {TNPIM::kUploadGroups,        TNPIM::kUploadGroupsAssign,     TNPIM::kUploadContacts,
                             TNPIM::kUploadNotifications, TNPIM::kUploadContactsRequests, TNPIM::kUploadSharing,
                             TNPIM::kUploadEventTypes};
    for (size_t i = 0; i < service.Sent.size(); ++i) {
        EXPECT_EQ(service.Sent[i].code, codes[i / 3]) << i;
    }

    Pim().Save(false, false);
    set_.Reopen();
    Pim().Load(nullptr);
    EXPECT_EQ(service.Drain(Pim()), 0) << "nothing is pending after a restart";
    for (uint32_t id : StoredIDs()) {
        EXPECT_LT(id, kFirstLocalID);
    }
    for (uint8_t type : {raftGroup, raftGroupsAssign, raftContact, raftNotification, raftContactsRequest, raftSharing,
                         raftEventType}) {
        EXPECT_EQ(set_.StoredCount(type), 2) << "the deleted item of type " << int(type) << " is a hole";
    }
}

} // namespace

namespace {

// Uploads that include records, on the data-set fixture.
class TNPIMUploadAll : public model_test::DataSetTest {
protected:
    // Every item of the collections that upload, with the record-file type.
    template <class Fn> void ForEachUploadItem(TNPIM& pim, Fn&& fn)
    {
        for (int32_t i = 0; i < pim.Records->Count; ++i) {
            if (!pim.Records->Items[i]->Virtual) {
                fn(raftRecord, pim.Records->Items[i]->ID, pim.Records->Items[i]->Deleted);
            }
        }
        for (int32_t i = 0; i < pim.TagsAssign.Count; ++i) {
            fn(raftTagsAssign, pim.TagsAssign.Items[i]->ID, pim.TagsAssign.Items[i]->Deleted);
        }
        for (int32_t i = 0; i < pim.Tags.Count; ++i) {
            fn(raftTag, pim.Tags.Items[i]->ID, pim.Tags.Items[i]->Deleted);
        }
        for (int32_t i = 0; i < pim.Alerts.Count; ++i) {
            fn(raftAlert, pim.Alerts.Items[i]->ID, pim.Alerts.Items[i]->Deleted);
        }
    }
};

TEST_F(TNPIMUploadAll, PendingRecordGoesUpBeforeAPendingTag)
{
    AddOrganizer(1000);
    ASSERT_TRUE(Pim().Tags.Resize(1));
    TNPIMTag& tag = *Pim().Tags.Items[0];
    tag.ID = 812;
    Pim().Tags.NoteIDChanged(0);
    tag.OrganizerID = 1000;
    tag.PleaseSync = true;
    uint32_t temp = Records().GetNextID();
    int32_t pos = AddRecord(temp, 1000, "2024-03-10 09:30");
    Records().Items[pos]->PleaseSync = true;

    int32_t code = 0;
    TNString text;
    ASSERT_EQ(Pim().GetDataToSync(&code, &text), temp);
    EXPECT_EQ(code, TNPIM::kUploadRecords);
    EXPECT_EQ(log_.CountContaining("[TNPIM::GetDataToSync] pimRecords"), 1);
    ASSERT_TRUE(Pim().DataUpSynced(code, temp, 1718000000, 5123));
    EXPECT_NE(Records().GetRecordByID(5123), nullptr);

    TNString next;
    EXPECT_EQ(Pim().GetDataToSync(&code, &next), 812u);
    EXPECT_EQ(code, TNPIM::kUploadTags);
}

TEST_F(TNPIMUploadAll, DrainEmptiesEveryCollectionAndLeavesServiceIdsAndHoles)
{
    model_test::AccountShape shape;
    shape.records = 120;
    shape.tags = 12;
    shape.tagAssignments = 80;
    shape.pendingPercent = 25;
    shape.deletedPercent = 15;
    shape.seed = 7;
    model_test::GenerateAccount(Pim(), shape);
    // Assignments of new records, as the editor makes them.
    for (int32_t i = 0; i < Records().Count; ++i) {
        if (Records().Items[i]->ID >= kFirstLocalID) {
            Pim().TagsAssign.AddAssign(Records().Items[i]->ID, model_test::kFirstTagID,
                                       Records().Items[i]->OrganizerID);
        }
    }
    ASSERT_TRUE(Pim().Alerts.Resize(2));
    for (int32_t i = 0; i < 2; ++i) {
        TNPIMAlert& a = *Pim().Alerts.Items[i];
        a.ID = 70001 + static_cast<uint32_t>(i);
        Pim().Alerts.NoteIDChanged(i);
        a.RecordID = model_test::kFirstRecordID;
        a.PleaseSync = true;
        a.Deleted = i == 1 ? TNPIMAlert::kDeletedByUser : 0;
        Pim().Alerts.QueueForSave(i);
    }

    // A restart before the upload loses nothing that waits for it.
    int32_t itemsBefore = 0;
    TNPIM& restarted = SaveAndReload();
    ForEachUploadItem(restarted, [&](uint8_t, uint32_t, uint32_t) { ++itemsBefore; });
    model_test::FakeUploadService service;
    int32_t sent = service.Drain(restarted);
    EXPECT_GT(sent, 20);
    EXPECT_LT(sent, itemsBefore);
    EXPECT_EQ(service.Drain(restarted), 0);
    for (const model_test::FakeUpload& upload : service.Sent) {
        for (const char* key : {"&RecordID=42000", "&TagID=42000"}) {
            EXPECT_EQ(upload.form.find(key), std::string::npos) << "the service never sees another item's temporary id";
        }
    }

    TNPIM& fresh = SaveAndReload();
    EXPECT_EQ(service.Drain(fresh), 0) << "nothing is pending after a restart";
    int32_t items = 0;
    ForEachUploadItem(fresh, [&](uint8_t type, uint32_t id, uint32_t deleted) {
        ++items;
        EXPECT_LT(id, kFirstLocalID) << "type " << int(type);
        EXPECT_EQ(deleted, 0u) << "deleted items are holes; type " << int(type) << " id " << id;
    });
    EXPECT_GT(items, 100);
    for (const TNRAFileIndexEntry& entry : File().index) {
        if (!entry.IsHole()) {
            EXPECT_LT(entry.id, kFirstLocalID);
        }
    }
    // Every new record that stays keeps its assignment, under its service id.
    int32_t checked = 0;
    for (const model_test::FakeUpload& upload : service.Sent) {
        if (upload.code != TNPIM::kUploadRecords || upload.oldID < kFirstLocalID ||
            fresh.Records->GetRecordByID(upload.newID) == nullptr) {
            continue;
        }
        bool named = false;
        for (int32_t i = 0; i < fresh.TagsAssign.Count; ++i) {
            named = named || fresh.TagsAssign.Items[i]->RecordID == upload.newID;
        }
        EXPECT_TRUE(named) << upload.newID;
        ++checked;
    }
    EXPECT_GT(checked, 0);
}

} // namespace

namespace {

// Records that name a new tag, on the data-set fixture.
class TNPIMRecordTags : public model_test::DataSetTest {
protected:
    TNPIMTag& AddTag(uint32_t id, uint32_t organizerID)
    {
        TNPIMTags& tags = Pim().Tags;
        EXPECT_TRUE(tags.Resize(tags.Count + 1));
        int32_t pos = tags.Count - 1;
        TNPIMTag& t = *tags.Items[pos];
        t.ID = id;
        t.OrganizerID = organizerID;
        t.Title.Set("Výlety");
        t.PleaseSync = true;
        tags.NoteIDChanged(pos);
        tags.QueueForSave(pos);
        return t;
    }

    // A record naming the tag, saved as the editor does; its position.
    int32_t AddTaggedRecord(uint32_t id, int32_t type, uint32_t tagID)
    {
        int32_t pos = AddRecord(id, 1000, "2024-06-20 10:00", nullptr, type);
        Records().Items[pos]->TagID = tagID;
        Records().Items[pos]->PleaseSync = true;
        Records().SaveOrDeleteRecordByPos(pos, false);
        return pos;
    }
};

TEST_F(TNPIMRecordTags, NewNoteWaitsForItsNewTagAndGoesUpWithItsServiceId)
{
    // The editor's way: the note names the new tag and an assignment links them.
    AddOrganizer(1000);
    uint32_t tagTemp = AddTag(Pim().Tags.GetNextID(), 1000).ID;
    uint32_t noteTemp = Records().GetNextID();
    int32_t notePos = AddTaggedRecord(noteTemp, rtNote, tagTemp);
    Pim().TagsAssign.AddAssign(noteTemp, tagTemp, 1000);
    uint32_t otherTemp = Records().GetNextID();
    AddTaggedRecord(otherTemp, rtEvent, 0);

    model_test::FakeUploadService service;
    ASSERT_TRUE(service.UploadOne(Pim()));
    EXPECT_EQ(service.Sent[0].oldID, otherTemp) << "the record behind the waiting note still goes up";
    EXPECT_EQ(log_.CountContaining("[TNPIMRecords::GetDataToSync] waits for its tag; TagID = 4200000001"), 1);
    ASSERT_TRUE(service.UploadOne(Pim()));
    ASSERT_EQ(service.Sent[1].code, TNPIM::kUploadTags);
    uint32_t tagID = service.Sent[1].newID;
    EXPECT_EQ(Records().Items[notePos]->TagID, tagID);
    EXPECT_GE(File().find_toSave(raftRecord, noteTemp), 0) << "the re-keyed note is queued";

    ASSERT_TRUE(service.UploadOne(Pim()));
    ASSERT_EQ(service.Sent[2].code, TNPIM::kUploadRecords);
    EXPECT_EQ(service.Sent[2].oldID, noteTemp);
    EXPECT_NE(service.Sent[2].form.find("&TagID=" + std::to_string(tagID) + "&"), std::string::npos)
        << service.Sent[2].form;
    uint32_t noteID = service.Sent[2].newID;

    // A restart before the assignment goes up keeps the link, under service ids.
    TNPIM& restarted = SaveAndReload();
    EXPECT_EQ(restarted.GetRecordsAssignedTagID(noteID), tagID);
    EXPECT_EQ(service.Drain(restarted), 1);
    ASSERT_EQ(service.Sent.size(), 4u);
    EXPECT_EQ(service.Sent[3].code, TNPIM::kUploadTagsAssign);
    for (const model_test::FakeUpload& upload : service.Sent) {
        for (const char* key : {"&TagID=42", "&RecordID=42"}) {
            EXPECT_EQ(upload.form.find(key), std::string::npos) << "never a temporary id: " << upload.form;
        }
    }

    TNPIM& fresh = SaveAndReload();
    ASSERT_NE(fresh.Records->GetRecordByID(noteID), nullptr);
    EXPECT_EQ(fresh.GetRecordsAssignedTagID(noteID), tagID);
    EXPECT_EQ(service.Drain(fresh), 0);
}

TEST_F(TNPIMRecordTags, ConfirmedNoteSentWithoutItsTagGoesUpAgainWhenTheTagIsConfirmed)
{
    AddOrganizer(1000);
    int32_t notePos = AddTaggedRecord(700, rtNote, kFirstLocalID + 9);
    Records().Items[notePos]->PleaseSync = false;
    int32_t eventPos = AddTaggedRecord(701, rtEvent, kFirstLocalID + 9);
    Records().Items[eventPos]->PleaseSync = false;
    ASSERT_TRUE(Pim().DataUpSynced(TNPIM::kUploadTags, kFirstLocalID + 9, 1718000000, 812));
    EXPECT_EQ(Records().Items[notePos]->TagID, 812u);
    EXPECT_TRUE(Records().Items[notePos]->PleaseSync) << "the note's form carries its tag";
    EXPECT_EQ(Records().Items[eventPos]->TagID, 812u);
    EXPECT_FALSE(Records().Items[eventPos]->PleaseSync) << "a changed event's form names no tag";
}

TEST_F(TNPIMRecordTags, TemporaryTagIdInTheFormIsResolvedOrLeftOut)
{
    AddOrganizer(1000);
    const uint32_t tagTemp = kFirstLocalID + 40;
    struct Case {
        const char* name;
        int32_t recordType;
        bool recordIsNew;
        // The tag: none, or its id, OldID, Deleted and organizer.
        bool tagExists;
        uint32_t tagID;
        uint32_t tagOldID;
        uint32_t tagDeleted;
        uint32_t tagOrganizer;
        // Whether the record is offered, the form's TagID and the record's TagID afterwards.
        bool offered;
        const char* formTag;
        uint32_t tagAfter;
    };
    const Case cases[] = {
        {"pending tag", rtNote, true, true, tagTemp, 0, 0, 1000, false, nullptr, tagTemp},
        {"pending tag, new event", rtEvent, true, true, tagTemp, 0, 0, 1000, false, nullptr, tagTemp},
        {"tag gone", rtNote, true, false, 0, 0, 0, 0, true, "&TagID=0&", 0},
        {"tag deleted", rtNote, true, true, tagTemp, 0, 1, 1000, true, "&TagID=0&", 0},
        {"tag never goes up", rtNote, true, true, tagTemp, 0, 0, 0, true, "&TagID=0&", tagTemp},
        {"tag confirmed already", rtNote, true, true, 812, tagTemp, 0, 1000, true, "&TagID=812&", 812},
        {"changed event sends no tag", rtEvent, false, true, tagTemp, 0, 0, 1000, true, nullptr, tagTemp},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(Records().Resize(0));
        ASSERT_TRUE(Pim().Tags.Resize(0));
        if (c.tagExists) {
            TNPIMTag& tag = AddTag(c.tagID, c.tagOrganizer);
            tag.OldID = c.tagOldID;
            tag.Deleted = c.tagDeleted;
            Pim().Tags.NoteIDChanged(0);
        }
        uint32_t id = c.recordIsNew ? Records().GetNextID() : 700;
        int32_t pos = AddTaggedRecord(id, c.recordType, tagTemp);

        TNString form;
        uint32_t offered = Records().GetDataToSync(&form);
        EXPECT_EQ(offered, c.offered ? id : 0u);
        if (c.formTag != nullptr) {
            EXPECT_NE(std::string(form.View()).find(c.formTag), std::string::npos) << form.View();
        } else {
            EXPECT_EQ(std::string(form.View()).find("&TagID="), std::string::npos) << form.View();
        }
        EXPECT_EQ(Records().Items[pos]->TagID, c.tagAfter);
        if (c.tagAfter != tagTemp) {
            EXPECT_GE(File().find_toSave(raftRecord, id), 0) << "a changed TagID is queued for saving";
        }
    }
}

} // namespace
