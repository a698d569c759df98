// The record change sequence: the per-day index, the yearly copies, the save
// queue and the file, the posted tag, the busy bytes and the model lock.

#include "tests/mainwindow/pages_fixture.h"

#include "foundation/pim_array.h"
#include "foundation/record_file.h"
#include "model/all_day.h"
#include "model/model_lock.h"
#include "model/pim.h"
#include "model/records.h"
#include "online/global.h"
#include "online/ui_tags.h"
#include "platform/core/bytes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <mutex>
#include <thread>
#include <vector>

namespace shell_test {
namespace {

class RecordCommit : public PagesTest {
protected:
    // How often the day of that date holds the id.
    int Filed(int year, int month, int day, uint32_t id)
    {
        TNPIMAllDay* entry = Account(0).GetAllDaysItem(year, month, day);
        int count = 0;
        for (int32_t i = 0; entry != nullptr && i < entry->Count; ++i)
            count += entry->Items[i] != nullptr && entry->Items[i]->ID == id ? 1 : 0;
        return count;
    }

    // Whether another thread may take the model lock now.
    static bool WorkerGetsModelLock()
    {
        bool held = false;
        std::thread worker([&] {
            TNModelWriteGuard guard(std::try_to_lock);
            held = guard.Held();
        });
        worker.join();
        return held;
    }

