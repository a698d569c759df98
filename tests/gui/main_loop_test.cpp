#include "platform/gui/form.h"
#include "platform/gui/gui_main_loop.h"
#include "platform/testing/gui_harness.h"

#include <gtest/gtest.h>

#include <algorithm>
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
        for (int signal : {SIGTERM, SIGINT, SIGHUP})
            pthread_kill(pthread_self(), signal);
    });
    ASSERT_GT(watch, 0);
    ASSERT_EQ(write(fds[1], "x", 1), 1);
    std::vector<int> signals;
    loop.OnSessionEnd = [&](int signal) {
        signals.push_back(signal);
        if (signals.size() == 3)
            loop.Exit(signal);
    };
    EXPECT_NE(loop.Run(), 0);
    EXPECT_EQ(readable, 1);
    std::sort(signals.begin(), signals.end());
    EXPECT_EQ(signals, (std::vector<int>{SIGHUP, SIGINT, SIGTERM}));
    close(fds[0]);
    close(fds[1]);
}

// A test or program that outlives its loop must still end on SIGTERM; what
// the entry function blocked itself stays blocked.
TEST_F(GuiLoop, UnblocksOnlyTheSignalsItBlockedWhenItGoes)
{
    sigset_t mask;
    sigemptyset(&mask);
    sigaddset(&mask, SIGTERM);
    sigaddset(&mask, SIGINT);
    sigaddset(&mask, SIGHUP);
    pthread_sigmask(SIG_UNBLOCK, &mask, nullptr);
    sigset_t onlyInt;
    sigemptyset(&onlyInt);
    sigaddset(&onlyInt, SIGINT);
    pthread_sigmask(SIG_BLOCK, &onlyInt, nullptr);
    {
        GuiMainLoop loop;
        pthread_sigmask(SIG_BLOCK, nullptr, &mask);
        EXPECT_EQ(sigismember(&mask, SIGTERM), 1);
        EXPECT_EQ(sigismember(&mask, SIGHUP), 1);
    }
    pthread_sigmask(SIG_BLOCK, nullptr, &mask);
    EXPECT_EQ(sigismember(&mask, SIGTERM), 0);
    EXPECT_EQ(sigismember(&mask, SIGHUP), 0);
    EXPECT_EQ(sigismember(&mask, SIGINT), 1);
    pthread_sigmask(SIG_UNBLOCK, &onlyInt, nullptr);
}

} // namespace
} // namespace plat

namespace plat {
namespace {

TEST_F(GuiLoop, TerminateEndsTheLoopOnceTheRunningTaskHasReturned)
{
    GuiMainLoop loop;
    std::vector<int> order;
    loop.Post([&] {
        Application::Terminate();
        order.push_back(1);
    });
    EXPECT_EQ(loop.Run(), 0);
    EXPECT_EQ(order, (std::vector<int>{1}));
}

TEST_F(GuiLoop, TheMainFormsShowCommandsAndAMinimiseBeforeTheFirstShow)
{
    TOwned<TForm> form(new TForm());
    Application::SetMainForm(form.get());
    Application::Minimize();
    EXPECT_FALSE(form->Visible()) << "a minimise before the first show shows nothing";
    EXPECT_EQ(form->WindowState(), TWindowState::wsMinimized);
    Application::ShowMainForm(Application::kShowNormal);
    EXPECT_TRUE(form->Visible());
    EXPECT_EQ(form->WindowState(), TWindowState::wsNormal);
    Application::ShowMainForm(Application::kShowMinimized);
    EXPECT_EQ(form->WindowState(), TWindowState::wsMinimized);
    Application::Restore();
    EXPECT_EQ(form->WindowState(), TWindowState::wsNormal);
    Application::ShowMainForm(Application::kShowHide);
    EXPECT_FALSE(form->Visible());
    Application::SetTitle("Dalmora 1");
    EXPECT_EQ(Application::Title(), "Dalmora 1");
    Application::SetMainForm(nullptr);
}

} // namespace
} // namespace plat
