// The record file against a lost machine: every write and sync of the save
// passes is recorded, and crash images are built from the files as of their
// last sync plus a random subset of the 4 KiB pages written since.

#include "foundation/record_file_set.h"
#include "tests/foundation/record_file_crash_plan.h"
#include "tests/foundation/record_file_test_util.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <functional>
#include <map>
#include <optional>
#include <random>
#include <set>
#include <string>
#include <vector>

namespace {

using recfiletest::CountOccurrences;
using recfiletest::FileBytes;
using recfiletest::LoadRecord;
using recfiletest::OpenSlot;
using recfiletest::SaveRecord;
using recfiletest::WriteBytes;

constexpr uint64_t kPage = 4096;

// What one file held at its last sync, and each write since.
struct FileHistory {
    std::string synced;
    std::string current;
    // Per write since the sync: the pages it touched.
    std::vector<std::set<uint64_t>> writes;
};

class Recorder final : public plat::WriteRecorder {
public:
    std::map<std::string, FileHistory> files;
    int writeCalls = 0;
    std::map<std::string, int> syncs;
    // Crash points: after each write, the file it went to and how many writes
    // of it since its sync were done by then.
    std::function<void()> afterWrite;

    void Start(const std::string& path)
    {
        FileHistory& history = files[path];
        history.current = FileBytes(path);
        history.synced = history.current;
        history.writes.clear();
    }
    void OnWrite(const std::string& path, uint64_t offset, std::string_view bytes) override
    {
        auto found = files.find(path);
        if (found == files.end())
            return;
        ++writeCalls;
        FileHistory& history = found->second;
        if (history.current.size() < offset + bytes.size())
            history.current.resize(offset + bytes.size(), '\0');
        history.current.replace(offset, bytes.size(), bytes);
        std::set<uint64_t> pages;
        for (uint64_t page = offset / kPage; page * kPage < offset + bytes.size(); ++page)
            pages.insert(page);
        history.writes.push_back(pages);
        if (afterWrite)
            afterWrite();
    }
    void OnTruncate(const std::string& path, uint64_t size) override
    {
        auto found = files.find(path);
        if (found != files.end())
            found->second.current.resize(size);
    }
    void OnSync(const std::string& path) override
    {
        ++syncs[path];
        auto found = files.find(path);
        if (found == files.end())
            return;
        found->second.synced = found->second.current;
        found->second.writes.clear();
    }
};

// The file as a disk might hold it after a power cut now: the synced bytes,
// then each page written since either as it is now or as it was at the sync.
// A page beyond the synced end that did not arrive reads as zeros when a
// later one did; the size may or may not have reached the disk.
std::string CrashImage(const FileHistory& history, std::mt19937& random)
{
    std::set<uint64_t> dirty;
    for (const auto& pages : history.writes)
        dirty.insert(pages.begin(), pages.end());
    std::string image = history.synced;
    uint64_t end = image.size();
    for (uint64_t page : dirty) {
        if (random() % 2 == 0)
            continue;
        uint64_t from = page * kPage;
        if (from >= history.current.size())
            continue;
        uint64_t to = std::min<uint64_t>(from + kPage, history.current.size());
        if (image.size() < to)
            image.resize(to, '\0');
        image.replace(from, to - from, history.current, from, to - from);
        end = std::max(end, to);
    }
    if (random() % 4 == 0)
        end = std::max<uint64_t>(end, history.current.size());
    image.resize(end, '\0');
    return image;
}

class RecordFilePowerCut : public recfiletest::TempFolderTest {
protected:
    void SetUp() override
    {
        TempFolderTest::SetUp();
        // The recorder, not the disk, decides what a sync made durable: on a
        // memory file system the many syncs of the images cost nothing.
        if (access("/dev/shm", W_OK) == 0) {
            memory_.emplace("/dev/shm/");
            if (!memory_->Path().empty())
                folder_ = memory_->Path();
        }
        dataPath_ = folder_ + "pim-power.dld";
        indexPath_ = folder_ + "pim-power.dli";
        imageData_ = folder_ + "image.dld";
        imageIndex_ = folder_ + "image.dli";
    }
    void TearDown() override
    {
        plat::SetWriteRecorder(nullptr);
        TempFolderTest::TearDown();
    }

