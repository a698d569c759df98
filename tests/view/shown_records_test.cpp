#include "model/hooks.h"
#include "model/pim.h"
#include "model/record.h"
#include "online/window_state.h"
#include "tests/view/view_fixture.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

using view_test::ViewTest;

TEST_F(ViewTest, ShownRecordsKeepOneEntryAnId)
{
    model_test::DataSet set;
    TNPIMRecord& first = set.NewRecord();
    first.ID = 501;
    TNPIMRecord& second = set.NewRecord();
    second.ID = 502;

    EXPECT_EQ(View.AddShownRecord(nullptr), -1);
    EXPECT_EQ(View.AddShownRecord(&first), 0);
    EXPECT_EQ(View.AddShownRecord(&second), 1);
    EXPECT_EQ(View.AddShownRecord(&first), 0);
    EXPECT_EQ(WindowState.ShownRecords().size(), 2u);
    EXPECT_EQ(View.GetShownRecord(502), 1);
    EXPECT_EQ(View.GetShownRecord(9), -1);
    const std::vector<TNShownRecord> shown = WindowState.ShownRecords();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[1].RecordID, 502u);
    EXPECT_EQ(shown[1].PimSrvPos, 0);

    // A load or log-out replaces the records: the list lets go of them.
    NotifyShownDataReplaced();
    EXPECT_TRUE(WindowState.ShownRecords().empty());
    EXPECT_EQ(View.GetShownRecord(501), -1);
}

// Readers on other threads take copies while the main thread adds and a
// log-out empties the list; run it in the thread-sanitizer build.
TEST_F(ViewTest, ShownRecordsAreSafeAcrossThreads)
{
    std::atomic<bool> done{false};
    std::atomic<int> copies{0};
    std::vector<std::thread> readers;
    for (int i = 0; i < 4; ++i) {
        readers.emplace_back([&] {
            while (!done.load()) {
                for (const TNShownRecord& entry : WindowState.ShownRecords())
                    ASSERT_GE(entry.RecordID, 1u);
                copies.fetch_add(1);
            }
        });
    }
    std::thread logout([&] {
        while (!done.load())
            NotifyShownDataReplaced();
    });
    // The adds are quick: they start once a reader runs, so that the two
    // overlap even on a loaded machine.
    while (copies.load() == 0)
        std::this_thread::yield();
    for (uint32_t id = 1; id <= 10000; ++id)
        ASSERT_GE(WindowState.AddShownRecord(id, 0), 0);
    done.store(true);
    for (std::thread& reader : readers)
        reader.join();
    logout.join();
    NotifyShownDataReplaced();
    EXPECT_TRUE(WindowState.ShownRecords().empty());
    EXPECT_GT(copies.load(), 0);
}

TEST_F(ViewTest, ShownRecordLookUpsFollowReplacementAndTruncation)
{
    WindowState.SetShownRecords({{7, 0}, {8, 0}, {7, 1}, {9, 0}});
    EXPECT_EQ(View.GetShownRecord(7), 0) << "the first of equal ids";
    EXPECT_EQ(View.GetShownRecord(9), 3);
    EXPECT_TRUE(View.ResizeShownRecords(2));
    EXPECT_EQ(View.GetShownRecord(9), -1) << "cut off";
    EXPECT_EQ(View.GetShownRecord(8), 1);
    EXPECT_EQ(WindowState.AddShownRecord(9, 0), 2);
    EXPECT_EQ(View.GetShownRecord(9), 2);
}
