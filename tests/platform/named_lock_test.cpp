#include "platform/core/named_lock.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

namespace {

TEST(NamedLock, SecondCreateFailsUntilReleased)
{
    ASSERT_TRUE(plat::TryCreateNamedLock("lockA"));
    EXPECT_FALSE(plat::TryCreateNamedLock("lockA"));
    EXPECT_TRUE(plat::TryCreateNamedLock("lockB"));
    plat::ReleaseNamedLock("lockA");
    plat::ReleaseNamedLock("lockB");
    EXPECT_TRUE(plat::TryCreateNamedLock("lockA"));
    plat::ReleaseNamedLock("lockA");
}

TEST(NamedLock, GivesUpAfterItsAttempts)
{
    ASSERT_TRUE(plat::TryCreateNamedLock("held"));
    auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(plat::AcquireNamedLock("held", 11, 5));
    auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_GE(waited, std::chrono::milliseconds(50));
    plat::ReleaseNamedLock("held");
    // A waiter that gave up leaves nothing behind.
    EXPECT_TRUE(plat::AcquireNamedLock("held", 1, 5));
    plat::ReleaseNamedLock("held");
}

// Threads that take the name back to back never starve one another within
// the writer's bound of 51 tries of 5 ms, and never hold it together.
TEST(NamedLock, BusyThreadsAllGetTheirTurn)
{
    constexpr int kThreads = 4;
    constexpr int kRounds = 6000;
    std::atomic<int> inside{0};
    std::atomic<int> overlaps{0};
    std::atomic<int> failures{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&] {
            for (int i = 0; i < kRounds; ++i) {
                if (!plat::AcquireNamedLock("busy", 51, 5)) {
                    ++failures;
                    continue;
                }
                if (inside.fetch_add(1) != 0)
                    ++overlaps;
                // Hold the name about as long as a log line takes to write.
                auto until = std::chrono::steady_clock::now() + std::chrono::microseconds(30);
                while (std::chrono::steady_clock::now() < until) {
                }
                inside.fetch_sub(1);
                plat::ReleaseNamedLock("busy");
            }
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(failures.load(), 0);
    EXPECT_EQ(overlaps.load(), 0);
}

} // namespace