    // Opens a crash image in a fresh slot and checks each record is whole,
    // held once, and in its state before the pass or after it; and that the
    // index the open leaves is what a rebuild writes.
    void CheckImage(const std::string& data, const std::string& index, const crashplan::State& before,
                    const crashplan::State& after, crashplan::State* opened = nullptr)
    {
        WriteBytes(imageData_, data);
        WriteBytes(imageIndex_, index);
        crashplan::State found;
        {
            TNRAF set;
            int32_t fid = OpenSlot(set, imageData_);
            ASSERT_TRUE(set.isFileReady(fid)) << "the image does not open";
            for (const TNRAFileIndexEntry& entry : set.Items[0]->index) {
                if (entry.IsHole())
                    continue;
                auto type = static_cast<uint8_t>(entry.type);
                uint64_t key = crashplan::Key(type, entry.id);
                auto bytes = LoadRecord(set, fid, type, entry.id);
                ASSERT_TRUE(bytes.has_value()) << "record " << key << " does not load";
                uint32_t version = crashplan::VersionOf(*bytes);
                ASSERT_EQ(*bytes, crashplan::RecordBytes(type, entry.id, version, static_cast<uint32_t>(bytes->size())))
                    << "record " << key << " is torn";
                ASSERT_TRUE(
                    found.emplace(key, crashplan::Content{version, static_cast<uint32_t>(bytes->size())}).second)
                    << "record " << key << " is held twice";
            }
            set.closeAllFiles();
        }
        std::set<uint64_t> keys;
        for (const crashplan::State* state : {&before, &after, static_cast<const crashplan::State*>(&found)})
            for (const auto& entry : *state)
                keys.insert(entry.first);
        for (uint64_t key : keys) {
            auto get = [key](const crashplan::State& state) -> std::optional<crashplan::Content> {
                auto at = state.find(key);
                return at == state.end() ? std::nullopt : std::optional(at->second);
            };
            ASSERT_TRUE(get(found) == get(before) || get(found) == get(after))
                << "record " << key << " is neither in its old nor in its new state";
        }
        if (opened != nullptr)
            *opened = found;
        // The files the open left are what a rebuild from the data file writes.
        std::string openedIndex = FileBytes(imageIndex_);
        plat::RemoveFile(imageIndex_);
        TNRAF rebuilt;
        OpenSlot(rebuilt, imageData_);
        rebuilt.closeAllFiles();
        ASSERT_EQ(FileBytes(imageIndex_), openedIndex) << "a rebuild writes another index";
    }

