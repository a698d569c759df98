#include "foundation/file_numbers.h"
#include "foundation/hooks.h"
#include "foundation/record_file_set.h"
#include "foundation/string.h"
#include "tests/foundation/record_file_test_util.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using recfiletest::CountOccurrences;
using recfiletest::FileBytes;
using recfiletest::Fixture;
using recfiletest::LoadRecord;
using recfiletest::OpenSlot;
using recfiletest::WriteBytes;

constexpr const char* kReindexLine = "[TNRAF::reindexFile] fid = ";

class TNRAFTest : public recfiletest::TempFolderTest {
protected:
    void SetUp() override
    {
        TempFolderTest::SetUp();
        dataPath_ = folder_ + "pim-test.dld";
        indexPath_ = folder_ + "pim-test.dli";
    }
    // Opens the data file in a fresh set and returns the log of the open.
    std::string OpenAndLog(TNRAF& set, int32_t& fid)
    {
        recfiletest::LogCapture capture;
        fid = OpenSlot(set, dataPath_);
        return capture.Take();
    }
    std::string dataPath_;
    std::string indexPath_;
};

TEST_F(TNRAFTest, NewFilesAreTwentyBytesEach)
{
    TNRAF set;
    int32_t fid = 0;
    std::string log = OpenAndLog(set, fid);
    ASSERT_TRUE(set.isFileReady(fid));
    EXPECT_EQ(FileBytes(dataPath_), Fixture("recfile_new.dld.hex"));
    EXPECT_EQ(FileBytes(indexPath_), Fixture("recfile_new.dli.hex"));
    EXPECT_EQ(FileBytes(dataPath_).size(), 20u);
    EXPECT_EQ(CountOccurrences(log, kReindexLine), 0);
}

TEST_F(TNRAFTest, TypedWritesAppendToTheStream)
{
    TNRAF set;
    int32_t fid = set.AddFile();
    TNRAFile& file = *set.Items[0];
    EXPECT_EQ(file.streamState, -1);
    EXPECT_TRUE(set.writeString(TNString("ab"), fid));
    EXPECT_EQ(file.streamState, 0);
    EXPECT_EQ(file.stream, std::string("\x02\x00\x00\x00\x9E\x9D", 6));
    EXPECT_EQ(set.writeNumber(0xFFFFFFFE, 2, fid), 2);
    EXPECT_EQ(set.writeNumber(0x12345678, 3, fid), 3);
    EXPECT_EQ(file.stream.substr(6), std::string("\xFE\xFF\x78\x56\x34", 5));
    set.resetStream(fid);
    EXPECT_TRUE(file.stream.empty());
    EXPECT_FALSE(set.writeString(TNString("x"), 5));
}

// An item writes its record with the typed writes and reads it back through
// the reader bounded to the record, which stops a length running past it.
TEST_F(TNRAFTest, RecordReadsBackThroughTheBoundedReader)
{
    TNRAF set;
    int32_t fid = OpenSlot(set, dataPath_);
    TNRAFile& file = *set.Items[0];
    file.add_toSave(raftTag, 12, 0, 0, true, false);
    set.resetStream(fid);
    set.writeNumber(2, 1, fid);
    set.writeString(TNString("Štítek"), fid);
    set.writeNumber(0xFFFFFFF6, 2, fid);
    ASSERT_TRUE(set.saveStream(fid, recfiletest::FindQueued(file, raftTag, 12)));
    // A second record follows, so the first one's reader has bytes after it.
    ASSERT_TRUE(recfiletest::SaveRecord(set, fid, raftTag, 13, "tail"));
    set.closeAllFiles();

    ASSERT_NE(set.openFile(fid), nullptr);
    int32_t position = file.getIndexPosById(12, raftTag);
    ASSERT_GE(position, 0);
    ASSERT_EQ(set.loadStreamHeader(fid, file.index[position].position, raftTag, 12), 1 + 4 + 6 + 2);
    plat::ByteReader& reader = file.recordReader();
    uint32_t version = 0;
    int32_t importance = 0;
    TNString title;
    ASSERT_TRUE(ReadUNumber(1, reader, version));
    ASSERT_TRUE(title.Load(true, 32, 0, true, reader));
    ASSERT_TRUE(ReadNumber(2, reader, importance));
    EXPECT_EQ(version, 2u);
    EXPECT_EQ(title.View(), "Štítek");
    EXPECT_EQ(importance, -10);
    EXPECT_TRUE(reader.AtEnd());
    EXPECT_FALSE(ReadNumber(1, reader, importance));

    // A string whose length runs past its record fails instead of reading
    // the record after it.
    ASSERT_TRUE(recfiletest::SaveRecord(set, fid, raftTag, 14, std::string("\x0A\x00\x00\x00\x9E", 5)));
    ASSERT_TRUE(recfiletest::SaveRecord(set, fid, raftTag, 15, "next record"));
    position = file.getIndexPosById(14, raftTag);
    ASSERT_EQ(set.loadStreamHeader(fid, file.index[position].position, raftTag, 14), 5);
    TNString cut;
    EXPECT_FALSE(cut.Load(true, 32, 0, true, file.recordReader()));
    EXPECT_TRUE(cut.IsEmpty());
}

