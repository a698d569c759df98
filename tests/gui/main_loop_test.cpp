#include "platform/gui/gui_main_loop.h"
#include "platform/testing/gui_harness.h"

#include <gtest/gtest.h>

#include <csignal>
#include <pthread.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace plat {
namespace {

class GuiLoop : public testing::OffscreenGuiTest {};

TEST_F(GuiLoop, RunsPostedWorkInOrderUntilQuit)
{
    GuiMainLoop loop;
    std::vector<int> order;
    std::thread worker([&] {
        for (int i = 0; i < 5; ++i)
            loop.Post([&order, i] { order.push_back(i); });
        loop.Post([&] { loop.Quit(); });
    });
    EXPECT_EQ(loop.Run(), 0);
    worker.join();
    EXPECT_EQ(order, (std::vector<int>{0, 1, 2, 3, 4}));
}

TEST_F(GuiLoop, QuitBeforeRunReturnsAtOnceAndIsSpent)
{
    GuiMainLoop loop;
    loop.Quit();
    EXPECT_EQ(loop.Run(), 0);
    // The quit is spent: a later run waits for its own.
    bool ran = false;
    loop.Post([&] {
        ran = true;
        loop.Exit(7);
    });
    EXPECT_EQ(loop.Run(), 7);
    EXPECT_TRUE(ran);
}

TEST_F(GuiLoop, WatchesDescriptorsAndHandsSignalsToTheSessionEndHook)
{
    GuiMainLoop loop;
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    int readable = 0;
    const int watch = loop.WatchReadable(fds[0], [&] {
        char byte;
        if (read(fds[0], &byte, 1) == 1)
            ++readable;
        loop.Unwatch(watch);
        pthread_kill(pthread_self(), SIGTERM);
    });
    ASSERT_GT(watch, 0);
    ASSERT_EQ(write(fds[1], "x", 1), 1);
    std::vector<int> signals;
    loop.OnSessionEnd = [&](int signal) {
        signals.push_back(signal);
        loop.Exit(signal);
    };
    EXPECT_EQ(loop.Run(), SIGTERM);
    EXPECT_EQ(readable, 1);
    EXPECT_EQ(signals, (std::vector<int>{SIGTERM}));
    close(fds[0]);
    close(fds[1]);
}

} // namespace
} // namespace plat
