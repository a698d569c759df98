// The soak: one client on the headless host, with real data files and the
// real transport, against the in-process test service. A scripted user makes
// changes while passes run, another party changes and tombstones items, and
// the service injects faults at a fixed rate. At the end the faults stop,
// passes run until idle and both sides must hold exactly the same.
//
// Driven by one seed. DALMORA_SOAK_SEED (default 1), DALMORA_SOAK_CHANGES
// (default 1000) and, for the restart variant, DALMORA_SOAK_RESTARTS
// (default 20) choose the run.

#include "tests/online/sync_world.h"

#include "model/model_lock.h"
#include "model/notifications.h"
#include "model/pim.h"
#include "model/record.h"
#include "model/tags.h"
#include "model/tags_assign.h"
#include "online/global.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace online_test {
namespace {

using test_service::ApiFault;
using test_service::StoredItem;

int EnvNumber(const char* name, int fallback)
{
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0' ? std::atoi(value) : fallback;
}

// One item as both sides must hold it: the fields the client sends, as text.
using Fields = std::map<std::string, std::string>;

std::string Describe(const Fields& fields)
{
    std::string text;
    for (const auto& [key, value] : fields)
        text += key + "=" + value + " ";
    return text;
}

class SoakTest : public SyncWorld {
protected:
    static constexpr int kFaultPercent = 5;
    static constexpr int kConflictPercent = 1;
    static constexpr int kChangesPerCatchUp = 8;
    static constexpr uint32_t kOrganizers[] = {501, 502};

    void SetUp() override
    {
        SyncWorld::SetUp();
        seed_ = static_cast<uint32_t>(EnvNumber("DALMORA_SOAK_SEED", 1));
        std::printf("soak seed %u\n", seed_);
        random_.seed(seed_);
        faultRandom_.seed(seed_ * 7919u + 1u);
        // Short pages and a short interval: paging and the back-off (bounded
        // by the interval) are exercised often.
        sync_.SetArrayLimit(20);
        accounts_.SetSyncInterval(1);
        for (int i = 0; i < 40; ++i)
            sync_.SeedRecord(kOrganizers[i % 2], Marker("seed", i));
        g.FastPassDelayMs = 0;
        SignIn();
    }
    void TearDown() override
    {
        accounts_.SetApiFaultChooser({});
        SyncWorld::TearDown();
    }

    static std::string Marker(const char* kind, int n) { return std::string(kind) + "-" + std::to_string(n); }

    // 5 % of the requests meet one of the faults (faultRandom_ is used on
    // the service's threads only, under the account service's lock), the sign-in excepted
    // (its retry waits 10 s and is tested on its own).
    void StartFaults()
    {
        accounts_.SetApiFaultChooser([this](const std::string& name, ApiFault& fault) {
            if (name == "login" || faultRandom_() % 100 >= kFaultPercent)
                return false;
            ++faults_;
            switch (faultRandom_() % 6) {
            case 0:
                fault = ApiFault::Delay(1700);
                break;
            case 1:
                fault = ApiFault::CloseBeforeAnswer();
                break;
            case 2:
                fault = ApiFault::WithStatus(500);
                break;
            case 3:
                fault = ApiFault::CommitThenClose();
                break;
            case 4:
                fault = ApiFault::Refuse();
                break;
            default:
                fault = ApiFault::CutBody(faultRandom_() % 200);
                break;
            }
            return true;
        });
    }
    void StopFaults()
    {
        accounts_.SetApiFaultChooser({});
        sync_.SetAtOrAfterPaging(false);
    }

    // The live local records of the user's organizers.
    std::vector<uint32_t> LiveRecords() const
    {
        TNModelReadGuard lock;
        std::vector<uint32_t> ids;
        const TNPIMRecords& records = *PIM[0]->Records;
        for (int32_t i = 0; i < records.Count; ++i)
            if (records.Items[i] != nullptr && records.Items[i]->Deleted == 0 && !records.Items[i]->Virtual)
                ids.push_back(records.Items[i]->ID);
        return ids;
    }
    uint32_t Pick(const std::vector<uint32_t>& ids) { return ids[random_() % ids.size()]; }