TEST_F(TNRAFTest, IndexPathFollowsTheDataPath)
{
    struct Case {
        const char* data;
        const char* index;
    };
    const Case cases[] = {
        {"x.dld", "x.dli"},
        {"/home/u/pim-www.dalmora.example.dld", "/home/u/pim-www.dalmora.example.dli"},
        {"/data/pim.abcde", "/data/pim.dli"},
        {"/data/pim.abcdef", "/data/pim.abcdef.dli"},
        {"/data/pim", "/data/pim.dli"},
        {".dld", ".dld.dli"},
        {"/data/.dld", "/data/.dld.dli"},
        {"/data.d/pim", "/data.d/pim.dli"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(TNRAF::IndexPathFor(c.data), c.index) << c.data;
}

TEST_F(TNRAFTest, IndexListingFewerRecordsIsRebuiltOnce)
{
    WriteBytes(dataPath_, Fixture("recfile_three.dld.hex"));
    WriteBytes(indexPath_, Fixture("recfile_three_listing_two.dli.hex"));
    {
        TNRAF set;
        int32_t fid = 0;
        std::string log = OpenAndLog(set, fid);
        EXPECT_EQ(CountOccurrences(log, kReindexLine), 1) << log;
        EXPECT_EQ(set.Items[0]->indexCount, 3u);
        EXPECT_EQ(LoadRecord(set, fid, raftRecord, 7), "abc");
        EXPECT_EQ(LoadRecord(set, fid, raftTag, 9), "xy");
        EXPECT_EQ(LoadRecord(set, fid, raftAlert, 7), std::string("\x01\x02\x03\x04"));
        set.closeAllFiles();
    }
    EXPECT_EQ(FileBytes(dataPath_), Fixture("recfile_three.dld.hex"));
    EXPECT_EQ(FileBytes(indexPath_), Fixture("recfile_three.dli.hex"));

    TNRAF again;
    int32_t fid = 0;
    std::string log = OpenAndLog(again, fid);
    EXPECT_EQ(CountOccurrences(log, kReindexLine), 0) << log;
    EXPECT_EQ(again.Items[0]->indexCount, 3u);
}

// A rebuild whose writes fail still shows every record, lets no save through
// until a later rebuild succeeds, and leaves files that the next open rebuilds.
TEST_F(TNRAFTest, FailedRebuildStillLoadsAndIsRepeated)
{
    for (int failingWrite : {1}) {
        SCOPED_TRACE("write " + std::to_string(failingWrite));
        WriteBytes(dataPath_, Fixture("recfile_three.dld.hex"));
        WriteBytes(indexPath_, Fixture("recfile_three_listing_two.dli.hex"));
        {
            TNRAF set;
            plat::FailNthWrite(failingWrite);
            int32_t fid = OpenSlot(set, dataPath_);
            plat::FailNthWrite(0);
            ASSERT_TRUE(set.isFileReady(fid));
            EXPECT_TRUE(set.Items[0]->needsReindex());
            EXPECT_EQ(LoadRecord(set, fid, raftAlert, 7), std::string("\x01\x02\x03\x04"));
            EXPECT_EQ(FileBytes(indexPath_), Fixture("recfile_three_listing_two.dli.hex"));
        }
        TNRAF set;
        int32_t fid = 0;
        std::string log = OpenAndLog(set, fid);
        EXPECT_EQ(CountOccurrences(log, kReindexLine), 1);
        EXPECT_EQ(FileBytes(indexPath_), Fixture("recfile_three.dli.hex"));
    }

    // The save after a failed rebuild rebuilds first.
    WriteBytes(indexPath_, Fixture("recfile_three_listing_two.dli.hex"));
    TNRAF set;
    plat::FailNthWrite(1);
    int32_t fid = OpenSlot(set, dataPath_);
    plat::FailNthWrite(0);
    ASSERT_TRUE(set.Items[0]->needsReindex());
    ASSERT_TRUE(recfiletest::SaveRecord(set, fid, raftGroup, 5, "g"));
    EXPECT_FALSE(set.Items[0]->needsReindex());
    EXPECT_EQ(set.Items[0]->indexCount, 4u);
    set.closeAllFiles();
    TNRAF again;
    std::string log = OpenAndLog(again, fid);
    EXPECT_EQ(CountOccurrences(log, kReindexLine), 0);
    EXPECT_EQ(LoadRecord(again, fid, raftGroup, 5), "g");
    EXPECT_EQ(LoadRecord(again, fid, raftAlert, 7), std::string("\x01\x02\x03\x04"));
}

TEST_F(TNRAFTest, RecordCutShortAtTheEndIsDropped)
{
    std::string data = Fixture("recfile_three.dld.hex");
    WriteBytes(dataPath_, data.substr(0, data.size() - 2));
    WriteBytes(indexPath_, Fixture("recfile_three.dli.hex"));
    TNRAF set;
    int32_t fid = 0;
    std::string log = OpenAndLog(set, fid);
    EXPECT_EQ(CountOccurrences(log, kReindexLine), 1);
    EXPECT_EQ(set.Items[0]->indexCount, 2u);
    EXPECT_EQ(LoadRecord(set, fid, raftRecord, 7), "abc");
    EXPECT_EQ(LoadRecord(set, fid, raftTag, 9), "xy");
    EXPECT_EQ(LoadRecord(set, fid, raftAlert, 7), std::nullopt);

    // The file is cut after the whole records and counts them; the next record
    // goes where the cut one began.
    std::string cut = FileBytes(dataPath_);
    ASSERT_EQ(cut.size(), 45u);
    EXPECT_EQ(cut.substr(16, 4), std::string("\x02\x00\x00\x00", 4));
    ASSERT_TRUE(recfiletest::SaveRecord(set, fid, raftAlert, 8, "z"));
    EXPECT_EQ(set.Items[0]->index.back().position, 45u);
}

// Each damage of the index makes the open rebuild it from the data file.
TEST_F(TNRAFTest, IndexThatDisagreesWithTheDataIsRebuilt)
{
    struct Case {
        const char* name;
        size_t offset; // into the index; SIZE_MAX: no byte changed
        std::string bytes;
        bool rebuilt;
    };
    const Case cases[] = {
        {"consistent", SIZE_MAX, "", false},
        {"entry with another id", 20 + 6, "\x08", true},
        {"entry with another type", 34, "\x05", true},
        {"entry with a length past the file", 48 + 2, "\x40", true},
        {"entry pointing elsewhere", 20 + 10, "\x15", true},
        {"record listed as a hole", 34, std::string("\x00", 1), true},
        {"index of another version", 14, "\x02", true},
        {"index of another id", 2, "R", true},
        {"count larger than the file", 16, std::string("\xFF\xFF\xFF\x0F", 4), true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string index = Fixture("recfile_three.dli.hex");
        if (c.offset != SIZE_MAX)
            index.replace(c.offset, c.bytes.size(), c.bytes);
        WriteBytes(dataPath_, Fixture("recfile_three.dld.hex"));
        WriteBytes(indexPath_, index);
        TNRAF set;
        int32_t fid = 0;
        std::string log = OpenAndLog(set, fid);
        EXPECT_EQ(CountOccurrences(log, kReindexLine), c.rebuilt ? 1 : 0) << log;
        EXPECT_EQ(LoadRecord(set, fid, raftRecord, 7), "abc");
        EXPECT_EQ(LoadRecord(set, fid, raftTag, 9), "xy");
        EXPECT_EQ(LoadRecord(set, fid, raftAlert, 7), std::string("\x01\x02\x03\x04"));
        set.closeAllFiles();
        EXPECT_EQ(FileBytes(indexPath_), Fixture("recfile_three.dli.hex"));
    }
}

TEST_F(TNRAFTest, MissingIndexIsRebuilt)
{
    WriteBytes(dataPath_, Fixture("recfile_three.dld.hex"));
    TNRAF set;
    int32_t fid = 0;
    std::string log = OpenAndLog(set, fid);
    EXPECT_EQ(CountOccurrences(log, kReindexLine), 1);
    EXPECT_EQ(LoadRecord(set, fid, raftTag, 9), "xy");
    set.closeAllFiles();
    EXPECT_EQ(FileBytes(indexPath_), Fixture("recfile_three.dli.hex"));
}

TEST_F(TNRAFTest, RebuildKeepsTheLaterOfTwoCopiesAndRecordsOfUnknownType)
{
    // Record 1 and 3 are both (raftRecord, 7); record 2 has a type a later
    // version may write. No index tells which copy counts.
    std::string data = Fixture("recfile_three.dld.hex");
    data[45] = raftRecord;
    data[33] = 14;
    WriteBytes(dataPath_, data);
    TNRAF set;
    int32_t fid = 0;
    OpenAndLog(set, fid);
    TNRAFile& file = *set.Items[0];
    ASSERT_EQ(file.indexCount, 3u);
    EXPECT_TRUE(file.index[0].IsHole());
    EXPECT_TRUE(file.index[1].IsUnknownType());
    EXPECT_EQ(file.index[1].type, 14);
    EXPECT_EQ(file.index[2].type, raftRecord);
    EXPECT_EQ(LoadRecord(set, fid, raftRecord, 7), std::string("\x01\x02\x03\x04"));
    // The earlier copy is a hole in the data file too, so the next open agrees.
    EXPECT_EQ(FileBytes(dataPath_).substr(20, 6), std::string(6, '\0'));
    EXPECT_EQ(FileBytes(dataPath_).substr(33), data.substr(33));
    set.closeAllFiles();
    TNRAF again;
    std::string log = OpenAndLog(again, fid);
    EXPECT_EQ(CountOccurrences(log, kReindexLine), 0);
    // A hole left by the rebuild is reused like any other.
    ASSERT_TRUE(recfiletest::SaveRecord(again, fid, raftGroup, 1, "abc"));
    EXPECT_EQ(again.Items[0]->index[0].type, raftGroup);
}

TEST_F(TNRAFTest, DataFileOfAnotherHeaderStaysClosed)
{
    std::string data = Fixture("recfile_three.dld.hex");
    data[14] = 2;
    WriteBytes(dataPath_, data);
    TNRAF set;
    int32_t fid = set.AddFile();
    set.Items[0]->raFile = dataPath_;
    set.Items[0]->raHeader = "DalmoraPIMra";
    set.Items[0]->raVersion = 1;
    EXPECT_EQ(set.openFile(fid), nullptr);
    EXPECT_FALSE(set.isFileReady(fid));
    EXPECT_FALSE(set.indexOk(fid));
    EXPECT_EQ(set.Items[0]->raVersion, 2);
    EXPECT_EQ(FileBytes(dataPath_), data);
}

TEST_F(TNRAFTest, CloseWithResetDeletesOnlyOpenFiles)
{
    WriteBytes(dataPath_, Fixture("recfile_three.dld.hex"));
    WriteBytes(indexPath_, Fixture("recfile_three.dli.hex"));
    TNRAF set;
    int32_t fid = set.AddFile();
    set.Items[0]->raFile = dataPath_;
    set.Items[0]->raIndexFile = indexPath_;
    set.closeFile(fid, true);
    EXPECT_TRUE(plat::FileExists(dataPath_));
    EXPECT_TRUE(plat::FileExists(indexPath_));

    set.Items[0]->raHeader = "DalmoraPIMra";
    set.Items[0]->raVersion = 1;
    ASSERT_NE(set.openFile(fid), nullptr);
    recfiletest::LogCapture capture;
    set.closeFile(fid, true);
    std::string log = capture.Take();
    EXPECT_FALSE(plat::FileExists(dataPath_));
    EXPECT_FALSE(plat::FileExists(indexPath_));
    EXPECT_NE(log.find("[TNRAF::closeFile][RESET_DATA_FILE][SUCCESS]"), std::string::npos);
    EXPECT_NE(log.find("[TNRAF::closeFile][RESET_INDEX_FILE][SUCCESS]"), std::string::npos);
    EXPECT_FALSE(set.isFileReady(fid));

    ASSERT_NE(set.openFile(fid), nullptr);
    EXPECT_EQ(set.Items[0]->indexCount, 0u);
    EXPECT_EQ(FileBytes(dataPath_), Fixture("recfile_new.dld.hex"));
    EXPECT_EQ(FileBytes(indexPath_), Fixture("recfile_new.dli.hex"));
}

TEST_F(TNRAFTest, ConfigurationErrorsShowAMessage)
{
    static std::vector<std::string> shown;
    shown.clear();
    FoundationHooks.MessageBox = [](const char* text, const char* caption, uint32_t flags) -> int32_t {
        shown.push_back(std::string(caption) + "|" + text + "|" + std::to_string(flags));
        return mrOk;
    };
    TNRAF set;
    EXPECT_EQ(set.openFile(0), nullptr);
    int32_t fid = set.AddFile();
    EXPECT_EQ(set.openFile(fid), nullptr);
    set.Items[0]->raFile = dataPath_;
    EXPECT_EQ(set.openFile(fid), nullptr);
    set.Items[0]->raHeader = "DalmoraPIMra";
    EXPECT_EQ(set.openFile(fid), nullptr);
    set.closeFile(3, false);
    FoundationHooks.MessageBox = nullptr;

    const std::string error = "|" + std::to_string(mbOk | mbIconError);
    const std::vector<std::string> expected = {
        "Chyba|[TNRAF::openFile] Hodnota fid = 0 není platná!" + error,
        "Chyba|[TNRAF::openFile] Hodnota raFile[0] není nastavena!" + error,
        "Chyba|[TNRAF::openFile] Hodnota raHeader[0] není nastavena!" + error,
        "Chyba|[TNRAF::openFile] Hodnota raVersion[0] není nastavena!" + error,
        "Chyba|[TNRAF::closeFile] Hodnota fid = 3 není platná!" + error,
    };
    EXPECT_EQ(shown, expected);
    EXPECT_FALSE(plat::FileExists(dataPath_));
}

TEST_F(TNRAFTest, CreatesTheFolderOfTheDataFile)
{
    dataPath_ = folder_ + "a/b/pim.dld";
    TNRAF set;
    int32_t fid = OpenSlot(set, dataPath_);
    EXPECT_TRUE(set.indexOk(fid));
    EXPECT_TRUE(plat::FileExists(folder_ + "a/b/pim.dli"));
}

} // namespace
