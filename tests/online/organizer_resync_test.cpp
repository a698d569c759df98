// The full resynchronisation of an organizer: the handler of the service's
// list of all its record ids, and the reload of the records missing here.

#include "foundation/pim_array.h"
#include "model/model_lock.h"
#include "model/pim.h"
#include "model/record.h"
#include "model/records.h"
#include "online/global.h"
#include "platform/core/clock.h"
#include "tests/online/sync_world.h"
#include "tests/service/organizer_records_routes.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace online_test {
namespace {

constexpr uint32_t kBobID = 1002;

class OrganizerResyncTest : public SyncWorld {
protected:
    // An answer of "get-list-of-organizers-all-records-ids".
    static std::string IdsAnswer(uint32_t organizer, int realCount, const std::vector<uint32_t>& ids,
                                 bool closed = true)
    {
        std::string list;
        for (uint32_t id : ids)
            list += std::to_string(id) + ";";
        return "<handshake>1</handshake><organizer-id>" + std::to_string(organizer) +
               "</organizer-id><pim-srv-pos>0</pim-srv-pos><last-id>0</last-id><records-count>" +
               std::to_string(realCount) + "</records-count><real-count>" + std::to_string(realCount) +
               "</real-count><records-ids>" + list + (closed ? "</records-ids>" : "");
    }

    int32_t Handle(const std::string& answer)
    {
        TNString document(answer.c_str());
        return g.fncGetRecordsIDsOfOrganizer(&document);
    }

    // Local records of the id, deleted ones included.
    int CopiesOf(uint32_t id) const
    {
        TNModelReadGuard lock;
        const TNPIMRecords& records = *PIM[0]->Records;
        int copies = 0;
        for (int32_t pos = 0; pos < records.Count; ++pos)
            copies += records.Items[pos] != nullptr && records.Items[pos]->ID == id;
        return copies;
    }

    // The pairs of each live "get-updated-records" item of the queue.
    std::vector<int> QueuedReloadPairs() const
    {
        std::vector<int> pairs;
        for (int32_t i = 0; i < g.apiQueueRequests.Count(); ++i) {
            TNQueuedRequest item = g.apiQueueRequests.At(i);
            if (item.Key == 0 || item.Name != "get-updated-records")
                continue;
            int count = 0;
            for (size_t at = item.Data.find("&r"); at != std::string::npos; at = item.Data.find("&r", at + 1))
                ++count;
            pairs.push_back(count);
        }
        return pairs;
    }