    static void MoveTo(TNPIMRecord& record, int day, int month, int year)
    {
        record.Begin.SetDate(day, month, year);
        record.End.SetDate(day, month, year);
    }
};

TEST_F(RecordCommit, MovedRecordIsRefiledQueuedAtItsPositionAndStored)
{
    AddRecord(Account(0), {.ID = 7001});
    AddRecord(Account(0), {.ID = 7002});
    AddRecord(Account(0), {.ID = 7003});
    // Every record on disk first, so that a wrong write would show.
    for (uint32_t id : {7001u, 7002u, 7003u})
        data_->Queue(raftRecord, id, static_cast<int32_t>(id - 7001));
    ASSERT_TRUE(Account(0).Save(false, false));
    TNPIMRecord& moved = RecordAt(Account(0), 2);

    {
        const TNUiJobLock lock = g.WaitUntilSyncJobIsDone("[test]", 1);
        MoveTo(moved, 12, 3, 2025);
        Main().ChangedRecordSaveSequence(0, &moved, 2);

        EXPECT_EQ(g.runningChangedRecordSaveSequence, 0);
        EXPECT_EQ(g.UiUpdateIsRunning, 0);
        EXPECT_FALSE(WorkerGetsModelLock());
    }
    EXPECT_TRUE(WorkerGetsModelLock());

    EXPECT_EQ(Filed(2025, 3, 10, 7003), 0);
    EXPECT_EQ(Filed(2025, 3, 12, 7003), 1);
    EXPECT_EQ(Filed(2025, 3, 10, 7001), 1);
    EXPECT_EQ(moved.Changed, static_cast<uint32_t>(kNow));
    EXPECT_TRUE(moved.PleaseSync);
    EXPECT_EQ(g.pleaseSavePIM, 1);
    EXPECT_EQ(g.someRecordChangedSoUpdateViews, 3);
    const std::vector<QueueEntry> queued = QueuedItems();
    ASSERT_EQ(queued.size(), 1u);
    EXPECT_EQ(queued[0].Type, raftRecord);
    EXPECT_EQ(queued[0].ID, 7003u);
    EXPECT_EQ(queued[0].Position, 2);
    EXPECT_EQ(queued[0].Retype, raftRecord);
    const std::vector<int16_t> tags = TakeUiTags();
    ASSERT_FALSE(tags.empty());
    EXPECT_EQ(tags.back(), __uiUpdateShownData_NoSync);
    EXPECT_EQ(std::count(tags.begin(), tags.end(), __uiUpdateShownData), 0);

    ASSERT_TRUE(Account(0).Save(false, false));
    data_->Reopen();
    auto storedDay = [&](uint32_t id) {
        int day = 0;
        EXPECT_TRUE(data_->ReadStored(raftRecord, id, [&](plat::ByteReader& in) {
            TNPIMRecord stored;
            const bool loaded = stored.Load(in);
            day = stored.ID == id ? stored.Begin.Den : -1;
            return loaded;
        }));
        return day;
    };
    EXPECT_EQ(storedDay(7003), 12);
    EXPECT_EQ(storedDay(7001), 10);
}

TEST_F(RecordCommit, RejectsWhatItCannotCommit)
{
    const int32_t pos = AddRecord(Account(0), {.ID = 7001});
    TNPIMRecord& record = RecordAt(Account(0), pos);
    const uint32_t changed = record.Changed;
    TNPIMRecords& records = *Account(0).Records;
    struct Case {
        const char* name;
        int32_t account;
        bool nullRecord;
        int32_t position;
        bool nullEntry;
        bool isVirtual;
        bool doNotSave;
        const char* line;
    };
    const char* threeLines = "[TfrmMainDLMR1::ChangedRecordSaveSequence][ERROR] record = ";
    const Case cases[] = {
        {"account -1", -1, false, pos, false, false, false, threeLines},
        {"account past the last", 1, false, pos, false, false, false, threeLines},
        {"no record", 0, true, pos, false, false, false, threeLines},
        {"position -1", 0, false, -1, false, false, false, threeLines},
        {"position past the list", 0, false, records.Count, false, false, false, threeLines},
        {"no entry", 0, false, pos, true, false, false,
         "[TfrmMainDLMR1::ChangedRecordSaveSequence][ERROR] PIM[pim_srv_pos]->Records->Items[record_pos] = "},
        {"virtual", 0, false, pos, false, true, false, "Virtual or DoNotSave record; record->ID = 7001"},
        {"not to be saved", 0, false, pos, false, false, true, "Virtual or DoNotSave record; record->ID = 7001"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const int before = LogCount(c.line);
        record.Virtual = c.isVirtual;
        record.DoNotSave = c.doNotSave;
        if (c.nullEntry)
            records.Items[pos] = nullptr;
        Main().ChangedRecordSaveSequence(c.account, c.nullRecord ? nullptr : &record, c.position);
        records.Items[pos] = &record;
        record.Virtual = false;
        record.DoNotSave = false;

        EXPECT_EQ(LogCount(c.line), before + 1);
        EXPECT_EQ(record.Changed, changed);
        EXPECT_FALSE(record.PleaseSync);
        EXPECT_TRUE(QueuedItems().empty());
        EXPECT_TRUE(TakeUiTags().empty());
        EXPECT_EQ(g.pleaseSavePIM, 0);
        EXPECT_EQ(g.runningChangedRecordSaveSequence, 0);
        EXPECT_EQ(g.UiUpdateIsRunning, 0);
    }
}

TEST_F(RecordCommit, PageEntryThrowingLeavesTheBytesAndTheLockFree)
{
    const int32_t pos = AddRecord(Account(0), {.ID = 7001});
    Watched().ThrowOn = "OrganizerRecordChanged";

    Main().ChangedRecordSaveSequence(0, &RecordAt(Account(0), pos), pos);

    EXPECT_EQ(Watched().Count("OrganizerRecordChanged 500"), 1);
    EXPECT_EQ(LogCount("Caller: [TfrmMainDLMR1::ChangedRecordSaveSequence]"), 1);
    EXPECT_EQ(g.runningChangedRecordSaveSequence, 0);
    EXPECT_EQ(g.UiUpdateIsRunning, 0);
    EXPECT_TRUE(WorkerGetsModelLock());
}

TEST_F(RecordCommit, WaitsForARunningSequenceThenTakesItOver)
{
    const int32_t pos = AddRecord(Account(0), {.ID = 7001});
    g.runningChangedRecordSaveSequence = 1;

    Main().ChangedRecordSaveSequence(0, &RecordAt(Account(0), pos), pos);

    EXPECT_EQ(LogCount("Waiting for g.runningChangedRecordSaveSequence... "), 390);
    EXPECT_EQ(LogCount("[TfrmMainDLMR1::ChangedRecordSaveSequence][ERROR] Resetting"), 1);
    EXPECT_TRUE(RecordAt(Account(0), pos).PleaseSync);
    EXPECT_EQ(g.runningChangedRecordSaveSequence, 0);
}

TEST_F(RecordCommit, BirthdayKeepsOneCopyAYearUnderItsOwnDate)
{
    const int32_t pos = AddRecord(Account(0), {.ID = 7100, .Type = rtBirthday, .Year = 1990, .Month = 5, .Day = 20});
    TNPIMRecord& birthday = RecordAt(Account(0), pos);
    const int32_t count = Account(0).Records->Count;

    Main().ChangedRecordSaveSequence(0, &birthday, pos);
    for (int year = 1990; year <= 2100; ++year) {
        SCOPED_TRACE(year);
        ASSERT_EQ(Filed(year, 5, 20, 7100), 1);
    }

    MoveTo(birthday, 21, 5, 1990);
    Main().ChangedRecordSaveSequence(0, &birthday, pos);
    for (int year = 1990; year <= 2100; ++year) {
        SCOPED_TRACE(year);
        ASSERT_EQ(Filed(year, 5, 20, 7100), 0);
        ASSERT_EQ(Filed(year, 5, 21, 7100), 1);
    }
    EXPECT_EQ(Account(0).Records->Count, count);
}

} // namespace
} // namespace shell_test
