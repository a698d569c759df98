#include "platform/core/headless_loop.h"
#include "platform/core/thread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <stdexcept>
#include <string>
#include <thread>

namespace {

class LambdaThread : public plat::TThread {
public:
    LambdaThread(std::function<void()> body, std::atomic<int>* destroyed)
        : plat::TThread("LambdaThread"), body_(std::move(body)), destroyed_(destroyed)
    {
    }
    ~LambdaThread() override
    {
        if (destroyed_ != nullptr)
            ++*destroyed_;
    }

protected:
    void Execute() override { body_(); }

private:
    std::function<void()> body_;
    std::atomic<int>* destroyed_;
};

std::string reported;
void Report(const char* name)
{
    reported = name;
}

TEST(TThread, RunsOnTerminateOnTheMainLoopThenFreesItself)
{
    plat::HeadlessMainLoop loop;
    plat::SetMainLoop(&loop);
    std::atomic<int> destroyed{0};
    std::thread::id ranOn;
    auto* thread = new LambdaThread([] {}, &destroyed);
    thread->FreeOnTerminate = true;
    thread->OnTerminate = [&] { ranOn = std::this_thread::get_id(); };
    ASSERT_TRUE(thread->Resume());
    ASSERT_TRUE(plat::WaitForRunningThreads(5000));
    // Nothing runs until the loop turns; the object lives until then.
    EXPECT_EQ(destroyed, 0);
    EXPECT_EQ(loop.RunPendingTasks(), 1);
    EXPECT_EQ(ranOn, std::this_thread::get_id());
    EXPECT_EQ(destroyed, 1);
    plat::SetMainLoop(nullptr);
}

TEST(TThread, ReportsAnEscapedExceptionAndStillEnds)
{
    plat::SetThreadExceptionReporter(&Report);
    std::atomic<int> destroyed{0};
    auto* thread = new LambdaThread([] { throw std::runtime_error("job"); }, &destroyed);
    thread->FreeOnTerminate = true;
    ASSERT_TRUE(thread->Resume());
    ASSERT_TRUE(plat::WaitForRunningThreads(5000));
    EXPECT_EQ(reported, "LambdaThread");
    EXPECT_EQ(destroyed, 1);
    plat::SetThreadExceptionReporter(nullptr);
}

TEST(TThread, WaitForRunningThreadsIsBounded)
{
    std::atomic<bool> release{false};
    LambdaThread thread(
        [&] {
            while (!release)
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
        },
        nullptr);
    ASSERT_TRUE(thread.Resume());
    EXPECT_EQ(plat::RunningThreadCount(), 1);
    auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(plat::WaitForRunningThreads(100));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
    release = true;
    EXPECT_TRUE(plat::WaitForRunningThreads(5000));
    EXPECT_TRUE(thread.Finished());
}

TEST(HeadlessMainLoop, ManualPumpRunsPostsInOrderAndLeavesLaterOnes)
{
    plat::HeadlessMainLoop loop;
    std::string order;
    loop.Post([&] {
        order += "a";
        loop.Post([&] { order += "c"; });
    });
    loop.Post([&] { order += "b"; });
    EXPECT_EQ(loop.RunPendingTasks(), 2);
    EXPECT_EQ(order, "ab");
    EXPECT_EQ(loop.RunPendingTasks(), 1);
    EXPECT_EQ(order, "abc");
}

} // namespace
