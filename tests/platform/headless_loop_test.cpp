#include "platform/core/headless_loop.h"

#include <gtest/gtest.h>

#include <csignal>
#include <mutex>
#include <stdexcept>
#include <thread>
#include <unistd.h>
#include <utility>
#include <vector>

namespace {

TEST(HeadlessMainLoop, RunsPostedWorkOnItsThreadInPostingOrder)
{
    plat::HeadlessMainLoop loop;
    std::thread::id loopThread;
    std::mutex mutex;
    std::vector<std::pair<std::thread::id, int>> ran;
    std::thread runner([&] {
        loopThread = std::this_thread::get_id();
        EXPECT_EQ(loop.Run(), 0);
    });
    std::vector<std::thread> posters;
    for (int poster = 0; poster < 2; ++poster) {
        posters.emplace_back([&, poster] {
            for (int i = 0; i < 50; ++i) {
                loop.Post([&, value = poster * 1000 + i] {
                    std::lock_guard<std::mutex> guard(mutex);
                    ran.emplace_back(std::this_thread::get_id(), value);
                });
            }
        });
    }
    for (std::thread& poster : posters)
        poster.join();
    loop.Post([&] { loop.Quit(); });
    runner.join();

    ASSERT_EQ(ran.size(), 100u);
    int next[2] = {0, 1000};
    for (const auto& [thread, value] : ran) {
        EXPECT_EQ(thread, loopThread);
        int& expected = next[value / 1000];
        EXPECT_EQ(value, expected);
        expected = value + 1;
    }
}

TEST(HeadlessMainLoop, QuitEndsTheRunFromAnyThreadAndBeforeRun)
{
    plat::HeadlessMainLoop loop;
    loop.Quit();
    EXPECT_EQ(loop.Run(), 0);

    std::thread quitter([&] { loop.Quit(); });
    EXPECT_EQ(loop.Run(), 0);
    quitter.join();
}

TEST(HeadlessMainLoop, ReturnsTheTerminationSignal)
{
    ASSERT_TRUE(plat::BlockTerminationSignals());
    plat::HeadlessMainLoop loop;
    for (int signal : {SIGTERM, SIGINT}) {
        SCOPED_TRACE(signal);
        loop.Post([signal] { raise(signal); });
        EXPECT_EQ(loop.Run(), signal);
    }
}

TEST(HeadlessMainLoop, CallsWatchesOnReadableDescriptorsUntilUnwatched)
{
    plat::HeadlessMainLoop loop;
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    std::vector<char> received;
    int watch = 0;
    watch = loop.WatchReadable(fds[0], [&] {
        char byte;
        ASSERT_EQ(read(fds[0], &byte, 1), 1);
        received.push_back(byte);
        if (byte == 'c') {
            loop.Unwatch(watch);
            loop.Quit();
        }
    });
    ASSERT_GT(watch, 0);
    std::thread writer([&] {
        for (char byte : {'a', 'b', 'c'})
            ASSERT_EQ(write(fds[1], &byte, 1), 1);
    });
    EXPECT_EQ(loop.Run(), 0);
    writer.join();
    EXPECT_EQ(received, (std::vector<char>{'a', 'b', 'c'}));

    // Unwatched: a further byte stays in the pipe.
    ASSERT_EQ(write(fds[1], "d", 1), 1);
    loop.Post([&] { loop.Quit(); });
    EXPECT_EQ(loop.Run(), 0);
    EXPECT_EQ(received.size(), 3u);
    close(fds[0]);
    close(fds[1]);
}

TEST(HeadlessMainLoop, LetsAThrowingTaskLeaveRunAndRunsOnAfterwards)
{
    plat::HeadlessMainLoop loop;
    bool later = false;
    loop.Post([] { throw std::runtime_error("task failed"); });
    loop.Post([&] {
        later = true;
        loop.Quit();
    });
    EXPECT_THROW(loop.Run(), std::runtime_error);
    EXPECT_FALSE(later);
    EXPECT_EQ(loop.Run(), 0);
    EXPECT_TRUE(later);
}

TEST(HeadlessMainLoop, PostToMainThreadReachesOnlyAnInstalledLoop)
{
    bool ran = false;
    EXPECT_FALSE(plat::PostToMainThread([&] { ran = true; }));
    plat::HeadlessMainLoop loop;
    plat::SetMainLoop(&loop);
    std::thread worker([&] {
        EXPECT_TRUE(plat::PostToMainThread([&] {
            ran = true;
            loop.Quit();
        }));
    });
    worker.join();
    EXPECT_EQ(loop.Run(), 0);
    plat::SetMainLoop(nullptr);
    EXPECT_TRUE(ran);
    EXPECT_FALSE(plat::PostToMainThread([] {}));
}

} // namespace
