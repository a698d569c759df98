#include "killer/closing_utility.h"

#include "platform/core/clock.h"
#include "platform/core/own_processes.h"
#include "platform/core/window_messages.h"

#include <chrono>
#include <optional>

namespace {

constexpr int kMaxPassesPerClass = 21;
constexpr int64_t kPassPauseMs = 250;
// How long the killed processes get to disappear, so that whoever ran the
// utility finds them gone.
constexpr int kKillWaitMs = 1000;

// The topmost window of the class that is not known to be gone or hung.
std::optional<plat::BusWindow> FirstWindow(const char* className,
                                           const std::set<std::pair<std::string, uint32_t>>& passedOver)
{
    for (plat::BusWindow& window : plat::ListBusWindows(className)) {
        if (passedOver.count({window.processKey, window.window}) == 0)
            return std::move(window);
    }
    return std::nullopt;
}

} // namespace

TNClosingUtility::TNClosingUtility(TNKillerSettings settings) : settings_(std::move(settings))
{
}

void TNClosingUtility::Run()
{
    CloseWindowsOfClass(kKillerDialogClass);
    CloseWindowsOfClass(kKillerMainWindowClass);
    LetEndingProcessesEnd();
    KillProcessesByExeName();
}

int TNClosingUtility::CloseWindowsOfClass(const char* className)
{
    // A registration whose process or window is gone costs no pass: the bus
    // forgets it and the next window is looked up at once. A window that let
    // a send time out is hung: waiting on it again would only delay the end
    // of its process, so it is passed over from then on.
    std::set<WindowKey> passedOver;
    int passes = 0;
    while (passes < kMaxPassesPerClass) {
        std::optional<plat::BusWindow> window = FirstWindow(className, passedOver);
        if (!window)
            break;
        PairOutcome outcome = SendClosingPair(*window);
        if (outcome != PairOutcome::Sent)
            passedOver.insert({window->processKey, window->window});
        if (outcome == PairOutcome::Gone)
            continue;
        ++passes;
        plat::SleepMilliseconds(kPassPauseMs);
    }
    return passes;
}

TNClosingUtility::PairOutcome TNClosingUtility::SendClosingPair(const plat::BusWindow& window)
{
    int64_t result = 0;
    plat::BusSendResult outcome = plat::SendBusMessage(window, plat::kWmClose, 0, 0, settings_.SendTimeoutMs, result);
    if (outcome == plat::BusSendResult::Gone || outcome == plat::BusSendResult::NoWindow)
        return PairOutcome::Gone;
    if (outcome == plat::BusSendResult::TimedOut)
        return PairOutcome::Hung;
    // The window may have closed on WM_CLOSE already; then this finds it gone.
    outcome = plat::SendBusMessage(window, plat::kWmQueryEndSession, 0, 0, settings_.SendTimeoutMs, result);
    if (outcome == plat::BusSendResult::TimedOut)
        return PairOutcome::Hung;
    if (outcome == plat::BusSendResult::Answered && result != 0)
        endingPids_.insert(window.pid);
    return PairOutcome::Sent;
}

void TNClosingUtility::LetEndingProcessesEnd()
{
    // A copy that agreed to end is finishing its exit (saving, logging): it
    // is not killed in the middle of it unless it overstays.
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(settings_.EndingGraceMs);
    for (int pid : endingPids_) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            return;
        plat::WaitForProcessEnd(pid, static_cast<int>(left.count()));
    }
}

int TNClosingUtility::KillProcessesByExeName()
{
    return plat::KillOwnProcessesNamed(settings_.ExeName, kKillWaitMs) ? 1 : 0;
}
