#include "tests/online/sync_world.h"

#include "foundation/dirs.h"
#include "foundation/pim_array.h"
#include "model/model_lock.h"
#include "model/pim.h"
#include "online/global.h"
#include "platform/core/clock.h"
#include "platform/core/thread.h"

#include <chrono>
#include <thread>

namespace online_test {

void SyncWorld::SetUp()
{
    OnlineWorld::SetUp();
    sync_.AddOrganizer(501, kAliceID, 1, 1, "Alice");
    sync_.AddOrganizer(502, kAliceID, 10, 1, "Prace");
    host_ = std::make_unique<TNHeadlessHost>();
    // Passes that follow at once do so after 2 ms here.
    g.FastPassDelayMs = 2;
    // The daily full resynchronisation only where a test asks for it.
    g.FullResyncInterval = kNoFullResync;
}

void SyncWorld::TearDown()
{
    g.FullResyncInterval = 86400;
    g.Close = 1;
    EXPECT_TRUE(plat::WaitForRunningThreads(10000));
    host_.reset();
    OnlineWorld::TearDown();
}

void SyncWorld::SignIn()
{
    ASSERT_TRUE(host_->SignIn(kAliceLogin, kAlicePassword));
    ASSERT_TRUE(RunUntil([] { return g.UserLoginStatus == 1; }));
    ASSERT_TRUE(RunUntilIdle());
}

void SyncWorld::Restart(bool save, const std::function<void()>& beforeSignIn)
{
    g.Close = 1;
    ASSERT_TRUE(plat::WaitForRunningThreads(10000));
    Pump();
    if (save)
        PIM[0]->Save(false, false);
    const int32_t fastPassDelay = g.FastPassDelayMs;
    host_.reset();
    RebuildGlobals();
    g.InstID = Dirs.LoadInstID();
    g.FastPassDelayMs = fastPassDelay;
    g.FullResyncInterval = kNoFullResync;
    if (beforeSignIn)
        beforeSignIn();
    host_ = std::make_unique<TNHeadlessHost>();
    ASSERT_TRUE(host_->SignIn(kAliceLogin, kAlicePassword));
    ASSERT_TRUE(RunUntil([] { return g.UserLoginStatus == 1; }, 60000));
}

bool SyncWorld::RunUntil(const std::function<bool()>& done, int timeoutMs)
{
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        bool worked = loop_->RunPendingTasks() > 0;
        worked = host_->FireDueOnlineTimer() || worked;
        if (!worked)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

bool SyncWorld::RunUntilIdle(int timeoutMs)
{
    return RunUntil(
        [&] {
            if (g.OnlineThreadRunning != 0 || plat::RunningThreadCount() != 0 || g.NewSyncWanted != 0)
                return false;
            Pump();
            // Items backing off are still to go.
            int32_t type = 0;
            TNString scratch;
            if (g.UserLoginStatus == 1 && PIM[0]->GetDataToSync(&type, &scratch) != 0)
                return false;
            int64_t dueIn = host_->OnlineTimerDueIn();
            return dueIn > 50 && g.OnlineThreadRunning == 0 && plat::RunningThreadCount() == 0;
        },
        timeoutMs);
}

TNPIMRecord* SyncWorld::Record(uint32_t id) const
{
    TNModelReadGuard lock;
    return PIM[0]->Records->GetRecordByID(id);
}

void SyncWorld::EditRecord(uint32_t id, const std::function<void(TNPIMRecord&)>& change)
{
    TNModelWriteGuard lock;
    TNPIMRecords& records = *PIM[0]->Records;
    int32_t pos = records.GetRecordPosByID(id);
    ASSERT_GE(pos, 0);
    change(*records.Items[pos]);
    records.Items[pos]->PleaseSync = true;
    records.SaveOrDeleteRecordByPos(pos, false);
}

uint32_t SyncWorld::NewRecord(uint32_t organizerId, const char* text)
{
    TNModelWriteGuard lock;
    TNPIMRecords& records = *PIM[0]->Records;
    uint32_t id = records.GetNextID();
    if (!records.Resize(records.Count + 1))
        return 0;
    int32_t pos = records.Count - 1;
    TNPIMRecord& record = *records.Items[pos];
    record.ID = id;
    record.OrganizerID = organizerId;
    record.Type = 2;
    record.Text.Set(text);
    record.Created = record.Changed = static_cast<uint32_t>(plat::UnixSeconds());
    record.PleaseSync = true;
    records.NoteIDChanged(pos);
    records.SaveOrDeleteRecordByPos(pos, false);
    return id;
}

std::vector<int> SyncWorld::SectionCounts(const std::string& request, const std::string& section,
                                          const std::string& organizerId) const
{
    std::vector<int> counts;
    for (const test_service::ApiRequest& logged : accounts_.RequestsNamed(request)) {
        const std::string& answer = logged.Answer;
        size_t start = answer.find("<" + section + ">");
        size_t end = answer.find("</" + section + ">");
        int count = 0;
        if (start != std::string::npos && end != std::string::npos) {
            std::string body = answer.substr(start, end - start);
            std::string needle = organizerId.empty() ? "<ID>" : "<OrganizerID>" + organizerId + "</OrganizerID>";
            for (size_t at = body.find(needle); at != std::string::npos; at = body.find(needle, at + 1))
                ++count;
        }
        counts.push_back(count);
    }
    return counts;
}

} // namespace online_test
