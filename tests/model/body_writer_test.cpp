#include "foundation/record_file_set.h"
#include "foundation/string.h"
#include "foundation/time.h"
#include "model/body_reader.h"
#include "model/body_writer.h"
#include "tests/model/model_test_support.h"

#include <gtest/gtest.h>

#include <string>

namespace {

constexpr uint8_t kType = raftTag;
constexpr uint32_t kID = 4711;

// One field of every kind, in the order a body would hold them.
struct Fields {
    uint32_t wide = 0;
    uint32_t narrow = 0;
    int32_t negative = 0;
    bool flag = false;
    TNString text;
    TNTime when;
};

void WriteFields(TNBodyWriter& w, const Fields& f)
{
    w.Unsigned(f.wide, 4);
    w.Unsigned(f.narrow, 2);
    w.Signed(f.negative, 1);
    w.Flag(f.flag);
    w.String(f.text);
    w.Time(f.when);
}

bool ReadFields(plat::ByteReader& in, Fields& f)
{
    TNBodyReader r(in);
    f.wide = r.Unsigned(4);
    f.narrow = r.Unsigned(2);
    f.negative = r.Signed(1);
    f.flag = r.Flag();
    r.String(f.text);
    r.Time(f.when);
    return r.Ok();
}

TEST(TNBodyWriter, WritesWhatTheReaderReadsInTheStoredForm)
{
    model_test::DataSet set;
    Fields written;
    written.wide = 0x12345678;
    written.narrow = 0xBEEF;
    written.negative = -2;
    written.flag = true;
    written.text = TNString("\xC8\x61");
    written.when.SetDateTime(15, 5, 30, 0, 10, 2024);

    set.Queue(kType, kID, 0);
    TNBodyWriter w(set.Fid(), set.QueueItem(kType, kID));
    WriteFields(w, written);
    ASSERT_TRUE(w.Commit());

    const std::string expected = std::string("\x78\x56\x34\x12"
                                             "\xEF\xBE"
                                             "\xFE"
                                             "\x01"
                                             "\x02\x00\x00\x00\x37\x9E"
                                             "\x0F\x05\xE8\x07\x0A\x00\x1E",
                                             21);
    EXPECT_EQ(raf.Items[static_cast<size_t>(set.Fid())]->stream, expected);

    set.Reopen();
    Fields read;
    ASSERT_TRUE(set.ReadStored(kType, kID, [&](plat::ByteReader& in) { return ReadFields(in, read); }));
    EXPECT_EQ(read.wide, written.wide);
    EXPECT_EQ(read.narrow, written.narrow);
    EXPECT_EQ(read.negative, written.negative);
    EXPECT_EQ(read.flag, written.flag);
    EXPECT_EQ(read.text.View(), written.text.View());
    EXPECT_EQ(read.when.Compare(written.when), 0);
}

TEST(TNBodyWriter, CommitsOnceAndNeverWithoutASlot)
{
    model_test::DataSet set;
    set.Queue(kType, kID, 0);
    int32_t queuePos = set.QueueItem(kType, kID);

    TNBodyWriter nowhere(-1, queuePos);
    nowhere.Unsigned(1, 4);
    EXPECT_FALSE(nowhere.Commit());
    EXPECT_EQ(set.StoredCount(kType), 0);
    EXPECT_EQ(set.QueueItem(kType, kID), queuePos);

    TNBodyWriter w(set.Fid(), queuePos);
    w.Unsigned(7, 1);
    ASSERT_TRUE(w.Commit());
    EXPECT_EQ(set.QueueItem(kType, kID), -1);
    // Later writes and commits change nothing.
    w.Unsigned(8, 1);
    EXPECT_FALSE(w.Commit());
    set.Reopen();
    uint32_t value = 0;
    EXPECT_TRUE(set.ReadStored(kType, kID, [&](plat::ByteReader& in) { return in.ReadUnsigned(1, value); }));
    EXPECT_EQ(value, 7u);
    EXPECT_EQ(set.StoredCount(kType), 1);
}

} // namespace
