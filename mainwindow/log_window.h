#pragma once

#include "platform/gui/form.h"

#include <atomic>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace plat {
class TLabel;
class TTimer;
} // namespace plat

// The window that shows the program's log lines as they are written. Any
// thread appends to the pending list; the window's 25 ms timer moves the
// lines into its label on the main thread. It never takes the activation.
class TfrmLogDLMR1 : public plat::TForm {
public:
    // The label keeps this many of the newest lines.
    static constexpr size_t kShownLineLimit = 10000;
    static constexpr uint32_t kLogTimerMs = 25;

    explicit TfrmLogDLMR1(plat::TComponent* owner);
    ~TfrmLogDLMR1() override;
    const char* ClassName() const override { return "TfrmLogDLMR1"; }

    plat::LRESULT Dispatch(plat::TMessageId message, plat::WPARAM wParam, plat::LPARAM lParam) override;

    // Any thread: one CP1250 line for the pending list.
    void Append(const char* line);
    // Moves the pending lines into the label (the log timer's tick).
    void timerLogTimer();

    plat::TLabel* labelLog() const { return labelLog_; }
    // The lines the label shows, oldest first.
    const std::deque<std::string>& ShownLines() const { return shownLines_; }
    size_t PendingCount() const;

    // What the log writer waits on; Visible follows the window.
    std::atomic<uint8_t> Busy{0};
    std::atomic<bool> VisibleForWriter{false};
    // Runs once, at the first showing (the main window arms its
    // timerFinishShowingLogForm).
    std::function<void()> OnFirstShown;

private:
    void FormShow();
    void LayOutFirstShowing();

    plat::TLabel* labelLog_ = nullptr;
    plat::TTimer* logTimer_ = nullptr;
    mutable std::mutex pendingMutex_;
    std::vector<std::string> pending_;
    std::deque<std::string> shownLines_;
};

extern TfrmLogDLMR1* frmLogDLMR1;

// The log writer's sink: the window's pending list; unset while there is no
// window.
void InstallLogWindowSink(TfrmLogDLMR1* window);
