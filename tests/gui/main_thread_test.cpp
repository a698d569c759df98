#include "platform/gui/dialogs.h"
#include "platform/gui/form.h"
#include "platform/gui/label.h"
#include "platform/gui/main_thread.h"
#include "platform/gui/timer.h"
#include "platform/testing/gui_seams.h"
#include "tests/gui/gui_test_support.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

namespace plat {
namespace {

class MainThread : public testing::OffscreenGuiTest {};

// Eight threads post 10,000 functions each; every one runs on the main
// thread, each thread's in its order.
void PostFromEightThreads(const std::function<bool(const std::function<bool()>&)>& wait)
{
    constexpr int kThreads = 8;
    constexpr int kPosts = 10000;
    std::vector<int> next(kThreads, 0);
    int ran = 0;
    int offMain = 0;
    int outOfOrder = 0;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([&, t] {
            for (int i = 0; i < kPosts; ++i)
                RunOnMainThread([&, t, i] {
                    if (!IsMainThread())
                        ++offMain;
                    if (next[t] != i)
                        ++outOfOrder;
                    next[t] = i + 1;
                    ++ran;
                });
        });
    EXPECT_TRUE(wait([&] { return ran == kThreads * kPosts; }));
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(offMain, 0);
    EXPECT_EQ(outOfOrder, 0);
}

TEST_F(MainThread, PostedWorkRunsInOrderOnTheMainThread)
{
    EXPECT_TRUE(IsMainThread());
    std::thread([] { EXPECT_FALSE(IsMainThread()); }).join();
    PostFromEightThreads([](const std::function<bool()>& done) { return testing::RunUntil(done, 60000); });
}

TEST_F(MainThread, PostedWorkRunsInsideShowModal)
{
    TOwned<TForm> dialog(new TForm);
    testing::ScopedModalScript script([](TForm& shown) {
        PostFromEightThreads([](const std::function<bool()>& done) { return testing::RunUntil(done, 60000); });
        shown.Close();
    });
    EXPECT_EQ(dialog->ShowModal(), mrCancel);
}

TEST_F(MainThread, PostingOnTheMainThreadQueues)
{
    int ran = 0;
    RunOnMainThread([&] { ++ran; });
    EXPECT_EQ(ran, 0);
    testing::Flush();
    EXPECT_EQ(ran, 1);
}

#ifndef NDEBUG
using MainThreadDeathTest = MainThread;

TEST_F(MainThreadDeathTest, ControlsAbortOffTheMainThreadButTimersDoNot)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    TOwned<TForm> form(new TForm);
    auto* label = new TLabel(form.get());
    EXPECT_DEATH(std::thread([&] { label->SetCaption("x"); }).join(), "TLabel::SetCaption");
    EXPECT_DEATH(std::thread([&] { form->SetBounds(1, 2, 3, 4); }).join(), "TForm::SetBounds");
    EXPECT_DEATH(std::thread([] { MessageBox("text", "caption", MB_OK); }).join(), "MessageBox::MessageBox");

    auto* timer = new TTimer(form.get());
    std::thread([&] {
        timer->SetTag(5);
        timer->SetInterval(20);
        timer->SetEnabled(false);
    }).join();
    EXPECT_EQ(timer->Tag(), 5);
    EXPECT_EQ(timer->Interval(), 20u);
    EXPECT_FALSE(timer->Enabled());
}
#endif

} // namespace
} // namespace plat