    std::optional<testing_support::ScratchFolder> memory_;
    std::string dataPath_;
    std::string indexPath_;
    std::string imageData_;
    std::string imageIndex_;
};

// Random passes: new records, records that grow, shrink or keep their
// length, empty ones, deletions, records added and deleted before the pass.
TEST_F(RecordFilePowerCut, EveryCrashImageHoldsEachRecordOldOrNew)
{
    const char* seedText = std::getenv("DALMORA_CRASH_SEED");
    const uint32_t seed =
        seedText != nullptr ? static_cast<uint32_t>(std::strtoul(seedText, nullptr, 10)) : std::random_device{}();
    SCOPED_TRACE("DALMORA_CRASH_SEED=" + std::to_string(seed));
    std::mt19937 random(seed);
    constexpr int kPasses = 40;
    constexpr int kImagesPerPass = 30;

    TNRAF set;
    int32_t fid = OpenSlot(set, dataPath_);
    TNRAFile& file = *set.Items[0];
    Recorder recorder;
    plat::SetWriteRecorder(&recorder);
    crashplan::State state;
    uint32_t version = 1;
    int images = 0;
    for (int pass = 0; pass < kPasses && !HasFailure(); ++pass) {
        recorder.Start(dataPath_);
        recorder.Start(indexPath_);
        crashplan::State after = state;
        std::map<uint64_t, std::optional<std::string>> wanted;
        int changes = 1 + static_cast<int>(random() % 60);
        for (int i = 0; i < changes; ++i) {
            auto type = static_cast<uint8_t>(1 + random() % 13);
            uint32_t id = 1 + random() % 20;
            uint64_t key = crashplan::Key(type, id);
            uint32_t roll = random() % 10;
            auto old = after.find(key);
            if (roll < 2) {
                after.erase(key);
                wanted[key] = std::nullopt;
                continue;
            }
            static const uint32_t lengths[] = {0, 9, 16, 16, 40, 40, 300, 3000, 8192};
            uint32_t length = old != after.end() && roll < 5 ? old->second.length
                                                             : lengths[random() % (sizeof lengths / sizeof lengths[0])];
            after[key] = crashplan::Content{length >= 4 ? ++version : 0, length};
            wanted[key] = crashplan::RecordBytes(type, id, after[key].version, length);
        }
        for (const auto& [key, bytes] : wanted) {
            auto type = static_cast<uint8_t>(key >> 32);
            auto id = static_cast<uint32_t>(key);
            file.add_toSave(type, id, 0, bytes ? 0 : 1, true, false);
            int32_t tsp = recfiletest::FindQueued(file, type, id);
            set.resetStream(fid);
            if (bytes)
                file.stream = *bytes;
            ASSERT_TRUE(set.saveStream(fid, tsp));
        }
        // Crash images after random writes of the pass.
        std::vector<std::pair<std::string, std::string>> taken;
        recorder.afterWrite = [&]() {
            if (random() % 3 == 0 && taken.size() < static_cast<size_t>(kImagesPerPass))
                taken.emplace_back(CrashImage(recorder.files[dataPath_], random),
                                   CrashImage(recorder.files[indexPath_], random));
        };
        ASSERT_TRUE(set.flushFile(fid));
        recorder.afterWrite = nullptr;
        taken.emplace_back(CrashImage(recorder.files[dataPath_], random),
                           CrashImage(recorder.files[indexPath_], random));
        plat::SetWriteRecorder(nullptr);
        for (const auto& [data, index] : taken) {
            CheckImage(data, index, state, after);
            ++images;
            if (HasFailure())
                break;
        }
        plat::SetWriteRecorder(&recorder);
        file.clean_toSave();
        state = after;
    }
    plat::SetWriteRecorder(nullptr);
    EXPECT_GT(images, kPasses);
}

// Uploads confirmed in a batch: each record moves from its temporary id to
// the service's id, some into holes of its new length, some appended, beside
// changes of other records. A cut after any write of the batch's pass, of the
// pass after it (which retires the old records) or of the close, by a kill
// or by a power cut, leaves each moved record once, under one of its ids.
TEST_F(RecordFilePowerCut, BatchOfRekeysLeavesEachRecordOnceUnderOneOfItsIds)
{
    constexpr uint32_t kMoved = 24;
    constexpr uint32_t kFirstTemporary = 4200000001u;
    constexpr uint32_t kFirstService = 7000;
    const char* seedText = std::getenv("DALMORA_CRASH_SEED");
    const uint32_t seed =
        seedText != nullptr ? static_cast<uint32_t>(std::strtoul(seedText, nullptr, 10)) : std::random_device{}();
    SCOPED_TRACE("DALMORA_CRASH_SEED=" + std::to_string(seed));
    std::mt19937 random(seed);
    crashplan::State state;
    uint32_t version = 1;
    auto write = [&](TNRAF& set, int32_t fid, uint8_t type, uint32_t id, uint32_t length, crashplan::State& into) {
        TNRAFile& file = *set.Items[0];
        into[crashplan::Key(type, id)] = crashplan::Content{++version, length};
        file.add_toSave(type, id, 0, 0, true, false);
        set.resetStream(fid);
        file.stream = crashplan::RecordBytes(type, id, version, length);
        ASSERT_TRUE(set.saveStream(fid, recfiletest::FindQueued(file, type, id)));
    };

    TNRAF set;
    int32_t fid = OpenSlot(set, dataPath_);
    TNRAFile& file = *set.Items[0];
    // The records waiting under temporary ids, others that stay, and holes
    // of the lengths some moved records take.
    for (uint32_t i = 0; i < kMoved; ++i)
        write(set, fid, raftRecord, kFirstTemporary + i, 40 + 8 * (i % 5), state);
    for (uint32_t id = 1; id <= 10; ++id)
        write(set, fid, raftTag, id, 24 + id, state);
    for (uint32_t id = 100; id < 106; ++id)
        write(set, fid, raftAlert, id, 300 + (id % 2) * 8, state);
    ASSERT_TRUE(set.flushFile(fid));
    for (uint32_t id = 100; id < 106; ++id) {
        ASSERT_TRUE(recfiletest::DeleteRecord(set, fid, raftAlert, id));
        state.erase(crashplan::Key(raftAlert, id));
    }
    file.clean_toSave();

    Recorder recorder;
    std::vector<std::pair<std::string, std::string>> images;
    recorder.afterWrite = [&]() {
        // A kill after this write, and power cuts that lose some of its pages.
        images.emplace_back(recorder.files[dataPath_].current, recorder.files[indexPath_].current);
        for (int cut = 0; cut < 3; ++cut)
            images.emplace_back(CrashImage(recorder.files[dataPath_], random),
                                CrashImage(recorder.files[indexPath_], random));
    };
    auto checkImages = [&](const crashplan::State& before, const crashplan::State& after) {
        plat::SetWriteRecorder(nullptr);
        ASSERT_GT(images.size(), 4u);
        for (const auto& [data, index] : images) {
            crashplan::State found;
            CheckImage(data, index, before, after, &found);
            ASSERT_FALSE(HasFailure());
            for (uint32_t i = 0; i < kMoved; ++i) {
                bool temporary = found.count(crashplan::Key(raftRecord, kFirstTemporary + i)) != 0;
                bool service = found.count(crashplan::Key(raftRecord, kFirstService + i)) != 0;
                ASSERT_NE(temporary, service) << "moved record " << i << (temporary ? " is held twice" : " is lost");
            }
        }
        images.clear();
        plat::SetWriteRecorder(&recorder);
    };
    auto startRecording = [&]() {
        recorder.Start(dataPath_);
        recorder.Start(indexPath_);
        plat::SetWriteRecorder(&recorder);
    };

    // 1. The batch: every confirmation queues the record under its new id
    // and the deletion of its old one, and one pass writes them all.
    startRecording();
    crashplan::State after = state;
    for (uint32_t i = 0; i < kMoved; ++i) {
        uint32_t temporary = kFirstTemporary + i;
        uint32_t service = kFirstService + i;
        // Half keep their length, the others take a hole's or are appended.
        uint32_t length = i % 2 == 0 ? 40 + 8 * (i % 5) : (i % 4 == 1 ? 300 : 500 + i);
        write(set, fid, raftRecord, service, length, after);
        file.noteReplacement(raftRecord, service, temporary);
        file.add_toSave(raftRecord, temporary, 0, 1, true, false);
        set.resetStream(fid);
        ASSERT_TRUE(set.saveStream(fid, recfiletest::FindQueued(file, raftRecord, temporary)));
        after.erase(crashplan::Key(raftRecord, temporary));
    }
    for (uint32_t id = 1; id <= 10; id += 3)
        write(set, fid, raftTag, id, 24 + id + (id % 2), after);
    ASSERT_TRUE(set.flushFile(fid));
    file.clean_toSave();
    checkImages(state, after);
    state = after;

    // 2. The next pass retires the old records; 3. the close settles the rest.
    write(set, fid, raftTag, 2, 60, after);
    ASSERT_TRUE(set.flushFile(fid));
    file.clean_toSave();
    checkImages(state, after);
    state = after;
    set.closeAllFiles();
    checkImages(state, state);
    plat::SetWriteRecorder(nullptr);

    // The moved records sit under their new ids only, and the old places are holes.
    TNRAF reopened;
    int32_t again = OpenSlot(reopened, dataPath_);
    for (uint32_t i = 0; i < kMoved; ++i) {
        EXPECT_FALSE(LoadRecord(reopened, again, raftRecord, kFirstTemporary + i).has_value());
        EXPECT_TRUE(LoadRecord(reopened, again, raftRecord, kFirstService + i).has_value());
    }
    for (const TNRAFileIndexEntry& entry : reopened.Items[0]->index)
        EXPECT_TRUE(entry.type != raftHole || entry.id == 0) << "a hole keeps an id";
    reopened.closeAllFiles();
}

TEST_F(RecordFilePowerCut, PassOfAppendedRecordsTakesFewWritesAndTwoSyncs)
{
    TNRAF set;
    int32_t fid = OpenSlot(set, dataPath_);
    TNRAFile& file = *set.Items[0];
    Recorder recorder;
    recorder.Start(dataPath_);
    recorder.Start(indexPath_);
    plat::SetWriteRecorder(&recorder);
    for (uint32_t id = 1; id <= 100; ++id) {
        file.add_toSave(raftRecord, id, 0, 0, true, false);
        set.resetStream(fid);
        file.stream = std::string(50 + id, 'r');
        ASSERT_TRUE(set.saveStream(fid, recfiletest::FindQueued(file, raftRecord, id)));
    }
    EXPECT_EQ(recorder.writeCalls, 0) << "nothing is written before the pass ends";
    ASSERT_TRUE(set.flushFile(fid));
    EXPECT_EQ(recorder.syncs[dataPath_], 2);
    EXPECT_EQ(recorder.syncs[indexPath_], 1);
    // The records in one write, the count, the index entries and its count.
    EXPECT_LE(recorder.writeCalls, 4);

    // A pass that writes nothing syncs nothing.
    ASSERT_TRUE(set.flushFile(fid));
    EXPECT_EQ(recorder.syncs[dataPath_], 2);
    plat::SetWriteRecorder(nullptr);
}

// A record of type 14, which a later version may write, between two known ones.
TEST_F(RecordFilePowerCut, RecordOfUnknownTypeIsKeptAndNeverReused)
{
    const std::string unknown = std::string("\x0E\x00\x05\x00\x00\x00\x03\x00\x00\x00", 10) + "new";
    std::string data = recfiletest::Fixture("recfile_three.dld.hex");
    // The fixture's second record (a tag of 2 bytes) becomes one of type 14
    // with id 5 and 3 bytes; the third record follows it.
    data.replace(33, 12, unknown);
    data.resize(33 + unknown.size());
    data += std::string("\x03\x00\x07\x00\x00\x00\x01\x00\x00\x00z", 11);
    WriteBytes(dataPath_, data);
    {
        TNRAF set;
        recfiletest::LogCapture capture;
        int32_t fid = OpenSlot(set, dataPath_);
        TNRAFile& file = *set.Items[0];
        ASSERT_EQ(file.indexCount, 3u);
        EXPECT_TRUE(file.index[1].IsUnknownType());
        EXPECT_EQ(file.index[1].type, 14);
        EXPECT_EQ(file.index[1].id, 5u);
        EXPECT_EQ(CountOccurrences(capture.Take(), "[ERROR]"), 0);
        // Saves of its exact length go elsewhere.
        for (uint32_t id = 20; id < 23; ++id)
            ASSERT_TRUE(SaveRecord(set, fid, raftTag, id, "abc"));
        EXPECT_EQ(LoadRecord(set, fid, raftAlert, 7), "z");
        set.closeAllFiles();
    }
    EXPECT_EQ(FileBytes(dataPath_).substr(33, unknown.size()), unknown);
    // The index lists it with its type, and a rebuild keeps it.
    std::string index = FileBytes(indexPath_);
    plat::RemoveFile(indexPath_);
    TNRAF rebuilt;
    OpenSlot(rebuilt, dataPath_);
    rebuilt.closeAllFiles();
    EXPECT_EQ(FileBytes(indexPath_), index);
    EXPECT_EQ(index.substr(20 + 14, 2), std::string("\x0E\x00", 2));
    EXPECT_EQ(FileBytes(dataPath_).substr(33, unknown.size()), unknown);
}

TEST_F(RecordFilePowerCut, OpeningRepairsHolesThatKeepAnIdAndRemovesTemporaries)
{
    std::string data = recfiletest::Fixture("recfile_three.dld.hex");
    // The second record: type 0, id 7.
    data.replace(33, 6, std::string("\x00\x00\x07\x00\x00\x00", 6));
    WriteBytes(dataPath_, data);
    WriteBytes(folder_ + "pim-power.dli.c4kfhS", "left by a killed writer");
    TNRAF set;
    int32_t fid = OpenSlot(set, dataPath_);
    EXPECT_TRUE(set.Items[0]->index[1].IsHole());
    set.closeAllFiles();
    EXPECT_EQ(FileBytes(dataPath_).substr(33, 6), std::string(6, '\0'));
    EXPECT_FALSE(plat::FileExists(folder_ + "pim-power.dli.c4kfhS"));
    (void)fid;
}

} // namespace
