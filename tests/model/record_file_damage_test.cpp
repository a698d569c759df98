// Damaged bytes in an account's record file: each damage loses at most the
// record it touched, logs one ERROR line, and anything dropped is copied
// aside first.

#include "tests/model/data_set_fixture.h"

#include "platform/core/file.h"

#include <dirent.h>

#include <chrono>
#include <random>
#include <string>
#include <vector>

namespace model_test {
namespace {

struct Listed {
    uint16_t type;
    uint32_t id;
    uint32_t position;
};

uint32_t U32(const std::string& bytes, size_t at)
{
    uint32_t value = 0;
    for (int i = 0; i < 4; ++i)
        value |= static_cast<uint32_t>(static_cast<uint8_t>(bytes[at + static_cast<size_t>(i)])) << (8 * i);
    return value;
}

// The live records an index file lists.
std::vector<Listed> LiveRecords(const std::string& index)
{
    std::vector<Listed> live;
    for (size_t at = 20; at + 14 <= index.size(); at += 14) {
        auto type = static_cast<uint16_t>(static_cast<uint8_t>(index[at]) | static_cast<uint8_t>(index[at + 1]) << 8);
        uint32_t id = U32(index, at + 6);
        if (type != 0 && id != 0)
            live.push_back({type, id, U32(index, at + 10)});
    }
    return live;
}

class RecordFileDamage : public DataSetTest {
protected:
    std::vector<std::string> CopiesAside(const std::string& dataPath)
    {
        std::string folder = dataPath.substr(0, dataPath.rfind('/') + 1);
        std::string prefix = dataPath.substr(folder.size()) + ".";
        std::vector<std::string> copies;
        DIR* dir = opendir(folder.c_str());
        while (const dirent* entry = readdir(dir)) {
            std::string name = entry->d_name;
            if (name.compare(0, prefix.size(), prefix) == 0 && name != prefix + "dli")
                copies.push_back(folder + name);
        }
        closedir(dir);
        return copies;
    }
    // Every listed record but `lost` is in the file and, when a record of
    // the calendar, loaded.
    void ExpectAllBut(const std::vector<Listed>& live, const Listed* lost, const char* when)
    {
        for (const Listed& record : live) {
            if (lost != nullptr && record.position == lost->position)
                continue;
            EXPECT_GE(File().getIndexPosById(record.id, static_cast<uint8_t>(record.type)), 0)
                << when << ": type " << record.type << ", id " << record.id;
            if (record.type == raftRecord) {
                EXPECT_NE(Pim().Records->GetRecordByID(record.id), nullptr) << when << ": record " << record.id;
            }
        }
    }
};

TEST_F(RecordFileDamage, EachDamageLosesOnlyWhatItTouches)
{
    AccountShape shape;
    shape.organizers = 3;
    shape.records = 46;
    shape.birthdays = 2;
    shape.pendingPercent = 0;
    shape.deletedPercent = 0;
    shape.tags = 4;
    shape.tagAssignments = 4;
    shape.seed = 36;
    GenerateAccount(Pim(), shape);
    Pim().Save(true, false);
    raf.closeFile(workspace_.Fid(), false);
    const std::string dataPath = File().raFile;
    const std::string indexPath = File().raIndexFile;
    std::string data;
    std::string index;
    ASSERT_TRUE(plat::ReadWholeFile(dataPath, data));
    ASSERT_TRUE(plat::ReadWholeFile(indexPath, index));
    const std::vector<Listed> live = LiveRecords(index);
    ASSERT_EQ(live.size(), 58u);
    const Listed& middle = live[live.size() / 2];
    Listed last = live.front();
    for (const Listed& record : live)
        last = record.position > last.position ? record : last;

    std::mt19937 random(36);
    std::string garbage(index.size(), '\0');
    for (char& byte : garbage)
        byte = static_cast<char>(random());

    struct Case {
        const char* name;
        std::string data;
        std::string index;
        const Listed* lost;
        bool copied;
    };
    auto flip = [&](size_t at, int bit) {
        std::string damaged = data;
        damaged[at] = static_cast<char>(damaged[at] ^ (1 << bit));
        return damaged;
    };
    const Case cases[] = {
        {"a middle record's length", flip(middle.position + 7, 0), index, &middle, true},
        {"a middle record's type", flip(middle.position + 1, 0), index, &middle, false},
        {"a middle record's id", flip(middle.position + 4, 0), index, &middle, false},
        {"the file header", flip(5, 2), index, nullptr, true},
        {"a garbage index", data, garbage, nullptr, false},
        {"cut inside the last record", data.substr(0, data.size() - 3), index, &last, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        for (const std::string& copy : CopiesAside(dataPath))
            plat::RemoveFile(copy);
        raf.closeFile(workspace_.Fid(), false);
        ASSERT_TRUE(plat::WriteFileAtomically(dataPath, c.data));
        ASSERT_TRUE(plat::WriteFileAtomically(indexPath, c.index));
        int errorsBefore = log_.CountContaining("ERROR");
        Reload();
        EXPECT_EQ(log_.CountContaining("ERROR") - errorsBefore, 1);
        ExpectAllBut(live, c.lost, "after the open");
        std::vector<std::string> copies = CopiesAside(dataPath);
        EXPECT_EQ(copies.size(), c.copied ? 1u : 0u);
        if (c.copied && copies.size() == 1) {
            std::string copy;
            ASSERT_TRUE(plat::ReadWholeFile(copies[0], copy));
            EXPECT_EQ(copy, c.data) << "the copy is the file as the damage left it";
        }

        // A save pass and a second open lose nothing more.
        for (int32_t pos = 0; pos < 3 && pos < Pim().Records->Count; ++pos)
            File().add_toSave(raftRecord, Pim().Records->Items[pos]->ID, pos, 0, true, false);
        Pim().Save(true, false);
        Reload();
        ExpectAllBut(live, c.lost, "after a save and a second open");
    }
}

// A body under another id than its index entry: dropped at load, and the
// next save does not leave two live records of one id.
TEST_F(RecordFileDamage, BodyWithAnotherIdLoadsAsUnreadable)
{
    AddOrganizer(1000);
    AddRecord(6001, 1000, "2024-03-10 09:30");
    AddRecord(6002, 1000, "2024-03-11 09:30");
    Pim().Save(true, false);
    raf.closeFile(workspace_.Fid(), false);
    // The record of 6002 in the file is re-keyed to 6003 in its header and
    // its index entry; its body still says 6002.
    std::string data;
    std::string index;
    ASSERT_TRUE(plat::ReadWholeFile(File().raFile, data));
    ASSERT_TRUE(plat::ReadWholeFile(File().raIndexFile, index));
    for (const Listed& record : LiveRecords(index)) {
        if (record.type == raftRecord && record.id == 6002) {
            data[record.position + 2] = static_cast<char>(0x73); // 6002 = 0x1772, 6003 = 0x1773
        }
    }
    for (size_t at = 20; at + 14 <= index.size(); at += 14) {
        if (U32(index, at + 6) == 6002)
            index[at + 6] = static_cast<char>(0x73);
    }
    ASSERT_TRUE(plat::WriteFileAtomically(File().raFile, data));
    ASSERT_TRUE(plat::WriteFileAtomically(File().raIndexFile, index));

    int errorsBefore = log_.CountContaining("ERROR");
    TNPIM& loaded = Reload();
    EXPECT_EQ(log_.CountContaining("Record whose body has another id dropped"), 1);
    EXPECT_EQ(log_.CountContaining("ERROR") - errorsBefore, 1);
    EXPECT_NE(loaded.Records->GetRecordByID(6001), nullptr);
    EXPECT_EQ(loaded.Records->GetRecordByID(6002), nullptr);
    EXPECT_EQ(loaded.Records->GetRecordByID(6003), nullptr);

    File().add_toSave(raftRecord, 6001, loaded.Records->GetRecordPosByID(6001), 0, true, false);
    TNPIM& again = SaveAndReload();
    EXPECT_NE(again.Records->GetRecordByID(6001), nullptr);
    int copies6001 = 0;
    for (const TNRAFileIndexEntry& entry : File().index)
        copies6001 += !entry.IsHole() && entry.type == raftRecord && entry.id == 6001 ? 1 : 0;
    EXPECT_EQ(copies6001, 1);
}

// A 30-byte data file whose damaged header is followed by a count and a
// record length that wrap a 32-bit sum to 0: the start no longer hangs on it.
// The file is moved aside whole, one ERROR line names it, and the set starts
// empty with a new file that a save can write to.
TEST_F(RecordFileDamage, HeaderWhoseLengthsWrapIsMovedAsideAtOnce)
{
    AddOrganizer(1000);
    AddRecord(6001, 1000, "2024-03-10 09:30");
    Pim().Save(true, false);
    raf.closeFile(workspace_.Fid(), false);
    const std::string dataPath = File().raFile;
    const std::string damaged = ReadFixture("damaged_header_wrapping_count.dld");
    ASSERT_EQ(damaged.size(), 30u);
    ASSERT_TRUE(plat::WriteFileAtomically(dataPath, damaged));
    ASSERT_TRUE(plat::RemoveFile(File().raIndexFile));

    int errorsBefore = log_.CountContaining("ERROR");
    auto start = std::chrono::steady_clock::now();
    TNPIM& loaded = Reload();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));

    EXPECT_EQ(log_.CountContaining("ERROR") - errorsBefore, 1);
    EXPECT_EQ(log_.CountContaining(("damaged header; file moved aside to " + dataPath + ".").c_str()), 1);
    std::vector<std::string> copies = CopiesAside(dataPath);
    ASSERT_EQ(copies.size(), 1u);
    std::string copy;
    ASSERT_TRUE(plat::ReadWholeFile(copies[0], copy));
    EXPECT_EQ(copy, damaged);
    EXPECT_EQ(loaded.Records->Count, 0);
    EXPECT_EQ(loaded.Organizers.Count, 0);
    EXPECT_TRUE(File().isOpen());
    EXPECT_EQ(File().itemsCount, 0u);
}

} // namespace
} // namespace model_test