    // A tag of the record's organizer: an existing live one or a new one.
    uint32_t ChooseTag(uint32_t organizerId, int change)
    {
        TNModelWriteGuard lock;
        TNPIMTags& tags = PIM[0]->Tags;
        std::vector<uint32_t> live;
        for (int32_t i = 0; i < tags.Count; ++i)
            if (tags.Items[i] != nullptr && tags.Items[i]->Deleted == 0 && tags.Items[i]->OrganizerID == organizerId)
                live.push_back(tags.Items[i]->ID);
        if (!live.empty() && random_() % 3 != 0)
            return Pick(live);
        uint32_t id = tags.GetNextID();
        if (id == 0 || !tags.Resize(tags.Count + 1))
            return 0;
        TNPIMTag& made = *tags.Items[tags.Count - 1];
        made.ID = id;
        made.OrganizerID = organizerId;
        made.Title.Set(Marker("tag", change).c_str());
        made.PleaseSync = true;
        tags.NoteIDChanged(tags.Count - 1);
        tags.QueueForSave(tags.Count - 1);
        return id;
    }
    void ChooseTagInRecord(uint32_t recordId, int change)
    {
        // As the editor does it: all under the model lock, with the ids the
        // record and the tag hold now (a pass may have confirmed them).
        TNModelWriteGuard lock;
        TNPIMRecord* record = PIM[0]->Records->GetRecordByID(recordId);
        if (record == nullptr)
            return;
        const uint32_t organizerId = record->OrganizerID;
        const uint32_t currentId = record->ID;
        const uint32_t tag = ChooseTag(organizerId, change);
        if (tag == 0)
            return;
        EditRecord(currentId, [&](TNPIMRecord& r) { r.TagID = tag; });
        PIM[0]->TagsAssign.DeleteAssign(currentId);
        PIM[0]->TagsAssign.AddAssign(currentId, tag, organizerId);
    }

    // One change of the scripted user, sometimes met by the other party.
    void UserChange(int change)
    {
        std::vector<uint32_t> live = LiveRecords();
        const int kind = live.empty() ? 0 : static_cast<int>(random_() % 100);
        if (kind < 30) {
            uint32_t id = NewRecord(kOrganizers[random_() % 2], Marker("new", change).c_str());
            if (id != 0 && random_() % 3 == 0)
                ChooseTagInRecord(id, change);
        } else if (kind < 70) {
            uint32_t id = Pick(live);
            std::string text = Marker("edit", change);
            EditRecord(id, [&](TNPIMRecord& r) { r.Text.Set(text.c_str()); });
            if (static_cast<int>(random_() % 100) < kConflictPercent * 3)
                sync_.Change(test_service::kRecords, id, {{"Text", Marker("party", change)}});
        } else if (kind < 85) {
            EditRecord(Pick(live), [](TNPIMRecord& r) { r.Deleted = 1; });
        } else if (kind < 92) {
            // The user opens a record: its notifications are read.
            PIM[0]->Notifications.MarkAsReadByObjectId(TNPIMNotifications::otRecordId, Pick(live), 0);
        } else {
            ChooseTagInRecord(Pick(live), change);
        }
    }

