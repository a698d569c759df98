#pragma once

#include <functional>
#include <memory>

namespace plat {

// SIGTERM and SIGINT are blocked from the first line of the program so that
// the main loop can end the run cleanly. A copy that waits before it has a
// loop (a restarted copy's pause, a second copy waiting for the first one's
// windows) would then ignore them until its wait runs out. This guard answers
// them in that time instead: on its own thread it runs `beforeExit` (which
// holds back whatever must not be cut in half) and ends the process with
// status 0.
//
// The signals must be blocked in every thread (BlockTerminationSignals).
class TerminationBeforeLoop {
public:
    // Throws std::system_error when the descriptors or the thread cannot be
    // made.
    explicit TerminationBeforeLoop(std::function<void()> beforeExit);
    // Stops the guard.
    ~TerminationBeforeLoop();
    TerminationBeforeLoop(const TerminationBeforeLoop&) = delete;
    TerminationBeforeLoop& operator=(const TerminationBeforeLoop&) = delete;

    // The main loop takes over: returns once the guard no longer answers; a
    // signal that comes later stays pending for the loop. Idempotent.
    void Stop();

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

} // namespace plat
