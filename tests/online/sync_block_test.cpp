// Taking in a downloaded block, the organizer check, the update checks of
// the records on screen and the request queue.

#include "foundation/pim_array.h"
#include "model/model_lock.h"
#include "model/pim.h"
#include "online/global.h"
#include "online/ui_tags.h"
#include "online/window_state.h"
#include "tests/online/sync_world.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace online_test {
namespace {

using test_service::ApiFault;

std::string RecordItem(uint32_t id, uint32_t organizer, uint32_t changed, const std::string& text)
{
    return "<ID>" + std::to_string(id) + "</ID><Created>" + std::to_string(changed) + "</Created><Changed>" +
           std::to_string(changed) + "</Changed><Deleted>0</Deleted><OrganizerID>" + std::to_string(organizer) +
           "</OrganizerID><Type>2</Type><Text>" + text + "</Text>";
}

int Pairs(const std::string& data)
{
    int count = 0;
    for (size_t at = data.find("&r"); at != std::string::npos; at = data.find("&r", at + 1))
        ++count;
    return count;
}

class BlockTest : public SyncWorld {
protected:
    int Count(const std::string& name) const { return static_cast<int>(accounts_.RequestsNamed(name).size()); }
    const TNPIMOrganizer& Organizer501() const { return *PIM[0]->Organizers.GetOrganizerByID(501); }
};

TEST_F(BlockTest, ItemsAreReadUpToTheFirstMissingNumber)
{
    SignIn();
    TNString block(("<Records><0>" + RecordItem(9001, 501, 100, "A") + "</0><1>" + RecordItem(9002, 501, 101, "B") +
                    "</1><3>" + RecordItem(9003, 501, 102, "C") + "</3></Records>")
                       .c_str());
    bool changed = false;
    g.ArrayLimit = 100;
    EXPECT_FALSE(g.SyncPIM(&block, 1, &changed));
    EXPECT_TRUE(changed);
    EXPECT_NE(Record(9001), nullptr);
    EXPECT_NE(Record(9002), nullptr);
    EXPECT_EQ(Record(9003), nullptr);
    EXPECT_EQ(Organizer501().recordsLastRequestTime, 101u);
}

TEST_F(BlockTest, PagingCommitsEveryPageOfAKnownLimit)
{
    SignIn();
    uint32_t committed = Organizer501().recordsLastRequestTime;
    struct Case {
        int32_t limit;
        int items;
        bool anotherPass;
        bool commits;
    };
    // A full page commits too (its newest Changed, offset 0) and asks for
    // another pass.
    const Case cases[] = {{0, 1, false, false}, {2, 2, true, true}, {3, 2, false, true}};
    uint32_t id = 9100;
    uint32_t changedAt = 5000;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.limit);
        std::string items;
        for (int i = 0; i < c.items; ++i)
            items += "<" + std::to_string(i) + ">" + RecordItem(++id, 501, ++changedAt, "X") + "</" +
                     std::to_string(i) + ">";
        TNString block(("<Records>" + items + "</Records>").c_str());
        g.ArrayLimit = c.limit;
        bool changed = false;
        EXPECT_EQ(g.SyncPIM(&block, 1, &changed), c.anotherPass);
        EXPECT_EQ(Organizer501().recordsReceived, 0);
        if (c.commits) {
            EXPECT_EQ(Organizer501().recordsOffset, 0);
            EXPECT_EQ(Organizer501().recordsLastRequestTime, changedAt);
        } else {
            EXPECT_EQ(Organizer501().recordsLastRequestTime, committed);
        }
    }
}

TEST_F(BlockTest, SharingIsTakenWholeAndNeverMakesThePassesLoop)
{
    uint32_t record = sync_.SeedRecord(501, "Sd\xEDlen\xFD");
    for (int i = 0; i < 12; ++i)
        sync_.Seed(test_service::kSharing, {{"OrganizerID", "501"},
                                            {"RecordID", std::to_string(record)},
                                            {"Type", "2"},
                                            {"ObjectID", std::to_string(700 + i)},
                                            {"Rights", "1"}});
    sync_.SetArrayLimit(10);
    SignIn();
    std::vector<int> sharing = SectionCounts("get-records", "Sharing");
    ASSERT_FALSE(sharing.empty());
    EXPECT_EQ(sharing.front(), 12);
    uint32_t newest = 0;
    for (const auto& item : sync_.Items(test_service::kSharing))
        newest = std::max<uint32_t>(newest, static_cast<uint32_t>(item.Changed));
    EXPECT_EQ(PIM[0]->Sharing.LastRequestTime, newest);

    // A service that pages sharing after all: a full page every time.
    accounts_.RouteApi("get-records", [&](const test_service::FormFields&, const test_service::Account*) {
        std::string items;
        for (int i = 0; i < 10; ++i)
            items += "<" + std::to_string(i) + "><ID>" + std::to_string(800 + i) + "</ID><Changed>" +
                     std::to_string(newest + 1 + i) + "</Changed><OrganizerID>501</OrganizerID><RecordID>" +
                     std::to_string(record) + "</RecordID></" + std::to_string(i) + ">";
        return "<handshake>1</handshake><array-limit>10</array-limit><api-sync-pim><Sharing>" + items +
               "</Sharing></api-sync-pim>";
    });
    int before = Count("get-records");
    g.FastSync("test");
    ASSERT_TRUE(RunUntilIdle());
    EXPECT_EQ(Count("get-records"), before + 1);
}