    // Another party changes or tombstones a service record.
    void PartyChange(int change)
    {
        std::vector<uint32_t> ids;
        for (const StoredItem& item : sync_.Items(test_service::kRecords))
            if (item.Deleted == 0)
                ids.push_back(item.ID);
        if (ids.empty())
            return;
        uint32_t id = Pick(ids);
        const uint32_t what = random_() % 8;
        if (what < 2) {
            sync_.Tombstone(test_service::kRecords, id);
        } else if (what < 4) {
            // A notification about the record for the user.
            sync_.Seed(test_service::kNotifications,
                       {{"RecipientUserID", std::to_string(kAliceID)},
                        {"Type", "1"},
                        {"Text", Marker("note", change)},
                        {"Settings", "{\"SenderUserID\":1002,\"OrganizerID\":0,\"RecordID\":" + std::to_string(id) +
                                         ",\"Data\":\"\"}"}});
        } else {
            sync_.Change(test_service::kRecords, id, {{"Text", Marker("party", change)}});
        }
    }

    // A new record goes up, and the run ends after the service answered a
    // record's upload and before the client took the answer.
    void KillBetweenAnswerAndSave(int change)
    {
        RunUntil([] { return g.OnlineThreadRunning == 0; });
        NewRecord(kOrganizers[change % 2], (Marker("new", change) + "-kill").c_str());
        g.UploadAnswerCrashSeam = [](int32_t type, uint32_t) { return type == TNPIM::kUploadRecords; };
        g.FastSync("soak kill");
        RunUntil([] { return g.Close != 0 && g.OnlineThreadRunning == 0; }, 5000);
        ++kills_;
    }

    // The changes, with passes running between them, faults on.
    void RunChanges(int changes, int restarts)
    {
        StartFaults();
        std::set<int> restartAt;
        while (static_cast<int>(restartAt.size()) < restarts && restarts < changes)
            restartAt.insert(1 + static_cast<int>(random_() % static_cast<uint32_t>(changes - 1)));
        for (int change = 0; change < changes; ++change) {
            if (restartAt.count(change) != 0) {
                if (restartAt.size() > 1 && change % 2 == 0)
                    KillBetweenAnswerAndSave(change);
                Restart(false);
                if (HasFatalFailure())
                    return;
            }
            UserChange(change);
            if (random_() % 4 == 0)
                PartyChange(change);
            sync_.SetAtOrAfterPaging(static_cast<int>(random_() % 100) < kFaultPercent);
            g.FastSync("soak");
            // A few steps of the loop and the timer, so that passes overlap
            // the changes; now and then the user waits for the passes to
            // catch up, so that the uploads too meet the faults.
            RunUntil([] { return false; }, static_cast<int>(random_() % 5));
            if (change % kChangesPerCatchUp == kChangesPerCatchUp - 1)
                RunUntilIdle(30000);
        }
        StopFaults();
        ASSERT_TRUE(RunUntilIdle(120000)) << "seed " << seed_;
        // The last download may have met a fault (a request held past the
        // client's time-out fails it); what it missed comes with the next
        // pass, which the ordinary interval would bring later. One pass
        // without faults, after every upload, brings it now.
        const size_t downloads = accounts_.RequestsNamed("get-records").size();
        g.FastSync("soak end");
        ASSERT_TRUE(RunUntil([&] { return accounts_.RequestsNamed("get-records").size() > downloads; }, 60000))
            << "seed " << seed_;
        ASSERT_TRUE(RunUntilIdle(120000)) << "seed " << seed_;
    }

