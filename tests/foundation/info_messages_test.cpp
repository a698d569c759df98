#include "foundation/info_messages.h"
#include "platform/testing/fake_clock.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace {

TEST(TNInfoMessages, ReuseKeepsOneMessagePerId)
{
    TNInfoMessages messages;
    EXPECT_EQ(messages.Add("Nová verze", "1.68", true, 1, 7), 0);
    EXPECT_EQ(messages.Add("Nová verze", "1.69", true, 1, 7), 0);
    EXPECT_EQ(messages.Count(), 1);
    TNInfoMessage first;
    ASSERT_TRUE(messages.Get(0, first));
    EXPECT_EQ(first.Text.View(), "1.68");
    // Without reuse the same id is added again.
    EXPECT_EQ(messages.Add("Nová verze", nullptr, false, 1, 7), 1);
    EXPECT_EQ(messages.Find(7), 0);
    EXPECT_EQ(messages.Find(8), -1);
}

TEST(TNInfoMessages, RemovingMovesWholeMessagesDown)
{
    plat::testing::ScopedFakeClock clock(1000);
    TNInfoMessages messages;
    ASSERT_EQ(messages.Add("A", "a", false, 1, 10), 0);
    clock->Advance(60000);
    ASSERT_EQ(messages.Add("B", "b", false, 2, 20), 1);

    ASSERT_TRUE(messages.RemoveAt(0));
    ASSERT_EQ(messages.Count(), 1);
    TNInfoMessage left;
    ASSERT_TRUE(messages.Get(0, left));
    EXPECT_EQ(left.ID, 20);
    EXPECT_EQ(left.Kind, 2);
    EXPECT_EQ(left.Title.View(), "B");
    EXPECT_EQ(left.Text.View(), "b");
    EXPECT_EQ(left.Added, 1060);

    EXPECT_FALSE(messages.RemoveAt(1));
    EXPECT_FALSE(messages.RemoveAt(-1));
    ASSERT_TRUE(messages.RemoveAt(0));
    EXPECT_EQ(messages.Count(), 0);
    EXPECT_FALSE(messages.RemoveAt(0));
    EXPECT_FALSE(messages.Get(0, left));
}

TEST(TNInfoMessages, AKeyFindsItsMessageAfterEarlierOnesGoAndIsNeverReused)
{
    TNInfoMessages messages;
    const uint64_t first = messages.AddKeyed("A", "", false, 0, 1);
    const uint64_t second = messages.AddKeyed("B", "", true, 0, 2);
    ASSERT_NE(first, 0u);
    ASSERT_NE(second, first);
    EXPECT_EQ(messages.AddKeyed("B again", "", true, 0, 2), second) << "a reused message keeps its key";
    ASSERT_EQ(messages.FindKey(second), 1);

    ASSERT_TRUE(messages.RemoveAt(0));
    EXPECT_EQ(messages.FindKey(second), 0);
    EXPECT_EQ(messages.FindKey(first), -1);
    messages.Clear();
    const uint64_t third = messages.AddKeyed("C", "", false, 0, 1);
    EXPECT_NE(third, first);
    EXPECT_NE(third, second);
    EXPECT_EQ(messages.FindKey(second), -1);
}

TEST(TNInfoMessages, AddsFromTwoThreadsWhileTheMainThreadRemoves)
{
    TNInfoMessages messages;
    constexpr int kAdds = 2000;
    std::vector<std::thread> adders;
    for (int t = 0; t < 2; ++t) {
        adders.emplace_back([&messages, t] {
            for (int i = 0; i < kAdds; ++i)
                messages.Add("t", "x", false, t, i);
        });
    }
    int removed = 0;
    while (removed < 1000) {
        if (messages.RemoveAt(0))
            ++removed;
    }
    for (std::thread& adder : adders)
        adder.join();
    EXPECT_EQ(messages.Count(), 2 * kAdds - removed);
    messages.Clear();
    EXPECT_EQ(messages.Count(), 0);
}

} // namespace
