#include "platform/gui/form.h"
#include "platform/gui/gui_main_loop.h"
#include "platform/gui/internal/layer.h"
#include "platform/gui/system_events.h"
#include "platform/testing/fake_clock.h"
#include "platform/testing/gui_seams.h"
#include "tests/gui/gui_test_support.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <functional>
#include <optional>
#include <poll.h>
#include <pthread.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
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

// The session-end peer program, its standard output read line by line.
class PeerProcess {
public:
    explicit PeerProcess(const char* argument)
    {
        int fds[2];
        if (pipe(fds) != 0)
            return;
        pid_ = fork();
        if (pid_ == 0) {
            dup2(fds[1], STDOUT_FILENO);
            close(fds[0]);
            close(fds[1]);
            execl(DALMORA_SESSION_END_PEER, DALMORA_SESSION_END_PEER, argument, static_cast<char*>(nullptr));
            _exit(127);
        }
        close(fds[1]);
        out_ = fds[0];
    }
    ~PeerProcess()
    {
        if (pid_ > 0 && !reaped_) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        if (out_ >= 0)
            close(out_);
    }

    // Reads lines until `last` came; false after 10 s or at the end.
    bool ReadUntil(const std::string& last)
    {
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        for (;;) {
            const size_t newline = pending_.find('\n');
            if (newline != std::string::npos) {
                lines.push_back(pending_.substr(0, newline));
                pending_.erase(0, newline + 1);
                if (lines.back() == last)
                    return true;
                continue;
            }
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now()).count();
            pollfd readable{out_, POLLIN, 0};
            if (left <= 0 || poll(&readable, 1, static_cast<int>(left)) <= 0)
                return false;
            char chunk[256];
            const ssize_t got = read(out_, chunk, sizeof chunk);
            if (got <= 0)
                return false;
            pending_.append(chunk, static_cast<size_t>(got));
        }
    }
    void Signal(int signal) const { kill(pid_, signal); }
    // The exit status, or -1 when it did not exit normally within 10 s.
    int ExitStatus()
    {
        for (int i = 0; i < 1000; ++i) {
            int status = 0;
            if (waitpid(pid_, &status, WNOHANG) == pid_) {
                reaped_ = true;
                return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return -1;
    }

    std::vector<std::string> lines;

private:
    pid_t pid_ = -1;
    int out_ = -1;
    bool reaped_ = false;
    std::string pending_;
};

TEST(SessionEndProcess, ASignalFromOutsideClosesTheDialogsThenAsksTheMainFormAndTheProgramExitsZero)
{
    const std::vector<std::string> closed = {"WM_CLOSE inner", "WM_CLOSE outer", "WM_QUERYENDSESSION main"};
    {
        PeerProcess peer("agree");
        ASSERT_TRUE(peer.ReadUntil("ready"));
        peer.lines.clear();
        peer.Signal(SIGINT);
        ASSERT_TRUE(peer.ReadUntil("WM_QUERYENDSESSION main"));
        EXPECT_EQ(peer.lines, closed);
        EXPECT_EQ(peer.ExitStatus(), 0);
    }
    {
        // A refusal keeps the program running; the next signal asks again.
        PeerProcess peer("refuse");
        ASSERT_TRUE(peer.ReadUntil("ready"));
        peer.lines.clear();
        peer.Signal(SIGTERM);
        const std::string refusal = "log [SessionEnd] TForm refused to close; the session end stops";
        ASSERT_TRUE(peer.ReadUntil(refusal));
        EXPECT_EQ(peer.lines, (std::vector<std::string>{"WM_CLOSE inner", refusal}));
        peer.lines.clear();
        peer.Signal(SIGHUP);
        ASSERT_TRUE(peer.ReadUntil("WM_QUERYENDSESSION main"));
        EXPECT_EQ(peer.lines, closed);
        EXPECT_EQ(peer.ExitStatus(), 0);
    }
}

} // namespace
} // namespace plat