TEST_F(BlockTest, AMissingOrganizerIsMarkedDeletedAndTheOverviewTold)
{
    SignIn();
    ASSERT_TRUE(sync_.Tombstone(test_service::kOrganizers, 502));
    g.SetOrganizersToCheck({501, 502});
    g.pleaseCheckOrganizers = 1;
    g.FastSync("test");
    ASSERT_TRUE(RunUntil([&] { return Count("check-organizers-existence") == 1; }));
    ASSERT_TRUE(RunUntilIdle());
    auto requests = accounts_.RequestsNamed("check-organizers-existence");
    EXPECT_EQ(test_service::FieldValue(requests[0].Fields, "oids"), "501;502;");
    EXPECT_EQ(PIM[0]->Organizers.GetOrganizerByID(501)->Deleted, 0u);
    EXPECT_NE(PIM[0]->Organizers.GetOrganizerByID(502)->Deleted, 0u);
    auto tags = host_->TakenTags();
    EXPECT_TRUE(std::any_of(tags.begin(), tags.end(), [](const auto& t) { return t.first == __uiUpdateZentor; }));
    EXPECT_EQ(g.pleaseCheckOrganizers, 0);
}

TEST_F(BlockTest, RecordsOnScreenAreCheckedInFiftiesOnceADay)
{
    std::vector<TNShownRecord> shown;
    for (int i = 0; i < 120; ++i)
        shown.push_back({sync_.SeedRecord(501, "R" + std::to_string(i)), 0});
    SignIn();
    WindowState.SetShownRecords(shown);
    g.Sync2GetImagesAndAditionalDataAndTestShownRecords();
    ASSERT_EQ(g.apiQueueRequests.Count(), 3);
    EXPECT_EQ(Pairs(g.apiQueueRequests.At(0).Data), 50);
    EXPECT_EQ(Pairs(g.apiQueueRequests.At(1).Data), 50);
    EXPECT_EQ(Pairs(g.apiQueueRequests.At(2).Data), 20);
    EXPECT_EQ(g.apiQueueRequests.At(2).Data.rfind("&r0=", 0), 0u) << "numbered from 0 in each";
    g.Sync2GetImagesAndAditionalDataAndTestShownRecords();
    EXPECT_EQ(g.apiQueueRequests.Count(), 3) << "checked within the last 24 hours";

    // The queue drains one item per fast pass, and the answers come in.
    ASSERT_TRUE(sync_.Change(test_service::kRecords, shown[7].RecordID, {{"Text", "Nov\xE9"}}));
    g.FastSync("test");
    ASSERT_TRUE(RunUntilIdle());
    EXPECT_EQ(Count("get-updated-records"), 3);
    EXPECT_FALSE(g.apiQueueRequests.HasLive());
    EXPECT_EQ(std::string(Record(shown[7].RecordID)->Text.View()), "Nov\xE9");
}

TEST_F(BlockTest, QueueDropsRepeatsRetriesRefusalsAndWritesTheHeadWhenSent)
{
    SignIn();
    int32_t first = g.apiQueueRequest(0, "get-updated-records", "&r0=1&c0=0", TNGlobal::kQueueUpdatedRecords, 1);
    EXPECT_EQ(g.apiQueueRequest(0, "get-updated-records", "&r0=1&c0=0", TNGlobal::kQueueUpdatedRecords, 1), first);
    EXPECT_EQ(g.apiQueueRequests.Count(), 1);

    // Refused every time: sent again, and dropped after five tries.
    accounts_.ArmApiFault("get-updated-records", ApiFault::Refuse(), test_service::kAlways);
    g.FastSync("test");
    ASSERT_TRUE(RunUntilIdle());
    EXPECT_EQ(Count("get-updated-records"), 5);
    EXPECT_FALSE(g.apiQueueRequests.HasLive());
    accounts_.DisarmApiFaults();

    // Queued before a password change, sent with the new password.
    g.apiQueueRequest(0, "get-updated-records", "&r0=2&c0=0", TNGlobal::kQueueUpdatedRecords, 1);
    ASSERT_TRUE(g.SetActivePassword(TNString("nov\xE9 heslo")));
    g.FastSync("test");
    ASSERT_TRUE(RunUntilIdle());
    auto sent = accounts_.RequestsNamed("get-updated-records");
    EXPECT_EQ(test_service::FieldValue(sent.back().Fields, "Pass"), "nov\xE9 heslo");
}

} // namespace
} // namespace online_test
