#include "foundation/record_file_set.h"
#include "tests/foundation/record_file_test_util.h"

#include <gtest/gtest.h>

#include <string>

namespace {

class RecordFileEntries : public recfiletest::TempFolderTest {};

// A load sees the live records in index order, each with its type, id and
// a reader that ends where its data ends, and passes over the holes.
TEST_F(RecordFileEntries, ALoadSeesEveryLiveRecordOnceWithItsOwnData)
{
    TNRAF set;
    int32_t fid = recfiletest::OpenSlot(set, folder_ + "pim.dld");
    ASSERT_TRUE(recfiletest::SaveRecord(set, fid, raftTag, 11, "ab"));
    ASSERT_TRUE(recfiletest::SaveRecord(set, fid, raftAlert, 12, "cde"));
    ASSERT_TRUE(recfiletest::SaveRecord(set, fid, raftRecord, 13, "f"));
    ASSERT_TRUE(recfiletest::DeleteRecord(set, fid, raftAlert, 12));
    // A type of a later version is live, but no item of this one reads it.
    ASSERT_TRUE(recfiletest::SaveRecord(set, fid, 200, 14, "g"));
    ASSERT_TRUE(set.flushFile(fid));
    set.closeFile(fid, false);
    ASSERT_NE(set.openFile(fid), nullptr);
    TNRAFile& file = *set.Items[static_cast<size_t>(fid)];
    ASSERT_TRUE(file.isOpen());

    ASSERT_EQ(file.entryCount(), 4u);
    std::string seen;
    for (uint32_t n = 0; n < file.entryCount(); ++n) {
        uint16_t type = 0;
        uint32_t id = 0;
        if (!file.liveEntry(n, type, id)) {
            seen += "hole;";
            EXPECT_LT(file.openEntry(n), 1);
            continue;
        }
        int64_t length = file.openEntry(n);
        if (type > kRaftLastType) {
            seen += std::to_string(type) + "/" + std::to_string(id) + " unread;";
            EXPECT_LT(length, 1);
            continue;
        }
        ASSERT_GT(length, 0);
        std::string_view data;
        ASSERT_TRUE(file.recordReader().ReadView(static_cast<size_t>(length), data));
        EXPECT_TRUE(file.recordReader().AtEnd());
        seen += std::to_string(type) + "/" + std::to_string(id) + "=" + std::string(data) + ";";
    }
    EXPECT_EQ(seen, "4/11=ab;hole;2/13=f;200/14 unread;");
    uint16_t type = 0;
    uint32_t id = 0;
    EXPECT_FALSE(file.liveEntry(4, type, id));
    EXPECT_LT(file.openEntry(4), 1);
}

TEST_F(RecordFileEntries, HoleRecordRemovesOnlyALiveRecordAndOnDisk)
{
    TNRAF set;
    int32_t fid = recfiletest::OpenSlot(set, folder_ + "pim.dld");
    ASSERT_TRUE(recfiletest::SaveRecord(set, fid, raftTag, 11, "ab"));
    ASSERT_TRUE(recfiletest::SaveRecord(set, fid, raftTag, 12, "cd"));
    TNRAFile& file = *set.Items[static_cast<size_t>(fid)];

    EXPECT_FALSE(file.holeRecord(raftAlert, 11));
    EXPECT_TRUE(file.holeRecord(raftTag, 11));
    ASSERT_TRUE(set.flushFile(fid));
    EXPECT_FALSE(file.holeRecord(raftTag, 11));

    set.closeFile(fid, false);
    ASSERT_NE(set.openFile(fid), nullptr);
    ASSERT_EQ(file.entryCount(), 2u);
    uint16_t type = 0;
    uint32_t id = 0;
    EXPECT_FALSE(file.liveEntry(0, type, id));
    ASSERT_TRUE(file.liveEntry(1, type, id));
    EXPECT_EQ(type, raftTag);
    EXPECT_EQ(id, 12u);
}

} // namespace
