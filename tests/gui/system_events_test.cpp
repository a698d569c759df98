#include "platform/gui/form.h"
#include "platform/gui/gui_main_loop.h"
#include "platform/gui/internal/layer.h"
#include "platform/gui/system_events.h"
#include "platform/testing/fake_clock.h"
#include "platform/testing/gui_seams.h"
#include "tests/gui/gui_test_support.h"

#include <gtest/gtest.h>

#include <csignal>
#include <functional>
#include <optional>
#include <pthread.h>
#include <string>
#include <vector>

namespace plat {
namespace {

// A form that writes every closing or power message it gets into a shared log.
class LoggingForm : public TForm {
public:
    LoggingForm(std::string name, std::vector<std::string>& log) : name_(std::move(name)), log_(log) {}
    LRESULT Dispatch(TMessageId message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == WM_CLOSE)
            log_.push_back("WM_CLOSE " + name_);
        else if (message == WM_QUERYENDSESSION)
            log_.push_back("WM_QUERYENDSESSION " + name_);
        else if (message == WM_POWERBROADCAST)
            log_.push_back("WM_POWERBROADCAST " + std::to_string(wParam) + " " + name_);
        if (onMessage)
            onMessage(message);
        return TForm::Dispatch(message, wParam, lParam);
    }
    std::function<void(TMessageId)> onMessage;

private:
    std::string name_;
    std::vector<std::string>& log_;
};

class SystemEventsTest : public testing::OffscreenGuiTest {
protected:
    void SetUp() override
    {
        OffscreenGuiTest::SetUp();
        loop_.emplace();
        SetLayerLog([this](const std::string& line) {
            layerLog_.push_back(line);
            if (onLayerLog)
                onLayerLog();
        });
    }
    void TearDown() override
    {
        Seams().modalScript = nullptr;
        SystemEvents::Uninstall();
        SetLayerLog(nullptr);
        for (TForm* form : Application::FormsTopmostFirst())
            form->Free();
        testing::Flush();
        loop_.reset();
        OffscreenGuiTest::TearDown();
    }

    // A hidden main form, an outer dialog and an inner one opened modally
    // from it; `whenInnerShows` runs once the inner one is up.
    void OpenNestedDialogs(std::function<void()> whenInnerShows)
    {
        main_ = new LoggingForm("main", log_);
        Application::SetMainForm(main_);
        outer_ = new LoggingForm("outer", log_);
        inner_ = new LoggingForm("inner", log_);
        Seams().modalScript = [this, whenInnerShows](TForm& form) {
            if (&form == outer_)
                inner_->ShowModal();
            else
                whenInnerShows();
        };
        loop_->Post([this] { outer_->ShowModal(); });
    }

    static void Terminate() { pthread_kill(pthread_self(), SIGTERM); }

    // Made once the application exists.
    std::optional<GuiMainLoop> loop_;
    std::function<void()> onLayerLog;
    std::vector<std::string> log_;
    std::vector<std::string> layerLog_;
    LoggingForm* main_ = nullptr;
    LoggingForm* outer_ = nullptr;
    LoggingForm* inner_ = nullptr;
};

TEST_F(SystemEventsTest, TerminationClosesDialogsInnermostFirstThenAsksTheMainForm)
{
    SystemEvents::Install(*loop_);
    OpenNestedDialogs(Terminate);
    // A second signal while the inner dialog is closing is not a new round.
    inner_->onMessage = [](TMessageId message) {
        if (message == WM_CLOSE)
            Terminate();
    };
    EXPECT_EQ(loop_->Run(), 0);
    EXPECT_EQ(log_, (std::vector<std::string>{"WM_CLOSE inner", "WM_CLOSE outer", "WM_QUERYENDSESSION main"}));
    ASSERT_EQ(layerLog_.size(), 1u);
    EXPECT_EQ(layerLog_[0], "[SessionEnd] Signal 15 ignored: the windows are already being asked");
    EXPECT_FALSE(SystemEvents::SessionEndInProgress());
}

TEST_F(SystemEventsTest, ASignalAfterTenSecondsOfAStuckRoundEndsTheRun)
{
    testing::ScopedFakeClock clock(1700000000);
    SystemEvents::Install(*loop_);
    OpenNestedDialogs(Terminate);
    // The inner dialog takes the close but never gets to return its loop
    // before the patience runs out.
    inner_->onMessage = [&](TMessageId message) {
        if (message != WM_CLOSE)
            return;
        clock->Advance(9999);
        Terminate();
        loop_->Post([&] {
            clock->Advance(1);
            Terminate();
        });
    };
    EXPECT_EQ(loop_->Run(), 0);
    EXPECT_EQ(layerLog_, (std::vector<std::string>{
                             "[SessionEnd] Signal 15 ignored: the windows are already being asked",
                             "[SessionEnd] Signal 15: the windows have not answered for 10 s; the run ends"}));
    EXPECT_FALSE(SystemEvents::SessionEndInProgress());
}

TEST_F(SystemEventsTest, ARefusalStopsTheRoundAndALaterRequestAsksAgain)
{
    SystemEvents::Install(*loop_);
    bool refuse = true;
    OpenNestedDialogs([&] {
        inner_->OnCloseQuery = [&](TComponent*, bool& canClose) { canClose = !refuse; };
        SystemEvents::CommitRequest();
    });
    // The refusal leaves both dialogs up; the next request asks again.
    bool innerStayed = false;
    onLayerLog = [&] {
        innerStayed = inner_->Modal() && outer_->Modal();
        EXPECT_FALSE(SystemEvents::SessionEndInProgress());
        refuse = false;
        loop_->Post([] { SystemEvents::CommitRequest(); });
    };
    EXPECT_EQ(loop_->Run(), 0);
    EXPECT_TRUE(innerStayed);
    EXPECT_EQ(layerLog_, (std::vector<std::string>{"[SessionEnd] TForm refused to close; the session end stops"}));
    EXPECT_EQ(log_, (std::vector<std::string>{"WM_CLOSE inner", "WM_CLOSE inner", "WM_CLOSE outer",
                                              "WM_QUERYENDSESSION main"}));
}

TEST_F(SystemEventsTest, AHiddenFormRefusingTheQueryStopsTheRound)
{
    SystemEvents::Install(*loop_);
    main_ = new LoggingForm("main", log_);
    auto* other = new LoggingForm("other", log_);
    other->Show();
    other->OnCloseQuery = [](TComponent*, bool& canClose) { canClose = false; };
    SystemEvents::CommitRequest();
    EXPECT_EQ(log_, (std::vector<std::string>{"WM_QUERYENDSESSION other"}));
    EXPECT_EQ(layerLog_.size(), 1u);
}

TEST_F(SystemEventsTest, EachResumeReachesEveryFormOnce)
{
    testing::ScopedFakeClock clock(1700000000);
    testing::ManualTimers timers;
    SystemEvents::Install(*loop_);
    new LoggingForm("a", log_);
    new LoggingForm("b", log_);

    struct Step {
        int64_t suspendMs;
        std::vector<std::string> expected;
    };
    const std::vector<Step> steps = {
        {6000, {"WM_POWERBROADCAST 18 b", "WM_POWERBROADCAST 18 a"}},
        {0, {}},
        {3000, {}},
    };
    for (const Step& step : steps) {
        log_.clear();
        clock->Suspend(step.suspendMs);
        timers.Advance(2000);
        EXPECT_EQ(log_, step.expected) << "suspended " << step.suspendMs << " ms";
    }
}

} // namespace
} // namespace plat