    test_service::OrganizerRecordsRoutes organizerRoutes_{accounts_, sync_};
};

TEST_F(OrganizerResyncTest, OnlyConfirmedRecordsTheListLacksAreDeleted)
{
    uint32_t gone = sync_.SeedRecord(501, "Jinde smazan\xFD");
    uint32_t kept = sync_.SeedRecord(501, "Z\xF9st\xE1v\xE1");
    uint32_t edited = sync_.SeedRecord(501, "Upraven\xFD");
    uint32_t virtualOne = sync_.SeedRecord(501, "Virtu\xE1ln\xED");
    uint32_t unsaved = sync_.SeedRecord(501, "Neukl\xE1"
                                             "dan\xFD");
    uint32_t deletedHere = sync_.SeedRecord(501, "Smazan\xFD tady");
    SignIn();
    uint32_t fresh = NewRecord(501, "Nov\xFD");
    EditRecord(edited, [](TNPIMRecord& record) {
        record.Text.Set("Zm\xEC"
                        "na");
    });
    EditRecord(deletedHere, [](TNPIMRecord& record) { record.Deleted = static_cast<uint32_t>(plat::UnixSeconds()); });
    {
        TNModelWriteGuard lock;
        PIM[0]->Records->GetRecordByID(virtualOne)->Virtual = true;
        PIM[0]->Records->GetRecordByID(unsaved)->DoNotSave = true;
    }
    int32_t countBefore = PIM[0]->Records->Count;

    // Lists that cannot stand for the organizer's records change nothing.
    const struct {
        const char* name;
        std::string answer;
    } refused[] = {
        {"five announced, three listed", IdsAnswer(501, 5, {kept, deletedHere, 900001})},
        {"cut before the end", IdsAnswer(501, 3, {kept, deletedHere, 900001}, false)},
        {"an id 0", IdsAnswer(501, 3, {kept, 0, 900001})},
        {"real-count 0", IdsAnswer(501, 0, {})},
    };
    for (const auto& row : refused) {
        EXPECT_EQ(Handle(row.answer), 0) << row.name;
        EXPECT_EQ(PIM[0]->Records->Count, countBefore) << row.name;
        EXPECT_EQ(Record(gone)->Deleted, 0u) << row.name;
    }
    EXPECT_TRUE(QueuedReloadPairs().empty());

    // One deleted, two blanks; the rest stays as it is.
    EXPECT_EQ(Handle(IdsAnswer(501, 4, {kept, deletedHere, 900001, 900002})), 3);
    EXPECT_GT(Record(gone)->Deleted, 0u);
    EXPECT_FALSE(Record(gone)->PleaseSync);
    for (uint32_t stays : {kept, edited, virtualOne, unsaved, fresh})
        EXPECT_EQ(Record(stays)->Deleted, 0u) << stays;
    EXPECT_EQ(CopiesOf(deletedHere), 1);
    ASSERT_NE(Record(900001), nullptr);
    EXPECT_EQ(Record(900001)->Changed, 0u);
    EXPECT_EQ(Record(900001)->OrganizerID, 501u);
    EXPECT_EQ(QueuedReloadPairs(), std::vector<int>{2});

    // Asked for within 24 hours: not again; later it is.
    EXPECT_EQ(Handle(IdsAnswer(501, 4, {kept, deletedHere, 900001, 900002})), 0);
    const TNPIMOrganizer* organizer = PIM[0]->Organizers.GetOrganizerByID(501);
    for (int32_t i = 0; i < g.apiQueueRequests.Count(); ++i)
        g.apiQueueRequests.Consume(i);
    g.Sync2ReloadRecordsOfOrganizer(organizer);
    EXPECT_TRUE(QueuedReloadPairs().empty());
    {
        TNModelWriteGuard lock;
        Record(900002)->LocalChanged -= 86401;
    }
    g.Sync2ReloadRecordsOfOrganizer(organizer);
    EXPECT_EQ(QueuedReloadPairs(), std::vector<int>{1});

    // The local deletion still goes up.
    g.RunOnlineNow();
    ASSERT_TRUE(RunUntilIdle());
    test_service::StoredItem stored;
    ASSERT_TRUE(sync_.Find(test_service::kRecords, deletedHere, stored));
    EXPECT_GT(stored.Deleted, 0);
}

TEST_F(OrganizerResyncTest, MissingRecordsComeBackThroughQueuedReloads)
{
    // An invitation: its records are not downloaded, but the service lets
    // the user read them.
    sync_.AddOrganizer(503, kBobID, 1, 1, "Pozv\xE1nka");
    sync_.Relate(kAliceID, 503, 50, 5);
    std::vector<uint32_t> ids;
    for (int i = 0; i < 120; ++i)
        ids.push_back(sync_.SeedRecord(503, "Z\xE1znam " + std::to_string(i)));
    SignIn();
    ASSERT_EQ(Record(ids[0]), nullptr);
    ASSERT_GE(g.apiQueueRequest(0, "get-list-of-organizers-all-records-ids", "&OrganizerID=503&pimSrvPos=0&FirstID=0",
                                TNGlobal::kQueueRecordsIdsOfOrganizer, 1),
              0);
    g.RunOnlineNow();
    ASSERT_TRUE(RunUntilIdle());

    std::vector<test_service::ApiRequest> reloads = accounts_.RequestsNamed("get-updated-records");
    ASSERT_EQ(reloads.size(), 3u);
    std::vector<size_t> pairs;
    for (const test_service::ApiRequest& reload : reloads) {
        size_t count = 0;
        while (!test_service::FieldValue(reload.Fields, "r" + std::to_string(count)).empty())
            ++count;
        pairs.push_back(count);
    }
    EXPECT_EQ(pairs, (std::vector<size_t>{50, 50, 20}));
    for (uint32_t id : ids) {
        const TNPIMRecord* record = Record(id);
        ASSERT_NE(record, nullptr) << id;
        EXPECT_GT(record->Changed, 0u) << id;
        EXPECT_EQ(CopiesOf(id), 1) << id;
    }
    EXPECT_EQ(std::string(Record(ids[119])->Text.View()), "Z\xE1znam 119");
    EXPECT_TRUE(service_.Violations().empty());
}

TEST_F(OrganizerResyncTest, RecordsOfAnOrganizerNotFollowedAreShownOnly)
{
    sync_.AddOrganizer(601, kBobID, 1, 1,
                       "Ve\xF8"
                       "ejn\xFD");
    sync_.Change(test_service::kOrganizers, 601, {{"Visibility", "1"}});
    std::vector<uint32_t> shown;
    for (const char* date : {"2026-03-02", "2026-01-05"})
        shown.push_back(
            sync_.Seed(test_service::kRecords,
                       {{"OrganizerID", "601"}, {"Text", "Koncert"}, {"HasBegin", "1"}, {"DateBegin", date}}));
    sync_.AddOrganizer(602, kBobID, 1, 1, "Odeb\xEDran\xFD");
    sync_.Change(test_service::kOrganizers, 602, {{"Visibility", "1"}});
    sync_.Relate(kAliceID, 602, 50, 1);
    uint32_t followed = sync_.SeedRecord(602, "Tr\xE9nink");
    SignIn();
    for (uint32_t organizer : {601, 602}) {
        std::string data = "&OrganizerID=" + std::to_string(organizer);
        ASSERT_GE(g.apiQueueRequest(0, "get-available-records-of-public-organizer", data.c_str(),
                                    TNGlobal::kQueuePublicOrganizerRecords, 1),
                  0);
    }
    g.RunOnlineNow();
    ASSERT_TRUE(RunUntilIdle());
    std::vector<test_service::ApiRequest> asked = accounts_.RequestsNamed("get-available-records-of-public-organizer");
    ASSERT_EQ(asked.size(), 2u);
    // Ordered by begin.
    EXPECT_LT(asked[0].Answer.find("2026-01-05"), asked[0].Answer.find("2026-03-02"));
    for (uint32_t id : shown) {
        ASSERT_NE(Record(id), nullptr);
        EXPECT_TRUE(Record(id)->Virtual && Record(id)->DoNotSave);
    }
    ASSERT_NE(Record(followed), nullptr);
    EXPECT_FALSE(Record(followed)->Virtual || Record(followed)->DoNotSave);

    // Even changed here, they never go up, and a reload does not bring them.
    EditRecord(shown[0], [](TNPIMRecord& record) { record.Text.Set("Jinak"); });
    g.RunOnlineNow();
    ASSERT_TRUE(RunUntilIdle());
    for (const test_service::ApiRequest& upload : accounts_.RequestsNamed("upsync"))
        EXPECT_NE(test_service::FieldValue(upload.Fields, "ItemID"), std::to_string(shown[0]));
    PIM[0]->Save(false, false);
    PIM[0]->Load(nullptr);
    EXPECT_EQ(Record(shown[0]), nullptr);
    EXPECT_EQ(Record(shown[1]), nullptr);
    EXPECT_NE(Record(followed), nullptr);
}

} // namespace
} // namespace online_test
