#include "online/ui_tag_queue.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

namespace {

using Result = TNUiTagQueue::PushResult;

TEST(TNUiTagQueue, SkipsAPairStillWaitingAndKeepsOrder)
{
    TNUiTagQueue queue;
    EXPECT_EQ(queue.Push(8, 5), Result::Queued);
    EXPECT_EQ(queue.Push(8, 5), Result::Duplicate);
    EXPECT_EQ(queue.Push(8, 6), Result::Queued);
    EXPECT_EQ(queue.Count(), 2);
    int16_t tag = 0;
    uint32_t param = 0;
    ASSERT_TRUE(queue.Take(&tag, &param));
    EXPECT_EQ(tag, 8);
    EXPECT_EQ(param, 5u);
    // Taken out, the pair may come again.
    EXPECT_EQ(queue.Push(8, 5), Result::Queued);
    ASSERT_TRUE(queue.Take(&tag, &param));
    EXPECT_EQ(param, 6u);
}

TEST(TNUiTagQueue, RefusesThe1025thUntilOneIsTaken)
{
    TNUiTagQueue queue;
    for (uint32_t i = 0; i < 1024; ++i)
        ASSERT_EQ(queue.Push(4, i), Result::Queued);
    EXPECT_EQ(queue.Push(4, 5000), Result::Full);
    int16_t tag = 0;
    uint32_t param = 0;
    ASSERT_TRUE(queue.Take(&tag, &param));
    EXPECT_EQ(param, 0u);
    EXPECT_EQ(queue.Push(4, 5000), Result::Queued);
    EXPECT_EQ(queue.Count(), 1024);
}

TEST(TNUiTagQueue, FourProducersAndAConsumerLoseNothingAndKeepEachOrder)
{
    constexpr int kProducers = 4;
    constexpr uint32_t kPairs = 10000;
    TNUiTagQueue queue;
    std::atomic<int> producing{kProducers};
    std::vector<std::thread> producers;
    for (int p = 0; p < kProducers; ++p) {
        producers.emplace_back([&, p] {
            for (uint32_t i = 0; i < kPairs;) {
                // A full queue refuses; the producer offers the pair again.
                if (queue.Push(static_cast<int16_t>(p), i) != Result::Full)
                    ++i;
                else
                    std::this_thread::yield();
            }
            --producing;
        });
    }
    std::vector<std::vector<uint32_t>> received(kProducers);
    std::thread consumer([&] {
        int16_t tag = 0;
        uint32_t param = 0;
        while (producing > 0 || queue.Count() > 0) {
            if (queue.Take(&tag, &param))
                received[static_cast<size_t>(tag)].push_back(param);
        }
    });
    for (std::thread& producer : producers)
        producer.join();
    consumer.join();
    for (int p = 0; p < kProducers; ++p) {
        ASSERT_EQ(received[static_cast<size_t>(p)].size(), kPairs) << p;
        for (uint32_t i = 0; i < kPairs; ++i)
            ASSERT_EQ(received[static_cast<size_t>(p)][i], i) << p;
    }
}

} // namespace
