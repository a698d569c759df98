#include "foundation/hooks.h"
#include "foundation/log.h"
#include "foundation/setup.h"
#include "mainwindow/log_window.h"
#include "platform/gui/label.h"
#include "platform/gui/timer.h"
#include "tests/mainwindow/shell_fixture.h"

#include <atomic>
#include <map>
#include <string>
#include <thread>
#include <vector>

namespace shell_test {
namespace {

class LogWindowTest : public ShellTest {
protected:
    void SetUp() override
    {
        ShellTest::SetUp();
        window_.reset(new TfrmLogDLMR1(nullptr));
        frmLogDLMR1 = window_.get();
        window_->OnFirstShown = [this] { Main().timerFinishShowingLogForm->SetEnabled(true); };
        InstallLogWindowSink(window_.get());
        ::Setup.SetValue("Settings_ShowLogWindow", 0, TNSetupItem::kBool);
    }
    void TearDown() override
    {
        InstallLogWindowSink(nullptr);
        frmLogDLMR1 = nullptr;
        window_.reset();
        ShellTest::TearDown();
    }

    TfrmLogDLMR1& Window() { return *window_; }

private:
    plat::TOwned<TfrmLogDLMR1> window_;
};

TEST_F(LogWindowTest, TheFirstShowingFillsTheWorkAreaLeftAndLaterOnesKeepTheUsersBounds)
{
    Window().Show();
    EXPECT_EQ(Window().Left(), 10);
    EXPECT_EQ(Window().Top(), 40);
    EXPECT_EQ(Window().Width(), 502);
    EXPECT_EQ(Window().Height(), 974);
    EXPECT_TRUE(Main().timerFinishShowingLogForm->Enabled());

    Window().SetBounds(200, 300, 400, 500);
    Window().Hide();
    Window().Show();
    EXPECT_EQ(Window().Left(), 200);
    EXPECT_EQ(Window().Top(), 300);
    EXPECT_EQ(Window().Width(), 400);
    EXPECT_EQ(Window().Height(), 500);
}

TEST_F(LogWindowTest, TheMenuShowsItAtMostOncePerRun)
{
    Main().mnuShowLogWindowClick();
    EXPECT_TRUE(Window().Visible());
    EXPECT_TRUE(::Setup.GetBool("Settings_ShowLogWindow"));
    Window().Hide();
    Main().mnuShowLogWindowClick(); // off
    Main().mnuShowLogWindowClick(); // on again
    EXPECT_FALSE(Window().Visible());
    EXPECT_EQ(LogCount("[TfrmMainDLMR1::ShowLogWindow][BEGIN]"), 1);
    EXPECT_NE(Window().Dispatch(0x0086, 0, 0), 0) << "WM_NCACTIVATE is answered without activating";
}

TEST_F(LogWindowTest, LinesFromManyThreadsArriveOnceInOrderWithoutBlanks)
{
    Window().Show();
    constexpr int kThreads = 8;
    constexpr int kLines = 1000;
    std::atomic<int> running{kThreads};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([t, &running] {
            for (int i = 0; i < kLines; ++i) {
                const std::string line = "[Spam] " + std::to_string(t) + " " + std::to_string(i);
                LogWrite(line.c_str(), "", true);
            }
            --running;
        });
    }
    // The main thread drains and writes meanwhile; how long its lines take
    // is measured in the shell benchmark.
    while (running > 0) {
        Window().timerLogTimer();
        LogWrite("[Main] during a drain", "", true);
    }
    for (std::thread& thread : threads)
        thread.join();
    Window().timerLogTimer();

    std::map<int, int> next;
    for (const std::string& line : Window().ShownLines()) {
        ASSERT_FALSE(line.empty());
        const size_t at = line.find("[Spam] ");
        if (at == std::string::npos)
            continue;
        int thread = 0;
        int number = 0;
        ASSERT_EQ(std::sscanf(line.c_str() + at, "[Spam] %d %d", &thread, &number), 2) << line;
        EXPECT_EQ(number, next[thread]) << "thread " << thread;
        next[thread] = number + 1;
    }
    for (int t = 0; t < kThreads; ++t)
        EXPECT_EQ(next[t], kLines) << t;
    EXPECT_EQ(Window().labelLog()->Caption().find("\r\n\r\n"), std::string::npos) << "no blank line";
}

TEST_F(LogWindowTest, TheLabelKeepsTheNewestLines)
{
    Window().Show();
    for (size_t i = 0; i < TfrmLogDLMR1::kShownLineLimit + 5; ++i)
        Window().Append(("line " + std::to_string(i)).c_str());
    Window().Append("");
    Window().timerLogTimer();
    ASSERT_EQ(Window().ShownLines().size(), TfrmLogDLMR1::kShownLineLimit);
    EXPECT_EQ(Window().ShownLines().front(), "line 5");
    EXPECT_EQ(Window().ShownLines().back(), "line " + std::to_string(TfrmLogDLMR1::kShownLineLimit + 4));
    EXPECT_EQ(Window().PendingCount(), 0u);
}

} // namespace
} // namespace shell_test