    // The local side, per collection: id -> the fields compared.
    std::map<uint32_t, Fields> LocalRecords(std::vector<std::string>& problems) const
    {
        TNModelReadGuard lock;
        std::map<uint32_t, Fields> out;
        const TNPIMRecords& records = *PIM[0]->Records;
        for (int32_t i = 0; i < records.Count; ++i) {
            const TNPIMRecord* r = records.Items[i];
            if (r == nullptr || r->Virtual)
                continue;
            Fields fields{{"Deleted", r->Deleted != 0 ? "1" : "0"},
                          {"OrganizerID", std::to_string(r->OrganizerID)},
                          {"Text", std::string(r->Text.View())}};
            Note(out, r->ID, r->PleaseSync, fields, "records", problems);
        }
        return out;
    }
    std::map<uint32_t, Fields> LocalTags(std::vector<std::string>& problems) const
    {
        TNModelReadGuard lock;
        std::map<uint32_t, Fields> out;
        const TNPIMTags& tags = PIM[0]->Tags;
        for (int32_t i = 0; i < tags.Count; ++i) {
            const TNPIMTag* t = tags.Items[i];
            if (t == nullptr)
                continue;
            Fields fields{{"Deleted", t->Deleted != 0 ? "1" : "0"},
                          {"OrganizerID", std::to_string(t->OrganizerID)},
                          {"Title", std::string(t->Title.View())}};
            Note(out, t->ID, t->PleaseSync, fields, "tags", problems);
        }
        return out;
    }
    std::map<uint32_t, Fields> LocalAssignments(std::vector<std::string>& problems) const
    {
        TNModelReadGuard lock;
        std::map<uint32_t, Fields> out;
        const TNPIMTagsAssign& assigns = PIM[0]->TagsAssign;
        for (int32_t i = 0; i < assigns.Count; ++i) {
            const TNPIMTagsAssignItem* a = assigns.Items[i];
            if (a == nullptr)
                continue;
            Fields fields{{"Deleted", a->Deleted != 0 ? "1" : "0"},
                          {"OrganizerID", std::to_string(a->OrganizerID)},
                          {"RecordID", std::to_string(a->RecordID)},
                          {"TagID", std::to_string(a->TagID)}};
            Note(out, a->ID, a->PleaseSync, fields, "tag assignments", problems);
        }
        return out;
    }
    std::map<uint32_t, Fields> LocalNotifications(std::vector<std::string>& problems) const
    {
        TNModelReadGuard lock;
        std::map<uint32_t, Fields> out;
        const TNPIMNotifications& notes = PIM[0]->Notifications;
        for (int32_t i = 0; i < notes.Count; ++i) {
            const TNPIMNotification* n = notes.Items[i];
            if (n == nullptr)
                continue;
            Fields fields{{"Deleted", n->Deleted != 0 ? "1" : "0"}, {"Read", std::to_string(n->Read)}};
            Note(out, n->ID, n->PleaseSync, fields, "notifications", problems);
        }
        return out;
    }
    static void Note(std::map<uint32_t, Fields>& out, uint32_t id, bool pending, const Fields& fields,
                     const char* collection, std::vector<std::string>& problems)
    {
        // An emptied slot (a forgotten duplicate) is found by no id.
        if (id == 0)
            return;
        if (id >= kFirstLocalID)
            problems.push_back(std::string(collection) + ": temporary id " + std::to_string(id) + " left");
        if (pending)
            problems.push_back(std::string(collection) + ": " + std::to_string(id) + " still pending");
        if (!out.emplace(id, fields).second)
            problems.push_back(std::string(collection) + ": two local items with id " + std::to_string(id));
    }
    std::map<uint32_t, Fields> ServiceSide(int type, const std::vector<std::string>& keys) const
    {
        std::map<uint32_t, Fields> out;
        for (const StoredItem& item : sync_.Items(type)) {
            Fields fields{{"Deleted", item.Deleted != 0 ? "1" : "0"}};
            for (const std::string& key : keys)
                fields[key] = item.Field(key);
            out[item.ID] = fields;
        }
        return out;
    }

    // Live ids and their fields equal; a service tombstone is a local
    // tombstone or absent; nothing is held locally that the service lacks.
    static void Compare(const char* collection, const std::map<uint32_t, Fields>& local,
                        const std::map<uint32_t, Fields>& service, std::vector<std::string>& problems)
    {
        for (const auto& [id, fields] : service) {
            auto found = local.find(id);
            const bool serviceLive = fields.at("Deleted") == "0";
            if (found == local.end()) {
                if (serviceLive)
                    problems.push_back(std::string(collection) + " " + std::to_string(id) +
                                       ": missing locally; service " + Describe(fields));
                continue;
            }
            if (!serviceLive && found->second.at("Deleted") != "0")
                continue;
            if (found->second != fields)
                problems.push_back(std::string(collection) + " " + std::to_string(id) + ": local " +
                                   Describe(found->second) + "| service " + Describe(fields));
        }
        for (const auto& [id, fields] : local)
            if (service.find(id) == service.end() && fields.at("Deleted") == "0")
                problems.push_back(std::string(collection) + " " + std::to_string(id) +
                                   ": only local: " + Describe(fields));
    }

