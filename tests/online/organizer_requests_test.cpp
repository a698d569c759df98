// Object data, the full resynchronisation of organizers and the public
// organizers, through the real transport against the test service.

#include "foundation/local_clock.h"
#include "foundation/pim_array.h"
#include "model/model_lock.h"
#include "model/pim.h"
#include "online/global.h"
#include "tests/online/sync_world.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

namespace online_test {
namespace {

using test_service::kContactsRequests;
using test_service::kNotifications;
using test_service::kRecords;

class OrganizerRequestTest : public SyncWorld {
protected:
    void TearDown() override
    {
        SyncWorld::TearDown();
        g.ObjectData.Clear();
    }

    std::string Answer(const std::string& elements) const { return "<handshake>1</handshake>" + elements; }

    // An id-list answer for organizer 501.
    static std::string IdList(int realCount, const std::string& ids, bool whole = true)
    {
        return "<handshake>1</handshake><organizer-id>501</organizer-id><pim-srv-pos>0</pim-srv-pos><last-id>0</"
               "last-id>"
               "<records-count>" +
               std::to_string(realCount) + "</records-count><real-count>" + std::to_string(realCount) +
               "</real-count><records-ids>" + ids + (whole ? "</records-ids>" : "");
    }

    static std::string Replace(std::string text, const std::string& from, const std::string& to)
    {
        return text.replace(text.find(from), from.size(), to);
    }

    int32_t Handle(const std::string& document)
    {
        TNString text(document.c_str());
        return g.fncGetRecordsIDsOfOrganizer(&text);
    }

    // Positions holding the id, deleted or not.
    int CopiesOf(uint32_t id) const
    {
        TNModelReadGuard lock;
        int copies = 0;
        PIM[0]->Records->ForEachPosOfID(id, [&](int32_t) { ++copies; });
        return copies;
    }

    bool LocallyDeleted(uint32_t id) const
    {
        TNModelReadGuard lock;
        const TNPIMRecord* record = PIM[0]->Records->GetRecordByID(id);
        return record == nullptr || record->Deleted != 0;
    }

    void MarkRecord(uint32_t id, bool pleaseSync, bool isVirtual, bool doNotSave)
    {
        TNModelWriteGuard lock;
        TNPIMRecord* record = PIM[0]->Records->GetRecordByID(id);
        ASSERT_NE(record, nullptr);
        record->PleaseSync = pleaseSync;
        record->Virtual = isVirtual;
        record->DoNotSave = doNotSave;
    }

