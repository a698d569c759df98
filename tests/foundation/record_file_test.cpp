#include "foundation/record_file.h"
#include "foundation/record_file_set.h"
#include "platform/core/clock.h"
#include "tests/foundation/record_file_test_util.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

namespace {

using recfiletest::FileBytes;
using recfiletest::Fixture;
using recfiletest::LoadRecord;
using recfiletest::OpenSlot;
using recfiletest::SaveRecord;

class TNRAFileTest : public recfiletest::TempFolderTest {
protected:
    void SetUp() override
    {
        TempFolderTest::SetUp();
        dataPath_ = folder_ + "pim-test.dld";
        indexPath_ = folder_ + "pim-test.dli";
    }
    std::string dataPath_;
    std::string indexPath_;
};

TEST_F(TNRAFileTest, SequenceOfSavesKeepsTheExactBytes)
{
    TNRAF set;
    int32_t fid = OpenSlot(set, dataPath_);
    TNRAFile& file = *set.Items[0];
    const uint8_t A = raftRecord, B = raftAlert, C = raftTag, D = raftContact;

    struct Step {
        const char* name;
        uint8_t type;
        uint32_t id;
        std::string data; // empty: delete
        uint64_t dataSize;
        uint64_t indexSize;
    };
    // A changed record's old copy stays live on disk until its replacement
    // is committed, and is a reusable hole only after the pass that holes it.
    const Step steps[] = {
        {"append A", A, 101, std::string(10, '\xA1'), 40, 34},
        {"append B", B, 202, std::string(6, '\xB0'), 56, 48},
        {"A again, same length: new copy at the end", A, 101, std::string(10, '\xA2'), 76, 62},
        {"A again: its first place is not reusable yet", A, 101, std::string(10, '\xA3'), 96, 76},
        {"A with another length: at the end", A, 101, std::string(12, '\xA4'), 118, 90},
        {"new C fills the first reusable 10-byte hole", C, 303, std::string(10, '\xC0'), 118, 90},
        {"delete B", B, 202, "", 118, 90},
        {"delete a record never written", D, 404, "", 118, 90},
    };
    for (const Step& step : steps) {
        bool saved = step.data.empty() ? recfiletest::DeleteRecord(set, fid, step.type, step.id)
                                       : SaveRecord(set, fid, step.type, step.id, step.data);
        ASSERT_TRUE(saved) << step.name;
        EXPECT_EQ(FileBytes(dataPath_).size(), step.dataSize) << step.name;
        EXPECT_EQ(FileBytes(indexPath_).size(), step.indexSize) << step.name;
    }
    EXPECT_EQ(file.index[0].type, C) << "C took A's first place";

    // Every item is written, the one of the record never written too.
    EXPECT_EQ(file.toSaveSavedCount(), file.toSaveCount());
    file.clean_toSave();
    EXPECT_EQ(file.toSaveCount(), 0);

    EXPECT_EQ(LoadRecord(set, fid, A, 101), std::string(12, '\xA4'));
    EXPECT_EQ(LoadRecord(set, fid, C, 303), std::string(10, '\xC0'));
    EXPECT_EQ(LoadRecord(set, fid, B, 202), std::nullopt);

    // Closing gives the old copies still live on disk their hole headers.
    set.closeAllFiles();
    EXPECT_EQ(FileBytes(dataPath_), Fixture("recfile_sequence_final.dld.hex"));
    EXPECT_EQ(FileBytes(indexPath_), Fixture("recfile_sequence_final.dli.hex"));
}

TEST_F(TNRAFileTest, RepeatedSavesOfOneLengthStopGrowingTheFile)
{
    TNRAF set;
    int32_t fid = OpenSlot(set, dataPath_);
    uint64_t sizeAfterThirdSave = 0;
    for (int i = 0; i < 20; ++i) {
        ASSERT_TRUE(SaveRecord(set, fid, raftRecord, 5, std::string(50, static_cast<char>('a' + i))));
        // Two old copies wait for their hole headers at any time, so three
        // places take turns.
        if (i == 2)
            sizeAfterThirdSave = FileBytes(dataPath_).size();
    }
    EXPECT_EQ(FileBytes(dataPath_).size(), sizeAfterThirdSave);
    EXPECT_EQ(LoadRecord(set, fid, raftRecord, 5), std::string(50, 'a' + 19));
}

TEST_F(TNRAFileTest, QueueingOneRecordTwiceKeepsOneItem)
{
    TNRAFile file;
    ASSERT_TRUE(file.add_toSave(raftRecord, 7, 3, 0, true, true));
    ASSERT_TRUE(file.add_toSave(raftTag, 7, 1, 0, true, false));
    ASSERT_TRUE(file.add_toSave(raftRecord, 7, 4, 0, true, false));
    ASSERT_EQ(file.toSaveCount(), 2);
    TNRAFileToSave item;
    ASSERT_TRUE(file.get_toSave(0, item));
    EXPECT_EQ(item.retype, raftRecord);
    EXPECT_EQ(item.position, 4);

    // A deleted flag on the next call turns it into a deletion; without
    // deletion allowed it stays a write.
    ASSERT_TRUE(file.add_toSave(raftTag, 7, 1, 1000, false, false));
    ASSERT_TRUE(file.get_toSave(1, item));
    EXPECT_EQ(item.retype, raftTag);
    ASSERT_TRUE(file.add_toSave(raftRecord, 7, 4, 1000, true, false));
    ASSERT_EQ(file.toSaveCount(), 2);
    ASSERT_TRUE(file.get_toSave(0, item));
    EXPECT_EQ(item.type, raftRecord);
    EXPECT_EQ(item.retype, raftHole);
    EXPECT_EQ(item.saved, 0);
}

TEST_F(TNRAFileTest, SavedItemsAreReusedAndTrailingOnesDropped)
{
    TNRAF set;
    int32_t fid = OpenSlot(set, dataPath_);
    TNRAFile& file = *set.Items[0];
    file.add_toSave(raftRecord, 1, 0, 0, true, false);
    file.add_toSave(raftRecord, 2, 0, 0, true, false);
    ASSERT_TRUE(SaveRecord(set, fid, raftRecord, 1, "one"));
    ASSERT_EQ(file.toSaveCount(), 2);
    // The saved first item is the free slot of the next record.
    file.add_toSave(raftRecord, 3, 0, 0, true, false);
    ASSERT_EQ(file.toSaveCount(), 2);
    TNRAFileToSave item;
    ASSERT_TRUE(file.get_toSave(0, item));
    EXPECT_EQ(item.id, 3u);

    // Only saved items at the end go; one in the middle stays a free slot.
    ASSERT_TRUE(SaveRecord(set, fid, raftRecord, 3, "three"));
    file.clean_toSave();
    EXPECT_EQ(file.toSaveCount(), 2);
    ASSERT_TRUE(SaveRecord(set, fid, raftRecord, 2, "two"));
    file.clean_toSave();
    EXPECT_EQ(file.toSaveCount(), 0);

    // While add_toSave runs elsewhere the clean-up leaves the queue alone.
    file.add_toSave(raftRecord, 4, 0, 0, true, false);
    ASSERT_TRUE(SaveRecord(set, fid, raftRecord, 4, "four"));
    file.runningAddToSave.store(true);
    file.clean_toSave();
    EXPECT_EQ(file.toSaveCount(), 1);
    file.runningAddToSave.store(false);
}

TEST_F(TNRAFileTest, RecordQueuedAgainWhileWrittenStaysQueued)
{
    TNRAF set;
    int32_t fid = OpenSlot(set, dataPath_);
    TNRAFile& file = *set.Items[0];
    file.add_toSave(raftRecord, 3, 0, 0, true, false);

    // The pass takes the item and writes the state it saw; meanwhile another
    // thread changes the record and queues it again.
    TNRAFileToSave item;
    ASSERT_TRUE(file.get_toSave(0, item));
    set.resetStream(fid);
    set.writeNumber(1, 1, fid);
    file.add_toSave(raftRecord, 3, 0, 0, true, false);
    ASSERT_TRUE(set.saveStream(fid, 0));
    ASSERT_TRUE(file.get_toSave(0, item));
    EXPECT_EQ(item.saved, 0);

    // The next pass writes the newer state and marks the item.
    set.resetStream(fid);
    set.writeNumber(2, 1, fid);
    ASSERT_TRUE(set.saveStream(fid, 0));
    ASSERT_TRUE(file.get_toSave(0, item));
    EXPECT_EQ(item.saved, 1);
    ASSERT_TRUE(set.flushFile(fid));
    EXPECT_EQ(LoadRecord(set, fid, raftRecord, 3), std::string("\x02"));
}

TEST_F(TNRAFileTest, LoadStreamHeaderReportsEachFault)
{
    recfiletest::WriteBytes(dataPath_, Fixture("recfile_three.dld.hex"));
    recfiletest::WriteBytes(indexPath_, Fixture("recfile_three.dli.hex"));
    TNRAF set;
    int32_t fid = OpenSlot(set, dataPath_);
    TNRAFile& file = *set.Items[0];
    ASSERT_EQ(file.indexCount, 3u);

    // A save pass, so that reads go to the file and not to the copy opening
    // read; then the last record's length is damaged behind its back.
    ASSERT_TRUE(SaveRecord(set, fid, raftGroup, 50, "g"));
    int fd = open(dataPath_.c_str(), O_WRONLY);
    ASSERT_GE(fd, 0);
    const char longLength[4] = {0x50, 0x00, 0x00, 0x00};
    ASSERT_EQ(pwrite(fd, longLength, 4, 45 + 6), 4);
    close(fd);

    struct Case {
        const char* name;
        uint32_t position;
        uint8_t type;
        uint32_t id;
        int64_t result;
        const char* log;
    };
    const Case cases[] = {
        {"whole record", 20, raftRecord, 7, 3, nullptr},
        {"another type", 20, raftAlert, 7, -2, "ERROR -2; stream_type = 2"},
        {"another id", 33, raftTag, 8, -3, "ERROR -3; stream_id = 9"},
        {"length past the end", 45, raftAlert, 7, -4, "ERROR -4; length past end of file = 80"},
        {"position past the end", 100, raftRecord, 7, -1, "[ERROR][NULL] handle = NULL"},
        {"position inside the header", 4, raftRecord, 7, -1, "[ERROR][NULL] handle = NULL"},
    };
    for (const Case& c : cases) {
        recfiletest::LogCapture capture;
        EXPECT_EQ(set.loadStreamHeader(fid, c.position, c.type, c.id), c.result) << c.name;
        std::string log = capture.Take();
        if (c.log != nullptr) {
            EXPECT_NE(log.find(c.log), std::string::npos) << c.name << ": " << log;
        }
    }

    // The reader stands at the first data byte and stops at the record's end.
    ASSERT_EQ(set.loadStreamHeader(fid, 20, raftRecord, 7), 3);
    std::string_view data;
    ASSERT_TRUE(file.recordReader().ReadView(3, data));
    EXPECT_EQ(data, "abc");
    uint32_t beyond = 0;
    EXPECT_FALSE(file.recordReader().ReadUnsigned(1, beyond));

    set.closeFile(fid, false);
    EXPECT_EQ(set.loadStreamHeader(fid, 20, raftRecord, 7), -1);
}

// With the n-th write failing, a save reports failure, leaves its item queued
// and the record's previous copy in place; the next save repairs the files.
TEST_F(TNRAFileTest, FailedWriteKeepsTheItemAndThePreviousCopy)
{
    struct Case {
        const char* name;
        std::string newData; // empty: delete
    };
    const Case cases[] = {
        {"into a hole", std::string(8, 'n')},
        {"appended", std::string(9, 'n')},
        {"deleted", ""},
    };
    for (const Case& c : cases) {
        for (int failingWrite = 1;; ++failingWrite) {
            SCOPED_TRACE(std::string(c.name) + ", write " + std::to_string(failingWrite));
            plat::RemoveFile(dataPath_);
            plat::RemoveFile(indexPath_);
            bool lastWrite = false;
            {
                TNRAF set;
                int32_t fid = OpenSlot(set, dataPath_);
                TNRAFile& file = *set.Items[0];
                // A hole of 8 bytes before the record to change.
                ASSERT_TRUE(SaveRecord(set, fid, raftTag, 1, std::string(8, 'h')));
                ASSERT_TRUE(SaveRecord(set, fid, raftRecord, 9, std::string(8, 'o')));
                ASSERT_TRUE(recfiletest::DeleteRecord(set, fid, raftTag, 1));

                bool remove = c.newData.empty();
                file.add_toSave(raftRecord, 9, 0, remove ? 1 : 0, true, false);
                int32_t tsp = recfiletest::FindQueued(file, raftRecord, 9);
                set.resetStream(fid);
                file.stream = c.newData;
                recfiletest::LogCapture capture;
                plat::FailNthWrite(failingWrite);
                bool saved = set.saveStream(fid, tsp);
                plat::FailNthWrite(0);
                std::string log = capture.Take();
                if (saved) {
                    // The failure came after the last write of the save.
                    lastWrite = true;
                } else {
                    EXPECT_NE(log.find("[TNRAFile::save_stream][ERROR] write failed; id = 9"), std::string::npos);
                    TNRAFileToSave item;
                    ASSERT_TRUE(file.get_toSave(tsp, item));
                    EXPECT_EQ(item.saved, 0);
                    // The record loads whole, old or new.
                    auto loaded = LoadRecord(set, fid, raftRecord, 9);
                    if (failingWrite == 1) {
                        EXPECT_EQ(loaded, std::string(8, 'o'));
                    } else if (loaded.has_value() && !remove) {
                        EXPECT_TRUE(*loaded == std::string(8, 'o') || *loaded == c.newData);
                    }

                    // The next pass writes it.
                    ASSERT_TRUE(set.saveStream(fid, tsp));
                }
                set.closeAllFiles();
            }
            TNRAF reopened;
            int32_t fid = OpenSlot(reopened, dataPath_);
            if (c.newData.empty())
                EXPECT_EQ(LoadRecord(reopened, fid, raftRecord, 9), std::nullopt);
            else
                EXPECT_EQ(LoadRecord(reopened, fid, raftRecord, 9), c.newData);
            int copies = 0;
            for (const TNRAFileIndexEntry& entry : reopened.Items[0]->index)
                copies += entry.type == raftRecord && entry.id == 9 ? 1 : 0;
            EXPECT_EQ(copies, c.newData.empty() ? 0 : 1);
            if (lastWrite || failingWrite > 12)
                break;
        }
    }
}

// Three threads queue while a fourth writes: every record ends up written with
// the state it was queued with last.
TEST_F(TNRAFileTest, QueueingFromThreadsWhileSavingLosesNothing)
{
    // add_toSave polls every 25 ms; this clock keeps the contract but sleeps
    // a microsecond per millisecond, so contention costs no real time.
    class QuickClock final : public plat::Clock {
    public:
        int64_t UnixMilliseconds() override { return 0; }
        int64_t MonotonicMilliseconds() override { return 0; }
        void SleepMilliseconds(int64_t ms) override { std::this_thread::sleep_for(std::chrono::microseconds(ms)); }
    } clock;
    plat::SetClock(&clock);

    constexpr uint32_t kPerThread = 10000;
    constexpr int kThreads = 3;
    TNRAF set;
    int32_t fid = OpenSlot(set, dataPath_);
    TNRAFile& file = *set.Items[0];
    // The data set's items: the version each record should hold.
    std::vector<std::atomic<uint32_t>> versions(kThreads * kPerThread);
    std::atomic<int> running{kThreads};

    auto producer = [&](int thread) {
        for (uint32_t i = 0; i < kPerThread; ++i) {
            uint32_t id = thread * kPerThread + i + 1;
            versions[id - 1].store(1);
            file.add_toSave(static_cast<uint8_t>(1 + thread), id, static_cast<int32_t>(id), 0, true, false);
            // Every tenth record changes again soon after.
            if (i % 10 == 9) {
                uint32_t earlier = id - 5;
                versions[earlier - 1].fetch_add(1);
                file.add_toSave(static_cast<uint8_t>(1 + thread), earlier, static_cast<int32_t>(earlier), 0, true,
                                false);
            }
            // Spread the queueing over several save passes.
            if (i % 500 == 499)
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        running.fetch_sub(1);
    };
    auto pass = [&]() {
        int32_t count = file.toSaveCount();
        for (int32_t tsp = 0; tsp < count; ++tsp) {
            TNRAFileToSave item;
            if (!file.get_toSave(tsp, item) || item.saved == 1)
                continue;
            uint32_t version = versions[item.id - 1].load();
            set.resetStream(fid);
            set.writeNumber(item.id, 4, fid);
            set.writeNumber(version, 4, fid);
            ASSERT_TRUE(set.saveStream(fid, tsp));
        }
        ASSERT_TRUE(set.flushFile(fid));
        file.clean_toSave();
    };

    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back(producer, t);
    int passes = 0;
    while (running.load() > 0) {
        pass();
        ++passes;
    }
    for (std::thread& thread : threads)
        thread.join();
    while (file.toSaveSavedCount() != file.toSaveCount())
        pass();
    plat::SetClock(nullptr);

    EXPECT_GE(passes, 2);
    for (int t = 0; t < kThreads; ++t) {
        for (uint32_t i = 0; i < kPerThread; ++i) {
            uint32_t id = t * kPerThread + i + 1;
            auto loaded = LoadRecord(set, fid, static_cast<uint8_t>(1 + t), id);
            ASSERT_TRUE(loaded.has_value()) << id;
            plat::ByteReader reader(*loaded);
            uint32_t storedId = 0;
            uint32_t storedVersion = 0;
            ASSERT_TRUE(reader.ReadUnsigned(4, storedId) && reader.ReadUnsigned(4, storedVersion));
            EXPECT_EQ(storedId, id);
            ASSERT_EQ(storedVersion, versions[id - 1].load()) << id;
        }
    }
}

} // namespace