    // Every creation made at most one service item: the text of a record and
    // the title of a tag keep the change number they were made at.
    void ExpectNoDoubledCreation(std::vector<std::string>& problems) const
    {
        std::map<std::string, int> made;
        for (const StoredItem& item : sync_.Items(test_service::kRecords))
            if (item.Field("Text").rfind("new-", 0) == 0)
                ++made[item.Field("Text")];
        for (const StoredItem& item : sync_.Items(test_service::kTags))
            ++made["tag " + item.Field("Title")];
        for (const auto& [marker, count] : made)
            if (count > 1)
                problems.push_back(marker + " made " + std::to_string(count) + " service items");
    }

    void ExpectEqual(const char* when)
    {
        std::vector<std::string> problems;
        Compare("records", LocalRecords(problems), ServiceSide(test_service::kRecords, {"OrganizerID", "Text"}),
                problems);
        Compare("tags", LocalTags(problems), ServiceSide(test_service::kTags, {"OrganizerID", "Title"}), problems);
        Compare("tag assignments", LocalAssignments(problems),
                ServiceSide(test_service::kTagsAssign, {"OrganizerID", "RecordID", "TagID"}), problems);
        Compare("notifications", LocalNotifications(problems), ServiceSide(test_service::kNotifications, {"Read"}),
                problems);
        ExpectNoDoubledCreation(problems);
        EXPECT_TRUE(g.apiQueueRequests.HasLive() == false) << when;
        std::ostringstream text;
        for (const std::string& problem : problems)
            text << "  " << problem << "\n";
        EXPECT_TRUE(problems.empty()) << "seed " << seed_ << ", " << when << ":\n" << text.str();
        EXPECT_TRUE(service_.Violations().empty()) << "seed " << seed_;
    }

    void SoakAndCompare(int restarts)
    {
        RunChanges(EnvNumber("DALMORA_SOAK_CHANGES", 1000), restarts);
        if (HasFatalFailure())
            return;
        ExpectEqual("at the end");
        int read = 0;
        for (const StoredItem& item : sync_.Items(test_service::kNotifications))
            read += item.Field("Read") != "0" ? 1 : 0;
        std::printf("soak: %d kills between an answer and its save\n", kills_);
        std::printf("soak: %zu requests, %d faults, %d live records, %d tags, %d tag assignments, %d notifications "
                    "(%d read) on the service\n",
                    accounts_.Requests().size(), faults_, sync_.LiveCount(test_service::kRecords),
                    sync_.LiveCount(test_service::kTags), sync_.LiveCount(test_service::kTagsAssign),
                    sync_.LiveCount(test_service::kNotifications), read);
        Restart(true);
        if (HasFatalFailure())
            return;
        ASSERT_TRUE(RunUntilIdle(60000));
        ExpectEqual("after a save and a reload");
    }

    uint32_t seed_ = 1;
    int faults_ = 0;
    int kills_ = 0;
    std::mt19937 random_;
    std::mt19937 faultRandom_;
};

TEST_F(SoakTest, ChangesUnderFaultsEndWithBothSidesEqual)
{
    SoakAndCompare(0);
}

TEST_F(SoakTest, RestartsUnderFaultsEndWithBothSidesEqual)
{
    SoakAndCompare(EnvNumber("DALMORA_SOAK_RESTARTS", 20));
}

} // namespace
} // namespace online_test