    size_t Posted(const std::string& name) const { return accounts_.RequestsNamed(name).size(); }
};

TEST_F(OrganizerRequestTest, ObjectDataTable)
{
    uint32_t cyril = sync_.Seed(kContactsRequests, {{"UserID", "3003"},
                                                    {"ContactUserID", std::to_string(kAliceID)},
                                                    {"FullName", "Cyril"},
                                                    {"Bio", "Zahradn\xEDk"},
                                                    {"Web", "cyril.test"},
                                                    {"City", "Brno"},
                                                    {"ProfilePicture", "0"}});
    uint32_t gone = sync_.Seed(kContactsRequests, {{"UserID", "3004"}, {"ContactUserID", std::to_string(kAliceID)}});
    uint32_t note = sync_.Seed(kNotifications, {{"RecipientUserID", std::to_string(kAliceID)},
                                                {"Text", "Pozv\xE1nka"},
                                                {"SenderFullName", "Dana"},
                                                {"Settings", "{\"OrganizerID\":501}"}});
    uint32_t zeroNote = sync_.Seed(kNotifications, {{"RecipientUserID", std::to_string(kAliceID)}, {"Text", "A"}});
    uint32_t silent = sync_.Seed(kNotifications, {{"RecipientUserID", std::to_string(kAliceID)}, {"Text", "B"}});
    SignIn();
    // Gone on the service since the download.
    sync_.Tombstone(kContactsRequests, gone);

    struct Row {
        const char* name;
        uint8_t type;
        uint32_t id;
        // Replaces the service's answer when set.
        const char* answer;
    };
    const Row rows[] = {
        {"contact request data", 1, cyril, nullptr}, {"notification data", 2, note, nullptr},
        {"contact request false", 1, gone, nullptr}, {"notification 0", 2, zeroNote, "<object-data>0</object-data>"},
        {"no object-data element", 2, silent, ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        if (row.answer != nullptr) {
            std::string answer = Answer(row.answer);
            accounts_.RouteApi("get-object-data", [answer](const test_service::FormFields&,
                                                           const test_service::Account*) { return answer; });
        }
        ASSERT_GE(g.AddObjectData(row.type, row.id, 0), 0);
        int32_t pending = g.ObjectData.objectDataCount();
        g.GetNextObjectData();
        EXPECT_EQ(g.ObjectData.objectDataCount(), pending - 1);
    }

    {
        TNModelReadGuard lock;
        const TNPIMContactsRequest& request = *PIM[0]->ContactsRequests.GetItemByID(cyril);
        EXPECT_EQ(std::string(request.FullName.View()), "Cyril");
        EXPECT_EQ(std::string(request.Bio.View()), "Zahradn\xEDk");
        EXPECT_EQ(std::string(request.Web.View()), "cyril.test");
        EXPECT_EQ(std::string(request.City.View()), "Brno");
        EXPECT_TRUE(request.Unsaved);
        EXPECT_EQ(request.Deleted, 0);
        const TNPIMNotification& filled = *PIM[0]->Notifications.GetItemByID(note);
        EXPECT_EQ(std::string(filled.FullName.View()), "Dana");
        EXPECT_EQ(std::string(filled.OrganizerTitle.View()), "Alice");
        EXPECT_TRUE(filled.PleaseSave);
        const TNPIMContactsRequest& deleted = *PIM[0]->ContactsRequests.GetItemByID(gone);
        EXPECT_GT(deleted.Deleted, 0);
        EXPECT_TRUE(deleted.PleaseSync);
        const TNPIMNotification& zero = *PIM[0]->Notifications.GetItemByID(zeroNote);
        EXPECT_GT(zero.Deleted, 0);
        EXPECT_TRUE(zero.PleaseSync);
        const TNPIMNotification& untouched = *PIM[0]->Notifications.GetItemByID(silent);
        EXPECT_EQ(untouched.Deleted, 0);
        EXPECT_FALSE(untouched.PleaseSync);
    }

    // The deletion of the notification goes up with the next passes.
    g.FastSync("test");
    ASSERT_TRUE(RunUntilIdle());
    test_service::StoredItem stored;
    ASSERT_TRUE(sync_.Find(kNotifications, zeroNote, stored));
    EXPECT_NE(stored.Deleted, 0);
    TNModelReadGuard lock;
    EXPECT_FALSE(PIM[0]->Notifications.GetItemByID(zeroNote)->PleaseSync);
}

TEST_F(OrganizerRequestTest, FullResyncHandlerTable)
{
    for (uint32_t id = 9001; id <= 9006; ++id)
        sync_.Seed(kRecords, {{"OrganizerID", "501"}, {"Text", "Z\xE1znam " + std::to_string(id)}}, id);
    SignIn();
    uint32_t fresh = NewRecord(501, "Nov\xFD");
    MarkRecord(9002, true, false, false);
    MarkRecord(9003, false, true, false);
    MarkRecord(9004, false, false, true);

    struct Row {
        const char* name;
        std::string document;
        int32_t result;
        std::vector<uint32_t> deleted;
    };
    const Row rows[] = {
        {"real-count 5 with 3 ids", IdList(5, "9005;9006;9001;"), 0, {}},
        {"cut before the closing tag", IdList(2, "9005;9006;", false), 0, {}},
        {"real-count 0", IdList(0, ""), 0, {}},
        {"an id of 0", IdList(3, "9005;0;9006;"), 0, {}},
        // Counts the answer cannot hold: refused before anything is allocated.
        {"real-count 4000000000", Replace(IdList(2, "9005;9006;"), "<real-count>2<", "<real-count>4000000000<"), 0, {}},
        {"real-count 2000000000", Replace(IdList(2, "9005;9006;"), "<real-count>2<", "<real-count>2000000000<"), 0, {}},
        {"a synced record missing", IdList(2, "9005;9006;"), 1, {9001}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(Handle(row.document), row.result);
        for (uint32_t id : {9001u, 9002u, 9003u, 9004u, 9005u, 9006u, fresh}) {
            bool expected = std::find(row.deleted.begin(), row.deleted.end(), id) != row.deleted.end();
            EXPECT_EQ(LocallyDeleted(id), expected) << id;
        }
        EXPECT_EQ(g.apiQueueRequests.Count(), 0);
    }

    // A listed record whose deletion waits for upload gets no blank, and
    // its deletion goes up.
    MarkRecord(9002, false, false, false);
    {
        TNModelWriteGuard lock;
        TNPIMRecords& records = *PIM[0]->Records;
        int32_t pos = records.GetRecordPosByID(9006);
        records.Items[pos]->PleaseSync = true;
        records.SaveOrDeleteRecordByPos(pos, true);
    }
    EXPECT_EQ(Handle(IdList(5, "9002;9003;9004;9005;9006;")), 0);
    EXPECT_EQ(CopiesOf(9006), 1);
    g.FastSync("test");
    ASSERT_TRUE(RunUntilIdle());
    test_service::StoredItem stored;
    ASSERT_TRUE(sync_.Find(kRecords, 9006, stored));
    EXPECT_NE(stored.Deleted, 0);
    EXPECT_EQ(CopiesOf(9006), 1);
    EXPECT_TRUE(service_.Violations().empty());
}

TEST_F(OrganizerRequestTest, ARecordsCountThePublicAnswerCannotHoldTakesNothing)
{
    SignIn();
    ASSERT_TRUE(g.AvailableOrganizers);
    const int32_t before = PIM[0]->Records->Count;
    struct Case {
        const char* count;
        int32_t taken;
    };
    // The last, a count the answer holds, shows that the answer is read.
    for (const Case& c : {Case{"4000000000", 0}, Case{"2000000000", 0}, Case{"1", 1}}) {
        SCOPED_TRACE(c.count);
        TNString document(("<organizer-id>501</organizer-id><pim-srv-pos>0</pim-srv-pos><records-count>" +
                           std::string(c.count) +
                           "</records-count><records><0><ID>9100</ID><OrganizerID>501</OrganizerID><Text>X</Text></0>"
                           "</records>")
                              .c_str());
        EXPECT_EQ(g.fncGetAvailableRecordsOfPublicOrganizer(&document), c.taken);
        EXPECT_EQ(PIM[0]->Records->Count, before + c.taken);
    }
}

TEST_F(OrganizerRequestTest, MissingIdsBecomeBlanksThatTheQueuedReloadsFill)
{
    SignIn();
    std::string ids;
    for (uint32_t k = 0; k < 120; ++k) {
        uint32_t id = 20001 + k;
        sync_.Seed(kRecords, {{"OrganizerID", "501"}, {"Text", "Ze serveru " + std::to_string(id)}}, id);
        ids += std::to_string(id) + ";";
    }
    EXPECT_EQ(Handle(IdList(120, ids)), 120);
    ASSERT_EQ(g.apiQueueRequests.Count(), 3);
    std::vector<int> pairs;
    for (int32_t i = 0; i < 3; ++i) {
        TNQueuedRequest item = g.apiQueueRequests.At(i);
        EXPECT_EQ(item.Name, "get-updated-records");
        int count = 0;
        for (size_t at = item.Data.find("&r"); at != std::string::npos; at = item.Data.find("&r", at + 1))
            ++count;
        pairs.push_back(count);
    }
    EXPECT_EQ(pairs, (std::vector<int>{50, 50, 20}));

    // Asked for in the last 24 hours: not again.
    {
        TNModelWriteGuard lock;
        g.Sync2ReloadRecordsOfOrganizer(PIM[0]->Organizers.GetOrganizerByID(501));
    }
    EXPECT_EQ(g.apiQueueRequests.Count(), 3);
    // A second id list finds the blanks present.
    EXPECT_EQ(Handle(IdList(120, ids)), 0);

    for (int k = 0; k < 3; ++k)
        g.onlineProceedAPIQueue();
    EXPECT_FALSE(g.apiQueueRequests.HasLive());
    TNModelReadGuard lock;
    for (uint32_t id : {20001u, 20050u, 20120u}) {
        const TNPIMRecord* record = PIM[0]->Records->GetRecordByID(id);
        ASSERT_NE(record, nullptr);
        EXPECT_EQ(std::string(record->Text.View()), "Ze serveru " + std::to_string(id));
        EXPECT_GT(record->Changed, 0u);
    }
}

TEST_F(OrganizerRequestTest, AQueuedAnswerOfAnEndedSignInIsDropped)
{
    SignIn();
    sync_.Seed(kRecords, {{"OrganizerID", "501"}, {"Text", "Ze serveru"}}, 20001);
    EXPECT_EQ(Handle(IdList(1, "20001;")), 1);
    ASSERT_EQ(g.apiQueueRequests.Count(), 1);

    std::thread worker;
    {
        // The answer waits for the model lock while a log-out begins.
        TNUiJobLock lock = g.WaitUntilSyncJobIsDone("test", 1);
        worker = std::thread([] { g.onlineProceedAPIQueue(); });
        ASSERT_TRUE(PumpUntil([&] { return Posted("get-updated-records") == 1; }));
        std::this_thread::sleep_for(std::chrono::milliseconds(150));
        ++g.SignInGeneration;
    }
    worker.join();

    EXPECT_EQ(LogLinesContaining("[onlineProceedAPIQueue][DROPPED] answer of an earlier sign-in"), 1);
    EXPECT_TRUE(g.apiQueueRequests.HasLive());
    TNModelReadGuard lock;
    const TNPIMRecord* record = PIM[0]->Records->GetRecordByID(20001);
    ASSERT_NE(record, nullptr);
    EXPECT_TRUE(record->Text.IsEmpty());
}

TEST_F(OrganizerRequestTest, FullResyncIsQueuedOncePerIntervalAndOrganizer)
{
    SignIn();
    g.FullResyncInterval = 86400;
    const int64_t start = TNLocalClock::Now();
    auto queueAt = [&](int64_t now) {
        g.NewSyncWanted = 0;
        int32_t before = g.apiQueueRequests.Count();
        g.QueueOrganizersFullResync(now);
        return g.apiQueueRequests.Count() - before;
    };
    EXPECT_EQ(queueAt(start), 2);
    EXPECT_EQ(g.apiQueueRequests.At(0).Name, "get-list-of-organizers-all-records-ids");
    EXPECT_EQ(g.apiQueueRequests.At(0).Data, "&OrganizerID=501&pimSrvPos=0&FirstID=0");
    EXPECT_EQ(g.apiQueueRequests.At(0).FunctionCode, 2);
    EXPECT_EQ(queueAt(start + 86399), 0);
    // While the download pages on, nothing is queued.
    g.NewSyncWanted = 1;
    int32_t before = g.apiQueueRequests.Count();
    g.QueueOrganizersFullResync(start + 86400);
    EXPECT_EQ(g.apiQueueRequests.Count(), before);
    g.onlineProceedAPIQueue();
    g.onlineProceedAPIQueue();
    EXPECT_FALSE(g.apiQueueRequests.HasLive());
    EXPECT_EQ(queueAt(start + 86400), 2);
    EXPECT_EQ(Posted("get-list-of-organizers-all-records-ids"), 2u);
}

TEST_F(OrganizerRequestTest, PublicOrganizersComeHourlyAndTheirRecordsStayVirtual)
{
    sync_.AddOrganizer(700, 5005, 1, 1, "Ve\xF8" "ejn\xFD");
    sync_.Change(test_service::kOrganizers, 700, {{"Visibility", "1"}});
    uint32_t shown = sync_.SeedRecord(700, "Koncert");
    SignIn();
    ASSERT_EQ(Posted("get-popular-and-newest-organizers"), 1u);
    {
        TNModelReadGuard lock;
        ASSERT_TRUE(g.AvailableOrganizers);
        const TNPIMOrganizer* offered = g.AvailableOrganizers->GetOrganizerByID(700);
        ASSERT_NE(offered, nullptr);
        EXPECT_EQ(offered->Subscribe, 0u);
        EXPECT_EQ(PIM[0]->Organizers.GetOrganizerByID(700), nullptr);
    }
    const int64_t last = g.LastAvailableOrganizersTime;
    g.GetAvailableOrganizers(last + 3599);
    EXPECT_EQ(Posted("get-popular-and-newest-organizers"), 1u);
    g.GetAvailableOrganizers(last + 3600);
    EXPECT_EQ(Posted("get-popular-and-newest-organizers"), 2u);

    ASSERT_GE(g.apiQueueRequest(0, "get-available-records-of-public-organizer", "&OrganizerID=700", 3, 1), 0);
    g.onlineProceedAPIQueue();
    {
        TNModelReadGuard lock;
        const TNPIMRecord* record = PIM[0]->Records->GetRecordByID(shown);
        ASSERT_NE(record, nullptr);
        EXPECT_TRUE(record->Virtual);
        EXPECT_TRUE(record->DoNotSave);
    }
    g.FastSync("test");
    ASSERT_TRUE(RunUntilIdle());
    EXPECT_EQ(accounts_.RequestsNamed("upsync").size(), 0u);

    PIM[0]->Save(false, false);
    PIM[0]->Load(nullptr);
    TNModelReadGuard lock;
    EXPECT_EQ(PIM[0]->Records->GetRecordByID(shown), nullptr);
    EXPECT_EQ(PIM[0]->Organizers.GetOrganizerByID(700), nullptr);
}

} // namespace
} // namespace online_test
